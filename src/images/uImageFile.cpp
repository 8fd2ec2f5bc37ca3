#include "images/uImageFile.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

TImageLoad openImage(const std::string& path, std::ifstream& in) {
    const std::filesystem::path file = imageFilePath(path);
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (ec || !std::filesystem::is_regular_file(status))
        return {TImageLoadResult::cannotOpen, "cannot open \"" + path + "\"", {}};
    const auto size = std::filesystem::file_size(file, ec);
    if (!ec && size > cMaxImageFileSize)
        return {TImageLoadResult::tooLarge,
                "\"" + path + "\" is too large for an image file (" + std::to_string(size) +
                    " bytes)",
                {}};
    in.open(file, std::ios::binary);
    if (!in) return {TImageLoadResult::cannotOpen, "cannot open \"" + path + "\"", {}};
    return {};
}

// The header line whose number does not convert, named for a person.  The
// keys in the order the header reader takes them; the first is a word, the
// others are numbers.
std::string headerLineExplanation(const std::string& path) {
    static const char* const keys[] = {"bootloader", "bootloader version", "class", "versionH",
                                       "versionL",   "platform",           "print"};
    std::ifstream in(imageFilePath(path), std::ios::binary);
    std::string line, value;
    for (int n = 1; n <= 7; ++n) {
        readTextLine(in, line);
        if (n == 1) continue;
        const std::string key = keys[n - 1];
        splitHeaderLine(line, key, value);
        std::int32_t number = 0;
        if (tryStrToInt(value, number)) continue;
        const std::string shown = line.empty() ? "an empty line" : "\"" + line + "\"";
        return "header line " + std::to_string(n) + ", " + shown + ", must be \"" + key +
               "=\" and a whole number";
    }
    return "a header value is not a whole number";
}

} // namespace

std::filesystem::path imageFilePath(const std::string& utf8Name) {
    try {
        return std::filesystem::path(std::u8string(utf8Name.begin(), utf8Name.end()));
    } catch (const std::exception&) {
        // Not UTF-8 (a name from elsewhere): taken as the system gives it.
        return std::filesystem::path(utf8Name);
    }
}

TImageLoad loadImageHeader(const std::string& path, TBl3FileHeader& Header) {
    std::ifstream in;
    if (auto opened = openImage(path, in); opened.result != TImageLoadResult::ok) return opened;
    try {
        readFileHeader(in, Header);
    } catch (const EConvertError& e) {
        return {TImageLoadResult::badHeader, e.what(), headerLineExplanation(path)};
    }
    return {};
}

TImageLoad loadImageFile(const std::string& path, TBl3FileHeader& Header,
                         std::vector<std::string>& Lines, std::vector<int>* FileLineNumbers) {
    Lines.clear();
    if (FileLineNumbers) FileLineNumbers->clear();
    if (auto header = loadImageHeader(path, Header); header.result != TImageLoadResult::ok)
        return header;

    std::ifstream in;
    if (auto opened = openImage(path, in); opened.result != TImageLoadResult::ok) return opened;
    std::string line;
    for (int number = 1; readTextLine(in, line); ++number) {
        if (line.find('=') != std::string::npos) continue;
        Lines.push_back(line);
        if (FileLineNumbers) FileLineNumbers->push_back(number);
    }
    return {};
}
