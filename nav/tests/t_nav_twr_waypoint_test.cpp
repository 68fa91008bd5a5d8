// The waypoint table: where additions land around the separator, what an
// overwrite, a deletion and a temporary waypoint do, the per-slot hash and
// the search by it, local copies of peer waypoints, and compaction, whose
// moves every holder of a moved id must follow.
#include "nav/tests/nav_waypoint_util.h"

#include "testing/t_proc.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

namespace {

using namespace navw;

// A shared waypoint in slot 1 and the root group's locked body in slot 2999
// put the separator at 1500.
void anchorSeparatorAt1500()
{
    slot(0, 1) = wp(WP_STATUS_PERMANENT, 10, 10, "ANCHOR");
    WAYPOINT body{};
    body.u8Status = WP_STATUS_GROUP_BODY;
    body.bWpNotShared = 1;
    slot(0, 2999) = body;
    T_NAV_TWR_vStatisticWaypointStore(TRUE);
}

TEST_F(WaypointStore, AtSeparator1500EachKindOfWaypointLandsOnlyInItsOwnRange)
{
    struct Case {
        U32 freeSlot; // the only free slot
        U8 status;
        bool locked;
        bool lands;
    };
    const Case cases[] = {
        {0, WP_STATUS_PERMANENT, false, true},      {1493, WP_STATUS_PERMANENT, false, true},
        {1494, WP_STATUS_PERMANENT, false, false},  {1500, WP_STATUS_PERMANENT, false, false},
        {1507, WP_STATUS_PERMANENT, false, false},  {1493, WP_STATUS_TEMPORARY, false, true},
        {1494, WP_STATUS_TEMPORARY, false, false},  {1506, WP_STATUS_PERMANENT, true, false},
        {1507, WP_STATUS_PERMANENT, true, true},    {2998, WP_STATUS_PERMANENT, true, true},
        {1493, WP_STATUS_PERMANENT, true, false},   {1499, WP_STATUS_MOB, false, true},
        {1500, WP_STATUS_MOB, false, false},        {0, WP_STATUS_MOB, false, true},
        {1500, WP_STATUS_MOB, true, false},         {1501, WP_STATUS_MOB, true, true},
        {2998, WP_STATUS_MOB, true, true},          {1499, WP_STATUS_MOB, true, false},
    };
    for (const Case& c : cases) {
        T_NAV_TWR_vClearTables();
        anchorSeparatorAt1500();
        ASSERT_EQ(T_NAV_TWR_nGetShareLockSeparator(), 1500);
        for (U32 s = 0; s < 2999; ++s)
            if (s != c.freeSlot && s != 1)
                slot(0, s) = wp(WP_STATUS_PERMANENT, (S32)s, 0, "FILL", s >= 1500);
        T_NAV_TWR_vHashWaypoints();

        const U16 id = add(wp(c.status, 5, 5, "NEW", c.locked));
        EXPECT_EQ(id, c.lands ? c.freeSlot : NONE)
            << "free slot " << c.freeSlot << ", status " << (int)c.status << (c.locked ? " locked" : " shared");
    }
}

TEST_F(WaypointStore, AFullSharedPartFailsALockedAddTooWhileAManOverboardStillFits)
{
    // Shared 0-1494, locked 1506 and 2998: 12 slots apart, so compaction
    // moves nothing and puts the separator at 1500, six from each part.
    std::vector<std::pair<U32, WAYPOINT>> records;
    for (U32 s = 0; s <= 1494; ++s)
        records.push_back({s, wp(WP_STATUS_PERMANENT, (S32)s, 0, "S")});
    records.push_back({1506, wp(WP_STATUS_PERMANENT, 1506, 0, "L", true)});
    records.push_back({2998, wp(WP_STATUS_PERMANENT, 2998, 0, "L", true)});
    place(records);
    T_NAV_TWR_vStatisticWaypointStore(FALSE);
    ASSERT_EQ(T_NAV_TWR_nGetShareLockSeparator(), 1500);

    EXPECT_EQ(add(wp(WP_STATUS_PERMANENT, 1, 1, "L NEW", true)), NONE);
    EXPECT_EQ(add(wp(WP_STATUS_PERMANENT, 1, 1, "S NEW")), NONE);
    EXPECT_EQ(add(wp(WP_STATUS_MOB, 1, 1, "MOB")), 1495);
}

TEST_F(WaypointStore, ARecordThatIsNoWaypointIsRefusedAndChangesNothing)
{
    share();
    for (U8 status : {WP_STATUS_FREE, (U8)4, WP_STATUS_GROUP_HEADER, WP_STATUS_GROUP_BODY, WP_STATUS_GROUP_WRITING}) {
        EXPECT_EQ(add(wp(status, 5, 5, "X")), NONE) << (int)status;
    }
    EXPECT_FALSE(T_NAV_bWaypointsExist());
    EXPECT_EQ(T_NAV_TWR_nGetMaxUsedWaypointIndex(0), 0);
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(std::filesystem::is_empty(at("wpts")));
}

TEST_F(WaypointStore, AnAddedWaypointIsStoredWrittenSentHashedAndGetsANameAndDate)
{
    share();
    T_NAV_TWR_vStatisticWaypointStore(FALSE);
    WAYPOINT w = wp(WP_STATUS_PERMANENT, 100, 200, "", false, 0);
    const U16 id = T_NAV_u16WaypointAdd(&w, FALSE, FALSE);
    ASSERT_EQ(id, 0);
    EXPECT_EQ(std::string(slot(0, 0).sName), "WP001");
    EXPECT_EQ(slot(0, 0).u32DateTime, 777000u);
    EXPECT_EQ(getU32(FCID("SWID")), 1u);
    EXPECT_TRUE(navt::sameWaypoint(fileRecord(0), slot(0, 0)));
    EXPECT_EQ(T_NAV_TWR_pu16GetWaypointsHash()[0], T_NAV_TWR_u16HashWaypoint(&slot(0, 0)));
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(sent()[0].op, NAV_NETWORK_OP_ADD);
    EXPECT_EQ(sent()[0].address, 0u);
    EXPECT_EQ(sent()[0].index, 0);
    EXPECT_TRUE(navt::sameWaypoint(sent()[0].records.at(0), slot(0, 0)));
    EXPECT_EQ(getU32(FCID("CLWC")), 0xDEADBEEF) << "published only while asked";

    // An import keeps the empty name; a temporary waypoint has no file; the
    // last-waypoint key follows additions while asked.
    T_NAV_TWR_vTemporarilyEnableCLWCUpdateForAllModels(TRUE);
    EXPECT_EQ(T_NAV_u16WaypointAdd(&w, TRUE, FALSE), 1);
    EXPECT_EQ(slot(0, 1).sName[0], '\0');
    EXPECT_EQ(getU32(FCID("CLWC")), 1u);
    EXPECT_EQ(add(wp(WP_STATUS_TEMPORARY, 1, 2, "T")), 2);
    EXPECT_FALSE(fileExists(2));
    EXPECT_EQ(getU32(FCID("CLWC")), 1u);
}

TEST_F(WaypointStore, AnOverwriteStoresAPermanentWaypointUnlessItIsAManOverboard)
{
    share();
    struct Case {
        U8 status;
        U8 stored;
    };
    for (const Case c : {Case{WP_STATUS_TEMPORARY, WP_STATUS_PERMANENT}, Case{WP_STATUS_MOB, WP_STATUS_MOB},
                         Case{WP_STATUS_FREE, WP_STATUS_PERMANENT}, Case{WP_STATUS_GROUP_BODY, WP_STATUS_PERMANENT}}) {
        sent().clear();
        WAYPOINT w = wp(c.status, 9, 9, "OVER", true);
        w.bHide = 1;
        T_NAV_vSaveWaypoint(5, &w, FALSE, FALSE);
        EXPECT_EQ(slot(0, 5).u8Status, c.stored) << (int)c.status;
        EXPECT_EQ(slot(0, 5).bHide, 1);
        EXPECT_EQ(slot(0, 5).bWpNotShared, 1);
        EXPECT_EQ(fileRecord(5).u8Status, c.stored);
        ASSERT_EQ(sent().size(), 1u);
        EXPECT_EQ(sent()[0].op, NAV_NETWORK_OP_EDIT);
        EXPECT_EQ(T_NAV_TWR_u16FindWaypoint(&slot(0, 5)), 5);
    }
    EXPECT_EQ(T_NAV_TWR_nGetMaxUsedWaypointIndex(0), 6);
    // Peer ids and ids past the table are not overwritten.
    const WAYPOINT p = wp(WP_STATUS_PERMANENT, 1, 1, "P");
    T_NAV_vSaveWaypoint(0x1005, &p, FALSE, FALSE);
    T_NAV_vSaveWaypoint(3000, &p, FALSE, FALSE);
    EXPECT_EQ(slot(1, 5).u8Status, WP_STATUS_FREE);
}

TEST_F(WaypointStore, DeletingATemporaryWaypointFreesItButAnswersFalse)
{
    share();
    T_NAV_TWR_vStatisticWaypointStore(FALSE);
    const U16 temp = add(wp(WP_STATUS_TEMPORARY, 1, 1, "T"));
    const U16 kept = add(wp(WP_STATUS_PERMANENT, 2, 2, "K"));
    ASSERT_TRUE(fileExists(kept));
    sent().clear();

    EXPECT_FALSE(T_NAV_bDeleteWaypoint(temp, FALSE));
    EXPECT_EQ(slot(0, temp).u8Status, WP_STATUS_FREE);
    EXPECT_TRUE(T_NAV_bDeleteWaypoint(kept, FALSE));
    EXPECT_EQ(slot(0, kept).u8Status, WP_STATUS_FREE);
    EXPECT_FALSE(fileExists(kept));
    EXPECT_EQ(T_NAV_TWR_pu16GetWaypointsHash()[kept], 0);
    EXPECT_FALSE(T_NAV_bDeleteWaypoint(kept, FALSE)) << "a free slot";
    ASSERT_EQ(sent().size(), 2u);
    EXPECT_EQ(sent()[1].op, NAV_NETWORK_OP_DELETE);
    EXPECT_EQ(sent()[1].index, kept);
    EXPECT_FALSE(T_NAV_bWaypointsExist());
}

TEST_F(WaypointStore, TheSearchByHashFindsOnlyARecordWithTheSameStatusAndFlagBits)
{
    T_NAV_TWR_vStatisticWaypointStore(FALSE);
    const WAYPOINT w = wp(WP_STATUS_PERMANENT, 1000, -2000, "SAME");
    const U16 id = T_NAV_u16WaypointAdd(&w, FALSE, FALSE);
    EXPECT_EQ(T_NAV_TWR_u16FindWaypoint(&w), id);

    WAYPOINT hidden = w;
    hidden.bHide = 1;
    WAYPOINT mob = w;
    mob.u8Status = WP_STATUS_MOB;
    WAYPOINT renamed = w;
    renamed.sName[11] = 'X';
    for (const WAYPOINT* other : {&hidden, &mob, &renamed})
        EXPECT_EQ(T_NAV_TWR_u16FindWaypoint(other), NONE);

    T_NAV_bDeleteWaypoint(id, FALSE);
    EXPECT_EQ(T_NAV_TWR_u16FindWaypoint(&w), NONE);
}

// The hash is the CRC register over the 28 bytes with nothing appended: the
// XMODEM CRC of the first 26 bytes with the last two bytes (high first)
// XORed in. Python's crcmod gives the reference.
TEST_F(WaypointStore, TheHashOfARecordIsTheCrc16OfItsBytesAsCrcmodComputesIt)
{
    std::vector<WAYPOINT> records = {wp(WP_STATUS_PERMANENT, 0, 0, ""), navt::referenceWaypoint12(),
                                     navt::referenceWaypoint2999(), wp(WP_STATUS_TEMPORARY, -5, 7, "ABCDEFGHIJKL")};
    records[3].bHide = 1;
    std::ostringstream hex;
    for (const WAYPOINT& w : records) {
        U8 bytes[WAYPOINT_BYTES];
        T_NAV_RECORD_vEncodeWaypoint(&w, bytes);
        for (U8 b : bytes) {
            char h[3];
            snprintf(h, sizeof h, "%02x", b);
            hex << h;
        }
        hex << ' ';
    }
    const std::string script = "import sys, crcmod.predefined\n"
                               "x = crcmod.predefined.mkCrcFun('xmodem')\n"
                               "for h in sys.argv[1].split():\n"
                               "    b = bytes.fromhex(h)\n"
                               "    print(x(b[:26]) ^ int.from_bytes(b[26:], 'big'))\n";
    vt::ProcResult r = vt::runProcess({"/usr/bin/python3", "-c", script, hex.str()});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    for (const WAYPOINT& w : records) {
        unsigned expected = 0;
        ASSERT_TRUE(lines >> expected);
        EXPECT_EQ(T_NAV_TWR_u16HashWaypoint(&w), expected);
    }
}

TEST_F(WaypointStore, ALocalCopyOfAPeerWaypointReusesAnIdenticalOneOrAddsOne)
{
    T_NAV_TWR_vStatisticWaypointStore(FALSE);
    const U16 own = add(wp(WP_STATUS_PERMANENT, 50, 60, "OWN"));
    EXPECT_EQ(T_NAV_TWR_u16CopyLocal(own), own);
    EXPECT_EQ(T_NAV_TWR_nGetMaxUsedWaypointIndex(0), own + 1) << "nothing added";

    const S32 twin = T_NAV_TWR_nAddNetworkWaypoint(0, &slot(0, own), 1);
    const S32 other = addPeerRecord(1, wp(WP_STATUS_PERMANENT, 70, 80, "PEER"), 1);
    ASSERT_EQ(twin, 0x1000);
    ASSERT_EQ(other, 0x1001);
    EXPECT_EQ(T_NAV_TWR_u16CopyLocal((U16)twin), own);
    EXPECT_EQ(T_NAV_TWR_u16MakeLocal((U16)twin), own);

    const U16 temp = T_NAV_TWR_u16MakeLocal((U16)other);
    ASSERT_NE(temp, NONE);
    EXPECT_EQ(slot(0, temp).u8Status, WP_STATUS_TEMPORARY);
    EXPECT_FALSE(fileExists(temp));
    const U16 copy = T_NAV_TWR_u16CopyLocal((U16)other);
    ASSERT_NE(copy, NONE);
    EXPECT_NE(copy, temp) << "a temporary copy is not the permanent one asked for";
    EXPECT_EQ(slot(0, copy).u8Status, WP_STATUS_PERMANENT);
    EXPECT_TRUE(fileExists(copy));
    EXPECT_EQ(T_NAV_TWR_u16CopyLocal(0x1002), NONE) << "an empty peer slot";
}

TEST_F(WaypointStore, DeletingAWaypointClearsEveryReferenceToIt)
{
    T_NAV_TWR_vStatisticWaypointStore(FALSE);
    const U16 a = add(wp(WP_STATUS_PERMANENT, 1, 1, "A"));
    const U16 b = add(wp(WP_STATUS_PERMANENT, 2, 2, "B"));
    for (FOURCHARID k : {FCID("ICWP"), FCID("CLWC"), FCID("ITWP"), FCID("IGWP")})
        setU32(k, a);

    T_NAV_TWR_HOOKS hooks = recordingHooks();
    T_NAV_TWR_vInstallHooks(&hooks);
    T_NAV_bDeleteWaypoint(b, FALSE);
    EXPECT_TRUE(calls().cursor.empty());
    EXPECT_EQ(calls().target, 0);
    EXPECT_EQ(calls().cursorToMenu, 1) << "every deletion brings the menu up to date";
    T_NAV_bDeleteWaypoint(a, FALSE);
    EXPECT_EQ(calls().cursor, std::vector<U16>{NONE});
    EXPECT_EQ(calls().lastWaypointMenu, 1);
    EXPECT_EQ(calls().target, 1);
    EXPECT_EQ(calls().grid, 0) << "the target is removed, not also the grid";

    // Without navigation control the store clears the keys itself.
    T_NAV_TWR_vInstallHooks(nullptr);
    const U16 c = add(wp(WP_STATUS_PERMANENT, 3, 3, "C"));
    setU32(FCID("ITWP"), NONE);
    setU32(FCID("ICWP"), c);
    setU32(FCID("IGWP"), c);
    T_NAV_bDeleteWaypoint(c, FALSE);
    EXPECT_EQ(getU32(FCID("ICWP")), NONE);
    EXPECT_EQ(getU32(FCID("IGWP")), NONE);
}

TEST_F(WaypointStore, ClearingATemporaryWaypointTellsThePeersAndReleasesItsCopy)
{
    share();
    T_NAV_TWR_vStatisticWaypointStore(FALSE);
    // A peer waypoint steered to gets a temporary own copy, which makes
    // the peer's record its duplicate.
    const S32 peer = addPeerRecord(0, wp(WP_STATUS_PERMANENT, 70, 80, "PEER"), 1);
    const U16 temp = T_NAV_TWR_u16MakeLocal((U16)peer);
    ASSERT_NE(temp, NONE);
    ASSERT_TRUE(T_NAV_TWR_bIsDuplicateWaypoint((U32)peer));
    sent().clear();

    EXPECT_FALSE(T_NAV_bClearTemporaryWaypoint(0x1000)) << "not temporary";
    EXPECT_TRUE(T_NAV_bClearTemporaryWaypoint(temp));
    EXPECT_EQ(slot(0, temp).u8Status, WP_STATUS_FREE);
    EXPECT_FALSE(T_NAV_TWR_bIsDuplicateWaypoint((U32)peer)) << "the peer's waypoint is drawn again";
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(sent()[0].op, NAV_NETWORK_OP_DELETE);
    EXPECT_EQ(sent()[0].index, temp);

    // Deleting one does the same and leaves the slot zeroed.
    const U16 temp2 = T_NAV_TWR_u16MakeLocal((U16)peer);
    EXPECT_TRUE(T_NAV_bDeleteTemporaryWaypoint(temp2));
    EXPECT_FALSE(T_NAV_bDeleteTemporaryWaypoint(temp2));
    EXPECT_FALSE(T_NAV_TWR_bIsDuplicateWaypoint((U32)peer));
    EXPECT_EQ(slot(0, temp2).sName[0], '\0');
}

TEST_F(WaypointStore, AWaypointFromTheTrollingMotorIsLinkedUnlessTemporary)
{
    T_NAV_TWR_HOOKS hooks = recordingHooks();
    T_NAV_TWR_vInstallHooks(&hooks);
    T_NAV_TWR_vStatisticWaypointStore(FALSE);
    const U16 kept = fromStevrin(wp(WP_STATUS_PERMANENT, 1, 1, "M"));
    fromStevrin(wp(WP_STATUS_TEMPORARY, 2, 2, "T"));
    fromStevrin(wp(WP_STATUS_GROUP_HEADER, 2, 2, "G"));
    EXPECT_EQ(calls().linked, std::vector<U16>{kept});
}

// Shared waypoints fill 0-1495 and locked ones start at 1502: seven slots
// apart, so compaction moves the lowest locked waypoints to the top until
// the parts are ten apart.
TEST_F(WaypointStore, CompactionPointsEveryHolderOfAMovedIdAtItsNewSlot)
{
    std::vector<std::pair<U32, WAYPOINT>> records;
    for (U32 s = 0; s <= 1495; ++s)
        records.push_back({s, wp(WP_STATUS_PERMANENT, (S32)s, 0, "S")});
    for (U32 s = 1502; s <= 1510; ++s)
        records.push_back({s, wp(WP_STATUS_PERMANENT, (S32)s, 9, ("L" + std::to_string(s)).c_str(), true)});
    place(records);
    for (U32 s = 1502; s <= 1510; ++s)
        T_NAV_NVRAM_vSaveWaypoint(&slot(0, s), (U16)s, FALSE);
    const WAYPOINT moved[3] = {slot(0, 1502), slot(0, 1503), slot(0, 1504)};
    const U16 hashes[3] = {T_NAV_TWR_pu16GetWaypointsHash()[1502], T_NAV_TWR_pu16GetWaypointsHash()[1503],
                           T_NAV_TWR_pu16GetWaypointsHash()[1504]};
    setU32(FCID("ICWP"), 1502);
    setU32(FCID("CLWC"), 1503);
    setU32(FCID("ITWP"), 1504);
    setU32(FCID("IGWP"), 1505);
    ROUTE route{};
    route.nCount = 3;
    route.u32DateTime = 5;
    route.anWaypoint[0] = 1502;
    route.anWaypoint[1] = 7;
    route.anWaypoint[2] = 1503;
    *T_NAV_pGetRoute(0) = route;

    // The peer holds the whole table before.
    share();
    ASSERT_EQ(T_NAV_NETWORK_nAddPeer(PEER_A), 1);
    ASSERT_TRUE(T_NAV_NETWORK_bSetWaypointData(PEER_A, 0, 3000, &slot(0, 0), 3000, NAV_NETWORK_OP_EDIT));
    ASSERT_TRUE(T_NAV_TWR_bAddMoveFollower(recordMove));
    sent().clear();

    T_NAV_TWR_vStatisticWaypointStore(FALSE);

    const std::vector<std::pair<U16, U16>> expectedMoves = {{1502, 2998}, {1503, 2997}, {1504, 2996}};
    EXPECT_EQ(calls().moves, expectedMoves) << "each move reported once";
    EXPECT_EQ(T_NAV_TWR_nGetShareLockSeparator(), 1500);
    for (int i = 0; i < 3; ++i) {
        const U16 from = expectedMoves[i].first, to = expectedMoves[i].second;
        EXPECT_TRUE(navt::sameWaypoint(slot(0, to), moved[i]));
        EXPECT_EQ(slot(0, from).u8Status, WP_STATUS_FREE);
        EXPECT_FALSE(fileExists(from));
        EXPECT_TRUE(navt::sameWaypoint(fileRecord(to), moved[i]));
        EXPECT_EQ(T_NAV_TWR_pu16GetWaypointsHash()[to], hashes[i]);
        EXPECT_EQ(T_NAV_TWR_pu16GetWaypointsHash()[from], 0);
        EXPECT_EQ(T_NAV_TWR_u16FindWaypoint(&moved[i]), to);
    }
    EXPECT_EQ(getU32(FCID("ICWP")), 2998u);
    EXPECT_EQ(getU32(FCID("CLWC")), 2997u);
    EXPECT_EQ(getU32(FCID("ITWP")), 2996u);
    EXPECT_EQ(getU32(FCID("IGWP")), 1505u) << "not moved";

    const ROUTE* r = T_NAV_pGetRoute(0);
    EXPECT_EQ(r->anWaypoint[0], 2998);
    EXPECT_EQ(r->anWaypoint[1], 7);
    EXPECT_EQ(r->anWaypoint[2], 2997);
    std::ifstream in(at("routes/0"), std::ios::binary);
    std::vector<U8> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), NAV_FILE_HEADER_BYTES + ROUTE_BYTES);
    ROUTE onFlash;
    T_NAV_RECORD_vDecodeRoute(bytes.data() + NAV_FILE_HEADER_BYTES, &onFlash);
    EXPECT_TRUE(navt::sameRoute(onFlash, *r));

    // One edit of the whole table; applied by the peer, its copy names the
    // new slots.
    ASSERT_EQ(sent().size(), 1u);
    const Sent& edit = sent()[0];
    EXPECT_EQ(edit.op, NAV_NETWORK_OP_EDIT);
    EXPECT_EQ(edit.address, 0u);
    EXPECT_EQ(edit.index, 0);
    ASSERT_EQ(edit.count, 3000);
    ASSERT_TRUE(T_NAV_NETWORK_bSetWaypointData(PEER_A, 0, 3000, edit.records.data(), 3000, NAV_NETWORK_OP_EDIT));
    for (const auto& [from, to] : expectedMoves) {
        EXPECT_TRUE(navt::sameWaypoint(slot(1, to), slot(0, to)));
        EXPECT_EQ(slot(1, from).u8Status, WP_STATUS_FREE);
    }
}

