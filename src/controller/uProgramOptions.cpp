#include "controller/uProgramOptions.h"

#include "controller/uWinTools1V4.h"

TProgramOptions buildProgramOptions(const TOptionRequest& request, bool intern) {
    TProgramOptions o;
    o.bClearWarning = request.clearWarning;
    o.port = request.port;
    if (intern) {
        o.settings.bCheckClass = !request.noCheckClass;
        o.settings.bCheckFamily = !request.noCheckFamily;
        o.settings.bCheckInfo = !request.noCheckInfo;
        o.iFileMode = request.fileSlot ? 2 : 1;
    }
    return o;
}

TOptionRequest readOptionRequest(const std::vector<std::string>& args) {
    TOptionRequest r;
    // Another value than "-" leaves a switch as it is.
    r.noCheckClass = getOption("cc:", "", args) == "-";
    r.noCheckFamily = getOption("cf:", "", args) == "-";
    r.noCheckInfo = getOption("ci:", "", args) == "-";
    // The first "mf:" argument decides; "mf:-" and any other value leave
    // the question off.
    r.clearWarning = getOption("mf:", "", args) == "+";
    r.fileSlot = getOption("f:", "-", args) == "+";
    r.port = getOption("port:", "", args);
    return r;
}

TProgramOptions readProgramOptions(const std::vector<std::string>& args, bool intern) {
    return buildProgramOptions(readOptionRequest(args), intern);
}
