// The logger's three settings texts: group settings, flags and destinations.
#include <string.h>

#include <qrt/log.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/strtonum.h>

#include "common/log/log-internal.h"

static bool rtLogIsBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\v' || ch == '\f';
}

static bool rtLogIsAlnum(char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
}

// Past the blanks and ";" that separate flags and destination keywords.
static const char *rtLogSkipSeparators(const char *psz) {
    while (rtLogIsBlank(*psz) || *psz == ';') psz++;
    return psz;
}

static char rtLogUpper(char ch) {
    return ch >= 'a' && ch <= 'z' ? (char)(ch - 'a' + 'A') : ch;
}

//
// Group settings.
//

bool rtlogMatchGroupPattern(const char *pchPattern, size_t cchPattern, const char *pszName) {
    if (!RT_VALID_PTR(pszName)) return false;
    // Greedy with one resumption point: after a mismatch the last star takes one more
    // character. Earlier stars never need to give any back, so this stays O(name x pattern).
    size_t iPattern = 0;
    const char *pszCur = pszName;
    size_t iStar = SIZE_MAX;
    const char *pszAfterStar = NULL;
    while (*pszCur) {
        if (iPattern < cchPattern && pchPattern[iPattern] == '*') {
            iStar = iPattern++;
            pszAfterStar = pszCur;
        } else if (iPattern < cchPattern && rtLogUpper(pchPattern[iPattern]) == rtLogUpper(*pszCur)) {
            iPattern++;
            pszCur++;
        } else if (iStar != SIZE_MAX) {
            iPattern = iStar + 1;
            pszCur = ++pszAfterStar;
        } else
            return false;
    }
    while (iPattern < cchPattern && pchPattern[iPattern] == '*') iPattern++;
    return iPattern == cchPattern;
}

static const struct {
    const char *pszName;
    uint32_t fFlags;
} g_aLogGroupFlags[] = {
    {"eo", RTLOGGRPFLAGS_ENABLED},
    {"enabledonly", RTLOGGRPFLAGS_ENABLED},
    {"e", RTLOGGRPFLAGS_ENABLED | RTLOGGRPFLAGS_LEVEL_1 | RTLOGGRPFLAGS_WARN},
    {"enabled", RTLOGGRPFLAGS_ENABLED | RTLOGGRPFLAGS_LEVEL_1 | RTLOGGRPFLAGS_WARN},
    {"l1", RTLOGGRPFLAGS_LEVEL_1},
    {"level1", RTLOGGRPFLAGS_LEVEL_1},
    {"l", RTLOGGRPFLAGS_LEVEL_2},
    {"l2", RTLOGGRPFLAGS_LEVEL_2},
    {"level2", RTLOGGRPFLAGS_LEVEL_2},
    {"f", RTLOGGRPFLAGS_FLOW},
    {"flow", RTLOGGRPFLAGS_FLOW},
    {"w", RTLOGGRPFLAGS_WARN},
    {"warn", RTLOGGRPFLAGS_WARN},
    {"warning", RTLOGGRPFLAGS_WARN},
    {"restrict", RTLOGGRPFLAGS_RESTRICT},
};

// The value of a group-flag keyword (cch characters, any case); 0 when unknown.
static uint32_t rtLogGroupFlagKeyword(const char *pch, size_t cch) {
    for (size_t i = 0; i < RT_ELEMENTS(g_aLogGroupFlags); i++) {
        const char *pszName = g_aLogGroupFlags[i].pszName;
        size_t j = 0;
        while (j < cch && pszName[j] && rtLogUpper(pch[j]) == rtLogUpper(pszName[j])) j++;
        if (j == cch && !pszName[j]) return g_aLogGroupFlags[i].fFlags;
    }
    // "l3" to "l12" and "level3" to "level12".
    size_t cchPrefix = cch > 5 && rtLogUpper(pch[1]) == 'E' ? 5 : 1;
    if (cch <= cchPrefix || cch > cchPrefix + 2 || rtLogUpper(pch[0]) != 'L') return 0;
    if (cchPrefix == 5 && !(rtLogUpper(pch[2]) == 'V' && rtLogUpper(pch[3]) == 'E' && rtLogUpper(pch[4]) == 'L'))
        return 0;
    unsigned uLevel = 0;
    for (size_t j = cchPrefix; j < cch; j++) {
        if (pch[j] < '0' || pch[j] > '9') return 0;
        uLevel = uLevel * 10 + (unsigned)(pch[j] - '0');
    }
    return uLevel >= 3 && uLevel <= 12 ? RTLOGGRPFLAGS_LEVEL_1 << (uLevel - 1) : 0;
}

