// Random numbers: the process-wide generator behind unique temporary names, and generator
// objects of the Park-Miller kind.
//
// These are not cryptographic numbers: the shared generator is seeded from the processor's
// time-stamp counter. Uniqueness of names rests on atomic create-new, never on the numbers.
#pragma once

#include <qrt/types.h>

// A number from u32First to u32Last inclusive, from the shared generator, which is created and
// seeded on the first call (once for the whole process, also with concurrent first callers).
// Draws take no lock. Should the generator not be creatable (out of memory), the result is
// u32First; RTDirCreateTemp and RTFileOpenTemp report that case as QERR_NO_MEMORY.
uint32_t RTRandU32Ex(uint32_t u32First, uint32_t u32Last);

// A generator object. Opaque; every call checks the handle.
typedef struct RTRANDINT *RTRAND;
#define NIL_RTRAND ((RTRAND)0)

// Creates a Park-Miller generator (state 0x20080806, unseeded) in *phRand; the caller owns it
// (destroy with RTRandAdvDestroy). QERR_NO_MEMORY when the allocation fails, *phRand then nil.
int RTRandCreateParkMiller(RTRAND *phRand);

// The generator operations, dispatched through the object. A handle that is implausible or not
// a live generator: the draws return all ones (bytes: nothing written), the other operations
// QERR_INVALID_HANDLE.
// Fills cb bytes at pv with random bytes.
void RTRandAdvBytes(RTRAND hRand, void *pv, size_t cb);
// A number from u32First to u32Last inclusive.
uint32_t RTRandAdvU32Ex(RTRAND hRand, uint32_t u32First, uint32_t u32Last);
// A number from u64First to u64Last inclusive.
uint64_t RTRandAdvU64Ex(RTRAND hRand, uint64_t u64First, uint64_t u64Last);
// Seeds the generator (the low 32 bits of u64Seed) and drops its spare bits.
int RTRandAdvSeed(RTRAND hRand, uint64_t u64Seed);
// Saves the generator's state as text in pszState (*pcbState bytes). A buffer that is too
// small: *pcbState receives the size needed and QERR_BUFFER_OVERFLOW. On success *pcbState is
// unchanged.
int RTRandAdvSaveState(RTRAND hRand, char *pszState, size_t *pcbState);
// Restores a state saved by RTRandAdvSaveState. Text of any other shape: QERR_PARSE_ERROR,
// the generator unchanged.
int RTRandAdvRestoreState(RTRAND hRand, const char *pszState);
// Destroys the generator; a null handle succeeds and does nothing.
int RTRandAdvDestroy(RTRAND hRand);
