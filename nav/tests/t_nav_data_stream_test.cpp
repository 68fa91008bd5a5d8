// The record stream: the producer against the fixture writer's stream of
// the same store, the consumer fed that stream at every alignment across
// 1024-byte blocks, the upload that replaces the store only when the
// transfer ended normally, and the store of single records.
#include "nav/data/t_nav_data.h"

#include "kernel/l_mutex.h"
#include "nav/tests/nav_tables_util.h"
#include "testing/t_proc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<U8>;

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// What the store holds: used slots, used routes, saved-track headers and
// the visibility of each, and every item file.
struct Snapshot {
    std::map<U32, Bytes> slots;
    std::map<U32, Bytes> routes;
    std::map<U32, Bytes> tracks;
    std::map<std::string, Bytes> files;
    bool operator==(const Snapshot&) const = default;
};

class RecordStream : public navr::TableStore {
protected:
    void SetUp() override
    {
        navr::TableStore::SetUp();
        T_NAV_DATA_vSaveBufferFree(FALSE);
        T_NAV_DATA_vFillBufferAbort();
    }
    void TearDown() override
    {
        T_NAV_DATA_vSaveBufferFree(FALSE);
        T_NAV_DATA_vFillBufferAbort();
        navr::TableStore::TearDown();
    }

    // The fixture writer's store, read as the start-up reads it.
    void loadFixtureStore()
    {
        vt::ProcResult r = vt::runProcess(
            {"/usr/bin/python3", vt::sourcePath("nav/tests/nav_exchange_fixture.py"), "stream", cwd});
        ASSERT_EQ(r.status, 0) << r.out << r.err;
        S32 maxUsed = 0;
        T_NAV_NVRAM_vScan(T_NAV_pGetTrackHeader(0), T_NAV_pGetWaypoint(0), &maxUsed, T_NAV_pGetRoute(0));
        T_NAV_TWR_vHashWaypoints();
        T_NAV_TWR_vStatisticWaypointStore(TRUE);
        T_NAV_TWR_vStatisticRouteStore(TRUE);
    }

    // One whole stream; every block but the last is full.
    Bytes produce(U32 (*fill)(U8*, void*))
    {
        T_NAV_DATA_vFillBufferInit();
        Bytes out;
        U8 block[NAV_DATA_BLOCK_BYTES];
        for (int guard = 0; guard < 100000; ++guard) {
            const U32 n = fill(block, nullptr);
            if (n == 0)
                return out;
            EXPECT_TRUE(out.size() % NAV_DATA_BLOCK_BYTES == 0) << "a short block before the end";
            EXPECT_LE(n, NAV_DATA_BLOCK_BYTES);
            out.insert(out.end(), block, block + n);
        }
        ADD_FAILURE() << "the stream does not end";
        return out;
    }

    Snapshot snapshot()
    {
        Snapshot s;
        for (U32 i = 0; i < NAV_WAYPOINT_SLOTS; ++i) {
            const WAYPOINT* w = T_NAV_pGetWaypoint(i);
            if (w->u8Status != WP_STATUS_FREE) {
                Bytes b(WAYPOINT_BYTES);
                T_NAV_RECORD_vEncodeWaypoint(w, b.data());
                s.slots[i] = b;
            }
        }
        for (U32 i = 0; i < NAV_ROUTE_SLOTS; ++i) {
            const ROUTE* r = T_NAV_pGetRoute(i);
            if (r->nCount || r->u32DateTime) {
                Bytes b(ROUTE_BYTES);
                T_NAV_RECORD_vEncodeRoute(r, b.data());
                s.routes[i] = b;
            }
        }
        for (U32 i = 0; i < NAV_TRACK_SLOTS; ++i) {
            const TRACK_HEADER* h = T_NAV_pGetTrackHeader(i);
            if (h->u16Count) {
                Bytes b(TRACK_HEADER_BYTES + 1);
                T_NAV_RECORD_vEncodeTrackHeader(h, b.data());
                b[TRACK_HEADER_BYTES] = T_NAV_bGetTrackVisibility(i) ? 1 : 0;
                s.tracks[i] = b;
            }
        }
        for (const char* folder : {"wpts", "routes", "tracks"}) {
            std::error_code ec;
            for (const auto& e : std::filesystem::directory_iterator(at(folder), ec))
                s.files[std::string(folder) + "/" + e.path().filename().string()] = readFile(e.path().string());
        }
        return s;
    }

