/** @file
 * Lazy binding of system functions: what the resolver stubs of the lazy
 * import tables call on the first call of a function.
 */
#include <rt/err.h>
#include <rt/ldr.h>
#include "internal/fatal.h"
#include "internal/ldr-win.h"

namespace
{

/** The module slot of @a pTable: the word after the zero word that ends the slots. */
RTLDRMOD volatile *rtldrLazyModuleSlot(RTLDRLAZYTABLE *pTable)
{
    void *volatile *ppvSlot = pTable->apvSlots;
    /* A function slot is never zero: it holds a stub or a system function. */
    while (*ppvSlot)
        ppvSlot++;
    return (RTLDRMOD volatile *)(ppvSlot + 1);
}

RTLDRMOD rtldrLazyLoadLibrary(RTLDRLAZYTABLE *pTable)
{
    RTLDRMOD volatile *phModSlot = rtldrLazyModuleSlot(pTable);
    RTLDRMOD hLdrMod = *phModSlot;
    if (hLdrMod != NIL_RTLDRMOD)
        return hLdrMod;
    /* Two threads may both load it; the library then stays loaded twice,
     * which costs nothing as it is never unloaded. */
    int const rc = RTLdrOpenSystemLibrary(pTable->pszLibrary, true /*fNoUnload*/, &hLdrMod);
    if (RT_FAILURE(rc))
        rtFatalStop("Lazy loader failed to load \"%s\": %Rrc\n", pTable->pszLibrary, rc);
    *phModSlot = hLdrMod;
    return hLdrMod;
}

} // namespace

extern "C" void rtldrLazyResolve(RTLDRLAZYTABLE *pTable, void *volatile *ppvSlot, const char *pszSymbol)
{
    RTLDRMOD const hLdrMod = rtldrLazyLoadLibrary(pTable);
    void *pvFunction = NULL;
    int const rc = RTLdrLookupSymbol(hLdrMod, pszSymbol, &pvFunction);
    if (RT_FAILURE(rc))
        rtFatalStop("Lazy loader failed to resolve symbol \"%s\" in \"%s\": %Rrc\n", pszSymbol, pTable->pszLibrary, rc);
    /* The slot is only written with the final address, never with null: the
     * search for the module slot relies on that. */
    *ppvSlot = pvFunction;
}
