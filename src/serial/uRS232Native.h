// The platform backend behind openPort: opens and configures the port without
// any decoration (the byte trace is added on top by openPort).  On failure
// the empty handle, and problem tells why.
#pragma once

#include "serial/uPortProblem.h"
#include "serial/uRS232.h"

#include <string>

TPortHandle openNativePort(const std::string& sPort, int iBaud, TPortProblem& problem);
