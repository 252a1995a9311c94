/** @file
 * NT status values to statuses. Portable: it needs no system header, only the
 * values, so the host build compiles and tests it as well.
 */
#include <rt/err.h>

int RTErrConvertFromNtStatus(int32_t lNativeCode)
{
    uint32_t const uNativeCode = (uint32_t)lNativeCode;
    switch (uNativeCode)
    {
        case UINT32_C(0x00000000): /* STATUS_SUCCESS */
            return INF_SUCCESS;
        case UINT32_C(0x000000C0): /* STATUS_USER_APC */
        case UINT32_C(0x00000101): /* STATUS_ALERTED */
            return ERR_INTERRUPTED;
        case UINT32_C(0x80000002): /* STATUS_DATATYPE_MISALIGNMENT */
        case UINT32_C(0xC0000005): /* STATUS_ACCESS_VIOLATION */
            return ERR_INVALID_POINTER;
        case UINT32_C(0x80000006): /* STATUS_NO_MORE_FILES */
        case UINT32_C(0x8000001A): /* STATUS_NO_MORE_ENTRIES */
            return ERR_NO_MORE_FILES;
        case UINT32_C(0xC0000003): /* STATUS_INVALID_INFO_CLASS */
            return ERR_INVALID_FUNCTION;
        case UINT32_C(0xC0000008): /* STATUS_INVALID_HANDLE */
            return ERR_INVALID_HANDLE;
        case UINT32_C(0xC000000D): /* STATUS_INVALID_PARAMETER */
            return ERR_INVALID_PARAMETER;
        case UINT32_C(0xC000000E): /* STATUS_NO_SUCH_DEVICE */
        case UINT32_C(0xC000000F): /* STATUS_NO_SUCH_FILE */
        case UINT32_C(0xC0000034): /* STATUS_OBJECT_NAME_NOT_FOUND */
            return ERR_FILE_NOT_FOUND;
        case UINT32_C(0xC0000010): /* STATUS_INVALID_DEVICE_REQUEST */
            return ERR_BAD_COMMAND;
        case UINT32_C(0xC0000013): /* STATUS_NO_MEDIA_IN_DEVICE */
            return ERR_NO_MEDIA;
        case UINT32_C(0xC0000017): /* STATUS_NO_MEMORY */
            return ERR_NO_MEMORY;
        case UINT32_C(0xC0000022): /* STATUS_ACCESS_DENIED */
            return ERR_ACCESS_DENIED;
        case UINT32_C(0xC0000024): /* STATUS_OBJECT_TYPE_MISMATCH */
            return ERR_WRONG_TYPE;
        case UINT32_C(0xC0000033): /* STATUS_OBJECT_NAME_INVALID */
        case UINT32_C(0xC0000039): /* STATUS_OBJECT_PATH_INVALID */
        case UINT32_C(0xC000003B): /* STATUS_OBJECT_PATH_SYNTAX_BAD */
            return ERR_INVALID_NAME;
        case UINT32_C(0xC000003A): /* STATUS_OBJECT_PATH_NOT_FOUND */
            return ERR_PATH_NOT_FOUND;
        case UINT32_C(0xC0000043): /* STATUS_SHARING_VIOLATION */
            return ERR_SHARING_VIOLATION;
        case UINT32_C(0xC000006D): /* STATUS_LOGON_FAILURE */
            return ERR_AUTHENTICATION_FAILURE;
        case UINT32_C(0xC00000BA): /* STATUS_FILE_IS_A_DIRECTORY */
            return ERR_IS_A_DIRECTORY;
        case UINT32_C(0xC00000BE): /* STATUS_BAD_NETWORK_PATH */
            return ERR_NET_RESOURCE_NOT_FOUND;
        case UINT32_C(0xC00000C4): /* STATUS_UNEXPECTED_NETWORK_ERROR */
            return ERR_NET_FAILURE;
        case UINT32_C(0xC00000E5): /* STATUS_INTERNAL_ERROR */
            return ERR_INTERNAL_ERROR;
        case UINT32_C(0xC00000EF): /* STATUS_INVALID_PARAMETER_1 */
        case UINT32_C(0xC00000F0):
        case UINT32_C(0xC00000F1):
        case UINT32_C(0xC00000F2):
        case UINT32_C(0xC00000F3):
        case UINT32_C(0xC00000F4):
        case UINT32_C(0xC00000F5):
        case UINT32_C(0xC00000F6):
        case UINT32_C(0xC00000F7):
        case UINT32_C(0xC00000F8):
        case UINT32_C(0xC00000F9):
        case UINT32_C(0xC00000FA): /* STATUS_INVALID_PARAMETER_12 */
            return ERR_INVALID_PARAMETER;
        case UINT32_C(0xC0000101): /* STATUS_DIRECTORY_NOT_EMPTY */
            return ERR_DIR_NOT_EMPTY;
        case UINT32_C(0xC0000103): /* STATUS_NOT_A_DIRECTORY */
            return ERR_NOT_A_DIRECTORY;
        case UINT32_C(0xC0000190): /* STATUS_TRUST_FAILURE */
            return ERR_TRUST_FAILURE;
        case UINT32_C(0xC0000280): /* STATUS_REPARSE_POINT_NOT_RESOLVED */
            return ERR_TOO_MANY_SYMLINKS;
        case UINT32_C(0xC0000428): /* STATUS_INVALID_IMAGE_HASH */
            return ERR_IMAGE_HASH_INVALID;
        default:
            /* Unhandled values are worth a release-log line (value in hex and
             * decimal) once the release logger exists; callers only see the
             * fallback status. */
            return ERR_UNRESOLVED_ERROR;
    }
}
