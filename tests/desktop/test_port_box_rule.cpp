#include "desktop/uPortBoxRule.h"

#include <gtest/gtest.h>

TEST(PortBoxRule, AtStartTheFirstPortOrTheOptionsPort) {
    const std::vector<std::string> ports = {"COM7", "COM5"};
    EXPECT_EQ(portBoxAtStart(ports, ""), (TPortBoxFill{ports, "COM7", true, false, false}));
    EXPECT_EQ(portBoxAtStart(ports, "COM9"), (TPortBoxFill{ports, "COM9", true, false, false}));
    EXPECT_EQ(portBoxAtStart({}, ""), (TPortBoxFill{{}, "", false, false, false}));
}

TEST(PortBoxRule, RefillKeepsTheTextAndDropsDownOnlyWhenUsable) {
    const std::vector<std::string> ports = {"COM5", "COM7"};
    const struct {
        bool active;
        bool enabled;
        bool dropped;
        bool close;
        bool open;
    } cases[] = {
        {true, true, false, false, true},   // idle and active: the new list drops down
        {true, true, true, true, true},     // an open list is closed and opened again
        {false, true, false, false, false}, // another program is active
        {true, false, false, false, false}, // a session runs: the box is disabled
        {true, false, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.active) + std::to_string(c.enabled) +
                     std::to_string(c.dropped));
        const TPortBoxFill f = portBoxRefill(ports, "COM9", c.active, c.enabled, c.dropped);
        EXPECT_EQ(f.items, ports); // the list's order, not sorted
        EXPECT_EQ(f.text, "COM9"); // the typed port stays, though it is gone
        EXPECT_FALSE(f.selectFirst);
        EXPECT_EQ(f.closeDropDown, c.close);
        EXPECT_EQ(f.openDropDown, c.open);
    }
    const TPortBoxFill opened = portBoxOnOpen({}, "COM9");
    EXPECT_TRUE(opened.items.empty());
    EXPECT_EQ(opened.text, "COM9");
    EXPECT_FALSE(opened.openDropDown || opened.closeDropDown);
}
