// The executable path record that initialisation fills is what RTPathExecDir answers from.
#include <qrt/err.h>
#include <qrt/path.h>

#include <gtest/gtest.h>

#include <string>

#include "Runtime/common/ldr/ldr-test-util.h"
#include "r3/init-internal.h"

namespace {

TEST(RTR3ExecPath, ExecDirAfterInit) {
    ASSERT_TRUE(tstLdrSetUp()); // initialises the runtime
    ASSERT_EQ(QINF_SUCCESS, rtR3ExecPathEnsure());
    std::string const Dir(g_rtR3ExecPath.szPath, g_rtR3ExecPath.cchDir);
    ASSERT_FALSE(Dir.empty());
    char szDir[4100];
    ASSERT_EQ(QINF_SUCCESS, RTPathExecDir(szDir, sizeof(szDir)));
    EXPECT_EQ(Dir, szDir);
    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTPathExecDir(szDir, Dir.size()));
}

} // namespace
