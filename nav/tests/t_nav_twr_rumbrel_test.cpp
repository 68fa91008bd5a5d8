// The recorded-track table: slots, counters and files as tracks come and go,
// the tracks the trolling motor sends, the searches, the lists and their
// orders, the header properties and the bounding corners.
#include "nav/tests/nav_tables_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using namespace navr;

RUMBREL fileRumbrel(const std::string& path, bool* pWhole)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<U8> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    static RUMBREL r;
    r = RUMBREL{};
    *pWhole = bytes.size() == NAV_FILE_HEADER_BYTES + RUMBREL_BYTES;
    if (*pWhole)
        T_NAV_RECORD_vDecodeRumbrel(bytes.data() + NAV_FILE_HEADER_BYTES, &r);
    return r;
}

TEST_F(TableStore, RecordedTracksFillTheLowestFreeSlotsAndTheMarkNeverDrops)
{
    auto r = rumbrel(10);
    for (U32 s = 0; s < NAV_RUMBREL_SLOTS; ++s)
        ASSERT_EQ(T_NAV_u16RumbrelAdd(r.get()), s);
    EXPECT_EQ(T_NAV_TWR_u16GetRumbrelCount(), 50);
    EXPECT_EQ(T_NAV_TWR_nGetMaxUsedRumbrelIndex(), 50);
    EXPECT_EQ(calls().cursorToMenu, 50);
    EXPECT_EQ(T_NAV_u16RumbrelAdd(r.get()), NONE) << "full";
    EXPECT_EQ(T_NAV_TWR_u16GetRumbrelCount(), 50);
    EXPECT_EQ(filesIn("rumbrels"), NAV_RUMBREL_SLOTS);

    EXPECT_TRUE(T_NAV_bDeleteRumbrel(49, FALSE));
    EXPECT_TRUE(T_NAV_bDeleteRumbrel(3, FALSE));
    EXPECT_FALSE(T_NAV_bDeleteRumbrel(3, FALSE)) << "already free";
    EXPECT_FALSE(T_NAV_bDeleteRumbrel(50, FALSE));
    EXPECT_EQ(calls().cursorToMenu, 54) << "after every delete, done or not";
    EXPECT_FALSE(hasFile("rumbrels/3"));
    EXPECT_EQ(T_NAV_pGetRumbrel(3)->u32DateTime, 9000u) << "the rest of the record stays";
    EXPECT_EQ(T_NAV_TWR_nGetMaxUsedRumbrelIndex(), 50) << "not lowered";
    EXPECT_EQ(T_NAV_TWR_u16GetMaxUsedRumbrel(), 49) << "from the slots";
    EXPECT_EQ(T_NAV_TWR_u16GetRumbrelCount(), 48);

    auto newer = rumbrel(4, "NEWER", 0);
    EXPECT_EQ(T_NAV_u16RumbrelAdd(newer.get()), 3);
    EXPECT_EQ(T_NAV_pGetRumbrel(3)->u32DateTime, 777000u) << "from IDTM";
    bool whole = false;
    const RUMBREL onFlash = fileRumbrel(at("rumbrels/3"), &whole);
    ASSERT_TRUE(whole);
    EXPECT_TRUE(navt::sameRumbrel(onFlash, *T_NAV_pGetRumbrel(3)));

    auto empty = rumbrel(0, "EMPTY");
    EXPECT_EQ(T_NAV_u16RumbrelAdd(empty.get()), 49) << "copied in";
    EXPECT_EQ(T_NAV_pGetRumbrel(49)->nCount, 0u) << "but occupying nothing";
    EXPECT_FALSE(hasFile("rumbrels/49"));
    EXPECT_EQ(T_NAV_TWR_u16GetRumbrelCount(), 49);
}

