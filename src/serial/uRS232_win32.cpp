// Win32 backend of the logger line: one synchronous handle, opened
// exclusively, with the line settings and time-outs that the session's
// exchanges rely on.
#include "serial/uRS232Native.h"
#include "serial/uWin32Text.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstring>
#include <memory>

namespace {

constexpr DWORD cQueueSize = 1000;
constexpr int cLineBaud = 9600;

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

// The whole control block, filled in from scratch: 8N1 at iBaud, binary, no
// flow control of any kind, DTR and RTS off while the settings are applied.
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
    dcb.XonChar = 0x20;
    dcb.XoffChar = 0x20;
    dcb.ErrorChar = 0x20;
    dcb.EofChar = 0x20;
    dcb.EvtChar = 0x20;
    return dcb;
}

// A read of n bytes ends when n are in or after 200 + n ms; a write of n
// bytes is given n ms.
COMMTIMEOUTS lineTimeouts() {
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = 0;
    t.ReadTotalTimeoutMultiplier = cReadTimeoutPerByteMs;
    t.ReadTotalTimeoutConstant = cReadTimeoutConstantMs;
    t.WriteTotalTimeoutMultiplier = 1;
    t.WriteTotalTimeoutConstant = 0;
    return t;
}

enum class TOpenStep { Done, Name, Open, Settings };

struct TWin32OpenResult {
    HANDLE hPort = INVALID_HANDLE_VALUE;
    TOpenStep step = TOpenStep::Done;
    DWORD err = 0;
};

TWin32OpenResult failAfterOpen(HANDLE hPort) {
    TWin32OpenResult r;
    r.step = TOpenStep::Settings;
    r.err = GetLastError();
    CloseHandle(hPort);
    return r;
}

TWin32OpenResult openWin32Port(const std::string& sPort, int iBaud) {
    TWin32OpenResult r;
    const std::optional<std::wstring> name = toWide(sPort);
    if (!name) {
        r.step = TOpenStep::Name;
        r.err = ERROR_INVALID_NAME;
        return r;
    }
    const std::wstring sPath = L"\\\\.\\" + *name;
    const HANDLE hPort = CreateFileW(sPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
    if (hPort == INVALID_HANDLE_VALUE) {
        r.step = TOpenStep::Open;
        r.err = GetLastError();
        return r;
    }
    DCB dcb = lineSettings(iBaud);
    if (!SetCommState(hPort, &dcb)) return failAfterOpen(hPort);
    if (!SetupComm(hPort, cQueueSize, cQueueSize)) return failAfterOpen(hPort);
    COMMTIMEOUTS timeouts = lineTimeouts();
    if (!SetCommTimeouts(hPort, &timeouts)) return failAfterOpen(hPort);
    // A port without a DTR line (some virtual drivers) refuses the request
    // as not supported; it is used without it.
    if (!EscapeCommFunction(hPort, SETDTR) && GetLastError() != ERROR_NOT_SUPPORTED)
        return failAfterOpen(hPort);
    r.hPort = hPort;
    return r;
}

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

} // namespace

TPortHandle openNativePort(const std::string& sPort, int iBaud) {
    const TWin32OpenResult r = openWin32Port(sPort, iBaud);
    if (r.hPort == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<TWin32Port>(r.hPort);
}

std::string explainPortProblem(const std::string& sPort) {
    if (sPort.empty()) return "No serial port is chosen. Pick the port of the logger's cable.";
    const TWin32OpenResult r = openWin32Port(sPort, cLineBaud);
    if (r.hPort != INVALID_HANDLE_VALUE) {
        CloseHandle(r.hPort);
        return {};
    }
    const std::string sCode = " (system error " + std::to_string(r.err) + ")";
    switch (r.step) {
    case TOpenStep::Done:
        return {};
    case TOpenStep::Name:
        return quoted(sPort) + " is not a valid port name. Pick a port from the list.";
    case TOpenStep::Open:
        switch (r.err) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return "Serial port " + quoted(sPort) +
                   " does not exist. Check that the logger's cable is plugged in, or pick "
                   "another port.";
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            return "Serial port " + quoted(sPort) +
                   " is in use by another program. Close that program and try again.";
        default:
            return "Serial port " + quoted(sPort) + " cannot be opened" + sCode + ".";
        }
    case TOpenStep::Settings:
        if (r.err == ERROR_INVALID_FUNCTION || r.err == ERROR_INVALID_HANDLE ||
            r.err == ERROR_NOT_SUPPORTED)
            return quoted(sPort) + " is not a serial port. Pick another port.";
        return "Serial port " + quoted(sPort) +
               " refused the line settings (9600 baud, 8 data bits, no parity, 1 stop bit)" +
               sCode + ".";
    }
    return {};
}