TEST_F(WaypointStore, ACompactionThatFindsNoRoomIsReportedAndTriedAgainOnTheNextAdd)
{
    std::vector<std::pair<U32, WAYPOINT>> records;
    for (U32 s = 0; s <= 2998; ++s)
        records.push_back({s, wp(WP_STATUS_PERMANENT, (S32)s, 0, "W", s >= 1496)});
    place(records);
    T_NAV_TWR_HOOKS hooks = recordingHooks();
    T_NAV_TWR_vInstallHooks(&hooks);

    T_NAV_TWR_vStatisticWaypointStore(FALSE);
    EXPECT_EQ(calls().errors, 1);
    EXPECT_EQ(T_NAV_TWR_nGetShareLockSeparator(), -1);
    EXPECT_EQ(add(wp(WP_STATUS_PERMANENT, 1, 1, "NEW")), NONE);

    // Room made at the top of the shared part is found by the next add.
    for (U32 s = 1480; s <= 1495; ++s)
        ASSERT_TRUE(T_NAV_bDeleteWaypoint(s, FALSE));
    EXPECT_EQ(add(wp(WP_STATUS_PERMANENT, 1, 1, "NEW")), 1480);
    EXPECT_EQ(T_NAV_TWR_nGetShareLockSeparator(), 1487);
}

