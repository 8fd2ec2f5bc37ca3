// Text and file helpers of the tests: a program's output as lines and
// fields, and whole files read and written as bytes.
#pragma once

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

// The lines of text, without their line breaks.
inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The fields of a table row, separated by two or more blanks.
inline std::vector<std::string> fieldsOf(const std::string& line) {
    static const std::regex gap(" {2,}");
    return {std::sregex_token_iterator(line.begin(), line.end(), gap, -1),
            std::sregex_token_iterator()};
}

// The whole file as it is on disk; empty when it cannot be read.
inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Writes text as it is (no line-break conversion); true when written.
inline bool writeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out.flush());
}
