/** @file
 * Fuzzes the native path text made from Win32 paths, its UTF-16 form and the
 * long Win32 form made from it. Checks: the text is exactly as long as
 * reported and the record is heap-allocated, so the sanitizers see writes past
 * it; the text is a native path of the input's form (raw: the rest verbatim
 * behind one '\'; long: the prefix in place of '\\?\'; anything else: the
 * prefix, then an absolute path without '/' or repeated separators); the long
 * Win32 form of the text, and the text behind the raw prefix, convert back to
 * the same text; the UTF-16 form keeps to the unit limit.
 *
 * Input: byte 0 selects the current directory (bits 0-1) and an old system
 * ('\DosDevices\', bit 2); the rest up to the first NUL is the path.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <memory>
#include <string>
#include <rt/mem.h>
#include <rt/path.h>
#include <rt/string.h>
#include <rt/utf16.h>
#include "internal/ntpathtext.h"
#include "internal/path-shim.h"
#include "internal/win32pathform.h"

namespace
{

const char *const g_apszCwds[] = {"C:\\work", "\\\\srv\\share\\dir", "D:\\", "c:\\a\\b\\c"};
const uint32_t g_uMajorNew = 10;
const uint32_t g_uMajorOld = 3;

void check(bool f, const char *pszWhat)
{
    if (!f)
    {
        fprintf(stderr, "check failed: %s\n", pszWhat);
        abort();
    }
}

bool isSep(char ch)
{
    return ch == '\\' || ch == '/';
}

/** The UTF-16 length of @a str; false for invalid UTF-8. */
bool countUnits(const std::string &str, size_t *pcwc)
{
    RTUTF16 wc;
    RTUTF16 *pwc = &wc;
    int rc = RTStrToUtf16Ex(str.c_str(), RTSTR_MAX, &pwc, 1, pcwc, RTMEM_TAG);
    return rc == INF_SUCCESS || rc == ERR_BUFFER_OVERFLOW;
}

bool startsWith(const std::string &str, const char *pszHead)
{
    return str.compare(0, strlen(pszHead), pszHead) == 0;
}

/** The native text of @a Path, or false on failure (then the record holds no text). */
bool ntText(const std::string &Path, uint32_t uMajor, std::string *pText)
{
    std::unique_ptr<RTNTPATHTEXT> pRec(new RTNTPATHTEXT);
    rtNtPathTextInit(pRec.get());
    int rc = rtNtPathTextFromWin(pRec.get(), Path.c_str(), uMajor);
    if (RT_SUCCESS(rc))
    {
        check(pRec->psz != NULL, "text on success");
        pText->assign(pRec->psz);
        check(pText->size() == pRec->cch, "reported length");
    }
    else
        check(pRec->psz == NULL, "no text on failure");
    rtNtPathTextFree(pRec.get());
    return RT_SUCCESS(rc);
}

void checkForm(const std::string &Path, const std::string &Text, bool fOld)
{
    const char *pszPrefix = fOld ? "\\DosDevices\\" : "\\??\\";
    if (rtNtPathHasRawPrefix(Path.c_str()))
        check(Text == "\\" + Path.substr(RTNTPATH_RAW_PREFIX_LEN), "raw: the rest verbatim");
    else if (Path.size() >= 4 && isSep(Path[0]) && isSep(Path[1]) && Path[2] == '?' && isSep(Path[3]))
        check(Text == pszPrefix + Path.substr(4), "long: only the prefix replaced");
    else
    {
        check(startsWith(Text, pszPrefix), "prefixed");
        check(Text.find('/') == std::string::npos, "absolute: '\\' only");
        /* A UNC path without server ('\\\x') has no native form of its own: it is passed on behind
           the prefix for the system to refuse. Otherwise separators come one at a time. */
        size_t offRest = strlen(pszPrefix);
        if (Path.size() >= 2 && isSep(Path[0]) && isSep(Path[1]) && (Path.size() == 2 || isSep(Path[2])))
            while (offRest < Text.size() && Text[offRest] == '\\')
                offRest++;
        check(Text.find("\\\\", offRest) == std::string::npos, "absolute: no repeated separators");
    }
}

void checkRoundTrips(const std::string &Text)
{
    /* Behind the raw prefix the text names itself. */
    std::string Again;
    check(ntText(RTNTPATH_RAW_PREFIX + Text.substr(1), g_uMajorNew, &Again), "raw round trip converts");
    check(Again == Text, "raw round trip is the same text");

    /* The long Win32 form names the same native path. */
    std::string Long = Text;
    if (RT_SUCCESS(rtPathWin32LongFromNtText(&Long[0])))
    {
        check(startsWith(Long, "\\\\?\\"), "long Win32 form");
        check(ntText(Long, g_uMajorNew, &Again), "long form converts");
        check(Again == Text, "long form converts back to the same text");
    }
    else
        check(!startsWith(Text, "\\??\\"), "only '\\??\\' has a long Win32 form");
}

void checkUtf16(const std::string &Text)
{
    size_t cwcExpected = 0;
    bool const fValid = countUnits(Text, &cwcExpected);
    RTUTF16 *pwsz;
    size_t cwc;
    int rc = rtNtPathTextToUtf16(Text.c_str(), &pwsz, &cwc);
    if (RT_FAILURE(rc))
    {
        check(pwsz == NULL && cwc == 0, "nothing on failure");
        check(!fValid || (rc == ERR_FILENAME_TOO_LONG && cwcExpected > RTNTPATH_MAX_UNITS),
              "refused only beyond the limit");
        return;
    }
    check(fValid && cwc == cwcExpected && cwc <= RTNTPATH_MAX_UNITS && cwc == RTUtf16Len(pwsz),
          "within the limit, terminated");
    RTUtf16Free(pwsz);
}

void checkPlainRule(const std::string &Path)
{
    size_t cwc = 0;
    if (!countUnits(Path, &cwc))
        return;
    RTPATHWIN32PLAIN const enmRule = rtPathWin32PlainRule(Path.c_str(), cwc);
    if (cwc > RTPATHWIN32_PLAIN_MAX)
        check(enmRule == RTPATHWIN32PLAIN_NO, "beyond the plain limit: long");
    bool const fRelative = !isSep(Path[0]) && !(Path.size() >= 2 && Path[1] == ':' &&
                                                ((Path[0] | 0x20) >= 'a' && (Path[0] | 0x20) <= 'z'));
    if (enmRule == RTPATHWIN32PLAIN_IF_CWD_FITS)
        check(fRelative, "only relative paths depend on the current directory");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pb, size_t cb)
{
    if (cb < 1)
        return 0;
    uint8_t const bSel = pb[0];
    std::string Path((const char *)pb + 1, cb - 1);
    Path = Path.c_str(); /* up to the first NUL */
    bool const fOld = (bSel & 0x04) != 0;
    rtPathShimReset();
    rtPathShimSetCurrent(g_apszCwds[bSel & 3]);

    checkPlainRule(Path);
    std::string Text;
    if (!ntText(Path, fOld ? g_uMajorOld : g_uMajorNew, &Text))
        return 0;
    check(!Text.empty() && Text[0] == '\\', "a native path starts with '\\'");
    checkForm(Path, Text, fOld);
    if (!fOld)
        checkRoundTrips(Text);
    checkUtf16(Text);
    return 0;
}
