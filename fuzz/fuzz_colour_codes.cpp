// A name or host name with colour codes, split into coloured runs and stripped.
#include "FuzzCheck.h"

#include <ServerReplies.h>

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int startColour = input.ConsumeIntegral<int>();
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    const QString text = QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));

    const QList<console::ColourRun> runs = console::colourRuns(text, startColour);
    QString joined;
    for (qsizetype i = 0; i < runs.size(); ++i) {
        FUZZ_CHECK(!runs[i].text.isEmpty() && runs[i].colour >= 0 && runs[i].colour <= 7);
        // A run ends only where the colour changes.
        FUZZ_CHECK(i == 0 || runs[i].colour != runs[i - 1].colour);
        joined += runs[i].text;
    }
    const QString plain = console::withoutColours(text);
    FUZZ_CHECK(plain == joined);
    // Every code takes out two characters, and nothing else goes.
    FUZZ_CHECK(plain.size() <= text.size() && (text.size() - plain.size()) % 2 == 0);
    if (!text.contains(QLatin1Char('^')))
        FUZZ_CHECK(plain == text);
    return 0;
}
