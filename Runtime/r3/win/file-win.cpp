// Files on Windows.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/file.h>
#include <qrt/utf16.h>

#include "r3/file-internal.h"
#include "r3/fs-internal.h"
#include "r3/win/file-win-internal.h"
#include "r3/win/fscalls-win-internal.h"
#include "r3/win/path-win-internal.h"
#include "r3/win/init-win-internal.h"

#include <winioctl.h>
#include <string.h>

int RTFileOpen(RTFILE *phFile, const char *pszPath, uint64_t fOpen) {
    if (!RT_VALID_PTR(phFile)) return QERR_INVALID_PARAMETER;
    *phFile = NIL_RTFILE;
    if (!RT_VALID_PTR(pszPath)) return QERR_INVALID_PARAMETER;
    int rc = rtFileValidateOpenFlags(&fOpen);
    if (RT_FAILURE(rc)) return rc;
    RTFILEWINOPEN Params;
    rc = rtFileOpenFlagsToWin(fOpen, &Params);
    if (RT_FAILURE(rc)) return rc;

    RTUTF16 *pwszPath = NULL;
    rc = rtPathWinToNative(&pwszPath, pszPath);
    if (RT_FAILURE(rc)) return rc;

    SECURITY_ATTRIBUTES SecAttr = {sizeof(SecAttr), NULL, TRUE};
    HANDLE hFile =
        g_rtFsCalls.pfnCreateFileW((LPCWSTR)pwszPath, Params.fAccess, Params.fShare, Params.fInherit ? &SecAttr : NULL,
                                   Params.uDisposition, Params.fFlagsAttrs, NULL);
    if (hFile == INVALID_HANDLE_VALUE) {
        rc = RTErrConvertFromWin32(GetLastError());
    } else {
        // What the open did: only a file this call created may be deleted again below.
        bool const fExisted = GetLastError() == ERROR_ALREADY_EXISTS;
        bool fCreated = false;
        bool fReplaced = false;
        bool fOpenedExisting = false;
        switch (Params.uDisposition) {
        case CREATE_NEW:
            fCreated = true;
            break;
        case CREATE_ALWAYS:
            fReplaced = fExisted;
            fCreated = !fExisted;
            break;
        case OPEN_ALWAYS:
            fOpenedExisting = fExisted;
            fCreated = !fExisted;
            break;
        default:
            break;
        }

        uint32_t const fOpen32 = (uint32_t)fOpen;
        if ((fOpen32 & RTFOPEN_NOT_CONTENT_INDEXED) && (fCreated || fReplaced)) {
            if (!g_rtFsCalls.pfnSetFileAttributesW((LPCWSTR)pwszPath, FILE_ATTRIBUTE_NOT_CONTENT_INDEXED))
                rc = RTErrConvertFromWin32(GetLastError());
        } else if ((fOpen32 & RTFOPEN_ACTION_MASK) == RTFOPEN_OPEN_CREATE && (fOpen32 & RTFOPEN_TRUNCATE) &&
                   fOpenedExisting) {
            if (!g_rtFsCalls.pfnSetEndOfFile(hFile)) rc = RTErrConvertFromWin32(GetLastError());
        }

        if (RT_SUCCESS(rc))
            *phFile = (RTFILE)hFile;
        else {
            // Leave nothing behind that the caller cannot name: a new file goes again. A
            // replaced or existing file keeps what the open did to it.
            g_rtFsCalls.pfnCloseHandle(hFile);
            if (fCreated) g_rtFsCalls.pfnDeleteFileW((LPCWSTR)pwszPath);
        }
    }
    RTUtf16Free(pwszPath);
    return rc;
}

int RTFileClose(RTFILE hFile) {
    if (hFile == NIL_RTFILE) return QINF_SUCCESS;
    if (!g_rtFsCalls.pfnCloseHandle((HANDLE)hFile)) return RTErrConvertFromWin32(GetLastError());
    return QINF_SUCCESS;
}

