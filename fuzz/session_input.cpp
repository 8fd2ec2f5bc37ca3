#include "session_input.h"

#include "images/uConvert1V0.h"

namespace {

// One byte changed, and the frame's CRC-8 or the record's checksum made right
// again, so that the change reaches the session's reading of the answer.
void changeRechecked(std::string& answer, std::uint8_t pos, std::uint8_t value) {
    if (answer.size() == 8 && answer[0] != ':') {
        answer[pos % 7] = static_cast<char>(value);
        answer[7] =
            static_cast<char>(CRC8(reinterpret_cast<const std::uint8_t*>(answer.data()), 7));
        return;
    }
    TRecordConverter conv;
    conv.sHexLine = answer;
    if (!conv.LineToRecord()) return;
    // The count stays: the answer keeps the length the session asked for.
    conv.HexRecord[1 + pos % (conv.count() + 3)] = value;
    conv.RecordToLine();
    answer = conv.sHexLine;
}

} // namespace

bool nextAnswer(TFuzzInput& in, std::string& answer) {
    if (in.empty()) return false;
    const std::uint8_t op = in.byte();
    switch (op) {
    case cOp_Genuine:
        break;
    case cOp_Silence:
        answer.clear();
        break;
    case cOp_Xor: {
        const std::uint8_t pos = in.byte(), mask = in.byte();
        if (!answer.empty()) answer[pos % answer.size()] ^= static_cast<char>(mask);
        break;
    }
    case cOp_Cut:
        answer.resize(std::min<std::size_t>(answer.size(), in.byte()));
        break;
    case cOp_Rechecked: {
        const std::uint8_t pos = in.byte(), value = in.byte();
        if (!answer.empty()) changeRechecked(answer, pos, value);
        break;
    }
    case cOp_Noise:
        answer = in.bytes(in.byte()) + answer;
        break;
    case cOp_Twice:
        answer += answer;
        break;
    default:
        answer = in.bytes(op - cOp_Raw);
        break;
    }
    return true;
}
