// The store's start-up from flash folders written by the Python fixture
// writer: groups come back as they were, an upgrade or a missing root gets
// a new root with everything linked, and compaction at start-up keeps every
// holder of a moved waypoint right across a second start.
#include "nav/data/t_nav_group_init.h"
#include "nav/data/t_nav_twr_startup.h"
#include "nav/tests/nav_group_util.h"
#include "testing/t_proc.h"

#include "store/h_database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace navg;

constexpr U16 NONE = 0xFFFF;
constexpr U16 SEP = 0xCFFF;

bool s_bUpgrading = false;

class StoreStartup : public GroupStore {
protected:
    void SetUp() override
    {
        GroupStore::SetUp();
        s_bUpgrading = false;
        T_NAV_GROUP_DATA_vInstallUpgradeQuery([]() -> BOOLEAN { return s_bUpgrading ? TRUE : FALSE; });
        T_NAV_GROUP_DATA_vResetUnitID();
    }
    void TearDown() override
    {
        T_NAV_GROUP_DATA_vInstallUpgradeQuery(nullptr);
        GroupStore::TearDown();
    }
    void fixture(const char* kind)
    {
        vt::ProcResult r = vt::runProcess(
            {"/usr/bin/python3", vt::sourcePath("nav/tests/nav_store_fixture.py"), kind, cwd});
        ASSERT_EQ(r.status, 0) << r.out << r.err;
    }
    void boot()
    {
        // What the last start left in memory must not help the next one.
        T_NAV_TWR_vClearTables();
        T_NAV_GROUP_DATA_vSetRootGroup(NONE);
        T_NAV_GROUP_DATA_vSetDefaultGroupId(NONE);
        T_NAV_vInitTracksWaypointsRoutes();
    }
    // Every link of a group's chain, in order, the separator included.
    std::vector<U16> chain(U16 group)
    {
        std::vector<U16> out;
        GROUP_SLOT h{};
        if (!T_NAV_bReadGroupSlot(group, &h))
            return out;
        U16 b = h.header.u16FirstBodyIndex;
        for (int guard = 0; b != NONE && guard < 3000; ++guard) {
            GROUP_SLOT g{};
            if (!T_NAV_bReadGroupSlot(b, &g))
                break;
            for (U16 l : g.body.u16Item)
                if (l != NONE)
                    out.push_back(l);
            if (g.body.u16NextIndex == SEP)
                out.push_back(SEP);
            b = g.body.u16NextIndex;
        }
        return out;
    }
    std::string name(U32 id)
    {
        char n[13] = {};
        T_NAV_vCopyWaypointName(id, n, sizeof n);
        return n;
    }
};

TEST_F(StoreStartup, AStoreWithGroupsComesBackAsItWas)
{
    fixture("grouped");
    setU32(FCID("SNDG"), gid(2));
    boot();
    EXPECT_EQ(T_NAV_GROUP_DATA_nGetRootGroup(), gid(0));
    EXPECT_EQ(T_NAV_GROUP_DATA_nGetDefaultGroup(), gid(2));
    EXPECT_EQ(chain(gid(0)), (std::vector<U16>{5, 6, 0x8800, gid(2), 0x4C00, SEP, 2990}));
    EXPECT_EQ(chain(gid(2)), std::vector<U16>{7});
    EXPECT_EQ(name(7), "SEVEN");
    EXPECT_EQ(name(2990), "LOCKED");
    EXPECT_EQ(T_NAV_pGetRoute(0)->nCount, 2u);
    EXPECT_EQ(*T_NAV_pGetOldRoute(0)->sName, 'H');
    EXPECT_EQ(T_NAV_pGetRumbrelHeader(0)->nCount, 3u);
    EXPECT_EQ(T_NAV_TWR_u16GetRumbrelCount(), 1);
    EXPECT_EQ(T_NAV_GROUP_DATA_u16Getu7UnitID(), 64);
    U32 capable = 0;
    EXPECT_TRUE(H_DATABASE_bFetchU32(FCID("CGRP"), &capable, nullptr, nullptr));
    EXPECT_EQ(capable, 1u);
    // The scans are on again after the start.
    EXPECT_FALSE(T_NAV_TWR_bDuplicateScanDisabled());
}

TEST_F(StoreStartup, AnUpgradeLinksEveryWaypointAndRouteIntoANewRootInOrder)
{
    fixture("upgrade");
    s_bUpgrading = true;
    boot();
    const U16 root = T_NAV_GROUP_DATA_nGetRootGroup();
    ASSERT_NE(root, NONE);
    EXPECT_EQ(T_NAV_GROUP_DATA_nGetDefaultGroup(), root);
    EXPECT_EQ(chain(root), (std::vector<U16>{0, 1, 2, 3, 4, 0x8800, 0x8801, SEP}));
    U32 sndg = 0, swid = 0;
    EXPECT_TRUE(H_DATABASE_bFetchU32(FCID("SNDG"), &sndg, nullptr, nullptr));
    EXPECT_EQ(sndg, root);
    EXPECT_TRUE(H_DATABASE_bFetchU32(FCID("SWID"), &swid, nullptr, nullptr));
    EXPECT_EQ(swid, 5u) << "the default-name counter follows WP001-WP005";
}

