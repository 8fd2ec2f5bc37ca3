#include "controller/uUpdateController.h"
#include "desktop/uMainWindowDesign.h"

#include <gtest/gtest.h>

TEST(MainWindowDesign, UpdateAndFileShareThePlaceOfOneButton) {
    const TMainButtons without = mainButtons(false);
    EXPECT_EQ(without.update, (TRect{50, 107, 139, 41})); // as wide as "Close"
    EXPECT_EQ(without.file.width, 0);
    EXPECT_EQ(without.close, (TRect{250, 107, 139, 41}));
    EXPECT_EQ(without.cancel, without.close);

    const TMainButtons with = mainButtons(true);
    EXPECT_EQ(with.update, (TRect{50, 107, 69, 41}));        // half of "Close"
    EXPECT_EQ(with.file, (TRect{50 + 69 + 8, 107, 69, 41})); // 8 right of "Update"
    EXPECT_EQ(with.close, without.close);
}

TEST(MainWindowDesign, UnitsScaleToTheScreenLikeTheSystem) {
    const struct {
        int ppi;
        int designUnits;
        int pixels;
    } cases[] = {
        {96, 441, 353},  // 352.8
        {96, 201, 161},  // 160.8
        {96, 10, 8},     // the design's 10 units at Qt's 96
        {120, 441, 441}, // the design's own resolution
        {144, 69, 83},   // 82.8
        {96, 5, 4},      // 4.0
        {96, 3, 2},      // 2.4
        {96, -5, -4},    // rounds away from zero, as MulDiv
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.ppi) + " ppi, " + std::to_string(c.designUnits));
        EXPECT_EQ(TScale{c.ppi}.du(c.designUnits), c.pixels);
    }
    EXPECT_EQ(TScale{96}.px(37), 37);
    EXPECT_EQ(TScale{144}.px(37), 56); // 55.5 rounds up
}

TEST(MainWindowDesign, ViewFollowsTheControllerState) {
    TControllerState idle;
    idle.fileShown = true;
    idle.readInfoOnlyShown = true;
    TMainView v = mainView(idle);
    EXPECT_TRUE(v.updateEnabled && v.closeShown && !v.cancelShown && v.portEnabled);
    EXPECT_TRUE(v.fileShown && v.fileEnabled && v.readInfoOnlyShown && !v.busyCursor);

    TControllerState busy = idle;
    busy.busy = true;
    busy.updateEnabled = false;
    busy.closeShown = false;
    busy.cancelShown = true;
    busy.portEnabled = false;
    busy.fileEnabled = false;
    busy.busyCursor = true;
    v = mainView(busy);
    EXPECT_TRUE(!v.updateEnabled && !v.closeShown && v.cancelShown && v.cancelEnabled);
    EXPECT_TRUE(!v.portEnabled && !v.fileEnabled && v.busyCursor);

    // "Yes" to closing while busy: the program shows that it is ending.
    TControllerState closing = busy;
    closing.closing = true;
    v = mainView(closing);
    EXPECT_TRUE(v.cancelShown);
    EXPECT_FALSE(v.cancelEnabled);
    EXPECT_TRUE(v.busyCursor);
    EXPECT_FALSE(v.updateEnabled);
    // The session has ended, the window is about to go: it does not flash
    // its idle state.
    TControllerState ended;
    ended.closing = true;
    v = mainView(ended);
    EXPECT_TRUE(v.cancelShown && !v.cancelEnabled && !v.closeShown && !v.updateEnabled);
    EXPECT_TRUE(!v.portEnabled && !v.fileEnabled && v.busyCursor);
}
