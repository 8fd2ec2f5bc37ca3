// Exit status and result word for every way the last session can end.
#include "cli/exitCodes.h"
#include "session/uExceptions1V0.h"

#include <gtest/gtest.h>

namespace {

struct ExitCase {
    TNotification final;
    bool infoOnly;
    int exit;
    const char* result;
};

class ExitCodes : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitCodes, MapTheFinalNotification) {
    const auto& c = GetParam();
    EXPECT_EQ(exitCodeFor(c.final, c.infoOnly), c.exit);
    EXPECT_EQ(resultName(c.final, c.infoOnly), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExitCodes,
    ::testing::Values(ExitCase{{cNT_DONE, 0}, false, 0, "done"},
                      // Read-info-only succeeds when the image was chosen, and only then.
                      ExitCase{{cNT_ABORT, cEX_INFO_ONLY}, true, 0, "info"},
                      ExitCase{{cNT_ABORT, cEX_UPID_MISMATCH}, true, 47, "abort"},
                      ExitCase{{cNT_DONE, 0}, true, 1, "error"},
                      ExitCase{{cNT_ABORT, cEX_INFO_ONLY}, false, 1, "error"},
                      ExitCase{{cNT_ABORT, cEX_PORT_NOT_READY}, false, 10, "abort"},
                      ExitCase{{cNT_ABORT, cEX_PORT_IO}, false, 11, "abort"},
                      ExitCase{{cNT_ABORT, cEX_CANCELLED}, false, 20, "cancelled"},
                      ExitCase{{cNT_ABORT, cEX_CANCELLED}, true, 20, "cancelled"},
                      ExitCase{{cNT_ABORT, cEX_NO_UPDATE}, false, 40, "abort"},
                      ExitCase{{cNT_ABORT, cEX_LOGGER_NOT_READY}, false, 41, "abort"},
                      ExitCase{{cNT_ABORT, cEX_LAST_LINE}, false, 42, "abort"},
                      ExitCase{{cNT_ABORT, cEX_CONVERSION}, false, 43, "abort"},
                      ExitCase{{cNT_ABORT, cEX_PROG_REPEAT}, false, 44, "abort"},
                      ExitCase{{cNT_ABORT, cEX_UPDATE_FAILED}, false, 45, "abort"},
                      ExitCase{{cNT_ABORT, cEX_INVALID_ANSWER}, false, 46, "abort"},
                      ExitCase{{cNT_ABORT, cEX_UPID_MISMATCH}, false, 47, "abort"},
                      // Communication errors reach the end only once no restart is left.
                      ExitCase{{cNT_REPEAT_COMM, 0}, false, 30, "comm_error"},
                      ExitCase{{cNT_REPEAT_COMM, 0}, true, 30, "comm_error"},
                      // Reason 0 (not an EVorn) and reasons the session never raises.
                      ExitCase{{cNT_ABORT, 0}, false, 1, "error"},
                      ExitCase{{cNT_ABORT, cEX_COMM_ERROR}, false, 1, "error"},
                      ExitCase{{cNT_ABORT, 48}, false, 1, "error"},
                      ExitCase{{cNT_ABORT, -1}, false, 1, "error"},
                      ExitCase{{cNT_PROGRESS, 5}, false, 1, "error"}));

} // namespace