// Parses the flags after a pattern: ".kw.kw..." ORed, "=n" or "=~n". Returns false when there
// are none (the instruction then means enabled and level 1).
static bool rtLogParseGroupFlags(const char *pch, size_t cch, uint32_t *pfFlags, bool *pfAssign) {
    *pfFlags = 0;
    *pfAssign = false;
    if (cch == 0) return false;
    if (*pch == '=') {
        char szNum[64];
        size_t off = 1;
        bool fComplement = off < cch && pch[off] == '~';
        if (fComplement) off++;
        size_t const cchNum = RT_MIN(cch - off, sizeof(szNum) - 1);
        memcpy(szNum, &pch[off], cchNum);
        szNum[cchNum] = '\0';
        uint32_t const uValue = (uint32_t)RTStrToInt32(szNum);
        *pfFlags = fComplement ? ~uValue : uValue;
        *pfAssign = true;
        return true;
    }
    size_t off = 0;
    while (off < cch) {
        if (pch[off] != '.') {
            off++; // not understood: skipped
            continue;
        }
        while (off < cch && pch[off] == '.') off++;
        size_t const offKeyword = off;
        while (off < cch && rtLogIsAlnum(pch[off])) off++;
        *pfFlags |= rtLogGroupFlagKeyword(&pch[offKeyword], off - offKeyword);
    }
    return true;
}

// One instruction: "all", "all.flags", "all=n", "pattern", "pattern.flags", "pattern=n".
static void rtLogGroupInstruction(RTLOGGER *pLogger, const char *pch, size_t cch, bool fEnable) {
    size_t cchPattern = 0;
    while (cchPattern < cch && pch[cchPattern] != '.' && pch[cchPattern] != '=') cchPattern++;
    bool const fAll =
        cchPattern == 3 && rtLogUpper(pch[0]) == 'A' && rtLogUpper(pch[1]) == 'L' && rtLogUpper(pch[2]) == 'L';
    uint32_t fFlags;
    bool fAssign;
    if (!rtLogParseGroupFlags(&pch[cchPattern], cch - cchPattern, &fFlags, &fAssign))
        fFlags = RTLOGGRPFLAGS_ENABLED | RTLOGGRPFLAGS_LEVEL_1;
    const char *const *papszGroups = pLogger->pInt->papszGroups;
    for (uint32_t i = 0; i < pLogger->cGroups; i++) {
        if (!fAll && !rtlogMatchGroupPattern(pch, cchPattern, papszGroups[i])) continue;
        if (!fEnable)
            pLogger->afGroups[i] &= ~fFlags;
        else if (fAssign)
            pLogger->afGroups[i] = fFlags;
        else
            pLogger->afGroups[i] |= fFlags;
    }
}

int RTLogGroupSettings(PRTLOGGER pLoggerArg, const char *pszValue) {
    RTLOGGER *pLogger = rtlogResolve(pLoggerArg);
    if (!pLogger || !RT_VALID_PTR(pszValue)) return QINF_SUCCESS;
    const char *psz = pszValue;
    for (;;) {
        bool fEnable = true;
        while (*psz == '+' || *psz == '-' || *psz == ';' || rtLogIsBlank(*psz)) {
            if (*psz == '-')
                fEnable = false;
            else if (*psz == '+' || *psz == ';')
                fEnable = true;
            psz++;
        }
        if (!*psz) break;
        const char *pszStart = psz;
        while (*psz && !rtLogIsBlank(*psz) && *psz != '+' && *psz != '-' && *psz != ';') psz++;
        rtLogGroupInstruction(pLogger, pszStart, (size_t)(psz - pszStart), fEnable);
    }
    return QINF_SUCCESS;
}

//
// Flags.
//

