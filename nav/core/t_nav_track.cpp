// Current-track recording and its menu actions.
//
// Once a second the update runs the recording step: every "SNTI" seconds,
// with a position fix and a move of more than "SNTD" metres since the last
// recorded point, a point with the water depth joins the current track;
// in the normal-run state it also goes to the current-track log, so the
// track survives a restart. A track that will be full within ten minutes
// shows a warning for ten recording steps.
//
// The step takes RES_NAV_DATA without waiting, because other tasks hold it
// while they draw: when it is busy the point is dropped and the interval
// starts again. The menu actions wait for it. The log is written with the
// mutex held. The first point after power-up and after contour following
// starts a new segment, so the track does not join across those breaks.
#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/core/t_nav_state.h"

#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "nav/core/u_nav.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_link.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr_track.h"
#include "store/h_database.h"
#include "ui/neighbour_standins.h"
#include "ui/t_display.h"
#include "ui/u_dialog.h"
#include "ui/u_menu_client.h"
#include "ui/u_view.h"
#include "util/u_convert.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr U32 CCST_NORMAL_RUN = 3;
constexpr U32 CCST_PLAYBACK = 11;
constexpr U32 STEVRIN_CONTOUR_MODE = 9;
constexpr float DEFAULT_MIN_DISTANCE_METRES = 5.0f;
constexpr U64 WARNING_SECONDS = 600;
constexpr U8 WARNING_STEPS_SHOWN = 10;
constexpr double MAX_DEPTH_METRES = 655.35;
constexpr U16 RING_SIZE = TRACK_DELTA_COUNT;
constexpr U16 NO_INDEX = 0xFFFF;
constexpr U16 WARNING_TEXT_MARGIN = 14;

MENU_ACTION_FUNC* const s_apfnTrackingOn[4] = {T_NAV_vSaveCurrentTrack, T_NAV_vClearCurrentTrack,
                                               T_NAV_vCurrentTrackAppearance, T_NAV_vStopTrack};
const TEXT_TABLE* const s_apTrackingOnChoices[4] = {&Current_Track_Save, &Current_Track_Clear,
                                                    &Current_Track_Appearance, &Stop_Tracking};
const BOOLEAN s_abTrackingOnConfirm[4] = {TRUE, TRUE, FALSE, FALSE};

MENU_ACTION_FUNC* const s_apfnTrackingOff[2] = {T_NAV_vCurrentTrackAppearance, T_NAV_vStartTrack};
const TEXT_TABLE* const s_apTrackingOffChoices[2] = {&Current_Track_Appearance, &Start_Tracking};
const BOOLEAN s_abTrackingOffConfirm[2] = {FALSE, FALSE};

} // namespace

// Static functions ----------------------------------------------------------

