// Shared by the route, saved-track, recorded-track and delete-all tests: the
// waypoint-store fixture with hooks that also record the route, group and
// menu calls, records made to order, and readers of the item files.
#pragma once

#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr_bulk.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_track.h"
#include "nav/tests/nav_waypoint_util.h"
#include "trolling/u_stevrin_standin.h"

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace navr {

using namespace navw;

// What the hooks this table adds saw.
struct TableCalls {
    std::vector<U16> defaultGroupLinks;
    int lastSavedRouteMenu = 0;
    int rootGroupBuilt = 0;
    bool keepInputState = false;
};

inline TableCalls& tableCalls()
{
    static TableCalls c;
    return c;
}

inline T_NAV_TWR_HOOKS tableHooks()
{
    T_NAV_TWR_HOOKS h = recordingHooks();
    h.pfnAddToDefaultGroup = [](U16 id) -> BOOLEAN {
        tableCalls().defaultGroupLinks.push_back(id);
        return TRUE;
    };
    h.pfnUnregisterLastSavedRouteMenu = [] { ++tableCalls().lastSavedRouteMenu; };
    h.pfnBuildRootGroup = [] { ++tableCalls().rootGroupBuilt; };
    h.pfnKeepInputStateMode = []() -> BOOLEAN { return tableCalls().keepInputState ? TRUE : FALSE; };
    return h;
}

inline ROUTE route(std::initializer_list<U16> points, bool locked = false, U32 dateTime = 5000,
                   const char* name = "RT")
{
    ROUTE r{};
    r.bRtNotShared = locked ? 1 : 0;
    r.u32DateTime = dateTime;
    navt::setName(r.sName, name);
    for (U16 p : points)
        r.anWaypoint[r.nCount++] = p;
    return r;
}

// A track of `points` points: one step per point after the first.
inline std::unique_ptr<TRACK> track(U16 points, const char* name = "T")
{
    auto t = std::make_unique<TRACK>();
    t->u16Count = points;
    t->u16FirstDelta = 7;
    t->u32DateTime = 4242;
    t->ptFirst = {100, 200};
    t->ptLast = {100 + points, 200 - points};
    navt::setName(t->sName, name);
    for (U16 i = 1; i < points; ++i)
        t->aDelta[(7 + i - 1) % TRACK_DELTA_COUNT] = {1, -1, (U16)(i * 10)};
    return t;
}

inline std::unique_ptr<RUMBREL> rumbrel(U32 points, const char* name = "TROLL", U32 dateTime = 9000)
{
    auto r = std::make_unique<RUMBREL>();
    r->nCount = points;
    r->u32DateTime = dateTime;
    navt::setName(r->sName, name);
    r->u64UID = 0x6000000000000000ull | points << 8 | dateTime;
    for (U32 i = 0; i < points && i < RUMBREL_MAX_POINTS; ++i)
        r->aTrackPoints[i] = {(S32)(1000 + 3 * i), (S32)(-2000 + 7 * (i % 5))};
    return r;
}

class TableStore : public WaypointStore {
protected:
    void SetUp() override
    {
        // A backup a failed test left behind would refuse the next one.
        T_NAV_bRestoreAllWaypointsRoutes();
        WaypointStore::SetUp();
        T_NAV_TWR_HOOKS h = tableHooks();
        T_NAV_TWR_vInstallHooks(&h);
        tableCalls() = TableCalls{};
        U_STEVRIN_STANDIN_vClearCalls();
    }

    bool hasFile(const std::string& rel) { return std::filesystem::exists(at(rel)); }

    std::vector<U8> fileBytes(const std::string& rel)
    {
        std::ifstream in(at(rel), std::ios::binary);
        return std::vector<U8>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    // The route of a route file; nCount 0xFFFF when there is no whole file.
    ROUTE routeFile(U32 slot)
    {
        std::vector<U8> bytes = fileBytes("routes/" + std::to_string(slot));
        ROUTE r{};
        r.nCount = 0xFFFF;
        if (bytes.size() == NAV_FILE_HEADER_BYTES + ROUTE_BYTES)
            T_NAV_RECORD_vDecodeRoute(bytes.data() + NAV_FILE_HEADER_BYTES, &r);
        return r;
    }

    size_t filesIn(const std::string& folder)
    {
        std::error_code ec;
        size_t n = 0;
        for (const auto& e : std::filesystem::directory_iterator(at(folder), ec)) {
            (void)e;
            ++n;
        }
        return n;
    }

    // Every used slot holds what the table holds; the used slots and files
    // match one for one.
    void expectRouteFilesMatchTable()
    {
        for (U32 s = 0; s < NAV_ROUTE_SLOTS; ++s) {
            const ROUTE& r = *T_NAV_pGetRoute(s);
            const bool used = r.nCount != 0 || r.u32DateTime != 0;
            EXPECT_EQ(hasFile("routes/" + std::to_string(s)), used) << "route " << s;
            if (used) {
                EXPECT_TRUE(navt::sameRoute(routeFile(s), r)) << "route " << s;
            }
        }
    }
};

} // namespace navr
