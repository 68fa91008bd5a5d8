// The recorded-track table.
//
// Records come from the trolling-motor link, the card import and the
// group manager; their point counts bound every loop over points, so a
// count above 352 is refused at the door.
#include "nav/data/t_nav_twr_rumbrel.h"

#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"

#include <cstdlib>
#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr U16 NONE = NAV_ID_NONE;
constexpr S32 SLOTS = (S32)NAV_RUMBREL_SLOTS;
constexpr FOURCHARID KEY_DATE_TIME = FCID("IDTM");

} // namespace

// Statics -------------------------------------------------------------------

namespace {

class NavLock {
public:
    NavLock() { L_MUTEX_LockWait(RES_NAV_DATA); }
    ~NavLock() { L_MUTEX_Unlock(RES_NAV_DATA); }
    NavLock(const NavLock&) = delete;
    NavLock& operator=(const NavLock&) = delete;
};

RUMBREL s_Rumbrel[NAV_RUMBREL_SLOTS];
S32 s_nMaxUsedRumbrelIndex;
S16 s_nRumbrelsUsed;

bool bTooLong(const RUMBREL* pRumbrel, const char* pcWhere)
{
    if (pRumbrel->nCount <= RUMBREL_MAX_POINTS)
        return false;
    log_me("%s: recorded track of %u points refused", pcWhere, pRumbrel->nCount);
    return true;
}

U32 u32Now(void)
{
    U32 now = 0;
    BOOLEAN valid = FALSE;
    if (!H_DATABASE_bFetchU32(KEY_DATE_TIME, &now, &valid, nullptr) || !valid)
        return 0;
    return now;
}

void vRaiseMaxUsed(U32 slot)
{
    if (s_nMaxUsedRumbrelIndex < (S32)slot + 1)
        s_nMaxUsedRumbrelIndex = (S32)slot + 1;
}

bool bSamePoints(const RUMBREL& a, const RUMBREL& b)
{
    for (U32 p = 0; p < a.nCount && p < RUMBREL_MAX_POINTS; ++p)
        if (a.aTrackPoints[p].x != b.aTrackPoints[p].x || a.aTrackPoints[p].y != b.aTrackPoints[p].y)
            return false;
    return true;
}

const RUMBREL_HEADER* pHeaderOf(const void* pSlot)
{
    return T_NAV_pGetRumbrelHeader(*static_cast<const U16*>(pSlot));
}

} // namespace

// Adding, storing, deleting ------------------------------------------------------

U16 T_NAV_u16FindAvailableRumbrel(void)
{
    for (S32 s = 0; s < SLOTS; ++s)
        if (s_Rumbrel[s].nCount == 0)
            return (U16)s;
    return NONE;
}

U16 T_NAV_u16RumbrelAdd(const RUMBREL* pRumbrel)
{
    if (pRumbrel == nullptr || bTooLong(pRumbrel, "T_NAV_u16RumbrelAdd"))
        return NONE;
    U16 slot = NONE;
    {
        NavLock lock;
        slot = T_NAV_u16FindAvailableRumbrel();
        if (slot == NONE)
            return NONE;
        RUMBREL& r = s_Rumbrel[slot];
        r = *pRumbrel;
        if (r.u32DateTime == 0)
            r.u32DateTime = u32Now();
        if (r.nCount == 0)
            return slot;
        T_NAV_NVRAM_vSaveRumbrel(&r, slot, FALSE);
        vRaiseMaxUsed(slot);
        ++s_nRumbrelsUsed;
    }
    T_NAV_TWR_pGetHooks()->pfnUpdateCursorToWaypointMenu();
    return slot;
}

U16 T_NAV_u16SaveRumbrelFromStevrin(RUMBREL* pRumbrel)
{
    if (pRumbrel == nullptr)
        return NONE;
    NavLock lock;
    pRumbrel->u32Style = RUMBREL_STYLE_WIDE_LINE;
    pRumbrel->u32Color = RUMBREL_COLOR_FROM_MOTOR;
    const U16 slot = T_NAV_u16RumbrelAdd(pRumbrel);
    // A group link to a slot that holds nothing would dangle.
    if (slot != NONE && s_Rumbrel[slot].nCount != 0)
        T_NAV_TWR_pGetHooks()->pfnAddToDefaultGroup((U16)(NAV_ID_RUMBREL_TAG | slot));
    return slot;
}