    // Feeds the bytes in 1024-byte blocks, the last one filled up with the
    // transfer's 0x1A as it arrives.
    static void feed(const Bytes& in, size_t uBlocks = SIZE_MAX)
    {
        for (size_t at = 0, b = 0; at < in.size() && b < uBlocks; at += NAV_DATA_BLOCK_BYTES, ++b) {
            U8 block[NAV_DATA_BLOCK_BYTES];
            memset(block, 0x1A, sizeof block);
            memcpy(block, in.data() + at, std::min<size_t>(NAV_DATA_BLOCK_BYTES, in.size() - at));
            T_NAV_DATA_vSaveBufferSegment(NAV_DATA_BLOCK_BYTES, block, nullptr);
        }
        T_NAV_DATA_vSaveBufferSegment(0, nullptr, nullptr); // the transfer's end call
    }

    // A record the store ignores (kind 4 cut short), of `length` bytes, in
    // front of a stream moves every record of it by that much.
    static Bytes shifted(const Bytes& stream, U32 length)
    {
        Bytes in(length, 0x55);
        NAV_DATA_STRUCTURE_HEADER h = {NAV_DATA_RUMBREL, 1, (U16)length, 3, 0};
        T_NAV_DATA_vEncodeHeader(&h, in.data());
        in.insert(in.end(), stream.begin(), stream.end());
        return in;
    }

    // The offsets at which the stream's records end.
    static std::vector<size_t> recordEnds(const Bytes& stream)
    {
        std::vector<size_t> ends;
        for (size_t at = 0; at + NAV_DATA_HEADER_BYTES <= stream.size();) {
            NAV_DATA_STRUCTURE_HEADER h;
            T_NAV_DATA_vDecodeHeader(&stream[at], &h);
            at += h.u16Size ? h.u16Size : NAV_DATA_TRACK_RECORD_BYTES;
            ends.push_back(at);
        }
        return ends;
    }
};

TEST_F(RecordStream, ProducerGivesTheFixtureWritersStreamInBothVariants)
{
    loadFixtureStore();
    // Extended: the track, slots of status 1, 3, 16 and 17 (not the
    // temporary one), the dated empty route but not the undated one.
    const Bytes ext = produce(T_NAV_DATA_u32FillBufferSegment);
    const Bytes expectedExt = readFile(at("stream.ext"));
    ASSERT_FALSE(expectedExt.empty());
    EXPECT_EQ(ext.size(), expectedExt.size());
    EXPECT_TRUE(ext == expectedExt);
    // Plain: no groups, icons above 30 (45 among them) as 0, nothing hidden.
    const Bytes plain = produce(T_NAV_DATA_u32FillNoGroupBufferSegment);
    const Bytes expectedPlain = readFile(at("stream.plain"));
    EXPECT_EQ(plain.size(), expectedPlain.size());
    EXPECT_TRUE(plain == expectedPlain);
    // The store itself is untouched by sending.
    EXPECT_EQ(T_NAV_pGetWaypoint(13)->u8Icon, 45);
    EXPECT_EQ(T_NAV_pGetWaypoint(12)->bHide, 1u);
}

