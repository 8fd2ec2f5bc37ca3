#include "cli/commands/imageFileCheck.h"

#include "session/uExceptions1V0.h"

int TImageFileCheck::exitStatus() const {
    if (load.result != TImageLoadResult::ok) return 1;
    if (!check.endLineOk) return cEX_LAST_LINE;
    if (check.badLine >= 0) return cEX_CONVERSION;
    return 0;
}

TImageFileCheck checkImageFile(const std::string& path) {
    TImageFileCheck f;
    f.load = loadImageFile(path, f.header, f.lines, &f.fileLines);
    if (f.load.result != TImageLoadResult::ok) return f;
    const int last = static_cast<int>(f.lines.size()) - 1;
    f.check = checkImage(last, [&](int i, std::string& line) {
        if (i < 0 || i > last) return false;
        line = f.lines[static_cast<std::size_t>(i)];
        return true;
    });
    return f;
}

std::string imageLinePlace(const TImageFileCheck& file, int index) {
    std::string place = "record index " + std::to_string(index);
    if (index >= 0 && index < static_cast<int>(file.fileLines.size()))
        place = "line " + std::to_string(file.fileLines[static_cast<std::size_t>(index)]) +
                " of the file, " + place;
    return place;
}

std::string imageFileFault(const TImageFileCheck& file) {
    if (file.load.result != TImageLoadResult::ok) return file.load.text();
    const TImageCheckResult& c = file.check;
    if (!c.endLineOk)
        return c.lastLine < 1 ? "it has no data lines before its end line \":00000001FF\""
                              : "its last line (" + imageLinePlace(file, c.lastLine) +
                                    ") is not the end line \":00000001FF\"";
    if (c.badLine >= 0)
        return imageLinePlace(file, c.badLine) +
               " is not a record the logger takes: " + c.badReason;
    return {};
}
