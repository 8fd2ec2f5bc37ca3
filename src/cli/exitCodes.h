// Exit status of tarvek2-cli.
//
//   0    success (update: the logger runs the new firmware; info: an image
//        fits the logger and was chosen)
//   1    an unexpected error, or an image file that cannot be read
//   2    a usage error (also: an option that needs the internal mode)
//   10, 11, 20, 40-47   the session's abort reason
//   30   restarts after communication errors used up
//   44   restarts after programming (echo) errors used up
//   130  a second Ctrl-C (Windows): stopped at once; on Linux the program
//        ends by the second signal itself, which a shell shows as 128 + its
//        number (130 for Ctrl-C, 143 for SIGTERM)
#pragma once

#include "session/uNotify.h"

#include <string>

inline constexpr int cExitOk = 0;
inline constexpr int cExitFailure = 1;
inline constexpr int cExitUsage = 2;
inline constexpr int cExitInterrupted = 130;

// The exit status for the final notification of the last session.  A
// cNT_REPEAT_COMM or a reason 44 arrives here only once no restart is left.
int exitCodeFor(const TNotification& final, bool bInfoOnly);

// A word for the outcome, for the JSON summary: "done", "info", "cancelled",
// "comm_error" (restarts used up), "abort" or "error" (an unexpected error).
std::string resultName(const TNotification& final, bool bInfoOnly);
