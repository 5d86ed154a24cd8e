// NT path names and opening by them.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/mem.h>
#include <qrt/path.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

#include "common/path/path-internal.h"
#include "r3/nt/path-nt-internal.h"
#include "r3/win/fscalls-win-internal.h"
#include "r3/system-internal.h"
#include "r3/win/path-win-internal.h"

#include <string.h>

#define RTPATHNT_TAG "Runtime/r3/nt/path-nt"

// A counted NT name holds at most 32767 units; one is kept for the terminator.
#define RTPATHNT_MAX_UNITS 32766

// Whether the process runs on an NT older than 4, whose DOS device directory is
// '\DosDevices' instead of '\??'. The version record holds the true major version.
static bool rtNtPathIsOldPrefix(void) {
    const RTSYSVERSIONREC *pRec = rtSystemGetVersionRec();
    return pRec->cbFilled != 0 && pRec->uPlatformId == 2 && pRec->uMajor < 4;
}

// Builds *pNtName from an ASCII prefix and cwcRest units at pwcRest.
static int rtNtPathBuild(UNICODE_STRING *pNtName, const char *pszPrefix, const RTUTF16 *pwcRest, size_t cwcRest) {
    size_t const cwcPrefix = strlen(pszPrefix);
    size_t const cwc = cwcPrefix + cwcRest;
    if (cwc > RTPATHNT_MAX_UNITS) return QERR_FILENAME_TOO_LONG;
    RTUTF16 *pwsz = (RTUTF16 *)RTMemAllocTag((cwc + 1) * sizeof(RTUTF16), RTPATHNT_TAG);
    if (!pwsz) return QERR_NO_TMP_MEMORY;
    for (size_t i = 0; i < cwcPrefix; i++) pwsz[i] = (RTUTF16)pszPrefix[i];
    memcpy(pwsz + cwcPrefix, pwcRest, cwcRest * sizeof(RTUTF16));
    pwsz[cwc] = 0;
    pNtName->Buffer = (PWSTR)pwsz;
    pNtName->Length = (USHORT)(cwc * sizeof(RTUTF16));
    pNtName->MaximumLength = (USHORT)((cwc + 1) * sizeof(RTUTF16));
    return QINF_SUCCESS;
}

// As rtNtPathBuild with the rest given in UTF-8.
static int rtNtPathBuildUtf8(UNICODE_STRING *pNtName, const char *pszPrefix, const char *pszRest) {
    size_t cwc = 0;
    int rc = RTStrCalcUtf16LenEx(pszRest, RTSTR_MAX, &cwc);
    if (RT_FAILURE(rc)) return rc;
    if (cwc > RTPATHNT_MAX_UNITS) return QERR_FILENAME_TOO_LONG;
    RTUTF16 *pwsz = NULL;
    rc = RTStrToUtf16Tag(pszRest, &pwsz, RTPATHNT_TAG);
    if (RT_FAILURE(rc)) return rc;
    rc = rtNtPathBuild(pNtName, pszPrefix, pwsz, cwc);
    RTUtf16Free(pwsz);
    return rc;
}

static bool rtNtPathIsSepW(RTUTF16 wc) {
    return wc == '\\' || wc == '/';
}

// The NT name of an absolute DOS path, its prefix chosen from the path itself: a device or
// long-path name ('\\.\', '\\?\') keeps what follows those four characters, a UNC name
// ('\\server\...') goes under 'UNC\', anything else (a drive) gets the prefix in front.
static int rtNtPathFromFull(UNICODE_STRING *pNtName, const RTUTF16 *pwszFull, size_t cwcFull) {
    bool const fOld = rtNtPathIsOldPrefix();
    const char *pszDosDevices = fOld ? "\\DosDevices\\" : "\\??\\";
    if (cwcFull >= 2 && rtNtPathIsSepW(pwszFull[0]) && rtNtPathIsSepW(pwszFull[1])) {
        if (cwcFull >= 4 && (pwszFull[2] == '.' || pwszFull[2] == '?') && rtNtPathIsSepW(pwszFull[3]))
            return rtNtPathBuild(pNtName, pszDosDevices, pwszFull + 4, cwcFull - 4);
        return rtNtPathBuild(pNtName, fOld ? "\\DosDevices\\UNC\\" : "\\??\\UNC\\", pwszFull + 2, cwcFull - 2);
    }
    return rtNtPathBuild(pNtName, pszDosDevices, pwszFull, cwcFull);
}

