/** @file
 * Fuzzes command-line splitting.
 *
 * Input: one control byte, then arguments separated by NUL bytes. In C runtime
 * style the arguments are quoted the way that runtime expects (a closing quote
 * or a literal quote doubles the backslashes before it; a literal quote is
 * written as \" or, inside quotes, as ""), joined with separators and split
 * again: the split must give back exactly the arguments, in place and copying
 * alike, or fail with a decoding status exactly when the text is not UTF-8.
 * The raw input is also split in both styles, which must not crash and must
 * agree between the in-place and the copying split.
 */
#include <stdlib.h>
#include <string>
#include <vector>
#include <rt/getoptargv.h>
#include <rt/err.h>
#include <rt/string.h>

namespace
{

bool isValidUtf8(const std::string &str)
{
    const char *psz = str.c_str();
    while (*psz)
    {
        RTUNICP uCp;
        if (RT_FAILURE(RTStrCpDecode(&psz, &uCp)))
            return false;
    }
    return true;
}

/** Splits @a str with @a fFlags; returns the status and fills @a pArgs on success. */
int split(const std::string &str, uint32_t fFlags, std::vector<std::string> *pArgs)
{
    std::vector<char> Buf(str.c_str(), str.c_str() + str.size() + 1);
    char **papszArgv = NULL;
    int cArgs = -1;
    int rc = RTGetOptArgvSplit(&papszArgv, &cArgs, Buf.data(), fFlags, NULL);
    if (RT_FAILURE(rc))
        return rc;
    if (cArgs < 0 || (size_t)cArgs > str.size() || papszArgv[cArgs] != NULL)
        abort();
    pArgs->assign(papszArgv, papszArgv + cArgs);
    RTGetOptArgvFree(papszArgv, fFlags);
    return rc;
}

/** Splits in place and copying; both must agree. Returns the status. */
int splitBoth(const std::string &str, uint32_t fStyle, std::vector<std::string> *pArgs)
{
    std::vector<std::string> InPlace;
    int rc = split(str, fStyle, pArgs);
    int rcInPlace = split(str, fStyle | RTARGV_IN_PLACE, &InPlace);
    if (rc != rcInPlace || (RT_SUCCESS(rc) && InPlace != *pArgs))
        abort();
    return rc;
}

/** Quotes @a strArg for the C runtime; @a fDoubledQuotes picks "" over \" for literal quotes. */
std::string quoteArg(const std::string &strArg, bool fDoubledQuotes)
{
    std::string strOut = "\"";
    size_t cBackslashes = 0;
    for (char ch : strArg)
    {
        if (ch == '\\')
        {
            cBackslashes++;
            continue;
        }
        if (ch == '"')
        {
            strOut.append(2 * cBackslashes, '\\');
            strOut += fDoubledQuotes ? "\"\"" : "\\\"";
        }
        else
        {
            strOut.append(cBackslashes, '\\');
            strOut += ch;
        }
        cBackslashes = 0;
    }
    strOut.append(2 * cBackslashes, '\\');
    return strOut + "\"";
}

bool needsQuotes(const std::string &strArg)
{
    return strArg.empty() || strArg.find_first_of(" \t\n\r\"") != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pb, size_t cb)
{
    if (cb < 1)
        return 0;
    uint8_t const bControl = pb[0];
    std::string const strRaw((const char *)pb + 1, cb - 1);

    /* Arbitrary text (up to its first NUL) in both styles: no crash, in place == copy. */
    std::string const strLine(strRaw.c_str());
    std::vector<std::string> Args;
    bool const fValid = isValidUtf8(strLine);
    for (uint32_t fStyle : {RTARGV_STYLE_MSCRT, RTARGV_STYLE_SHELL})
        if (RT_SUCCESS(splitBoth(strLine, fStyle, &Args)) != fValid)
            abort();

    /* Round trip of quoted arguments. */
    std::vector<std::string> Wanted;
    size_t offStart = 0;
    for (size_t off = 0; off <= strRaw.size(); off++)
        if (off == strRaw.size() || strRaw[off] == '\0')
        {
            Wanted.push_back(strRaw.substr(offStart, off - offStart));
            offStart = off + 1;
        }
    static const char s_achSeps[] = {' ', '\t', '\n', '\r'};
    std::string strJoined = " ";
    bool fAllValid = true;
    for (size_t i = 0; i < Wanted.size(); i++)
    {
        bool const fQuoteAlways = bControl & 1;
        bool const fDoubledQuotes = (bControl >> 1) & 1;
        if (i)
            strJoined.append(1 + ((bControl >> 2) & 1), s_achSeps[(bControl >> 3) & 3]);
        strJoined += fQuoteAlways || needsQuotes(Wanted[i]) ? quoteArg(Wanted[i], fDoubledQuotes) : Wanted[i];
        fAllValid = fAllValid && isValidUtf8(Wanted[i]);
    }
    int rc = splitBoth(strJoined, RTARGV_STYLE_MSCRT, &Args);
    if (RT_SUCCESS(rc) != fAllValid || (RT_SUCCESS(rc) && Args != Wanted))
        abort();
    return 0;
}
