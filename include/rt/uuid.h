/** @file
 * The UUID record, as printed by "%RTuuid" (which takes a pointer to it).
 */
#ifndef RT_UUID_H
#define RT_UUID_H

#include <rt/types.h>

/**
 * A 16-byte UUID. The generic view holds the classic fields in host byte
 * order; "%RTuuid" prints them as "%08x-%04x-%04x-%02x%02x-" followed by the
 * six node bytes.
 */
typedef union RTUUID
{
    uint8_t au8[16];
    uint32_t au32[4];
    struct
    {
        uint32_t u32TimeLow;
        uint16_t u16TimeMid;
        uint16_t u16TimeHiAndVersion;
        uint8_t u8ClockSeqHiAndReserved;
        uint8_t u8ClockSeqLow;
        uint8_t au8Node[6];
    } Gen;
} RTUUID;

#endif
