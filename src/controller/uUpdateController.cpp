#include "controller/uUpdateController.h"

#include "controller/uRestartRule.h"
#include "controller/uTimeLeft.h"
#include "images/uImageCheck.h"
#include "images/uImageFile.h"
#include "serial/uRS232.h"
#include "session/uExceptions1V0.h"
#include "session/uTarvekCommThread.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

namespace {

bool fileExists(const std::string& fileName) {
    std::error_code ec;
    return std::filesystem::exists(imageFilePath(fileName), ec);
}

} // namespace

struct TUpdateController::TImpl {
    TImpl(IUpdateFrontEnd& frontEnd, TControllerSetup s)
        : fe(frontEnd), setup(std::move(s)), clock(setup.clock ? *setup.clock : systemClock()),
          bCancel(setup.cancelFlag ? *setup.cancelFlag : ownCancel) {
        if (!setup.commThreadClass) setup.commThreadClass = CommThreadClass;
    }

    IUpdateFrontEnd& fe;
    TControllerSetup setup;
    IClock& clock;
    std::atomic<bool> ownCancel{false};
    std::atomic<bool>& bCancel;
    TFWCatalog catalog;
    TControllerState state;
    std::unique_ptr<TCommThread> thread;
    // Why the last session's port did not open, taken from that session
    // when its final notification arrived; no cause otherwise.
    TPortProblem portProblem;

    // The run: what the operator started, kept for its restarts.
    std::string port; // the port text
    bool readInfoOnly = false;
    bool fileSlot = false; // the image in the file slot is written
    int restarts = 0;
    std::int64_t runStart = 0;
    bool restartPending = false;
    TRestartDecision pendingRestart; // the restart that waits for the timer
    // Why the last start was refused; empty when it was not.
    std::string refusal;
    std::int64_t writeStart = -1; // the image was announced; -1 not yet
    TLoggerFateTracker fate;      // what became of the logger in this run

    void render() { fe.render(state); }
    TReportLine stamped(const std::string& text) const { return {clock.localNow(), text}; }
    void addReport(const std::string& text) { fe.addReport(stamped(text)); }
    void setStatus(const std::string& text) {
        state.status = text;
        render();
    }
    void reportProblem(const std::string& text) {
        addReport(text);
        setStatus(text);
        fe.showInfo(text);
    }

    bool askBeforeUpdate() {
        if (!setup.policy.askQuestions) return true;
        if (setup.options.bClearWarning) return fe.confirm(cAskClearWarning);
        if (setup.options.iFileMode < 1) return fe.confirm(cAskSaveMeasurements);
        return true;
    }

    // Clears the report, sets the image selection, loads a chosen image
    // file and takes the port.  False when the file cannot be read: the
    // operator has been told and no session may start.
    bool prepareSession(const std::string& fileName, const std::string& portText, bool infoOnly) {
        fe.clearReport();
        refusal.clear();
        catalog.iSelectedFW = -1;
        if (!fileName.empty()) {
            catalog.FileLines.clear();
            TBl3FileHeader header{};
            std::vector<std::string> lines;
            const TImageLoad load = loadImageFile(fileName, header, lines);
            if (load.result != TImageLoadResult::ok) {
                reportFileProblem(fileName, load.text());
                return false;
            }
            catalog.FileHeader = header;
            catalog.FileLines = std::move(lines);
            catalog.iSelectedFW = 0;
        }
        fileSlot = !fileName.empty();
        port = portText;
        readInfoOnly = infoOnly;
        restarts = 0;
        runStart = clock.nowMs();
        state.logger = {};
        state.image = {};
        fate.runStarted();
        state.fate = fate.fate();
        return true;
    }

    void reportFileProblem(const std::string& fileName, const std::string& error) {
        refusal = "Cannot read the image file \"" + fileName + "\": " + error;
        reportProblem(refusal);
    }

    // A start that prepareSession() refused ends its run: the front end
    // gets the outcome as of any other end.
    void startRefused() {
        if (refusal.empty()) return;
        TSessionOutcome o;
        o.final = {cNT_ABORT, 0};
        o.rendering.handled = true;
        o.rendering.text = refusal;
        o.refused = true;
        o.selectedFW = catalog.iSelectedFW.load();
        o.endTime = clock.localNow();
        fe.sessionEnded(o);
    }

    void startSession(TCmd cmd, bool cancel) {
        joinThread();
        const std::string text = startText(port);
        addReport(text);
        state.status = text;
        state.progress = 0;
        state.remainingMs = -1;
        writeStart = -1;
        state.busy = true;
        state.updateEnabled = false;
        state.closeShown = false;
        state.cancelShown = true;
        state.portEnabled = false;
        // The image selection must not change under a running session.
        state.fileEnabled = false;
        state.busyCursor = true;
        render();
        // A restart keeps a cancel given before it; it must be in place
        // before the new thread looks at it.
        bCancel = cancel;
        portProblem = {};
        fate.sessionStarted();
        fe.sessionStarting();

        TSessionContext context;
        context.hWindow = &fe.notifySink();
        context.cmd = cmd;
        context.sPort = port;
        context.catalog = &catalog;
        context.settings = setup.options.settings;
        context.settings.bInfoOnly = readInfoOnly;
        context.bCancel = &bCancel;
        context.clock = setup.clock;
        context.opener = setup.opener;
        thread = setup.commThreadClass(std::move(context));
        if (thread) thread->Start();
    }

