/** @file
 * Fuzzes RTPathAppendEx (and RTPathJoin) with small buffers. Checks: nothing
 * is read or written past the size (exactly sized heap blocks, the path not
 * terminated when it fills the block); a failure leaves the buffer as it was;
 * a result keeps the path (less surplus trailing separators), ends with the
 * appended text (less its leading separators) and has exactly one separator
 * between them, or none after a bare drive; RTPathJoin agrees.
 *
 * Input: byte 0 the style, byte 1 the buffer size, byte 2 the append limit
 * (255 = none); the rest is the path, a NUL, and the text to append.
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pb, size_t cb)
{
    if (cb < 3)
        return 0;
    uint32_t const fStyle = pb[0] & RTPATH_STYLE_MASK;
    size_t const cbBuf = pb[1] % 64;
    size_t const cchMax = pb[2] == 255 ? RTSTR_MAX : pb[2];
    std::string Rest((const char *)pb + 3, cb - 3);
    size_t const offNul = Rest.find('\0');
    std::string const Path = Rest.substr(0, offNul);
    std::string const Append = offNul == std::string::npos ? std::string() : std::string(Rest.c_str() + offNul + 1);
    bool const fUnix = fStyle == RTPATH_STYLE_UNIX;
    auto isSep = [fUnix](char ch) { return ch == '/' || (!fUnix && ch == '\\'); };

    std::vector<char> Buf(cbBuf ? cbBuf : 1);
    memcpy(Buf.data(), Path.data(), std::min(Path.size(), cbBuf));
    if (Path.size() < cbBuf)
        Buf[Path.size()] = '\0';
    std::vector<char> const Before = Buf;
    int rc = RTPathAppendEx(Buf.data(), cbBuf, Append.c_str(), cchMax, fStyle);
    if (fStyle == 3)
        check(rc == ERR_INVALID_FLAGS, "style 3 refused");
    if (Path.size() >= cbBuf && fStyle != 3)
        check(rc == ERR_INVALID_PARAMETER, "no terminator within the size");
    if (RT_FAILURE(rc))
    {
        check(Buf == Before, "failure leaves the path unchanged");
        return 0;
    }

    std::string const Result(Buf.data());
    check(Result.size() < cbBuf, "result fits");
    std::string const Text = Append.substr(0, std::min(Append.size(), cchMax));
    if (Text.empty() || Path.empty())
        check(Result == (Path.empty() ? Text : Path), "empty side copies the other");
    else
    {
        size_t offText = 0;
        while (offText < Text.size() && isSep(Text[offText]))
            offText++;
        std::string const Tail = Text.substr(offText);
        size_t cchBare = Path.size();
        while (cchBare > 0 && isSep(Path[cchBare - 1]))
            cchBare--;
        check(Result.size() >= cchBare + Tail.size(), "nothing lost");
        check(Result.compare(0, cchBare, Path, 0, cchBare) == 0, "path kept");
        check(Result.compare(Result.size() - Tail.size(), Tail.size(), Tail) == 0, "text appended");
        std::string const Junction = Result.substr(cchBare, Result.size() - cchBare - Tail.size());
        for (char ch : Junction)
            check(isSep(ch), "only separators between path and text");
        bool const fBareDrive =
            !fUnix && Path.size() == 2 && Path[1] == ':' && ((Path[0] | 0x20) >= 'a' && (Path[0] | 0x20) <= 'z');
        if (cchBare == Path.size())
            check(Junction.size() == (fBareDrive && offText == 0 ? 0u : 1u), "one separator between");
        else
            check(Junction.size() >= 1 && Junction.size() <= Path.size() - cchBare, "a trailing separator kept");
    }

    if (fStyle == RTPATH_STYLE_HOST && cchMax == RTSTR_MAX)
    {
        std::vector<char> Join(cbBuf ? cbBuf : 1, 'j');
        check(RTPathJoin(Join.data(), cbBuf, Path.c_str(), Append.c_str()) == INF_SUCCESS, "join succeeds too");
        check(Result == Join.data(), "join agrees");
    }
    return 0;
}
