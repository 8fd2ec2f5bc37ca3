#include "win32ui/uFileDialog.h"

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

    const std::wstring name(file.data());
    const int len = WideCharToMultiByte(CP_ACP, 0, name.c_str(), static_cast<int>(name.size()),
                                        nullptr, 0, nullptr, nullptr);
    if (len <= 0) return {};
    std::string out(static_cast<std::size_t>(len), '\0');
    WideCharToMultiByte(CP_ACP, 0, name.c_str(), static_cast<int>(name.size()), out.data(), len,
                        nullptr, nullptr);
    return out;
}
