// Notes for the operator on the error stream, in every output mode, where
// the system's own texts leave one stuck.
#pragma once

#include "cli/output/portOutput.h"

#include <ostream>

// The notes printed to the error stream when a port's run ends: the hint of
// the outcome, the give-up note of the restarts, the logger left waiting in
// its bootloader.
void printOutcomeNotes(std::ostream& err, const TPortResult& result);

// The note printed once when Ctrl-C reaches the sessions.
void printCancelNote(std::ostream& err, bool severalPorts);
