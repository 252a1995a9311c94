/** @file
 * Command-line option parser.
 *
 * A caller describes its options in a constant table of RTOPTDEF, sets up an
 * RTOPTSTATE with RTGetOptInit and calls RTGetOpt until it returns 0. Each call
 * yields an option's identifier (its value already converted into the
 * RTOPTVALUE union), INF_OPT_NOT_OPTION with the argument text, or a negative
 * status. Texts handed back point into the caller's argument vector, which
 * must outlive their use; the parser never copies or frees text.
 *
 * Matching rules callers rely on:
 *  - A long name is matched literally including its leading characters, so
 *    "--path", "-path" and "/path" are three different names.
 *  - Every identifier that is an ASCII character is also a short option
 *    ("-x", and inside groups such as "-xs").
 *  - A '-' in a name also matches the Unicode dashes U+2010..U+2014, U+2212,
 *    U+FE58, U+FE63 and U+FF0D in the argument.
 *  - Unless RTOPT_INIT_NO_BUILTINS is given, "--help"/"-help" ('h') and
 *    "--version"/"-version" ('V') are searched after the caller's table, and
 *    "-?" means "--help" when no definition has the identifier '?'.
 *
 * Value texts by type (a failure is ERR_OPT_BAD_VALUE_FORMAT unless noted):
 *  - integers: the whole text in base 10; when that fails and the text starts
 *    with "0x"/"0X" and a hexadecimal digit, again in base 16 ("010" is 10,
 *    "0x10" is 16). With RTOPT_HEX, RTOPT_OCT or RTOPT_DEC only that base.
 *    Out of range, negative for unsigned types, or blanks around: failure.
 *  - IPv4 address: four decimal octets 0-255 separated by '.', blanks around.
 *  - IPv4 network: an address, optionally "/" and a prefix length 0-32 (32
 *    when absent); the address may stop after the octets the prefix covers
 *    ("10/8"); address bits outside the mask must be zero.
 *  - MAC address: twelve hexadecimal digits, or six ':'-separated parts of 0
 *    to FF of which a middle one may be empty (0); white space around.
 *  - UUID: "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx", hexadecimal digits in either
 *    case, optionally in braces.
 *  - RTOPT_VAL_BOOL: t/true, y/yes, e/en/enable/enabled, on, 1 and f/false,
 *    n/no, d/dis/disable/disabled, off, 0, each character in either case;
 *    RTOPT_VAL_BOOL_ONOFF: on/off. Anything else: ERR_OPT_UNKNOWN_OPTION with
 *    the text in pValue->psz.
 *  - pairs: a number, blanks, an optional '/', ':' or '|', blanks and the
 *    second number ending the text; each number is hexadecimal with a "0x"
 *    prefix, else decimal (octal with RTOPT_OCT, hexadecimal with RTOPT_HEX).
 *    The optional-pair types accept the first number alone.
 * Base bits on any other type, more than one base bit, and the value types 12,
 * 13 and above 21 give ERR_INTERNAL_ERROR.
 *
 * The parser has no global state; one RTOPTSTATE must not be used by two
 * threads at once.
 */
#ifndef RT_GETOPT_H
#define RT_GETOPT_H

#include <rt/types.h>
#include <rt/net.h>
#include <rt/uuid.h>

/** @name Definition flags (RTOPTDEF::fFlags)
 * @{ */
/** Value type mask; 0 (RTOPT_VAL_NONE) means the option takes no value. */
#define RTOPT_VAL_MASK                 UINT32_C(0x0000001f)
#define RTOPT_VAL_NONE                 UINT32_C(0)  /**< No value; the union holds the definition. */
#define RTOPT_VAL_STRING               UINT32_C(1)  /**< psz: the value text inside the argument vector. */
#define RTOPT_VAL_INT8                 UINT32_C(2)  /**< i8 */
#define RTOPT_VAL_UINT8                UINT32_C(3)  /**< u8 */
#define RTOPT_VAL_INT16                UINT32_C(4)  /**< i16 */
#define RTOPT_VAL_UINT16               UINT32_C(5)  /**< u16 */
#define RTOPT_VAL_INT32                UINT32_C(6)  /**< i32 */
#define RTOPT_VAL_UINT32               UINT32_C(7)  /**< u32 */
#define RTOPT_VAL_INT64                UINT32_C(8)  /**< i64 */
#define RTOPT_VAL_UINT64               UINT32_C(9)  /**< u64 */
#define RTOPT_VAL_IPV4ADDR             UINT32_C(10) /**< IPv4Addr: "a.b.c.d", blanks around allowed. */
#define RTOPT_VAL_IPV4CIDR             UINT32_C(11) /**< CidrIPv4: "a.b.c.d/n", see above. */
#define RTOPT_VAL_MACADDR              UINT32_C(14) /**< MacAddr: 12 hex digits or six ':'-separated parts. */
#define RTOPT_VAL_UUID                 UINT32_C(15) /**< Uuid: "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx", braces optional. */
#define RTOPT_VAL_BOOL_ONOFF           UINT32_C(16) /**< f: "on" or "off", either case. */
#define RTOPT_VAL_BOOL                 UINT32_C(17) /**< f: true/yes/enabled/on/1, false/no/disabled/off/0 and abbreviations. */
#define RTOPT_VAL_UINT32_PAIR          UINT32_C(18) /**< PairU32: two numbers, separated by blanks and/or '/', ':', '|'. */
#define RTOPT_VAL_UINT64_PAIR          UINT32_C(19) /**< PairU64: as above, 64-bit. */
#define RTOPT_VAL_UINT32_OPTIONAL_PAIR UINT32_C(20) /**< PairU32; a missing second number is 0xffffffff. */
#define RTOPT_VAL_UINT64_OPTIONAL_PAIR UINT32_C(21) /**< PairU64; a missing second number is all ones. */

