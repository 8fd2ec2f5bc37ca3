// The virtual COM ports from the serial device map of the registry: each
// value of HKLM\hardware\devicemap\serialcomm is one present port, its name
// the kernel device name (\Device\VCP0), its data the port name (COM5).
#include "serial/uPortList.h"
#include "serial/uPortListFilter.h"
#include "serial/uText_win32.h"

#include "platform/uWindows.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace {

// Closes the key on every way out, an exception included.
class TRegKey {
  public:
    TRegKey() = default;
    ~TRegKey() {
        if (FhKey) RegCloseKey(FhKey);
    }
    TRegKey(const TRegKey&) = delete;
    TRegKey& operator=(const TRegKey&) = delete;
    HKEY* out() { return &FhKey; }
    HKEY get() const { return FhKey; }

  private:
    HKEY FhKey = nullptr;
};

// The string data of a value, without its terminating zero; empty optional
// when the value cannot be read as a string.
std::optional<std::wstring> readStringValue(HKEY hKey, const std::wstring& sName) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(hKey, sName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
    if (RegQueryValueExW(hKey, sName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &got) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring s(data.data(), got / sizeof(wchar_t));
    while (!s.empty() && s.back() == L'\0')
        s.pop_back();
    return s;
}

} // namespace

void getPortList(std::vector<std::string>& sl) {
    sl.clear();
    TRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"hardware\\devicemap\\serialcomm", 0, KEY_QUERY_VALUE,
                      key.out()) != ERROR_SUCCESS)
        return; // a machine without any serial port has no such key

    DWORD nValues = 0;
    DWORD maxNameLen = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &nValues,
                         &maxNameLen, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;

    std::vector<std::wstring> names;
    std::vector<wchar_t> buffer(static_cast<std::size_t>(maxNameLen) + 1);
    for (DWORD i = 0; i < nValues; ++i) {
        DWORD len = static_cast<DWORD>(buffer.size());
        const LONG rc =
            RegEnumValueW(key.get(), i, buffer.data(), &len, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS) break; // the map changed under us: keep what we have
        names.emplace_back(buffer.data(), len);
        sl.push_back(toUtf8(names.back()));
    }

    keepVirtualComPorts(sl, [&](std::size_t index, const std::string&) {
        std::optional<std::wstring> data = readStringValue(key.get(), names[index]);
        return data ? std::optional<std::string>(toUtf8(*data)) : std::nullopt;
    });
}
