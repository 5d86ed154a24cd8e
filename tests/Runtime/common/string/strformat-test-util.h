// Helpers shared by the formatting engine tests: format into a std::string through the engine
// and through RTStrPrintf, checking that both agree with the counts they report.
#pragma once

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <string>

#include <qrt/format.h>

struct FmtSink {
    std::string str;
    unsigned cFinalCalls = 0;
    bool fOutputAfterEnd = false;
};

static inline size_t fmtSinkOutput(void *pvArg, const char *pach, size_t cch) {
    FmtSink *pSink = static_cast<FmtSink *>(pvArg);
    if (!pach && cch == 0) {
        pSink->cFinalCalls++;
        return 0;
    }
    if (pSink->cFinalCalls) pSink->fOutputAfterEnd = true;
    pSink->str.append(pach, cch);
    return cch;
}

// Formats with RTStrFormatV and RTStrPrintfV; fails the test when the engine's count, the
// final call or RTStrPrintf's result disagree with the text.
static inline std::string FmtV(const char *pszFormat, va_list va) {
    va_list va2;
    va_copy(va2, va);
    FmtSink Sink;
    size_t const cch = RTStrFormatV(fmtSinkOutput, &Sink, NULL, NULL, pszFormat, va);
    EXPECT_EQ(cch, Sink.str.size()) << "format: " << pszFormat;
    EXPECT_GE(Sink.cFinalCalls, 1u) << "format: " << pszFormat;
    EXPECT_FALSE(Sink.fOutputAfterEnd && !strstr(pszFormat, "%N")) << "format: " << pszFormat;

    char szBuf[4096];
    memset(szBuf, 'Z', sizeof(szBuf));
    size_t const cch2 = RTStrPrintfV(szBuf, sizeof(szBuf), pszFormat, va2);
    va_end(va2);
    EXPECT_EQ(cch2, strlen(szBuf)) << "format: " << pszFormat;
    EXPECT_EQ(std::string(szBuf, cch2), Sink.str) << "format: " << pszFormat;
    return Sink.str;
}

static inline std::string Fmt(const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    std::string str = FmtV(pszFormat, va);
    va_end(va);
    return str;
}
