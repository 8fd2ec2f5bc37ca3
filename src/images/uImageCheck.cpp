#include "images/uImageCheck.h"

#include "images/uConvert1V0.h"

namespace {

bool isUpperHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

} // namespace

std::string describeLineFault(const std::string& sLine)
{
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
    if (count > 0x40) return "byte count above 0x40";
    if (sLine.size() != static_cast<std::size_t>(2 * count + 11))
        return "length " + std::to_string(sLine.size()) + " does not fit byte count " +
               std::to_string(count) + " (" + std::to_string(2 * count + 11) + " expected)";
    if (!conv.LineToRecord()) return "wrong checksum";
    return {};
}

TImageCheckResult checkImage(int lastLine,
                             const std::function<bool(int, std::string&)>& lineAt)
{
    TImageCheckResult r;
    r.lastLine = lastLine;
    std::string line;
    r.endLineOk = lastLine >= 1 && lineAt(lastLine, line) && line == ":00000001FF";

    TRecordConverter conv;
    for (int i = 0; i < lastLine; ++i) {
        if (!lineAt(i, line)) line.clear();
        conv.sHexLine = line;
        if (!conv.LineToRecord()) {
            r.badLine = i;
            r.badReason = describeLineFault(line);
            if (r.badReason.empty()) r.badReason = "does not convert";
            break;
        }
        if (conv.count() != 0x40 || conv.type() != 0x00) {
            ++r.skippedRecords;
            continue;
        }
        ++r.dataRecords;
        const std::uint16_t block = conv.address();
        if (block == 0x03DF) r.hasVectorTable = true;
        if (!r.blocks.empty() && r.blocks.back().last + 1 == block) r.blocks.back().last = block;
        else r.blocks.push_back({block, block});
    }
    r.ok = r.endLineOk && r.badLine < 0;
    return r;
}
