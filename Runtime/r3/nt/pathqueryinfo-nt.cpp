// Describing the object a path names, through the NT layer: by name, by handle, or as an entry
// of its parent directory, whichever answers first; names of the NT object namespace through
// its directory listing.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/file.h>
#include <qrt/mem.h>
#include <qrt/path.h>
#include <qrt/system.h>

#include "r3/fs-internal.h"
#include "r3/nt/fs-nt-internal.h"
#include "r3/nt/path-nt-internal.h"
#include "r3/win/file-win-internal.h"
#include "r3/win/fscalls-win-internal.h"
#include "r3/win/init-win-internal.h"

#include <string.h>

#define RTPATHQUERYINFO_TAG "Runtime/r3/nt/pathqueryinfo-nt"

// Wine answers object-manager names given to the by-name query with this status.
#define RTNT_STATUS_BAD_DEVICE_TYPE ((NTSTATUS)0xC00000CBL)

// Whether the open option FILE_OPEN_REPARSE_POINT is accepted: 0 unknown, 1 yes, -1 no. Learnt
// from the first answer; concurrent first callers learn the same.
static int32_t volatile g_iRtPathReparseOpenOption = 0;

static PFNNTQUERYFULLATTRIBUTESFILE volatile g_pfnRtPathNtQueryFullAttributesFile;
static bool volatile g_fRtPathNtQueryFullAttributesLookedUp;

static PFNNTQUERYFULLATTRIBUTESFILE rtPathNtQueryFullAttributesFile(void) {
    if (!g_fRtPathNtQueryFullAttributesLookedUp) {
        g_pfnRtPathNtQueryFullAttributesFile = rtR3WinNtDll()->pfnNtQueryFullAttributesFile;
        g_fRtPathNtQueryFullAttributesLookedUp = true;
    }
    return g_pfnRtPathNtQueryFullAttributesFile;
}

// Completes the additional attributes of a record a way has filled.
static int rtPathQueryComplete(FsObjInfo *pObjInfo, FsObjAttrAdd enmAdditional) {
    if (!rtFsObjAttrAddIsValid(enmAdditional)) return QERR_INTERNAL_ERROR;
    rtFsObjInfoSetAdditional(pObjInfo, enmAdditional);
    return QINF_SUCCESS;
}

// A name that is not a file: a device, symbolic link or directory of the object manager.
static int rtPathQueryObjNamespace(const UNICODE_STRING *pNtName, FsObjInfo *pObjInfo, FsObjAttrAdd enmAdditional) {
    uint32_t fMode = 0;
    int rc = rtNtPathObjNamespaceLookup(pNtName, &fMode);
    if (RT_FAILURE(rc)) return rc;
    memset(pObjInfo, 0, sizeof(*pObjInfo));
    int64_t const iEpoch = rtFsTimeFromNt(0);
    pObjInfo->AccessTime = iEpoch;
    pObjInfo->ModificationTime = iEpoch;
    pObjInfo->ChangeTime = iEpoch;
    pObjInfo->BirthTime = iEpoch;
    pObjInfo->fMode = fMode;
    return rtPathQueryComplete(pObjInfo, enmAdditional);
}

static bool rtPathQueryIsNotAFile(NTSTATUS rcNt) {
    return rcNt == RTNT_STATUS_OBJECT_TYPE_MISMATCH || rcNt == RTNT_STATUS_OBJECT_NAME_INVALID;
}