    // A restart: a fresh session with the same port and image choice,
    // without clearing the report.
    void restart(TCmd cmd, bool cancel) {
        ++restarts;
        // Only 0 means "the file slot only"; setting it afresh gives the
        // new session the same choice as the first one.
        catalog.iSelectedFW = fileSlot ? 0 : -1;
        startSession(cmd, cancel);
    }

    void endSession() {
        joinThread();
        restartPending = false;
        state.busy = false;
        state.updateEnabled = true;
        state.closeShown = true;
        state.cancelShown = false;
        state.portEnabled = true;
        state.fileEnabled = true;
        state.busyCursor = false;
        state.remainingMs = -1;
        state.title = cAppTitle;
        render();
    }

    // Only once the thread has posted its final notification (or was told
    // to end at destruction): it has ended or is about to.
    void joinThread() {
        if (!thread) return;
        thread->Join();
        thread.reset();
    }

    void setProgress(int percent) {
        state.progress = percent;
        state.remainingMs = -1;
        state.estimatedAtMs = clock.nowMs();
        if (state.busy && percent > 0 && percent < 100 && writeStart >= 0)
            state.remainingMs = estimateRemainingMs(clock.nowMs() - writeStart, percent);
    }

    // The cause and remedy of a port that did not open; empty for any other
    // end, or when the session could not tell.
    std::string portHint(const TNotification& final) const {
        if (final.kind != cNT_ABORT || final.value != cEX_PORT_NOT_READY) return {};
        return portProblemText(portProblem, port);
    }

    // The message window may carry a second line, the program's own note.
    void doOutputs(const TNotifyRendering& r, const std::string& note) {
        const TTextOutputs& o = r.outputs;
        if (o.status && o.statusFirst) setStatus(r.text);
        if (o.report) addReport(r.text);
        if (o.status && !o.statusFirst) setStatus(r.text);
        if (o.message) fe.showInfo(note.empty() ? r.text : r.text + "\r\n" + note);
    }

    TChosenImage chosenImage(int slot) const {
        TChosenImage image;
        if (slot < 0) return image;
        image.slot = slot;
        image.header = catalog.getFWHeader(slot);
        return image;
    }

    TSessionOutcome outcome(const TNotification& final, const TNotifyRendering& r,
                            bool usedUp) const {
        TSessionOutcome o;
        o.final = final;
        o.rendering = r;
        o.restarts = restarts;
        o.restartsUsedUp = usedUp;
        o.selectedFW = catalog.iSelectedFW.load();
        o.image = chosenImage(o.selectedFW);
        o.logger = state.logger;
        o.fate = fate.fate();
        if (usedUp && final.kind == cNT_REPEAT_COMM) o.rendering.text = cNoAnswerText;
        o.elapsedMs = clock.nowMs() - runStart;
        o.endTime = clock.localNow();
        if (final.kind == cNT_ABORT && final.value == cEX_PORT_NOT_READY)
            o.hint = portHint(final);
        else if (final.kind == cNT_ABORT && final.value == cEX_PORT_IO)
            o.hint = "The serial line failed while the session used it. Check that the "
                     "logger's cable is still plugged in.";
        return o;
    }

    // The chosen image as the session checked it before it announced it.
    TCheckedImage announcedImage() const {
        return checkImageRecords(catalog.getLastLine(), [this](int i, std::string& line) {
            return catalog.getLine(i, line);
        });
    }

    void notify(const TNotification& n) {
        // A notification never arrives while idle; one that does is stale.
        if (!state.busy || restartPending) return;
        const bool final = isFinalNotification(n.kind);
        // Facts, also while closing.
        if (n.kind == cNT_UPDATE_IMAGE) fate.imageAnnounced(announcedImage());
        fate.take(n);
        state.fate = fate.fate();
        if (final) {
            // The thread's last word: what it found at its open is settled.
            if (thread) portProblem = thread->PortProblem();
            joinThread();
        }
        const TNotifyRendering r = renderNotification(n, catalog, port);

        if (state.closing) {
            // Closing was confirmed: nothing more is shown.
            if (!final) return;
            endSession();
            fe.sessionEnded(outcome(n, r, false));
            fe.closeNow();
            return;
        }
        if (!r.handled) {
            fe.notified(n, r);
            return;
        }

        takeIdentity(state.logger, n);
        if (n.kind == cNT_UPDATE_IMAGE) {
            writeStart = clock.nowMs();
            state.image = chosenImage(catalog.iSelectedFW.load());
        }
        if (r.progress >= 0) setProgress(r.progress);
        if (r.titlePercent) state.title = std::to_string(state.progress) + "%";
        const TRestartDecision next =
            final ? restartRule(n, setup.policy, restarts, bCancel.load()) : TRestartDecision{};
        const bool restarting = next.restart;
        // Back to idle before any message window; a communication error
        // stays busy through the wait unless no restart is left.
        if (r.endSession || (final && !restarting))
            endSession();
        else
            render();
        if (r.beep) fe.beep();
        doOutputs(r, setup.policy.remedyInMessage ? portHint(n) : std::string());
        fe.notified(n, r);

        if (!final) return;
        if (!restarting) {
            fe.sessionEnded(outcome(n, r, next.usedUp));
            return;
        }
        if (next.afterMs == 0) {
            restart(next.cmd, next.keepCancel && bCancel.load());
        } else {
            // Still busy: "Cancel" stays usable during the wait, and the
            // flag is read when the wait ends.
            restartPending = true;
            pendingRestart = next;
            fe.startTimer(next.afterMs);
        }
    }

