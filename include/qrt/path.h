// Paths: building and splitting path strings, parsing them into components, making them
// absolute, and the few operations that touch the process's current and temporary directories.
//
// Paths are UTF-8. Separators and the colon are ASCII, so a multi-byte sequence is never split
// or taken for one. Output buffers are given with their size in bytes, terminator included; a
// result that does not fit is QERR_BUFFER_OVERFLOW, never a truncated path.
//
// Path style: the low two bits of a flags word. In the DOS style (the host's) both '\' and '/'
// separate, '\' is the one inserted and a drive is a letter and a colon; in the Unix style only
// '/' separates. File-name and suffix scans in the DOS style also end a component at ':'.
#pragma once

#include <qrt/types.h>

#define RTPATH_STYLE_HOST 0U
#define RTPATH_STYLE_DOS 1U
#define RTPATH_STYLE_UNIX 2U
#define RTPATH_STYLE_INVALID 3U
#define RTPATH_STYLE_MASK 3U

// The size of the path buffers the installer uses throughout.
#define RTPATH_BUF_SIZE 4100

//
// Building paths in caller buffers.
//

// RTPathAppendEx with no length limit and the host style.
int RTPathAppend(char *pszPath, size_t cbPath, const char *pszAppend);
// Appends one component to the path in pszPath (a buffer of cbPath bytes), leaving exactly one
// separator at the junction: surplus separators at the end of the path (never below its root)
// and at the start of the text are dropped; 'C:' + 'x' gives 'C:x'. At most cchAppendMax bytes
// of pszAppend are used, shortened to whole UTF-8 sequences. An empty path takes the text as
// it is. A null or empty text changes nothing.
// Returns QINF_SUCCESS; QERR_INVALID_PARAMETER when pszPath has no terminator within cbPath;
// QERR_INVALID_FLAGS for style 3 (checked once there is something to join);
// QERR_BUFFER_OVERFLOW when the result does not fit. On failure the buffer holds what it held.
int RTPathAppendEx(char *pszPath, size_t cbPath, const char *pszAppend, size_t cchAppendMax, uint32_t fFlags);
// Copies pszBase into pszDst (cbDst bytes), then RTPathAppend. A base that does not fit is
// QERR_BUFFER_OVERFLOW with nothing appended (the buffer then holds a truncated copy); an
// append failure leaves the copied base.
int RTPathJoin(char *pszDst, size_t cbDst, const char *pszBase, const char *pszAppend);
// The join of pszBase and pszAppend in a new string (free with RTStrFree), or null when the
// allocation fails or an argument is implausible.
char *RTPathJoinA(const char *pszBase, const char *pszAppend);

//
// Looking into paths.
//

// The file name: the text after the last separator (DOS style: '\', '/' or ':'), or null when
// nothing follows it (empty path, or one that ends with a separator). Points into pszPath.
const char *RTPathFilename(const char *pszPath);
// As RTPathFilename with a style: 0 and 1 DOS, 2 and 3 Unix.
const char *RTPathFilenameEx(const char *pszPath, uint32_t fFlags);
static inline char *RTPathFilename(char *pszPath) {
    return (char *)RTPathFilename((const char *)pszPath);
}
// The suffix: the last '.' after the last '\', '/' or ':', or null when there is none, when it
// is the first character of the string or its last ('dir\.custom' gives ".custom", ".custom"
// and 'a.b.' give null). Points into pszPath.
const char *RTPathSuffix(const char *pszPath);
static inline char *RTPathSuffix(char *pszPath) {
    return (char *)RTPathSuffix((const char *)pszPath);
}
// Splits a path (separators '\' and '/'). Returns its length and, through the optional
// out-parameters: the length of its directory part, without a trailing separator unless that
// is the root ('C:\file' gives 3, 'dir\\\file' 3, 'file' 0); the offset of its file name, or
// -1 when it ends with a separator or at its root; the offset of the suffix dot, or -1 when
// there is no dot in the name, it starts the name or ends the path.
size_t RTPathParseOffsets(const char *pszPath, size_t *pcchDir, ptrdiff_t *poffName, ptrdiff_t *poffSuffix);
// True when the path begins with a root: a separator ('\' or '/') or an ASCII drive letter and a
// colon ('C:x' too). Says nothing about whether the path is absolute. False for null.
bool RTPathStartsWithRoot(const char *pszPath);

//
// Editing in place.
//

// Replaces every '/' with '\' and returns pszPath. fForce has no effect on this host.
char *RTPathChangeToDosSlashes(char *pszPath, bool fForce);
// Makes the path in pszPath (buffer of cbPath bytes) end with a separator ('\', '/' or ':'
// count), adding '\' when needed; an empty path becomes '.\'. Returns the new length, or 0 when
// there is no room (or no terminator within cbPath); the path is then unchanged.
size_t RTPathEnsureTrailingSeparator(char *pszPath, size_t cbPath);

