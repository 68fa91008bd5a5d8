// Exchange records: the fixture writer's records (written from the format
// with Python's struct) against the converters in both directions, the
// layouts that are refused, the upgrade of older tracks and routes, and
// the position-hold icon of version-2 waypoints.
#include "nav/data/t_nav_data.h"

#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "nav/tests/nav_test_util.h"
#include "testing/t_proc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<U8>;

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string exchangeFixture()
{
    return vt::sourcePath("nav/tests/nav_exchange_fixture.py");
}

class ExchangeRecords : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = navt::unitRoot().cwd() + "/exchange";
        vt::ProcResult r = vt::runProcess({"/usr/bin/python3", exchangeFixture(), "records", dir});
        ASSERT_EQ(r.status, 0) << r.out << r.err;
    }
    Bytes le(const std::string& name) { return readFile(dir + "/" + name + ".le"); }
    Bytes be(const std::string& name) { return readFile(dir + "/" + name + ".be"); }

    // A card-order record through the reader (header and body apart, as
    // the reader takes them).
    static Bytes toHost(Bytes r)
    {
        if (r.size() >= NAV_DATA_HEADER_BYTES)
            T_NAV_DATA_vBigEndianToHost(r.data(), r.data() + NAV_DATA_HEADER_BYTES,
                                        (U32)r.size() - NAV_DATA_HEADER_BYTES);
        return r;
    }
    static Bytes toCard(Bytes r)
    {
        T_NAV_DATA_vHostToBigEndian(r.data(), (U32)r.size());
        return r;
    }

    std::string dir;
};

// The first byte at which two records differ, for a readable failure.
std::string firstDifference(const Bytes& a, const Bytes& b)
{
    if (a.size() != b.size())
        return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i])
            return "offset " + std::to_string(i);
    }
    return "equal";
}

TEST_F(ExchangeRecords, EveryKindConvertsByteExactlyInBothDirections)
{
    // Counts past the layout (route 60, track 30000, trolling track 400)
    // convert exactly the entries the layout holds; the recorded track's
    // flags keep their little-endian bytes; group records of version 4 are
    // read like any other.
    for (const char* name : {"waypoint", "free_slot", "waypoint_v2", "group_header", "group_header_v4",
                             "group_body_v4", "route", "route_count_60", "track", "track_count_30000", "rumbrel",
                             "rumbrel_count_400"}) {
        SCOPED_TRACE(name);
        const Bytes host = le(name), card = be(name);
        ASSERT_FALSE(host.empty());
        EXPECT_EQ(toCard(host), card) << firstDifference(toCard(host), card);
        EXPECT_EQ(toHost(card), host) << firstDifference(toHost(card), host);
    }
}

TEST_F(ExchangeRecords, OlderTracksAndRoutesAreReadInTheirOwnLayouts)
{
    for (const char* name : {"track_v1", "track_v2", "route_v1", "route_v1_short"}) {
        SCOPED_TRACE(name);
        const Bytes host = le(name);
        ASSERT_FALSE(host.empty());
        EXPECT_EQ(toHost(be(name)), host) << firstDifference(toHost(be(name)), host);
    }
}

TEST_F(ExchangeRecords, ClosestPointWordsAreZeroOnceWrittenAndRead)
{
    Bytes host = le("rumbrel_closest");
    EXPECT_EQ(toCard(host), be("rumbrel_closest"));
    memset(host.data() + NAV_DATA_HEADER_BYTES + 80, 0, 12);
    EXPECT_EQ(toHost(be("rumbrel_closest")), host);
}

