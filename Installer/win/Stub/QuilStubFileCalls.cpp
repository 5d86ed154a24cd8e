// The runtime's file, directory and sleep operations behind extraction and cleanup.
#include "QuilStubFileCalls-internal.h"

#include <qrt/time.h>

StubFileCalls g_StubFileCalls = {
    RTFileOpen,   RTFileOpenTemp, RTFileWrite, RTFileRead, RTFileQueryInfo, RTFileClose, RTFileIsValid,
    RTFileDelete, RTDirCreate,    RTDirOpen,   RTDirClose, RTDirIsValid,    RTDirRemove, RTThreadSleep,
};
