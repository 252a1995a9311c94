/*
 * Lazy import tables of the lazy probe that cannot be bound: a function its
 * library lacks, and a library the system does not have.
 */
#include "internal/ldrlazy.inc"

RTLDR_LAZY_LIBRARY  PROBEVERSION, "VERSION.DLL"
RTLDR_LAZY_FUNCTION PROBEVERSION, TarnLazyMissingFunction, 4
RTLDR_LAZY_END      PROBEVERSION

RTLDR_LAZY_LIBRARY  PROBENOLIB, "TARNNOSUCHLIB.DLL"
RTLDR_LAZY_FUNCTION PROBENOLIB, TarnLazyNoLibraryFunction, 0
RTLDR_LAZY_END      PROBENOLIB
