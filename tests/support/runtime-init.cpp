/** @file
 * Runs the runtime's first start-up step before any test, as a program's
 * start-up would: the loader and the file layer rely on what it records.
 */
#ifdef RT_OS_WINDOWS
#include <cstdio>
#include <cstdlib>
#include <rt/err.h>
#include <rt/init.h>
#include "internal/initterm.h"

namespace
{

const bool g_fInitialised = []
{
    int const rc = rtR3InitNativeFirst(RTR3INIT_F_UNOBTRUSIVE);
    if (RT_FAILURE(rc))
    {
        std::fprintf(stderr, "rtR3InitNativeFirst failed: %d\n", rc);
        std::exit(1);
    }
    return true;
}();

} // namespace
#endif
