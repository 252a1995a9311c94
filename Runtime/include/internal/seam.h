/** @file
 * Test seams: the one way tests replace a call the runtime makes.
 *
 * Some failures cannot be caused on purpose (a short write, a full FAT32
 * volume, a failing event creation), and some inputs must be fixed for a test
 * (a seed, the time). For those, the runtime makes the call through a seam:
 *
 *   - Each area that has seams declares, in its internal header and only under
 *     RT_WITH_SEAMS, a table `RTSEAMS<AREA>` with one member `pfn<Call>` per
 *     replaceable call, typed exactly like the call (`decltype(&Call)`); the
 *     table's instance `g_rtSeams<Area>` is one line of the registry
 *     (internal/seam-registry.h), which declares, defines and empties it. A
 *     null member means the real call. Tables with system types sit where the header already has the
 *     system's header; an area whose two builds make different calls (the
 *     allocators) declares one table per build. A call of the runtime's own
 *     (`RTStreamPrintfV` in the program messages) is a seam like a system call:
 *     `pfnRTStreamPrintfV`.
 *     The tables are defined in the seams*.cpp files of the portable runtime,
 *     the Windows runtime and the host shim.
 *   - The call site names the call through RT_SEAM: `RT_SEAM(g_rtSeamsFile,
 *     WriteFile)(hFile, pv, cb, &cbDone, NULL)`. A replacement receives the
 *     same arguments and may call the real function itself.
 *   - State an area remembers between calls (a looked-up entry point, a
 *     remembered refusal) is forgotten by the area's `rt<Area>SeamsForget()`,
 *     which exists only under RT_WITH_SEAMS. Tests influence remembered state
 *     only through the calls that produce it, never by writing it.
 *   - rtSeamsResetAll() empties every table and forgets all remembered state;
 *     the test programs run it before and after every test, so no test leaks its
 *     replacements into the next.
 *
 * RT_WITH_SEAMS is defined only for the runtime's test library (tarnrt-test).
 * The product library is compiled without it: RT_SEAM then names the real
 * function, the tables do not exist, and the shipped executable carries no
 * writable pointer that could redirect a call (a test checks the product
 * library's symbols for "Seams").
 *
 * Replacing seams is not thread-safe: tests set them while no other thread uses
 * the area, and a replacement that other threads may reach must be
 * thread-safe itself.
 */
#ifndef RT_INTERNAL_SEAM_H
#define RT_INTERNAL_SEAM_H

#ifdef RT_WITH_SEAMS
#include "internal/seam-registry.h"

/** The replacement in @a a_Table for @a a_Call when a test set one, else @a a_Call itself. */
#define RT_SEAM(a_Table, a_Call) ((a_Table).pfn##a_Call ? (a_Table).pfn##a_Call : a_Call)

/** Empties every seam table and forgets every remembered state, in both the
 * portable and the OS part of the runtime. Tests only. */
void rtSeamsResetAll(void);

/** The OS part of rtSeamsResetAll (the Windows runtime or the host shim). */
void rtSeamsResetOs(void);
#else
#define RT_SEAM(a_Table, a_Call) a_Call
#endif

#endif
