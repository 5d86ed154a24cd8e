/* A library planted beside a program under a system library's name. Loading it at all is the
 * failure the planting tests look for: its DllMain leaves a marker file named after it in the
 * directory named by QRT_PLANT_MARKER_DIR. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

BOOL WINAPI DllMain(HINSTANCE hInst, DWORD dwReason, LPVOID pvReserved) {
    (void)hInst;
    (void)pvReserved;
    if (dwReason == DLL_PROCESS_ATTACH) {
        const char *pszDir = getenv("QRT_PLANT_MARKER_DIR");
        if (pszDir) {
            char szPath[MAX_PATH];
            snprintf(szPath, sizeof(szPath), "%s\\planted-%s.marker", pszDir, QRT_PLANTED_NAME);
            FILE *pFile = fopen(szPath, "w");
            if (pFile) {
                fputs("loaded\n", pFile);
                fclose(pFile);
            }
        }
    }
    return TRUE;
}
