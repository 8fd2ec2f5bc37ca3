// The update controller: one logger's session from "Update" to the end, for
// any front end (the Qt window, the Win32 window, tarvek2-cli).  It decides
// everything about a session: the confirmation question, preparing the image
// selection and the file slot, starting the session thread, what each
// notification does, the restarts and the cancel flag across them, closing
// while busy.  A front end turns user actions into calls of this class, on
// its own thread, and renders what it is told; it decides nothing.
#pragma once

#include "controller/uControllerPolicy.h"
#include "controller/uLoggerFacts.h"
#include "controller/uLoggerFate.h"
#include "controller/uProgramOptions.h"
#include "controller/uTimeLeft.h"
#include "images/uFWCatalog.h"
#include "session/uClock.h"
#include "session/uCommThread.h"
#include "session/uNotify.h"
#include "session/uNotifyTexts.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

inline constexpr const char* cAppTitle = "Tarvek2 Firmware Update";
inline constexpr const char* cMenuInfoCaption = "Info v2021-12-01";
inline constexpr const char* cAskClearWarning =
    "This update clears all measurements!\r\nDo you really continue ?";
inline constexpr const char* cAskSaveMeasurements =
    "Do you save your measurements ?\r\nDo you really continue without saving ?";
inline constexpr const char* cAskCloseBusy =
    "The update is not finished!\r\nDo you really close the program ?";
// The outcome of a run whose logger kept not answering and that has no
// restart left (a front end that bounds the restarts).  The report keeps
// the session's own line, "Repeat update because communication error!".
inline constexpr const char* cNoAnswerText = "Aborted because the logger did not answer!";

// What a front end shows; the controller hands it over whenever it changes.
struct TControllerState {
    bool busy = false;              // a session runs (or its restart is due)
    bool closing = false;           // closing was confirmed; waiting for the session to end
    bool updateEnabled = true;      // "Update"
    bool closeShown = true;         // "Close"
    bool cancelShown = false;       // "Cancel", in the place of "Close"
    bool portEnabled = true;        // the port box
    bool fileShown = false;         // "File" button and "File version" entry
    bool fileEnabled = true;        // both, only while idle
    bool readInfoOnlyShown = false; // "Read info only"
    bool reportShown = false;       // the report window, docked under the main window
    bool busyCursor = false;        // the application-wide busy cursor
    std::string title = cAppTitle;  // the application's task-bar title ("37%" while busy)
    std::string status;             // the status bar text
    int progress = 0;               // the progress bar, 0..100
    std::int64_t remainingMs = -1;  // time left of the update; -1 unknown
    std::int64_t estimatedAtMs = 0; // the controller clock's time of that estimate
    TLoggerIdentity logger;         // what the logger told of itself in this run
    TChosenImage image;             // the image being written, once announced
    TLoggerFate fate;               // what became of the logger so far in this run

    // The time left at nowMs (the controller's clock): the estimate counts
    // down between progress steps, also through the waits after the last
    // record, when no step comes; -1 unknown.
    std::int64_t remainingAt(std::int64_t nowMs) const {
        return remainingMsAt(remainingMs, estimatedAtMs, nowMs);
    }
};

// How one session run ended, once no restart follows.
struct TSessionOutcome {
    TNotification final; // the final notification of the last session
    // And how it renders; where no restart is left after the logger kept
    // not answering, the text is cNoAnswerText.
    TNotifyRendering rendering;
    int restarts = 0;            // sessions started again
    bool restartsUsedUp = false; // a restart was due but the policy allowed none
    // The start was refused (an image file that cannot be read): no session
    // ran; final is an abort without a session's reason (0) and the
    // rendering's text says why.
    bool refused = false;
    int selectedFW = -1;        // the catalog's selection at the end
    TChosenImage image;         // and its header
    TLoggerIdentity logger;     // what the logger told of itself
    TLoggerFate fate;           // whether it was switched, the records it took, where it waits
    std::int64_t elapsedMs = 0; // from the first start to the end
    std::tm endTime{};          // the local time at the end, for its report line
    // Cause and remedy for an operator when the port did not open (reason
    // 10: the cause that session's own open found), or the line failed
    // (reason 11); empty otherwise.
    std::string hint;
};

