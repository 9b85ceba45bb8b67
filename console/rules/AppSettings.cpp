#include "AppSettings.h"

#include "RatePacing.h"
#include "Wire.h"

#include <SettingsStore.h>

#include <cmath>
#include <limits>
#include <variant>

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

template <typename T> using Field = T AppSettings::*;

// The conversions a key's text goes through, each with the key's default.
struct Text {
    Field<QString> field;
    QString fallback;
};
struct Flag {
    Field<bool> field;
    bool fallback;
};
struct Int16 {
    Field<qint16> field;
    qint16 fallback;
    qint16 least = std::numeric_limits<qint16>::min(); // below or above: the default
    qint16 most = std::numeric_limits<qint16>::max();
};
struct Colour {
    Field<quint32> field;
    quint32 fallback;
};
struct Twips {
    Field<double> field;
    double fallback;
};
// One of a few names, in any letter case, kept as its canonical spelling; anything else is the default.
struct Choice {
    Field<QString> field;
    QString fallback;
    QString (*canonical)(const QString& stored);
};
// The main window's edge: by default centred on the screen for the window's built-in size, and never
// negative.
struct WindowEdge {
    Field<double> field;
    bool horizontal;
};

enum class Saved {
    Value,       // the field as it is
    NormalWindow // only from a window neither minimised nor maximised
};

struct SettingRow {
    const char* key;
    std::variant<Text, Flag, Int16, Colour, Twips, WindowEdge, Choice> conversion;
    Saved saved = Saved::Value;
};

template <typename... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
template <typename... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

using S = AppSettings;

// In the order they are read.
const std::vector<SettingRow>& settingRows() {
    static const std::vector<SettingRow> rows{
        {"CurrentAddr", Text{&S::CurrentAddr, QString()}},
        {"CurrentPort", Text{&S::CurrentPort, QString::number(kDefaultServerPort)}},
        {"Password", Text{&S::Password, QString()}},
        {"EnableLogging", Flag{&S::EnableLogging, false}},
        {"TimePeriod", Int16{&S::TimePeriod, 5}},
        {"TimeScale", Int16{&S::TimeScale, 60}},
        {"AutoQuery", Flag{&S::AutoQuery, false}},
        {"SavePassword", Flag{&S::SavePassword, false}},
        {"ColorBack", Colour{&S::ColorBack, 0xC00000}}, // dark blue
        {"ColorFore", Colour{&S::ColorFore, 0x00FFFF}}, // yellow
        {"FormFontBold", Flag{&S::FormFontBold, false}},
        {"FormFontItalic", Flag{&S::FormFontItalic, false}},
        {"FormFontSize", Int16{&S::FormFontSize, 8}},
        {"FormFontName", Text{&S::FormFontName, QStringLiteral("Courier New")}},
        {"BigScreenMode", Flag{&S::BigScreenMode, false}},
        {"WindowLeft", WindowEdge{&S::WindowLeft, true}, Saved::NormalWindow},
        {"WindowTop", WindowEdge{&S::WindowTop, false}, Saved::NormalWindow},
        {"WindowWidth", Int16{&S::WindowWidth, 8985}, Saved::NormalWindow},
        {"WindowHeight", Int16{&S::WindowHeight, 8865}, Saved::NormalWindow},
        {"TheWindowState", Int16{&S::TheWindowState, 0, 0, 2}},
        {"HideFunNameCodes", Int16{&S::HideFunNameCodes, 0}},
        {"CurrentTheme", Text{&S::CurrentTheme, QStringLiteral("Default")}},
        {"UseAutoComplete", Flag{&S::UseAutoComplete, true}},
        {"ShowStatusBar", Flag{&S::ShowStatusBar, true}},
        {"PlayersLeft", Twips{&S::PlayersLeft, -1}},
        {"PlayersTop", Twips{&S::PlayersTop, -1}},
        {"PlayersWidth", Int16{&S::PlayersWidth, 7800}},
        {"PlayersHeight", Int16{&S::PlayersHeight, 5400}},
        {"RatePacing",
         Choice{&S::RatePacing, pacingProfileName(PacingProfile::Ioquake3),
                [](const QString& stored) { return pacingProfileName(storedPacingProfile(stored)); }}},
    };
    return rows;
}