TEST_F(RecordStream, AnEmptyStoreGivesNothingAtTheFirstCall)
{
    T_NAV_DATA_vFillBufferInit();
    EXPECT_NE(L_MUTEX_GetOwnerTaskID(RES_NAV_DATA), 0);
    U8 block[NAV_DATA_BLOCK_BYTES];
    EXPECT_EQ(T_NAV_DATA_u32FillBufferSegment(block, nullptr), 0u);
    EXPECT_EQ(L_MUTEX_GetOwnerTaskID(RES_NAV_DATA), 0); // released with the end
    EXPECT_EQ(T_NAV_DATA_u32FillBufferSegment(block, nullptr), 0u);
}

TEST_F(RecordStream, AStreamLeftPartWayReleasesTheTablesWhenAbandoned)
{
    // A transfer that fails after its first block never asks for the end
    // of the stream: the tables must not stay locked.
    loadFixtureStore();
    T_NAV_DATA_vFillBufferInit();
    U8 block[NAV_DATA_BLOCK_BYTES];
    EXPECT_EQ(T_NAV_DATA_u32FillBufferSegment(block, nullptr), NAV_DATA_BLOCK_BYTES);
    T_NAV_DATA_vFillBufferAbort();
    EXPECT_EQ(L_MUTEX_GetOwnerTaskID(RES_NAV_DATA), 0);
    EXPECT_EQ(T_NAV_DATA_u32FillBufferSegment(block, nullptr), 0u);
    // A new stream starts from the beginning.
    const Bytes again = produce(T_NAV_DATA_u32FillBufferSegment);
    EXPECT_TRUE(again == readFile(at("stream.ext")));
    EXPECT_EQ(L_MUTEX_GetOwnerTaskID(RES_NAV_DATA), 0);
}

TEST_F(RecordStream, TheStreamStartingAtTheSlotsHoldsNoTracks)
{
    loadFixtureStore();
    T_NAV_DATA_vSetFillBufferState(FBS_WAYPOINTS);
    const Bytes slots = produce(T_NAV_DATA_u32FillBufferSegment);
    const Bytes all = readFile(at("stream.ext"));
    ASSERT_GT(all.size(), NAV_DATA_TRACK_RECORD_BYTES);
    EXPECT_TRUE(slots == Bytes(all.begin() + NAV_DATA_TRACK_RECORD_BYTES, all.end()));
}

TEST_F(RecordStream, ADataSpaceStreamsItsOwnSlotsAndRoutes)
{
    loadFixtureStore(); // the unit's own store must not show through
    T_NAV_vInitializeNavDataBuffer();
    NAV_DATA_SPACE* space = T_NAV_nGetSelectNavDataSpace();
    space->pWaypoint[5].u8Status = WP_STATUS_PERMANENT;
    space->pWaypoint[6].u8Status = WP_STATUS_GROUP_HEADER;
    space->pWaypoint[7].u8Status = WP_STATUS_TEMPORARY;
    space->pRoute[2] = navr::route({5}, false, 9, "SPACE");
    T_NAV_DATA_vFillBufferInit();
    T_NAV_DATA_vSetFillBufferState(FBS_WAYPOINTS);
    Bytes out;
    U8 block[NAV_DATA_BLOCK_BYTES];
    while (U32 n = T_NAV_DATA_u32FillSelectedBufferSegment(space, block))
        out.insert(out.end(), block, block + n);
    T_NAV_vFreeNavDataBuffer();

    std::vector<std::pair<U8, U16>> records;
    for (size_t at = 0; at + NAV_DATA_HEADER_BYTES <= out.size();) {
        NAV_DATA_STRUCTURE_HEADER h;
        T_NAV_DATA_vDecodeHeader(&out[at], &h);
        records.push_back({h.u8Type, h.u16Index});
        at += h.u16Size ? h.u16Size : NAV_DATA_TRACK_RECORD_BYTES;
    }
    EXPECT_EQ(records, (std::vector<std::pair<U8, U16>>{{2, 5}, {2, 6}, {3, 2}}));
    EXPECT_EQ(out.size(), 2 * NAV_DATA_WAYPOINT_RECORD_BYTES + NAV_DATA_ROUTE_RECORD_BYTES);
}

