/** @file
 * The registry of the runtime's seam tables (see internal/seam.h), test
 * variant only. One line per table drives its declaration here, its
 * definition and its emptying in the seams*.cpp files, and the check that the
 * test library defines no table outside the registry (so none can miss its
 * reset) while the product defines none at all. An area's remembered state is
 * registered the same way, by the function that forgets it.
 *
 * Adding a seam area: the table's type in the area's internal header, one
 * X(type, instance) line below (and one X(function) line when the area
 * remembers something).
 */
#ifndef RT_INTERNAL_SEAM_REGISTRY_H
#define RT_INTERNAL_SEAM_REGISTRY_H

#ifdef RT_WITH_SEAMS

// clang-format off
/** The portable runtime's tables: X(type, instance). */
#define RT_SEAM_TABLES_PORTABLE(X) \
    X(RTSEAMSTHREAD, g_rtSeamsThread) \
    X(RTSEAMSMSG, g_rtSeamsMsg) \
    X(RTSEAMSRAND, g_rtSeamsRand) \
    X(RTSEAMSATEXIT, g_rtSeamsAtExit)

/** The Windows runtime's tables. */
#define RT_SEAM_TABLES_WIN(X) \
    X(RTSEAMSDIR, g_rtSeamsDir) \
    X(RTSEAMSFILE, g_rtSeamsFile) \
    X(RTSEAMSINIT, g_rtSeamsInit) \
    X(RTSEAMSLDR, g_rtSeamsLdr) \
    X(RTSEAMSMEM, g_rtSeamsMem) \
    X(RTSEAMSNT, g_rtSeamsNt) \
    X(RTSEAMSSEMNT, g_rtSeamsSemNt) \
    X(RTSEAMSTHREADWIN, g_rtSeamsThreadWin) \
    X(RTSEAMSSTREAM, g_rtSeamsStream)

/** The host shim's tables. */
#define RT_SEAM_TABLES_HOST(X) \
    X(RTSEAMSMEM, g_rtSeamsMem)

/** What the areas remember between calls: X(the function that forgets it). */
#define RT_SEAM_MEMORY_PORTABLE(X) \
    X(rtRandSeamsForget) \
    X(rtAtExitSeamsForget)

#define RT_SEAM_MEMORY_WIN(X) \
    X(rtDirSeamsForget) \
    X(rtFileSeamsForget) \
    X(rtInitSeamsForget) \
    X(rtLdrSeamsForget) \
    X(rtPathInfoSeamsForget) \
    X(rtR3InitSeamsForget) \
    X(rtR3InitWinSeamsForget)

/** The host shim's current directory, which tests set; each test starts from the start-up state. */
#define RT_SEAM_MEMORY_HOST(X) \
    X(rtPathShimReset)
// clang-format on

/** @name Using the registry
 * @{ */
#define RT_SEAM_DECLARE_TABLE(a_Type, a_Instance) extern struct a_Type a_Instance;
#define RT_SEAM_DEFINE_TABLE(a_Type, a_Instance)  a_Type a_Instance;
#define RT_SEAM_EMPTY_TABLE(a_Type, a_Instance)   a_Instance = a_Type();
#define RT_SEAM_FORGET(a_pfnForget)               a_pfnForget();
/** @} */

RT_SEAM_TABLES_PORTABLE(RT_SEAM_DECLARE_TABLE)
#ifdef RT_OS_WINDOWS
RT_SEAM_TABLES_WIN(RT_SEAM_DECLARE_TABLE)
#else
RT_SEAM_TABLES_HOST(RT_SEAM_DECLARE_TABLE)
#endif

#endif /* RT_WITH_SEAMS */

#endif
