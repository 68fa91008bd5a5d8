// The card folder: the export of the whole store, the import of a folder
// into a unit and the merge of what was read, the count notes, and bad
// files that must leave the stored items as they were.
#include "nav/core/t_nav_conf.h"
#include "nav/data/t_nav_card_standins.h"
#include "nav/data/t_nav_data_card.h"
#include "nav/data/t_nav_group_link.h"
#include "nav/data/t_nav_group_search.h"
#include "nav/tests/nav_core_world.h"
#include "nav/tests/nav_group_util.h"
#include "testing/t_proc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace navg;
namespace fs = std::filesystem;

constexpr U16 NONE = 0xFFFF;

std::vector<U8> readAll(const std::string& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::vector<U8>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeAll(const std::string& p, const std::vector<U8>& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), (std::streamsize)bytes.size());
}

// A card-order record of a host-order body; an older waypoint version has
// the same body layout and only its header says so.
std::vector<U8> record(U8 kind, U8 version, U16 size, U16 index, const std::vector<U8>& body)
{
    std::vector<U8> r(NAV_DATA_HEADER_BYTES + body.size());
    NAV_DATA_STRUCTURE_HEADER h{kind, NAV_DATA_CURRENT_VERSION, size, index, 0};
    T_NAV_DATA_vEncodeHostHeader(&h, r.data());
    std::copy(body.begin(), body.end(), r.begin() + NAV_DATA_HEADER_BYTES);
    T_NAV_DATA_vHostToBigEndian(r.data(), (U32)r.size());
    r[1] = version;
    return r;
}

std::vector<U8> waypointRecord(U16 index, const WAYPOINT& w, U8 version = NAV_DATA_CURRENT_VERSION)
{
    std::vector<U8> body(WAYPOINT_BYTES);
    T_NAV_RECORD_vEncodeWaypoint(&w, body.data());
    return record(NAV_DATA_WAYPOINT, version, (U16)NAV_DATA_WAYPOINT_RECORD_BYTES, index, body);
}

BOOLEAN pressEast()
{
    MSG_KEY_CHANGE m{};
    m.header.Cmd = CMD_ID_KEY_CHANGE;
    m.key = KEY_CURSOR;
    m.state = KEY_DOWN;
    m.count = 1;
    m.cursor = CURSOR_EAST;
    return T_NAV_CONF_bHandleKeys(&m);
}

std::vector<U8> routeRecord(U16 index, const ROUTE& r)
{
    std::vector<U8> body(ROUTE_BYTES);
    T_NAV_RECORD_vEncodeRoute(&r, body.data());
    return record(NAV_DATA_ROUTE, 3, (U16)NAV_DATA_ROUTE_RECORD_BYTES, index, body);
}

