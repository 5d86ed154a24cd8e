// Fuzz target for the option parser.
//
// Input: byte 0 holds the initialisation flags (bit 0 options first, bit 1 no standard
// options) and, in bit 2, whether a further value is fetched after each option; the rest is
// the argument vector, arguments separated by NUL bytes, each copied into a heap block of
// exactly its size so that AddressSanitizer sees any read past its end. The table has every
// value type, the base and matching modifiers, indexed rows, undefined types, a row without a
// long name and identifiers shared between rows.
//
// What is checked, call by call until 0 or a failure:
// - no crash, and the loop ends within argc * (longest argument + 2) calls;
// - every string handed out (psz of non-options, unknown options and string values, and
//   pszNextShort) points into one of the arguments;
// - an identifier comes with its row in pCurDesc, a failure with none; pDef after a failure
//   other than an unknown option is empty or a row of the table or of the standard options;
// - after 0 the parser stays at 0;
// - RTGetOptPrintError is safe on every result with the record its call filled (a broken pDef
//   would be dereferenced for the option's name);
// - options first: the vector afterwards is a permutation of the input; otherwise unchanged.
// The diagnostics (RTGetOptPrintError, the pair messages) go to /dev/null while the parser
// runs; standard error is back in place for every check.
#include <qrt/err.h>
#include <qrt/getopt.h>

#include "fuzz-check.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

const RTGETOPTDESC g_aDescs[] = {
    {"--str", 's', RTGETOPT_VT_STRING},
    {"-s", 'S', RTGETOPT_VT_NOTHING},
    {"/str", 's', RTGETOPT_VT_STRING},
    {"--i8", '1', RTGETOPT_VT_INT8},
    {"--u8", '2', RTGETOPT_VT_UINT8 | RTGETOPT_MOD_HEX},
    {"--i16", '3', RTGETOPT_VT_INT16 | RTGETOPT_MOD_OCT},
    {"--u16", '4', RTGETOPT_VT_UINT16 | RTGETOPT_MOD_DEC},
    {"--i32", '5', RTGETOPT_VT_INT32},
    {"--u32", '6', RTGETOPT_VT_UINT32},
    {"--i64", '7', RTGETOPT_VT_INT64 | RTGETOPT_MOD_HEX},
    {"--u64", '8', RTGETOPT_VT_UINT64},
    {"--ip", 'i', RTGETOPT_VT_IPV4ADDR},
    {"--cidr", 'c', RTGETOPT_VT_IPV4CIDR},
    {"--mac", 'm', RTGETOPT_VT_MACADDR},
    {"--uuid", 'u', RTGETOPT_VT_UUID},
    {"--onoff", 'o', RTGETOPT_VT_BOOL_ONOFF},
    {"--bool", 'b', RTGETOPT_VT_BOOL},
    {"--p32", 'p', RTGETOPT_VT_UINT32_PAIR},
    {"--p64", 'P', RTGETOPT_VT_UINT64_PAIR | RTGETOPT_MOD_HEX},
    {"--q32", 'q', RTGETOPT_VT_UINT32_OPT_PAIR | RTGETOPT_MOD_OCT},
    {"--q64", 'Q', RTGETOPT_VT_UINT64_OPT_PAIR | RTGETOPT_MOD_DEC},
    {"--disk", 1000, RTGETOPT_VT_STRING | RTGETOPT_MOD_INDEX},
    {"--flag", 1001, RTGETOPT_VT_NOTHING | RTGETOPT_MOD_INDEX | RTGETOPT_MOD_ICASE},
    {"--Lun", 1002, RTGETOPT_VT_UINT8 | RTGETOPT_MOD_INDEX | RTGETOPT_MOD_ICASE},
    {"--Case", 'C', RTGETOPT_VT_NOTHING | RTGETOPT_MOD_ICASE},
    {"/Path", 'x', RTGETOPT_VT_STRING | RTGETOPT_MOD_ICASE},
    {"--bad12", 1012, 12},
    {"--bad31", 1031, 31},
    {"--badmod", 1040, RTGETOPT_VT_STRING | RTGETOPT_MOD_HEX},
    {"--twomods", 1041, RTGETOPT_VT_UINT32 | RTGETOPT_MOD_HEX | RTGETOPT_MOD_OCT},
    {NULL, 'n', RTGETOPT_VT_UINT16},
    {"--v", 'v', RTGETOPT_VT_NOTHING},
    {"-v", 'v', RTGETOPT_VT_NOTHING},
    {"--\xC3\xA9", 'e', RTGETOPT_VT_NOTHING | RTGETOPT_MOD_ICASE},
    {"--\xE2\x84\xAA", 'k', RTGETOPT_VT_STRING | RTGETOPT_MOD_ICASE},
};

