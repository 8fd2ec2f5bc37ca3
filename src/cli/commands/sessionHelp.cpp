#include "cli/commands/sessionHelp.h"

#include "cli/exitCodes.h"
#include "cli/output/fittedLine.h"

#include <cstdio>

namespace {

constexpr std::size_t cHelpWidth = 79;
constexpr std::size_t cMeaningIndent = 7;

} // namespace

std::string sessionHelpFooter(bool infoOnly) {
    std::string text = wrappedText("Exit status (with several ports: 0 when every port "
                                   "succeeded, else the status of the first port, in the order "
                                   "given, that did not):",
                                   cHelpWidth, 0) +
                       '\n';
    for (const auto& c : cExitCodes) {
        char code[16];
        std::snprintf(code, sizeof code, "  %-4d ", c.code);
        // The meaning beside its code, and its further lines under it.
        const std::string meaning = wrappedText(c.meaning, cHelpWidth, cMeaningIndent);
        text += code + meaning.substr(cMeaningIndent) + '\n';
    }
    text += "\nExamples:\n";
    if (infoOnly)
        text += "  tarvek2-cli info --port ttyUSB0\n"
                "      identify the logger on /dev/ttyUSB0 and name the image that fits it\n"
                "  tarvek2-cli info --all --json\n"
                "      the same for every USB serial port, as JSON for a script\n";
    else
        text += "  tarvek2-cli update --port ttyUSB0\n"
                "      update the logger on /dev/ttyUSB0\n"
                "  tarvek2-cli update --all --log-dir logs --quiet\n"
                "      update every logger plugged in at once, each port's report in its own\n"
                "      file under logs/, and print only each port's outcome and the summary\n";
    return text;
}