// Way 1: the attributes by name, without a handle.
static int rtPathQueryByName(UNICODE_STRING *pNtName, FsObjInfo *pObjInfo, FsObjAttrAdd enmAdditional,
                             const char *pszName, size_t cchName) {
    PFNNTQUERYFULLATTRIBUTESFILE pfnQuery = rtPathNtQueryFullAttributesFile();
    if (!pfnQuery) return QINF_TRY_AGAIN;
    OBJECT_ATTRIBUTES ObjAttr;
    InitializeObjectAttributes(&ObjAttr, pNtName, OBJ_CASE_INSENSITIVE, NULL, NULL);
    FILE_NETWORK_OPEN_INFORMATION Info;
    memset(&Info, 0, sizeof(Info));
    NTSTATUS rcNt = pfnQuery(&ObjAttr, &Info);
    if (NT_SUCCESS(rcNt)) {
        // A reparse point needs its tag, which only a handle gives.
        if (Info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return QINF_TRY_AGAIN;
        memset(pObjInfo, 0, sizeof(*pObjInfo));
        pObjInfo->cbObject = (uint64_t)Info.EndOfFile.QuadPart;
        pObjInfo->cbAllocated = (uint64_t)Info.AllocationSize.QuadPart;
        pObjInfo->AccessTime = rtFsTimeFromNt(Info.LastAccessTime.QuadPart);
        pObjInfo->ModificationTime = rtFsTimeFromNt(Info.LastWriteTime.QuadPart);
        pObjInfo->ChangeTime = rtFsTimeFromNt(Info.ChangeTime.QuadPart);
        pObjInfo->BirthTime = rtFsTimeFromNt(Info.CreationTime.QuadPart);
        pObjInfo->fMode = rtFsModeFromDos((RTFMODE)Info.FileAttributes << RTFS_DOS_SHIFT, pszName, cchName, 0);
        return rtPathQueryComplete(pObjInfo, enmAdditional);
    }
    if (rcNt == RTNT_STATUS_ACCESS_DENIED || rcNt == RTNT_STATUS_SHARING_VIOLATION) return QINF_TRY_AGAIN;
    if (rtPathQueryIsNotAFile(rcNt) || rcNt == RTNT_STATUS_INVALID_PARAMETER || rcNt == RTNT_STATUS_BAD_DEVICE_TYPE) {
        int rc = rtPathQueryObjNamespace(pNtName, pObjInfo, enmAdditional);
        return rc == QINF_TRY_AGAIN ? QINF_TRY_AGAIN : rc;
    }
    return RTErrConvertFromNtStatus(rcNt); // QINF_TRY_AGAIN lets the next way try
}

static NTSTATUS rtPathQueryOpen(HANDLE *phFile, UNICODE_STRING *pName, HANDLE hRoot, ACCESS_MASK fAccess,
                                ULONG fOptions) {
    OBJECT_ATTRIBUTES ObjAttr;
    InitializeObjectAttributes(&ObjAttr, pName, OBJ_CASE_INSENSITIVE, hRoot, NULL);
    IO_STATUS_BLOCK Ios;
    *phFile = INVALID_HANDLE_VALUE;
    return g_rtFsCalls.pfnNtCreateFile(phFile, fAccess, &ObjAttr, &Ios, NULL, FILE_ATTRIBUTE_NORMAL,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, fOptions,
                                       NULL, 0);
}

// Way 2: open the object for its attributes and describe the handle.
static int rtPathQueryByHandle(UNICODE_STRING *pNtName, FsObjInfo *pObjInfo, FsObjAttrAdd enmAdditional,
                               uint32_t fFlags, const char *pszName, size_t cchName) {
    ULONG fOptions = FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT;
    bool const fReparseOption = !(fFlags & RTPATH_F_FOLLOW_LINK) && g_iRtPathReparseOpenOption >= 0;
    if (fReparseOption) fOptions |= FILE_OPEN_REPARSE_POINT;
    HANDLE hFile = INVALID_HANDLE_VALUE;
    NTSTATUS rcNt = rtPathQueryOpen(&hFile, pNtName, NULL, FILE_READ_ATTRIBUTES | SYNCHRONIZE, fOptions);
    if (fReparseOption && g_iRtPathReparseOpenOption == 0) {
        if (rcNt == RTNT_STATUS_INVALID_PARAMETER || rcNt == RTNT_STATUS_INVALID_PARAMETER_9) {
            fOptions &= ~(ULONG)FILE_OPEN_REPARSE_POINT;
            rcNt = rtPathQueryOpen(&hFile, pNtName, NULL, FILE_READ_ATTRIBUTES | SYNCHRONIZE, fOptions);
            if (rcNt != RTNT_STATUS_INVALID_PARAMETER) g_iRtPathReparseOpenOption = -1;
        } else if (NT_SUCCESS(rcNt))
            g_iRtPathReparseOpenOption = 1;
    }
    if (!NT_SUCCESS(rcNt)) {
        if (rcNt == RTNT_STATUS_ACCESS_DENIED || rcNt == RTNT_STATUS_SHARING_VIOLATION) return QINF_TRY_AGAIN;
        if (rtPathQueryIsNotAFile(rcNt)) return rtPathQueryObjNamespace(pNtName, pObjInfo, enmAdditional);
        return RTErrConvertFromNtStatus(rcNt); // QINF_TRY_AGAIN lets the next way try
    }

    FILE_ATTRIBUTE_TAG_INFORMATION Tag = {0, 0};
    IO_STATUS_BLOCK Ios;
    if (!NT_SUCCESS(g_rtFsCalls.pfnNtQueryInformationFile(hFile, &Ios, &Tag, sizeof(Tag), FileAttributeTagInformation)))
        Tag.FileAttributes = Tag.ReparseTag = 0;
    if ((Tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && Tag.ReparseTag != RTFS_REPARSE_TAG_SYMLINK &&
        !(fFlags & RTPATH_F_FOLLOW_LINK)) {
        // A junction or mount point: describe where it leads. The first handle goes in any case.
        HANDLE hTarget = INVALID_HANDLE_VALUE;
        rcNt = rtPathQueryOpen(&hTarget, pNtName, NULL, FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                               fOptions & ~(ULONG)FILE_OPEN_REPARSE_POINT);
        g_rtFsCalls.pfnNtClose(hFile);
        if (!NT_SUCCESS(rcNt)) return QINF_TRY_AGAIN;
        hFile = hTarget;
        Tag.FileAttributes = Tag.ReparseTag = 0;
    }
    int rc = rtFileWinQueryInfo(hFile, pObjInfo, enmAdditional, pszName, cchName, Tag.ReparseTag);
    g_rtFsCalls.pfnNtClose(hFile);
    return RT_SUCCESS(rc) ? rc : QINF_TRY_AGAIN;
}

// Way 3: the object as an entry of its parent directory.
static int rtPathQueryThroughParent(UNICODE_STRING *pNtName, FsObjInfo *pObjInfo, FsObjAttrAdd enmAdditional,
                                    const char *pszName, size_t cchName) {
    // The last component, ignoring a trailing separator; the parent keeps its separator, so the
    // root of a drive ('\??\C:\') opens as the directory it is, not as the volume.
    PWSTR pwc = pNtName->Buffer;
    size_t offEnd = pNtName->Length / sizeof(WCHAR);
    if (offEnd > 1 && (pwc[offEnd - 1] == '\\' || pwc[offEnd - 1] == '/')) offEnd--;
    size_t offComp = offEnd;
    while (offComp > 0 && pwc[offComp - 1] != '\\' && pwc[offComp - 1] != '/') offComp--;
    WCHAR wszDot[] = L".";
    UNICODE_STRING Parent = {(USHORT)(offComp * sizeof(WCHAR)), (USHORT)(offComp * sizeof(WCHAR)), pwc};
    if (offComp == 0) Parent = {sizeof(WCHAR), sizeof(wszDot), wszDot};
    UNICODE_STRING Comp = {(USHORT)((offEnd - offComp) * sizeof(WCHAR)), (USHORT)((offEnd - offComp) * sizeof(WCHAR)),
                           pwc + offComp};

    HANDLE hDir = INVALID_HANDLE_VALUE;
    NTSTATUS rcNt = rtPathQueryOpen(&hDir, &Parent, NULL, FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                    FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT);
    if (!NT_SUCCESS(rcNt)) {
        if (rtPathQueryIsNotAFile(rcNt)) {
            int rc = rtPathQueryObjNamespace(pNtName, pObjInfo, enmAdditional);
            if (RT_SUCCESS(rc)) return rc;
        }
        return RTErrConvertFromNtStatus(rcNt);
    }

    bool const fWithId = RTSystemGetNtVersion() >= RTSYSTEM_MAKE_NT_VERSION(5, 1, 0);
    void *pvBuf = RTMemTmpAllocZTag(8312, RTPATHQUERYINFO_TAG);
    int rc;
    if (!pvBuf)
        rc = QERR_NO_TMP_MEMORY;
    else {
        IO_STATUS_BLOCK Ios;
        rcNt = g_rtFsCalls.pfnNtQueryDirectoryFile(
            hDir, NULL, NULL, NULL, &Ios, pvBuf, 8312,
            fWithId ? FileIdBothDirectoryInformation : FileBothDirectoryInformation, TRUE, &Comp, TRUE);
        if (!NT_SUCCESS(rcNt))
            rc = RTErrConvertFromNtStatus(rcNt);
        else {
            // The fields up to the short name are the same in both classes.
            const FILE_ID_BOTH_DIR_INFORMATION *pEntry = (const FILE_ID_BOTH_DIR_INFORMATION *)pvBuf;
            memset(pObjInfo, 0, sizeof(*pObjInfo));
            pObjInfo->cbObject = (uint64_t)pEntry->EndOfFile.QuadPart;
            pObjInfo->cbAllocated = (uint64_t)pEntry->AllocationSize.QuadPart;
            pObjInfo->AccessTime = rtFsTimeFromNt(pEntry->LastAccessTime.QuadPart);
            pObjInfo->ModificationTime = rtFsTimeFromNt(pEntry->LastWriteTime.QuadPart);
            pObjInfo->ChangeTime = rtFsTimeFromNt(pEntry->ChangeTime.QuadPart);
            pObjInfo->BirthTime = rtFsTimeFromNt(pEntry->CreationTime.QuadPart);
            pObjInfo->fMode =
                rtFsModeFromDos((RTFMODE)pEntry->FileAttributes << RTFS_DOS_SHIFT, pszName, cchName, pEntry->EaSize);
            if (enmAdditional == RTFSOBJATTRADD_UNIX) {
                pObjInfo->u.Unix.uid = UINT32_MAX;
                pObjInfo->u.Unix.gid = UINT32_MAX;
                pObjInfo->u.Unix.cHardlinks = 1;
                pObjInfo->u.Unix.INodeId = fWithId ? (uint64_t)pEntry->FileId.QuadPart : 0;
                pObjInfo->u.Unix.INodeIdDevice = rtFileWinVolumeSerial(hDir);
            }
            rc = rtPathQueryComplete(pObjInfo, enmAdditional);
        }
        RTMemTmpFree(pvBuf);
    }
    g_rtFsCalls.pfnNtClose(hDir);
    return rc;
}

int RTPathQueryInfoEx(const char *pszPath, FsObjInfo *pObjInfo, FsObjAttrAdd enmAdditional, uint32_t fFlags) {
    int rc = rtPathQueryInfoCheckArgs(pszPath, pObjInfo, enmAdditional, fFlags);
    if (RT_FAILURE(rc)) return rc;
    UNICODE_STRING NtName;
    rc = rtNtPathFromUtf8(&NtName, pszPath);
    if (RT_FAILURE(rc)) return rc;

    // The name for the executable-suffix rule of the mode.
    const char *pszName = RTPathFilename(pszPath);
    size_t const cchName = pszName ? strlen(pszName) : 0;

    rc = QINF_TRY_AGAIN;
    if (enmAdditional != RTFSOBJATTRADD_UNIX)
        rc = rtPathQueryByName(&NtName, pObjInfo, enmAdditional, pszName, cchName);
    if (rc == QINF_TRY_AGAIN) rc = rtPathQueryByHandle(&NtName, pObjInfo, enmAdditional, fFlags, pszName, cchName);
    if (rc == QINF_TRY_AGAIN) rc = rtPathQueryThroughParent(&NtName, pObjInfo, enmAdditional, pszName, cchName);
    rtNtPathFree(&NtName);
    return rc;
}
