#pragma once

#include "Look.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

namespace console {

enum class ThemeId { Default, DOS, GreenScreen, Bloodshot, BlackAndWhite, PurpleHaze, Custom };

struct Theme {
    ThemeId id;
    QString identifier; // the caption without spaces, as kept in CurrentTheme
    QString caption;    // as the menu and the dialog's selector show it
    // The settings' defaults for Default; meaningless for Custom, whose look is whatever is current.
    ThemeLook look;
};

// The seven entries in menu order.
const std::array<Theme, 7>& themeCatalogue();
const Theme& theme(ThemeId id);

// Identifiers compare without regard to letter case; nothing else matches (not even the caption).
std::optional<ThemeId> themeByIdentifier(const QString& identifier);
// Selector text as typed or picked: the caption, compared without regard to letter case.
std::optional<ThemeId> themeByCaption(const QString& caption);
// What the dialog's selector shows for a CurrentTheme: the caption, or "Default" when none matches.
QString selectorTextFor(const QString& currentTheme);
// CurrentTheme for a selector text: every space removed.
QString identifierOfSelector(const QString& selectorText);

// Whole points from a chooser size: halves go to the even neighbour, the result stays 16-bit.
qint16 wholePoints(double points);
// Big-screen size: 10 points more, in 16-bit arithmetic.
qint16 bigScreenSize(qint16 size);

// The one place where 0x00BBGGRR numbers and QColor meet.
QColor colourOf(quint32 bgr);
quint32 bgrOf(const QColor& colour);

// The font of a look. The face name is kept as given; the face substitutes decide what is drawn.
QFont lookFont(const QString& face, double points, bool bold, bool italic);

} // namespace console