TEST_F(WaypointStore, TheRoomTestSaysNoWhenNoSlotOfThePartIsFree)
{
    T_NAV_TWR_vStatisticWaypointStore(FALSE);
    EXPECT_TRUE(T_NAV_bThereIsMoreRoomForWP(FALSE));
    EXPECT_TRUE(T_NAV_bThereIsMoreRoomForWP(TRUE));
    std::vector<std::pair<U32, WAYPOINT>> records;
    for (U32 s = 0; s < 3000; ++s)
        records.push_back({s, wp(WP_STATUS_PERMANENT, (S32)s, 0, "W", s >= 1500)});
    place(records);
    T_NAV_TWR_vStatisticWaypointStore(TRUE);
    EXPECT_FALSE(T_NAV_bThereIsMoreRoomForWP(FALSE));
    EXPECT_FALSE(T_NAV_bThereIsMoreRoomForGroup(TRUE));
}

TEST_F(WaypointStore, CountsAndCopiesReadTheSlots)
{
    T_NAV_TWR_vStatisticWaypointStore(FALSE);
    add(wp(WP_STATUS_PERMANENT, 1, 2, "ABCDEFGHIJKL"));
    add(wp(WP_STATUS_TEMPORARY, 1, 2, "T"));
    addPeerRecord(NONE, wp(WP_STATUS_MOB, 3, 4, "P"), 3);
    WAYPOINT header{};
    header.u8Status = WP_STATUS_GROUP_HEADER;
    slot(0, 2999) = header;
    EXPECT_EQ(T_NAV_TWR_nGetWaypointCount(), 2);
    EXPECT_EQ(T_NAV_TWR_nGetGroupVisibleCount(), 1);
    EXPECT_EQ(T_NAV_TWR_nGetGroupTotalCount(), 1);

    char name[8];
    T_NAV_vCopyWaypointName(0, name, sizeof name);
    EXPECT_STREQ(name, "ABCDEFG");
    POINT pt = {9, 9};
    T_NAV_vCopyWaypointPoint(0x3000, &pt);
    EXPECT_TRUE(navt::same(pt, POINT{3, 4}));
    T_NAV_vCopyWaypointPoint(NONE, &pt);
    EXPECT_TRUE(navt::same(pt, POINT{3, 4}));
    EXPECT_EQ(T_NAV_u8GetWaypointIcon(NONE), 0);
    EXPECT_EQ(T_NAV_u8GetWaypointIcon(0), 3);
}

} // namespace
