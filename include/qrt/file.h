// Files: opening with a portable open-flags word, exact reads and writes, size, position and
// information queries, deletion and renaming; the file mode word and the object information
// record that the directory and path layers share.
//
// Paths are UTF-8; they reach the platform through the native path conversion, whose failure
// is returned unchanged. Platform errors become status codes (QERR_*): a missing file
// QERR_FILE_NOT_FOUND, a missing directory on the way QERR_PATH_NOT_FOUND, a handle of another
// opener that does not share what this open asks for QERR_SHARING_VIOLATION, and so on.
#pragma once

#include <qrt/types.h>

// A file handle: the platform's own handle value (Windows: the HANDLE, elsewhere the file
// descriptor), carried opaquely. Whoever opens a handle closes it with RTFileClose.
typedef struct RTFILEINT *RTFILE;
// The nil file handle: all bits set (the value Windows uses for an invalid handle). Every open
// operation stores it in its output before it does anything else.
#define NIL_RTFILE ((RTFILE) ~(uintptr_t)0)

//
// The open-flags word. 64 bits wide; only the low 32 carry flags, the upper 32 are ignored and
// cleared during validation (callers pass 0 there).
//

// Access to the data (mask 0x3). 0 (no data access) is allowed only with an attribute right.
#define RTFOPEN_ACCESS_MASK 0x00000003U
#define RTFOPEN_READ 0x00000001U
#define RTFOPEN_WRITE 0x00000002U
#define RTFOPEN_READWRITE 0x00000003U
// Writes go to the end of the file.
#define RTFOPEN_APPEND 0x00000004U
// Sharing (mask 0xF0): what other openers may do while this handle is open. SHARE_DELETE may be
// added to the three DENY values; alone it denies nothing and allows deletion. 0 reads as
// DENY_NONE; values above 0x80 are invalid. Enforced on Windows only.
#define RTFOPEN_DENY_MASK 0x000000F0U
#define RTFOPEN_DENY_READ 0x00000010U
#define RTFOPEN_DENY_WRITE 0x00000020U
#define RTFOPEN_DENY_READWRITE 0x00000030U
#define RTFOPEN_SHARE_DELETE 0x00000040U
#define RTFOPEN_DENY_NONE 0x00000080U
// What to do about an existing or missing file (mask 0x700). 0 reads as OPEN; 0x400 to 0x600
// are invalid.
#define RTFOPEN_ACTION_MASK 0x00000700U
#define RTFOPEN_OPEN_CREATE 0x00000100U    // open, creating the file when missing
#define RTFOPEN_CREATE 0x00000200U         // create a new file; an existing one: QERR_ALREADY_EXISTS
#define RTFOPEN_CREATE_REPLACE 0x00000300U // create, replacing an existing file
#define RTFOPEN_OPEN 0x00000700U           // open an existing file
// A created or replaced file is excluded from content indexing (Windows). Invalid with OPEN.
#define RTFOPEN_NOT_CONTENT_INDEXED 0x00000800U
// Empties an existing file; needs write access.
#define RTFOPEN_TRUNCATE 0x00001000U
// The handle is inherited by child processes.
#define RTFOPEN_INHERIT 0x00002000U
#define RTFOPEN_WRITE_THROUGH 0x00008000U
// Rights to read and to write the attributes (Windows); with neither, the data access decides.
#define RTFOPEN_ATTR_READ 0x00010000U
#define RTFOPEN_ATTR_WRITE 0x00020000U
// Overlapped I/O (Windows). RTFileRead and RTFileWrite pass no overlapped record: a handle
// opened so is for platform calls of the caller's own.
#define RTFOPEN_ASYNC_IO 0x00040000U
// Unbuffered I/O. On Windows it also removes the append-data right, so together with APPEND it
// leaves no right to write data at all.
#define RTFOPEN_NO_CACHE 0x00080000U
// Unix permission bits of a created file, shifted left by 20 (0700 is 0x1C000000). Applied
// where the platform has them; accepted and ignored on Windows.
#define RTFOPEN_CREATE_MODE_MASK 0x1FF00000U
#define RTFOPEN_CREATE_MODE_SHIFT 20
// Bits that must be 0: 0x8, 0x4000 and the top three bits (bit 29 is no field of the word).
#define RTFOPEN_RESERVED_MASK 0xE0004008U

