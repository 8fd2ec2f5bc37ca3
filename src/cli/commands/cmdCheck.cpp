// "check": checks an image file as the update session does before writing.
#include "cli/commands/cmdCheck.h"
#include "cli/commands/imageFileCheck.h"
#include "images/uImageCheck.h"
#include "images/uImageFile.h"
#include "images/uOverview.h"

#include <CLI/CLI.hpp>

#include <fmt/core.h>

#include <memory>
#include <string>

namespace {

struct TCheckOptions {
    std::string file;
    int builtin = 0;
};

std::string blockList(const std::vector<TBlockRange>& blocks) {
    std::string s;
    for (const auto& b : blocks) {
        if (!s.empty()) s += ", ";
        s += b.first == b.last ? fmt::format("0x{:04X}", b.first)
                               : fmt::format("0x{:04X}-0x{:04X}", b.first, b.last);
    }
    return s.empty() ? "none" : s;
}

// "file line 2375" for image line index.
std::string fileLineText(const TImageFileCheck& file, int index) {
    if (index < 0 || index >= static_cast<int>(file.fileLines.size())) return "not in the file";
    return fmt::format("file line {}", file.fileLines[static_cast<std::size_t>(index)]);
}

int runCheck(const TCheckOptions& o) {
    TImageFileCheck file; // the image's lines as the file holds them
    TFWCatalog catalog;
    std::string name;
    if (o.builtin != 0) {
        catalog.iSelectedFW = o.builtin;
        name = fmt::format("built-in image {}", o.builtin);
    } else {
        file = checkImageFile(o.file);
        name = o.file;
        if (file.load.result != TImageLoadResult::ok) {
            fmt::print("Image:        {}\n", name);
            fmt::print("Header:       cannot be read: {}\n", file.load.text());
            fmt::print("Result:       bad image\n");
            return 1;
        }
        catalog.FileHeader = file.header;
        catalog.FileLines = file.lines;
        catalog.iSelectedFW = 0;
    }

    const TBl3FileHeader h = catalog.getFWHeader(catalog.iSelectedFW);
    const TOverviewRow row = overviewRow(h);
    const int last = catalog.getLastLine();
    // A file was checked as it was read.
    const TImageCheckResult r =
        o.builtin != 0
            ? checkImage(last, [&](int i, std::string& s) { return catalog.getLine(i, s); })
            : file.check;

    fmt::print("Image:        {}\n", name);
    fmt::print("Header:       class {} [{}], version {}, platform {} [{}], print {} [{}], "
               "date \"{}\", bootloader {}\n",
               h.vorn_class, row.firmware, row.version, h.vorn_platform, row.platform, h.vorn_print,
               row.print, h.vorn_date, row.bl);
    // Records are named by their index, as the update's report names them,
    // and for a file also by the line number an editor shows.
    fmt::print(
        "Lines:        {} (end line {})\n", last + 1,
        r.endLineOk ? fmt::format("\":00000001FF\" at index {}{}", last,
                                  o.builtin != 0 ? std::string() : ", " + fileLineText(file, last))
        : last < 1
            ? std::string("missing: no data lines")
            : fmt::format("missing: index {} is not \":00000001FF\"{}", last,
                          o.builtin != 0 ? std::string() : " (" + fileLineText(file, last) + ")"));
    fmt::print("Data records: {} to write, {} passed over\n", r.dataRecords, r.skippedRecords);
    fmt::print("Blocks:       {}\n", blockList(r.blocks));
    fmt::print("Vector table: {}\n", r.hasVectorTable ? "block 0x03DF, written last" : "none");
    if (r.badLine >= 0)
        fmt::print("First bad line: {}: {}\n", imageLinePlace(file, r.badLine), r.badReason);
    fmt::print("Result:       {}\n", r.ok ? "good image" : "bad image");
    return r.ok ? 0 : 1;
}

} // namespace

TCommandRun addCheckCommand(CLI::App& app) {
    auto opts = std::make_shared<TCheckOptions>();
    auto* sub =
        app.add_subcommand("check", "Check an image file as the updater does before writing");
    auto* file = sub->add_option("FILE", opts->file, "image file");
    auto* builtin = sub->add_option("--builtin", opts->builtin, "check built-in image 1 or 2")
                        ->check(CLI::Range(1, 2));
    file->excludes(builtin);
    sub->require_option(1);
    return [opts] { return runCheck(*opts); };
}
