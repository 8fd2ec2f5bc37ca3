#include "cli/run/cancelSignal.h"

#include "cli/exitCodes.h"

#ifdef _WIN32
#include "platform/uWindows.h"
#else
#include <csignal>
#include <unistd.h>
#endif

// A lock-free atomic may be stored to from a signal handler.
static_assert(std::atomic<bool>::is_always_lock_free);

namespace {

std::atomic<bool>* gCancel = nullptr;
std::atomic<int> gPresses{0};
static_assert(std::atomic<int>::is_always_lock_free);

#ifdef _WIN32

BOOL WINAPI onConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    if (gPresses.fetch_add(1) > 0) ExitProcess(cExitInterrupted);
    gCancel->store(true);
    return TRUE;
}

#else

void onInterrupt(int) {
    if (gPresses.fetch_add(1) > 0) {
        // Only async-signal-safe calls here: end the bar's line, then leave.
        const char nl = '\n';
        [[maybe_unused]] const auto n = ::write(STDERR_FILENO, &nl, 1);
        ::_exit(cExitInterrupted);
    }
    gCancel->store(true);
}

#endif

} // namespace

void installCancelHandler(std::atomic<bool>& bCancel) {
    gCancel = &bCancel;
#ifdef _WIN32
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
#else
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    // Port calls are restarted or retried on EINTR; SA_RESTART keeps the
    // other blocking calls of the program out of it.
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &sa, nullptr);
    // A reader of the output that goes away (a closed pipe) must not kill the
    // program halfway through writing the logger: the writes fail instead and
    // the session runs to its end.
    ::signal(SIGPIPE, SIG_IGN);
#endif
}