//
// Process state.
//

// The directory of the executable, as process initialisation recorded it ('C:\app.exe' gives
// 'C:\', 'C:\dir\app.exe' 'C:\dir'). QERR_WRONG_ORDER before it is recorded;
// QERR_BUFFER_OVERFLOW when it does not fit (the buffer is then unchanged).
int RTPathExecDir(char *pszPath, size_t cbPath);
// Sets the process's current directory. A trailing separator is dropped unless it follows a
// colon ('C:\' stays). QERR_INVALID_POINTER for an implausible pointer, QERR_INVALID_PARAMETER
// for an empty path, the conversion's status, or the platform's error converted.
int RTPathSetCurrent(const char *pszPath);
// The temporary directory: the first of "QURT_TMPDIR", "TMP", "TEMP" and "USERPROFILE" that is
// set to a non-empty value, made absolute when it is relative (otherwise as it stands: no
// separator added or removed, no existence check); "/tmp" when none is. A value that does not
// fit is QERR_BUFFER_OVERFLOW without trying the next variable; other lookup and resolution
// failures are returned. On failure the buffer may hold partial text.
int RTPathTemp(char *pszPath, size_t cbPath);

// Object types for RTPathRename's check: the type field of a file mode.
#define RTPATH_RENAME_TYPE_ANY 0U
#define RTPATH_RENAME_TYPE_DIRECTORY 0x4000U
#define RTPATH_RENAME_TYPE_FILE 0x8000U
// Platform move flag: replace an existing destination.
#define RTPATH_RENAME_REPLACE 0x1U
// Renames or moves pszSrc to pszDst. With a required type, a source that is not a directory
// when one is required gives QERR_NOT_A_DIRECTORY, a directory when a file is required
// QERR_IS_A_DIRECTORY. Without RTPATH_RENAME_REPLACE an existing destination is never replaced
// (QERR_ALREADY_EXISTS). Platform failures are converted; nothing moved on failure.
int RTPathRename(const char *pszSrc, const char *pszDst, uint32_t fRename, uint32_t fType);

//
// Parsing. The record is written into a caller buffer: 12 bytes plus 4 per component (the root,
// when there is one, is component 0). A length of 0 in the table marks a removed component,
// which rebuilding skips.
//

typedef struct RTPATHPARSED {
    uint16_t cComps;  // number of components
    uint16_t fProps;  // RTPATHPROP_*
    uint16_t cchPath; // length with single separators (rebuilding stores what it built)
    uint16_t u16Reserved;
    uint16_t offSuffix; // offset of the suffix dot, the path's length when there is none
    uint16_t cchSuffix; // suffix length with its dot, 0 when there is none
    struct {
        uint16_t off;
        uint16_t cch;
    } aComps[]; // as many entries as the buffer holds
} RTPATHPARSED;

// Bytes of a record with room for cComps components.
#define RTPATHPARSED_SIZE(cComps) ((size_t)12 + (size_t)4 * (cComps))

#define RTPATHPROP_FILE_NAME 0x0001U    // ends with a component
#define RTPATHPROP_TRAILING_SEP 0x0002U // ends with separators after a component
#define RTPATHPROP_SUFFIX 0x0004U       // the last component has a suffix
#define RTPATHPROP_UNC 0x0010U          // begins with two separators
#define RTPATHPROP_ROOT_SEP 0x0020U     // the root ends with a separator
#define RTPATHPROP_VOLUME 0x0040U       // begins with a drive letter and a colon
#define RTPATHPROP_ABSOLUTE 0x0100U     // the root fixes the location and no ".." occurs
#define RTPATHPROP_RELATIVE 0x0200U     // needs a base or current directory, or has ".."
#define RTPATHPROP_EXTRA_SEPS 0x0400U   // separators beyond single ones between components
#define RTPATHPROP_DOT 0x0800U          // a "." component occurs
#define RTPATHPROP_DOTDOT 0x1000U       // a ".." component occurs
#define RTPATHPROP_SPECIAL_UNC 0x2000U  // the UNC server is '.' or '?' (device, long path)
#define RTPATHPROP_HAS_ROOT (RTPATHPROP_UNC | RTPATHPROP_ROOT_SEP | RTPATHPROP_VOLUME)

