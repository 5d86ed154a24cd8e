// The Windows calls of the loader, made through one table so that a test can count them or make
// one fail and put it back. Filled at compile time, so it works before initialisation. Only
// tests change it, on one thread, between loads.
#pragma once

#include <windows.h>

#include <qrt/types.h>

typedef struct RTLDRWINCALLS {
    decltype(&::LoadLibraryExW) pfnLoadLibraryExW;
    decltype(&::FreeLibrary) pfnFreeLibrary;
    decltype(&::GetProcAddress) pfnGetProcAddress;
    decltype(&::GetSystemDirectoryW) pfnGetSystemDirectoryW;
} RTLDRWINCALLS;

extern RTLDRWINCALLS g_rtLdrWinCalls;

// Whether LoadLibraryExW takes the restricted search flags, learnt on the first load that asks.
typedef enum RTLDRWINSEARCH : uint32_t {
    RTLDRWINSEARCH_UNKNOWN = 0,
    RTLDRWINSEARCH_SUPPORTED = 1,
    RTLDRWINSEARCH_UNSUPPORTED = 2,
} RTLDRWINSEARCH;
extern RTLDRWINSEARCH volatile g_enmRtLdrWinSearch;

// The search flags of a load with RTLDRLOAD_FLAGS_NT_SEARCH_DLL_LOAD_DIR: system directory,
// application directory and the library's own directory.
#define RTLDRWIN_SEARCH_FLAGS 0xB00U
