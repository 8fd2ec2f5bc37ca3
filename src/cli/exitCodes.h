// Exit status of tarvek2-cli.  cExitCodes below is the one list of them, with
// their meanings: "update --help" prints it, and the manual page is checked
// against it.
#pragma once

#include "session/uExceptions1V0.h"
#include "session/uNotify.h"

#include <string>

inline constexpr int cExitOk = 0;
inline constexpr int cExitFailure = 1;
inline constexpr int cExitUsage = 2;
inline constexpr int cExitInterrupted = 130;

// Every exit status of "update" and "info", in order, and what it means.
struct TExitCodeMeaning {
    int code;
    const char* meaning;
};
inline constexpr TExitCodeMeaning cExitCodes[] = {
    {cExitOk, "update: the logger runs the new firmware; info: an image fits the logger and "
              "was chosen"},
    {cExitFailure, "an unexpected error, or an image file that cannot be read"},
    {cExitUsage, "a usage error, also --file or --no-check-* without the internal mode"},
    {cEX_PORT_NOT_READY, "the port cannot be opened (the cause on standard error)"},
    {cEX_PORT_IO, "a port call failed while the session used it (cable pulled?)"},
    {cEX_CANCELLED, "cancelled (Ctrl-C)"},
    {cEX_COMM_ERROR, "the logger did not answer, and no restart was left"},
    {cEX_NO_UPDATE, "not a logger this program updates, or it did not enter its bootloader"},
    {cEX_LOGGER_NOT_READY, "the logger is not ready (status bit 5)"},
    {cEX_LAST_LINE, "the image has no data lines or no end line"},
    {cEX_CONVERSION, "a line of the image does not convert (nothing was written)"},
    {cEX_PROG_REPEAT, "the echo of a record differed, and no restart was left"},
    {cEX_UPDATE_FAILED, "after its restart the logger does not report the image's class"},
    {cEX_INVALID_ANSWER, "the logger gave no valid answer to an identity query"},
    {cEX_UPID_MISMATCH, "no image fits the logger (another update ID)"},
    {cExitInterrupted,
     "a second Ctrl-C on Windows: stopped at once (elsewhere a second signal ends the "
     "program by that signal: 130 after Ctrl-C, 143 after SIGTERM)"},
};

// The exit status for the final notification of the last session.  A
// cNT_REPEAT_COMM or a reason 44 arrives here only once no restart is left.
int exitCodeFor(const TNotification& final, bool bInfoOnly);

// A word for the outcome, for the JSON summary: "done", "info", "cancelled",
// "comm_error" (restarts used up), "abort" or "error" (an unexpected error).
std::string resultName(const TNotification& final, bool bInfoOnly);
