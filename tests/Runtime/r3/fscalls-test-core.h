// The platform-independent half of the file-call seam: arming a failure on one entry of
// g_rtFsCalls, or replacing it. Included by win/fscalls-win-test.h and
// posix/fscalls-posix-test.h, which supply, in namespace tstfscalls, the error type (Error)
// and FnTraits<Fn> with Ret and a Slot<pMember> whose Call fails or passes on (they differ in
// calling convention and in how the error is set). Tests include the platform header.
#pragma once

#include <type_traits>

template <auto pMember>
class TstFsCallFail {
    typedef std::remove_reference_t<decltype(g_rtFsCalls.*pMember)> Fn;
    typedef tstfscalls::FnTraits<Fn> Traits;
    typedef typename Traits::template Slot<pMember> Slot;

public:
    typedef typename Traits::Ret Ret;
    // The iNth call from now (1: the next) returns rFail with error Err (Windows: the last
    // error, left alone when 0; POSIX: errno); with fFromThenOn every call after it too. Other
    // calls reach the real function.
    TstFsCallFail(unsigned iNth, Ret rFail, tstfscalls::Error Err, bool fFromThenOn = false) {
        Slot::s_pfnReal = g_rtFsCalls.*pMember;
        Slot::s_cCalls = 0;
        Slot::s_cFailed = 0;
        Slot::s_iFailAt = iNth;
        Slot::s_fFromThenOn = fFromThenOn;
        Slot::s_rFail = rFail;
        Slot::s_Err = Err;
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
