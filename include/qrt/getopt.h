// Command-line option parser: a pull parser over an argument vector, driven by a table of
// option descriptors.
//
// Usage: RTGetOptInit once, then RTGetOpt in a loop, switching on the result, until it returns
// 0 (no more arguments) or a negative status. RTGetOptFetchValue takes one more argument as a
// further value of the option just returned. RTGetOptPrintError turns a failed or unhandled
// result into one diagnostic on standard error and returns exit code 2.
//
// Ownership: the parser never allocates and never copies. Every string it hands out points
// into the argument vector or into the caller's descriptor table (or the built-in table of
// standard options), so both must outlive the results. The state belongs to one caller; the
// parser keeps no other mutable data. In options-first mode the argument vector is permuted in
// place, so it must not be shared with another parser at the same time.
//
// Argument vector: argv[iFirst] up to argv[argc - 1]; a null entry before argc ends the vector
// as if argc were its index.
#pragma once

#include <qrt/types.h>
#include <qrt/net.h>
#include <qrt/uuid.h>

//
// Descriptor flags: value type in bits 0-4, modifiers in bits 16-20, every other bit zero.
//
#define RTGETOPT_VT_MASK 0x1fU
#define RTGETOPT_VT_NOTHING 0U          // a switch; the value holds the descriptor (pDef)
#define RTGETOPT_VT_STRING 1U           // the text unchanged, possibly empty (psz)
#define RTGETOPT_VT_INT8 2U             // int8Value
#define RTGETOPT_VT_UINT8 3U            // uint8Value
#define RTGETOPT_VT_INT16 4U            // int16Value
#define RTGETOPT_VT_UINT16 5U           // uint16Value
#define RTGETOPT_VT_INT32 6U            // int32Value
#define RTGETOPT_VT_UINT32 7U           // uint32Value
#define RTGETOPT_VT_INT64 8U            // int64Value
#define RTGETOPT_VT_UINT64 9U           // uint64Value
#define RTGETOPT_VT_IPV4ADDR 10U        // dotted IPv4 address (ipv4)
#define RTGETOPT_VT_IPV4CIDR 11U        // IPv4 network, optional "/bits" (cidr)
#define RTGETOPT_VT_MACADDR 14U         // Ethernet MAC address (mac)
#define RTGETOPT_VT_UUID 15U            // UUID (uuid)
#define RTGETOPT_VT_BOOL_ONOFF 16U      // "on" or "off" (boolValue)
#define RTGETOPT_VT_BOOL 17U            // true/false words, "1" and "0" (boolValue)
#define RTGETOPT_VT_UINT32_PAIR 18U     // two unsigned 32-bit numbers (pair32)
#define RTGETOPT_VT_UINT64_PAIR 19U     // two unsigned 64-bit numbers (pair64)
#define RTGETOPT_VT_UINT32_OPT_PAIR 20U // one or two unsigned 32-bit numbers (pair32)
#define RTGETOPT_VT_UINT64_OPT_PAIR 21U // one or two unsigned 64-bit numbers (pair64)
// Codes 12, 13 and 22 to 31 are undefined: converting such a value gives QERR_INTERNAL_ERROR.

// Base modifiers, at most one, only on the integer (2-9) and pair (18-21) types; any other
// use gives QERR_INTERNAL_ERROR when a value is converted.
#define RTGETOPT_MOD_HEX 0x10000U // base 16 only ("1F" and "0x1F")
#define RTGETOPT_MOD_OCT 0x20000U // base 8 (pairs: base 8 unless written with "0x")
#define RTGETOPT_MOD_DEC 0x40000U // base 10 only, no hexadecimal retry
// Matching modifiers, with any value type.
#define RTGETOPT_MOD_INDEX 0x80000U  // the long name is followed by a decimal index ("--disk2")
#define RTGETOPT_MOD_ICASE 0x100000U // the long name matches regardless of case

// Initialisation flags.
#define RTGETOPTINIT_F_OPTS_FIRST 1U  // every option before any non-option; permutes argv
#define RTGETOPTINIT_F_NO_STD_OPTS 2U // no "--help"/"-help"/"--version"/"-version", no "-?"

// One row of the caller's option table.
typedef struct RTGETOPTDESC {
    // Long name exactly as typed, leading "-", "--" or "/" included; may be absent, in which
    // case the row is reachable only as a short option.
    const char *pszLong;
    // Returned when the row matches; positive and not 828. A value from 1 to 127 is also the
    // row's short option letter ("-x" for 'x'). Several rows may share one identifier.
    int iId;
    // Value type and modifiers (RTGETOPT_VT_*, RTGETOPT_MOD_*).
    uint32_t fFlags;
} RTGETOPTDESC;
typedef RTGETOPTDESC *PRTGETOPTDESC;
typedef const RTGETOPTDESC *PCRTGETOPTDESC;