namespace {

// A ring index computed from the header's counts, brought into the ring
// once as the recorder's own arithmetic does (0xFFFF stays: no step).
U16 u16IntoRing(U32 u32Index)
{
    const U16 u16Index = (U16)u32Index;
    return (u16Index >= RING_SIZE && u16Index != NO_INDEX) ? (U16)(u16Index - RING_SIZE) : u16Index;
}

// Hundredths of a metre, at most 655.35 m; 0 without a usable depth.
U16 u16Depth(void)
{
    float fDepth = 0.0f;
    if (!H_DATABASE_bFetchFloat(FCID("IDEP"), &fDepth, nullptr, nullptr) || !(fDepth > 0.0f))
        return 0;
    return (U16)std::lrint(std::min((double)fDepth, MAX_DEPTH_METRES) * 100.0);
}

void vRegisterHotTrackItems(void)
{
    for (const VIEW_AND_SPLIT& v : s_aNavViews) {
        U_MENU_bRegisterHotActionMenu(&Clear_Current_Track, nullptr, MENU_CLEAR_CTRACK, T_NAV_vClearCurrentTrack,
                                      TRUE, M_BASIC, v.eView, v.eSplit);
        U_MENU_bRegisterHotActionMenu(&Save_Current_Track, nullptr, MENU_SAVE_CTRACK, T_NAV_vSaveCurrentTrack,
                                      TRUE, M_BASIC, v.eView, v.eSplit);
    }
}

void vShowWarning(void)
{
    U_VIEW_bRegisterLayer(T_NAV_vTrackMemoryWarning, INFO_TRACKING_MEMORY_WARNING_LAYER, USED_BY_ALL, 0, 0, TRUE,
                          nullptr, nullptr, nullptr);
    U_KEYBOARD_bRegisterKeys(NAV_MAILBOX, NAV_WARNING_KEY_MASK, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY,
                             REGISTER_VIEW);
    s_u8TrackingMemoryWarningTime = 0;
    s_bTrackingMemoryWarning = TRUE;
    s_bTrackingMemoryWarningDisplayed = TRUE;
}

void vRemoveWarning(void)
{
    U_VIEW_bUnRegisterLayer(INFO_TRACKING_MEMORY_WARNING_LAYER);
    s_bTrackingMemoryWarningDisplayed = FALSE;
    U_KEYBOARD_bUnregisterKeys(NAV_MAILBOX, NAV_WARNING_KEY_MASK);
}

// The warning while less than ten minutes of recording are left: shown
// once per shortage, for ten steps counting the one that shows it.
void vMemoryWarningStep(U32 u32Interval)
{
    const U16 u16Left = TRACK_MAX_POINTS - std::min(s_CurrentTrack.u16Count, TRACK_MAX_POINTS);
    const U64 u64SecondsLeft = (U64)u32Interval * u16Left;
    if (u64SecondsLeft >= WARNING_SECONDS) {
        s_bTrackingMemoryWarning = FALSE;
        return;
    }
    if (!s_bTrackingMemoryWarning)
        vShowWarning();
    if (s_bTrackingMemoryWarningDisplayed && ++s_u8TrackingMemoryWarningTime > WARNING_STEPS_SHOWN)
        vRemoveWarning();
}

// The minimum distance between points in Mercator metres at the boat.
S32 s32Threshold(POINT ptBoat)
{
    float fMinimum = DEFAULT_MIN_DISTANCE_METRES;
    H_DATABASE_bFetchFloat(FCID("SNTD"), &fMinimum, nullptr, nullptr);
    // A damaged setting counts as missing, and a huge one must not
    // overflow the integer test.
    if (!std::isfinite(fMinimum) || fMinimum < 0.0f)
        fMinimum = DEFAULT_MIN_DISTANCE_METRES;
    const double dMetres = dConvertFromInternal(fMinimum, D_DISTANCE, U_METRES);
    const double dScaled = std::min((double)U_NAV_u16ScalingMMPerKm(ptBoat.y) * dMetres, (double)INT32_MAX);
    return (S32)(std::lrint(dScaled) / 1024);
}

// The steps just added, from ring index u16New on, to the log.
void vLogNewSteps(U16 u16New)
{
    const U16 u16Last = (U16)(s_CurrentTrack.u16FirstDelta + s_CurrentTrack.u16Count - 2);
    if (u16Last == NO_INDEX) {
        T_NAV_NVRAM_vAddCurrentTrackPoint(&s_CurrentTrack, u16New, NAV_TRACK_LOG_FIRST_POINT, FALSE);
        return;
    }
    const U16 u16LastInRing = u16IntoRing(u16Last);
    S32 n = (S32)u16LastInRing + 1 - (S32)u16New;
    if ((S32)u16LastInRing + 1 < (S32)u16New)
        n += RING_SIZE;
    for (U32 i = u16New; n > 0;) {
        const U16 u16Index = u16IntoRing(i);
        const BOOLEAN bGap = U_NAV_bTrackDeltaIsGapPoint(&s_CurrentTrack, u16Index);
        T_NAV_NVRAM_vAddCurrentTrackPoint(&s_CurrentTrack, u16Index, u16LastInRing, bGap);
        const U32 u32Step = bGap ? 3 : 1;
        i += u32Step;
        n -= (S32)u32Step;
    }
}

void vEmptyTrack(void)
{
    U_NAV_vClearTrack(&s_CurrentTrack);
    T_NAV_NVRAM_vEraseCurrentTrack();
}

} // namespace