//
// The file mode word.
//
typedef uint32_t RTFMODE;

// Bits 0-11: Unix permissions and the set-user, set-group and sticky bits.
#define RTFS_UNIX_MASK 0x00000FFFU
#define RTFS_UNIX_ALL_PERMS 0x000001FFU
#define RTFS_UNIX_ALL_WRITE 0x00000092U   // 0222
#define RTFS_UNIX_ALL_READ 0x00000124U    // 0444
#define RTFS_UNIX_ALL_EXECUTE 0x00000049U // 0111
// Bits 12-15: the object type.
#define RTFS_TYPE_MASK 0x0000F000U
#define RTFS_TYPE_DEV_CHAR 0x00002000U
#define RTFS_TYPE_DIRECTORY 0x00004000U
#define RTFS_TYPE_FILE 0x00008000U
#define RTFS_TYPE_SYMLINK 0x0000A000U
// Bits 16-31: the Windows file attributes shifted left by 16.
#define RTFS_DOS_SHIFT 16
#define RTFS_DOS_MASK 0xFFFF0000U
#define RTFS_DOS_READONLY 0x00010000U
#define RTFS_DOS_HIDDEN 0x00020000U
#define RTFS_DOS_SYSTEM 0x00040000U
#define RTFS_DOS_DIRECTORY 0x00100000U
#define RTFS_DOS_ARCHIVED 0x00200000U
#define RTFS_DOS_NT_DEVICE 0x00400000U
#define RTFS_DOS_NT_NORMAL 0x00800000U
#define RTFS_DOS_NT_TEMPORARY 0x01000000U
#define RTFS_DOS_NT_SPARSE_FILE 0x02000000U
#define RTFS_DOS_NT_REPARSE_POINT 0x04000000U
#define RTFS_DOS_NT_COMPRESSED 0x08000000U
#define RTFS_DOS_NT_OFFLINE 0x10000000U
#define RTFS_DOS_NT_NOT_CONTENT_INDEXED 0x20000000U
#define RTFS_DOS_NT_ENCRYPTED 0x40000000U

//
// Object information.
//

// Which member of FsObjInfo's additional attributes is filled (or asked for).
enum FsObjAttrAdd : uint32_t {
    RTFSOBJATTRADD_NOTHING = 1,
    RTFSOBJATTRADD_UNIX = 2,
    RTFSOBJATTRADD_UNIX_OWNER = 3,
    RTFSOBJATTRADD_UNIX_GROUP = 4,
    RTFSOBJATTRADD_EASIZE = 5,
};

// Room for a user or group name in FsObjInfo, terminator included.
#define RTFSOBJINFO_NAME_SIZE 124

// Information about one file-system object. Times are nanoseconds since 1970-01-01 00:00 UTC.
typedef struct FsObjInfo {
    uint64_t cbObject;    // logical size (end of file)
    uint64_t cbAllocated; // bytes allocated on disk
    int64_t AccessTime;
    int64_t ModificationTime; // last write
    int64_t ChangeTime;       // last change of data or attributes
    int64_t BirthTime;        // creation
    RTFMODE fMode;
    FsObjAttrAdd enmAdditional; // which member of u is filled
    union {
        struct {
            uint32_t uid;
            uint32_t gid;
            uint32_t cHardlinks;
            uint32_t INodeIdDevice; // the device (volume) holding the object
            uint64_t INodeId;       // the object within that device (Windows: the file index)
            uint32_t fFlags;
            uint32_t GenerationId;
            uint32_t Device; // device number of a device object
        } Unix;
        struct {
            uint32_t uid;
            char szName[RTFSOBJINFO_NAME_SIZE];
        } UnixOwner;
        struct {
            uint32_t gid;
            char szName[RTFSOBJINFO_NAME_SIZE];
        } UnixGroup;
        struct {
            uint64_t cb;
        } EASize;
    } u;
} FsObjInfo;

//
// Operations.
//

