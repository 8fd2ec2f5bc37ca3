// tarvek2-write-order FILE | --builtin N
//
// Prints the block addresses of an image's records in the order the update
// session writes them (every full data record in line order, the vector table
// last), in decimal and comma-separated, the form of the simulated logger's
// record of blocks.  The list comes from the same check that the session
// writes from.  Exit 1 when the image does not check out, 2 on a usage error.
#include "images/uFWCatalog.h"
#include "images/uImageCheck.h"
#include "images/uImageFile.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    TFWCatalog catalog;
    if (argc == 3 && std::strcmp(argv[1], "--builtin") == 0 &&
        (std::strcmp(argv[2], "1") == 0 || std::strcmp(argv[2], "2") == 0)) {
        catalog.iSelectedFW = argv[2][0] - '0';
    } else if (argc == 2 && argv[1][0] != '-') {
        const TImageLoad load = loadImageFile(argv[1], catalog.FileHeader, catalog.FileLines);
        if (load.result != TImageLoadResult::ok) {
            std::fprintf(stderr, "%s: cannot be loaded: %s\n", argv[1], load.error.c_str());
            return 1;
        }
        catalog.iSelectedFW = 0;
    } else {
        std::fprintf(stderr, "usage: %s FILE | --builtin 1|2\n", argv[0]);
        return 2;
    }

    const TCheckedImage image = checkImageRecords(
        catalog.getLastLine(), [&](int i, std::string& line) { return catalog.getLine(i, line); });
    if (!image.ok()) {
        const std::string why =
            !image.endLineOk ? std::string("no end line after the data lines")
                             : "line " + std::to_string(image.badLine) + ": " + image.badReason;
        std::fprintf(stderr, "not a good image: %s\n", why.c_str());
        return 1;
    }
    std::string out;
    for (const std::uint16_t block : image.writeOrder()) {
        if (!out.empty()) out += ',';
        out += std::to_string(block);
    }
    std::printf("%s\n", out.c_str());
    return 0;
}
