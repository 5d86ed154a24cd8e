// Prints a parsed path record on one line, so parser tests compare a single string:
//   "n=3 props=0x0165 cch=15 [C:\][dir][file.txt] sfx=11+4"
#pragma once

#include <qrt/path.h>

#include <cstdio>
#include <string>

static inline std::string tstPathParsedToString(const char *pszPath, const RTPATHPARSED *pParsed, size_t cMax) {
    char sz[64];
    snprintf(sz, sizeof(sz), "n=%u props=0x%04x cch=%u ", pParsed->cComps, pParsed->fProps, pParsed->cchPath);
    std::string str(sz);
    for (size_t i = 0; i < pParsed->cComps && i < cMax; i++)
        str += "[" + std::string(pszPath + pParsed->aComps[i].off, pParsed->aComps[i].cch) + "]";
    snprintf(sz, sizeof(sz), " sfx=%u+%u", pParsed->offSuffix, pParsed->cchSuffix);
    return str + sz;
}
