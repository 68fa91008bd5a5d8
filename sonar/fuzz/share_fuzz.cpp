// Fuzz target of what another unit may send this unit's ping task. Byte 0
// picks the road: a multicast ping (the network receive task's hand-on), a
// serialized ping (0x180002) or a control change (0x180003), the latter two
// through their payload decoders and handlers as the message table runs
// them; the rest is the message. Whatever comes, nothing is read or written
// outside the bytes and the descriptors, every descriptor taken goes back
// to the pool or to the processing task's mailbox, and a short ping leaves
// the pool as it was.
#include "gmsg/gmsg.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_queue.h"
#include "kernel/lm_log.h"
#include "sonar/ping/t_n_ping.h"
#include "sonar/ping/t_n_ping_codec.h"
#include "sonar/ping/t_n_ping_server.h"
#include "sonar/ping/t_n_ping_state.h"
#include "store/h_database.h"
#include "util/u_convert.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr U32 SERVER = 0x1401A8C0;
constexpr U32 CLIENT = 0x0A01A8C0;

void check(bool ok)
{
    if (!ok)
        abort();
}

// The processing task: takes every descriptor mailed and puts it back.
void drainProcessing()
{
    while (MSGHEADER* p = L_MBOX_Receive(PROCESS_MAILBOX)) {
        if (((GENERIC_MESSAGE*)p)->Cmd == CMD_ID_SONAR_PROCESS_PING) {
            PING_DESCRIPTOR* d = ((PING_MESSAGE*)p)->pReturnDescriptor;
            check(d->u32NumberOfSamples <= PING_MAX_SAMPLES);
            L_QUEUE_Put(Q_PING, &d);
        }
        H_MEMORY_vFree(p);
    }
    for (MBOX m : {SLP_CLIENT_MAILBOX, SUDP_IN_MBOX, PING_MAILBOX})
        while (MSGHEADER* p = L_MBOX_Receive(m))
            H_MEMORY_vFree(p);
}

void viaTable(const G_DATA_TYPE* type, GMSG_HANDLER_FP handler, const uint8_t* data, size_t size, U32 sender)
{
    void* copy = malloc(size ? size : 1);
    memcpy(copy, data, size);
    void* value = nullptr;
    int remaining = (int)size, used = 0;
    if (type->pfDeserialize(&value, copy, &remaining, &used, type) >= 0 && value != nullptr) {
        GMSG_HEADER header{};
        GMSG_vMakeSocketAddress(&header.SrcAddress, sender, 50688);
        GMSG_INFO info{};
        info.pMsgHeader = &header;
        info.pStructMsg = value;
        info.bReceived = TRUE;
        handler(PING_MAILBOX, &info, nullptr, nullptr);
        type->pfDeallocate(value, TRUE, type);
    }
    free(copy);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    opt_nolog = TRUE;
    H_DATABASE_vInit();
    U_CONVERT_vInitialiseConversionUtility();
    t_n_ping::vInitialisePingDescriptorQueue();
    H_DATABASE_bUpdateEverythingU32(FCID("SMAC"), 0x21, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingU32(FCID("ENPM"), 0x1, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingU32(FCID("ECPM"), 0x1, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    GMSG_ADDRESS server;
    GMSG_vMakeSocketAddress(&server, SERVER, 50688);
    U_PING_vSetServerAddress(&server, 0);
    U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_CONNECTED, 0);
    U_PING_vSetSystemState((SYSTEM_STATE)3);
    U_PING_vAddClientNode(&sonarSourcesArray[0], CLIENT);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > PING_IMAGE_BYTES + PING_MAX_SAMPLES + 1024)
        return 0;
    const U32 pool = (U32)L_QUEUE_Inquire(Q_PING);
    const uint8_t road = data[0] % 4;
    ++data;
    --size;
    if (road == 0) {
        // Exact-size copy, so that a read past the message is caught.
        U8* copy = (U8*)malloc(size ? size : 1);
        memcpy(copy, data, size);
        const bool bShort = size < PING_IMAGE_BYTES ||
                            size - PING_IMAGE_BYTES < (U32)(copy[4] | copy[5] << 8 | copy[6] << 16 | (U32)copy[7] << 24);
        const BOOLEAN bOn = T_N_PING_bHandOnMulticastPing(copy, (U32)size);
        check(!(bShort && bOn));
        free(copy);
    } else if (road == 1) {
        viaTable(&DT_PING_DESCRIPTOR, T_N_PING_bHandleDataRecieve, data, size, SERVER);
    } else {
        viaTable(&DT_CONTROL_CHANGE, T_N_PING_bHandleControlChangeRecieve, data, size, road == 2 ? SERVER : CLIENT);
    }
    drainProcessing();
    check((U32)L_QUEUE_Inquire(Q_PING) == pool);
    return 0;
}