TEST_F(ExchangeRecords, LayoutsNotAcceptedAreMarkedAndLeftUntouched)
{
    struct Case {
        const char* name;
        const char* from;
        U8 type;
        U8 version;
        size_t bytes; // 0: the whole record
    } cases[] = {
        {"waypoint of version 4", "waypoint", 2, 4, 0},
        {"free slot of version 4", "free_slot", 2, 4, 0},
        {"route of version 4", "route", 3, 4, 0},
        {"track of version 4", "track", 1, 4, 0},
        {"unknown kind", "waypoint", 9, 3, 0},
        {"waypoint cut short", "waypoint", 2, 3, 30},
        {"track cut short", "track", 1, 3, 131000},
        {"older track cut short", "track_v2", 1, 2, 8000},
        {"older route cut short", "route_v1", 3, 2, 70},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes card = be(c.from);
        if (c.bytes)
            card.resize(c.bytes);
        card[0] = c.type;
        card[1] = c.version;
        const Bytes after = toHost(card);
        EXPECT_EQ(after[0], 0);
        EXPECT_TRUE(std::equal(card.begin() + NAV_DATA_HEADER_BYTES, card.end(),
                               after.begin() + NAV_DATA_HEADER_BYTES));
    }
}

TEST_F(ExchangeRecords, TheHeaderlessPairLeavesAFreeSlotAloneAndTakesGroupKinds)
{
    Bytes free = le("free_slot");
    Bytes body(free.begin() + NAV_DATA_HEADER_BYTES, free.end());
    Bytes same = body;
    T_NAV_DATA_vGNDHostToBigEndian(NAV_DATA_WAYPOINT, same.data());
    EXPECT_EQ(same, body);

    struct Case {
        const char* name;
        U8 kind;
    } cases[] = {{"waypoint", NAV_DATA_WAYPOINT}, {"group_header", NAV_DATA_GROUP_HEADER},
                 {"group_header", NAV_DATA_WAYPOINT}, {"group_body_v4", NAV_DATA_GROUP_BODY},
                 {"route", NAV_DATA_ROUTE}, {"rumbrel", NAV_DATA_RUMBREL}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes host = le(c.name), card = be(c.name);
        Bytes b(host.begin() + NAV_DATA_HEADER_BYTES, host.end());
        T_NAV_DATA_vGNDHostToBigEndian(c.kind, b.data());
        EXPECT_TRUE(std::equal(b.begin(), b.end(), card.begin() + NAV_DATA_HEADER_BYTES));
        T_NAV_DATA_vGNDBigEndianToHost(7, c.kind, b.data());
        EXPECT_TRUE(std::equal(b.begin(), b.end(), host.begin() + NAV_DATA_HEADER_BYTES));
    }
}

// Conversion to the current layouts -------------------------------------------------

struct Converted {
    NAV_DATA_STRUCTURE_HEADER header{};
    S32 written = 0;
};

Converted convert(const Bytes& host, U8* dest)
{
    Converted c;
    U8 h[NAV_DATA_HEADER_BYTES];
    c.written = T_NAV_DATA_nConvertRecord(h, dest, host.data(), (U32)host.size());
    T_NAV_DATA_vDecodeHostHeader(h, &c.header);
    return c;
}

TEST_F(ExchangeRecords, AnOlderRouteFillsTwentyPointsAndKeepsTheSlotsHiddenBit)
{
    ROUTE old{};
    old.bHide = 1;
    old.nCount = 9;
    for (U16& id : old.anWaypoint)
        id = 0x0777;
    U8 dest[ROUTE_BYTES];
    T_NAV_RECORD_vEncodeRoute(&old, dest);
    const Converted c = convert(toHost(be("route_v1")), dest);
    EXPECT_EQ(c.written, (S32)ROUTE_BYTES);
    EXPECT_EQ(c.header.u8Type, NAV_DATA_ROUTE);
    EXPECT_EQ(c.header.u8Version, 3);
    EXPECT_EQ(c.header.u16Size, NAV_DATA_ROUTE_RECORD_BYTES);
    EXPECT_EQ(c.header.u16Index, 5);
    EXPECT_EQ(c.header.u16Reserved, 0x1234);
    ROUTE r;
    T_NAV_RECORD_vDecodeRoute(dest, &r);
    EXPECT_EQ(r.nCount, 20u);
    EXPECT_EQ(r.bHide, 1u);
    EXPECT_EQ(r.bRtNotShared, 0u);
    EXPECT_EQ(r.u32DateTime, 0x20u);
    EXPECT_STREQ(r.sName, "OLD ROUTE");
    for (U32 i = 0; i < ROUTE_MAX_POINTS; ++i)
        EXPECT_EQ(r.anWaypoint[i], i < 20 ? 0x200 + i : 0) << i;
}

