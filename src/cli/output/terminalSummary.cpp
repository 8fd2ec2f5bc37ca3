#include "cli/output/terminalSummary.h"

#include "cli/exitCodes.h"
#include "cli/output/fittedLine.h"
#include "controller/uTimeLeft.h"
#include "session/uExceptions1V0.h"

#include <algorithm>

namespace {

// Where the outcome starts when it has lines of its own: under the port.
constexpr std::size_t cOutcomeIndent = 6;

std::vector<TLineField> headFields(const TPortResult& r) {
    const TSessionOutcome& o = r.outcome;
    const std::string logger = loggerName(o.logger);
    return {{resultWord(r)},
            {r.port, 0, 0, true},
            {logger.empty() ? "-" : logger, 0, 1},
            {o.image.chosen() ? imageVersion(o.image.header) : "-", 0, 2},
            {elapsedText(o.elapsedMs)}};
}

} // namespace

std::string resultWord(const TPortResult& result) {
    if (result.exitCode == cExitOk) return "PASS";
    if (result.exitCode == cEX_CANCELLED) return "CANCELLED";
    return "FAIL";
}

std::string terminalSummary(const std::vector<TPortResult>& results, int width) {
    const std::size_t maxLength = static_cast<std::size_t>(std::max(width, 2) - 1);
    std::vector<std::vector<TLineField>> rows;
    for (const auto& r : results)
        rows.push_back(headFields(r));
    // The columns, as wide as their widest field.
    std::vector<std::size_t> columns(rows.empty() ? 0 : rows.front().size());
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c)
            columns[c] = std::max(columns[c], row[c].text.size());
    for (auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c)
            row[c].column = columns[c];

    bool oneLine = true;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto whole = rows[i];
        whole.push_back({results[i].outcome.rendering.text});
        std::string line;
        for (std::size_t c = 0; c < whole.size(); ++c) {
            line += whole[c].text;
            if (c + 1 < whole.size())
                line += std::string(whole[c].column - whole[c].text.size() + 2, ' ');
        }
        oneLine = oneLine && line.size() <= maxLength;
    }

    std::string text;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string& outcome = results[i].outcome.rendering.text;
        if (oneLine) {
            auto whole = rows[i];
            whole.push_back({outcome});
            text += fittedLine(whole, maxLength) + '\n';
        } else {
            text += fittedLine(rows[i], maxLength) + '\n';
            text += wrappedText(outcome, maxLength, cOutcomeIndent) + '\n';
        }
    }
    return text;
}
