#include "controller/uRestartRule.h"

#include "session/uExceptions1V0.h"

TRestartDecision restartRule(const TNotification& final, const TControllerPolicy& policy,
                             int restarts, bool cancelled) {
    TRestartDecision d;
    const bool commError = final.kind == cNT_REPEAT_COMM;
    const bool progError = final.kind == cNT_ABORT && final.value == cEX_PROG_REPEAT;
    if (!commError && !progError) return d;
    if (policy.maxRestarts >= 0 && restarts >= policy.maxRestarts) {
        d.usedUp = true;
        return d;
    }
    d.restart = true;
    if (commError) {
        // Still busy through the wait: "Cancel" stays usable, and the flag
        // is read when the wait ends.
        d.afterMs = cRepeatCommDelayMs;
        d.cmd = static_cast<TCmd>(final.value & 0xFF);
        d.keepCancel = true;
    } else {
        // The window starts afresh, its cancel flag cleared; a policy may
        // keep a cancel given during the failed session.
        d.afterMs = 0;
        d.keepCancel = policy.keepCancelOnProgRestart && cancelled;
    }
    return d;
}
