/** @file
 * The file name a package header gives its package: checked before any
 * package is written, since the installer joins it to the extraction
 * directory. The packer refuses the same names.
 */
#ifndef TARN_STUB_PACKAGE_NAME_H
#define TARN_STUB_PACKAGE_NAME_H

#include <rt/types.h>

/**
 * Whether the @a cbField bytes at @a pachField hold a plain Windows file
 * name: a NUL within the field, at least one byte before it, valid UTF-8, no
 * character that Windows refuses in names ('<', '>', ':', '"', '|', '?', '*',
 * '\\', '/' and the control characters below 32), not "." or "..", no
 * trailing dot or space (Windows drops them) and no device name (CON, PRN,
 * AUX, NUL, CONIN$, CONOUT$, COM1..COM9, LPT1..LPT9, in any case and with any
 * extension, as Windows opens the device for "nul.msi" too).
 * @returns true when it does; false with the reason in *ppszWhy (a static
 *          text such as "is empty") when it does not.
 */
bool IsPlainPackageFileName(const char *pachField, size_t cbField, const char **ppszWhy);

#endif
