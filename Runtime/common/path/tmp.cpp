// Unique directories and files from templates: the 'X' run of the name is replaced with random
// letters and digits until a name is free. Uniqueness rests on the atomic create-new of the
// directory or file, never on the numbers.
#include <qrt/cdefs.h>
#include <qrt/dir.h>
#include <qrt/err.h>
#include <qrt/file.h>
#include <qrt/path.h>
#include <qrt/rand.h>

#include "common/path/tmp-internal.h"
#include "common/rand/rand-internal.h"

#include <string.h>

size_t rtPathTmpFindXRun(const char *pszTemplate, size_t *poffRun) {
    *poffRun = 0;
    size_t const cch = strlen(pszTemplate);
    if (cch == 0) return 0;
    size_t offEnd; // one past the run's last character
    size_t offFloor = 0;
    if (pszTemplate[cch - 1] == 'X')
        offEnd = cch;
    else {
        // Inside the name, only a run of three counts, the one nearest the end.
        const char *pszName = RTPathFilename(pszTemplate);
        if (!pszName || strlen(pszName) <= 3) return 0;
        offFloor = (size_t)(pszName - pszTemplate);
        offEnd = 0;
        for (size_t off = cch; off >= offFloor + 3; off--)
            if (pszTemplate[off - 1] == 'X' && pszTemplate[off - 2] == 'X' && pszTemplate[off - 3] == 'X') {
                offEnd = off;
                break;
            }
        if (offEnd == 0) return 0;
    }
    size_t offStart = offEnd;
    while (offStart > offFloor && pszTemplate[offStart - 1] == 'X') offStart--;
    *poffRun = offStart;
    return offEnd - offStart;
}

static void rtPathTmpFillRun(char *pchRun, size_t cchRun) {
    static const char s_achChars[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (size_t i = cchRun; i-- > 0;) pchRun[i] = s_achChars[RTRandU32Ex(0, 35)];
}

// Tries names until one is created: the run is filled afresh for every try, and only a name
// that exists already leads to the next one. On failure the template is emptied.
typedef int FNRTPATHTMPCREATE(const char *pszPath, void *pvUser);
static int rtPathTmpCreateUnique(char *pszTemplate, FNRTPATHTMPCREATE *pfnCreate, void *pvUser) {
    size_t offRun = 0;
    size_t const cchRun = rtPathTmpFindXRun(pszTemplate, &offRun);
    int rc = cchRun ? rtRandSharedEnsure() : QERR_INVALID_PARAMETER;
    if (RT_SUCCESS(rc)) {
        for (unsigned iTry = 0; iTry < RTPATHTMP_MAX_TRIES; iTry++) {
            rtPathTmpFillRun(pszTemplate + offRun, cchRun);
            rc = pfnCreate(pszTemplate, pvUser);
            if (RT_SUCCESS(rc)) return rc;
            if (rc != QERR_ALREADY_EXISTS) break;
        }
    }
    *pszTemplate = '\0';
    return rc;
}

static int rtPathTmpCreateDir(const char *pszPath, void *pvUser) {
    return RTDirCreate(pszPath, *(const RTFMODE *)pvUser, 0);
}

int RTDirCreateTemp(char *pszTemplate, RTFMODE fMode) {
    if (!RT_VALID_PTR(pszTemplate)) return QERR_INVALID_POINTER;
    return rtPathTmpCreateUnique(pszTemplate, rtPathTmpCreateDir, &fMode);
}

typedef struct RTPATHTMPFILE {
    RTFILE *phFile;
    uint64_t fOpen;
} RTPATHTMPFILE;

static int rtPathTmpCreateFile(const char *pszPath, void *pvUser) {
    RTPATHTMPFILE *pArgs = (RTPATHTMPFILE *)pvUser;
    return RTFileOpen(pArgs->phFile, pszPath, pArgs->fOpen);
}

int RTFileOpenTemp(RTFILE *phFile, char *pszTemplate, uint64_t fOpen) {
    if (!RT_VALID_PTR(phFile)) return QERR_INVALID_POINTER;
    *phFile = NIL_RTFILE;
    if (((uint32_t)fOpen & RTFOPEN_ACTION_MASK) != RTFOPEN_CREATE) return QERR_INVALID_FLAGS;
    if (!RT_VALID_PTR(pszTemplate)) return QERR_INVALID_POINTER;
    RTPATHTMPFILE Args = {phFile, fOpen};
    return rtPathTmpCreateUnique(pszTemplate, rtPathTmpCreateFile, &Args);
}
