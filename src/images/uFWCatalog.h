// The image catalog: slot 0 holds an image file that the operator chose,
// slots 1 and 2 the images built into the program.  Each window and each
// session has its own catalog object (its own selection and file slot); the
// built-in images are shared constants.
#pragma once

#include "images/uFWVersions.h"

#include <atomic>
#include <string>
#include <vector>

class TFWCatalog {
  public:
    TFWCatalog() = default;
    TFWCatalog(const TFWCatalog&) = delete;
    TFWCatalog& operator=(const TFWCatalog&) = delete;

    // Selected slot: -1 none (search the built-in images), 0 the file slot,
    // 1 or 2 a built-in image.  The session writes it while it chooses an
    // image; the front end reads it while it renders what follows.
    std::atomic<int> iSelectedFW{-1};

    // The file slot.  Written by the front end only while no session runs.
    TBl3FileHeader FileHeader{};
    std::vector<std::string> FileLines;

    // Number of built-in images.
    static int getFWCount() { return 2; }

    // The one routine that reaches into the slots.  iOp 0 delivers the header
    // into Header, 1 the last line index into iLast, 2 line iLine into sLine.
    // Class, platform and print of Header become 0xFFFF, iLast 0 and sLine
    // empty first.  False for an unknown slot or operation, and for a line
    // index outside the slot.
    bool accessFW(int iFW, int iOp, int iLine, std::string& sLine, int& iLast,
                  TBl3FileHeader& Header) const;

    TBl3FileHeader getFWHeader(int iFW) const;
    int getFWLastLine(int iFW) const;
    int getLastLine() const;
    bool getLine(int iLine, std::string& sLine) const;
};
