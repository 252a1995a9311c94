/** @file
 * The installer's test seams, in the runtime's one shape (internal/seam.h):
 * per-area tables (g_StubSeamsMsgBox, g_StubSeamsConsole, and on Windows
 * g_StubSeamsHostArch, g_StubSeamsExtract, g_StubSeamsCleanup, g_StubSeamsMsi,
 * g_StubSeamsCustomDir and g_StubSeamsCert) that exist only under
 * RT_WITH_SEAMS, i.e. in the test variant of the installer library.
 */
#ifndef TARN_STUB_SEAMS_H
#define TARN_STUB_SEAMS_H

#ifdef RT_WITH_SEAMS
/** Empties every installer seam table; the test programs run it after every test. */
void stubSeamsResetAll(void);
/** The OS part of stubSeamsResetAll. */
void stubSeamsResetOs(void);
#endif

#endif
