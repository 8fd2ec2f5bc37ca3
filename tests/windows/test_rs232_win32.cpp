// The Win32 port backend on COM ports.  TARVEK2_TEST_SILENT_PORT names a
// port whose far end never answers (under Wine: a pseudo-terminal held by the
// silent logger simulator); the tests that need it are skipped without it.
#include "serial/uRS232.h"
#include "serial/uRS232_win32.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using TClock = std::chrono::steady_clock;

std::string silentPort() {
    const char* s = std::getenv("TARVEK2_TEST_SILENT_PORT");
    return s ? s : "";
}

long long msSince(TClock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - start).count();
}

// The open tells why it failed, from the error of the failing call.
TEST(Win32Port, NamesWithoutAPortGiveTheInvalidHandleAndTheCause) {
    struct TCase {
        const char* sPort;
        TPortCause cause;
        const char* sCall;
        const char* sProblem; // part of the operator's explanation
    };
    const TCase cases[] = {
        {"", TPortCause::missing, "CreateFileW", "No serial port is chosen"},
        {"COM250", TPortCause::missing, "CreateFileW", "does not exist"},
        {"COM5x", TPortCause::missing, "CreateFileW", "does not exist"},
        {"\xff", TPortCause::badName, "", "is not a valid port name"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.sPort);
        TPortProblem problem;
        EXPECT_FALSE(openPort(c.sPort, 9600, problem));
        EXPECT_EQ(problem.cause, c.cause) << problem.iError;
        EXPECT_EQ(problem.sCall, c.sCall);
        const std::string text = portProblemText(problem, c.sPort);
        EXPECT_NE(text.find(c.sProblem), std::string::npos) << text;
    }
}

TEST(Win32Port, ADeviceThatIsNoSerialPortIsClosedAgain) {
    // \\.\NUL opens, but refuses the line settings: the handle must not be
    // kept, and the device can be opened again at once.
    TPortProblem problem;
    EXPECT_FALSE(openPort("NUL", 9600, problem));
    EXPECT_EQ(problem.step, TPortStep::settings);
    EXPECT_EQ(problem.sCall, "SetCommState");
    EXPECT_EQ(problem.cause, TPortCause::notSerial) << problem.iError;
    EXPECT_FALSE(openPort("NUL", 9600, problem));
    const std::string text = portProblemText(problem, "NUL");
    EXPECT_NE(text.find("not a serial port"), std::string::npos) << text;
}

// The control block handed to SetCommState: raw 8N1 at the asked rate, no
// flow control, both modem lines off, and XON/XOFF characters that differ
// (SetCommState and some drivers refuse equal ones, although software flow
// control never uses them).
TEST(Win32Port, LineSettingsAreRawEightNoneOneWithDistinctXonXoff) {
    const DCB dcb = lineSettings(9600);
    EXPECT_EQ(dcb.DCBlength, sizeof(DCB));
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_EQ(dcb.fBinary, 1u);
    EXPECT_EQ(dcb.fParity | dcb.fOutxCtsFlow | dcb.fOutxDsrFlow | dcb.fDsrSensitivity |
                  dcb.fTXContinueOnXoff | dcb.fOutX | dcb.fInX | dcb.fErrorChar | dcb.fNull |
                  dcb.fAbortOnError,
              0);
    EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
    EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
    EXPECT_EQ(dcb.XonLim, 0);
    EXPECT_EQ(dcb.XoffLim, 0);
    EXPECT_NE(dcb.XonChar, dcb.XoffChar);
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.XoffChar, 0x13);
    EXPECT_EQ(dcb.ErrorChar, 0x20);
    EXPECT_EQ(dcb.EofChar, 0x20);
    EXPECT_EQ(dcb.EvtChar, 0x20);
    EXPECT_EQ(lineSettings(19200).BaudRate, 19200u);

    const COMMTIMEOUTS t = lineTimeouts();
    EXPECT_EQ(t.ReadIntervalTimeout, 0u);
    EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 1u);
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 200u);
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 1u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 0u);
}

TEST(Win32Port, ReadsFromASilentLoggerEndAfterTwoHundredMsPlusOnePerByte) {
    const std::string sPort = silentPort();
    if (sPort.empty()) GTEST_SKIP() << "TARVEK2_TEST_SILENT_PORT is not set";

    TPortProblem problem;
    TPortHandle hPort = openPort(sPort, 9600, problem);
    ASSERT_TRUE(hPort) << portProblemText(problem, sPort);
    EXPECT_FALSE(problem.failed());
    EXPECT_TRUE(hPort->clearError());
    EXPECT_TRUE(hPort->purge());

    // A command frame is 8 bytes: the session waits 208 ms for its answer.
    for (const std::size_t n : {std::size_t{8}, std::size_t{8}, std::size_t{100}}) {
        SCOPED_TRACE(n);
        std::uint8_t buffer[128] = {};
        std::size_t got = 99;
        const TClock::time_point start = TClock::now();
        EXPECT_TRUE(hPort->read(buffer, n, got));
        const long long elapsed = msSince(start);
        EXPECT_EQ(got, 0u);
        const long long expected = readTimeoutMs(n);
        EXPECT_GE(elapsed, expected - 10);
        EXPECT_LE(elapsed, expected + 400);
    }

    const std::uint8_t frame[8] = {0x81, 0, 0, 0, 0, 0, 0, 0x5A};
    std::size_t written = 0;
    EXPECT_TRUE(hPort->write(frame, sizeof frame, written));
    EXPECT_EQ(written, sizeof frame);

    closePort(hPort);
    EXPECT_FALSE(hPort);
    // Released: the same port opens again at once.
    TPortHandle hAgain = openPort(sPort, 9600);
    EXPECT_TRUE(hAgain);
    closePort(hAgain);
}

} // namespace