// A short path resolved as Win32 resolves it.
static int rtNtPathFromShort(UNICODE_STRING *pNtName, const RTUTF16 *pwszShort) {
    WCHAR awcFull[RTPATH_BUF_SIZE];
    WCHAR *pwcFull = awcFull;
    DWORD cwcBuf = RT_ELEMENTS(awcFull);
    int rc;
    for (;;) {
        SetLastError(NO_ERROR);
        DWORD const cwc = GetFullPathNameW((LPCWSTR)pwszShort, cwcBuf, pwcFull, NULL);
        if (cwc == 0) {
            // GetFullPathNameW leaves the last error alone for names it cannot resolve ('', ' ').
            DWORD const dwErr = GetLastError();
            rc = dwErr == NO_ERROR ? QERR_INVALID_NAME : RTErrConvertFromWin32(dwErr);
            break;
        }
        if (cwc < cwcBuf) {
            rc = rtNtPathFromFull(pNtName, (const RTUTF16 *)pwcFull, cwc);
            break;
        }
        if (pwcFull != awcFull) RTMemTmpFree(pwcFull);
        cwcBuf = cwc + 16;
        pwcFull = (WCHAR *)RTMemTmpAllocTag(cwcBuf * sizeof(WCHAR), RTPATHNT_TAG);
        if (!pwcFull) return QERR_NO_TMP_MEMORY;
    }
    if (pwcFull != awcFull) RTMemTmpFree(pwcFull);
    return rc;
}

// A long path resolved lexically; the long native form then hands the result to Win32 verbatim.
static int rtNtPathFromLong(UNICODE_STRING *pNtName, const char *pszPath) {
    char szAbs[RTPATH_BUF_SIZE];
    char *pszAbs = szAbs;
    size_t cbAbs = sizeof(szAbs);
    int rc = QERR_FILENAME_TOO_LONG;
    for (unsigned iTry = 0; iTry < 8; iTry++) {
        size_t cbActual = cbAbs;
        rc = RTPathAbsEx(NULL, pszPath, RTPATH_STYLE_DOS, pszAbs, &cbActual);
        if (rc != QERR_BUFFER_OVERFLOW) break;
        if (iTry == 7) {
            rc = QERR_FILENAME_TOO_LONG;
            break;
        }
        size_t cbNext = (RT_MAX(cbAbs + 256, cbActual) + 95) & ~(size_t)63;
        if (iTry == 6 && cbNext < 0x20000) cbNext = 0x20000;
        if (pszAbs != szAbs) RTMemTmpFree(pszAbs);
        pszAbs = (char *)RTMemTmpAllocTag(cbNext, RTPATHNT_TAG);
        if (!pszAbs) return QERR_NO_TMP_MEMORY;
        cbAbs = cbNext;
    }
    if (RT_SUCCESS(rc)) {
        RTUTF16 *pwszFull = NULL;
        size_t cwcFull = 0;
        rc = RTStrToUtf16ExTag(pszAbs, RTSTR_MAX, &pwszFull, 0, &cwcFull, RTPATHNT_TAG);
        if (RT_SUCCESS(rc)) rc = rtNtPathFromFull(pNtName, pwszFull, cwcFull);
        RTUtf16Free(pwszFull);
    }
    if (pszAbs != szAbs) RTMemTmpFree(pszAbs);
    return rc;
}

