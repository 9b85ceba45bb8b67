#include "Placement.h"

#include "AppSettings.h"

namespace console {

WindowPlacement usablePlacement(const WindowPlacement& stored, const QList<QRectF>& screens,
                                const QRectF& primary) {
    WindowPlacement placement = stored;
    if (placement.width < kUsableWidthTwips || placement.height < kUsableHeightTwips) {
        const AppSettings defaults;
        placement.width = defaults.WindowWidth;
        placement.height = defaults.WindowHeight;
    }
    const QRectF window(placement.left, placement.top, placement.width, placement.height);
    for (const QRectF& screen : screens) {
        if (screen.intersects(window))
            return placement;
    }
    // A window larger than the screen keeps its title bar on it.
    placement.left = qMax(primary.left(), primary.center().x() - placement.width / 2);
    placement.top = qMax(primary.top(), primary.center().y() - placement.height / 2);
    return placement;
}

} // namespace console
