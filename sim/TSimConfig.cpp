#include "TSimConfig.h"

#include "images/uConvert1V0.h"

std::vector<std::uint16_t> TSimRecord::lastRunBlocks() const {
    std::vector<std::uint16_t> result;
    result.reserve(lastRunLines.size());
    for (const std::string& line : lastRunLines) {
        TRecordConverter conv;
        conv.sHexLine = line;
        if (conv.LineToRecord()) result.push_back(conv.address());
    }
    return result;
}
