// Only the outcome: the report line of the last session's final text.
#include "cli/output/quietOutput.h"
#include "cli/output/outputNotes.h"

void TQuietOutput::finished(const TPortResult& result) {
    FOut << ::reportLine(result.outcome.endTime, result.outcome.rendering.text) << '\n'
         << std::flush;
    printOutcomeNotes(FErr, result);
}
