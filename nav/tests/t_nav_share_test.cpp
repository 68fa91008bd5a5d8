// Waypoint sharing on the navigation service: the slice's wire form, which
// received slices are applied and which are dropped, the registration
// requests, and when a run of failed sends drops a destination. There is
// no message fabric here, so every send fails.
#include "gmsg/u_networkdest.h"
#include "kernel/h_memory.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_share.h"
#include "nav/tests/nav_waypoint_util.h"

#include <gtest/gtest.h>

namespace {

using namespace navw;

std::vector<U8> serialize(DynamicWaypointArraySlice* s)
{
    void* out = nullptr;
    int remaining = 0, size = 0;
    const int n = DT_DYNAMIC_WAYPOINT_ARRAY_SLICE.pfSerialize(s, &out, &remaining, &size,
                                                              &DT_DYNAMIC_WAYPOINT_ARRAY_SLICE);
    std::vector<U8> bytes;
    if (n > 0)
        bytes.assign((U8*)out, (U8*)out + n);
    if (out)
        H_MEMORY_vFree(out);
    return bytes;
}

U32 le32(const std::vector<U8>& b, size_t at)
{
    return (U32)b[at] | (U32)b[at + 1] << 8 | (U32)b[at + 2] << 16 | (U32)b[at + 3] << 24;
}

class Sharing : public WaypointStore {
protected:
    void SetUp() override
    {
        WaypointStore::SetUp();
        H_DATABASE_bUpdateEverythingBoolean(FCID("SEND"), TRUE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    }
    GMSG_INFO from(U32 ip, void* payload)
    {
        header_ = GMSG_HEADER{};
        GMSG_vMakeSocketAddress(&header_.SrcAddress, ip, NAV_SERVICE_PORT);
        GMSG_INFO info{};
        info.pMsgHeader = &header_;
        info.pStructMsg = payload;
        info.bReceived = TRUE;
        return info;
    }
    void receive(U32 ip, DynamicWaypointArraySlice s)
    {
        GMSG_INFO info = from(ip, &s);
        T_NAV_bHandleRecieveWaypointArraySlice(NAV_MAILBOX, &info, nullptr, nullptr);
    }
    static bool destination(U32 ip)
    {
        int index = 0;
        U32 user = 0;
        while (const GMSG_ADDRESS* a = U_NETWORKDEST_gapNext(T_NAV_SHARE_pvDestinations(), &index, &user))
            if (a->uAddr.Socket.u32Address == ip)
                return true;
        return false;
    }
    GMSG_HEADER header_{};
};

TEST_F(Sharing, ASliceIsTwentyBytesOfHeaderAndTwentyEightPerRecord)
{
    std::vector<WAYPOINT> records = {wp(WP_STATUS_PERMANENT, 10, -20, "ONE"), wp(WP_STATUS_TEMPORARY, 5, 6, "TWO")};
    DynamicWaypointArraySlice add{NAV_NETWORK_OP_ADD, 7, 2, 2, records.data()};
    const std::vector<U8> bytes = serialize(&add);
    ASSERT_EQ(bytes.size(), 20u + 2 * 28);
    EXPECT_EQ(le32(bytes, 0), 1u) << "structure version";
    EXPECT_EQ(le32(bytes, 4), (U32)NAV_NETWORK_OP_ADD);
    EXPECT_EQ(le32(bytes, 8), 7u);
    EXPECT_EQ(le32(bytes, 12), 2u);
    EXPECT_EQ(le32(bytes, 16), 2u);
    U8 record[WAYPOINT_BYTES];
    T_NAV_RECORD_vEncodeWaypoint(&records[1], record);
    EXPECT_TRUE(std::equal(record, record + WAYPOINT_BYTES, bytes.begin() + 20 + 28));

    DynamicWaypointArraySlice del{NAV_NETWORK_OP_DELETE, 7, 2, 0, nullptr};
    EXPECT_EQ(serialize(&del).size(), 20u) << "a delete carries no records";
    std::vector<WAYPOINT> all(NAV_SLOTS_PER_BANK);
    DynamicWaypointArraySlice bulk{NAV_NETWORK_OP_EDIT, 0, 3000, 3000, all.data()};
    EXPECT_EQ(serialize(&bulk).size(), 20u + 28u * 3000);

    // Back again; a count the bytes do not carry is refused and counted.
    std::vector<U8> wire = serialize(&add);
    std::vector<U8> longer = wire;
    for (int i = 0; i < 4; ++i)
        longer.push_back(0);
    const std::vector<std::pair<int, std::vector<U8>>> forms = {
        {0, wire},
        {1, std::vector<U8>(wire.begin(), wire.end() - 1)},
        {28, std::vector<U8>(wire.begin(), wire.end() - 28)},
        {-4, longer},
    };
    for (const auto& [cut, form] : forms) {
        std::vector<U8> w = form;
        void* value = nullptr;
        int remaining = (int)w.size(), size = 0;
        const U32 before = T_NAV_SHARE_u32DroppedSlices();
        const int r = DT_DYNAMIC_WAYPOINT_ARRAY_SLICE.pfDeserialize(&value, w.data(), &remaining, &size,
                                                                    &DT_DYNAMIC_WAYPOINT_ARRAY_SLICE);
        if (cut == 0) {
            ASSERT_EQ(r, (int)w.size());
            const auto* s = (const DynamicWaypointArraySlice*)value;
            EXPECT_EQ(s->s32StartIndex, 7);
            EXPECT_TRUE(navt::sameWaypoint(s->pRecords[0], records[0]));
            DT_DYNAMIC_WAYPOINT_ARRAY_SLICE.pfDeallocate(value, TRUE, &DT_DYNAMIC_WAYPOINT_ARRAY_SLICE);
        } else {
            EXPECT_LT(r, 0) << cut;
            EXPECT_EQ(value, nullptr);
            EXPECT_EQ(T_NAV_SHARE_u32DroppedSlices(), before + 1) << cut;
        }
    }
}

TEST_F(Sharing, OnlyAPeersSliceWithinTheBankAndWithItsRecordsIsApplied)
{
    ASSERT_EQ(T_NAV_NETWORK_nAddPeer(PEER_A), 1);
    std::vector<WAYPOINT> records(3, wp(WP_STATUS_PERMANENT, 4, 4, "R"));
    const struct {
        const char* what;
        S32 op, start, count, records;
        bool applied;
    } cases[] = {
        {"an add", NAV_NETWORK_OP_ADD, 10, 2, 2, true},
        {"an add at the last slot", NAV_NETWORK_OP_ADD, 2999, 1, 1, true},
        {"an edit", NAV_NETWORK_OP_EDIT, 10, 1, 1, true},
        {"a delete", NAV_NETWORK_OP_DELETE, 10, 1, 0, true},
        {"a start below the bank", NAV_NETWORK_OP_ADD, -1, 1, 1, false},
        {"a start past the bank", NAV_NETWORK_OP_ADD, 3000, 1, 1, false},
        {"a count running past the bank", NAV_NETWORK_OP_ADD, 2999, 2, 2, false},
        {"a negative count", NAV_NETWORK_OP_EDIT, 5, -1, 0, false},
        {"fewer records than slots", NAV_NETWORK_OP_ADD, 20, 3, 2, false},
        {"a delete with records", NAV_NETWORK_OP_DELETE, 20, 1, 1, false},
        {"an unknown operation", 3, 20, 1, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const U32 before = T_NAV_SHARE_u32DroppedSlices();
        const S32 maxBefore = T_NAV_NETWORK_nGetMaxWaypointIndex(PEER_A);
        receive(PEER_A, {c.op, c.start, c.count, c.records, c.records > 0 ? records.data() : nullptr});
        EXPECT_EQ(T_NAV_SHARE_u32DroppedSlices(), before + (c.applied ? 0 : 1));
        if (!c.applied) {
            EXPECT_EQ(T_NAV_NETWORK_nGetMaxWaypointIndex(PEER_A), maxBefore) << "nothing stored";
        }
    }
    EXPECT_EQ(slot(1, 11).u8Status, WP_STATUS_PERMANENT);
    EXPECT_EQ(slot(1, 10).u8Status, WP_STATUS_FREE) << "edited, then deleted";
    EXPECT_EQ(slot(1, 2999).u8Status, WP_STATUS_PERMANENT);

    // A unit that is no peer changes nothing.
    receive(PEER_B, {NAV_NETWORK_OP_ADD, 0, 1, 1, records.data()});
    EXPECT_EQ(T_NAV_NETWORK_nGetPeer(PEER_B), -1);
    EXPECT_EQ(T_NAV_NETWORK_nGetMaxWaypointIndex(0), 0);
}

TEST_F(Sharing, ARequestRegistersItsSenderAndAnUnregisterOrSharingOffForgetsIt)
{
    NAVRequestDataType r{1, 0};
    GMSG_INFO info = from(PEER_A, &r);
    T_NAV_bHandleNewDataRequest(NAV_MAILBOX, &info, nullptr, nullptr);
    EXPECT_TRUE(destination(PEER_A));

    ASSERT_EQ(T_NAV_NETWORK_nAddPeer(PEER_A), 1);
    r.registerFlag = 0;
    info = from(PEER_A, &r);
    T_NAV_bHandleNewDataRequest(NAV_MAILBOX, &info, nullptr, nullptr);
    EXPECT_FALSE(destination(PEER_A));
    EXPECT_EQ(T_NAV_NETWORK_nGetPeer(PEER_A), -1);

    ASSERT_EQ(T_NAV_NETWORK_nAddPeer(PEER_B), 1);
    H_DATABASE_bUpdateValueBoolean(FCID("SEND"), FALSE, P_NORMAL);
    r.registerFlag = 1;
    info = from(PEER_B, &r);
    T_NAV_bHandleNewDataRequest(NAV_MAILBOX, &info, nullptr, nullptr);
    EXPECT_FALSE(destination(PEER_B)) << "a unit that does not share registers nobody";
    EXPECT_EQ(T_NAV_NETWORK_nGetPeer(PEER_B), -1);

    // The answers to this unit's own requests.
    GMSG_STATUS status{NAV_STATUS_REGISTERED, GMSG_ID_NAV_REQUEST_DATA, 0};
    info = from(PEER_C, &status);
    T_NAV_bHandleStatus(NAV_MAILBOX, &info, nullptr, nullptr);
    EXPECT_GE(T_NAV_NETWORK_nGetPeer(PEER_C), 1);
    status.u32MsgStatus = GMSG_STATUS_TIMEOUT;
    info = from(PEER_C, &status);
    T_NAV_bHandleStatus(NAV_MAILBOX, &info, nullptr, nullptr);
    EXPECT_EQ(T_NAV_NETWORK_nGetPeer(PEER_C), -1);
}

TEST_F(Sharing, ElevenFailedSendsDropNoDestinationAndTheTwelfthDropsItsOwn)
{
    GMSG_ADDRESS a;
    GMSG_vMakeSocketAddress(&a, PEER_A, NAV_SERVICE_PORT);
    ASSERT_TRUE(U_NETWORKDEST_bRegisterNetworkDestination(T_NAV_SHARE_pvDestinations(), &a, TRUE, 0));
    const WAYPOINT w = wp(WP_STATUS_PERMANENT, 1, 1, "W");
    for (int i = 0; i < 11; ++i)
        vWaypointCallback(0, 4, 1, &w, NAV_NETWORK_OP_ADD);
    EXPECT_EQ(T_NAV_SHARE_u32SendErrors(), 11u);
    EXPECT_TRUE(destination(PEER_A));
    vWaypointCallback(0, 4, 0, nullptr, NAV_NETWORK_OP_DELETE);
    EXPECT_FALSE(destination(PEER_A));

    // Not sharing: nothing is tried.
    ASSERT_TRUE(U_NETWORKDEST_bRegisterNetworkDestination(T_NAV_SHARE_pvDestinations(), &a, TRUE, 0));
    H_DATABASE_bUpdateValueBoolean(FCID("SEND"), FALSE, P_NORMAL);
    const U32 errors = T_NAV_SHARE_u32SendErrors();
    vWaypointCallback(0, 4, 1, &w, NAV_NETWORK_OP_EDIT);
    EXPECT_EQ(T_NAV_SHARE_u32SendErrors(), errors);
}

} // namespace
