// How the session fuzzer reads its input: a settings byte, a port fault, and
// then one instruction per exchange that says what the logger answers.
//
//   byte 0   settings (cSet_ bits below)
//   byte 1   the image: 'B' searches the built-in images, anything else
//            selects the small image in the file slot.  The built-in images
//            are two thousand records each and the session checks them all
//            before it writes, so they are kept to the inputs that ask
//   byte 2   port call to fail: 0 none, 1 clear error, 2 purge, 3 write,
//            4 read, 5 short write (taken modulo 6)
//   byte 3   which call of that kind fails (1 = the first)
//   then, for each exchange in turn, an operation byte:
//     0  the logger's genuine answer
//     1  silence
//     2  the genuine answer with one byte XORed   (2 bytes: position, mask)
//     3  the genuine answer cut short             (1 byte: length)
//     4  the genuine answer with one byte changed and its CRC or checksum
//        made right again                         (2 bytes: position, value)
//     5  noise before the genuine answer          (1 byte n, then n bytes)
//     6  the genuine answer twice
//     7+ these op-7 bytes as the whole answer
//   When the input runs out, the logger gives its genuine answers, or the
//   operator cancels (cSet_CancelAtEnd, and always with the built-in images,
//   whose full run would make every such input slow).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr std::uint8_t cSet_CancelAtEnd = 0x01;  // cancel when the input runs out
inline constexpr std::uint8_t cSet_NoFamily = 0x02;     // bCheckFamily clear
inline constexpr std::uint8_t cSet_NoClass = 0x04;      // bCheckClass clear
inline constexpr std::uint8_t cSet_NoInfo = 0x08;       // bCheckInfo clear
inline constexpr std::uint8_t cSet_InfoOnly = 0x10;     // bInfoOnly set
inline constexpr std::uint8_t cSet_InBootloader = 0x20; // the logger starts in its bootloader
inline constexpr std::uint8_t cSet_BadImageLine = 0x40; // the file image has a bad line
inline constexpr std::uint8_t cSet_StaysInApp = 0x80;   // the switch frame does not take

inline constexpr std::uint8_t cImage_BuiltIn = 'B';

inline constexpr std::uint8_t cOp_Genuine = 0;
inline constexpr std::uint8_t cOp_Silence = 1;
inline constexpr std::uint8_t cOp_Xor = 2;
inline constexpr std::uint8_t cOp_Cut = 3;
inline constexpr std::uint8_t cOp_Rechecked = 4;
inline constexpr std::uint8_t cOp_Noise = 5;
inline constexpr std::uint8_t cOp_Twice = 6;
inline constexpr std::uint8_t cOp_Raw = 7;

class TFuzzInput {
  public:
    TFuzzInput(const std::uint8_t* data, std::size_t size) : p(data), end(data + size) {}
    bool empty() const { return p == end; }
    std::uint8_t byte() { return p == end ? 0 : *p++; }
    std::string bytes(std::size_t n) {
        n = std::min<std::size_t>(n, static_cast<std::size_t>(end - p));
        std::string s(reinterpret_cast<const char*>(p), n);
        p += n;
        return s;
    }

  private:
    const std::uint8_t* p;
    const std::uint8_t* end;
};

// Applies the next operation to the genuine answer; false when the input
// has run out (the answer is left as it is).
bool nextAnswer(TFuzzInput& in, std::string& answer);
