#pragma once

#include <QString>
#include <QtGlobal>

namespace platform {
class SettingsStore;
}

namespace console {

// The console's process-wide settings record: one field per key of "vorlanix\Settings".
struct AppSettings {
    QString CurrentAddr;
    QString CurrentPort = QStringLiteral("27960");
    QString Password;
    bool EnableLogging = false;
    qint16 TimePeriod = 5;
    qint16 TimeScale = 60;
    bool AutoQuery = false;
    bool SavePassword = false;
    quint32 ColorBack = 0xC00000; // 0x00BBGGRR: dark blue
    quint32 ColorFore = 0x00FFFF; // yellow
    bool FormFontBold = false;
    bool FormFontItalic = false;
    qint16 FormFontSize = 8;
    QString FormFontName = QStringLiteral("Courier New");
    double WindowLeft = 0;
    double WindowTop = 0;
    qint16 WindowWidth = 8985;
    qint16 WindowHeight = 8865;
    qint16 TheWindowState = 0;
    qint16 HideFunNameCodes = 0;
    QString CurrentTheme = QStringLiteral("Default");
    bool UseAutoComplete = true;
    bool BigScreenMode = false;
    bool ShowStatusBar = true;
    // The Players window: outer position (-1 until first placed) and inner size, in twips.
    double PlayersLeft = -1;
    double PlayersTop = -1;
    qint16 PlayersWidth = 7800;
    qint16 PlayersHeight = 5400;
    // Smaller than this, in either direction, the Players window is not worth restoring.
    static constexpr qint16 kPlayersMinTwips = 1500;
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

// The window as it is at exit.
struct WindowSnapshot {
    int state = 0;                                   // 0 normal, 1 minimised, 2 maximised
    double left = 0, top = 0, width = 0, height = 0; // twips, outer
    QString password;                                // text of the password box
};

AppSettings loadAppSettings(const platform::SettingsStore& store, const PlacementBasis& basis);
void saveAppSettings(platform::SettingsStore& store, const AppSettings& settings,
                     const WindowSnapshot& window);

} // namespace console
