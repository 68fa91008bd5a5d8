// The instrument bar's y origins and box bands.

#include "ui/t_info_bar.h"

#include "store/h_database.h"
#include "ui/t_info_state.h"
#include "ui/t_view.h"

namespace {

constexpr S32 BOXES = 5;
constexpr S32 CELL_WIDTH = 160;
constexpr S32 SCREEN_WIDTH = 800;
// A box number past the last box: no box lies under the divider.
constexpr S32 NO_BOX = BOXES;

const FOURCHARID* selectionSet(void)
{
    return T_INFO_bFCIDNonZero(FCID("INIP")) ? t_info::selectionNavigation() : t_info::selectionStandard();
}

// The split slider keeps the left pane between 20 and 80 percent; a key
// that cannot be read or holds anything else puts no box under the divider.
BOOLEAN splitPercent(FOURCHARID key, S32* pPercent)
{
    S32 percent = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchS32(key, &percent, &bValid, nullptr) || !bValid || percent < 20 || percent > 80)
        return FALSE;
    *pPercent = percent;
    return TRUE;
}

S32 boxUnderDivider(FOURCHARID key)
{
    S32 percent = 0;
    if (!splitPercent(key, &percent))
        return NO_BOX;
    const S32 box = T_VIEW_s32SplitViewLeftWidth(SCREEN_WIDTH, percent) / CELL_WIDTH;
    return box >= 0 && box < BOXES ? box : NO_BOX;
}

S32 boxUnderRightPane(FOURCHARID key)
{
    S32 percent = 0;
    if (!splitPercent(key, &percent))
        return NO_BOX;
    const S32 box = T_VIEW_s32SplitViewRightWidth(SCREEN_WIDTH, percent) / CELL_WIDTH;
    return box >= 0 && box < BOXES ? box : NO_BOX;
}

// Never reads past the set's five keys.
BOOLEAN occupied(const FOURCHARID* set, S32 box)
{
    return box >= 0 && box < BOXES && T_INFO_bFCIDIsValidSelection(set[box]);
}

BOOLEAN anyOccupied(const FOURCHARID* set, S32 first, S32 last)
{
    for (S32 k = first < 0 ? 0 : first; k <= last && k < BOXES; ++k)
        if (occupied(set, k))
            return TRUE;
    return FALSE;
}

S32 countOccupied(const FOURCHARID* set)
{
    S32 n = 0;
    for (S32 k = 0; k < BOXES; ++k)
        n += occupied(set, k) ? 1 : 0;
    return n;
}

BOOLEAN allOccupied(const FOURCHARID* set, S32 first, S32 last)
{
    for (S32 k = first; k <= last; ++k)
        if (!occupied(set, k))
            return FALSE;
    return TRUE;
}

// Split views whose pane rule depends on the divider.
FOURCHARID splitKeyOf(S32 view)
{
    switch (view) {
    case 25: return FCID("SZCB");
    case 26: return FCID("SZCC");
    case 29: return FCID("SZCH");
    case 33: return FCID("SZCD");
    case 34: return FCID("SZCT");
    case 35: return FCID("SZCO");
    case 38: return FCID("SZCS");
    case 40: return FCID("SZDS");
    case 41: return FCID("SZD2");
    case 42: return FCID("SZDZ");
    case 52: return FCID("SZS2");
    default: return 0;
    }
}

BOOLEAN coversPane(S32 view, SPLIT_WINDOW_TYPE eSplit)
{
    const FOURCHARID* set = selectionSet();
    switch (view) {
    case 0:
    case 23:
    case 46:
    case 48:
    case 50:
    case 51:
    case 65:
    case 66:
    case 105:
    case 106:
        return anyOccupied(set, 0, BOXES - 1);
    case 39:
    case 49:
        return occupied(set, 4);
    case 25:
        return occupied(set, boxUnderRightPane(FCID("SZCB")));
    case 26:
    case 29:
    case 33:
    case 35:
    case 38:
        return occupied(set, boxUnderDivider(splitKeyOf(view)));
    case 40:
    case 52: {
        const S32 i = boxUnderDivider(splitKeyOf(view));
        return eSplit == SPLIT_LEFT_WINDOW ? occupied(set, i) : anyOccupied(set, i, BOXES - 1);
    }
    case 41: {
        const S32 i = boxUnderDivider(FCID("SZD2"));
        return occupied(set, i) || occupied(set, 4);
    }
    case 42: {
        const S32 i = boxUnderDivider(FCID("SZDZ"));
        // With no box under the divider the left pane still has the five
        // boxes to its left.
        return eSplit == SPLIT_LEFT_WINDOW ? anyOccupied(set, 0, i) : anyOccupied(set, i, BOXES - 1);
    }
    case 47:
        return countOccupied(set) >= 3;
    default:
        return TRUE;
    }
}

} // namespace

