// STAND-IN for the trolling-motor link's "close enough" queries (see the
// header).
#include "nav/core/u_nav_stevrin_standin.h"

#include "nav/core/t_nav.h"
#include "nav/core/t_nav_state.h"

#include "kernel/l_mutex.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "store/h_database.h"

namespace {

BOOLEAN bBoat(POINT* pBoat)
{
    S32 s32Lat = 0;
    S32 s32Lon = 0;
    BOOLEAN bLat = FALSE;
    BOOLEAN bLon = FALSE;
    if (!H_DATABASE_bFetchS32(FCID("ILAT"), &s32Lat, &bLat, nullptr) ||
        !H_DATABASE_bFetchS32(FCID("ILON"), &s32Lon, &bLon, nullptr) || !bLat || !bLon)
        return FALSE;
    *pBoat = {s32Lon, s32Lat};
    return TRUE;
}

BOOLEAN bClose(POINT pt)
{
    POINT boat;
    if (!bBoat(&boat))
        return FALSE;
    return T_NAV_fDistanceBetweenPoints(&boat, &pt) < NAV_STEVRIN_CLOSE_METRES;
}

} // namespace

BOOLEAN U_NAV_STEVRIN_bIsWaypointCloseForStevrinNav(U32 u32Id)
{
    if (u32Id == NAV_ID_NONE)
        return FALSE;
    POINT pt;
    if (!T_NAV_bWaypointPosition(u32Id, &pt))
        return FALSE;
    return bClose(pt);
}

BOOLEAN U_NAV_STEVRIN_bIsRumbrelCloseForStevrinNav(U32 u32Slot)
{
    if (u32Slot >= NAV_RUMBREL_SLOTS)
        return FALSE;
    L_MUTEX_LockWait(RES_NAV_DATA);
    const RUMBREL_HEADER* h = T_NAV_pGetRumbrelHeader(u32Slot);
    const BOOLEAN b = h != nullptr && h->nCount != 0 && h->u32ClosestDTG < NAV_STEVRIN_CLOSE_METRES;
    L_MUTEX_Unlock(RES_NAV_DATA);
    return b;
}

BOOLEAN U_NAV_STEVRIN_bIsCursorPointCloseForStevrinNav(void)
{
    S32 s32Lat = 0;
    S32 s32Lon = 0;
    if (!H_DATABASE_bFetchS32(FCID("ICLT"), &s32Lat, nullptr, nullptr) ||
        !H_DATABASE_bFetchS32(FCID("ICLN"), &s32Lon, nullptr, nullptr))
        return FALSE;
    return bClose({s32Lon, s32Lat});
}
