// The internal-mode value as text: where Linux keeps it (the INI file in
// which the desktop program's settings object keeps the same value) and which
// texts switch the mode on.  Used by the Linux reader; tested on every
// platform.
#pragma once

#include <istream>
#include <optional>
#include <string>

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
