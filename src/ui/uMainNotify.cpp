// What the main window does with each notification of the session: the text,
// where it goes (report, status bar, message window) and the side effects
// (progress bar, task-bar title, beep, back to idle, restart).
#include "ui/uMain.h"

#include "session/uNotifyTexts.h"

#include <QProgressBar>

void TfrmMain::WMSessionNotify(const TNotification& n) {
    if (FClosing) return;
    // The final notification is the thread's last word: it has ended or is
    // about to, so joining it does not hold the window.
    if (isFinalNotification(n.kind)) finishThread();

    const TNotifyRendering r =
        renderNotification(n, FCatalog, cbxPort->currentText().toStdString());
    if (!r.handled) return;

    if (r.progress >= 0) setProgress(r.progress);
    if (r.titlePercent) setAppTitle(QStringLiteral("%1%").arg(ProgressBar1->value()));
    if (r.endSession) endSession();
    if (r.beep && beep) beep();

    const QString text = QString::fromStdString(r.text);
    if (r.outputs.statusFirst && r.outputs.status) setStatus(text);
    if (r.outputs.report) addReport(text);
    if (r.outputs.status && !r.outputs.statusFirst) setStatus(text);
    if (r.outputs.message) showInfo(text);

    if (r.restartAfterMs == 0) {
        startSession(TCmd::tCMD0);
    } else if (r.restartAfterMs > 0) {
        // Still busy: "Cancel" stays usable during the wait, and the flag is
        // read when the wait ends.
        FRestartCmd = static_cast<TCmd>(n.value & 0xFF);
        FRestartTimer.start(r.restartAfterMs);
    }
}
