// What the program is started with: the command-line options ("key:value"
// arguments, such as "mf:+") and the internal (service) mode of the current
// user.  Read once, when the front end creates its controller.
#pragma once

#include "session/uSessionSettings.h"

#include <string>
#include <vector>

// The value that switches the internal mode on.
inline constexpr int cInternModeCode = 7361;

struct TProgramOptions {
    TSessionSettings settings;  // "cc:-", "cf:-", "ci:-" (internal mode only)
    bool bClearWarning = false; // "mf:+": "Update" asks the measurement-clearing question
    int iFileMode = 0;          // 0 normal; 1 internal mode; 2 internal mode with "f:+"
    std::string port;           // "port:NAME": the port box's text at start
};

// What a front end was asked for, before the internal-mode rule: the
// desktop programs read it from their "key:value" arguments, tarvek2-cli
// from its command line.
struct TOptionRequest {
    bool noCheckClass = false;  // "cc:-", --no-check-class
    bool noCheckFamily = false; // "cf:-", --no-check-family
    bool noCheckInfo = false;   // "ci:-", --no-check-info
    bool clearWarning = false;  // "mf:+"
    bool fileSlot = false;      // "f:+", --file: the "File" button, an image file
    std::string port;           // "port:NAME"
};

// The options every front end's controller runs with.  The internal-mode
// rule: the check switches and the file slot count only in internal mode,
// which also shows the report and "Read info only" (iFileMode 1, with the
// file slot 2).
TProgramOptions buildProgramOptions(const TOptionRequest& request, bool intern);

// The request of args (args[0] is the program).
TOptionRequest readOptionRequest(const std::vector<std::string>& args);

// The options of args in the given mode.
TProgramOptions readProgramOptions(const std::vector<std::string>& args, bool intern);

// The internal-mode switch of the current user: the REG_DWORD "intern" under
// HKCU\Software\Quorvane\Vorn on Windows, the line "intern=..." of
// Quorvane/Vorn.conf in the user's configuration folder on Linux (the file
// the Qt settings object writes).  A missing or non-integer value means
// normal mode.  One reader per platform, chosen at build time.
bool readInternMode();

// Where the switch lives on this platform, for messages.
std::string internModeSource();