// The front end's side: the controller calls these on the front end's thread.
class IUpdateFrontEnd {
  public:
    virtual ~IUpdateFrontEnd() = default;
    // The state changed: render it.
    virtual void render(const TControllerState& state) = 0;
    // Output R: one line in the report, stamped with the controller's clock.
    virtual void addReport(const TReportLine& line) = 0;
    virtual void clearReport() = 0;
    // Output M: the modal message window over the main window; returns after "OK".
    virtual void showInfo(const std::string& text) = 0;
    // A modal "Confirm" question with "Yes" (the default) and "No"; true on Yes.
    virtual bool confirm(const std::string& question) = 0;
    virtual void beep() = 0;
    // Call timerElapsed() once, after ms milliseconds, on this thread; a new
    // start replaces a running timer.
    virtual void startTimer(int ms) = 0;
    virtual void stopTimer() = 0;
    // Where session threads post: the front end carries each notification to
    // its own thread and calls notify() there, in order.  Must not block.
    virtual INotifySink& notifySink() = 0;
    // Every notification as it is handled, with its rendering (tarvek2-cli
    // prints them; the windows need nothing here).
    virtual void notified(const TNotification&, const TNotifyRendering&) {}
    // A session is about to start (also a restart), after its start text.
    virtual void sessionStarting() {}
    // The run ended: no session runs and no restart follows.
    virtual void sessionEnded(const TSessionOutcome&) {}
    // A confirmed close may go on now: the session has ended.
    virtual void closeNow() {}
};

using TCommThreadFactory = std::function<std::unique_ptr<TCommThread>(TSessionContext)>;

struct TControllerSetup {
    TProgramOptions options;
    TControllerPolicy policy;
    TCommThreadFactory commThreadClass; // empty: CommThreadClass
    TPortOpener opener;                 // empty: the real serial port
    IClock* clock = nullptr;            // empty: the system clock (also the report's time stamps)
    // The cancel flag the sessions poll; empty: the controller's own.  A
    // front end whose cancel comes from a signal handler passes its flag.
    std::atomic<bool>* cancelFlag = nullptr;
};

enum class TCloseAnswer {
    closeNow,      // idle, or the session is stopped: close at once
    keepOpen,      // the operator answered "No"
    closeWhenEnded // cancelled; closeNow() follows when the session has ended
};

class TUpdateController {
  public:
    TUpdateController(IUpdateFrontEnd& frontEnd, TControllerSetup setup);
    ~TUpdateController(); // cancels a running session and joins its thread
    TUpdateController(const TUpdateController&) = delete;
    TUpdateController& operator=(const TUpdateController&) = delete;

    const TControllerState& state() const;
    // The controller's clock, in ms: the time state().remainingAt() is read
    // at, so that a view counts the time left down between progress steps.
    std::int64_t nowMs() const;
    const TProgramOptions& options() const;
    const TFWCatalog& catalog() const; // for the overview dialog
    TFWCatalog& catalog();             // for front ends' tests
    // The port text the last operator start was given (restarts keep it).
    const std::string& port() const;
    // A restart waits for timerElapsed().
    bool restartPending() const;
    // text as a report line, stamped now on the controller's clock (for a
    // front end that shows further texts in its report).
    TReportLine stampedLine(const std::string& text) const;

    // "Update": asks the question that is due, then starts a session on
    // portText.  True when a session started.  A start refused for a reason
    // the operator is told (an image file that cannot be read) ends the run
    // at once: sessionEnded() follows with a refused outcome.
    bool updateClicked(const std::string& portText, bool readInfoOnly);
    // "File", after the operator picked fileName: loads it into the file
    // slot and starts a session.  A file that cannot be read is reported
    // (R, S, M) and starts nothing.  True when a session started.
    bool fileClicked(const std::string& fileName, const std::string& portText, bool readInfoOnly);
    // "File version", after the operator picked fileName: reads its header
    // into the file slot.  True when the overview is to be shown.
    bool fileVersionChosen(const std::string& fileName);
    // "Cancel" (also Ctrl-C in tarvek2-cli).
    void cancelClicked();
    // "Close", "Exit" or the window's close box.
    TCloseAnswer closeRequested();

    // A notification that the front end carried to its thread.
    void notify(const TNotification& n);
    // The timer asked for by startTimer() has run out.
    void timerElapsed();

    // Back to idle.  The controller does this itself on the final
    // notification; a front end's test that started a session without a
    // thread ends it here.
    void endSession();

  private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};
