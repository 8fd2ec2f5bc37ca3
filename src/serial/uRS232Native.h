// The platform backend behind openPort: opens and configures the port without
// any decoration (the byte trace is added on top by openPort).
#pragma once

#include "serial/uRS232.h"

#include <string>

TPortHandle openNativePort(const std::string& sPort, int iBaud);
