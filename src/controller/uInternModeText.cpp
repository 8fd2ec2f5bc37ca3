#include "controller/uInternModeText.h"

#include "controller/uProgramOptions.h"

#include <charconv>

namespace {

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

} // namespace

std::optional<std::string> internValueFromIni(std::istream& in) {
    std::optional<std::string> value;
    bool general = true; // keys above every section belong to [General]
    std::string line;
    while (std::getline(in, line)) {
        const std::string t = trimmed(line);
        if (t.empty() || t[0] == ';' || t[0] == '#') continue;
        if (t.front() == '[') {
            general = t == "[General]";
            continue;
        }
        if (!general) continue;
        const auto eq = t.find('=');
        if (eq == std::string::npos) continue;
        if (trimmed(t.substr(0, eq)) == "intern") value = trimmed(t.substr(eq + 1));
    }
    return value;
}

bool isInternCode(const std::string& value) {
    std::string t = trimmed(value);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"')
        t = trimmed(t.substr(1, t.size() - 2));
    if (t.empty()) return false;
    long long v = 0;
    const char* end = t.data() + t.size();
    const auto [ptr, ec] = std::from_chars(t.data(), end, v);
    return ec == std::errc() && ptr == end && v == cInternModeCode;
}

std::string internConfigPath(const char* xdgConfigHome, const char* home) {
    std::string base;
    if (xdgConfigHome && xdgConfigHome[0] == '/')
        base = xdgConfigHome;
    else if (home && home[0] != '\0')
        base = std::string(home) + "/.config";
    else
        return {};
    return base + "/Quorvane/Vorn.conf";
}
