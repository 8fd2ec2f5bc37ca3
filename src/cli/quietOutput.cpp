// Only the outcome: the report line of the last session's final text.
#include "cli/runOutputs.h"

TQuietOutput::TQuietOutput(std::ostream& out, std::ostream& err, const TRunRequest& request,
                           const std::atomic<bool>& bCancel)
    : FOut(out), FErr(err), FRequest(request), FCancel(err, bCancel) {}

void TQuietOutput::finished(const TRunOutcome& outcome) {
    FOut << reportLineNow(outcome.rendering.text) << '\n' << std::flush;
    printOutcomeNotes(FErr, outcome, FRequest.maxRestarts);
}