// Parses pszPath into pParsed (cbParsed bytes) in the style of fFlags (no other bits).
// Returns QINF_SUCCESS; QERR_INVALID_PARAMETER when cbParsed is below 12;
// QERR_INVALID_POINTER for an implausible path or record; QERR_PATH_ZERO_LENGTH for an empty
// path; QERR_INVALID_FLAGS; QERR_FILENAME_TOO_LONG when an offset or length reaches 65536;
// QERR_BUFFER_OVERFLOW when the components do not all fit: the count, properties and lengths
// are still set (entries beyond the buffer are not written).
int RTPathParse(const char *pszPath, RTPATHPARSED *pParsed, size_t cbParsed, uint32_t fFlags);
// Rebuilds the path that pParsed describes from pszPath into pszDst (cbDst bytes), with the
// separator of the style in fFlags, skipping removed components, and stores the rebuilt length
// in pParsed->cchPath. pszDst may be pszPath itself. Returns QINF_SUCCESS;
// QERR_INVALID_POINTER; QERR_INVALID_PARAMETER for a record without components;
// QERR_INVALID_FLAGS; QERR_FILENAME_TOO_LONG when the length reaches 65536 (nothing written);
// QERR_BUFFER_OVERFLOW when it does not fit (pszDst is then empty when cbDst is not 0).
int RTPathParsedReassemble(const char *pszPath, RTPATHPARSED *pParsed, uint32_t fFlags, char *pszDst, size_t cbDst);

//
// Absolute paths.
//

// RTPathAbsEx flags besides the style.
#define RTPATHABS_F_KEEP_BASE 0x10000U    // ".." never removes a component of the base
#define RTPATHABS_F_KEEP_CWD 0x20000U     // ".." never removes a component of the current directory
#define RTPATHABS_F_TRAILING_SEP 0x40000U // end with a separator when there is a component past the root

// RTPathAbsEx(NULL, pszPath, 0, pszAbs, &cb) into a buffer of cbAbs bytes.
int RTPathAbs(const char *pszPath, char *pszAbs, size_t cbAbs);
// Makes pszPath absolute against pszBase (optional) or the current directory, removing "."
// and ".." components and redundant separators, into pszAbs. *pcbAbs is the buffer size on
// entry; on success it receives the result's length, on QERR_BUFFER_OVERFLOW the size needed
// (terminator included) as far as it could be learnt. Returns QINF_SUCCESS;
// QERR_PATH_ZERO_LENGTH; QERR_INVALID_POINTER; QERR_INVALID_FLAGS; QERR_NO_TMP_MEMORY;
// QERR_BUFFER_OVERFLOW; QERR_FILENAME_TOO_LONG; QERR_PATH_DOES_NOT_START_WITH_ROOT for a bare
// drive as base; QERR_INTERNAL_ERROR_4 when the current drive is needed and the current
// directory has no drive or share; or a current-directory query's failure. On failure the
// buffer may hold partial text.
int RTPathAbsEx(const char *pszBase, const char *pszPath, uint32_t fFlags, char *pszAbs, size_t *pcbAbs);
// The absolute path in a new string (free with RTStrFree), or null on any failure.
char *RTPathAbsExDup(const char *pszBase, const char *pszPath, uint32_t fFlags);

// The process's current directory as a full path. QERR_BUFFER_OVERFLOW when it does not fit
// (or cbPath is 0); QERR_FILENAME_TOO_LONG when the platform's answer is too long for the
// runtime's 4100-unit buffer; the platform's error converted.
int RTPathGetCurrent(char *pszPath, size_t cbPath);
// The current directory of drive chDrive ('D' or 'd'). Statuses as RTPathGetCurrent.
int RTPathGetCurrentOnDrive(char chDrive, char *pszPath, size_t cbPath);
// The drive of the current directory: 'X:' or '\\server\share' ('\\server' when no share
// follows). QERR_INTERNAL_ERROR_4 when the current directory has neither; QERR_NO_TMP_MEMORY;
// QERR_BUFFER_OVERFLOW; a current-directory query's failure.
int RTPathGetCurrentDrive(char *pszPath, size_t cbPath);

//
// Path queries.
//

// Flags of RTPathQueryInfoEx: exactly one of ON_LINK and FOLLOW_LINK, optionally NO_SYMLINKS.
#define RTPATH_F_ON_LINK 0x1U     // a symbolic link at the end of the path is described itself
#define RTPATH_F_FOLLOW_LINK 0x2U // ... or followed to its target
#define RTPATH_F_NO_SYMLINKS 0x4U // accepted; no effect

struct FsObjInfo;
enum FsObjAttrAdd : uint32_t;
// Describes the object pszPath names in *pObjInfo (qrt/file.h), with the additional attributes
// enmAdditional asks for. Returns QINF_SUCCESS; QERR_INVALID_POINTER for an implausible path
// or output; QERR_INVALID_PARAMETER for an empty path, a kind outside 1 to 5 or bad flags;
// QERR_FILE_NOT_FOUND or QERR_PATH_NOT_FOUND when nothing is there; the conversion's or the
// platform's failure converted. On Windows objects of the NT object namespace (devices,
// symbolic links, directories, named through '\\:qurtnt:\') are described too. On failure
// *pObjInfo may be partly written.
int RTPathQueryInfoEx(const char *pszPath, struct FsObjInfo *pObjInfo, enum FsObjAttrAdd enmAdditional,
                      uint32_t fFlags);
