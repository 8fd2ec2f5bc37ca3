// Another process that holds a serial port, as a second program would.
//
// The child is forked at construction, while the test process runs no
// thread of its own, and then waits for orders on a pipe: open the port with
// openPort and keep it, talk to the logger through it, let it go.  So the
// child is a plain copy of a single-threaded process and may do anything.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

class TPortHolder {
  public:
    TPortHolder();
    ~TPortHolder(); // lets the port go and reaps the child
    TPortHolder(const TPortHolder&) = delete;
    TPortHolder& operator=(const TPortHolder&) = delete;

    bool running() const { return FPid > 0; }
    // Opens the port in the child; true when the child holds it.
    bool hold(const std::string& sPort);
    // One identify exchange through the child's port: the command frame
    // out, the 8-byte answer frame back (empty when the exchange failed).
    std::vector<std::uint8_t> identify();
    // Closes the port in the child and ends it; true when it ended cleanly.
    bool release();

  private:
    bool order(const std::string& message, std::string& reply, std::size_t replySize);

    pid_t FPid = -1;
    int FToChild = -1;
    int FFromChild = -1;
};
