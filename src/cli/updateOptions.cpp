#include "cli/updateOptions.h"

void addSessionOptions(CLI::App& sub, TUpdateOptions& o) {
    sub.add_option("-p,--port", o.port,
                   "serial port of the logger, such as ttyUSB0 or /dev/ttyUSB0")
        ->required();
    sub.add_option("--file", o.file,
                   "write this image file instead of a built-in image (internal mode)")
        ->check([](const std::string& s) {
            return s.empty() ? std::string("an empty file name") : std::string();
        });
    sub.add_flag(
        "--no-check-class", o.noCheckClass,
        "do not require the logger's update class to be the image's class (internal mode)");
    sub.add_flag("--no-check-family", o.noCheckFamily,
                 "switch a logger into its bootloader whatever class it reports (internal mode)");
    sub.add_flag("--no-check-info", o.noCheckInfo,
                 "do not require the logger's update info word 0xFFFE (internal mode)");
    sub.add_option("--max-restarts", o.maxRestarts,
                   "sessions started again after communication or programming errors")
        ->check(CLI::Range(0, 1000))
        ->capture_default_str();
    auto* json =
        sub.add_flag("--json", o.json, "one JSON object per notification on standard output");
    auto* quiet = sub.add_flag("-q,--quiet", o.quiet, "print only the final outcome");
    json->excludes(quiet);
}

std::vector<std::string> relaxingOptions(const TUpdateOptions& o) {
    std::vector<std::string> names;
    if (!o.file.empty()) names.emplace_back("--file");
    if (o.noCheckClass) names.emplace_back("--no-check-class");
    if (o.noCheckFamily) names.emplace_back("--no-check-family");
    if (o.noCheckInfo) names.emplace_back("--no-check-info");
    return names;
}

std::string internModeRefusal(const TUpdateOptions& o, bool bInternMode,
                              const std::string& internSource) {
    const auto names = relaxingOptions(o);
    if (names.empty() || bInternMode) return {};
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i)
        list += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return list + (names.size() == 1 ? " relaxes" : " relax") +
           " the updater's safety checks and needs the internal mode for service use, "
           "which is off (it is switched on by " +
           internSource +
           "). Without these options the updater writes the built-in image that fits the logger.";
}

TSessionSettings sessionSettings(const TUpdateOptions& o) {
    TSessionSettings s;
    s.bCheckClass = !o.noCheckClass;
    s.bCheckFamily = !o.noCheckFamily;
    s.bCheckInfo = !o.noCheckInfo;
    s.bInfoOnly = o.infoOnly;
    return s;
}
