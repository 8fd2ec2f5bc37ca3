// The open tells why it failed: the cause as the failing call found it, and
// the operator's words for it.  A session keeps the cause of its own open to
// its end.
#include "notify_recorder.h"
#include "pty_pair.h"
#include "serial/uRS232.h"
#include "session/uCommThread.h"
#include "session/uExceptions1V0.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using ::testing::AllOf;
using ::testing::HasSubstr;

namespace {

// Another process holding a port as every updater takes it (flock).  The
// child opens and locks it, reports, and keeps it until told to go.
class TOtherHolder {
  public:
    explicit TOtherHolder(const std::string& sPath) {
        int toChild[2], fromChild[2];
        if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0) return;
        FPid = ::fork();
        if (FPid == 0) {
            ::close(toChild[1]);
            ::close(fromChild[0]);
            const int fd = ::open(sPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            const char ok = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? '1' : '0';
            (void)!::write(fromChild[1], &ok, 1);
            char go = 0;
            (void)!::read(toChild[0], &go, 1);
            ::_exit(0);
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        FToChild = toChild[1];
        char ok = 0;
        FHolds = FPid > 0 && ::read(fromChild[0], &ok, 1) == 1 && ok == '1';
        ::close(fromChild[0]);
    }
    ~TOtherHolder() { release(); }
    bool holds() const { return FHolds; }
    void release() {
        if (FToChild >= 0) ::close(FToChild);
        FToChild = -1;
        if (FPid > 0) ::waitpid(FPid, nullptr, 0);
        FPid = -1;
    }

  private:
    pid_t FPid = -1;
    int FToChild = -1;
    bool FHolds = false;
};

TEST(PortProblem, APortThatOpensHasNoCauseAndIsNotKept) {
    TPtyPair pty;
    TPortProblem problem;
    problem.cause = TPortCause::busy; // a stale cause is overwritten
    TPortHandle port = openPort(pty.slavePath(), 9600, problem);
    ASSERT_TRUE(port);
    EXPECT_FALSE(problem.failed());
    EXPECT_EQ(portProblemText(problem, pty.slavePath()), "");
    closePort(port);
    EXPECT_TRUE(openPort(pty.slavePath(), 9600));
}

// Each failing step with the cause, the call and the errno read there, and
// the words the operator gets for it.
TEST(PortProblem, TheOpenNamesTheFailingCallAndItsCause) {
    const std::string sFile = ::testing::TempDir() + "tarvek2_not_a_port.txt";
    std::FILE* f = std::fopen(sFile.c_str(), "w");
    ASSERT_TRUE(f);
    std::fclose(f);

    struct TCase {
        std::string sPort;
        TPortCause cause;
        TPortStep step;
        const char* sCall;
        int iError;
        std::string sPath;
        std::vector<std::string> words;
    };
    const TCase cases[] = {
        {"ttyTARVEK9",
         TPortCause::missing,
         TPortStep::open,
         "open",
         ENOENT,
         "/dev/ttyTARVEK9",
         {"\"/dev/ttyTARVEK9\"", "does not exist", "cable", "another port"}},
        {"/dev/null",
         TPortCause::notSerial,
         TPortStep::terminal,
         "tcgetattr",
         ENOTTY,
         "/dev/null",
         {"\"/dev/null\" is not a serial port", "Pick another port"}},
        {sFile,
         TPortCause::notSerial,
         TPortStep::terminal,
         "tcgetattr",
         ENOTTY,
         sFile,
         {"\"" + sFile + "\" is not a serial port"}},
        {"/tmp",
         TPortCause::notSerial,
         TPortStep::open,
         "open",
         EISDIR,
         "/tmp",
         {"\"/tmp\" is not a serial port"}},
        {"", TPortCause::badName, TPortStep::name, "", ENOENT, "", {"No serial port is chosen"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.sPort);
        TPortProblem problem;
        EXPECT_FALSE(openPort(c.sPort, 9600, problem));
        EXPECT_EQ(problem.cause, c.cause);
        EXPECT_EQ(problem.step, c.step);
        EXPECT_EQ(problem.sCall, c.sCall);
        EXPECT_EQ(problem.iError, c.iError) << problem.sErrorText;
        EXPECT_FALSE(problem.sErrorText.empty());
        EXPECT_EQ(problem.sPath, c.sPath);
        const std::string text = portProblemText(problem, c.sPort);
        for (const std::string& w : c.words)
            EXPECT_THAT(text, HasSubstr(w));
    }
    std::remove(sFile.c_str());

    // A rate the line cannot run: the settings are refused, and the port is
    // let go again.
    TPtyPair pty;
    TPortProblem problem;
    EXPECT_FALSE(openPort(pty.slavePath(), 12345, problem));
    EXPECT_EQ(problem.cause, TPortCause::osError);
    EXPECT_EQ(problem.step, TPortStep::settings);
    EXPECT_EQ(problem.iError, EINVAL);
    EXPECT_THAT(portProblemText(problem, pty.slavePath()),
                AllOf(HasSubstr("refused the line settings"), HasSubstr(problem.sErrorText)));
    EXPECT_TRUE(openPort(pty.slavePath(), 9600));
}

TEST(PortProblem, APortAnotherProcessHoldsIsBusyAndTheHolderKeepsIt) {
    TPtyPair pty;
    TOtherHolder other(pty.slavePath());
    ASSERT_TRUE(other.holds());
    TPortProblem problem;
    EXPECT_FALSE(openPort(pty.slavePath(), 9600, problem));
    EXPECT_EQ(problem.cause, TPortCause::busy);
    EXPECT_EQ(problem.step, TPortStep::lock);
    EXPECT_EQ(problem.sCall, "flock");
    EXPECT_EQ(problem.iError, EWOULDBLOCK);
    EXPECT_THAT(portProblemText(problem, pty.slavePath()),
                AllOf(HasSubstr(pty.slavePath()), HasSubstr("in use by another program")));
    other.release();
    EXPECT_TRUE(openPort(pty.slavePath(), 9600)) << "the refused open touched the holder's port";
}

TEST(PortProblem, APortThisProcessHoldsIsBusyToo) {
    TPtyPair pty;
    TPortHandle holder = openPort(pty.slavePath(), 9600);
    ASSERT_TRUE(holder);
    TPortProblem problem;
    EXPECT_FALSE(openPort(pty.slavePath(), 9600, problem));
    EXPECT_EQ(problem.cause, TPortCause::busy);
    // The holder still has its line.
    std::size_t n = 0;
    const std::uint8_t b = 0x81;
    ASSERT_TRUE(holder->write(&b, 1, n));
    EXPECT_EQ(pty.receive(1), std::vector<std::uint8_t>{0x81});
}

// An ordinary user without the device's group is told which group to join.
// The open runs in a child that has given up root.
TEST(PortProblem, PermissionDeniedNamesTheGroupToJoin) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
    // Give our own pseudo-terminal the group of serial devices, as udev
    // does for a USB adapter: rw for owner and group, nothing for others.
    const group* gr = ::getgrnam("dialout");
    if (!gr) GTEST_SKIP() << "no dialout group here";
    const std::string sGroup = gr->gr_name;
    TPtyPair pty;
    ASSERT_EQ(::chown(pty.slavePath().c_str(), 0, gr->gr_gid), 0);
    ASSERT_EQ(::chmod(pty.slavePath().c_str(), 0660), 0);

    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        TPortProblem problem;
        const bool opened = static_cast<bool>(openPort(pty.slavePath(), 9600, problem));
        const std::string text = std::string(1, static_cast<char>('0' + opened)) +
                                 static_cast<char>('0' + static_cast<int>(problem.cause)) +
                                 problem.sGroup + "\n" + portProblemText(problem, pty.slavePath());
        (void)!::write(pipeFds[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string text;
    char buffer[512];
    for (ssize_t r; (r = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, r);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2) GTEST_SKIP() << "cannot drop root here";
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text[0], '0') << "opened without the group";
    EXPECT_EQ(text[1], '0' + static_cast<int>(TPortCause::permission));
    EXPECT_EQ(text.substr(2, text.find('\n') - 2), sGroup);
    EXPECT_THAT(text,
                AllOf(HasSubstr(pty.slavePath()), HasSubstr("\"" + sGroup + "\""),
                      HasSubstr("usermod -aG " + sGroup + " $USER"), HasSubstr("log in again")));
}

// The cause belongs to the session's own open: a port that was busy then
// stays described as busy after the holder let it go, when a second look
// would find it free.
TEST(PortProblem, ASessionWhosePortDoesNotOpenKeepsTheCauseToItsEnd) {
    TPtyPair pty;
    TOtherHolder other(pty.slavePath());
    ASSERT_TRUE(other.holds());
    TNotifyRecorder rec;
    TFWCatalog catalog;
    std::atomic<bool> cancel{false};
    TSessionContext context;
    context.hWindow = &rec;
    context.sPort = pty.slavePath();
    context.catalog = &catalog;
    context.bCancel = &cancel;
    TCommThread session(std::move(context)); // the real serial port
    session.Execute();
    other.release();

    ASSERT_FALSE(rec.all.empty());
    EXPECT_EQ(rec.all.back().kind, cNT_ABORT);
    EXPECT_EQ(rec.all.back().value, cEX_PORT_NOT_READY);
    EXPECT_EQ(session.PortProblem().cause, TPortCause::busy);
    EXPECT_THAT(portProblemText(session.PortProblem(), pty.slavePath()),
                HasSubstr("in use by another program"));

    // A missing port, and an opener that fails without saying why.
    struct TCase {
        std::string sPort;
        TPortOpener opener;
        TPortCause cause;
    };
    const TCase cases[] = {
        {"ttyTARVEK9", {}, TPortCause::missing},
        {"COM5", [](const std::string&, int, TPortProblem&) { return TPortHandle(); },
         TPortCause::osError},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.sPort);
        TNotifyRecorder r;
        TCommThread s({&r, TCmd::tCMD0, c.sPort, &catalog, {}, &cancel, nullptr, c.opener});
        s.Execute();
        ASSERT_EQ(r.all.size(), 1u) << "nothing but the final notification";
        EXPECT_EQ(r.all[0].value, cEX_PORT_NOT_READY);
        EXPECT_EQ(s.PortProblem().cause, c.cause);
        EXPECT_FALSE(portProblemText(s.PortProblem(), c.sPort).empty());
    }
}

TEST(PortProblem, ASessionWhosePortOpensHasNoCause) {
    TPtyPair pty;
    TNotifyRecorder rec;
    TFWCatalog catalog;
    std::atomic<bool> cancel{false};
    TCommThread session({&rec, TCmd::tCMD0, pty.slavePath(), &catalog, {}, &cancel, nullptr, {}});
    session.Execute();
    ASSERT_FALSE(rec.all.empty());
    EXPECT_EQ(rec.all.back().kind, cNT_DONE);
    EXPECT_FALSE(session.PortProblem().failed());
}

} // namespace
