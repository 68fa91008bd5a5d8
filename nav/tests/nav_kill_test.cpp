// Item files survive a writer killed at any moment: a child saves
// waypoints, routes and a track in rounds and reports each save that
// returned; it is killed with SIGKILL at random moments. After each kill
// every file holds one whole round (the last one reported, or the one in
// flight), no reported save is missing, and the start-up scan reads the
// folder with nothing to refuse.
#include "nav/tests/nav_test_util.h"

#include "nav/data/t_nav_twr.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <map>
#include <random>
#include <sys/wait.h>
#include <thread>

namespace {

enum Kind : U8 { KIND_WAYPOINT = 1, KIND_ROUTE = 2, KIND_TRACK = 3 };

struct Item {
    Kind kind;
    U16 index;
    bool operator<(const Item& o) const { return kind != o.kind ? kind < o.kind : index < o.index; }
};

const Item ITEMS[] = {{KIND_WAYPOINT, 10}, {KIND_TRACK, 2},  {KIND_WAYPOINT, 11}, {KIND_ROUTE, 0},
                      {KIND_WAYPOINT, 12}, {KIND_ROUTE, 1}, {KIND_WAYPOINT, 2999}};

// The record of round r: every part of it tells the round, so a file
// mixing two rounds shows.
void save(const Item& item, U32 r)
{
    switch (item.kind) {
    case KIND_WAYPOINT: {
        WAYPOINT w{};
        w.u8Status = 1;
        w.u16Depth = (U16)r;
        w.u32DateTime = r;
        w.pt = {(S32)(r % 1000000), -(S32)(r % 1000000)};
        snprintf(w.sName, sizeof w.sName, "R%u", r % 100000000);
        T_NAV_NVRAM_vSaveWaypoint(&w, item.index, TRUE);
        break;
    }
    case KIND_ROUTE: {
        ROUTE rt{};
        rt.nCount = 1 + r % 50;
        rt.u32DateTime = r;
        for (U16& id : rt.anWaypoint)
            id = (U16)r;
        T_NAV_NVRAM_vSaveRoute(&rt, item.index, TRUE);
        break;
    }
    case KIND_TRACK: {
        static TRACK t;
        t.u16Count = (U16)(2 + r % 100);
        t.u16FirstDelta = (U16)(r % TRACK_DELTA_COUNT);
        t.u32DateTime = r;
        for (TRACK_DELTA_DEPTH_TRIPLE& d : t.aDelta)
            d = {(S16)(r & 0x7FFF), (S16)-(S16)(r & 0x7FFF), (U16)r};
        T_NAV_NVRAM_vSaveTrack(&t, item.index, TRUE);
        break;
    }
    }
}

// The round a file holds: 0 when there is no file, -1 when it is not one
// whole round.
long roundOnDisk(const std::string& cwd, const Item& item)
{
    const char* folder = item.kind == KIND_WAYPOINT ? "wpts" : item.kind == KIND_ROUTE ? "routes" : "tracks";
    std::string path = cwd + "/" + folder + "/" + std::to_string(item.index);
    if (!vt::fileExists(path))
        return 0;
    std::string bytes = vt::readFile(path);
    const U8* p = reinterpret_cast<const U8*>(bytes.data());
    FILE_HEADER h;
    if (bytes.size() < NAV_FILE_HEADER_BYTES)
        return -1;
    T_NAV_NVRAM_vDecodeFileHeader(p, &h);
    if (h.U32FSVersion != NAV_FS_VERSION || h.u16Index != item.index)
        return -1;
    p += NAV_FILE_HEADER_BYTES;
    size_t body = bytes.size() - NAV_FILE_HEADER_BYTES;
    switch (item.kind) {
    case KIND_WAYPOINT: {
        if (body != WAYPOINT_BYTES)
            return -1;
        WAYPOINT w;
        T_NAV_RECORD_vDecodeWaypoint(p, &w);
        U32 r = w.u32DateTime;
        char name[13] = {};
        snprintf(name, sizeof name, "R%u", r % 100000000);
        bool whole = w.u16Depth == (U16)r && w.pt.x == (S32)(r % 1000000) && memcmp(name, w.sName, 12) == 0;
        return whole ? (long)r : -1;
    }
    case KIND_ROUTE: {
        if (body != ROUTE_BYTES)
            return -1;
        ROUTE rt;
        T_NAV_RECORD_vDecodeRoute(p, &rt);
        U32 r = rt.u32DateTime;
        bool whole = rt.nCount == 1 + r % 50;
        for (U16 id : rt.anWaypoint)
            whole = whole && id == (U16)r;
        return whole ? (long)r : -1;
    }
    case KIND_TRACK: {
        if (body != TRACK_BYTES)
            return -1;
        static TRACK t;
        T_NAV_RECORD_vDecodeTrack(p, &t);
        U32 r = t.u32DateTime;
        bool whole = t.u16Count == 2 + r % 100 && t.u16FirstDelta == r % TRACK_DELTA_COUNT;
        for (const TRACK_DELTA_DEPTH_TRIPLE& d : t.aDelta)
            whole = whole && d.x == (S16)(r & 0x7FFF) && d.u16Depth == (U16)r;
        return whole ? (long)r : -1;
    }
    }
    return -1;
}

// The child: rounds of saves from `first` on, one report per save.
[[noreturn]] void writer(int reportFd, U32 first)
{
    for (U32 r = first;; ++r) {
        for (const Item& item : ITEMS) {
            save(item, r);
            U8 report[8] = {item.kind, 0, (U8)item.index, (U8)(item.index >> 8),
                            (U8)r, (U8)(r >> 8), (U8)(r >> 16), (U8)(r >> 24)};
            if (write(reportFd, report, sizeof report) != (ssize_t)sizeof report)
                _exit(3);
        }
    }
}

class NavKill : public navt::NavFiles {};

TEST_F(NavKill, ItemFilesAreOldOrNewWhenTheWriterIsKilledAtAnyMoment)
{
    std::mt19937 rng(64064);
    std::map<Item, long> known; // the newest round known to be on disk
    long reports = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (int kill = 1; kill <= 50; ++kill) {
        ASSERT_LT(std::chrono::steady_clock::now(), until) << "kills take too long";
        const U32 first = (U32)kill * 1000000 + 1;
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        fflush(nullptr);
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(fds[0]);
            writer(fds[1], first);
        }
        close(fds[1]);
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % 40000));
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;

        // What the child reported before it died.
        std::map<Item, long> reported;
        U8 rec[8];
        while (read(fds[0], rec, sizeof rec) == (ssize_t)sizeof rec) {
            Item item{(Kind)rec[0], (U16)(rec[2] | rec[3] << 8)};
            reported[item] = (long)((U32)rec[4] | (U32)rec[5] << 8 | (U32)rec[6] << 16 | (U32)rec[7] << 24);
            ++reports;
        }
        close(fds[0]);

        for (const Item& item : ITEMS) {
            long inFlight = reported.count(item) ? reported[item] + 1 : first;
            long last = reported.count(item) ? reported[item] : known[item];
            long onDisk = roundOnDisk(cwd, item);
            ASSERT_TRUE(onDisk == last || onDisk == inFlight)
                << "kill " << kill << ", item " << (int)item.kind << "/" << item.index << ": round " << onDisk
                << " on disk, " << last << " saved, " << inFlight << " in flight";
            known[item] = onDisk;
        }

        // The scan finds whole files only; a temporary file of the save in
        // flight is removed.
        std::vector<WAYPOINT> slots(NAV_WAYPOINT_SLOTS);
        std::vector<ROUTE> routes(NAV_ROUTE_SLOTS);
        std::vector<TRACK_HEADER> headers(NAV_TRACK_SLOTS);
        S32 maxUsed = 0;
        navt::LogCapture log;
        T_NAV_NVRAM_vScan(headers.data(), slots.data(), &maxUsed, routes.data());
        EXPECT_EQ(log.count({"refused"}) + log.count({"deleted"}), 0) << log.text();
        EXPECT_LE(log.count({"left over"}), 1);
        for (const Item& item : ITEMS) {
            U32 r = (U32)known[item];
            if (item.kind == KIND_WAYPOINT)
                EXPECT_EQ(slots[item.index].u32DateTime, r);
            else if (item.kind == KIND_ROUTE)
                EXPECT_EQ(routes[item.index].u32DateTime, r);
            else
                EXPECT_EQ(headers[item.index].u32DateTime, r);
        }
    }
    EXPECT_GT(reports, 0) << "no save ever returned before a kill";
}

} // namespace
