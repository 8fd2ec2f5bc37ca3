// The windows were laid out in design units of 120 pixels per inch; Qt lays
// out in device-independent pixels of 96 per inch and scales those to the
// screen itself, so the windows stay crisp at any DPI.
#pragma once

#include <cmath>

// Design units at 120 pixels per inch to device-independent pixels.
inline int du(int designUnits) {
    return static_cast<int>(std::lround(designUnits * 96.0 / 120.0));
}
