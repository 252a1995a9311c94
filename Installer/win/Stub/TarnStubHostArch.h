/** @file
 * The host's processor architecture, which decides the packages that apply.
 */
#ifndef TARN_STUB_HOSTARCH_H
#define TARN_STUB_HOSTARCH_H

#include "TarnStubPackage.h"

/**
 * The host's native processor architecture: PACKAGE_ARCH_X86, _AMD64 or
 * _ARM64. Never fails: problems are printed to standard error (PrintError)
 * and x86 is assumed. Nothing is cached; each call asks the system again.
 */
uint32_t DetectHostArch(void);

#endif
