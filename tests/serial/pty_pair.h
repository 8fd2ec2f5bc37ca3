// A pseudo-terminal as the serial line of a test: the port under test opens
// the slave by its name, the test plays the logger on the master.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

class TPtyPair {
  public:
    TPtyPair();
    ~TPtyPair();
    TPtyPair(const TPtyPair&) = delete;
    TPtyPair& operator=(const TPtyPair&) = delete;

    // "/dev/pts/N"
    const std::string& slavePath() const { return FsSlave; }
    // "pts/N"
    std::string slaveName() const { return FsSlave.substr(5); }

    // The logger's side: send bytes, collect what the port wrote.
    void send(const std::vector<std::uint8_t>& bytes);
    std::vector<std::uint8_t> receive(std::size_t n,
                                      std::chrono::milliseconds wait = std::chrono::seconds(2));
    void closeMaster();

    // A second descriptor on the slave that holds no lock, to look at the
    // line settings (as root it passes the exclusive flag).
    int openObserver() const;

  private:
    int FMaster = -1;
    std::string FsSlave;
};

// True when the exclusive flag (TIOCEXCL) of the terminal is set.
bool isExclusive(int fd);
