// The image catalog: the two built-in images, the file slot, the selection,
// and what the catalog delivers for slots, operations and lines it does not
// have.
#include "images/uConvert1V0.h"
#include "images/uFWCatalog.h"
#include "images/uImageFile.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const std::string cEnd = ":00000001FF";

std::vector<std::string> linesOf(const TFWCatalog& catalog, int iFW) {
    std::vector<std::string> lines;
    std::string line;
    int last = 0;
    TBl3FileHeader header{};
    for (int i = 0; i <= catalog.getFWLastLine(iFW); ++i) {
        EXPECT_TRUE(catalog.accessFW(iFW, 2, i, line, last, header))
            << "slot " << iFW << " line " << i;
        lines.push_back(line);
    }
    return lines;
}

std::uint16_t blockOf(const std::string& line) {
    TRecordConverter conv;
    conv.sHexLine = line;
    EXPECT_TRUE(conv.LineToRecord()) << line;
    return conv.address();
}

} // namespace

TEST(Catalog, BuiltInHeadersAndLastLines) {
    TFWCatalog catalog;
    EXPECT_EQ(TFWCatalog::getFWCount(), 2);
    EXPECT_EQ(catalog.getFWHeader(1),
              (TBl3FileHeader{0x6621, 2, 8, 21, 38, "01.12.2021 09:05:00", 3, 0}));
    EXPECT_EQ(catalog.getFWHeader(2),
              (TBl3FileHeader{0x6621, 2, 8, 21, 47, "01.12.2021 09:05:06", 3, 0}));
    EXPECT_EQ(catalog.getFWLastLine(1), 2365);
    EXPECT_EQ(catalog.getFWLastLine(2), 2364);
}

TEST(Catalog, BlocksAtTheKnownLines) {
    TFWCatalog catalog;
    for (int iFW : {1, 2}) {
        SCOPED_TRACE("slot " + std::to_string(iFW));
        catalog.iSelectedFW = iFW;
        const int last = catalog.getLastLine();
        ASSERT_EQ(last, catalog.getFWLastLine(iFW));
        std::string line;
        ASSERT_TRUE(catalog.getLine(last, line));
        EXPECT_EQ(line, cEnd);
        ASSERT_TRUE(catalog.getLine(0, line));
        EXPECT_EQ(blockOf(line), 0x0200);
        ASSERT_TRUE(catalog.getLine(348, line));
        EXPECT_EQ(blockOf(line), 0x03DF) << "the vector table";
        ASSERT_TRUE(catalog.getLine(last - 1, line));
        EXPECT_EQ(blockOf(line), 0x0D7F);
    }
}

// Every data line is a full record of type 00, in ascending block order
// without repeats; only the last line is the end line.
TEST(Catalog, EveryBuiltInLineIsAFullDataRecord) {
    TFWCatalog catalog;
    for (int iFW : {1, 2}) {
        SCOPED_TRACE("slot " + std::to_string(iFW));
        const auto lines = linesOf(catalog, iFW);
        ASSERT_EQ(lines.back(), cEnd);
        int previous = -1;
        for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
            TRecordConverter conv;
            conv.sHexLine = lines[i];
            ASSERT_TRUE(conv.LineToRecord()) << "line " << i << ": " << lines[i];
            ASSERT_EQ(conv.count(), 0x40) << "line " << i;
            ASSERT_EQ(conv.type(), 0x00) << "line " << i;
            ASSERT_GT(conv.address(), previous) << "line " << i;
            previous = conv.address();
        }
    }
}

TEST(Catalog, Print47LacksBlock0A5F) {
    TFWCatalog catalog;
    std::set<std::uint16_t> blocks38, blocks47;
    for (const auto& l : linesOf(catalog, 1))
        if (l != cEnd) blocks38.insert(blockOf(l));
    for (const auto& l : linesOf(catalog, 2))
        if (l != cEnd) blocks47.insert(blockOf(l));
    EXPECT_TRUE(blocks38.count(0x0A5F));
    EXPECT_FALSE(blocks47.count(0x0A5F));
    blocks38.erase(0x0A5F);
    EXPECT_EQ(blocks38, blocks47) << "otherwise the images cover the same blocks";
}

TEST(Catalog, TheTwoImagesShareManyLinesAndDifferInMany) {
    TFWCatalog catalog;
    const auto l38 = linesOf(catalog, 1);
    const auto l47 = linesOf(catalog, 2);
    const std::set<std::string> s47(l47.begin(), l47.end());
    int shared = 0, differ = 0;
    for (const auto& l : l38)
        (s47.count(l) ? shared : differ)++;
    EXPECT_GT(shared, 100);
    EXPECT_GT(differ, 100);
}

