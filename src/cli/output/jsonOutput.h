// The JSON output of one port's run (--json): one object per notification,
// then one result object.
#pragma once

#include "cli/output/portOutput.h"

#include <cstdint>
#include <ostream>
#include <string>

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

// The result object of --json (one line, no line break).  What became of the
// logger: "bootloader" ("not_switched", "maybe_switched", "did_not_enter",
// "switched", "already_in"), "records_written" (at least that many unless
// "records_exact"), "records_total" (0 before an image was chosen) and
// "logger_at_end" ("bootloader", "application", "unknown").
std::string resultJson(const TPortResult& result);

// The result object of a run that found no port to run on (--all, and
// "ports" lists none): "port" is null, "exit" and "reason" 10, "text" why.
std::string noPortResultJson(const std::string& why);

// "cNT_PROGRESS" and so on; "unknown" for a kind that has no name.
const char* notifyKindName(std::uint32_t kind);

// The local time now as ISO 8601 with milliseconds and the offset from UTC,
// such as 2024-05-02T14:05:09.123+02:00.
std::string isoTimeNow();
