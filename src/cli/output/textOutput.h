// The text output of one port's run: the report lines with their time
// stamps ("hh-nn-ss -> text"), as the report window shows them, with a live
// progress bar on a terminal.  Several ports write through prefixing streams
// (prefixStream.h); a log file is a text output with both streams on the
// file.
#pragma once

#include "cli/output/portOutput.h"
#include "cli/output/progressBar.h"

#include <memory>
#include <ostream>
#include <string>

class TTextOutput final : public IPortOutput {
  public:
    // bar: nullptr for no progress bar.
    TTextOutput(std::ostream& out, std::ostream& err, std::unique_ptr<TProgressBar> bar = {});

    void reportLine(const std::string& line) override;
    // On a terminal the bar shows the progress: no line for it.
    void progressLine(const std::string& line) override;
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