void append(std::vector<U8>& to, const std::vector<U8>& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

class CardExchange : public GroupStore {
protected:
    U16 root = NONE;
    std::string card;   // ROOT/mnt/mmc0
    std::string folder; // its VONDREL

    virtual bool withRoot() { return true; }

    void SetUp() override
    {
        GroupStore::SetUp();
        if (withRoot())
            root = buildRoot();
        card = navt::unitRoot().at("/mnt/mmc0");
        folder = card + "/VONDREL";
        std::error_code ec;
        fs::remove_all(navt::unitRoot().at("/mnt/mmc0"), ec);
        fs::remove_all(navt::unitRoot().at("/mnt/mmc1"), ec);
        fs::create_directories(card);
        publishNeighbourMailboxes();
        T_NAV_CONF_vReset(0);
    }
    void TearDown() override
    {
        T_NAV_CONF_vReset(0);
        alarmMails();
        H_DATABASE_vDeleteEntry(FCID("TALR"));
        GroupStore::TearDown();
    }

    // A fresh unit: an empty store with its root group; the card stays.
    void freshUnit()
    {
        TearDown();
        GroupStore::SetUp();
        root = buildRoot();
        publishNeighbourMailboxes();
        T_NAV_CONF_vReset(0);
    }

    std::vector<std::string> notes()
    {
        std::vector<std::string> out;
        for (const AlarmMail& m : alarmMails())
            if (m.cmd == CMD_ID_SET_ALARM)
                out.push_back(m.text);
        return out;
    }

    std::string lastNote()
    {
        const auto n = notes();
        return n.empty() ? "" : n.back();
    }

    // As the card task and the user do it: the question, then "Yes".
    void import()
    {
        T_NAV_DATA_vImportFromMMC(0);
        for (int i = 0; i < 20 && pressEast(); ++i) {
        }
    }

    std::vector<U16> links(U16 g)
    {
        std::vector<U16> out;
        GROUP_SLOT h{};
        if (!T_NAV_bReadGroupSlot(g, &h))
            return out;
        U16 cur = h.header.u16FirstBodyIndex;
        for (int guard = 0; cur != NONE && guard < 100; ++guard) {
            GROUP_SLOT b{};
            if (!T_NAV_bReadGroupSlot(cur, &b))
                break;
            for (U16 id : b.body.u16Item)
                if (id != NONE)
                    out.push_back(id);
            cur = b.body.u16NextIndex;
        }
        return out;
    }

    U32 usedWaypoints()
    {
        U32 n = 0;
        for (U32 s = 0; s < NAV_WAYPOINT_SLOTS; ++s) {
            const WAYPOINT* w = T_NAV_pGetWaypoint(s);
            n += w != nullptr && (w->u8Status == WP_STATUS_PERMANENT || w->u8Status == WP_STATUS_MOB);
        }
        return n;
    }
    U32 usedRoutes()
    {
        U32 n = 0;
        for (U32 s = 0; s < NAV_ROUTE_SLOTS; ++s)
            n += T_NAV_pGetRoute(s)->nCount != 0 || T_NAV_pGetRoute(s)->u32DateTime != 0;
        return n;
    }
    U32 usedTracks()
    {
        U32 n = 0;
        for (U32 s = 0; s < NAV_TRACK_SLOTS; ++s)
            n += T_NAV_pGetTrackHeader(s)->u16Count != 0;
        return n;
    }
    U32 usedRumbrels()
    {
        U32 n = 0;
        for (U32 s = 0; s < NAV_RUMBREL_SLOTS; ++s)
            n += T_NAV_pGetRumbrelHeader(s)->nCount != 0;
        return n;
    }

    // A store of every kind: waypoints A (root) and B (group FISH), a route
    // A-B, track 7 and one trolling-motor track.
    struct Fixture {
        U16 a, b, fish, route;
    };
    Fixture fill()
    {
        Fixture f{};
        f.a = add(wp(WP_STATUS_PERMANENT, 100, 200, "ALPHA"));
        f.b = add(wp(WP_STATUS_MOB, 300, 400, "BRAVO"));
        EXPECT_TRUE(T_NAV_GROUP_DATA_bAddLink(root, f.a));
        GROUP_SLOT g = header("FISH", root, NONE);
        g.header.u32DateTime = 777;
        f.fish = T_NAV_GROUP_DATA_nNewGroup(&g.header);
        EXPECT_TRUE(T_NAV_GROUP_DATA_bAddLink(root, f.fish));
        EXPECT_TRUE(T_NAV_GROUP_DATA_bAddLink(f.fish, f.b));
        ROUTE r = route({f.a, f.b}, false, 5555, "LAKE RT");
        const S32 rs = T_NAV_nAddRoute(&r);
        EXPECT_GE(rs, 0);
        f.route = (U16)(0x8800 | rs);
        EXPECT_TRUE(T_NAV_GROUP_DATA_bAddLink(root, f.route));
        auto t = track(40, "TRK");
        for (int i = 0; i < 7; ++i) // track 7 in the table
            EXPECT_GE(T_NAV_nAddTrack(track(3, ("PAD" + std::to_string(i)).c_str()).get(), 1000 + i, nullptr, FALSE),
                      0);
        EXPECT_EQ(T_NAV_nAddTrack(t.get(), 4242, "TRK", FALSE), 7);
        for (int i = 0; i < 7; ++i)
            T_NAV_vDeleteTrack(i, FALSE);
        EXPECT_TRUE(T_NAV_GROUP_DATA_bAddLink(root, 0x8000 | 7));
        auto k = rumbrel(12, "TROLL");
        const U16 ks = T_NAV_u16RumbrelAdd(k.get());
        EXPECT_NE(ks, NONE);
        EXPECT_TRUE(T_NAV_GROUP_DATA_bAddLink(root, (U16)(0x4C00 | ks)));
        return f;
    }
};

// ---- Splitting and the count note ----

TEST(CardNoteSplit, PartsStopAtTheLimitAndKeepTheRest)
{
    struct Case {
        const char* text;
        S32 maxChars, maxParts, parts;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {"a#b#c", 255, 2, 2, {"a", "b#c"}},
        {"a#b#c", 255, 6, 3, {"a", "b", "c"}},
        {"a#b#c", 2, 6, 2, {"a", "b#c"}},
        {"a#b", 255, 1, 1, {"a#b"}},
        {"", 255, 4, 1, {""}},
        {"no marks", 255, 4, 1, {"no marks"}},
    };
    for (const Case& c : cases) {
        char buf[64];
        snprintf(buf, sizeof buf, "%s", c.text);
        char* parts[8] = {};
        ASSERT_EQ(T_NAV_DATA_nSplitString(buf, parts, c.maxChars, c.maxParts), c.parts) << c.text;
        for (S32 i = 0; i < c.parts; ++i)
            EXPECT_EQ(parts[i], c.want[i]) << c.text << " part " << i;
    }
}

TEST(CardNoteSplit, TheNoteNamesTheCountsOfItsCase)
{
    struct Case {
        U32 w, r, g, t, k;
        BOOLEAN full;
        std::string note;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0, FALSE, "No new nav data found."},
        {0, 0, 0, 3, 0, FALSE, "Loaded 3 tracks."},
        {2, 1, 0, 0, 0, FALSE, "Loaded 0 tracks, 2 waypoints and 1 routes."},
        {2, 1, 4, 1, 0, FALSE, "Loaded 1 tracks, 2 waypoints 1 routes and 4 groups."},
        {2, 1, 0, 1, 5, FALSE, "Loaded 1 tracks, 2 waypoints, 1 routes and 5 rumbrels."},
        {2, 1, 4, 1, 5, FALSE, "Loaded 1 tracks, 2 waypoints, 1 routes, 4 groups and 5 rumbrels"},
        {2, 0, 0, 0, 0, TRUE, " Not enough memory to load all nav data."},
    };
    for (const Case& c : cases) {
        char note[256];
        T_NAV_DATA_vShowImportStatus(note, c.w, c.r, c.g, c.t, c.k, c.full);
        EXPECT_EQ(std::string(note), c.note);
    }
}

