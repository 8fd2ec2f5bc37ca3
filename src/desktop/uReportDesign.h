// The report window's design (pixels at 96 per inch) and its docking: its
// top edge on the main window's bottom edge, their left edges lined up, as
// wide as the main window.  While the main window is minimised the report
// is not docked (the minimised window's place and width mean nothing); it
// comes back with the main window.
#pragma once

#include "desktop/uDesignUnits.h"

struct TReportDesign {
    TSize client{454, 141}; // the width then follows the main window
};
inline constexpr TReportDesign cReportDesign{};

// Where the report's outer top-left corner belongs.
TPoint reportDockPlace(const TRect& mainOuter);
// Whether the report at reportOuter must be moved to its dock place.
bool reportNeedsDock(const TRect& reportOuter, const TRect& mainOuter, bool mainMinimised);
// The report's outer width.
int reportWidth(const TRect& mainOuter);
// Whether the report is to be shown now: the controller shows it, the first
// idle moment has passed, and the main window is not minimised.
bool reportToShow(bool reportShown, bool idleDone, bool mainMinimised);