// Public functions -----------------------------------------------------------

void T_NAV_vRecordTrackStep(POINT ptBoat, U32 u32State)
{
    U32 u32Mode = 0;
    H_DATABASE_bFetchU32(FCID("IPMD"), &u32Mode, nullptr, nullptr);
    if (u32Mode == STEVRIN_CONTOUR_MODE) {
        s_bAddPowerOnGapPoint = TRUE;
        s_bFTCNavOn = TRUE;
    } else {
        s_bFTCNavOn = FALSE;
    }

    ++s_nTrackTickCounter;
    U32 u32Interval = 0;
    if (!H_DATABASE_bFetchU32(FCID("SNTI"), &u32Interval, nullptr, nullptr) || s_bFTCNavOn ||
        s_nTrackTickCounter < u32Interval)
        return;

    U32 u32Fix = 0;
    BOOLEAN bFixValid = FALSE;
    if (!H_DATABASE_bFetchU32(FCID("IPFI"), &u32Fix, &bFixValid, nullptr) || !bFixValid || u32Fix == 0)
        return;

    vMemoryWarningStep(u32Interval);

    POINT last = {0, 0};
    if (s_CurrentTrack.u16Count != 0)
        last = s_CurrentTrack.ptLast;
    S64 s64Dx = (S64)last.x - ptBoat.x;
    if (s64Dx > NAV_X_MAX)
        s64Dx -= NAV_X_CIRCUMFERENCE;
    else if (s64Dx < -NAV_X_MAX)
        s64Dx += NAV_X_CIRCUMFERENCE;
    const POINT offset = {(S32)s64Dx, (S32)((S64)last.y - ptBoat.y)};
    if (U_NAV_bDistanceLessThanOrEqual(offset, s32Threshold(ptBoat)))
        return;

    const BOOLEAN bGap = s_bAddPowerOnGapPoint;
    s_bAddPowerOnGapPoint = FALSE;
    const U16 u16Depth100 = u16Depth();

    const ERC lock = L_MUTEX_Lock(RES_NAV_DATA);
    if (lock == 0 || lock == -lsMUTEX_NESTED) {
        const U16 u16New = u16IntoRing((U32)s_CurrentTrack.u16FirstDelta + s_CurrentTrack.u16Count - 1);
        if (s_bTrackEnable)
            U_NAV_vAddTrackPoint(&s_CurrentTrack, ptBoat, u16Depth100, bGap);
        U32 u32StateNow = 0;
        H_DATABASE_bFetchU32(FCID("CCST"), &u32StateNow, nullptr, nullptr);
        if (u32State != CCST_PLAYBACK && u32StateNow == CCST_NORMAL_RUN)
            vLogNewSteps(u16New);
        L_MUTEX_Unlock(RES_NAV_DATA);
    }
    s_nTrackTickCounter = 0;
}

void T_NAV_vStartTrack(void)
{
    U_MENU_bUnregisterMainMenuItem(&Current_Track, &Nav_Tab);
    U_MENU_bRegisterMainActionListMenu(&Current_Track, &Nav_Tab, MENU_CURRENT_TRACK, s_apTrackingOnChoices,
                                       s_apfnTrackingOn, 4, M_BASIC, 0, s_abTrackingOnConfirm);
    vRegisterHotTrackItems();
    s_bTrackEnable = TRUE;
    H_DATABASE_bUpdateValueBoolean(FCID("CTRE"), TRUE, P_NORMAL);
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
}

void T_NAV_vStopTrack(void)
{
    T_NAV_vClearCurrentTrack();
    U_MENU_bRegisterMainActionListMenu(&Current_Track, &Nav_Tab, MENU_CURRENT_TRACK, s_apTrackingOffChoices,
                                       s_apfnTrackingOff, 2, M_BASIC, 0, s_abTrackingOffConfirm);
    for (const VIEW_AND_SPLIT& v : s_aNavViews) {
        U_MENU_bUnregisterHotMenuItem(&Clear_Current_Track, v.eView, v.eSplit);
        U_MENU_bUnregisterHotMenuItem(&Save_Current_Track, v.eView, v.eSplit);
    }
    T_NAV_vSetNavUINote(&Track_cleared, nullptr, FALSE);
    s_bTrackEnable = FALSE;
    H_DATABASE_bUpdateValueBoolean(FCID("CTRE"), FALSE, P_NORMAL);
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
}

