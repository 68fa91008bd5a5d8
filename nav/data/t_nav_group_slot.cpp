// Group slots.
//
// The group allocator keeps the waypoint table's split as the table does
// (separator, highest shared slot, lowest locked slot) but reads "no
// locked slot" as a lowest locked slot of 0: with nothing locked the
// separator simply follows the shared part up.
#include "nav/data/t_nav_group_slot.h"

#include "kernel/l_mutex.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "nav/manager/t_nav_group.h"
#include "util/u_convert.h"

#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr U16 NONE = NAV_ID_NONE;
constexpr S32 SLOTS = (S32)NAV_WAYPOINT_SLOTS;
constexpr S32 ROOM_RESERVE = 6;
constexpr U32 NOTE_SECONDS = 2;

} // namespace

// Helpers -----------------------------------------------------------------

namespace {

class NavLock {
public:
    NavLock() { L_MUTEX_LockWait(RES_NAV_DATA); }
    ~NavLock() { L_MUTEX_Unlock(RES_NAV_DATA); }
    NavLock(const NavLock&) = delete;
    NavLock& operator=(const NavLock&) = delete;
};

void vPut16(U8* p, U16 v)
{
    p[0] = (U8)v;
    p[1] = (U8)(v >> 8);
}

void vPut32(U8* p, U32 v)
{
    vPut16(p, (U16)v);
    vPut16(p + 2, (U16)(v >> 16));
}

U16 u16Get16(const U8* p)
{
    return (U16)(p[0] | p[1] << 8);
}

U32 u32Get32(const U8* p)
{
    return (U32)u16Get16(p) | (U32)u16Get16(p + 2) << 16;
}

WAYPOINT* pOwn(S32 slot)
{
    return T_NAV_TWR_pGetNetworkWaypoint((U32)slot, 0);
}

bool bFree(S32 slot)
{
    return pOwn(slot)->u8Status == WP_STATUS_FREE;
}

// The slot an id addresses here: 2999 for 0xCFFF, the slot of a group id;
// -1 otherwise.
S32 nGroupSlotOf(U16 u16Id)
{
    if (u16Id == NAV_ID_SEPARATOR)
        return NAV_ROOT_LOCKED_SLOT;
    if ((u16Id & 0xC000) == NAV_ID_GROUP_TAG && (u16Id & 0x3FFF) < SLOTS)
        return u16Id & 0x3FFF;
    return -1;
}

// The lowest locked slot as the allocator reads it: 0 when no slot is
// locked.
S32 nMinLock(S32 minLock)
{
    if (minLock >= SLOTS - 1) {
        const WAYPOINT* w = pOwn(SLOTS - 1);
        if (w->u8Status == WP_STATUS_FREE || !w->bWpNotShared)
            return 0;
    }
    return minLock < 0 ? 0 : minLock;
}

S32 nChoose(bool bLocked, bool bEnforced, S32 sep)
{
    if (!bEnforced) {
        S32 slot = -1;
        if (bLocked) {
            for (S32 s = SLOTS - 1; s >= 0 && slot < 0; --s)
                if (bFree(s))
                    slot = s;
        } else {
            for (S32 s = 0; s < SLOTS && slot < 0; ++s)
                if (bFree(s))
                    slot = s;
        }
        return slot >= 1 && slot <= SLOTS - 2 ? slot : -1;
    }
    if (bLocked) {
        for (S32 s = SLOTS - 1; s >= sep && s >= 0; --s)
            if (bFree(s))
                return s == sep ? -1 : s;
        return -1;
    }
    for (S32 s = 0; s <= sep && s < SLOTS; ++s)
        if (bFree(s))
            return s == sep ? -1 : s;
    // Every slot up to the separator is used: the shared part grows past
    // it, but never into a used slot.
    const S32 next = sep + 1;
    return next < SLOTS && bFree(next) ? next : -1;
}

} // namespace

// Codecs --------------------------------------------------------------------------

void T_NAV_GROUP_vEncodeHeader(const GROUP_HEADER* pHeader, U8* pu8Out)
{
    pu8Out[0] = (U8)(pHeader->u8Status | pHeader->bHide << 6 | pHeader->bWpNotShared << 7);
    pu8Out[1] = pHeader->u8Icon;
    vPut16(pu8Out + 2, pHeader->u16Depth);
    vPut32(pu8Out + 4, pHeader->u32DateTime);
    vPut16(pu8Out + 8, pHeader->u16ParentIndex);
    vPut16(pu8Out + 10, pHeader->u16Reserved1);
    vPut16(pu8Out + 12, pHeader->u16FirstBodyIndex);
    vPut16(pu8Out + 14, pHeader->u16Reserved2);
    memcpy(pu8Out + 16, pHeader->sName, GROUP_NAME_CHARS);
}

