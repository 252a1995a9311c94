/** @file
 * The customisation directory: a directory ".custom" beside the installer
 * executable that travels with it (settings, licences) and is copied, with
 * everything in it, into the extraction directory before anything is
 * installed, so that the packages find it beside themselves.
 *
 * CopyCustomDirectory copies it into @a pszExtractPath (UTF-8) as the
 * subdirectory ".custom", overwriting files of the same names and showing
 * no dialog, and adds a directory cleanup record for the copy that holds it
 * open until the clean-up.
 * @returns 0 when copied or when there is nothing to copy (no ".custom", or
 *          ".custom" is not a directory); 1 after one message (ShowError).
 *          What was already copied stays.
 *
 * The copy is the shell's file operation (SHELL32, bound on first use from
 * the system directory). Main thread only: it adds to the cleanup list.
 */
#ifndef TARN_STUB_CUSTOMDIR_H
#define TARN_STUB_CUSTOMDIR_H

/** Name of the customisation directory beside the executable and in the extraction directory. */
#define STUB_CUSTOM_DIR_NAME ".custom"

int CopyCustomDirectory(const char *pszExtractPath);

#endif
