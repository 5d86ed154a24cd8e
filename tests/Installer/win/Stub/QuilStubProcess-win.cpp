// The verbose run's console: a stream the caller gave a destination (file, pipe, device) keeps
// it; only one without a handle behind it is pointed at the new console.
#include "QuilStubProcess-internal.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>

#include "Runtime/r3/fs-test-util.h"

namespace {

TEST(StubProcessWin, StreamDestination) {
    TstScratchDir Dir;
    FILE *pFile = fopen((Dir / "out.txt").c_str(), "w");
    ASSERT_NE(nullptr, pFile);
    EXPECT_TRUE(StubStreamHasDestination(pFile));
    fclose(pFile);

    int aFds[2];
    ASSERT_EQ(0, _pipe(aFds, 256, _O_BINARY));
    FILE *pPipe = _fdopen(aFds[1], "w");
    ASSERT_NE(nullptr, pPipe);
    EXPECT_TRUE(StubStreamHasDestination(pPipe));
    fclose(pPipe);
    _close(aFds[0]);

    FILE *pNul = fopen("NUL", "w");
    ASSERT_NE(nullptr, pNul);
    EXPECT_TRUE(StubStreamHasDestination(pNul));
    // The same stream once its descriptor has no handle behind it, as a GUI program's
    // streams start out.
    _close(_fileno(pNul));
    EXPECT_FALSE(StubStreamHasDestination(pNul));
    fclose(pNul);
}

} // namespace
