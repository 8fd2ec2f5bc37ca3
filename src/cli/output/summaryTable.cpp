#include "cli/output/summaryTable.h"

#include "images/uFWVersions.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

constexpr std::array<const char*, 8> cColumns{"port",  "exit",  "class",   "platform",
                                              "print", "image", "seconds", "outcome"};

std::string codeName(std::uint16_t code, std::string (*name)(std::uint16_t)) {
    return code == 0xFFFF ? std::string("-") : name(code);
}

} // namespace

std::vector<std::string> summaryFields(const TPortResult& r) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f",
                  static_cast<double>(r.outcome.elapsedMs) / 1000.0);
    const TLoggerIdentity& logger = r.outcome.logger;
    const std::uint16_t loggerClass = logger.loggerClass();
    return {r.port,
            std::to_string(r.exitCode),
            loggerClass == 0xFFFF ? std::string("-") : classText(loggerClass, logger.print),
            codeName(logger.platform, platformText),
            logger.printTold ? printText(logger.print) : std::string("-"),
            r.outcome.image.chosen() ? imageText(r.outcome.image.header) : std::string("-"),
            seconds,
            r.outcome.rendering.text};
}

std::string summaryTable(const std::vector<TPortResult>& results) {
    std::vector<std::vector<std::string>> rows;
    rows.emplace_back(cColumns.begin(), cColumns.end());
    for (const auto& r : results)
        rows.push_back(summaryFields(r));
    std::array<std::size_t, cColumns.size()> width{};
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c)
            width[c] = std::max(width[c], row[c].size());
    std::string text;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size()) line += std::string(width[c] - row[c].size() + 2, ' ');
        }
        text += line + '\n';
    }
    return text;
}

std::string summaryRow(const TPortResult& result) {
    std::string line;
    for (const auto& f : summaryFields(result))
        line += (line.empty() ? "" : "  ") + f;
    return line;
}
