/** @file
 * The program's static initialiser and terminator tables, for executables
 * that run on the runtime's own start-up (no C runtime).
 *
 * The linker sorts the sections ".ctors.XI*", ".ctors.XC*", ".ctors.XP*" and
 * ".ctors.XT*" by name; the start-up puts marker entries into the "A" and "Z"
 * sections of each and walks the function addresses between them in order,
 * skipping null entries. GNU ld's default script keeps every ".ctors.*"
 * section, sorted by name, inside .text (--gc-sections leaves them alone), so
 * the tables need no section of their own in the executable, as ".CRT$X*"
 * would (one file-alignment unit of 512 bytes for a few pointers); nothing
 * else walks them, for the C runtime that would is not linked. Code places an entry with the macros below (in the
 * "U" sections, between the markers). In builds without such tables (the
 * host) the macros place nothing.
 *
 *   - first-stage initialisers (RT_C_INITIALIZER) return an int; the first
 *     that returns non-zero stops the start-up with that value as exit code;
 *   - second-stage initialisers (RT_C_CONSTRUCTOR) return nothing;
 *   - pre-terminators and terminators (RT_PRE_TERMINATOR, RT_TERMINATOR) run
 *     in that order at the process exit, after the exit handlers.
 */
#ifndef RT_INTERNAL_CINIT_H
#define RT_INTERNAL_CINIT_H

#include <rt/types.h>

/** A first-stage initialiser: 0 for success, else the exit code of the failed start-up. */
typedef int FNRTCINIT(void);
typedef FNRTCINIT *PFNRTCINIT;
/** A second-stage initialiser or a terminator. */
typedef void FNRTCTERM(void);
typedef FNRTCTERM *PFNRTCTERM;

#ifdef RT_OS_WINDOWS
#define RT_CINIT_ENTRY_(a_Type, a_Section, a_pfn)                                                                      \
    static __attribute__((section(a_Section), used)) a_Type const g_rtCInitEntry_##a_pfn = a_pfn
#else
#define RT_CINIT_ENTRY_(a_Type, a_Section, a_pfn) static_assert(true, "")
#endif

/** Places @a a_pfn (FNRTCINIT) among the first-stage initialisers. */
#define RT_C_INITIALIZER(a_pfn) RT_CINIT_ENTRY_(PFNRTCINIT, ".ctors.XIU", a_pfn)
/** Places @a a_pfn (FNRTCTERM) among the second-stage initialisers. */
#define RT_C_CONSTRUCTOR(a_pfn) RT_CINIT_ENTRY_(PFNRTCTERM, ".ctors.XCU", a_pfn)
/** Places @a a_pfn (FNRTCTERM) among the pre-terminators. */
#define RT_PRE_TERMINATOR(a_pfn) RT_CINIT_ENTRY_(PFNRTCTERM, ".ctors.XPU", a_pfn)
/** Places @a a_pfn (FNRTCTERM) among the terminators. */
#define RT_TERMINATOR(a_pfn) RT_CINIT_ENTRY_(PFNRTCTERM, ".ctors.XTU", a_pfn)

/** @name The start-up's walks over the tables (nocrt-startup-common-win)
 * @{ */
/** Runs the first-stage initialisers in order. @returns 0, or the first non-zero result. */
int rtCInitRunInitializers(void);
/** Runs the second-stage initialisers in order. */
void rtCInitRunConstructors(void);
/** Runs the pre-terminators, then the terminators, in order. */
void rtCInitRunTerminators(void);
/** @} */

#endif
