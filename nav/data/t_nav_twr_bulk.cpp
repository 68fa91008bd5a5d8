// The store's bulk operations.
//
// Delete-all runs the per-item deleters of each table, so that every
// removal takes the same point-of-sale rule, then empties the own bank in
// one step and removes the waypoint folder's files one by one. The
// data-store keys that name an own waypoint are read first and let go only
// after the mutex is released, since their hooks reach into navigation
// control and menus.
#include "nav/data/t_nav_twr_bulk.h"

#include "kernel/h_memory.h"
#include "kernel/l_mutex.h"
#include "kernel/linux_fs.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_network.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_track.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"
#include "trolling/u_stevrin_standin.h"

#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr U16 NONE = NAV_ID_NONE;

constexpr FOURCHARID KEY_CURSOR_WAYPOINT = FCID("ICWP");
constexpr FOURCHARID KEY_LAST_WAYPOINT = FCID("CLWC");
constexpr FOURCHARID KEY_TARGET_WAYPOINT = FCID("ITWP");
constexpr FOURCHARID KEY_GRID_WAYPOINT = FCID("IGWP");
constexpr FOURCHARID KEY_BACK_TRACK_COUNTER = FCID("SIID");
constexpr FOURCHARID KEY_WAYPOINT_COUNTER = FCID("SWID");

} // namespace

// Statics -------------------------------------------------------------------

namespace {

// Holds the navigation-data mutex and a bulk scope of the file layer.
class BulkLock {
public:
    BulkLock()
    {
        L_MUTEX_LockWait(RES_NAV_DATA);
        FS_vBeginBulk();
    }
    ~BulkLock() { vRelease(); }
    void vRelease()
    {
        if (m_bReleased)
            return;
        m_bReleased = true;
        FS_vEndBulk();
        L_MUTEX_Unlock(RES_NAV_DATA);
    }
    BulkLock(const BulkLock&) = delete;
    BulkLock& operator=(const BulkLock&) = delete;

private:
    bool m_bReleased = false;
};

BOOLEAN s_bWaypointsRoutesBackuped = FALSE;
WAYPOINT* s_pWaypointsBackup = nullptr;
ROUTE* s_pRoutesBackup = nullptr;
U16 s_cntWaypointsBackup = 0;
U16 s_cntRoutesBackup = 0;

// Whether the key names a used own slot, which delete-all is about to free.
bool bNamesOwnWaypoint(FOURCHARID key)
{
    U32 id = NONE;
    if (!H_DATABASE_bFetchU32(key, &id, nullptr, nullptr) || id >= NAV_WAYPOINT_SLOTS)
        return false;
    return T_NAV_pGetWaypoint(id)->u8Status != WP_STATUS_FREE;
}

void vResetCounter(FOURCHARID key)
{
    H_DATABASE_bUpdateEverythingS32(key, 0, P_NORMAL, D_UNKNOWN, nullptr, 0);
}

// Both scans on, both tables rebuilt from what the table now holds.
void vScansBackOn(void)
{
    T_NAV_TWR_vTemporarilyDisableScanForDuplicates(FALSE);
    T_NAV_TWR_vTemporarilyDisableDeclutterWaypointsScan(FALSE);
    T_NAV_TWR_vInitialScan();
}

// Temporary waypoints live in memory only; a free slot has nothing to keep.
void vWriteWaypointFile(U32 slot)
{
    const WAYPOINT* w = T_NAV_TWR_pGetNetworkWaypoint(slot, 0);
    if (w->u8Status != WP_STATUS_FREE && w->u8Status != WP_STATUS_TEMPORARY)
        T_NAV_NVRAM_vSaveWaypoint(w, (U16)slot, FALSE);
    else
        T_NAV_NVRAM_vDeleteWaypoint((U16)slot, FALSE);
}

void vFreeBackup(void)
{
    if (s_pWaypointsBackup != nullptr)
        H_MEMORY_vFree(s_pWaypointsBackup);
    if (s_pRoutesBackup != nullptr)
        H_MEMORY_vFree(s_pRoutesBackup);
    s_pWaypointsBackup = nullptr;
    s_pRoutesBackup = nullptr;
    s_cntWaypointsBackup = 0;
    s_cntRoutesBackup = 0;
    s_bWaypointsRoutesBackuped = FALSE;
}

} // namespace

