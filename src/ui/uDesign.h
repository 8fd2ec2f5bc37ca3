// The desktop model's design as Qt lays it out: Qt works in device-independent
// pixels of 96 per inch and scales those to the screen itself, so the windows
// stay crisp at any DPI.
#pragma once

#include "desktop/uDesignUnits.h"

#include <QRect>
#include <QSize>
#include <QString>

inline constexpr TScale cQtScale{96};

// Design units at 120 pixels per inch to device-independent pixels.
inline int du(int designUnits) {
    return cQtScale.du(designUnits);
}
inline QRect duRect(const TRect& r) {
    return QRect(du(r.left), du(r.top), du(r.width), du(r.height));
}
inline QRect qRect(const TRect& r) {
    return QRect(r.left, r.top, r.width, r.height);
}
inline TRect tRect(const QRect& r) {
    return TRect{r.left(), r.top(), r.width(), r.height()};
}
inline TSize tSize(const QSize& s) {
    return TSize{s.width(), s.height()};
}
inline QString qText(const char* text) {
    return QString::fromUtf8(text);
}
