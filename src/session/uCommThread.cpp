#include "session/uCommThread.h"

#include "session/uExceptions1V0.h"

#include <exception>
#include <utility>

TCommThread::TCommThread(TSessionContext context)
    : FCmd(context.cmd), FhWindow(context.hWindow), FsPort(std::move(context.sPort)),
      FCatalog(*context.catalog), FSettings(context.settings), bCancel(*context.bCancel),
      FClock(context.clock ? *context.clock : systemClock()),
      FOpener(context.opener ? std::move(context.opener) : systemPortOpener()) {}

TCommThread::~TCommThread() {
    Join();
}

void TCommThread::Start() {
    FThread = std::thread([this] { Execute(); });
}

void TCommThread::Join() {
    if (FThread.joinable() && FThread.get_id() != std::this_thread::get_id()) FThread.join();
}

void TCommThread::Post(std::uint32_t kind, std::int32_t value) {
    if (FhWindow) FhWindow->post({kind, value});
}

void TCommThread::Sleep(int ms) {
    // A cancel ends the wait at once (also the long ones after the last
    // record), and the session ends as it would at its next exchange.
    if (!FClock.waitMs(ms, bCancel)) throw EVorn(cEX_CANCELLED);
}

void TCommThread::CheckCancel() const {
    if (bCancel.load()) throw EVorn(cEX_CANCELLED);
}

void TCommThread::Execute() {
    TNotification final{cNT_DONE, static_cast<std::int32_t>(FCmd)};
    try {
        FhPort = FOpener(FsPort, cBaudRate, FPortProblem);
        if (!FhPort) {
            // An opener that fails without saying why still gives a cause.
            if (!FPortProblem.failed()) {
                FPortProblem.cause = TPortCause::osError;
                FPortProblem.step = TPortStep::open;
            }
            throw EVorn(cEX_PORT_NOT_READY);
        }
        FPortProblem = {};
        try {
            ResetProgress();
            SendCommand(false, 0xFF);
            Sleep(cWakePauseMs);
            SendCommand(false, 0xFF);
            Sleep(cWakePauseMs);
            RunSession();
        } catch (...) {
            ReleasePort();
            throw;
        }
        ReleasePort();
    } catch (const EVorn& e) {
        final = e.iException == cEX_COMM_ERROR
                    ? TNotification{cNT_REPEAT_COMM, static_cast<std::int32_t>(FCmd)}
                    : TNotification{cNT_ABORT, e.iException};
    } catch (...) {
        // Anything else (out of memory, a broken invariant) still ends the
        // session cleanly, with reason 0.
        ReleasePort();
        final = {cNT_ABORT, 0};
    }
    Post(final.kind, final.value);
}

void TCommThread::ReleasePort() {
    closePort(FhPort);
}

bool TCommThread::TxRxCommand(bool bAnswer) {
    if (!FhPort->clearError()) throw EVorn(cEX_PORT_IO, "ClearCommError");
    if (!FhPort->purge()) throw EVorn(cEX_PORT_IO, "PurgeComm");
    std::size_t written = 0;
    if (!FhPort->write(FTxBuffer.data(), 8, written)) throw EVorn(cEX_PORT_IO, "WriteFile");
    if (written < 8) return false;
    if (!bAnswer) return true;
    std::size_t got = 0;
    if (!FhPort->read(FRxBuffer.data(), 8, got)) throw EVorn(cEX_PORT_IO, "ReadFile");
    if (got < 8 || CRC8(FRxBuffer.data(), 7) != FRxBuffer[7]) return false;
    if (FRxBuffer[0] & 0x20) throw EVorn(cEX_LOGGER_NOT_READY, "VORN Exception!");
    return true;
}

