// The memory layer: zeroing, rounding, resizing, freeing across allocators, and the
// out-of-memory test hook.
#include <qrt/mem.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(MemAlloc, BlocksAreUsableAndZeroSizeIsUnique) {
    void *pv1 = RTMemAlloc(0);
    void *pv2 = RTMemAlloc(0);
    ASSERT_NE(nullptr, pv1);
    ASSERT_NE(nullptr, pv2);
    EXPECT_NE(pv1, pv2);
    RTMemFree(pv1);
    RTMemFree(pv2);
    char *pb = (char *)RTMemAlloc(100);
    ASSERT_NE(nullptr, pb);
    memset(pb, 1, 100);
    RTMemFree(pb);
    RTMemFree(nullptr);
}

TEST(MemAllocZ, Zeroed) {
    unsigned char *pb = (unsigned char *)RTMemAllocZ(333);
    ASSERT_NE(nullptr, pb);
    for (size_t i = 0; i < 333; i++) ASSERT_EQ(0, pb[i]);
    RTMemFree(pb);
}

TEST(MemAllocZRounded, RoundsByFourBelowSixteenElseBySixteen) {
    const size_t aCases[][2] = {{1, 4}, {4, 4}, {5, 8}, {13, 16}, {15, 16}, {16, 16}, {17, 32}, {33, 48}};
    for (const auto &c : aCases) {
        unsigned char *pb = (unsigned char *)RTMemAllocZRounded(c[0]);
        ASSERT_NE(nullptr, pb);
        for (size_t i = 0; i < c[1]; i++) EXPECT_EQ(0, pb[i]) << c[0]; // the whole rounded size
        RTMemFree(pb);
    }
}

TEST(MemAllocZRounded, SizesNearTheTopFailInsteadOfWrapping) {
    EXPECT_EQ(nullptr, RTMemAllocZRounded(~(size_t)0));
    EXPECT_EQ(nullptr, RTMemAllocZRounded(~(size_t)0 - 3));
}

TEST(MemRealloc, KeepsContentsAndFailureLeavesOldBlock) {
    char *pb = (char *)RTMemRealloc(nullptr, 4);
    ASSERT_NE(nullptr, pb);
    memcpy(pb, "abc", 4);
    pb = (char *)RTMemRealloc(pb, 4096);
    ASSERT_NE(nullptr, pb);
    EXPECT_STREQ("abc", pb);
    RTMemTestFailAfter(1);
    EXPECT_EQ(nullptr, RTMemRealloc(pb, 8192));
    EXPECT_STREQ("abc", pb);
    void *pvSmall = RTMemRealloc(pb, 0); // a unique minimal block, not a freed pointer
    ASSERT_NE(nullptr, pvSmall);
    RTMemFree(pvSmall);
}

TEST(MemTmp, AllocAndFree) {
    char *pb = (char *)RTMemTmpAlloc(64);
    ASSERT_NE(nullptr, pb);
    memset(pb, 7, 64);
    RTMemTmpFree(pb);
    RTMemTmpFree(nullptr);
    unsigned char *pbZ = (unsigned char *)RTMemTmpAllocZ(8);
    ASSERT_NE(nullptr, pbZ);
    EXPECT_EQ(0, pbZ[7]);
    RTMemTmpFree(pbZ);
}

TEST(MemFree, AnyFreeTakesAnyBlock) {
    RTStrFree((char *)RTMemTmpAlloc(8));
    RTUtf16Free((RTUTF16 *)RTMemAlloc(8));
    RTMemTmpFree(RTStrDup("x"));
    RTMemFree(RTUtf16Alloc(8));
}

TEST(MemDup, Copies) {
    const char ab[] = {1, 2, 3};
    char *pb = (char *)RTMemDup(ab, sizeof(ab));
    ASSERT_NE(nullptr, pb);
    EXPECT_EQ(0, memcmp(ab, pb, 3));
    RTMemFree(pb);
}

TEST(MemTestFailAfter, CountsAllocationsThenDisarms) {
    RTMemTestFailAfter(3);
    void *pv1 = RTMemAlloc(1);
    void *pv2 = RTMemAllocZ(1);
    void *pv3 = RTMemTmpAlloc(1);
    void *pv4 = RTMemAlloc(1);
    EXPECT_NE(nullptr, pv1);
    EXPECT_NE(nullptr, pv2);
    EXPECT_EQ(nullptr, pv3);
    EXPECT_NE(nullptr, pv4) << "the hook fires once";
    RTMemFree(pv1);
    RTMemFree(pv2);
    RTMemFree(pv4);
}

} // namespace