void T_NAV_GROUP_vDecodeHeader(const U8* pu8In, GROUP_HEADER* pHeader)
{
    pHeader->u8Status = pu8In[0] & 0x3F;
    pHeader->bHide = pu8In[0] >> 6 & 1;
    pHeader->bWpNotShared = pu8In[0] >> 7 & 1;
    pHeader->u8Icon = pu8In[1];
    pHeader->u16Depth = u16Get16(pu8In + 2);
    pHeader->u32DateTime = u32Get32(pu8In + 4);
    pHeader->u16ParentIndex = u16Get16(pu8In + 8);
    pHeader->u16Reserved1 = u16Get16(pu8In + 10);
    pHeader->u16FirstBodyIndex = u16Get16(pu8In + 12);
    pHeader->u16Reserved2 = u16Get16(pu8In + 14);
    memcpy(pHeader->sName, pu8In + 16, GROUP_NAME_CHARS);
}

void T_NAV_GROUP_vEncodeBody(const GROUP_BODY* pBody, U8* pu8Out)
{
    pu8Out[0] = (U8)(pBody->u8Status | pBody->bHide << 6 | pBody->bWpNotShared << 7);
    pu8Out[1] = pBody->u8Icon;
    vPut16(pu8Out + 2, pBody->u16NextIndex);
    for (U32 i = 0; i < GROUP_BODY_LINKS; ++i)
        vPut16(pu8Out + 4 + 2 * i, pBody->u16Item[i]);
}

void T_NAV_GROUP_vDecodeBody(const U8* pu8In, GROUP_BODY* pBody)
{
    pBody->u8Status = pu8In[0] & 0x3F;
    pBody->bHide = pu8In[0] >> 6 & 1;
    pBody->bWpNotShared = pu8In[0] >> 7 & 1;
    pBody->u8Icon = pu8In[1];
    pBody->u16NextIndex = u16Get16(pu8In + 2);
    for (U32 i = 0; i < GROUP_BODY_LINKS; ++i)
        pBody->u16Item[i] = u16Get16(pu8In + 4 + 2 * i);
}

void T_NAV_GROUP_vFromWaypoint(const WAYPOINT* pWaypoint, GROUP_SLOT* pSlot)
{
    U8 bytes[WAYPOINT_BYTES];
    T_NAV_RECORD_vEncodeWaypoint(pWaypoint, bytes);
    memset(pSlot, 0, sizeof *pSlot);
    if (pWaypoint->u8Status == WP_STATUS_GROUP_BODY)
        T_NAV_GROUP_vDecodeBody(bytes, &pSlot->body);
    else
        T_NAV_GROUP_vDecodeHeader(bytes, &pSlot->header);
}

void T_NAV_GROUP_vToWaypoint(const GROUP_SLOT* pSlot, WAYPOINT* pWaypoint)
{
    U8 bytes[WAYPOINT_BYTES];
    if (pSlot->body.u8Status == WP_STATUS_GROUP_BODY)
        T_NAV_GROUP_vEncodeBody(&pSlot->body, bytes);
    else
        T_NAV_GROUP_vEncodeHeader(&pSlot->header, bytes);
    T_NAV_RECORD_vDecodeWaypoint(bytes, pWaypoint);
}

BOOLEAN T_NAV_GROUP_bIsGroupStatus(U32 u32Status)
{
    return u32Status == WP_STATUS_GROUP_HEADER || u32Status == WP_STATUS_GROUP_BODY ||
                   u32Status == WP_STATUS_GROUP_WRITING
               ? TRUE
               : FALSE;
}

BOOLEAN T_NAV_GROUP_bIsGroupId(U16 u16Id)
{
    return (u16Id & 0xC000) == NAV_ID_GROUP_TAG && (u16Id & 0x0FFF) < SLOTS ? TRUE : FALSE;
}

// Slots -----------------------------------------------------------------------------

