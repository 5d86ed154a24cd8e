// Status codes: the outcome of every runtime operation, and their names and messages.
#pragma once

#include <qrt/types.h>

enum RTSTATUSCODES : int32_t {
#define QRT_STATUS(name, value, pszShort, pszFull) name = (value),
#include <qrt/err-list.h>
#undef QRT_STATUS
};

#define RT_SUCCESS(rc) ((int32_t)(rc) >= 0)
#define RT_FAILURE(rc) ((int32_t)(rc) < 0)
// The same test as RT_SUCCESS, for use inside assertion expressions.
#define RT_SUCCESS_NP(rc) ((int32_t)(rc) >= 0)

// One row of the status table.
typedef struct RTSTATUSENTRY {
    const char *pszShort;  // first sentence of the full message, as stored
    const char *pszFull;
    const char *pszDefine; // symbolic name, e.g. "QERR_FILE_NOT_FOUND"
    int32_t iCode;
} RTSTATUSENTRY;
typedef const RTSTATUSENTRY *PCRTSTATUSENTRY;

// One row of the platform (Windows) message table.
typedef struct RTWINERRENTRY {
    const char *pszFull;   // the platform's message, e.g. "Access is denied."
    const char *pszDefine; // the platform's name, e.g. "ERROR_ACCESS_DENIED"
    uint32_t iCode;        // Win32 error, Windows Sockets error or HRESULT
} RTWINERRENTRY;
typedef const RTWINERRENTRY *PCRTWINERRENTRY;

// Never null; an unknown code yields one of four rotating fallback rows.
PCRTSTATUSENTRY RTErrLookup(int32_t rc);
// Never null; an unknown value yields one of four rotating fallback rows.
PCRTWINERRENTRY RTErrWinLookup(uint32_t uValue);

// Platform error values to status codes. Unknown values become QERR_UNRESOLVED_ERROR.
int32_t RTErrConvertFromWin32(uint32_t uNativeCode);
int32_t RTErrConvertFromNtStatus(int32_t lNativeCode);
int32_t RTErrConvertFromErrno(int32_t iNativeCode);
