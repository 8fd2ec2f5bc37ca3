// The whole-image check that runs before anything is written: the built-in
// images pass with their known layout, and broken copies fail at the line
// where the update session would stop.
#include "images/uConvert1V0.h"
#include "images/uFWCatalog.h"
#include "images/uImageCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// The checked list the update session writes from: one step per data line in
// line order, the vector table held where it is met and written after all
// other lines, the list cut at the first bad line.
TEST(ImageCheck, CheckedListInWriteOrder) {
    using TKind = TWriteStep::TKind;
    auto full = [](std::uint16_t block, std::uint8_t fill = 0x11) {
        return makeRecord(block, 0x00, std::vector<std::uint8_t>(64, fill));
    };
    const std::string a = full(0x0200), b = full(0x0201);
    const std::string vt1 = full(0x03DF, 0x01), vt2 = full(0x03DF, 0x02);
    const std::string shortRecord = makeRecord(0x0300, 0x00, {1, 2, 3});
    const std::string otherType = makeRecord(0x0301, 0x02, std::vector<std::uint8_t>(64, 7));

    struct Step {
        TKind kind;
        int index;
        std::uint16_t block;
        int textFrom; // index of the line whose text the step carries; -1 none
        bool operator==(const Step&) const = default;
    };
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        std::vector<Step> steps;
        std::vector<std::uint16_t> writeOrder;
        bool ok;
        int badLine;
    };
    const std::vector<Case> cases = {
        {"vector table written after all other lines",
         {a, vt1, b, cEnd},
         {{TKind::write, 0, 0x0200, 0},
          {TKind::holdVectorTable, 1, 0x03DF, -1},
          {TKind::write, 2, 0x0201, 2},
          {TKind::writeVectorTable, 3, 0x03DF, 1}},
         {0x0200, 0x0201, 0x03DF},
         true,
         -1},
        {"the later of two vector tables is written",
         {vt1, a, vt2, cEnd},
         {{TKind::holdVectorTable, 0, 0x03DF, -1},
          {TKind::write, 1, 0x0200, 1},
          {TKind::holdVectorTable, 2, 0x03DF, -1},
          {TKind::writeVectorTable, 3, 0x03DF, 2}},
         {0x0200, 0x03DF},
         true,
         -1},
        {"short and other-type records are passed over",
         {":0000000000", a, otherType, shortRecord, cEnd},
         {{TKind::passOver, 0, 0x0000, -1},
          {TKind::write, 1, 0x0200, 1},
          {TKind::passOver, 2, 0x0301, -1},
          {TKind::passOver, 3, 0x0300, -1}},
         {0x0200},
         true,
         -1},
        {"no vector table",
         {a, b, cEnd},
         {{TKind::write, 0, 0x0200, 0}, {TKind::write, 1, 0x0201, 1}},
         {0x0200, 0x0201},
         true,
         -1},
        {"a bad line after the vector table cuts the list, nothing is held",
         {a, vt1, "", b, cEnd},
         {{TKind::write, 0, 0x0200, 0}, {TKind::holdVectorTable, 1, 0x03DF, -1}},
         {0x0200},
         false,
         2},
        {"a bad first line leaves nothing to write", {"x", a, cEnd}, {}, {}, false, 0},
        {"only the end line", {cEnd}, {}, {}, false, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TCheckedImage image =
            checkImageRecords(static_cast<int>(c.lines.size()) - 1, [&](int i, std::string& s) {
                if (i < 0 || i >= static_cast<int>(c.lines.size())) return false;
                s = c.lines[static_cast<std::size_t>(i)];
                return true;
            });
        std::vector<Step> steps;
        for (const TWriteStep& s : image.steps) {
            int from = -1;
            for (std::size_t i = 0; i < c.lines.size() && !s.line.empty(); ++i)
                if (c.lines[i] == s.line) from = static_cast<int>(i);
            steps.push_back({s.kind, s.index, s.block, from});
        }
        EXPECT_EQ(steps, c.steps);
        EXPECT_EQ(image.writeOrder(), c.writeOrder);
        EXPECT_EQ(image.ok(), c.ok);
        EXPECT_EQ(image.badLine, c.badLine);
        EXPECT_EQ(image.lastLine, static_cast<int>(c.lines.size()) - 1);
    }
}

// The session writes what one pass over the lines gave: each line of the
// built-in image is fetched once, and the written records are those lines.
TEST(ImageCheck, EachLineIsFetchedOnce) {
    const auto lines = builtInLines(1);
    std::vector<int> fetched(lines.size(), 0);
    const TCheckedImage image =
        checkImageRecords(static_cast<int>(lines.size()) - 1, [&](int i, std::string& s) {
            ++fetched.at(static_cast<std::size_t>(i));
            s = lines[static_cast<std::size_t>(i)];
            return true;
        });
    ASSERT_TRUE(image.ok());
    EXPECT_EQ(std::count(fetched.begin(), fetched.end(), 1),
              static_cast<std::ptrdiff_t>(lines.size()));
    ASSERT_EQ(image.steps.size(), lines.size()); // 2365 data lines and the vector table last
    EXPECT_EQ(image.steps.back().line, lines[348]);
    for (const TWriteStep& s : image.steps)
        if (s.kind == TWriteStep::TKind::write) {
            EXPECT_EQ(s.line, lines[static_cast<std::size_t>(s.index)]);
        }
}
