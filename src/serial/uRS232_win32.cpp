// Win32 backend of the logger line: one synchronous handle, opened
// exclusively, with the line settings and time-outs that the session's
// exchanges rely on.
#include "serial/uRS232_win32.h"
#include "serial/uRS232Native.h"
#include "serial/uText_win32.h"

#include "platform/uWindows.h"

#include <cstring>
#include <memory>
#include <optional>
#include <string>

namespace {

constexpr DWORD cQueueSize = 1000;

class TWin32Port final : public IPort {
  public:
    explicit TWin32Port(HANDLE hPort) : FhPort(hPort) {}
    ~TWin32Port() override { close(); }
    TWin32Port(const TWin32Port&) = delete;
    TWin32Port& operator=(const TWin32Port&) = delete;

    bool clearError() override {
        DWORD errors = 0;
        COMSTAT stat{};
        return ClearCommError(FhPort, &errors, &stat) != 0;
    }
    bool purge() override { return PurgeComm(FhPort, PURGE_TXCLEAR | PURGE_RXCLEAR) != 0; }
    bool write(const std::uint8_t* data, std::size_t n, std::size_t& written) override {
        written = 0;
        if (n > MAXDWORD) return false;
        DWORD done = 0;
        const BOOL ok = WriteFile(FhPort, data, static_cast<DWORD>(n), &done, nullptr);
        written = done;
        return ok != 0;
    }
    bool read(std::uint8_t* data, std::size_t n, std::size_t& got) override {
        got = 0;
        if (n > MAXDWORD) return false;
        DWORD done = 0;
        const BOOL ok = ReadFile(FhPort, data, static_cast<DWORD>(n), &done, nullptr);
        got = done;
        return ok != 0;
    }
    void close() override {
        if (FhPort == INVALID_HANDLE_VALUE) return;
        CloseHandle(FhPort);
        FhPort = INVALID_HANDLE_VALUE;
    }

  private:
    HANDLE FhPort;
};

// Closes the handle of a step that failed after the device was opened and
// tells why; the error is read before CloseHandle can change it.
HANDLE failAfterOpen(HANDLE hPort, TPortStep step, const char* sCall, const std::string& sPort,
                     TPortProblem& problem) {
    problem = portProblemFor(step, sCall, static_cast<int>(GetLastError()), sPort);
    CloseHandle(hPort);
    return INVALID_HANDLE_VALUE;
}

HANDLE openWin32Port(const std::string& sPort, int iBaud, TPortProblem& problem) {
    const std::optional<std::wstring> name = toWide(sPort);
    if (!name) {
        problem = portProblemFor(TPortStep::name, "", ERROR_INVALID_NAME, sPort);
        return INVALID_HANDLE_VALUE;
    }
    const std::wstring sPath = L"\\\\.\\" + *name;
    const HANDLE hPort = CreateFileW(sPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
    if (hPort == INVALID_HANDLE_VALUE) {
        problem =
            portProblemFor(TPortStep::open, "CreateFileW", static_cast<int>(GetLastError()), sPort);
        return INVALID_HANDLE_VALUE;
    }
    DCB dcb = lineSettings(iBaud);
    if (!SetCommState(hPort, &dcb))
        return failAfterOpen(hPort, TPortStep::settings, "SetCommState", sPort, problem);
    if (!SetupComm(hPort, cQueueSize, cQueueSize))
        return failAfterOpen(hPort, TPortStep::queues, "SetupComm", sPort, problem);
    COMMTIMEOUTS timeouts = lineTimeouts();
    if (!SetCommTimeouts(hPort, &timeouts))
        return failAfterOpen(hPort, TPortStep::timeouts, "SetCommTimeouts", sPort, problem);
    // A port without a DTR line (some virtual drivers) refuses the request
    // as not supported; it is used without it.
    if (!EscapeCommFunction(hPort, SETDTR) && GetLastError() != ERROR_NOT_SUPPORTED)
        return failAfterOpen(hPort, TPortStep::modemLines, "EscapeCommFunction", sPort, problem);
    return hPort;
}

} // namespace

DCB lineSettings(int iBaud) {
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb); // reserved words 0
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = static_cast<DWORD>(iBaud);
    dcb.fBinary = 1;
    dcb.fParity = 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fTXContinueOnXoff = 0;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fErrorChar = 0;
    dcb.fNull = 0;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = 0;
    dcb.XonLim = 0;
    dcb.XoffLim = 0;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    // Software flow control is off, so these two are never sent nor looked
    // for; but SetCommState refuses a block whose XonChar equals its
    // XoffChar, and some virtual COM port drivers do so too.  The usual
    // XON (DC1) and XOFF (DC3) keep every driver content.
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.ErrorChar = 0x20;
    dcb.EofChar = 0x20;
    dcb.EvtChar = 0x20;
    return dcb;
}

COMMTIMEOUTS lineTimeouts() {
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = 0;
    t.ReadTotalTimeoutMultiplier = cReadTimeoutPerByteMs;
    t.ReadTotalTimeoutConstant = cReadTimeoutConstantMs;
    t.WriteTotalTimeoutMultiplier = 1;
    t.WriteTotalTimeoutConstant = 0;
    return t;
}

TPortHandle openNativePort(const std::string& sPort, int iBaud, TPortProblem& problem) {
    const HANDLE hPort = openWin32Port(sPort, iBaud, problem);
    if (hPort == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<TWin32Port>(hPort);
}
