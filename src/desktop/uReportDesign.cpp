#include "desktop/uReportDesign.h"

TPoint reportDockPlace(const TRect& mainOuter) {
    return {mainOuter.left, mainOuter.bottom()};
}

bool reportNeedsDock(const TRect& reportOuter, const TRect& mainOuter, bool mainMinimised) {
    if (mainMinimised) return false;
    const TPoint place = reportDockPlace(mainOuter);
    return reportOuter.left != place.x || reportOuter.top != place.y;
}

int reportWidth(const TRect& mainOuter) {
    return mainOuter.width;
}

bool reportToShow(bool reportShown, bool idleDone, bool mainMinimised) {
    return reportShown && idleDone && !mainMinimised;
}
