// Options of the session commands "update" and "info", and the rule that
// the options relaxing the updater's safety checks need the internal mode.
#pragma once

#include "session/uCommThread.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

struct TUpdateOptions {
    std::string port;
    std::string file;           // --file: an image file instead of the built-in images
    bool noCheckClass = false;  // --no-check-class
    bool noCheckFamily = false; // --no-check-family
    bool noCheckInfo = false;   // --no-check-info
    int maxRestarts = 3;
    bool json = false;
    bool quiet = false;
    bool infoOnly = false; // "info": identify and choose the image, write nothing
};

void addSessionOptions(CLI::App& sub, TUpdateOptions& o);

// The options given that relax a safety check, as written on the command line.
std::vector<std::string> relaxingOptions(const TUpdateOptions& o);

// Empty when the options may be used; else why not, for the operator.
std::string internModeRefusal(const TUpdateOptions& o, bool bInternMode,
                              const std::string& internSource);

TSessionSettings sessionSettings(const TUpdateOptions& o);
