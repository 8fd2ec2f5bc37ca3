// The three ways tarvek2-cli shows a run:
//  - text: the report lines with their time stamps ("hh-nn-ss -> text"), as
//    the report window shows them, with a live progress bar on a terminal;
//  - JSON: one object per notification, then one summary object;
//  - quiet: only the line of the final outcome.
// Notes for the operator (cancelling, restarts used up, why a port does not
// open) go to standard error in every mode.
#pragma once

#include "cli/progressBar.h"
#include "cli/sessionRunner.h"

#include <atomic>
#include <memory>
#include <ostream>
#include <string>

// Watches the cancel flag so that a Ctrl-C is acknowledged once.
class TCancelNotice {
  public:
    TCancelNotice(std::ostream& err, const std::atomic<bool>& bCancel)
        : FErr(err), FCancel(bCancel) {}
    // True when the flag is set and the note not yet printed.
    bool due() const { return !FShown && FCancel.load(); }
    // True (once) when the note was printed now.
    bool check();

  private:
    std::ostream& FErr;
    const std::atomic<bool>& FCancel;
    bool FShown = false;
};

// The notes printed to standard error when a run ends: the hint of the
// outcome, the give-up note of the restarts.
void printOutcomeNotes(std::ostream& err, const TRunOutcome& outcome, int maxRestarts);

class TTextOutput final : public IRunOutput {
  public:
    // bar: nullptr for no progress bar.
    TTextOutput(std::ostream& out, std::ostream& err, const TRunRequest& request,
                const TFWCatalog& catalog, const std::atomic<bool>& bCancel,
                std::unique_ptr<TProgressBar> bar);

    void sessionStarting() override;
    void notification(const TNotification& n, const TNotifyRendering& r) override;
    void idle() override;
    void finished(const TRunOutcome& outcome) override;

  private:
    void line(const std::string& text);
    void noticeCancel();

    std::ostream& FOut;
    std::ostream& FErr;
    const TRunRequest& FRequest;
    const TFWCatalog& FCatalog;
    TCancelNotice FCancel;
    std::unique_ptr<TProgressBar> FBar;
};

class TJsonOutput final : public IRunOutput {
  public:
    TJsonOutput(std::ostream& out, std::ostream& err, const TRunRequest& request,
                const std::atomic<bool>& bCancel);

    void sessionStarting() override {}
    void notification(const TNotification& n, const TNotifyRendering& r) override;
    void idle() override { FCancel.check(); }
    void finished(const TRunOutcome& outcome) override;

  private:
    std::ostream& FOut;
    std::ostream& FErr;
    const TRunRequest& FRequest;
    TCancelNotice FCancel;
};

class TQuietOutput final : public IRunOutput {
  public:
    TQuietOutput(std::ostream& out, std::ostream& err, const TRunRequest& request,
                 const std::atomic<bool>& bCancel);

    void sessionStarting() override {}
    void notification(const TNotification&, const TNotifyRendering&) override { FCancel.check(); }
    void idle() override { FCancel.check(); }
    void finished(const TRunOutcome& outcome) override;

  private:
    std::ostream& FOut;
    std::ostream& FErr;
    const TRunRequest& FRequest;
    TCancelNotice FCancel;
};

// "cNT_PROGRESS" and so on; "unknown" for a kind that has no name.
const char* notifyKindName(std::uint32_t kind);

// The local time now as ISO 8601 with milliseconds and the offset from UTC,
// such as 2024-05-02T14:05:09.123+02:00.
std::string isoTimeNow();