// The images built into the program are the files in firmware/.
TEST(Catalog, EmbeddedImagesEqualTheFirmwareFiles) {
    TFWCatalog catalog;
    const struct {
        int iFW;
        const char* file;
    } images[] = {{1, "Tarvek2_V2_08_PF21_PR38_BL3_0.txt"},
                  {2, "Tarvek2_V2_08_PF21_PR47_BL3_0.txt"}};
    for (const auto& image : images) {
        SCOPED_TRACE(image.file);
        TBl3FileHeader header{};
        std::vector<std::string> lines;
        const auto load =
            loadImageFile(std::string(TARVEK2_FIRMWARE_DIR) + "/" + image.file, header, lines);
        ASSERT_EQ(load.result, TImageLoadResult::ok) << load.error;
        EXPECT_EQ(header, catalog.getFWHeader(image.iFW));
        EXPECT_EQ(lines, linesOf(catalog, image.iFW));
    }
}

TEST(Catalog, SlotsThatDoNotExistGiveTheNoImageHeader) {
    TFWCatalog catalog;
    const TBl3FileHeader none{0xFFFF, 0, 0, 0xFFFF, 0xFFFF, "", 0, 0};
    for (int iFW : {-1, 3, 100}) {
        EXPECT_EQ(catalog.getFWHeader(iFW), none) << iFW;
        EXPECT_EQ(catalog.getFWLastLine(iFW), 0) << iFW;
    }
    // With no selection the session finds nothing to write.
    catalog.iSelectedFW = -1;
    EXPECT_EQ(catalog.getLastLine(), 0);
    std::string line = "left over";
    EXPECT_FALSE(catalog.getLine(0, line));
    EXPECT_EQ(line, "");
}

TEST(Catalog, AccessFWResetsTheOutputsAndRefusesUnknownSlotsAndOperations) {
    TFWCatalog catalog;
    struct Case {
        int iFW;
        int iOp;
        int iLine;
    };
    const Case refused[] = {{3, 0, 0},  {-1, 1, 0},   {1, 3, 0},    {2, -1, 0}, {0, 3, 0},
                            {1, 2, -1}, {1, 2, 2366}, {2, 2, 2365}, {0, 2, 0}};
    for (const auto& c : refused) {
        SCOPED_TRACE("slot " + std::to_string(c.iFW) + " op " + std::to_string(c.iOp) + " line " +
                     std::to_string(c.iLine));
        std::string line = "left over";
        int last = 77;
        TBl3FileHeader header{1, 2, 3, 4, 5, "kept", 6, 7};
        EXPECT_FALSE(catalog.accessFW(c.iFW, c.iOp, c.iLine, line, last, header));
        EXPECT_EQ(line, "");
        EXPECT_EQ(last, 0);
        // Class, platform and print say "no image"; the rest is the caller's.
        EXPECT_EQ(header, (TBl3FileHeader{0xFFFF, 2, 3, 0xFFFF, 0xFFFF, "kept", 6, 7}));
    }
}

TEST(Catalog, FileSlot) {
    TFWCatalog catalog;
    EXPECT_EQ(catalog.iSelectedFW.load(), -1) << "nothing selected at start";
    EXPECT_EQ(catalog.getFWHeader(0), TBl3FileHeader{}) << "an all-zero header at start";
    EXPECT_EQ(catalog.getFWLastLine(0), -1) << "no lines at start";

    catalog.FileHeader = {0x6621, 2, 9, 21, 47, "today", 3, 0};
    catalog.FileLines = {":0000000000", "", cEnd};
    catalog.iSelectedFW = 0;
    EXPECT_EQ(catalog.getFWHeader(0), catalog.FileHeader);
    EXPECT_EQ(catalog.getLastLine(), 2);
    std::string line;
    EXPECT_TRUE(catalog.getLine(1, line));
    EXPECT_EQ(line, "") << "an empty line is a line";
    EXPECT_TRUE(catalog.getLine(2, line));
    EXPECT_EQ(line, cEnd);
    line = "left over";
    EXPECT_FALSE(catalog.getLine(3, line));
    EXPECT_EQ(line, "");
    EXPECT_FALSE(catalog.getLine(-1, line));

    // The built-in slots are unaffected by the file slot.
    EXPECT_EQ(catalog.getFWLastLine(1), 2365);
    EXPECT_EQ(catalog.getFWHeader(2).vorn_print, 47);

    catalog.FileLines.clear();
    EXPECT_EQ(catalog.getLastLine(), -1);
}
