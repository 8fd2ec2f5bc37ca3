// "About" in the main window's menu: which version of the program runs, for
// the operator who has to tell which updater is on which PC.  The menu's own
// entries keep their captions.
#pragma once

#include "win32ui/uWin.h"

#include <string>

inline constexpr int cIdMenuAbout = 204; // "About"

// Product, version (with the commit it was built from) and maker.
std::wstring aboutText();

// Puts "About" into menu just before the entry with the command beforeId
// (the last one, "Exit").
void insertAboutItem(HMENU menu, UINT beforeId);

// The About window: a modal message box over owner.
void showAbout(HWND owner);
