// The port box: an editable drop-down list of the virtual COM ports, refilled
// when the port watcher tells that a port arrived or went.  Its text is the
// port name handed to the session, unchanged.
#pragma once

#include "win32ui/uWin.h"

#include <string>
#include <vector>

// Replaces the box's items with names; the text in its edit field stays.
void fillPortBox(HWND hBox, const std::vector<std::string>& names);

// At start: the port list, its first entry selected (an empty list leaves
// the box empty); a port given as an option takes the box's text.
void fillPortBoxAtStart(HWND hBox, const std::string& optionPort = {});

// A port arrived or went: the box is refilled, also while a session runs;
// when the program is the active one and the box is enabled, the drop-down
// list opens again with the new list.
void portBoxChanged(HWND hBox);