TEST_F(TableStore, ATrackFromTheMotorIsWideColour17AndInTheDefaultGroup)
{
    auto r = rumbrel(5);
    r->u32Style = 0;
    r->u32Color = 3;
    T_NAV_u16RumbrelAdd(r.get());
    EXPECT_EQ(T_NAV_u16SaveRumbrelFromStevrin(r.get()), 1);
    EXPECT_EQ(T_NAV_pGetRumbrel(1)->u32Style, RUMBREL_STYLE_WIDE_LINE);
    EXPECT_EQ(T_NAV_pGetRumbrel(1)->u32Color, 17u);
    EXPECT_EQ(r->u32Color, 17u) << "set in the caller's record";
    EXPECT_EQ(tableCalls().defaultGroupLinks, std::vector<U16>{0x4C01});

    // A route from the motor.
    T_NAV_TWR_vStatisticRouteStore(TRUE);
    const ROUTE rt = route({1, 2}, false, 0, "MOTOR");
    EXPECT_EQ(T_NAV_u16SaveRouteFromStevrin(&rt), 0);
    EXPECT_EQ(getU32(FCID("CLRT")), 0u);
    EXPECT_EQ(tableCalls().defaultGroupLinks, (std::vector<U16>{0x4C01, 0x8800}));

    // Refused, empty or with no room: nothing is linked.
    auto tooLong = rumbrel(353);
    EXPECT_EQ(T_NAV_u16SaveRumbrelFromStevrin(tooLong.get()), NONE);
    auto none = rumbrel(0);
    T_NAV_u16SaveRumbrelFromStevrin(none.get());
    for (U32 s = 2; s < NAV_RUMBREL_SLOTS; ++s)
        T_NAV_u16RumbrelAdd(r.get());
    EXPECT_EQ(T_NAV_u16SaveRumbrelFromStevrin(r.get()), NONE);
    EXPECT_EQ(tableCalls().defaultGroupLinks.size(), 2u);
}

TEST_F(TableStore, ARecordedTrackAbove352PointsIsRefusedEverywhere)
{
    auto r = rumbrel(353);
    EXPECT_EQ(T_NAV_u16RumbrelAdd(r.get()), NONE);
    EXPECT_FALSE(T_NAV_bSaveRumbrel(4, r.get(), FALSE));
    T_NAV_vRumbrelStore(4, r.get(), FALSE, FALSE);
    EXPECT_EQ(T_NAV_pGetRumbrel(4)->nCount, 0u);
    EXPECT_EQ(filesIn("rumbrels"), 0u);
    EXPECT_EQ(T_NAV_u16FindRumbrel(r.get()), NONE);
    r->ptLowerLeft = {1, 2};
    T_NAV_STEVRIN_vCalculateLLURPoints(r.get());
    EXPECT_TRUE(navt::same(r->ptLowerLeft, {1, 2})) << "left alone";

    auto ok = rumbrel(352);
    EXPECT_EQ(T_NAV_u16RumbrelAdd(ok.get()), 0);
}

TEST_F(TableStore, StoringOverASlotKeepsCountsMarkAndFilesTrue)
{
    auto r = rumbrel(6);
    EXPECT_TRUE(T_NAV_bSaveRumbrel(20, r.get(), FALSE));
    EXPECT_EQ(T_NAV_TWR_u16GetRumbrelCount(), 1);
    EXPECT_EQ(T_NAV_TWR_nGetMaxUsedRumbrelIndex(), 21);
    EXPECT_EQ(T_NAV_u16FindRumbrelTrackPoints(r.get()), 20) << "found above the old mark";
    EXPECT_TRUE(T_NAV_bSaveRumbrel(20, r.get(), FALSE));
    EXPECT_EQ(T_NAV_TWR_u16GetRumbrelCount(), 1) << "an overwrite counts once";

    auto empty = rumbrel(0);
    T_NAV_vRumbrelStore(20, empty.get(), FALSE, FALSE);
    EXPECT_EQ(T_NAV_TWR_u16GetRumbrelCount(), 0);
    EXPECT_FALSE(hasFile("rumbrels/20")) << "the old track would come back at start-up";
    EXPECT_FALSE(T_NAV_bSaveRumbrel(50, r.get(), FALSE));

    navt::setState(6);
    EXPECT_TRUE(T_NAV_bSaveRumbrel(21, r.get(), FALSE));
    EXPECT_FALSE(hasFile("rumbrels/21")) << "point of sale";
    EXPECT_TRUE(T_NAV_bSaveRumbrel(21, r.get(), TRUE));
    EXPECT_TRUE(hasFile("rumbrels/21"));
}

