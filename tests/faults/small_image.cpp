#include "small_image.h"

#include "images/uConvert1V0.h"

namespace {

// Blocks in file order; 0x03DF is the vector table, written last.
const std::vector<std::uint16_t> cFileBlocks{0x0100, 0x0101, 0x03DF, 0x0102, 0x0103};

std::string dataLine(std::uint16_t block) {
    std::vector<std::uint8_t> data(0x40);
    for (int k = 0; k < 0x40; ++k)
        data[k] = static_cast<std::uint8_t>(block + 7 * k);
    return makeRecord(block, 0x00, data);
}

} // namespace

std::vector<std::string> smallImageLines() {
    std::vector<std::string> lines;
    for (const auto block : cFileBlocks)
        lines.push_back(dataLine(block));
    lines.emplace_back(":00000001FF");
    return lines;
}

std::vector<std::uint16_t> smallImageBlocks() {
    return {0x0100, 0x0101, 0x0102, 0x0103, 0x03DF};
}

int smallImageLineOfRecord(int n) {
    const std::uint16_t block = smallImageBlocks().at(static_cast<std::size_t>(n - 1));
    for (std::size_t i = 0; i < cFileBlocks.size(); ++i)
        if (cFileBlocks[i] == block) return static_cast<int>(i);
    return -1;
}

void useSmallImage(TFWCatalog& catalog) {
    catalog.FileHeader = {0x6621, 2, 8, 21, 38, "01.01.2024 00:00:00", 3, 0};
    catalog.FileLines = smallImageLines();
    catalog.iSelectedFW = 0;
}
