// The units the windows were designed in, and their conversion to the pixels
// of a screen.  The main window and the message window were laid out in
// design units of 120 pixels per inch, the report window and the overview in
// pixels of 96 per inch.  A toolkit says how many pixels per inch it lays out
// in (Qt: 96 device-independent pixels, which it scales itself; Win32: the
// DPI of the monitor that shows the window).
#pragma once

inline constexpr int cDesignUnitsPerInch = 120;
inline constexpr int cDesignPixelsPerInch = 96;

// value * numerator / denominator, rounded half away from zero (as the
// system's MulDiv does, so both programs round alike).
constexpr int scaleRounded(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}

struct TScale {
    int pixelsPerInch = cDesignPixelsPerInch;
    // Design units at 120 per inch to pixels.
    constexpr int du(int designUnits) const {
        return scaleRounded(designUnits, pixelsPerInch, cDesignUnitsPerInch);
    }
    // Pixels at 96 per inch to pixels.
    constexpr int px(int pixels96) const {
        return scaleRounded(pixels96, pixelsPerInch, cDesignPixelsPerInch);
    }
};

// A rectangle: left, top, width, height.
struct TRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    constexpr int right() const { return left + width; }
    constexpr int bottom() const { return top + height; }
    bool operator==(const TRect&) const = default;
};

struct TPoint {
    int x = 0;
    int y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TSize {
    int width = 0;
    int height = 0;
    bool operator==(const TSize&) const = default;
};
