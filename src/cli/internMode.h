// The internal (service) mode: a per-user switch that the desktop program and
// the command-line updater read from the same place.  Only in internal mode
// may an operator write an image file or relax the session's safety checks.
//
//  - Windows: the REG_DWORD value "intern" under HKCU\Software\Quorvane\Vorn.
//  - Linux: the line "intern=<code>" in $XDG_CONFIG_HOME/Quorvane/Vorn.conf
//    (default ~/.config), the INI file in which the desktop program's
//    settings object keeps the same value; the key may stand in the
//    [General] section or above every section.
//
// The mode is on only when the value is the internal-mode code.  A missing
// file, key or value, or a value that is not an integer, means normal mode.
#pragma once

#include <istream>
#include <optional>
#include <string>

inline constexpr int cInternModeCode = 7361;

// The text of the key "intern" in INI text, from the [General] section or
// above every section (the last one wins, as in the settings object).
std::optional<std::string> internValueFromIni(std::istream& in);

// True when the text is the internal-mode code as a decimal integer
// (blanks around it and double quotes are allowed).
bool isInternCode(const std::string& value);

// The settings file on Linux: $XDG_CONFIG_HOME/Quorvane/Vorn.conf, or
// $HOME/.config/Quorvane/Vorn.conf; empty when neither variable is set.
// A relative XDG_CONFIG_HOME is ignored, as the XDG rules ask.
std::string internConfigPath(const char* xdgConfigHome, const char* home);

// Where the switch lives on this platform, for messages.
std::string internModeSource();

// Reads the switch of the current user.
bool isInternMode();
