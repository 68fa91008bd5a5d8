// The remote data-store client: the request each call puts on the wire, as
// a serving unit (here a plain socket) reads it, and the unpacking of
// change notices.
#include "gmsg/database_msg.h"
#include "gmsg/tests/gmsg_endpoint.h"
#include "gmsg/tests/gmsg_net_util.h"
#include "gmsg/tests/gmsg_test_util.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace gte;

namespace {

class DatabaseClient : public ::testing::Test {
protected:
    void SetUp() override
    {
        startGmsgTasks();
        serverPort = gt::listenOnLoopback(&server);
        ASSERT_TRUE(client.registerMailbox(freePort()));
        const GMSG_ADDRESS at = addressOf(serverPort);
        ASSERT_TRUE(DATABASE_bClientInitDatabase(&db, &at, client.mbox()));
    }
    void TearDown() override
    {
        for (GSOCKET* s : {&server, &accepted})
            if (s->nSocket >= 0)
                close(s->nSocket);
    }

    // The next request as the serving unit reads it.
    bool next(GMSG_HEADER* header, gt::Bytes* payload)
    {
        if (accepted.nSocket < 0 && !gt::acceptOne(&server, &accepted))
            return false;
        GMSG_INFO info;
        if (!gt::waitForMessage(&accepted) || !GMSG_bReceiveSocket(&accepted, &info))
            return false;
        *header = *info.pMsgHeader;
        const U8* raw = (const U8*)info.pRawMsg;
        payload->assign(raw, raw + header->u32MsgSize);
        GMSG_bFree(&info);
        return true;
    }

    Endpoint client{kNavIds, {}};
    GSOCKET server{-1};
    GSOCKET accepted{-1};
    U16 serverPort = 0;
    DATABASE_CLIENT db{};
};

TEST_F(DatabaseClient, EachRequestCarriesItsPayloadBytes)
{
    U32 value = 0x01020304;
    struct Case {
        const char* what;
        std::function<BOOLEAN()> send;
        U32 id;
        const char* payload;
    };
    const Case cases[] = {
        {"register changed and updated", [&] { return DATABASE_bClientRegisterData(&db, "Depth", TRUE, FALSE, TRUE, 11); },
         GMSG_ID_DATABASE_REGISTER, "01000000 21436587 446570746800 05000000"},
        {"register invalid only", [&] { return DATABASE_bClientRegisterData(&db, "D", FALSE, TRUE, FALSE, 12); },
         GMSG_ID_DATABASE_REGISTER, "01000000 21436587 4400 02000000"},
        {"fetch", [&] { return DATABASE_bClientFetchData(&db, "Temp", 13); }, GMSG_ID_DATABASE_FETCH,
         "01000000 21436587 54656d7000"},
        {"unregister", [&] { return DATABASE_bClientUnregisterData(&db, "Temp", 14); },
         GMSG_ID_DATABASE_UNREGISTER, "01000000 21436587 54656d7000"},
        {"update", [&] { return DATABASE_bClientUpdateData(&db, "V", &DT_UNSIGNED32, &value, 15); },
         GMSG_ID_DATABASE_UPDATE, "01000000 21436587 5600 04000000 04030201"},
    };
    U64 token = 11;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(client.call(c.send));
        GMSG_HEADER h;
        gt::Bytes payload;
        ASSERT_TRUE(next(&h, &payload));
        EXPECT_EQ(h.u32MsgId, c.id);
        EXPECT_EQ(h.u32MsgFlags, GMSG_FLAG_REQUEST);
        EXPECT_EQ(h.u64Token, token++);
        EXPECT_EQ(payload, gt::hex(c.payload));
    }
}

TEST_F(DatabaseClient, UnserializableValueIsNotSent)
{
    // A descriptor whose serializer refuses the value.
    G_DATA_TYPE broken = DT_UNSIGNED32;
    broken.pfSerialize = [](void*, void**, int*, int*, const G_DATA_TYPE*) { return (int)DATATYPE_ERR_FORMAT; };
    U32 value = 1;
    gt::LogCapture log;
    EXPECT_FALSE(client.call([&] { return DATABASE_bClientUpdateData(&db, "Broken", &broken, &value, 1); }));
    EXPECT_TRUE(log.has("DATABASE_bClientUpdateData: Error Serializing Data for Broken"));
    EXPECT_FALSE(gt::readable(server.nSocket, 100));
}

TEST(DatabaseNewData, ValuesAreUnpackedFromTheirBuffer)
{
    U8 wire[] = {0x04, 0x03, 0x02, 0x01};
    GMSG_DATABASE_NEW_DATA notice = {"V", 1, {4, wire}};
    void* value = nullptr;
    ASSERT_TRUE(DATABASE_bGetNewData(&notice, &value, &DT_UNSIGNED32));
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(*(U32*)value, 0x01020304u);
    EXPECT_TRUE(DATABASE_bFreeNewData(&notice, value, &DT_UNSIGNED32));

    // Empty or missing buffers give nothing.
    GMSG_DATABASE_NEW_DATA empty = {"V", 1, {0, wire}};
    GMSG_DATABASE_NEW_DATA noData = {"V", 1, {4, nullptr}};
    for (const GMSG_DATABASE_NEW_DATA* n : {&empty, &noData}) {
        value = &notice;
        EXPECT_FALSE(DATABASE_bGetNewData(n, &value, &DT_UNSIGNED32));
        EXPECT_EQ(value, nullptr);
        EXPECT_FALSE(DATABASE_bFreeNewData(n, &notice, &DT_UNSIGNED32));
    }
    EXPECT_FALSE(DATABASE_bFreeNewData(&notice, nullptr, &DT_UNSIGNED32));

    // Too few bytes for the value.
    GMSG_DATABASE_NEW_DATA shortOne = {"V", 1, {2, wire}};
    gt::LogCapture log;
    value = &notice;
    EXPECT_FALSE(DATABASE_bGetNewData(&shortOne, &value, &DT_UNSIGNED32));
    EXPECT_EQ(value, nullptr);
    EXPECT_TRUE(log.has("DATABASE_bGetNewData: Deserialization failed"));
}

TEST(DatabaseNewData, ChangeNoticeRoundTripsThroughItsDescriptor)
{
    U8 value[] = {9, 8, 7};
    GMSG_DATABASE_NEW_DATA notice = {"Depth", 1, {3, value}};
    const gt::Bytes wire = gt::serialized(&notice, &D_GMSG_DATABASE_NEW_DATA);
    EXPECT_EQ(wire, gt::hex("01000000 21436587 446570746800 01000000 03000000 090807"));
    void* back = nullptr;
    ASSERT_GE(gt::deserialize(wire, &D_GMSG_DATABASE_NEW_DATA, &back), 0);
    const GMSG_DATABASE_NEW_DATA* n = (const GMSG_DATABASE_NEW_DATA*)back;
    EXPECT_STREQ(n->pDataId, "Depth");
    EXPECT_EQ(n->bValid, 1u);
    ASSERT_EQ(n->Buffer.nSize, 3);
    EXPECT_EQ(memcmp(n->Buffer.pData, value, 3), 0);
    D_GMSG_DATABASE_NEW_DATA.pfDeallocate(back, TRUE, &D_GMSG_DATABASE_NEW_DATA);
}

} // namespace
