// tarvek2-update.exe: the desktop program that writes firmware into a
// Tarvek2 logger, on the Win32 API and the common controls alone.  The
// options come from the command line ("mf:+", "port:COM5", ...) and the
// internal-mode switch of the current user's registry, read once at start.
#include "controller/uProgramOptions.h"
#include "win32ui/uDesign.h"
#include "win32ui/uMain.h"

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> programArguments() {
    std::vector<std::string> args;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 0; argv && i < argc; ++i)
        args.push_back(narrow(argv[i]));
    if (argv) LocalFree(argv);
    return args;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int nCmdShow) {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES |
                ICC_WIN95_CLASSES;
    InitCommonControlsEx(&icc);

    TfrmMain frmMain(readProgramOptions(programArguments(), readInternMode()));
    frmMain.show(nCmdShow);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(frmMain.panel(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