// ---- Export ----

TEST_F(CardExchange, AnEmptyStoreGivesEmptyFilesAndTheFolderIsEmptiedFirst)
{
    fs::create_directories(folder + "/SUB");
    writeAll(folder + "/OLD.TXT", {1, 2, 3});
    writeAll(folder + "/099.QT", {1});
    writeAll(folder + "/.hidden", {9});
    T_NAV_DATA_vExportAllTracksWaypointsRoutes();
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    // The root group's records are the store's only slots.
    EXPECT_EQ(names, (std::vector<std::string>{".hidden", "DATA.QIT", "DATA.QWR", "SUB"}));
    EXPECT_EQ(fs::file_size(folder + "/DATA.QIT"), 0u);
    EXPECT_EQ(fs::file_size(folder + "/DATA.QWR") % NAV_DATA_WAYPOINT_RECORD_BYTES, 0u);
    EXPECT_EQ(lastNote(), "Nav data successfully exported to MMC/SD card.");
}

TEST_F(CardExchange, WithoutAWritableCardTheExportFails)
{
    fs::remove_all(card);
    T_NAV_DATA_vExportAllTracksWaypointsRoutes();
    EXPECT_EQ(lastNote(), "Export to MMC/SD card failed.");
    EXPECT_FALSE(fs::exists(folder));
}

TEST_F(CardExchange, ExportWritesTheTrackFileAndTheRecordsInCardOrder)
{
    fill();
    T_NAV_DATA_vExportAllTracksWaypointsRoutes();
    ASSERT_TRUE(fs::exists(folder + "/007.QT"));
    const auto qt = readAll(folder + "/007.QT");
    ASSERT_EQ(qt.size(), NAV_DATA_TRACK_RECORD_BYTES);
    EXPECT_EQ(std::vector<U8>(qt.begin(), qt.begin() + 8), (std::vector<U8>{1, 3, 0, 0, 0, 7, 0, 0}));
    EXPECT_EQ(qt[8], 0) << "u16Count 40, big-endian";
    EXPECT_EQ(qt[9], 40);
    const auto qit = readAll(folder + "/DATA.QIT");
    ASSERT_EQ(qit.size(), NAV_DATA_RUMBREL_RECORD_BYTES);
    EXPECT_EQ(std::vector<U8>(qit.begin(), qit.begin() + 4), (std::vector<U8>{4, 1, 0x0C, 0x08}));
    const auto qwr = readAll(folder + "/DATA.QWR");
    // Slots in slot order, then the route.
    ASSERT_GE(qwr.size(), NAV_DATA_ROUTE_RECORD_BYTES);
    const size_t routeAt = qwr.size() - NAV_DATA_ROUTE_RECORD_BYTES;
    EXPECT_EQ(qwr[routeAt], 3);
    EXPECT_EQ((qwr[routeAt + 2] << 8) | qwr[routeAt + 3], 136);
    for (size_t at = 0; at < routeAt; at += NAV_DATA_WAYPOINT_RECORD_BYTES)
        EXPECT_EQ(qwr[at], 2) << at;
    EXPECT_EQ(lastNote(), "Nav data successfully exported to MMC/SD card.");
}

