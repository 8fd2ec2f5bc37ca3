// The ways tarvek2-cli shows one port's run:
//  - text: the report lines with their time stamps ("hh-nn-ss -> text"), as
//    the report window shows them, with a live progress bar on a terminal;
//  - JSON: one object per notification, then one result object;
//  - quiet: only the line of the final outcome.
// Notes for the operator (restarts used up, why a port does not open) go to
// the error stream in every mode.  Several ports write through prefixing
// streams (prefixStream.h); a log file is a text output with both streams on
// the file.
#pragma once

#include "cli/portOutput.h"
#include "cli/progressBar.h"

#include <memory>
#include <ostream>
#include <string>

// The notes printed to the error stream when a port's run ends: the hint of
// the outcome, the give-up note of the restarts, the logger left waiting in
// its bootloader.
void printOutcomeNotes(std::ostream& err, const TPortResult& result);

// The note printed once when Ctrl-C reaches the sessions.
void printCancelNote(std::ostream& err, bool severalPorts);

// The result object of --json (one line, no line break).
std::string resultJson(const TPortResult& result);

class TTextOutput final : public IPortOutput {
  public:
    // bar: nullptr for no progress bar.
    TTextOutput(std::ostream& out, std::ostream& err, std::unique_ptr<TProgressBar> bar = {});

    void reportLine(const std::string& line) override;
    void notification(const TNotification& n, const TNotifyRendering& r) override;
    void stateChanged(const TControllerState& state) override;
    void idle() override;
    void finished(const TPortResult& result) override;
    // Takes the bar off the line while something else is printed.
    void clearBar();
    void redrawBar();

  private:
    std::ostream& FOut;
    std::ostream& FErr;
    std::unique_ptr<TProgressBar> FBar;
};

class TJsonOutput final : public IPortOutput {
  public:
    TJsonOutput(std::ostream& out, std::ostream& err, std::string port);

    void reportLine(const std::string&) override {}
    void notification(const TNotification& n, const TNotifyRendering& r) override;
    void finished(const TPortResult& result) override;

  private:
    std::ostream& FOut;
    std::ostream& FErr;
    std::string FPort;
};

class TQuietOutput final : public IPortOutput {
  public:
    TQuietOutput(std::ostream& out, std::ostream& err) : FOut(out), FErr(err) {}

    void reportLine(const std::string&) override {}
    void notification(const TNotification&, const TNotifyRendering&) override {}
    void finished(const TPortResult& result) override;

  private:
    std::ostream& FOut;
    std::ostream& FErr;
};

// "cNT_PROGRESS" and so on; "unknown" for a kind that has no name.
const char* notifyKindName(std::uint32_t kind);

// The local time now as ISO 8601 with milliseconds and the offset from UTC,
// such as 2024-05-02T14:05:09.123+02:00.
std::string isoTimeNow();
