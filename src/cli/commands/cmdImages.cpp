// "images": the firmware overview as a text table.
#include "cli/commands/cmdImages.h"
#include "images/uImageFile.h"
#include "images/uOverview.h"

#include <CLI/CLI.hpp>

#include <fmt/core.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>

namespace {

struct TImagesOptions {
    std::string file;
    int builtin = 0;
};

void printTable(const std::vector<TOverviewRow>& rows) {
    std::array<std::size_t, 6> width{};
    auto cells = [](const TOverviewRow& r) {
        return std::array<const std::string*, 6>{&r.firmware, &r.version, &r.platform,
                                                 &r.print,    &r.date,    &r.bl};
    };
    for (int c = 0; c < 6; ++c)
        width[c] = std::string(cOverviewColumns[c]).size();
    for (const auto& r : rows)
        for (int c = 0; c < 6; ++c)
            width[c] = std::max(width[c], cells(r)[c]->size());

    std::string header;
    for (int c = 0; c < 6; ++c)
        header += fmt::format("{:<{}}", cOverviewColumns[c], c < 5 ? width[c] + 2 : 0);
    fmt::print("{}\n", header);
    for (const auto& r : rows) {
        std::string line;
        for (int c = 0; c < 6; ++c)
            line += fmt::format("{:<{}}", *cells(r)[c], c < 5 ? width[c] + 2 : 0);
        fmt::print("{}\n", line);
    }
}

int runImages(const TImagesOptions& o) {
    TFWCatalog catalog;
    if (o.builtin != 0) {
        printTable({overviewRow(catalog.getFWHeader(o.builtin))});
        return 0;
    }
    if (!o.file.empty()) {
        const auto load = loadImageHeader(o.file, catalog.FileHeader);
        if (load.result != TImageLoadResult::ok) {
            fmt::print(stderr, "tarvek2-cli: the image file \"{}\" cannot be read: {}\n", o.file,
                       load.text());
            return 1;
        }
        catalog.iSelectedFW = 0;
    }
    printTable(overviewRows(catalog));
    return 0;
}

} // namespace

TCommandRun addImagesCommand(CLI::App& app) {
    auto opts = std::make_shared<TImagesOptions>();
    auto* sub =
        app.add_subcommand("images", "Show the built-in firmware images (and FILE's header)");
    auto* file = sub->add_option("FILE", opts->file, "image file to list first");
    sub->add_option("--builtin", opts->builtin,
                    "show only built-in image 1 (print 38) or 2 (print 47)")
        ->check(CLI::Range(1, 2))
        ->excludes(file);
    return [opts] { return runImages(*opts); };
}
