// Win32 error codes (and Windows Sockets codes) to status codes.
// A pure table: it is built and tested in every build, with or without Windows.
#include <qrt/err.h>

int32_t RTErrConvertFromWin32(uint32_t uNativeCode) {
    switch (uNativeCode) {
    case 0: // ERROR_SUCCESS
        return QINF_SUCCESS;
    case 87:    // ERROR_INVALID_PARAMETER
    case 160:   // ERROR_BAD_ARGUMENTS
    case 1004:  // ERROR_INVALID_FLAGS
    case 10022: // WSAEINVAL
        return QERR_INVALID_PARAMETER;
    case 6:     // ERROR_INVALID_HANDLE
    case 130:   // ERROR_DIRECT_ACCESS_HANDLE
    case 10009: // WSAEBADF
        return QERR_INVALID_HANDLE;
    case 487:   // ERROR_INVALID_ADDRESS
    case 998:   // ERROR_NOACCESS
    case 10014: // WSAEFAULT
        return QERR_INVALID_POINTER;
    case 8:    // ERROR_NOT_ENOUGH_MEMORY
    case 14:   // ERROR_OUTOFMEMORY
    case 1450: // ERROR_NO_SYSTEM_RESOURCES
        return QERR_NO_MEMORY;
    case 4390: // ERROR_NOT_A_REPARSE_POINT
        return QERR_NOT_SYMLINK;
    case 1: // ERROR_INVALID_FUNCTION
        return QERR_INVALID_FUNCTION;
    case 50: // ERROR_NOT_SUPPORTED
        return QERR_NOT_SUPPORTED;
    case 5:     // ERROR_ACCESS_DENIED
    case 10013: // WSAEACCES
        return QERR_ACCESS_DENIED;
    case 995:   // ERROR_OPERATION_ABORTED
    case 10004: // WSAEINTR
        return QERR_INTERRUPTED;
    case 121:   // ERROR_SEM_TIMEOUT
    case 258:   // WAIT_TIMEOUT
    case 1053:  // ERROR_SERVICE_REQUEST_TIMEOUT
    case 1121:  // ERROR_COUNTER_TIMEOUT
    case 1460:  // ERROR_TIMEOUT
    case 10060: // WSAETIMEDOUT
        return QERR_TIMEOUT;
    case 111: // ERROR_BUFFER_OVERFLOW
    case 122: // ERROR_INSUFFICIENT_BUFFER
        return QERR_BUFFER_OVERFLOW;
    case 164: // ERROR_MAX_THRDS_REACHED
        return QERR_MAX_THRDS_REACHED;
    case 89:    // ERROR_NO_PROC_SLOTS
    case 10067: // WSAEPROCLIM
        return QERR_MAX_PROCS_REACHED;
    case 156: // ERROR_SIGNAL_REFUSED
    case 205: // ERROR_NO_SIGNAL_SENT
        return QERR_SIGNAL_REFUSED;
    case 162: // ERROR_SIGNAL_PENDING
        return QERR_SIGNAL_PENDING;
    case 209: // ERROR_INVALID_SIGNAL_NUMBER
        return QERR_SIGNAL_INVALID;
    case 1705: // RPC_S_INVALID_STRING_UUID
        return QERR_INVALID_UUID_FORMAT;
    case 10035: // WSAEWOULDBLOCK
    case 11002: // WSATRY_AGAIN
        return QERR_TRY_AGAIN;
    case 1113: // ERROR_NO_UNICODE_TRANSLATION
        return QERR_NO_TRANSLATION;
    case 1223: // ERROR_CANCELLED
        return QERR_CANCELLED;
    case 1060: // ERROR_SERVICE_DOES_NOT_EXIST
        return QERR_NOT_FOUND;
    case 1272:
    case 1326: // ERROR_LOGON_FAILURE
    case 1788: // ERROR_TRUSTED_DOMAIN_FAILURE
    case 1789: // ERROR_TRUSTED_RELATIONSHIP_FAILURE
        return QERR_AUTHENTICATION_FAILURE;
    case 110: // ERROR_OPEN_FAILED
        return QERR_OPEN_FAILED;
    case 2: // ERROR_FILE_NOT_FOUND
        return QERR_FILE_NOT_FOUND;
    case 3: // ERROR_PATH_NOT_FOUND
        return QERR_PATH_NOT_FOUND;
    case 123:  // ERROR_INVALID_NAME
    case 161:  // ERROR_BAD_PATHNAME
    case 1200: // ERROR_BAD_DEVICE
        return QERR_INVALID_NAME;
    case 80:  // ERROR_FILE_EXISTS
    case 183: // ERROR_ALREADY_EXISTS
        return QERR_ALREADY_EXISTS;
    case 4:     // ERROR_TOO_MANY_OPEN_FILES
    case 10024: // WSAEMFILE
        return QERR_TOO_MANY_OPEN_FILES;
    case 25: // ERROR_SEEK
        return QERR_SEEK;
    case 131: // ERROR_NEGATIVE_SEEK
        return QERR_NEGATIVE_SEEK;
    case 132: // ERROR_SEEK_ON_DEVICE
        return QERR_SEEK_ON_DEVICE;
    case 38: // ERROR_HANDLE_EOF
        return QERR_EOF;
    case 30: // ERROR_READ_FAULT
        return QERR_READ_ERROR;
    case 29: // ERROR_WRITE_FAULT
        return QERR_WRITE_ERROR;
    case 19: // ERROR_WRITE_PROTECT
        return QERR_WRITE_PROTECT;
    case 32:   // ERROR_SHARING_VIOLATION
    case 1224: // ERROR_USER_MAPPED_FILE
        return QERR_SHARING_VIOLATION;
    case 167: // ERROR_LOCK_FAILED
        return QERR_FILE_LOCK_FAILED;
    case 33: // ERROR_LOCK_VIOLATION
        return QERR_FILE_LOCK_VIOLATION;
    case 82: // ERROR_CANNOT_MAKE
        return QERR_CANT_CREATE;
    case 16:    // ERROR_CURRENT_DIRECTORY
    case 10066: // WSAENOTEMPTY
        return QERR_CANT_DELETE_DIRECTORY;
    case 17: // ERROR_NOT_SAME_DEVICE
        return QERR_NOT_SAME_DEVICE;
    case 206:   // ERROR_FILENAME_EXCED_RANGE
    case 10063: // WSAENAMETOOLONG
        return QERR_FILENAME_TOO_LONG;
    case 1005: // ERROR_UNRECOGNIZED_VOLUME
        return QERR_MEDIA_NOT_RECOGNIZED;
    case 158: // ERROR_NOT_LOCKED
        return QERR_FILE_NOT_LOCKED;
    case 145: // ERROR_DIR_NOT_EMPTY
        return QERR_DIR_NOT_EMPTY;
    case 267: // ERROR_DIRECTORY
        return QERR_NOT_A_DIRECTORY;
    case 15: // ERROR_INVALID_DRIVE
        return QERR_INVALID_DRIVE;
    case 39:    // ERROR_HANDLE_DISK_FULL
    case 112:   // ERROR_DISK_FULL
    case 10069: // WSAEDQUOT
        return QERR_DISK_FULL;
    case 108: // ERROR_DRIVE_LOCKED
        return QERR_DRIVE_LOCKED;
    case 26: // ERROR_NOT_DOS_DISK
        return QERR_DISK_INVALID_FORMAT;
    case 10062: // WSAELOOP
        return QERR_TOO_MANY_SYMLINKS;
    case 18: // ERROR_NO_MORE_FILES
        return QERR_NO_MORE_FILES;
    case 113: // ERROR_NO_MORE_SEARCH_HANDLES
        return QERR_NO_MORE_SEARCH_HANDLES;
    case 20: // ERROR_BAD_UNIT
        return QERR_IO_BAD_UNIT;
    case 21: // ERROR_NOT_READY
        return QERR_IO_NOT_READY;
    case 22: // ERROR_BAD_COMMAND
        return QERR_IO_BAD_COMMAND;
    case 23: // ERROR_CRC
        return QERR_IO_CRC;
    case 24: // ERROR_BAD_LENGTH
        return QERR_IO_BAD_LENGTH;
    case 27: // ERROR_SECTOR_NOT_FOUND
        return QERR_IO_SECTOR_NOT_FOUND;
    case 31: // ERROR_GEN_FAILURE
        return QERR_IO_GEN_FAILURE;
    case 535: // ERROR_PIPE_CONNECTED
    case 536: // ERROR_PIPE_LISTENING
        return QERR_PIPE_IO_ERROR;
    case 109: // ERROR_BROKEN_PIPE
        return QERR_BROKEN_PIPE;
    case 230: // ERROR_BAD_PIPE
        return QERR_BAD_PIPE;
    case 231: // ERROR_PIPE_BUSY
        return QERR_PIPE_BUSY;
    case 232:  // ERROR_NO_DATA
    case 1812: // ERROR_RESOURCE_DATA_NOT_FOUND
        return QERR_NO_DATA;
    case 233: // ERROR_PIPE_NOT_CONNECTED
        return QERR_PIPE_NOT_CONNECTED;
    case 234: // ERROR_MORE_DATA
        return QERR_MORE_DATA;
    case 100: // ERROR_TOO_MANY_SEMAPHORES
        return QERR_TOO_MANY_SEMAPHORES;
    case 101: // ERROR_EXCL_SEM_ALREADY_OWNED
        return QERR_EXCL_SEM_ALREADY_OWNED;
    case 102: // ERROR_SEM_IS_SET
        return QERR_SEM_IS_SET;
    case 103: // ERROR_TOO_MANY_SEM_REQUESTS
        return QERR_TOO_MANY_SEM_REQUESTS;
    case 288: // ERROR_NOT_OWNER
        return QERR_NOT_OWNER;
    case 298: // ERROR_TOO_MANY_POSTS
        return QERR_TOO_MANY_POSTS;
    case 105: // ERROR_SEM_OWNER_DIED
        return QERR_SEM_OWNER_DIED;
    case 187: // ERROR_SEM_NOT_FOUND
        return QERR_SEM_NOT_FOUND;
    case 51: // ERROR_REM_NOT_LIST
    case 52: // ERROR_DUP_NAME
    case 57: // ERROR_ADAP_HDW_ERR
    case 58: // ERROR_BAD_NET_RESP
    case 59: // ERROR_UNEXP_NET_ERR
    case 60: // ERROR_BAD_REM_ADAP
    case 65: // ERROR_NETWORK_ACCESS_DENIED
    case 66: // ERROR_BAD_DEV_TYPE
    case 70: // ERROR_SHARING_PAUSED
    case 71: // ERROR_REQ_NOT_ACCEP
    case 72: // ERROR_REDIR_PAUSED
    case 85: // ERROR_ALREADY_ASSIGNED
    case 86: // ERROR_INVALID_PASSWORD
    case 88: // ERROR_NET_WRITE_FAULT
        return QERR_NET_IO_ERROR;
    case 54: // ERROR_NETWORK_BUSY
    case 56: // ERROR_TOO_MANY_CMDS
    case 68: // ERROR_TOO_MANY_NAMES
    case 69: // ERROR_TOO_MANY_SESS
    case 84: // ERROR_OUT_OF_STRUCTURES
        return QERR_NET_OUT_OF_RESOURCES;
    case 53:    // ERROR_BAD_NETPATH
    case 64:    // ERROR_NETNAME_DELETED
    case 11001: // WSAHOST_NOT_FOUND
        return QERR_NET_HOST_NOT_FOUND;
    case 55: // ERROR_DEV_NOT_EXIST
    case 67: // ERROR_BAD_NET_NAME
        return QERR_NET_PATH_NOT_FOUND;
    case 61: // ERROR_PRINTQ_FULL
    case 62: // ERROR_NO_SPOOL_SPACE
    case 63: // ERROR_PRINT_CANCELLED
        return QERR_NET_PRINT_ERROR;
    case 10036: // WSAEINPROGRESS
        return QERR_NET_IN_PROGRESS;
    case 10037: // WSAEALREADY
        return QERR_NET_ALREADY_IN_PROGRESS;
    case 10038: // WSAENOTSOCK
        return QERR_NET_NOT_SOCKET;
    case 10039: // WSAEDESTADDRREQ
        return QERR_NET_DEST_ADDRESS_REQUIRED;
    case 10040: // WSAEMSGSIZE
        return QERR_NET_MSG_SIZE;
    case 10041: // WSAEPROTOTYPE
        return QERR_NET_PROTOCOL_TYPE;
    case 10042: // WSAENOPROTOOPT
        return QERR_NET_PROTOCOL_NOT_AVAILABLE;
    case 10043: // WSAEPROTONOSUPPORT
        return QERR_NET_PROTOCOL_NOT_SUPPORTED;
    case 10044: // WSAESOCKTNOSUPPORT
        return QERR_NET_SOCKET_TYPE_NOT_SUPPORTED;
    case 10045: // WSAEOPNOTSUPP
        return QERR_NET_OPERATION_NOT_SUPPORTED;
    case 10046: // WSAEPFNOSUPPORT
        return QERR_NET_PROTOCOL_FAMILY_NOT_SUPPORTED;
    case 10047: // WSAEAFNOSUPPORT
        return QERR_NET_ADDRESS_FAMILY_NOT_SUPPORTED;
    case 10048: // WSAEADDRINUSE
        return QERR_NET_ADDRESS_IN_USE;
    case 10049: // WSAEADDRNOTAVAIL
    case 11004: // WSANO_DATA
        return QERR_NET_ADDRESS_NOT_AVAILABLE;
    case 10050: // WSAENETDOWN
        return QERR_NET_DOWN;
    case 10051: // WSAENETUNREACH
        return QERR_NET_UNREACHABLE;
    case 10052: // WSAENETRESET
        return QERR_NET_CONNECTION_RESET;
    case 10053: // WSAECONNABORTED
        return QERR_NET_CONNECTION_ABORTED;
    case 10054: // WSAECONNRESET
        return QERR_NET_CONNECTION_RESET_BY_PEER;
    case 10055: // WSAENOBUFS
        return QERR_NET_NO_BUFFER_SPACE;
    case 10056: // WSAEISCONN
        return QERR_NET_ALREADY_CONNECTED;
    case 10057: // WSAENOTCONN
        return QERR_NET_NOT_CONNECTED;
    case 10058: // WSAESHUTDOWN
        return QERR_NET_SHUTDOWN;
    case 10059: // WSAETOOMANYREFS
        return QERR_NET_TOO_MANY_REFERENCES;
    case 10061: // WSAECONNREFUSED
        return QERR_NET_CONNECTION_REFUSED;
    case 10064: // WSAEHOSTDOWN
        return QERR_NET_HOST_DOWN;
    case 10065: // WSAEHOSTUNREACH
        return QERR_NET_HOST_UNREACHABLE;
    case 10106: // WSAEPROVIDERFAILEDINIT
        return QERR_NET_INIT_FAILED;
    case 191: // ERROR_INVALID_EXE_SIGNATURE
        return QERR_INVALID_EXE_SIGNATURE;
    case 193:  // ERROR_BAD_EXE_FORMAT
    case 1392: // ERROR_FILE_CORRUPT
        return QERR_BAD_EXE_FORMAT;
    case 127: // ERROR_PROC_NOT_FOUND
        return QERR_SYMBOL_NOT_FOUND;
    case 126: // ERROR_MOD_NOT_FOUND
        return QERR_MODULE_NOT_FOUND;
    case 577: // ERROR_INVALID_IMAGE_HASH
        return QERR_LDR_IMAGE_HASH;
    case 1325: // ERROR_PASSWORD_RESTRICTION
    case 1327: // ERROR_ACCOUNT_RESTRICTION
    case 1330: // ERROR_PASSWORD_EXPIRED
    case 1331: // ERROR_ACCOUNT_DISABLED
        return QERR_ACCOUNT_RESTRICTED;
    case 1314: // ERROR_PRIVILEGE_NOT_HELD
    case 0xC000042CU:
        return QERR_PRIVILEGE_NOT_HELD;
    case 740: // ERROR_ELEVATION_REQUIRED
        return QERR_PROC_ELEVATION_REQUIRED;
    case 0x80090008U: // NTE_BAD_ALGID
        return QERR_CR_PKIX_UNKNOWN_DIGEST_TYPE;
    default:
        return QERR_UNRESOLVED_ERROR;
    }
}
