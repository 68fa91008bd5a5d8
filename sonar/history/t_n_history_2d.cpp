// STAND-IN of the full-screen 2D view's draw callback until the 2D views
// land: window 0 is copied under mutex 28, rebuilt from its store when it
// was marked, and drawn with its depth lines, fish and scale. Delete this
// file when the real callback is built.
#include "sonar/dsp/s_transducer_standins.h"
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_state.h"

#include "kernel/l_mutex.h"

#include <algorithm>

using namespace t_n_history;

void T_N_HISTORY_vDrawFullScreenSonar(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    if (pBitmap == nullptr || psWindowSpec == nullptr)
        return;
    L_MUTEX_LockWait(RES_S_INFO);
    const SONAR_WINDOW copy = SonarViewInfo.Window[0];
    const BOOLEAN bTriggered = copy.bTriggerTotalScreenUpdate;
    if (!psWindowSpec->bExpedited)
        SonarViewInfo.Window[0].bTriggerTotalScreenUpdate = FALSE;
    const POST_PROCESS_MODE bottom = SonarViewInfo.BottomView;
    const UNIT_TYPE units = SonarViewInfo.unitsDepth;
    const U32 lines = SonarViewInfo.u32DepthLines;
    const BOOLEAN bFish = SonarViewInfo.bFishID;
    L_MUTEX_Unlock(RES_S_INFO);
    if (copy.ScreenHistory.pBmp == nullptr || copy.Beam >= SONAR_BEAMS || copy.u32HistoryHeight == 0)
        return;
    const U32 height = std::min<U32>(copy.u32HistoryHeight, 600);
    const U32 width = std::min<U32>(copy.ScreenHistory.pBmp->pixels_wide, 800);
    if (width == 0)
        return;
    if (bTriggered && !psWindowSpec->bExpedited)
        vTotalScreenUpdate(&copy, height, width, bottom, FALSE);
    SONAR_WINDOW drawn = copy;
    vDrawSonarWindow(pBitmap, &drawn, 800 - width, 799, height, units, lines, bFish, TRUE);
}
