// Memory layer: the thin allocation API on which every allocating runtime function rests.
//
// Every block comes from the one process heap, so any free operation (RTMemFree, RTMemTmpFree,
// RTStrFree, RTUtf16Free) may free any block. Allocating functions take a tag naming the
// allocating source file (e.g. "Runtime/common/string/utf-8"); it is kept for diagnostics only.
//
// The plain names (RTMemAlloc, RTMemAllocZ, ...) are macros that pass RTMEM_TAG, which a source
// file may define before including this header; otherwise it is the compiler's file name.
#pragma once

#include <qrt/types.h>

#ifndef RTMEM_TAG
#define RTMEM_TAG (__FILE__)
#endif

// Uninitialised block of cb bytes, or null. cb == 0 gives a unique block.
void *RTMemAllocTag(size_t cb, const char *pszTag);
// Zeroed block of cb bytes, or null. cb == 0 gives a unique block.
void *RTMemAllocZTag(size_t cb, const char *pszTag);
// Zeroed block of cb rounded up to a multiple of 4 when below 16, else of 16; or null.
void *RTMemAllocZRoundedTag(size_t cb, const char *pszTag);
// Resizes pvOld (null: allocates) keeping its contents. On failure returns null and leaves the
// old block untouched. A new size of 0 yields a unique minimal block, never a freed pointer, so
// a null result always means "failed, old block still yours".
void *RTMemReallocTag(void *pvOld, size_t cbNew, const char *pszTag);
// A block holding a copy of cb bytes at pvSrc, or null.
void *RTMemDupTag(const void *pvSrc, size_t cb, const char *pszTag);
// Frees a block from any of the allocators; null is ignored.
void RTMemFree(void *pv);

// Short-lived block (uninitialised), or null; free with RTMemTmpFree (or any free operation).
void *RTMemTmpAllocTag(size_t cb, const char *pszTag);
void *RTMemTmpAllocZTag(size_t cb, const char *pszTag);
void RTMemTmpFree(void *pv);

#define RTMemAlloc(cb) RTMemAllocTag((cb), RTMEM_TAG)
#define RTMemAllocZ(cb) RTMemAllocZTag((cb), RTMEM_TAG)
#define RTMemAllocZRounded(cb) RTMemAllocZRoundedTag((cb), RTMEM_TAG)
#define RTMemRealloc(pvOld, cbNew) RTMemReallocTag((pvOld), (cbNew), RTMEM_TAG)
#define RTMemDup(pvSrc, cb) RTMemDupTag((pvSrc), (cb), RTMEM_TAG)
#define RTMemTmpAlloc(cb) RTMemTmpAllocTag((cb), RTMEM_TAG)
#define RTMemTmpAllocZ(cb) RTMemTmpAllocZTag((cb), RTMEM_TAG)

// Test support: makes the allocation that comes cAllocs allocations from now (1 = the very
// next one) fail, as if the heap were exhausted; 0 disarms. Counts every allocating call of
// this layer (RTMemTmp* included) on any thread. Used by tests to reach out-of-memory paths.
void RTMemTestFailAfter(uint32_t cAllocs);
