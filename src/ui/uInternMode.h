// The internal (service) mode switch: the value "intern" of the settings
// "Quorvane"/"Vorn" of the current user (on Windows the registry key
// HKCU\Software\Quorvane\Vorn, on Linux ~/.config/Quorvane/Vorn.conf).  The
// mode is on only when the value is the internal-mode code.
#pragma once

#include <QVariant>

inline constexpr int cInternModeCode = 7361;

// True when the stored value is the internal-mode code.  A missing value, or
// one that is not an integer, means normal mode.
bool isInternValue(const QVariant& value);

// Reads the switch of the current user.
bool readInternMode();