TEST_F(ExchangeRecords, SlotsAndCurrentRoutesAreCopiedWithTheCurrentHeader)
{
    U8 dest[ROUTE_BYTES];
    Bytes host = le("group_body_v4");
    Converted c = convert(host, dest);
    EXPECT_EQ(c.written, (S32)WAYPOINT_BYTES);
    EXPECT_EQ(c.header.u8Version, 3);
    EXPECT_EQ(c.header.u16Size, NAV_DATA_WAYPOINT_RECORD_BYTES);
    EXPECT_EQ(memcmp(dest, host.data() + NAV_DATA_HEADER_BYTES, WAYPOINT_BYTES), 0);

    host = le("route");
    c = convert(host, dest);
    EXPECT_EQ(c.written, (S32)ROUTE_BYTES);
    EXPECT_EQ(memcmp(dest, host.data() + NAV_DATA_HEADER_BYTES, ROUTE_BYTES), 0);

    Bytes other = host;
    other[0] = 4;
    c = convert(other, dest);
    EXPECT_EQ(c.written, 0);
    EXPECT_EQ(c.header.u8Type, 4);
    EXPECT_EQ(c.header.u8Version, 0);
    EXPECT_EQ(c.header.u16Size, 0);
}

class TrackUpgrade : public ExchangeRecords {
protected:
    std::unique_ptr<TRACK> upgrade(const std::string& name, Converted* pc = nullptr)
    {
        auto bytes = std::make_unique<U8[]>(TRACK_BYTES);
        Converted c = convert(toHost(be(name)), bytes.get());
        EXPECT_EQ(c.written, (S32)TRACK_BYTES);
        EXPECT_EQ(c.header.u8Version, 3);
        EXPECT_EQ(c.header.u16Size, 0);
        if (pc)
            *pc = c;
        auto t = std::make_unique<TRACK>();
        T_NAV_RECORD_vDecodeTrack(bytes.get(), t.get());
        return t;
    }
    // Step i of the fixture's rings.
    static S16 stepX(int i) { return (S16)(7 * i - 1000); }
    static S16 stepY(int i) { return (S16)(500 - 13 * i); }
};

TEST_F(TrackUpgrade, StepsAreTakenInRingOrderFromTheOldFirstStep)
{
    // Version 2: first step 1990, 20 steps: old entries 1990-1998, then 0-10.
    auto t = upgrade("track_v2");
    EXPECT_EQ(t->u16Count, 20);
    EXPECT_EQ(t->u16FirstDelta, 0);
    EXPECT_EQ(t->u32DateTime, 0x88u);
    EXPECT_STREQ(t->sName, "V2");
    EXPECT_EQ(t->ptFirst.x, 10);
    EXPECT_EQ(t->ptLast.x, 30);
    for (int i = 0; i < 20; ++i) {
        const int old = i < 9 ? 1990 + i : i - 9;
        EXPECT_EQ(t->aDelta[i].x, stepX(old)) << i;
        EXPECT_EQ(t->aDelta[i].y, stepY(old)) << i;
        EXPECT_EQ(t->aDelta[i].u16Depth, 0) << i;
    }
    EXPECT_EQ(t->aDelta[20].x, 0);

    // Version 1: 600 steps from 650 round the 699-entry ring.
    t = upgrade("track_v1");
    EXPECT_EQ(t->u16Count, 600);
    EXPECT_EQ(t->aDelta[0].x, stepX(650));
    EXPECT_EQ(t->aDelta[48].x, stepX(698));
    EXPECT_EQ(t->aDelta[49].x, stepX(0));
    EXPECT_EQ(t->aDelta[599].y, stepY(550));
}

