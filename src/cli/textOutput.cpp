// Report lines as the report window shows them, one per distinct text, with
// the progress bar kept below them on a terminal.
#include "cli/runOutputs.h"

#include "session/uExceptions1V0.h"

TTextOutput::TTextOutput(std::ostream& out, std::ostream& err, const TRunRequest& request,
                         const TFWCatalog& catalog, const std::atomic<bool>& bCancel,
                         std::unique_ptr<TProgressBar> bar)
    : FOut(out), FErr(err), FRequest(request), FCatalog(catalog), FCancel(err, bCancel),
      FBar(std::move(bar)) {}

void TTextOutput::line(const std::string& text) {
    if (FBar) FBar->clear();
    FOut << reportLineNow(text) << '\n' << std::flush;
    if (FBar) FBar->redraw(true);
}

void TTextOutput::sessionStarting() {
    if (FBar) FBar->sessionStarted();
    line(startText(FRequest.sPort));
}

void TTextOutput::notification(const TNotification& n, const TNotifyRendering& r) {
    noticeCancel();
    if (FBar) {
        if (n.kind == cNT_UPDATE_IMAGE) FBar->writingStarted();
        if (r.progress >= 0) FBar->setPercent(r.progress);
    }
    // Every text the window would show on any of its outputs is shown once:
    // the report line, and in the same form the texts that go to the status
    // bar or the message window only.
    if (r.handled && r.outputs.any())
        line(r.text);
    else if (FBar)
        FBar->redraw();
}

void TTextOutput::noticeCancel() {
    if (!FCancel.due()) return;
    if (FBar) FBar->clear();
    FCancel.check();
    if (FBar) FBar->redraw(true);
}

void TTextOutput::idle() {
    noticeCancel();
    if (FBar) FBar->redraw();
}

void TTextOutput::finished(const TRunOutcome& outcome) {
    if (FBar) FBar->clear();
    FBar.reset();
    if (outcome.final.kind == cNT_ABORT && outcome.final.value == cEX_INFO_ONLY &&
        outcome.selectedFW >= 0) {
        // The image the logger would get, without the "Check" of the report line.
        std::string image =
            renderNotification({cNT_CHECK_IMAGE, outcome.selectedFW}, FCatalog, FRequest.sPort)
                .text;
        if (image.rfind("Check ", 0) == 0) image.erase(0, 6);
        FOut << "Image for this logger: " << image
             << (outcome.selectedFW == 0
                     ? " (the image file)"
                     : " (built-in image " + std::to_string(outcome.selectedFW) + ")")
             << '\n'
             << std::flush;
    }
    printOutcomeNotes(FErr, outcome, FRequest.maxRestarts);
}
