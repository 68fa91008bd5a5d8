// Which transducer serves each sonar element (2D, Keelview, Flankview,
// 360), which sonar views and menus the transducer database registers for
// them, which beams are pinged for the screens in use, the user's 2D beam
// choice and the gains of the imaging beams.
//
// View enabling: the first request registers at once; every later one
// (re)starts the 2000 ms transducer-selection timer, whose expiry
// (semaphore 201) registers once more and stops the timer, so the flood of
// transducer and mask mails at start costs one re-registration. A change
// from or to transducer 2, or of the 2D beams, makes that re-registration
// remove every sonar view first.
//
// Everything here runs in the history task, under mutex 28.
#include "sonar/history/t_n_history.h"
#include "sonar/process/t_n_process.h"
#include "sonar/history/t_n_history_standins.h"
#include "sonar/history/t_n_history_state.h"

#include "gmsg/t_ethernet_standin.h"
#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "sonar/dsp/s_fishid.h"
#include "sonar/dsp/s_mss.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/dsp/s_transducer_menus.h"
#include "sonar/ping/t_n_ping.h"
#include "sonar/ping/u_ping.h"
#include "store/h_database.h"

#include <algorithm>

using namespace t_n_history;

// ---- Module state ----

namespace t_n_history {

U32 s_u32LocalTransducer = 15;
U32 s_u32CurrentTransducer = 15;
U32 s_u32LocalPingMask = 0;
U32 s_db_SonarElementSelect = 0;
U32 s_u32SupportedBeamsLast2D = 0;
BOOLEAN s_bTransducerChanged = FALSE;
BOOLEAN s_b2DBeamChange = FALSE;
BOOLEAN s_bQuadBeamChange = FALSE;
BOOLEAN s_bInitTransducer = FALSE;
BOOLEAN s_bMSSViewEnabled = FALSE;
U32 s_bCompassReady = 0;
U32 s_u32SystemState = 0;
U32 s_u32ReadBeamPingMask = 0;
BOOLEAN s_bReverseScroll = FALSE;
U32 s_u32OldPlaybackMode = 8;
BOOLEAN s_bEndFill = FALSE;
BOOLEAN s_bWaitEndFillDone = FALSE;

} // namespace t_n_history

