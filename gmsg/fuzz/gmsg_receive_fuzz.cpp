// Fuzz target of message reception: the input is what a peer writes on a
// connection before it closes. Up to five messages are peeked, read, matched
// against a pending request and decoded with a type chosen by their id, as
// the message task does; the same bytes are also handed over as one
// assembled block. Nothing a peer sends may crash, leak or end the process;
// a leak shows as an exhausted program heap that waits, then a time-out.
#include "gmsg/fuzz/fuzz_payload_types.h"
#include "gmsg/gmsg.h"
#include "kernel/h_memory.h"
#include "kernel/lm_log.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
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
    return 0;
}
