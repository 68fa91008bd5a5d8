// Configuration of the SLP library: where it listens and sends, how long it
// waits, and its scopes.
//
// Defaults: port 427, group 239.255.255.253, the interface named by
// VONDREL_NET_IF, else "eth0" when the host has one (else the kernel's
// choice), any local address (under VONDREL_NET_IF: the interface's), multicast waits of
// 300, 400 and 500 ms within at most 3000 ms, unicast waits of 300, 600 and
// 1200 ms, MTU 1400, TTL 255, scope "DEFAULT". The environment overrides
// them when the library first needs them: VONDREL_SLP_PORT,
// VONDREL_SLP_INTERFACE, VONDREL_SLP_ADDRESS (dotted IPv4),
// VONDREL_SLP_WAITS and VONDREL_SLP_UNICAST_WAITS (comma-separated
// milliseconds), VONDREL_SLP_TTL. SLP_CONFIG_vSet replaces the whole set; the
// service agent takes a new set when it is next started.
#pragma once

#include "kernel/l_types.h"

constexpr int SLP_CONFIG_MAX_WAITS = 8;

typedef struct {
    U16 u16Port;
    U32 u32Group;       // network order
    char acInterface[16];
    U32 u32Address;     // network order; 0 = any
    U32 au32McastWaits[SLP_CONFIG_MAX_WAITS];
    U32 u32McastWaitCount;
    U32 u32McastMaxWait;
    U32 au32UnicastWaits[SLP_CONFIG_MAX_WAITS];
    U32 u32UnicastWaitCount;
    U16 u16Mtu;
    U8 u8Ttl;
    char acScopes[64];
} SLP_CONFIG;

void SLP_CONFIG_vGet(SLP_CONFIG* pConfig);
void SLP_CONFIG_vSet(const SLP_CONFIG* pConfig);
// The built-in defaults with the environment applied.
void SLP_CONFIG_vDefaults(SLP_CONFIG* pConfig);
