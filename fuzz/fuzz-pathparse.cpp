/** @file
 * Fuzzes RTPathParse and RTPathParsedReassemble. Checks: the components lie
 * inside the input in order, without overlap and without separators; the
 * counts and lengths agree with the components; an overflowing record reports
 * a count that fits on retry; reassembly writes exactly the reported length
 * into an exactly sized block, and parsing its output again gives the same
 * components.
 *
 * Input: byte 0 the flags (style and start/end), byte 1 the record capacity,
 * byte 2 the destination size for reassembly; the rest is the path.
 */
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>
#include <rt/path.h>

namespace
{

void check(bool f, const char *pszWhat)
{
    if (!f)
    {
        fprintf(stderr, "check failed: %s\n", pszWhat);
        abort();
    }
}

bool isSep(char ch, uint32_t fFlags)
{
    return ch == '/' || (ch == '\\' && (fFlags & RTPATH_STYLE_MASK) != RTPATH_STYLE_UNIX);
}

/** The component texts, the root with its separators made uniform. */
std::vector<std::string> texts(const char *pszPath, const RTPATHCOMPONENTS *pParsed, bool fRoot)
{
    std::vector<std::string> Texts;
    for (unsigned i = 0; i < pParsed->cComps; i++)
    {
        std::string Text(pszPath + pParsed->aComps[i].off, pParsed->aComps[i].cch);
        if (i == 0 && fRoot)
            for (char &ch : Text)
                if (ch == '/')
                    ch = '\\';
        Texts.push_back(Text);
    }
    return Texts;
}

void checkComponents(const std::string &Path, const RTPATHCOMPONENTS *pParsed, uint32_t fFlags, bool fRoot)
{
    size_t offEnd = 0;
    size_t cchNonRoot = 0;
    for (unsigned i = 0; i < pParsed->cComps; i++)
    {
        RTPATHCOMPONENT const Comp = pParsed->aComps[i];
        check(Comp.cch > 0, "components are not empty");
        check(Comp.off >= offEnd && Comp.off + Comp.cch <= Path.size(), "components inside the input, in order");
        offEnd = Comp.off + Comp.cch;
        if (i == 0 && fRoot)
            continue;
        cchNonRoot += Comp.cch;
        for (size_t off = Comp.off; off < offEnd; off++)
            check(!isSep(Path[off], fFlags), "no separator inside a component");
    }
    size_t const cNonRoot = pParsed->cComps - (fRoot ? 1 : 0);
    size_t const cchRoot = fRoot ? pParsed->aComps[0].cch : 0;
    check(pParsed->cchPath == cchRoot + cchNonRoot + (cNonRoot ? cNonRoot - 1 : 0), "cchPath");
    check(pParsed->offSuffix + pParsed->cchSuffix <= Path.size(), "suffix inside the input");
    check(((pParsed->fProps & RTPATH_PROP_SUFFIX) != 0) == (pParsed->cchSuffix != 0), "suffix property");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pb, size_t cb)
{
    if (cb < 3)
        return 0;
    uint32_t const fFlags = pb[0] & (RTPATH_STYLE_MASK | RTPATH_PARSE_F_NO_START | RTPATH_PARSE_F_NO_END);
    size_t const cCapacity = pb[1] % 32;
    size_t const cbDst = pb[2];
    std::string Path((const char *)pb + 3, cb - 3);
    Path = Path.c_str();

    size_t cbRec = RTPATHCOMPONENTS_SIZE(cCapacity);
    PRTPATHCOMPONENTS pParsed = (PRTPATHCOMPONENTS)malloc(cbRec);
    int rc = RTPathParse(Path.c_str(), pParsed, cbRec, fFlags);
    if (rc == ERR_BUFFER_OVERFLOW)
    {
        check(pParsed->cComps > cCapacity, "overflow reports more components");
        cbRec = RTPATHCOMPONENTS_SIZE(pParsed->cComps);
        free(pParsed);
        pParsed = (PRTPATHCOMPONENTS)malloc(cbRec);
        rc = RTPathParse(Path.c_str(), pParsed, cbRec, fFlags);
        check(rc == INF_SUCCESS, "the count asked for is enough");
    }
    if (RT_FAILURE(rc))
    {
        free(pParsed);
        return 0;
    }
    bool const fRoot = (pParsed->fProps & (RTPATH_PROP_UNC | RTPATH_PROP_ROOT_SLASH | RTPATH_PROP_VOLUME)) != 0;
    checkComponents(Path, pParsed, fFlags, fRoot);

    uint32_t const fStyle = fFlags & RTPATH_STYLE_MASK;
    char *pszOut = (char *)malloc(cbDst ? cbDst : 1);
    rc = RTPathParsedReassemble(Path.c_str(), pParsed, fStyle, pszOut, cbDst);
    size_t const cchNeeded = pParsed->cchPath;
    if (rc == ERR_BUFFER_OVERFLOW)
    {
        check(cchNeeded >= cbDst, "overflow only when it does not fit");
        check(!cbDst || !pszOut[0], "overflow leaves an empty string");
        free(pszOut);
        pszOut = (char *)malloc(cchNeeded + 1);
        rc = RTPathParsedReassemble(Path.c_str(), pParsed, fStyle, pszOut, cchNeeded + 1);
    }
    check(rc == INF_SUCCESS, "reassembly succeeds with room");
    check(strlen(pszOut) == pParsed->cchPath, "reassembled length");

    /* Whole paths come back with the same components once normalised. */
    if (!(fFlags & (RTPATH_PARSE_F_NO_START | RTPATH_PARSE_F_NO_END)) && (fStyle != RTPATH_STYLE_UNIX || !fRoot))
    {
        std::vector<std::string> const Before = texts(Path.c_str(), pParsed, fRoot);
        std::vector<uint8_t> Again(RTPATHCOMPONENTS_SIZE(pParsed->cComps));
        PRTPATHCOMPONENTS pAgain = (PRTPATHCOMPONENTS)Again.data();
        check(RTPathParse(pszOut, pAgain, Again.size(), fFlags) == INF_SUCCESS, "output parses");
        check(texts(pszOut, pAgain, fRoot) == Before, "same components after reassembly");
        check((pAgain->fProps | RTPATH_PROP_EXTRA_SLASHES) == (pParsed->fProps | RTPATH_PROP_EXTRA_SLASHES),
              "same properties after reassembly");
    }
    free(pszOut);
    free(pParsed);
    return 0;
}
