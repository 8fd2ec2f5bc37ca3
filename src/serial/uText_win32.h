// UTF-8 <-> UTF-16 for the Win32 calls; port names travel as UTF-8.
#pragma once

#ifdef _WIN32

#include <optional>
#include <string>

// Empty optional when s is not valid UTF-8.
std::optional<std::wstring> toWide(const std::string& s);
std::string toUtf8(const std::wstring& s);

#endif
