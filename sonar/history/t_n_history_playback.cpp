// The history's share of a recording's playback: emptying the pictures
// before a playback and at the end fill, the scroll direction of each
// playback mode, and the time stamps of the columns on screen that let the
// card task re-position the recording when the direction turns.
//
// These run in the processing task (and the card task) while the history
// and view tasks use the same stores and windows: the stores change under
// mutex 27, the redraw triggers under mutex 28; the bitmaps are refilled
// without their mutex 4, and the flags are plain stores.
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_state.h"

#include "graphics/g_bmp.h"
#include "kernel/error.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "sonar/dsp/s_fishid.h"
#include "sonar/dsp/s_tsu.h"
#include "sonar/process/t_n_process.h"
#include "store/h_database.h"
#include "ui/u_view.h"

using namespace t_n_history;

namespace {

constexpr U32 PLAYBACK_STATE = 11;

void vFatal(U32 u32Line, const char* pcText)
{
    ERROR_error("t_n_history", u32Line, pcText);
    U_RESET_vReset(FALSE, FALSE);
}

// Every picture and store empty, so that the next columns start on a clean
// screen; the redraw makes the windows show it.
void vEmptyHistory(void)
{
    for (U32 b = 0; b < SONAR_STORED_BEAMS; ++b) {
        L_MUTEX_LockWait(RES_TSU);
        FULL_SCREEN_TSU& store = TSUStore[b];
        store.u32NextFreeColumn = 0;
        store.u32ColumnsInUse = 0;
        for (TSU_STORE_COLUMN& column : store.aTsuStore)
            S_TSU_vResetColumn(&column);
        L_MUTEX_Unlock(RES_TSU);
    }
    // The redraws read the free column without the window's lock.
    for (SONAR_WINDOW& w : SonarViewInfo.Window) {
        L_MUTEX_LockWait(w.ScreenHistory.Resource);
        if (w.ScreenHistory.pBmp != nullptr)
            G_BMP_vSet(w.ScreenHistory.pBmp, BackGroundColor.load());
        __atomic_store_n(&w.ScreenHistory.u16NextFreeColumn, (U16)0, __ATOMIC_RELAXED);
        L_MUTEX_Unlock(w.ScreenHistory.Resource);
    }
    for (BEAM_INFO& info : s_sBeamInfo)
        S_FISHID_vInitialiseHistory(&info.FishHistory);
    T_N_PROCESS_vClearAllAccumulators();
    vTriggerAllTotalScreenUpdate();
}

} // namespace

void T_N_HISTORY_vPrepareForPlayback(void)
{
    vEmptyHistory();
    L_SEMA_Signal(SEMA_VIEW_UPDATE);
}

BOOLEAN T_N_HISTORY_bReverseScrollForMode(U32 u32PlaybackMode, BOOLEAN bCurrentReverse)
{
    switch (u32PlaybackMode) {
    case 2: // the reverse modes
    case 3:
    case 4:
    case 5:
    case 12: // end fill
        return TRUE;
    case 7: // the forward modes
    case 8:
    case 9:
    case 10:
    case 13: // stop
        return FALSE;
    default:
        return bCurrentReverse;
    }
}

void T_N_HISTORY_vSetReverseScroll(BOOLEAN bReverse, BOOLEAN bEndFill)
{
    const BOOLEAN bNewReverse = bReverse ? TRUE : FALSE;
    const BOOLEAN bNewEndFill = bEndFill ? TRUE : FALSE;
    if (bNewReverse != s_bReverseScroll) {
        s_bReverseScroll = bNewReverse;
        S_FISHID_vSetReverseScroll(bNewReverse);
        T_N_PROCESS_vClearAllAccumulators();
        vTriggerAllTotalScreenUpdate();
    }
    if (bNewEndFill != s_bEndFill) {
        if (bNewEndFill) {
            // The end-fill countdown starts from an empty screen.
            vEmptyHistory();
            L_SEMA_Signal(SEMA_VIEW_UPDATE);
            H_DATABASE_bUpdateEverythingU32(FCID("CTCU"), 0, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        } else {
            vTriggerAllTotalScreenUpdate();
            s_bWaitEndFillDone = FALSE;
        }
        s_bEndFill = bNewEndFill;
    }
}

void T_N_HISTORY_vLookupColumnPingTimeStamps(BOOLEAN bReverse, U32* pu32TimeStamps)
{
    if (pu32TimeStamps == nullptr)
        return;
    for (U32 b = 0; b < SONAR_STORED_BEAMS; ++b) {
        const FULL_SCREEN_TSU* pStore = s_sBeamInfo[b].pTSUStore;
        if (pStore == nullptr)
            vFatal(__LINE__, "No TSUStore for Beam");
        L_MUTEX_LockWait(RES_TSU);
        const U32 u32Next = pStore->u32NextFreeColumn % TSU_STORE_COLUMNS;
        const U32 u32Column = bReverse ? (u32Next + 1) % TSU_STORE_COLUMNS
                                       : (u32Next == 0 ? TSU_STORE_COLUMNS - 1 : u32Next - 1);
        pu32TimeStamps[b] = pStore->aTsuStore[u32Column].u32TimeStamp;
        L_MUTEX_Unlock(RES_TSU);
    }
}

void t_n_history::vHandleReadBeamPingMask(const MESSAGE_NEW_DATA* p)
{
    const U32 u32Mask = p->dbValue.u32Val;
    if (u32Mask == s_u32ReadBeamPingMask)
        return;
    s_u32ReadBeamPingMask = u32Mask;
    vSelectPingMode();
    if (s_u32SystemState == PLAYBACK_STATE)
        T_N_PROCESS_vClearAllAccumulators();
}
