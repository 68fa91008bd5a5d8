// Store iterators, the newest route from a waypoint, and the synced group
// buffer with its CRC-32 fingerprints (checked against Python's zlib).
#include "nav/data/t_nav_twr_scan.h"
#include "nav/data/t_nav_twr_sync.h"

#include "nav/data/t_nav_data.h"
#include "nav/tests/nav_tables_util.h"
#include "testing/t_proc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<U8>;

class StoreWalks : public navr::TableStore {};

TRACK_HEADER header(POINT lowerLeft, POINT upperRight)
{
    TRACK_HEADER h{};
    h.u16Count = 5;
    h.ptFirst = h.ptLowerLeft = lowerLeft;
    h.ptLast = h.ptUpperRight = upperRight;
    return h;
}

TEST_F(StoreWalks, VisibleTracksNearTheCentreAcrossTheAntimeridian)
{
    const POINT centre = {20038000, 1000};
    *T_NAV_pGetTrackHeader(2) = header({20037900, 900}, {20038100, 1100}); // close, but hidden
    T_NAV_vSetTrackVisibility(2, FALSE);
    *T_NAV_pGetTrackHeader(3) = header({-20038200, 500}, {-20038100, 1500}); // over the meridian
    *T_NAV_pGetTrackHeader(4) = header({0, 0}, {10, 10});                   // far away
    S32 index = -1;
    TRACK_HEADER* out = nullptr;
    ASSERT_TRUE(T_NAV_bScanVisibleTracks(&centre, 1000, &index, &out));
    EXPECT_EQ(index, 3);
    EXPECT_EQ(out, T_NAV_pGetTrackHeader(3));
    EXPECT_FALSE(T_NAV_bScanVisibleTracks(&centre, 1000, &index, &out));
    EXPECT_EQ(index, 50);
    // Just outside the limit the meridian track is not near.
    index = -1;
    EXPECT_FALSE(T_NAV_bScanVisibleTracks(&centre, 399, &index, &out));
}

TEST_F(StoreWalks, WaypointScanWalksUsedMarksAndEndsWithoutPeers)
{
    WAYPOINT w{};
    w.u8Status = WP_STATUS_PERMANENT;
    place({{0, w}, {4, w}});
    S32 index = 0xFFFF;
    WAYPOINT* out = nullptr;
    EXPECT_FALSE(T_NAV_bScanWaypoints(&index, &out, TRUE));
    std::vector<S32> seen;
    index = 0xFFFF;
    while (T_NAV_bScanWaypoints(&index, &out, FALSE)) {
        EXPECT_EQ(out, T_NAV_pGetWaypoint((U32)index));
        seen.push_back(index);
    }
    EXPECT_EQ(seen, (std::vector<S32>{0, 1, 2, 3, 4}));

    index = -1;
    ROUTE* r = nullptr;
    int routes = 0;
    while (T_NAV_bScanRoutes(&index, &r))
        ++routes;
    EXPECT_EQ(routes, 50);
}

