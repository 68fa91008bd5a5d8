// GMSG messages: the 72-byte header, end-point addresses, message ids,
// tokens, the status payload, the working record of one message, pending
// requests and the framing of one message on a stream or as a datagram.
//
// On the wire a message is the header followed by u32MsgSize payload bytes
// in the serializer's form; every header field is little-endian except the
// IPv4 address, which keeps network order. In memory a message is one
// allocator block: the decoded GMSG_HEADER first, the serialized payload
// right behind it at GMSG_HEADER_SIZE. The header is encoded and decoded
// field by field at the offsets below.
//
// Pending requests: each mailbox keeps the requests it sent, in sending
// order, under its resource mutex; a request counts down 12 ticks of 250 ms
// and is then reported once as expired. A reply is matched by its reply
// token alone.
#pragma once

#include "gmsg/datatype.h"
#include "gmsg/gsocket.h"
#include "kernel/l_types.h"

#include <cstddef>

// ------------------------------------------------------------------ wire

constexpr U32 GMSG_SIGNATURE = 0x47534D47u; // "GMSG" in wire order
constexpr int GMSG_HEADER_SIZE = 72;
constexpr int GMSG_ADDRESS_SIZE = 20;
constexpr int GSOCKET_ADDRESS_SIZE = 16;

// Offsets inside the wire header.
constexpr int GMSG_OFS_SIGNATURE = 0;
constexpr int GMSG_OFS_MSGID = 4;
constexpr int GMSG_OFS_FLAGS = 8;
constexpr int GMSG_OFS_SIZE = 12;
constexpr int GMSG_OFS_SRC_ADDRESS = 16;
constexpr int GMSG_OFS_DST_ADDRESS = 36;
constexpr int GMSG_OFS_TOKEN = 56;
constexpr int GMSG_OFS_REPLY_TOKEN = 64;
// Offsets inside a wire address and its socket address.
constexpr int GMSG_ADDR_OFS_TYPE = 0;
constexpr int GMSG_ADDR_OFS_UNION = 4;
constexpr int GSOCKET_ADDR_OFS_ADDRESS = 0;
constexpr int GSOCKET_ADDR_OFS_PORT = 4;
constexpr int GSOCKET_ADDR_OFS_UNUSED1 = 8;
constexpr int GSOCKET_ADDR_OFS_UNUSED2 = 12;

static_assert(GMSG_OFS_MSGID == GMSG_OFS_SIGNATURE + 4 && GMSG_OFS_FLAGS == GMSG_OFS_MSGID + 4 &&
              GMSG_OFS_SIZE == GMSG_OFS_FLAGS + 4 && GMSG_OFS_SRC_ADDRESS == GMSG_OFS_SIZE + 4);
static_assert(GMSG_OFS_DST_ADDRESS == GMSG_OFS_SRC_ADDRESS + GMSG_ADDRESS_SIZE);
static_assert(GMSG_OFS_TOKEN == GMSG_OFS_DST_ADDRESS + GMSG_ADDRESS_SIZE);
static_assert(GMSG_OFS_REPLY_TOKEN == GMSG_OFS_TOKEN + 8 && GMSG_HEADER_SIZE == GMSG_OFS_REPLY_TOKEN + 8);
static_assert(GMSG_ADDRESS_SIZE == GMSG_ADDR_OFS_UNION + GSOCKET_ADDRESS_SIZE && GMSG_ADDR_OFS_TYPE == 0);
static_assert(GSOCKET_ADDR_OFS_PORT == GSOCKET_ADDR_OFS_ADDRESS + 4 &&
              GSOCKET_ADDR_OFS_UNUSED1 == GSOCKET_ADDR_OFS_PORT + 4 &&
              GSOCKET_ADDR_OFS_UNUSED2 == GSOCKET_ADDR_OFS_UNUSED1 + 4 &&
              GSOCKET_ADDRESS_SIZE == GSOCKET_ADDR_OFS_UNUSED2 + 4);

// Flags.
constexpr U32 GMSG_FLAG_REQUEST = 0x1; // a reply or a status is expected
constexpr U32 GMSG_FLAG_REPLY = 0x2;   // answers the request of its reply token

constexpr U64 GMSG_TOKEN_NONE = ~(U64)0; // user token of a new record, reply token of one-way messages

