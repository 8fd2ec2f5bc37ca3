#include "TLineFramer.h"

#include "images/uConvert1V0.h"

#include <algorithm>

namespace {

constexpr std::size_t cFrameSize = 8;
constexpr int cMaxRecordCount = 0x40;

bool isHexDigit(char c, std::uint8_t& value) {
    return HexToNibble(c, value);
}

bool startsFrame(std::uint8_t b) {
    return b == 0 || (b & 0x80) != 0;
}

} // namespace

void TLineFramer::push(const std::uint8_t* data, std::size_t n, std::vector<TLineUnit>& units) {
    FPending.append(reinterpret_cast<const char*>(data), n);
    for (;;) {
        if (FPending.empty()) return;
        const auto first = static_cast<std::uint8_t>(FPending[0]);
        EStep step = EStep::Progress;
        if (first == ':')
            step = scanRecord(units);
        else if (startsFrame(first))
            step = scanFrame(units);
        else
            consume(1, true);
        if (step == EStep::NeedMore) return;
    }
}

void TLineFramer::dropPartial() {
    consume(FPending.size(), true);
}

void TLineFramer::consume(std::size_t n, bool bSkipped) {
    FPending.erase(0, n);
    FShadow = FShadow > n ? FShadow - n : 0;
    if (bSkipped) FSkipped += static_cast<int>(n);
}

TLineFramer::EStep TLineFramer::scanRecord(std::vector<TLineUnit>& units) {
    // ':' LL first: the count fixes the length.
    std::uint8_t high = 0, low = 0;
    for (std::size_t i = 1; i < 3; ++i) {
        if (i >= FPending.size()) return EStep::NeedMore;
        if (!isHexDigit(FPending[i], i == 1 ? high : low)) {
            consume(i, true);
            return EStep::Progress;
        }
    }
    const int ll = high << 4 | low;
    if (ll > cMaxRecordCount) {
        consume(1, true);
        return EStep::Progress;
    }
    const std::size_t total = 2 * static_cast<std::size_t>(ll) + 11;
    const std::size_t have = std::min(total, FPending.size());
    for (std::size_t i = 3; i < have; ++i) {
        std::uint8_t ignored = 0;
        if (!isHexDigit(FPending[i], ignored)) {
            consume(i, true);
            return EStep::Progress;
        }
    }
    if (FPending.size() < total) return EStep::NeedMore;

    TLineUnit unit;
    unit.kind = TLineUnit::EKind::Record;
    unit.record = FPending.substr(0, total);
    units.push_back(std::move(unit));
    consume(total, false);
    return EStep::Progress;
}

TLineFramer::EStep TLineFramer::scanFrame(std::vector<TLineUnit>& units) {
    if (FPending.size() < cFrameSize) return EStep::NeedMore;
    TLineUnit unit;
    for (std::size_t i = 0; i < cFrameSize; ++i)
        unit.frame[i] = static_cast<std::uint8_t>(FPending[i]);
    if (CRC8(unit.frame.data(), 7) != unit.frame[7]) {
        if (FShadow == 0) ++FBadFrames;
        consume(1, true);
        FShadow = cFrameSize - 1;
        return EStep::Progress;
    }
    units.push_back(unit);
    consume(cFrameSize, false);
    return EStep::Progress;
}