// ---- Export, then import ----

TEST_F(CardExchange, ARoundTripReproducesTheItemsAndTheTreeAndASecondImportAddsNothing)
{
    fill();
    T_NAV_DATA_vExportAllTracksWaypointsRoutes();
    freshUnit();
    import();
    EXPECT_EQ(lastNote(), "Loaded 1 tracks, 2 waypoints, 1 routes, 1 groups and 1 rumbrels");
    EXPECT_EQ(usedWaypoints(), 2u);
    EXPECT_EQ(usedRoutes(), 1u);
    EXPECT_EQ(usedTracks(), 1u);
    EXPECT_EQ(usedRumbrels(), 1u);
    GROUP_SLOT fish = header("FISH", root, NONE);
    fish.header.u32DateTime = 777;
    const U16 g = T_NAV_u16FindInGroup(FIND_GROUPHEADER_IN_GROUP, &fish.header, root);
    ASSERT_NE(g, NONE);
    const auto inFish = links(g);
    ASSERT_EQ(inFish.size(), 1u);
    EXPECT_EQ(std::string(T_NAV_pGetWaypoint(inFish[0])->sName, 5), "BRAVO");
    EXPECT_EQ(T_NAV_pGetWaypoint(inFish[0])->u8Status, WP_STATUS_MOB);
    const ROUTE* r = nullptr;
    for (U32 s = 0; s < NAV_ROUTE_SLOTS && r == nullptr; ++s)
        if (T_NAV_pGetRoute(s)->nCount != 0)
            r = T_NAV_pGetRoute(s);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->nCount, 2u);
    EXPECT_EQ(std::string(T_NAV_pGetWaypoint(r->anWaypoint[0])->sName, 5), "ALPHA");
    EXPECT_EQ(std::string(T_NAV_pGetWaypoint(r->anWaypoint[1])->sName, 5), "BRAVO");
    U32 t = 0;
    while (T_NAV_pGetTrackHeader(t)->u16Count == 0)
        ++t;
    EXPECT_EQ(T_NAV_pGetTrackHeader(t)->u16Count, 40);
    EXPECT_EQ(std::string(T_NAV_pGetTrackHeader(t)->sName, 3), "TRK");

    import();
    EXPECT_EQ(lastNote(), "No new nav data found.");
    EXPECT_EQ(usedWaypoints(), 2u);
    EXPECT_EQ(usedRoutes(), 1u);
    EXPECT_EQ(usedTracks(), 1u);
    EXPECT_EQ(usedRumbrels(), 1u);
    EXPECT_EQ(links(g).size(), 1u);
}

TEST_F(CardExchange, TheQuestionRunsTheImportOnYes)
{
    fill();
    T_NAV_DATA_vExportAllTracksWaypointsRoutes();
    freshUnit();
    T_NAV_DATA_vImportFromMMC(0);
    EXPECT_EQ(usedWaypoints(), 0u) << "nothing before the answer";
    EXPECT_TRUE(notes().empty());
    drain(VIEW_BOX);
    drain(KEYBOARD_BOX);
    for (int i = 0; i < 20 && pressEast(); ++i) {
    }
    EXPECT_EQ(usedWaypoints(), 2u);
    EXPECT_EQ(lastNote(), "Loaded 1 tracks, 2 waypoints, 1 routes, 1 groups and 1 rumbrels");
    EXPECT_FALSE(T_NAV_DATA_vGetMMCLoading());
    // The loading dialog came and went; the keys were taken and given back.
    int shown = 0, hidden = 0;
    for (const auto& m : drain(VIEW_BOX)) {
        if (m.cmd == CMD_ID_REGISTER_LAYER && m.as<MSG_REGISTER_LAYER>().layer == NAV_DATA_LOAD_MESSAGE_LAYER)
            ++shown;
        if (m.cmd == CMD_ID_UNREGISTER_LAYER && m.as<MSG_UNREGISTER_LAYER>().layer == NAV_DATA_LOAD_MESSAGE_LAYER)
            ++hidden;
    }
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(hidden, 1);
    bool taken = false, released = false;
    for (const auto& m : drain(KEYBOARD_BOX)) {
        taken = taken || (m.cmd == CMD_ID_REGISTER_FOR_KEYS && m.as<MSG_REGISTER_FOR_KEYS>().keys == 0xFFEFu);
        released = released || (m.cmd == CMD_ID_UNREGISTER_FOR_KEYS && m.as<MSG_UNREGISTER_FOR_KEYS>().keys == 0xFFFEu);
    }
    EXPECT_TRUE(taken);
    EXPECT_TRUE(released);
}