// The value of one result; read the member that fits the identifier. pDef and psz share the
// first pointer-sized slot, so a string value replaces the descriptor pointer.
typedef union RTGETOPTVALUE {
    PCRTGETOPTDESC pDef; // the matched row, for switches and for most failures after a match
    const char *psz;     // string value; for non-options and unknown options the offending text
    int8_t int8Value;
    uint8_t uint8Value;
    int16_t int16Value;
    uint16_t uint16Value;
    int32_t int32Value;
    uint32_t uint32Value;
    int64_t int64Value;
    uint64_t uint64Value;
    bool boolValue;
    RTNETADDRIPV4 ipv4; // the four bytes in written order
    struct {
        uint32_t uNetwork; // the address as a number, first written byte most significant
        uint32_t uMask;
    } cidr;
    RTMAC mac;
    RTUUID uuid;
    struct {
        uint32_t uFirst;
        uint32_t uSecond; // all ones when an optional pair had no second number
    } pair32;
    struct {
        uint64_t uFirst;
        uint64_t uSecond;
    } pair64;
} RTGETOPTVALUE;
typedef RTGETOPTVALUE *PRTGETOPTVALUE;
typedef const RTGETOPTVALUE *PCRTGETOPTVALUE;

// cNonOptions value meaning that every remaining argument is a non-option.
#define RTGETOPT_ALL_NON_OPTIONS INT32_MAX

// Parser state, owned by the caller (normally a local of its argument loop). A plain record:
// iNext, pCurDesc and uIndex are there for the caller to read; the parser owns the rest.
typedef struct RTGETOPTSTATE {
    int32_t iNext;            // index of the next argument to examine
    char **argv;              // the argument vector; permuted in options-first mode only
    int32_t argc;             // number of arguments
    PCRTGETOPTDESC paDescs;   // the caller's table
    uint32_t cDescs;          // rows in it
    const char *pszNextShort; // inside a cluster ("-abc"): the next letter to return
    PCRTGETOPTDESC pCurDesc;  // row of the last successful option result, else none
    uint32_t uIndex;          // index of the last indexed option; UINT32_MAX when none
    uint32_t fFlags;          // RTGETOPTINIT_F_*
    int32_t cNonOptions;      // options-first: non-options set aside; or RTGETOPT_ALL_NON_OPTIONS
} RTGETOPTSTATE;
typedef RTGETOPTSTATE *PRTGETOPTSTATE;

// Prepares pState for parsing argv[iFirst] to argv[argc - 1] against paDescs (cDescs rows).
// Returns 0, or QERR_INVALID_PARAMETER for flags other than RTGETOPTINIT_F_*, in which case
// the state is left untouched. The table and the vector are not copied and not validated.
int RTGetOptInit(PRTGETOPTSTATE pState, int argc, char **argv, PCRTGETOPTDESC paDescs, uint32_t cDescs, int iFirst,
                 uint32_t fFlags);

// Returns the next result and fills *pValue:
// - an identifier (positive, not 828): a row matched; pState->pCurDesc is the row and
//   pState->uIndex its index if it is an indexed row; the value member that fits the row's type;
// - 0: the vector is exhausted (and stays so);
// - QINF_GETOPT_NOT_OPTION (828): a non-option argument, its text in psz;
// - QERR_GETOPT_UNKNOWN_OPTION: the argument (or the rest of a cluster, or a boolean value
//   that is not a boolean word) in psz;
// - QERR_GETOPT_REQUIRED_ARGUMENT_MISSING, QERR_GETOPT_INVALID_ARGUMENT_FORMAT,
//   QERR_GETOPT_INDEX_MISSING, QERR_INTERNAL_ERROR (undefined type or modifier combination):
//   pDef holds the row that matched; a failed conversion never overwrites it.
// After a failure nothing is rolled back: iNext is past the option (and past its value when
// that was a separate argument), pCurDesc is none, and an unknown letter in a cluster leaves
// pszNextShort on that letter. The caller is expected to stop.
int RTGetOpt(PRTGETOPTSTATE pState, PRTGETOPTVALUE pValue);

// Converts the next argument as a further value of the option last returned, with the value
// type and base modifiers of fFlags (coded as in a descriptor), and steps past it. Returns the
// conversion's status; QERR_GETOPT_REQUIRED_ARGUMENT_MISSING when no argument is left (pDef
// then empty); QERR_INVALID_PARAMETER for flags with other bits or value type 0, and while a
// cluster of short options is still being returned (its argument is not yet consumed, so the
// next argument is not defined); nothing is consumed on these failures and pDef is empty.
// On success and on conversion failures pDef holds the option's row unless the value
// replaced it.
int RTGetOptFetchValue(PRTGETOPTSTATE pState, PRTGETOPTVALUE pValue, uint32_t fFlags);

// Writes one diagnostic for a failed or unhandled RTGetOpt result through RTMsgError (program
// name and "error: " in front) and returns 2, the exit code for command-line errors. pValue
// must be the record that the call which returned iResult filled.
int RTGetOptPrintError(int iResult, PCRTGETOPTVALUE pValue);
