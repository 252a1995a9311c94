/** @file
 * Fuzzes the option parser with arbitrary argument vectors, against the
 * installer's option table and against a table with every value type.
 *
 * Input: byte 0 picks the table and the init flags, byte 1 how often a
 * further value is taken; the rest is split at NUL bytes into arguments, each
 * copied into a heap block of exactly its size so that any over-read shows.
 * Every result must be an identifier of the table (or of a built-in), 0,
 * INF_OPT_NOT_OPTION or a negative status; texts handed back must point into
 * the arguments; the vector must keep the same arguments, only reordered.
 */
#include <stdlib.h>
#include <string.h>
#include <algorithm>
#include <vector>
#include <rt/getopt.h>
#include <rt/err.h>
#include "TarnStubSettings.h"
#include "TarnStubOptions.h"

namespace
{

const RTOPTDEF g_aTypedOptions[] = {
    {"--str", 'a', RTOPT_VAL_STRING},
    {"--i8", 'b', RTOPT_VAL_INT8},
    {"--u8", 'c', RTOPT_VAL_UINT8 | RTOPT_HEX},
    {"--i16", 'd', RTOPT_VAL_INT16 | RTOPT_DEC},
    {"--u16", 'e', RTOPT_VAL_UINT16 | RTOPT_OCT},
    {"--i32", 'f', RTOPT_VAL_INT32},
    {"--u32", 'g', RTOPT_VAL_UINT32},
    {"--i64", 'i', RTOPT_VAL_INT64},
    {"--u64", 'j', RTOPT_VAL_UINT64},
    {"--ip", 'k', RTOPT_VAL_IPV4ADDR},
    {"--net", 'l', RTOPT_VAL_IPV4CIDR},
    {"--mac", 'm', RTOPT_VAL_MACADDR},
    {"--uuid", 'n', RTOPT_VAL_UUID},
    {"--onoff", 'o', RTOPT_VAL_BOOL_ONOFF},
    {"--bool", 'q', RTOPT_VAL_BOOL},
    {"--p32", 'r', RTOPT_VAL_UINT32_PAIR},
    {"--p64", 's', RTOPT_VAL_UINT64_PAIR | RTOPT_HEX},
    {"--op32", 't', RTOPT_VAL_UINT32_OPTIONAL_PAIR | RTOPT_OCT},
    {"--op64", 'u', RTOPT_VAL_UINT64_OPTIONAL_PAIR},
    {"--Disk", 'w', RTOPT_VAL_UINT32 | RTOPT_INDEX | RTOPT_INDEX_DASH | RTOPT_ICASE},
    {"--nic", 'y', RTOPT_VAL_STRING | RTOPT_INDEX | RTOPT_INDEX_DEFAULT_2},
    {"--cpu", 'z', RTOPT_INDEX | RTOPT_INDEX_DEFAULT_0},
    {"--bad", 'B', RTOPT_VAL_STRING | RTOPT_HEX},
    {"--twelve", 'C', 12},
    {NULL, 'Q', RTOPT_VAL_NONE},
    {"-flag", 2000, RTOPT_VAL_NONE | RTOPT_ICASE},
};

const uint32_t g_afTakeTypes[] = {RTOPT_VAL_STRING, RTOPT_VAL_UINT16,  RTOPT_VAL_IPV4CIDR,   RTOPT_VAL_BOOL,
                                  RTOPT_VAL_UUID,   RTOPT_VAL_MACADDR, RTOPT_VAL_UINT64_PAIR};

bool isKnownIdentifier(int rc, PCRTOPTDEF paOptions, size_t cOptions)
{
    if (rc == 'h' || rc == 'V')
        return true;
    for (size_t i = 0; i < cOptions; i++)
        if (paOptions[i].iShort == rc)
            return true;
    return false;
}

/** Whether @a psz lies within one of the arguments (terminator included). */
bool pointsIntoArguments(const char *psz, const std::vector<char *> &Copies, const std::vector<size_t> &Sizes)
{
    for (size_t i = 0; i < Copies.size(); i++)
        if (psz >= Copies[i] && psz < Copies[i] + Sizes[i])
            return true;
    return false;
}

bool isDefinition(PCRTOPTDEF pDef, PCRTOPTDEF paOptions, size_t cOptions)
{
    return pDef == NULL || (pDef >= paOptions && pDef < paOptions + cOptions) || pDef->iShort == 'h' ||
           pDef->iShort == 'V';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pb, size_t cb)
{
    if (cb < 2)
        return 0;
    const bool fInstaller = !(pb[0] & 4);
    const uint32_t fInit = pb[0] & (RTOPT_INIT_OPTIONS_FIRST | RTOPT_INIT_NO_BUILTINS);
    const unsigned uTakeEvery = pb[1];
    PCRTOPTDEF paOptions = fInstaller ? g_aStubOptions : g_aTypedOptions;
    size_t cOptions = fInstaller ? STUB_OPTION_COUNT : RT_ELEMENTS(g_aTypedOptions);

    /* Split into arguments, program name first. */
    std::vector<char *> Copies;
    std::vector<size_t> Sizes;
    size_t off = 2;
    while (off <= cb && Copies.size() < 64)
    {
        const uint8_t *pbEnd = (const uint8_t *)memchr(pb + off, 0, cb - off);
        size_t cch = pbEnd ? (size_t)(pbEnd - (pb + off)) : cb - off;
        char *psz = (char *)malloc(cch + 1);
        memcpy(psz, pb + off, cch);
        psz[cch] = '\0';
        Copies.push_back(psz);
        Sizes.push_back(cch + 1);
        off += cch + 1;
    }
    std::vector<char *> Argv(Copies);

    RTOPTSTATE State;
    if (RTGetOptInit(&State, (int)Argv.size(), Argv.data(), paOptions, cOptions, 1, fInit) != INF_SUCCESS)
        abort();
    unsigned const cMaxCalls = 4 * (unsigned)Argv.size() + 16;
    for (unsigned iCall = 0; iCall < cMaxCalls; iCall++)
    {
        RTOPTVALUE Value;
        memset(&Value, 0xa5, sizeof(Value));
        int rc = RTGetOpt(&State, &Value);
        if (rc == 0)
            break;
        if (rc == INF_OPT_NOT_OPTION || rc == ERR_OPT_UNKNOWN_OPTION)
        {
            /* A boolean keyword failure hands back value text, also inside the arguments. */
            if (!pointsIntoArguments(Value.psz, Copies, Sizes))
                abort();
        }
        else if (rc > 0)
        {
            if (!isKnownIdentifier(rc, paOptions, cOptions) || !State.pDefLast || State.pDefLast->iShort != rc)
                abort();
            if ((State.pDefLast->fFlags & RTOPT_VAL_MASK) == RTOPT_VAL_STRING &&
                !pointsIntoArguments(Value.psz, Copies, Sizes))
                abort();
            if (uTakeEvery && iCall % uTakeEvery == 0)
            {
                RTOPTVALUE Taken;
                int rcTake = RTGetOptTakeValue(&State, &Taken, g_afTakeTypes[iCall % RT_ELEMENTS(g_afTakeTypes)]);
                if (rcTake > 0)
                    abort();
            }
        }
        else if (rc == ERR_OPT_VALUE_MISSING || rc == ERR_OPT_BAD_VALUE_FORMAT || rc == ERR_OPT_INDEX_MISSING ||
                 rc == ERR_INTERNAL_ERROR)
        {
            if (!Value.pDef || !isDefinition(Value.pDef, paOptions, cOptions) || State.pDefLast)
                abort();
        }
        else if (rc > -59 || rc < -66) /* otherwise only the UTF-8 decoding statuses */
            abort();
        if (State.iNext < 0 || State.iNext > State.cArgs)
            abort();
    }

    /* Reordering moves entries, it never loses or duplicates one. */
    std::vector<char *> Sorted(Argv), SortedCopies(Copies);
    std::sort(Sorted.begin(), Sorted.end());
    std::sort(SortedCopies.begin(), SortedCopies.end());
    if (Sorted != SortedCopies)
        abort();
    if (!(fInit & RTOPT_INIT_OPTIONS_FIRST) && Argv != Copies)
        abort();

    for (char *psz : Copies)
        free(psz);
    return 0;
}
