// The virtual COM ports of the machine, for the port box.  Only USB virtual
// serial ports are offered, by port name, in the system's enumeration order.
#pragma once

#include <string>
#include <vector>

// Replaces sl with the names of the present virtual COM ports.  A missing
// source (no registry key, no sysfs) gives an empty list, never an error.
void getPortList(std::vector<std::string>& sl);

#ifdef _WIN32
// True when a WM_DEVICECHANGE message (its wParam and lParam) reports that a
// serial port arrived or was removed.
bool isPortChange(unsigned long long wParam, const void* lParam);
#endif
