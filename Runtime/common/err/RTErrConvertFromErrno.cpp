// errno values to status codes, keyed by this C library's own errno numbers.
#include <qrt/err.h>
#include <errno.h>

int32_t RTErrConvertFromErrno(int32_t iNativeCode) {
    // Where two names share a number (EAGAIN/EWOULDBLOCK, ENOTSUP/EOPNOTSUPP on glibc) only the
    // first row can exist; ENOTSUP then keeps the generic QERR_NOT_SUPPORTED.
    switch (iNativeCode) {
    case 0:
        return QINF_SUCCESS;
#ifdef EINVAL
    case EINVAL:
#endif
#ifdef EDOM
    case EDOM:
#endif
#ifdef ERANGE
    case ERANGE:
#endif
        return QERR_INVALID_PARAMETER;
#ifdef EBADF
    case EBADF:
#endif
        return QERR_INVALID_HANDLE;
#ifdef EFAULT
    case EFAULT:
#endif
        return QERR_INVALID_POINTER;
#ifdef ENOMEM
    case ENOMEM:
#endif
        return QERR_NO_MEMORY;
#ifdef ENOTTY
    case ENOTTY:
#endif
        return QERR_INVALID_FUNCTION;
#ifdef ENODEV
    case ENODEV:
#endif
#ifdef ENOSYS
    case ENOSYS:
#endif
#ifdef ENOTSUP
    case ENOTSUP:
#endif
        return QERR_NOT_SUPPORTED;
#ifdef EPERM
    case EPERM:
#endif
#ifdef EACCES
    case EACCES:
#endif
        return QERR_ACCESS_DENIED;
#ifdef EINTR
    case EINTR:
#endif
        return QERR_INTERRUPTED;
#ifdef ETIMEDOUT
    case ETIMEDOUT:
#endif
        return QERR_TIMEOUT;
#ifdef E2BIG
    case E2BIG:
#endif
#ifdef EOVERFLOW
    case EOVERFLOW:
#endif
        return QERR_TOO_MUCH_DATA;
#ifdef ESRCH
    case ESRCH:
#endif
#ifdef ECHILD
    case ECHILD:
#endif
        return QERR_PROCESS_NOT_FOUND;
#ifdef EAGAIN
    case EAGAIN:
#endif
#if defined(EWOULDBLOCK) && EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
        return QERR_TRY_AGAIN;
#ifdef EILSEQ
    case EILSEQ:
#endif
        return QERR_NO_TRANSLATION;
#ifdef ENOENT
    case ENOENT:
#endif
        return QERR_FILE_NOT_FOUND;
#ifdef ENOTDIR
    case ENOTDIR:
#endif
        return QERR_PATH_NOT_FOUND;
#ifdef EEXIST
    case EEXIST:
#endif
        return QERR_ALREADY_EXISTS;
#ifdef ENFILE
    case ENFILE:
#endif
#ifdef EMFILE
    case EMFILE:
#endif
        return QERR_TOO_MANY_OPEN_FILES;
#ifdef ESPIPE
    case ESPIPE:
#endif
        return QERR_SEEK_ON_DEVICE;
#ifdef EROFS
    case EROFS:
#endif
        return QERR_WRITE_PROTECT;
#ifdef ETXTBSY
    case ETXTBSY:
#endif
        return QERR_SHARING_VIOLATION;
#ifdef ENOLCK
    case ENOLCK:
#endif
        return QERR_FILE_LOCK_FAILED;
#ifdef EXDEV
    case EXDEV:
#endif
        return QERR_NOT_SAME_DEVICE;
#ifdef ENAMETOOLONG
    case ENAMETOOLONG:
#endif
        return QERR_FILENAME_TOO_LONG;
#ifdef ENOTEMPTY
    case ENOTEMPTY:
#endif
        return QERR_DIR_NOT_EMPTY;
#ifdef EISDIR
    case EISDIR:
#endif
        return QERR_IS_A_DIRECTORY;
#ifdef EFBIG
    case EFBIG:
#endif
        return QERR_FILE_TOO_BIG;
#ifdef EBUSY
    case EBUSY:
#endif
        return QERR_RESOURCE_BUSY;
#ifdef ENOSPC
    case ENOSPC:
#endif
        return QERR_DISK_FULL;
#ifdef ELOOP
    case ELOOP:
#endif
        return QERR_TOO_MANY_SYMLINKS;
#ifdef EIO
    case EIO:
#endif
#ifdef ENXIO
    case ENXIO:
#endif
        return QERR_DEV_IO_ERROR;
#ifdef EPIPE
    case EPIPE:
#endif
        return QERR_BROKEN_PIPE;
#ifdef ENODATA
    case ENODATA:
#endif
        return QERR_NO_DATA;
#ifdef EDEADLK
    case EDEADLK:
#endif
        return QERR_DEADLOCK;
#ifdef EINPROGRESS
    case EINPROGRESS:
#endif
        return QERR_NET_IN_PROGRESS;
#ifdef EALREADY
    case EALREADY:
#endif
        return QERR_NET_ALREADY_IN_PROGRESS;
#ifdef ENOTSOCK
    case ENOTSOCK:
#endif
        return QERR_NET_NOT_SOCKET;
#ifdef EDESTADDRREQ
    case EDESTADDRREQ:
#endif
        return QERR_NET_DEST_ADDRESS_REQUIRED;
#ifdef EMSGSIZE
    case EMSGSIZE:
#endif
        return QERR_NET_MSG_SIZE;
#ifdef EPROTOTYPE
    case EPROTOTYPE:
#endif
        return QERR_NET_PROTOCOL_TYPE;
#ifdef ENOPROTOOPT
    case ENOPROTOOPT:
#endif
        return QERR_NET_PROTOCOL_NOT_AVAILABLE;
#ifdef EPROTONOSUPPORT
    case EPROTONOSUPPORT:
#endif
        return QERR_NET_PROTOCOL_NOT_SUPPORTED;
#if defined(EOPNOTSUPP) && EOPNOTSUPP != ENOTSUP
    case EOPNOTSUPP:
#endif
        return QERR_NET_OPERATION_NOT_SUPPORTED;
#ifdef EAFNOSUPPORT
    case EAFNOSUPPORT:
#endif
        return QERR_NET_ADDRESS_FAMILY_NOT_SUPPORTED;
#ifdef EADDRINUSE
    case EADDRINUSE:
#endif
        return QERR_NET_ADDRESS_IN_USE;
#ifdef EADDRNOTAVAIL
    case EADDRNOTAVAIL:
#endif
        return QERR_NET_ADDRESS_NOT_AVAILABLE;
#ifdef ENETDOWN
    case ENETDOWN:
#endif
        return QERR_NET_DOWN;
#ifdef ENETUNREACH
    case ENETUNREACH:
#endif
        return QERR_NET_UNREACHABLE;
#ifdef ENETRESET
    case ENETRESET:
#endif
        return QERR_NET_CONNECTION_RESET;
#ifdef ECONNABORTED
    case ECONNABORTED:
#endif
        return QERR_NET_CONNECTION_ABORTED;
#ifdef ECONNRESET
    case ECONNRESET:
#endif
        return QERR_NET_CONNECTION_RESET_BY_PEER;
#ifdef ENOBUFS
    case ENOBUFS:
#endif
        return QERR_NET_NO_BUFFER_SPACE;
#ifdef EISCONN
    case EISCONN:
#endif
        return QERR_NET_ALREADY_CONNECTED;
#ifdef ENOTCONN
    case ENOTCONN:
#endif
        return QERR_NET_NOT_CONNECTED;
#ifdef ECONNREFUSED
    case ECONNREFUSED:
#endif
        return QERR_NET_CONNECTION_REFUSED;
#ifdef EHOSTUNREACH
    case EHOSTUNREACH:
#endif
        return QERR_NET_HOST_UNREACHABLE;
#ifdef EPROTO
    case EPROTO:
#endif
        return QERR_NET_PROTOCOL_ERROR;
#ifdef ENOEXEC
    case ENOEXEC:
#endif
        return QERR_BAD_EXE_FORMAT;
    default:
        return QERR_UNRESOLVED_ERROR;
    }
}
