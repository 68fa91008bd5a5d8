// Shared by the navigation tests: one unit root for the test process (the
// root is read once per process), emptied before each test with a fresh
// data store; the records the fixture writer also writes; field-by-field
// comparisons; and the log lines a test provokes.
#pragma once

#include "kernel/linux_fs.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_record.h"
#include "store/h_database.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace navt {

// Removed at exit by the process that made it, not by a forked child.
inline const vt::TempRoot& unitRoot()
{
    struct Holder {
        vt::TempRoot* root = new vt::TempRoot;
        pid_t owner = getpid();
        Holder() { root->exportEnv(); }
        ~Holder()
        {
            if (getpid() == owner)
                delete root;
        }
    };
    static Holder holder;
    return *holder.root;
}

inline void setState(U32 state)
{
    H_DATABASE_bUpdateValueU32(FCID("CCST"), state, P_NORMAL);
}

class NavFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        cwd = unitRoot().cwd();
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(cwd, ec))
            std::filesystem::remove_all(e.path(), ec);
        H_DATABASE_vInit();
        setState(3);
        T_NAV_NVRAM_vInit();
    }
    void TearDown() override
    {
        LS_sync_vSetSyncFunction(nullptr);
        T_NAV_NVRAM_vSetWaypointScanHook(nullptr);
    }
    // Host path of a unit path below /usr/vondrel, e.g. at("wpts/5").
    std::string at(const std::string& rel) const { return cwd + "/" + rel; }

    std::string cwd;
};

// Log lines written while the object lives.
class LogCapture {
public:
    LogCapture() { testing::internal::CaptureStdout(); }
    ~LogCapture()
    {
        if (!taken_)
            testing::internal::GetCapturedStdout();
    }
    std::string text()
    {
        if (!taken_) {
            fflush(stdout);
            text_ = testing::internal::GetCapturedStdout();
            taken_ = true;
        }
        return text_;
    }
    // Lines holding every one of the parts.
    int count(const std::vector<std::string>& parts)
    {
        int n = 0;
        size_t from = 0;
        const std::string& t = text();
        while (from < t.size()) {
            size_t end = t.find('\n', from);
            if (end == std::string::npos)
                end = t.size();
            std::string line = t.substr(from, end - from);
            bool all = true;
            for (const std::string& p : parts)
                all = all && line.find(p) != std::string::npos;
            n += all;
            from = end + 1;
        }
        return n;
    }

private:
    bool taken_ = false;
    std::string text_;
};

inline std::string fixtureScript()
{
    return vt::sourcePath("nav/tests/nav_fixture.py");
}

// Runs the fixture writer; empty on success, else what it said.
inline std::string runFixture(const std::string& mode, const std::string& dir)
{
    vt::ProcResult r = vt::runProcess({"/usr/bin/python3", fixtureScript(), mode, dir});
    return r.status == 0 ? std::string() : "fixture writer failed: " + r.out + r.err;
}

template <size_t N>
void setName(char (&dst)[N], const char* src)
{
    memset(dst, 0, N);
    memcpy(dst, src, std::min(N, strlen(src)));
}

// The records the fixture writer's "records" mode writes.

inline WAYPOINT referenceWaypoint12()
{
    WAYPOINT w{};
    w.u8Status = 1;
    w.bHide = 1;
    w.bWpNotShared = 0;
    w.u8Icon = 37;
    w.u16Depth = 1234;
    w.u32DateTime = 0x12345678;
    w.pt = {-20038300, 15433198};
    setName(w.sName, "MARK 0012");
    return w;
}

inline WAYPOINT referenceWaypoint2999()
{
    WAYPOINT w{};
    w.u8Status = 3;
    w.bHide = 0;
    w.bWpNotShared = 1;
    w.u8Icon = 200;
    w.u16Depth = 65535;
    w.u32DateTime = 0xFFFFFFFF;
    w.pt = {20038300, -15433198};
    setName(w.sName, "ABCDEFGHIJKL");
    return w;
}

inline ROUTE referenceRoute3()
{
    ROUTE r{};
    r.nCount = 5;
    r.bHide = 0;
    r.bRtNotShared = 1;
    r.u32DateTime = 0xA0B0C0D0;
    setName(r.sName, "ROUTE TO HARBOUR");
    const U16 ids[] = {0x0000, 0x0001, 0x1005, 0xC000, 0x0BB7};
    for (U32 i = 0; i < ROUTE_MAX_POINTS; ++i)
        r.anWaypoint[i] = i < 5 ? ids[i] : (U16)(3 * i);
    return r;
}

