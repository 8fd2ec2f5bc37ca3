// Notes for the operator where the system's own texts leave one stuck.
#include "cli/runOutputs.h"

#include "session/uExceptions1V0.h"

bool TCancelNotice::check() {
    if (FShown || !FCancel.load()) return false;
    FShown = true;
    FErr << "tarvek2-cli: cancelling: the session stops before its next exchange with the "
            "logger and releases the port. Press Ctrl-C again to quit at once.\n"
         << std::flush;
    return true;
}

void printOutcomeNotes(std::ostream& err, const TRunOutcome& outcome, int maxRestarts) {
    if (!outcome.hint.empty()) err << "tarvek2-cli: " << outcome.hint << '\n';
    if (outcome.restartsUsedUp) {
        const bool comm = outcome.final.kind == cNT_REPEAT_COMM;
        err << "tarvek2-cli: no restart left after " << outcome.restarts
            << (outcome.restarts == 1 ? " restart" : " restarts") << " (--max-restarts "
            << maxRestarts << "): "
            << (comm ? "the logger did not answer. Check the cable and the logger's power, "
                       "then start the update again."
                     : "the logger's echo of a record kept differing from the record. Check "
                       "the cable, then start the update again.")
            << '\n';
    }
    if (outcome.final.kind == cNT_ABORT &&
        (outcome.final.value == cEX_CANCELLED || outcome.final.value == cEX_PORT_IO))
        err << "tarvek2-cli: if records had been written, the logger now waits in its "
               "bootloader: start the update again to complete it.\n";
    err << std::flush;
}
