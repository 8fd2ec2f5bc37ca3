// Internals of the Win32 backend, open to its tests: the device control
// block and the time-outs that every open applies.
#pragma once

#ifdef _WIN32

#include "platform/uWindows.h"

// The whole control block, filled in from scratch: 8N1 at iBaud, binary, no
// flow control of any kind, DTR and RTS off while the settings are applied.
DCB lineSettings(int iBaud);

// A read of n bytes ends when n are in or after 200 + n ms; a write of n
// bytes is given n ms.
COMMTIMEOUTS lineTimeouts();

#endif
