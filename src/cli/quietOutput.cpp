// Only the outcome: the report line of the last session's final text.
#include "cli/runOutputs.h"

void TQuietOutput::finished(const TPortResult& result) {
    FOut << ::reportLine(result.outcome.endTime, result.outcome.rendering.text) << '\n'
         << std::flush;
    printOutcomeNotes(FErr, result);
}
