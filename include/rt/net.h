/** @file
 * Network address records: IPv4, IPv6 and MAC addresses and the tagged
 * address record with a port, as printed by the formatter ("%RTnaipv4",
 * "%RTnaipv6", "%RTmac", "%RTnaddr").
 *
 * All addresses are kept in network (memory) order: byte 0 is the first byte
 * on the wire and the first one printed.
 */
#ifndef RT_NET_H
#define RT_NET_H

#include <rt/types.h>

/** An IPv4 address; "%RTnaipv4" takes the 32-bit member @a u by value. */
typedef union RTNETADDRIPV4
{
    uint8_t au8[4];
    uint32_t u;
} RTNETADDRIPV4;

/** An IPv6 address; "%RTnaipv6" takes a pointer to it. */
typedef union RTNETADDRIPV6
{
    uint8_t au8[16];
    uint16_t au16[8]; /**< Network byte order, like the bytes. */
    uint32_t au32[4];
} RTNETADDRIPV6;

/** An Ethernet MAC address; "%RTmac" takes a pointer to it. */
typedef union RTMAC
{
    uint8_t au8[6];
    uint16_t au16[3];
} RTMAC;

/** What an RTNETADDR holds. Every 32-bit value is representable, so a record
 * from outside can be inspected safely; unknown values print as unsupported. */
typedef enum RTNETADDRTYPE : uint32_t
{
    RTNETADDRTYPE_INVALID = 0,
    RTNETADDRTYPE_IPV4 = 1,
    RTNETADDRTYPE_IPV6 = 2,
    RTNETADDRTYPE_MAC = 3
} RTNETADDRTYPE;

/** The address part of an RTNETADDR: 16 bytes whatever the type. */
typedef union RTNETADDRU
{
    uint8_t au8[16];
    RTNETADDRIPV4 IPv4;
    RTNETADDRIPV6 IPv6;
    RTMAC Mac;
} RTNETADDRU;

/** RTNETADDR::uPort value meaning "no port": the address prints without one. */
#define RTNETADDR_PORT_NA UINT32_C(0xffffffff)

/** A network address with its type and an optional port; "%RTnaddr" takes a pointer to it. */
typedef struct RTNETADDR
{
    RTNETADDRU uAddr;      /**< The address, in the member the type selects. */
    RTNETADDRTYPE enmType; /**< What uAddr holds. */
    uint32_t uPort;        /**< Port for IPv4 and IPv6, or RTNETADDR_PORT_NA. */
} RTNETADDR;

#endif
