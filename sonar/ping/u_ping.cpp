// The shared ping state (see the header for its lock and its readers).
#include "sonar/ping/u_ping.h"

#include "kernel/error.h"
#include "kernel/l_mutex.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

// ---- Constants ----

constexpr const char* SOURCE = "./Working/SOURCE/u_ping";

// ---- State ----

std::atomic<SYSTEM_STATE> s_eSystemState{(SYSTEM_STATE)0};
std::atomic<NETWORK_CLIENT_STATE> s_eNetworkClientState[SONAR_SOURCE_COUNT] = {
    NETWORK_CLIENT_STATE_INIT, NETWORK_CLIENT_STATE_INIT, NETWORK_CLIENT_STATE_INIT, NETWORK_CLIENT_STATE_INIT};
std::atomic<BOOLEAN> s_bPlayback{FALSE};
std::atomic<BOOLEAN> s_bDeepWaterMode{FALSE};
std::atomic<U32> s_u32DepthKnownCnt{0};
GMSG_ADDRESS ServerAddress[SONAR_SOURCE_COUNT]; // under RES_SONAR_SHARE
std::atomic<S32> s_s32ServerMonitorHandle[SONAR_SOURCE_COUNT] = {0, 0, 0, 0};
std::atomic<float> s_fCurrentDepth{0.0f};
std::atomic<BEAM> s_BeamSelected{1};
std::atomic<LAYER_ID> s_CurrentView{NO_VIEW_PRIORITY};
std::atomic<BOOLEAN> s_bDeploy{FALSE};

// ---- Helpers ----

bool bSource(U32 u32Index) { return u32Index < SONAR_SOURCE_COUNT; }

// Takes mutex 100 for one operation, nesting when the caller holds it.
class ShareLock {
public:
    ShareLock() { L_MUTEX_LockWait(RES_SONAR_SHARE); }
    ~ShareLock() { L_MUTEX_Unlock(RES_SONAR_SHARE); }
    ShareLock(const ShareLock&) = delete;
    ShareLock& operator=(const ShareLock&) = delete;
};

} // namespace

// ---- Single values ----

NETWORK_CLIENT_STATE U_PING_eGetNetworkClientState(U32 u32Index)
{
    return bSource(u32Index) ? s_eNetworkClientState[u32Index].load() : NETWORK_CLIENT_STATE_DISCONNECTED;
}

void U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE eState, U32 u32Index)
{
    if (bSource(u32Index))
        s_eNetworkClientState[u32Index] = eState;
}

SYSTEM_STATE U_PING_eGetSystemState(void) { return s_eSystemState; }
void U_PING_vSetSystemState(SYSTEM_STATE eState) { s_eSystemState = eState; }
BOOLEAN U_PING_bGetPlayback(void) { return s_bPlayback; }
void U_PING_vSetPlayback(BOOLEAN bPlayback) { s_bPlayback = bPlayback; }
BOOLEAN U_PING_bGetDeepWaterMode(void) { return s_bDeepWaterMode; }
void U_PING_vSetDeepWaterMode(BOOLEAN bDeepWater) { s_bDeepWaterMode = bDeepWater; }
U32 U_PING_u32GetDepthKnownCnt(void) { return s_u32DepthKnownCnt; }
void U_PING_vSetDepthKnownCnt(U32 u32Count) { s_u32DepthKnownCnt = u32Count; }
void U_PING_vIncrementDepthKnownCnt(U32 u32Count) { s_u32DepthKnownCnt += u32Count; }

S32 U_PING_s32GetServerMonitorHandle(U32 u32Index)
{
    return bSource(u32Index) ? s_s32ServerMonitorHandle[u32Index].load() : -1;
}

void U_PING_vSetServerMonitorHandle(S32 s32Handle, U32 u32Index)
{
    if (bSource(u32Index))
        s_s32ServerMonitorHandle[u32Index] = s32Handle;
}

S32 U_PING_s32GetSonarIndexFromServerMonitorHandle(S32 s32Handle)
{
    for (U32 i = 0; i < SONAR_SOURCE_COUNT; ++i) {
        if (s_s32ServerMonitorHandle[i] == s32Handle)
            return (S32)i;
    }
    return -1;
}

float U_PING_fGetCurrentDepth(void) { return s_fCurrentDepth; }
void U_PING_vSetCurrentDepth(float fDepth) { s_fCurrentDepth = fDepth; }
BEAM U_PING_beamGetBeamSelected(void) { return s_BeamSelected; }
void U_PING_vSetBeamSelected(BEAM beam) { s_BeamSelected = beam; }
LAYER_ID U_PING_layeridGetCurrentView(void) { return s_CurrentView; }
void U_PING_vSetCurrentView(LAYER_ID view) { s_CurrentView = view; }
BOOLEAN U_PING_bGetMSSDeployState(void) { return s_bDeploy; }
void U_PING_vSetMSSDeployState(BOOLEAN bDeployed) { s_bDeploy = bDeployed; }

// ---- Server addresses ----

void U_PING_vInitServerAddress(void)
{
    ShareLock lock;
    memset(ServerAddress, 0, sizeof ServerAddress);
}

void U_PING_vGetServerAddress(GMSG_ADDRESS* pAddress, U32 u32Index)
{
    if (pAddress == nullptr)
        return;
    if (!bSource(u32Index)) {
        memset(pAddress, 0, sizeof *pAddress);
        return;
    }
    ShareLock lock;
    *pAddress = ServerAddress[u32Index];
}

void U_PING_vSetServerAddress(const GMSG_ADDRESS* pAddress, U32 u32Index)
{
    if (pAddress == nullptr || !bSource(u32Index))
        return;
    ShareLock lock;
    ServerAddress[u32Index] = *pAddress;
}

// ---- Client lists ----

void U_PING_vAddClientNode(sonarRegisteredClientNode** ppList, U32 u32ClientAddress)
{
    if (ppList == nullptr)
        return;
    ShareLock lock;
    sonarRegisteredClientNode** ppLink = ppList;
    for (; *ppLink != nullptr; ppLink = &(*ppLink)->next) {
        if ((*ppLink)->u32ClientAddress == u32ClientAddress)
            return;
    }
    sonarRegisteredClientNode* pNode = (sonarRegisteredClientNode*)malloc(sizeof *pNode);
    if (pNode == nullptr) {
        ERROR_error(SOURCE, __LINE__, "Cannot allocate memory");
        U_RESET_vReset(FALSE, FALSE);
    }
    pNode->u32ClientAddress = u32ClientAddress;
    pNode->next = nullptr;
    *ppLink = pNode;
}

void U_PING_vDeleteClientNode(sonarRegisteredClientNode** ppList, U32 u32ClientAddress)
{
    if (ppList == nullptr)
        return;
    ShareLock lock;
    for (sonarRegisteredClientNode** ppLink = ppList; *ppLink != nullptr; ppLink = &(*ppLink)->next) {
        sonarRegisteredClientNode* pNode = *ppLink;
        if (pNode->u32ClientAddress == u32ClientAddress) {
            *ppLink = pNode->next;
            free(pNode);
            return;
        }
    }
}

void U_PING_vAllDeleteClientNodes(sonarRegisteredClientNode** ppList)
{
    if (ppList == nullptr)
        return;
    ShareLock lock;
    while (*ppList != nullptr) {
        sonarRegisteredClientNode* pNode = *ppList;
        *ppList = pNode->next;
        free(pNode);
    }
}