int rtNtPathFromUtf8(UNICODE_STRING *pNtName, const char *pszPath) {
    pNtName->Buffer = NULL;
    pNtName->Length = pNtName->MaximumLength = 0;
    if (!RT_VALID_PTR(pszPath)) return QERR_INVALID_POINTER;

    // A long-path name is the NT name under the DOS device directory, as it stands.
    if (pszPath[0] == '\\' && pszPath[1] == '\\' && pszPath[2] == '?' && pszPath[3] == '\\')
        return rtNtPathBuildUtf8(pNtName, rtNtPathIsOldPrefix() ? "\\DosDevices\\" : "\\??\\", pszPath + 4);
    // A pass-through name is the NT name from its third separator on.
    if (rtPathIsDosSep(pszPath[0]) && rtPathIsDosSep(pszPath[1]) && !strncmp(&pszPath[2], ":qurtnt:", 8) &&
        rtPathIsDosSep(pszPath[10]))
        return rtNtPathBuildUtf8(pNtName, "", pszPath + 10);

    RTUTF16 *pwszShort = NULL;
    int rc = rtPathWinShortForm(&pwszShort, pszPath);
    if (RT_FAILURE(rc)) return rc;
    if (pwszShort) {
        rc = rtNtPathFromShort(pNtName, pwszShort);
        RTUtf16Free(pwszShort);
        return rc;
    }
    return rtNtPathFromLong(pNtName, pszPath);
}

void rtNtPathFree(UNICODE_STRING *pNtName) {
    RTMemFree(pNtName->Buffer);
    pNtName->Buffer = NULL;
    pNtName->Length = pNtName->MaximumLength = 0;
}

// The object-directory rights matching a file access mask.
static ACCESS_MASK rtNtPathDirAccess(ACCESS_MASK fAccess) {
    if ((fAccess & GENERIC_ALL) || (fAccess & STANDARD_RIGHTS_ALL) == STANDARD_RIGHTS_ALL)
        return RTNT_DIRECTORY_ALL_ACCESS;
    ACCESS_MASK fDir = 0;
    bool const fWrite = (fAccess & (GENERIC_WRITE | FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES |
                                    FILE_WRITE_EA | DELETE | WRITE_DAC | WRITE_OWNER)) != 0;
    bool const fRead = (fAccess & (GENERIC_READ | FILE_READ_DATA | FILE_READ_ATTRIBUTES | FILE_READ_EA)) != 0;
    if (fWrite) fDir |= RTNT_DIRECTORY_CREATE_OBJECT | RTNT_DIRECTORY_CREATE_SUBDIRECTORY;
    if (fRead || !fWrite) fDir |= RTNT_DIRECTORY_QUERY;
    if (fAccess & FILE_TRAVERSE) fDir |= RTNT_DIRECTORY_TRAVERSE;
    return fDir;
}

static int rtNtPathOpenWorker(HANDLE hRootDir, UNICODE_STRING *pName, ACCESS_MASK fDesiredAccess, ULONG fShareAccess,
                              ULONG fCreateOptions, ULONG fObjAttribs, HANDLE *phHandle, bool *pfObjDir) {
    *phHandle = INVALID_HANDLE_VALUE;
    OBJECT_ATTRIBUTES ObjAttr;
    InitializeObjectAttributes(&ObjAttr, pName, fObjAttribs, hRootDir, NULL);
    IO_STATUS_BLOCK Ios;
    HANDLE h = INVALID_HANDLE_VALUE;
    NTSTATUS rcNt = g_rtFsCalls.pfnNtCreateFile(&h, fDesiredAccess, &ObjAttr, &Ios, NULL, FILE_ATTRIBUTE_NORMAL,
                                                fShareAccess, FILE_OPEN, fCreateOptions, NULL, 0);
    size_t const cwcName = pName->Length / sizeof(WCHAR);
    if (rcNt == RTNT_STATUS_INVALID_PARAMETER && cwcName > 0 && pName->Buffer[cwcName - 1] != '\\' &&
        cwcName < RTPATHNT_MAX_UNITS) {
        // Some names are only accepted as directories with a trailing separator.
        WCHAR *pwsz = (WCHAR *)RTMemTmpAllocTag((cwcName + 2) * sizeof(WCHAR), RTPATHNT_TAG);
        if (!pwsz) return QERR_NO_TMP_MEMORY;
        memcpy(pwsz, pName->Buffer, cwcName * sizeof(WCHAR));
        pwsz[cwcName] = '\\';
        pwsz[cwcName + 1] = 0;
        UNICODE_STRING Name2 = {(USHORT)((cwcName + 1) * sizeof(WCHAR)), (USHORT)((cwcName + 2) * sizeof(WCHAR)), pwsz};
        ObjAttr.ObjectName = &Name2;
        rcNt = g_rtFsCalls.pfnNtCreateFile(&h, fDesiredAccess, &ObjAttr, &Ios, NULL, FILE_ATTRIBUTE_NORMAL,
                                           fShareAccess, FILE_OPEN, fCreateOptions, NULL, 0);
        ObjAttr.ObjectName = pName;
        RTMemTmpFree(pwsz);
    }
    if (NT_SUCCESS(rcNt)) {
        *phHandle = h;
        return QINF_SUCCESS;
    }
    if (pfObjDir && (rcNt == RTNT_STATUS_OBJECT_NAME_INVALID || rcNt == RTNT_STATUS_OBJECT_TYPE_MISMATCH)) {
        // Not a file: perhaps a directory of the object manager ('\Device'). Its name is opened
        // without a trailing separator.
        UNICODE_STRING NameDir = *pName;
        while (NameDir.Length > sizeof(WCHAR) && NameDir.Buffer[NameDir.Length / sizeof(WCHAR) - 1] == '\\')
            NameDir.Length -= sizeof(WCHAR);
        ObjAttr.ObjectName = &NameDir;
        NTSTATUS rcNt2 = NtOpenDirectoryObject(&h, rtNtPathDirAccess(fDesiredAccess), &ObjAttr);
        if (NT_SUCCESS(rcNt2)) {
            *phHandle = h;
            *pfObjDir = true;
            return QINF_SUCCESS;
        }
    }
    return RTErrConvertFromNtStatus(rcNt);
}