/** Integer and pair values are read in base 16. */
#define RTOPT_HEX UINT32_C(0x00010000)
/** Integer and pair values are read in base 8. */
#define RTOPT_OCT UINT32_C(0x00020000)
/** Integer values are read in base 10 only (no retry as "0x..." hexadecimal). */
#define RTOPT_DEC UINT32_C(0x00040000)
/** The name is followed by a decimal index ("--disk3"), stored in RTOPTSTATE::uIndex. */
#define RTOPT_INDEX UINT32_C(0x00080000)
/** When non-zero, an index option may omit its index; it then defaults to (field - 1). */
#define RTOPT_INDEX_DEFAULT_MASK UINT32_C(0x00300000)
#define RTOPT_INDEX_DEFAULT_0    UINT32_C(0x00100000)
#define RTOPT_INDEX_DEFAULT_1    UINT32_C(0x00200000)
#define RTOPT_INDEX_DEFAULT_2    UINT32_C(0x00300000)
/** A dash may stand between the name and the index ("--disk-3"). */
#define RTOPT_INDEX_DASH UINT32_C(0x00400000)
/** The name is compared without regard to ASCII letter case. */
#define RTOPT_ICASE UINT32_C(0x00800000)
/** @} */

/** @name Init flags for RTGetOptInit
 * @{ */
/** Options first: options anywhere on the command line are returned before
 * the non-option arguments, and the vector is reordered in place so that it
 * ends up holding the options, then the non-options, each in command-line order. */
#define RTOPT_INIT_OPTIONS_FIRST UINT32_C(1)
/** No built-in help and version options. */
#define RTOPT_INIT_NO_BUILTINS UINT32_C(2)
/** @} */

/** One option definition. */
typedef struct RTOPTDEF
{
    /** The complete text to match, leading dashes or slash included; null makes
     * the definition reachable only as a short option. */
    const char *pszLong;
    /** Returned by RTGetOpt on a match; an ASCII character code is also the short option. */
    int iShort;
    /** Value type and modifiers (RTOPT_VAL_*, RTOPT_HEX, RTOPT_INDEX, ...). */
    uint32_t fFlags;
} RTOPTDEF;
typedef RTOPTDEF *PRTOPTDEF;
typedef const RTOPTDEF *PCRTOPTDEF;

/** Value of a parser result; which member is meaningful depends on the
 * result and, for options, on the definition's value type. */
typedef union RTOPTVALUE
{
    /** Value text (RTOPT_VAL_STRING), the argument for INF_OPT_NOT_OPTION, the
     * offending text for ERR_OPT_UNKNOWN_OPTION. */
    const char *psz;
    /** The matched definition: options without a value, and the value and
     * index errors (ERR_OPT_VALUE_MISSING, ERR_OPT_BAD_VALUE_FORMAT,
     * ERR_OPT_INDEX_MISSING, ERR_INTERNAL_ERROR). */
    PCRTOPTDEF pDef;
    bool f;
    int8_t i8;
    uint8_t u8;
    int16_t i16;
    uint16_t u16;
    int32_t i32;
    uint32_t u32;
    int64_t i64;
    uint64_t u64;
    /** The four bytes in the order written. */
    RTNETADDRIPV4 IPv4Addr;
    /** Network and mask, each with the first octet in the most significant byte. */
    struct
    {
        uint32_t u32Network;
        uint32_t u32Netmask;
    } CidrIPv4;
    /** The six bytes in the order written. */
    RTMAC MacAddr;
    /** The first group in u32TimeLow, the next two in u16TimeMid and
     * u16TimeHiAndVersion (host byte order), the last eight bytes in textual order. */
    RTUUID Uuid;
    struct
    {
        uint32_t uFirst;
        uint32_t uSecond;
    } PairU32;
    struct
    {
        uint64_t uFirst;
        uint64_t uSecond;
    } PairU64;
} RTOPTVALUE;
typedef RTOPTVALUE *PRTOPTVALUE;
typedef const RTOPTVALUE *PCRTOPTVALUE;

