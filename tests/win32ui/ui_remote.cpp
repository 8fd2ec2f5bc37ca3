#include "ui_driver.h"

#include <chrono>
#include <thread>

std::string narrow(const std::wstring& s) {
    if (s.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n,
                            nullptr, nullptr);
    return out;
}

std::wstring wide(const std::string& s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

bool waitUntil(const std::function<bool()>& ready, int ms, int pollMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (ready()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
    }
}

namespace {
struct TFind {
    DWORD pid;
    const wchar_t* cls;
    const wchar_t* caption;
    bool anyVisibility;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND h, LPARAM p) {
    auto* f = reinterpret_cast<TFind*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != f->pid) return TRUE;
    if (!f->anyVisibility && !IsWindowVisible(h)) return TRUE;
    if (f->cls) {
        wchar_t cls[256] = {};
        GetClassNameW(h, cls, 256);
        if (lstrcmpiW(cls, f->cls) != 0) return TRUE;
    }
    if (f->caption && textOf(h) != f->caption) return TRUE;
    f->found = h;
    return FALSE;
}
} // namespace

HWND findTopWindow(DWORD pid, const wchar_t* cls, const wchar_t* caption, bool anyVisibility) {
    TFind f{pid, cls, caption, anyVisibility, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

std::wstring textOf(HWND h) {
    if (!h) return {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
    std::wstring s(length + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(s.data()),
                             SMTO_ABORTIFHUNG, 5000, &got))
        return {};
    s.resize(got);
    return s;
}

std::vector<std::string> linesOf(const std::wstring& text) {
    std::vector<std::string> lines;
    std::string all = narrow(text);
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\n', start);
        if (end == std::string::npos) end = all.size();
        std::string line = all.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

TRemoteBuffer::TRemoteBuffer(HANDLE process, std::size_t size) : FProcess(process) {
    FAddress = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

TRemoteBuffer::~TRemoteBuffer() {
    if (FAddress) VirtualFreeEx(FProcess, FAddress, 0, MEM_RELEASE);
}

bool TRemoteBuffer::write(const void* data, std::size_t size, std::size_t offset) {
    SIZE_T done = 0;
    return FAddress &&
           WriteProcessMemory(FProcess, static_cast<char*>(FAddress) + offset, data, size, &done) &&
           done == size;
}

bool TRemoteBuffer::read(void* data, std::size_t size, std::size_t offset) const {
    SIZE_T done = 0;
    return FAddress &&
           ReadProcessMemory(FProcess, static_cast<char*>(FAddress) + offset, data, size, &done) &&
           done == size;
}

std::wstring statusBarText(HANDLE process, HWND statusBar) {
    const LRESULT info = SendMessageW(statusBar, SB_GETTEXTLENGTHW, 0, 0);
    const std::size_t length = LOWORD(info);
    TRemoteBuffer buffer(process, (length + 1) * sizeof(wchar_t));
    if (!buffer.address()) return {};
    SendMessageW(statusBar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(buffer.address()));
    std::wstring s(length + 1, L'\0');
    buffer.read(s.data(), (length + 1) * sizeof(wchar_t));
    s.resize(length);
    return s;
}

namespace {
constexpr std::size_t cCellChars = 512;

std::string cellText(HANDLE process, HWND list, int row, int col) {
    // One allocation: the item structure, then the text buffer it points to.
    TRemoteBuffer buffer(process, sizeof(LVITEMW) + cCellChars * sizeof(wchar_t));
    if (!buffer.address()) return {};
    LVITEMW item{};
    item.iSubItem = col;
    item.cchTextMax = static_cast<int>(cCellChars);
    item.pszText = reinterpret_cast<LPWSTR>(static_cast<char*>(buffer.address()) + sizeof item);
    buffer.write(&item, sizeof item);
    const LRESULT n = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                   reinterpret_cast<LPARAM>(buffer.address()));
    std::wstring s(cCellChars, L'\0');
    buffer.read(s.data(), cCellChars * sizeof(wchar_t), sizeof item);
    s.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    return narrow(s);
}
} // namespace

std::vector<std::vector<std::string>> listViewRows(HANDLE process, HWND list) {
    std::vector<std::vector<std::string>> rows;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    const int columns = static_cast<int>(listViewColumns(process, list).size());
    for (int r = 0; r < count; ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < columns; ++c)
            row.push_back(cellText(process, list, r, c));
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> listViewColumns(HANDLE process, HWND list) {
    std::vector<std::string> names;
    for (int c = 0; c < 64; ++c) {
        TRemoteBuffer buffer(process, sizeof(LVCOLUMNW) + cCellChars * sizeof(wchar_t));
        if (!buffer.address()) break;
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT;
        col.cchTextMax = static_cast<int>(cCellChars);
        col.pszText = reinterpret_cast<LPWSTR>(static_cast<char*>(buffer.address()) + sizeof col);
        buffer.write(&col, sizeof col);
        if (!SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(c),
                          reinterpret_cast<LPARAM>(buffer.address())))
            break;
        std::wstring s(cCellChars, L'\0');
        buffer.read(s.data(), cCellChars * sizeof(wchar_t), sizeof col);
        s.resize(wcsnlen(s.c_str(), cCellChars));
        names.push_back(narrow(s));
    }
    return names;
}