int rtNtPathOpen(const char *pszPath, ACCESS_MASK fDesiredAccess, ULONG fShareAccess, ULONG fCreateOptions,
                 ULONG fObjAttribs, HANDLE *phHandle, bool *pfObjDir) {
    *phHandle = INVALID_HANDLE_VALUE;
    if (pfObjDir) *pfObjDir = false;
    // Object directories are only looked for under pass-through names.
    bool const fPassThrough = RT_VALID_PTR(pszPath) && rtPathIsDosSep(pszPath[0]) && rtPathIsDosSep(pszPath[1]) &&
                              !strncmp(&pszPath[2], ":qurtnt:", 8) && rtPathIsDosSep(pszPath[10]);
    UNICODE_STRING NtName;
    int rc = rtNtPathFromUtf8(&NtName, pszPath);
    if (RT_FAILURE(rc)) return rc;
    rc = rtNtPathOpenWorker(NULL, &NtName, fDesiredAccess, fShareAccess, fCreateOptions, fObjAttribs, phHandle,
                            fPassThrough ? pfObjDir : NULL);
    rtNtPathFree(&NtName);
    return rc;
}

int rtNtPathOpenRelative(HANDLE hRootDir, UNICODE_STRING *pName, ACCESS_MASK fDesiredAccess, ULONG fShareAccess,
                         ULONG fCreateOptions, ULONG fObjAttribs, HANDLE *phHandle) {
    return rtNtPathOpenWorker(hRootDir, pName, fDesiredAccess, fShareAccess, fCreateOptions, fObjAttribs, phHandle,
                              NULL);
}

// Whether cb bytes at pwc spell the ASCII name pszAscii exactly.
static bool rtNtPathNameIs(const WCHAR *pwc, size_t cb, const char *pszAscii) {
    size_t const cch = strlen(pszAscii);
    if (cb != cch * sizeof(WCHAR)) return false;
    for (size_t i = 0; i < cch; i++)
        if (pwc[i] != (WCHAR)pszAscii[i]) return false;
    return true;
}

static uint32_t rtNtPathObjTypeMode(const UNICODE_STRING *pTypeName) {
    if (rtNtPathNameIs(pTypeName->Buffer, pTypeName->Length, "Directory")) return RTNT_OBJNS_MODE_DIRECTORY;
    if (rtNtPathNameIs(pTypeName->Buffer, pTypeName->Length, "SymbolicLink")) return RTNT_OBJNS_MODE_SYMLINK;
    if (rtNtPathNameIs(pTypeName->Buffer, pTypeName->Length, "Device")) return RTNT_OBJNS_MODE_DEVICE;
    return RTNT_OBJNS_MODE_OTHER;
}