// Composing: the header block starts at 4096 bytes and grows fourfold while
// the payload does not fit, up to this size.
constexpr U32 GMSG_FIRST_BLOCK_SIZE = 4096;
constexpr U32 GMSG_MAX_MESSAGE_SIZE = 262144;
// The largest body a received header may announce; a larger one is refused
// and its connection closed.
constexpr U32 GMSG_MAX_RECEIVE_SIZE = GMSG_MAX_MESSAGE_SIZE;
static_assert(GMSG_HEADER_SIZE + GMSG_MAX_RECEIVE_SIZE <= DATATYPE_MAX_BLOCK);
// Stream transfers go in pieces of at most this many bytes.
constexpr int GMSG_PIECE_SIZE = 32768;
// Waits of the stream framing when nothing else is given.
constexpr int GMSG_DEFAULT_WAIT_MS = 5000;
// Datagram mode: the block and the longest datagram kept.
constexpr U32 GMSG_UDP_BLOCK_SIZE = 4096;
constexpr U32 GMSG_UDP_MAX_PAYLOAD = GMSG_UDP_BLOCK_SIZE - GMSG_HEADER_SIZE;
// Reception on a stream never waits for a peer: each connection keeps the
// message it is receiving until its last byte is there. A message in
// progress is dropped, and its connection closed, after this long without a
// byte, or when it is not whole within GMSG_RECEIVE_BASE_MS plus its size at
// GMSG_RECEIVE_MIN_RATE bytes a second (GMSG_u64ReceiveLimitMs); a peer on
// the boat's network sends a message in milliseconds.
constexpr U32 GMSG_RECEIVE_SILENCE_MS = GMSG_DEFAULT_WAIT_MS;
constexpr U32 GMSG_RECEIVE_BASE_MS = 5000;
constexpr U32 GMSG_RECEIVE_MIN_RATE = 4096;
// Pending requests count down this many timer ticks of 250 ms.
constexpr S32 GMSG_REQUEST_TICKS = 12;
constexpr U32 GMSG_TIMER_PERIOD_MS = 250;

// ------------------------------------------------------------- addresses

typedef struct tag_QUEUE_ADDRESS {
    char acName[16];
} QUEUE_ADDRESS;

constexpr U32 GMSG_ADDRESS_SOCKET = 0; // the only kind produced or accepted

typedef struct tag_GMSG_ADDRESS {
    U32 MsgAddressType;
    union {
        GSOCKET_ADDRESS Socket;
        QUEUE_ADDRESS Queue;
    } uAddr;
} GMSG_ADDRESS;

typedef struct tag_GMSG_HEADER {
    U32 u32MsgSignature;
    U32 u32MsgId;
    U32 u32MsgFlags;
    U32 u32MsgSize;
    GMSG_ADDRESS SrcAddress;
    GMSG_ADDRESS DstAddress;
    U64 u64Token;
    U64 __u64ReplyToken;
} GMSG_HEADER;

// The payload lies right behind the decoded header in one block.
static_assert(sizeof(GMSG_HEADER) <= (size_t)GMSG_HEADER_SIZE);

void GMSG_vEncodeHeader(const GMSG_HEADER* pHeader, U8* pu8Wire);
void GMSG_vDecodeHeader(const U8* pu8Wire, GMSG_HEADER* pHeader);

// ------------------------------------------------------------- message ids

typedef enum tag_SERVICE_CLASS_TYPE {
    SERVICE_CLASS_DEFAULT = 0,
    SERVICE_CLASS_SYSTEM,
    SERVICE_CLASS_SERVICE,
    SERVICE_CLASS_DATABASE,
    SERVICE_CLASS_SERIAL,
    SERVICE_CLASS_SONAR,
    SERVICE_CLASS_XSONAR,
    SERVICE_CLASS_NMEA,
    SERVICE_CLASS_GPS,
    SERVICE_CLASS_AIS,
    SERVICE_CLASS_COMPASS,
    SERVICE_CLASS_AUTOPILOT,
    SERVICE_CLASS_CHART,
    SERVICE_CLASS_NAV,
    SERVICE_CLASS_TWR,
    SERVICE_CLASS_RADAR,
    SERVICE_CLASS_WEATHER,
    SERVICE_CLASS_LOG,
    SERVICE_CLASS_SOCKET_SERVER,
    SERVICE_CLASS_VIDEO,
    SERVICE_CLASS_PANE,
    SERVICE_CLASS_TEST,
    SERVICE_CLASS_QUELLMAR_NMEA,
    SERVICE_CLASS_QUELLMAR_TEMP,
    SERVICE_CLASS_QUELLMAR_SONAR,
    SERVICE_CLASS_QUELLMAR_ALARM,
    SERVICE_CLASS_QUELLMAR_NAV,
    SERVICE_CLASS_QUELLMAR_MULTICAST,
    SERVICE_CLASS_STEVRIN,
    SERVICE_CLASS_COUNT = 29
} SERVICE_CLASS_TYPE;

