#include "serial/uText_win32.h"

#include "platform/uWindows.h"

#include <climits>

std::optional<std::wstring> toWide(const std::string& s) {
    if (s.empty()) return std::wstring();
    if (s.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(),
                                      static_cast<int>(s.size()), nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()),
                        w.data(), n);
    return w;
}

std::string toUtf8(const std::wstring& s) {
    if (s.empty() || s.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                                      nullptr, nullptr);
    if (n <= 0) return {};
    std::string u(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), u.data(), n, nullptr,
                        nullptr);
    return u;
}
