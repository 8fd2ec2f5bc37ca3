// An image file checked as the update session checks an image before it
// writes anything, with the file's own line numbers for a person: "check"
// prints it, and "update --file" refuses a bad file with it before any port
// is opened, so that a logger is never switched for an image that cannot be
// written.
#pragma once

#include "images/uFWVersions.h"
#include "images/uImageCheck.h"
#include "images/uImageFile.h"

#include <string>
#include <vector>

struct TImageFileCheck {
    TImageLoad load; // the header did not read unless ok
    TBl3FileHeader header;
    std::vector<std::string> lines; // the image's lines, numbered from 0
    std::vector<int> fileLines;     // each one's line number in the file, from 1
    TImageCheckResult check;        // only when the header read

    bool good() const { return load.result == TImageLoadResult::ok && check.ok; }
    // The exit status the session would end with: 0 good, 1 unreadable,
    // 42 no data lines or no end line, 43 a line that does not convert.
    int exitStatus() const;
};

TImageFileCheck checkImageFile(const std::string& path);

// Image line index as a person finds it: "line 109 of the file, record
// index 100" (the index is the one the update's report names).
std::string imageLinePlace(const TImageFileCheck& file, int index);

// Why the session would refuse the image, for the operator; empty when it
// is good.
std::string imageFileFault(const TImageFileCheck& file);
