#include "serial/uPortListFilter.h"

#include <cstring>

bool isVirtualComDeviceName(const std::string& sName) {
    static constexpr char cPrefix[] = "\\device\\vcp";
    constexpr std::size_t nPrefix = sizeof(cPrefix) - 1;
    if (sName.size() < nPrefix) return false;
    for (std::size_t i = 0; i < nPrefix; ++i) {
        char c = sName[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != cPrefix[i]) return false;
    }
    return true;
}

void keepVirtualComPorts(std::vector<std::string>& sl, const TValueDataReader& readData) {
    for (std::size_t i = sl.size(); i-- > 0;) {
        std::optional<std::string> data;
        if (isVirtualComDeviceName(sl[i])) data = readData(i, sl[i]);
        if (data)
            sl[i] = std::move(*data);
        else
            sl.erase(sl.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

bool isPortChangeEvent(std::uint64_t wParam, const void* lParam) {
    if (wParam != cDBT_DEVICEARRIVAL && wParam != cDBT_DEVICEREMOVECOMPLETE) return false;
    if (!lParam) return false;
    std::uint32_t deviceType = 0;
    std::memcpy(&deviceType, static_cast<const unsigned char*>(lParam) + sizeof(std::uint32_t),
                sizeof deviceType);
    return deviceType == cDBT_DEVTYP_PORT;
}
