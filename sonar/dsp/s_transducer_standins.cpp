// The neighbours of the transducer database, stood in (see the header).
#include "sonar/dsp/s_transducer_standins.h"

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "store/h_database.h"

#include <atomic>
#include <cstring>

namespace {

constexpr PRIORITY CLIENT_MAIL_PRIORITY = 3;
constexpr U32 SONAR_SOURCES = 4;

std::atomic<int> s_aeClientState[SONAR_SOURCES];
std::atomic<bool> s_abActiveClient[SONAR_SOURCES];

MBOX mboxViewTask()
{
    U32 u32Mbox = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(FCID("TVUE"), &u32Mbox, &bValid, nullptr) || !bValid)
        return 0;
    return (MBOX)u32Mbox;
}

// A zeroed mail with its command word, or null when the heap has none.
template <typename MAIL>
MAIL* newMail(CMD_ID cmd)
{
    MAIL* pMail = static_cast<MAIL*>(H_MEMORY_pvMallocNoWait(sizeof(MAIL)));
    if (pMail != nullptr) {
        memset(static_cast<void*>(pMail), 0, sizeof(MAIL));
        pMail->header.Cmd = cmd;
    }
    return pMail;
}

template <typename MAIL>
void post(MBOX mbox, MAIL* pMail)
{
    if (L_MBOX_Send(mbox, &pMail->header.msghdr, CLIENT_MAIL_PRIORITY, 0) != 0)
        H_MEMORY_vFree(pMail);
}

} // namespace

BOOLEAN U_VIEW_bRegisterLayerSplit(DRAW_FUNCTION* pfnDraw, LAYER_ID layer, LAYER_ID layerWhereUsed, U32 u32User,
                                   FOURCHARID fcidControl, BOOLEAN bDefaultState, const TEXT_TABLE* pPlaybackString,
                                   const TEXT_TABLE* pSimString, const TEXT_TABLE* pPOSString,
                                   SPLIT_WINDOW_TYPE eLocation, FOURCHARID fcidSplitControl)
{
    const MBOX mbox = mboxViewTask();
    if (mbox == 0)
        return FALSE;
    auto* pMail = newMail<MSG_REGISTER_LAYER>(CMD_ID_REGISTER_LAYER);
    if (pMail == nullptr)
        return FALSE;
    pMail->layer = layer;
    pMail->where_used = layerWhereUsed;
    pMail->pDrawFunction = pfnDraw;
    pMail->fcidDisplayFlag = fcidControl;
    pMail->bDisplay = bDefaultState;
    pMail->user = u32User;
    pMail->pPlaybackString = pPlaybackString;
    pMail->pSimString = pSimString;
    pMail->pPOSString = pPOSString;
    pMail->eLocation = eLocation;
    pMail->fcidSplitControl = fcidSplitControl;
    post(mbox, pMail);
    return TRUE;
}

BOOLEAN U_VIEW_bUnRegisterLayerSplit(LAYER_ID layer, SPLIT_WINDOW_TYPE eLocation)
{
    const MBOX mbox = mboxViewTask();
    if (mbox == 0)
        return FALSE;
    auto* pMail = newMail<MSG_UNREGISTER_LAYER>(CMD_ID_UNREGISTER_LAYER);
    if (pMail == nullptr)
        return FALSE;
    pMail->layer = layer;
    pMail->eLocation = eLocation;
    post(mbox, pMail);
    return TRUE;
}

void T_INFO_vDrawInfoLayer_Instrumentation_SonarView(BITMAP*, WINDOW_SPECIFICATION*) {}

void T_N_HISTORY_vDrawFullScreenSonar(BITMAP*, WINDOW_SPECIFICATION*) {}
void T_N_HISTORY_vDrawZoomSonar(BITMAP*, WINDOW_SPECIFICATION*) {}
void T_N_HISTORY_vDrawKeelview(BITMAP*, WINDOW_SPECIFICATION*) {}
void T_N_HISTORY_vDrawKeelviewSplit(BITMAP*, WINDOW_SPECIFICATION*) {}
void T_N_HISTORY_vDrawKeelviewSonarSplit(BITMAP*, WINDOW_SPECIFICATION*) {}
void T_N_HISTORY_vDrawVerticalScrollView(BITMAP*, WINDOW_SPECIFICATION*) {}
void T_N_HISTORY_vDrawDownAndSidebeamView(BITMAP*, WINDOW_SPECIFICATION*) {}
void T_N_HISTORY_vDrawDualBeamView(BITMAP*, WINDOW_SPECIFICATION*) {}
void T_N_HISTORY_vDrawSonarSplit(BITMAP*, WINDOW_SPECIFICATION*) {}
void T_N_HISTORY_vDrawPPIDisplay(BITMAP*, WINDOW_SPECIFICATION*) {}

void T_N_HISTORY_vCreateFvEnhanceDialog(void) {}
void T_N_HISTORY_vCreateKvEnhanceDialog(void) {}
void T_N_HISTORY_vCreateSweepEnhanceDialog(void) {}
void T_N_HISTORY_vSetHeadingOffsetStartArea(void) {}
void T_N_HISTORY_vDeployAction(void) {}
void T_N_HISTORY_vRetractAction(void) {}

NETWORK_CLIENT_STATE U_PING_eGetNetworkClientState(U32 u32SonarSource)
{
    if (u32SonarSource >= SONAR_SOURCES)
        return NETWORK_CLIENT_STATE_NONE;
    return (NETWORK_CLIENT_STATE)s_aeClientState[u32SonarSource].load();
}

BOOLEAN T_N_PING_bCheckActiveClientList(U32 u32SonarSource)
{
    if (u32SonarSource >= SONAR_SOURCES)
        return FALSE;
    return s_abActiveClient[u32SonarSource].load() ? TRUE : FALSE;
}

void S_STANDIN_vSetNetworkClientState(U32 u32SonarSource, NETWORK_CLIENT_STATE eState)
{
    if (u32SonarSource < SONAR_SOURCES)
        s_aeClientState[u32SonarSource] = eState;
}

void S_STANDIN_vSetActiveClient(U32 u32SonarSource, BOOLEAN bActive)
{
    if (u32SonarSource < SONAR_SOURCES)
        s_abActiveClient[u32SonarSource] = bActive != FALSE;
}
