#include "win32ui/uAbout.h"

#include "desktop/uAboutText.h"
#include "desktop/uDesktopTexts.h"
#include "win32ui/uDesign.h"

std::wstring aboutText() {
    return shownText(aboutLines());
}

void insertAboutItem(HMENU menu, UINT beforeId) {
    InsertMenuW(menu, beforeId, MF_BYCOMMAND | MF_STRING, cIdMenuAbout,
                wide(cTextMenuAbout).c_str());
}

void showAbout(HWND owner) {
    MessageBoxW(owner, aboutText().c_str(), wide(cTextMenuAbout).c_str(),
                MB_OK | MB_ICONINFORMATION);
}
