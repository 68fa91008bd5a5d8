// The director: every filled descriptor of this unit, live or played back,
// passes through it once. Live pings go to the network clients that want
// their source; then the descriptor is mailed to the processing task, or
// put straight back into the pool when nobody on this unit shows that
// source.
//
// Runs in the ping task and in the playback task; it reads the shared
// ping state and the task's masks without mutex 100.
#include "sonar/ping/t_n_ping.h"

#include "gmsg/u_networkdest.h"
#include "kernel/h_memory.h"
#include "kernel/l_queue.h"
#include "sonar/history/t_n_history.h"
#include "sonar/ping/t_n_ping_state.h"
#include "store/h_database.h"

#include <cstring>

using namespace t_n_ping;

namespace {

// ---- Constants ----

constexpr U32 NO_BEAM_FREQUENCY_HERTZ = 200000;

// ---- Helpers ----

bool bSimulationState(SYSTEM_STATE e) { return e == STATE_SIMULATION || e == STATE_POINT_OF_SALE; }

void vReturnToPool(PING_DESCRIPTOR* pDescriptor)
{
    if (L_QUEUE_Put(Q_PING, &pDescriptor) != 0)
        vFatal(__LINE__, "Couldn't return descriptor to queue");
}

// Pings synthesised only to keep network clients going carry no samples.
void X_conditionallySetSonarDataToZero(PING_DESCRIPTOR* pDescriptor)
{
    const U32 u32Bytes =
        pDescriptor->u32NumberOfSamples < PING_MAX_SAMPLES ? pDescriptor->u32NumberOfSamples : PING_MAX_SAMPLES;
    memset(pDescriptor->pu8RawSonarData, 0, u32Bytes);
}

bool bNetworkDestinationExists(void)
{
    void* pvTable = s_pvNetworkDestinations;
    if (pvTable == nullptr)
        return false;
    int index = 0;
    U32 u32UserData = 0;
    return U_NETWORKDEST_gapNext(pvTable, &index, &u32UserData) != nullptr;
}

void vSendToClients(NET_SOURCE_TYPE eNetSourceType, networkSonarProcessType processType,
                    PING_DESCRIPTOR* pDescriptor)
{
    BOOLEAN bSonarOn = FALSE;
    if (!bNetworkDestinationExists() || processType != NETWORK_SONAR_PROCESS ||
        !H_DATABASE_bFetchBoolean(FCID("SSEN"), &bSonarOn, nullptr, nullptr) || !bSonarOn ||
        !T_N_PING_bCheckActiveClientList((U32)eNetSourceType))
        return;
    T_N_PING_bSendToNetworkDestinations(eNetSourceType, processType, pDescriptor);
}

// The 360 unit's state ("MSSS"); 0 without one.
U32 u32MssState(void)
{
    U32 u32State = 0;
    H_DATABASE_bFetchU32(FCID("MSSS"), &u32State, nullptr, nullptr);
    return u32State;
}

// Whether this unit's screens show a normal ping of the beam.
bool bShownHere(const PING_DESCRIPTOR* pDescriptor, SYSTEM_STATE eState)
{
    const U32 u32Network = s_u32NetworkPingMask;
    if (pDescriptor->Beam == 2 || pDescriptor->Beam == 3) {
        if (bSimulationState(eState) || eState == STATE_PLAYBACK)
            return true;
        if (u32Network & (ELEMENT_KV | ELEMENT_FV))
            return false;
        if (U_PING_bGetMSSDeployState() && T_N_HISTORY_bIsSweepingView(U_PING_layeridGetCurrentView()))
            return false;
        if (T_N_PING_bMSSFV() && (u32Network & ELEMENT_360))
            return false;
        return true;
    }
    if (pDescriptor->Beam == 0 || pDescriptor->Beam == 1)
        return eState == STATE_PLAYBACK || (u32Network & ELEMENT_2D) == 0;
    return true;
}

template <typename MAIL>
MAIL* pNewMail(CMD_ID cmd)
{
    auto* pMail = (MAIL*)H_MEMORY_pvMalloc(sizeof(MAIL));
    *pMail = MAIL{};
    pMail->Header.Cmd = cmd;
    return pMail;
}

} // namespace

void X_pingDataDirector(NET_SOURCE_TYPE eNetSourceType, BOOLEAN isRecordPlayback,
                        networkSonarProcessType processType, PING_DESCRIPTOR* pDescriptor)
{
    if (pDescriptor == nullptr)
        return;
    if (pDescriptor->Beam == PING_NO_BEAM)
        pDescriptor->u32TransmitFrequencyHertz = NO_BEAM_FREQUENCY_HERTZ;
    if (!isRecordPlayback) {
        pDescriptor->bIsLocal = FALSE;
        if (s_bZeroAllPingDataBeforeSending)
            X_conditionallySetSonarDataToZero(pDescriptor);
        vSendToClients(eNetSourceType, processType, pDescriptor);
    }

    // A live ping during playback, or a source shown from a server (the
    // local ping was for the network only), is not processed here.
    const SYSTEM_STATE eState = U_PING_eGetSystemState();
    if ((eState == STATE_PLAYBACK && !isRecordPlayback) ||
        (eState != STATE_PLAYBACK &&
         U_PING_eGetNetworkClientState((U32)eNetSourceType) == NETWORK_CLIENT_STATE_CONNECTED && u32MssState() == 0)) {
        vReturnToPool(pDescriptor);
        return;
    }

    if (processType == NETWORK_SONAR_PROCESS_BLANK) {
        const BEAM beam = pDescriptor->Beam;
        L_QUEUE_PutWait(Q_PING, &pDescriptor);
        auto* pBlank = pNewMail<MSG_BLANK_SCROLL_PING>(CMD_ID_BLANK_SCROLL_PING);
        pBlank->Beam = beam;
        if (L_MBOX_Send(PROCESS_MAILBOX, &pBlank->Header.msghdr, PING_MAIL_PRIORITY, 0) != 0)
            H_MEMORY_vFree(pBlank);
        return;
    }

    if (!bShownHere(pDescriptor, eState)) {
        vReturnToPool(pDescriptor);
        return;
    }
    pDescriptor->bIsLocal = TRUE;
    auto* pPing = pNewMail<PING_MESSAGE>(CMD_ID_SONAR_PROCESS_PING);
    pPing->pReturnDescriptor = pDescriptor;
    if (L_MBOX_Send(PROCESS_MAILBOX, &pPing->Header.msghdr, PING_MAIL_PRIORITY, 0) != 0) {
        // Undelivered, the descriptor would be lost to the pool.
        H_MEMORY_vFree(pPing);
        vReturnToPool(pDescriptor);
    }
}
