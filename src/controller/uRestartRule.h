// Whether a session that ended is started again.  Two ends ask for it: a
// logger that stopped answering (cNT_REPEAT_COMM, again after a wait, from
// the command the session ran) and an echo that differed from its record
// (reason 44, again at once, from the first command).  The policy bounds
// how many restarts one run may have.
#pragma once

#include "controller/uControllerPolicy.h"
#include "session/uCommThread.h"
#include "session/uNotify.h"

// The wait before a session is started again after a communication error.
inline constexpr int cRepeatCommDelayMs = 1500;

struct TRestartDecision {
    bool restart = false; // a fresh session follows
    int afterMs = -1;     // after this wait (0 at once); -1 without a restart
    TCmd cmd = TCmd::tCMD0;
    // The new session starts with the cancel flag as it then stands (a
    // cancel given before stays); false: the flag is cleared.
    bool keepCancel = false;
    // A restart was due but the policy allows none: the run ends here.
    bool usedUp = false;
    bool operator==(const TRestartDecision&) const = default;
};

// final: the last notification of a session; restarts: those of this run so
// far; cancelled: the cancel flag as it stands now.
TRestartDecision restartRule(const TNotification& final, const TControllerPolicy& policy,
                             int restarts, bool cancelled);