TEST(CardProgress, TheDotsCycleOnlyWhileAnImportRuns)
{
    T_NAV_DATA_vStopDisplayMMCLoading();
    EXPECT_EQ(T_NAV_DATA_vDisplayMMCLoading(), MMC_STRING_INITIAL);
    T_NAV_DATA_vStartDisplayMMCLoading();
    EXPECT_EQ(T_NAV_DATA_vDisplayMMCLoading(), MMC_STRING_TWO_DOT);
    EXPECT_EQ(T_NAV_DATA_vDisplayMMCLoading(), MMC_STRING_THREE_DOT);
    EXPECT_EQ(T_NAV_DATA_vDisplayMMCLoading(), MMC_STRING_ONE_DOT);
    EXPECT_TRUE(T_NAV_DATA_vGetMMCLoading());
    T_NAV_DATA_vStopDisplayMMCLoading();
    EXPECT_FALSE(T_NAV_DATA_vGetMMCLoading());
}

// A store without groups, so that every slot is known.
class CardWriter : public CardExchange {
protected:
    bool withRoot() override { return false; }
};

TEST_F(CardWriter, TheExportEqualsTheWritersFilesByteForByte)
{
    ASSERT_EQ(add(wp(WP_STATUS_PERMANENT, 100, 200, "ALPHA")), 0);
    ASSERT_EQ(add(wp(WP_STATUS_MOB, 300, 400, "BRAVO")), 1);
    ROUTE r = route({0, 1}, false, 5555, "LAKE RT");
    ASSERT_EQ(T_NAV_nAddRoute(&r), 0);
    for (int i = 0; i < 7; ++i)
        ASSERT_GE(T_NAV_nAddTrack(track(3).get(), 1, nullptr, FALSE), 0);
    auto t = track(40, "TRK");
    t->u16Reserved = 0xBEEF;
    ASSERT_EQ(T_NAV_nAddTrack(t.get(), 4242, "TRK", FALSE), 7);
    for (int i = 0; i < 7; ++i)
        T_NAV_vDeleteTrack(i, FALSE);
    auto k = rumbrel(12, "TROLL", 0x600D);
    k->pad1 = 0xA5A5A5A5;
    k->u32Flags = 0x11223344;
    k->u32TotalLengthFt = 5280;
    k->u32DateTimeLastUsed = 0x6000001;
    k->u32Visible = 1;
    k->u32Style = 2;
    k->u32Color = 22;
    k->ptLowerLeft = {-300, -400};
    k->ptUpperRight = {300, 400};
    k->u64UID = 0x0123456789ABCDEFull;
    k->u32LastModifiedTimeNDate = 0x7777;
    k->u32DisplayedOnChart = 1;
    k->u32MMCToRumbrelId = 0x4C07;
    k->ptOriginPt = {-1, 1};
    k->u32PointsHash = 0xDEADBEEF;
    for (U32 i = 0; i < sizeof k->pad; ++i)
        k->pad[i] = (U8)i;
    ASSERT_EQ(T_NAV_u16RumbrelAdd(k.get()), 0);
    T_NAV_DATA_vExportAllTracksWaypointsRoutes();
    const std::string want = navt::unitRoot().at("/tmp/card-writer");
    fs::remove_all(want);
    const vt::ProcResult p =
        vt::runProcess({"/usr/bin/python3", vt::sourcePath("nav/tests/nav_card_fixture.py"), "export", want});
    ASSERT_EQ(p.status, 0) << p.out << p.err;
    for (const char* name : {"DATA.QWR", "007.QT", "DATA.QIT"}) {
        const auto got = readAll(folder + "/" + name), expected = readAll(want + "/" + name);
        ASSERT_FALSE(got.empty()) << name;
        ASSERT_EQ(got.size(), expected.size()) << name;
        size_t first = got.size();
        for (size_t i = 0; i < got.size() && first == got.size(); ++i)
            if (got[i] != expected[i])
                first = i;
        EXPECT_EQ(first, got.size()) << name << " differs first at byte " << first;
    }
}

// ---- The selection export ----

