/** @file
 * x86 processor records the formatter knows how to print: far pointers
 * ("%RTfp16", "%RTfp32", "%RTfp64", each taking the record by value) and the
 * flag bits of control registers CR0 and CR4 ("%RAx86[cr0]", "%RAx86[cr4]",
 * each taking the register value as a 64-bit integer).
 */
#ifndef RT_X86_H
#define RT_X86_H

#include <rt/types.h>

#pragma pack(push, 1)
/** A 16:16 far pointer (4 bytes): offset, then selector, as the processor stores it. */
typedef struct RTFAR16
{
    uint16_t off;
    uint16_t sel;
} RTFAR16;
/** A 16:32 far pointer (6 bytes). */
typedef struct RTFAR32
{
    uint32_t off;
    uint16_t sel;
} RTFAR32;
/** A 16:64 far pointer (10 bytes). */
typedef struct RTFAR64
{
    uint64_t off;
    uint16_t sel;
} RTFAR64;
#pragma pack(pop)

/** @name CR0 bits
 * @{ */
#define X86_CR0_PE UINT32_C(0x00000001)
#define X86_CR0_MP UINT32_C(0x00000002)
#define X86_CR0_EM UINT32_C(0x00000004)
#define X86_CR0_TS UINT32_C(0x00000008)
#define X86_CR0_ET UINT32_C(0x00000010)
#define X86_CR0_NE UINT32_C(0x00000020)
#define X86_CR0_WP UINT32_C(0x00010000)
#define X86_CR0_AM UINT32_C(0x00040000)
#define X86_CR0_NW UINT32_C(0x20000000)
#define X86_CR0_CD UINT32_C(0x40000000)
#define X86_CR0_PG UINT32_C(0x80000000)
/** @} */

/** @name CR4 bits
 * @{ */
#define X86_CR4_VME        UINT32_C(0x00000001)
#define X86_CR4_PVI        UINT32_C(0x00000002)
#define X86_CR4_TSD        UINT32_C(0x00000004)
#define X86_CR4_DE         UINT32_C(0x00000008)
#define X86_CR4_PSE        UINT32_C(0x00000010)
#define X86_CR4_PAE        UINT32_C(0x00000020)
#define X86_CR4_MCE        UINT32_C(0x00000040)
#define X86_CR4_PGE        UINT32_C(0x00000080)
#define X86_CR4_PCE        UINT32_C(0x00000100)
#define X86_CR4_OSFXSR     UINT32_C(0x00000200)
#define X86_CR4_OSXMMEXCPT UINT32_C(0x00000400)
#define X86_CR4_UMIP       UINT32_C(0x00000800)
#define X86_CR4_LA57       UINT32_C(0x00001000)
#define X86_CR4_VMXE       UINT32_C(0x00002000)
#define X86_CR4_SMXE       UINT32_C(0x00004000)
#define X86_CR4_FSGSBASE   UINT32_C(0x00010000)
#define X86_CR4_PCIDE      UINT32_C(0x00020000)
#define X86_CR4_OSXSAVE    UINT32_C(0x00040000)
#define X86_CR4_SMEP       UINT32_C(0x00100000)
#define X86_CR4_SMAP       UINT32_C(0x00200000)
#define X86_CR4_PKE        UINT32_C(0x00400000)
#define X86_CR4_CET        UINT32_C(0x00800000)
#define X86_CR4_PKS        UINT32_C(0x01000000)
/** @} */

#endif
