// windows.h as every file of the Win32 program includes it.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include "platform/uWindows.h"
// after windows.h, which they need
#include <commctrl.h>
