// The platform event object behind both kinds of event semaphore on Windows.
#pragma once

#include <qrt/types.h>

#include <windows.h>

// The record behind RTSEMEVENT and RTSEMEVENTMULTI; the magic tells the kinds apart.
typedef struct RTSEMWINEVENT {
    volatile uint32_t u32Magic;
    HANDLE hev;
    uint32_t fFlags;
} RTSEMWINEVENT;

// The record behind a handle when it is plausible and carries u32Magic, else null.
RTSEMWINEVENT *rtSemWinEventValid(void *hEvent, uint32_t u32Magic);
// Creates an unsignalled, unnamed event record (pszTag null: untagged allocation).
int rtSemWinEventCreate(RTSEMWINEVENT **ppThis, bool fManualReset, uint32_t u32Magic, uint32_t fFlags,
                        const char *pszTag);
// Marks the record dead (only one destroyer wins), closes the event and frees the record.
int rtSemWinEventDestroy(void *hEvent, uint32_t u32Magic, uint32_t u32MagicDead);
int rtSemWinEventSignal(void *hEvent, uint32_t u32Magic);
int rtSemWinEventReset(void *hEvent, uint32_t u32Magic);
// One alertable wait: success, QERR_TIMEOUT, QERR_INTERRUPTED (an APC ran), QERR_SEM_OWNER_DIED
// or the converted last error. No thread bookkeeping.
int rtSemWinEventWait(void *hEvent, uint32_t u32Magic, uint32_t cMillies);
