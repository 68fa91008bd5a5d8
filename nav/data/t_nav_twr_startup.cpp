// The start-up of the navigation store.
#include "nav/data/t_nav_twr_startup.h"

#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_data.h"
#include "nav/data/t_nav_group_init.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"
#include "trolling/u_stevrin_standin.h"
#include "util/u_convert.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr FOURCHARID KEY_WAYPOINT_COUNTER = FCID("SWID");
constexpr U32 KEY_PRIORITY = 2;
constexpr U32 NAME_CUT = 11;

const char s_acPlusLine[] = "+++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++";

// Step 6: recorded tracks with a name of 12 characters without a NUL get
// it cut to 11; tracks without a proper identity get one and are written
// back.
void vRepairRumbrels(void)
{
    log_me("%s", s_acPlusLine);
    U32 n = 0;
    for (U32 i = 0; i < NAV_RUMBREL_SLOTS; ++i) {
        RUMBREL* r = T_NAV_pGetRumbrel(i);
        if (r->nCount == 0)
            continue;
        ++n;
        char name[RUMBREL_NAME_CHARS + 1] = {};
        memcpy(name, r->sName, RUMBREL_NAME_CHARS);
        log_me("Rumbrel%u : nCount: %x   Name: %s ", (unsigned)i, (unsigned)r->nCount, name);
    }
    log_me("Number of Rumbrels: %u", (unsigned)n);
    log_me("%s", s_acPlusLine);
    for (U32 i = 0; i < NAV_RUMBREL_SLOTS; ++i) {
        RUMBREL* r = T_NAV_pGetRumbrel(i);
        if (r->nCount == 0)
            continue;
        if (strnlen(r->sName, RUMBREL_NAME_CHARS) >= RUMBREL_NAME_CHARS) {
            r->sName[NAME_CUT] = '\0';
            r->u64UID = 0;
        }
        const U32 high = (U32)(r->u64UID >> 32);
        if (r->u64UID != 0 && (high & NAV_UID_MARK_MASK) == NAV_UID_MARK)
            continue;
        U_STEVRIN_COMMON_vGenerateRumbrelUID(r);
        T_NAV_NVRAM_vSaveRumbrel(r, (U16)i, FALSE);
    }
}

void vSettleWaypointCounter(void)
{
    U32 u32Stored = 0;
    if (!H_DATABASE_bFetchU32(KEY_WAYPOINT_COUNTER, &u32Stored, nullptr, nullptr))
        u32Stored = 0;
    const S32 counter = std::clamp<S32>(T_NAV_s32GetMaxWayPointCounter(), 0, NAV_WAYPOINT_COUNTER_MAX);
    if ((U32)counter != u32Stored)
        H_DATABASE_bUpdateEverythingU32(KEY_WAYPOINT_COUNTER, (U32)counter, KEY_PRIORITY, D_UNKNOWN, nullptr,
                                        DB_TIMEOUT_NEVER);
}

} // namespace

void U_STEVRIN_COMMON_vGenerateRumbrelUID(RUMBREL* pTrack)
{
    if (pTrack != nullptr)
        pTrack->u64UID = U_STEVRIN_COMMON_u64RumbrelUID(pTrack->sName, pTrack->u32DateTime, pTrack->nCount);
}

void T_NAV_vInitTracksWaypointsRoutes(void)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    // 1. Nothing derived is rebuilt while the tables fill.
    T_NAV_TWR_vTemporarilyDisableScanForDuplicates(1);
    T_NAV_TWR_vTemporarilyDisableDeclutterWaypointsScan(1);
    // 2. Empty tables.
    T_NAV_TWR_vClearTables();
    // 3. The flash folders into the own bank, the routes and the track
    // headers; old waypoint records are noted on the way.
    T_NAV_NVRAM_vInit();
    T_NAV_NVRAM_vSetWaypointScanHook(T_NAV_DATA_vFixBadStayvaneIcon);
    S32 maxUsed = 0;
    WAYPOINT* own = T_NAV_TWR_pGetNetworkWaypoint(0, 0);
    T_NAV_NVRAM_vScan(T_NAV_pGetTrackHeader(0), own, &maxUsed, T_NAV_pGetRoute(0));
    T_NAV_NVRAM_vSetWaypointScanHook(nullptr);
    // 4. Old records rewritten in the current version.
    T_NAV_DATA_vRewriteFlaggedWaypoints(own);
    // The counts, and the hashes so that the waypoint search and the
    // clean-up's duplicate merge see the waypoints read here.
    T_NAV_TWR_vHashWaypoints();
    // 5. Routes without points and date-time are free slots; the backup
    // table starts equal to the table.
    for (U32 i = 0; i < NAV_ROUTE_SLOTS; ++i) {
        ROUTE* r = T_NAV_pGetRoute(i);
        if (r->nCount == 0 && r->u32DateTime == 0)
            memset(static_cast<void*>(r), 0, sizeof *r);
        *T_NAV_pGetOldRoute(i) = *r;
    }
    T_NAV_TWR_vStatisticRouteStore(TRUE);
    // 6. Recorded tracks.
    S32 maxRumbrel = 0;
    T_NAV_NVRAM_vScanRumbrel(T_NAV_pGetRumbrel(0), &maxRumbrel);
    T_NAV_TWR_vRecountRumbrels();
    vRepairRumbrels();
    // 7. The default-name counter.
    vSettleWaypointCounter();
    // 8. Groups, with the first compactions.
    T_NAV_GROUP_DATA_vInitGroups();
    // 9.
    T_NAV_TWR_vTemporarilyDisableScanForDuplicates(0);
    T_NAV_TWR_vTemporarilyDisableDeclutterWaypointsScan(0);
    L_MUTEX_Unlock(RES_NAV_DATA);
}
