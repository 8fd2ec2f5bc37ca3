// Rows of the firmware overview: one per built-in image, print 47 first, and
// the selected image file's header on top when the file slot is selected.
#pragma once

#include "images/uFWCatalog.h"

#include <string>
#include <vector>

struct TOverviewRow {
    std::string firmware; // class name for the image's print
    std::string version;  // "%d.%.2d"
    std::string platform;
    std::string print;
    std::string date;
    std::string bl; // "%d.%d"
    bool operator==(const TOverviewRow&) const = default;
};

inline const char* const cOverviewColumns[6] = {"Firmware", "Version", "Platform",
                                                "Print",    "Date",    "BL"};

TOverviewRow overviewRow(const TBl3FileHeader& Header);
std::vector<TOverviewRow> overviewRows(const TFWCatalog& catalog);
