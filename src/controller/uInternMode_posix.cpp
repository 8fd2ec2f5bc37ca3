// The internal-mode switch on Linux: the line "intern=..." of
// Quorvane/Vorn.conf in the user's configuration folder.
#include "controller/uInternModeText.h"
#include "controller/uProgramOptions.h"

#include <cstdlib>
#include <fstream>

namespace {

std::string configPath() {
    return internConfigPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

} // namespace

std::string internModeSource() {
    const std::string path = configPath();
    return "the line \"intern=...\" in " +
           (path.empty() ? std::string("~/.config/Quorvane/Vorn.conf") : path);
}

bool readInternMode() {
    const std::string path = configPath();
    if (path.empty()) return false;
    std::ifstream in(path);
    if (!in) return false;
    const auto value = internValueFromIni(in);
    return value && isInternCode(*value);
}
