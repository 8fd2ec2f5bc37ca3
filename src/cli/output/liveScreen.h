// Several ports on a terminal: one live line per port on standard error,
// redrawn in place at most five times a second (percent, port, the logger
// once it told who it is, the image, elapsed and remaining time, and what
// the session does now; at the end the result's word and the outcome);
// notes printed above the lines; the summary for a person on standard
// output at the end.
#pragma once

#include "cli/output/runScreen.h"

#include <cstdint>
#include <sstream>

// What one live line shows.
struct TLiveLine {
    std::string word; // at the end: PASS, FAIL or CANCELLED
    std::string port;
    std::string logger; // "Tarvek2 A10e WLAN UART" once the print is known
    std::string image;  // "V2.08" once chosen
    int percent = 0;
    std::int64_t startMs = 0;
    std::int64_t endMs = -1;        // -1 while the run goes on
    std::int64_t remainingMs = -1;  // -1 unknown
    std::int64_t estimatedAtMs = 0; // the time of that estimate (counted down from there)
    std::string state;              // the status text, at the end the outcome
};

// The line's text at the time nowMs, at most width - 1 characters: the
// percent (at the end the result's word), port, logger, image version,
// elapsed time, time left (not at the end) and the state.  What gives way
// when it is too long: first the logger (the state names it while the image
// is written), then the elapsed time, then the image; then the port is
// shortened from its start; the state is cut only after all of them.
std::string liveLineText(const TLiveLine& line, std::int64_t nowMs, int width);

class TLiveScreen final : public IRunScreen {
  public:
    TLiveScreen(const TScreenSetup& setup, std::ostream& out, std::ostream& err);
    ~TLiveScreen() override;

    IPortOutput& addPort(const std::string& port) override;
    void cancelling() override;
    void idle() override;
    void ended(const std::vector<TPortResult>& results) override;

    // Prints text (whole lines) above the live lines.
    void printAbove(const std::string& text);
    void redraw(bool force = false);
    IClock& clock() { return FClock; }

  private:
    class TPortLine;

    TScreenSetup FSetup;
    std::ostream& FOut;
    std::ostream& FErr;
    IClock& FClock;
    std::vector<std::unique_ptr<TPortLine>> FLines;
    std::int64_t FLastDraw = -1;
    std::size_t FShown = 0; // live lines on the screen now
};