void T_NAV_vClearCurrentTrack(void)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    vEmptyTrack();
    L_MUTEX_Unlock(RES_NAV_DATA);
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
}

void T_NAV_vSaveCurrentTrack(void)
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    U32 u32DateTime = 0;
    BOOLEAN bValid = FALSE;
    S32 s32Slot = NO_INDEX;
    if (H_DATABASE_bFetchU32(FCID("IDTM"), &u32DateTime, &bValid, nullptr) && bValid) {
        char acTime[32] = "";
        char acDate[32] = "";
        char acName[72];
        T_INFO_vFormatTimeAscii((time_t)u32DateTime, FALSE, TRUE, acTime, acDate, nullptr, FALSE);
        snprintf(acName, sizeof acName, "%s %s", acDate, acTime);
        s32Slot = T_NAV_nAddTrack(&s_CurrentTrack, u32DateTime, acName, FALSE);
    } else {
        s32Slot = T_NAV_nAddTrack(&s_CurrentTrack, 0, nullptr, FALSE);
    }
    const TRACK_HEADER* pSaved =
        s32Slot >= 0 && s32Slot < (S32)NAV_TRACK_SLOTS ? T_NAV_pGetTrackHeader((U32)s32Slot) : nullptr;
    if (pSaved == nullptr) {
        L_MUTEX_Unlock(RES_NAV_DATA);
        T_NAV_vSetNavUIError(&No_Tracks);
        L_SEMA_Signal(SEMA_KEYCLICK_BAD);
        return;
    }
    char acSavedName[TRACK_NAME_CHARS + 1];
    memcpy(acSavedName, pSaved->sName, TRACK_NAME_CHARS);
    acSavedName[TRACK_NAME_CHARS] = '\0';
    const U16 u16Id = (U16)(NAV_ID_TRACK_TAG + T_NAV_GROUP_DATA_u16Getu7UnitID() + (U16)s32Slot);
    T_NAV_GROUP_DATA_bAddLink(T_NAV_GROUP_DATA_nGetDefaultGroup(), u16Id);
    T_CHART_vReRenderAll();
    vEmptyTrack();
    L_MUTEX_Unlock(RES_NAV_DATA);
    T_NAV_vSetNavUINote(&Track_Saved, acSavedName, FALSE);
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
}

void T_NAV_vCurrentTrackAppearance(void)
{
    T_NAV_EDIT_vCurrentTrackAppearanceSetup();
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
}

void T_NAV_vTrackDefaults(void)
{
    T_NAV_EDIT_vTrackDefaultsSetup();
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
}

TRACK* T_NAV_pGetCurrentTrackPtr(void)
{
    return &s_CurrentTrack;
}

void T_NAV_vTrackMemoryWarning(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec)
{
    (void)psWindowSpec;
    if (pBitmap == nullptr)
        return;
    const char* pcText = TrackMemoryWarning[nCurrentLanguage()];
    const FONT_DEF* pFont = &vondrel_11x14_font_def;
    const U32 u32Wanted = G_STRING_u32GetWidth(pFont, reinterpret_cast<const BYTE*>(pcText)) + WARNING_TEXT_MARGIN;
    const U32 u32Room = pBitmap->pixels_wide > 2 ? pBitmap->pixels_wide - 2 : 0;
    const U16 u16Width = (U16)std::min({u32Wanted, u32Room, (U32)0xFFFF});
    U_DIALOG_vDrawDialog(pBitmap, pcText, pFont, 2, u16Width, nullptr, nullptr, JUSTIFICATION_CENTER,
                         JUSTIFICATION_CENTER);
}

BOOLEAN T_NAV_bCloseTrackMemoryWarning(void)
{
    if (!s_bTrackingMemoryWarningDisplayed)
        return FALSE;
    vRemoveWarning();
    L_SEMA_Signal(SEMA_VIEW_UPDATE);
    return TRUE;
}
