#include "Themes.h"

#include "AppSettings.h"

#include <cmath>
#include <limits>

namespace console {

const std::array<Theme, 7>& themeCatalogue() {
    static const std::array<Theme, 7> catalogue{{
        {ThemeId::Default, QStringLiteral("Default"), QStringLiteral("Default"), lookOf(AppSettings())},
        {ThemeId::DOS,
         QStringLiteral("DOS"),
         QStringLiteral("DOS"),
         {0x000000, 0xC0C0C0, false, false, 10, QStringLiteral("Fixedsys")}},
        {ThemeId::GreenScreen,
         QStringLiteral("GreenScreen"),
         QStringLiteral("Green Screen"),
         {0x319B51, 0x000000, false, false, 10, QStringLiteral("Terminal")}},
        {ThemeId::Bloodshot,
         QStringLiteral("Bloodshot"),
         QStringLiteral("Bloodshot"),
         {0x000080, 0xC0C0C0, true, false, 9, QStringLiteral("Courier New")}},
        {ThemeId::BlackAndWhite,
         QStringLiteral("BlackAndWhite"),
         QStringLiteral("Black And White"),
         {0xFFFFFF, 0x000000, false, false, 10, QStringLiteral("Courier New")}},
        {ThemeId::PurpleHaze,
         QStringLiteral("PurpleHaze"),
         QStringLiteral("Purple Haze"),
         {0x800080, 0xFFFFFF, false, false, 10, QStringLiteral("Arial")}},
        {ThemeId::Custom, QStringLiteral("Custom"), QStringLiteral("Custom"), {}},
    }};
    return catalogue;
}

const Theme& theme(ThemeId id) {
    return themeCatalogue()[std::size_t(id)];
}

std::optional<ThemeId> themeByIdentifier(const QString& identifier) {
    for (const Theme& t : themeCatalogue())
        if (identifier.compare(t.identifier, Qt::CaseInsensitive) == 0)
            return t.id;
    return std::nullopt;
}

std::optional<ThemeId> themeByCaption(const QString& caption) {
    for (const Theme& t : themeCatalogue())
        if (caption.compare(t.caption, Qt::CaseInsensitive) == 0)
            return t.id;
    return std::nullopt;
}

QString selectorTextFor(const QString& currentTheme) {
    const auto id = themeByIdentifier(currentTheme);
    return theme(id.value_or(ThemeId::Default)).caption;
}

QString identifierOfSelector(const QString& selectorText) {
    QString id = selectorText;
    id.remove(QLatin1Char(' '));
    return id;
}

qint16 wholePoints(double points) {
    const double whole = std::nearbyint(points);
    if (!std::isfinite(whole))
        return 8;
    return qint16(
        qBound<double>(std::numeric_limits<qint16>::min(), whole, std::numeric_limits<qint16>::max()));
}

qint16 bigScreenSize(qint16 size) {
    return qint16(quint16(size) + 10u);
}

QColor colourOf(quint32 bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

quint32 bgrOf(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return quint32(rgb.red()) | quint32(rgb.green()) << 8 | quint32(rgb.blue()) << 16;
}

QFont lookFont(const QString& face, double points, bool bold, bool italic) {
    QFont font(face);
    // Only a face that neither exists nor has a substitute falls back on the hint.
    font.setStyleHint(face.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0 ? QFont::SansSerif
                                                                                     : QFont::TypeWriter);
    font.setBold(bold);
    font.setItalic(italic);
    font.setPointSizeF(points > 0 ? points : 1);
    return font;
}

} // namespace console
