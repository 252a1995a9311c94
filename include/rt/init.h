/** @file
 * Runtime initialisation, and the main routine of a program that runs on the
 * runtime's own process start-up (no C runtime).
 *
 * A program calls RTR3InitExe first thing in its main routine. The first
 * initialisation records the arguments and the executable's path, starts the
 * thread layer (the calling thread becomes "main"), resolves optional system
 * entry points and, unless asked to stay unobtrusive, hardens the process:
 * critical-error boxes off, the current directory out of the DLL search, the
 * default DLL search limited, and a last-chance exception filter installed.
 * Later calls only add what they bring. There is no de-initialisation: the
 * process exit (RTProcExit) ends it.
 */
#ifndef RT_INIT_H
#define RT_INIT_H

#include <rt/types.h>

/** @name RTR3Init flags
 * @{ */
/** Limit the default DLL search to the system directory (without it: the
 * system and the application directory, and only on systems after Vista). */
#define RTR3INIT_F_DLL_SEARCH_SYSTEM32 UINT32_C(0x00000004)
/** Leave the process as it is: no hardening. */
#define RTR3INIT_F_UNOBTRUSIVE UINT32_C(0x00000008)
/** @} */

/**
 * Initialises the runtime.
 *
 * The first call does the work described in the file header; when it fails
 * the runtime counts as not initialised and the status is returned. A later
 * call records arguments when none are recorded yet, replaces the executable
 * path with @a pszProgramPath when one is given, and hardens the process when
 * the first call was unobtrusive and this one is not.
 *
 * @returns INF_SUCCESS or a failure status, among them:
 *          ERR_BUFFER_OVERFLOW for a program path of 4068 bytes or more;
 *          ERR_WRONG_ORDER for arguments other than those recorded;
 *          ERR_INTERNAL_ERROR_2 when kernel32 or ntdll is not loaded;
 *          ERR_INTERNAL_ERROR_3 / ERR_INTERNAL_ERROR_4 when the DLL search
 *          cannot be changed (SetDllDirectoryW / SetDefaultDllDirectories);
 *          the thread layer's failure; the executable path's failure.
 * @param fFlags         RTR3INIT_F_*.
 * @param cArgs          The argument count (0: none given).
 * @param ppapszArgs     Pointer to the argument vector (UTF-8), kept as given.
 * @param pszProgramPath The executable's path, or null to ask the system.
 */
int RTR3Init(uint32_t fFlags, int cArgs, char ***ppapszArgs, const char *pszProgramPath);

/** RTR3Init with @a fFlags, the arguments and no program path: what a program's main routine calls. */
int RTR3InitExe(int cArgs, char ***ppapszArgs, uint32_t fFlags);

/** True once an initialisation has completed (and none is in progress). */
bool RTR3InitIsInitialized(void);

/** True while the process exit is under way (the exit handlers have started). */
bool RTR3InitIsTerminating(void);

/**
 * The main routine of a program on the runtime's own start-up: the process
 * entry calls it with the arguments split from the command line (C runtime
 * quoting, UTF-8; @a papszEnv is null) and ends the process with its result
 * through RTProcExit. The program defines it.
 */
int StubMain(int cArgs, char **papszArgs, char **papszEnv);

#endif
