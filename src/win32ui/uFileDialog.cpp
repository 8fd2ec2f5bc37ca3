#include "win32ui/uFileDialog.h"

#include "win32ui/uDesign.h"

#include <commdlg.h>

#include <vector>

std::string chooseImageFile(HWND hOwner) {
    std::vector<wchar_t> program(MAX_PATH * 4, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
    std::wstring folder(program.data(), n);
    const auto slash = folder.find_last_of(L"\\/");
    if (slash != std::wstring::npos) folder.resize(slash);

    std::vector<wchar_t> file(MAX_PATH * 4, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hOwner;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&ofn)) return {};

    // UTF-8, as every text of the program: a name outside the system's
    // code page ("euro\u20ac.txt", a CJK name) stays whole.
    return narrow(file.data());
}
