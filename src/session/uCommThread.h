// The session thread: owns the serial port for one session, wakes the line,
// runs the model-specific session body and posts exactly one final
// notification.  It speaks two framings with the logger:
//
//  - command frames: 8 bytes, command | 0x80, six parameters, CRC-8;
//    the answer is 8 bytes (status, -, class hi/lo, version hi/lo, -, CRC-8)
//    and bit 5 of the status means "not ready";
//  - text records: ":LLAAAATT<data>CC" sent as ASCII, answered by a record
//    of a length the caller announces.
//
// Every exchange is tried up to five times, 100 ms apart; the cancel flag is
// checked before each attempt, and every wait of the session ends as soon as
// it is set.
#pragma once

#include "images/uConvert1V0.h"
#include "images/uFWCatalog.h"
#include "serial/uRS232.h"
#include "session/uClock.h"
#include "session/uNotify.h"
#include "session/uSessionSettings.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

enum class TCmd : std::uint8_t { tCMD0 = 0, tCMD1 = 1, tCMD2 = 2, tCMD_TEST = 3 };

// Everything a session is created with.  The references must outlive the
// session thread.
struct TSessionContext {
    INotifySink* hWindow = nullptr; // receives the notifications
    TCmd cmd = TCmd::tCMD0;
    std::string sPort;
    TFWCatalog* catalog = nullptr; // selection and file slot of this session
    TSessionSettings settings;
    std::atomic<bool>* bCancel = nullptr; // owned by the front end
    IClock* clock = nullptr;              // nullptr: the system clock
    TPortOpener opener;                   // empty: openPort
};

inline constexpr int cAttempts = 5;       // tries of every exchange
inline constexpr int cRetryPauseMs = 100; // pause after a failed try
inline constexpr int cWakePauseMs = 100;  // pause after each null frame
inline constexpr int cBaudRate = 9600;
inline constexpr std::size_t cBufferSize = 1501;

// The progress the session posts while it writes line iLine of the lines up
// to iLines: 0..99 by iLine * 99 / iLines, posted whenever it changes.
int progressPercent(int iLine, int iLines);

class TCommThread {
  public:
    explicit TCommThread(TSessionContext context);
    virtual ~TCommThread(); // joins the thread if it still runs
    TCommThread(const TCommThread&) = delete;
    TCommThread& operator=(const TCommThread&) = delete;

    // Starts Execute on a thread of its own.  The creator joins it after the
    // final notification arrived (or at destruction).
    void Start();
    void Join();
    bool Joinable() const { return FThread.joinable(); }

    // The thread body: open the port, wake the line, RunSession, close the
    // port, post the final notification.  Callable directly (synchronously).
    void Execute();

    // Why this session's port did not open, as the open found it; no cause
    // when it opened.  Set before the final notification (cEX_PORT_NOT_READY)
    // is posted and never changed after it, so a front end may read it once
    // that notification has arrived, until it drops the session.
    const TPortProblem& PortProblem() const { return FPortProblem; }

    static std::uint16_t calculateCRC16(std::uint16_t upid_id, std::uint16_t upid_info,
                                        std::uint16_t upid_platform, std::uint16_t upid_print,
                                        std::uint16_t upid_reserve);

  protected:
    virtual void DoSession() {}
    virtual void RunSession() { DoSession(); }

    // Command frame exchange with retries; command 0xFF sends the null frame.
    // Returns true or raises (cEX_CANCELLED, cEX_COMM_ERROR, cEX_PORT_IO,
    // cEX_LOGGER_NOT_READY).
    bool SendCommand(bool bAnswer, std::uint8_t command, std::uint8_t p1 = 0, std::uint8_t p2 = 0,
                     std::uint8_t p3 = 0, std::uint8_t p4 = 0, std::uint8_t p5 = 0,
                     std::uint8_t p6 = 0);
    // One attempt with the frame already in FTxBuffer.
    bool TxRxCommand(bool bAnswer);
    // Text record exchange with retries; nAnswer data bytes expected back
    // (0: no answer read).  After five failures raises cEX_COMM_ERROR when
    // bRaise is set, else returns false.
    bool SendLine(const std::string& sLine, std::uint8_t nAnswer, bool bRaise);
    // One attempt of SendLine.
    bool TxRxLine(const std::string& sLine, std::uint8_t nAnswer);
    // The text answer of the last text exchange.
    void GetAnswer(std::string& sAnswer) const;
    void SetProgress(int iLine, int iLines);
    void ResetProgress() { FnProgres = 0; }
    void ReleasePort();

    void Post(std::uint32_t kind, std::int32_t value);
    // Waits ms; raises cEX_CANCELLED as soon as the cancel flag is set.
    void Sleep(int ms);
    void CheckCancel() const;

    TCmd FCmd;
    std::array<std::uint8_t, cBufferSize> FTxBuffer{};
    std::array<std::uint8_t, cBufferSize> FRxBuffer{};
    int FRxCnt = 0;
    INotifySink* FhWindow;
    std::string FsPort;
    TPortHandle FhPort;
    int FnProgres = 0;

    TFWCatalog& FCatalog;
    TSessionSettings FSettings;
    std::atomic<bool>& bCancel;
    TRecordConverter FConv; // sHexLine and HexRecord of this session

  private:
    IClock& FClock;
    TPortOpener FOpener;
    TPortProblem FPortProblem;
    std::thread FThread;
};