int rtFileNativeRead(RTFILE hFile, void *pvBuf, size_t cb, size_t *pcbDone, bool *pfShrink) {
    DWORD cbRead = 0;
    if (g_rtFsCalls.pfnReadFile((HANDLE)hFile, pvBuf, (DWORD)cb, &cbRead, NULL)) {
        *pcbDone = cbRead;
        return QINF_SUCCESS;
    }
    DWORD const dwErr = GetLastError();
    *pfShrink = dwErr == ERROR_NOT_ENOUGH_MEMORY;
    return RTErrConvertFromWin32(dwErr);
}

int rtFileNativeWrite(RTFILE hFile, const void *pvBuf, size_t cb, size_t *pcbDone, bool *pfShrink) {
    DWORD cbWritten = 0;
    if (g_rtFsCalls.pfnWriteFile((HANDLE)hFile, pvBuf, (DWORD)cb, &cbWritten, NULL)) {
        *pcbDone = cbWritten;
        return QINF_SUCCESS;
    }
    DWORD const dwErr = GetLastError();
    *pfShrink = dwErr == ERROR_NOT_ENOUGH_MEMORY;
    return RTErrConvertFromWin32(dwErr);
}

FsType rtFileQueryFsType(RTFILE hFile) {
    union {
        FILE_FS_ATTRIBUTE_INFORMATION Info;
        uint64_t au64[4112 / 8];
    } Buf;
    IO_STATUS_BLOCK Ios = {};
    NTSTATUS rcNt =
        g_rtFsCalls.pfnNtQueryVolumeInformationFile((HANDLE)hFile, &Ios, &Buf, sizeof(Buf), FileFsAttributeInformation);
    if (!NT_SUCCESS(rcNt)) return RTFSTYPE_UNKNOWN;
    size_t cbName = Buf.Info.FileSystemNameLength;
    size_t const cbMax = sizeof(Buf) - offsetof(FILE_FS_ATTRIBUTE_INFORMATION, FileSystemName);
    if (cbName > cbMax) cbName = cbMax;
    return rtFsTypeFromName((const RTUTF16 *)Buf.Info.FileSystemName, cbName);
}

int RTFileFlush(RTFILE hFile) {
    if (!g_rtFsCalls.pfnFlushFileBuffers((HANDLE)hFile)) return RTErrConvertFromWin32(GetLastError());
    return QINF_SUCCESS;
}

