// Drawing of the instrument bar: five cells of 160 pixels along the bottom
// edge, each box 158 x 101 with a rule and a line above it.

#include "ui/t_info_bar.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/u_fonts.h"
#include "store/h_database.h"
#include "ui/t_info_state.h"
#include "ui/t_view.h"

namespace {

constexpr S32 BOXES = 5;
constexpr S32 CELL = 160;
constexpr S32 BOX_WIDTH = 158;
constexpr S32 BOX_HEIGHT = 101;
constexpr LAYER_ID BIRDS_EYE_VIEW_PRIORITY = 23;

COLOR entry(U32 index) { return gCOLOR_pcolColorTable[index]; }

void fill(BITMAP* pBitmap, COLOR c, S32 x, S32 y, S32 w, S32 h)
{
    const POINT at = {x, y};
    G_BOX_vDrawFilled(pBitmap, c, &at, (U32)w, (U32)h);
}

void fillAlpha(BITMAP* pBitmap, COLOR c, S32 x, S32 y, S32 w, S32 h)
{
    const POINT at = {x, y};
    G_BOX_vDrawFilledAlpha(pBitmap, c, &at, (U32)w, (U32)h, t_info::alpha());
}

BOOLEAN isTrue(FOURCHARID key)
{
    BOOLEAN b = FALSE;
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchBoolean(key, &b, &bValid, nullptr) && bValid && b;
}

BOOLEAN darkBar(void)
{
    const T_INFO_NEIGHBOURS& n = t_info::neighbours();
    return (n.pfnIsMyRadarInfoView != nullptr && n.pfnIsMyRadarInfoView(U_VIEW_eCurrentView())) ||
           T_INFO_bIsMssView();
}

const FONT_DEF* tenthsFontFor(FOURCHARID key)
{
    for (FOURCHARID k : {FCID("ISPD"), FCID("ISOG"), FCID("ISTW"), FCID("ITMP"), FCID("ITMT"), FCID("ITMS"),
                         FCID("IRTP"), FCID("IRTS"), FCID("IVLT"), FCID("IDEP"), FCID("IVMG")})
        if (k == key)
            return f18x32_font_def_ptr;
    return f34x62_font_def_ptr;
}

U32 language(void)
{
    U32 nLang = 0;
    H_DATABASE_bFetchU32(FCID("SLNG"), &nLang, nullptr, nullptr);
    return nLang < DB_NUM_LANGUAGES ? nLang : 0;
}

S32 splitLeftWidth(FOURCHARID key)
{
    S32 percent = 50;
    H_DATABASE_bFetchS32(key, &percent, nullptr, nullptr);
    return T_VIEW_s32SplitViewLeftWidth(800, percent);
}

// One cell; TRUE when something was drawn in it.
BOOLEAN drawCell(BITMAP* pBitmap, S32 k, FOURCHARID selection, BOOLEAN bDark, U32 nLang)
{
    DB_DATA_TYPE value = {};
    DB_ATTRIBUTES extra = {};
    if (selection == 0 || !H_DATABASE_bFetch(selection, &value, nullptr, &extra) || extra.DataType != D_FCID ||
        value.u32Val == 0)
        return FALSE;
    DB_DATA_TYPE readout = {};
    DB_ATTRIBUTES readoutExtra = {};
    if (!H_DATABASE_bFetch(value.u32Val, &readout, nullptr, &readoutExtra))
        return FALSE;
    if (readoutExtra.DataType == D_POINTER) {
        auto* pfn = reinterpret_cast<INFO_BOX_RENDERING_FUNCTION*>(readout.vpPointer);
        if (pfn != nullptr) {
            POINT at = {CELL * k, 0};
            pfn(pBitmap, &at, VIBD_DOWN, nLang);
        }
        return TRUE;
    }
    if (readoutExtra.DataType != D_FCID)
        return FALSE;
    U32 u32Format = DONT_FORCE;
    H_DATABASE_bFetchU32(FCID("SFMT"), &u32Format, nullptr, nullptr);
    const FOURCHARID key = readout.u32Val;
    return T_INFO_nDrawDigitsInfoBox(pBitmap, BOX_WIDTH, BOX_HEIGHT, CELL * k, 0, key, f34x62_font_def_ptr,
                                     std_16x17_font_def_ptr.load(), tenthsFontFor(key), (DIGITS_FORMAT)u32Format,
                                     bDark ? IBS_ALWAYS_BLACK_BAR : IBS_SEMITRANSPARENT_WHITE_BAR,
                                     INSTRUMENTATION_JUSTIFY_RIGHT, nLang) != 0;
}

// The navigation set while navigating or while the trolling motor
// navigates (which the chart counts from position hold on as well).
const FOURCHARID* standardOrNavigation(BOOLEAN bStayvaneCounts)
{
    auto* const pfnStayvane = t_info::neighbours().pfnStayvaneActive;
    const BOOLEAN bTrolling = (bStayvaneCounts && pfnStayvane != nullptr && pfnStayvane()) || isTrue(FCID("IPNO"));
    return T_INFO_bFCIDNonZero(FCID("INIP")) || bTrolling ? t_info::selectionNavigation()
                                                          : t_info::selectionStandard();
}

} // namespace

