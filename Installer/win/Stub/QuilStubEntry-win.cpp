// The process entry of QuilStub.exe: the runtime first, then the run.
#include "QuilStub.h"

#include <qrt/err.h>
#include <qrt/init.h>
#include <qrt/message.h>

#include <stdlib.h>

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The C library's own vector: initialisation recognises it and splits the wide command
    // line instead, so no argument is lost to the code page.
    int cArgs = __argc;
    char **papszArgs = __argv;
    int rc = RTR3InitExe(&cArgs, &papszArgs, RTR3INIT_FLAGS_SYSTEM32_ONLY);
    if (RT_FAILURE(rc)) return RTMsgInitFailure(rc);
    return QuilStubRun(cArgs, papszArgs);
}
