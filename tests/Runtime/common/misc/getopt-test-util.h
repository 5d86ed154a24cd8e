// Runs the option parser over an argument list and prints each result on one line:
//   id=<result> [value] [def=<row>] next=<iNext> [short="<pszNextShort>"] [index=<uIndex>]
// - value: for an identifier, the member that fits the row's type (psz="..", uint8=.., ...);
//   for a non-option or an unknown option, psz="..";
// - def: the row (its index in the caller's table, or "std:<long name>" for a standard row):
//   pCurDesc for an identifier, the value's pDef for other failures ("none" when empty,
//   "bad" when it points nowhere in either table);
// - a fetch after a chosen identifier prints "fetch=<status>" in the same way.
#pragma once

#include <qrt/err.h>
#include <qrt/getopt.h>

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace getopttest {

struct Table {
    PCRTGETOPTDESC paDescs;
    uint32_t cDescs;
};

#define GETOPT_TABLE(a) (getopttest::Table{(a), (uint32_t)(sizeof(a) / sizeof((a)[0]))})

struct Row {
    int iLine;
    Table table;
    uint32_t fInit;
    std::vector<std::string> args; // after the program name; parsing starts at index 1
    std::vector<std::string> expected;
    std::string finalArgs = ""; // options-first: the vector afterwards, joined by spaces
    int iFetchAfter = 0;        // identifier after which RTGetOptFetchValue is called
    uint32_t fFetch = RTGETOPT_VT_STRING;
};

// The standard rows, found through the parser itself with an empty table of its own.
inline PCRTGETOPTDESC standardRow(const char *pszName) {
    char *apszArgv[] = {(char *)"prog", (char *)pszName, nullptr};
    RTGETOPTSTATE state;
    RTGETOPTVALUE v;
    if (RTGetOptInit(&state, 2, apszArgv, nullptr, 0, 1, 0) != QINF_SUCCESS || RTGetOpt(&state, &v) <= 0)
        return nullptr;
    return state.pCurDesc;
}

// Never dereferences pDesc, so that a broken pointer shows as "bad" rather than a crash.
inline std::string describeRow(PCRTGETOPTDESC pDesc, const Table &table) {
    if (!pDesc) return "none";
    for (uint32_t i = 0; i < table.cDescs; i++)
        if (pDesc == &table.paDescs[i]) return std::to_string(i);
    for (const char *pszName : {"--help", "-help", "--version", "-version"})
        if (pDesc == standardRow(pszName)) return std::string("std:") + pszName;
    return "bad";
}

inline std::string formatValue(uint32_t fFlags, const RTGETOPTVALUE &v) {
    char sz[128];
    switch (fFlags & RTGETOPT_VT_MASK) {
    case RTGETOPT_VT_NOTHING:
        return "";
    case RTGETOPT_VT_STRING:
        return std::string(" psz=\"") + v.psz + "\"";
    case RTGETOPT_VT_INT8:
        snprintf(sz, sizeof(sz), " int8=%d", v.int8Value);
        break;
    case RTGETOPT_VT_UINT8:
        snprintf(sz, sizeof(sz), " uint8=%u", v.uint8Value);
        break;
    case RTGETOPT_VT_INT16:
        snprintf(sz, sizeof(sz), " int16=%d", v.int16Value);
        break;
    case RTGETOPT_VT_UINT16:
        snprintf(sz, sizeof(sz), " uint16=%u", v.uint16Value);
        break;
    case RTGETOPT_VT_INT32:
        snprintf(sz, sizeof(sz), " int32=%" PRId32, v.int32Value);
        break;
    case RTGETOPT_VT_UINT32:
        snprintf(sz, sizeof(sz), " uint32=%" PRIu32, v.uint32Value);
        break;
    case RTGETOPT_VT_INT64:
        snprintf(sz, sizeof(sz), " int64=%" PRId64, v.int64Value);
        break;
    case RTGETOPT_VT_UINT64:
        snprintf(sz, sizeof(sz), " uint64=%" PRIu64, v.uint64Value);
        break;
    case RTGETOPT_VT_IPV4ADDR:
        snprintf(sz, sizeof(sz), " ipv4=%u.%u.%u.%u", v.ipv4.au8[0], v.ipv4.au8[1], v.ipv4.au8[2], v.ipv4.au8[3]);
        break;
    case RTGETOPT_VT_IPV4CIDR:
        snprintf(sz, sizeof(sz), " cidr=%08" PRIx32 "/%08" PRIx32, v.cidr.uNetwork, v.cidr.uMask);
        break;
    case RTGETOPT_VT_MACADDR:
        snprintf(sz, sizeof(sz), " mac=%02x:%02x:%02x:%02x:%02x:%02x", v.mac.au8[0], v.mac.au8[1], v.mac.au8[2],
                 v.mac.au8[3], v.mac.au8[4], v.mac.au8[5]);
        break;
    case RTGETOPT_VT_UUID: {
        const uint8_t *pb = v.uuid.au8;
        snprintf(sz, sizeof(sz), " uuid=%08" PRIx32 "-%04x-%04x-%02x%02x%02x%02x%02x%02x%02x%02x",
                 v.uuid.Gen.u32TimeLow, v.uuid.Gen.u16TimeMid, v.uuid.Gen.u16TimeHiAndVersion, pb[8], pb[9], pb[10],
                 pb[11], pb[12], pb[13], pb[14], pb[15]);
        break;
    }
    case RTGETOPT_VT_BOOL_ONOFF:
    case RTGETOPT_VT_BOOL: {
        // The byte itself, so that anything but 0 and 1 shows.
        uint8_t b;
        memcpy(&b, &v.boolValue, 1);
        snprintf(sz, sizeof(sz), " bool=%u", b);
        break;
    }
    case RTGETOPT_VT_UINT32_PAIR:
    case RTGETOPT_VT_UINT32_OPT_PAIR:
        snprintf(sz, sizeof(sz), " pair=%" PRIu32 ",%" PRIu32, v.pair32.uFirst, v.pair32.uSecond);
        break;
    case RTGETOPT_VT_UINT64_PAIR:
    case RTGETOPT_VT_UINT64_OPT_PAIR:
        snprintf(sz, sizeof(sz), " pair=%" PRIu64 ",%" PRIu64, v.pair64.uFirst, v.pair64.uSecond);
        break;
    default:
        return " ?";
    }
    return sz;
}

inline std::string formatState(const RTGETOPTSTATE &state) {
    std::string str = " next=" + std::to_string(state.iNext);
    if (state.pszNextShort) str += std::string(" short=\"") + state.pszNextShort + "\"";
    if (state.uIndex != UINT32_MAX) str += " index=" + std::to_string(state.uIndex);
    return str;
}

// One RTGetOpt result.
inline std::string formatResult(int rc, const RTGETOPTVALUE &v, const RTGETOPTSTATE &state, const Table &table) {
    std::string str = "id=" + std::to_string(rc);
    if (rc > 0 && rc != QINF_GETOPT_NOT_OPTION) {
        str += formatValue(state.pCurDesc ? state.pCurDesc->fFlags : 0, v);
        str += " def=" + describeRow(state.pCurDesc, table);
        // A switch's value is its row.
        if (state.pCurDesc && (state.pCurDesc->fFlags & RTGETOPT_VT_MASK) == 0 && v.pDef != state.pCurDesc)
            str += " pdef=" + describeRow(v.pDef, table);
    } else {
        if (rc == QINF_GETOPT_NOT_OPTION || rc == QERR_GETOPT_UNKNOWN_OPTION)
            str += std::string(" psz=\"") + v.psz + "\"";
        else if (rc != 0)
            str += " def=" + describeRow(v.pDef, table);
        if (state.pCurDesc) str += " cur=" + describeRow(state.pCurDesc, table);
    }
    return str + formatState(state);
}

// One RTGetOptFetchValue result.
inline std::string formatFetch(int rc, uint32_t fFetch, const RTGETOPTVALUE &v, const RTGETOPTSTATE &state,
                               const Table &table) {
    std::string str = "fetch=" + std::to_string(rc);
    if (rc == QINF_SUCCESS)
        str += formatValue(fFetch, v);
    else if (rc == QERR_GETOPT_UNKNOWN_OPTION)
        str += std::string(" psz=\"") + v.psz + "\"";
    else
        str += " def=" + describeRow(v.pDef, table);
    return str + formatState(state);
}

// Owns a writable copy of an argument list with the program name in front. Each argument is a
// heap block of exactly its size, so that AddressSanitizer sees a read past its end.
struct ArgVector {
    std::vector<std::unique_ptr<char[]>> strings;
    std::vector<char *> argv;

    explicit ArgVector(const std::vector<std::string> &args) {
        add("prog");
        for (const std::string &str : args) add(str);
        argv.push_back(nullptr);
    }
    int argc() const { return (int)strings.size(); }
    std::string joined() const {
        std::string str;
        for (int i = 1; i < argc(); i++) str += (i > 1 ? " " : "") + std::string(argv[i]);
        return str;
    }

private:
    void add(const std::string &str) {
        strings.emplace_back(new char[str.size() + 1]);
        memcpy(strings.back().get(), str.c_str(), str.size() + 1);
        argv.push_back(strings.back().get());
    }
};

// Calls RTGetOpt until it returns 0, or until a failure that ends the expected lines.
inline std::vector<std::string> runRow(const Row &row, ArgVector &args) {
    RTGETOPTSTATE state;
    EXPECT_EQ(RTGetOptInit(&state, args.argc(), args.argv.data(), row.table.paDescs, row.table.cDescs, 1, row.fInit),
              QINF_SUCCESS);
    std::vector<std::string> lines;
    for (size_t cCalls = 0; cCalls <= row.expected.size() + 2; cCalls++) {
        RTGETOPTVALUE v;
        memset(&v, 0xA5, sizeof(v));
        int rc = RTGetOpt(&state, &v);
        lines.push_back(formatResult(rc, v, state, row.table));
        if (rc == 0) {
            EXPECT_EQ(RTGetOpt(&state, &v), 0) << "the end must stay the end";
            break;
        }
        if (rc < 0 && lines.size() >= row.expected.size()) break;
        if (row.iFetchAfter != 0 && rc == row.iFetchAfter) {
            memset(&v, 0xA5, sizeof(v));
            int rcFetch = RTGetOptFetchValue(&state, &v, row.fFetch);
            lines.push_back(formatFetch(rcFetch, row.fFetch, v, state, row.table));
        }
    }
    return lines;
}

inline void checkRows(const Row *paRows, size_t cRows) {
    for (size_t i = 0; i < cRows; i++) {
        const Row &row = paRows[i];
        std::string strArgs;
        for (const std::string &str : row.args) strArgs += "[" + str + "]";
        SCOPED_TRACE("line " + std::to_string(row.iLine) + ": " + strArgs);
        ArgVector args(row.args);
        std::vector<std::string> lines = runRow(row, args);
        EXPECT_EQ(lines, row.expected);
        if (row.fInit & RTGETOPTINIT_F_OPTS_FIRST)
            EXPECT_EQ(args.joined(), row.finalArgs);
        else {
            ArgVector original(row.args);
            EXPECT_EQ(args.joined(), original.joined()) << "the vector is only permuted in options-first mode";
        }
    }
}

} // namespace getopttest
