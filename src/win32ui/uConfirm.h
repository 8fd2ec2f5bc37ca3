// The confirmation question: a modal Yes/No box with the caption "Confirm",
// the buttons "Yes" (the default) and "No" in English whatever the system's
// language.
#pragma once

#include "win32ui/uWin.h"

#include <string>

bool askConfirm(HWND hOwner, const std::string& question);
