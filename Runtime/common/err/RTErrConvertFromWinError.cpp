/** @file
 * Win32 last-error values (and the few 32-bit codes that reach the same
 * callers) to statuses.
 */
#include <rt/err.h>
#include "internal/err.h"

/** Every Win32 error with a status of its own but those of the Winsock rule
 * below, sorted by ascending value (the tests check the order) for a binary
 * search: a table of 4-byte pairs is a fraction of the size of a switch. */
const RTERRWINMAP g_aRTErrWinMap[] = {
    {0, INF_SUCCESS},                       /* ERROR_SUCCESS */
    {1, ERR_INVALID_FUNCTION},              /* ERROR_INVALID_FUNCTION */
    {2, ERR_FILE_NOT_FOUND},                /* ERROR_FILE_NOT_FOUND */
    {3, ERR_PATH_NOT_FOUND},                /* ERROR_PATH_NOT_FOUND */
    {4, ERR_TOO_MANY_OPEN_FILES},           /* ERROR_TOO_MANY_OPEN_FILES */
    {5, ERR_ACCESS_DENIED},                 /* ERROR_ACCESS_DENIED */
    {6, ERR_INVALID_HANDLE},                /* ERROR_INVALID_HANDLE */
    {8, ERR_NO_MEMORY},                     /* ERROR_NOT_ENOUGH_MEMORY */
    {14, ERR_NO_MEMORY},                    /* ERROR_OUTOFMEMORY */
    {15, ERR_INVALID_DRIVE},                /* ERROR_INVALID_DRIVE */
    {16, ERR_CANT_DELETE_DIRECTORY},        /* ERROR_CURRENT_DIRECTORY */
    {17, ERR_NOT_SAME_DEVICE},              /* ERROR_NOT_SAME_DEVICE */
    {18, ERR_NO_MORE_FILES},                /* ERROR_NO_MORE_FILES */
    {19, ERR_WRITE_PROTECTED},              /* ERROR_WRITE_PROTECT */
    {20, ERR_UNKNOWN_UNIT},                 /* ERROR_BAD_UNIT */
    {21, ERR_DEVICE_NOT_READY},             /* ERROR_NOT_READY */
    {22, ERR_BAD_COMMAND},                  /* ERROR_BAD_COMMAND */
    {23, ERR_CRC_ERROR},                    /* ERROR_CRC */
    {24, ERR_BAD_LENGTH},                   /* ERROR_BAD_LENGTH */
    {25, ERR_SEEK_ERROR},                   /* ERROR_SEEK */
    {26, ERR_UNKNOWN_DISK_FORMAT},          /* ERROR_NOT_DOS_DISK */
    {27, ERR_SECTOR_NOT_FOUND},             /* ERROR_SECTOR_NOT_FOUND */
    {29, ERR_WRITE_ERROR},                  /* ERROR_WRITE_FAULT */
    {30, ERR_READ_ERROR},                   /* ERROR_READ_FAULT */
    {31, ERR_GENERAL_FAILURE},              /* ERROR_GEN_FAILURE */
    {32, ERR_SHARING_VIOLATION},            /* ERROR_SHARING_VIOLATION */
    {33, ERR_LOCK_VIOLATION},               /* ERROR_LOCK_VIOLATION */
    {38, ERR_EOF},                          /* ERROR_HANDLE_EOF */
    {39, ERR_DISK_FULL},                    /* ERROR_HANDLE_DISK_FULL */
    {50, ERR_REQUEST_NOT_SUPPORTED},        /* ERROR_NOT_SUPPORTED */
    {51, ERR_NET_FAILURE},                  /* ERROR_REM_NOT_LIST */
    {52, ERR_NET_FAILURE},                  /* ERROR_DUP_NAME */
    {53, ERR_NET_HOST_NOT_FOUND},           /* ERROR_BAD_NETPATH */
    {54, ERR_NET_OUT_OF_RESOURCES},         /* ERROR_NETWORK_BUSY */
    {55, ERR_NET_RESOURCE_NOT_FOUND},       /* ERROR_DEV_NOT_EXIST */
    {56, ERR_NET_OUT_OF_RESOURCES},         /* ERROR_TOO_MANY_CMDS */
    {57, ERR_NET_FAILURE},                  /* ERROR_ADAP_HDW_ERR */
    {58, ERR_NET_FAILURE},                  /* ERROR_BAD_NET_RESP */
    {59, ERR_NET_FAILURE},                  /* ERROR_UNEXP_NET_ERR */
    {60, ERR_NET_FAILURE},                  /* ERROR_BAD_REM_ADAP */
    {61, ERR_NET_PRINT_FAILED},             /* ERROR_PRINTQ_FULL */
    {62, ERR_NET_PRINT_FAILED},             /* ERROR_NO_SPOOL_SPACE */
    {63, ERR_NET_PRINT_FAILED},             /* ERROR_PRINT_CANCELLED */
    {64, ERR_NET_HOST_NOT_FOUND},           /* ERROR_NETNAME_DELETED */
    {65, ERR_NET_FAILURE},                  /* ERROR_NETWORK_ACCESS_DENIED */
    {66, ERR_NET_FAILURE},                  /* ERROR_BAD_DEV_TYPE */
    {67, ERR_NET_RESOURCE_NOT_FOUND},       /* ERROR_BAD_NET_NAME */
    {68, ERR_NET_OUT_OF_RESOURCES},         /* ERROR_TOO_MANY_NAMES */
    {69, ERR_NET_OUT_OF_RESOURCES},         /* ERROR_TOO_MANY_SESS */
    {70, ERR_NET_FAILURE},                  /* ERROR_SHARING_PAUSED */
    {71, ERR_NET_FAILURE},                  /* ERROR_REQ_NOT_ACCEP */
    {72, ERR_NET_FAILURE},                  /* ERROR_REDIR_PAUSED */
    {80, ERR_ALREADY_EXISTS},               /* ERROR_FILE_EXISTS */
    {82, ERR_CANT_CREATE},                  /* ERROR_CANNOT_MAKE */
    {84, ERR_NET_OUT_OF_RESOURCES},         /* ERROR_OUT_OF_STRUCTURES */
    {85, ERR_NET_FAILURE},                  /* ERROR_ALREADY_ASSIGNED */
    {86, ERR_NET_FAILURE},                  /* ERROR_INVALID_PASSWORD */
    {87, ERR_INVALID_PARAMETER},            /* ERROR_INVALID_PARAMETER */
    {88, ERR_NET_FAILURE},                  /* ERROR_NET_WRITE_FAULT */
    {89, ERR_TOO_MANY_PROCESSES},           /* ERROR_NO_PROC_SLOTS */
    {100, ERR_TOO_MANY_SEMAPHORES},         /* ERROR_TOO_MANY_SEMAPHORES */
    {101, ERR_EXCL_SEM_ALREADY_OWNED},      /* ERROR_EXCL_SEM_ALREADY_OWNED */
    {102, ERR_SEM_IS_SET},                  /* ERROR_SEM_IS_SET */
    {103, ERR_TOO_MANY_SEM_REQUESTS},       /* ERROR_TOO_MANY_SEM_REQUESTS */
    {105, ERR_SEM_OWNER_DIED},              /* ERROR_SEM_OWNER_DIED */
    {108, ERR_DRIVE_LOCKED},                /* ERROR_DRIVE_LOCKED */
    {109, ERR_BROKEN_PIPE},                 /* ERROR_BROKEN_PIPE */
    {110, ERR_OPEN_FAILED},                 /* ERROR_OPEN_FAILED */
    {111, ERR_BUFFER_OVERFLOW},             /* ERROR_BUFFER_OVERFLOW */
    {112, ERR_DISK_FULL},                   /* ERROR_DISK_FULL */
    {113, ERR_NO_MORE_SEARCH_HANDLES},      /* ERROR_NO_MORE_SEARCH_HANDLES */
    {121, ERR_TIMEOUT},                     /* ERROR_SEM_TIMEOUT */
    {122, ERR_BUFFER_OVERFLOW},             /* ERROR_INSUFFICIENT_BUFFER */
    {123, ERR_INVALID_NAME},                /* ERROR_INVALID_NAME */
    {126, ERR_MODULE_NOT_FOUND},            /* ERROR_MOD_NOT_FOUND */
    {127, ERR_SYMBOL_NOT_FOUND},            /* ERROR_PROC_NOT_FOUND */
    {130, ERR_INVALID_HANDLE},              /* ERROR_DIRECT_ACCESS_HANDLE */
    {131, ERR_NEGATIVE_SEEK},               /* ERROR_NEGATIVE_SEEK */
    {132, ERR_SEEK_ON_DEVICE},              /* ERROR_SEEK_ON_DEVICE */
    {145, ERR_DIR_NOT_EMPTY},               /* ERROR_DIR_NOT_EMPTY */
    {156, ERR_SIGNAL_REFUSED},              /* ERROR_SIGNAL_REFUSED */
    {158, ERR_NOT_LOCKED},                  /* ERROR_NOT_LOCKED */
    {160, ERR_INVALID_PARAMETER},           /* ERROR_BAD_ARGUMENTS */
    {161, ERR_INVALID_NAME},                /* ERROR_BAD_PATHNAME */
    {162, ERR_SIGNAL_PENDING},              /* ERROR_SIGNAL_PENDING */
    {164, ERR_TOO_MANY_THREADS},            /* ERROR_MAX_THRDS_REACHED */
    {167, ERR_LOCK_FAILED},                 /* ERROR_LOCK_FAILED */
    {183, ERR_ALREADY_EXISTS},              /* ERROR_ALREADY_EXISTS */
    {187, ERR_SEM_NOT_FOUND},               /* ERROR_SEM_NOT_FOUND */
    {191, ERR_INVALID_EXE_SIGNATURE},       /* ERROR_INVALID_EXE_SIGNATURE */
    {193, ERR_BAD_EXE_FORMAT},              /* ERROR_BAD_EXE_FORMAT */
    {203, ERR_ENV_VAR_NOT_FOUND},           /* ERROR_ENVVAR_NOT_FOUND */
    {205, ERR_SIGNAL_REFUSED},              /* ERROR_NO_SIGNAL_SENT */
    {206, ERR_FILENAME_TOO_LONG},           /* ERROR_FILENAME_EXCED_RANGE */
    {209, ERR_INVALID_SIGNAL_NUMBER},       /* ERROR_INVALID_SIGNAL_NUMBER */
    {230, ERR_BAD_PIPE},                    /* ERROR_BAD_PIPE */
    {231, ERR_PIPE_BUSY},                   /* ERROR_PIPE_BUSY */
    {232, ERR_NO_DATA},                     /* ERROR_NO_DATA */
    {233, ERR_PIPE_NOT_CONNECTED},          /* ERROR_PIPE_NOT_CONNECTED */
    {234, ERR_MORE_DATA},                   /* ERROR_MORE_DATA */
    {258, ERR_TIMEOUT},                     /* WAIT_TIMEOUT */
    {267, ERR_NOT_A_DIRECTORY},             /* ERROR_DIRECTORY */
    {288, ERR_NOT_OWNER},                   /* ERROR_NOT_OWNER */
    {298, ERR_TOO_MANY_SEM_POSTS},          /* ERROR_TOO_MANY_POSTS */
    {487, ERR_INVALID_POINTER},             /* ERROR_INVALID_ADDRESS */
    {535, ERR_PIPE_WRONG_STATE},            /* ERROR_PIPE_CONNECTED */
    {536, ERR_PIPE_WRONG_STATE},            /* ERROR_PIPE_LISTENING */
    {577, ERR_IMAGE_HASH_INVALID},          /* ERROR_INVALID_IMAGE_HASH */
    {740, ERR_ELEVATION_REQUIRED},          /* ERROR_ELEVATION_REQUIRED */
    {995, ERR_INTERRUPTED},                 /* ERROR_OPERATION_ABORTED */
    {998, ERR_INVALID_POINTER},             /* ERROR_NOACCESS */
    {1004, ERR_INVALID_PARAMETER},          /* ERROR_INVALID_FLAGS */
    {1005, ERR_UNRECOGNIZED_VOLUME},        /* ERROR_UNRECOGNIZED_VOLUME */
    {1053, ERR_TIMEOUT},                    /* ERROR_SERVICE_REQUEST_TIMEOUT */
    {1056, ERR_ALREADY_RUNNING},            /* ERROR_SERVICE_ALREADY_RUNNING */
    {1060, ERR_NOT_FOUND},                  /* ERROR_SERVICE_DOES_NOT_EXIST */
    {1113, ERR_NO_TRANSLATION},             /* ERROR_NO_UNICODE_TRANSLATION */
    {1121, ERR_TIMEOUT},                    /* ERROR_COUNTER_TIMEOUT */
    {1168, ERR_NOT_FOUND},                  /* ERROR_NOT_FOUND */
    {1200, ERR_INVALID_NAME},               /* ERROR_BAD_DEVICE */
    {1223, ERR_CANCELLED},                  /* ERROR_CANCELLED */
    {1224, ERR_SHARING_VIOLATION},          /* ERROR_USER_MAPPED_FILE */
    {1272, ERR_AUTHENTICATION_FAILURE},     /* unauthenticated guest access to a share blocked */
    {1314, ERR_PRIVILEGE_NOT_HELD},         /* ERROR_PRIVILEGE_NOT_HELD */
    {1325, ERR_ACCOUNT_RESTRICTED},         /* ERROR_PASSWORD_RESTRICTION */
    {1326, ERR_AUTHENTICATION_FAILURE},     /* ERROR_LOGON_FAILURE */
    {1327, ERR_ACCOUNT_RESTRICTED},         /* ERROR_ACCOUNT_RESTRICTION */
    {1330, ERR_ACCOUNT_RESTRICTED},         /* ERROR_PASSWORD_EXPIRED */
    {1331, ERR_ACCOUNT_RESTRICTED},         /* ERROR_ACCOUNT_DISABLED */
    {1359, ERR_INTERNAL_ERROR},             /* ERROR_INTERNAL_ERROR */
    {1392, ERR_BAD_EXE_FORMAT},             /* ERROR_FILE_CORRUPT */
    {1450, ERR_NO_MEMORY},                  /* ERROR_NO_SYSTEM_RESOURCES */
    {1460, ERR_TIMEOUT},                    /* ERROR_TIMEOUT */
    {1705, ERR_INVALID_UUID_FORMAT},        /* RPC_S_INVALID_STRING_UUID */
    {1788, ERR_AUTHENTICATION_FAILURE},     /* ERROR_TRUSTED_DOMAIN_FAILURE */
    {1789, ERR_AUTHENTICATION_FAILURE},     /* ERROR_TRUSTED_RELATIONSHIP_FAILURE */
    {1812, ERR_NO_DATA},                    /* ERROR_RESOURCE_DATA_NOT_FOUND */
    {4390, ERR_NOT_A_REPARSE_POINT},        /* ERROR_NOT_A_REPARSE_POINT */
    {4551, ERR_BLOCKED_BY_POLICY},          /* ERROR_SYSTEM_INTEGRITY_POLICY_VIOLATION */
    {10004, ERR_INTERRUPTED},               /* WSAEINTR */
    {10009, ERR_INVALID_HANDLE},            /* WSAEBADF */
    {10013, ERR_ACCESS_DENIED},             /* WSAEACCES */
    {10014, ERR_INVALID_POINTER},           /* WSAEFAULT */
    {10022, ERR_INVALID_PARAMETER},         /* WSAEINVAL */
    {10024, ERR_TOO_MANY_OPEN_FILES},       /* WSAEMFILE */
    {10035, ERR_TRY_AGAIN},                 /* WSAEWOULDBLOCK */
    {10060, ERR_TIMEOUT},                   /* WSAETIMEDOUT */
    {10062, ERR_TOO_MANY_SYMLINKS},         /* WSAELOOP */
    {10063, ERR_FILENAME_TOO_LONG},         /* WSAENAMETOOLONG */
    {10066, ERR_CANT_DELETE_DIRECTORY},     /* WSAENOTEMPTY */
    {10067, ERR_TOO_MANY_PROCESSES},        /* WSAEPROCLIM */
    {10069, ERR_DISK_FULL},                 /* WSAEDQUOT */
    {10106, ERR_NET_PROVIDER_INIT_FAILED},  /* WSAEPROVIDERFAILEDINIT */
    {11001, ERR_NET_HOST_NOT_FOUND},        /* WSAHOST_NOT_FOUND */
    {11002, ERR_TRY_AGAIN},                 /* WSATRY_AGAIN */
    {11004, ERR_NET_ADDRESS_NOT_AVAILABLE}, /* WSANO_DATA: the name has no address of the requested kind */
};

const size_t g_cRTErrWinMap = RT_ELEMENTS(g_aRTErrWinMap);

namespace
{

/** Winsock errors from WSAEINPROGRESS up keep their order as -(error - 9600). */
const uint32_t g_uWinsockStatusBias = 9600;

/** True for the Winsock errors that follow the biased rule; the others in that
 * range (time-out, loop, name too long, ...) share a status with their file
 * system or wait counterparts and are listed in the table. */
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
    /* The two codes beyond 16 bits. */
    if (uNativeCode == UINT32_C(0xC000042C)) /* an NT status that some calls hand back as their last error */
        return ERR_PRIVILEGE_NOT_HELD;
    if (uNativeCode == UINT32_C(0x80090008)) /* NTE_BAD_ALGID, from the cryptography calls */
        return ERR_CRYPTO_BAD_ALGORITHM;

    const RTERRWINMAP *pEntry = rtErrTableFind(g_aRTErrWinMap, g_cRTErrWinMap, &RTERRWINMAP::uWinError, uNativeCode);
    return pEntry ? pEntry->iStatus : ERR_UNRESOLVED_ERROR;
}
