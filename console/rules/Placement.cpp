#include "Placement.h"

#include "AppSettings.h"

namespace console {

namespace {
double area(const QRectF& r) {
    return r.isValid() ? r.width() * r.height() : 0;
}

// Moves [start, start + length) into [low, high), shrinking it when it is longer.
void fitSpan(double& start, double& length, double low, double high) {
    length = qMin(length, high - low);
    start = qBound(low, start, high - length);
}
} // namespace

WindowPlacement fitOnScreen(const WindowPlacement& stored, const QList<QRectF>& screens,
                            const QRectF& primary) {
    WindowPlacement placement = stored;
    const QRectF window(stored.left, stored.top, stored.width, stored.height);
    QRectF screen;
    double shown = 0;
    for (const QRectF& candidate : screens) {
        if (const double a = area(candidate.intersected(window)); a > shown) {
            shown = a;
            screen = candidate;
        }
    }
    if (screen.isEmpty()) {
        if (primary.isEmpty())
            return placement;
        screen = primary;
        placement.left = primary.center().x() - placement.width / 2;
        placement.top = primary.center().y() - placement.height / 2;
    }
    fitSpan(placement.left, placement.width, screen.left(), screen.left() + screen.width());
    fitSpan(placement.top, placement.height, screen.top(), screen.top() + screen.height());
    return placement;
}

WindowPlacement usablePlacement(const WindowPlacement& stored, const QList<QRectF>& screens,
                                const QRectF& primary) {
    WindowPlacement placement = stored;
    if (placement.width < kUsableWidthTwips || placement.height < kUsableHeightTwips) {
        const AppSettings defaults;
        placement.width = defaults.WindowWidth;
        placement.height = defaults.WindowHeight;
    }
    return fitOnScreen(placement, screens, primary);
}

} // namespace console