namespace {

// ---- Constants ----


// The system states ("CCST") as the key holds them.
constexpr U32 STATE_SIMULATION_U32 = STATE_SIMULATION;
constexpr U32 STATE_SALE_U32 = STATE_POINT_OF_SALE;
constexpr U32 STATE_PLAYBACK_U32 = STATE_PLAYBACK;
constexpr U32 PLAYBACK_FORWARD = 8;
constexpr U32 TRANSDUCER_DEFAULT = 15;
constexpr U32 TRANSDUCER_QUAD = 2;
constexpr U32 TRANSDUCER_360 = 16;
constexpr TICKS SELECTION_DELAY_MS = 2000;
constexpr TICKS SIMULATION_SETTLE_MS = 2000;
constexpr SEMA SEMA_TIMER_TRANSELECTION = 201;
constexpr float DOWN_IMAGING_SHALLOW_METRES = 5.0f;
constexpr BEAM BEAM_CHOICE_BOTH = 4;
constexpr BEAM BEAM_CHOICE_NONE = 0xFF;
constexpr U32 AVAILABLE_LF = BEAM_83KHZ | BEAM_50KHZ;

const HISTORY_WALKERS s_RealWalkers = {S_TRANSDUCER_vEnable,
                                       S_TRANSDUCER_v2DEnable,
                                       S_TRANSDUCER_vImagingEnable,
                                       S_TRANSDUCER_vGyreviewEnable,
                                       S_TRANSDUCER_vCompositeEnable,
                                       S_TRANSDUCER_vComposite360Enable,
                                       vMenuJigging,
                                       vMenuSideScanFrequency,
                                       vMenuSweepingSonarSettings,
                                       vMenuPPIDisplay};
const HISTORY_WALKERS* s_pWalkers = &s_RealWalkers;

// The last "SSEN" handled; none yet at start.
U32 u32SSEN = 0xFFFFFFFF;

// ---- Helpers ----

bool bSideImaging(U32 id) { return id == 5 || id == 9 || id == 10 || id == TRANSDUCER_360; }

bool bDownImagingOnly(U32 id) { return id == 15 || id == 17 || id == 18; }

U32 u32Fetch(FOURCHARID fcid, U32 u32Absent)
{
    U32 u32 = u32Absent;
    H_DATABASE_bFetchU32(fcid, &u32, nullptr, nullptr);
    return u32;
}

U32 u32State(void) { return u32Fetch(FCID("CCST"), 0); }

bool bSimulationOrSale(U32 u32S) { return u32S == STATE_SIMULATION_U32 || u32S == STATE_SALE_U32; }

// "ISEN" unreadable counts as false.
bool bSonarEnabledKey(void)
{
    BOOLEAN b = FALSE;
    return H_DATABASE_bFetchBoolean(FCID("ISEN"), &b, nullptr, nullptr) && b;
}

U32 u32SelectedTransducer(void)
{
    const U32 u32 = u32Fetch(FCID("SSTS"), TRANSDUCER_DEFAULT);
    return u32;
}

U8 u8Id(U32 u32) { return (U8)std::min<U32>(u32, 0xFF); }

S8 s8Clamp(S64 s64) { return (S8)std::clamp<S64>(s64, -128, 127); }

U32 u32Entry(U32 i) { return s_db_TransducerSelectArray[i].load(); }

void vRedrawResampleFrame(void)
{
    vTriggerAllTotalScreenUpdate();
    vResample();
    vNewFrame();
}

bool bWindowShows(BEAM beam)
{
    const BEAM blend = s_sBeamInfo[beam].beamBlend;
    for (const SONAR_WINDOW& w : SonarViewInfo.Window)
        if (w.Beam == beam || (blend != SONAR_NO_BEAM && w.Beam == blend))
            return true;
    return false;
}

bool bSideView(LAYER_ID v)
{
    for (LAYER_ID w : {VIEW_CHART_PLUS_FV, VIEW_CHART_PLUS_FLANKVIEW, VIEW_KEELVIEW_PLUS_FLANKVIEW,
                       VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D, VIEW_SIDEVIEW_AND_DOWN, VIEW_SIDEVIEW, VIEW_2D_PLUS_FV,
                       VIEW_FLANKVIEW_PLUS_2D})
        if (v == w)
            return true;
    return false;
}

void vLogMasks(const char* pcFunction)
{
    log_me("[%d]%s: local 0x%X network 0x%X elements 0x%X\n", __LINE__, pcFunction, (unsigned)s_u32LocalPingMask,
           (unsigned)s_u32NetworkPingMask.load(), (unsigned)s_db_SonarElementSelect);
}

// The 360 half of a registration: the 360 transducer's views when there is
// one, then the combined 360 views of the elements.
void vEnable360(U32 u32Transducer, U32 u32Elements)
{
    if (u32Transducer == 0) {
        s_pWalkers->pfnComposite360Enable(0, u32Elements);
        return;
    }
    s_pWalkers->pfn360ImagingEnable(u8Id(u32Transducer));
    s_bMSSViewEnabled = TRUE;
    s_pWalkers->pfnComposite360Enable(u8Id(u32Transducer), u32Elements);
}

void vForget360Views(U32 u32S)
{
    if (bSimulationOrSale(u32S))
        return;
    s_bMSSViewEnabled = FALSE;
    log_me("[%d]%s: Disable MSS views!\n", __LINE__, __func__);
}

// The first registration, at once.
void vEnableNow(U32 u32Elements, U32 u32S)
{
    const bool bSim = bSimulationOrSale(u32S);
    const U32 u32Selected = u32SelectedTransducer();
    const U32 t2D = bSim ? u32Selected : u32Fetch(FCID("YST1"), 0);
    const U32 tKV = bSim ? u32Selected : u32Fetch(FCID("YST2"), 0);
    const U32 tFV = bSim ? u32Selected : u32Fetch(FCID("YST3"), 0);
    const U32 t360 = bSim ? TRANSDUCER_360 : u32Fetch(FCID("YST4"), 0);

    s_pWalkers->pfnEnable(TRUE);
    if ((u32Elements & ELEMENT_2D) && t2D != 0)
        s_pWalkers->pfn2DEnable(u8Id(t2D));
    if ((u32Elements & ELEMENT_KV) && tKV != 0)
        s_pWalkers->pfnImagingEnable(u8Id(tKV));
    if (u32Elements & ELEMENT_FV) {
        if (tFV != 0)
            s_pWalkers->pfnImagingEnable(u8Id(tFV));
        s_pWalkers->pfnMenuJigging((u32Elements & ELEMENT_2D) ? t2D : 0, tFV);
    }
    const U32 u32Imaging = (u32Elements & ELEMENT_FV) ? tFV : (u32Elements & ELEMENT_KV) ? tKV : 0;
    s_pWalkers->pfnCompositeEnable(u8Id(u32Imaging), u32Elements);
    if (u32Elements & ELEMENT_360) {
        if (bSim) {
            s_pWalkers->pfnMenuSweepingSonarSettings(TRUE);
            s_pWalkers->pfnMenuPPIDisplay(TRUE);
        }
        vEnable360(t360, u32Elements);
    } else {
        vForget360Views(u32S);
    }
    s_bInitTransducer = TRUE;
}

// The steps after a change of the 2D, Keelview or Flankview transducer.
void vTransducerChangeSteps(void)
{
    T_N_HISTORY_vUpdateAllViews();
    vSetLowFrequencyGain();
    const LAYER_ID view = (LAYER_ID)u32Fetch(FCID("CVEW"), (U32)CurrentView);
    vSelectPingMode();
    if (bSideView(view))
        vSetSideBeamRange(TRUE);
    vSetImagingGains();
    vRebuild2DTable();
    vRedrawResampleFrame();
}

// Whether a transducer change concerns this unit's screens.
bool bShown(U32 u32Entry, U32 u32Element)
{
    return (u32Entry != 0 && bSonarEnabledKey()) || (s_u32NetworkPingMask.load() & u32Element) != 0;
}

void vWriteU32(FOURCHARID fcid, U32 u32Value, U32 u32Priority)
{
    H_DATABASE_bUpdateEverythingU32(fcid, u32Value, u32Priority, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

void vWriteSweepingState(void) { vWriteU32(FCID("YMSS"), 2, P_NORMAL); }

// The local mask of a simulation: the sources of "SSTS", and the 360
// element with a transducer that simulates it too.
U32 u32SimulationLocalMask(void)
{
    const U32 u32Selected = u32SelectedTransducer();
    U32 u32Mask = S_TRANSDUCER_u32GetSonarSources(u8Id(u32Selected));
    if (bSideImaging(u32Selected))
        u32Mask |= ELEMENT_360;
    return u32Mask;
}

} // namespace

void t_n_history::vInstallWalkers(const HISTORY_WALKERS* pWalkers)
{
    s_pWalkers = pWalkers != nullptr ? pWalkers : &s_RealWalkers;
}

void t_n_history::vForgetTransducers(void)
{
    s_u32LocalTransducer = TRANSDUCER_DEFAULT;
    s_u32CurrentTransducer = TRANSDUCER_DEFAULT;
    s_u32LocalPingMask = 0;
    s_u32NetworkPingMask = 0;
    s_db_SonarElementSelect = 0;
    s_u32SupportedBeamsLast2D = 0;
    s_bTransducerChanged = FALSE;
    s_b2DBeamChange = FALSE;
    s_bQuadBeamChange = FALSE;
    s_bInitTransducer = FALSE;
    s_bMSSViewEnabled = FALSE;
    s_bCompassReady = 0;
    s_u32SystemState = 0;
    s_u32ReadBeamPingMask = 0;
    u32SSEN = 0xFFFFFFFF;
    for (auto& entry : s_db_TransducerSelectArray)
        entry = 0;
    if (s_pTransducerSelectionDelay != nullptr)
        L_TIMER_Stop(s_pTransducerSelectionDelay);
}

// ---- Registration ----

void t_n_history::vRegisterTransducerKeys(U32 u32Priority)
{
    const U32 u32S = u32State();
    U32 u32Transducer = 0;
    if (u32Priority == P_NORMAL) {
        u32Transducer = u32Fetch(FCID("SSTD"), 0);
        if (u32Transducer == 0)
            u32Transducer = TRANSDUCER_DEFAULT;
    } else {
        u32Transducer = u32SelectedTransducer();
    }
    s_db_TransducerSelectArray[SELECT_2D] = u32Transducer;
    s_db_TransducerSelectArray[SELECT_IMAGING] = u32Transducer;
    s_u32LocalTransducer = u32Transducer;
    s_db_SonarElementSelect = S_TRANSDUCER_u32GetSonarSources(u8Id(u32Transducer));

    if (bSimulationOrSale(u32S)) {
        s_db_SonarElementSelect |= ELEMENT_360;
        // The simulated transducer settles before the selection is stored.
        L_CLOCK_Sleep(SIMULATION_SETTLE_MS);
        vWriteU32(FCID("SSTS"), u32Transducer, u32Priority);
        vWriteU32(FCID("SSES"), s_db_SonarElementSelect, u32Priority);
    } else {
        S32 s32Detected = 0;
        if (!H_DATABASE_bFetchS32(FCID("ITXD"), &s32Detected, nullptr, nullptr) || s32Detected == -1)
            s32Detected = 0;
        if (s32Detected == 0) {
            s_u32LocalTransducer = 0;
            s_db_SonarElementSelect = 0;
        }
    }

    if (s_db_SonarElementSelect & ELEMENT_2D)
        vWriteU32(FCID("YST1"), s_u32LocalTransducer, u32Priority);
    if (s_db_SonarElementSelect & ELEMENT_KV)
        vWriteU32(FCID("YST2"), s_u32LocalTransducer, u32Priority);
    if (s_db_SonarElementSelect & ELEMENT_FV)
        vWriteU32(FCID("YST3"), s_u32LocalTransducer, u32Priority);
    if (s_db_SonarElementSelect & ELEMENT_360)
        vWriteU32(FCID("YST4"), bSimulationOrSale(u32S) ? TRANSDUCER_360 : 0, u32Priority);

    s_u32NetworkPingMask = u32Fetch(FCID("ENPM"), s_u32NetworkPingMask.load());
    s_u32LocalPingMask = u32Fetch(FCID("ELPM"), s_u32LocalPingMask);
    s_db_TransducerSelectArray[SELECT_IMAGING] = u32Fetch(FCID("YST3"), u32Entry(SELECT_IMAGING));
}

// ---- View enabling ----

void T_N_HISTORY_vUpdateAllViews(void)
{
    const U32 u32S = u32State();
    const U32 u32Elements = bSonarEnabledKey() ? s_db_SonarElementSelect : s_u32NetworkPingMask.load();
    if (u32Elements == 0)
        s_pWalkers->pfnEnable(FALSE);
    else if (!s_bInitTransducer || s_pTransducerSelectionDelay == nullptr)
        vEnableNow(u32Elements, u32S);
    else
        L_TIMER_Start(s_pTransducerSelectionDelay, SELECTION_DELAY_MS, SELECTION_DELAY_MS, SEMA_TIMER_TRANSELECTION);
    vRebuild2DTable();
    vRedrawResampleFrame();
}

void t_n_history::vDelayedViewEnabling(void)
{
    L_MUTEX_LockWait(RES_S_INFO);
    if (s_pTransducerSelectionDelay != nullptr)
        L_TIMER_Stop(s_pTransducerSelectionDelay);
    const U32 u32Elements = bSonarEnabledKey() ? s_db_SonarElementSelect : s_u32NetworkPingMask.load();
    // Everything may have gone while the timer ran: then nothing is shown.
    if (u32Elements == 0) {
        s_pWalkers->pfnEnable(FALSE);
        L_MUTEX_Unlock(RES_S_INFO);
        return;
    }
    if (s_bQuadBeamChange || s_b2DBeamChange) {
        s_pWalkers->pfnEnable(FALSE);
        s_bQuadBeamChange = FALSE;
        s_b2DBeamChange = FALSE;
    }
    s_pWalkers->pfnEnable(TRUE);
    const U32 yst1 = u32Fetch(FCID("YST1"), 0);
    const U32 yst2 = u32Fetch(FCID("YST2"), 0);
    const U32 yst3 = u32Fetch(FCID("YST3"), 0);
    if ((u32Elements & ELEMENT_2D) && yst1 != 0)
        s_pWalkers->pfn2DEnable(u8Id(yst1));
    if ((u32Elements & ELEMENT_KV) && yst2 != 0)
        s_pWalkers->pfnImagingEnable(u8Id(yst2));
    if ((u32Elements & ELEMENT_FV) && yst3 != 0)
        s_pWalkers->pfnImagingEnable(u8Id(yst3));
    s_u32CurrentTransducer = yst3 == TRANSDUCER_360 ? TRANSDUCER_360 : s_u32LocalTransducer;
    T_N_HISTORY_vHandleSweepingStatus(CurrentView);

    const U32 u32Imaging = (u32Elements & ELEMENT_FV) ? yst3 : (u32Elements & ELEMENT_KV) ? yst2 : 0;
    s_pWalkers->pfnCompositeEnable(u8Id(u32Imaging), u32Elements);
    if (u32Elements & ELEMENT_360) {
        const U32 u32Id = bSimulationOrSale(u32State()) ? TRANSDUCER_360 : u32Fetch(FCID("YST4"), 0);
        if (u32Id != 0)
            s_pWalkers->pfn360ImagingEnable(u8Id(u32Id));
        s_pWalkers->pfnComposite360Enable(u8Id(u32Id), u32Elements);
    }
    s_bTransducerChanged = FALSE;
    L_MUTEX_Unlock(RES_S_INFO);
}

// ---- Gains ----

void t_n_history::vSetLowFrequencyGain(void)
{
    const U32 u32Hertz = S_TRANSDUCER_u32LFBeamFrequencyHertz();
    if (u32Hertz == 50000)
        s_sBeamInfo[0].s8Gain = s8Clamp(5 * (S64)s_s8RelativeGainSetting50kHz + 30);
    else if (u32Hertz == 83000)
        s_sBeamInfo[0].s8Gain = s8Clamp(5 * (S64)s_s8RelativeGainSetting83kHz + 30);
}

void t_n_history::vSetImagingGains(void)
{
    const S8 g = s8Clamp(5 * (S64)db_s32SidebeamSensitivity);
    const U32 u32Imaging = u32Entry(SELECT_IMAGING);
    if (u32Imaging == TRANSDUCER_QUAD) {
        s_sBeamInfo[2].s8Gain = g;
        s_sBeamInfo[3].s8Gain = g;
    } else if (bDownImagingOnly(u32Imaging)) {
        s_sBeamInfo[2].s8Gain = g;
    } else {
        s_sBeamInfo[2].s8Gain = 0;
        s_sBeamInfo[3].s8Gain = 0;
    }
}

// ---- Ping mode ----

void t_n_history::vSelectPingMode(void)
{
    if (s_u32SystemState == STATE_PLAYBACK_U32) {
        for (BEAM b = 0; b < SONAR_STORED_BEAMS; ++b)
            s_sBeamInfo[b].bPinging = (s_u32ReadBeamPingMask & (1u << b)) != 0 ? TRUE : FALSE;
        return;
    }
    const U32 u32Sources = T_N_PING_u32GetSourcesSelectedByLocal();
    const bool bSale = s_u32SystemState == STATE_SALE_U32;
    const U32 u32Imaging = u32Entry(SELECT_IMAGING);
    if (u32Sources & ELEMENT_2D) {
        s_sBeamInfo[0].bPinging =
            s_beamSelect == 0 || s_beamSelect == BEAM_CHOICE_BOTH || bWindowShows(0) ? TRUE : FALSE;
        s_sBeamInfo[1].bPinging = s_beamSelect != BEAM_CHOICE_NONE ? TRUE : FALSE;
    }
    if ((u32Sources & (ELEMENT_KV | ELEMENT_FV)) || S_TRANSDUCER_u8CurrentTransducer(0) == TRANSDUCER_DEFAULT) {
        const bool bShallowOrChosen = s_beamSelect == 2 || s_fCurrentDepth <= DOWN_IMAGING_SHALLOW_METRES;
        s_sBeamInfo[2].bPinging = bSale || bWindowShows(2) || bSideImaging(u32Imaging) ||
                                          (bDownImagingOnly(u32Imaging) && bShallowOrChosen)
                                      ? TRUE
                                      : FALSE;
    }
    if (u32Sources & (ELEMENT_KV | ELEMENT_FV)) {
        s_sBeamInfo[3].bPinging =
            bSale || bWindowShows(3) || bSideImaging(u32Imaging) || bDownImagingOnly(u32Imaging) ? TRUE : FALSE;
    }
}

// ---- Key handlers ----

void t_n_history::vHandleSonarEnabled(const MESSAGE_NEW_DATA* p)
{
    const BOOLEAN bEnabled = p->dbValue.u32Val != 0 ? TRUE : FALSE;
    db_SonarEnabled = bEnabled;
    const U32 u32S = u32State();
    const U32 u32Elements = bEnabled ? s_u32LocalPingMask | s_u32NetworkPingMask.load() : s_u32NetworkPingMask.load();
    if (u32Elements == 0) {
        s_pWalkers->pfnEnable(FALSE);
    } else {
        const U32 t2D = u32Entry(SELECT_2D);
        const U32 tImaging = u32Entry(SELECT_IMAGING);
        // A simulation's 360 unit is there before its "YST4" is followed.
        const U32 t360 = bSimulationOrSale(u32S) ? TRANSDUCER_360 : u32Entry(SELECT_360);
        s_pWalkers->pfnEnable(TRUE);
        if ((u32Elements & ELEMENT_2D) && t2D != 0)
            s_pWalkers->pfn2DEnable(u8Id(t2D));
        if ((u32Elements & (ELEMENT_KV | ELEMENT_FV)) && tImaging != 0)
            s_pWalkers->pfnImagingEnable(u8Id(tImaging));
        s_pWalkers->pfnCompositeEnable(u8Id(tImaging), u32Elements);
        if (u32Elements & ELEMENT_360) {
            if (t360 != 0) {
                s_pWalkers->pfn360ImagingEnable(u8Id(t360));
                s_bMSSViewEnabled = TRUE;
            }
            s_pWalkers->pfnComposite360Enable(u8Id(t360), u32Elements);
        } else {
            vForget360Views(u32S);
        }
    }
    if (bSimulationOrSale(u32S) || u32S == STATE_PLAYBACK_U32)
        vWriteSweepingState();
    if (u32S == STATE_PLAYBACK_U32)
        H_DATABASE_bUpdateEverythingBoolean(FCID("YMRR"), TRUE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

void t_n_history::vHandleSonarOn(const MESSAGE_NEW_DATA* p)
{
    // The network source list of each element this unit serves itself.
    static const FOURCHARID s_afcidSourceLists[] = {FCID("SN2D"), FCID("SNKV"), FCID("SNFV")};
    const U32 u32Value = p->dbValue.u32Val;
    if (u32Value == u32SSEN)
        return;
    u32SSEN = u32Value;
    if (u32Value == 0) {
        s_u32LocalPingMask = 0;
        return;
    }
    T_ETHERNET_vRestoreSavedSonarSource(&s_u32LocalPingMask);
    for (U32 e = 0; e < 3; ++e)
        if (s_u32LocalPingMask & (1u << e))
            T_ETHERNET_vNetsourceConnected(s_afcidSourceLists[e], 0xFFFFFFFF);
}

void t_n_history::vHandleLocalMask(const MESSAGE_NEW_DATA* p)
{
    if (bSimulationOrSale(u32State())) {
        s_u32LocalPingMask = u32SimulationLocalMask();
        s_db_SonarElementSelect = s_u32LocalPingMask;
    } else {
        s_u32LocalPingMask = p->dbValue.u32Val;
        s_db_SonarElementSelect = p->dbValue.u32Val | s_u32NetworkPingMask.load();
    }
    vLogMasks(__func__);
    T_N_HISTORY_vUpdateAllViews();
}

void t_n_history::vHandleNetworkMask(const MESSAGE_NEW_DATA* p)
{
    if (bSimulationOrSale(u32State())) {
        s_u32NetworkPingMask = 0;
        return;
    }
    s_u32NetworkPingMask = p->dbValue.u32Val;
    s_db_SonarElementSelect = p->dbValue.u32Val | s_u32LocalPingMask;
    vLogMasks(__func__);
    T_N_HISTORY_vUpdateAllViews();
}

void t_n_history::vHandleYST1(const MESSAGE_NEW_DATA* p)
{
    const U32 u32Value = p->dbValue.u32Val;
    if (u32Value == u32Entry(SELECT_2D))
        return;
    const U32 u32Beams = S_TRANSDUCER_u32GetBeamsForTransducerAndSource(u8Id(u32Value), SONAR_SOURCE_2D);
    s_bTransducerChanged = TRUE;
    s_db_TransducerSelectArray[SELECT_2D] = u32Value;
    s_pWalkers->pfnMenuJigging(u32Value, u32Entry(SELECT_IMAGING));
    if (u32Beams != s_u32SupportedBeamsLast2D) {
        s_b2DBeamChange = TRUE;
        s_u32SupportedBeamsLast2D = u32Beams;
    }
    if (bShown(u32Value, ELEMENT_2D))
        vTransducerChangeSteps();
}

void t_n_history::vHandleYST2(const MESSAGE_NEW_DATA* p)
{
    const U32 u32Value = p->dbValue.u32Val;
    const U32 u32Side = u32Fetch(FCID("YST3"), 0);
    if (u32Value == 0 && u32Side != 0) {
        log_me("[%d]%s: s_db_TransducerSelect[1] already set to %d, do not reset\n", __LINE__, __func__,
               (int)u32Side);
        return;
    }
    if (u32Value == u32Entry(SELECT_IMAGING))
        return;
    s_bTransducerChanged = TRUE;
    s_db_TransducerSelectArray[SELECT_IMAGING] = u32Value;
    s_pWalkers->pfnMenuSideScanFrequency(u32Value);
    if (bShown(u32Value, ELEMENT_KV)) {
        log_me("[%d]%s: YST2 changed to %d\n", __LINE__, __func__, (int)u32Value);
        vTransducerChangeSteps();
    }
}

void t_n_history::vHandleYST3(const MESSAGE_NEW_DATA* p)
{
    const U32 u32Value = p->dbValue.u32Val;
    if (u32Value == 0) {
        const U32 yst2 = u32Fetch(FCID("YST2"), 0);
        s_pWalkers->pfnMenuJigging(u32Fetch(FCID("YST1"), 0), 0);
        if (yst2 != 0)
            return;
    }
    const U32 u32Old = u32Entry(SELECT_IMAGING);
    if (u32Value == u32Old)
        return;
    s_bTransducerChanged = TRUE;
    if (u32Old == TRANSDUCER_QUAD || u32Value == TRANSDUCER_QUAD) {
        log_me("=== change From/To Quad\n");
        s_bQuadBeamChange = TRUE;
    }
    s_db_TransducerSelectArray[SELECT_IMAGING] = u32Value;
    log_me("[%d]%s: YST3 changed to %d\n", __LINE__, __func__, (int)u32Value);
    s_pWalkers->pfnMenuJigging(u32Entry(SELECT_2D), u32Value);
    s_pWalkers->pfnMenuSideScanFrequency(u32Value);
    T_N_HISTORY_vHandleSweepingStatus(CurrentView);
    if (bShown(u32Value, ELEMENT_FV)) {
        log_me("[%d]%s: Flankview transducer %d shown\n", __LINE__, __func__, (int)u32Value);
        vTransducerChangeSteps();
    }
}

void t_n_history::vHandleYST4(const MESSAGE_NEW_DATA* p)
{
    const U32 u32Value = p->dbValue.u32Val;
    const U32 u32Old = u32Entry(SELECT_360);
    if (u32Value == u32Old)
        return;
    s_bTransducerChanged = TRUE;
    s_db_TransducerSelectArray[SELECT_360] = u32Value;
    // The 360 views come with the 360 transducer and go with it.
    if (u32Value != TRANSDUCER_360 && u32Old != TRANSDUCER_360)
        return;
    log_me("[%d]%s: 360 transducer %u\n", __LINE__, __func__, (unsigned)u32Value);
    T_N_HISTORY_vUpdateAllViews();
    vTriggerAllTotalScreenUpdate();
    vResample();
    vNewFrame();
}

void t_n_history::vHandleImagingSensitivity(const MESSAGE_NEW_DATA* p)
{
    db_s32SidebeamSensitivity = p->dbValue.s32Val;
    vSetImagingGains();
    if (u32Entry(SELECT_IMAGING) == S_TRANSDUCER_u8CurrentTransducer(1))
        vRedrawResampleFrame();
}

void t_n_history::vHandleBeamChoice(const MESSAGE_NEW_DATA* p)
{
    const U32 v = p->dbValue.u32Val;
    s_beamSelect = v == 3 || v > 4 ? BEAM_CHOICE_BOTH : (BEAM)v;
    const U32 u32Available =
        S_TRANSDUCER_u32GetBeamsForTransducerAndSource(u8Id(u32Fetch(FCID("YST1"), 0)), SONAR_SOURCE_2D) &
        s_u32SupportedBeams;
    if (!(u32Available & AVAILABLE_LF) && (s_beamSelect == 0 || s_beamSelect == BEAM_CHOICE_BOTH)) {
        s_beamSelect = 1;
        return;
    }
    if (!(u32Available & BEAM_455KHZ_DOWN) && s_beamSelect == 2) {
        s_beamSelect = 1;
        return;
    }
    vSetupSonarWindows();
    T_N_PROCESS_vClearAllAccumulators();
    vSelectPingMode();
    vTriggerAllTotalScreenUpdate();
    T_N_HISTORY_vEnableShortTransmit(TRUE);
}

void t_n_history::vHandleDepth(const MESSAGE_NEW_DATA* p)
{
    s_fCurrentDepth = p->dbValue.fVal;
    vSelectPingMode();
}

void t_n_history::vHandleSystemState(const MESSAGE_NEW_DATA* p)
{
    const U32 s = p->dbValue.u32Val;
    if (s != s_u32SystemState) {
        if (s_u32SystemState == STATE_PLAYBACK_U32) {
            s_u32ReadBeamPingMask = 0;
            s_bReverseScroll = FALSE;
            s_u32OldPlaybackMode = PLAYBACK_FORWARD;
            s_bEndFill = FALSE;
            s_bWaitEndFillDone = FALSE;
            S_FISHID_vSetReverseScroll(FALSE);
            vRebuild2DTable();
            vRebuildFlankviewTable();
            vRebuild360Table();
            vRebuildKeelviewTable();
        }
        vTriggerAllTotalScreenUpdate();
        vResample();
        vReset360();
        vNewFrame();
        s_u32SystemState = s;
    }
    if (!bSimulationOrSale(s))
        return;
    const U32 u32Selected = u32SelectedTransducer();
    if (!bSideImaging(u32Selected))
        return;
    s_u32LocalPingMask = S_TRANSDUCER_u32GetSonarSources(u8Id(u32Selected)) | ELEMENT_360;
    s_db_SonarElementSelect = s_u32LocalPingMask;
    s_pWalkers->pfnMenuSweepingSonarSettings(TRUE);
    s_pWalkers->pfnMenuPPIDisplay(TRUE);
    s_bCompassReady = 1;
    s_bMSSViewEnabled = TRUE;
    vWriteSweepingState();
    T_N_HISTORY_vUpdateAllViews();
}
