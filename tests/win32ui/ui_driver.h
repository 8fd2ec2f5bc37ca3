// The test driver's view of another process's windows: finding them, reading
// their texts (through a buffer in the target process where the control
// writes through a pointer), clicking and waiting, as a user would see and
// do it.  The driver is built for the same architecture as the program it
// drives, so the controls' structures have the same layout on both sides.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

std::string narrow(const std::wstring& s);
std::wstring wide(const std::string& s);

// Polls until ready() holds or ms pass; true when it held.
bool waitUntil(const std::function<bool()>& ready, int ms, int pollMs = 25);

// A top-level window of process pid: of class cls (null: any) and caption
// (null: any), visible ones only unless anyVisibility.
HWND findTopWindow(DWORD pid, const wchar_t* cls, const wchar_t* caption,
                   bool anyVisibility = false);

// Texts of windows of another process.
std::wstring textOf(HWND h);
std::vector<std::string> linesOf(const std::wstring& text);

// A buffer in the target process, for the messages whose answer the control
// writes through a pointer.
class TRemoteBuffer {
  public:
    TRemoteBuffer(HANDLE process, std::size_t size);
    ~TRemoteBuffer();
    TRemoteBuffer(const TRemoteBuffer&) = delete;
    TRemoteBuffer& operator=(const TRemoteBuffer&) = delete;
    void* address() const { return FAddress; }
    bool write(const void* data, std::size_t size, std::size_t offset = 0);
    bool read(void* data, std::size_t size, std::size_t offset = 0) const;

  private:
    HANDLE FProcess;
    void* FAddress = nullptr;
};

std::wstring statusBarText(HANDLE process, HWND statusBar);
// Rows of a report-style list view, cells left to right.
std::vector<std::vector<std::string>> listViewRows(HANDLE process, HWND list);
std::vector<std::string> listViewColumns(HANDLE process, HWND list);

// Writes what the screen shows in r as a 24-bit BMP file.
bool captureScreen(const RECT& r, const std::wstring& path);
