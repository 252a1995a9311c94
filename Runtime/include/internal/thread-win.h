/** @file
 * Windows side of the thread layer: COM set-up and clean-up of created
 * threads, and the test seams of the native thread calls. Windows only.
 */
#ifndef RT_INTERNAL_THREAD_WIN_H
#define RT_INTERNAL_THREAD_WIN_H

#include <rt/types.h>
#include <windows.h>
#include "internal/seam.h"

/**
 * Initialises COM on the calling thread for the creation flags @a fFlags
 * (RTTHREADCREATE_F_COM_MTA or _STA; nothing without them).
 * @returns true when COM was initialised and must be uninitialised once.
 */
bool rtThreadComInit(uint32_t fFlags);

/** Undoes rtThreadComInit (one CoUninitialize). */
void rtThreadComUninit(void);

/**
 * Balances the COM and OLE initialisations a thread function left behind: one
 * OleUninitialize per open OLE initialisation, then one CoUninitialize per
 * open COM initialisation. Does nothing when the per-thread counts look
 * implausible (1000 or more, fewer COM than OLE initialisations) or COM is
 * not initialised.
 */
void rtThreadComBalance(void);

/** The calling thread's open COM and OLE initialisations, as COM keeps them
 * per thread; both 0 when COM never ran on the thread. */
void rtThreadComGetCounts(uint32_t *pcComInits, uint32_t *pcOleInits);

#ifdef RT_WITH_SEAMS
/** Test seams of the Windows thread layer. OleUninitialize is the entry point looked up in ole32. */
typedef struct RTSEAMSTHREADWIN
{
    HANDLE(WINAPI *pfnCreateThread)(SECURITY_ATTRIBUTES *, SIZE_T, LPTHREAD_START_ROUTINE, void *, DWORD, DWORD *);
    BOOL(WINAPI *pfnTlsSetValue)(DWORD, void *);
    void(WINAPI *pfnCoUninitialize)(void);
    void(WINAPI *pfnOleUninitialize)(void);
} RTSEAMSTHREADWIN;
#endif

#endif