U16 T_NAV_u16SaveRouteFromStevrin(const ROUTE* pRoute)
{
    NavLock lock;
    const S32 slot = T_NAV_nAddRoute(pRoute);
    if (slot == NONE)
        return NONE;
    const ROUTE* r = T_NAV_pGetRoute((U32)slot);
    if (r->nCount != 0 || r->u32DateTime != 0)
        T_NAV_TWR_pGetHooks()->pfnAddToDefaultGroup((U16)(NAV_ID_ROUTE_TAG | slot));
    return (U16)slot;
}

void T_NAV_vRumbrelStore(U32 slot, const RUMBREL* pRumbrel, BOOLEAN bOverridePointOfSale, BOOLEAN)
{
    if (slot >= NAV_RUMBREL_SLOTS || pRumbrel == nullptr || bTooLong(pRumbrel, "T_NAV_vRumbrelStore"))
        return;
    NavLock lock;
    RUMBREL& r = s_Rumbrel[slot];
    const bool wasUsed = r.nCount != 0;
    r = *pRumbrel;
    const bool isUsed = r.nCount != 0;
    s_nRumbrelsUsed = (S16)(s_nRumbrelsUsed + (isUsed ? 1 : 0) - (wasUsed ? 1 : 0));
    if (isUsed) {
        T_NAV_NVRAM_vSaveRumbrel(&r, (U16)slot, bOverridePointOfSale);
        // The search by points stops at the mark; a track stored above it
        // would never be found.
        vRaiseMaxUsed(slot);
    } else if (wasUsed) {
        // Or the old track would come back at the next start-up.
        T_NAV_NVRAM_vDeleteRumbrel((U16)slot, bOverridePointOfSale);
    }
}

BOOLEAN T_NAV_bSaveRumbrel(U32 slot, const RUMBREL* pRumbrel, BOOLEAN bOverridePointOfSale)
{
    if (slot >= NAV_RUMBREL_SLOTS || pRumbrel == nullptr || bTooLong(pRumbrel, "T_NAV_bSaveRumbrel"))
        return FALSE;
    NavLock lock;
    T_NAV_vRumbrelStore(slot, pRumbrel, bOverridePointOfSale, FALSE);
    return TRUE;
}

BOOLEAN T_NAV_bDeleteRumbrel(U32 slot, BOOLEAN bOverridePointOfSale)
{
    BOOLEAN deleted = FALSE;
    if (slot < NAV_RUMBREL_SLOTS) {
        NavLock lock;
        RUMBREL& r = s_Rumbrel[slot];
        if (r.nCount != 0) {
            --s_nRumbrelsUsed;
            T_NAV_NVRAM_vDeleteRumbrel((U16)slot, bOverridePointOfSale);
            r.nCount = 0;
            deleted = TRUE;
        }
    }
    T_NAV_TWR_pGetHooks()->pfnUpdateCursorToWaypointMenu();
    return deleted;
}

// Access --------------------------------------------------------------------------

RUMBREL* T_NAV_pGetRumbrel(U32 slot)
{
    return slot < NAV_RUMBREL_SLOTS ? &s_Rumbrel[slot] : nullptr;
}

RUMBREL_HEADER* T_NAV_pGetRumbrelHeader(U32 slot)
{
    return (U16)slot < NAV_RUMBREL_SLOTS ? &s_Rumbrel[(U16)slot] : nullptr;
}

void T_NAV_vCopyRumbrelHeader(U32 slot, RUMBREL_HEADER* pHeader)
{
    if (slot >= NAV_RUMBREL_SLOTS || pHeader == nullptr)
        return;
    NavLock lock;
    *pHeader = s_Rumbrel[slot];
}

// Finding and comparing ---------------------------------------------------------

BOOLEAN T_NAV_bCompareRumbrels(const RUMBREL* pA, const RUMBREL* pB)
{
    if (pA == nullptr || pB == nullptr || pA->nCount > RUMBREL_MAX_POINTS)
        return FALSE;
    return pA->nCount == pB->nCount && pA->u32DateTime == pB->u32DateTime &&
                   strncmp(pA->sName, pB->sName, RUMBREL_NAME_CHARS) == 0 && bSamePoints(*pA, *pB)
               ? TRUE
               : FALSE;
}