TEST_F(CardExchange, ASelectionHasItsOwnHomeRootAndLeavesAnotherUnitsTrackOut)
{
    const Fixture f = fill();
    NAV_STANDIN_vSetExportSelection({f.a, (U16)(0x8000 | 0x0040 | 7)});
    const U32 browseBefore = NAV_STANDIN_u32ReturnsToBrowse();
    T_NAV_DATA_vExportSelectedTracksWaypointsRoutes();
    EXPECT_EQ(lastNote(), "Nav data successfully exported to MMC/SD card.");
    EXPECT_EQ(NAV_STANDIN_u32ReturnsToBrowse(), browseBefore + 1);
    EXPECT_FALSE(fs::exists(folder + "/007.QT"));
    EXPECT_EQ(fs::file_size(folder + "/DATA.QIT"), 0u);
    const auto qwr = readAll(folder + "/DATA.QWR");
    ASSERT_GE(qwr.size(), NAV_DATA_WAYPOINT_RECORD_BYTES);
    EXPECT_EQ(qwr[8] & 0x3F, WP_STATUS_GROUP_HEADER);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&qwr[8 + 16])), "Home");
    freshUnit();
    import();
    EXPECT_EQ(lastNote(), "Loaded 0 tracks, 1 waypoints and 0 routes.");
    EXPECT_EQ(usedTracks(), 0u);
}

TEST_F(CardExchange, ASelectionOfEveryKindReachesAFreshUnit)
{
    const Fixture f = fill();
    U16 k = NONE;
    for (U16 id : links(root))
        if ((id & 0xFE00) == 0x4C00)
            k = id;
    NAV_STANDIN_vSetExportSelection({f.route, f.a, f.fish, 0x8007, k});
    T_NAV_DATA_vExportSelectedTracksWaypointsRoutes();
    EXPECT_TRUE(fs::exists(folder + "/007.QT"));
    EXPECT_EQ(fs::file_size(folder + "/DATA.QIT"), NAV_DATA_RUMBREL_RECORD_BYTES);
    freshUnit();
    import();
    EXPECT_EQ(usedWaypoints(), 2u) << "the copies the selection holds twice are found, not added again";
    EXPECT_EQ(usedRoutes(), 1u);
    EXPECT_EQ(usedTracks(), 1u);
    EXPECT_EQ(usedRumbrels(), 1u);
    GROUP_SLOT fish = header("FISH", root, NONE);
    fish.header.u32DateTime = 777;
    const U16 g = T_NAV_u16FindInGroup(FIND_GROUPHEADER_IN_GROUP, &fish.header, root);
    ASSERT_NE(g, NONE);
    EXPECT_EQ(links(g).size(), 1u);
    import();
    EXPECT_EQ(lastNote(), "No new nav data found.");
}

// ---- Old cards and merge cases ----

TEST_F(CardExchange, AnOldCardImportsFlatWithTheNewPositionHoldIconAndSkipsAVersion1Track)
{
    fs::create_directories(folder);
    WAYPOINT hold = wp(WP_STATUS_PERMANENT, 5, 6, "SL HOLD");
    hold.u8Icon = 31;
    WAYPOINT other = wp(WP_STATUS_PERMANENT, 7, 8, "CAMP");
    other.u8Icon = 31;
    std::vector<U8> qwr;
    append(qwr, waypointRecord(3, hold, 2));
    append(qwr, waypointRecord(9, other, 2));
    ROUTE r = route({3, 4, 9}, false, 1234, "OLD RT"); // slot 4 is not on the card
    append(qwr, routeRecord(0, r));
    writeAll(folder + "/data.qwr", qwr);
    std::vector<U8> v1(NAV_DATA_HEADER_BYTES + TRACK_V1_BYTES, 0);
    v1[0] = 1;
    v1[1] = 1;
    writeAll(folder + "/001.qt", v1);
    import();
    EXPECT_EQ(lastNote(), "Loaded 0 tracks, 2 waypoints and 1 routes.");
    const auto inRoot = links(root);
    U32 icons71 = 0, icons31 = 0;
    for (U16 id : inRoot) {
        const WAYPOINT* w = (id & 0xC000) == 0 ? T_NAV_pGetWaypoint(id) : nullptr;
        if (w != nullptr) {
            icons71 += w->u8Icon == 71;
            icons31 += w->u8Icon == 31;
        }
    }
    EXPECT_EQ(icons71, 1u);
    EXPECT_EQ(icons31, 1u);
    EXPECT_EQ(usedTracks(), 0u) << "a version-1 track is passed over";
    const ROUTE* nr = nullptr;
    for (U32 s = 0; s < NAV_ROUTE_SLOTS && nr == nullptr; ++s)
        if (T_NAV_pGetRoute(s)->u32DateTime == 1234)
            nr = T_NAV_pGetRoute(s);
    ASSERT_NE(nr, nullptr);
    EXPECT_EQ(nr->nCount, 2u) << "the point of the missing slot is dropped";
}

