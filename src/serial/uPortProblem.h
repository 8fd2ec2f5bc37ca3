// Why a port did not open, as the open itself found it: the cause, the call
// that failed and the system's error, read at that call.  The session keeps
// it with its final notification, so a front end can tell the operator the
// cause and the remedy of exactly that open.
#pragma once

#include <string>

enum class TPortCause {
    none,       // the port opened
    badName,    // no port chosen, or a name that cannot name a port
    missing,    // no such device
    busy,       // another program holds the port
    permission, // the user may not use the device (sGroup: the group to join)
    notSerial,  // the device is no serial port
    osError,    // any other refusal of the system (the line settings included)
};

// The step of opening at which a port failed.
enum class TPortStep {
    none,       // the port is open
    name,       // the port name
    open,       // opening the device (open(2), CreateFileW)
    lock,       // taking the port for ourselves (flock, TIOCEXCL)
    terminal,   // asking for the line settings (tcgetattr)
    settings,   // the line settings (tcsetattr, SetCommState)
    queues,     // the driver queues (SetupComm)
    timeouts,   // the time-outs (SetCommTimeouts)
    modemLines, // DTR on, RTS off (TIOCMBIS/TIOCMBIC, EscapeCommFunction)
};

struct TPortProblem {
    TPortCause cause = TPortCause::none;
    TPortStep step = TPortStep::none;
    std::string sCall;      // the system call that failed ("open", "SetCommState")
    int iError = 0;         // errno or GetLastError() of that call
    std::string sErrorText; // the system's text for iError
    std::string sPath;      // the device as the operator should see it
    std::string sGroup;     // permission: the group that owns the device; empty if none to join

    bool failed() const { return cause != TPortCause::none; }
};

// The problem of a call that failed with the system error iError (errno on
// POSIX, GetLastError() on Windows), classified by the platform's rules;
// the permission case names the group owning sPath.
TPortProblem portProblemFor(TPortStep step, const char* sCall, int iError,
                            const std::string& sPath);

// The system's detail of an error for the operator's text, as the platform
// words it: ": <text>" on POSIX, " (system error N)" on Windows.
std::string osErrorDetail(const TPortProblem& problem);

// The cause and its remedy in words an operator can act on; empty when the
// port opened.  sPort is the name the operator chose.
std::string portProblemText(const TPortProblem& problem, const std::string& sPort);
