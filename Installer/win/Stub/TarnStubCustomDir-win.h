/** @file
 * Test seams of the customisation directory copy (tests only; see
 * internal/seam.h): where the executable lies, so tests choose the directory
 * beside it; the shell's copy and the opening of the copy, whose failures
 * cannot be caused on purpose.
 */
#ifndef TARN_STUB_CUSTOMDIR_WIN_H
#define TARN_STUB_CUSTOMDIR_WIN_H

#include <windows.h>
#include <shellapi.h>
#include <rt/dir.h>
#include <rt/path.h>
#include "TarnStubSeams.h"

#ifdef RT_WITH_SEAMS
typedef struct StubSeamsCustomDir
{
    decltype(&RTPathExecDir) pfnRTPathExecDir;
    decltype(&SHFileOperationW) pfnSHFileOperationW;
    decltype(&RTDirOpen) pfnRTDirOpen;
} StubSeamsCustomDir;
#endif

#endif