int rtNtPathObjNamespaceLookup(const UNICODE_STRING *pNtName, uint32_t *pfMode) {
    *pfMode = 0;
    const WCHAR *pwc = pNtName->Buffer;
    size_t cwc = pNtName->Length / sizeof(WCHAR);
    if (cwc == 1 && pwc[0] == '\\') {
        *pfMode = RTNT_OBJNS_MODE_DIRECTORY;
        return QINF_SUCCESS;
    }

    // The last component (without a trailing separator while one character remains) and its
    // parent (without trailing separators, but never emptier than the root).
    size_t offEnd = cwc;
    if (offEnd > 1 && pwc[offEnd - 1] == '\\') offEnd--;
    size_t offComp = offEnd;
    while (offComp > 0 && pwc[offComp - 1] != '\\') offComp--;
    size_t cwcParent = offComp;
    while (cwcParent > 1 && pwc[cwcParent - 1] == '\\') cwcParent--;
    size_t const cbComp = (offEnd - offComp) * sizeof(WCHAR);

    UNICODE_STRING Parent = {(USHORT)(cwcParent * sizeof(WCHAR)), (USHORT)(cwcParent * sizeof(WCHAR)), (PWSTR)pwc};
    OBJECT_ATTRIBUTES ObjAttr;
    InitializeObjectAttributes(&ObjAttr, &Parent, 0, NULL, NULL);
    HANDLE hDir = NULL;
    NTSTATUS rcNt = NtOpenDirectoryObject(&hDir, RTNT_DIRECTORY_QUERY | RTNT_DIRECTORY_TRAVERSE, &ObjAttr);
    if (!NT_SUCCESS(rcNt)) return RTErrConvertFromNtStatus(rcNt);

    // The listing buffer; entries point into it.
    void *pvBuf = RTMemTmpAllocTag(8312, RTPATHNT_TAG);
    if (!pvBuf) {
        NtClose(hDir);
        return QERR_NO_TMP_MEMORY;
    }
    int rc = QERR_FILE_NOT_FOUND;
    BOOLEAN fSingle = FALSE;
    BOOLEAN fRestart = TRUE;
    ULONG uContext = 0;
    for (;;) {
        ULONG cbReturned = 0;
        rcNt = NtQueryDirectoryObject(hDir, pvBuf, 8312, fSingle, fRestart, &uContext, &cbReturned);
        if (rcNt == RTNT_STATUS_NOT_IMPLEMENTED && !fSingle) {
            // Some systems list one entry at a time only: start over that way.
            fSingle = TRUE;
            fRestart = TRUE;
            uContext = 0;
            continue;
        }
        fRestart = FALSE;
        if (rcNt == RTNT_STATUS_NO_MORE_ENTRIES || rcNt == RTNT_STATUS_NO_MORE_FILES ||
            rcNt == RTNT_STATUS_NO_SUCH_FILE)
            break; // QERR_FILE_NOT_FOUND
        if (!NT_SUCCESS(rcNt)) {
            rc = RTErrConvertFromNtStatus(rcNt);
            break;
        }
        if (cbReturned == 0) break; // nothing listed and no end reported: stop rather than spin
        // A batch ends with an all-zero entry; a single-entry answer is its first entry alone.
        bool fFound = false;
        for (const RTNTOBJDIRINFO *pEntry = (const RTNTOBJDIRINFO *)pvBuf; pEntry->Name.Length; pEntry++) {
            if (pEntry->Name.Length == cbComp && !memcmp(pEntry->Name.Buffer, pwc + offComp, cbComp)) {
                *pfMode = rtNtPathObjTypeMode(&pEntry->TypeName);
                fFound = true;
                break;
            }
            if (fSingle) break;
        }
        if (fFound) {
            rc = QINF_SUCCESS;
            break;
        }
    }
    RTMemTmpFree(pvBuf);
    NtClose(hDir);
    return rc;
}