U16 T_NAV_nAllocGroupSlot(BOOLEAN bNotShared)
{
    NavLock lock;
    const bool enforced = !T_NAV_TWR_bShareLockSeparatorDisabled();
    S32 sep = 0, maxShare = 0, minLock = 0;
    T_NAV_TWR_vGetShareSplit(&sep, &maxShare, &minLock);
    if (enforced) {
        if (sep < 0 || maxShare == sep || nMinLock(minLock) == sep) {
            T_NAV_TWR_vStatisticWaypointStore(FALSE);
            T_NAV_TWR_vGetShareSplit(&sep, &maxShare, &minLock);
        }
        // A compaction that found no room leaves the separator unknown.
        if (sep < 0)
            return NONE;
        const S32 low = nMinLock(minLock);
        if (sep != 0 && low != 0 && (sep == maxShare || sep == low))
            return NONE;
    }
    const S32 slot = nChoose(bNotShared != FALSE, enforced, sep);
    if (slot < 0)
        return NONE;

    WAYPOINT* w = pOwn(slot);
    memset(w, 0, sizeof *w);
    w->u8Status = WP_STATUS_GROUP_WRITING;
    w->bWpNotShared = bNotShared ? 1 : 0;
    T_NAV_TWR_vSetWaypointHashEntry((U16)slot, 0);
    T_NAV_TWR_vCountGroupSlot((U16)slot, TRUE, TRUE);
    if (!bNotShared) {
        if (maxShare < slot)
            maxShare = slot;
    } else if (nMinLock(minLock) == 0 || minLock > slot) {
        minLock = slot;
    }
    if (enforced) {
        const S32 low = nMinLock(minLock);
        sep = sep == 0 || low == 0 ? maxShare : (low + maxShare) / 2;
    }
    T_NAV_TWR_vSetShareSplit(sep, maxShare, minLock);
    return (U16)(NAV_ID_GROUP_TAG | slot);
}

void T_NAV_vFreeGroupSlot(U16 u16Id)
{
    const S32 slot = nGroupSlotOf(u16Id);
    if (slot < 0)
        return;
    NavLock lock;
    WAYPOINT* w = pOwn(slot);
    if (!T_NAV_GROUP_bIsGroupStatus(w->u8Status))
        return;
    memset(w, 0, sizeof *w);
    T_NAV_TWR_vSetWaypointHashEntry((U16)slot, 0);
    T_NAV_TWR_vCountGroupSlot((U16)slot, FALSE, TRUE);
    T_NAV_NVRAM_vDeleteWaypoint((U16)slot, TRUE);
}

GROUP_SLOT* T_NAV_pGetGroupSlot(U16 u16Id)
{
    const S32 slot = nGroupSlotOf(u16Id);
    if (slot < 0)
        return nullptr;
    WAYPOINT* w = pOwn(slot);
    if (!T_NAV_GROUP_bIsGroupStatus(w->u8Status))
        return nullptr;
    return reinterpret_cast<GROUP_SLOT*>(w);
}

BOOLEAN T_NAV_bReadGroupSlot(U16 u16Id, GROUP_SLOT* pSlot)
{
    const S32 slot = nGroupSlotOf(u16Id);
    if (slot < 0)
        return FALSE;
    NavLock lock;
    const WAYPOINT* w = pOwn(slot);
    if (!T_NAV_GROUP_bIsGroupStatus(w->u8Status))
        return FALSE;
    T_NAV_GROUP_vFromWaypoint(w, pSlot);
    return TRUE;
}

BOOLEAN T_NAV_bSetGroupSlot(U16 u16Id, const GROUP_SLOT* pRecord)
{
    NavLock lock;
    S32 slot = -1;
    if (u16Id == NAV_ID_SEPARATOR) {
        slot = NAV_ROOT_LOCKED_SLOT;
    } else if ((u16Id & 0xC000) != NAV_ID_GROUP_TAG || (u16Id & 0x0FFF) >= SLOTS) {
        T_NAV_GROUP_vSetNavUIRawNoteWithTimeout("Set Group Slot ERR: SLOT INDEX INVALID !!!", NOTE_SECONDS);
        return FALSE;
    } else if ((u16Id & 0x3FFF) >= SLOTS) {
        return FALSE; // bank bits set
    } else {
        slot = u16Id & 0x3FFF;
    }
    if (pRecord == nullptr)
        return FALSE;
    const U32 status = pRecord->body.u8Status;
    if (status != WP_STATUS_GROUP_HEADER && status != WP_STATUS_GROUP_BODY)
        return FALSE;
    // The second halfword is a body's next link; a header's depth (0)
    // never looks like a group id.
    const U16 next = pRecord->body.u16NextIndex;
    if (nGroupSlotOf(next) == slot) {
        T_NAV_GROUP_vSetNavUIRawNoteWithTimeout("Set Group Slot ERR: SLOT LINK ITSELF !!!", NOTE_SECONDS);
        return FALSE;
    }
    WAYPOINT* w = pOwn(slot);
    // A slot written without being taken first is counted in now.
    if (w->u8Status == WP_STATUS_FREE)
        T_NAV_TWR_vCountGroupSlot((U16)slot, TRUE, TRUE);
    T_NAV_GROUP_vToWaypoint(pRecord, w);
    T_NAV_TWR_vSetWaypointHashEntry((U16)slot, 0);
    T_NAV_NVRAM_vSaveWaypoint(w, (U16)slot, FALSE);
    return TRUE;
}

