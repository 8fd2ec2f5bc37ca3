// Any text as a header value: the integer conversion agrees with a second,
// independent reading built on strtoll, and the raising form agrees with the
// trying form.
#include "fuzz_check.h"
#include "images/uFWVersions.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

bool isDigitOf(char c, int base) {
    if (c >= '0' && c <= '9') return true;
    return base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
}

// The conversion rule of a header value read again: blanks, an optional sign,
// decimal digits or hex digits after "$", "x", "X", "0x" or "0X", nothing
// after the digits, and the value inside the signed 32-bit range.
std::optional<std::int32_t> reference(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    int base = 10;
    const std::string rest = s.substr(i);
    std::size_t skip = 0;
    if (rest.rfind("0x", 0) == 0 || rest.rfind("0X", 0) == 0)
        base = 16, skip = 2;
    else if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X'))
        base = 16, skip = 1;
    const std::string digits = rest.substr(skip);
    if (digits.empty()) return std::nullopt;
    for (const char c : digits)
        if (!isDigitOf(c, base)) return std::nullopt;
    // Only digits are left, so strtoll sees no blanks, signs or prefixes of
    // its own; a magnitude beyond its range is a refusal anyway.
    errno = 0;
    char* end = nullptr;
    const long long magnitude = std::strtoll(digits.c_str(), &end, base);
    if (errno == ERANGE || end != digits.c_str() + digits.size()) return std::nullopt;
    const long long v = negative ? -magnitude : magnitude;
    if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string s(reinterpret_cast<const char*>(data), size);
    const auto expected = reference(s);

    std::int32_t value = 0x5EED;
    const bool converts = tryStrToInt(s, value);
    FUZZ_CHECK(converts == expected.has_value(), "\"%s\": tryStrToInt %d, reference %d", s.c_str(),
               converts, expected.has_value());
    if (converts)
        FUZZ_CHECK(value == *expected, "\"%s\": %d, reference %d", s.c_str(), value, *expected);
    else
        FUZZ_CHECK(value == 0x5EED, "\"%s\": a refusal changed the value to %d", s.c_str(), value);

    try {
        const std::int32_t raised = strToInt(s);
        FUZZ_CHECK(converts && raised == value, "\"%s\": strToInt gave %d", s.c_str(), raised);
    } catch (const EConvertError& e) {
        FUZZ_CHECK(!converts, "\"%s\": strToInt raised", s.c_str());
        // what() is a C string: a value with a zero byte ends the text there.
        const std::string expectedText = "'" + s + "' ist kein g\xC3\xBCltiger Integerwert";
        FUZZ_CHECK(std::string_view(e.what()) == std::string_view(expectedText.c_str()),
                   "message \"%s\"", e.what());
    }
    return 0;
}