// Delete-all -------------------------------------------------------------------------

void T_NAV_vDeleteAllTracksWaypointsRoutes(BOOLEAN bOverridePointOfSale)
{
    const T_NAV_TWR_HOOKS* hooks = T_NAV_TWR_pGetHooks();
    BulkLock lock;
    T_NAV_TWR_vSetMultiWaypointFlag(TRUE);

    for (U32 s = 0; s < NAV_TRACK_SLOTS; ++s)
        T_NAV_vDeleteTrack(s, bOverridePointOfSale);
    for (U32 s = 0; s < NAV_RUMBREL_SLOTS; ++s)
        T_NAV_bDeleteRumbrel(s, bOverridePointOfSale);
    U_STEVRIN_vDeleteAllTWR();
    vResetCounter(KEY_BACK_TRACK_COUNTER);
    for (U32 s = 0; s < NAV_ROUTE_SLOTS; ++s)
        T_NAV_TWR_vEraseRoute(s, bOverridePointOfSale);

    T_NAV_TWR_vTemporarilyDisableDeclutterWaypointsScan(TRUE);
    T_NAV_TWR_vTemporarilyDisableScanForDuplicates(TRUE);
    const bool cursor = bNamesOwnWaypoint(KEY_CURSOR_WAYPOINT);
    const bool last = bNamesOwnWaypoint(KEY_LAST_WAYPOINT);
    const bool target = bNamesOwnWaypoint(KEY_TARGET_WAYPOINT);
    const bool grid = bNamesOwnWaypoint(KEY_GRID_WAYPOINT);
    T_NAV_TWR_vFreeOwnBank(bOverridePointOfSale);
    vResetCounter(KEY_WAYPOINT_COUNTER);

    hooks->pfnBuildRootGroup();
    if (!hooks->pfnKeepInputStateMode())
        hooks->pfnRefreshDirectory();
    T_NAV_TWR_vStatisticWaypointStore(TRUE);
    T_NAV_TWR_vStatisticRouteStore(TRUE);
    T_NAV_TWR_vSetMultiWaypointFlag(FALSE);
    T_NAV_NETWORK_vMultiWaypointTransfer();
    T_NAV_NETWORK_vDeleteWaypoint(0, (U16)NAV_WAYPOINT_SLOTS, 0);
    vScansBackOn();
    lock.vRelease();

    if (cursor)
        hooks->pfnUpdateCursorWaypoint(NONE);
    if (last)
        hooks->pfnUnregisterLastWaypointMenu();
    if (target)
        hooks->pfnRemoveTarget();
    if (grid)
        hooks->pfnRemoveGrid();
    hooks->pfnUpdateCursorToWaypointMenu();
    hooks->pfnUnregisterLastSavedRouteMenu();
}

void T_NAV_vDeleteAllTracksWaypointsRoutesForKeepDataOnNetwork(BOOLEAN bOverridePointOfSale)
{
    BulkLock lock;
    for (U32 s = 0; s < NAV_TRACK_SLOTS; ++s)
        T_NAV_vDeleteTrack(s, bOverridePointOfSale);
    for (U32 s = 0; s < NAV_ROUTE_SLOTS; ++s)
        T_NAV_bDeleteRoute(s, bOverridePointOfSale);
    for (U32 s = 0; s < NAV_WAYPOINT_SLOTS; ++s)
        T_NAV_NVRAM_vDeleteWaypoint((U16)s, bOverridePointOfSale);
    vResetCounter(KEY_WAYPOINT_COUNTER);
    vScansBackOn();
}

// Backup and restore ---------------------------------------------------------------------

