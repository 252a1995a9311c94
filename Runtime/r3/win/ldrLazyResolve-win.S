/*
 * The code every lazy import table's resolve routine goes through on the way
 * to rtldrLazyResolve.
 */
#include "internal/ldrlazy.inc"

RTLDR_LAZY_RESOLVE_COMMON