// In table order: the first keyword that starts the text wins, so the longer of two keywords
// with a common start comes first ("timeprog" before "time", "tsc" before "ts").
static const struct {
    const char *pszName;
    uint8_t cchName;
    bool fClears; // the keyword clears the flag in its positive sense
    uint32_t fFlag;
} g_aLogFlags[] = {
    {RT_STR_TUPLE("disabled"), false, RTLOGFLAGS_DISABLED},
    {RT_STR_TUPLE("enabled"), true, RTLOGFLAGS_DISABLED},
    {RT_STR_TUPLE("buffered"), false, RTLOGFLAGS_BUFFERED},
    {RT_STR_TUPLE("unbuffered"), true, RTLOGFLAGS_BUFFERED},
    {RT_STR_TUPLE("usecrlf"), false, RTLOGFLAGS_USECRLF},
    {RT_STR_TUPLE("uself"), true, RTLOGFLAGS_USECRLF},
    {RT_STR_TUPLE("append"), false, RTLOGFLAGS_APPEND},
    {RT_STR_TUPLE("overwrite"), true, RTLOGFLAGS_APPEND},
    {RT_STR_TUPLE("rel"), false, RTLOGFLAGS_REL_TS},
    {RT_STR_TUPLE("abs"), true, RTLOGFLAGS_REL_TS},
    {RT_STR_TUPLE("dec"), false, RTLOGFLAGS_DECIMAL_TS},
    {RT_STR_TUPLE("hex"), true, RTLOGFLAGS_DECIMAL_TS},
    {RT_STR_TUPLE("writethru"), false, RTLOGFLAGS_WRITE_THROUGH},
    {RT_STR_TUPLE("writethrough"), false, RTLOGFLAGS_WRITE_THROUGH},
    {RT_STR_TUPLE("flush"), false, RTLOGFLAGS_FLUSH},
    {RT_STR_TUPLE("lockcnts"), false, RTLOGFLAGS_PREFIX_LOCK_COUNTS},
    {RT_STR_TUPLE("cpuid"), false, RTLOGFLAGS_PREFIX_CPUID},
    {RT_STR_TUPLE("pid"), false, RTLOGFLAGS_PREFIX_PID},
    {RT_STR_TUPLE("flagno"), false, RTLOGFLAGS_PREFIX_FLAG_NO},
    {RT_STR_TUPLE("flag"), false, RTLOGFLAGS_PREFIX_FLAG},
    {RT_STR_TUPLE("groupno"), false, RTLOGFLAGS_PREFIX_GROUP_NO},
    {RT_STR_TUPLE("group"), false, RTLOGFLAGS_PREFIX_GROUP},
    {RT_STR_TUPLE("tid"), false, RTLOGFLAGS_PREFIX_TID},
    {RT_STR_TUPLE("thread"), false, RTLOGFLAGS_PREFIX_THREAD},
    {RT_STR_TUPLE("custom"), false, RTLOGFLAGS_PREFIX_CUSTOM},
    {RT_STR_TUPLE("timeprog"), false, RTLOGFLAGS_PREFIX_TIME_PROG},
    {RT_STR_TUPLE("time"), false, RTLOGFLAGS_PREFIX_TIME},
    {RT_STR_TUPLE("msprog"), false, RTLOGFLAGS_PREFIX_MS_PROG},
    {RT_STR_TUPLE("tsc"), false, RTLOGFLAGS_PREFIX_TSC},
    {RT_STR_TUPLE("ts"), false, RTLOGFLAGS_PREFIX_TS},
};

