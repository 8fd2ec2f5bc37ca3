// The quiet output of one port's run (--quiet): only the line of the final
// outcome.
#pragma once

#include "cli/output/portOutput.h"

#include <ostream>

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