#define GMSG_MAKE_ID(cls, n) (((U32)(cls) << 16) | (U32)(n))

// Ids handled or sent in this system; each service owns its ids' meaning.
typedef enum tag_GMSG_ID_TYPE : U32 {
    GMSG_ID_DEFAULT_UNKNOWN = 0, // also ends message tables
    GMSG_ID_STATUS = GMSG_MAKE_ID(SERVICE_CLASS_DEFAULT, 1),

    GMSG_ID_DATABASE_FETCH = GMSG_MAKE_ID(SERVICE_CLASS_DATABASE, 1),
    GMSG_ID_DATABASE_REGISTER = GMSG_MAKE_ID(SERVICE_CLASS_DATABASE, 2),
    GMSG_ID_DATABASE_UNREGISTER = GMSG_MAKE_ID(SERVICE_CLASS_DATABASE, 3),
    GMSG_ID_DATABASE_UPDATE = GMSG_MAKE_ID(SERVICE_CLASS_DATABASE, 4),
    GMSG_ID_DATABASE_NEW_DATA = GMSG_MAKE_ID(SERVICE_CLASS_DATABASE, 5),

    GMSG_ID_RADAR_RECEIVE_DATA = GMSG_MAKE_ID(SERVICE_CLASS_RADAR, 0x0001), // also every raw datagram
    GMSG_ID_RADAR_SETTING_CHANGE = GMSG_MAKE_ID(SERVICE_CLASS_RADAR, 0x0042),
    GMSG_ID_RADAR_REQUEST_DATA = GMSG_MAKE_ID(SERVICE_CLASS_RADAR, 0x0043),

    GMSG_ID_NMEA_REQUEST_DATA = GMSG_MAKE_ID(SERVICE_CLASS_QUELLMAR_NMEA, 1),
    GMSG_ID_NMEA_SEND_DIAG_GPS_DATA = GMSG_MAKE_ID(SERVICE_CLASS_QUELLMAR_NMEA, 2),
    GMSG_ID_NMEA_SEND_CHART_GPS_DATA = GMSG_MAKE_ID(SERVICE_CLASS_QUELLMAR_NMEA, 3),
    GMSG_ID_NMEA_RECEIVE_DATA = GMSG_MAKE_ID(SERVICE_CLASS_QUELLMAR_NMEA, 4),

    GMSG_ID_TEMP_REQUEST_DATA = GMSG_MAKE_ID(SERVICE_CLASS_QUELLMAR_TEMP, 1),
    GMSG_ID_TEMP_RECEIVE_DATA = GMSG_MAKE_ID(SERVICE_CLASS_QUELLMAR_TEMP, 2),

    GMSG_ID_SONAR_REQUEST_DATA = GMSG_MAKE_ID(SERVICE_CLASS_QUELLMAR_SONAR, 1),
    GMSG_ID_SONAR_RECEIVE_DATA = GMSG_MAKE_ID(SERVICE_CLASS_QUELLMAR_SONAR, 2),
    GMSG_ID_SONAR_CONTROL_CHANGE = GMSG_MAKE_ID(SERVICE_CLASS_QUELLMAR_SONAR, 3),
    GMSG_ID_SONAR_PING_DEPTH_DATA = GMSG_MAKE_ID(SERVICE_CLASS_QUELLMAR_SONAR, 4),
    GMSG_ID_SONAR_TRANSDUCER_CHANGE = GMSG_MAKE_ID(SERVICE_CLASS_QUELLMAR_SONAR, 5),

    GMSG_ID_ALARM_RECEIVE_DATA = GMSG_MAKE_ID(SERVICE_CLASS_QUELLMAR_ALARM, 1),

    GMSG_ID_NAV_REQUEST_DATA = GMSG_MAKE_ID(SERVICE_CLASS_QUELLMAR_NAV, 1),
    GMSG_ID_NAV_RECEIVE_DATA = GMSG_MAKE_ID(SERVICE_CLASS_QUELLMAR_NAV, 2),

    // The trolling-motor link names its own ids, 0x1C0001 to 0x1C0067.
    GMSG_ID_STEVRIN_SCREENSHOT = GMSG_MAKE_ID(SERVICE_CLASS_STEVRIN, 0x4001),
} GMSG_ID_TYPE;