bool TCommThread::SendCommand(bool bAnswer, std::uint8_t command, std::uint8_t p1, std::uint8_t p2,
                              std::uint8_t p3, std::uint8_t p4, std::uint8_t p5, std::uint8_t p6) {
    if (command == 0xFF) {
        for (int i = 0; i < 8; ++i)
            FTxBuffer[i] = 0;
    } else {
        FTxBuffer[0] = command | 0x80;
        FTxBuffer[1] = p1;
        FTxBuffer[2] = p2;
        FTxBuffer[3] = p3;
        FTxBuffer[4] = p4;
        FTxBuffer[5] = p5;
        FTxBuffer[6] = p6;
        FTxBuffer[7] = CRC8(FTxBuffer.data(), 7);
    }
    for (int attempt = 1; attempt <= cAttempts; ++attempt) {
        CheckCancel();
        if (TxRxCommand(bAnswer)) return true;
        if (attempt < cAttempts) Sleep(cRetryPauseMs);
    }
    throw EVorn(cEX_COMM_ERROR);
}

bool TCommThread::TxRxLine(const std::string& sLine, std::uint8_t nAnswer) {
    FRxCnt = 0;
    if (!FhPort->clearError()) throw EVorn(cEX_PORT_IO, "ClearCommError");
    if (!FhPort->purge()) throw EVorn(cEX_PORT_IO, "PurgeComm");
    const auto txCnt = static_cast<std::uint8_t>(sLine.size());
    const auto rxCnt = static_cast<std::uint8_t>(2 * nAnswer + 11);
    std::size_t written = 0;
    if (!FhPort->write(reinterpret_cast<const std::uint8_t*>(sLine.data()), txCnt, written))
        throw EVorn(cEX_PORT_IO, "WriteFile");
    if (written < txCnt) throw EVorn(cEX_PORT_IO, "WriteFile <> txCnt");
    if (nAnswer == 0) return true;
    std::size_t got = 0;
    if (!FhPort->read(FRxBuffer.data(), rxCnt, got)) throw EVorn(cEX_PORT_IO, "ReadFile");
    FRxCnt = rxCnt;
    if (got < rxCnt) return false;
    const std::string_view answer(reinterpret_cast<const char*>(FRxBuffer.data()), rxCnt);
    return HexChecksum(answer.substr(1), nAnswer + 5) == 0;
}

bool TCommThread::SendLine(const std::string& sLine, std::uint8_t nAnswer, bool bRaise) {
    for (int attempt = 1; attempt <= cAttempts; ++attempt) {
        CheckCancel();
        if (TxRxLine(sLine, nAnswer)) return true;
        if (attempt < cAttempts) Sleep(cRetryPauseMs);
    }
    if (bRaise) throw EVorn(cEX_COMM_ERROR);
    return false;
}

void TCommThread::GetAnswer(std::string& sAnswer) const {
    const auto n = static_cast<std::uint8_t>(FRxCnt);
    sAnswer.assign(reinterpret_cast<const char*>(FRxBuffer.data()), n);
}

int progressPercent(int iLine, int iLines) {
    int p = 0;
    if (iLines != 0) p = static_cast<int>((static_cast<std::int64_t>(iLine) * 99) / iLines);
    if (p < 0) p = 0;
    if (p > 99) p = 99;
    return p;
}

void TCommThread::SetProgress(int iLine, int iLines) {
    const int p = progressPercent(iLine, iLines);
    if (p != FnProgres) {
        FnProgres = p;
        Post(cNT_PROGRESS, p);
    }
}

std::uint16_t TCommThread::calculateCRC16(std::uint16_t upid_id, std::uint16_t upid_info,
                                          std::uint16_t upid_platform, std::uint16_t upid_print,
                                          std::uint16_t upid_reserve) {
    const std::uint16_t words[5] = {upid_id, upid_info, upid_platform, upid_print, upid_reserve};
    std::uint8_t bytes[10];
    for (int i = 0; i < 5; ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(words[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(words[i] >> 8);
    }
    return CRC16(bytes, 10);
}
