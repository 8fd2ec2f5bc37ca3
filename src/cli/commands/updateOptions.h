// Options of the session commands "update" and "info" (one port, several,
// or all of them) and "station", and the rule that the options relaxing the
// updater's safety checks need the internal mode.
#pragma once

#include "controller/uProgramOptions.h"

#include <string>
#include <vector>

namespace CLI {
class App;
}

struct TUpdateOptions {
    std::vector<std::string> ports; // --port, once per port
    bool allPorts = false;          // --all: every port that "ports" lists
    std::string logDir;             // --log-dir: one log file per port
    std::string file;               // --file: an image file instead of the built-in images
    bool noCheckClass = false;      // --no-check-class
    bool noCheckFamily = false;     // --no-check-family
    bool noCheckInfo = false;       // --no-check-info
    int maxRestarts = 3;
    bool json = false;
    bool quiet = false;
    bool infoOnly = false; // "info": identify and choose the image, write nothing
};

// "update" and "info": the ports, the run options, the image and its checks,
// the output format.
void addSessionOptions(CLI::App& sub, TUpdateOptions& o);
// What every run of sessions takes, "station" included: --log-dir and
// --max-restarts, with their checks.
void addRunOptions(CLI::App& sub, TUpdateOptions& o);

// The same port given twice ("ttyUSB0" and "/dev/ttyUSB0" are one port, and
// "com5" and "COM5" on Windows); empty when there is none.
std::string repeatedPort(const std::vector<std::string>& ports);

// The options given that relax a safety check, as written on the command line.
std::vector<std::string> relaxingOptions(const TUpdateOptions& o);

// Empty when the options may be used; else why not, for the operator.
std::string internModeRefusal(const TUpdateOptions& o, bool bInternMode,
                              const std::string& internSource);

// What the command line asks the controller's options for; the internal-mode
// rule is buildProgramOptions()'s, as for the desktop programs.
TOptionRequest optionRequest(const TUpdateOptions& o);