// Opens pszPath with the open-flags word fOpen into *phFile. *phFile is the nil handle first,
// and stays so on failure. A null phFile or pszPath, or an invalid word: QERR_INVALID_PARAMETER
// (bit 29 included); a word outside the platform's tables: QERR_INVALID_FLAGS. A failure after
// the platform created the file (setting the not-indexed attribute) closes and deletes the
// file this call created before it returns; a file that existed stays. On success the caller
// owns the handle.
int RTFileOpen(RTFILE *phFile, const char *pszPath, uint64_t fOpen);
// Closes a handle. The nil handle gives QINF_SUCCESS; a platform failure is converted.
int RTFileClose(RTFILE hFile);
// Reads cbToRead bytes. With pcbRead, a short read is reported through it and is a success
// (0 at the end of the file). Without pcbRead the whole count is read or the call fails:
// QERR_EOF when the file ends first, else the converted platform error; the buffer may then
// hold part of the data. A count of 0 succeeds at once.
int RTFileRead(RTFILE hFile, void *pvBuf, size_t cbToRead, size_t *pcbRead);
// Writes cbToWrite bytes. With pcbWritten, a short write is reported through it. Without it
// every byte is written or the call fails (QERR_WRITE_ERROR when the platform wrote nothing
// and reported no error; QERR_DISK_FULL, or QERR_FILE_TOO_BIG when the write would pass the
// file system's size limit; else the converted error): never a success for a short write.
// What was written before a failure stays in the file. A count of 0 succeeds at once and
// leaves *pcbWritten untouched.
int RTFileWrite(RTFILE hFile, const void *pvBuf, size_t cbToWrite, size_t *pcbWritten);
// Flushes the platform's buffers of the file to the device.
int RTFileFlush(RTFILE hFile);
// The current position, or all ones (UINT64_MAX) on failure. Position 0xFFFFFFFF is a position
// like any other.
uint64_t RTFileTell(RTFILE hFile);
// The file's size in *pcbSize (Windows: for a disk opened as a file, the disk's). On failure
// the converted error, *pcbSize untouched.
int RTFileQuerySize(RTFILE hFile, uint64_t *pcbSize);
// Describes the open file in *pObjInfo, with the additional attributes enmAdditional asks for.
// The nil handle, a null output or a kind outside 1 to 5: QERR_INVALID_PARAMETER. A console or
// other device is described as a zeroed record with the device mode (0x4081B6 on Windows).
// On failure *pObjInfo may be partly written.
int RTFileQueryInfo(RTFILE hFile, FsObjInfo *pObjInfo, FsObjAttrAdd enmAdditional);
// True when hFile is an open handle of a kind the platform can use for files.
bool RTFileIsValid(RTFILE hFile);
// Deletes a file. The converted platform error (a file opened without delete sharing:
// QERR_SHARING_VIOLATION on Windows).
int RTFileDelete(const char *pszPath);
// Flag of RTFileRename: replace an existing destination.
#define RTFILEMOVE_FLAGS_REPLACE 0x1U
// Renames a regular file. Flags above 1: QERR_INVALID_PARAMETER; implausible pointers:
// QERR_INVALID_POINTER; a directory as source: QERR_IS_A_DIRECTORY; without the replace flag
// an existing destination gives QERR_ALREADY_EXISTS. Nothing moved on failure.
int RTFileRename(const char *pszSrc, const char *pszDst, unsigned fRename);
// The platform's handle of a file handle (the identity).
intptr_t RTFileToNative(RTFILE hFile);

// Creates and opens a file with a unique name made from the template in pszTemplate (a
// writable path whose file name holds a run of 'X' characters: the run at the very end, or
// else the last run of three or more inside the file name), replacing the run with random
// characters from [0-9a-z] until a name is free (at most 10000 tries). fOpen must have the
// create-new action (RTFOPEN_CREATE): otherwise QERR_INVALID_FLAGS, template unchanged.
// *phFile is the nil handle first. On success pszTemplate holds the name created and the
// caller owns the handle. On failure pszTemplate is empty and no file of this call remains:
// QERR_INVALID_PARAMETER (no run), QERR_ALREADY_EXISTS (10000 names taken), QERR_NO_MEMORY
// (no random generator), or the open's failure.
int RTFileOpenTemp(RTFILE *phFile, char *pszTemplate, uint64_t fOpen);
