// The message window's design and placement.  It lies over the lower part of
// the main window: 10 (at 96 per inch) in from the main window's left and
// right edges, its bottom edge 10 above the main window's.  Its border is
// fixed and the operator cannot resize it; its height is the design height,
// or more when the text needs more, so that a message is always read in full
// (a port's cause and remedy run to several lines).
#pragma once

#include "desktop/uDesignUnits.h"

struct TMessageWindowDesign {
    TSize client{435, 101}; // design units
    int stripHeight = 45;   // the strip along the bottom that holds "OK"
    int buttonWidth = 93;   // "OK", at the strip's left edge
    int margin = 3;         // around the text box and the button
    int inset = 10;         // pixels at 96 per inch, from the covered window's edges
};
inline constexpr TMessageWindowDesign cMessageWindowDesign{};

// The width the text box has over a covered window coveredWidth wide
// (outer widths; frame: the message window's outer size minus its client
// size).  The toolkit measures the wrapped text at this width.
int messageTextBoxWidth(int coveredWidth, TSize frame, TScale scale);

struct TMessageLayout {
    TRect outer;   // on the screen
    TRect textBox; // in the client area
    TRect button;  // in the client area
};

// covered: the main window's outer rectangle.  textBoxHeight: the height the
// text box needs to show the whole wrapped text (its border included).
TMessageLayout messageLayout(const TRect& covered, TSize frame, int textBoxHeight, TScale scale);
