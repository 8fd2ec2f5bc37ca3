// The session commands "update" and "info" from parsed options to exit
// status, with the program's surroundings passed in so that tests can run
// them in-process.
#pragma once

#include "cli/sessionRunner.h"
#include "cli/updateOptions.h"

#include <atomic>
#include <functional>
#include <ostream>

struct TCommandEnv {
    std::ostream& out;
    std::ostream& err;
    std::function<bool()> internMode; // empty: isInternMode
    std::string internSource;         // empty: internModeSource()
    bool terminal = false;            // standard output and error are a terminal
    std::atomic<bool>& bCancel;
    TRunSeams seams;
};

int runSessionCommand(const TUpdateOptions& o, TCommandEnv& env);