TEST_F(TrackUpgrade, ACountPastTheOldRingTakesTheWholeRingAndKeepsTheCount)
{
    Bytes card = be("track_v2");
    card[NAV_DATA_HEADER_BYTES] = 2500 >> 8;
    card[NAV_DATA_HEADER_BYTES + 1] = 2500 & 0xFF;
    card[NAV_DATA_HEADER_BYTES + 2] = 0; // first step 0
    card[NAV_DATA_HEADER_BYTES + 3] = 0;
    // The old ring in card order: every pair big-endian.
    for (int i = 0; i < 1999; ++i) {
        U8* p = card.data() + NAV_DATA_HEADER_BYTES + 24 + 4 * i;
        const S16 x = stepX(i), y = stepY(i);
        p[0] = (U8)((U16)x >> 8);
        p[1] = (U8)x;
        p[2] = (U8)((U16)y >> 8);
        p[3] = (U8)y;
    }
    auto bytes = std::make_unique<U8[]>(TRACK_BYTES);
    Converted c = convert(toHost(card), bytes.get());
    ASSERT_EQ(c.written, (S32)TRACK_BYTES);
    auto t = std::make_unique<TRACK>();
    T_NAV_RECORD_vDecodeTrack(bytes.get(), t.get());
    EXPECT_EQ(t->u16Count, 2500);
    EXPECT_EQ(t->aDelta[1998].x, stepX(1998));
    EXPECT_EQ(t->aDelta[1999].x, 0);
    EXPECT_EQ(t->aDelta[1999].y, 0);
}

TEST_F(TrackUpgrade, TheRunningPositionWrapsAtTheAntimeridianAndStopsAtThePoles)
{
    // Old ring in host order: count, first, time, first and last point,
    // 699 pairs, name.
    Bytes old(TRACK_V1_BYTES, 0);
    auto put16 = [&](size_t at, U16 v) {
        old[at] = (U8)v;
        old[at + 1] = (U8)(v >> 8);
    };
    auto put32 = [&](size_t at, U32 v) {
        put16(at, (U16)v);
        put16(at + 2, (U16)(v >> 16));
    };
    put16(0, 3);
    put16(2, 0);
    put32(8, (U32)20038000);
    put32(12, (U32)15433000);
    const S16 steps[3][2] = {{500, 300}, {100, 300}, {-100, -1000}};
    for (int i = 0; i < 3; ++i) {
        put16(24 + 4 * i, (U16)steps[i][0]);
        put16(26 + 4 * i, (U16)steps[i][1]);
    }
    auto t = std::make_unique<TRACK>();
    vConvertV1ToV3Track(old.data(), t.get());
    // x: 20038500 wraps to -20038100, then -20038000, then -20038100;
    // y: clamped to 15433198, stays, then 15432198.
    EXPECT_EQ(t->ptLowerLeft.x, -20038100);
    EXPECT_EQ(t->ptUpperRight.x, 20038000);
    EXPECT_EQ(t->ptLowerLeft.y, 15432198);
    EXPECT_EQ(t->ptUpperRight.y, 15433198);
    EXPECT_EQ(t->aDelta[0].x, 500);

    // A first step outside the old ring leaves nothing to trust.
    put16(2, 699);
    vConvertV1ToV3Track(old.data(), t.get());
    EXPECT_EQ(t->u16Count, 0);
}

// The position-hold icon ------------------------------------------------------------