uint64_t RTFileTell(RTFILE hFile) {
    // A low part of all ones is a valid position (0xFFFFFFFF itself): only the last error
    // tells a failure, so it is cleared first.
    LONG offHigh = 0;
    SetLastError(NO_ERROR);
    DWORD const offLow = g_rtFsCalls.pfnSetFilePointer((HANDLE)hFile, 0, &offHigh, FILE_CURRENT);
    if (offLow == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return UINT64_MAX;
    return ((uint64_t)(uint32_t)offHigh << 32) | offLow;
}

int RTFileQuerySize(RTFILE hFile, uint64_t *pcbSize) {
    // As in RTFileTell: a file of 4 GiB - 1 has a low part of all ones.
    DWORD cbHigh = 0;
    SetLastError(NO_ERROR);
    DWORD const cbLow = g_rtFsCalls.pfnGetFileSize((HANDLE)hFile, &cbHigh);
    DWORD const dwErr = cbLow == INVALID_FILE_SIZE ? GetLastError() : NO_ERROR;
    if (dwErr == NO_ERROR) {
        *pcbSize = ((uint64_t)cbHigh << 32) | cbLow;
        return QINF_SUCCESS;
    }
    int const rc = RTErrConvertFromWin32(dwErr);

    // A disk opened as a file: its geometry, or better its exact length.
    DISK_GEOMETRY Geometry;
    DWORD cbReturned = 0;
    if (g_rtFsCalls.pfnDeviceIoControl((HANDLE)hFile, IOCTL_DISK_GET_DRIVE_GEOMETRY, NULL, 0, &Geometry,
                                       sizeof(Geometry), &cbReturned, NULL) &&
        (Geometry.MediaType == RemovableMedia || Geometry.MediaType == FixedMedia)) {
        uint64_t cbDisk = (uint64_t)Geometry.Cylinders.QuadPart * Geometry.TracksPerCylinder *
                          Geometry.SectorsPerTrack * Geometry.BytesPerSector;
        GET_LENGTH_INFORMATION Length;
        if (g_rtFsCalls.pfnDeviceIoControl((HANDLE)hFile, IOCTL_DISK_GET_LENGTH_INFO, NULL, 0, &Length, sizeof(Length),
                                           &cbReturned, NULL))
            cbDisk = (uint64_t)Length.Length.QuadPart;
        *pcbSize = cbDisk;
        return QINF_SUCCESS;
    }
    return rc;
}

uint32_t rtFileWinVolumeSerial(HANDLE hFile) {
    union {
        FILE_FS_VOLUME_INFORMATION Info;
        uint64_t au64[168 / 8];
    } Buf;
    IO_STATUS_BLOCK Ios = {};
    NTSTATUS rcNt =
        g_rtFsCalls.pfnNtQueryVolumeInformationFile(hFile, &Ios, &Buf, sizeof(Buf), FileFsVolumeInformation);
    if (NT_SUCCESS(rcNt) || rcNt == RTNT_STATUS_BUFFER_OVERFLOW) return Buf.Info.VolumeSerialNumber;
    return 0;
}

typedef BOOL(WINAPI *PFNVERIFYCONSOLEIOHANDLE)(HANDLE);
// Looked up once; concurrent first callers find the same answer.
static PFNVERIFYCONSOLEIOHANDLE volatile g_pfnRtFileVerifyConsoleIoHandle;
static bool volatile g_fRtFileVerifyConsoleLookedUp;

// A handle the NT query refused may be a console: tell a dead handle from a device.
static int rtFileWinCheckConsole(HANDLE hFile) {
    if (!g_fRtFileVerifyConsoleLookedUp) {
        g_pfnRtFileVerifyConsoleIoHandle =
            (PFNVERIFYCONSOLEIOHANDLE)(void *)rtR3WinKernel32Symbol("VerifyConsoleIoHandle");
        g_fRtFileVerifyConsoleLookedUp = true;
    }
    PFNVERIFYCONSOLEIOHANDLE pfnVerify = g_pfnRtFileVerifyConsoleIoHandle;
    if (pfnVerify) return pfnVerify(hFile) ? QINF_SUCCESS : QERR_INVALID_HANDLE;
    SetLastError(NO_ERROR);
    if (g_rtFsCalls.pfnGetFileType(hFile) == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR)
        return QERR_INVALID_HANDLE;
    return QINF_SUCCESS;
}

int rtFileWinQueryInfo(HANDLE hFile, FsObjInfo *pObjInfo, FsObjAttrAdd enmAdditional, const char *pszName,
                       size_t cchName, uint32_t uReparseTag) {
    // The fixed part of the record; the name that follows does not fit and is not needed.
    union {
        FILE_ALL_INFORMATION Info;
        uint64_t au64[104 / 8];
    } Buf;
    memset(&Buf, 0, sizeof(Buf));
    IO_STATUS_BLOCK Ios = {};
    NTSTATUS rcNt = g_rtFsCalls.pfnNtQueryInformationFile(hFile, &Ios, &Buf, sizeof(Buf), FileAllInformation);
    if (NT_SUCCESS(rcNt) || rcNt == RTNT_STATUS_BUFFER_OVERFLOW) {
        FILE_ALL_INFORMATION const *pAll = &Buf.Info;
        memset(pObjInfo, 0, sizeof(*pObjInfo));
        pObjInfo->cbObject = (uint64_t)pAll->StandardInformation.EndOfFile.QuadPart;
        pObjInfo->cbAllocated = (uint64_t)pAll->StandardInformation.AllocationSize.QuadPart;
        pObjInfo->AccessTime = rtFsTimeFromNt(pAll->BasicInformation.LastAccessTime.QuadPart);
        pObjInfo->ModificationTime = rtFsTimeFromNt(pAll->BasicInformation.LastWriteTime.QuadPart);
        pObjInfo->ChangeTime = rtFsTimeFromNt(pAll->BasicInformation.ChangeTime.QuadPart);
        pObjInfo->BirthTime = rtFsTimeFromNt(pAll->BasicInformation.CreationTime.QuadPart);
        pObjInfo->fMode = rtFsModeFromDos((RTFMODE)pAll->BasicInformation.FileAttributes << RTFS_DOS_SHIFT, pszName,
                                          cchName, uReparseTag);
        if (enmAdditional == RTFSOBJATTRADD_UNIX) {
            pObjInfo->u.Unix.uid = UINT32_MAX;
            pObjInfo->u.Unix.gid = UINT32_MAX;
            pObjInfo->u.Unix.cHardlinks = RT_MAX(pAll->StandardInformation.NumberOfLinks, 1UL);
            pObjInfo->u.Unix.INodeId = (uint64_t)pAll->InternalInformation.IndexNumber.QuadPart;
            pObjInfo->u.Unix.INodeIdDevice = rtFileWinVolumeSerial(hFile);
        }
        rtFsObjInfoSetAdditional(pObjInfo, enmAdditional);
        return QINF_SUCCESS;
    }

    int rc = RTErrConvertFromNtStatus(rcNt);
    if (rc == QERR_INVALID_HANDLE || rc == QERR_ACCESS_DENIED || rc == QERR_UNEXPECTED_FS_OBJ_TYPE) {
        rc = rtFileWinCheckConsole(hFile);
        if (RT_FAILURE(rc)) return rc;
    } else if (rc != QERR_INVALID_FUNCTION && rc != QERR_IO_BAD_COMMAND)
        return rc;

    // A console or another device: nothing but the kind and the device mode.
    memset(pObjInfo, 0, sizeof(*pObjInfo));
    pObjInfo->fMode = rtFsModeFromDos(RTFS_DOS_NT_DEVICE, "", 0, 0);
    pObjInfo->enmAdditional = enmAdditional;
    return QINF_SUCCESS;
}

int RTFileQueryInfo(RTFILE hFile, FsObjInfo *pObjInfo, FsObjAttrAdd enmAdditional) {
    if (hFile == NIL_RTFILE || !RT_VALID_PTR(pObjInfo) || !rtFsObjAttrAddIsValid(enmAdditional))
        return QERR_INVALID_PARAMETER;
    return rtFileWinQueryInfo((HANDLE)hFile, pObjInfo, enmAdditional, NULL, 0, 0);
}

bool RTFileIsValid(RTFILE hFile) {
    if (hFile == NIL_RTFILE) return false;
    SetLastError(NO_ERROR);
    switch (g_rtFsCalls.pfnGetFileType((HANDLE)hFile)) {
    case FILE_TYPE_DISK:
    case FILE_TYPE_CHAR:
    case FILE_TYPE_PIPE:
    case FILE_TYPE_REMOTE:
        return true;
    case FILE_TYPE_UNKNOWN:
        return GetLastError() == NO_ERROR;
    default:
        return false;
    }
}

int RTFileDelete(const char *pszPath) {
    RTUTF16 *pwszPath = NULL;
    int rc = rtPathWinToNative(&pwszPath, pszPath);
    if (RT_FAILURE(rc)) return rc;
    if (!g_rtFsCalls.pfnDeleteFileW((LPCWSTR)pwszPath)) rc = RTErrConvertFromWin32(GetLastError());
    RTUtf16Free(pwszPath);
    return rc;
}

intptr_t RTFileToNative(RTFILE hFile) {
    return (intptr_t)hFile;
}
