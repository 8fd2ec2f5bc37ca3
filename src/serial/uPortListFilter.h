// The platform-neutral rules of port discovery: which entries of the serial
// device map are virtual COM ports, and which device-change messages concern
// a serial port.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The data of the value with the given index and name; empty when it cannot
// be read (the value went away meanwhile).
using TValueDataReader =
    std::function<std::optional<std::string>(std::size_t index, const std::string& sName)>;

// sl holds the value names of the serial device map in enumeration order.
// Walks sl from the last entry to the first: an entry whose name begins with
// "\device\vcp" (ASCII case ignored) is replaced in place by its value's data,
// every other entry is deleted.  Walking downwards keeps the indexes of the
// entries not yet visited equal to their enumeration indexes, and the kept
// entries in enumeration order.  An entry whose data cannot be read is
// deleted, as its port has gone.
void keepVirtualComPorts(std::vector<std::string>& sl, const TValueDataReader& readData);

// True when the name begins with "\device\vcp", ASCII case ignored.
bool isVirtualComDeviceName(const std::string& sName);

inline constexpr std::uint64_t cDBT_DEVICEARRIVAL = 0x8000;
inline constexpr std::uint64_t cDBT_DEVICEREMOVECOMPLETE = 0x8004;
inline constexpr std::uint32_t cDBT_DEVTYP_PORT = 3;

// The test of a WM_DEVICECHANGE message: wParam is an arrival or a completed
// removal, and lParam points to a broadcast header (32-bit size, then 32-bit
// device type) whose device type is a port.  lParam is only looked at for
// those two events; a null lParam is no port change.
bool isPortChangeEvent(std::uint64_t wParam, const void* lParam);
