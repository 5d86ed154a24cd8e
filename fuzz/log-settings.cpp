// Fuzz target for the logger's three settings parsers and its group-pattern matcher.
//
// Input: byte 0 picks what is fuzzed (modulo 4), the rest is the text, copied into a heap
// buffer of exactly its length plus the terminator so that AddressSanitizer catches any read
// past the end.
//   0 destinations, 1 flags, 2 group settings (over the default 374-name table): applied to one
//     instance kept for the whole run, its settings reset before each input.
//   3 the matcher: the text up to the first NUL is the pattern, the rest the name.
//
// What is checked:
// - no crash, and every call ends (a pattern of many stars over 374 names stays fast);
// - flags and group settings always succeed; destinations give only the documented statuses;
// - only known bits change: the flag keywords' bits, the destination keywords' bits (the
//   creation-only fixed bits and the per-group limit flag never); the file name stays
//   terminated inside its buffer; the history count stays at most 1048575; the ring buffer
//   size is the default or within 4096..2^30 and a multiple of 64; slot length and size limit
//   are never 0 (0 would divide by zero or rotate on every flush);
// - applying a text a second time changes nothing (every keyword sets or clears by the text
//   alone, never by the state found);
// - the matcher agrees with a plain dynamic-programming matcher.
#include <qrt/err.h>
#include <qrt/log.h>

#include "fuzz-check.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "common/log/log-internal.h"

