#include "AppSettings.h"

#include <SettingsStore.h>

#include <cmath>
#include <limits>

namespace console {

namespace {
// Whole numbers are rounded as the conversion of the stored text does: halves to the even neighbour.
bool toRoundedNumber(const QString& text, double& value) {
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return false;
    value = std::nearbyint(d);
    return true;
}

// Farther off than any screen; beyond this a position no longer maps to a window coordinate.
constexpr double kTwipsLimit = 1.0e9;
} // namespace

bool settingsBool(const QString& text, bool fallback) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double d = t.toDouble(&ok);
    return ok && std::isfinite(d) ? d != 0 : fallback;
}

qint16 settingsInt16(const QString& text, qint16 fallback) {
    double d = 0;
    if (!toRoundedNumber(text, d) || d < std::numeric_limits<qint16>::min() ||
        d > std::numeric_limits<qint16>::max())
        return fallback;
    return qint16(d);
}

quint32 settingsColour(const QString& text, quint32 fallback) {
    double d = 0;
    // A colour is a 24-bit 0x00BBGGRR number; anything else is not one.
    if (!toRoundedNumber(text, d) || d < 0 || d > 0xFFFFFF)
        return fallback;
    return quint32(d);
}

double settingsTwips(const QString& text, double fallback) {
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) > kTwipsLimit)
        return fallback;
    return d;
}

QString boolText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString twipsText(double twips) {
    return QString::number(double(float(twips)), 'g', 7);
}

AppSettings loadAppSettings(const platform::SettingsStore& store, const PlacementBasis& basis) {
    const AppSettings d;
    AppSettings s;
    auto text = [&](const char* key, const QString& fallback) {
        return store.read(kSettingsSection, QLatin1String(key), fallback);
    };
    auto flag = [&](const char* key, bool fallback) {
        return settingsBool(text(key, boolText(fallback)), fallback);
    };
    auto int16 = [&](const char* key, qint16 fallback) {
        return settingsInt16(text(key, QString::number(fallback)), fallback);
    };
    auto colour = [&](const char* key, quint32 fallback) {
        return settingsColour(text(key, QString::number(fallback)), fallback);
    };
    auto position = [&](const char* key, double screen, double window) {
        const double centred = double(float(screen) / 2.0f - float(window) / 2.0f);
        const double value = settingsTwips(text(key, twipsText(centred)), centred);
        return value < 0 ? 0.0 : value;
    };

    s.CurrentAddr = text("CurrentAddr", d.CurrentAddr);
    s.CurrentPort = text("CurrentPort", d.CurrentPort);
    s.Password = text("Password", d.Password);
    s.EnableLogging = flag("EnableLogging", d.EnableLogging);
    s.TimePeriod = int16("TimePeriod", d.TimePeriod);
    s.TimeScale = int16("TimeScale", d.TimeScale);
    s.AutoQuery = flag("AutoQuery", d.AutoQuery);
    s.SavePassword = flag("SavePassword", d.SavePassword);
    s.ColorBack = colour("ColorBack", d.ColorBack);
    s.ColorFore = colour("ColorFore", d.ColorFore);
    s.FormFontBold = flag("FormFontBold", d.FormFontBold);
    s.FormFontItalic = flag("FormFontItalic", d.FormFontItalic);
    s.FormFontSize = int16("FormFontSize", d.FormFontSize);
    s.FormFontName = text("FormFontName", d.FormFontName);
    s.BigScreenMode = flag("BigScreenMode", d.BigScreenMode);
    s.WindowLeft = position("WindowLeft", basis.screenWidth, basis.windowWidth);
    s.WindowTop = position("WindowTop", basis.screenHeight, basis.windowHeight);
    s.WindowWidth = int16("WindowWidth", d.WindowWidth);
    s.WindowHeight = int16("WindowHeight", d.WindowHeight);
    s.TheWindowState = int16("TheWindowState", d.TheWindowState);
    if (s.TheWindowState < 0 || s.TheWindowState > 2)
        s.TheWindowState = d.TheWindowState;
    s.HideFunNameCodes = int16("HideFunNameCodes", d.HideFunNameCodes);
    s.CurrentTheme = text("CurrentTheme", d.CurrentTheme);
    s.UseAutoComplete = flag("UseAutoComplete", d.UseAutoComplete);
    s.ShowStatusBar = flag("ShowStatusBar", d.ShowStatusBar);
    s.PlayersLeft = settingsTwips(text("PlayersLeft", twipsText(d.PlayersLeft)), d.PlayersLeft);
    s.PlayersTop = settingsTwips(text("PlayersTop", twipsText(d.PlayersTop)), d.PlayersTop);
    s.PlayersWidth = int16("PlayersWidth", d.PlayersWidth);
    s.PlayersHeight = int16("PlayersHeight", d.PlayersHeight);
    if (s.PlayersWidth < AppSettings::kPlayersMinTwips || s.PlayersHeight < AppSettings::kPlayersMinTwips) {
        s.PlayersWidth = d.PlayersWidth;
        s.PlayersHeight = d.PlayersHeight;
    }
    return s;
}

void saveAppSettings(platform::SettingsStore& store, const AppSettings& s, const WindowSnapshot& window) {
    auto put = [&](const char* key, const QString& value) {
        store.write(kSettingsSection, QLatin1String(key), value);
    };
    put("CurrentAddr", s.CurrentAddr);
    put("CurrentPort", QStringLiteral("27960"));
    // The password reaches the disk only when the user asked for it to be saved.
    put("Password", s.SavePassword ? window.password : QString());
    put("EnableLogging", boolText(s.EnableLogging));
    put("TimePeriod", QString::number(s.TimePeriod));
    put("TimeScale", QString::number(s.TimeScale));
    put("AutoQuery", boolText(s.AutoQuery));
    put("SavePassword", boolText(s.SavePassword));
    put("ColorBack", QString::number(s.ColorBack));
    put("ColorFore", QString::number(s.ColorFore));
    put("TheWindowState", QString::number(window.state));
    put("FormFontBold", boolText(s.FormFontBold));
    put("FormFontItalic", boolText(s.FormFontItalic));
    put("FormFontSize", QString::number(s.FormFontSize));
    put("FormFontName", s.FormFontName);
    put("HideFunNameCodes", QString::number(s.HideFunNameCodes));
    put("CurrentTheme", s.CurrentTheme);
    put("UseAutoComplete", boolText(s.UseAutoComplete));
    put("BigScreenMode", boolText(s.BigScreenMode));
    put("ShowStatusBar", boolText(s.ShowStatusBar));
    put("PlayersLeft", twipsText(s.PlayersLeft));
    put("PlayersTop", twipsText(s.PlayersTop));
    put("PlayersWidth", QString::number(s.PlayersWidth));
    put("PlayersHeight", QString::number(s.PlayersHeight));
    if (window.state != 1 && window.state != 2) {
        put("WindowLeft", twipsText(window.left));
        put("WindowTop", twipsText(window.top));
        put("WindowWidth", QString::number(qRound(window.width)));
        put("WindowHeight", QString::number(qRound(window.height)));
    }
}

} // namespace console