int RTLogFlags(PRTLOGGER pLoggerArg, const char *pszValue) {
    RTLOGGER *pLogger = rtlogResolve(pLoggerArg);
    if (!pLogger || !RT_VALID_PTR(pszValue)) return QINF_SUCCESS;
    const char *psz = pszValue;
    while (*(psz = rtLogSkipSeparators(psz))) {
        bool fInverted = false;
        for (;;) {
            if (psz[0] == 'n' && psz[1] == 'o') {
                fInverted = !fInverted;
                psz += 2;
            } else if (*psz == '-' || *psz == '!' || *psz == '~') {
                fInverted = !fInverted;
                psz++;
            } else if (*psz == '+') {
                fInverted = false;
                psz++;
            } else
                break;
        }
        size_t i = 0;
        while (i < RT_ELEMENTS(g_aLogFlags) && strncmp(psz, g_aLogFlags[i].pszName, g_aLogFlags[i].cchName) != 0) i++;
        if (i == RT_ELEMENTS(g_aLogFlags)) {
            if (*psz) psz++; // not understood: skipped a character at a time
            continue;
        }
        psz += g_aLogFlags[i].cchName;
        if (g_aLogFlags[i].fFlag == RTLOGFLAGS_APPEND && (pLogger->fDestFlags & RTLOGDEST_FIXED_FILE)) continue;
        if (fInverted == g_aLogFlags[i].fClears)
            pLogger->fFlags |= g_aLogFlags[i].fFlag;
        else
            pLogger->fFlags &= ~g_aLogFlags[i].fFlag;
    }
    return QINF_SUCCESS;
}

//
// Destinations.
//

typedef enum RTLOGDESTKW {
    RTLOGDESTKW_FILE,
    RTLOGDESTKW_DIR,
    RTLOGDESTKW_HISTORY,
    RTLOGDESTKW_HISTSIZE,
    RTLOGDESTKW_HISTTIME,
    RTLOGDESTKW_RINGBUF,
    RTLOGDESTKW_OTHER,
} RTLOGDESTKW;

static const struct {
    const char *pszName;
    uint8_t cchName;
    uint8_t enmKind; // RTLOGDESTKW
    uint32_t fFlag;
} g_aLogDsts[] = {
    {RT_STR_TUPLE("file"), RTLOGDESTKW_FILE, RTLOGDEST_FILE},
    {RT_STR_TUPLE("dir"), RTLOGDESTKW_DIR, RTLOGDEST_FILE},
    {RT_STR_TUPLE("history"), RTLOGDESTKW_HISTORY, 0},
    {RT_STR_TUPLE("histsize"), RTLOGDESTKW_HISTSIZE, 0},
    {RT_STR_TUPLE("histtime"), RTLOGDESTKW_HISTTIME, 0},
    {RT_STR_TUPLE("ringbuf"), RTLOGDESTKW_RINGBUF, RTLOGDEST_RINGBUF},
    {RT_STR_TUPLE("stdout"), RTLOGDESTKW_OTHER, RTLOGDEST_STDOUT},
    {RT_STR_TUPLE("stderr"), RTLOGDESTKW_OTHER, RTLOGDEST_STDERR},
    {RT_STR_TUPLE("debugger"), RTLOGDESTKW_OTHER, RTLOGDEST_DEBUGGER},
    {RT_STR_TUPLE("com"), RTLOGDESTKW_OTHER, RTLOGDEST_COM},
    {RT_STR_TUPLE("nodeny"), RTLOGDESTKW_OTHER, RTLOGDEST_F_NO_DENY},
    {RT_STR_TUPLE("user"), RTLOGDESTKW_OTHER, RTLOGDEST_USER},
};

// Finds the keyword that starts psz, after an optional "no" ("nodeny" is a keyword of its
// own). Returns its index or SIZE_MAX; *pfNo and *pcch tell what was read.
static size_t rtLogDestKeyword(const char *psz, bool *pfNo, size_t *pcch) {
    bool const fNo = psz[0] == 'n' && psz[1] == 'o' && strncmp(psz, "nodeny", 6) != 0;
    const char *pszKeyword = fNo ? psz + 2 : psz;
    for (size_t i = 0; i < RT_ELEMENTS(g_aLogDsts); i++)
        if (!strncmp(pszKeyword, g_aLogDsts[i].pszName, g_aLogDsts[i].cchName)) {
            *pfNo = fNo;
            *pcch = (size_t)(pszKeyword - psz) + g_aLogDsts[i].cchName;
            return i;
        }
    return SIZE_MAX;
}

// Whether a value ends before psz: another whole keyword (followed by a blank, ";", "=",
// ":" or the end) starts there. Part of a path such as "dir\x" or "files" is no keyword.
static bool rtLogDestKeywordFollows(const char *psz) {
    bool fNo;
    size_t cch;
    if (rtLogDestKeyword(psz, &fNo, &cch) == SIZE_MAX) return false;
    char const ch = psz[cch];
    return !ch || rtLogIsBlank(ch) || ch == ';' || ch == '=' || ch == ':';
}

