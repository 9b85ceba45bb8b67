#pragma once

#include <QList>
#include <QRectF>

namespace console {

// The main window's stored outer geometry, in twips.
struct WindowPlacement {
    double left = 0, top = 0, width = 0, height = 0;
    bool operator==(const WindowPlacement&) const = default;
};

// The smallest stored size still taken as it is: 200 x 150 pixels.
inline constexpr double kUsableWidthTwips = 3000;
inline constexpr double kUsableHeightTwips = 2250;

// Where the window opens when the stored geometry could not be seen: a size below the usable minimum
// gets the default size, and a window that would not show a single pixel on any screen is centred on
// the primary one. A window only partly off a screen keeps its place. Screens are in twips.
WindowPlacement usablePlacement(const WindowPlacement& stored, const QList<QRectF>& screens,
                                const QRectF& primary);

} // namespace console
