// The last-assertion storage, overwritten by every report. Shared and not locked: concurrent
// reports may mix their texts, but every append stays inside the buffer.
#pragma once

#include <qrt/types.h>
#include <qrt/cdefs.h>

#define RTASSERT_MSG1_SIZE 1024
#define RTASSERT_MSG2_SIZE 4096
// An append needs at least this much room left in the second-part buffer.
#define RTASSERT_MSG2_APPEND_MAX 4092

extern const char *volatile g_pszRTAssertExpr;
extern const char *volatile g_pszRTAssertFile;
extern const char *volatile g_pszRTAssertFunction;
extern volatile uint32_t g_u32RTAssertLine;
extern char g_szRTAssertMsg1[RTASSERT_MSG1_SIZE] RT_BSS;
extern char g_szRTAssertMsg2[RTASSERT_MSG2_SIZE] RT_BSS;
extern volatile size_t g_cchRTAssertMsg2; // read and written atomically
