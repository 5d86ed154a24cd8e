// The size probe: a GUI program that links the runtime the way the stub will, so that
// `make size` can show what each object costs before the stub itself exists. Every call here
// is one the stub makes; the program runs, but what it prints does not matter.
#include <qrt/err.h>
#include <qrt/format.h>
#include <qrt/mem.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR pszCmdLine, int) {
    char szMsg[256];
    RTStrPrintf(szMsg, sizeof(szMsg), "Failed to create extraction path '%s': %Rrc (%RTbool)", pszCmdLine,
                QERR_FILE_NOT_FOUND, true);
    RTUTF16 *pwszMsg = NULL;
    int rc = RTStrToUtf16(szMsg, &pwszMsg);
    if (RT_SUCCESS(rc)) {
        OutputDebugStringW((const wchar_t *)pwszMsg);
        RTUtf16Free(pwszMsg);
    }
    char *pszAlloc = NULL;
    if (RTStrAPrintf(&pszAlloc, "%Rrs %Rwc", rc, (int)GetLastError()) >= 0) RTStrFree(pszAlloc);
    return 0;
}
