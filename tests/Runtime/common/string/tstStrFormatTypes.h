// Test helpers for the %R dump, size, escape and name conversions: an output collector that
// counts calls, and a formatter that runs the engine's front ends side by side.
#pragma once

#include "common/string/strformat-internal.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

// What one formatting run produced, and in how many output calls.
struct TstFmtRun {
    std::string str;
    size_t cchReturned = 0;
    size_t cCalls = 0; // calls with characters; the final (NULL, 0) call is not counted
};

inline size_t tstFmtCollect(void *pvArg, const char *pach, size_t cch) {
    TstFmtRun *pRun = static_cast<TstFmtRun *>(pvArg);
    if (pach && cch) {
        pRun->str.append(pach, cch);
        pRun->cCalls++;
    }
    return cch;
}

inline TstFmtRun tstFmtRunV(const char *pszFormat, va_list va) {
    TstFmtRun Run;
    Run.cchReturned = RTStrFormatV(tstFmtCollect, &Run, NULL, NULL, pszFormat, va);
    return Run;
}

inline TstFmtRun tstFmtRun(const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    TstFmtRun Run = tstFmtRunV(pszFormat, va);
    va_end(va);
    return Run;
}

// Formats through RTStrFormatV and RTStrPrintf2V (into exactly the needed size, and one byte
// less); fails the test when texts or counts disagree. Returns the text.
inline std::string tstFmtV(const char *pszFormat, va_list va) {
    va_list va2, va3;
    va_copy(va2, va);
    va_copy(va3, va);
    TstFmtRun Run = tstFmtRunV(pszFormat, va);
    EXPECT_EQ(Run.cchReturned, Run.str.size()) << "format: " << pszFormat;

    std::vector<char> achBuf(Run.str.size() + 1, 'Z');
    EXPECT_EQ(RTStrPrintf2V(achBuf.data(), achBuf.size(), pszFormat, va2), (ptrdiff_t)Run.str.size())
        << "format: " << pszFormat;
    EXPECT_EQ(std::string(achBuf.data()), Run.str) << "format: " << pszFormat;

    if (!Run.str.empty()) {
        // One byte short: cut, terminated, and the needed size reported.
        achBuf.pop_back();
        EXPECT_EQ(RTStrPrintf2V(achBuf.data(), achBuf.size(), pszFormat, va3), -(ptrdiff_t)(Run.str.size() + 1))
            << "format: " << pszFormat;
        EXPECT_EQ(std::string(achBuf.data()), Run.str.substr(0, Run.str.size() - 1)) << "format: " << pszFormat;
    }
    va_end(va2);
    va_end(va3);
    return Run.str;
}

inline std::string tstFmt(const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    std::string str = tstFmtV(pszFormat, va);
    va_end(va);
    return str;
}

// Big-endian UTF-16 units from 16-bit values.
inline std::basic_string<RTUTF16> tstUtf16Big(std::initializer_list<uint16_t> units) {
    std::basic_string<RTUTF16> s;
    for (uint16_t u : units) {
        uint8_t const ab[2] = {(uint8_t)(u >> 8), (uint8_t)u};
        RTUTF16 w;
        memcpy(&w, ab, 2);
        s.push_back(w);
    }
    return s;
}