// Value types a fetch is asked for, picked by the identifier that preceded it.
const uint32_t g_afFetch[] = {
    RTGETOPT_VT_STRING,
    RTGETOPT_VT_UINT8,
    RTGETOPT_VT_INT64 | RTGETOPT_MOD_HEX,
    RTGETOPT_VT_BOOL,
    RTGETOPT_VT_UINT32_PAIR,
    RTGETOPT_VT_UUID,
    13,
    RTGETOPT_VT_STRING | 0x20,
};

// Sanitizer reports keep a descriptor of their own, so that a fault inside a quiet call is
// still reported. Weak: the target also builds without sanitizers.
extern "C" void __sanitizer_set_report_fd(void *fd) __attribute__((weak));

int keepSanitizerReports() {
    int fdReport = dup(2);
    if (__sanitizer_set_report_fd && fdReport >= 0) __sanitizer_set_report_fd((void *)(intptr_t)fdReport);
    return open("/dev/null", O_WRONLY);
}

// Points standard error at /dev/null for its lifetime.
class QuietStderr {
public:
    QuietStderr() {
        static int s_fdNull = keepSanitizerReports();
        fflush(stderr);
        m_fdSaved = dup(2);
        dup2(s_fdNull, 2);
    }
    ~QuietStderr() {
        fflush(stderr);
        dup2(m_fdSaved, 2);
        close(m_fdSaved);
    }

private:
    int m_fdSaved;
};

int quietGetOpt(PRTGETOPTSTATE pState, PRTGETOPTVALUE pValue) {
    QuietStderr quiet;
    return RTGetOpt(pState, pValue);
}

int quietFetchValue(PRTGETOPTSTATE pState, PRTGETOPTVALUE pValue, uint32_t fFlags) {
    QuietStderr quiet;
    return RTGetOptFetchValue(pState, pValue, fFlags);
}

void quietPrintError(int iResult, const RTGETOPTVALUE &v) {
    int rcExit;
    {
        QuietStderr quiet;
        rcExit = RTGetOptPrintError(iResult, &v);
    }
    CHECK(rcExit == 2);
}

PCRTGETOPTDESC standardRow(const char *pszName) {
    char *apszArgv[] = {(char *)"prog", (char *)pszName, nullptr};
    RTGETOPTSTATE state;
    RTGETOPTVALUE v;
    CHECK(RTGetOptInit(&state, 2, apszArgv, nullptr, 0, 1, 0) == QINF_SUCCESS);
    CHECK(RTGetOpt(&state, &v) > 0);
    return state.pCurDesc;
}

bool isRow(PCRTGETOPTDESC pDesc) {
    static PCRTGETOPTDESC const s_apStd[] = {standardRow("--help"), standardRow("-help"), standardRow("--version"),
                                             standardRow("-version")};
    for (const RTGETOPTDESC &desc : g_aDescs)
        if (pDesc == &desc) return true;
    for (PCRTGETOPTDESC pStd : s_apStd)
        if (pDesc == pStd) return true;
    return false;
}

struct Args {
    std::vector<char *> original; // program name first; the pointers as handed to the parser
    std::vector<char *> argv;     // what the parser works on, null-terminated
    size_t cchLongest = 0;

    bool pointsIntoAnArgument(const char *psz) const {
        for (size_t i = 1; i < original.size(); i++)
            if (psz >= original[i] && psz <= original[i] + strlen(original[i])) return true;
        return false;
    }
};

