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

// The C library's declarations carry attributes (nonnull, warn_unused_result) that do not
// belong to the pointer types; the templates below only need the types.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"

namespace tstfscalls {
typedef int Error; // an errno value
template <typename T>
struct FnTraits;
template <bool fNoExcept, typename R, typename... A>
struct FnTraitsBase {
    typedef R Ret;
    typedef R (*Fn)(A...) noexcept(fNoExcept);
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
        static R Call(A... Args) noexcept(fNoExcept) {
            unsigned const iCall = ++s_cCalls;
            if (iCall == s_iFailAt || (s_fFromThenOn && iCall > s_iFailAt)) {
                s_cFailed++;
                errno = s_Err;
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

#include "Runtime/r3/fscalls-test-core.h"

#pragma GCC diagnostic pop
