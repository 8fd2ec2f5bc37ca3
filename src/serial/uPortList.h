// The virtual COM ports of the machine, for the port box.  Only USB virtual
// serial ports are offered, by port name, in the system's enumeration order.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Replaces sl with the names of the present virtual COM ports.  A missing
// source (no registry key, no sysfs) gives an empty list, never an error.
void getPortList(std::vector<std::string>& sl);

// Where a front end takes its port names from: getPortList, or a test's list.
using TPortListSource = std::function<void(std::vector<std::string>&)>;
