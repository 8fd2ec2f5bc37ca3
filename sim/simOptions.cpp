#include "simOptions.h"

#include <CLI/CLI.hpp>

#include <charconv>

namespace {

bool parseNumber(std::string_view s, unsigned long limit, unsigned long& value) {
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        base = 16;
    }
    if (s.empty()) return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    return ec == std::errc() && end == s.data() + s.size() && value <= limit;
}

// Adds an option whose text is a 16-bit code.
void addCode(CLI::App& app, const std::string& name, std::uint16_t& target,
             const std::string& help) {
    app.add_option_function<std::string>(
           name,
           [&target, name](const std::string& s) {
               if (!parseCode(s, target))
                   throw CLI::ValidationError(name, "'" + s + "' is not a code 0..0xFFFF");
           },
           help)
        ->type_name("CODE");
}

} // namespace

bool parseCode(const std::string& s, std::uint16_t& code) {
    unsigned long value = 0;
    if (!parseNumber(s, 0xFFFF, value)) return false;
    code = static_cast<std::uint16_t>(value);
    return true;
}

bool parseVersion(const std::string& s, std::uint8_t& major, std::uint8_t& minor) {
    const auto dot = s.find('.');
    unsigned long high = 0, low = 0;
    if (dot == std::string::npos || !parseNumber(std::string_view(s).substr(0, dot), 255, high) ||
        !parseNumber(std::string_view(s).substr(dot + 1), 255, low))
        return false;
    major = static_cast<std::uint8_t>(high);
    minor = static_cast<std::uint8_t>(low);
    return true;
}

int parseSimOptions(int argc, char** argv, TSimOptions& options) {
    TSimConfig& c = options.config;
    CLI::App app{"Simulated Tarvek2 logger on a pseudo-terminal.  Prints the port path on its "
                 "first line, runs until SIGINT or SIGTERM, then prints what was written (JSON). "
                 "SIGUSR1 prints the record without ending."};

    auto versionOption = [&app](const std::string& name, std::uint8_t& major, std::uint8_t& minor,
                                const std::string& help) {
        return app
            .add_option_function<std::string>(
                name,
                [&major, &minor, name](const std::string& s) {
                    if (!parseVersion(s, major, minor))
                        throw CLI::ValidationError(name, "'" + s + "' is not a version like 2.07");
                },
                help)
            ->type_name("M.m");
    };

    // Identity.
    addCode(app, "--class", c.appClass, "class of the application (default 0x6621)");
    versionOption("--version", c.versionMajor, c.versionMinor,
                  "version of the application (default 2.07)");
    versionOption("--boot-version", c.bootVersionMajor, c.bootVersionMinor,
                  "version of the bootloader (default 3.0)");
    addCode(app, "--platform", c.platform, "platform code (default 21)");
    addCode(app, "--print", c.print, "print code (default 38)");
    addCode(app, "--info", c.info, "info word of the identity record (default 0)");
    addCode(app, "--update-class", c.updateClass,
            "update class in the identity block (default 0x6621)");
    addCode(app, "--update-info", c.updateInfo,
            "update info in the identity block (default 0xFFFE)");
    app.add_flag("--in-bootloader", c.startsInBootloader, "the bootloader runs from the start");
    std::uint16_t restartClass = 0;
    auto* restartOption =
        app.add_option_function<std::string>(
               "--class-after-restart",
               [&restartClass](const std::string& s) {
                   if (!parseCode(s, restartClass))
                       throw CLI::ValidationError("--class-after-restart",
                                                  "'" + s + "' is not a code");
               },
               "class reported after the bootloader finished (default: the update class)")
            ->type_name("CODE");
    std::uint8_t restartMajor = 0, restartMinor = 0;
    auto* restartVersionOption =
        versionOption("--version-after-restart", restartMajor, restartMinor,
                      "version reported after the bootloader finished (default: --version)");

    // Faults.
    app.add_flag("--silent", c.silent, "never answer anything");
    app.add_flag("--not-ready", c.notReady, "identify answers carry the not-ready status bit");
    app.add_option("--bad-crc", c.badCrcAnswers, "the first N answer frames have a wrong CRC")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--corrupt-echo", c.corruptEchoAt,
                   "change the echo of data record K of a programming run (once)")
        ->check(CLI::PositiveNumber);
    app.add_option("--drop-echo", c.dropEchoAt,
                   "do not echo data record K of a programming run (once)")
        ->check(CLI::PositiveNumber);
    bool bAlways = false;
    app.add_flag("--always", bAlways, "--corrupt-echo and --drop-echo strike every time");
    std::vector<std::string> badAnswers;
    app.add_option("--bad-answer", badAnswers,
                   "answer bootloader command 0x20 or 0x30 with a wrong checksum")
        ->check(CLI::IsMember({"0x20", "0x30", "20", "30"}));
    app.add_flag("--stay-in-app", c.stayInApp, "ignore the switch into the bootloader");
    app.add_option("--cut-at", c.cutAt, "cut the line when data record K arrives")
        ->check(CLI::PositiveNumber);
    c.noiseAnswers = 0;
    app.add_option("--noise", c.noiseAnswers,
                   "noise bytes 00 FF 00 before the first N identify answers (N default 1)")
        ->expected(0, 1)
        ->default_str("1")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--baud", c.baud, "pace the answers at this baud rate (10 bits a byte)")
        ->check(CLI::NonNegativeNumber);
    app.add_flag("--pace-input", c.paceInput,
                 "with --baud, take in what arrives at the line's pace too");

    // Program.
    app.add_option("--link", options.sLink, "place a symlink to the port at PATH");
    app.add_option("--record", options.sRecordFile, "write the record to FILE instead of stdout");
    app.add_flag("--exit-after-update", options.bExitAfterUpdate,
                 "end once the logger has answered the identify after its restart");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    if (restartOption->count() > 0) c.classAfterRestart = restartClass;
    if (restartVersionOption->count() > 0) {
        c.versionMajorAfterRestart = restartMajor;
        c.versionMinorAfterRestart = restartMinor;
    }
    c.corruptEchoAlways = bAlways;
    c.dropEchoAlways = bAlways;
    for (const std::string& a : badAnswers) {
        if (a.ends_with("20"))
            c.badAnswer20 = true;
        else
            c.badAnswer30 = true;
    }
    return -1;
}
