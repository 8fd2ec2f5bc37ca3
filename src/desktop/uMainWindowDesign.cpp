#include "desktop/uMainWindowDesign.h"

#include "controller/uUpdateController.h"

TMainButtons mainButtons(bool fileShown) {
    const TMainWindowDesign& d = cMainWindowDesign;
    TMainButtons b;
    b.close = d.close;
    b.cancel = d.close;
    b.update = d.update;
    if (fileShown) {
        b.update.width = d.close.width / 2;
        b.file = {b.update.right() + d.fileGap, d.file.top, d.close.width / 2, d.file.height};
    } else {
        b.update.width = d.close.width;
        b.file = {d.file.left, d.file.top, 0, 0};
    }
    return b;
}

TMainView mainView(const TControllerState& s) {
    TMainView v;
    v.updateEnabled = s.updateEnabled;
    v.closeShown = s.closeShown;
    v.cancelShown = s.cancelShown;
    v.cancelEnabled = !s.closing;
    v.portEnabled = s.portEnabled;
    v.fileShown = s.fileShown;
    v.fileEnabled = s.fileEnabled;
    v.readInfoOnlyShown = s.readInfoOnlyShown;
    // Closing waits for the session's end: the busy cursor stays until then.
    v.busyCursor = s.busyCursor;
    return v;
}
