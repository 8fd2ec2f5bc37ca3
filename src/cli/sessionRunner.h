// Runs update sessions for the command line as the desktop window does:
// one session thread at a time, its notifications rendered in order on the
// calling thread, and the window's restarts (1500 ms after a communication
// error, at once after a programming error), bounded by a maximum.
#pragma once

#include "images/uFWCatalog.h"
#include "session/uCommThread.h"
#include "session/uNotifyTexts.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct TRunRequest {
    std::string sPort;
    TSessionSettings settings;
    bool bFileSlot = false; // the catalog's file slot holds the image to write
    int maxRestarts = 3;
};

struct TRunOutcome {
    TNotification final;         // the final notification of the last session
    TNotifyRendering rendering;  // and how it renders
    int restarts = 0;            // sessions started again
    bool restartsUsedUp = false; // a restart was due but none was left
    int exitCode = 0;
    std::string result;  // see resultName()
    int selectedFW = -1; // the catalog selection at the end
    std::int64_t elapsedMs = 0;
    std::string hint; // cause and remedy where the session's text leaves them open
};

// What the operator sees; called on the runner's thread only.
class IRunOutput {
  public:
    virtual ~IRunOutput() = default;
    // Before every session start, restarts included.
    virtual void sessionStarting() = 0;
    virtual void notification(const TNotification& n, const TNotifyRendering& r) = 0;
    // Called a few times a second while no notification arrives.
    virtual void idle() = 0;
    virtual void finished(const TRunOutcome& outcome) = 0;
};

// Whether a session that ended with this rendering starts again, and when.
struct TRestart {
    bool restart = false;
    int delayMs = 0;
};
TRestart restartFor(const TNotifyRendering& final, int restartsSoFar, int maxRestarts);

using TSessionFactory = std::function<std::unique_ptr<TCommThread>(TSessionContext)>;

// Seams for tests; the defaults are the real ones.
struct TRunSeams {
    IClock* clock = nullptr; // the restart wait and the elapsed time; nullptr: system clock
    TPortOpener opener;      // empty: openPort
    TSessionFactory factory; // empty: CommThreadClass
    std::chrono::milliseconds idleEvery{200};
};

TRunOutcome runSessions(const TRunRequest& request, TFWCatalog& catalog, std::atomic<bool>& bCancel,
                        IRunOutput& output, const TRunSeams& seams = {});