void T_INFO_vDrawInfoLayer_Instrumentation_Common(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec,
                                                  const FOURCHARID* fcidSelection)
{
    if (pBitmap == nullptr || psWindowSpec == nullptr || fcidSelection == nullptr)
        return;
    const BOOLEAN bDark = darkBar();
    const COLOR text = entry(bDark ? 35 : INFO_COLOR_TEXT);
    const COLOR background = entry(bDark ? 32 : INFO_COLOR_BACKGROUND);
    const COLOR separator = entry(bDark ? 34 : INFO_COLOR_LIGHT);
    const U32 nLang = language();

    const LAYER_ID layer = psWindowSpec->currentLayer;
    if (layer == BIRDS_EYE_VIEW_PRIORITY)
        fill(pBitmap, background, 0, 0, 799, (S32)T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_FULL_WINDOW));
    else if (layer == CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY)
        fill(pBitmap, background, 0, 0, splitLeftWidth(FCID("SZCB")),
             (S32)T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_FULL_WINDOW));
    else if (layer == CHART_PLUS_BIRDS_EYE_INSTRUMENT_VIEW_PRIORITY)
        fill(pBitmap, background, 0, 0, splitLeftWidth(FCID("SZI2")), T_INFO_bFCIDNonZero(FCID("INIP")) ? 210 : 105);

    BOOLEAN abDrawn[BOXES] = {};
    for (S32 k = 0; k < BOXES; ++k) {
        abDrawn[k] = drawCell(pBitmap, k, fcidSelection[k], bDark, nLang);
        const S32 x = CELL * k;
        if (abDrawn[k]) {
            fill(pBitmap, text, x, 101, CELL, 3);
            fill(pBitmap, background, x, 104, CELL, 1);
            if (k == 0)
                fillAlpha(pBitmap, background, 0, 0, 1, 101);
            if (k == BOXES - 1)
                fillAlpha(pBitmap, background, 798, 0, 2, 101);
        }
        if (k == 0)
            continue;
        if (abDrawn[k - 1] && abDrawn[k]) {
            fillAlpha(pBitmap, background, x - 2, 0, 2, 4);
            fill(pBitmap, separator, x - 2, 4, 2, 97);
        } else if (abDrawn[k]) {
            fill(pBitmap, text, x - 2, 0, 3, 104);
            fill(pBitmap, background, x - 3, 0, 1, 104);
            fill(pBitmap, background, x - 3, 104, 4, 1);
        } else if (abDrawn[k - 1]) {
            fill(pBitmap, text, x - 2, 0, 3, 104);
            fill(pBitmap, background, x + 1, 0, 1, 104);
            fill(pBitmap, background, x - 3, 104, 4, 1);
        }
    }

    if (T_INFO_bIsMssView() && T_INFO_bFCIDNonZero(FCID("ICAC")))
        T_INFO_vDrawInfoLayer_MssActiveCursor(pBitmap, nLang);
    else
        T_INFO_vDrawInfoLayer_ActiveCursor(pBitmap, psWindowSpec, POINT{CELL * BOXES, 0});

    BOOLEAN bAnyDrawn = FALSE;
    for (BOOLEAN bDrawn : abDrawn)
        bAnyDrawn = bAnyDrawn || bDrawn;
    t_info::drawNavigationStrip(pBitmap, psWindowSpec, abDrawn[0] || abDrawn[1], bAnyDrawn, nLang);
}

void T_INFO_vDrawInfoLayer_Instrumentation_SonarView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    if (psWindowSpec == nullptr)
        return;
    const U32 u32Alpha = T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_LEFT_WINDOW) != 0
                             ? 0
                             : psWindowSpec->u32User;
    T_INFO_vSetAlpha(u32Alpha);
    T_INFO_vDrawInfoLayer_Instrumentation_Common(pBitmap, psWindowSpec, standardOrNavigation(FALSE));
}

void T_INFO_vDrawInfoLayer_Instrumentation_TrackChartView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    if (psWindowSpec == nullptr)
        return;
    T_INFO_vSetAlpha(psWindowSpec->u32User);
    T_INFO_vDrawInfoLayer_Instrumentation_Common(pBitmap, psWindowSpec, standardOrNavigation(TRUE));
}

void T_INFO_vDrawInfoLayer_Instrumentation_BirdsEyeView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    if (psWindowSpec == nullptr)
        return;
    T_INFO_vSetAlpha(psWindowSpec->u32User);
    T_INFO_vDrawInfoLayer_Instrumentation_Common(pBitmap, psWindowSpec, standardOrNavigation(FALSE));
}