    void timerElapsed() {
        if (!restartPending) return;
        restartPending = false;
        // The cancel flag as it is now: a "Cancel" during the wait ends the
        // new session at its first exchange, before anything is written.
        restart(pendingRestart.cmd, pendingRestart.keepCancel && bCancel.load());
    }

    TCloseAnswer closeRequested() {
        if (!state.busy) return TCloseAnswer::closeNow;
        if (state.closing) return TCloseAnswer::closeWhenEnded;
        if (setup.policy.askQuestions && !fe.confirm(cAskCloseBusy)) return TCloseAnswer::keepOpen;
        bCancel = true;
        if (!thread) {
            // The restart wait, or a session without a thread: nothing to
            // wait for.
            if (restartPending) fe.stopTimer();
            endSession();
            return TCloseAnswer::closeNow;
        }
        // The session ends at its next exchange or wait; closeNow() follows
        // its final notification.  Nothing waits for the thread here.
        state.closing = true;
        render();
        return TCloseAnswer::closeWhenEnded;
    }
};

TUpdateController::TUpdateController(IUpdateFrontEnd& frontEnd, TControllerSetup setup)
    : FImpl(std::make_unique<TImpl>(frontEnd, std::move(setup))) {
    TControllerState& s = FImpl->state;
    const TProgramOptions& o = FImpl->setup.options;
    s.fileShown = o.iFileMode > 1;
    s.readInfoOnlyShown = o.iFileMode > 0;
    s.reportShown = o.iFileMode > 0;
    s.status = o.bClearWarning ? "F" : "";
}

TUpdateController::~TUpdateController() {
    // No session outlives its controller: it ends at its next exchange or
    // wait.
    FImpl->bCancel = true;
    FImpl->joinThread();
}

const TControllerState& TUpdateController::state() const {
    return FImpl->state;
}

std::int64_t TUpdateController::nowMs() const {
    return FImpl->clock.nowMs();
}

const TProgramOptions& TUpdateController::options() const {
    return FImpl->setup.options;
}

const TFWCatalog& TUpdateController::catalog() const {
    return FImpl->catalog;
}

TFWCatalog& TUpdateController::catalog() {
    return FImpl->catalog;
}

const std::string& TUpdateController::port() const {
    return FImpl->port;
}

bool TUpdateController::restartPending() const {
    return FImpl->restartPending;
}

TReportLine TUpdateController::stampedLine(const std::string& text) const {
    return FImpl->stamped(text);
}

bool TUpdateController::updateClicked(const std::string& portText, bool readInfoOnly) {
    if (FImpl->state.busy) return false;
    if (!FImpl->askBeforeUpdate()) return false;
    if (!FImpl->prepareSession("", portText, readInfoOnly)) {
        FImpl->startRefused();
        return false;
    }
    FImpl->startSession(TCmd::tCMD0, false);
    return true;
}

bool TUpdateController::fileClicked(const std::string& fileName, const std::string& portText,
                                    bool readInfoOnly) {
    if (FImpl->state.busy || fileName.empty()) return false;
    if (!FImpl->prepareSession(fileName, portText, readInfoOnly)) {
        FImpl->startRefused();
        return false;
    }
    FImpl->startSession(TCmd::tCMD0, false);
    return true;
}

bool TUpdateController::fileVersionChosen(const std::string& fileName) {
    if (FImpl->state.busy || fileName.empty() || !fileExists(fileName)) return false;
    TBl3FileHeader header{};
    const TImageLoad load = loadImageHeader(fileName, header);
    if (load.result != TImageLoadResult::ok) {
        FImpl->reportFileProblem(fileName, load.text());
        return false;
    }
    FImpl->catalog.FileHeader = header;
    FImpl->catalog.iSelectedFW = 0;
    return true;
}

void TUpdateController::cancelClicked() {
    FImpl->bCancel = true;
}

TCloseAnswer TUpdateController::closeRequested() {
    return FImpl->closeRequested();
}

void TUpdateController::notify(const TNotification& n) {
    FImpl->notify(n);
}

void TUpdateController::timerElapsed() {
    FImpl->timerElapsed();
}

void TUpdateController::endSession() {
    FImpl->endSession();
}
