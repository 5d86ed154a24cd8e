// The Windows calls of the file and directory layers, made through one table so that a test can
// replace an entry (to make its Nth call fail with a chosen error, or to shorten a transfer) and
// put it back. The table is filled at compile time, so it works before initialisation. Only
// tests change it (tests/Runtime/r3/win/fscalls-win-test.h), on one thread, between calls.
#pragma once

#include "r3/nt/fs-nt-internal.h"

typedef struct RTFSCALLS {
    decltype(&::CreateFileW) pfnCreateFileW;
    decltype(&::ReadFile) pfnReadFile;
    decltype(&::WriteFile) pfnWriteFile;
    decltype(&::FlushFileBuffers) pfnFlushFileBuffers;
    decltype(&::SetFilePointer) pfnSetFilePointer;
    decltype(&::GetFileSize) pfnGetFileSize;
    decltype(&::GetFileType) pfnGetFileType;
    decltype(&::SetEndOfFile) pfnSetEndOfFile;
    decltype(&::SetFileAttributesW) pfnSetFileAttributesW;
    decltype(&::DeleteFileW) pfnDeleteFileW;
    decltype(&::CloseHandle) pfnCloseHandle;
    decltype(&::DeviceIoControl) pfnDeviceIoControl;
    decltype(&::CreateDirectoryW) pfnCreateDirectoryW;
    decltype(&::RemoveDirectoryW) pfnRemoveDirectoryW;
    decltype(&::NtCreateFile) pfnNtCreateFile;
    decltype(&::NtClose) pfnNtClose;
    decltype(&::NtQueryInformationFile) pfnNtQueryInformationFile;
    decltype(&::NtQueryVolumeInformationFile) pfnNtQueryVolumeInformationFile;
    decltype(&::NtQueryDirectoryFile) pfnNtQueryDirectoryFile;
} RTFSCALLS;

extern RTFSCALLS g_rtFsCalls;
