#include "images/uOverview.h"

#include <cstdio>

TOverviewRow overviewRow(const TBl3FileHeader& h) {
    char version[32];
    std::snprintf(version, sizeof version, "%d.%.2d", h.vorn_verH, h.vorn_verL);
    char bl[32];
    std::snprintf(bl, sizeof bl, "%d.%d", h.vorn_bl, h.vorn_bl_ver);
    return {getClassName(h.vorn_class, h.vorn_print),
            version,
            getPlatformName(h.vorn_platform),
            getPrintName(h.vorn_print),
            h.vorn_date,
            bl};
}

std::vector<TOverviewRow> overviewRows(const TFWCatalog& catalog) {
    std::vector<TOverviewRow> rows;
    if (catalog.iSelectedFW.load() == 0) rows.push_back(overviewRow(catalog.getFWHeader(0)));
    for (int i = TFWCatalog::getFWCount(); i >= 1; --i)
        rows.push_back(overviewRow(catalog.getFWHeader(i)));
    return rows;
}
