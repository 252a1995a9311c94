/** @file
 * Internals of runtime initialisation: the process-wide state it keeps, its
 * steps and their test seams.
 */
#ifndef RT_INTERNAL_INIT_H
#define RT_INTERNAL_INIT_H

#include <rt/init.h>

/** Longest program path (bytes, without terminator) RTR3Init stores, plus one. */
#define RTR3INIT_PROGRAM_PATH_LIMIT 4068

/** Recorded but without further effect. */
#define RTR3INIT_F_FLAG_2 UINT32_C(0x00000002)

/** @name Process-wide state
 * @{ */
/** Completed (or running) initialisations. */
extern int32_t volatile g_crtR3Users;
/** Set while the first initialisation runs. */
extern bool volatile g_frtR3Initializing;
/** Set by the exit handler of the runtime. */
extern bool volatile g_frtR3Terminating;
/** The RTR3INIT_F_* flags given so far. */
extern uint32_t volatile g_frtR3InitFlags;
/** The process identifier. */
extern uint32_t g_rtR3ProcessSelf;
/** The argument count, -1 until recorded. */
extern int g_crtR3Args;
/** The argument vector as passed. */
extern char **g_papszrtR3OrgArgs;
/** The argument vector in use (the same vector: the arguments arrive as UTF-8). */
extern char **g_papszrtR3Args;
/** RTTimeNanoTS at the end of the first initialisation. */
extern uint64_t g_u64rtR3ProgramStartNanoTS;
/** @} */

/** The body of the first initialisation (RTR3Init's arguments). */
int rtR3InitBody(uint32_t fFlags, int cArgs, char ***ppapszArgs, const char *pszProgramPath);

/** @name Native part
 * @{ */
/** Hardens the process (Windows: error mode, DLL search, exception filter).
 * @returns 0 or the first failing step's status. */
int rtR3InitNativeObtrusive(uint32_t fFlags);
/** The calling process's identifier. */
uint32_t rtR3InitNativeProcessId(void);
/** @} */

#ifdef RT_WITH_SEAMS
/** Forgets that the runtime was initialised (count, flags, arguments, the
 * terminating mark), so a test can run the first initialisation again. */
void rtR3InitSeamsForget(void);
#endif

#endif