void checkString(const Args &args, const char *psz) {
    CHECK(psz != nullptr);
    CHECK(args.pointsIntoAnArgument(psz));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    uint32_t const fInit = data[0] & 3;
    bool const fFetch = (data[0] & 4) != 0;

    static char s_szProg[] = "prog";
    Args args;
    args.original.push_back(s_szProg);
    // Arguments are the NUL-separated pieces after the flags byte (none for an empty rest).
    for (size_t off = 1; off < size && args.original.size() < 64;) {
        size_t cch = 0;
        while (off + cch < size && data[off + cch] != 0) cch++;
        char *psz = new char[cch + 1];
        memcpy(psz, data + off, cch);
        psz[cch] = '\0';
        args.original.push_back(psz);
        args.cchLongest = std::max(args.cchLongest, cch);
        off += cch + 1;
    }
    args.argv = args.original;
    args.argv.push_back(nullptr);
    int const argc = (int)args.original.size();

    RTGETOPTSTATE state;
    CHECK(RTGetOptInit(&state, argc, args.argv.data(), g_aDescs, sizeof(g_aDescs) / sizeof(g_aDescs[0]), 1, fInit) ==
          QINF_SUCCESS);

    size_t const cMaxCalls = (size_t)argc * (args.cchLongest + 2);
    size_t cCalls = 0;
    for (;;) {
        RTGETOPTVALUE v;
        memset(&v, 0xA5, sizeof(v));
        int rc = quietGetOpt(&state, &v);
        cCalls++;
        CHECK(cCalls <= cMaxCalls);
        if (state.pszNextShort) checkString(args, state.pszNextShort);

        if (rc == 0) {
            CHECK(state.pCurDesc == nullptr);
            CHECK(quietGetOpt(&state, &v) == 0);
            break;
        }
        quietPrintError(rc, v);
        if (rc == QINF_GETOPT_NOT_OPTION || rc == QERR_GETOPT_UNKNOWN_OPTION) {
            checkString(args, v.psz);
            CHECK(state.pCurDesc == nullptr);
            if (rc < 0) break;
            continue;
        }
        if (rc < 0) {
            CHECK(rc == QERR_GETOPT_REQUIRED_ARGUMENT_MISSING || rc == QERR_GETOPT_INVALID_ARGUMENT_FORMAT ||
                  rc == QERR_GETOPT_INDEX_MISSING || rc == QERR_INTERNAL_ERROR);
            CHECK(state.pCurDesc == nullptr);
            CHECK(v.pDef == nullptr || isRow(v.pDef));
            break;
        }

        // An identifier: its row, and a string value that points into the arguments.
        PCRTGETOPTDESC pDesc = state.pCurDesc;
        CHECK(pDesc != nullptr && isRow(pDesc) && pDesc->iId == rc);
        if (!(pDesc->fFlags & RTGETOPT_MOD_INDEX)) CHECK(state.uIndex == UINT32_MAX);
        uint32_t const uType = pDesc->fFlags & RTGETOPT_VT_MASK;
        if (uType == RTGETOPT_VT_NOTHING) CHECK(v.pDef == pDesc);
        if (uType == RTGETOPT_VT_STRING) checkString(args, v.psz);

        if (fFetch) {
            uint32_t const fFlags = g_afFetch[(unsigned)rc % (sizeof(g_afFetch) / sizeof(g_afFetch[0]))];
            memset(&v, 0xA5, sizeof(v));
            int rcFetch = quietFetchValue(&state, &v, fFlags);
            // A failed fetch is a result a caller hands on; a successful one holds a value.
            if (rcFetch < 0) quietPrintError(rcFetch, v);
            if (rcFetch == QINF_SUCCESS && fFlags == RTGETOPT_VT_STRING) checkString(args, v.psz);
            if (rcFetch == QERR_GETOPT_UNKNOWN_OPTION) checkString(args, v.psz);
            if (rcFetch == QERR_GETOPT_INVALID_ARGUMENT_FORMAT || rcFetch == QERR_INTERNAL_ERROR)
                CHECK(v.pDef == pDesc);
        }
    }

    // Only options-first mode moves arguments, and then only by permuting them.
    std::vector<char *> after(args.argv.begin(), args.argv.end() - 1);
    CHECK(args.argv.back() == nullptr);
    if (fInit & RTGETOPTINIT_F_OPTS_FIRST) {
        std::vector<char *> sortedBefore = args.original, sortedAfter = after;
        std::sort(sortedBefore.begin(), sortedBefore.end());
        std::sort(sortedAfter.begin(), sortedAfter.end());
        CHECK(sortedBefore == sortedAfter);
        CHECK(after[0] == s_szProg);
    } else
        CHECK(after == args.original);

    for (size_t i = 1; i < args.original.size(); i++) delete[] args.original[i];
    return 0;
}
