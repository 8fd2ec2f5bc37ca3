#include "images/uImageCheck.h"

#include "images/uConvert1V0.h"
#include "images/uImageConstants.h"

namespace {

bool isUpperHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

} // namespace

std::string describeLineFault(const std::string& sLine) {
    if (sLine.empty()) return "empty line";
    if (sLine[0] != ':') return "does not start with ':'";
    if (sLine.size() < 11) return "shorter than 11 characters";
    for (std::size_t i = 1; i < sLine.size(); ++i)
        if (!isUpperHex(sLine[i]))
            return "character " + std::to_string(i + 1) + " is not an upper-case hex digit";
    TRecordConverter conv;
    conv.sHexLine = sLine;
    std::uint8_t ll = 0, lo = 0;
    HexToNibble(sLine[1], ll);
    HexToNibble(sLine[2], lo);
    const int count = ll * 16 + lo;
    if (count > cFullRecordCount) return "byte count above 0x40";
    if (sLine.size() != static_cast<std::size_t>(2 * count + 11))
        return "length " + std::to_string(sLine.size()) + " does not fit byte count " +
               std::to_string(count) + " (" + std::to_string(2 * count + 11) + " expected)";
    if (!conv.LineToRecord()) return "wrong checksum";
    return {};
}

std::vector<std::uint16_t> TCheckedImage::writeOrder() const {
    std::vector<std::uint16_t> blocks;
    for (const TWriteStep& s : steps)
        if (s.kind == TWriteStep::TKind::write || s.kind == TWriteStep::TKind::writeVectorTable)
            blocks.push_back(s.block);
    return blocks;
}

TCheckedImage checkImageRecords(int lastLine, const TLineSource& lineAt) {
    using TKind = TWriteStep::TKind;
    TCheckedImage image;
    image.lastLine = lastLine;
    std::string line;
    image.endLineOk = lastLine >= 1 && lineAt(lastLine, line) && line == cEndLine;

    TRecordConverter conv;
    TWriteStep vectorTable{TKind::writeVectorTable, lastLine, cVectorTableBlock, {}};
    for (int i = 0; i < lastLine; ++i) {
        if (!lineAt(i, line)) line.clear();
        conv.sHexLine = line;
        if (!conv.LineToRecord()) {
            image.badLine = i;
            image.badReason = describeLineFault(line);
            if (image.badReason.empty()) image.badReason = "does not convert";
            return image;
        }
        if (conv.count() != cFullRecordCount || conv.type() != cDataRecordType) {
            image.steps.push_back({TKind::passOver, i, conv.address(), {}});
        } else if (conv.address() == cVectorTableBlock) {
            image.steps.push_back({TKind::holdVectorTable, i, cVectorTableBlock, {}});
            vectorTable.line = line; // a later one replaces an earlier one
        } else {
            image.steps.push_back({TKind::write, i, conv.address(), line});
        }
    }
    if (!vectorTable.line.empty()) image.steps.push_back(std::move(vectorTable));
    return image;
}

TImageCheckResult summarizeCheck(const TCheckedImage& image) {
    using TKind = TWriteStep::TKind;
    TImageCheckResult r;
    r.ok = image.ok();
    r.lastLine = image.lastLine;
    r.endLineOk = image.endLineOk;
    r.badLine = image.badLine;
    r.badReason = image.badReason;
    for (const TWriteStep& s : image.steps) {
        if (s.kind == TKind::writeVectorTable) continue; // counted where it was met
        if (s.kind == TKind::passOver) {
            ++r.skippedRecords;
            continue;
        }
        ++r.dataRecords;
        if (s.kind == TKind::holdVectorTable) r.hasVectorTable = true;
        if (!r.blocks.empty() && r.blocks.back().last + 1 == s.block)
            r.blocks.back().last = s.block;
        else
            r.blocks.push_back({s.block, s.block});
    }
    return r;
}

TImageCheckResult checkImage(int lastLine, const TLineSource& lineAt) {
    return summarizeCheck(checkImageRecords(lastLine, lineAt));
}
