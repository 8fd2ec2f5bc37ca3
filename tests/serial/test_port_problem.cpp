// The operator's explanation of a port that does not open.
#include "pty_pair.h"
#include "serial/uRS232.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

using ::testing::AllOf;
using ::testing::HasSubstr;

namespace {

TEST(PortProblem, NoneForAPortThatOpensAndItIsNotKept) {
    TPtyPair pty;
    EXPECT_EQ(explainPortProblem(pty.slavePath()), "");
    EXPECT_TRUE(openPort(pty.slavePath(), 9600));
}

TEST(PortProblem, NamesTheCauseAndTheRemedy) {
    EXPECT_THAT(explainPortProblem("ttyTARVEK9"),
                AllOf(HasSubstr("\"/dev/ttyTARVEK9\""), HasSubstr("does not exist"),
                      HasSubstr("cable"), HasSubstr("another port")));
    EXPECT_THAT(explainPortProblem("/dev/null"),
                AllOf(HasSubstr("\"/dev/null\""), HasSubstr("is not a serial port")));
    EXPECT_THAT(explainPortProblem(""), HasSubstr("No serial port is chosen"));
}

TEST(PortProblem, BusyPortIsInUseAndTheHolderKeepsIt) {
    TPtyPair pty;
    TPortHandle holder = openPort(pty.slavePath(), 9600);
    ASSERT_TRUE(holder);
    EXPECT_THAT(explainPortProblem(pty.slavePath()),
                AllOf(HasSubstr(pty.slavePath()), HasSubstr("in use by another program")));
    std::size_t n = 0;
    const std::uint8_t b = 0x81;
    ASSERT_TRUE(holder->write(&b, 1, n));
    EXPECT_EQ(pty.receive(1), std::vector<std::uint8_t>{0x81});
}

// An ordinary user without the device's group is told which group to join.
// Runs the explanation in a child that has given up root.
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
        const std::string text = explainPortProblem(pty.slavePath());
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
    EXPECT_THAT(text,
                AllOf(HasSubstr(pty.slavePath()), HasSubstr("\"" + sGroup + "\""),
                      HasSubstr("usermod -aG " + sGroup + " $USER"), HasSubstr("log in again")));
}

} // namespace
