// Conversion of an option's value text to the type its descriptor names.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/net.h>
#include <qrt/string.h>
#include <qrt/strtonum.h>
#include <qrt/uuid.h>

#include "common/misc/getopt-internal.h"

#include <string.h>

namespace {

const uint32_t kfBaseMods = RTGETOPT_MOD_HEX | RTGETOPT_MOD_OCT | RTGETOPT_MOD_DEC;

// Compared case-insensitively, in this order; "1" and "0" only exactly.
const char *const g_apszTrueWords[] = {"true", "t", "yes", "y", "enabled", "enable", "en", "e", "on"};
const char *const g_apszFalseWords[] = {"false", "f", "no", "n", "disabled", "disable", "dis", "d", "off"};

bool rtGetOptIsWord(const char *pszValue, const char *const *papszWords, size_t cWords) {
    for (size_t i = 0; i < cWords; i++)
        if (RTStrICmp(pszValue, papszWords[i]) == 0) return true;
    return false;
}

// 1 for a true word, 0 for a false word, -1 for any other text.
int rtGetOptBoolWord(uint32_t uType, const char *pszValue) {
    if (uType == RTGETOPT_VT_BOOL_ONOFF)
        return RTStrICmp(pszValue, "on") == 0 ? 1 : RTStrICmp(pszValue, "off") == 0 ? 0 : -1;
    if (rtGetOptIsWord(pszValue, g_apszTrueWords, RT_ELEMENTS(g_apszTrueWords)) || strcmp(pszValue, "1") == 0) return 1;
    if (rtGetOptIsWord(pszValue, g_apszFalseWords, RT_ELEMENTS(g_apszFalseWords)) || strcmp(pszValue, "0") == 0)
        return 0;
    return -1;
}

// Whether the base modifier (if any) is allowed on the value type.
bool rtGetOptIsBaseAllowed(uint32_t uType) {
    return (uType >= RTGETOPT_VT_INT8 && uType <= RTGETOPT_VT_UINT64) ||
           (uType >= RTGETOPT_VT_UINT32_PAIR && uType <= RTGETOPT_VT_UINT64_OPT_PAIR);
}

// Only exact success counts: a warning (too big for the width, a minus sign on an unsigned
// type) is a bad value. Without a base modifier a failed decimal reading is retried in base
// 16 when the text has the "0x" prefix.
template <typename T>
int rtGetOptConvertInt(int (*pfnFull)(const char *, unsigned, T *), const char *pszValue, uint32_t fBase, T *pOut) {
    unsigned const uBase = fBase == RTGETOPT_MOD_HEX ? 16 : fBase == RTGETOPT_MOD_OCT ? 8 : 10;
    int rc = pfnFull(pszValue, uBase, pOut);
    if (rc != QINF_SUCCESS && fBase == 0 && rtgetoptHasHexPrefix(pszValue)) rc = pfnFull(pszValue, 16, pOut);
    return rc == QINF_SUCCESS ? QINF_SUCCESS : QERR_GETOPT_INVALID_ARGUMENT_FORMAT;
}

} // namespace

int rtgetoptConvertValue(uint32_t fFlags, const char *pszValue, PRTGETOPTVALUE pValue) {
    uint32_t const uType = fFlags & RTGETOPT_VT_MASK;
    uint32_t const fBase = fFlags & kfBaseMods;
    if (fBase != 0 && ((fBase & (fBase - 1)) != 0 || !rtGetOptIsBaseAllowed(uType))) return QERR_INTERNAL_ERROR;

    // Converted into a local and stored only on success: the conversions write their output
    // also when they fail, and the caller's record still holds the row for the diagnostic.
    RTGETOPTVALUE Value;
    memset(&Value, 0, sizeof(Value));
    int rc;
    switch (uType) {
    case RTGETOPT_VT_STRING:
        Value.psz = pszValue;
        rc = QINF_SUCCESS;
        break;
    case RTGETOPT_VT_INT8:
        rc = rtGetOptConvertInt(RTStrToInt8Full, pszValue, fBase, &Value.int8Value);
        break;
    case RTGETOPT_VT_UINT8:
        rc = rtGetOptConvertInt(RTStrToUInt8Full, pszValue, fBase, &Value.uint8Value);
        break;
    case RTGETOPT_VT_INT16:
        rc = rtGetOptConvertInt(RTStrToInt16Full, pszValue, fBase, &Value.int16Value);
        break;
    case RTGETOPT_VT_UINT16:
        rc = rtGetOptConvertInt(RTStrToUInt16Full, pszValue, fBase, &Value.uint16Value);
        break;
    case RTGETOPT_VT_INT32:
        rc = rtGetOptConvertInt(RTStrToInt32Full, pszValue, fBase, &Value.int32Value);
        break;
    case RTGETOPT_VT_UINT32:
        rc = rtGetOptConvertInt(RTStrToUInt32Full, pszValue, fBase, &Value.uint32Value);
        break;
    case RTGETOPT_VT_INT64:
        rc = rtGetOptConvertInt(RTStrToInt64Full, pszValue, fBase, &Value.int64Value);
        break;
    case RTGETOPT_VT_UINT64:
        rc = rtGetOptConvertInt(RTStrToUInt64Full, pszValue, fBase, &Value.uint64Value);
        break;
    case RTGETOPT_VT_IPV4ADDR:
        rc = RT_FAILURE(RTNetStrToIPv4Addr(pszValue, &Value.ipv4)) ? QERR_GETOPT_INVALID_ARGUMENT_FORMAT : QINF_SUCCESS;
        break;
    case RTGETOPT_VT_IPV4CIDR:
        rc = RT_FAILURE(RTNetStrToIPv4Cidr(pszValue, &Value.cidr.uNetwork, &Value.cidr.uMask))
                 ? QERR_GETOPT_INVALID_ARGUMENT_FORMAT
                 : QINF_SUCCESS;
        break;
    case RTGETOPT_VT_MACADDR:
        rc = RT_FAILURE(RTNetStrToMacAddr(pszValue, &Value.mac)) ? QERR_GETOPT_INVALID_ARGUMENT_FORMAT : QINF_SUCCESS;
        break;
    case RTGETOPT_VT_UUID:
        rc = RTUuidFromStr(&Value.uuid, pszValue) != QINF_SUCCESS ? QERR_GETOPT_INVALID_ARGUMENT_FORMAT : QINF_SUCCESS;
        break;
    case RTGETOPT_VT_BOOL_ONOFF:
    case RTGETOPT_VT_BOOL: {
        int const iBool = rtGetOptBoolWord(uType, pszValue);
        if (iBool < 0) {
            // Not a boolean word: reported like an unknown option, naming the text.
            pValue->psz = pszValue;
            return QERR_GETOPT_UNKNOWN_OPTION;
        }
        Value.boolValue = iBool != 0;
        rc = QINF_SUCCESS;
        break;
    }
    case RTGETOPT_VT_UINT32_PAIR:
    case RTGETOPT_VT_UINT64_PAIR:
    case RTGETOPT_VT_UINT32_OPT_PAIR:
    case RTGETOPT_VT_UINT64_OPT_PAIR:
        return rtgetoptConvertPair(fFlags, pszValue, pValue);
    default:
        return QERR_INTERNAL_ERROR;
    }
    if (rc == QINF_SUCCESS) *pValue = Value;
    return rc;
}