U16 T_NAV_u16FindRumbrel(const RUMBREL* pRumbrel)
{
    if (pRumbrel == nullptr)
        return NONE;
    for (S32 s = 0; s < SLOTS; ++s)
        if (s_Rumbrel[s].nCount != 0 && T_NAV_bCompareRumbrels(&s_Rumbrel[s], pRumbrel))
            return (U16)s;
    return NONE;
}

U16 T_NAV_u16FindRumbrelByUid(U64 u64Uid)
{
    for (S32 s = 0; s < SLOTS; ++s)
        if (s_Rumbrel[s].nCount != 0 && s_Rumbrel[s].u64UID == u64Uid)
            return (U16)s;
    return NONE;
}

U16 T_NAV_u16FindRumbrelTrackPoints(const RUMBREL* pRumbrel)
{
    if (pRumbrel == nullptr)
        return NONE;
    for (S32 s = 0; s < s_nMaxUsedRumbrelIndex && s < SLOTS; ++s) {
        const RUMBREL& r = s_Rumbrel[s];
        if (r.nCount != 0 && r.nCount == pRumbrel->nCount && bSamePoints(r, *pRumbrel))
            return (U16)s;
    }
    return NONE;
}

// Lists ------------------------------------------------------------------------------

int T_NAV_nCompareRumbrelsByName(const void* pA, const void* pB)
{
    const RUMBREL_HEADER* a = pHeaderOf(pA);
    const RUMBREL_HEADER* b = pHeaderOf(pB);
    return strncmp(a ? a->sName : "", b ? b->sName : "", RUMBREL_NAME_CHARS);
}

int T_NAV_nCompareRumbrelNames(const void* pA, const void* pB)
{
    return T_NAV_nCompareRumbrelsByName(pA, pB);
}

int T_NAV_nCompareRumbrelsByTime(const void* pA, const void* pB)
{
    const RUMBREL_HEADER* a = pHeaderOf(pA);
    const RUMBREL_HEADER* b = pHeaderOf(pB);
    const U32 ta = a ? a->u32DateTime : 0, tb = b ? b->u32DateTime : 0;
    return ta > tb ? -1 : ta < tb ? 1 : 0;
}

int T_NAV_nCompareRumbrelsByDistance(const void* pA, const void* pB)
{
    const RUMBREL_HEADER* a = pHeaderOf(pA);
    const RUMBREL_HEADER* b = pHeaderOf(pB);
    const U32 da = a ? a->u32ClosestDTG : 0, db = b ? b->u32ClosestDTG : 0;
    return da < db ? -1 : da > db ? 1 : 0;
}

void T_NAV_vGetRumbrels(U32* pnCount, U16* pu16Slots)
{
    if (pnCount == nullptr || pu16Slots == nullptr)
        return;
    NavLock lock;
    U32 n = 0;
    for (S32 s = 0; s < SLOTS; ++s)
        if (s_Rumbrel[s].nCount != 0)
            pu16Slots[n++] = (U16)s;
    if (n > 1)
        qsort(pu16Slots, n, sizeof *pu16Slots, T_NAV_nCompareRumbrelNames);
    *pnCount = n;
}

void T_NAV_vGetSortedRumbrels(NAV_WPT_SORT_ORDER eSortBy, U32 u32Count, U16* pu16Slots)
{
    if (pu16Slots == nullptr || u32Count < 2)
        return;
    NavLock lock;
    int (*compare)(const void*, const void*) = T_NAV_nCompareRumbrelsByName;
    if (eSortBy == NAV_WPT_SORT_BY_DISTANCE)
        compare = T_NAV_nCompareRumbrelsByDistance;
    else if (eSortBy == NAV_WPT_SORT_BY_TIME)
        compare = T_NAV_nCompareRumbrelsByTime;
    qsort(pu16Slots, u32Count, sizeof *pu16Slots, compare);
}

// Counts ----------------------------------------------------------------------------

U16 T_NAV_TWR_u16GetMaxUsedRumbrel(void)
{
    for (S32 s = SLOTS - 1; s >= 0; --s)
        if (s_Rumbrel[s].nCount != 0)
            return (U16)(s + 1);
    return 0;
}

S32 T_NAV_TWR_nGetMaxUsedRumbrelIndex(void)
{
    return s_nMaxUsedRumbrelIndex;
}

