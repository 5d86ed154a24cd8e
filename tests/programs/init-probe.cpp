// A program that starts as the installer stub does, for the tests that must look at a whole
// process: RTR3InitExe with the flags in QRT_PROBE_FLAGS (read before initialisation, as the
// stub's own flags are fixed), then one of
//   args   writes the converted argument count and each argument as hex UTF-8 bytes, one per
//          line, to the file named by QRT_PROBE_OUT;
//   msi    binds MsiSetInternalUI through the stub's MSI.DLL table and calls it.
// followed by "end", the C library's own count ("crt N"), the process's wide command line
// as hex UTF-16 units ("cmd ...") and whether USER32.DLL and SHELL32.DLL are loaded
// ("modules U S", 0 or 1 each).
// Exit code: 0, the init failure's 3, or 10 for an unknown mode.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <qrt/err.h>
#include <qrt/init.h>
#include <qrt/message.h>

#include "QuilStubLazy.h"

#include <windows.h>

static int probeArgs(int cArgs, char **papszArgs) {
    const char *pszOut = getenv("QRT_PROBE_OUT");
    if (!pszOut) return 11;
    FILE *pFile = fopen(pszOut, "wb");
    if (!pFile) return 12;
    fprintf(pFile, "%d\n", cArgs);
    for (int i = 0; i < cArgs; i++) {
        if (!papszArgs[i])
            fputs("(null)", pFile);
        else
            for (const unsigned char *pb = (const unsigned char *)papszArgs[i]; *pb; pb++) fprintf(pFile, "%02x", *pb);
        fputc('\n', pFile);
    }
    fputs(papszArgs[cArgs] ? "unterminated\n" : "end\n", pFile);
    // What the C library counted, and the command line as the process got it, for comparison.
    fprintf(pFile, "crt %d\ncmd ", __argc);
    for (const wchar_t *pwc = GetCommandLineW(); *pwc; pwc++) fprintf(pFile, "%04x", (unsigned)*pwc);
    fputc('\n', pFile);
    fprintf(pFile, "modules %d %d\n", GetModuleHandleW(L"user32.dll") != NULL, GetModuleHandleW(L"shell32.dll") != NULL);
    fclose(pFile);
    return 0;
}

int main(int argc, char **argv) {
    const char *pszFlags = getenv("QRT_PROBE_FLAGS");
    uint32_t const fFlags = pszFlags ? (uint32_t)strtoul(pszFlags, NULL, 0) : 0;
    int rc = RTR3InitExe(&argc, &argv, fFlags);
    if (RT_FAILURE(rc)) return RTMsgInitFailure(rc);
    if (argc >= 2 && !strcmp(argv[1], "args")) return probeArgs(argc, argv);
    if (argc >= 2 && !strcmp(argv[1], "msi")) {
        g_QuilStubLazyMsi.pfnMsiSetInternalUI(2 /*INSTALLUILEVEL_NONE*/, NULL);
        return 0;
    }
    return 10;
}
