// Notes for the operator where the system's own texts leave one stuck.
#include "cli/output/outputNotes.h"

#include "session/uExceptions1V0.h"

void printCancelNote(std::ostream& err, bool severalPorts) {
    err << (severalPorts
                ? "tarvek2-cli: cancelling: every session stops before its next exchange with "
                  "its logger and releases its port. Press Ctrl-C again to quit at once.\n"
                : "tarvek2-cli: cancelling: the session stops before its next exchange with the "
                  "logger and releases the port. Press Ctrl-C again to quit at once.\n")
        << std::flush;
}

void printOutcomeNotes(std::ostream& err, const TPortResult& result) {
    const TSessionOutcome& o = result.outcome;
    if (!o.hint.empty()) err << "tarvek2-cli: " << o.hint << '\n';
    if (o.restartsUsedUp) {
        const bool comm = o.final.kind == cNT_REPEAT_COMM;
        err << "tarvek2-cli: no restart left after " << o.restarts
            << (o.restarts == 1 ? " restart" : " restarts") << " (--max-restarts "
            << result.maxRestarts << "): "
            << (comm ? "the logger did not answer. Check the cable and the logger's power, "
                       "then start the update again."
                     : "the logger's echo of a record kept differing from the record. Check "
                       "the cable, then start the update again.")
            << '\n';
    }
    if (o.final.kind == cNT_ABORT &&
        (o.final.value == cEX_CANCELLED || o.final.value == cEX_PORT_IO))
        err << "tarvek2-cli: if records had been written, the logger now waits in its "
               "bootloader: start the update again to complete it.\n";
    err << std::flush;
}