U16 T_NAV_TWR_u16GetRumbrelCount(void)
{
    return (U16)s_nRumbrelsUsed;
}

BOOLEAN T_NAV_TWR_bRumbrelExist(void)
{
    NavLock lock;
    for (const RUMBREL& r : s_Rumbrel)
        if (r.nCount != 0 && r.u32DateTime != 0)
            return TRUE;
    return FALSE;
}

// Header properties ---------------------------------------------------------------------

void T_NAV_vRenameRumbrel(U32 slot, const char* pcName)
{
    if (slot >= NAV_RUMBREL_SLOTS || pcName == nullptr)
        return;
    // At most 11 characters, so that the name always ends in a NUL.
    strncpy(s_Rumbrel[slot].sName, pcName, RUMBREL_NAME_CHARS);
    s_Rumbrel[slot].sName[RUMBREL_NAME_CHARS - 1] = '\0';
}

BOOLEAN T_NAV_bGetRumbrelVisibility(U32 slot)
{
    return slot < NAV_RUMBREL_SLOTS && s_Rumbrel[slot].u32Visible != 0 ? TRUE : FALSE;
}

void T_NAV_vSetRumbrelVisibility(U32 slot, BOOLEAN bVisible)
{
    if (slot < NAV_RUMBREL_SLOTS)
        s_Rumbrel[slot].u32Visible = bVisible ? 1 : 0;
}

U32 T_NAV_nGetRumbrelStyle(U32 slot)
{
    if (slot >= NAV_RUMBREL_SLOTS || s_Rumbrel[slot].u32Style > RUMBREL_STYLE_WIDE_LINE)
        return RUMBREL_STYLE_THIN_LINE;
    return s_Rumbrel[slot].u32Style;
}

BOOLEAN T_NAV_bSetRumbrelStyle(U32 slot, U32 u32Style)
{
    if (slot >= NAV_RUMBREL_SLOTS)
        return FALSE;
    s_Rumbrel[slot].u32Style = u32Style != 0 ? RUMBREL_STYLE_WIDE_LINE : RUMBREL_STYLE_THIN_LINE;
    return TRUE;
}

U32 T_NAV_nGetRumbrelColor(U32 slot)
{
    return slot < NAV_RUMBREL_SLOTS ? s_Rumbrel[slot].u32Color : 0;
}

BOOLEAN T_NAV_bSetRumbrelColor(U32 slot, U32 u32Color)
{
    if (slot >= NAV_RUMBREL_SLOTS)
        return FALSE;
    s_Rumbrel[slot].u32Color = u32Color;
    return TRUE;
}

void T_NAV_STEVRIN_vCalculateLLURPoints(RUMBREL* pRumbrel)
{
    if (pRumbrel == nullptr || bTooLong(pRumbrel, "T_NAV_STEVRIN_vCalculateLLURPoints"))
        return;
    if (pRumbrel->nCount == 0) {
        pRumbrel->ptLowerLeft = {0, 0};
        pRumbrel->ptUpperRight = {0, 0};
        return;
    }
    POINT lo = pRumbrel->aTrackPoints[0], hi = lo;
    for (U32 p = 1; p < pRumbrel->nCount; ++p) {
        const POINT& q = pRumbrel->aTrackPoints[p];
        lo.x = q.x < lo.x ? q.x : lo.x;
        lo.y = q.y < lo.y ? q.y : lo.y;
        hi.x = q.x > hi.x ? q.x : hi.x;
        hi.y = q.y > hi.y ? q.y : hi.y;
    }
    pRumbrel->ptLowerLeft = lo;
    pRumbrel->ptUpperRight = hi;
}

// Store-internal ----------------------------------------------------------------

void T_NAV_TWR_vClearRumbrels(void)
{
    NavLock lock;
    memset(s_Rumbrel, 0, sizeof s_Rumbrel);
    s_nMaxUsedRumbrelIndex = 0;
    s_nRumbrelsUsed = 0;
}

void T_NAV_TWR_vRecountRumbrels(void)
{
    NavLock lock;
    s_nRumbrelsUsed = 0;
    s_nMaxUsedRumbrelIndex = 0;
    for (S32 s = 0; s < SLOTS; ++s) {
        if (s_Rumbrel[s].nCount == 0)
            continue;
        ++s_nRumbrelsUsed;
        vRaiseMaxUsed((U32)s);
    }
}
