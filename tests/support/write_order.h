// The records of a built-in image in the order the updater writes them,
// worked out here independently of the session: every full data record (64
// bytes, type 0) in file order, and the vector-table record held back and
// written last (the later one where an image has two).  An image without a
// vector-table record gets none appended.
#pragma once

#include "images/uConvert1V0.h"
#include "images/uFWCatalog.h"
#include "images/uImageConstants.h"

#include <cstdint>
#include <string>
#include <vector>

inline std::vector<std::string> recordsInWriteOrder(int slot) {
    TFWCatalog catalog;
    catalog.iSelectedFW = slot;
    std::vector<std::string> records;
    std::string vectorTable;
    std::string line;
    for (int i = 0; i < catalog.getLastLine(); ++i) {
        catalog.getLine(i, line);
        TRecordConverter conv;
        conv.sHexLine = line;
        if (!conv.LineToRecord() || conv.count() != 0x40 || conv.type() != 0x00) continue;
        if (conv.address() == cVectorTableBlock)
            vectorTable = line;
        else
            records.push_back(line);
    }
    if (!vectorTable.empty()) records.push_back(vectorTable);
    return records;
}

// Their block numbers.
inline std::vector<std::uint16_t> blocksInWriteOrder(int slot) {
    std::vector<std::uint16_t> blocks;
    for (const std::string& line : recordsInWriteOrder(slot)) {
        TRecordConverter conv;
        conv.sHexLine = line;
        conv.LineToRecord();
        blocks.push_back(conv.address());
    }
    return blocks;
}
