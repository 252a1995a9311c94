/** @file
 * Exit handlers: registration from any thread, run in reverse order at exit.
 *
 * A handler's slot comes from an atomic count. The slots live in blocks
 * allocated on first use and installed with a compare-and-exchange, so
 * registration needs no lock and small programs pay for one block only.
 */
#include <rt/process.h>
#include <rt/mem.h>
#include "internal/seam.h"
#include "internal/process.h"

namespace
{

/** Handlers per block. */
const uint32_t g_cPerBlock = 256;
/** Blocks. */
const uint32_t g_cBlocks = RTATEXIT_MAX_HANDLERS / g_cPerBlock;

/** Slots handed out so far (the next registration takes this one). */
uint32_t volatile g_cHandlers = 0;
/** The blocks of slots; null until a slot in it is handed out. */
PFNRTATEXIT volatile *volatile g_apBlocks[g_cBlocks];

/** The block of slot @a idx, allocated and installed when missing; null without memory. */
PFNRTATEXIT volatile *rtAtExitGetBlock(uint32_t idxBlock)
{
    PFNRTATEXIT volatile *pBlock = __atomic_load_n(&g_apBlocks[idxBlock], __ATOMIC_ACQUIRE);
    if (pBlock)
        return pBlock;
    PFNRTATEXIT volatile *pNew =
        (PFNRTATEXIT volatile *)RT_SEAM(g_rtSeamsAtExit, RTMemAllocZTag)(g_cPerBlock * sizeof(PFNRTATEXIT), RTMEM_TAG);
    if (!pNew)
        return NULL;
    if (__atomic_compare_exchange_n(&g_apBlocks[idxBlock], &pBlock, pNew, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE))
        return pNew;
    /* Another thread installed its block first: use that one. */
    RTMemFree((void *)pNew);
    return pBlock;
}

} // namespace

int RTAtExitRegister(PFNRTATEXIT pfnHandler)
{
    uint32_t const idxSlot = __atomic_fetch_add(&g_cHandlers, 1, __ATOMIC_ACQ_REL);
    if (idxSlot >= RTATEXIT_MAX_HANDLERS)
    {
        __atomic_fetch_sub(&g_cHandlers, 1, __ATOMIC_ACQ_REL);
        return -1;
    }
    PFNRTATEXIT volatile *pBlock = rtAtExitGetBlock(idxSlot / g_cPerBlock);
    if (!pBlock)
        return -1; /* the slot stays empty and is skipped at exit */
    __atomic_store_n(&pBlock[idxSlot % g_cPerBlock], pfnHandler, __ATOMIC_RELEASE);
    return 0;
}

void RTAtExitRun(void)
{
    uint32_t idxSlot = __atomic_load_n(&g_cHandlers, __ATOMIC_ACQUIRE);
    if (idxSlot > RTATEXIT_MAX_HANDLERS)
        idxSlot = RTATEXIT_MAX_HANDLERS;
    while (idxSlot-- > 0)
    {
        __atomic_store_n(&g_cHandlers, idxSlot, __ATOMIC_RELEASE);
        PFNRTATEXIT volatile *pBlock = __atomic_load_n(&g_apBlocks[idxSlot / g_cPerBlock], __ATOMIC_ACQUIRE);
        if (!pBlock)
            continue;
        PFNRTATEXIT pfnHandler =
            __atomic_exchange_n(&pBlock[idxSlot % g_cPerBlock], (PFNRTATEXIT)NULL, __ATOMIC_ACQ_REL);
        if (pfnHandler)
            pfnHandler();
    }
    __atomic_store_n(&g_cHandlers, 0, __ATOMIC_RELEASE);
}

#ifdef RT_WITH_SEAMS
void rtAtExitSeamsForget(void)
{
    for (uint32_t idxBlock = 0; idxBlock < g_cBlocks; idxBlock++)
    {
        RTMemFree((void *)g_apBlocks[idxBlock]);
        g_apBlocks[idxBlock] = NULL;
    }
    g_cHandlers = 0;
}
#endif