U32 T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_WINDOW_TYPE eSplit)
{
    const S32 view = t_info::currentView();
    const U32 u32YOrigin = coversPane(view, eSplit) ? T_INFO_BAR_HEIGHT : 0;
    if (t_info::neighbours().pfnReportSonarYOrigin != nullptr)
        t_info::neighbours().pfnReportSonarYOrigin(view, eSplit, u32YOrigin);
    return u32YOrigin;
}

S32 T_INFO_s32Instrumentation2_Chart_YOrigin(LAYER_ID eView, SPLIT_WINDOW_TYPE eSplit)
{
    const S32 bar = (S32)T_INFO_BAR_HEIGHT;
    switch (eView) {
    case 28:
        if (T_INFO_bFCIDNonZero(FCID("INIP")) && allOccupied(t_info::selectionNavigation(), 0, BOXES - 1))
            return bar;
        return allOccupied(t_info::selectionStandard(), 0, BOXES - 1) ? bar : 0;
    case 25:
    case 26:
    case 29:
    case 33:
    case 34:
    case 35:
    case 38: {
        const FOURCHARID* set = selectionSet();
        const S32 i = boxUnderDivider(splitKeyOf(eView));
        if (eSplit == SPLIT_RIGHT_WINDOW)
            return i >= BOXES || allOccupied(set, i, BOXES - 1) ? bar : 0;
        if (eSplit == SPLIT_LEFT_WINDOW)
            return i < BOXES && allOccupied(set, 0, i) ? bar : 0;
        return bar;
    }
    default:
        return 0;
    }
}

S32 T_INFO_nBoxWidth_Common(S32 nMinY, S32 nMaxY, const FOURCHARID* fcidSelection)
{
    if (fcidSelection == nullptr)
        return 0;
    for (S32 k = 0; k < BOXES; ++k) {
        const S32 bottom = -3 - 103 * k;
        const S32 top = 104 - 103 * k;
        if (nMinY > top)
            return 0;
        if (nMaxY < bottom || fcidSelection[k] == 0)
            continue;
        DB_DATA_TYPE selection = {};
        DB_ATTRIBUTES selectionExtra = {};
        if (!H_DATABASE_bFetch(fcidSelection[k], &selection, nullptr, &selectionExtra) ||
            selectionExtra.DataType != D_FCID || selection.u32Val == 0)
            continue;
        DB_DATA_TYPE readout = {};
        DB_ATTRIBUTES readoutExtra = {};
        if (!H_DATABASE_bFetch(selection.u32Val, &readout, nullptr, &readoutExtra))
            continue;
        if (readoutExtra.DataType == D_POINTER)
            return T_INFO_BOX_BAND_WIDTH;
        if (readoutExtra.DataType == D_FCID && readout.u32Val != 0 &&
            H_DATABASE_bFetch(readout.u32Val, nullptr, nullptr, nullptr))
            return T_INFO_BOX_BAND_WIDTH;
    }
    return 0;
}

S32 T_INFO_nBoxWidth_SonarView(S32 nMinY, S32 nMaxY)
{
    return T_INFO_nBoxWidth_Common(nMinY, nMaxY, selectionSet());
}

S32 T_INFO_nBoxWidth_TrackChartView(S32 nMinY, S32 nMaxY)
{
    return T_INFO_nBoxWidth_Common(nMinY, nMaxY, selectionSet());
}
