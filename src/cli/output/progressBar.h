// The live progress bar of an update on a terminal: one line on standard
// error, redrawn in place with a carriage return, showing the percent, the
// time since the start and the controller's estimate of the time left.
#pragma once

#include "session/uClock.h"

#include <cstdint>
#include <ostream>
#include <string>

// The bar's text, at most width - 1 characters (so that it never wraps).
// remainingMs < 0: not known yet.
std::string progressBarText(int percent, std::int64_t elapsedMs, std::int64_t remainingMs,
                            int width);

class TProgressBar {
  public:
    TProgressBar(std::ostream& err, IClock& clock, int width);

    // What the update controller says: the progress bar's position and the
    // time left (-1 while unknown) as estimated at estimatedAtMs on the
    // clock; the bar counts it down from there.
    void update(int percent, std::int64_t remainingMs, std::int64_t estimatedAtMs);
    // Draws when something changed or time passed, at most five times a second
    // unless forced.
    void redraw(bool force = false);
    // Removes the bar from the line, so that a report line can be printed.
    void clear();

  private:
    std::ostream& FErr;
    IClock& FClock;
    int FWidth;
    std::int64_t FStart;
    int FPercent = 0;
    std::int64_t FRemainingMs = -1;
    std::int64_t FEstimatedAtMs = 0;
    std::int64_t FLastDraw = -1;
    std::size_t FShown = 0; // characters on the line now
    std::string FText;      // and what they say
};

// Columns of the terminal on standard error; where it does not tell, the
// COLUMNS variable's; 80 when unknown.
int terminalWidth();
