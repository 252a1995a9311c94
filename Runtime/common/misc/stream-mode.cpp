/** @file
 * The mode strings of RTStreamOpen and the open flags they stand for.
 */
#include <rt/err.h>
#include "internal/stream.h"

namespace
{

/** What the characters of a mode string asked for. */
struct STREAMMODE
{
    char chAction; /**< 'r', 'w', 'a', or 0 while none was seen */
    bool fPlus;
    bool fExclusive;
    bool fBinary;
    bool fInherit;
};

/** Reads the characters; false for an unknown one or a second action. */
bool rtStrmScanMode(const char *pszMode, STREAMMODE *pMode)
{
    for (const char *pch = pszMode; *pch; pch++)
        switch (*pch)
        {
            case 'r':
            case 'w':
            case 'a':
                /* One action only: "rw" would leave it open whether to create or to replace. */
                if (pMode->chAction)
                    return false;
                pMode->chAction = *pch;
                break;
            case '+':
                pMode->fPlus = true;
                break;
            case 'x':
                pMode->fExclusive = true;
                break;
            case 'b':
                pMode->fBinary = true;
                break;
            case 't':
                pMode->fBinary = false;
                break;
            case 'N':
            case 'e':
                pMode->fInherit = false;
                break;
            case 'E':
                pMode->fInherit = true;
                break;
            default:
                return false;
        }
    return true;
}

} // namespace

int rtStrmParseMode(const char *pszMode, uint64_t *pfOpen, bool *pfBinary)
{
    if (!RT_VALID_PTR(pszMode) || !*pszMode)
        return ERR_INVALID_FLAGS;
    STREAMMODE Mode = {0, false, false, false, true};
    if (!rtStrmScanMode(pszMode, &Mode))
        return ERR_INVALID_FLAGS;

    uint64_t fOpen;
    switch (Mode.chAction)
    {
        case 'r':
            if (Mode.fExclusive)
                return ERR_INVALID_FLAGS;
            fOpen = RTFILE_O_OPEN | RTFILE_O_READ;
            break;
        case 'w':
            fOpen = Mode.fExclusive ? RTFILE_O_CREATE | RTFILE_O_READWRITE : RTFILE_O_CREATE_REPLACE | RTFILE_O_WRITE;
            break;
        case 'a':
            if (Mode.fExclusive)
                return ERR_INVALID_FLAGS;
            fOpen = RTFILE_O_OPEN_CREATE | RTFILE_O_WRITE | RTFILE_O_APPEND;
            break;
        default:
            return ERR_INVALID_FLAGS;
    }
    if (Mode.fPlus)
        fOpen |= RTFILE_O_READWRITE;
    fOpen |= RTFILE_O_DENY_NONE | (UINT64_C(0666) << RTFILE_O_CREATE_MODE_SHIFT);
    if (Mode.fInherit)
        fOpen |= RTFILE_O_INHERIT;

    *pfOpen = fOpen;
    *pfBinary = Mode.fBinary;
    return 0;
}
