#include "cli/output/logFile.h"

#include "cli/output/jsonOutput.h"
#include "cli/output/outputNotes.h"
#include "cli/output/textOutput.h"
#include "platform/uLocalTime.h"
#include "tarvek2_version.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

class TLogFileOutput final : public IPortOutput {
  public:
    explicit TLogFileOutput(std::unique_ptr<std::ofstream> file)
        : FFile(std::move(file)), FText(*FFile, *FFile) {}

    void reportLine(const std::string& text) override { FText.reportLine(text); }
    void notification(const TNotification& n, const TNotifyRendering& r) override {
        FText.notification(n, r);
    }
    void cancelling() override { printCancelNote(*FFile, false); }
    void finished(const TPortResult& result) override {
        FText.finished(result);
        *FFile << resultJson(result) << '\n' << std::flush;
    }

  private:
    std::unique_ptr<std::ofstream> FFile;
    TTextOutput FText;
};

} // namespace

std::string logFileHeading(const std::string& version, const std::string& isoTime,
                           const std::string& port) {
    return "tarvek2-cli " + version + ", " + isoTime + ", port " + port;
}

std::string logFileName(const std::string& port, const std::tm& t) {
    std::string base = port;
    while (!base.empty() && (base.back() == '/' || base.back() == '\\'))
        base.pop_back();
    const auto slash = base.find_last_of("/\\");
    if (slash != std::string::npos) base.erase(0, slash + 1);
    for (char& c : base)
        if (c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
            c = '_';
    if (base.empty()) base = "port";
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &t);
    return base + "-" + stamp + ".log";
}

std::string prepareLogDir(const std::string& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) return ec.message();
    if (!fs::is_directory(dir, ec)) return "not a folder";
    return {};
}

std::unique_ptr<IPortOutput> openLogFile(const std::string& dir, const std::string& port,
                                         std::string& error) {
    const std::string name = logFileName(port, localTime(std::time(nullptr)));
    fs::path path = fs::path(dir) / name;
    std::error_code ec;
    for (int n = 2; fs::exists(path, ec); ++n)
        path = fs::path(dir) / (name.substr(0, name.size() - 4) + "-" + std::to_string(n) + ".log");
    auto file = std::make_unique<std::ofstream>(path, std::ios::out | std::ios::trunc);
    if (!*file) {
        error = "cannot write \"" + path.string() + "\": " + std::strerror(errno);
        return nullptr;
    }
    *file << logFileHeading(TARVEK2_VERSION, isoTimeNow(), port) << '\n' << std::flush;
    return std::make_unique<TLogFileOutput>(std::move(file));
}
