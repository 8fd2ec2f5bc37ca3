// What the front ends show for each notification: text, outputs and effects.
#include "session/uExceptions1V0.h"
#include "session/uNotifyTexts.h"

#include <gtest/gtest.h>

namespace {

struct TextCase {
    TNotification n;
    std::string text;
    std::string outputs;
    bool endSession = false;
    bool beep = false;
    int progress = -1;
};

// The outputs as the letters R, S and M in the order they are done.
std::string letters(const TTextOutputs& o) {
    std::string out;
    if (o.report) out += 'R';
    if (o.status) out.insert(o.statusFirst ? 0 : out.size(), 1, 'S');
    if (o.message) out += 'M';
    return out;
}

class NotifyTexts : public ::testing::TestWithParam<TextCase> {};

TEST_P(NotifyTexts, RenderAsTheOperatorSeesThem) {
    const auto c = GetParam();
    TFWCatalog catalog;
    catalog.iSelectedFW = 2;
    const auto r = renderNotification(c.n, catalog, "COM7");
    EXPECT_TRUE(r.handled);
    EXPECT_EQ(r.text, c.text);
    EXPECT_EQ(letters(r.outputs), c.outputs) << c.text;
    EXPECT_EQ(r.outputs.any(), !c.outputs.empty()) << c.text;
    EXPECT_EQ(r.endSession, c.endSession) << c.text;
    EXPECT_EQ(r.beep, c.beep) << c.text;
    EXPECT_EQ(r.progress, c.progress) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, NotifyTexts,
    ::testing::Values(
        TextCase{
            {cNT_DONE, 0}, "Update Tarvek2 V2.08 succesfully completed.", "RSM", true, false, 100},
        TextCase{{cNT_PROGRESS, 37}, "Progress 37%", "R", false, false, 37},
        TextCase{{cNT_PROG_ERROR_LINE, 12}, "Aborted because programming error at line 12 !", "RS"},
        TextCase{{cNT_CONV_ERROR_LINE, 7}, "Aborted because conversion error at line  7 !", "R"},
        TextCase{{cNT_REPEAT_COMM, 0}, "Repeat update because communication error!", "SR"},
        TextCase{{cNT_CLASS, 0x6621}, "Class 26145 [Tarvekx]", "R"},
        TextCase{{cNT_CLASS, 0xC802}, "Class 51202 [BL3]", "R"},
        TextCase{{cNT_CLASS, 0x1234}, "Class 4660 [?]", "R"},
        TextCase{{cNT_VERSION, 0x0208}, "Version 2.8", "R"},
        TextCase{{cNT_PLATFORM, 21}, "Platform 21 [F5438 WD2]", "R"},
        TextCase{{cNT_PLATFORM, 0xFFFF}, "Platform 65535 [?]", "R"},
        TextCase{{cNT_PRINT, 47}, "Print 47 [A10g WLAN UART]", "R"},
        TextCase{{cNT_INFO, 258}, "Info 258", "R"},
        TextCase{{cNT_UPDATE_CLASS, 0x6621}, "Update class 26145 [Tarvekx]", "R"},
        TextCase{{cNT_UPDATE_IMAGE, 0}, "Update Tarvek2 V2.08, A10g WLAN UART, BL3.0", "RS"},
        TextCase{{cNT_CHECK_IMAGE, 1}, "Check Tarvek2 V2.08, A10e WLAN UART, BL3.0", "R"},
        TextCase{{cNT_UPDATE_INFO, 0xFFFE}, "Update Info FFFE", "R"},
        TextCase{{cNT_UPDATE_INFO, 0x1A}, "Update Info 001A", "R"},
        TextCase{{cNT_VECTOR_TABLE, 0}, "Vector table is saved.", "R"},
        TextCase{{cNT_VECTOR_TABLE, 1}, "Vector table is programmed.", "R"},
        // Abort reasons: back to idle and a beep first, then the outputs.
        TextCase{{cNT_ABORT, 10},
                 "Aborted because serial port \"COM7\" is not ready!",
                 "RSM",
                 true,
                 true},
        TextCase{{cNT_ABORT, 11},
                 "Aborted because error when reading/writing to serial port!",
                 "RSM",
                 true,
                 true},
        TextCase{{cNT_ABORT, 20}, "Process cancelled!", "RSM", true, true},
        TextCase{{cNT_ABORT, 40},
                 "Aborted because no update is available for this logger!",
                 "RSM",
                 true,
                 true},
        TextCase{{cNT_ABORT, 41}, "Aborted because the logger is not ready!", "RSM", true, true},
        TextCase{{cNT_ABORT, 42}, "Aborted because last line is wrong !", "RSM", true, true},
        TextCase{{cNT_ABORT, 43}, "Aborted because conversion error!", "M", true, true},
        TextCase{{cNT_ABORT, 44}, "Repeat because programming error!", "RS", true, true},
        TextCase{{cNT_ABORT, 45}, "Update was not successfull!", "RSM", true, true},
        TextCase{{cNT_ABORT, 46},
                 "Aborted because the logger transmitted an invalid answer!",
                 "RSM",
                 true,
                 true},
        TextCase{{cNT_ABORT, 47},
                 "There is no update available or the logger has another update ID!",
                 "RSM",
                 true,
                 true},
        TextCase{{cNT_ABORT, 70}, "Only read update info!", "RSM", true, true},
        TextCase{{cNT_ABORT, 0}, "Fatal Exception has occurred!", "RSM", true, true},
        TextCase{{cNT_ABORT, 30}, "Fatal Exception has occurred!", "RSM", true, true}));

TEST(NotifyTextsIgnored, UnknownKindsAndVectorTableValues) {
    TFWCatalog catalog;
    EXPECT_FALSE(renderNotification({2, 0}, catalog, "").handled);
    EXPECT_FALSE(renderNotification({cNT_VECTOR_TABLE, 2}, catalog, "").handled);
}

TEST(NotifyTextsImage, NameAndVersionAsTheReportGivesThem) {
    TFWCatalog catalog;
    const TBl3FileHeader h = catalog.getFWHeader(1);
    EXPECT_EQ(imageName(h), "Tarvek2 V2.08, A10e WLAN UART, BL3.0");
    EXPECT_EQ(imageVersion(h), "V2.08");
    EXPECT_EQ(renderNotification({cNT_CHECK_IMAGE, 1}, catalog, "").text, "Check " + imageName(h));
}

TEST(ReportLine, TimeStampArrowText) {
    std::tm t{};
    t.tm_hour = 14;
    t.tm_min = 5;
    t.tm_sec = 9;
    EXPECT_EQ(reportLine(t, "Process cancelled!"), "14-05-09 -> Process cancelled!");
    EXPECT_EQ(reportLine(t, ""), "14-05-09 -> ");
    EXPECT_EQ(startText("COM5"), "Start at serial port \"COM5\"");
}

} // namespace
