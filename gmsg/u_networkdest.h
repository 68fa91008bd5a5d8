// Destination tables: the peers to which a server sends its stream (the
// units that asked for sonar, GPS sentences, temperatures, alarms or
// waypoints). A table has 20 slots; an entry is the pair (peer address,
// user data), so one address may stand in several slots with different
// user data. A slot is free while it holds the null address. Tables are
// not locked: each is used by its owning task only.
#pragma once

#include "gmsg/gmsg.h"
#include "kernel/l_types.h"

constexpr int NETWORKDEST_SLOTS = 20;
constexpr U32 NETWORKDEST_ANY_USER_DATA = 0xFFFFFFFFu; // matches any user data when removing

typedef struct tag_NetworkDestinationsType {
    GMSG_ADDRESS slot[NETWORKDEST_SLOTS];
    U32 userData[NETWORKDEST_SLOTS];
} NetworkDestinationsType;

extern const GMSG_ADDRESS NULL_GMSG_ADDRESS;

// A table with every slot free (user data 0).
void* U_NETWORKDEST_pvNew(void);
void U_NETWORKDEST_pvFree(void* pvThis);
// Adds (bRegister) or removes an entry; see the rules in the source.
BOOLEAN U_NETWORKDEST_bRegisterNetworkDestination(void* pvThis, const GMSG_ADDRESS* pMsgAddress, BOOLEAN bRegister,
                                                  U32 u32UserData);
// The next taken slot from *index on: its address, its user data in
// *pu32UserData, *index moved past it. Null (and *index past the end) when
// there is none. Start with *index = 0.
const GMSG_ADDRESS* U_NETWORKDEST_gapNext(void* pvThis, int* index, U32* pu32UserData);
// The user data of the first taken slot with that IPv4 address (port
// ignored); *pu32UserData unchanged when none.
void U_NETWORKDEST_vFindUserData(void* pvThis, U32 u32ClientIP, U32* pu32UserData);
