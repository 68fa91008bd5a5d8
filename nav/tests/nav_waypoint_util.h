// Shared by the waypoint-table, peer-store and declutter tests: a fixture
// that starts each test with empty tables, default hooks and switches, no
// peers and a callback that records what would be sent; recording hooks and
// followers; records made to order.
#pragma once

#include "gmsg/gsocket.h"
#include "nav/data/t_nav_network.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "nav/tests/nav_test_util.h"

#include <arpa/inet.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace navw {

constexpr U16 NONE = 0xFFFF;
constexpr U32 PEER_A = 0x0A000002; // any address that is not this unit's
constexpr U32 PEER_B = 0x0A000003;
constexpr U32 PEER_C = 0x0A000004;
constexpr U32 PEER_D = 0x0A000005;

// One call of the sending callback.
struct Sent {
    U32 address;
    U16 index;
    U16 count;
    NAV_NETWORK_OP op;
    std::vector<WAYPOINT> records;
};

inline std::vector<Sent>& sent()
{
    static std::vector<Sent> s;
    return s;
}

inline void recordSend(U32 address, U16 index, U16 count, const WAYPOINT* records, NAV_NETWORK_OP op)
{
    Sent s{address, index, count, op, {}};
    if (records != nullptr)
        s.records.assign(records, records + count);
    sent().push_back(std::move(s));
}

// What the recording hooks and follower saw.
struct Calls {
    std::vector<U16> cursor;
    int lastWaypointMenu = 0;
    int target = 0;
    int grid = 0;
    int cursorToMenu = 0;
    std::vector<U16> linked;
    int refresh = 0;
    int errors = 0;
    std::vector<std::pair<U16, U16>> moves;
    std::vector<bool> bulkAtCursorToMenu; // bulk mode as each deletion saw it
};

inline Calls& calls()
{
    static Calls c;
    return c;
}

inline T_NAV_TWR_HOOKS recordingHooks()
{
    T_NAV_TWR_HOOKS h{};
    h.pfnUpdateCursorWaypoint = [](U16 id) { calls().cursor.push_back(id); };
    h.pfnUnregisterLastWaypointMenu = [] { ++calls().lastWaypointMenu; };
    h.pfnRemoveTarget = [] { ++calls().target; };
    h.pfnRemoveGrid = [] { ++calls().grid; };
    h.pfnUpdateCursorToWaypointMenu = [] {
        ++calls().cursorToMenu;
        calls().bulkAtCursorToMenu.push_back(T_NAV_TWR_bGetMultiWaypointFlag() != FALSE);
    };
    h.pfnLinkNewWaypoint = [](U16 id) { calls().linked.push_back(id); };
    h.pfnRefreshDirectory = [] { ++calls().refresh; };
    h.pfnGroupDataError = [](const char*, U32) { ++calls().errors; };
    return h;
}

inline void recordMove(U16 oldId, U16 newId)
{
    calls().moves.emplace_back(oldId, newId);
}

inline WAYPOINT wp(U8 status, S32 x, S32 y, const char* name, bool locked = false, U32 dateTime = 1000)
{
    WAYPOINT w{};
    w.u8Status = status;
    w.bWpNotShared = locked ? 1 : 0;
    w.u8Icon = 3;
    w.u16Depth = 250;
    w.u32DateTime = dateTime;
    w.pt = {x, y};
    navt::setName(w.sName, name);
    return w;
}

inline U16 add(const WAYPOINT& w, BOOLEAN bImport = FALSE)
{
    return T_NAV_u16WaypointAdd(&w, bImport, FALSE);
}

inline U16 fromStevrin(const WAYPOINT& w)
{
    return T_NAV_u16SaveWaypointFromStevrin(&w);
}

inline S32 addPeerRecord(U32 s, const WAYPOINT& w, S32 bank)
{
    return T_NAV_TWR_nAddNetworkWaypoint(s, &w, bank);
}

// A key's value; 0xDEADBEEF when it holds none.
inline U32 getU32(FOURCHARID key)
{
    U32 v = 0xDEADBEEF;
    H_DATABASE_bFetchU32(key, &v, nullptr, nullptr);
    return v;
}

inline void setU32(FOURCHARID key, U32 v)
{
    H_DATABASE_bUpdateValueU32(key, v, P_NORMAL);
}

inline WAYPOINT& slot(U32 bank, U32 s)
{
    return *T_NAV_TWR_pGetNetworkWaypoint(s, (int)bank);
}

class WaypointStore : public navt::NavFiles {
protected:
    void SetUp() override
    {
        navt::NavFiles::SetUp();
        T_NAV_TWR_vInstallHooks(nullptr);
        T_NAV_TWR_vRemoveMoveFollower(recordMove);
        T_NAV_TWR_vSetMultiWaypointFlag(FALSE);
        T_NAV_TWR_vTemporarilyDisableScanForDuplicates(FALSE);
        T_NAV_TWR_vTemporarilyDisableDeclutterWaypointsScan(FALSE);
        T_NAV_TWR_vTemporarilyEnableCLWCUpdateForAllModels(FALSE);
        T_NAV_TWR_bDisableShareLockSeperator(FALSE);
        T_NAV_TWR_vClearTables();
        T_NAV_NETWORK_vReset();
        setU32(FCID("SNCS"), 17);
        setU32(FCID("SNCL"), 15);
        setU32(FCID("IDTM"), 777000);
        calls() = Calls{};
        sent().clear();
    }
    void TearDown() override
    {
        T_NAV_TWR_vInstallHooks(nullptr);
        T_NAV_TWR_vRemoveMoveFollower(recordMove);
        T_NAV_TWR_vSetMultiWaypointFlag(FALSE);
        T_NAV_NETWORK_vReset();
        GSOCKET_vSetInterface(nullptr);
        navt::NavFiles::TearDown();
    }

    // Registers the recording callback with this unit on the loopback
    // interface.
    void share()
    {
        GSOCKET_vSetInterface("lo");
        ASSERT_TRUE(T_NAV_NETWORK_bInit(recordSend));
        sent().clear();
    }

    // Puts records straight into own slots, as the start-up scan does, and
    // recounts the bank.
    void place(const std::vector<std::pair<U32, WAYPOINT>>& records)
    {
        for (const auto& [s, w] : records)
            slot(0, s) = w;
        T_NAV_TWR_vHashWaypoints();
    }

    bool fileExists(U32 s) { return std::filesystem::exists(at("wpts/" + std::to_string(s))); }

    // The record of an own waypoint file.
    WAYPOINT fileRecord(U32 s)
    {
        std::ifstream in(at("wpts/" + std::to_string(s)), std::ios::binary);
        std::vector<U8> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        WAYPOINT w{};
        if (bytes.size() == NAV_FILE_HEADER_BYTES + WAYPOINT_BYTES)
            T_NAV_RECORD_vDecodeWaypoint(bytes.data() + NAV_FILE_HEADER_BYTES, &w);
        return w;
    }
};

} // namespace navw
