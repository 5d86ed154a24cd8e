// The table of the file and directory layers' Windows calls, pointing at the real functions.
#include "r3/win/fscalls-win-internal.h"

RTFSCALLS g_rtFsCalls = {
    ::CreateFileW,
    ::ReadFile,
    ::WriteFile,
    ::FlushFileBuffers,
    ::SetFilePointer,
    ::GetFileSize,
    ::GetFileType,
    ::SetEndOfFile,
    ::SetFileAttributesW,
    ::DeleteFileW,
    ::CloseHandle,
    ::DeviceIoControl,
    ::CreateDirectoryW,
    ::RemoveDirectoryW,
    ::NtCreateFile,
    ::NtClose,
    ::NtQueryInformationFile,
    ::NtQueryVolumeInformationFile,
    ::NtQueryDirectoryFile,
};