// A number value in base 0, at most uMax. Conversion failures are returned; a number that
// does not fit (or a negative one) is QERR_OUT_OF_RANGE.
static int rtLogDestNumber(const char *pchValue, size_t cchValue, uint64_t uMax, uint64_t *puValue) {
    char szNum[64];
    if (cchValue >= sizeof(szNum)) return QERR_OUT_OF_RANGE;
    memcpy(szNum, pchValue, cchValue);
    szNum[cchValue] = '\0';
    uint64_t uValue = 0;
    int rc = RTStrToUInt64Full(szNum, 0, &uValue);
    if (RT_FAILURE(rc)) return rc;
    if (rc != QINF_SUCCESS || uValue > uMax) return QERR_OUT_OF_RANGE;
    *puValue = uValue;
    return QINF_SUCCESS;
}

uint32_t rtlogRingBufSizeFromValue(uint64_t cbValue) {
    if (cbValue == 0) return RTLOG_RINGBUF_DEFAULT_SIZE;
    if (cbValue < RTLOG_RINGBUF_MIN_SIZE) return RTLOG_RINGBUF_MIN_SIZE;
    if (cbValue > RTLOG_RINGBUF_MAX_SIZE) return RTLOG_RINGBUF_MAX_SIZE;
    return (uint32_t)RT_ALIGN_Z(cbValue, 64);
}

// (Re)allocates a created instance's ring buffer under its lock.
static int rtLogDestRingBufApply(RTLOGGER *pLogger) {
    int rc = rtlogLock(pLogger);
    if (RT_SUCCESS(rc)) {
        rc = rtlogRingBufAlloc(pLogger);
        rtlogUnlock(pLogger);
    }
    return rc;
}

// Applies a keyword's value (cchValue characters at pchValue).
static int rtLogDestValue(RTLOGGER *pLogger, RTLOGDESTKW enmKind, bool fNo, const char *pchValue, size_t cchValue) {
    RTLOGGERINTERNAL *pInt = pLogger->pInt;
    uint64_t uValue = 0;
    int rc;
    switch (enmKind) {
    case RTLOGDESTKW_FILE:
        if (fNo) return QERR_INVALID_PARAMETER;
        if (cchValue >= sizeof(pInt->szFilename)) return QERR_OUT_OF_RANGE;
        if (!(pLogger->fDestFlags & RTLOGDEST_FIXED_FILE)) {
            memcpy(pInt->szFilename, pchValue, cchValue);
            pInt->szFilename[cchValue] = '\0';
        }
        return QINF_SUCCESS;

    case RTLOGDESTKW_DIR: {
        if (fNo) return QERR_INVALID_PARAMETER;
        const char *pszName = RTPathFilename(pInt->szFilename);
        size_t const cchName = pszName ? strlen(pszName) : 0;
        if (cchValue + 1 + cchName >= sizeof(pInt->szFilename)) return QERR_OUT_OF_RANGE;
        if (!(pLogger->fDestFlags & RTLOGDEST_FIXED_DIR)) {
            memmove(&pInt->szFilename[cchValue + 1], pszName ? pszName : "", cchName + 1);
            memcpy(pInt->szFilename, pchValue, cchValue);
            pInt->szFilename[cchValue] = '/';
        }
        return QINF_SUCCESS;
    }

    case RTLOGDESTKW_HISTORY:
        if (fNo) {
            pInt->cHistory = 0;
            return QINF_SUCCESS;
        }
        rc = rtLogDestNumber(pchValue, cchValue, RTLOG_MAX_HISTORY, &uValue);
        if (RT_SUCCESS(rc)) pInt->cHistory = (uint32_t)uValue;
        return rc;

    case RTLOGDESTKW_HISTSIZE:
        // 0 and the "no" form mean no limit (a limit of 0 would rotate on every flush).
        if (!fNo) {
            rc = rtLogDestNumber(pchValue, cchValue, UINT64_MAX, &uValue);
            if (RT_FAILURE(rc)) return rc;
        }
        pInt->cbHistoryFileMax = uValue ? uValue : UINT64_MAX;
        return QINF_SUCCESS;

    case RTLOGDESTKW_HISTTIME:
        // 0 and the "no" form mean no time slots (never a slot length of 0 to divide by).
        if (!fNo) {
            rc = rtLogDestNumber(pchValue, cchValue, UINT32_MAX, &uValue);
            if (RT_FAILURE(rc)) return rc;
        }
        pInt->cSecsHistoryTimeSlot = uValue ? (uint32_t)uValue : UINT32_MAX;
        // Slots of another length are numbered otherwise: the current one starts now.
        pInt->uHistoryTimeSlotStart = rtlogFileTimeSlot(pInt);
        return QINF_SUCCESS;

    case RTLOGDESTKW_RINGBUF:
        if (fNo) return QERR_INVALID_PARAMETER;
        rc = rtLogDestNumber(pchValue, cchValue, UINT64_MAX, &uValue);
        if (RT_FAILURE(rc)) return rc;
        if (!pInt->fCreated) {
            pInt->cbRingBuf = rtlogRingBufSizeFromValue(uValue);
            return QINF_SUCCESS;
        } else {
            uint32_t const cbOld = pInt->cbRingBuf;
            pInt->cbRingBuf = rtlogRingBufSizeFromValue(uValue);
            rc = rtLogDestRingBufApply(pLogger);
            if (RT_FAILURE(rc)) pInt->cbRingBuf = cbOld;
            return rc;
        }

    default:
        return QERR_INVALID_PARAMETER;
    }
}

