/** @file
 * Win32 last-error values (and the few 32-bit codes that reach the same
 * callers) to statuses.
 */
#include <rt/err.h>

namespace
{

/** Winsock errors from WSAEINPROGRESS up keep their order as -(error - 9600). */
const uint32_t g_uWinsockStatusBias = 9600;

/** True for the Winsock errors that follow the biased rule; the others in that
 * range (time-out, loop, name too long, ...) share a status with their file
 * system or wait counterparts and are listed explicitly. */
bool rtErrIsBiasedWinsockError(uint32_t uNativeCode)
{
    return (uNativeCode >= 10036 /* WSAEINPROGRESS */ && uNativeCode <= 10059 /* WSAETOOMANYREFS */) ||
           uNativeCode == 10061 /* WSAECONNREFUSED */ || uNativeCode == 10064 /* WSAEHOSTDOWN */
           || uNativeCode == 10065 /* WSAEHOSTUNREACH */;
}

} /* namespace */

int RTErrConvertFromWinError(uint32_t uNativeCode)
{
    if (rtErrIsBiasedWinsockError(uNativeCode))
        return -(int)(uNativeCode - g_uWinsockStatusBias);

    switch (uNativeCode)
    {
        case 0: /* ERROR_SUCCESS */
            return INF_SUCCESS;

        case 87:    /* ERROR_INVALID_PARAMETER */
        case 160:   /* ERROR_BAD_ARGUMENTS */
        case 1004:  /* ERROR_INVALID_FLAGS */
        case 10022: /* WSAEINVAL */
            return ERR_INVALID_PARAMETER;
        case 6:     /* ERROR_INVALID_HANDLE */
        case 130:   /* ERROR_DIRECT_ACCESS_HANDLE */
        case 10009: /* WSAEBADF */
            return ERR_INVALID_HANDLE;
        case 487:   /* ERROR_INVALID_ADDRESS */
        case 998:   /* ERROR_NOACCESS */
        case 10014: /* WSAEFAULT */
            return ERR_INVALID_POINTER;
        case 8:    /* ERROR_NOT_ENOUGH_MEMORY */
        case 14:   /* ERROR_OUTOFMEMORY */
        case 1450: /* ERROR_NO_SYSTEM_RESOURCES */
            return ERR_NO_MEMORY;
        case 1056: /* ERROR_SERVICE_ALREADY_RUNNING */
            return ERR_ALREADY_RUNNING;
        case 4390: /* ERROR_NOT_A_REPARSE_POINT */
            return ERR_NOT_A_REPARSE_POINT;
        case 1: /* ERROR_INVALID_FUNCTION */
            return ERR_INVALID_FUNCTION;
        case 50: /* ERROR_NOT_SUPPORTED */
            return ERR_REQUEST_NOT_SUPPORTED;
        case 5:     /* ERROR_ACCESS_DENIED */
        case 10013: /* WSAEACCES */
            return ERR_ACCESS_DENIED;
        case 995:   /* ERROR_OPERATION_ABORTED */
        case 10004: /* WSAEINTR */
            return ERR_INTERRUPTED;
        case 121:   /* ERROR_SEM_TIMEOUT */
        case 258:   /* WAIT_TIMEOUT */
        case 1053:  /* ERROR_SERVICE_REQUEST_TIMEOUT */
        case 1121:  /* ERROR_COUNTER_TIMEOUT */
        case 1460:  /* ERROR_TIMEOUT */
        case 10060: /* WSAETIMEDOUT */
            return ERR_TIMEOUT;
        case 111: /* ERROR_BUFFER_OVERFLOW */
        case 122: /* ERROR_INSUFFICIENT_BUFFER */
            return ERR_BUFFER_OVERFLOW;
        case 164: /* ERROR_MAX_THRDS_REACHED */
            return ERR_TOO_MANY_THREADS;
        case 89:    /* ERROR_NO_PROC_SLOTS */
        case 10067: /* WSAEPROCLIM */
            return ERR_TOO_MANY_PROCESSES;
        case 156: /* ERROR_SIGNAL_REFUSED */
        case 205: /* ERROR_NO_SIGNAL_SENT */
            return ERR_SIGNAL_REFUSED;
        case 162: /* ERROR_SIGNAL_PENDING */
            return ERR_SIGNAL_PENDING;
        case 209: /* ERROR_INVALID_SIGNAL_NUMBER */
            return ERR_INVALID_SIGNAL_NUMBER;
        case 1705: /* RPC_S_INVALID_STRING_UUID */
            return ERR_INVALID_UUID_FORMAT;
        case 10035: /* WSAEWOULDBLOCK */
        case 11002: /* WSATRY_AGAIN */
            return ERR_TRY_AGAIN;
        case 1113: /* ERROR_NO_UNICODE_TRANSLATION */
            return ERR_NO_TRANSLATION;
        case 1223: /* ERROR_CANCELLED */
            return ERR_CANCELLED;
        case 1060: /* ERROR_SERVICE_DOES_NOT_EXIST */
        case 1168: /* ERROR_NOT_FOUND */
            return ERR_NOT_FOUND;
        case 1272: /* unauthenticated guest access to a share blocked */
        case 1326: /* ERROR_LOGON_FAILURE */
        case 1788: /* ERROR_TRUSTED_DOMAIN_FAILURE */
        case 1789: /* ERROR_TRUSTED_RELATIONSHIP_FAILURE */
            return ERR_AUTHENTICATION_FAILURE;

        case 110: /* ERROR_OPEN_FAILED */
            return ERR_OPEN_FAILED;
        case 2: /* ERROR_FILE_NOT_FOUND */
            return ERR_FILE_NOT_FOUND;
        case 3: /* ERROR_PATH_NOT_FOUND */
            return ERR_PATH_NOT_FOUND;
        case 123:  /* ERROR_INVALID_NAME */
        case 161:  /* ERROR_BAD_PATHNAME */
        case 1200: /* ERROR_BAD_DEVICE */
            return ERR_INVALID_NAME;
        case 80:  /* ERROR_FILE_EXISTS */
        case 183: /* ERROR_ALREADY_EXISTS */
            return ERR_ALREADY_EXISTS;
        case 4:     /* ERROR_TOO_MANY_OPEN_FILES */
        case 10024: /* WSAEMFILE */
            return ERR_TOO_MANY_OPEN_FILES;
        case 25: /* ERROR_SEEK */
            return ERR_SEEK_ERROR;
        case 131: /* ERROR_NEGATIVE_SEEK */
            return ERR_NEGATIVE_SEEK;
        case 132: /* ERROR_SEEK_ON_DEVICE */
            return ERR_SEEK_ON_DEVICE;
        case 38: /* ERROR_HANDLE_EOF */
            return ERR_EOF;
        case 30: /* ERROR_READ_FAULT */
            return ERR_READ_ERROR;
        case 29: /* ERROR_WRITE_FAULT */
            return ERR_WRITE_ERROR;
        case 19: /* ERROR_WRITE_PROTECT */
            return ERR_WRITE_PROTECTED;
        case 32:   /* ERROR_SHARING_VIOLATION */
        case 1224: /* ERROR_USER_MAPPED_FILE */
            return ERR_SHARING_VIOLATION;
        case 167: /* ERROR_LOCK_FAILED */
            return ERR_LOCK_FAILED;
        case 33: /* ERROR_LOCK_VIOLATION */
            return ERR_LOCK_VIOLATION;
        case 82: /* ERROR_CANNOT_MAKE */
            return ERR_CANT_CREATE;
        case 16:    /* ERROR_CURRENT_DIRECTORY */
        case 10066: /* WSAENOTEMPTY */
            return ERR_CANT_DELETE_DIRECTORY;
        case 17: /* ERROR_NOT_SAME_DEVICE */
            return ERR_NOT_SAME_DEVICE;
        case 206:   /* ERROR_FILENAME_EXCED_RANGE */
        case 10063: /* WSAENAMETOOLONG */
            return ERR_FILENAME_TOO_LONG;
        case 1005: /* ERROR_UNRECOGNIZED_VOLUME */
            return ERR_UNRECOGNIZED_VOLUME;
        case 158: /* ERROR_NOT_LOCKED */
            return ERR_NOT_LOCKED;
        case 145: /* ERROR_DIR_NOT_EMPTY */
            return ERR_DIR_NOT_EMPTY;
        case 267: /* ERROR_DIRECTORY */
            return ERR_NOT_A_DIRECTORY;
        case 15: /* ERROR_INVALID_DRIVE */
            return ERR_INVALID_DRIVE;
        case 39:    /* ERROR_HANDLE_DISK_FULL */
        case 112:   /* ERROR_DISK_FULL */
        case 10069: /* WSAEDQUOT */
            return ERR_DISK_FULL;
        case 108: /* ERROR_DRIVE_LOCKED */
            return ERR_DRIVE_LOCKED;
        case 26: /* ERROR_NOT_DOS_DISK */
            return ERR_UNKNOWN_DISK_FORMAT;
        case 10062: /* WSAELOOP */
            return ERR_TOO_MANY_SYMLINKS;
        case 18: /* ERROR_NO_MORE_FILES */
            return ERR_NO_MORE_FILES;
        case 113: /* ERROR_NO_MORE_SEARCH_HANDLES */
            return ERR_NO_MORE_SEARCH_HANDLES;
        case 1359: /* ERROR_INTERNAL_ERROR */
            return ERR_INTERNAL_ERROR;

        case 20: /* ERROR_BAD_UNIT */
            return ERR_UNKNOWN_UNIT;
        case 21: /* ERROR_NOT_READY */
            return ERR_DEVICE_NOT_READY;
        case 22: /* ERROR_BAD_COMMAND */
            return ERR_BAD_COMMAND;
        case 23: /* ERROR_CRC */
            return ERR_CRC_ERROR;
        case 24: /* ERROR_BAD_LENGTH */
            return ERR_BAD_LENGTH;
        case 27: /* ERROR_SECTOR_NOT_FOUND */
            return ERR_SECTOR_NOT_FOUND;
        case 31: /* ERROR_GEN_FAILURE */
            return ERR_GENERAL_FAILURE;

        case 535: /* ERROR_PIPE_CONNECTED */
        case 536: /* ERROR_PIPE_LISTENING */
            return ERR_PIPE_WRONG_STATE;
        case 109: /* ERROR_BROKEN_PIPE */
            return ERR_BROKEN_PIPE;
        case 230: /* ERROR_BAD_PIPE */
            return ERR_BAD_PIPE;
        case 231: /* ERROR_PIPE_BUSY */
            return ERR_PIPE_BUSY;
        case 232:  /* ERROR_NO_DATA */
        case 1812: /* ERROR_RESOURCE_DATA_NOT_FOUND */
            return ERR_NO_DATA;
        case 233: /* ERROR_PIPE_NOT_CONNECTED */
            return ERR_PIPE_NOT_CONNECTED;
        case 234: /* ERROR_MORE_DATA */
            return ERR_MORE_DATA;

        case 100: /* ERROR_TOO_MANY_SEMAPHORES */
            return ERR_TOO_MANY_SEMAPHORES;
        case 101: /* ERROR_EXCL_SEM_ALREADY_OWNED */
            return ERR_EXCL_SEM_ALREADY_OWNED;
        case 102: /* ERROR_SEM_IS_SET */
            return ERR_SEM_IS_SET;
        case 103: /* ERROR_TOO_MANY_SEM_REQUESTS */
            return ERR_TOO_MANY_SEM_REQUESTS;
        case 288: /* ERROR_NOT_OWNER */
            return ERR_NOT_OWNER;
        case 298: /* ERROR_TOO_MANY_POSTS */
            return ERR_TOO_MANY_SEM_POSTS;
        case 105: /* ERROR_SEM_OWNER_DIED */
            return ERR_SEM_OWNER_DIED;
        case 187: /* ERROR_SEM_NOT_FOUND */
            return ERR_SEM_NOT_FOUND;

        case 51: /* ERROR_REM_NOT_LIST */
        case 52: /* ERROR_DUP_NAME */
        case 57: /* ERROR_ADAP_HDW_ERR */
        case 58: /* ERROR_BAD_NET_RESP */
        case 59: /* ERROR_UNEXP_NET_ERR */
        case 60: /* ERROR_BAD_REM_ADAP */
        case 65: /* ERROR_NETWORK_ACCESS_DENIED */
        case 66: /* ERROR_BAD_DEV_TYPE */
        case 70: /* ERROR_SHARING_PAUSED */
        case 71: /* ERROR_REQ_NOT_ACCEP */
        case 72: /* ERROR_REDIR_PAUSED */
        case 85: /* ERROR_ALREADY_ASSIGNED */
        case 86: /* ERROR_INVALID_PASSWORD */
        case 88: /* ERROR_NET_WRITE_FAULT */
            return ERR_NET_FAILURE;
        case 54: /* ERROR_NETWORK_BUSY */
        case 56: /* ERROR_TOO_MANY_CMDS */
        case 68: /* ERROR_TOO_MANY_NAMES */
        case 69: /* ERROR_TOO_MANY_SESS */
        case 84: /* ERROR_OUT_OF_STRUCTURES */
            return ERR_NET_OUT_OF_RESOURCES;
        case 53:    /* ERROR_BAD_NETPATH */
        case 64:    /* ERROR_NETNAME_DELETED */
        case 11001: /* WSAHOST_NOT_FOUND */
            return ERR_NET_HOST_NOT_FOUND;
        case 55: /* ERROR_DEV_NOT_EXIST */
        case 67: /* ERROR_BAD_NET_NAME */
            return ERR_NET_RESOURCE_NOT_FOUND;
        case 61: /* ERROR_PRINTQ_FULL */
        case 62: /* ERROR_NO_SPOOL_SPACE */
        case 63: /* ERROR_PRINT_CANCELLED */
            return ERR_NET_PRINT_FAILED;
        case 11004: /* WSANO_DATA: the name has no address of the requested kind */
            return ERR_NET_ADDRESS_NOT_AVAILABLE;
        case 10106: /* WSAEPROVIDERFAILEDINIT */
            return ERR_NET_PROVIDER_INIT_FAILED;

        case 191: /* ERROR_INVALID_EXE_SIGNATURE */
            return ERR_INVALID_EXE_SIGNATURE;
        case 193:  /* ERROR_BAD_EXE_FORMAT */
        case 1392: /* ERROR_FILE_CORRUPT */
            return ERR_BAD_EXE_FORMAT;
        case 127: /* ERROR_PROC_NOT_FOUND */
            return ERR_SYMBOL_NOT_FOUND;
        case 126: /* ERROR_MOD_NOT_FOUND */
            return ERR_MODULE_NOT_FOUND;
        case 577: /* ERROR_INVALID_IMAGE_HASH */
            return ERR_IMAGE_HASH_INVALID;
        case 203: /* ERROR_ENVVAR_NOT_FOUND */
            return ERR_ENV_VAR_NOT_FOUND;

        case 1325: /* ERROR_PASSWORD_RESTRICTION */
        case 1327: /* ERROR_ACCOUNT_RESTRICTION */
        case 1330: /* ERROR_PASSWORD_EXPIRED */
        case 1331: /* ERROR_ACCOUNT_DISABLED */
            return ERR_ACCOUNT_RESTRICTED;
        case 1314:                 /* ERROR_PRIVILEGE_NOT_HELD */
        case UINT32_C(0xC000042C): /* an NT status that some calls hand back as their last error */
            return ERR_PRIVILEGE_NOT_HELD;
        case 740: /* ERROR_ELEVATION_REQUIRED */
            return ERR_ELEVATION_REQUIRED;
        case 4551: /* ERROR_SYSTEM_INTEGRITY_POLICY_VIOLATION */
            return ERR_BLOCKED_BY_POLICY;
        case UINT32_C(0x80090008): /* NTE_BAD_ALGID, from the cryptography calls */
            return ERR_CRYPTO_BAD_ALGORITHM;

        default:
            return ERR_UNRESOLVED_ERROR;
    }
}
