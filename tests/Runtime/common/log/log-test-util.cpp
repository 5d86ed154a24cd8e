// Capture loggers and settings summaries for the logger tests.
#include "log-test-util.h"

#include <qrt/err.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "Runtime/r3/testplatform.h"
#include "common/log/log-internal.h"

const char *const g_apszTstLogGroups[4] = {"DEFAULT", "DEV_DISK", "DEV_NET", "NET"};

namespace {
// Keeps every capture logger reachable (never destroyed), so that the leak check at exit sees
// no lost instance.
std::map<PRTLOGGER, std::string> &tstLogCaptures() {
    static std::map<PRTLOGGER, std::string> *s_pCaptures = new std::map<PRTLOGGER, std::string>;
    return *s_pCaptures;
}

void tstLogCaptureFlush(PRTLOGGER pLogger) {
    tstLogCaptures()[pLogger].append(pLogger->achScratch, pLogger->offScratch);
}
} // namespace

void tstLogKeep(PRTLOGGER pLogger) {
    // Never destroyed, so the instances stay reachable while the leak check runs at exit.
    static std::vector<PRTLOGGER> *s_pKept = new std::vector<PRTLOGGER>;
    if (pLogger) s_pKept->push_back(pLogger);
}

PRTLOGGER tstLogCreateCapture(uint32_t fFlags, uint32_t fDest, unsigned cGroups, const char *const *papszGroups,
                              uint32_t cMaxPerGroup) {
    PRTLOGGER pLogger = nullptr;
    int rc = RTLogCreateEx(&pLogger, fFlags, nullptr, nullptr, cGroups, papszGroups, cMaxPerGroup,
                           RTLOGDEST_USER | fDest, nullptr, 0, 0, 0, nullptr, nullptr);
    EXPECT_EQ(QINF_SUCCESS, rc);
    if (RT_FAILURE(rc)) return nullptr;
    tstLogCaptures()[pLogger];
    RTLogSetFlushCallback(pLogger, tstLogCaptureFlush);
    return pLogger;
}

std::string tstLogTakeCapture(PRTLOGGER pLogger) {
    std::string Text;
    Text.swap(tstLogCaptures()[pLogger]);
    return Text;
}

const std::string &tstLogPeekCapture(PRTLOGGER pLogger) {
    return tstLogCaptures()[pLogger];
}

std::string tstLogSummary(PRTLOGGER pLogger) {
    RTLOGGERINTERNAL *pInt = pLogger->pInt;
    char szBuf[RTLOG_FILENAME_SIZE + 200];
    snprintf(szBuf, sizeof(szBuf), "flags=%#x dest=%#x file='%s' history=%u size=%#llx slot=%#x ring=%u",
             pLogger->fFlags, pLogger->fDestFlags, pInt->szFilename, pInt->cHistory,
             (unsigned long long)pInt->cbHistoryFileMax, pInt->cSecsHistoryTimeSlot, pInt->cbRingBuf);
    return szBuf;
}

std::string tstLogGroupSummary(PRTLOGGER pLogger) {
    std::string Summary;
    for (uint32_t i = 0; i < pLogger->cGroups; i++)
        if (pLogger->afGroups[i]) {
            char szBuf[64];
            snprintf(szBuf, sizeof(szBuf), "=%#x;", pLogger->afGroups[i]);
            Summary += pLogger->pInt->papszGroups[i];
            Summary += szBuf;
        }
    return Summary;
}

namespace {
// The test program's own default logger writes nowhere: reports made by other tests would
// otherwise leave a log file in the current directory, and a developer's "QUIL_LOG" settings
// would change what the tests see. Tests of the real variables set them in child processes.
struct TstLogEnvironment {
    TstLogEnvironment() {
        TestSetEnv("QUIL_LOG", nullptr);
        TestSetEnv("QUIL_LOG_FLAGS", nullptr);
        TestSetEnv("QUIL_LOG_MAX_PER_GROUP", nullptr);
        TestSetEnv("QUIL_LOG_DEST", "nofile");
    }
} g_TstLogEnvironment;
} // namespace

namespace {
// One item of a shape: its kind ('#', '%', '~', '?', '*' or 'L' for a literal) and character.
struct TSTSHAPEITEM {
    char chKind;
    char chLiteral;
};

bool tstShapeItemMatches(const TSTSHAPEITEM &Item, char ch) {
    switch (Item.chKind) {
    case '#':
        return ch >= '0' && ch <= '9';
    case '%':
        return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f');
    case '~':
        return (ch >= '0' && ch <= '9') || ch == ' ';
    case '?':
        return true;
    default:
        return ch == Item.chLiteral;
    }
}

bool tstShapeMatch(const std::vector<TSTSHAPEITEM> &Items, size_t iItem, const std::string &Text, size_t off) {
    for (; iItem < Items.size(); iItem++, off++) {
        if (Items[iItem].chKind == '*') {
            for (size_t offTry = off; offTry <= Text.size(); offTry++)
                if (tstShapeMatch(Items, iItem + 1, Text, offTry)) return true;
            return false;
        }
        if (off >= Text.size() || !tstShapeItemMatches(Items[iItem], Text[off])) return false;
    }
    return off == Text.size();
}
} // namespace

bool tstShape(const std::string &Text, const char *pszShape) {
    std::vector<TSTSHAPEITEM> Items;
    for (const char *psz = pszShape; *psz; psz++) {
        TSTSHAPEITEM Item = {'L', *psz};
        if (*psz == '\\' && psz[1])
            Item.chLiteral = *++psz;
        else if (strchr("#%~?*", *psz))
            Item.chKind = *psz;
        unsigned cRepeat = 1;
        if (psz[1] == '{' && Item.chKind != '*') {
            cRepeat = (unsigned)strtoul(psz + 2, nullptr, 10);
            psz = strchr(psz, '}');
        }
        Items.insert(Items.end(), cRepeat, Item);
    }
    return tstShapeMatch(Items, 0, Text, 0);
}

namespace {
class TstKeepStderr : public testing::MatcherInterface<const std::string &> {
public:
    explicit TstKeepStderr(std::string *pErr) : m_pErr(pErr) {}
    bool MatchAndExplain(const std::string &Err, testing::MatchResultListener *) const override {
        *m_pErr = Err;
        return true;
    }
    void DescribeTo(std::ostream *pOs) const override { *pOs << "any output (kept)"; }

private:
    std::string *m_pErr;
};
} // namespace

testing::Matcher<const std::string &> tstKeepStderr(std::string *pErr) {
    return testing::Matcher<const std::string &>(new TstKeepStderr(pErr));
}
