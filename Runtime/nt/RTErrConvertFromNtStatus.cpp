// NT status values to status codes.
// A pure table: it is built and tested in every build, with or without Windows.
#include <qrt/err.h>

int32_t RTErrConvertFromNtStatus(int32_t lNativeCode) {
    switch (lNativeCode) {
    case (int32_t)0x00000000U:
        return QINF_SUCCESS;
    case (int32_t)0xC000000DU:
    case (int32_t)0xC00000EFU:
    case (int32_t)0xC00000F0U:
    case (int32_t)0xC00000F1U:
    case (int32_t)0xC00000F2U:
    case (int32_t)0xC00000F3U:
    case (int32_t)0xC00000F4U:
    case (int32_t)0xC00000F5U:
    case (int32_t)0xC00000F6U:
    case (int32_t)0xC00000F7U:
    case (int32_t)0xC00000F8U:
    case (int32_t)0xC00000F9U:
    case (int32_t)0xC00000FAU:
        return QERR_INVALID_PARAMETER;
    case (int32_t)0xC0000008U:
        return QERR_INVALID_HANDLE;
    case (int32_t)0x80000002U:
    case (int32_t)0xC0000005U:
        return QERR_INVALID_POINTER;
    case (int32_t)0xC0000017U:
        return QERR_NO_MEMORY;
    case (int32_t)0xC0000003U:
        return QERR_INVALID_FUNCTION;
    case (int32_t)0xC0000022U:
        return QERR_ACCESS_DENIED;
    case (int32_t)0x000000C0U:
    case (int32_t)0x00000101U:
        return QERR_INTERRUPTED;
    case (int32_t)0xC000006DU:
        return QERR_AUTHENTICATION_FAILURE;
    case (int32_t)0xC000000EU:
    case (int32_t)0xC000000FU:
    case (int32_t)0xC0000034U:
        return QERR_FILE_NOT_FOUND;
    case (int32_t)0xC000003AU:
        return QERR_PATH_NOT_FOUND;
    case (int32_t)0xC0000033U:
    case (int32_t)0xC0000039U:
    case (int32_t)0xC000003BU:
        return QERR_INVALID_NAME;
    case (int32_t)0xC0000043U:
        return QERR_SHARING_VIOLATION;
    case (int32_t)0xC0000101U:
        return QERR_DIR_NOT_EMPTY;
    case (int32_t)0xC0000103U:
        return QERR_NOT_A_DIRECTORY;
    case (int32_t)0xC00000BAU:
        return QERR_IS_A_DIRECTORY;
    case (int32_t)0xC0000024U:
        return QERR_UNEXPECTED_FS_OBJ_TYPE;
    case (int32_t)0xC0000280U:
        return QERR_TOO_MANY_SYMLINKS;
    case (int32_t)0xC0000013U:
        return QERR_DRIVE_IS_EMPTY;
    case (int32_t)0x80000006U:
    case (int32_t)0x8000001AU:
        return QERR_NO_MORE_FILES;
    case (int32_t)0xC0000010U:
        return QERR_IO_BAD_COMMAND;
    case (int32_t)0xC00000C4U:
        return QERR_NET_IO_ERROR;
    case (int32_t)0xC00000BEU:
        return QERR_NET_PATH_NOT_FOUND;
    case (int32_t)0xC0000428U:
        return QERR_LDR_IMAGE_HASH;
    case (int32_t)0xC0000190U:
        return QERR_NT_PROCESS_UNTRUSTED;
    default:
        return QERR_UNRESOLVED_ERROR;
    }
}
