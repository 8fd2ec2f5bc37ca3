// The main window's design, in design units (120 per inch), and the rule
// that renders the controller's state into its controls.  The window is not
// resizable; its client area is the upper panel and the status bar.
#pragma once

#include "desktop/uDesignUnits.h"

struct TControllerState;

struct TMainWindowDesign {
    TSize panel{441, 201};         // the upper panel; a thin line under the menu tops it
    TPoint portLabel{16, 18};      // "Comport:", its text aligned with the port box's text
    int portLabelWidth = 78;       // room for "Comport:"
    TRect portBox{96, 14, 329, 0}; // the closed box's height is the toolkit's
    int portDropHeight = 200;      // the box with its list dropped down
    TRect progress{16, 57, 409, 33};
    TRect update{50, 107, 141, 41};
    TRect file{126, 107, 65, 41};
    TRect close{250, 107, 139, 41}; // "Cancel" takes the same place
    TPoint readInfoOnly{32, 168};
    int readInfoOnlyWidth = 200;
    int fileGap = 8; // from "Update" to "File" when both are shown
};
inline constexpr TMainWindowDesign cMainWindowDesign{};

// The places of the buttons, in design units.  With "File", "Update" and
// "File" share the place of one button: each half as wide as "Close",
// "File" fileGap right of "Update"; without it "Update" is as wide as "Close".
struct TMainButtons {
    TRect update;
    TRect file; // zero size when "File" is not shown
    TRect close;
    TRect cancel;
};
TMainButtons mainButtons(bool fileShown);

// Every control's state for one controller state.
struct TMainView {
    bool updateEnabled = true;
    bool closeShown = true;
    bool cancelShown = false;
    // After "Yes" to closing while busy the program is ending until its
    // window is gone: "Cancel" stays in place but can do nothing more, the
    // busy cursor stays, nothing looks idle.
    bool cancelEnabled = true;
    bool portEnabled = true;
    bool fileShown = false;
    bool fileEnabled = true; // "File" and "File version"
    bool readInfoOnlyShown = false;
    bool busyCursor = false;
    bool operator==(const TMainView&) const = default;
};
TMainView mainView(const TControllerState& state);
