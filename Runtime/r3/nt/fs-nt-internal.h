// NT declarations of the file, directory and path-query layers beyond what the Windows headers
// declare. Windows builds only.
#pragma once

#include "r3/nt/nt-internal.h"

#define RTNT_STATUS_BUFFER_OVERFLOW ((NTSTATUS)0x80000005L)
#define RTNT_STATUS_ACCESS_DENIED ((NTSTATUS)0xC0000022L)
#define RTNT_STATUS_SHARING_VIOLATION ((NTSTATUS)0xC0000043L)
#define RTNT_STATUS_INVALID_PARAMETER_9 ((NTSTATUS)0xC00000F7L)

extern "C" {
NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE hFile, HANDLE hEvent, PIO_APC_ROUTINE pfnApc, PVOID pvApcContext,
                                    PIO_STATUS_BLOCK pIos, PVOID pvBuffer, ULONG cbBuffer,
                                    FILE_INFORMATION_CLASS enmClass, BOOLEAN fReturnSingleEntry,
                                    PUNICODE_STRING pFileName, BOOLEAN fRestartScan);
}
// Looked up by name (ntdll of every supported version has it, but it is not in the import
// library of every toolchain).
typedef NTSTATUS(NTAPI *PFNNTQUERYFULLATTRIBUTESFILE)(POBJECT_ATTRIBUTES pObjAttr,
                                                      PFILE_NETWORK_OPEN_INFORMATION pInfo);
