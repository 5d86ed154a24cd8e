// Lazy binding of system library functions: a function is bound on its first call, from the
// library loaded by full path from the system directory (RTLdrLoadSystem), and called straight
// through its slot from then on. A program that never calls a library's functions never loads
// the library; its import table does not name it.
//
// Per library a table holds the RTLAZYLIB record and one typed slot per function. Each slot
// starts out holding a resolver with exactly the function's signature: the first call binds
// the slot and goes on into the function with the caller's arguments, and its result comes
// back as if the caller had called the function directly. A library that cannot be loaded or a
// function it lacks ends the process (a report on standard error, then a breakpoint trap,
// repeated for ever); nothing the caller could do would help.
//
// Use, in the file that defines a library's table:
//     RTLAZY_RESOLVER(g_MyLib, RetType, FunctionName, (ParamType a, ParamType b), (a, b))
// for each function, then the table itself with RTLAZYLIB_INITIALIZER("NAME.DLL") followed by
// RTLAZY_RESOLVER_NAME(FunctionName) for each slot, in the table's order. The slots are named
// pfn<FunctionName> and declared RTLAZY_WINAPI.
#pragma once

#include <qrt/ldr.h>

// The calling convention of system library functions: stdcall on 32-bit x86 (a pointer without
// it corrupts the stack on every call), the platform's only convention elsewhere.
#if defined(__i386__)
#define RTLAZY_WINAPI __attribute__((stdcall))
#else
#define RTLAZY_WINAPI
#endif

typedef struct RTLAZYLIB {
    const char *pszFilename;   // e.g. "MSI.DLL"
    RTLDRMOD volatile hLdrMod; // null until the first binding of any of its functions
} RTLAZYLIB;

#define RTLAZYLIB_INITIALIZER(a_pszFilename)                                                                           \
    { (a_pszFilename), NIL_RTLDRMOD }

// The library's record, loading the library (never unloaded) on the first call. A library that
// cannot be loaded ends the process with "Lazy loader failed to load \"%s\": %Rrc\n".
RTLDRMOD RTLazyLibGetModule(RTLAZYLIB *pLib);
// Stores the address of pszSymbol in *ppvSlot. A missing symbol ends the process with
// "Lazy loader failed to resolve symbol \"%s\" in \"%s\": %Rrc\n".
void RTLazyLibResolve(RTLAZYLIB *pLib, void *volatile *ppvSlot, const char *pszSymbol);

#define RTLAZY_RESOLVER_NAME(a_Name) rtLazyResolve_##a_Name

// The resolver of slot pfn<a_Name> of table a_Table: binds the slot, then calls through it.
#define RTLAZY_RESOLVER(a_Table, a_RetType, a_Name, a_Params, a_Args)                                                  \
    static a_RetType RTLAZY_WINAPI RTLAZY_RESOLVER_NAME(a_Name) a_Params {                                             \
        RTLazyLibResolve(&(a_Table).Lib, (void *volatile *)(void *)&(a_Table).pfn##a_Name, #a_Name);                   \
        return (a_Table).pfn##a_Name a_Args;                                                                           \
    }
