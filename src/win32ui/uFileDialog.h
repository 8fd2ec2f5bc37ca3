// The file-open dialog of "File" and "File version": no filter, opening in
// the program's folder.
#pragma once

#include "win32ui/uWin.h"

#include <string>

// The chosen file's name in UTF-8 (the image reader opens it by its wide
// name), or empty when the operator cancelled.
std::string chooseImageFile(HWND hOwner);
