// NT declarations the runtime uses beyond what the Windows headers declare. Windows builds only.
#pragma once

#include <windows.h>
#include <winternl.h>

// NT status values the path code tests (typed as NTSTATUS; the Windows headers give DWORDs).
#define RTNT_STATUS_NO_MORE_ENTRIES ((NTSTATUS)0x8000001AL)
#define RTNT_STATUS_NO_MORE_FILES ((NTSTATUS)0x80000006L)
#define RTNT_STATUS_NOT_IMPLEMENTED ((NTSTATUS)0xC0000002L)
#define RTNT_STATUS_NO_SUCH_FILE ((NTSTATUS)0xC000000FL)
#define RTNT_STATUS_INVALID_PARAMETER ((NTSTATUS)0xC000000DL)
#define RTNT_STATUS_OBJECT_TYPE_MISMATCH ((NTSTATUS)0xC0000024L)
#define RTNT_STATUS_OBJECT_NAME_INVALID ((NTSTATUS)0xC0000033L)

#ifndef FILE_OPEN
#define FILE_OPEN 0x00000001
#endif
#ifndef OBJ_CASE_INSENSITIVE
#define OBJ_CASE_INSENSITIVE 0x00000040L
#endif

// Object-directory access rights.
#define RTNT_DIRECTORY_QUERY 0x0001
#define RTNT_DIRECTORY_TRAVERSE 0x0002
#define RTNT_DIRECTORY_CREATE_OBJECT 0x0004
#define RTNT_DIRECTORY_CREATE_SUBDIRECTORY 0x0008
#define RTNT_DIRECTORY_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | 0x000F)

// One entry of an object-directory listing; a listing ends with an all-zero entry.
typedef struct RTNTOBJDIRINFO {
    UNICODE_STRING Name;
    UNICODE_STRING TypeName;
} RTNTOBJDIRINFO;

extern "C" {
NTSTATUS NTAPI NtOpenDirectoryObject(PHANDLE phDirectory, ACCESS_MASK fDesiredAccess, POBJECT_ATTRIBUTES pObjAttr);
NTSTATUS NTAPI NtQueryDirectoryObject(HANDLE hDirectory, PVOID pvBuffer, ULONG cbBuffer, BOOLEAN fReturnSingleEntry,
                                      BOOLEAN fRestartScan, PULONG puContext, PULONG pcbReturned);
}
