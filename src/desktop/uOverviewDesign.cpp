#include "desktop/uOverviewDesign.h"

#include <algorithm>
#include <numeric>

TRect overviewExecuteArgs(const TRect& mainOuter) {
    return {mainOuter.left, mainOuter.top, mainOuter.width * 3 / 2, mainOuter.height};
}

int overviewColumnWidth(int headerWidth, int cellsWidth) {
    return std::max(headerWidth, cellsWidth) + cOverviewDesign.columnExtra;
}

int overviewClientWidth(const std::vector<int>& columnWidths) {
    return std::accumulate(columnWidths.begin(), columnWidths.end(), 0) +
           cOverviewDesign.widthExtra;
}

TOverviewLayout overviewLayout(const TRect& args, int clientWidth, TSize frame, TScale s) {
    const TOverviewDesign& d = cOverviewDesign;
    TOverviewLayout l;
    l.outer = {args.left, args.top, clientWidth + frame.width, args.height};
    // A covered window too low for the list keeps at least the strip.
    const int panel = s.px(d.panelHeight);
    const int clientH = std::max(args.height - frame.height, panel);
    l.list = {0, 0, clientWidth, clientH - panel};
    l.button = {s.px(d.button.left), clientH - panel + s.px(d.button.top), s.px(d.button.width),
                s.px(d.button.height)};
    return l;
}
