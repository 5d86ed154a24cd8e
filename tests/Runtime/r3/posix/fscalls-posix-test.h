// Test seam over the POSIX calls of the file and directory layers (g_rtFsCalls): make the Nth
// call of one entry fail with a chosen result and errno, or replace an entry with a function
// of the test's own. Both put the real function back when they go out of scope.
//
//     // The second write() from now fails with ENOSPC.
//     TstFsCallFail<&RTFSCALLS::pfnWrite> Fail(2, -1, ENOSPC);
//
// One instance per entry at a time; tests change the table on one thread, between calls.
#pragma once

#include "r3/posix/fscalls-posix-internal.h"

#include <errno.h>

#include <type_traits>

// The C library's declarations carry attributes (nonnull, warn_unused_result) that do not
// belong to the pointer types; the templates below only need the types.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"

namespace tstfscalls {
template <typename T>
struct FnTraits;
template <bool fNoExcept, typename R, typename... A>
struct FnTraitsBase {
    typedef R Ret;
    typedef R (*Fn)(A...) noexcept(fNoExcept);
    template <auto pMember>
    struct Slot {
        static inline Fn s_pfnReal = nullptr;
        static inline unsigned s_cCalls = 0;
        static inline unsigned s_cFailed = 0;
        static inline unsigned s_iFailAt = 0;
        static inline bool s_fFromThenOn = false;
        static inline R s_rFail{};
        static inline int s_iErrno = 0;
        static R Call(A... Args) noexcept(fNoExcept) {
            unsigned const iCall = ++s_cCalls;
            if (iCall == s_iFailAt || (s_fFromThenOn && iCall > s_iFailAt)) {
                s_cFailed++;
                errno = s_iErrno;
                return s_rFail;
            }
            return s_pfnReal(Args...);
        }
    };
};
template <typename R, typename... A>
struct FnTraits<R (*)(A...)> : FnTraitsBase<false, R, A...> {};
template <typename R, typename... A>
struct FnTraits<R (*)(A...) noexcept> : FnTraitsBase<true, R, A...> {};
} // namespace tstfscalls

template <auto pMember>
class TstFsCallFail {
    typedef std::remove_reference_t<decltype(g_rtFsCalls.*pMember)> Fn;
    typedef tstfscalls::FnTraits<Fn> Traits;
    typedef typename Traits::template Slot<pMember> Slot;

public:
    typedef typename Traits::Ret Ret;
    // The iNth call from now (1: the next) returns rFail with errno iErrno; with fFromThenOn
    // every call after it too. Other calls reach the real function.
    TstFsCallFail(unsigned iNth, Ret rFail, int iErrno, bool fFromThenOn = false) {
        Slot::s_pfnReal = g_rtFsCalls.*pMember;
        Slot::s_cCalls = 0;
        Slot::s_cFailed = 0;
        Slot::s_iFailAt = iNth;
        Slot::s_fFromThenOn = fFromThenOn;
        Slot::s_rFail = rFail;
        Slot::s_iErrno = iErrno;
        g_rtFsCalls.*pMember = &Slot::Call;
    }
    ~TstFsCallFail() { g_rtFsCalls.*pMember = Slot::s_pfnReal; }
    TstFsCallFail(const TstFsCallFail &) = delete;
    TstFsCallFail &operator=(const TstFsCallFail &) = delete;
    unsigned calls() const { return Slot::s_cCalls; }
    unsigned failures() const { return Slot::s_cFailed; }
};

template <auto pMember>
class TstFsCallOverride {
    typedef std::remove_reference_t<decltype(g_rtFsCalls.*pMember)> Fn;

public:
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

#pragma GCC diagnostic pop
