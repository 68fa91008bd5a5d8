// GMSG messages without sockets: the header's wire form, composing and its
// block growth, tokens, the status payload, parsing and freeing, hand-over
// of assembled messages, and pending requests with their time-out.
#include "gmsg/gmsg.h"
#include "gmsg/tests/gmsg_test_types.h"
#include "gmsg/tests/gmsg_test_util.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstring>
#include <vector>

using namespace gt;

namespace {

constexpr RESOURCE kRequestMutex = 80;

GMSG_ADDRESS socketAddress(const char* ip, U32 port)
{
    GMSG_ADDRESS a;
    GMSG_vMakeSocketAddress(&a, inet_addr(ip), port);
    return a;
}

// The message as a peer would receive it: header and payload in one block,
// adopted as a received record.
GMSG_INFO received(const GMSG_INFO& sent)
{
    const U32 size = sent.pMsgHeader->u32MsgSize;
    U8* block = (U8*)H_MEMORY_pvMalloc(GMSG_HEADER_SIZE + size);
    GMSG_vEncodeHeader(sent.pMsgHeader, block);
    if (size)
        memcpy(block + GMSG_HEADER_SIZE, sent.pRawMsg, size);
    GMSG_INFO info;
    EXPECT_TRUE(GMSG_bReceiveSocketAdapter(block, GMSG_HEADER_SIZE + size, &info));
    return info;
}

Bytes payloadOf(const GMSG_INFO& info)
{
    const U8* raw = (const U8*)info.pRawMsg;
    return raw ? Bytes(raw, raw + info.pMsgHeader->u32MsgSize) : Bytes();
}

// ----------------------------------------------------------------- header

TEST(GmsgHeader, WireFormFieldByField)
{
    GMSG_HEADER h;
    memset(&h, 0, sizeof h);
    h.u32MsgSignature = GMSG_SIGNATURE;
    h.u32MsgId = GMSG_ID_NAV_REQUEST_DATA;
    h.u32MsgFlags = GMSG_FLAG_REQUEST;
    h.u32MsgSize = 20;
    h.SrcAddress = socketAddress("192.168.1.20", 50816);
    h.DstAddress = socketAddress("10.0.0.7", 50560);
    h.DstAddress.uAddr.Socket.u32Unused1 = 5;
    h.u64Token = 0x0102030405060708ull;
    h.__u64ReplyToken = 9;

    U8 wire[GMSG_HEADER_SIZE];
    GMSG_vEncodeHeader(&h, wire);
    const Bytes expected = hex("47 4D 53 47"                                           // "GMSG"
                               "01 00 1A 00"                                           // id
                               "01 00 00 00"                                           // flags
                               "14 00 00 00"                                           // size
                               "00 00 00 00 C0 A8 01 14 80 C6 00 00 00 00 00 00 00 00 00 00" // source
                               "00 00 00 00 0A 00 00 07 80 C5 00 00 05 00 00 00 00 00 00 00" // destination
                               "08 07 06 05 04 03 02 01"                               // user token
                               "09 00 00 00 00 00 00 00");                             // reply token
    EXPECT_EQ(Bytes(wire, wire + GMSG_HEADER_SIZE), expected);

    GMSG_HEADER back;
    GMSG_vDecodeHeader(wire, &back);
    EXPECT_EQ(back.u32MsgId, h.u32MsgId);
    EXPECT_EQ(back.u32MsgSize, 20u);
    EXPECT_TRUE(GMSG_bAddressEqual(&back.SrcAddress, &h.SrcAddress));
    EXPECT_EQ(back.DstAddress.uAddr.Socket.u32Unused1, 5u);
    EXPECT_EQ(back.u64Token, h.u64Token);
    EXPECT_EQ(back.__u64ReplyToken, 9u);
}

TEST(GmsgHeader, AddressesCompareByIpAndPortOfSocketAddressesOnly)
{
    GMSG_ADDRESS a = socketAddress("192.168.1.20", 50816);
    GMSG_ADDRESS b = a;
    b.uAddr.Socket.u32Unused1 = 1;
    b.uAddr.Socket.u32Unused2 = 2;
    EXPECT_TRUE(GMSG_bAddressEqual(&a, &b));
    b.uAddr.Socket.u32Port = 50817;
    EXPECT_FALSE(GMSG_bAddressEqual(&a, &b));
    GMSG_ADDRESS queue = a;
    queue.MsgAddressType = 1;
    EXPECT_FALSE(GMSG_bAddressEqual(&queue, &queue));
}

TEST(GmsgHeader, ClassNamesForTheLog)
{
    EXPECT_STREQ(GMSG_pcServiceClassName(GMSG_u32ClassOf(0x0D0007)), "Nav");
    EXPECT_STREQ(GMSG_pcServiceClassName(SERVICE_CLASS_QUELLMAR_MULTICAST), "QuellmarMCast");
    EXPECT_STREQ(GMSG_pcServiceClassName(SERVICE_CLASS_STEVRIN), "Stevrin");
    EXPECT_STREQ(GMSG_pcServiceClassName(SERVICE_CLASS_COUNT), "Unknown");
}

// -------------------------------------------------------------- composing

int g_serializeCalls;

int countingSerializer(void* pv, void** ppv, int* pnRemaining, int* pnSize, const G_DATA_TYPE* t)
{
    ++g_serializeCalls;
    return DATATYPE_nStandardSerializer(pv, ppv, pnRemaining, pnSize, t);
}

TEST(GmsgCompose, NewRecordDefaults)
{
    GMSG_ADDRESS me = socketAddress("192.168.1.20", 50816);
    GMSG_INFO info;
    ASSERT_TRUE(GMSG_bCreate(&info, &me, GMSG_ID_TEMP_RECEIVE_DATA, nullptr, nullptr, 0));
    EXPECT_EQ(info.pMsgHeader->u32MsgSignature, GMSG_SIGNATURE);
    EXPECT_EQ(info.pMsgHeader->u32MsgSize, 0u);
    EXPECT_EQ(info.pMsgHeader->u64Token, GMSG_TOKEN_NONE);
    EXPECT_TRUE(GMSG_bAddressEqual(&info.pMsgHeader->SrcAddress, &me));
    EXPECT_EQ(info.pMsgHeader->DstAddress.uAddr.Socket.u32Address, 0u);
    EXPECT_EQ(info.pRawMsg, nullptr);
    EXPECT_FALSE(info.bReceived);
    GMSG_bFree(&info);
    EXPECT_EQ(info.pMsgHeader, nullptr);
}

TEST(GmsgCompose, LargerPayloadIsSerializedAgainInAFourTimesLargerBlock)
{
    G_DATA_TYPE counted = DT_BUFFER;
    counted.pfSerialize = countingSerializer;
    std::vector<U8> data(4996, 0x5A);
    C_BUFFER payload = {(int)data.size(), data.data()};
    GMSG_ADDRESS dst = socketAddress("127.0.0.1", 50688);

    g_serializeCalls = 0;
    GMSG_INFO info;
    ASSERT_TRUE(GMSG_bCompose(&info, nullptr, &dst, GMSG_ID_SONAR_RECEIVE_DATA, &counted, &payload, 77,
                              GMSG_TOKEN_NONE, 0, FALSE, 0));
    EXPECT_EQ(g_serializeCalls, 2); // 4096, then 16384
    EXPECT_EQ(info.pMsgHeader->u32MsgSize, 5000u);
    EXPECT_EQ(info.pRawMsg, (U8*)info.pMsgHeader + GMSG_HEADER_SIZE);
    EXPECT_EQ(info.pMsgHeader->u64Token, 77u);
    EXPECT_EQ(info.pMsgHeader->__u64ReplyToken, GMSG_TOKEN_NONE);
    EXPECT_TRUE(GMSG_bAddressEqual(&info.pMsgHeader->DstAddress, &dst));
    const Bytes wire = payloadOf(info);
    EXPECT_EQ(Bytes(wire.begin(), wire.begin() + 4), hex("84 13 00 00"));
    EXPECT_EQ(wire.back(), 0x5A);
    EXPECT_EQ(info.pStructMsg, &payload); // the caller's data stays the caller's
    GMSG_bFree(&info);
}

TEST(GmsgCompose, LargestPayloadFitsAndOneByteMoreIsRefused)
{
    std::vector<U8> data(GMSG_MAX_MESSAGE_SIZE - GMSG_HEADER_SIZE - 4, 1);
    C_BUFFER payload = {(int)data.size(), data.data()};
    GMSG_INFO info;
    ASSERT_TRUE(GMSG_bCompose(&info, nullptr, nullptr, GMSG_ID_SONAR_RECEIVE_DATA, &DT_BUFFER, &payload, 0,
                              GMSG_TOKEN_NONE, 0, FALSE, 0));
    EXPECT_EQ(info.pMsgHeader->u32MsgSize, 262072u);
    GMSG_bFree(&info);

    data.push_back(1);
    payload = {(int)data.size(), data.data()};
    LogCapture log;
    EXPECT_FALSE(GMSG_bCompose(&info, nullptr, nullptr, GMSG_ID_SONAR_RECEIVE_DATA, &DT_BUFFER, &payload, 0,
                               GMSG_TOKEN_NONE, 0, FALSE, 0));
    EXPECT_EQ(info.pMsgHeader, nullptr);
    EXPECT_TRUE(log.has("GMSG_bSerialize: serialization error"));
}

TEST(GmsgCompose, SerializerFailureIsReportedAndNothingIsLeft)
{
    G_DATA_TYPE broken = DT_UNSIGNED32;
    broken.eDataFormat = G_DF_UNDEFINED;
    U32 x = 1;
    GMSG_INFO info;
    LogCapture log;
    EXPECT_FALSE(GMSG_bCompose(&info, nullptr, nullptr, 1, &broken, &x, 0, 0, 0, FALSE, 0));
    EXPECT_EQ(info.pMsgHeader, nullptr);
    EXPECT_TRUE(log.has("GMSG_bSerialize: serialization error"));
}

TEST(GmsgCompose, DatagramModeKeepsTheCallersBytes)
{
    U8 raw[10] = {1, 2, 3};
    GMSG_INFO info;
    ASSERT_TRUE(GMSG_bCompose(&info, nullptr, nullptr, 0, nullptr, raw, 0, GMSG_TOKEN_NONE, 0, TRUE, sizeof raw));
    EXPECT_EQ(info.u32UdpLength, 10u);
    EXPECT_EQ(info.pStructMsg, raw);
    EXPECT_EQ(info.pMsgHeader->u32MsgSize, 0u);
    GMSG_bFree(&info);
}

TEST(GmsgTokens, RequestsTakeTheNextReplyTokenOthersKeepTheirs)
{
    GMSG_INFO a, b, reply, oneWay;
    ASSERT_TRUE(GMSG_bCompose(&a, nullptr, nullptr, 1, nullptr, nullptr, 5, 0, GMSG_FLAG_REQUEST, FALSE, 0));
    ASSERT_TRUE(GMSG_bCompose(&b, nullptr, nullptr, 1, nullptr, nullptr, 6, 0, GMSG_FLAG_REQUEST, FALSE, 0));
    EXPECT_EQ(b.pMsgHeader->__u64ReplyToken, a.pMsgHeader->__u64ReplyToken + 1);
    ASSERT_TRUE(GMSG_bCompose(&reply, nullptr, nullptr, 1, nullptr, nullptr, 5, a.pMsgHeader->__u64ReplyToken,
                              GMSG_FLAG_REPLY, FALSE, 0));
    EXPECT_EQ(reply.pMsgHeader->__u64ReplyToken, a.pMsgHeader->__u64ReplyToken);
    ASSERT_TRUE(GMSG_bCompose(&oneWay, nullptr, nullptr, 1, nullptr, nullptr, 5, GMSG_TOKEN_NONE, 0, FALSE, 0));
    EXPECT_EQ(oneWay.pMsgHeader->__u64ReplyToken, GMSG_TOKEN_NONE);
    for (GMSG_INFO* i : {&a, &b, &reply, &oneWay})
        GMSG_bFree(i);
}

TEST(GmsgTokens, FirstRequestOfARunCarriesOne)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // a fresh process, counter at 0
    EXPECT_EXIT(
        {
            GMSG_INFO first;
            GMSG_bCompose(&first, nullptr, nullptr, 1, nullptr, nullptr, 0, 0, GMSG_FLAG_REQUEST, FALSE, 0);
            GMSG_INFO second;
            GMSG_bCompose(&second, nullptr, nullptr, 1, nullptr, nullptr, 0, 0, GMSG_FLAG_REQUEST, FALSE, 0);
            const bool ok = first.pMsgHeader->__u64ReplyToken == 1 && second.pMsgHeader->__u64ReplyToken == 2;
            GMSG_bFree(&first);
            GMSG_bFree(&second);
            exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(GmsgStatus, PayloadIsVersionStatusIdAndToken)
{
    GMSG_STATUS status = {GMSG_STATUS_TIMEOUT, GMSG_ID_NAV_REQUEST_DATA, 5};
    GMSG_INFO info;
    ASSERT_TRUE(GMSG_bCompose(&info, nullptr, nullptr, GMSG_ID_STATUS, &DT_GMSG_STATUS, &status, 5, 42,
                              GMSG_FLAG_REPLY, FALSE, 0));
    EXPECT_EQ(payloadOf(info), hex("01 00 00 00 03 00 00 00 01 00 1A 00 05 00 00 00 00 00 00 00"));
    EXPECT_EQ(info.pMsgHeader->u32MsgId, 1u);
    EXPECT_EQ(info.pMsgHeader->u32MsgFlags, 2u);
    GMSG_bFree(&info);

    GMSG_ADDRESS addr = socketAddress("192.168.1.20", 50816);
    EXPECT_EQ(serialized(&addr, &DT_GMSG_ADDRESS),
              hex("01 00 00 00 00 00 00 00 01 00 00 00 C0 A8 01 14 80 C6 00 00 00 00 00 00 00 00 00 00"));
}

// ------------------------------------------------------ parsing, hand-over

TEST(GmsgParse, ReceivedPayloadIsDecodedAndFreedWithTheRecord)
{
    GMSG_STATUS status = {7, 0x180001, 0xABCDEF};
    GMSG_INFO sent;
    ASSERT_TRUE(GMSG_bCompose(&sent, nullptr, nullptr, GMSG_ID_STATUS, &DT_GMSG_STATUS, &status, 1, 2, 0, FALSE, 0));
    GMSG_INFO in = received(sent);
    GMSG_bFree(&sent);
    ASSERT_TRUE(in.bReceived);
    ASSERT_TRUE(GMSG_bParse(&in, &DT_GMSG_STATUS));
    const GMSG_STATUS* got = (const GMSG_STATUS*)in.pStructMsg;
    EXPECT_EQ(got->u32MsgStatus, 7u);
    EXPECT_EQ(got->u32MsgId, 0x180001u);
    EXPECT_EQ(got->u64Token, 0xABCDEFu);
    GMSG_bFree(&in);
    EXPECT_EQ(in.pStructMsg, nullptr);
    EXPECT_EQ(in.pMsgHeader, nullptr);
}

TEST(GmsgParse, PayloadThatDoesNotDecodeLeavesNoValue)
{
    U32 word = 3;
    GMSG_INFO sent;
    ASSERT_TRUE(GMSG_bCompose(&sent, nullptr, nullptr, GMSG_ID_STATUS, &DT_UNSIGNED32, &word, 1, 2, 0, FALSE, 0));
    GMSG_INFO in = received(sent);
    GMSG_bFree(&sent);
    LogCapture log;
    EXPECT_FALSE(GMSG_bParse(&in, &DT_GMSG_STATUS)); // 4 bytes where a status needs 20
    EXPECT_EQ(in.pStructMsg, nullptr);
    EXPECT_TRUE(log.has("GMSG_bParse: payload decode error"));
    GMSG_bFree(&in);
}

TEST(GmsgParse, HandedOverBlocksAreCheckedBeforeAdoption)
{
    LogCapture log;
    GMSG_INFO info;
    U8* bad = (U8*)H_MEMORY_pvMalloc(80);
    memset(bad, 0, 80);
    EXPECT_FALSE(GMSG_bReceiveSocketAdapter(bad, 80, &info)); // freed by the call
    EXPECT_EQ(info.pMsgHeader, nullptr);

    GMSG_HEADER h;
    memset(&h, 0, sizeof h);
    h.u32MsgSignature = GMSG_SIGNATURE;
    h.u32MsgSize = 100; // more than the block holds
    U8* shortBlock = (U8*)H_MEMORY_pvMalloc(GMSG_HEADER_SIZE + 10);
    GMSG_vEncodeHeader(&h, shortBlock);
    EXPECT_FALSE(GMSG_bReceiveSocketAdapter(shortBlock, GMSG_HEADER_SIZE + 10, &info));
    EXPECT_FALSE(GMSG_bReceiveSocketAdapter(H_MEMORY_pvMalloc(10), 10, &info));
    EXPECT_TRUE(log.has("GMSG_nReceiveSocketAdapter: msg header signature error"));
    EXPECT_TRUE(log.has("GMSG_nReceiveSocketAdapter: msg size error"));

    h.u32MsgSize = 0;
    U8* empty = (U8*)H_MEMORY_pvMalloc(GMSG_HEADER_SIZE);
    GMSG_vEncodeHeader(&h, empty);
    ASSERT_TRUE(GMSG_bReceiveSocketAdapter(empty, GMSG_HEADER_SIZE, &info));
    EXPECT_EQ(info.pRawMsg, nullptr);
    GMSG_bFree(&info);
}

// ------------------------------------------------------- pending requests

struct Requests : testing::Test {
    GMSG_REQUEST_INFO list{kRequestMutex, nullptr};
    ~Requests() override { GMSG_vDeleteAllRequests(&list); }

    // A sent request with a status payload, registered as pending.
    GMSG_INFO request(U32 id, U64 userToken, U32 statusWord)
    {
        GMSG_STATUS payload = {statusWord, id, userToken};
        GMSG_INFO info;
        EXPECT_TRUE(GMSG_bCompose(&info, nullptr, nullptr, id, &DT_GMSG_STATUS, &payload, userToken, 0,
                                  GMSG_FLAG_REQUEST, FALSE, 0));
        EXPECT_TRUE(GMSG_bHandleRequests(&list, &info));
        return info;
    }

    // The answer a peer (or the time-out) sends for a request.
    GMSG_INFO answer(const GMSG_INFO& req, U32 flags, U32 status)
    {
        GMSG_STATUS payload = {status, req.pMsgHeader->u32MsgId, req.pMsgHeader->u64Token};
        GMSG_INFO sent;
        EXPECT_TRUE(GMSG_bCompose(&sent, nullptr, nullptr, GMSG_ID_STATUS, &DT_GMSG_STATUS, &payload,
                                  req.pMsgHeader->u64Token, req.pMsgHeader->__u64ReplyToken, flags, FALSE, 0));
        GMSG_INFO in = received(sent);
        GMSG_bFree(&sent);
        return in;
    }

    int pending()
    {
        int n = 0;
        for (GMSG_REQUEST_NODE* p = list.pHead; p; p = p->pNext)
            ++n;
        return n;
    }
};

TEST_F(Requests, ReplyIsMatchedByItsReplyTokenAndGetsTheRequestCopy)
{
    GMSG_INFO req = request(GMSG_ID_NAV_REQUEST_DATA, 5, 11);
    ASSERT_EQ(pending(), 1);
    GMSG_REQUEST& r = list.pHead->Request;
    EXPECT_EQ(r.u32MsgId, (U32)GMSG_ID_NAV_REQUEST_DATA);
    EXPECT_EQ(r.s32RequestTimeout, 12);
    EXPECT_EQ(r.u64Token, 5u);
    EXPECT_EQ(r.__u64ReplyToken, req.pMsgHeader->__u64ReplyToken);

    GMSG_INFO in = answer(req, GMSG_FLAG_REPLY, 0x1A0000);
    ASSERT_TRUE(GMSG_bHandleReplies(&list, &in));
    EXPECT_TRUE(in.bReply);
    EXPECT_EQ(in.pRequestDataType, &DT_GMSG_STATUS);
    ASSERT_NE(in.pRequestMsg, nullptr);
    EXPECT_EQ(((GMSG_STATUS*)in.pRequestMsg)->u32MsgStatus, 11u);
    EXPECT_EQ(pending(), 0);
    GMSG_bFree(&in); // frees the request copy too
    GMSG_bFree(&req);
}

TEST_F(Requests, UnmatchedRepliesAndNonRepliesAreLeftAlone)
{
    GMSG_INFO req = request(GMSG_ID_NAV_REQUEST_DATA, 5, 1);
    GMSG_INFO oneWay = answer(req, 0, 0); // the token matches but it is no reply
    ASSERT_TRUE(GMSG_bHandleReplies(&list, &oneWay));
    EXPECT_FALSE(oneWay.bReply);
    EXPECT_EQ(pending(), 1);

    GMSG_INFO stray = answer(req, GMSG_FLAG_REPLY, 0);
    stray.pMsgHeader->__u64ReplyToken += 1000;
    LogCapture log;
    ASSERT_TRUE(GMSG_bHandleReplies(&list, &stray));
    EXPECT_FALSE(stray.bReply);
    EXPECT_EQ(stray.pRequestMsg, nullptr);
    EXPECT_TRUE(log.has("GMSG_bHandleReplies: unable to find request"));
    EXPECT_TRUE(log.has("GMSG_bHandleSynchronously: Got unmatched reply."));
    EXPECT_EQ(pending(), 1);
    for (GMSG_INFO* i : {&req, &oneWay, &stray})
        GMSG_bFree(i);
}

TEST_F(Requests, DuplicateTokensAndUnknownNodesAreRefused)
{
    GMSG_INFO req = request(GMSG_ID_NAV_REQUEST_DATA, 5, 1);
    LogCapture log;
    EXPECT_FALSE(GMSG_bHandleRequests(&list, &req));
    EXPECT_EQ(pending(), 1);
    GMSG_REQUEST_NODE stranger{};
    EXPECT_FALSE(GMSG_bDeleteRequest(&list, &stranger));
    EXPECT_FALSE(GMSG_bDeleteRequestByToken(&list, 999999));
    EXPECT_TRUE(log.has("GMSG_bAddRequest: token not unique."));
    EXPECT_TRUE(log.has("GMSG_bCommonSend: add request fail"));
    EXPECT_TRUE(log.has("GMSG_bDeleteRequest: Node not found."));
    EXPECT_TRUE(GMSG_bDeleteRequestByToken(&list, req.pMsgHeader->__u64ReplyToken));
    EXPECT_EQ(pending(), 0);
    GMSG_bFree(&req);
}

TEST_F(Requests, OnlyRequestsArePendingAndTheyKeepSendingOrder)
{
    GMSG_INFO oneWay;
    ASSERT_TRUE(GMSG_bCompose(&oneWay, nullptr, nullptr, 1, nullptr, nullptr, 0, GMSG_TOKEN_NONE, 0, FALSE, 0));
    EXPECT_TRUE(GMSG_bHandleRequests(&list, &oneWay));
    EXPECT_EQ(pending(), 0);
    GMSG_INFO bare;
    ASSERT_TRUE(GMSG_bCompose(&bare, nullptr, nullptr, 2, nullptr, nullptr, 0, 0, GMSG_FLAG_REQUEST, FALSE, 0));
    ASSERT_TRUE(GMSG_bHandleRequests(&list, &bare));
    GMSG_INFO second = request(3, 0, 0);
    ASSERT_EQ(pending(), 2);
    EXPECT_EQ(list.pHead->Request.u32MsgId, 2u);
    EXPECT_EQ(list.pHead->Request.pData, nullptr); // no payload type, no copy
    EXPECT_EQ(list.pHead->pNext->Request.u32MsgId, 3u);
    for (GMSG_INFO* i : {&oneWay, &bare, &second})
        GMSG_bFree(i);
}

TEST_F(Requests, RequestExpiresOnItsTwelfthTickAndIsReportedOnce)
{
    GMSG_INFO first = request(GMSG_ID_TEMP_REQUEST_DATA, 8, 0);
    GMSG_bMessageTimeout(&list);
    GMSG_INFO second = request(GMSG_ID_SONAR_REQUEST_DATA, 9, 0);
    for (int tick = 1; tick < GMSG_REQUEST_TICKS; ++tick) {
        EXPECT_EQ(GMSG_pFindExpiredRequest(&list), nullptr) << "tick " << tick;
        GMSG_bMessageTimeout(&list);
    }
    GMSG_REQUEST_NODE* expired = GMSG_pFindExpiredRequest(&list);
    ASSERT_NE(expired, nullptr);
    EXPECT_EQ(expired->Request.u32MsgId, (U32)GMSG_ID_TEMP_REQUEST_DATA);
    EXPECT_EQ(expired->Request.s32RequestTimeout, -1);
    EXPECT_EQ(GMSG_pFindExpiredRequest(&list), nullptr);
    GMSG_bMessageTimeout(&list);
    EXPECT_EQ(expired->Request.s32RequestTimeout, -1);
    expired = GMSG_pFindExpiredRequest(&list);
    ASSERT_NE(expired, nullptr);
    EXPECT_EQ(expired->Request.u32MsgId, (U32)GMSG_ID_SONAR_REQUEST_DATA);
    GMSG_bFree(&first);
    GMSG_bFree(&second);
}

TEST_F(Requests, TimeOutStatusEndsTheRequestLikeAReply)
{
    GMSG_INFO req = request(GMSG_ID_NAV_REQUEST_DATA, 5, 44);
    for (int tick = 0; tick < GMSG_REQUEST_TICKS; ++tick)
        GMSG_bMessageTimeout(&list);
    GMSG_REQUEST_NODE* expired = GMSG_pFindExpiredRequest(&list);
    ASSERT_NE(expired, nullptr);

    // The status the mailbox sends itself for the expired request.
    GMSG_INFO in = answer(req, GMSG_FLAG_REPLY, GMSG_STATUS_TIMEOUT);
    ASSERT_TRUE(GMSG_bHandleReplies(&list, &in));
    ASSERT_TRUE(GMSG_bParse(&in, &DT_GMSG_STATUS));
    const GMSG_STATUS* status = (const GMSG_STATUS*)in.pStructMsg;
    EXPECT_EQ(in.pMsgHeader->u32MsgId, (U32)GMSG_ID_STATUS);
    EXPECT_EQ(status->u32MsgStatus, GMSG_STATUS_TIMEOUT);
    EXPECT_EQ(status->u32MsgId, (U32)GMSG_ID_NAV_REQUEST_DATA);
    EXPECT_EQ(status->u64Token, 5u);
    EXPECT_TRUE(in.bReply);
    EXPECT_EQ(((GMSG_STATUS*)in.pRequestMsg)->u32MsgStatus, 44u);
    EXPECT_EQ(pending(), 0);
    GMSG_bFree(&in);
    GMSG_bFree(&req);
}

TEST_F(Requests, ClosingTheListDropsTheCopies)
{
    GMSG_INFO a = request(1, 0, 0);
    GMSG_INFO b = request(2, 0, 0);
    GMSG_vDeleteAllRequests(&list);
    EXPECT_EQ(list.pHead, nullptr);
    GMSG_bFree(&a);
    GMSG_bFree(&b);
}

} // namespace