BOOLEAN T_NAV_bBackupAllWaypointsRoutes(void)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    BOOLEAN ok = FALSE;
    if (!s_bWaypointsRoutesBackuped) {
        S32 nWaypoints = T_NAV_s16GetMaxShareWaypointIndex() + 1;
        S32 nRoutes = T_NAV_s16GetMaxShareRouteIndex() + 1;
        nWaypoints = nWaypoints < 0 ? 0 : nWaypoints > (S32)NAV_WAYPOINT_SLOTS ? (S32)NAV_WAYPOINT_SLOTS : nWaypoints;
        nRoutes = nRoutes < 0 ? 0 : nRoutes > (S32)NAV_ROUTE_SLOTS ? (S32)NAV_ROUTE_SLOTS : nRoutes;
        // At least one record each, so that an empty part is a backup too.
        s_pWaypointsBackup = static_cast<WAYPOINT*>(
            H_MEMORY_pvMallocNoWait((U32)((nWaypoints > 0 ? nWaypoints : 1) * sizeof(WAYPOINT))));
        s_pRoutesBackup =
            static_cast<ROUTE*>(H_MEMORY_pvMallocNoWait((U32)((nRoutes > 0 ? nRoutes : 1) * sizeof(ROUTE))));
        if (s_pWaypointsBackup == nullptr || s_pRoutesBackup == nullptr) {
            log_me("Navigation backup: no memory for %d waypoints and %d routes", (int)nWaypoints, (int)nRoutes);
            vFreeBackup();
        } else {
            for (S32 i = 0; i < nWaypoints; ++i)
                s_pWaypointsBackup[i] = *T_NAV_TWR_pGetNetworkWaypoint((U32)i, 0);
            for (S32 i = 0; i < nRoutes; ++i)
                s_pRoutesBackup[i] = *T_NAV_pGetRoute((U32)i);
            s_cntWaypointsBackup = (U16)nWaypoints;
            s_cntRoutesBackup = (U16)nRoutes;
            s_bWaypointsRoutesBackuped = TRUE;
            ok = TRUE;
        }
    }
    L_MUTEX_Unlock(RES_NAV_DATA);
    return ok;
}

BOOLEAN T_NAV_bRestoreAllWaypointsRoutes(void)
{
    BulkLock lock;
    if (!s_bWaypointsRoutesBackuped)
        return FALSE;
    // The peers get the restored part as one edit, and the derived tables
    // are rebuilt once, when the flag is cleared.
    T_NAV_TWR_vSetMultiWaypointFlag(TRUE);
    const S32 maxShareWaypoint = T_NAV_s16GetMaxShareWaypointIndex();
    for (U32 i = 0; i < s_cntWaypointsBackup; ++i) {
        *T_NAV_TWR_pGetNetworkWaypoint(i, 0) = s_pWaypointsBackup[i];
        vWriteWaypointFile(i);
    }
    for (S32 i = s_cntWaypointsBackup; i <= maxShareWaypoint && i < (S32)NAV_WAYPOINT_SLOTS; ++i) {
        memset(T_NAV_TWR_pGetNetworkWaypoint((U32)i, 0), 0, sizeof(WAYPOINT));
        T_NAV_NVRAM_vDeleteWaypoint((U16)i, FALSE);
    }
    // Counts, hashes and the highest-used mark from what the bank now holds.
    T_NAV_TWR_vHashWaypoints();
    const S32 changed = maxShareWaypoint + 1 > s_cntWaypointsBackup ? maxShareWaypoint + 1 : s_cntWaypointsBackup;
    if (changed > 0)
        T_NAV_NETWORK_vEditWaypoint(0, (U16)changed, T_NAV_TWR_pGetNetworkWaypoint(0, 0), 0);

    const S32 maxShareRoute = T_NAV_s16GetMaxShareRouteIndex();
    for (U32 i = 0; i < s_cntRoutesBackup; ++i)
        T_NAV_vRouteStore(i, &s_pRoutesBackup[i], FALSE, FALSE);
    for (S32 i = s_cntRoutesBackup; i <= maxShareRoute && i < (S32)NAV_ROUTE_SLOTS; ++i)
        T_NAV_TWR_vEraseRoute((U32)i, FALSE);

    T_NAV_TWR_vStatisticWaypointStore(TRUE);
    T_NAV_TWR_vStatisticRouteStore(TRUE);
    vFreeBackup();
    T_NAV_TWR_vSetMultiWaypointFlag(FALSE);
    return TRUE;
}

void T_NAV_vSolidStoreAllWaypointsRoutes(void)
{
    BulkLock lock;
    for (U32 i = 0; i < NAV_WAYPOINT_SLOTS; ++i)
        vWriteWaypointFile(i);
    for (U32 i = 0; i < NAV_ROUTE_SLOTS; ++i)
        T_NAV_TWR_vWriteRouteFile(i, FALSE);
}
