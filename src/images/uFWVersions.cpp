#include "images/uFWVersions.h"

#include <cstdint>
#include <limits>

namespace {

bool isHexDigit(char c, int& v) {
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else
        return false;
    return true;
}

} // namespace

bool tryStrToInt(const std::string& s, std::int32_t& value) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return false;
    // The magnitude may reach 2^31 for a negative number.
    const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
    std::int64_t magnitude = 0;
    for (; i < s.size(); ++i) {
        int digit = 0;
        if (base == 10) {
            if (s[i] < '0' || s[i] > '9') return false;
            digit = s[i] - '0';
        } else if (!isHexDigit(s[i], digit)) {
            return false;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > limit) return false;
    }
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}

std::int32_t strToInt(const std::string& s) {
    std::int32_t value = 0;
    if (!tryStrToInt(s, value))
        throw EConvertError("'" + s + "' ist kein g\xC3\xBCltiger Integerwert");
    return value;
}

bool readTextLine(std::istream& in, std::string& sLine) {
    sLine.clear();
    if (!in.good() || in.peek() == std::char_traits<char>::eof()) return false;
    std::getline(in, sLine);
    if (!sLine.empty() && sLine.back() == '\r') sLine.pop_back();
    return true;
}

void splitHeaderLine(const std::string& sLine, const std::string& sKey, std::string& sValue) {
    sValue.clear();
    const auto eq = sLine.find('=');
    if (eq == std::string::npos) return;
    if (sLine.compare(0, eq, sKey) != 0 || eq != sKey.size()) return;
    sValue = sLine.substr(eq + 1);
}

bool readFileHeader(std::istream& F, TBl3FileHeader& Header) {
    std::string line, value;
    auto next = [&](const char* key) {
        readTextLine(F, line);
        splitHeaderLine(line, key, value);
        return value;
    };
    auto low16 = [](std::int32_t v) { return static_cast<std::uint16_t>(v & 0xFFFF); };

    const std::string bl = next("bootloader");
    Header.vorn_bl = bl == "2" ? 2 : bl == "3" ? 3 : 0xFFFF;
    Header.vorn_bl_ver = low16(strToInt(next("bootloader version")));
    Header.vorn_class = low16(strToInt(next("class")));
    Header.vorn_verH = low16(strToInt(next("versionH")));
    Header.vorn_verL = low16(strToInt(next("versionL")));
    Header.vorn_platform = low16(strToInt(next("platform")));
    Header.vorn_print = low16(strToInt(next("print")));
    Header.vorn_date = next("date");
    return true;
}