int RTLogDestinations(PRTLOGGER pLoggerArg, const char *pszValue) {
    RTLOGGER *pLogger = rtlogResolve(pLoggerArg);
    if (!pLogger || !RT_VALID_PTR(pszValue)) return QINF_SUCCESS;
    const char *psz = pszValue;
    while (*(psz = rtLogSkipSeparators(psz))) {
        bool fNo;
        size_t cchKeyword;
        size_t const iKeyword = rtLogDestKeyword(psz, &fNo, &cchKeyword);
        if (iKeyword == SIZE_MAX) return QERR_INVALID_PARAMETER;
        psz += cchKeyword;
        RTLOGDESTKW const enmKind = (RTLOGDESTKW)g_aLogDsts[iKeyword].enmKind;

        const char *pszAfter = psz;
        while (rtLogIsBlank(*pszAfter)) pszAfter++;
        if (*pszAfter == '=' || *pszAfter == ':') {
            // The value: to the next ";" or a blank followed by another keyword; blanks before
            // and after it are dropped, blanks inside it kept.
            const char *pchValue = pszAfter + 1;
            while (rtLogIsBlank(*pchValue)) pchValue++;
            const char *pchEnd = pchValue;
            psz = pchValue;
            for (;;) {
                if (!*psz || *psz == ';') {
                    pchEnd = psz;
                    break;
                }
                if (rtLogIsBlank(*psz)) {
                    const char *pszNext = psz;
                    while (rtLogIsBlank(*pszNext)) pszNext++;
                    if (!*pszNext || *pszNext == ';' || rtLogDestKeywordFollows(pszNext)) {
                        pchEnd = psz;
                        psz = pszNext;
                        break;
                    }
                    psz = pszNext;
                    continue;
                }
                psz++;
            }
            int rc = rtLogDestValue(pLogger, enmKind, fNo, pchValue, (size_t)(pchEnd - pchValue));
            if (RT_FAILURE(rc)) return rc; // the failing keyword changes nothing
        } else if (enmKind == RTLOGDESTKW_HISTORY || enmKind == RTLOGDESTKW_HISTSIZE ||
                   enmKind == RTLOGDESTKW_HISTTIME) {
            if (fNo) rtLogDestValue(pLogger, enmKind, true, NULL, 0);
        } else if (enmKind == RTLOGDESTKW_RINGBUF && !fNo && pLogger->pInt->fCreated && !pLogger->pInt->pszRingBuf) {
            int rc = rtLogDestRingBufApply(pLogger);
            if (RT_FAILURE(rc)) return rc;
        }
        if (fNo)
            pLogger->fDestFlags &= ~g_aLogDsts[iKeyword].fFlag;
        else
            pLogger->fDestFlags |= g_aLogDsts[iKeyword].fFlag;
    }
    return QINF_SUCCESS;
}
