#include "cli/output/fittedLine.h"

#include <algorithm>
#include <sstream>

namespace {

constexpr std::size_t cGap = 2;
constexpr std::size_t cShortestTail = 8;
const std::string cCutMark = "...";

std::string joined(const std::vector<TLineField>& fields, bool padded) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += std::string(cGap, ' ');
        line += fields[i].text;
        const bool last = i + 1 == fields.size();
        if (padded && !last && fields[i].text.size() < fields[i].column)
            line += std::string(fields[i].column - fields[i].text.size(), ' ');
    }
    return line;
}

} // namespace

std::string fittedLine(std::vector<TLineField> fields, std::size_t maxLength) {
    if (std::string line = joined(fields, true); line.size() <= maxLength) return line;
    if (std::string line = joined(fields, false); line.size() <= maxLength) return line;

    int lastRank = 0;
    for (const auto& f : fields)
        lastRank = std::max(lastRank, f.dropRank);
    for (int rank = 1; rank <= lastRank; ++rank) {
        fields.erase(std::remove_if(fields.begin(), fields.end(),
                                    [rank](const TLineField& f) { return f.dropRank == rank; }),
                     fields.end());
        if (std::string line = joined(fields, false); line.size() <= maxLength) return line;
    }

    std::size_t over = joined(fields, false).size() - maxLength;
    for (std::size_t i = 0; i + 1 < fields.size() && over > 0; ++i) {
        std::string& t = fields[i].text;
        if (!fields[i].keepsTail) continue;
        // The name after its folders first ("ttyUSB0" of "/dev/ttyUSB0"),
        // then ".." and the tail: the part of a port's name that tells ports
        // apart.
        if (const auto slash = t.find_last_of("/\\"); slash != std::string::npos) {
            over -= std::min(over, slash + 1);
            t.erase(0, slash + 1);
        }
        if (over == 0 || t.size() <= cShortestTail) continue;
        const std::size_t keep = std::max(cShortestTail, t.size() > over ? t.size() - over : 0);
        over -= std::min(over, t.size() - keep);
        t = ".." + t.substr(t.size() - (keep - 2));
    }

    std::string line = joined(fields, false);
    if (line.size() > maxLength) {
        const std::size_t cut = maxLength > cCutMark.size() ? maxLength - cCutMark.size() : 0;
        line = line.substr(0, cut) + cCutMark.substr(0, maxLength - cut);
    }
    return line;
}

std::string wrappedText(const std::string& text, std::size_t maxLength, std::size_t indent) {
    const std::size_t room = maxLength > indent ? maxLength - indent : 1;
    const std::string margin(indent, ' ');
    std::istringstream words(text);
    std::string out, line;
    auto flush = [&] {
        if (line.empty()) return;
        out += (out.empty() ? "" : "\n") + margin + line;
        line.clear();
    };
    for (std::string w; words >> w;) {
        if (!line.empty() && line.size() + 1 + w.size() > room) flush();
        for (; w.size() > room; w.erase(0, room)) {
            line = w.substr(0, room);
            flush();
        }
        if (!w.empty()) line += (line.empty() ? "" : " ") + w;
    }
    flush();
    return out;
}