namespace {

// The bits RTLogFlags may touch and those RTLogDestinations may touch.
const uint32_t g_fFlagBits = RTLOGFLAGS_DISABLED | RTLOGFLAGS_BUFFERED | RTLOGFLAGS_USECRLF | RTLOGFLAGS_APPEND |
                             RTLOGFLAGS_REL_TS | RTLOGFLAGS_DECIMAL_TS | RTLOGFLAGS_WRITE_THROUGH | RTLOGFLAGS_FLUSH |
                             RTLOGFLAGS_PREFIX_MASK;
const uint32_t g_fDestBits = RTLOGDEST_FILE | RTLOGDEST_STDOUT | RTLOGDEST_STDERR | RTLOGDEST_DEBUGGER | RTLOGDEST_COM |
                             RTLOGDEST_RINGBUF | RTLOGDEST_F_NO_DENY | RTLOGDEST_USER;

PRTLOGGER fuzzLogger() {
    static PRTLOGGER s_pLogger = nullptr;
    if (!s_pLogger) {
        // No destination that writes anywhere: only the parsers run.
        int rc = RTLogCreateEx(&s_pLogger, 0, nullptr, nullptr, RTLOG_DEFAULT_GROUP_COUNT, rtlogDefaultGroupNames(), 0,
                               0, nullptr, 0, 0, 0, nullptr, nullptr);
        CHECK(rc == QINF_SUCCESS);
    }
    return s_pLogger;
}

void fuzzReset(RTLOGGER *pLogger) {
    RTLOGGERINTERNAL *pInt = pLogger->pInt;
    pLogger->fFlags = 0;
    pLogger->fDestFlags = 0;
    memset(pLogger->afGroups, 0, pLogger->cGroups * sizeof(uint32_t));
    strcpy(pInt->szFilename, "fuzz.log");
    pInt->cHistory = 0;
    pInt->cbHistoryFileMax = UINT64_MAX;
    pInt->cSecsHistoryTimeSlot = UINT32_MAX;
}

struct FUZZSTATE {
    uint32_t fFlags, fDest, cHistory, cSecsSlot, cbRing;
    uint64_t cbMax;
    std::vector<char> Name;
    std::vector<uint32_t> Groups;
    bool operator==(const FUZZSTATE &o) const {
        return fFlags == o.fFlags && fDest == o.fDest && cHistory == o.cHistory && cSecsSlot == o.cSecsSlot &&
               cbRing == o.cbRing && cbMax == o.cbMax && Name == o.Name && Groups == o.Groups;
    }
};

FUZZSTATE fuzzState(RTLOGGER *pLogger) {
    RTLOGGERINTERNAL *pInt = pLogger->pInt;
    const char *pszEnd = (const char *)memchr(pInt->szFilename, '\0', sizeof(pInt->szFilename));
    CHECK(pszEnd != nullptr);
    FUZZSTATE State{pLogger->fFlags,
                    pLogger->fDestFlags,
                    pInt->cHistory,
                    pInt->cSecsHistoryTimeSlot,
                    pInt->cbRingBuf,
                    pInt->cbHistoryFileMax,
                    std::vector<char>((const char *)pInt->szFilename, pszEnd),
                    std::vector<uint32_t>(pLogger->afGroups, pLogger->afGroups + pLogger->cGroups)};
    return State;
}

void fuzzCheckInvariants(const FUZZSTATE &State) {
    CHECK((State.fFlags & ~g_fFlagBits) == 0);
    CHECK((State.fDest & ~g_fDestBits) == 0);
    CHECK(State.cHistory <= RTLOG_MAX_HISTORY);
    CHECK(State.cSecsSlot != 0);
    CHECK(State.cbMax != 0);
    CHECK(State.cbRing == RTLOG_RINGBUF_DEFAULT_SIZE ||
          (State.cbRing >= RTLOG_RINGBUF_MIN_SIZE && State.cbRing <= RTLOG_RINGBUF_MAX_SIZE && State.cbRing % 64 == 0));
    CHECK(State.Name.size() < RTLOG_FILENAME_SIZE);
}

bool fuzzIsDestStatus(int rc) {
    // Success, the parser's own failures, or a number's conversion failure.
    return rc == QINF_SUCCESS || rc == QERR_INVALID_PARAMETER || rc == QERR_OUT_OF_RANGE || rc == QERR_NO_MEMORY ||
           rc == QERR_NO_DIGITS || rc == QERR_TRAILING_CHARS || rc == QERR_TRAILING_SPACES;
}

// Reference: '*' any run, everything else one character without regard to ASCII case.
bool fuzzMatch(const char *pchPattern, size_t cchPattern, const char *pszName) {
    size_t const cchName = strlen(pszName);
    auto upper = [](char ch) { return ch >= 'a' && ch <= 'z' ? (char)(ch - 'a' + 'A') : ch; };
    // aPrev[j]: pattern[0..i) matches name[0..j).
    std::vector<char> aPrev(cchName + 1, 0), aCur(cchName + 1, 0);
    aPrev[0] = 1;
    for (size_t i = 0; i < cchPattern; i++) {
        aCur.assign(cchName + 1, 0);
        for (size_t j = 0; j <= cchName; j++) {
            if (pchPattern[i] == '*')
                aCur[j] = aPrev[j] || (j > 0 && aCur[j - 1]);
            else
                aCur[j] = j > 0 && aPrev[j - 1] && upper(pchPattern[i]) == upper(pszName[j - 1]);
        }
        aPrev.swap(aCur);
    }
    return aPrev[cchName] != 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pbData, size_t cbData) {
    if (cbData < 1 || cbData > 8192) return 0;
    unsigned const uWhat = pbData[0] % 4;
    std::vector<char> Text(pbData + 1, pbData + cbData);
    Text.push_back('\0');

    if (uWhat == 3) {
        size_t const cchPattern = strlen(Text.data());
        const char *pszName = cchPattern + 1 < Text.size() ? &Text[cchPattern + 1] : "";
        char *pchPattern = new char[cchPattern ? cchPattern : 1];
        memcpy(pchPattern, Text.data(), cchPattern);
        CHECK(rtlogMatchGroupPattern(pchPattern, cchPattern, pszName) == fuzzMatch(pchPattern, cchPattern, pszName));
        delete[] pchPattern;
        return 0;
    }

    char *pszText = new char[Text.size()];
    memcpy(pszText, Text.data(), Text.size());
    RTLOGGER *pLogger = fuzzLogger();
    fuzzReset(pLogger);
    uint32_t const fFixedBefore = pLogger->fDestFlags & (RTLOGDEST_FIXED_FILE | RTLOGDEST_FIXED_DIR);
    for (int iPass = 0; iPass < 2; iPass++) {
        FUZZSTATE const Before = fuzzState(pLogger);
        int rc;
        if (uWhat == 0) {
            rc = RTLogDestinations(pLogger, pszText);
            CHECK(fuzzIsDestStatus(rc));
        } else if (uWhat == 1) {
            rc = RTLogFlags(pLogger, pszText);
            CHECK(rc == QINF_SUCCESS);
        } else {
            rc = RTLogGroupSettings(pLogger, pszText);
            CHECK(rc == QINF_SUCCESS);
        }
        FUZZSTATE const After = fuzzState(pLogger);
        fuzzCheckInvariants(After);
        CHECK((pLogger->fDestFlags & (RTLOGDEST_FIXED_FILE | RTLOGDEST_FIXED_DIR)) == fFixedBefore);
        CHECK(!(pLogger->fFlags & RTLOGFLAGS_RESTRICT_GROUPS));
        if (uWhat != 2) CHECK(After.Groups == Before.Groups);
        if (uWhat == 2) CHECK(After.fFlags == Before.fFlags && After.fDest == Before.fDest);
        if (iPass == 1) CHECK(After == Before); // the second application changes nothing
    }
    delete[] pszText;
    return 0;
}
