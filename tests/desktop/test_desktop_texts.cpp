#include "controller/uUpdateController.h"
#include "desktop/uDesktopTexts.h"

#include <gtest/gtest.h>

TEST(DesktopTexts, LinesBreakWithAPlainNewLine) {
    const struct {
        const char* text;
        const char* shown;
    } cases[] = {
        {"", ""},         {"one line", "one line"},       {"a\r\nb", "a\nb"},
        {"a\nb", "a\nb"}, {"a\r\n\r\nb\r\n", "a\n\nb\n"}, {"a\rb", "a\nb"},
        {"\r", "\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plainLines(c.text), c.shown) << c.text;
    EXPECT_EQ(plainLines(cAskCloseBusy),
              "The update is not finished!\nDo you really close the program ?");
}