TEST_F(TableStore, RecordedTrackSearchesCompareOnlyTheirFields)
{
    auto a = rumbrel(8, "LAKE", 100);
    auto b = rumbrel(8, "LAKE", 200);
    auto c = rumbrel(9, "LAKE", 100);
    T_NAV_u16RumbrelAdd(a.get());
    T_NAV_u16RumbrelAdd(b.get());
    T_NAV_u16RumbrelAdd(c.get());

    RUMBREL probe = *a;
    probe.sName[6] = 'X'; // after the NUL
    probe.pad1 = 99;
    probe.u32Color = 5;
    EXPECT_EQ(T_NAV_u16FindRumbrel(&probe), 0) << "a name differing after its NUL matches";
    probe.aTrackPoints[7].y += 1;
    EXPECT_EQ(T_NAV_u16FindRumbrel(&probe), NONE);
    probe.aTrackPoints[7].y -= 1;
    probe.aTrackPoints[8].y += 1; // past the count
    EXPECT_EQ(T_NAV_u16FindRumbrel(&probe), 0);
    EXPECT_TRUE(T_NAV_bCompareRumbrels(&probe, a.get()));
    navt::setName(probe.sName, "LAKF");
    EXPECT_FALSE(T_NAV_bCompareRumbrels(&probe, a.get()));
    EXPECT_EQ(T_NAV_u16FindRumbrelTrackPoints(&probe), 0) << "points only";

    // Full 12-character names run into pad1: equal names still match.
    navt::setName(T_NAV_pGetRumbrel(1)->sName, "ABCDEFGHIJKL");
    navt::setName(T_NAV_pGetRumbrel(2)->sName, "ABCDEFGHIJKL");
    T_NAV_pGetRumbrel(1)->pad1 = 1;
    U16 s1 = 1, s2 = 2, s0 = 0;
    EXPECT_EQ(T_NAV_nCompareRumbrelsByName(&s1, &s2), 0);
    EXPECT_EQ(T_NAV_nCompareRumbrelNames(&s1, &s2), 0);
    EXPECT_GT(T_NAV_nCompareRumbrelsByName(&s0, &s1), 0);

    EXPECT_EQ(T_NAV_u16FindRumbrelByUid(b->u64UID), 1);
    EXPECT_EQ(T_NAV_u16FindRumbrelByUid(0x1234), NONE);
    T_NAV_bDeleteRumbrel(1, FALSE);
    EXPECT_EQ(T_NAV_u16FindRumbrelByUid(b->u64UID), NONE) << "a free slot is no match";
    EXPECT_EQ(T_NAV_u16FindRumbrel(b.get()), NONE);
}

TEST_F(TableStore, RecordedTrackListsSortByNameTimeOrDistance)
{
    U32 n = 7;
    U16 list[NAV_RUMBREL_SLOTS] = {0xABCD};
    T_NAV_vGetRumbrels(&n, list);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(list[0], 0xABCD) << "nothing written";

    struct Row {
        const char* name;
        U32 date;
        U32 distance;
    };
    const Row rows[] = {{"CHARLIE", 300, 50}, {"ALPHA", 100, 20}, {"BRAVO", 300, 50}, {"ALPHA", 200, 10}};
    for (const Row& r : rows) {
        auto t = rumbrel(3, r.name, r.date);
        t->u32ClosestDTG = r.distance;
        T_NAV_u16RumbrelAdd(t.get());
    }
    T_NAV_vGetRumbrels(&n, list);
    ASSERT_EQ(n, 4u);
    EXPECT_EQ(std::string(T_NAV_pGetRumbrel(list[3])->sName), "CHARLIE");
    EXPECT_EQ(std::string(T_NAV_pGetRumbrel(list[2])->sName), "BRAVO");

    T_NAV_vGetSortedRumbrels(NAV_WPT_SORT_BY_TIME, n, list);
    EXPECT_EQ(T_NAV_pGetRumbrel(list[0])->u32DateTime, 300u);
    EXPECT_EQ(T_NAV_pGetRumbrel(list[3])->u32DateTime, 100u);
    T_NAV_vGetSortedRumbrels(NAV_WPT_SORT_BY_DISTANCE, n, list);
    EXPECT_EQ(list[0], 3);
    EXPECT_EQ(list[1], 1);
    U16 s0 = 0, s2 = 2;
    EXPECT_EQ(T_NAV_nCompareRumbrelsByDistance(&s0, &s2), 0) << "a tie";
    EXPECT_EQ(T_NAV_nCompareRumbrelsByTime(&s0, &s2), 0);
    T_NAV_vGetSortedRumbrels(NAV_WPT_SORT_BY_ROUTES, n, list);
    EXPECT_EQ(std::string(T_NAV_pGetRumbrel(list[3])->sName), "CHARLIE") << "any other order: by name";
    EXPECT_TRUE(T_NAV_TWR_bRumbrelExist());
}

