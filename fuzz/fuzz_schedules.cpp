// A hand-edited settings file of any bytes, read for the schedules: a daily restart and the message
// rows load within their bounds or not at all, and the warnings read back as they are written.
#include "FuzzCheck.h"
#include "SettingsFile.h"

#include <RestartPlan.h>
#include <SettingsStore.h>

namespace {
FuzzSettingsFile* settingsFile = nullptr;

void checkWarnings(const QList<int>& warnings) {
    for (qsizetype i = 0; i < warnings.size(); ++i) {
        FUZZ_CHECK(warnings[i] >= 1 && warnings[i] <= console::kLongestWarning);
        FUZZ_CHECK(i == 0 || warnings[i] < warnings[i - 1]);
    }
    FUZZ_CHECK(console::parseWarnings(console::warningsText(warnings)) == warnings);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static FuzzSettingsFile file;
    settingsFile = &file;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto warnings = console::parseWarnings(QString::fromUtf8(bytes)))
        checkWarnings(*warnings);
    settingsFile->write(bytes);
    const console::StoredSchedules s = console::loadSchedules(platform::SettingsStore());
    FUZZ_CHECK(s.messages.size() <= console::kMostMessages);
    for (const console::RecurringMessage& m : s.messages) {
        FUZZ_CHECK(!m.text.trimmed().isEmpty() && m.text.size() <= console::kLongestSay);
        FUZZ_CHECK(m.everyMinutes >= 1 && m.everyMinutes <= console::kLongestEveryMinutes);
    }
    if (s.daily) {
        FUZZ_CHECK(s.daily->when == console::RestartPlan::When::Daily && s.daily->at.isValid());
        FUZZ_CHECK(s.daily->via != console::RestartPlan::Via::Custom ||
                   !console::restartCommand(*s.daily).isEmpty());
        FUZZ_CHECK(s.daily->message.size() <= console::kLongestSay);
        checkWarnings(s.daily->warnings);
    }
    return 0;
}
