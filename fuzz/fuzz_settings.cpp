// A hand-edited settings file of any bytes, read through the real store: the settings record and the
// three histories load within their bounds, and what is saved from them loads back the same.
#include "FuzzCheck.h"
#include "SettingsFile.h"

#include <AppSettings.h>
#include <History.h>
#include <SettingsStore.h>

#include <cmath>

namespace {
FuzzSettingsFile* settingsFile = nullptr;
// Widths of a 1920x1080 screen and of the main window, in twips.
const console::PlacementBasis kBasis{28800, 16200, 9000, 9000};
const console::HistoryKind* const kHistories[] = {&console::kServerHistory, &console::kPortHistory,
                                                  &console::kCommandHistory};

void checkBounds(const console::AppSettings& s) {
    FUZZ_CHECK(s.TheWindowState >= 0 && s.TheWindowState <= 2);
    FUZZ_CHECK(s.ColorBack <= 0xFFFFFF && s.ColorFore <= 0xFFFFFF);
    for (const double position : {s.WindowLeft, s.WindowTop})
        FUZZ_CHECK(std::isfinite(position) && position >= 0 && position <= 1e9);
}

bool sameRecord(const console::AppSettings& a, const console::AppSettings& b) {
    return a.CurrentAddr == b.CurrentAddr && a.EnableLogging == b.EnableLogging &&
           a.TimePeriod == b.TimePeriod && a.TimeScale == b.TimeScale && a.AutoQuery == b.AutoQuery &&
           a.SavePassword == b.SavePassword && a.ColorBack == b.ColorBack && a.ColorFore == b.ColorFore &&
           a.FormFontBold == b.FormFontBold && a.FormFontItalic == b.FormFontItalic &&
           a.FormFontSize == b.FormFontSize && a.FormFontName == b.FormFontName &&
           a.WindowWidth == b.WindowWidth && a.WindowHeight == b.WindowHeight &&
           a.TheWindowState == b.TheWindowState && a.HideFunNameCodes == b.HideFunNameCodes &&
           a.CurrentTheme == b.CurrentTheme && a.UseAutoComplete == b.UseAutoComplete &&
           a.BigScreenMode == b.BigScreenMode;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static FuzzSettingsFile file;
    settingsFile = &file;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    settingsFile->write(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));

    console::AppSettings loaded;
    QList<console::LoadedHistory> histories;
    {
        platform::SettingsStore store;
        loaded = console::loadAppSettings(store, kBasis);
        checkBounds(loaded);
        for (const console::HistoryKind* kind : kHistories) {
            const console::LoadedHistory history = console::loadHistory(store, *kind);
            FUZZ_CHECK(history.entries.size() <= kind->limit + 1 && !history.entries.contains(QString()));
            FUZZ_CHECK(kind->setsEditText ? !history.editText || !history.editText->isEmpty()
                                          : !history.editText);
            histories << history;
        }

        console::WindowSnapshot window;
        window.state = loaded.TheWindowState;
        window.width = loaded.WindowWidth;
        window.height = loaded.WindowHeight;
        console::saveAppSettings(store, loaded, window);
        for (qsizetype i = 0; i < histories.size(); ++i)
            console::saveHistory(store, *kHistories[i], histories.at(i).entries);
    }

    platform::SettingsStore store;
    const console::AppSettings reloaded = console::loadAppSettings(store, kBasis);
    FUZZ_CHECK(sameRecord(loaded, reloaded));
    FUZZ_CHECK(reloaded.Password == (loaded.SavePassword ? loaded.Password : QString()));
    for (qsizetype i = 0; i < histories.size(); ++i)
        FUZZ_CHECK(console::loadHistory(store, *kHistories[i]).entries == histories.at(i).entries);
    return 0;
}
