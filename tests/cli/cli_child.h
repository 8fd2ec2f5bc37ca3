// Runs the built tarvek2-cli as a child process, as an operator would: its
// standard output and error go to files, its settings to a folder of its own
// (normal mode: no internal-mode switch there).
#pragma once

#include "temp_folder.h"

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

class TCliChild {
  public:
    // settings: the text of its Quorvane/Vorn.conf (none when empty).
    TCliChild(const std::string& program, const std::vector<std::string>& args,
              const std::string& settings = {});
    ~TCliChild(); // kills a child that is still running

    // Waits for the end; the exit status as a shell shows it (128 + the
    // signal's number for a child that died of a signal), or -1 (the child
    // was killed) when it did not end in time.
    int wait(std::chrono::milliseconds limit);
    void signal(int sig) const;
    pid_t pid() const { return FPid; }

    std::string out() const;
    std::string err() const;

  private:
    pid_t FPid = -1;
    TTempFolder FFolder{"tarvek2-cli-e2e"};
    std::string FDir = FFolder.path().string();
    bool FDone = false;
};
