#pragma once

#include <QString>
#include <QtGlobal>

namespace platform {
class SettingsStore;
}

namespace console {

// The console's process-wide settings record: one field per key of "vorlanix\Settings". A new record
// holds every key's default; keys, defaults and conversions are one table (AppSettings.cpp).
struct AppSettings {
    AppSettings();

    QString CurrentAddr;
    QString CurrentPort;
    QString Password;
    bool EnableLogging;
    qint16 TimePeriod;
    qint16 TimeScale;
    bool AutoQuery;
    bool SavePassword;
    quint32 ColorBack; // 0x00BBGGRR
    quint32 ColorFore;
    bool FormFontBold;
    bool FormFontItalic;
    qint16 FormFontSize;
    QString FormFontName;
    double WindowLeft; // twips, outer
    double WindowTop;
    qint16 WindowWidth; // twips, outer
    qint16 WindowHeight;
    qint16 TheWindowState; // 0 normal, 1 minimised, 2 maximised
    qint16 HideFunNameCodes;
    QString CurrentTheme;
    bool UseAutoComplete;
    bool BigScreenMode;
    bool ShowStatusBar;
    // The Players window: outer position (-1 until first placed) and inner size, in twips.
    double PlayersLeft;
    double PlayersTop;
    qint16 PlayersWidth;
    qint16 PlayersHeight;
    // How fast the servers take requests: a name of RatePacing.h's profiles.
    QString RatePacing;
    // Smaller than this, in either direction, the Players window is not worth restoring.
    static constexpr qint16 kPlayersMinTwips = 1500;

    bool operator==(const AppSettings&) const = default;
};

inline const QString kSettingsSection = QStringLiteral("vorlanix\\Settings");

// Text conversions of the store. A value that does not convert or does not fit gives the default.
bool settingsBool(const QString& text, bool fallback);
qint16 settingsInt16(const QString& text, qint16 fallback);
quint32 settingsColour(const QString& text, quint32 fallback);
double settingsTwips(const QString& text, double fallback);
QString boolText(bool value);
QString twipsText(double twips);

// What the load needs of the screen and of the window as it is before the stored size is applied.
struct PlacementBasis {
    double screenWidth = 0;  // twips
    double screenHeight = 0; // twips
    double windowWidth = 0;  // twips, outer
    double windowHeight = 0; // twips, outer
};

// The main window as it is at exit.
struct WindowSnapshot {
    int state = 0;                                   // 0 normal, 1 minimised, 2 maximised
    double left = 0, top = 0, width = 0, height = 0; // twips, outer
};

// Reads every key in the table's order; the window position defaults to centred on the screen.
AppSettings loadAppSettings(const platform::SettingsStore& store, const PlacementBasis& basis);
// Writes every key: the window's state from the window, its geometry only from a normal window, the
// port key always as the default port, and the password only when it is to be saved.
void saveAppSettings(platform::SettingsStore& store, const AppSettings& settings,
                     const WindowSnapshot& window);

} // namespace console
