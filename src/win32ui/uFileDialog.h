// The file-open dialog of "File" and "File version": no filter, opening in
// the program's folder.
#pragma once

#include "win32ui/uWin.h"

#include <string>

// The chosen file's name in the system's code page (as the image reader
// opens names), or empty when the operator cancelled.
std::string chooseImageFile(HWND hOwner);