TEST_F(ExchangeRecords, AVersionTwoPositionHoldWaypointFromACardGetsItsNewIcon)
{
    for (const char* name : {"waypoint_v2", "free_slot"}) {
        SCOPED_TRACE(name);
        Bytes host = toHost(be(name));
        host[1] = 2;
        ASSERT_TRUE(T_NAV_DATA_bFixCardStayvaneIcon(host.data(), (U32)host.size()));
        EXPECT_EQ(host[1], 3);
        EXPECT_EQ(host[NAV_DATA_HEADER_BYTES + 1], NAV_DATA_POSITION_HOLD_ICON);
    }
    Bytes current = toHost(be("free_slot")); // version 3: not touched
    EXPECT_FALSE(T_NAV_DATA_bFixCardStayvaneIcon(current.data(), (U32)current.size()));
    EXPECT_EQ(current[NAV_DATA_HEADER_BYTES + 1], NAV_DATA_OLD_POSITION_HOLD_ICON);
}

class WaypointUpgrade : public navt::NavFiles {
protected:
    void write(U16 slot, U8 version, U8 status, const char* name, U8 icon = NAV_DATA_OLD_POSITION_HOLD_ICON)
    {
        WAYPOINT w{};
        w.u8Status = status;
        w.u8Icon = icon;
        w.u32DateTime = 1000u + slot;
        navt::setName(w.sName, name);
        Bytes file(NAV_FILE_HEADER_BYTES + WAYPOINT_BYTES);
        FILE_HEADER h = {NAV_FS_VERSION, NAV_FILE_WAYPOINT, version, slot};
        T_NAV_NVRAM_vEncodeFileHeader(&h, file.data());
        T_NAV_RECORD_vEncodeWaypoint(&w, file.data() + NAV_FILE_HEADER_BYTES);
        std::ofstream(at("wpts/" + std::to_string(slot)), std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()), (std::streamsize)file.size());
    }
    U8 fileVersion(U16 slot) { return readFile(at("wpts/" + std::to_string(slot)))[5]; }
};

TEST_F(WaypointUpgrade, OlderSlotFilesGetTheIconAndAreRewrittenOnce)
{
    write(1, 2, WP_STATUS_PERMANENT, "SL001");             // icon fixed, rewritten
    write(2, 2, WP_STATUS_FREE, "SL002");                  // free: icon kept, not rewritten
    write(3, 3, WP_STATUS_PERMANENT, "SL003");             // current: icon kept, not rewritten
    write(4, 1, WP_STATUS_MOB, "MOB");                     // rewritten
    write(5, 2, WP_STATUS_TEMPORARY, "SL005");             // temporary: icon fixed, not rewritten
    write(6, 2, WP_STATUS_PERMANENT, "S1006");             // not the prefix
    write(7, 2, WP_STATUS_GROUP_HEADER, "SL007");          // a group header of the prefix: icon fixed

    auto slots = std::make_unique<WAYPOINT[]>(NAV_WAYPOINT_SLOTS);
    S32 maxUsed = 0;
    T_NAV_NVRAM_vSetWaypointScanHook(T_NAV_DATA_vFixBadStayvaneIcon);
    T_NAV_NVRAM_vScan(nullptr, slots.get(), &maxUsed, nullptr);
    T_NAV_NVRAM_vSetWaypointScanHook(nullptr);

    const U8 icons[8] = {0, 71, 31, 31, 31, 71, 31, 71};
    for (int s = 1; s <= 7; ++s)
        EXPECT_EQ(slots[s].u8Icon, icons[s]) << s;

    T_NAV_DATA_vRewriteFlaggedWaypoints(slots.get());
    const U8 versions[8] = {0, 3, 2, 3, 3, 2, 3, 3};
    for (U16 s = 1; s <= 7; ++s)
        EXPECT_EQ(fileVersion(s), versions[s]) << s;
    EXPECT_EQ(readFile(at("wpts/1"))[NAV_FILE_HEADER_BYTES + 1], 71);

    // The notes are gone: a second call rewrites nothing.
    write(4, 1, WP_STATUS_MOB, "MOB");
    T_NAV_DATA_vRewriteFlaggedWaypoints(slots.get());
    EXPECT_EQ(fileVersion(4), 1);
}

} // namespace
