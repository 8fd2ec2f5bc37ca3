// Any bytes as a text record: the line conversion never reads outside the
// line or the record buffer, a line that converts comes back unchanged from
// the record, and the fault description agrees with the conversion.
#include "fuzz_check.h"
#include "images/uConvert1V0.h"
#include "images/uImageCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);

    TRecordConverter conv;
    conv.sHexLine = line;
    const bool converts = conv.LineToRecord();
    const std::string fault = describeLineFault(line);
    FUZZ_CHECK(converts == fault.empty(), "LineToRecord %d, fault \"%s\"", converts, fault.c_str());

    // The checksum over everything after the ":" agrees with the conversion
    // for a line of the right length.
    if (size >= 1) {
        const int pairs = static_cast<int>((size - 1) / 2);
        const int sum = HexChecksum(std::string_view(line).substr(1), pairs);
        FUZZ_CHECK(sum >= -1 && sum <= 255, "HexChecksum %d", sum);
        if (converts) FUZZ_CHECK(sum == 0, "a converting line has checksum remainder %d", sum);
    }
    // A pair count beyond the text is refused, never read.
    FUZZ_CHECK(HexChecksum(line, static_cast<int>(size / 2) + 1) == -1, "pairs beyond the text");

    for (const char c : line) {
        std::uint8_t v = 0xAA;
        const bool hex = HexToNibble(c, v);
        FUZZ_CHECK(hex == ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')), "HexToNibble '%c'",
                   c);
        if (hex)
            FUZZ_CHECK(NibbleToHex(v) == c, "nibble %u of '%c'", v, c);
        else
            FUZZ_CHECK(v == 0xAA, "value changed for '%c'", c);
    }

    if (converts) {
        FUZZ_CHECK(conv.count() <= 0x40, "count %u", conv.count());
        TRecordConverter back;
        back.HexRecord = conv.HexRecord;
        FUZZ_CHECK(back.RecordToLine(), "RecordToLine refused count %u", conv.count());
        FUZZ_CHECK(back.sHexLine == line, "round trip gave \"%s\"", back.sHexLine.c_str());
    } else if (size >= 1) {
        // Any record of a legal count makes a line that converts.
        TRecordConverter rec;
        for (std::size_t i = 0; i < rec.HexRecord.size() && i < size; ++i)
            rec.HexRecord[i] = data[i];
        rec.HexRecord[0] = static_cast<std::uint8_t>(data[0] % 0x41);
        FUZZ_CHECK(rec.RecordToLine(), "RecordToLine refused count %u", rec.HexRecord[0]);
        TRecordConverter again;
        again.sHexLine = rec.sHexLine;
        FUZZ_CHECK(again.LineToRecord(), "built line \"%s\" does not convert",
                   rec.sHexLine.c_str());
        FUZZ_CHECK(describeLineFault(rec.sHexLine).empty(), "fault for a built line");
        for (int i = 0; i < rec.HexRecord[0] + 4; ++i)
            FUZZ_CHECK(again.HexRecord[i] == rec.HexRecord[i], "byte %d differs", i);
    }
    return 0;
}
