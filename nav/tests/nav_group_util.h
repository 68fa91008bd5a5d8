// Shared by the space, group-slot and group-tree tests: the table fixture
// with the group module reset, and groups built slot by slot (the linking
// operations are not what these tests are about).
#pragma once

#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_slot.h"
#include "nav/data/t_nav_space.h"
#include "nav/tests/nav_tables_util.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace navg {

using namespace navr;

inline GROUP_SLOT header(const char* name, U16 parent, U16 firstBody, bool hide = false, bool locked = false)
{
    GROUP_SLOT g{};
    g.header.u8Status = WP_STATUS_GROUP_HEADER;
    g.header.bHide = hide ? 1 : 0;
    g.header.bWpNotShared = locked ? 1 : 0;
    g.header.u16ParentIndex = parent;
    g.header.u16FirstBodyIndex = firstBody;
    navt::setName(g.header.sName, name);
    return g;
}

inline GROUP_SLOT body(std::initializer_list<U16> links, U16 next = 0xFFFF, bool locked = false)
{
    GROUP_SLOT g{};
    g.body.u8Status = WP_STATUS_GROUP_BODY;
    g.body.bWpNotShared = locked ? 1 : 0;
    g.body.u16NextIndex = next;
    for (U16& l : g.body.u16Item)
        l = 0xFFFF;
    U32 i = 0;
    for (U16 l : links)
        g.body.u16Item[i++] = l;
    return g;
}

// Writes a record straight into own slot s, as the start-up scan finds it.
inline void put(U32 s, const GROUP_SLOT& g)
{
    T_NAV_GROUP_vToWaypoint(&g, T_NAV_TWR_pGetNetworkWaypoint(s, 0));
}

inline GROUP_SLOT read(U32 s)
{
    GROUP_SLOT g{};
    T_NAV_GROUP_vFromWaypoint(T_NAV_TWR_pGetNetworkWaypoint(s, 0), &g);
    return g;
}

inline U16 gid(U32 s)
{
    return (U16)(0xC000 | s);
}

class GroupStore : public TableStore {
protected:
    void SetUp() override
    {
        TableStore::SetUp();
        T_NAV_GROUP_DATA_vSetRootGroup(0xFFFF);
        T_NAV_GROUP_DATA_vSetDefaultGroupId(0xFFFF);
        T_NAV_SPACE_vSetGarbageCollector(nullptr);
        setU32(FCID("SLNG"), 0);
    }
    void TearDown() override
    {
        T_NAV_vFreeNavDataBuffer();
        T_NAV_vFreeImportingBuffer();
        T_NAV_SPACE_vSetGarbageCollector(nullptr);
        TableStore::TearDown();
    }

    // A root group as the start-up builds it: header, shared body, locked
    // body in slot 2999.
    U16 buildRoot()
    {
        GROUP_SLOT h = header("Home", 0xFFFF, 0xFFFF);
        h.header.u8Icon = 1;
        const U16 root = T_NAV_GROUP_DATA_nNewGroup(&h.header);
        EXPECT_NE(root, 0xFFFF);
        T_NAV_GROUP_DATA_vSetRootGroup(root);
        EXPECT_TRUE(T_NAV_GROUP_DATA_bAddShareLockBody(root));
        return root;
    }

    // A space over vectors of the given sizes.
    struct Space {
        std::vector<WAYPOINT> waypoints;
        std::vector<ROUTE> routes;
        std::vector<TRACK_HEADER> tracks;
        std::vector<RUMBREL_HEADER> rumbrels;
        NAV_DATA_SPACE space{};
        Space(U16 nWaypoints, U16 nRoutes, U16 nTracks, U16 nRumbrels)
            : waypoints(nWaypoints), routes(nRoutes), tracks(nTracks), rumbrels(nRumbrels)
        {
            space = {waypoints.data(), routes.data(), tracks.data(), rumbrels.data(),
                     nRumbrels,        nWaypoints,    nRoutes,       nTracks};
        }
        NAV_DATA_SPACE* p() { return &space; }
    };
};

} // namespace navg
