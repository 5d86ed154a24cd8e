// The code-page conversion without a byte limit; the platform files implement the rest.
#include <qrt/string.h>

int RTStrUtf8ToCurrentCPTag(char **ppszString, const char *pszString, const char *pszTag) {
    return RTStrUtf8ToCurrentCPExTag(ppszString, pszString, RTSTR_MAX, pszTag);
}
