// Test seam over the Windows calls of the file and directory layers (g_rtFsCalls): make the
// Nth call of one entry fail with a chosen result and last error, or replace an entry with a
// function of the test's own. Both put the real function back when they go out of scope.
//
//     // The third WriteFile from now fails with ERROR_DISK_FULL.
//     TstFsCallFail<&RTFSCALLS::pfnWriteFile> Fail(3, FALSE, ERROR_DISK_FULL);
//     // Every SetFileAttributesW from now on fails with access denied.
//     TstFsCallFail<&RTFSCALLS::pfnSetFileAttributesW> Fail(1, FALSE, ERROR_ACCESS_DENIED, true);
//     // An NT call fails by its result; the last error is left alone when dwErr is 0.
//     TstFsCallFail<&RTFSCALLS::pfnNtQueryInformationFile> Fail(1, (NTSTATUS)0xC0000010L, 0);
//
// One instance per entry at a time; tests change the table on one thread, between calls.
#pragma once

#include "r3/win/fscalls-win-internal.h"

#include <type_traits>

namespace tstfscalls {
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
        static inline DWORD s_dwErr = 0;
        static R WINAPI Call(A... Args) {
            unsigned const iCall = ++s_cCalls;
            if (iCall == s_iFailAt || (s_fFromThenOn && iCall > s_iFailAt)) {
                s_cFailed++;
                if (s_dwErr) SetLastError(s_dwErr);
                return s_rFail;
            }
            return s_pfnReal(Args...);
        }
    };
};
} // namespace tstfscalls

template <auto pMember>
class TstFsCallFail {
    typedef std::remove_reference_t<decltype(g_rtFsCalls.*pMember)> Fn;
    typedef tstfscalls::FnTraits<Fn> Traits;
    typedef typename Traits::template Slot<pMember> Slot;

public:
    typedef typename Traits::Ret Ret;
    // The iNth call from now (1: the next) returns rFail with last error dwErr (0: untouched);
    // with fFromThenOn every call after it too. Other calls reach the real function.
    TstFsCallFail(unsigned iNth, Ret rFail, DWORD dwErr, bool fFromThenOn = false) {
        Slot::s_pfnReal = g_rtFsCalls.*pMember;
        Slot::s_cCalls = 0;
        Slot::s_cFailed = 0;
        Slot::s_iFailAt = iNth;
        Slot::s_fFromThenOn = fFromThenOn;
        Slot::s_rFail = rFail;
        Slot::s_dwErr = dwErr;
        g_rtFsCalls.*pMember = &Slot::Call;
    }
    ~TstFsCallFail() { g_rtFsCalls.*pMember = Slot::s_pfnReal; }
    TstFsCallFail(const TstFsCallFail &) = delete;
    TstFsCallFail &operator=(const TstFsCallFail &) = delete;
    // Calls seen since the failure was armed, and how many of them failed.
    unsigned calls() const { return Slot::s_cCalls; }
    unsigned failures() const { return Slot::s_cFailed; }
};

template <auto pMember>
class TstFsCallOverride {
    typedef std::remove_reference_t<decltype(g_rtFsCalls.*pMember)> Fn;

public:
    // Replaces the entry with pfnReplacement, which may call real() to reach the platform.
    explicit TstFsCallOverride(Fn pfnReplacement) {
        s_pfnReal = g_rtFsCalls.*pMember;
        g_rtFsCalls.*pMember = pfnReplacement;
    }
    ~TstFsCallOverride() { g_rtFsCalls.*pMember = s_pfnReal; }
    TstFsCallOverride(const TstFsCallOverride &) = delete;
    TstFsCallOverride &operator=(const TstFsCallOverride &) = delete;
    static Fn real() { return s_pfnReal; }

private:
    static inline Fn s_pfnReal = nullptr;
};
