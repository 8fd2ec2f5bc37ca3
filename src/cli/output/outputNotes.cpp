// Notes for the operator where the system's own texts leave one stuck.
#include "cli/output/outputNotes.h"

#include "session/uExceptions1V0.h"

#include <string>

namespace {

std::string entryText(TBootloaderEntry entry) {
    switch (entry) {
    case TBootloaderEntry::notSwitched:
        return "the logger was not switched into its bootloader";
    case TBootloaderEntry::maybeSwitched:
        return "the logger may have been switched into its bootloader (it did not answer after "
               "the switch)";
    case TBootloaderEntry::didNotEnter:
        return "the logger was told to switch into its bootloader but stayed in its application";
    case TBootloaderEntry::switched:
        return "the logger was switched into its bootloader";
    case TBootloaderEntry::alreadyIn:
        return "the logger was already in its bootloader when the run began";
    }
    return {};
}

std::string recordsText(const TLoggerFate& f) {
    if (!f.writingBegun) return "no record was written";
    const std::string total = std::to_string(f.recordsTotal);
    if (f.recordsExact)
        return f.recordsWritten == f.recordsTotal
                   ? "all " + total + " records were written"
                   : std::to_string(f.recordsWritten) + " of " + total + " records were written";
    if (f.recordsWritten == 0)
        return "the writing had begun, but no record of " + total + " was confirmed yet";
    return "at least " + std::to_string(f.recordsWritten) + " of " + total +
           " records were written";
}

std::string placeText(const TLoggerFate& f, const TNotification& final) {
    if (f.restartUnconfirmed)
        return " The run ended after the last record, before the restarted logger answered: run "
               "an update again to be sure that it runs the new firmware.";
    switch (f.place) {
    case TLoggerPlace::bootloader:
        if (!f.writingBegun)
            return " It waits in its bootloader: to bring it back, run an update, or "
                   "power-cycle it.";
        if (!f.allRecordsWritten())
            return " It waits in its bootloader with its firmware only partly written: run an "
                   "update to bring it back.";
        return " It waits in its bootloader: run an update to bring it back.";
    case TLoggerPlace::application:
        if (final.kind == cNT_DONE) return " It runs the new firmware.";
        return f.writingBegun ? std::string() : " Its application still runs.";
    case TLoggerPlace::unknown:
        if (f.bootloader == TBootloaderEntry::maybeSwitched)
            return f.writingBegun ? " If it waits in its bootloader, run an update to bring it "
                                    "back."
                                  : " If it waits in its bootloader, run an update, or "
                                    "power-cycle it, to bring it back.";
        return {};
    }
    return {};
}

} // namespace

std::string loggerFateNote(const TSessionOutcome& o) {
    std::string text = entryText(o.fate.bootloader) + ", and " + recordsText(o.fate) + ".";
    return text + placeText(o.fate, o.final);
}

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
    err << "tarvek2-cli: " << loggerFateNote(o) << '\n' << std::flush;
}
