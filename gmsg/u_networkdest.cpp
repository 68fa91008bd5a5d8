// Destination tables.
//
// Adding an entry that is already there succeeds without taking a second
// slot; otherwise the first free slot takes it, and a full table refuses.
// Removing frees the first slot whose address and user data both match
// (NETWORKDEST_ANY_USER_DATA matches any). Addresses are compared as
// GMSG_bAddressEqual compares them (type, IPv4 address and port); the spare
// words are copied but never compared. Free slots are never reported, by
// iteration or by a user-data search, and a new table's user data is 0.
#include "gmsg/u_networkdest.h"

#include "kernel/h_memory.h"

#include <cstring>

const GMSG_ADDRESS NULL_GMSG_ADDRESS = {};

namespace {

bool slotFree(const GMSG_ADDRESS& a) { return GMSG_bAddressEqual(&a, &NULL_GMSG_ADDRESS); }

} // namespace

void* U_NETWORKDEST_pvNew(void)
{
    NetworkDestinationsType* t = (NetworkDestinationsType*)H_MEMORY_pvMalloc(sizeof(NetworkDestinationsType));
    memset(t, 0, sizeof *t);
    for (GMSG_ADDRESS& a : t->slot)
        a = NULL_GMSG_ADDRESS;
    return t;
}

void U_NETWORKDEST_pvFree(void* pvThis)
{
    if (pvThis)
        H_MEMORY_vFree(pvThis);
}

BOOLEAN U_NETWORKDEST_bRegisterNetworkDestination(void* pvThis, const GMSG_ADDRESS* pMsgAddress, BOOLEAN bRegister,
                                                  U32 u32UserData)
{
    NetworkDestinationsType* t = (NetworkDestinationsType*)pvThis;
    if (!t || !pMsgAddress)
        return FALSE;
    if (bRegister) {
        for (int i = 0; i < NETWORKDEST_SLOTS; ++i)
            if (!slotFree(t->slot[i]) && GMSG_bAddressEqual(&t->slot[i], pMsgAddress) &&
                t->userData[i] == u32UserData)
                return TRUE;
        for (int i = 0; i < NETWORKDEST_SLOTS; ++i) {
            if (slotFree(t->slot[i])) {
                t->slot[i] = *pMsgAddress;
                t->userData[i] = u32UserData;
                return TRUE;
            }
        }
        return FALSE;
    }
    for (int i = 0; i < NETWORKDEST_SLOTS; ++i) {
        if (!slotFree(t->slot[i]) && GMSG_bAddressEqual(&t->slot[i], pMsgAddress) &&
            (u32UserData == NETWORKDEST_ANY_USER_DATA || t->userData[i] == u32UserData)) {
            t->slot[i] = NULL_GMSG_ADDRESS;
            t->userData[i] = 0;
            return TRUE;
        }
    }
    return FALSE;
}

const GMSG_ADDRESS* U_NETWORKDEST_gapNext(void* pvThis, int* index, U32* pu32UserData)
{
    NetworkDestinationsType* t = (NetworkDestinationsType*)pvThis;
    if (!index)
        return nullptr;
    if (!t || *index < 0) {
        *index = NETWORKDEST_SLOTS;
        return nullptr;
    }
    for (int i = *index; i < NETWORKDEST_SLOTS; ++i) {
        if (!slotFree(t->slot[i])) {
            if (pu32UserData)
                *pu32UserData = t->userData[i];
            *index = i + 1;
            return &t->slot[i];
        }
    }
    *index = NETWORKDEST_SLOTS;
    return nullptr;
}

void U_NETWORKDEST_vFindUserData(void* pvThis, U32 u32ClientIP, U32* pu32UserData)
{
    NetworkDestinationsType* t = (NetworkDestinationsType*)pvThis;
    if (!t || !pu32UserData)
        return;
    for (int i = 0; i < NETWORKDEST_SLOTS; ++i) {
        if (!slotFree(t->slot[i]) && t->slot[i].uAddr.Socket.u32Address == u32ClientIP) {
            *pu32UserData = t->userData[i];
            return;
        }
    }
}