inline U32 GMSG_u32ClassOf(U32 u32MsgId) { return u32MsgId >> 16; }

// The short class name the log of unhandled messages prints; "Unknown" for
// a class beyond the table.
const char* GMSG_pcServiceClassName(U32 u32Class);

// ------------------------------------------------------------------ status

constexpr U32 GMSG_STATUS_UNHANDLED = 2;
constexpr U32 GMSG_STATUS_TIMEOUT = 3;

typedef struct tag_GMSG_STATUS {
    U32 u32MsgStatus;
    U32 u32MsgId;   // the message the status is about
    U64 u64Token;   // that message's user token
} GMSG_STATUS;

extern const G_DATA_TYPE DT_GMSG_STATUS;
extern const G_DATA_TYPE DT_GSOCKET_ADDRESS;
extern const G_DATA_TYPE DT_GMSG_ADDRESS;

// ---------------------------------------------------------------- records

typedef struct tag_GMSG_INFO {
    GMSG_HEADER* pMsgHeader;             // one block: header, then the serialized payload
    const G_DATA_TYPE* pDataType;        // null: no payload type
    void* pRawMsg;                       // the payload inside the block; null when empty
    void* pStructMsg;                    // outgoing: the caller's data; received: owned
    const G_DATA_TYPE* pRequestDataType; // received reply: the matched request's type
    void* pRequestMsg;                   // received reply: the request's decoded copy, owned
    BOOLEAN bReceived;
    BOOLEAN bReply;
    U32 u32UdpLength;   // datagram mode: raw bytes to send from pStructMsg
    U32 u32TimeoutInMs; // each wait for the socket to take more; 0 = 5 s
} GMSG_INFO;

typedef struct tag_GMSG_REQUEST {
    U32 u32MsgId;
    S32 s32RequestTimeout; // ticks left; 0 expired; -1 expiry reported
    U64 u64Token;
    U64 __u64ReplyToken;
    const G_DATA_TYPE* pDataType;
    void* pData; // decoded copy of the request's payload, handed to the reply
} GMSG_REQUEST;

typedef struct tag_GMSG_REQUEST_NODE {
    GMSG_REQUEST Request;
    struct tag_GMSG_REQUEST_NODE* pNext;
} GMSG_REQUEST_NODE;

typedef struct tag_GMSG_REQUEST_INFO {
    RESOURCE RequestMutex; // the mailbox's resource mutex (recursive)
    GMSG_REQUEST_NODE* pHead;
} GMSG_REQUEST_INFO;

// ---------------------------------------------------------------- calls

void GMSG_vMakeSocketAddress(GMSG_ADDRESS* pAddress, U32 u32Address, U32 u32Port);
BOOLEAN GMSG_bAddressEqual(const GMSG_ADDRESS* pMsgAddress1, const GMSG_ADDRESS* pMsgAddress2);

BOOLEAN GMSG_bCreate(GMSG_INFO* pMsgInfo, const GMSG_ADDRESS* pMyAddress, U32 eMsgId, const G_DATA_TYPE* pDataType,
                     void* pData, U32 u32Flags);
BOOLEAN GMSG_bCompose(GMSG_INFO* pMsgInfo, const GMSG_ADDRESS* pSrcAddress, const GMSG_ADDRESS* pDstAddress,
                      U32 eMsgId, const G_DATA_TYPE* pDataType, void* pData, U64 u64Token, U64 __u64ReplyToken,
                      U32 u32Flags, BOOLEAN bUdp, U32 u32UdpLength);
