// The firmware overview's design (pixels at 96 per inch), its place and its
// column rule.  It opens over the main window's top-left corner with the
// main window's outer height; its width follows from the columns.
#pragma once

#include "desktop/uDesignUnits.h"

#include <vector>

struct TOverviewDesign {
    TSize client{318, 209};
    int panelHeight = 37; // the strip along the bottom that holds "OK"
    TRect button{13, 7, 98, 24};
    int columnExtra = 5; // added to each column's fitted width
    int widthExtra = 30; // added to the columns' sum for the client width
};
inline constexpr TOverviewDesign cOverviewDesign{};

// The arguments of Execute for the main window's outer rectangle: its left,
// top, width * 3 / 2 (rounded toward zero; the columns decide the width) and
// height.
TRect overviewExecuteArgs(const TRect& mainOuter);

// A column is as wide as the wider of its header and its cells, plus 5.
int overviewColumnWidth(int headerWidth, int cellsWidth);
// The client width: the columns' widths plus 30.
int overviewClientWidth(const std::vector<int>& columnWidths);

struct TOverviewLayout {
    TRect outer;  // on the screen
    TRect list;   // in the client area
    TRect button; // in the client area
};
// args: from overviewExecuteArgs; frame: outer size minus client size.
TOverviewLayout overviewLayout(const TRect& args, int clientWidth, TSize frame, TScale scale);
