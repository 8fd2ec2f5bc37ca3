#include "cli/sessionRunner.h"

#include "cli/exitCodes.h"
#include "cli/notifyQueue.h"
#include "session/uExceptions1V0.h"
#include "session/uTarvekCommThread.h"

TRestart restartFor(const TNotifyRendering& final, int restartsSoFar, int maxRestarts) {
    if (final.restartAfterMs < 0 || restartsSoFar >= maxRestarts) return {};
    return {true, final.restartAfterMs};
}

namespace {

// One session from start to its final notification.
TNotification runOne(const TRunRequest& request, TFWCatalog& catalog, std::atomic<bool>& bCancel,
                     IRunOutput& output, const TRunSeams& seams, IClock& clock,
                     TNotifyRendering& finalRendering, TPortProblem& portProblem) {
    TNotifyQueue queue;
    TSessionContext context;
    context.hWindow = &queue;
    context.cmd = TCmd::tCMD0;
    context.sPort = request.sPort;
    context.catalog = &catalog;
    context.settings = request.settings;
    context.bCancel = &bCancel;
    context.clock = &clock;
    context.opener = seams.opener;
    auto session =
        seams.factory ? seams.factory(std::move(context)) : CommThreadClass(std::move(context));

    output.sessionStarting();
    session->Start();
    for (;;) {
        const auto n = queue.popFor(seams.idleEvery);
        if (!n) {
            output.idle();
            continue;
        }
        const TNotifyRendering r = renderNotification(*n, catalog, request.sPort);
        output.notification(*n, r);
        if (isFinalNotification(n->kind)) {
            // The port is closed before the final notification; the thread
            // posts nothing after it.
            session->Join();
            finalRendering = r;
            portProblem = session->PortProblem();
            return *n;
        }
    }
}

} // namespace

TRunOutcome runSessions(const TRunRequest& request, TFWCatalog& catalog, std::atomic<bool>& bCancel,
                        IRunOutput& output, const TRunSeams& seams) {
    IClock& clock = seams.clock ? *seams.clock : systemClock();
    const std::int64_t start = clock.nowMs();
    TRunOutcome outcome;
    TPortProblem portProblem;
    for (;;) {
        // The window sets the selection before every session it starts from
        // "Update" (-1: search the built-in images) or "File" (0: the file
        // only), and leaves whatever the last session chose on a restart.
        // Only 0 means "file only", so setting it afresh gives every
        // restarted session the same image choice, and no notification of
        // the new session is rendered with a stale selection.
        catalog.iSelectedFW = request.bFileSlot ? 0 : -1;
        // A Ctrl-C is never dropped: unlike the window, which clears the
        // cancel flag when it restarts after a programming error, the flag
        // is kept, so a cancel given during the failed session ends the new
        // one at its first exchange.
        outcome.final =
            runOne(request, catalog, bCancel, output, seams, clock, outcome.rendering, portProblem);
        const TRestart next = restartFor(outcome.rendering, outcome.restarts, request.maxRestarts);
        if (!next.restart) {
            outcome.restartsUsedUp = outcome.rendering.restartAfterMs >= 0;
            break;
        }
        ++outcome.restarts;
        if (next.delayMs > 0) clock.sleepMs(next.delayMs);
    }
    const bool bInfoOnly = request.settings.bInfoOnly;
    outcome.exitCode = exitCodeFor(outcome.final, bInfoOnly);
    outcome.result = resultName(outcome.final, bInfoOnly);
    outcome.selectedFW = catalog.iSelectedFW;
    outcome.elapsedMs = clock.nowMs() - start;
    if (outcome.exitCode == cEX_PORT_NOT_READY)
        outcome.hint = portProblemText(portProblem, request.sPort);
    else if (outcome.exitCode == cEX_PORT_IO)
        outcome.hint = "The serial line failed while the session used it. Check that the "
                       "logger's cable is still plugged in.";
    output.finished(outcome);
    return outcome;
}