BOOLEAN GMSG_bSerialize(GMSG_INFO* pMsgInfo);
BOOLEAN GMSG_bAddress(GMSG_INFO* pMsgInfo, const GMSG_ADDRESS* pDstAddress, U64 u64Token);
BOOLEAN GMSG_bParse(GMSG_INFO* pMsgInfo, const G_DATA_TYPE* pDataType);
BOOLEAN GMSG_bFree(GMSG_INFO* pMsgInfo);

// Pending requests. The mailbox's calls take its request list.
BOOLEAN GMSG_bHandleRequests(GMSG_REQUEST_INFO* pMsgRequestInfo, GMSG_INFO* pMsgInfo);
BOOLEAN GMSG_bAddRequest(GMSG_REQUEST_INFO* pMsgRequestInfo, GMSG_INFO* pMsgInfo);
GMSG_REQUEST_NODE* GMSG_pFindRequest(GMSG_REQUEST_INFO* pMsgRequestInfo, U64 __u64ReplyToken);
// Unlinks and frees the node; its pData is left to whoever took it over.
BOOLEAN GMSG_bDeleteRequest(GMSG_REQUEST_INFO* pMsgRequestInfo, GMSG_REQUEST_NODE* pNodeToDelete);
// The same by reply token; here the decoded copy is freed with the node.
BOOLEAN GMSG_bDeleteRequestByToken(GMSG_REQUEST_INFO* pMsgRequestInfo, U64 __u64ReplyToken);
// Ends every pending request of a closing mailbox, their decoded copies too.
void GMSG_vDeleteAllRequests(GMSG_REQUEST_INFO* pMsgRequestInfo);
BOOLEAN GMSG_bHandleReplies(GMSG_REQUEST_INFO* pMsgRequestInfo, GMSG_INFO* pMsgInfo);
BOOLEAN GMSG_bMessageTimeout(GMSG_REQUEST_INFO* pMsgRequestInfo);
GMSG_REQUEST_NODE* GMSG_pFindExpiredRequest(GMSG_REQUEST_INFO* pMsgRequestInfo);

// Framing.
BOOLEAN GMSG_bMsgAvailable(GSOCKET* pSocket, GMSG_HEADER* pHeader);
BOOLEAN GMSG_bMsgAvailableUdp(GSOCKET* pSocket, GMSG_HEADER* pHeader); // pHeader is left alone
BOOLEAN GMSG_bMsgAvailableAll(GSOCKET* pSocket, GMSG_HEADER* pHeader, BOOLEAN bUdp);
BOOLEAN GMSG_bReceiveSocket(GSOCKET* pReceiveSocket, GMSG_INFO* pMsgInfo);
BOOLEAN GMSG_bReceiveMessage(GMSG_REQUEST_INFO* pMsgRequestInfo, GSOCKET* pReceiveSocket, GMSG_INFO* pMsgInfo);
BOOLEAN GMSG_bReceiveSocketAdapter(void* messageBody, U32 messageLen, GMSG_INFO* pMsgInfo);
BOOLEAN GMSG_bReceiveUDPSocket(GSOCKET* pListenSocket, GMSG_INFO* pMsgInfo);
BOOLEAN GMSG_bSendSocket(GMSG_INFO* pMsgInfo, GSOCKET* pSendSocket, BOOLEAN bFreeMsgInfo);
BOOLEAN GMSG_bSendSocketUDP(GSOCKET* socket, const void* pBuffer, int nLen, const GSOCKET_ADDRESS* dstAddr);

// ------------------------------------------- refused and dropped connections

// Why a connection was closed against its peer's will, or refused. Each cause
// is counted; its log lines are written for the first one and then at most
// once a second, with the count, so that a flood of bad peers cannot fill
// the log.
typedef enum tag_GMSG_DROP_CAUSE {
    GMSG_DROP_SIGNATURE = 0, // a header without the signature
    GMSG_DROP_TOO_LARGE,     // a header announcing more than GMSG_MAX_RECEIVE_SIZE
    GMSG_DROP_NO_MEMORY,     // no block for the message
    GMSG_DROP_TRUNCATED,     // the peer finished sending inside a message
    GMSG_DROP_RECEIVE_ERROR, // the socket failed
    GMSG_DROP_SILENT,        // GMSG_RECEIVE_SILENCE_MS without a byte inside a message
    GMSG_DROP_TOO_SLOW,      // a message not whole within its time limit
    GMSG_DROP_EVICTED,       // the oldest idle connection, closed for a new one at the limit
    GMSG_DROP_REFUSED,       // a new connection, refused at the limit
    GMSG_DROP_COUNT
} GMSG_DROP_CAUSE;

