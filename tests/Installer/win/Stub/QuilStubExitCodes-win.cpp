// The exit codes reach a caller in full: a script reading the process's exit code sees 3010,
// not its low byte.
#include "QuilStubExitCodes.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(StubExitCodesWinDeathTest, ReachTheCallerInFull) {
    const struct {
        int iLine;
        int iCode;
        int iSeen;
    } aCases[] = {
        {__LINE__, QUILSTUB_EXIT_SUCCESS, 0},
        {__LINE__, QUILSTUB_EXIT_FAILURE, 1},
        {__LINE__, QUILSTUB_EXIT_SYNTAX_ERROR, 2},
        {__LINE__, QUILSTUB_EXIT_INIT_FAILURE, 3},
        {__LINE__, QUILSTUB_EXIT_REBOOT_REQUIRED, 3010},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EXIT(std::exit(c.iCode), testing::ExitedWithCode(c.iSeen), "");
    }
}

} // namespace
