#pragma once

#include <QList>
#include <QRectF>

namespace console {

// A window's outer geometry, in twips.
struct WindowPlacement {
    double left = 0, top = 0, width = 0, height = 0;
    bool operator==(const WindowPlacement&) const = default;
};

// The smallest stored size of the main window still taken as it is: 200 x 150 pixels.
inline constexpr double kUsableWidthTwips = 3000;
inline constexpr double kUsableHeightTwips = 2250;

// Where a window opens, whatever was stored: wholly on the screen that holds the largest part of it,
// moved no farther than it must be, and shrunk to that screen where it is larger. A window that no
// screen shows any of is centred on the primary one. Screens are their usable areas, in twips.
WindowPlacement fitOnScreen(const WindowPlacement& stored, const QList<QRectF>& screens,
                            const QRectF& primary);

// The main window: as fitOnScreen, and a stored size below the usable minimum gets the default size.
WindowPlacement usablePlacement(const WindowPlacement& stored, const QList<QRectF>& screens,
                                const QRectF& primary);

} // namespace console
