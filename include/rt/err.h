/** @file
 * Status codes and the conversion of Windows errors into them.
 *
 * A status is a signed 32-bit integer: 0 is plain success, negative values
 * are failures (ERR_), positive values are successes carrying information or
 * a warning (INF_, WRN_). Every status fits in 16 bits.
 */
#ifndef RT_ERR_H
#define RT_ERR_H

#include <rt/types.h>

/** @name Statuses the runtime and the installer name.
 * @{ */
#define INF_SUCCESS                 0
#define ERR_INVALID_PARAMETER       (-2)
#define ERR_INVALID_HANDLE          (-4)
#define ERR_INVALID_POINTER         (-6)
#define ERR_NO_MEMORY               (-8)
#define ERR_NOT_IMPLEMENTED         (-12)
#define ERR_INVALID_FLAGS           (-13)
#define ERR_NO_TMP_MEMORY           (-20)
#define ERR_INVALID_FMODE           (-21)
#define ERR_WRONG_ORDER             (-22)
#define ERR_TLS_UNAVAILABLE         (-23)
#define ERR_SELF_TLS_NOT_SET        (-24)
#define INF_ALREADY_INITIALIZED     28
#define ERR_THREAD_ENDED_ABNORMALLY (-29)
#define ERR_NOT_WAITABLE            (-30)
#define ERR_UNRESOLVED_ERROR        (-35)
#define ERR_INVALID_FUNCTION        (-36)
#define ERR_REQUEST_NOT_SUPPORTED   (-37)
#define ERR_ACCESS_DENIED           (-38)
#define ERR_INTERRUPTED             (-39)
#define ERR_TIMEOUT                 (-40)
#define ERR_BUFFER_OVERFLOW         (-41)
#define ERR_MISMATCH                (-48)
#define ERR_INVALID_UUID_FORMAT     (-49)
#define ERR_RESULT_PENDING          (-51)
#define ERR_PARSE_ERROR             (-53)
#define WRN_NUMBER_TOO_BIG          55
#define ERR_NO_DIGITS               (-56)
#define WRN_NEGATIVE_UNSIGNED       57
#define ERR_NONCHARACTER_CODE_POINT (-59)
#define ERR_SURROGATE_CODE_POINT    (-60)
#define ERR_INVALID_UTF8_ENCODING   (-61)
#define ERR_INVALID_UTF16_ENCODING  (-62)
#define ERR_CODE_POINT_OUT_OF_RANGE (-63)
#define ERR_NO_STR_MEMORY           (-64)
#define ERR_NO_UTF16_MEMORY         (-65)
#define ERR_NO_CODE_POINT_MEMORY    (-66)
#define ERR_TRAILING_CHARS          (-76)
#define WRN_TRAILING_CHARS          76
#define ERR_TRAILING_SPACES         (-77)
#define WRN_TRAILING_SPACES         77
#define ERR_END_OF_STRING           (-83)
#define ERR_OPEN_FAILED             (-101)
#define ERR_FILE_NOT_FOUND          (-102)
#define ERR_PATH_NOT_FOUND          (-103)
#define ERR_INVALID_NAME            (-104)
#define ERR_ALREADY_EXISTS          (-105)
#define ERR_TOO_MANY_OPEN_FILES     (-106)
#define ERR_EOF                     (-110)
#define ERR_READ_ERROR              (-111)
#define ERR_WRITE_ERROR             (-112)
#define ERR_SHARING_VIOLATION       (-114)
#define ERR_FILENAME_TOO_LONG       (-120)
#define ERR_DIR_NOT_EMPTY           (-125)
#define ERR_NOT_A_DIRECTORY         (-126)
#define ERR_IS_A_DIRECTORY          (-127)
#define ERR_FILE_TOO_BIG            (-128)
#define ERR_WRONG_TYPE              (-141)
#define ERR_PATH_INVALID_BASE       (-142)
#define ERR_PATH_ZERO_LENGTH        (-145)
#define ERR_DISK_FULL               (-152)
#define ERR_IS_A_SYMLINK            (-160)
#define ERR_NO_MORE_FILES           (-201)
#define ERR_INTERNAL_ERROR          (-225)
#define ERR_INTERNAL_ERROR_2        (-226)
#define ERR_INTERNAL_ERROR_3        (-227)
#define ERR_INTERNAL_ERROR_4        (-228)
#define ERR_BAD_COMMAND             (-253)
#define ERR_GENERAL_FAILURE         (-257)
#define ERR_NO_DATA                 (-304)
#define ERR_NOT_OWNER               (-355)
#define ERR_SEM_BUSY                (-360)
#define ERR_SEM_OWNER_DIED          (-361)
#define ERR_SEM_DESTROYED           (-363)
#define ERR_SEM_NESTED              (-364)
#define ERR_SYMBOL_NOT_FOUND        (-609)
#define ERR_MODULE_NOT_FOUND        (-610)
#define ERR_ENV_VAR_NOT_FOUND       (-750)
#define ERR_ENV_INVALID_VAR_NAME    (-752)
#define ERR_OPT_UNKNOWN_OPTION      (-825)
#define ERR_OPT_VALUE_MISSING       (-826)
#define ERR_OPT_BAD_VALUE_FORMAT    (-827)
#define INF_OPT_NOT_OPTION          828
#define ERR_OPT_INDEX_MISSING       (-829)
#define ERR_LENGTH_MISMATCH         (-22401)
/** @} */