TEST_F(CardExchange, AnOlderUnitsCardFromTheWriterUpgradesItsTrackAndWaypoints)
{
    const vt::ProcResult p =
        vt::runProcess({"/usr/bin/python3", vt::sourcePath("nav/tests/nav_card_fixture.py"), "old-card", folder});
    ASSERT_EQ(p.status, 0) << p.out << p.err;
    import();
    EXPECT_EQ(lastNote(), "Loaded 1 tracks, 2 waypoints and 0 routes.");
    std::vector<U8> icons;
    for (U16 id : links(root))
        if ((id & 0xC000) == 0)
            icons.push_back(T_NAV_pGetWaypoint(id)->u8Icon);
    std::sort(icons.begin(), icons.end());
    EXPECT_EQ(icons, (std::vector<U8>{31, 71})) << "only the position-hold name gets the new icon";
    ASSERT_EQ(usedTracks(), 1u) << "the version-1 track is passed over";
    U32 t = 0;
    while (T_NAV_pGetTrackHeader(t)->u16Count == 0)
        ++t;
    EXPECT_EQ(T_NAV_pGetTrackHeader(t)->u16Count, 30);
    EXPECT_EQ(std::string(T_NAV_pGetTrackHeader(t)->sName), "OLD TRACK");
}

TEST_F(CardExchange, AFlatImportAddsAWaypointHeldOutsideTheRootAgain)
{
    GROUP_SLOT g = header("OTHER", root, NONE);
    const U16 other = T_NAV_GROUP_DATA_nNewGroup(&g.header);
    ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(root, other));
    const WAYPOINT w = wp(WP_STATUS_PERMANENT, 11, 12, "DOCK");
    const U16 held = add(w);
    ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(other, held));
    fs::create_directories(folder);
    writeAll(folder + "/DATA.QWR", waypointRecord(0, w));
    import();
    EXPECT_EQ(usedWaypoints(), 2u);
    EXPECT_EQ(lastNote(), "Loaded 0 tracks, 1 waypoints and 0 routes.");
}

TEST_F(CardExchange, AGroupedImportMergesAnEqualGroupAndLinksAWaypointHeldElsewhere)
{
    // Unit: FISH under the root (empty), DOCK in group OTHER.
    GROUP_SLOT fish = header("FISH", root, NONE);
    fish.header.u32DateTime = 5;
    const U16 unitFish = T_NAV_GROUP_DATA_nNewGroup(&fish.header);
    ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(root, unitFish));
    GROUP_SLOT og = header("OTHER", root, NONE);
    const U16 other = T_NAV_GROUP_DATA_nNewGroup(&og.header);
    ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(root, other));
    const WAYPOINT dock = wp(WP_STATUS_PERMANENT, 11, 12, "DOCK");
    const U16 held = add(dock);
    ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(other, held));
    const U32 before = usedWaypoints();

    // Card: root (0) -> body 1 {FISH 20}; FISH -> body 21 {DOCK 30}.
    auto slot = [](const GROUP_SLOT& s) {
        WAYPOINT w{};
        T_NAV_GROUP_vToWaypoint(&s, &w);
        return w;
    };
    GROUP_SLOT cf = header("FISH", 0xC000, 0xC000 | 21);
    cf.header.u32DateTime = 5;
    std::vector<U8> qwr;
    append(qwr, waypointRecord(0, slot(header("Home", NONE, 0xC001))));
    append(qwr, waypointRecord(1, slot(body({0xC000 | 20})))); 
    append(qwr, waypointRecord(20, slot(cf)));
    append(qwr, waypointRecord(21, slot(body({30}))));
    append(qwr, waypointRecord(30, dock));
    fs::create_directories(folder);
    writeAll(folder + "/DATA.QWR", qwr);
    import();
    EXPECT_EQ(usedWaypoints(), before) << "DOCK is linked, not copied";
    const auto inFish = links(unitFish);
    ASSERT_EQ(inFish.size(), 1u);
    EXPECT_EQ(inFish[0], held);
    EXPECT_EQ(lastNote(), "No new nav data found.") << "nothing was added";
}

TEST_F(CardExchange, ATrollingMotorTrackAlreadyOnTheUnitIsLinkedNotCounted)
{
    auto k = rumbrel(12, "TROLL");
    ASSERT_NE(T_NAV_u16RumbrelAdd(k.get()), NONE);
    T_NAV_DATA_vExportAllTracksWaypointsRoutes();
    fs::remove(folder + "/DATA.QWR");
    import();
    EXPECT_EQ(usedRumbrels(), 1u);
    EXPECT_EQ(lastNote(), "No new nav data found.");
    bool linked = false;
    for (U16 id : links(root))
        linked = linked || (id & 0xFE00) == 0x4C00;
    EXPECT_TRUE(linked);
}

