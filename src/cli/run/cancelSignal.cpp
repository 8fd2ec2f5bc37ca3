#include "cli/run/cancelSignal.h"

#include "cli/exitCodes.h"
#include "cli/run/cancelFlags.h"

#ifdef _WIN32
#include "cli/run/endSessionWindow_win32.h"
#include "platform/uWindows.h"
#else
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace {

std::atomic<std::atomic<bool>*> gInterrupted{nullptr};
// Requests to stop so far; a hangup counts only as the first one.
std::atomic<int> gRequests{0};
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<std::atomic<bool>*>::is_always_lock_free);

// The first request: every running session's flag at once, then the run
// loop's.  Only lock-free atomics: safe in a signal handler.
void cancelEverything() {
    raiseEveryCancelFlag();
    if (auto* interrupted = gInterrupted.load()) interrupted->store(true);
}

#ifdef _WIN32

// The console window closed, or the user's session ends: a cancel, once.
void systemEnds() {
    int none = 0;
    if (gRequests.compare_exchange_strong(none, 1)) cancelEverything();
}

BOOL WINAPI onConsoleControl(DWORD type) {
    const bool systemEnd =
        type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT;
    if (!systemEnd && type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    if (systemEnd) {
        systemEnds();
        // Windows ends the program when this returns (or when its time is
        // up): hold it while the sessions stop and the run writes what it
        // has to write; the program's own end, with its exit status, comes
        // first and ends this thread with it.
        Sleep(cSystemEndWaitMs);
        return TRUE;
    }
    if (gRequests.fetch_add(1) > 0) ExitProcess(cExitInterrupted);
    cancelEverything();
    return TRUE;
}

#else

void onSignal(int sig) {
    const int savedErrno = errno;
    if (sig == SIGHUP) {
        int none = 0;
        if (gRequests.compare_exchange_strong(none, 1)) cancelEverything();
    } else if (gRequests.fetch_add(1) > 0) {
        // Only async-signal-safe calls here: end the bar's line, then end by
        // the signal itself, as a shell expects of a program that it
        // stopped (it shows 128 + the signal's number).  The signal, blocked
        // while its handler runs, comes as soon as this returns.
        const char nl = '\n';
        [[maybe_unused]] const auto n = ::write(STDERR_FILENO, &nl, 1);
        struct sigaction byDefault {};
        byDefault.sa_handler = SIG_DFL;
        sigemptyset(&byDefault.sa_mask);
        ::sigaction(sig, &byDefault, nullptr);
        ::kill(::getpid(), sig);
    } else {
        cancelEverything();
    }
    errno = savedErrno;
}

#endif

} // namespace

void installCancelHandler(std::atomic<bool>& interrupted) {
    gInterrupted.store(&interrupted);
#ifdef _WIN32
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
    // Log-off and shutdown come to a program with windows as window
    // messages only.
    watchEndOfUserSession(systemEnds, cSystemEndWaitMs);
#else
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    // One handler at a time: a second request waits until the first one's
    // flags are set.
    for (const int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&sa.sa_mask, sig);
    // Port calls are restarted or retried on EINTR; SA_RESTART keeps the
    // other blocking calls of the program out of it.
    sa.sa_flags = SA_RESTART;
    for (const int sig : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
    // A reader of the output that goes away (a closed pipe) must not kill the
    // program halfway through writing the logger: the writes fail instead and
    // the session runs to its end.
    ::signal(SIGPIPE, SIG_IGN);
#endif
}