TEST_F(StoreStartup, ARootHeaderAfterWaypointSlotsIsFoundAndNothingIsRebuilt)
{
    fixture("late-root");
    boot();
    EXPECT_EQ(T_NAV_GROUP_DATA_nGetRootGroup(), gid(3));
    EXPECT_EQ(chain(gid(3)), (std::vector<U16>{0, 1, 2, SEP}));
    EXPECT_EQ(name(0), "EARLY0");
}

TEST_F(StoreStartup, CompactionAtStartUpKeepsRoutesAndGroupLinksOnTheMovedWaypoints)
{
    fixture("compaction");
    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE(start == 1 ? "first start (groups built, tables compacted)" : "second start");
        boot();
        const ROUTE& locked = *T_NAV_pGetRoute(49);
        ASSERT_EQ(locked.nCount, 3u);
        const std::vector<std::string> want = {"L12", "L13", "L14"};
        const std::vector<U16> rootLinks = chain(T_NAV_GROUP_DATA_nGetRootGroup());
        const ROUTE file = routeFile(49);
        for (U32 p = 0; p < 3; ++p) {
            const U16 id = locked.anWaypoint[p];
            EXPECT_EQ(name(id), want[p]);
            EXPECT_GT(id, 2900) << "moved to the locked end";
            EXPECT_EQ(file.anWaypoint[p], id);
            EXPECT_NE(std::find(rootLinks.begin(), rootLinks.end(), id), rootLinks.end()) << want[p];
        }
        EXPECT_EQ(name(T_NAV_pGetRoute(0)->anWaypoint[1]), "S01");
    }
}

TEST_F(StoreStartup, TheUnitIdComesFromSuidOrFromModelAndSerialNumber)
{
    const struct {
        const char* name;
        S64 suid; // -1: absent
        U32 model;
        U32 serial;
        U16 want;
    } rows[] = {
        {"no SUID, model 0, serial 0", -1, 0, 0, 64},
        {"no SUID, model 1: 2^32 mod 31 is 4", -1, 1, 0, 320},
        {"SUID 1984 kept", 1984, 1, 0, 1984},
        {"SUID 1985 replaced", 1985, 0, 29, 30 * 64},
        {"SUID 100 is no unit id", 100, 0, 0, 64},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        H_DATABASE_vInit();
        if (r.suid >= 0)
            setU32(FCID("SUID"), (U32)r.suid);
        setU32(FCID("SMDL"), r.model);
        setU32(FCID("SENU"), r.serial);
        T_NAV_GROUP_DATA_vSettleUnitID();
        EXPECT_EQ(T_NAV_GROUP_DATA_u16Getu7UnitID(), r.want);
        U32 stored = 0;
        EXPECT_TRUE(H_DATABASE_bFetchU32(FCID("SUID"), &stored, nullptr, nullptr));
        EXPECT_EQ(stored, r.want);
    }
}

TEST_F(StoreStartup, RecordedTracksGetAShortNameAndAnIdentityAndAreWrittenBack)
{
    auto r = rumbrel(4, "TWELVECHARSX");
    memcpy(r->sName, "TWELVECHARSX", 12);
    r->u64UID = 0x1234;
    T_NAV_NVRAM_vSaveRumbrel(r.get(), 3, TRUE);
    setU32(FCID("SMAC"), 0x0A0B0C);
    boot();
    const RUMBREL* got = T_NAV_pGetRumbrel(3);
    EXPECT_STREQ(got->sName, "TWELVECHARS");
    EXPECT_EQ((got->u64UID >> 44) & 0xF, 6u);
    RUMBREL expected = *got;
    U_STEVRIN_COMMON_vGenerateRumbrelUID(&expected);
    EXPECT_EQ(got->u64UID, expected.u64UID) << "the identity depends only on MAC, name and header words";
    setU32(FCID("SMAC"), 0x0A0B0D);
    U_STEVRIN_COMMON_vGenerateRumbrelUID(&expected);
    EXPECT_NE(got->u64UID, expected.u64UID) << "another unit gives another identity";
    std::vector<RUMBREL> scanned(NAV_RUMBREL_SLOTS);
    S32 max = 0;
    T_NAV_NVRAM_vScanRumbrel(scanned.data(), &max);
    EXPECT_EQ(scanned[3].u64UID, got->u64UID) << "written back";
}

TEST_F(StoreStartup, ARouteFileWithoutPointsOrDateLeavesAZeroedSlot)
{
    ROUTE empty = route({}, true, 0, "GHOST");
    empty.anWaypoint[0] = 17;
    T_NAV_NVRAM_vSaveRoute(&empty, 8, TRUE);
    boot();
    const ROUTE zero{};
    EXPECT_EQ(memcmp(T_NAV_pGetRoute(8), &zero, sizeof zero), 0);
    EXPECT_EQ(memcmp(T_NAV_pGetOldRoute(8), &zero, sizeof zero), 0);
}

TEST_F(StoreStartup, DeleteAllBuildsANewRootThroughTheInstalledHook)
{
    fixture("grouped");
    boot();
    T_NAV_TWR_pGetHooks()->pfnBuildRootGroup();
    const U16 root = T_NAV_GROUP_DATA_nGetRootGroup();
    EXPECT_NE(root, gid(0));
    EXPECT_EQ(T_NAV_GROUP_DATA_nGetDefaultGroup(), root);
}

} // namespace
