// Where the companion windows go over and under the main window, and how
// large they are.
#include "desktop/uMessageDesign.h"
#include "desktop/uOverviewDesign.h"
#include "desktop/uReportDesign.h"

#include <gtest/gtest.h>

namespace {
constexpr TScale c96{96};
constexpr TScale c144{144};
} // namespace

TEST(MessagePlacement, OverTheLowerPartOfTheMainWindow) {
    // A main window 500 wide at left 100, top 200, 300 high: the message
    // window at left 110, 480 wide, its bottom edge at 490.
    const TRect covered{100, 200, 500, 300};
    const TSize frame{8, 30};
    const TMessageLayout l = messageLayout(covered, frame, 20, c96);
    EXPECT_EQ(l.outer.left, 110);
    EXPECT_EQ(l.outer.width, 480);
    EXPECT_EQ(l.outer.bottom(), 490);
    // A short text keeps the design height (101 units).
    EXPECT_EQ(l.outer.height, c96.du(101) + frame.height);
    // The strip at the bottom holds "OK" at its left edge, 3 units in.
    EXPECT_EQ(l.button, (TRect{2, c96.du(101) - c96.du(45) + 2, c96.du(93), c96.du(45) - 4}));
    EXPECT_EQ(l.textBox.left, 2);
    EXPECT_EQ(l.textBox.width, 480 - frame.width - 4);
    EXPECT_EQ(messageTextBoxWidth(covered.width, frame, c96), l.textBox.width);
    EXPECT_EQ(l.textBox.bottom(), l.button.top - 2); // the strip starts under the text box
}

TEST(MessagePlacement, GrowsUpwardsUntilTheWholeTextFits) {
    const TRect covered{100, 200, 500, 300};
    const TSize frame{8, 30};
    const struct {
        TScale scale;
        int textBoxHeight;
    } cases[] = {{c96, 0}, {c96, 38}, {c96, 120}, {c144, 40}, {c144, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.scale.pixelsPerInch) + " ppi, text box " +
                     std::to_string(c.textBoxHeight));
        const TMessageLayout l = messageLayout(covered, frame, c.textBoxHeight, c.scale);
        const int clientH = l.outer.height - frame.height;
        EXPECT_GE(l.textBox.height, c.textBoxHeight);          // the text is never cut
        EXPECT_GE(clientH, c.scale.du(101));                   // never below the design
        EXPECT_EQ(l.button.bottom(), clientH - c.scale.du(3)); // "OK" stays at the bottom
        EXPECT_EQ(l.outer.bottom(), covered.bottom() - c.scale.px(10));
        if (c.textBoxHeight > c.scale.du(101 - 45 - 3)) {
            EXPECT_EQ(l.textBox.height, c.textBoxHeight); // no more than it needs
        }
    }
}

TEST(OverviewPlacement, OverTheMainWindowsCornerWithItsHeight) {
    const TRect mainOuter{100, 200, 451, 265};
    const TRect args = overviewExecuteArgs(mainOuter);
    EXPECT_EQ(args, (TRect{100, 200, 676, 265})); // 451 * 3 / 2 rounds toward zero
    const TSize frame{8, 30};
    const TOverviewLayout l = overviewLayout(args, 400, frame, c96);
    EXPECT_EQ(l.outer, (TRect{100, 200, 408, 265}));
    EXPECT_EQ(l.list, (TRect{0, 0, 400, 265 - 30 - 37}));
    EXPECT_EQ(l.button, (TRect{13, 265 - 30 - 37 + 7, 98, 24}));

    // At 144 ppi the strip and the button scale; the window still takes the
    // main window's height.
    const TOverviewLayout big = overviewLayout(args, 600, frame, c144);
    EXPECT_EQ(big.outer.height, 265);
    EXPECT_EQ(big.button, (TRect{20, 265 - 30 - 56 + 11, 147, 36}));
}

TEST(OverviewColumns, WiderOfHeaderAndCellsPlusFiveSummedPlusThirty) {
    EXPECT_EQ(overviewColumnWidth(60, 45), 65);
    EXPECT_EQ(overviewColumnWidth(20, 118), 123);
    EXPECT_EQ(overviewColumnWidth(0, 0), 5);
    EXPECT_EQ(overviewClientWidth({65, 40, 80, 110, 123, 30}), 448 + 30);
    EXPECT_EQ(overviewClientWidth({}), 30);
    // The rule has no memory: the same texts give the same width at every
    // opening.
    const std::vector<int> columns = {overviewColumnWidth(60, 45), overviewColumnWidth(20, 118)};
    EXPECT_EQ(overviewClientWidth(columns), overviewClientWidth(columns));
}

TEST(ReportDocking, UnderTheMainWindowUnlessMinimised) {
    const TRect mainOuter{100, 200, 451, 265};
    EXPECT_EQ(reportDockPlace(mainOuter), (TPoint{100, 465}));
    EXPECT_EQ(reportWidth(mainOuter), 451);
    EXPECT_FALSE(reportNeedsDock({100, 465, 451, 180}, mainOuter, false));
    EXPECT_TRUE(reportNeedsDock({100, 466, 451, 180}, mainOuter, false));
    EXPECT_TRUE(reportNeedsDock({99, 465, 451, 180}, mainOuter, false));
    // Minimised: the main window's place is the icon's; the report stays.
    const TRect iconic{-32000, -32000, 160, 24};
    EXPECT_FALSE(reportNeedsDock({100, 465, 451, 180}, iconic, true));

    EXPECT_TRUE(reportToShow(true, true, false));
    EXPECT_FALSE(reportToShow(true, false, false)); // before the first idle moment
    EXPECT_FALSE(reportToShow(false, true, false)); // normal mode
    EXPECT_FALSE(reportToShow(true, true, true));   // comes back with the main window
}