TEST_F(TableStore, HeaderPropertiesAndCornersOfARecordedTrack)
{
    auto r = rumbrel(1);
    r->aTrackPoints[0] = {-5, 9};
    r->ptLowerLeft = {1, 1};
    T_NAV_STEVRIN_vCalculateLLURPoints(r.get());
    EXPECT_TRUE(navt::same(r->ptLowerLeft, {-5, 9}));
    EXPECT_TRUE(navt::same(r->ptUpperRight, {-5, 9}));
    r->nCount = 3;
    r->aTrackPoints[1] = {-20038300, 15433198};
    r->aTrackPoints[2] = {20038300, -15433198};
    T_NAV_STEVRIN_vCalculateLLURPoints(r.get());
    EXPECT_TRUE(navt::same(r->ptLowerLeft, {-20038300, -15433198}));
    EXPECT_TRUE(navt::same(r->ptUpperRight, {20038300, 15433198}));
    r->nCount = 0;
    T_NAV_STEVRIN_vCalculateLLURPoints(r.get());
    EXPECT_TRUE(navt::same(r->ptLowerLeft, {0, 0}));
    EXPECT_TRUE(navt::same(r->ptUpperRight, {0, 0}));

    r->nCount = 3;
    ASSERT_EQ(T_NAV_u16RumbrelAdd(r.get()), 0);
    RUMBREL* stored = T_NAV_pGetRumbrel(0);
    stored->u32Style = 5;
    EXPECT_EQ(T_NAV_nGetRumbrelStyle(0), 0u) << "a style above 1 reads 0";
    EXPECT_TRUE(T_NAV_bSetRumbrelStyle(0, 7));
    EXPECT_EQ(stored->u32Style, 1u);
    EXPECT_EQ(T_NAV_nGetRumbrelStyle(0), 1u);
    EXPECT_TRUE(T_NAV_bSetRumbrelColor(0, 22));
    EXPECT_EQ(T_NAV_nGetRumbrelColor(0), 22u);
    T_NAV_vSetRumbrelVisibility(0, FALSE);
    EXPECT_FALSE(T_NAV_bGetRumbrelVisibility(0));
    T_NAV_vSetRumbrelVisibility(0, TRUE);
    EXPECT_EQ(stored->u32Visible, 1u);
    T_NAV_vRenameRumbrel(0, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(std::string(stored->sName, 12), std::string("ABCDEFGHIJK\0", 12)) << "always ends in a NUL";

    EXPECT_EQ(T_NAV_nGetRumbrelStyle(50), 0u);
    EXPECT_EQ(T_NAV_nGetRumbrelColor(50), 0u);
    EXPECT_FALSE(T_NAV_bSetRumbrelStyle(50, 1));
    EXPECT_FALSE(T_NAV_bGetRumbrelVisibility(50));
    EXPECT_EQ(T_NAV_pGetRumbrel(50), nullptr);
    EXPECT_EQ(T_NAV_pGetRumbrelHeader(0x10000), T_NAV_pGetRumbrelHeader(0)) << "taken as U16";
    RUMBREL_HEADER h{};
    T_NAV_vCopyRumbrelHeader(0, &h);
    EXPECT_EQ(h.u32Color, 22u);
}

} // namespace
