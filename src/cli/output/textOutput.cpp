// Report lines as the report window shows them, one per distinct text, with
// the progress bar kept below them on a terminal.
#include "cli/output/textOutput.h"
#include "cli/output/outputNotes.h"

#include "session/uExceptions1V0.h"

TTextOutput::TTextOutput(std::ostream& out, std::ostream& err, std::unique_ptr<TProgressBar> bar)
    : FOut(out), FErr(err), FBar(std::move(bar)) {}

void TTextOutput::clearBar() {
    if (FBar) FBar->clear();
}

void TTextOutput::redrawBar() {
    if (FBar) FBar->redraw(true);
}

void TTextOutput::reportLine(const std::string& line) {
    clearBar();
    FOut << line << '\n' << std::flush;
    redrawBar();
}

void TTextOutput::progressLine(const std::string& line) {
    if (FBar)
        FBar->redraw();
    else
        reportLine(line);
}

void TTextOutput::notification(const TNotification&, const TNotifyRendering&) {
    if (FBar) FBar->redraw();
}

void TTextOutput::stateChanged(const TControllerState& state) {
    if (!FBar) return;
    FBar->update(state.progress, state.remainingMs, state.estimatedAtMs);
    FBar->redraw();
}

void TTextOutput::idle() {
    if (FBar) FBar->redraw();
}

void TTextOutput::finished(const TPortResult& result) {
    clearBar();
    FBar.reset();
    const TSessionOutcome& o = result.outcome;
    if (o.final.kind == cNT_ABORT && o.final.value == cEX_INFO_ONLY && o.image.chosen())
        FOut << "Image for this logger: " << imageText(o.image.header)
             << (o.selectedFW == 0 ? " (the image file)"
                                   : " (built-in image " + std::to_string(o.selectedFW) + ")")
             << '\n'
             << std::flush;
    printOutcomeNotes(FErr, result);
}
