#pragma once

#include "Placement.h"

#include <QList>
#include <QRectF>
#include <QSize>

class QWidget;

namespace console {

// The screens' usable areas, and the primary one's, in twips.
QList<QRectF> screenAreas();
QRectF primaryScreenArea();

// What the desktop adds around a window's client area; nothing until the window has been framed.
QSize frameOf(const QWidget* window);

// Gives a top-level window an outer geometry in twips, the frame being `frame`.
void placeWindow(QWidget* window, const WindowPlacement& outer, const QSize& frame);

} // namespace console