TEST_F(CardExchange, AFolderWithOnlyRecordedTracksCountsTheNewOnes)
{
    auto k = rumbrel(12, "TROLL");
    auto k2 = rumbrel(20, "TROLL2", 9100);
    ASSERT_NE(T_NAV_u16RumbrelAdd(k.get()), NONE);
    ASSERT_NE(T_NAV_u16RumbrelAdd(k2.get()), NONE);
    T_NAV_DATA_vExportAllTracksWaypointsRoutes();
    fs::remove(folder + "/DATA.QWR");
    freshUnit();
    ASSERT_NE(T_NAV_u16RumbrelAdd(k.get()), NONE);
    import();
    EXPECT_EQ(usedRumbrels(), 2u);
    EXPECT_EQ(lastNote(), "Loaded 0 tracks, 0 waypoints, 0 routes and 1 rumbrels.");
}

TEST_F(CardExchange, FullTablesGiveTheOutOfRoomNoteAndChangeNothingStored)
{
    U32 stored = 0;
    const U16 w = add(wp(WP_STATUS_PERMANENT, 1, 1, "W"));
    ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(root, w));
    for (U32 i = 0; i < NAV_ROUTE_SLOTS + 1; ++i) {
        ROUTE r = route({w}, false, 100 + i, ("R" + std::to_string(i)).c_str());
        const S32 slot = T_NAV_nAddRoute(&r);
        if (slot < 0 || slot >= (S32)NAV_ROUTE_SLOTS)
            break;
        // Linked, as every stored item is: the clean-up after a merge
        // sweeps what no group references.
        ASSERT_TRUE(T_NAV_GROUP_DATA_bAddLink(root, (U16)(0x8800 | slot))) << "route " << i << " slot " << slot;
        ++stored;
    }
    ASSERT_EQ(T_NAV_u16FindAvailableRoute(FALSE), NONE) << "the shared part is full";
    std::vector<ROUTE> before;
    for (U32 i = 0; i < NAV_ROUTE_SLOTS; ++i)
        before.push_back(*T_NAV_pGetRoute(i));
    fs::create_directories(folder);
    writeAll(folder + "/DATA.QWR", routeRecord(3, route({}, false, 99999, "NEW RT")));
    import();
    EXPECT_EQ(lastNote(), " Not enough memory to load all nav data.");
    for (U32 i = 0; i < NAV_ROUTE_SLOTS; ++i)
        EXPECT_EQ(memcmp(&before[i], T_NAV_pGetRoute(i), sizeof(ROUTE)), 0) << i;
    EXPECT_GT(stored, 0u);
}

// ---- Bad files ----

TEST_F(CardExchange, BadFilesAreRefusedAndTheStoreKeepsEveryItem)
{
    fill();
    const U32 w = usedWaypoints(), r = usedRoutes(), t = usedTracks(), k = usedRumbrels();
    const auto rootLinks = links(root);
    fs::create_directories(folder);
    const U32 refusedBefore = T_NAV_DATA_u32GetRefusedCardRecords();
    std::vector<U8> qwr;
    // an unknown kind with a size, skipped in step; a waypoint behind it
    std::vector<U8> odd = {9, 1, 0, 12, 0, 0, 0, 0, 0xAA, 0xBB, 0xCC, 0xDD};
    append(qwr, odd);
    append(qwr, waypointRecord(5, wp(WP_STATUS_PERMANENT, 1, 2, "NEWONE")));
    // a route of 60 points, refused
    ROUTE big = route({}, false, 77, "BIG");
    big.nCount = 60;
    auto bigRec = routeRecord(1, big);
    append(qwr, bigRec);
    // a truncated waypoint
    auto cut = waypointRecord(6, wp(WP_STATUS_PERMANENT, 3, 4, "CUT"));
    cut.resize(20);
    append(qwr, cut);
    writeAll(folder + "/DATA.QWR", qwr);
    writeAll(folder + "/DATA.QIT", {4, 1, 0x0C, 0x08, 0, 0, 0, 0, 1, 2, 3});
    writeAll(folder + "/002.QT", {1, 3, 0, 0, 0, 2, 0, 0, 5});
    import();
    EXPECT_GE(T_NAV_DATA_u32GetRefusedCardRecords() - refusedBefore, 3u);
    EXPECT_EQ(usedWaypoints(), w + 1);
    EXPECT_EQ(usedRoutes(), r);
    EXPECT_EQ(usedTracks(), t);
    EXPECT_EQ(usedRumbrels(), k);
    const auto after = links(root);
    for (U16 id : rootLinks)
        EXPECT_NE(std::find(after.begin(), after.end(), id), after.end()) << id;
}

} // namespace