/** @name Statuses reached through the Windows error conversions.
 * The runtime does not produce these itself; they carry a Windows error of a
 * kind that has no status above through to the caller and its messages.
 * @{ */
#define ERR_ALREADY_RUNNING        (-9)
#define ERR_NOT_A_REPARSE_POINT    (-19)
#define ERR_TOO_MANY_THREADS       (-43)
#define ERR_TOO_MANY_PROCESSES     (-44)
#define ERR_SIGNAL_REFUSED         (-45)
#define ERR_SIGNAL_PENDING         (-46)
#define ERR_INVALID_SIGNAL_NUMBER  (-47)
#define ERR_TRY_AGAIN              (-52)
#define ERR_NO_TRANSLATION         (-58)
#define ERR_CANCELLED              (-70)
#define ERR_NOT_FOUND              (-78)
#define ERR_AUTHENTICATION_FAILURE (-89)
#define ERR_SEEK_ERROR             (-107)
#define ERR_NEGATIVE_SEEK          (-108)
#define ERR_SEEK_ON_DEVICE         (-109)
#define ERR_WRITE_PROTECTED        (-113)
#define ERR_LOCK_FAILED            (-115)
#define ERR_LOCK_VIOLATION         (-116)
#define ERR_CANT_CREATE            (-117)
#define ERR_CANT_DELETE_DIRECTORY  (-118)
#define ERR_NOT_SAME_DEVICE        (-119)
#define ERR_UNRECOGNIZED_VOLUME    (-122)
#define ERR_NOT_LOCKED             (-123)
#define ERR_INVALID_DRIVE          (-151)
#define ERR_DRIVE_LOCKED           (-154)
#define ERR_UNKNOWN_DISK_FORMAT    (-155)
#define ERR_TOO_MANY_SYMLINKS      (-156)
#define ERR_NO_MEDIA               (-165)
#define ERR_NO_MORE_SEARCH_HANDLES (-202)
#define ERR_UNKNOWN_UNIT           (-251)
#define ERR_DEVICE_NOT_READY       (-252)
#define ERR_CRC_ERROR              (-254)
#define ERR_BAD_LENGTH             (-255)
#define ERR_SECTOR_NOT_FOUND       (-256)
#define ERR_PIPE_WRONG_STATE       (-300)
#define ERR_BROKEN_PIPE            (-301)
#define ERR_BAD_PIPE               (-302)
#define ERR_PIPE_BUSY              (-303)
#define ERR_PIPE_NOT_CONNECTED     (-305)
#define ERR_MORE_DATA              (-306)
#define ERR_TOO_MANY_SEMAPHORES    (-351)
#define ERR_EXCL_SEM_ALREADY_OWNED (-352)
#define ERR_SEM_IS_SET             (-353)
#define ERR_TOO_MANY_SEM_REQUESTS  (-354)
#define ERR_TOO_MANY_SEM_POSTS     (-357)
#define ERR_SEM_NOT_FOUND          (-362)
#define ERR_NET_FAILURE            (-400)
#define ERR_NET_OUT_OF_RESOURCES   (-401)
#define ERR_NET_HOST_NOT_FOUND     (-402)
#define ERR_NET_RESOURCE_NOT_FOUND (-403)
#define ERR_NET_PRINT_FAILED       (-404)
/* Winsock errors 10036 to 10065 keep their order: status = -(error - 9600). */
#define ERR_NET_IN_PROGRESS                 (-436)
#define ERR_NET_ALREADY_IN_PROGRESS         (-437)
#define ERR_NET_NOT_A_SOCKET                (-438)
#define ERR_NET_DEST_ADDRESS_REQUIRED       (-439)
#define ERR_NET_MESSAGE_TOO_LONG            (-440)
#define ERR_NET_WRONG_PROTOCOL_TYPE         (-441)
#define ERR_NET_BAD_PROTOCOL_OPTION         (-442)
#define ERR_NET_PROTOCOL_UNSUPPORTED        (-443)
#define ERR_NET_SOCKET_TYPE_UNSUPPORTED     (-444)
#define ERR_NET_OPERATION_UNSUPPORTED       (-445)
#define ERR_NET_PROTOCOL_FAMILY_UNSUPPORTED (-446)
#define ERR_NET_ADDRESS_FAMILY_UNSUPPORTED  (-447)
#define ERR_NET_ADDRESS_IN_USE              (-448)
#define ERR_NET_ADDRESS_NOT_AVAILABLE       (-449)
#define ERR_NET_DOWN                        (-450)
#define ERR_NET_UNREACHABLE                 (-451)
#define ERR_NET_RESET                       (-452)
#define ERR_NET_CONNECTION_ABORTED          (-453)
#define ERR_NET_CONNECTION_RESET            (-454)
#define ERR_NET_NO_BUFFER_SPACE             (-455)
#define ERR_NET_ALREADY_CONNECTED           (-456)
#define ERR_NET_NOT_CONNECTED               (-457)
#define ERR_NET_SHUT_DOWN                   (-458)
#define ERR_NET_TOO_MANY_REFERENCES         (-459)
#define ERR_NET_CONNECTION_REFUSED          (-461)
#define ERR_NET_HOST_DOWN                   (-464)
#define ERR_NET_HOST_UNREACHABLE            (-465)
#define ERR_NET_PROVIDER_INIT_FAILED        (-468)
#define ERR_INVALID_EXE_SIGNATURE           (-600)
#define ERR_BAD_EXE_FORMAT                  (-608)
#define ERR_IMAGE_HASH_INVALID              (-619)
#define ERR_TRUST_FAILURE                   (-3775)
#define ERR_ACCOUNT_RESTRICTED              (-22405)
#define ERR_PRIVILEGE_NOT_HELD              (-22410)
#define ERR_ELEVATION_REQUIRED              (-22419)
#define ERR_BLOCKED_BY_POLICY               (-22430)
#define ERR_CRYPTO_BAD_ALGORITHM            (-23502)
/** @} */

