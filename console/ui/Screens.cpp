#include "Screens.h"

#include <Twips.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace console {

namespace {
QRectF inTwips(const QRect& r) {
    return QRectF(platform::pixelsToTwips(r.x()), platform::pixelsToTwips(r.y()),
                  platform::pixelsToTwips(r.width()), platform::pixelsToTwips(r.height()));
}
} // namespace

QList<QRectF> screenAreas() {
    QList<QRectF> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.append(inTwips(screen->availableGeometry()));
    return areas;
}

QRectF primaryScreenArea() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? inTwips(primary->availableGeometry()) : QRectF();
}

QSize frameOf(const QWidget* window) {
    return window->frameGeometry().size() - window->geometry().size();
}

void placeWindow(QWidget* window, const WindowPlacement& outer, const QSize& frame) {
    using platform::twipsToPixels;
    window->move(twipsToPixels(outer.left), twipsToPixels(outer.top));
    window->resize(qMax(1, twipsToPixels(outer.width) - frame.width()),
                   qMax(1, twipsToPixels(outer.height) - frame.height()));
}

} // namespace console