QString textOf(const SettingRow& row, const AppSettings& s) {
    return std::visit(Overloaded{[&](const Text& c) { return s.*c.field; },
                                 [&](const Flag& c) { return boolText(s.*c.field); },
                                 [&](const Int16& c) { return QString::number(s.*c.field); },
                                 [&](const Colour& c) { return QString::number(s.*c.field); },
                                 [&](const Twips& c) { return twipsText(s.*c.field); },
                                 [&](const WindowEdge& c) { return twipsText(s.*c.field); },
                                 [&](const Choice& c) { return s.*c.field; }},
                      row.conversion);
}

qint16 wholeTwips(double twips) {
    return qint16(qBound(double(std::numeric_limits<qint16>::min()), std::nearbyint(twips),
                         double(std::numeric_limits<qint16>::max())));
}
} // namespace

AppSettings::AppSettings() {
    for (const SettingRow& row : settingRows())
        std::visit(Overloaded{[this](const WindowEdge& c) { this->*c.field = 0; },
                              [this](const auto& c) { this->*c.field = c.fallback; }},
                   row.conversion);
}

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
    AppSettings s;
    for (const SettingRow& row : settingRows()) {
        auto text = [&](const QString& fallback) {
            return store.read(kSettingsSection, QLatin1String(row.key), fallback);
        };
        std::visit(
            Overloaded{
                [&](const Text& c) { s.*c.field = text(c.fallback); },
                [&](const Flag& c) { s.*c.field = settingsBool(text(boolText(c.fallback)), c.fallback); },
                [&](const Int16& c) {
                    const qint16 v = settingsInt16(text(QString::number(c.fallback)), c.fallback);
                    s.*c.field = v < c.least || v > c.most ? c.fallback : v;
                },
                [&](const Colour& c) {
                    s.*c.field = settingsColour(text(QString::number(c.fallback)), c.fallback);
                },
                [&](const Twips& c) { s.*c.field = settingsTwips(text(twipsText(c.fallback)), c.fallback); },
                [&](const Choice& c) { s.*c.field = c.canonical(text(c.fallback)); },
                [&](const WindowEdge& c) {
                    const double screen = c.horizontal ? basis.screenWidth : basis.screenHeight;
                    const double window = c.horizontal ? basis.windowWidth : basis.windowHeight;
                    const double centred = double(float(screen) / 2.0f - float(window) / 2.0f);
                    const double value = settingsTwips(text(twipsText(centred)), centred);
                    s.*c.field = value < 0 ? 0.0 : value;
                }},
            row.conversion);
    }
    // The Players window's size goes back whole: one edge alone would leave an odd shape.
    if (s.PlayersWidth < S::kPlayersMinTwips || s.PlayersHeight < S::kPlayersMinTwips) {
        const AppSettings d;
        s.PlayersWidth = d.PlayersWidth;
        s.PlayersHeight = d.PlayersHeight;
    }
    return s;
}

void saveAppSettings(platform::SettingsStore& store, const AppSettings& settings,
                     const WindowSnapshot& window) {
    AppSettings s = settings;
    // The port key is always written as the default, whatever port was used.
    s.CurrentPort = QString::number(kDefaultServerPort);
    s.TheWindowState = qint16(window.state);
    // The password reaches the disk only when the user asked for it to be saved.
    if (!s.SavePassword)
        s.Password.clear();
    s.WindowLeft = window.left;
    s.WindowTop = window.top;
    // A size no 16-bit field holds would not be read back at all.
    s.WindowWidth = wholeTwips(window.width);
    s.WindowHeight = wholeTwips(window.height);
    const bool normal = window.state != 1 && window.state != 2;
    for (const SettingRow& row : settingRows()) {
        if (row.saved == Saved::NormalWindow && !normal)
            continue;
        store.write(kSettingsSection, QLatin1String(row.key), textOf(row, s));
    }
}

} // namespace console
