/** @file
 * Fuzzes the generator's state text: any accepted text must save back to the
 * same text with the canonical digit case, and any refused text must leave
 * the generator as it was.
 */
#include <stdlib.h>
#include <string.h>
#include <ctype.h>
#include <rt/rand.h>

namespace
{

/** The canonical form of an accepted text: its digits in lower case. */
void canonicalise(char *psz)
{
    for (size_t i = 3; i < RTRAND_PM_STATE_SIZE - 1; i++)
        psz[i] = (char)tolower((unsigned char)psz[i]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pb, size_t cb)
{
    char *pszText = (char *)malloc(cb + 1); /* exact size so ASan sees any overread */
    memcpy(pszText, pb, cb);
    pszText[cb] = '\0';

    RTRAND hRand;
    if (RTRandAdvCreateParkMiller(&hRand) != INF_SUCCESS)
        abort();
    char szBefore[RTRAND_PM_STATE_SIZE], szAfter[RTRAND_PM_STATE_SIZE];
    size_t cbState = sizeof(szBefore);
    RTRandAdvSaveState(hRand, szBefore, &cbState);

    int rc = RTRandAdvRestoreState(hRand, pszText);
    cbState = sizeof(szAfter);
    if (RTRandAdvSaveState(hRand, szAfter, &cbState) != INF_SUCCESS)
        abort();
    if (rc == INF_SUCCESS)
    {
        if (strlen(pszText) != RTRAND_PM_STATE_SIZE - 1)
            abort();
        canonicalise(pszText);
        if (strcmp(pszText, szAfter) != 0)
            abort();
        RTRandAdvU32Ex(hRand, 0, UINT32_MAX); /* any restored count must draw safely */
        RTRandAdvU32Ex(hRand, 0, 300000000);
    }
    else if (rc != ERR_PARSE_ERROR || strcmp(szBefore, szAfter) != 0)
        abort();

    RTRandAdvDestroy(hRand);
    free(pszText);
    return 0;
}
