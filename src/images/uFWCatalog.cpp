#include "images/uFWCatalog.h"

#include "uFW_Tarvek2_V2_08_PF21_PR38_BL3_0.h"
#include "uFW_Tarvek2_V2_08_PF21_PR47_BL3_0.h"

namespace {

namespace pr38 = uFW_Tarvek2_V2_08_PF21_PR38_BL3_0;
namespace pr47 = uFW_Tarvek2_V2_08_PF21_PR47_BL3_0;

// Last line index (the end line) of each built-in image.
constexpr int cLastLine1 = 2365;
constexpr int cLastLine2 = 2364;

static_assert(pr38::cFWLines.size() - 1 == cLastLine1);
static_assert(pr47::cFWLines.size() - 1 == cLastLine2);
static_assert(pr38::cFWLines[cLastLine1] == ":00000001FF");
static_assert(pr47::cFWLines[cLastLine2] == ":00000001FF");

template <typename Lines> bool lineOf(const Lines& lines, int iLine, std::string& sLine) {
    if (iLine < 0 || static_cast<std::size_t>(iLine) >= lines.size()) return false;
    sLine.assign(lines[iLine]);
    return true;
}

} // namespace

bool TFWCatalog::accessFW(int iFW, int iOp, int iLine, std::string& sLine, int& iLast,
                          TBl3FileHeader& Header) const {
    Header.vorn_class = 0xFFFF;
    Header.vorn_platform = 0xFFFF;
    Header.vorn_print = 0xFFFF;
    iLast = 0;
    sLine.clear();

    switch (iFW) {
    case 0:
        switch (iOp) {
        case 0:
            Header = FileHeader;
            return true;
        case 1:
            iLast = static_cast<int>(FileLines.size()) - 1;
            return true;
        case 2:
            return lineOf(FileLines, iLine, sLine);
        }
        return false;
    case 1:
        switch (iOp) {
        case 0:
            Header = pr38::cFWHeader;
            return true;
        case 1:
            iLast = cLastLine1;
            return true;
        case 2:
            return lineOf(pr38::cFWLines, iLine, sLine);
        }
        return false;
    case 2:
        switch (iOp) {
        case 0:
            Header = pr47::cFWHeader;
            return true;
        case 1:
            iLast = cLastLine2;
            return true;
        case 2:
            return lineOf(pr47::cFWLines, iLine, sLine);
        }
        return false;
    }
    return false;
}

TBl3FileHeader TFWCatalog::getFWHeader(int iFW) const {
    TBl3FileHeader header{};
    std::string line;
    int last = 0;
    accessFW(iFW, 0, 0, line, last, header);
    return header;
}

int TFWCatalog::getFWLastLine(int iFW) const {
    TBl3FileHeader header{};
    std::string line;
    int last = 0;
    accessFW(iFW, 1, 0, line, last, header);
    return last;
}

int TFWCatalog::getLastLine() const {
    return getFWLastLine(iSelectedFW.load());
}

bool TFWCatalog::getLine(int iLine, std::string& sLine) const {
    TBl3FileHeader header{};
    int last = 0;
    return accessFW(iSelectedFW.load(), 2, iLine, sLine, last, header);
}
