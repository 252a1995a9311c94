/** @file
 * Host build only: the stand-in for the process's current directory.
 *
 * The host build has no drives, so the current directory lives here as text in
 * the form the Windows build reports ('C:\work', '\\server\share\dir'),
 * together with the remembered current directory of each drive. RTPathGetCurrent,
 * RTPathGetCurrentOnDrive and RTPathSetCurrent work on it; tests set it to run
 * the same examples on both builds. Not thread-safe: tests set it up front.
 */
#ifndef RT_INTERNAL_PATH_SHIM_H
#define RT_INTERNAL_PATH_SHIM_H

#include <rt/types.h>

/** Back to the start-up state: current directory 'C:\', no drive remembers a directory. */
void rtPathShimReset(void);

/**
 * Sets the current directory to @a pszPath verbatim, without any checking
 * (tests use this for long or odd forms); a drive path is also remembered as
 * that drive's current directory. ERR_NO_MEMORY when it cannot be stored.
 */
int rtPathShimSetCurrent(const char *pszPath);

/**
 * Sets the current directory remembered for drive @a chDrive (A-Z, a-z), used
 * while the current directory is on another drive; null forgets it (the drive's
 * root is used then). ERR_INVALID_PARAMETER for a bad letter, ERR_NO_MEMORY.
 */
int rtPathShimSetDriveCurrent(char chDrive, const char *pszPath);

#endif
