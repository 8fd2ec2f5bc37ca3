// Update image headers, device code names and platform memory layouts.
//
// A Tarvek2 update image starts with eight key=value header lines that say
// which logger and bootloader it is made for; the logger identifies itself
// with the same 16-bit class, platform and print codes.  This unit reads the
// header and names the codes.
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>

// The header of an update image.
struct TBl3FileHeader {
    std::uint16_t vorn_class = 0;
    std::uint16_t vorn_verH = 0;
    std::uint16_t vorn_verL = 0;
    std::uint16_t vorn_platform = 0;
    std::uint16_t vorn_print = 0;
    std::string vorn_date;
    std::uint16_t vorn_bl = 0;
    std::uint16_t vorn_bl_ver = 0;

    bool operator==(const TBl3FileHeader&) const = default;
};

// Raised when a header value is not an integer.  The text is the German
// message the operator sees: "'<value>' ist kein gültiger Integerwert".
class EConvertError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Integer conversion of a header value: leading blanks, optional sign, then
// decimal digits or hex digits after "$", "x", "X", "0x" or "0X"; nothing may
// follow.  The number must fit a signed 32-bit integer.  Returns false when it
// does not convert.
bool tryStrToInt(const std::string& s, std::int32_t& value);
// The same, raising EConvertError with the German text on failure.
std::int32_t strToInt(const std::string& s);

// Reads one line of 8-bit text; CR LF and LF end a line, a final line without
// a line break counts.  Returns false at the end of the input (sLine empty).
bool readTextLine(std::istream& in, std::string& sLine);

// The value of "key=value" when the key is exactly sKey, else empty.
void splitHeaderLine(const std::string& sLine, const std::string& sKey, std::string& sValue);

// Reads the eight header lines from F into Header, writing each field as soon
// as its line is read.  Returns true; a value that does not convert raises
// EConvertError (fields read before it keep their new values).
bool readFileHeader(std::istream& F, TBl3FileHeader& Header);

// Device code names.  "?" names an unknown code.
std::string getClassName(std::uint16_t code, std::uint16_t print);
std::string getSelvinName(std::uint16_t print);
std::string getTarvekName(std::uint16_t print);
std::string getPlatformName(std::uint16_t code);
std::string getPrintName(std::uint16_t code);

// Validity tests: the code itself when it has a name, else 0xFFFF.
std::uint16_t checkClass(std::uint16_t code);
std::uint16_t checkPlatform(std::uint16_t code);
std::uint16_t checkPrint(std::uint16_t code);

struct TMemoryRange {
    bool used = false;
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    bool operator==(const TMemoryRange&) const = default;
};
using TMemoryMap = std::array<TMemoryRange, 7>;

// Memory layout of a platform; every slot unused for an unknown platform.
TMemoryMap getMemoryMap(std::uint16_t code);
