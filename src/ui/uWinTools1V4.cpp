#include "ui/uWinTools1V4.h"

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
