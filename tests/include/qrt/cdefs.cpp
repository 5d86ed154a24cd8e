// The pointer plausibility test: the first and the last 4 KiB of the address space are refused.
#include <qrt/cdefs.h>

#include <gtest/gtest.h>

namespace {

TEST(ValidPtr, RefusesBothEndsOfTheAddressSpace) {
    uintptr_t const uTop = ~(uintptr_t)0;
    struct {
        int iLine;
        uintptr_t uPtr;
        bool fValid;
    } const s_aCases[] = {
        {__LINE__, 0, false},
        {__LINE__, 1, false},
        {__LINE__, 0xfff, false},
        {__LINE__, 0x1000, true},
        {__LINE__, 0x12345678, true},
        {__LINE__, uTop / 2 + 1, true},
        {__LINE__, uTop - 0x1000, true}, // the last byte below the top page
        {__LINE__, uTop - 0xfff, false}, // the top page
        {__LINE__, uTop - 8, false},
        {__LINE__, uTop, false}, // (void *)-1
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(c.fValid, RT_VALID_PTR(reinterpret_cast<const void *>(c.uPtr)));
    }
    int iLocal = 0;
    EXPECT_TRUE(RT_VALID_PTR(&iLocal));
}

} // namespace
