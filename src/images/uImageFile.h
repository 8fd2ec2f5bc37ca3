// Loading an update image from a text file, shared by the desktop program and
// the command-line updater.
#pragma once

#include "images/uFWVersions.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Image files are a few hundred kilobytes; anything much larger is not an
// image, and refusing it keeps memory bounded.
inline constexpr std::uintmax_t cMaxImageFileSize = 16u * 1024u * 1024u;

enum class TImageLoadResult {
    ok,
    cannotOpen, // missing, unreadable, or not a regular file
    tooLarge,   // larger than cMaxImageFileSize
    badHeader,  // a header value does not convert
};

struct TImageLoad {
    TImageLoadResult result = TImageLoadResult::ok;
    std::string error; // the reader's text, for example the German conversion message
    // For a header value that is not a number: which header line it is and
    // what it should read ("header line 3, \"class=zwei\", must be
    // \"class=\" and a whole number"); empty otherwise.
    std::string explanation;
    // What a person is shown: the reader's text, with the explanation
    // after it in brackets.
    std::string text() const {
        return explanation.empty() ? error : error + " (" + explanation + ")";
    }
};

// A file name as the program holds it (UTF-8, as every text) as a path of
// the system: on Windows the wide name, so that a name outside the system's
// code page ("euro\u20ac.txt", a CJK name) opens; elsewhere the same bytes.
std::filesystem::path imageFilePath(const std::string& utf8Name);

// First pass: reads only the header.  Header keeps what a failed read left.
// path is UTF-8 (imageFilePath).
TImageLoad loadImageHeader(const std::string& path, TBl3FileHeader& Header);

// Both passes: the header into Header, then every line without "=" into
// Lines, in file order (empty lines stay).  Lines is emptied first and filled
// only when the header reads.  FileLineNumbers, when given, gets the number
// of each of these lines in the file, counted from 1 as an editor counts
// them (the header lines and any other line with "=" are not in Lines).
TImageLoad loadImageFile(const std::string& path, TBl3FileHeader& Header,
                         std::vector<std::string>& Lines,
                         std::vector<int>* FileLineNumbers = nullptr);
