#include "desktop/uDesktopTexts.h"

std::string plainLines(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
        } else if (i + 1 == text.size() || text[i + 1] != '\n') {
            out += '\n'; // a lone "\r" breaks the line too
        }
    }
    return out;
}
