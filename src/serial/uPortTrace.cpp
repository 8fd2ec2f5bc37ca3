#include "serial/uPortTrace.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <utility>

namespace {

class TTracedPort final : public IPort {
  public:
    TTracedPort(TPortHandle hInner, std::FILE* hFile, bool bOwnsFile)
        : FhInner(std::move(hInner)), FhFile(hFile), FbOwnsFile(bOwnsFile),
          FStart(std::chrono::steady_clock::now()) {}
    ~TTracedPort() override {
        close();
        if (FbOwnsFile) std::fclose(FhFile);
    }
    TTracedPort(const TTracedPort&) = delete;
    TTracedPort& operator=(const TTracedPort&) = delete;

    void line(const std::string& sText) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - FStart)
                            .count();
        std::fprintf(FhFile, "+%lld.%03lld %s\n", static_cast<long long>(ms / 1000),
                     static_cast<long long>(ms % 1000), sText.c_str());
        std::fflush(FhFile);
    }

    bool clearError() override {
        const bool ok = FhInner->clearError();
        if (!ok) line("clear error failed");
        return ok;
    }
    bool purge() override {
        const bool ok = FhInner->purge();
        line(ok ? "purge" : "purge failed");
        return ok;
    }
    bool write(const std::uint8_t* data, std::size_t n, std::size_t& written) override {
        const bool ok = FhInner->write(data, n, written);
        std::string s = formatTraceBytes("TX", data, written, n);
        if (!ok) s += " write failed";
        line(s);
        return ok;
    }
    bool read(std::uint8_t* data, std::size_t n, std::size_t& got) override {
        const bool ok = FhInner->read(data, n, got);
        std::string s = formatTraceBytes("RX", data, got, n);
        if (!ok) s += " read failed";
        line(s);
        return ok;
    }
    void close() override {
        if (FbClosed) return;
        FbClosed = true;
        FhInner->close();
        line("close");
    }

  private:
    TPortHandle FhInner;
    std::FILE* FhFile;
    bool FbOwnsFile;
    bool FbClosed = false;
    std::chrono::steady_clock::time_point FStart;
};

} // namespace

std::string formatTraceBytes(const char* sDirection, const std::uint8_t* data, std::size_t n,
                             std::size_t nAsked) {
    static const char cHex[] = "0123456789ABCDEF";
    std::string s = sDirection;
    for (std::size_t i = 0; i < n; ++i) {
        s += ' ';
        s += cHex[data[i] >> 4];
        s += cHex[data[i] & 0x0F];
    }
    if (n < nAsked) {
        s += " (" + std::to_string(n) + " of " + std::to_string(nAsked);
        s += sDirection[0] == 'R' ? ", time-out)" : ", short write)";
    }
    return s;
}

TPortHandle wrapWithTrace(TPortHandle hPort, const std::string& sPort, int iBaud,
                          const std::string& sTarget) {
    if (!hPort) return hPort;
    std::FILE* hFile = nullptr;
    const bool bOwnsFile = sTarget != "-";
    hFile = bOwnsFile ? std::fopen(sTarget.c_str(), "a") : stderr;
    if (!hFile) return hPort;
    auto traced = std::make_unique<TTracedPort>(std::move(hPort), hFile, bOwnsFile);
    traced->line("open " + sPort + " " + std::to_string(iBaud));
    return traced;
}
