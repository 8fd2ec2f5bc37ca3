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

// The options of args (args[0] is the program) in the given mode.
TProgramOptions readProgramOptions(const std::vector<std::string>& args, bool intern);

// The internal-mode switch of the current user: the REG_DWORD "intern" under
// HKCU\Software\Quorvane\Vorn on Windows, the line "intern=..." of
// Quorvane/Vorn.conf in the user's configuration folder on Linux (the file
// the Qt settings object writes).  A missing or non-integer value means
// normal mode.  One reader per platform, chosen at build time.
bool readInternMode();

// Where the switch lives on this platform, for messages.
std::string internModeSource();
