// Fuzz target of message reception: the input is what a peer writes on a
// connection before it closes. Up to five messages are peeked, read, matched
// against a pending request and decoded with a type chosen by their id; the
// same bytes are also handed over as one assembled block. Then they go
// through the per-connection reception of the message task as they might
// arrive: once in the largest pieces it takes, once cut at pseudo-random
// points (drawn from the input itself), once more with the clock running.
// However the bytes are cut, the same messages must come out and the same
// failure must end them. Nothing a peer sends may crash, leak or end the
// process; a leak shows as an exhausted program heap that waits, then a
// time-out.
#include "gmsg/fuzz/fuzz_payload_types.h"
#include "gmsg/gmsg.h"
#include "kernel/h_memory.h"
#include "kernel/lm_log.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr RESOURCE kRequestMutex = 80;
constexpr size_t kMaxInput = 65536; // stays within the socket buffer

const G_DATA_TYPE* typeFor(U32 u32MsgId) { return fz::kPayloadTypes[u32MsgId % fz::kPayloadTypeCount]; }

// A pending request that a reply with reply token 1 would match.
void addPending(GMSG_REQUEST_INFO* list)
{
    GMSG_STATUS payload = {0, GMSG_ID_NAV_REQUEST_DATA, 5};
    GMSG_INFO req;
    if (!GMSG_bCompose(&req, nullptr, nullptr, GMSG_ID_NAV_REQUEST_DATA, &DT_GMSG_STATUS, &payload, 5, 1, 0,
                       FALSE, 0))
        abort();
    GMSG_bAddRequest(list, &req);
    GMSG_bFree(&req);
}

// What came out of one feeding: each whole message as its decoded header
// fields and payload, then how the stream ended.
struct Outcome {
    std::vector<U8> messages;
    GMSG_RX_RESULT last = GMSG_RX_MORE;
    GMSG_DROP_CAUSE cause = GMSG_DROP_COUNT;
    U32 got = 0; // bytes of an unfinished message

    bool operator==(const Outcome& o) const
    {
        return messages == o.messages && last == o.last && cause == o.cause && got == o.got;
    }
};

void record(std::vector<U8>& out, const GMSG_INFO& info)
{
    U8 wire[GMSG_HEADER_SIZE];
    GMSG_vEncodeHeader(info.pMsgHeader, wire);
    out.insert(out.end(), wire, wire + GMSG_HEADER_SIZE);
    const U32 size = info.pMsgHeader->u32MsgSize;
    if ((size != 0) != (info.pRawMsg != nullptr))
        abort();
    if (size)
        out.insert(out.end(), (const U8*)info.pRawMsg, (const U8*)info.pRawMsg + size);
}

// Splits and clock steps, drawn from the input so that a run can be replayed.
struct Draw {
    U64 x;
    explicit Draw(const uint8_t* data, size_t size) : x(0xcbf29ce484222325ull)
    {
        for (size_t i = 0; i < size; ++i)
            x = (x ^ data[i]) * 0x100000001b3ull;
        x |= 1;
    }
    U32 next(U32 bound)
    {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        return bound ? (U32)(x % bound) : 0;
    }
};

// Feeds the stream in pieces of at most `piece` bytes (0: as much as the
// state takes), or of random sizes, with the clock still or stepping.
Outcome feed(const uint8_t* data, size_t size, U32 piece, Draw* cuts, bool clockRuns)
{
    Outcome o;
    GMSG_RECEIVE_STATE rx;
    GMSG_vReceiveInit(&rx);
    U64 now = 1000;
    size_t at = 0;
    while (at < size) {
        U32 room = 0;
        U8* space = GMSG_pu8ReceiveSpace(&rx, &room);
        if (!space) {
            o.last = GMSG_RX_FAILED;
            break;
        }
        if (room == 0)
            abort(); // space without room would stall a connection for ever
        U32 n = std::min<U32>(room, (U32)(size - at));
        if (piece)
            n = std::min(n, piece);
        if (cuts)
            n = 1 + cuts->next(n);
        memcpy(space, data + at, n);
        at += n;
        if (clockRuns)
            now += cuts ? cuts->next(3000) : 0;
        GMSG_INFO info;
        o.last = GMSG_eReceiveTake(&rx, n, now, &info);
        if (o.last == GMSG_RX_COMPLETE) {
            if (GMSG_bReceiveInMessage(&rx))
                abort();
            record(o.messages, info);
            GMSG_bFree(&info);
        } else if (o.last == GMSG_RX_FAILED) {
            break;
        }
    }
    if (o.last == GMSG_RX_FAILED) {
        o.cause = rx.eCause;
    } else if (GMSG_bReceiveInMessage(&rx)) {
        // Whatever is left must end after the silence, and not before.
        if (GMSG_eReceiveCheckTime(&rx, now + GMSG_RECEIVE_SILENCE_MS - 1) == GMSG_RX_FAILED &&
            rx.eCause == GMSG_DROP_SILENT)
            abort();
        if (GMSG_eReceiveCheckTime(&rx, now + GMSG_RECEIVE_SILENCE_MS) != GMSG_RX_FAILED)
            abort();
    }
    o.got = rx.u32Got;
    GMSG_vReceiveReset(&rx);
    return o;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    opt_nolog = TRUE;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kMaxInput)
        return 0;

    int sv[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, sv) != 0)
        abort();
    size_t done = 0;
    while (done < size) {
        const ssize_t n = write(sv[1], data + done, size - done);
        if (n <= 0)
            abort();
        done += (size_t)n;
    }
    shutdown(sv[1], SHUT_WR); // the peer leaves: no read waits
    fcntl(sv[0], F_SETFL, O_NONBLOCK);

    GMSG_REQUEST_INFO pending = {kRequestMutex, nullptr};
    addPending(&pending);
    GSOCKET socket = {sv[0], {0, 0, 0, 0}, 0, FALSE, TRUE};
    GMSG_HEADER peeked;
    for (int i = 0; i < 5 && GMSG_bMsgAvailable(&socket, &peeked); ++i) {
        GMSG_INFO in;
        if (!GMSG_bReceiveMessage(&pending, &socket, &in))
            break;
        GMSG_bParse(&in, typeFor(in.pMsgHeader->u32MsgId));
        GMSG_bFree(&in);
    }
    GMSG_vDeleteAllRequests(&pending);
    close(sv[0]);
    close(sv[1]);

    void* block = H_MEMORY_pvMalloc(size ? (U32)size : 1);
    memcpy(block, data, size);
    GMSG_INFO handed;
    if (GMSG_bReceiveSocketAdapter(block, (U32)size, &handed)) {
        GMSG_bParse(&handed, typeFor(handed.pMsgHeader->u32MsgId));
        GMSG_bFree(&handed);
    }

    Draw cuts(data, size);
    const Outcome whole = feed(data, size, 0, nullptr, false);
    if (!(feed(data, size, 0, &cuts, false) == whole) || !(feed(data, size, 1, nullptr, false) == whole))
        abort();
    feed(data, size, 0, &cuts, true);
    return 0;
}
