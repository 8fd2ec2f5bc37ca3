// Control and menu identifiers and window class names of the Win32 program;
// the test driver finds the controls by them.
#pragma once

inline constexpr int cIdPort = 101;         // "Comport:" box
inline constexpr int cIdProgress = 102;     // progress bar; its window text is the bar's text
inline constexpr int cIdUpdate = 103;       // "Update"
inline constexpr int cIdFile = 104;         // "File"
inline constexpr int cIdClose = 105;        // "Close"
inline constexpr int cIdCancel = 106;       // "Cancel"
inline constexpr int cIdReadInfoOnly = 107; // "Read info only"
inline constexpr int cIdStatus = 108;       // status bar
inline constexpr int cIdPortLabel = 109;    // "Comport:"
inline constexpr int cIdPanel = 110;        // the upper panel that holds the controls
inline constexpr int cIdMemo = 120;         // text box of the report and the message window
inline constexpr int cIdList = 130;         // list view of the overview

inline constexpr int cIdMenuFirmware = 201;    // "Firmware"
inline constexpr int cIdMenuFileVersion = 202; // "File version"
inline constexpr int cIdMenuExit = 203;        // "Exit"

inline constexpr const wchar_t* cMainClass = L"Tarvek2UpdateMain";
inline constexpr const wchar_t* cPanelClass = L"Tarvek2UpdatePanel";
inline constexpr const wchar_t* cReportClass = L"Tarvek2UpdateReport";
inline constexpr const wchar_t* cMessageClass = L"Tarvek2UpdateMessage";
inline constexpr const wchar_t* cOverviewClass = L"Tarvek2UpdateOverview";
