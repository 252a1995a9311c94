/** @file
 * Fuzzes the formatting engine and its front ends.
 *
 * The first input byte picks the mode:
 *  - bit 0 clear: the rest is a format string. It is first parsed here with
 *    the engine's grammar and cut into pieces that each end with the one
 *    conversion that takes arguments; every piece gets its own va_list with
 *    exactly the types that conversion reads, and the pieces are chained with
 *    "%N". "%R" conversions are dropped (their arguments depend on the family)
 *    and written widths are limited so the output stays small. Bit 1 adds an
 *    extension callback for unknown letters.
 *  - bit 0 set: the rest is string content for "%s", "%.*s" (a copy without
 *    terminator), "%-*s", "%ls" and "%Ls", each in an exactly sized heap copy
 *    so reads past the end are caught; the output is checked against a
 *    straightforward reference.
 */
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>
#include <rt/string.h>
#include <rt/mem.h>

namespace
{

/*
 * Output collection and the checks every formatting run must pass.
 */

struct Collector
{
    std::string strText;
    int cEndCalls = 0;
};

size_t collect(void *pvArg, const char *pach, size_t cb)
{
    Collector *pCol = (Collector *)pvArg;
    if (!pach)
    {
        if (cb != 0)
            abort();
        pCol->cEndCalls++;
        return 0;
    }
    if (pCol->cEndCalls || cb == 0)
        abort(); /* text after the end marker, or an empty piece */
    pCol->strText.append(pach, cb);
    return cb;
}

void check(bool f)
{
    if (!f)
        abort();
}

/** Extension: prints the letter in braces; upper-case letters also skip the
 * next format character, like a logger that swallows a type suffix. */
bool extensionSkips(char ch)
{
    return ch >= 'A' && ch <= 'Z';
}

size_t fuzzExtension(void *pvArg, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs,
                     int cchWidth, int cchPrecision, unsigned fFlags, char chArgSize)
{
    (void)pvArg, (void)pArgs, (void)cchWidth, (void)cchPrecision, (void)fFlags, (void)chArgSize;
    char const chLetter = (*ppszFormat)[-1];
    if (extensionSkips(chLetter) && **ppszFormat)
        (*ppszFormat)++;
    char const achText[3] = {'{', chLetter, '}'};
    return pfnOutput(pvArgOutput, achText, sizeof(achText));
}

/** Formats through every front end and checks that they agree. */
void formatEverywhere(PFNRTSTRFORMAT pfnFormat, size_t cbBuf, const char *pszFormat, va_list va)
{
    Collector Col;
    va_list vaCopy;
    va_copy(vaCopy, va);
    size_t const cb = RTStrFmtV(collect, &Col, pfnFormat, NULL, pszFormat, vaCopy);
    va_end(vaCopy);
    check(cb == Col.strText.size() && Col.cEndCalls == 1);
    if (pfnFormat)
        return; /* the front ends take no extension */

    char *pszBuf = (char *)malloc(cbBuf ? cbBuf : 1);
    va_copy(vaCopy, va);
    intptr_t const cchEx = RTStrBufPrintfExV(pszBuf, cbBuf, pszFormat, vaCopy);
    va_end(vaCopy);
    size_t const cchStored = RT_MIN(Col.strText.size(), cbBuf ? cbBuf - 1 : 0);
    check(cchEx == (Col.strText.size() < cbBuf ? (intptr_t)Col.strText.size() : ~(intptr_t)Col.strText.size()));
    check(!cbBuf || (memcmp(pszBuf, Col.strText.data(), cchStored) == 0 && pszBuf[cchStored] == '\0'));
    free(pszBuf);

    char *pszAlloc = NULL;
    va_copy(vaCopy, va);
    int const cchAlloc = RTStrAllocPrintfV(&pszAlloc, pszFormat, vaCopy, "fuzz");
    va_end(vaCopy);
    check(cchAlloc >= 0 && pszAlloc && (size_t)cchAlloc == Col.strText.size());
    check(memcmp(pszAlloc, Col.strText.data(), Col.strText.size() + 1) == 0);
    RTMemFree(pszAlloc);
}

/*
 * Format mode: the pieces and the typed arguments they take.
 */

enum ArgType
{
    ARG_NONE,
    ARG_INT,
    ARG_UINT,
    ARG_LONG,
    ARG_ULONG,
    ARG_LLONG,
    ARG_ULLONG,
    ARG_SSIZE,
    ARG_SIZE,
    ARG_DOUBLE,
    ARG_PTR,
    ARG_STR,
    ARG_WSTR,
    ARG_USTR,
    ARG_NESTED,
    ARG_FORMAT
};

struct Piece
{
    std::string strFormat; /* with the "%N" that leads to the next piece, except the last */
    std::vector<int> aiStars;
    ArgType enmType = ARG_NONE;
    unsigned idxValue = 0;
};

size_t const g_cPiecesMax = 48;

const int g_aiStarWidths[] = {5, -5, 0, 70, -70, 1, 300, -1};
const int g_aiStarPrecisions[] = {-1, 0, 2, 100, 1, 64};

/** Integer size of a size prefix as the engine reads it. */
char parseSize(const char *&psz, std::string &strConv)
{
    const char *pszStart = psz;
    char chSize = RTSTRFMT_SIZE_NONE;
    switch (*psz)
    {
        case 'I':
            if (psz[1] == '6' && psz[2] == '4')
                psz += 3, chSize = RTSTRFMT_SIZE_64BIT;
            else if (psz[1] == '3' && psz[2] == '2')
                psz += 3;
            else
                psz += 1, chSize = RTSTRFMT_SIZE_64BIT;
            break;
        case 'l':
            chSize = psz[1] == 'l' ? RTSTRFMT_SIZE_64BIT : RTSTRFMT_SIZE_LONG;
            psz += psz[1] == 'l' ? 2 : 1;
            break;
        case 'h':
            chSize = psz[1] == 'h' ? RTSTRFMT_SIZE_8BIT : RTSTRFMT_SIZE_16BIT;
            psz += psz[1] == 'h' ? 2 : 1;
            break;
        case 'q':
        case 'L':
        case 'j':
            psz++, chSize = RTSTRFMT_SIZE_64BIT;
            break;
        case 'z':
            psz++, chSize = RTSTRFMT_SIZE_SIZE;
            break;
        case 't':
            psz++, chSize = RTSTRFMT_SIZE_PTRD;
            break;
        default:
            break;
    }
    strConv.append(pszStart, (size_t)(psz - pszStart));
    return chSize;
}

ArgType integerType(char chSize, bool fSigned)
{
    switch (chSize)
    {
        case RTSTRFMT_SIZE_64BIT:
            return fSigned ? ARG_LLONG : ARG_ULLONG;
        case RTSTRFMT_SIZE_LONG:
            return fSigned ? ARG_LONG : ARG_ULONG;
        case RTSTRFMT_SIZE_SIZE:
        case RTSTRFMT_SIZE_PTRD:
            return fSigned ? ARG_SSIZE : ARG_SIZE;
        default:
            return fSigned ? ARG_INT : ARG_UINT;
    }
}

/** The argument a conversion letter takes; ARG_NONE for unknown letters. */
ArgType letterType(char chLetter, char chSize)
{
    switch (chLetter)
    {
        case 'd':
        case 'i':
            return integerType(chSize, true);
        case 'u':
        case 'o':
        case 'x':
        case 'X':
            return integerType(chSize, false);
        case 'c':
            return ARG_INT;
        case 'p':
            return ARG_PTR;
        case 's':
        case 'S':
            return chSize == RTSTRFMT_SIZE_LONG ? ARG_WSTR : chSize == RTSTRFMT_SIZE_64BIT ? ARG_USTR : ARG_STR;
        case 'a':
        case 'A':
        case 'e':
        case 'E':
        case 'f':
        case 'F':
        case 'g':
        case 'G':
            return ARG_DOUBLE;
        case 'N':
            return ARG_NESTED;
        case 'M':
            return ARG_FORMAT;
        default:
            return ARG_NONE;
    }
}

bool isDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

/** Copies a run of digits, at most @a cMax of them (the rest is skipped). */
void copyDigits(const char *&psz, std::string &strConv, size_t cMax)
{
    for (size_t c = 0; isDigit(*psz); psz++, c++)
        if (c < cMax)
            strConv += *psz;
}

/** Cuts @a pszFormat into pieces with the engine's grammar. */
std::vector<Piece> splitFormat(const char *psz, bool fExtension)
{
    std::vector<Piece> aPieces;
    Piece Cur;
    unsigned idxValue = 0;
    bool fEnded = false;
    while (*psz && !fEnded && aPieces.size() < g_cPiecesMax)
    {
        if (*psz != '%')
        {
            Cur.strFormat += *psz++;
            continue;
        }
        psz++;
        if (*psz == '%')
        {
            Cur.strFormat += "%%";
            psz++;
            continue;
        }
        std::string strConv = "%";
        std::vector<int> aiStars;
        while (*psz && strchr("-+ #'0", *psz))
            strConv += *psz++;
        if (*psz == '*')
        {
            strConv += *psz++;
            aiStars.push_back(g_aiStarWidths[idxValue++ % RT_ELEMENTS(g_aiStarWidths)]);
        }
        else
            copyDigits(psz, strConv, 3); /* keeps fields small */
        if (*psz == '.')
        {
            strConv += *psz++;
            if (*psz == '*')
            {
                strConv += *psz++;
                aiStars.push_back(g_aiStarPrecisions[idxValue++ % RT_ELEMENTS(g_aiStarPrecisions)]);
            }
            else
                copyDigits(psz, strConv, 12); /* long runs saturate; text is bounded by its end */
        }
        char const chSize = parseSize(psz, strConv);
        char const chLetter = *psz;
        if (!chLetter)
            break; /* a conversion cut off by the end: dropped with its arguments */
        psz++;
        if (chLetter == 'R')
        {
            /* The family decides its arguments: left out, with "%%" in its place so that the text around it is read
               as before ("%I6" + "%R" + "4d" must not become "%I64d"). */
            Cur.strFormat += "%%";
            continue;
        }
        strConv += chLetter;
        ArgType const enmType = letterType(chLetter, chSize);
        if (enmType == ARG_NONE && fExtension && extensionSkips(chLetter) && *psz)
            strConv += *psz++; /* the character the extension will skip */
        Cur.strFormat += strConv;
        fEnded = enmType == ARG_FORMAT; /* the rest of the format is abandoned */
        if (aiStars.empty() && enmType == ARG_NONE)
            continue;
        Cur.aiStars = aiStars;
        Cur.enmType = enmType;
        Cur.idxValue = idxValue++;
        aPieces.push_back(Cur);
        Cur = Piece();
    }
    aPieces.push_back(Cur);
    for (size_t i = 0; i + 1 < aPieces.size(); i++)
        aPieces[i].strFormat += "%N";
    return aPieces;
}

/*
 * The argument values: fixed tables, picked by the piece's value index.
 */

const int64_t g_aiValues[] = {0, 1, -1, 42, -42, 255, 0x7fffffff, INT32_MIN, INT64_MAX, INT64_MIN, 1234567};
const uint64_t g_auDoubleBits[] = {0,
                                   0x8000000000000000ull,
                                   0x3ff0000000000000ull,
                                   0xbfe8000000000000ull,
                                   0x7ff0000000000000ull,
                                   0x7ff8000000000000ull,
                                   0x000fffffffffffffull,
                                   0x7fefffffffffffffull};
const char *const g_apszStrings[] = {"",
                                     "abc",
                                     "\xC3\xA9\xE2\x82\xAC",
                                     NULL,
                                     (const char *)(uintptr_t)0x10,
                                     "a longer string of some sixty characters to cross the buffers"};
const RTUTF16 g_awszValid[] = {'a', 0xe9, 0xd83d, 0xde00, 'z', 0};
const RTUTF16 g_awszBroken[] = {'a', 0xd800, 'b', 0};
const RTUTF16 *const g_apwszStrings[] = {g_awszValid, g_awszBroken, NULL, (const RTUTF16 *)(uintptr_t)0xfff};
const RTUNICP g_auszValid[] = {'a', 0xe9, 0x1f600, 0x10ffff, 0};
const RTUNICP g_auszBroken[] = {'a', 0x110000, 'b', 0};
const RTUNICP *const g_apuszStrings[] = {g_auszValid, g_auszBroken, NULL, (const RTUNICP *)(uintptr_t)0x20};
const char *const g_apszFormats[] = {"m%%", "", NULL};

template <typename T, size_t N> T pick(T const (&aValues)[N], unsigned idx)
{
    return aValues[idx % N];
}

double doubleValue(unsigned idx)
{
    double rd;
    uint64_t const uBits = pick(g_auDoubleBits, idx);
    memcpy(&rd, &uBits, sizeof(rd));
    return rd;
}

struct Chain
{
    std::vector<Piece> aPieces;
    PFNRTSTRFORMAT pfnFormat;
    size_t cbBuf;
    va_list *pNestedArgs;
    /* The piece after the one being built: the "%N" tail's arguments. */
    const char *pszNext;
    va_list *pNextArgs;
};

void buildPiece(Chain &chain, size_t idxPiece);

/** Holds one piece's va_list while the pieces before it are built; the first
 * piece runs the whole chain. */
void holdList(Chain *pChain, size_t idxPiece, ...)
{
    va_list va;
    va_start(va, idxPiece);
    if (idxPiece == 0)
        formatEverywhere(pChain->pfnFormat, pChain->cbBuf, pChain->aPieces[0].strFormat.c_str(), va);
    else
    {
        pChain->pszNext = pChain->aPieces[idxPiece].strFormat.c_str();
        pChain->pNextArgs = &va;
        buildPiece(*pChain, idxPiece - 1);
    }
    va_end(va);
}

/** Passes the star arguments, the values and the tail's two arguments. */
template <typename... Values> void withStars(Chain &chain, size_t idxPiece, Values... values)
{
    Piece const &piece = chain.aPieces[idxPiece];
    const char *pszNext = chain.pszNext;
    va_list *pNextArgs = chain.pNextArgs;
    switch (piece.aiStars.size())
    {
        case 0:
            holdList(&chain, idxPiece, values..., pszNext, pNextArgs);
            break;
        case 1:
            holdList(&chain, idxPiece, piece.aiStars[0], values..., pszNext, pNextArgs);
            break;
        default:
            holdList(&chain, idxPiece, piece.aiStars[0], piece.aiStars[1], values..., pszNext, pNextArgs);
            break;
    }
}

void buildPiece(Chain &chain, size_t idxPiece)
{
    Piece const &piece = chain.aPieces[idxPiece];
    unsigned const idx = piece.idxValue;
    int64_t const iValue = pick(g_aiValues, idx);
    switch (piece.enmType)
    {
        case ARG_NONE:
            withStars(chain, idxPiece);
            break;
        case ARG_INT:
            withStars(chain, idxPiece, (int)iValue);
            break;
        case ARG_UINT:
            withStars(chain, idxPiece, (unsigned)iValue);
            break;
        case ARG_LONG:
            withStars(chain, idxPiece, (long)iValue);
            break;
        case ARG_ULONG:
            withStars(chain, idxPiece, (unsigned long)iValue);
            break;
        case ARG_LLONG:
            withStars(chain, idxPiece, (long long)iValue);
            break;
        case ARG_ULLONG:
            withStars(chain, idxPiece, (unsigned long long)iValue);
            break;
        case ARG_SSIZE:
            withStars(chain, idxPiece, (ptrdiff_t)iValue);
            break;
        case ARG_SIZE:
            withStars(chain, idxPiece, (size_t)iValue);
            break;
        case ARG_DOUBLE:
            withStars(chain, idxPiece, doubleValue(idx));
            break;
        case ARG_PTR:
            withStars(chain, idxPiece, (void *)(uintptr_t)iValue);
            break;
        case ARG_STR:
            withStars(chain, idxPiece, pick(g_apszStrings, idx));
            break;
        case ARG_WSTR:
            withStars(chain, idxPiece, pick(g_apwszStrings, idx));
            break;
        case ARG_USTR:
            withStars(chain, idxPiece, pick(g_apuszStrings, idx));
            break;
        case ARG_NESTED:
            withStars(chain, idxPiece, idx % 4 == 3 ? (const char *)NULL : "<%d|%s|%ls>", chain.pNestedArgs);
            break;
        case ARG_FORMAT:
            withStars(chain, idxPiece, pick(g_apszFormats, idx));
            break;
    }
}

/** Holds the list that the fuzzed format's "%N" conversions nest ("<%d|%s|%ls>"). */
void holdNestedList(Chain *pChain, ...)
{
    va_list va;
    va_start(va, pChain);
    pChain->pNestedArgs = &va;
    pChain->pszNext = NULL;
    pChain->pNextArgs = NULL;
    buildPiece(*pChain, pChain->aPieces.size() - 1);
    va_end(va);
}

void fuzzFormat(uint8_t bMode, const uint8_t *pb, size_t cb)
{
    std::string const strFormat((const char *)pb, cb);
    Chain chain;
    chain.pfnFormat = bMode & 2 ? fuzzExtension : NULL;
    chain.cbBuf = (bMode >> 2) * 3; /* 0 to 189 bytes for the buffer front end */
    chain.aPieces = splitFormat(strFormat.c_str(), chain.pfnFormat != NULL);
    holdNestedList(&chain, -7, "nested", g_awszValid);
}

/*
 * String mode.
 */

std::string formatOne(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    Collector Col;
    size_t cb = RTStrFmtV(collect, &Col, NULL, NULL, pszFormat, va);
    va_end(va);
    check(cb == Col.strText.size() && Col.cEndCalls == 1);
    return Col.strText;
}

void appendUtf8(std::string &str, uint32_t uCp)
{
    if (uCp < 0x80)
        str += (char)uCp;
    else if (uCp < 0x800)
        str += {(char)(0xc0 | (uCp >> 6)), (char)(0x80 | (uCp & 0x3f))};
    else if (uCp < 0x10000)
        str += {(char)(0xe0 | (uCp >> 12)), (char)(0x80 | ((uCp >> 6) & 0x3f)), (char)(0x80 | (uCp & 0x3f))};
    else
        str += {(char)(0xf0 | (uCp >> 18)), (char)(0x80 | ((uCp >> 12) & 0x3f)), (char)(0x80 | ((uCp >> 6) & 0x3f)),
                (char)(0x80 | (uCp & 0x3f))};
}

/** Reference: the code points of a UTF-16 text up to its end or first malformed unit. */
std::vector<uint32_t> referenceUtf16(const RTUTF16 *pwsz)
{
    std::vector<uint32_t> aCps;
    for (size_t i = 0; pwsz[i]; i++)
    {
        uint32_t const wc = pwsz[i];
        if ((wc & 0xf800) != 0xd800)
            aCps.push_back(wc);
        else if ((wc & 0xfc00) == 0xd800 && (pwsz[i + 1] & 0xfc00) == 0xdc00)
            aCps.push_back(0x10000 + ((wc & 0x3ff) << 10) + (pwsz[++i] & 0x3ffu));
        else
            break;
    }
    return aCps;
}

std::vector<uint32_t> referenceUtf32(const RTUNICP *pusz)
{
    std::vector<uint32_t> aCps;
    for (size_t i = 0; pusz[i] && pusz[i] <= 0x10ffff && (pusz[i] & 0xfffff800) != 0xd800; i++)
        aCps.push_back(pusz[i]);
    return aCps;
}

std::string utf8Of(std::vector<uint32_t> const &aCps, size_t cMax)
{
    std::string str;
    for (size_t i = 0; i < aCps.size() && i < cMax; i++)
        appendUtf8(str, aCps[i]);
    return str;
}

void fuzzStrings(uint8_t bMode, const uint8_t *pb, size_t cb)
{
    int const cchField = (int)(bMode >> 1) - 64; /* -64 to 63 */

    char *pszCopy = (char *)malloc(cb + 1);
    memcpy(pszCopy, pb, cb);
    pszCopy[cb] = '\0';
    std::string const strText(pszCopy);
    check(formatOne("%s", pszCopy) == strText);
    size_t const cPad = (size_t)RT_MAX(cchField < 0 ? -cchField : cchField, 0);
    std::string const strPad(cPad > strText.size() ? cPad - strText.size() : 0, ' ');
    check(formatOne("%-*s|", cchField, pszCopy) == strText + strPad + "|");
    free(pszCopy);

    char *pachExact = (char *)malloc(cb ? cb : 1); /* no terminator: the precision bounds the read */
    memcpy(pachExact, pb, cb);
    check(formatOne("%.*s", (int)cb, pachExact) == std::string(pachExact, strnlen(pachExact, cb)));
    free(pachExact);

    size_t const cwc = cb / 2;
    RTUTF16 *pwsz = (RTUTF16 *)malloc((cwc + 1) * sizeof(RTUTF16));
    memcpy(pwsz, pb, cwc * sizeof(RTUTF16));
    pwsz[cwc] = 0;
    std::vector<uint32_t> const aCps16 = referenceUtf16(pwsz);
    check(formatOne("%ls", pwsz) == utf8Of(aCps16, SIZE_MAX));
    size_t const cCpMax = (size_t)RT_MAX(cchField, 0);
    check(formatOne("%.*ls", cchField, pwsz) == utf8Of(aCps16, cCpMax));
    free(pwsz);

    size_t const cu = cb / 4;
    RTUNICP *pusz = (RTUNICP *)malloc((cu + 1) * sizeof(RTUNICP));
    memcpy(pusz, pb, cu * sizeof(RTUNICP));
    pusz[cu] = 0;
    std::vector<uint32_t> const aCps32 = referenceUtf32(pusz);
    check(formatOne("%Ls", pusz) == utf8Of(aCps32, SIZE_MAX));
    check(formatOne("%.*Ls", cchField, pusz) == utf8Of(aCps32, cCpMax));
    free(pusz);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pb, size_t cb)
{
    if (cb < 1 || cb > 4096)
        return 0;
    if (pb[0] & 1)
        fuzzStrings(pb[0], pb + 1, cb - 1);
    else
        fuzzFormat(pb[0], pb + 1, cb - 1);
    return 0;
}
