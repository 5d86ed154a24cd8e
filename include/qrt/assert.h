// Assertions: reports of violated internal expectations, and the error-variable bracket that
// keeps any diagnostic output from disturbing the caller's error state.
//
// A report has two parts. RTAssertMsg1 names the failed expression and where it is;
// RTAssertMsg2 (continued with RTAssertMsg2Add) explains it in free form. Each part goes to the
// loggers (the release logger when one exists, the default logger) and then to the standard
// error stream, flushed, and is kept in process-wide storage. Reporting cannot fail: output
// errors are ignored and long texts are cut (1024 bytes for the first part, 4096 for the
// second). Neither part changes the calling thread's error variables.
//
// The reporting site decides what follows, by one of these conventions:
// - strict assertions (Assert, AssertMsg, AssertMsgStmt, AssertMsgReturn, AssertRC): both parts,
//   RTAssertShouldPanic, then a breakpoint trap. Without a debugger the trap ends the process
//   (exit code 0x80000003 on Windows, SIGTRAP elsewhere); when a debugger resumes the thread the
//   site carries on with its failure path (the statement or the return);
// - release-log assertions (AssertLogRelMsg, AssertLogRelMsgStmt, AssertLogRelMsgReturn): only
//   the release logger hears of them, "AssertLogRel %s(%d) %s: %s\n" and the site's message;
//   nothing is stored or written to standard error, and the site goes on;
// - the fatal form (RTAssertFatalMsg2): the second part, then traps for ever.
//
// Messages are parenthesised argument lists of the formatting engine, e.g.
// AssertMsg(cb <= cbMax, ("cb=%zu\n", cb)); "%Rrc" and the other runtime types work.
#pragma once

#include <qrt/types.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>

// First part: the failed expression, its line, source file and function. Any of the three
// texts may be null ("<none>" for the expression and file on standard error, "" for the
// function).
void RTAssertMsg1(const char *pszExpr, unsigned uLine, const char *pszFile, const char *pszFunction);
// Starts a new second part.
void RTAssertMsg2(const char *pszFormat, ...);
void RTAssertMsg2V(const char *pszFormat, va_list va);
// Continues the current second part. When the stored part already holds 4092 characters or
// more it stays as it is, but the text still reaches the loggers and standard error.
void RTAssertMsg2Add(const char *pszFormat, ...);
void RTAssertMsg2AddV(const char *pszFormat, va_list va);
// Whether a strict assertion should stop the process: true when the environment variable
// "QUIL_ASSERT" is unset, "breakpoint" or "panic"; false for "disabled" and any other value.
// The sites of this system trap whatever it answers.
bool RTAssertShouldPanic(void);
// Second part, then a breakpoint trap in an endless loop: never returns. For failures after
// which the caller cannot go on (a system function that cannot be bound).
[[noreturn]] void RTAssertFatalMsg2(const char *pszFormat, ...);

// Release-log reports, for the macros below: the first line and the site's message go to the
// release logger if one exists, else nowhere.
void RTAssertLogRelMsg1(const char *pszExpr, unsigned uLine, const char *pszFile, const char *pszFunction);
void RTAssertLogRelMsg2(const char *pszFormat, ...);

// The thread's error variables: the Windows last error, the Windows Sockets last error and the
// C library's errno.
typedef struct RTERRVARS {
    int32_t ai32Vars[4]; // magic, last error, sockets error, errno
} RTERRVARS;
typedef RTERRVARS *PRTERRVARS;
typedef const RTERRVARS *PCRTERRVARS;

#define RTERRVARS_MAGIC 0x19520117
// The sockets error saved when the sockets functions are not available (WSANOTINITIALISED).
#define RTERRVARS_WSA_NOT_INITIALISED 10093

// Saves the calling thread's error variables into *pVars and returns pVars. Where a variable
// does not exist on the platform, 0 is saved (the sockets error: 10093).
PRTERRVARS RTErrVarsSave(PRTERRVARS pVars);
// Puts back what RTErrVarsSave saved: errno, then the sockets error (unless 10093 was saved or
// the sockets functions are unavailable), then the last error. A record without the magic
// value is ignored.
void RTErrVarsRestore(PCRTERRVARS pVars);

// The breakpoint trap: the x86 breakpoint instruction (an undefined-instruction trap would be a
// different exception).
#if defined(__i386__) || defined(__x86_64__)
#define RT_BREAKPOINT() __asm__ __volatile__("int3")
#else
#define RT_BREAKPOINT() __builtin_trap()
#endif

// What every strict site does after its report.
#define RTAssertPanic()                                                                                                \
    do {                                                                                                               \
        RTAssertShouldPanic();                                                                                         \
        RT_BREAKPOINT();                                                                                               \
    } while (0)

#define RT_ASSERT_MSG1(pszExpr) RTAssertMsg1((pszExpr), __LINE__, __FILE__, __PRETTY_FUNCTION__)

// Strict assertions.
#define Assert(expr)                                                                                                   \
    do {                                                                                                               \
        if (RT_UNLIKELY(!(expr))) {                                                                                    \
            RT_ASSERT_MSG1(#expr);                                                                                     \
            RTAssertPanic();                                                                                           \
        }                                                                                                              \
    } while (0)
#define AssertMsg(expr, a)                                                                                             \
    do {                                                                                                               \
        if (RT_UNLIKELY(!(expr))) {                                                                                    \
            RT_ASSERT_MSG1(#expr);                                                                                     \
            RTAssertMsg2 a;                                                                                            \
            RTAssertPanic();                                                                                           \
        }                                                                                                              \
    } while (0)
#define AssertMsgStmt(expr, a, stmt)                                                                                   \
    do {                                                                                                               \
        if (RT_UNLIKELY(!(expr))) {                                                                                    \
            RT_ASSERT_MSG1(#expr);                                                                                     \
            RTAssertMsg2 a;                                                                                            \
            RTAssertPanic();                                                                                           \
            stmt;                                                                                                      \
        }                                                                                                              \
    } while (0)
#define AssertMsgReturn(expr, a, rcRet)                                                                                \
    do {                                                                                                               \
        if (RT_UNLIKELY(!(expr))) {                                                                                    \
            RT_ASSERT_MSG1(#expr);                                                                                     \
            RTAssertMsg2 a;                                                                                            \
            RTAssertPanic();                                                                                           \
            return (rcRet);                                                                                            \
        }                                                                                                              \
    } while (0)
// A status code that must be a success; the report prints it with "%Rra".
#define AssertRC(rc) AssertMsg(RT_SUCCESS_NP(rc), ("%Rra\n", (int)(rc)))

// Release-log assertions.
#define AssertLogRelMsgStmt(expr, a, stmt)                                                                             \
    do {                                                                                                               \
        if (RT_UNLIKELY(!(expr))) {                                                                                    \
            RTAssertLogRelMsg1(#expr, __LINE__, __FILE__, __PRETTY_FUNCTION__);                                        \
            RTAssertLogRelMsg2 a;                                                                                      \
            stmt;                                                                                                      \
        }                                                                                                              \
    } while (0)
#define AssertLogRelMsg(expr, a) AssertLogRelMsgStmt(expr, a, (void)0)
#define AssertLogRelMsgReturn(expr, a, rcRet) AssertLogRelMsgStmt(expr, a, return (rcRet))
