// Whether a session that ended starts again: after which end, how soon, from
// which command, with the cancel flag kept or cleared, and when the policy's
// restarts are used up.
#include "controller/uRestartRule.h"
#include "session/uExceptions1V0.h"

#include <gtest/gtest.h>

namespace {

TControllerPolicy policy(int maxRestarts, bool keepCancelOnProgRestart) {
    TControllerPolicy p;
    p.maxRestarts = maxRestarts;
    p.keepCancelOnProgRestart = keepCancelOnProgRestart;
    return p;
}

TEST(RestartRule, Table) {
    const TControllerPolicy window = policy(-1, false); // the operator's program
    const TControllerPolicy cli = policy(3, true);      // tarvek2-cli's defaults
    const TNotification comm{cNT_REPEAT_COMM, static_cast<std::int32_t>(TCmd::tCMD2)};
    const TNotification prog{cNT_ABORT, cEX_PROG_REPEAT};
    const TRestartDecision none{};
    const TRestartDecision usedUp{false, -1, TCmd::tCMD0, false, true};
    // After the wait, from the command the session ran; the flag as it
    // stands when the wait ends.
    const TRestartDecision afterWait{true, cRepeatCommDelayMs, TCmd::tCMD2, true, false};
    const TRestartDecision atOnceCleared{true, 0, TCmd::tCMD0, false, false};
    const TRestartDecision atOnceKept{true, 0, TCmd::tCMD0, true, false};
    const struct {
        const char* name;
        TNotification final;
        TControllerPolicy policy;
        int restarts;
        bool cancelled;
        TRestartDecision expected;
    } cases[] = {
        // Ends that never restart, whatever the policy and the flag.
        {"done", {cNT_DONE, 0}, window, 0, false, none},
        {"cancelled", {cNT_ABORT, cEX_CANCELLED}, cli, 0, true, none},
        {"port not ready", {cNT_ABORT, cEX_PORT_NOT_READY}, window, 0, false, none},
        {"update failed", {cNT_ABORT, cEX_UPDATE_FAILED}, cli, 0, false, none},
        {"info only", {cNT_ABORT, cEX_INFO_ONLY}, window, 0, false, none},
        {"no restart due, none left", {cNT_ABORT, cEX_PORT_IO}, policy(0, true), 0, false, none},
        // A communication error: after the wait, without a limit in the window.
        {"comm, window", comm, window, 0, false, afterWait},
        {"comm, window, many before", comm, window, 1000, false, afterWait},
        {"comm, cancelled", comm, window, 0, true, afterWait},
        {"comm, cli, last one", comm, cli, 2, false, afterWait},
        {"comm, cli, used up", comm, cli, 3, false, usedUp},
        {"comm, none allowed", comm, policy(0, false), 0, true, usedUp},
        {"comm from the first command",
         {cNT_REPEAT_COMM, 0},
         window,
         0,
         false,
         {true, cRepeatCommDelayMs, TCmd::tCMD0, true, false}},
        // An echo that differed: at once from the first command; the window
        // clears a cancel, tarvek2-cli keeps one given before.
        {"prog, window", prog, window, 0, false, atOnceCleared},
        {"prog, window, cancelled", prog, window, 0, true, atOnceCleared},
        {"prog, cli", prog, cli, 0, false, atOnceCleared},
        {"prog, cli, cancelled", prog, cli, 1, true, atOnceKept},
        {"prog, cli, used up", prog, cli, 3, true, usedUp},
        {"prog, one allowed, used", prog, policy(1, false), 1, false, usedUp},
    };
    for (const auto& c : cases)
        EXPECT_EQ(restartRule(c.final, c.policy, c.restarts, c.cancelled), c.expected) << c.name;
}

} // namespace
