// The template rules of the unique-name operations.
#pragma once

#include <qrt/types.h>

// Finds the run of 'X' characters a template's random characters replace: the run at the very
// end of the template (any length), or else the last run of three or more inside its file name
// (the text after the last '\', '/' or ':'). Returns the run's length, 0 when there is none;
// *poffRun receives its offset.
size_t rtPathTmpFindXRun(const char *pszTemplate, size_t *poffRun);

// How many names one call tries before it gives up.
#define RTPATHTMP_MAX_TRIES 10000
