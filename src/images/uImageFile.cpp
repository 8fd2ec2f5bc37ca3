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
        return {TImageLoadResult::cannotOpen, "cannot open \"" + path + "\""};
    const auto size = std::filesystem::file_size(file, ec);
    if (!ec && size > cMaxImageFileSize)
        return {TImageLoadResult::tooLarge, "\"" + path + "\" is too large for an image file (" +
                                                std::to_string(size) + " bytes)"};
    in.open(file, std::ios::binary);
    if (!in) return {TImageLoadResult::cannotOpen, "cannot open \"" + path + "\""};
    return {};
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
        return {TImageLoadResult::badHeader, e.what()};
    }
    return {};
}

TImageLoad loadImageFile(const std::string& path, TBl3FileHeader& Header,
                         std::vector<std::string>& Lines) {
    Lines.clear();
    if (auto header = loadImageHeader(path, Header); header.result != TImageLoadResult::ok)
        return header;

    std::ifstream in;
    if (auto opened = openImage(path, in); opened.result != TImageLoadResult::ok) return opened;
    std::string line;
    while (readTextLine(in, line))
        if (line.find('=') == std::string::npos) Lines.push_back(line);
    return {};
}
