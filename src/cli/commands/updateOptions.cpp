#include "cli/commands/updateOptions.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <set>

void addRunOptions(CLI::App& sub, TUpdateOptions& o) {
    sub.add_option("--log-dir", o.logDir,
                   "write each update's report to DIR/<port>-<yyyymmdd-hhnnss>.log")
        ->check([](const std::string& s) {
            return s.empty() ? std::string("an empty folder name") : std::string();
        });
    sub.add_option("--max-restarts", o.maxRestarts,
                   "sessions started again after communication or programming errors")
        ->check(CLI::Range(0, 1000))
        ->capture_default_str();
}

void addSessionOptions(CLI::App& sub, TUpdateOptions& o) {
    // Exactly one of: --port (once or more), --all.
    auto* ports = sub.add_option_group("ports", "which loggers");
    ports
        ->add_option("-p,--port", o.ports,
                     "serial port of a logger, such as ttyUSB0 or /dev/ttyUSB0; give it once "
                     "per logger to update several at once")
        ->allow_extra_args(false)
        ->check([](const std::string& s) {
            // "--port $P --port X" with $P empty would otherwise take the
            // second "--port" for a port's name.
            if (s.empty()) return std::string("an empty port name");
            if (s.front() == '-') return "not a port name: " + s;
            return std::string();
        });
    ports->add_flag("--all", o.allPorts, "every USB serial port that \"ports\" lists");
    ports->require_option(1);
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
    addRunOptions(sub, o);
    auto* json =
        sub.add_flag("--json", o.json, "one JSON object per notification on standard output");
    auto* quiet = sub.add_flag("-q,--quiet", o.quiet, "print only the final outcome");
    json->excludes(quiet);
}

namespace {

std::string samePortKey(std::string port) {
#ifdef _WIN32
    for (char& c : port)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
#else
    if (port.rfind('/', 0) != 0) port = "/dev/" + port;
#endif
    return port;
}

} // namespace

std::string repeatedPort(const std::vector<std::string>& ports) {
    std::set<std::string> seen;
    for (const auto& p : ports)
        if (!seen.insert(samePortKey(p)).second) return p;
    return {};
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

TOptionRequest optionRequest(const TUpdateOptions& o) {
    TOptionRequest r;
    r.noCheckClass = o.noCheckClass;
    r.noCheckFamily = o.noCheckFamily;
    r.noCheckInfo = o.noCheckInfo;
    r.fileSlot = !o.file.empty();
    return r;
}
