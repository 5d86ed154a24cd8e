// Process-wide system facts shared by the system queries, the clock and initialisation.
#pragma once

#include <qrt/types.h>

// The fields of the platform's version information that the runtime uses. cbFilled is the size
// of the platform structure as it was filled (284 for the extended form, 276 for the short one,
// 0 when no query succeeded: then every other field is 0 too).
typedef struct RTSYSVERSIONREC {
    uint32_t cbFilled;
    uint32_t uMajor;
    uint32_t uMinor;
    uint32_t uBuild;
    uint32_t uPlatformId; // 1 for the Windows 9x family, 2 for the NT family
    uint8_t bProductType; // 1 workstation, 2 domain controller, 3 server
} RTSYSVERSIONREC;

// Windows OS type codes, computed once from the version record. Codes above
// RTSYSOSTYPE_NT310 belong to the NT family.
enum RTSYSOSTYPE : uint32_t {
    RTSYSOSTYPE_UNKNOWN = 0,
    RTSYSOSTYPE_WIN95 = 1,
    RTSYSOSTYPE_WIN95_SP1 = 2,
    RTSYSOSTYPE_WIN95_OSR2 = 3,
    RTSYSOSTYPE_WIN98 = 4,
    RTSYSOSTYPE_WIN98_SP1 = 5,
    RTSYSOSTYPE_WIN98_SE = 6,
    RTSYSOSTYPE_WINME = 7,
    RTSYSOSTYPE_NT310 = 100,
    RTSYSOSTYPE_NT350 = 101,
    RTSYSOSTYPE_NT351 = 102,
    RTSYSOSTYPE_NT4 = 103,
    RTSYSOSTYPE_W2K = 104,
    RTSYSOSTYPE_XP = 105,
    RTSYSOSTYPE_2003 = 107,
    RTSYSOSTYPE_VISTA = 108,
    RTSYSOSTYPE_2008 = 109,
    RTSYSOSTYPE_W7 = 110,
    RTSYSOSTYPE_2008R2 = 111,
    RTSYSOSTYPE_W8 = 112,
    RTSYSOSTYPE_2012 = 113,
    RTSYSOSTYPE_W81 = 114,
    RTSYSOSTYPE_2012R2 = 115,
    RTSYSOSTYPE_W10 = 116,
    RTSYSOSTYPE_2016 = 117,
    RTSYSOSTYPE_2019 = 118,
    RTSYSOSTYPE_2022 = 119,
    RTSYSOSTYPE_W11 = 120,
    RTSYSOSTYPE_NT_UNKNOWN = 199,
};

// The OS type of a version record (pure; an empty record gives RTSYSOSTYPE_UNKNOWN).
RTSYSOSTYPE rtSystemClassifyVersion(const RTSYSVERSIONREC *pRec);

// Fills the process-wide version record and OS type from the platform, once; later calls do
// nothing. Process initialisation calls it; the queries call it too, so they work before.
void rtSystemInitVersion(void);
// The process-wide record (filled first when it was not yet).
const RTSYSVERSIONREC *rtSystemGetVersionRec(void);
// The process-wide OS type (the record is filled first when it was not yet).
RTSYSOSTYPE rtSystemGetOsType(void);

// Platform backend: fills *pRec from the platform's version queries, all zeros when none
// succeeds. Called once by rtSystemInitVersion.
void rtSystemQueryVersion(RTSYSVERSIONREC *pRec);

// Records the process identifier; initialisation calls it, RTProcSelf does on first use.
void rtProcInitSelf(void);
