#include "win32ui/uAbout.h"

#include "tarvek2_version.h"

std::wstring aboutText() {
    static constexpr char cText[] =
        TARVEK2_PRODUCT "\r\nVersion " TARVEK2_VERSION "\r\n" TARVEK2_COPYRIGHT;
    // The text is ASCII.
    return std::wstring(cText, cText + sizeof cText - 1);
}

void insertAboutItem(HMENU menu, UINT beforeId) {
    InsertMenuW(menu, beforeId, MF_BYCOMMAND | MF_STRING, cIdMenuAbout, L"About");
}

void showAbout(HWND owner) {
    MessageBoxW(owner, aboutText().c_str(), L"About", MB_OK | MB_ICONINFORMATION);
}
