// The option parser's scanning: matching arguments against the table, clusters of short
// options, locating values, and the options-first permutation of the argument vector.
#include <qrt/getopt.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/string.h>
#include <qrt/strtonum.h>

#include "common/misc/getopt-internal.h"

#include <string.h>

static_assert(sizeof(RTGETOPTVALUE) == 16, "the value is a 16-byte union");

namespace {

// Consulted after the caller's table unless RTGETOPTINIT_F_NO_STD_OPTS is given; "-?" resolves
// to the first row when nothing else claims "?".
const RTGETOPTDESC g_aStdOptions[] = {
    {"--help", 'h', RTGETOPT_VT_NOTHING},
    {"-help", 'h', RTGETOPT_VT_NOTHING},
    {"--version", 'V', RTGETOPT_VT_NOTHING},
    {"-version", 'V', RTGETOPT_VT_NOTHING},
};

const uint32_t kfInitFlagsValid = RTGETOPTINIT_F_OPTS_FIRST | RTGETOPTINIT_F_NO_STD_OPTS;
// Anything a fetch may ask for besides the value type and the five modifiers.
const uint32_t kfFetchFlagsInvalid = 0xFFE0FFE0U;

bool rtGetOptUseStdOptions(const RTGETOPTSTATE *pState) {
    return !(pState->fFlags & RTGETOPTINIT_F_NO_STD_OPTS);
}

bool rtGetOptIsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// The vector ends at argc or at the first null entry, whichever comes first: a vector whose
// count overstates its entries must not be read past its terminator. An index before the
// vector's start is no argument either.
bool rtGetOptIsEnd(const RTGETOPTSTATE *pState, int32_t i) {
    return i < 0 || i >= pState->argc || !pState->argv || pState->argv[i] == NULL;
}

// Options-first mode: set-aside non-options occupy argv[iTo] to argv[iFrom - 1]; the entry at
// iFrom moves down to iTo and each of them moves up one slot.
void rtGetOptRotate(PRTGETOPTSTATE pState, int32_t iTo, int32_t iFrom) {
    char **argv = pState->argv;
    char *pszMoved = argv[iFrom];
    for (int32_t i = iFrom; i > iTo; i--) argv[i] = argv[i - 1];
    argv[iTo] = pszMoved;
}

// Number of set-aside non-options that an option or value found now has to be moved past.
int32_t rtGetOptSetAside(const RTGETOPTSTATE *pState) {
    return pState->cNonOptions == RTGETOPT_ALL_NON_OPTIONS ? 0 : pState->cNonOptions;
}

// Whether pszArg names the row. For value-taking and indexed rows only the first cchLong bytes
// are compared; *ppszRest is then where the index digits (if any) and the value start.
bool rtGetOptMatchLong(PCRTGETOPTDESC pDesc, const char *pszArg, size_t cchArg, const char **ppszRest) {
    const char *pszLong = pDesc->pszLong;
    uint32_t const fFlags = pDesc->fFlags;
    bool const fICase = (fFlags & RTGETOPT_MOD_ICASE) != 0;

    if ((fFlags & RTGETOPT_VT_MASK) == RTGETOPT_VT_NOTHING && !(fFlags & RTGETOPT_MOD_INDEX)) {
        if (strcmp(pszArg, pszLong) != 0 && !(fICase && RTStrICmp(pszArg, pszLong) == 0)) return false;
        *ppszRest = pszArg + cchArg;
        return true;
    }

    size_t const cchLong = strlen(pszLong);
    // The argument must hold at least the name's bytes, or a case-folded comparison that ends
    // early could leave the rest pointing past the terminator.
    if (cchArg < cchLong) return false;
    if (memcmp(pszArg, pszLong, cchLong) != 0 && !(fICase && RTStrNICmp(pszArg, pszLong, cchLong) == 0)) return false;
    const char *psz = pszArg + cchLong;
    if (fFlags & RTGETOPT_MOD_INDEX)
        while (rtGetOptIsDigit(*psz)) psz++;
    if ((fFlags & RTGETOPT_VT_MASK) == RTGETOPT_VT_NOTHING) {
        if (*psz != '\0') return false;
    } else if (*psz != '\0' && *psz != ':' && *psz != '=')
        return false;
    *ppszRest = pszArg + cchLong;
    return true;
}

PCRTGETOPTDESC rtGetOptLookupLong(const RTGETOPTSTATE *pState, const char *pszArg, const char **ppszRest) {
    size_t const cchArg = strlen(pszArg);
    for (uint32_t i = 0; i < pState->cDescs; i++) {
        PCRTGETOPTDESC pDesc = &pState->paDescs[i];
        if (pDesc->pszLong && rtGetOptMatchLong(pDesc, pszArg, cchArg, ppszRest)) return pDesc;
    }
    if (rtGetOptUseStdOptions(pState))
        for (size_t i = 0; i < RT_ELEMENTS(g_aStdOptions); i++)
            if (rtGetOptMatchLong(&g_aStdOptions[i], pszArg, cchArg, ppszRest)) return &g_aStdOptions[i];
    return NULL;
}

// Short options exist only through identifiers: the first row whose identifier is the letter.
PCRTGETOPTDESC rtGetOptLookupShort(const RTGETOPTSTATE *pState, char chLetter) {
    int const iId = (unsigned char)chLetter;
    if (iId < 1 || iId > 127) return NULL;
    for (uint32_t i = 0; i < pState->cDescs; i++)
        if (pState->paDescs[i].iId == iId) return &pState->paDescs[i];
    if (!rtGetOptUseStdOptions(pState)) return NULL;
    for (size_t i = 0; i < RT_ELEMENTS(g_aStdOptions); i++)
        if (g_aStdOptions[i].iId == iId) return &g_aStdOptions[i];
    return chLetter == '?' ? &g_aStdOptions[0] : NULL;
}

// Takes the argument after the option as its value: moved in front of any set-aside
// non-options, then consumed.
int rtGetOptTakeNextArg(PRTGETOPTSTATE pState, const char **ppszValue) {
    int32_t const cSetAside = rtGetOptSetAside(pState);
    int32_t const iValue = pState->iNext + cSetAside;
    if (rtGetOptIsEnd(pState, iValue)) return QERR_GETOPT_REQUIRED_ARGUMENT_MISSING;
    if (cSetAside > 0) rtGetOptRotate(pState, pState->iNext, iValue);
    *ppszValue = pState->argv[pState->iNext++];
    return QINF_SUCCESS;
}

// The value of an indexed long option: pszRest follows the name and holds the index, then the
// value after ":" or "=", or nothing, in which case the value is the next argument.
int rtGetOptLocateIndexedValue(PRTGETOPTSTATE pState, const char *pszRest, uint32_t *puIndex, const char **ppszValue) {
    if (*pszRest == '\0') return QERR_GETOPT_INDEX_MISSING;
    char *pszNext = NULL;
    uint32_t uIndex = 0;
    int rc = RTStrToUInt32Ex(pszRest, &pszNext, 10, &uIndex);
    if (rc == QWRN_TRAILING_CHARS && (*pszNext == ':' || *pszNext == '=')) {
        *puIndex = uIndex;
        *ppszValue = pszNext + 1;
        return QINF_SUCCESS;
    }
    if (rc != QINF_SUCCESS) return QERR_GETOPT_INVALID_ARGUMENT_FORMAT;
    *puIndex = uIndex;
    return rtGetOptTakeNextArg(pState, ppszValue);
}

// A row matched. Finds its value (if it takes one), converts it and moves the scan on.
// pszRest: for a short option the text after the letter, for a long option the text after
// the name. Returns the row's identifier or a failure status.
int rtGetOptMatched(PRTGETOPTSTATE pState, PRTGETOPTVALUE pValue, PCRTGETOPTDESC pDesc, bool fShort, bool fInCluster,
                    const char *pszRest) {
    pValue->pDef = pDesc;
    uint32_t uIndex = UINT32_MAX;

    if ((pDesc->fFlags & RTGETOPT_VT_MASK) == RTGETOPT_VT_NOTHING) {
        if (fShort) {
            if (fInCluster) {
                // pszNextShort already stands on the following letter.
                if (*pState->pszNextShort == '\0') {
                    pState->pszNextShort = NULL;
                    pState->iNext++;
                }
            } else if (*pszRest != '\0') {
                // A cluster starts; its argument is consumed once its last letter is returned.
                pState->iNext--;
                pState->pszNextShort = pszRest;
            }
        } else if (pDesc->fFlags & RTGETOPT_MOD_INDEX) {
            // The long name matched with nothing but digits after it.
            if (*pszRest == '\0') return QERR_GETOPT_INDEX_MISSING;
            if (RTStrToUInt32Full(pszRest, 10, &uIndex) != QINF_SUCCESS) return QERR_GETOPT_INVALID_ARGUMENT_FORMAT;
        }
    } else {
        const char *pszValue = NULL;
        int rc;
        if (fShort) {
            if (fInCluster) {
                // A value-taking letter ends the cluster: the cluster's argument is consumed
                // now, so a value in the next argument really is the one after it.
                pState->pszNextShort = NULL;
                pState->iNext++;
            }
            if (*pszRest == '\0')
                rc = rtGetOptTakeNextArg(pState, &pszValue);
            else {
                pszValue = *pszRest == ':' || *pszRest == '=' ? pszRest + 1 : pszRest;
                rc = QINF_SUCCESS;
            }
        } else if (pDesc->fFlags & RTGETOPT_MOD_INDEX)
            rc = rtGetOptLocateIndexedValue(pState, pszRest, &uIndex, &pszValue);
        else if (*pszRest == '\0')
            rc = rtGetOptTakeNextArg(pState, &pszValue);
        else {
            pszValue = pszRest + 1; // past the ":" or "=" that matching required
            rc = QINF_SUCCESS;
        }
        if (rc != QINF_SUCCESS) return rc;

        rc = rtgetoptConvertValue(pDesc->fFlags, pszValue, pValue);
        if (rc != QINF_SUCCESS) return rc;
    }

    pState->pCurDesc = pDesc;
    pState->uIndex = uIndex;
    return pDesc->iId;
}

} // namespace

