// "About" in the Win32 program's menu: it goes just before "Exit", the menu's
// own entries keep their captions, and its text names the version of this
// build.
#include "tarvek2_version.h"
#include "win32ui/uAbout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> entries(HMENU menu) {
    std::vector<std::wstring> out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        out.emplace_back(text);
    }
    return out;
}

TEST(Win32About, EntryGoesJustBeforeExit) {
    constexpr UINT cExit = 203;
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 201, L"Firmware");
    AppendMenuW(menu, MF_STRING, 202, L"File version");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, cExit, L"Exit");
    insertAboutItem(menu, cExit);
    EXPECT_EQ(entries(menu),
              (std::vector<std::wstring>{L"Firmware", L"File version", L"", L"About", L"Exit"}));
    EXPECT_EQ(GetMenuItemID(menu, 3), static_cast<UINT>(cIdMenuAbout));
    EXPECT_EQ(GetMenuItemID(menu, 4), cExit);
    DestroyMenu(menu);
}

TEST(Win32About, TextNamesTheVersion) {
    const std::string version = TARVEK2_VERSION;
    const std::wstring text = aboutText();
    EXPECT_NE(text.find(L"Version " + std::wstring(version.begin(), version.end())),
              std::wstring::npos);
    EXPECT_NE(text.find(L"Tarvek2 Firmware Update"), std::wstring::npos);
}

} // namespace
