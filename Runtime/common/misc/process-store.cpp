/** @file
 * The executable-path store, filled by start-up.
 */
#include <rt/path.h>
#include "internal/process.h"

char g_szrtProcExePath[RTPROC_EXE_PATH_SIZE];
size_t g_cchrtProcExePath;
size_t g_cchrtProcDir;
size_t g_offrtProcName;

const char *rtProcGetExeName(void)
{
    size_t offName = g_offrtProcName;
    size_t cchPath = g_cchrtProcExePath;
    if (offName == 0 || cchPath >= RTPROC_EXE_PATH_SIZE || offName >= cchPath || g_szrtProcExePath[cchPath] != '\0')
        return NULL;
    return &g_szrtProcExePath[offName];
}

void rtProcMeasureExePath(void)
{
    size_t cchDir = 0;
    ptrdiff_t offName = -1;
    g_cchrtProcExePath = RTPathParseSimple(g_szrtProcExePath, &cchDir, &offName, NULL);
    g_cchrtProcDir = cchDir;
    g_offrtProcName = offName > 0 ? (size_t)offName : 0;
}
