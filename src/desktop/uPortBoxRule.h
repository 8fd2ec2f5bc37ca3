// The port box's rules: an editable drop-down list of the present serial
// ports.  The text in its edit field is what the operator chose or typed and
// stays when the list is refilled, even when that port has gone.
#pragma once

#include <string>
#include <vector>

struct TPortBoxFill {
    std::vector<std::string> items; // the list, in the port list's order
    std::string text;               // the edit field
    bool selectFirst = false;       // the first item is the selected one
    // After a port arrived or went: close the dropped-down list if it is
    // open, then open it, so that the operator sees the new list at once.
    bool closeDropDown = false;
    bool openDropDown = false;
    bool operator==(const TPortBoxFill&) const = default;
};

// At start: the port list with its first entry selected (an empty list
// leaves the box empty); a port given as a program option replaces the text.
TPortBoxFill portBoxAtStart(const std::vector<std::string>& ports, const std::string& optionPort);

// A port arrived or went: the box is refilled always, also while a session
// runs; the list drops down only when the program is the active one and the
// box is enabled (no session runs).
TPortBoxFill portBoxRefill(const std::vector<std::string>& ports, const std::string& currentText,
                           bool appActive, bool boxEnabled, bool droppedDown);

// The list opened by the operator is looked at again (a system may offer
// hot-plug events and never deliver one): refilled, the text kept, no
// drop-down of its own.
TPortBoxFill portBoxOnOpen(const std::vector<std::string>& ports, const std::string& currentText);
