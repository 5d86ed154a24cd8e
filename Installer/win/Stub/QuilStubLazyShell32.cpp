// SHELL32.DLL, bound on first call.
#include "QuilStubLazy.h"

RTLAZY_RESOLVER(g_QuilStubLazyShell32, RTUTF16 **, CommandLineToArgvW, (const RTUTF16 *pwszCmdLine, int *pcArgs),
                (pwszCmdLine, pcArgs))
RTLAZY_RESOLVER(g_QuilStubLazyShell32, int, SHFileOperationW, (struct _SHFILEOPSTRUCTW * pFileOp), (pFileOp))

QUILSTUBLAZYSHELL32 g_QuilStubLazyShell32 = {
    RTLAZYLIB_INITIALIZER("SHELL32.DLL"),
    RTLAZY_RESOLVER_NAME(CommandLineToArgvW),
    RTLAZY_RESOLVER_NAME(SHFileOperationW),
};