// Counts one; TRUE when the cause's report is due, and the count so far in
// *pu64Count: the caller then logs what happened, with the count.
BOOLEAN GMSG_bCountDrop(GMSG_DROP_CAUSE eCause, U64* pu64Count);
U64 GMSG_u64DropCount(GMSG_DROP_CAUSE eCause);
const char* GMSG_pcDropCause(GMSG_DROP_CAUSE eCause);
// Back to no counts and no reports (tests).
void GMSG_vClearDrops(void);

// ------------------------------------------ reception of one connection

typedef enum tag_GMSG_RX_RESULT {
    GMSG_RX_MORE = 0, // nothing more is waiting; a message may be partly here
    GMSG_RX_COMPLETE, // a whole message was handed over
    GMSG_RX_CLOSED,   // the peer finished sending, between two messages
    GMSG_RX_FAILED,   // the message is lost and the connection is to close: see eCause
} GMSG_RX_RESULT;

// The message a connection is receiving. Between messages it holds nothing.
// While the header comes in, the block holds its wire bytes; once the header
// is whole it holds the decoded header and, behind it, the payload bytes so
// far: the block of a received message. Its room grows with the bytes that
// arrive rather than with what the header announces, so that a peer cannot
// take memory by announcing a size it never sends.
typedef struct tag_GMSG_RECEIVE_STATE {
    U8* pu8Block;
    U32 u32Capacity;  // bytes of the block
    U32 u32Got;       // bytes of the message so far, header included
    U32 u32Size;      // the payload size the header announced
    BOOLEAN bHeader;  // the header is whole (and u32Size valid)
    U64 u64Started;   // kernel clock (ms) at the message's first byte
    U64 u64LastByte;  // kernel clock (ms) at its latest byte
    GMSG_DROP_CAUSE eCause; // why the last result was GMSG_RX_FAILED
} GMSG_RECEIVE_STATE;

U64 GMSG_u64ReceiveLimitMs(U32 u32MsgSize);
void GMSG_vReceiveInit(GMSG_RECEIVE_STATE* pState);
// Drops the message in progress.
void GMSG_vReceiveReset(GMSG_RECEIVE_STATE* pState);
BOOLEAN GMSG_bReceiveInMessage(const GMSG_RECEIVE_STATE* pState);
// Where the next bytes of the stream go: *pu32Room of them at most, never
// beyond the end of the message. Null when no block could be had (eCause
// is then GMSG_DROP_NO_MEMORY).
U8* GMSG_pu8ReceiveSpace(GMSG_RECEIVE_STATE* pState, U32* pu32Room);
// Takes u32Count bytes just written into the space, at u64Now. COMPLETE: the
// message is in pMsgInfo as a received record and the state is empty again.
// FAILED: the state keeps what it had for GMSG_vReportReceiveFailure until
// it is reset.
GMSG_RX_RESULT GMSG_eReceiveTake(GMSG_RECEIVE_STATE* pState, U32 u32Count, U64 u64Now, GMSG_INFO* pMsgInfo);
// FAILED when the message in progress broke a time limit by u64Now.
GMSG_RX_RESULT GMSG_eReceiveCheckTime(GMSG_RECEIVE_STATE* pState, U64 u64Now);
// Reads what is waiting on a non-blocking stream, up to the end of one
// message, without ever waiting.
GMSG_RX_RESULT GMSG_eReceiveStream(GMSG_RECEIVE_STATE* pState, GSOCKET* pSocket, U64 u64Now, GMSG_INFO* pMsgInfo);
// Counts a failed reception of the GMSG task and, when its report is due,
// logs it in the words of the stream reader and the task, with the count.
void GMSG_vReportReceiveFailure(const GMSG_RECEIVE_STATE* pState);