TEST_F(StoreWalks, TheNewestUnhiddenRouteFromAWaypointNamesIt)
{
    struct Case {
        const char* name;
        std::vector<std::pair<U32, ROUTE>> routes;
        S32 id;
        S32 expected;
    } cases[] = {
        {"newer wins", {{1, navr::route({7, 8}, false, 100, "OLD")}, {2, navr::route({7, 9}, false, 200, "NEW")}}, 7, 2},
        {"equal: lower slot", {{5, navr::route({7}, false, 200, "A")}, {6, navr::route({7}, false, 200, "B")}}, 7, 5},
        {"hidden never", {{1, navr::route({7}, false, 100, "A")}, {2, [] {
                              ROUTE r = navr::route({7}, false, 900, "H");
                              r.bHide = 1;
                              return r;
                          }()}},
         7,
         1},
        {"not a first point", {{1, navr::route({8, 7}, false, 100, "A")}}, 7, -1},
        {"no id", {{1, navr::route({0xFFFF}, false, 100, "A")}}, 0xFFFF, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        T_NAV_TWR_vClearRoutes();
        for (const auto& [slot, r] : c.routes)
            *T_NAV_pGetRoute(slot) = r;
        EXPECT_EQ(T_NAV_TWR_s32GetIndexOfLastRouteStartingAt(c.id), c.expected);
        char name[ROUTE_NAME_CHARS];
        EXPECT_EQ(T_NAV_TWR_bGetNameOfLastRouteStartingAt((U32)c.id, name) != FALSE, c.expected >= 0);
        if (c.expected >= 0) {
            EXPECT_EQ(memcmp(name, T_NAV_pGetRoute((U32)c.expected)->sName, ROUTE_NAME_CHARS), 0);
        }
    }
}

// Synced group data ---------------------------------------------------------------

class SyncedData : public navr::TableStore {
protected:
    // Three shared waypoints, a group header among the slots, two shared
    // routes.
    void fill()
    {
        for (int i = 0; i < 3; ++i) {
            WAYPOINT w{};
            w.u8Status = WP_STATUS_PERMANENT;
            w.u8Icon = (U8)(3 + i);
            w.u16Depth = (U16)(100 * i);
            w.u32DateTime = 0x01020304u + (U32)i;
            w.pt = {-1000 * i, 2000 * i};
            navt::setName(w.sName, ("SYNC" + std::to_string(i)).c_str());
            ASSERT_EQ(T_NAV_u16WaypointAdd(&w, TRUE, FALSE), i);
        }
        const ROUTE r0 = navr::route({0, 1}, false, 77, "R0"), r1 = navr::route({2}, false, 78, "R1");
        ASSERT_EQ(T_NAV_u16RouteAdd(&r0), 0);
        ASSERT_EQ(T_NAV_u16RouteAdd(&r1), 1);
        T_NAV_TWR_vStatisticWaypointStore(TRUE);
        T_NAV_TWR_vStatisticRouteStore(TRUE);
    }
    Bytes buffer()
    {
        Bytes b(T_NAV_u32GetGroupNavDataBytes());
        U8* end = T_NAV_pBufferSendSyncedGroupNavDataBack(b.data());
        EXPECT_EQ(end, b.data() + b.size());
        return b;
    }
    static U32 be32(const U8* p) { return (U32)p[0] << 24 | (U32)p[1] << 16 | (U32)p[2] << 8 | p[3]; }
    static U16 be16(const U8* p) { return (U16)(p[0] << 8 | p[1]); }
};

TEST_F(SyncedData, NoSharedItemGivesTwelveBytesAndCrcZero)
{
    T_NAV_TWR_vStatisticWaypointStore(TRUE);
    T_NAV_TWR_vStatisticRouteStore(TRUE);
    const Bytes b = buffer();
    EXPECT_EQ(b, Bytes(12, 0));
    EXPECT_EQ(T_NAV_u32HashAllSharedNavData(), 0u);
}

TEST_F(SyncedData, TheBuffersHashIsItsHeaderAndZlibsCrc32)
{
    fill();
    const Bytes b = buffer();
    ASSERT_EQ(b.size(), 12u + 3 * 28 + 2 * 128);
    EXPECT_EQ(be16(&b[4]), 3);
    EXPECT_EQ(be16(&b[6]), 2);
    EXPECT_EQ(be32(&b[8]), 0u);
    // Slot 1 in its big-endian form: date-time at 4, y at 12.
    EXPECT_EQ(be32(&b[12 + 28 + 4]), 0x01020305u);
    EXPECT_EQ((S32)be32(&b[12 + 28 + 12]), 2000);
    // Route 0: count word first.
    EXPECT_EQ(be32(&b[12 + 3 * 28]), 2u);

    const U32 crc = be32(&b[0]);
    EXPECT_NE(crc, 0u);
    EXPECT_EQ(T_NAV_u32HashAllSharedNavDataInBuffer(b.data() + 12), crc);
    EXPECT_EQ(T_NAV_u32HashAllSharedNavData(), crc);

    const std::string path = cwd + "/sync.bin";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), (std::streamsize)b.size());
    vt::ProcResult r = vt::runProcess({"/usr/bin/python3", "-c",
                                       "import sys, zlib; print(zlib.crc32(open(sys.argv[1], 'rb').read()[12:]))",
                                       path});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::stoul(r.out), crc);

    // The whole-table hash covers every slot and route: a change past the
    // shared part moves it, not the shared hash.
    const U32 all = T_NAV_u32HashAllNavData();
    T_NAV_pGetRoute(40)->u32DateTime = 5;
    EXPECT_NE(T_NAV_u32HashAllNavData(), all);
    EXPECT_EQ(T_NAV_u32HashAllSharedNavData(), crc);
}

