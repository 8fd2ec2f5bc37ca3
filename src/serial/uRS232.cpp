// Platform-neutral part of the port access: the byte trace switch and closing.
#include "serial/uRS232.h"

#include "serial/uPortTrace.h"
#include "serial/uRS232Native.h"

#include <cstdlib>

TPortHandle openPort(const std::string& sPort, int iBaud, TPortProblem& problem) {
    problem = {};
    TPortHandle hPort = openNativePort(sPort, iBaud, problem);
    if (!hPort) return hPort;
    // TARVEK2_TRACE switches the byte trace on without a rebuild: a file path
    // (appended to) or "-" for standard error.
    const char* sTrace = std::getenv(cPortTraceVariable);
    if (sTrace && *sTrace) hPort = wrapWithTrace(std::move(hPort), sPort, iBaud, sTrace);
    return hPort;
}

TPortHandle openPort(const std::string& sPort, int iBaud) {
    TPortProblem problem;
    return openPort(sPort, iBaud, problem);
}

TPortOpener systemPortOpener() {
    return [](const std::string& sPort, int iBaud, TPortProblem& problem) {
        return openPort(sPort, iBaud, problem);
    };
}

void closePort(TPortHandle& hPort) {
    if (!hPort) return;
    hPort->close();
    hPort.reset();
}