BOOLEAN T_NAV_bIsNotSharedLink(U16 u16Id)
{
    NAV_ITEM_ID item;
    switch (T_NAV_TWR_eDecodeId(u16Id, &item)) {
    case TWR_TYPE_WAYPOINT:
    case TWR_TYPE_GROUP: {
        const WAYPOINT* w = T_NAV_TWR_pGetNetworkWaypoint(item.u16Index, item.u8Bank);
        return w != nullptr && w->bWpNotShared ? TRUE : FALSE;
    }
    case TWR_TYPE_ROUTE: {
        const ROUTE* r = T_NAV_pGetRoute(item.u16Index);
        return r != nullptr && r->bRtNotShared ? TRUE : FALSE;
    }
    default:
        return FALSE;
    }
}

BOOLEAN T_NAV_vRoomForWptOrGroup(BOOLEAN bWpNotShared)
{
    NavLock lock;
    S32 sep = 0, maxShare = 0, minLock = 0;
    T_NAV_TWR_vGetShareSplit(&sep, &maxShare, &minLock);
    const bool enforced = !T_NAV_TWR_bShareLockSeparatorDisabled();
    if (enforced && sep < 0) {
        T_NAV_TWR_vStatisticWaypointStore(TRUE);
        T_NAV_TWR_vGetShareSplit(&sep, &maxShare, &minLock);
    }
    const S32 last = SLOTS - 2; // 2998; slot 2999 is never examined
    S32 found = -1;
    if (!bWpNotShared) {
        const S32 top = enforced ? sep - ROOM_RESERVE : last - 1;
        S32 s = 0;
        for (; s <= top && s < last; ++s)
            if (bFree(s))
                break;
        found = s;
    } else {
        const S32 bottom = enforced ? sep + ROOM_RESERVE : 1;
        S32 s = last;
        for (; s >= bottom && s >= 0; --s)
            if (bFree(s))
                break;
        found = s;
        if (enforced && s < bottom && bottom > last)
            found = last;
    }
    // Without the split the search ends on its last slot when it found
    // none free; a used slot there is no room.
    if (!enforced && (found < 0 || !bFree(found)))
        return FALSE;
    return found == sep || found == sep - ROOM_RESERVE || found == sep + ROOM_RESERVE ? FALSE : TRUE;
}

void T_NAV_vDeleteGpWpSlot(U16 u16Id)
{
    S32 slot = -1;
    const bool waypoint = (u16Id & 0xC000) == 0 && (u16Id & 0x3FFF) < SLOTS;
    if (waypoint)
        slot = u16Id;
    else
        slot = nGroupSlotOf(u16Id);
    if (slot < 0)
        return;
    NavLock lock;
    if (waypoint)
        T_NAV_TWR_pGetHooks()->pfnDropFromCurrentRoute(u16Id);
    WAYPOINT* w = pOwn(slot);
    if (w->u8Status != WP_STATUS_FREE)
        T_NAV_TWR_vCountGroupSlot((U16)slot, FALSE, TRUE);
    memset(w, 0, sizeof *w);
    T_NAV_TWR_vSetWaypointHashEntry((U16)slot, 0);
    T_NAV_NVRAM_vDeleteWaypoint((U16)slot, FALSE);
}

void T_NAV_vUpdateWaypointHashTableItem(U16 u16Id)
{
    if ((u16Id & 0x3FFF) >= SLOTS)
        return;
    NavLock lock;
    T_NAV_TWR_vSetWaypointHashEntry(u16Id & 0x3FFF, T_NAV_TWR_u16HashWaypoint(pOwn(u16Id & 0x3FFF)));
}
