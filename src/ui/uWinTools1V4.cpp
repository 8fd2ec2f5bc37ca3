#include "ui/uWinTools1V4.h"

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

std::vector<std::string> programArguments(const QStringList& args) {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(args.size()));
    for (const QString& a : args)
        out.push_back(a.toLocal8Bit().toStdString());
    return out;
}

QString getOption(const QString& key, const QString& def, const QStringList& args) {
    const std::string value = getOption(key.toLocal8Bit().toStdString(),
                                        def.toLocal8Bit().toStdString(), programArguments(args));
    return QString::fromLocal8Bit(value.data(), static_cast<qsizetype>(value.size()));
}
