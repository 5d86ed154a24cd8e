// The file, directory and sleep calls of extraction and cleanup, in one table that tests may
// fill (and must put back), so that every failure of a write, query, reopening, close or
// deletion, a changed file and the purge's waits can be produced in-process. Filled at compile
// time with the runtime's own operations.
#pragma once

#include <qrt/dir.h>
#include <qrt/file.h>

typedef struct StubFileCalls {
    int (*pfnFileOpen)(RTFILE *phFile, const char *pszPath, uint64_t fOpen);
    int (*pfnFileOpenTemp)(RTFILE *phFile, char *pszTemplate, uint64_t fOpen);
    int (*pfnFileWrite)(RTFILE hFile, const void *pvBuf, size_t cbToWrite, size_t *pcbWritten);
    int (*pfnFileRead)(RTFILE hFile, void *pvBuf, size_t cbToRead, size_t *pcbRead);
    int (*pfnFileQueryInfo)(RTFILE hFile, FsObjInfo *pObjInfo, FsObjAttrAdd enmAdditional);
    int (*pfnFileClose)(RTFILE hFile);
    bool (*pfnFileIsValid)(RTFILE hFile);
    int (*pfnFileDelete)(const char *pszPath);
    int (*pfnDirCreate)(const char *pszPath, RTFMODE fMode, uint32_t fCreate);
    int (*pfnDirOpen)(RTDIR *phDir, const char *pszPath);
    int (*pfnDirClose)(RTDIR hDir);
    bool (*pfnDirIsValid)(RTDIR hDir);
    int (*pfnDirRemove)(const char *pszPath);
    int (*pfnSleep)(uint32_t cMillies);
} StubFileCalls;

extern StubFileCalls g_StubFileCalls;
