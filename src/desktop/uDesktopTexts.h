// The fixed texts of the desktop windows, and how a text of the system is
// shown.  Texts here break lines with a plain "\n"; each toolkit converts
// where its controls need another break (the Win32 edit control: "\r\n").
#pragma once

#include <string>

inline constexpr const char* cTextPortLabel = "Comport:";
inline constexpr const char* cTextUpdate = "Update";
inline constexpr const char* cTextFile = "File";
inline constexpr const char* cTextClose = "Close";
inline constexpr const char* cTextCancel = "Cancel";
inline constexpr const char* cTextReadInfoOnly = "Read info only";
inline constexpr const char* cTextMenuFirmware = "Firmware";
inline constexpr const char* cTextMenuFileVersion = "File version";
inline constexpr const char* cTextMenuExit = "Exit";
inline constexpr const char* cTextMenuAbout = "About";
inline constexpr const char* cTextOk = "OK";
inline constexpr const char* cTextMessageCaption = "Information";
inline constexpr const char* cTextOverviewCaption = "Overview";
inline constexpr const char* cTextReportCaption = "Report";
inline constexpr const char* cTextConfirmCaption = "Confirm";
inline constexpr const char* cTextYes = "Yes";
inline constexpr const char* cTextNo = "No";

// A text of the system as a window shows it: every "\r\n" (the break the
// questions and messages carry) and every lone "\r" becomes "\n".
std::string plainLines(const std::string& text);
