#include "cli_child.h"

#include "text_files.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

TCliChild::TCliChild(const std::string& program, const std::vector<std::string>& args,
                     const std::string& settings) {
    const std::string out = FDir + "/out", err = FDir + "/err", config = FDir + "/config";
    fs::create_directories(config + "/Quorvane");
    if (!settings.empty()) std::ofstream(config + "/Quorvane/Vorn.conf") << settings;
    // Everything the child needs is made before the fork: the test process
    // runs threads (the simulator's line), so the child may only make
    // async-signal-safe calls.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("XDG_CONFIG_HOME=", 0) != 0) envText.emplace_back(*e);
    envText.push_back("XDG_CONFIG_HOME=" + config);
    std::vector<char*> envp;
    for (auto& e : envText)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    FPid = ::fork();
    if (FPid == 0) {
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (o < 0 || e < 0 || ::dup2(o, STDOUT_FILENO) < 0 || ::dup2(e, STDERR_FILENO) < 0)
            ::_exit(127);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
}

TCliChild::~TCliChild() {
    if (FPid > 0 && !FDone) {
        ::kill(FPid, SIGKILL);
        ::waitpid(FPid, nullptr, 0);
    }
}

int TCliChild::wait(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        const pid_t r = ::waitpid(FPid, &status, WNOHANG);
        if (r == FPid) break;
        if (std::chrono::steady_clock::now() > end) {
            ::kill(FPid, SIGKILL);
            ::waitpid(FPid, &status, 0);
            FDone = true;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    FDone = true;
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void TCliChild::signal(int sig) const {
    ::kill(FPid, sig);
}

std::string TCliChild::out() const {
    return readFile(FDir + "/out");
}

std::string TCliChild::err() const {
    return readFile(FDir + "/err");
}
