#include "controller/uWinTools1V4.h"

namespace {

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithCaseBlind(const std::string& s, const std::string& prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (asciiLower(s[i]) != asciiLower(prefix[i])) return false;
    return true;
}

} // namespace

std::string getOption(const std::string& key, const std::string& def,
                      const std::vector<std::string>& args) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() > key.size() && startsWithCaseBlind(arg, key))
            return arg.substr(key.size(), cMaxOptionValue);
    }
    return def;
}