int RTGetOptInit(PRTGETOPTSTATE pState, int argc, char **argv, PCRTGETOPTDESC paDescs, uint32_t cDescs, int iFirst,
                 uint32_t fFlags) {
    if (fFlags & ~kfInitFlagsValid) return QERR_INVALID_PARAMETER;
    pState->iNext = iFirst;
    pState->argv = argv;
    pState->argc = argc;
    pState->paDescs = paDescs;
    pState->cDescs = cDescs;
    pState->pszNextShort = NULL;
    pState->pCurDesc = NULL;
    pState->uIndex = UINT32_MAX;
    pState->fFlags = fFlags;
    pState->cNonOptions = 0;
    return QINF_SUCCESS;
}

int RTGetOpt(PRTGETOPTSTATE pState, PRTGETOPTVALUE pValue) {
    pState->pCurDesc = NULL;
    pState->uIndex = UINT32_MAX;
    pValue->uint64Value = 0;

    // Inside a cluster: the next letter.
    if (pState->pszNextShort) {
        PCRTGETOPTDESC pDesc = rtGetOptLookupShort(pState, *pState->pszNextShort);
        if (!pDesc) {
            pValue->psz = pState->pszNextShort;
            return QERR_GETOPT_UNKNOWN_OPTION;
        }
        pState->pszNextShort++;
        return rtGetOptMatched(pState, pValue, pDesc, true /*fShort*/, true /*fInCluster*/, pState->pszNextShort);
    }

    for (;;) {
        if (rtGetOptIsEnd(pState, pState->iNext)) return 0;

        if (pState->cNonOptions == RTGETOPT_ALL_NON_OPTIONS) {
            pValue->psz = pState->argv[pState->iNext++];
            return QINF_GETOPT_NOT_OPTION;
        }
        int32_t const cSetAside = pState->cNonOptions;
        if (cSetAside != 0 && rtGetOptIsEnd(pState, pState->iNext + cSetAside)) {
            pState->cNonOptions = RTGETOPT_ALL_NON_OPTIONS;
            continue;
        }

        int32_t const iOption = pState->iNext;
        const char *pszArg = pState->argv[iOption + cSetAside];
        pState->iNext++;

        const char *pszRest = NULL;
        bool fShort = false;
        PCRTGETOPTDESC pDesc = rtGetOptLookupLong(pState, pszArg, &pszRest);
        if (!pDesc && pszArg[0] == '-' && pszArg[1] != '-' && pszArg[1] != '\0') {
            pDesc = rtGetOptLookupShort(pState, pszArg[1]);
            fShort = true;
            pszRest = pszArg + 2;
        }

        if (pDesc) {
            if (cSetAside > 0) rtGetOptRotate(pState, iOption, iOption + cSetAside);
            return rtGetOptMatched(pState, pValue, pDesc, fShort, false /*fInCluster*/, pszRest);
        }

        if (strcmp(pszArg, "--") == 0) {
            // Consumed, never returned: everything after it is a non-option.
            if (cSetAside > 0) rtGetOptRotate(pState, iOption, iOption + cSetAside);
            pState->cNonOptions = RTGETOPT_ALL_NON_OPTIONS;
            continue;
        }
        if (pszArg[0] == '-') {
            pValue->psz = pszArg;
            return QERR_GETOPT_UNKNOWN_OPTION;
        }
        if (!(pState->fFlags & RTGETOPTINIT_F_OPTS_FIRST)) {
            pValue->psz = pszArg;
            return QINF_GETOPT_NOT_OPTION;
        }

        // Options first: leave the non-option where it is and look further.
        pState->cNonOptions = cSetAside + 1;
        pState->iNext--;
        if (rtGetOptIsEnd(pState, pState->iNext + pState->cNonOptions)) pState->cNonOptions = RTGETOPT_ALL_NON_OPTIONS;
    }
}

int RTGetOptFetchValue(PRTGETOPTSTATE pState, PRTGETOPTVALUE pValue, uint32_t fFlags) {
    PCRTGETOPTDESC const pDesc = pState->pCurDesc;
    // Cleared first, so that every result can be handed to RTGetOptPrintError with the record.
    pValue->uint64Value = 0;
    if ((fFlags & kfFetchFlagsInvalid) || (fFlags & RTGETOPT_VT_MASK) == RTGETOPT_VT_NOTHING)
        return QERR_INVALID_PARAMETER;
    // The cluster's own argument has not been consumed yet, so there is no "next" argument
    // that would not be read again when the cluster ends.
    if (pState->pszNextShort) return QERR_INVALID_PARAMETER;

    const char *pszValue = NULL;
    int rc = rtGetOptTakeNextArg(pState, &pszValue);
    if (rc != QINF_SUCCESS) return rc;
    pValue->pDef = pDesc;
    return rtgetoptConvertValue(fFlags, pszValue, pValue);
}