TEST_F(RecordStream, EveryAlignmentAcrossBlocksGathersEachRecordOnce)
{
    loadFixtureStore();
    const Bytes stream = produce(T_NAV_DATA_u32FillBufferSegment);
    const size_t records = recordEnds(stream).size();
    ASSERT_EQ(records, 8u);
    navt::LogCapture log;
    for (U32 pad = NAV_DATA_BLOCK_BYTES; pad < 2 * NAV_DATA_BLOCK_BYTES; ++pad) {
        T_NAV_DATA_vSaveBufferInit();
        feed(shifted(stream, pad));
        EXPECT_EQ(T_NAV_DATA_u32GetSavedRecordCount(), records) << "pad " << pad;
        EXPECT_EQ(T_NAV_DATA_u32GetRefusedRecordCount(), 1u) << "pad " << pad;
        T_NAV_DATA_vSaveBufferFree(FALSE);
    }
}

TEST_F(RecordStream, AnUploadRebuildsTheSameTablesAndFiles)
{
    loadFixtureStore();
    const Bytes stream = produce(T_NAV_DATA_u32FillBufferSegment);
    // The temporary slot is not sent: it goes with delete-all.
    Snapshot expected = snapshot();
    ASSERT_EQ(expected.slots.erase(100), 1u);
    ASSERT_EQ(expected.files.erase("wpts/100"), 1u);

    // Alignments that matter: the track from a block start over 129
    // blocks; the first slot's header at 1021 (three bytes in the block)
    // and at 1018 (six); a slot record ending at byte 1024.
    const std::vector<size_t> ends = recordEnds(stream);
    const size_t firstSlot = ends[0], secondSlot = ends[1];
    auto padFor = [](size_t offset, size_t want) {
        return (U32)(NAV_DATA_BLOCK_BYTES + (want + NAV_DATA_BLOCK_BYTES - offset % NAV_DATA_BLOCK_BYTES) %
                                                NAV_DATA_BLOCK_BYTES);
    };
    struct Case {
        const char* name;
        bool shift;
        U32 pad;
    } cases[] = {
        {"track from a block start", false, 0},
        {"header at 1021", true, padFor(firstSlot, 1021)},
        {"header at 1018", true, padFor(firstSlot, 1018)},
        {"record ending at 1024", true, padFor(secondSlot, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Something else in the store first: the upload replaces it all.
        T_NAV_vDeleteAllTracksWaypointsRoutes(TRUE);
        WAYPOINT w{};
        w.u8Status = WP_STATUS_PERMANENT;
        navt::setName(w.sName, "OTHER");
        T_NAV_u16WaypointAdd(&w, TRUE, FALSE);
        navt::LogCapture log;
        T_NAV_DATA_vSaveBufferInit();
        feed(c.shift ? shifted(stream, c.pad) : stream);
        T_NAV_DATA_vSaveBufferFree(TRUE);
        const Snapshot got = snapshot();
        EXPECT_TRUE(got.slots == expected.slots);
        EXPECT_TRUE(got.routes == expected.routes);
        EXPECT_TRUE(got.tracks == expected.tracks);
        EXPECT_EQ(got.files.size(), expected.files.size());
        EXPECT_TRUE(got.files == expected.files);
    }
    // The counts follow the new content.
    EXPECT_EQ(T_NAV_TWR_nGetWaypointCount(), 3);
    EXPECT_EQ(T_NAV_TWR_nGetMaxUsedWaypointIndex(0), 3000);
    EXPECT_EQ(T_NAV_TWR_s16GetRouteCount(), 2);
}

TEST_F(RecordStream, ACutOrCancelledUploadLeavesTheStoreAsItWas)
{
    loadFixtureStore();
    const Bytes stream = produce(T_NAV_DATA_u32FillBufferSegment);
    const Snapshot before = snapshot();
    for (size_t blocks : {0, 1, 64, 129, 130}) {
        SCOPED_TRACE(blocks);
        T_NAV_DATA_vSaveBufferInit();
        feed(stream, blocks);
        T_NAV_DATA_vSaveBufferFree(FALSE);
        EXPECT_TRUE(snapshot() == before);
    }
    // Ended normally with nothing received: the store is emptied.
    T_NAV_DATA_vSaveBufferInit();
    T_NAV_DATA_vSaveBufferFree(TRUE);
    const Snapshot empty = snapshot();
    EXPECT_TRUE(empty.slots.empty());
    EXPECT_TRUE(empty.routes.empty());
    EXPECT_TRUE(empty.tracks.empty());
    EXPECT_TRUE(empty.files.empty());
}

// Blocks put together by hand ----------------------------------------------------------

Bytes waypointRecord(U16 index, const char* name)
{
    Bytes r(NAV_DATA_WAYPOINT_RECORD_BYTES);
    NAV_DATA_STRUCTURE_HEADER h = {NAV_DATA_WAYPOINT, 3, NAV_DATA_WAYPOINT_RECORD_BYTES, index, 0};
    T_NAV_DATA_vEncodeHostHeader(&h, r.data());
    WAYPOINT w{};
    w.u8Status = WP_STATUS_PERMANENT;
    w.u32DateTime = 5;
    navt::setName(w.sName, name);
    T_NAV_RECORD_vEncodeWaypoint(&w, r.data() + NAV_DATA_HEADER_BYTES);
    T_NAV_DATA_vHostToBigEndian(r.data(), (U32)r.size());
    return r;
}

TEST_F(RecordStream, AMalformedOrZeroSizeDropsTheRestOfItsBlockOnly)
{
    struct Case {
        const char* name;
        U8 sizeLow; // the size field of the header after the first record
        U32 refused;
    } cases[] = {{"size 5", 5, 1}, {"size 1", 1, 1}, {"size 7", 7, 1}, {"size 0", 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        navt::LogCapture log;
        T_NAV_DATA_vSaveBufferInit();
        U8 block[NAV_DATA_BLOCK_BYTES] = {};
        Bytes a = waypointRecord(1, "A"), b = waypointRecord(2, "B");
        memcpy(block, a.data(), a.size());
        block[36] = NAV_DATA_WAYPOINT;
        block[37] = 3;
        block[38] = 0;
        block[39] = c.sizeLow;
        memcpy(block + 44, b.data(), b.size()); // lost with the rest of the block
        T_NAV_DATA_vSaveBufferSegment(NAV_DATA_BLOCK_BYTES, block, nullptr);
        U8 next[NAV_DATA_BLOCK_BYTES] = {};
        Bytes d = waypointRecord(3, "C");
        memcpy(next, d.data(), d.size());
        T_NAV_DATA_vSaveBufferSegment(NAV_DATA_BLOCK_BYTES, next, nullptr);
        EXPECT_EQ(T_NAV_DATA_u32GetSavedRecordCount(), 2u);
        EXPECT_EQ(T_NAV_DATA_u32GetRefusedRecordCount(), c.refused);
        T_NAV_DATA_vSaveBufferFree(TRUE);
        EXPECT_EQ(T_NAV_pGetWaypoint(1)->u8Status, WP_STATUS_PERMANENT);
        EXPECT_EQ(T_NAV_pGetWaypoint(2)->u8Status, WP_STATUS_FREE);
        EXPECT_EQ(T_NAV_pGetWaypoint(3)->u8Status, WP_STATUS_PERMANENT);
    }
}

TEST_F(RecordStream, RecordsTheTablesCannotTakeAreRefusedAndTheNextOnesRead)
{
    auto record = [](NAV_DATA_STRUCTURE_HEADER h, const Bytes& body) {
        Bytes r(NAV_DATA_HEADER_BYTES);
        T_NAV_DATA_vEncodeHeader(&h, r.data());
        r.insert(r.end(), body.begin(), body.end());
        return r;
    };
    Bytes route51(ROUTE_BYTES, 0);
    route51[3] = 51; // count, big-endian
    Bytes track(TRACK_BYTES, 0);
    track[0] = 0x56; // count 0x5600, past the ring
    Bytes stream;
    for (const Bytes& r : {record({NAV_DATA_WAYPOINT, 4, 36, 1, 0}, Bytes(28, 0)),      // version 4
                           record({NAV_DATA_WAYPOINT, 3, 36, 3000, 0}, Bytes(28, 0)),   // past the table
                           record({NAV_DATA_ROUTE, 3, 136, 50, 0}, Bytes(128, 0)),      // past the table
                           record({NAV_DATA_ROUTE, 3, 136, 1, 0}, route51),             // 51 points
                           record({NAV_DATA_RUMBREL, 1, 3080, 1, 0}, Bytes(3072, 0)),   // not taken
                           record({NAV_DATA_TRACK, 3, 0, 1, 0}, track),                 // count past the ring
                           waypointRecord(9, "LAST")})
        stream.insert(stream.end(), r.begin(), r.end());
    navt::LogCapture log;
    T_NAV_DATA_vSaveBufferInit();
    feed(stream);
    EXPECT_EQ(T_NAV_DATA_u32GetSavedRecordCount(), 1u);
    EXPECT_EQ(T_NAV_DATA_u32GetRefusedRecordCount(), 6u);
    T_NAV_DATA_vSaveBufferFree(TRUE);
    EXPECT_EQ(T_NAV_pGetWaypoint(9)->u8Status, WP_STATUS_PERMANENT);
    EXPECT_EQ(T_NAV_pGetRoute(1)->nCount, 0u);
    EXPECT_EQ(T_NAV_pGetTrackHeader(1)->u16Count, 0);
}

TEST_F(RecordStream, AnOlderTrackIsStoredUpgradedAndVisible)
{
    T_NAV_vSetTrackVisibility(4, FALSE);
    Bytes r(NAV_DATA_HEADER_BYTES + TRACK_V2_BYTES, 0);
    NAV_DATA_STRUCTURE_HEADER h = {NAV_DATA_TRACK, 2, (U16)r.size(), 4, 0};
    T_NAV_DATA_vEncodeHeader(&h, r.data());
    U8* body = r.data() + NAV_DATA_HEADER_BYTES;
    body[1] = 3;  // count 3, big-endian
    body[27] = 9; // the first step's y
    memcpy(body + 8020, "OLD TRACK", 9);
    T_NAV_vConvertAndSaveItem(r.data(), (U32)r.size());
    const TRACK_HEADER* header = T_NAV_pGetTrackHeader(4);
    EXPECT_EQ(header->u16Count, 3);
    EXPECT_STREQ(header->sName, "OLD TRACK");
    EXPECT_TRUE(T_NAV_bGetTrackVisibility(4));
    EXPECT_TRUE(hasFile("tracks/4"));
    TRACK* t = T_NAV_NVRAM_pLoadTrack(4);
    EXPECT_EQ(t->aDelta[0].y, 9);
    EXPECT_EQ(t->u16FirstDelta, 0);
    T_NAV_NVRAM_vReleaseTrack();

    // A recorded track is not stored by an upload.
    Bytes troll(NAV_DATA_RUMBREL_RECORD_BYTES, 0);
    NAV_DATA_STRUCTURE_HEADER th = {NAV_DATA_RUMBREL, 1, (U16)troll.size(), 2, 0};
    T_NAV_DATA_vEncodeHeader(&th, troll.data());
    troll[NAV_DATA_HEADER_BYTES + 3] = 1;
    T_NAV_vConvertAndSaveItem(troll.data(), (U32)troll.size());
    EXPECT_EQ(filesIn("rumbrels"), 0u);
}

} // namespace
