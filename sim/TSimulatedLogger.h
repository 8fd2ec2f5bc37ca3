// A simulated Tarvek2 logger on a pseudo-terminal.
//
// start() creates the pseudo-terminal and a line thread that feeds whatever
// the updater writes to the slave side into TLoggerProtocol and writes the
// answers back.  The updater opens portPath() (such as /dev/pts/7) as its
// serial port.
//
// The line stays up across the updater's sessions: the simulator holds a
// descriptor of the slave side itself, so that the master does not see a
// hangup (reads failing with EIO) while no updater has the port open, and an
// updater may close and reopen the port as often as it likes.  The
// simulator's descriptor takes no flock and was opened before any TIOCEXCL,
// so it does not stand in the updater's way.  The terminal is raw (no echo,
// no CR/LF mapping); the updater sets its own modes on open anyway.
//
// When the line is cut (TSimConfig::cutAt), both descriptors are closed: the
// slave path disappears, and an updater that holds the port sees a hangup
// (poll: POLLHUP, read: 0 bytes, write and termios calls: EIO).
#pragma once

#include "TSimConfig.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class TLoggerProtocol;

class TSimulatedLogger {
  public:
    explicit TSimulatedLogger(TSimConfig config = {});
    ~TSimulatedLogger();
    TSimulatedLogger(const TSimulatedLogger&) = delete;
    TSimulatedLogger& operator=(const TSimulatedLogger&) = delete;

    // Creates the pseudo-terminal and starts the line thread.  False when the
    // pseudo-terminal cannot be made (lastError() says why) or when the
    // simulator was started before: each object runs one line.
    bool start();
    // Ends the line thread and closes the pseudo-terminal.  Idempotent.
    void stop();

    // Path of the slave side, e.g. /dev/pts/7; empty before start().
    std::string portPath() const { return FPortPath; }
    std::string lastError() const { return FError; }
    // The line has been cut by the cutAt fault.
    bool lineCut() const;

    // A copy of what the logger saw so far.
    TSimRecord record() const;
    // Waits until pred(record) holds, re-checked whenever bytes arrive.  True
    // when it held within the time.
    bool waitFor(const std::function<bool(const TSimRecord&)>& pred,
                 std::chrono::milliseconds timeout) const;

    // Unfinished input is forgotten after this long without a byte.
    static constexpr std::chrono::milliseconds cIdleResync{100};

  private:
    void run();
    void handleInput();
    void writeAnswer(const std::uint8_t* data, std::size_t n);
    bool writeSome(const std::uint8_t* data, std::size_t n);
    void awaitInputLineTime(std::size_t n);
    std::chrono::steady_clock::duration byteTime() const;
    void closeLine();

    const TSimConfig FConfig;
    std::unique_ptr<TLoggerProtocol> FProtocol;
    mutable std::mutex FMutex;
    mutable std::condition_variable FChanged;
    std::thread FThread;
    std::string FPortPath;
    std::string FError;
    int FMaster = -1;
    int FSlave = -1;
    int FWakeRead = -1;
    int FWakeWrite = -1;
    bool FStarted = false;
    std::atomic<bool> FStopping{false};
    std::chrono::steady_clock::time_point FLastInput{};
    std::chrono::steady_clock::time_point FLineFreeAt{};  // answers: line busy until
    std::chrono::steady_clock::time_point FInputFreeAt{}; // input: line busy until
};
