// The Keelview beam fusion (see the header). It runs in the task of its
// caller: the column adder (processing task), the total screen update and
// the Keelview zoom window (view task). It writes only the output column
// and, while the 360 unit looks elsewhere, the beam-5 history bitmaps
// under their own mutex.
#include "sonar/history/t_n_history_fusion.h"

#include "sonar/history/t_n_history_state.h"

#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "kernel/l_mutex.h"
#include "store/h_database.h"

#include <algorithm>
#include <cstring>

using namespace t_n_history;

namespace {

constexpr U32 SIDE_SWEEP = 2; // the 360 unit's sweep status while it looks sideways
constexpr BEAM KEELVIEW_BEAM = 5;
constexpr U32 COLUMN_LIMIT = 600;
constexpr U32 COLOR_BLANK = 32;

// The share of the minimum, in 256ths, for a beam width.
U32 u32MinimumShare(void)
{
    U32 u32Width = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(FCID("SDBW"), &u32Width, &bValid, nullptr) || !bValid)
        return 0;
    const U32 u32Fusion = u32Width == 0 ? 100 : u32Width == 1 ? 65 : 0;
    return u32Fusion * 256 / 100;
}

void vBlankKeelviewWindows(void)
{
    const COLOR blank = gCOLOR_pcolColorTable[COLOR_BLANK];
    for (SONAR_WINDOW& w : SonarViewInfo.Window) {
        if (w.Beam != KEELVIEW_BEAM || w.ScreenHistory.pBmp == nullptr)
            continue;
        L_MUTEX_LockWait(w.ScreenHistory.Resource);
        G_BMP_vSet(w.ScreenHistory.pBmp, blank);
        __atomic_store_n(&w.ScreenHistory.u16NextFreeColumn, (U16)0, __ATOMIC_RELAXED); // read without the lock
        L_MUTEX_Unlock(w.ScreenHistory.Resource);
    }
}

} // namespace

void t_n_history::vCombineKeelviewBeams(U8* u8LeftColumn, U8* u8RightColumn, U8* u8OutputColumn)
{
    const SONAR_WINDOW* pMain = s_sBeamInfo[KEELVIEW_BEAM].pMain;
    vCombineKeelviewBeamsOfHeight(u8LeftColumn, u8RightColumn, u8OutputColumn,
                                  pMain != nullptr ? pMain->u32HistoryHeight : 0);
}

void t_n_history::vCombineKeelviewBeamsOfHeight(U8* u8LeftColumn, U8* u8RightColumn, U8* u8OutputColumn,
                                                U32 u32WindowHeight)
{
    // The 360 unit's state is taken once, so one column never mixes two.
    const bool b360Side = s_bSweepingUsedAsSide;
    const bool bDeployed = s_bMSSDeployed;
    const bool bSideways = bDeployed && s_u32SweepStatus == SIDE_SWEEP;
    if (b360Side && bDeployed && !bSideways)
        vBlankKeelviewWindows();

    const U32 a = u32MinimumShare();
    const U32 b = 256 - a;

    if (u32WindowHeight == 0 || u32WindowHeight > COLUMN_LIMIT)
        return;
    const U32 u32Height = u32WindowHeight;

    // A blank column is the weakest sample, whatever colour the palette
    // gives it.
    if (b360Side && !bSideways) {
        std::memset(u8OutputColumn, 0, u32Height);
        return;
    }
    for (U32 i = 0; i < u32Height; ++i) {
        const U32 hi = std::max(u8LeftColumn[i], u8RightColumn[i]);
        const U32 lo = std::min(u8LeftColumn[i], u8RightColumn[i]);
        u8OutputColumn[i] = static_cast<U8>((b * hi + a * lo) >> 8);
    }
}
