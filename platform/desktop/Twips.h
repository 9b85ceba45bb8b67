#pragma once

#include <QRect>
#include <QSize>
#include <cmath>

namespace platform {

// Positions and sizes are kept in twips as the forms give them; 15 twips make one
// device-independent pixel (1/96 inch).
constexpr double kTwipsPerPixel = 15.0;

inline int twipsToPixels(double twips) {
    return int(std::lround(twips / kTwipsPerPixel));
}

inline double pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

inline QRect twipsRect(double left, double top, double width, double height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

} // namespace platform
