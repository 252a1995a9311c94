/** @file
 * The installer's test seams, in the runtime's one shape (internal/seam.h),
 * test variant of the installer library only. The registry below lists every
 * table: one line declares it here, defines and empties it in
 * TarnStubSeams*.cpp, and lets the symbol check find a table outside the
 * registry (which no reset would empty). Adding a seam area: the table's type
 * in the area's header, one X(type, instance) line below.
 */
#ifndef TARN_STUB_SEAMS_H
#define TARN_STUB_SEAMS_H

#ifdef RT_WITH_SEAMS
#include "internal/seam-registry.h"

// clang-format off
/** The portable tables: X(type, instance). */
#define STUB_SEAM_TABLES_PORTABLE(X) \
    X(StubSeamsMsgBox, g_StubSeamsMsgBox) \
    X(StubSeamsConsole, g_StubSeamsConsole)

/** The Windows tables. */
#define STUB_SEAM_TABLES_WIN(X) \
    X(StubSeamsHostArch, g_StubSeamsHostArch) \
    X(StubSeamsExtract, g_StubSeamsExtract) \
    X(StubSeamsCleanup, g_StubSeamsCleanup) \
    X(StubSeamsMsi, g_StubSeamsMsi) \
    X(StubSeamsCustomDir, g_StubSeamsCustomDir) \
    X(StubSeamsCert, g_StubSeamsCert) \
    X(StubSeamsSplash, g_StubSeamsSplash)
// clang-format on

STUB_SEAM_TABLES_PORTABLE(RT_SEAM_DECLARE_TABLE)
#ifdef RT_OS_WINDOWS
STUB_SEAM_TABLES_WIN(RT_SEAM_DECLARE_TABLE)
#endif

/** Empties every installer seam table; the test programs run it before and after every test. */
void stubSeamsResetAll(void);
/** The OS part of stubSeamsResetAll. */
void stubSeamsResetOs(void);
#endif

#endif
