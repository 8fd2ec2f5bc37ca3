#include "childRun.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::vector<char*> argvOf(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

} // namespace

TChildUsage runMeasured(const std::string& program, const std::vector<std::string>& args) {
    TChildUsage u;
    auto argv = argvOf(program, args);
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    if (pid < 0) return u;
    int status = 0;
    rusage ru{};
    if (::wait4(pid, &status, 0, &ru) != pid) return u;
    u.wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    u.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    u.cpuSeconds = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
                   static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
    u.maxRssKiB = ru.ru_maxrss; // Linux: kilobytes
    return u;
}

TBackground startBackground(const std::string& program, const std::vector<std::string>& args) {
    TBackground b;
    int fds[2];
    if (::pipe(fds) != 0) return b;
    auto argv = argvOf(program, args);
    b.pid = ::fork();
    if (b.pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    char c = 0;
    pollfd p{fds[0], POLLIN, 0};
    while (::poll(&p, 1, 5000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
        b.firstLine += c;
    b.out = fds[0];
    return b;
}

void stopBackground(TBackground& child) {
    if (child.pid <= 0) return;
    ::kill(child.pid, SIGTERM);
    // Drain what it writes at its end, so that it never blocks on the pipe.
    char buf[4096];
    while (child.out >= 0 && ::read(child.out, buf, sizeof buf) > 0) {
    }
    ::waitpid(child.pid, nullptr, 0);
    if (child.out >= 0) ::close(child.out);
    child.out = -1;
    child.pid = -1;
}