static_assert(sizeof(RTOPTVALUE) == 16, "RTOPTVALUE must stay 16 bytes");

/** Parser state, owned by the caller; fill it with RTGetOptInit only. */
typedef struct RTOPTSTATE
{
    /** Index of the next argument to examine. */
    int32_t iNext;
    /** The caller's vector (reordered in place in options-first mode). */
    char **papszArgs;
    /** Number of entries in papszArgs. */
    int32_t cArgs;
    /** The caller's table. */
    PCRTOPTDEF paOptions;
    /** Number of definitions in paOptions. */
    int32_t cOptions;
    /** Next character of a group of short options ("-xs"), null outside a group. */
    const char *pszNextShort;
    /** Definition of the option most recently returned successfully, else null. */
    PCRTOPTDEF pDefLast;
    /** Index of the last RTOPT_INDEX option, UINT32_MAX when none. */
    uint32_t uIndex;
    /** RTOPT_INIT_* flags. */
    uint32_t fFlags;
    /** Non-options skipped so far in options-first mode; INT32_MAX once every
     * remaining argument is to be returned as a non-option. */
    int32_t cNonOptions;
} RTOPTSTATE;
typedef RTOPTSTATE *PRTOPTSTATE;

/**
 * Prepares @a pState for parsing @a papszArgs from index @a iFirst.
 * @returns INF_SUCCESS; ERR_INVALID_PARAMETER for init flags other than
 *          RTOPT_INIT_OPTIONS_FIRST and RTOPT_INIT_NO_BUILTINS, a negative
 *          count or first index, or a missing vector or table where entries
 *          are announced; ERR_INVALID_POINTER for a bad @a pState.
 */
int RTGetOptInit(PRTOPTSTATE pState, int cArgs, char **papszArgs, PCRTOPTDEF paOptions, size_t cOptions, int iFirst,
                 uint32_t fFlags);

/**
 * Returns the next option or argument.
 *
 * @returns 0 when the arguments are exhausted; an option's identifier (value
 *          converted into @a pValue, or the definition in pValue->pDef for an
 *          option without value); INF_OPT_NOT_OPTION with the argument in
 *          pValue->psz; or a negative status:
 *          - ERR_OPT_UNKNOWN_OPTION: pValue->psz is the argument, or inside a
 *            group the text from the unknown character on (a further call
 *            reports the same character again); also from RTOPT_VAL_BOOL and
 *            RTOPT_VAL_BOOL_ONOFF values that are no keyword, with the value text;
 *          - ERR_OPT_VALUE_MISSING, ERR_OPT_BAD_VALUE_FORMAT,
 *            ERR_OPT_INDEX_MISSING, ERR_INTERNAL_ERROR (a definition whose
 *            value type and base bits do not go together): pValue->pDef is the
 *            matched definition;
 *          - a UTF-8 decoding status for a malformed argument: pValue is cleared.
 * After a success RTOPTSTATE::pDefLast is the definition and, for RTOPT_INDEX
 * options, RTOPTSTATE::uIndex the index.
 */
int RTGetOpt(PRTOPTSTATE pState, PRTOPTVALUE pValue);

/**
 * Takes the next argument as a further value of the option just returned, of
 * the type in @a fFlags (a value type plus optional base bits). Inside a group
 * of short options ("-xs" after 'x' was returned) the rest of the group ("s")
 * is the value instead, and the group ends.
 * @returns the conversion status as RTGetOpt gives it, the union holding
 *          RTOPTSTATE::pDefLast when the conversion fails; ERR_OPT_VALUE_MISSING
 *          with the union cleared (pValue->pDef null) when no argument is left;
 *          ERR_INVALID_PARAMETER (nothing changed) when @a fFlags has no value
 *          type or bits outside RTOPT_VAL_MASK and 0x00ff0000.
 */
int RTGetOptTakeValue(PRTOPTSTATE pState, PRTOPTVALUE pValue, uint32_t fFlags);

/**
 * Prints the standard message for the parser result @a ch and its value as an
 * error line of the program (RTMsgError).
 * @returns 2, the exit code for a command-line error.
 */
int RTGetOptReportError(int ch, PCRTOPTVALUE pValue);

#endif
