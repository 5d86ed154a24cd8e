// UUID text in plain and braced form.
#include <qrt/err.h>
#include <qrt/uuid.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

TEST(UuidFromStr, FieldsInHostOrderThenBytesInWrittenOrder) {
    RTUUID Uuid;
    ASSERT_EQ(RTUuidFromStr(&Uuid, "03020100-0504-0706-0809-0a0b0c0d0e0f"), QINF_SUCCESS);
    EXPECT_EQ(Uuid.Gen.u32TimeLow, 0x03020100u);
    EXPECT_EQ(Uuid.Gen.u16TimeMid, 0x0504u);
    EXPECT_EQ(Uuid.Gen.u16TimeHiAndVersion, 0x0706u);
    for (unsigned i = 8; i < 16; i++) EXPECT_EQ(Uuid.au8[i], i);
    // Both builds run on little-endian hosts, where the three fields read back as bytes 0 to 7.
    for (unsigned i = 0; i < 8; i++) EXPECT_EQ(Uuid.au8[i], i);
}

TEST(UuidFromStr, ValidForms) {
    static const char *const s_apsz[] = {
        "c0ffee00-1234-5678-9abc-def012345678",
        "C0FFEE00-1234-5678-9ABC-DEF012345678",
        "{c0ffee00-1234-5678-9abc-def012345678}",
        "{C0ffEE00-1234-5678-9aBc-DeF012345678}",
    };
    for (const char *psz : s_apsz) {
        RTUUID Uuid;
        memset(&Uuid, 0, sizeof(Uuid));
        ASSERT_EQ(RTUuidFromStr(&Uuid, psz), QINF_SUCCESS) << psz;
        EXPECT_EQ(Uuid.Gen.u32TimeLow, 0xc0ffee00u) << psz;
        EXPECT_EQ(Uuid.Gen.u16TimeMid, 0x1234u) << psz;
        EXPECT_EQ(Uuid.Gen.u16TimeHiAndVersion, 0x5678u) << psz;
        EXPECT_EQ(Uuid.Gen.u8ClockSeqHiAndReserved, 0x9au) << psz;
        EXPECT_EQ(Uuid.Gen.u8ClockSeqLow, 0xbcu) << psz;
        static const uint8_t s_abNode[6] = {0xde, 0xf0, 0x12, 0x34, 0x56, 0x78};
        EXPECT_EQ(0, memcmp(Uuid.Gen.au8Node, s_abNode, 6)) << psz;
    }
}

TEST(UuidFromStr, MalformedTextLeavesRecordUntouched) {
    static const char *const s_apsz[] = {
        "",
        "{}",
        "c0ffee00-1234-5678-9abc-def01234567",   // 35 characters
        "c0ffee00-1234-5678-9abc-def0123456789", // 37
        "c0ffee00-1234-5678-9abc-def012345678 ", // trailing blank
        " c0ffee00-1234-5678-9abc-def012345678", // leading blank
        "{c0ffee00-1234-5678-9abc-def012345678", // no closing brace
        "c0ffee00-1234-5678-9abc-def012345678}", // no opening brace
        "{c0ffee00-1234-5678-9abc-def012345678}x",
        "{c0ffee00-1234-5678-9abc-def012345678} ",
        "(c0ffee00-1234-5678-9abc-def012345678)",
        "c0ffee0-01234-5678-9abc-def012345678", // dash one early
        "c0ffee00-1234-5678-9abc-def01234567g", // not hex
        "c0ffee00+1234-5678-9abc-def012345678",
        "c0ffee00-1234-5678-9abc_def012345678",
        "c0ffee001234-5678-9abc-def012345678",
        "c0ffee00-1234-5678-9abc-de-012345678",
        "c0ffee00123456789abcdef012345678", // no dashes
        "c0ffee00-1234-5678-9abc-def0123\xC3\xA9"
        "678",
    };
    for (const char *psz : s_apsz) {
        RTUUID Uuid;
        memset(&Uuid, 0xa5, sizeof(Uuid));
        EXPECT_EQ(RTUuidFromStr(&Uuid, psz), QERR_INVALID_UUID_FORMAT) << psz;
        for (uint8_t b : Uuid.au8) EXPECT_EQ(b, 0xa5) << psz;
    }
}

TEST(UuidFromStr, AbsentArguments) {
    RTUUID Uuid;
    EXPECT_EQ(RTUuidFromStr(NULL, "c0ffee00-1234-5678-9abc-def012345678"), QERR_INVALID_PARAMETER);
    EXPECT_EQ(RTUuidFromStr(&Uuid, NULL), QERR_INVALID_PARAMETER);
}

} // namespace