TEST_F(SyncedData, ReceivingFewerItemsClearsTheSurplusSharedSlotsAndFiles)
{
    fill();
    Bytes b = buffer();
    // Another unit's slot 0 with a new name, and no route at all.
    b[12 + 16] = 'X';
    T_NAV_vStoreAllSyncedGroupNavDataReceived(b.data() + 12, 1, nullptr, 0);
    EXPECT_EQ(T_NAV_pGetWaypoint(0)->sName[0], 'X');
    EXPECT_EQ(T_NAV_pGetWaypoint(0)->u32DateTime, 0x01020304u);
    EXPECT_EQ(fileRecord(0).sName[0], 'X');
    for (U32 s : {1u, 2u}) {
        EXPECT_EQ(T_NAV_pGetWaypoint(s)->u8Status, WP_STATUS_FREE) << s;
        EXPECT_FALSE(fileExists(s)) << s;
    }
    for (U32 r : {0u, 1u}) {
        EXPECT_EQ(T_NAV_pGetRoute(r)->u32DateTime, 0u) << r;
        EXPECT_EQ(T_NAV_pGetOldRoute(r)->u32DateTime, 0u) << r;
        EXPECT_FALSE(hasFile("routes/" + std::to_string(r))) << r;
    }
}

TEST_F(SyncedData, ReceivedCountsPastTheTablesChangeNothing)
{
    fill();
    Bytes b = buffer();
    navt::LogCapture log;
    T_NAV_vStoreAllSyncedGroupNavDataReceived(b.data() + 12, 3001, nullptr, 0);
    b[12 + 3 * 28 + 3] = 51; // route 0 of 51 points
    T_NAV_vStoreAllSyncedGroupNavDataReceived(b.data() + 12, 3, b.data() + 12 + 3 * 28, 2);
    EXPECT_EQ(T_NAV_pGetWaypoint(2)->u8Status, WP_STATUS_PERMANENT);
    EXPECT_EQ(T_NAV_pGetRoute(0)->nCount, 2u);
    EXPECT_EQ(log.count({"Synced navigation data refused"}), 2);
}

TEST_F(SyncedData, ReplacingUpToTheLowestLockedIndexIsRefused)
{
    fill();
    WAYPOINT locked{};
    locked.u8Status = WP_STATUS_PERMANENT;
    locked.bWpNotShared = 1;
    navt::setName(locked.sName, "LOCKED");
    const U16 lockedSlot = T_NAV_u16WaypointAdd(&locked, TRUE, FALSE);
    ASSERT_NE(lockedSlot, NAV_ID_NONE);
    T_NAV_TWR_vStatisticWaypointStore(TRUE);
    const S16 minLock = T_NAV_s16GetMinLockWaypointIndex();
    ASSERT_EQ(minLock, (S16)lockedSlot);

    T_NAV_vInitializeNavDataBuffer();
    NAV_DATA_SPACE* space = T_NAV_nGetSelectNavDataSpace();
    for (U32 i = 0; i < 2; ++i) {
        space->pWaypoint[i].u8Status = WP_STATUS_PERMANENT;
        navt::setName(space->pWaypoint[i].sName, "FROM SPACE");
    }
    space->u16WaypointCount = (U16)minLock;
    space->u16RouteCount = 0;
    const U32 hash = T_NAV_u32HashAllNavData();
    EXPECT_FALSE(T_NAV_bReplaceSharedNavDataSpace(space));
    EXPECT_EQ(T_NAV_u32HashAllNavData(), hash);
    EXPECT_FALSE(T_NAV_bReplaceSharedNavDataSpace(nullptr));

    space->u16WaypointCount = 2;
    EXPECT_TRUE(T_NAV_bReplaceSharedNavDataSpace(space));
    EXPECT_STREQ(T_NAV_pGetWaypoint(1)->sName, "FROM SPACE");
    EXPECT_STREQ(fileRecord(1).sName, "FROM SPACE");
    EXPECT_EQ(T_NAV_s16GetMaxShareWaypointIndex(), 1);
    EXPECT_EQ(T_NAV_s16GetMaxShareRouteIndex(), 0); // the space has no routes
    T_NAV_vFreeNavDataBuffer();
}

} // namespace
