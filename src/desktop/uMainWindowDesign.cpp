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
    if (s.closing) {
        // "Yes" to closing while busy: the program is ending, also in the
        // moment between the session's end and the window's.  Nothing can be
        // started or cancelled any more; the busy cursor stays.
        v.updateEnabled = false;
        v.closeShown = false;
        v.cancelShown = true;
        v.cancelEnabled = false;
        v.portEnabled = false;
        v.fileShown = s.fileShown;
        v.fileEnabled = false;
        v.readInfoOnlyShown = s.readInfoOnlyShown;
        v.busyCursor = true;
        return v;
    }
    v.updateEnabled = s.updateEnabled;
    v.closeShown = s.closeShown;
    v.cancelShown = s.cancelShown;
    v.portEnabled = s.portEnabled;
    v.fileShown = s.fileShown;
    v.fileEnabled = s.fileEnabled;
    v.readInfoOnlyShown = s.readInfoOnlyShown;
    v.busyCursor = s.busyCursor;
    return v;
}
