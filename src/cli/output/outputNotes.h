// Notes for the operator on the error stream, in every output mode, where
// the system's own texts leave one stuck.
#pragma once

#include "cli/output/portOutput.h"

#include <ostream>
#include <string>

// The notes printed to the error stream when a port's run ends: the hint of
// the outcome, the give-up note of the restarts, and what became of the
// logger (loggerFateNote).
void printOutcomeNotes(std::ostream& err, const TPortResult& result);

// Whether the logger was switched into its bootloader, how many records it
// took and, where it waits in its bootloader, how to bring it back: "the
// logger was switched into its bootloader, and no record was written. It
// waits in its bootloader: to bring it back, run an update, or power-cycle
// it."
std::string loggerFateNote(const TSessionOutcome& outcome);

// The note printed once when Ctrl-C reaches the sessions.
void printCancelNote(std::ostream& err, bool severalPorts);
