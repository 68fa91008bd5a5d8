// STAND-INS of the transducer database's neighbours (see the header).
#include "sonar/dsp/s_transducer_standins.h"

#include <atomic>

namespace {

constexpr U32 SONAR_SOURCES = 4;

std::atomic<int> s_aeClientState[SONAR_SOURCES];
std::atomic<bool> s_abActiveClient[SONAR_SOURCES];

} // namespace

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
