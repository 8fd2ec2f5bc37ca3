// The whole-image check that runs before anything is written: the built-in
// images pass with their known layout, and broken copies fail at the line
// where the update session would stop.
#include "images/uFWCatalog.h"
#include "images/uImageCheck.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

const std::string cEnd = ":00000001FF";

TImageCheckResult checkLines(const std::vector<std::string>& lines) {
    return checkImage(static_cast<int>(lines.size()) - 1, [&](int i, std::string& s) {
        if (i < 0 || i >= static_cast<int>(lines.size())) return false;
        s = lines[static_cast<std::size_t>(i)];
        return true;
    });
}

std::vector<std::string> builtInLines(int iFW) {
    TFWCatalog catalog;
    catalog.iSelectedFW = iFW;
    std::vector<std::string> lines(static_cast<std::size_t>(catalog.getLastLine() + 1));
    for (std::size_t i = 0; i < lines.size(); ++i)
        catalog.getLine(static_cast<int>(i), lines[i]);
    return lines;
}

std::vector<std::pair<int, int>> runs(const std::vector<TBlockRange>& blocks) {
    std::vector<std::pair<int, int>> r;
    for (const auto& b : blocks)
        r.emplace_back(b.first, b.last);
    return r;
}

} // namespace

TEST(ImageCheck, BuiltInImagesPass) {
    struct Case {
        int iFW;
        int lastLine;
        std::uint16_t lastOfLongRun;
    };
    for (const Case c : {Case{1, 2365, 0x0A5F}, Case{2, 2364, 0x0A5E}}) {
        SCOPED_TRACE("slot " + std::to_string(c.iFW));
        TFWCatalog catalog;
        catalog.iSelectedFW = c.iFW;
        const auto r = checkImage(catalog.getLastLine(),
                                  [&](int i, std::string& s) { return catalog.getLine(i, s); });
        EXPECT_TRUE(r.ok);
        EXPECT_TRUE(r.endLineOk);
        EXPECT_EQ(r.lastLine, c.lastLine);
        EXPECT_EQ(r.dataRecords, c.lastLine);
        EXPECT_EQ(r.skippedRecords, 0);
        EXPECT_TRUE(r.hasVectorTable);
        EXPECT_EQ(r.badLine, -1);
        EXPECT_EQ(r.badReason, "");
        const std::vector<std::pair<int, int>> blocks = {
            {0x0200, 0x0200}, {0x0208, 0x0361},          {0x03D8, 0x03D8},
            {0x03DF, 0x03DF}, {0x0400, c.lastOfLongRun}, {0x0C00, 0x0D7F}};
        EXPECT_EQ(runs(r.blocks), blocks);
    }
}

// Broken copies of the print-47 image, one fault each: where the check stops
// and whether the end line is still seen.
TEST(ImageCheck, BrokenCopies) {
    const auto good = builtInLines(2);
    const int n = static_cast<int>(good.size()) - 1; // index of the end line

    auto lowerCase = good;
    lowerCase[5][lowerCase[5].find_first_of("ABCDEF", 1)] += 'a' - 'A';
    auto wrongChecksum = good;
    wrongChecksum[100].back() = wrongChecksum[100].back() == '0' ? '1' : '0';
    auto blankBeforeEnd = good;
    blankBeforeEnd.insert(blankBeforeEnd.end() - 1, "");
    auto blankAfterEnd = good;
    blankAfterEnd.push_back("");
    auto noEndLine = good;
    noEndLine.pop_back();
    auto lowerEndLine = good;
    lowerEndLine.back() = ":00000001ff";
    auto truncatedLine = good;
    truncatedLine[348].pop_back();
    auto crLeftOver = good;
    crLeftOver[0] += "\r";

    struct Case {
        const char* what;
        std::vector<std::string> lines;
        bool endLineOk;
        int badLine;
    };
    const std::vector<Case> cases = {
        {"lower-case hex digit", lowerCase, true, 5},
        {"wrong checksum", wrongChecksum, true, 100},
        {"blank line before the end line", blankBeforeEnd, true, n},
        {"blank line after the end line", blankAfterEnd, false, -1},
        {"missing end line", noEndLine, false, -1},
        {"lower-case end line", lowerEndLine, false, -1},
        {"line one character short", truncatedLine, true, 348},
        {"carriage return left at a line end", crLeftOver, true, 0},
        {"only the end line", {cEnd}, false, -1},
        {"no lines", {}, false, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto r = checkLines(c.lines);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.endLineOk, c.endLineOk);
        EXPECT_EQ(r.badLine, c.badLine);
        EXPECT_EQ(r.badReason.empty(), c.badLine < 0);
    }
}

TEST(ImageCheck, WellFormedShortRecordsAreCountedButNotWritten) {
    const std::vector<std::string> lines = {
        ":0000000000", ":0100000520DA",
        // a full record of type 00 at block 0x03DF, built from the built-in line 348
        builtInLines(1)[348], cEnd};
    const auto r = checkLines(lines);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.dataRecords, 1);
    EXPECT_EQ(r.skippedRecords, 2);
    EXPECT_TRUE(r.hasVectorTable);
    ASSERT_EQ(r.blocks.size(), 1u);
    EXPECT_EQ(r.blocks[0].first, 0x03DF);
}

TEST(ImageCheck, ALineThatCannotBeDeliveredIsBad) {
    const auto good = builtInLines(1);
    const auto r = checkImage(static_cast<int>(good.size()) - 1, [&](int i, std::string& s) {
        if (i == 7) return false;
        s = good[static_cast<std::size_t>(i)];
        return true;
    });
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.badLine, 7);
    EXPECT_FALSE(r.badReason.empty());
}
