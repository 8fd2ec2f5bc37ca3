#include "controller/uProgramOptions.h"

#include "controller/uWinTools1V4.h"

TProgramOptions readProgramOptions(const std::vector<std::string>& args, bool intern) {
    TProgramOptions o;
    // The check switches count only in internal mode; another value than
    // "-" leaves a switch as it is.
    if (intern) {
        if (getOption("cc:", "", args) == "-") o.settings.bCheckClass = false;
        if (getOption("cf:", "", args) == "-") o.settings.bCheckFamily = false;
        if (getOption("ci:", "", args) == "-") o.settings.bCheckInfo = false;
    }
    // Both readings find the first "mf:" argument, so the first one decides.
    if (getOption("mf:", "", args) == "+") o.bClearWarning = true;
    if (getOption("mf:", "", args) == "-") o.bClearWarning = false;
    if (intern) {
        o.iFileMode = 1;
        if (getOption("f:", "-", args) == "+") o.iFileMode = 2;
    }
    o.port = getOption("port:", "", args);
    return o;
}