inline std::unique_ptr<TRACK> referenceTrack5()
{
    auto t = std::make_unique<TRACK>();
    t->u16Count = 301;
    t->u16FirstDelta = 21700;
    t->u32DateTime = 0x5F5E1000;
    t->ptFirst = {-100000, 200000};
    t->ptLast = {-90000, 210000};
    t->ptLowerLeft = {-120000, -5};
    t->ptUpperRight = {4, 250000};
    setName(t->sName, "TRACK 5");
    for (int i = 0; i < 300; ++i) {
        TRACK_DELTA_DEPTH_TRIPLE& d = t->aDelta[(21700 + i) % TRACK_DELTA_COUNT];
        d.x = (S16)(7 * i - 1000);
        d.y = (S16)(500 - 13 * i);
        d.u16Depth = (U16)(11 * i);
    }
    return t;
}

inline std::unique_ptr<RUMBREL> referenceRumbrel7()
{
    auto r = std::make_unique<RUMBREL>();
    r->nCount = 4;
    r->u32DateTime = 0x600D;
    setName(r->sName, "TROLL 7");
    r->u32Flags = 0x11;
    r->u32TotalLengthFt = 5280;
    r->u32DateTimeLastUsed = 0x6000001;
    r->u32Visible = 1;
    r->u32Style = 1;
    r->u32Color = 22;
    r->ptLowerLeft = {-300, -400};
    r->ptUpperRight = {300, 400};
    r->u64UID = 0x0123456789ABCDEFull;
    r->u32LastModifiedTimeNDate = 0x7777;
    r->u32DisplayedOnChart = 1;
    r->u32ClosestTP = 2;
    r->u32ClosestDTG = 3;
    r->u32ClosestBRG = 4;
    r->u32MMCToRumbrelId = 0x4C07;
    r->ptOriginPt = {-1, 1};
    r->u32PointsHash = 0xDEADBEEF;
    const POINT pts[] = {{-300, -400}, {300, 400}, {0, 0}, {12, -12}};
    for (int i = 0; i < 4; ++i)
        r->aTrackPoints[i] = pts[i];
    return r;
}

// Field-by-field equality (structs have padding and bit-fields).

inline bool same(POINT a, POINT b)
{
    return a.x == b.x && a.y == b.y;
}

inline ::testing::AssertionResult sameWaypoint(const WAYPOINT& a, const WAYPOINT& b)
{
    if (a.u8Status == b.u8Status && a.bHide == b.bHide && a.bWpNotShared == b.bWpNotShared &&
        a.u8Icon == b.u8Icon && a.u16Depth == b.u16Depth && a.u32DateTime == b.u32DateTime && same(a.pt, b.pt) &&
        memcmp(a.sName, b.sName, sizeof a.sName) == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "waypoints differ: " << std::string(a.sName, 12) << " / "
                                         << std::string(b.sName, 12);
}

inline bool sameRoute(const ROUTE& a, const ROUTE& b)
{
    return a.nCount == b.nCount && a.bHide == b.bHide && a.bRtNotShared == b.bRtNotShared &&
           a.u32DateTime == b.u32DateTime && memcmp(a.sName, b.sName, sizeof a.sName) == 0 &&
           memcmp(a.anWaypoint, b.anWaypoint, sizeof a.anWaypoint) == 0;
}

inline bool sameTrackHeader(const TRACK_HEADER& a, const TRACK_HEADER& b)
{
    return a.u16Count == b.u16Count && a.u16FirstDelta == b.u16FirstDelta && a.u32DateTime == b.u32DateTime &&
           same(a.ptFirst, b.ptFirst) && same(a.ptLast, b.ptLast) && same(a.ptLowerLeft, b.ptLowerLeft) &&
           same(a.ptUpperRight, b.ptUpperRight) && memcmp(a.sName, b.sName, sizeof a.sName) == 0;
}

inline bool sameRing(const TRACK& a, const TRACK& b)
{
    for (U32 i = 0; i < TRACK_DELTA_COUNT; ++i) {
        const TRACK_DELTA_DEPTH_TRIPLE &x = a.aDelta[i], &y = b.aDelta[i];
        if (x.x != y.x || x.y != y.y || x.u16Depth != y.u16Depth)
            return false;
    }
    return a.u16Reserved == b.u16Reserved;
}

inline bool sameRumbrel(const RUMBREL& a, const RUMBREL& b)
{
    U8 x[RUMBREL_BYTES], y[RUMBREL_BYTES];
    T_NAV_RECORD_vEncodeRumbrel(&a, x);
    T_NAV_RECORD_vEncodeRumbrel(&b, y);
    return memcmp(x, y, sizeof x) == 0 && a.nCount == b.nCount && a.u64UID == b.u64UID &&
           a.u32PointsHash == b.u32PointsHash && same(a.ptOriginPt, b.ptOriginPt);
}

} // namespace navt