/** Output callback of the formatter: consumes @a cbChars bytes at @a pachChars
 * (a null pointer with 0 marks the end) and returns the bytes accepted. */
typedef size_t FNRTSTROUTPUT(void *pvArg, const char *pachChars, size_t cbChars);
typedef FNRTSTROUTPUT *PFNRTSTROUTPUT;

/** Converts a Win32 last-error value to a status; unknown values give ERR_UNRESOLVED_ERROR. */
int RTErrConvertFromWinError(uint32_t uNativeCode);
/** Converts an NT status value to a status; unknown values give ERR_UNRESOLVED_ERROR. */
int RTErrConvertFromNtStatus(int32_t lNativeCode);

/** @name Status text output for the formatter.
 * Each writes through @a pfnOutput and returns the bytes written; @a pszTmp is
 * scratch space of @a cbTmp bytes (at least 64) for number text.
 * @{ */
/** The status's symbolic name, or its signed decimal value when it has none ("%Rrc"). */
size_t RTErrFormatName(int rc, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, char *pszTmp, size_t cbTmp);
/** The status's message, or "Unknown Status <dec> (0x<hex>)" ("%Rrs", "%Rrf"). */
size_t RTErrFormatMsg(int rc, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, char *pszTmp, size_t cbTmp);
/** "<name> (<dec>) - <message>", or as RTErrFormatMsg when unknown ("%Rra"). */
size_t RTErrFormatMsgAll(int rc, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, char *pszTmp, size_t cbTmp);
/** A Win32 error's symbolic name ("%Rwc", "%Rwf"). */
size_t RTErrWinFormatName(int32_t rc, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, char *pszTmp, size_t cbTmp);
/** A Win32 error's name with its value ("%Rwa"). */
size_t RTErrWinFormatAll(int32_t rc, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, char *pszTmp, size_t cbTmp);
/** @} */

#ifdef RT_OS_WINDOWS
/** The thread's Windows error state, saved by RTErrStateSave. */
typedef struct RTERRSTATE
{
    uint32_t u32Magic;    /**< RTERRSTATE_MAGIC while valid. */
    uint32_t uLastError;  /**< GetLastError() at save time. */
    int32_t iSocketError; /**< WSAGetLastError(), or 10093 when the socket library is not bound. */
} RTERRSTATE;
#define RTERRSTATE_MAGIC UINT32_C(0x19520117)

/** Saves the calling thread's Win32 and Winsock error values into @a pState and returns it;
 * returns null and changes nothing when @a pState is not a valid pointer. The calling
 * thread's error values are left as they were. */
RTERRSTATE *RTErrStateSave(RTERRSTATE *pState);
/** Restores what RTErrStateSave saved (the Winsock error first, then the Win32 last error);
 * does nothing when @a pState is not a valid pointer or its magic does not match. */
void RTErrStateRestore(RTERRSTATE const *pState);
#endif

#endif
