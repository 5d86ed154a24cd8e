// Test seam over the Windows calls of the file and directory layers (g_rtFsCalls): make the
// Nth call of one entry fail with a chosen result and last error, or replace an entry with a
// function of the test's own. Both put the real function back when they go out of scope.
//
//     // The third WriteFile from now fails with ERROR_DISK_FULL.
//     TstFsCallFail<&RTFSCALLS::pfnWriteFile> Fail(3, FALSE, ERROR_DISK_FULL);
//     // Every SetFileAttributesW from now on fails with access denied.
//     TstFsCallFail<&RTFSCALLS::pfnSetFileAttributesW> Fail(1, FALSE, ERROR_ACCESS_DENIED, true);
//     // An NT call fails by its result; the last error is left alone when the error is 0.
//     TstFsCallFail<&RTFSCALLS::pfnNtQueryInformationFile> Fail(1, (NTSTATUS)0xC0000010L, 0);
//
// One instance per entry at a time; tests change the table on one thread, between calls.
#pragma once

#include "r3/win/fscalls-win-internal.h"

namespace tstfscalls {
typedef DWORD Error; // a Win32 error for SetLastError; 0 leaves the last error alone
template <typename T>
struct FnTraits;
template <typename R, typename... A>
struct FnTraits<R(WINAPI *)(A...)> {
    typedef R Ret;
    typedef R(WINAPI *Fn)(A...);
    // State of one entry's failure; one per table member.
    template <auto pMember>
    struct Slot {
        static inline Fn s_pfnReal = nullptr;
        static inline unsigned s_cCalls = 0;
        static inline unsigned s_cFailed = 0;
        static inline unsigned s_iFailAt = 0;
        static inline bool s_fFromThenOn = false;
        static inline R s_rFail{};
        static inline Error s_Err = 0;
        static R WINAPI Call(A... Args) {
            unsigned const iCall = ++s_cCalls;
            if (iCall == s_iFailAt || (s_fFromThenOn && iCall > s_iFailAt)) {
                s_cFailed++;
                if (s_Err) SetLastError(s_Err);
                return s_rFail;
            }
            return s_pfnReal(Args...);
        }
    };
};
} // namespace tstfscalls

#include "Runtime/r3/fscalls-test-core.h"
