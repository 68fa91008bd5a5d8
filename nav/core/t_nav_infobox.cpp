// The navigation's readout boxes (see the header).
#include "nav/core/t_nav_infobox.h"

#include "nav/core/g_nav_icons.h"
#include "nav/core/g_nav_overlay_icons.h"
#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav_route.h"
#include "nav/core/u_nav_position.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_icon.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/l_mutex.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"
#include "ui/u_view.h"

#include <cstdio>
#include <cstring>

#define NAV_INFOBOX_ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

namespace {

// Titles of the published keys, as the readout menus list them.
const TEXT_TABLE txtPosition = NAV_INFOBOX_ALL_LANGUAGES("Position");
const TEXT_TABLE txtTimeDate = NAV_INFOBOX_ALL_LANGUAGES("Time+Date");
const TEXT_TABLE txtTime = NAV_INFOBOX_ALL_LANGUAGES("Time");
const TEXT_TABLE txtDistElapsed = NAV_INFOBOX_ALL_LANGUAGES("DIST+Elapsed Time");
const TEXT_TABLE txtNextTtgDtg = NAV_INFOBOX_ALL_LANGUAGES("WPTnext/TTG/DTG");
const TEXT_TABLE txtNextEtaDtg = NAV_INFOBOX_ALL_LANGUAGES("WPTnext/ETA/DTG");
const TEXT_TABLE txtEndTtgDtg = NAV_INFOBOX_ALL_LANGUAGES("WPTend/TTG/DTG");
const TEXT_TABLE txtEndEtaDtg = NAV_INFOBOX_ALL_LANGUAGES("WPTend/ETA/DTG");
const TEXT_TABLE txtCmgSmg = NAV_INFOBOX_ALL_LANGUAGES("CMG/SMG");
const TEXT_TABLE txtTrkCmg = NAV_INFOBOX_ALL_LANGUAGES("TRK/CMG");

// Row labels.
const TEXT_TABLE txtDist = NAV_INFOBOX_ALL_LANGUAGES("DIST");
const TEXT_TABLE txtNext = NAV_INFOBOX_ALL_LANGUAGES("NEXT");
const TEXT_TABLE txtEnd = NAV_INFOBOX_ALL_LANGUAGES("END");
const TEXT_TABLE txtTtg = NAV_INFOBOX_ALL_LANGUAGES("TTG");
const TEXT_TABLE txtEta = NAV_INFOBOX_ALL_LANGUAGES("ETA");
const TEXT_TABLE txtDtg = NAV_INFOBOX_ALL_LANGUAGES("DTG");
const TEXT_TABLE txtCmg = NAV_INFOBOX_ALL_LANGUAGES("CMG");
const TEXT_TABLE txtSmg = NAV_INFOBOX_ALL_LANGUAGES("SMG");
const TEXT_TABLE txtTrk = NAV_INFOBOX_ALL_LANGUAGES("TRK");

constexpr U16 NO_WAYPOINT = 0xFFFF;
constexpr U8 NO_ICON = 0xFF;
constexpr U32 COLOR_ENTRY_DIVIDER = 129;
constexpr U32 TEXT_ENTRY_LIGHT = INFO_COLOR_TEXT; // over the white bars
constexpr U32 TEXT_ENTRY_DARK = 35;               // over the black bar

constexpr char NOTHING[] = "---";
constexpr U32 NAME_CHARS = 5;       // a waypoint's name in the three-row boxes
constexpr U32 MOTOR_TEXT_CHARS = 8; // the trolling motor's own text there

// The trolling motor's modes ("IPMD").
constexpr U32 MODE_TRACK_REVERSE = 1;
constexpr U32 MODE_TRACK_FORWARD = 2;
constexpr U32 MODE_POSITION_HOLD = 3;
constexpr U32 MODE_CONTOUR = 9;

constexpr FOURCHARID KEY_NONE = FCID("INVL"); // never written: shows as missing

struct Style {
    INFO_BOX_STYLE eBar;
    COLOR text;
};

COLOR entry(U32 u32Entry) { return gCOLOR_pcolColorTable[u32Entry]; }

Style style(BOOLEAN bPlainWhite)
{
    if (T_RADAR_bIsMyRadarInfoView(U_VIEW_eCurrentView()) || T_INFO_bIsMssView())
        return {IBS_ALWAYS_BLACK_BAR, entry(TEXT_ENTRY_DARK)};
    return {bPlainWhite ? IBS_WHITE_BAR : IBS_SEMITRANSPARENT_WHITE_BAR, entry(TEXT_ENTRY_LIGHT)};
}

const FONT_DEF* font9x13(void) { return std_9x13_font_def_ptr.load(); }
const FONT_DEF* font11x14(void) { return std_11x14_font_def_ptr.load(); }
const FONT_DEF* font16x17(void) { return std_16x17_font_def_ptr.load(); }

S32 width(const FONT_DEF* pFont, const char* pc)
{
    return pFont != nullptr && pc != nullptr ? (S32)G_STRING_u32GetWidth(pFont, (const BYTE*)pc) : 0;
}

const char* text(const TEXT_TABLE* pText, U32 nLang)
{
    const char* pc = pText != nullptr && nLang < (U32)DB_NUM_LANGUAGES ? (*pText)[nLang] : nullptr;
    return pc != nullptr ? pc : "";
}

void put(BITMAP* pBitmap, COLOR c, S32 x, S32 y, const FONT_DEF* pFont, const char* pc)
{
    if (pFont == nullptr || pc == nullptr)
        return;
    POINT pt = {x, y};
    G_STRING_vPut(pBitmap, c, &pt, pFont, (const BYTE*)pc);
}

void divider(BITMAP* pBitmap, S32 x, S32 y, U32 w, U32 h)
{
    const POINT pt = {x, y};
    G_BOX_vDrawFilled(pBitmap, entry(COLOR_ENTRY_DIVIDER), &pt, w, h);
}

BOOLEAN bTrue(FOURCHARID fcid)
{
    BOOLEAN b = FALSE;
    return H_DATABASE_bFetchBoolean(fcid, &b, nullptr, nullptr) && b != FALSE;
}

U32 u32Or(FOURCHARID fcid, U32 u32Default)
{
    U32 u = u32Default;
    return H_DATABASE_bFetchU32(fcid, &u, nullptr, nullptr) ? u : u32Default;
}

BOOLEAN bNavigating(void) { return u32Or(FCID("INIP"), 0) != 0; }
BOOLEAN bMotorNavigates(void) { return bTrue(FCID("IPNO")); }
// The motor's mode while it navigates; 0 otherwise.
U32 u32MotorMode(void) { return bMotorNavigates() ? u32Or(FCID("IPMD"), 0) : 0; }

void vMoveOn(POINT* ppt, VIB_DIRECTION eDirection)
{
    if (eDirection == VIBD_RIGHT)
        ppt->x += NAV_INFOBOX_WIDTH;
}

// Labelled two-value box.
void IBRF_vRenderDualInfoBox(BITMAP* pBitmap, POINT* ppt, U32 nLang, FOURCHARID fcidTop, const TEXT_TABLE* pStringTop,
                             FOURCHARID fcidBottom, const TEXT_TABLE* pStringBottom)
{
    const S32 x = ppt->x, y = ppt->y;
    const FONT_DEF* const pValue = f15x21_font_def_ptr;
    const S32 h = (S32)G_FONTS_u32GetHeight(pValue);
    T_INFO_vDrawInfoBar(pBitmap, NAV_INFOBOX_WIDTH, NAV_INFOBOX_HEIGHT, x, y, style(FALSE).eBar);
    T_INFO_nDrawInfoBox(pBitmap, 154, h, x, y + 83 - h / 2, fcidTop, pValue, font11x14(), IBS_NONE,
                        CHARTPLOTTER_JUSTIFY_RIGHT, nLang);
    if (pStringTop != nullptr)
        T_INFO_vDrawText(pBitmap, x + 6, y + 83 - h / 2, pStringTop, font9x13(), nLang);
    T_INFO_vDrawInfoBar(pBitmap, 152, 2, x + 3, y + 50, IBS_LT_GRAY_BAR);
    T_INFO_nDrawInfoBox(pBitmap, 154, h, x, y + 31 - h / 2, fcidBottom, pValue, font11x14(), IBS_NONE,
                        CHARTPLOTTER_JUSTIFY_RIGHT, nLang);
    if (pStringBottom != nullptr)
        T_INFO_vDrawText(pBitmap, x + 6, y + 31 - h / 2, pStringBottom, font9x13(), nLang);
}

// Two values without labels, only while something navigates.
void vRenderDualInfoBox2(BITMAP* pBitmap, POINT* ppt, U32 nLang, FOURCHARID fcidTop, FOURCHARID fcidBottom)
{
    if (!bNavigating() && !bMotorNavigates())
        return;
    const S32 x = ppt->x, y = ppt->y;
    T_INFO_vDrawInfoBar(pBitmap, NAV_INFOBOX_WIDTH, NAV_INFOBOX_HEIGHT, x, y, style(FALSE).eBar);
    divider(pBitmap, x + 4, y + 50, 150, 2);
    T_INFO_nDrawInfoBox(pBitmap, NAV_INFOBOX_WIDTH, 49, x, y + 51, fcidTop, f15x21_font_def_ptr, font11x14(),
                        IBS_NONE, JUSTIFY_LEFT, nLang);
    T_INFO_nDrawInfoBox(pBitmap, NAV_INFOBOX_WIDTH, 49, x, y, fcidBottom, f15x21_font_def_ptr, font11x14(), IBS_NONE,
                        JUSTIFY_LEFT, nLang);
}

// What the three-row boxes name, and how.
struct Subject {
    char acName[NAV_INFOBOX_NAME_BYTES] = {};
    const ICON* pIcon = nullptr;
    BOOLEAN bLeftAligned = FALSE; // the motor's track and contour modes
    BOOLEAN bValues = FALSE;      // something navigates: values, not "---"
};

void vCut(char* pc, U32 u32Chars)
{
    if (strlen(pc) > u32Chars)
        pc[u32Chars] = '\0';
}

Subject subject(BOOLEAN bFinal)
{
    Subject s;
    const BOOLEAN bNav = bNavigating();
    const BOOLEAN bMotor = bMotorNavigates();
    if (!bNav && !bMotor) {
        snprintf(s.acName, sizeof s.acName, "%s", NOTHING);
        return s;
    }
    s.bValues = TRUE;
    U8 u8Icon = NO_ICON;
    T_NAV_INFOBOX_vGetStevrinActiveStr(s.acName, &u8Icon, bFinal);
    const U32 u32Mode = u32MotorMode();
    if (u32Mode == MODE_TRACK_FORWARD || u32Mode == MODE_TRACK_REVERSE || u32Mode == MODE_CONTOUR) {
        vCut(s.acName, MOTOR_TEXT_CHARS);
        s.bLeftAligned = TRUE;
        s.pIcon = u32Mode == MODE_TRACK_FORWARD   ? &rumbrelEnd_icon
                  : u32Mode == MODE_TRACK_REVERSE ? &rumbrelStart_icon
                                                  : nullptr;
        return s;
    }
    if (!bNav)
        vCut(s.acName, MOTOR_TEXT_CHARS);
    vCut(s.acName, NAME_CHARS);
    if (u8Icon < NAV_ICON_COUNT)
        s.pIcon = g_NAV_Icons_Large[u8Icon];
    return s;
}

// Three rows: the waypoint, then two labelled values.
void IBRF_vRender3RowWaypointInfoBox(BITMAP* pBitmap, POINT* ppt, VIB_DIRECTION eDirection, U32 nLang,
                                     const TEXT_TABLE* pTop, const TEXT_TABLE* pMiddle, const TEXT_TABLE* pBottom,
                                     const Subject& s, FOURCHARID fcidMiddle, FOURCHARID fcidBottom)
{
    const S32 x = ppt->x, y = ppt->y;
    const Style st = style(FALSE);
    T_INFO_vDrawInfoBar(pBitmap, NAV_INFOBOX_WIDTH, NAV_INFOBOX_HEIGHT, x, y, st.eBar);
    divider(pBitmap, x + 3, y + 67, 152, 2);
    divider(pBitmap, x + 3, y + 33, 152, 2);

    const S32 nNameWidth = width(font16x17(), s.acName);
    if (s.bLeftAligned) {
        S32 nx = x + 3;
        if (s.pIcon != nullptr) {
            const POINT at = {nx, y + 72};
            G_ICON_vPut(pBitmap, s.pIcon, &at);
            nx += s.pIcon->nWidth + 3;
        }
        put(pBitmap, st.text, nx, y + 75, font16x17(), s.acName);
    } else {
        const S32 nLabel = width(font9x13(), text(pTop, nLang));
        put(pBitmap, st.text, x + 3, y + 77, font9x13(), text(pTop, nLang));
        divider(pBitmap, x + 3 + nLabel + 3, y + 69, 2, 30);
        const S32 nx = x + 157 - nNameWidth;
        if (s.pIcon != nullptr) {
            const POINT at = {nx - s.pIcon->nWidth, y + 72};
            G_ICON_vPut(pBitmap, s.pIcon, &at);
        }
        put(pBitmap, st.text, nx, y + 75, font16x17(), s.acName);
    }

    const struct {
        const TEXT_TABLE* pLabel;
        FOURCHARID fcid;
        S32 y;
    } rows[2] = {{pMiddle, fcidMiddle, y + 41}, {pBottom, fcidBottom, y + 6}};
    for (const auto& r : rows) {
        const S32 nLabel = width(font9x13(), text(r.pLabel, nLang));
        put(pBitmap, st.text, x + 3, r.y, font9x13(), text(r.pLabel, nLang));
        if (!s.bValues) {
            put(pBitmap, st.text, x + 157 - width(font16x17(), NOTHING), r.y, font16x17(), NOTHING);
            continue;
        }
        T_INFO_nDrawInfoBox(pBitmap, 154 - nLabel, (S32)G_FONTS_u32GetHeight(font16x17()), x + nLabel, r.y, r.fcid,
                            font16x17(), font9x13(), IBS_NONE, CHARTPLOTTER_JUSTIFY_RIGHT, nLang);
    }
    vMoveOn(ppt, eDirection);
}

// The values of a waypoint box while the motor navigates: none in position
// hold and contour following, none while its navigation is paused (unless
// the box ignores the pause).
BOOLEAN bWaypointValuesHidden(BOOLEAN bTestPause)
{
    if (!bMotorNavigates())
        return FALSE;
    const U32 u32Mode = u32MotorMode();
    if (u32Mode == MODE_POSITION_HOLD || u32Mode == MODE_CONTOUR)
        return TRUE;
    return bTestPause && T_STEVRIN_bIsNavigationPaused();
}

void vRenderWaypointBox(BITMAP* pBitmap, POINT* ppt, VIB_DIRECTION eDirection, U32 nLang, BOOLEAN bFinal,
                        const TEXT_TABLE* pMiddle, FOURCHARID fcidMiddle, FOURCHARID fcidBottom, BOOLEAN bTestPause)
{
    const BOOLEAN bHidden = bWaypointValuesHidden(bTestPause);
    IBRF_vRender3RowWaypointInfoBox(pBitmap, ppt, eDirection, nLang, bFinal ? &txtEnd : &txtNext, pMiddle, &txtDtg,
                                    subject(bFinal), bHidden ? KEY_NONE : fcidMiddle,
                                    bHidden ? KEY_NONE : fcidBottom);
}

// A position value of the box; FALSE when it is not shown, which ends the
// drawing.
BOOLEAN bDrawPosition(BITMAP* pBitmap, COLOR c, S32 x, S32 y, FOURCHARID fcid, DATA_TYPE eType, U32 nLang)
{
    float fDegrees = 0.0f;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchFloat(fcid, &fDegrees, &bValid, nullptr))
        return FALSE;
    if (!bValid && !T_INFO_bBlinkState())
        return FALSE;
    char ac[NAV_POSITION_TEXT_BYTES] = {};
    U_NAV_vFormatPosition(eType, fDegrees, ac, (NAV_FORMAT_ENUM)u32Or(FCID("SIPF"), 6), nLang, IPS_SPACE);
    put(pBitmap, c, x + (NAV_INFOBOX_WIDTH - width(font11x14(), ac)) / 2, y, font11x14(), ac);
    return TRUE;
}

// "IDTM" when it holds a valid time.
BOOLEAN bTimeNow(U32* pu32Time)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchU32(FCID("IDTM"), pu32Time, &bValid, nullptr) && bValid;
}

} // namespace

const NAV_INFOBOX_ENTRY g_aNavInfoBoxes[NAV_INFOBOX_COUNT] = {
    {FCID("BPOS"), &txtPosition, IBRF_vRenderPositionInfoBox},
    {FCID("BTIM"), &txtTimeDate, IBRF_vRenderTimeDateInfoBox},
    {FCID("BTMO"), &txtTime, IBRF_vRenderTimeOnlyInfoBox},
    {FCID("BCTD"), nullptr, IBRF_vRenderCrossTrackOverErrorDistanceToGoInfoBox},
    {FCID("BTSP"), nullptr, IBRF_vRenderTimeToGoOverSpeedInfoBox},
    {FCID("QDET"), &txtDistElapsed, IBRF_vRenderDistanceTraveledOverElapsedTimeInfoBox},
    {FCID("QDTG"), &txtNextTtgDtg, IBRF_vRenderDistanceToGoOverTimeToGoInfoBox},
    {FCID("QETA"), &txtNextEtaDtg, IBRF_vRenderDistanceToGoOverEstimatedTimeArrivalInfoBox},
    {FCID("QDTF"), &txtEndTtgDtg, IBRF_vRenderDistanceToGoOverTimeToGoFinalInfoBox},
    {FCID("QETF"), &txtEndEtaDtg, IBRF_vRenderDistanceToGoOverEstimatedTimeArrivalFinalInfoBox},
    {FCID("QCOS"), &txtCmgSmg, IBRF_vRenderCourseMadeGoodOverSpeedMadeGoodInfoBox},
    {FCID("QTOC"), &txtTrkCmg, IBRF_vRenderCurrentTrackOverCourseMadeGoodInfoBox},
};

void T_NAV_INFOBOX_vPublish(void)
{
    for (const NAV_INFOBOX_ENTRY& e : g_aNavInfoBoxes)
        H_DATABASE_bUpdateEverythingVoidPointer(e.fcid, reinterpret_cast<void*>(e.pfnRender), P_NORMAL, D_POINTER,
                                                const_cast<const char* (*)[DB_NUM_LANGUAGES]>(e.pTitle),
                                                DB_TIMEOUT_NEVER);
}

void T_NAV_INFOBOX_vGetStevrinActiveStr(char* pacStr, U8* pu8WayPtIcon, BOOLEAN bFinal)
{
    if (pacStr == nullptr)
        return;
    pacStr[0] = '\0';
    U32 u32Waypoint = NO_WAYPOINT;
    if (bNavigating()) {
        if (bFinal) {
            L_MUTEX_LockWait(RES_NAV_DATA);
            const ROUTE* pRoute = T_NAV_pGetCurrentRoute();
            if (pRoute->nCount > 0 && pRoute->nCount <= ROUTE_MAX_POINTS)
                u32Waypoint = pRoute->anWaypoint[pRoute->nCount - 1];
            L_MUTEX_Unlock(RES_NAV_DATA);
        } else {
            u32Waypoint = u32Or(FCID("IDWP"), NO_WAYPOINT);
        }
    } else {
        switch (u32Or(FCID("IPMD"), 0)) {
        case MODE_TRACK_REVERSE:
        case MODE_TRACK_FORWARD:
        case MODE_CONTOUR: {
            char ac[NAV_INFOBOX_NAME_BYTES] = {};
            T_STEVRIN_vGetActiveStr(ac);
            ac[NAV_INFOBOX_NAME_BYTES - 1] = '\0';
            memcpy(pacStr, ac, sizeof ac);
            return;
        }
        case MODE_POSITION_HOLD:
            u32Waypoint = T_STEVRIN_u16GetStayvaneIndex();
            break;
        default:
            return;
        }
    }
    if (u32Waypoint >= NO_WAYPOINT)
        return;
    T_NAV_vCopyWaypointName(u32Waypoint, pacStr, NAV_INFOBOX_NAME_BYTES);
    if (pu8WayPtIcon != nullptr)
        *pu8WayPtIcon = T_NAV_u8GetWaypointIcon(u32Waypoint);
}

// The boxes ------------------------------------------------------------------------------

void IBRF_vRenderPositionInfoBox(BITMAP* pBitmap, POINT* ppt, VIB_DIRECTION, U32 nLang)
{
    if (!H_DATABASE_bFetch(FCID("ILTD"), nullptr, nullptr, nullptr))
        return;
    const S32 x = ppt->x, y = ppt->y;
    const Style st = style(FALSE);
    T_INFO_vDrawInfoBar(pBitmap, NAV_INFOBOX_WIDTH, NAV_INFOBOX_HEIGHT, x, y, st.eBar);
    if (!bDrawPosition(pBitmap, st.text, x, y + 54, FCID("ILTD"), D_POSITION_LAT, nLang))
        return;
    bDrawPosition(pBitmap, st.text, x, y + 46 - (S32)G_FONTS_u32GetHeight(font11x14()), FCID("ILND"),
                  D_POSITION_LON, nLang);
}

void IBRF_vRenderTimeDateInfoBox(BITMAP* pBitmap, POINT* ppt, VIB_DIRECTION, U32)
{
    U32 u32Time = 0;
    if (!bTimeNow(&u32Time))
        return;
    char acTime[32] = {};
    char acDate[32] = {};
    T_INFO_vFormatTime((time_t)u32Time, FALSE, TRUE, acTime, acDate, nullptr);
    const S32 x = ppt->x, y = ppt->y;
    const Style st = style(FALSE);
    T_INFO_vDrawInfoBar(pBitmap, NAV_INFOBOX_WIDTH, NAV_INFOBOX_HEIGHT, x, y, st.eBar);
    divider(pBitmap, x + 18, y + 50, 120, 2);
    put(pBitmap, st.text, x + (NAV_INFOBOX_WIDTH - width(font16x17(), acTime)) / 2, y + 63, font16x17(), acTime);
    put(pBitmap, st.text, x + (NAV_INFOBOX_WIDTH - width(font16x17(), acDate)) / 2, y + 15, font16x17(), acDate);
}

void IBRF_vRenderTimeOnlyInfoBox(BITMAP* pBitmap, POINT* ppt, VIB_DIRECTION eDirection, U32 nLang)
{
    U32 u32Time = 0;
    if (!bTimeNow(&u32Time))
        return;
    char acTime[32] = {};
    T_INFO_vFormatTime((time_t)u32Time, FALSE, TRUE, acTime, nullptr, nullptr);
    const char* pcSuffix = "--";
    char* pcFound = strstr(acTime, "AM");
    if (pcFound == nullptr)
        pcFound = strstr(acTime, "PM");
    if (pcFound != nullptr) {
        pcSuffix = pcFound[0] == 'A' ? "AM" : "PM";
        *pcFound = '\0';
    }
    for (size_t n = strlen(acTime); n > 0 && acTime[n - 1] == ' '; --n)
        acTime[n - 1] = '\0';

    const S32 x = ppt->x, y = ppt->y;
    const Style st = style(FALSE);
    T_INFO_vDrawInfoBar(pBitmap, NAV_INFOBOX_WIDTH, NAV_INFOBOX_HEIGHT, x, y, st.eBar);
    const S32 nSuffixX = x + 156 - width(font16x17(), pcSuffix);
    const S32 nSuffixY = y + NAV_INFOBOX_HEIGHT - 4 - (S32)G_FONTS_u32GetCoreHeight(font16x17());
    put(pBitmap, st.text, nSuffixX, nSuffixY, font16x17(), pcSuffix);
    divider(pBitmap, nSuffixX - 5 - 2, nSuffixY - 2, 2, 21);
    put(pBitmap, st.text, x + NAV_INFOBOX_WIDTH - width(f31x57_font_def_ptr, acTime), y + 3, f31x57_font_def_ptr,
        acTime);
    // The title is the published key's own text: "ITMO" names no box here.
    POINT title = {x + 4, y + 107 - (S32)G_FONTS_u32GetHeight(font9x13())};
    DB_ATTRIBUTES extra = {};
    if (H_DATABASE_bFetch(FCID("BTMO"), nullptr, nullptr, &extra) && extra.ppcText != nullptr)
        T_INFO_vDrawInfoTitleText(pBitmap, title.x, title.y, extra.ppcText, font9x13(), nLang);
    else
        T_INFO_vDrawInfoBoxTitle(pBitmap, &title, FCID("BTMO"), font9x13(), nLang);
    vMoveOn(ppt, eDirection);
}

void IBRF_vRenderCrossTrackOverErrorDistanceToGoInfoBox(BITMAP* pBitmap, POINT* ppt, VIB_DIRECTION, U32 nLang)
{
    const BOOLEAN bContour = u32MotorMode() == MODE_CONTOUR;
    vRenderDualInfoBox2(pBitmap, ppt, nLang, FCID("IXTE"), bContour ? FCID("IDST") : FCID("IDTG"));
}

void IBRF_vRenderTimeToGoOverSpeedInfoBox(BITMAP* pBitmap, POINT* ppt, VIB_DIRECTION, U32 nLang)
{
    const BOOLEAN bContour = u32MotorMode() == MODE_CONTOUR;
    vRenderDualInfoBox2(pBitmap, ppt, nLang, bContour ? FCID("IETM") : FCID("ITTG"), FCID("ISPD"));
}

void IBRF_vRenderDistanceTraveledOverElapsedTimeInfoBox(BITMAP* pBitmap, POINT* ppt, VIB_DIRECTION, U32 nLang)
{
    const BOOLEAN bHidden =
        bMotorNavigates() && (u32MotorMode() == MODE_POSITION_HOLD || T_STEVRIN_bIsNavigationPaused());
    IBRF_vRenderDualInfoBox(pBitmap, ppt, nLang, bHidden ? KEY_NONE : FCID("IDST"), &txtDist, FCID("IETM"),
                            nullptr);
}

void IBRF_vRenderDistanceToGoOverTimeToGoInfoBox(BITMAP* pBitmap, POINT* ppt, VIB_DIRECTION eDirection, U32 nLang)
{
    vRenderWaypointBox(pBitmap, ppt, eDirection, nLang, FALSE, &txtTtg, FCID("ITTG"), FCID("IDTG"), TRUE);
}

void IBRF_vRenderDistanceToGoOverEstimatedTimeArrivalInfoBox(BITMAP* pBitmap, POINT* ppt, VIB_DIRECTION eDirection,
                                                             U32 nLang)
{
    vRenderWaypointBox(pBitmap, ppt, eDirection, nLang, FALSE, &txtEta, FCID("IETA"), FCID("IDTG"), TRUE);
}

void IBRF_vRenderDistanceToGoOverTimeToGoFinalInfoBox(BITMAP* pBitmap, POINT* ppt, VIB_DIRECTION eDirection,
                                                      U32 nLang)
{
    vRenderWaypointBox(pBitmap, ppt, eDirection, nLang, TRUE, &txtTtg, FCID("ITTF"), FCID("IDTF"), TRUE);
}

void IBRF_vRenderDistanceToGoOverEstimatedTimeArrivalFinalInfoBox(BITMAP* pBitmap, POINT* ppt,
                                                                  VIB_DIRECTION eDirection, U32 nLang)
{
    vRenderWaypointBox(pBitmap, ppt, eDirection, nLang, TRUE, &txtEta, FCID("IETF"), FCID("IDTF"), FALSE);
}

void IBRF_vRenderCourseMadeGoodOverSpeedMadeGoodInfoBox(BITMAP* pBitmap, POINT* ppt, VIB_DIRECTION, U32 nLang)
{
    FOURCHARID fcidTop = FCID("ICMG");
    FOURCHARID fcidBottom = FCID("ISMG");
    if (bMotorNavigates()) {
        const U32 u32Mode = u32MotorMode();
        if (u32Mode == MODE_TRACK_REVERSE || u32Mode == MODE_TRACK_FORWARD || u32Mode == MODE_CONTOUR) {
            fcidTop = KEY_NONE;
        } else if (u32Mode == MODE_POSITION_HOLD || T_STEVRIN_bIsNavigationPaused()) {
            fcidTop = KEY_NONE;
            fcidBottom = KEY_NONE;
        }
    }
    IBRF_vRenderDualInfoBox(pBitmap, ppt, nLang, fcidTop, &txtCmg, fcidBottom, &txtSmg);
}

void IBRF_vRenderCurrentTrackOverCourseMadeGoodInfoBox(BITMAP* pBitmap, POINT* ppt, VIB_DIRECTION, U32 nLang)
{
    const BOOLEAN bHidden = u32MotorMode() != 0;
    IBRF_vRenderDualInfoBox(pBitmap, ppt, nLang, bHidden ? KEY_NONE : FCID("ITRK"), &txtTrk,
                            bHidden ? KEY_NONE : FCID("ICMG"), &txtCmg);
}

void IBRF_vRenderWayPointOverTimeToGoInfoBox(BITMAP* pBitmap, POINT* ppt, VIB_DIRECTION eDirection, U32 nLang)
{
    const S32 x = ppt->x, y = ppt->y;
    const Style st = style(TRUE);
    T_INFO_vDrawInfoBar(pBitmap, NAV_INFOBOX_WIDTH, NAV_INFOBOX_HEIGHT, x, y, st.eBar);
    char acName[NAV_INFOBOX_NAME_BYTES] = {};
    U8 u8Icon = NO_ICON;
    T_NAV_INFOBOX_vGetStevrinActiveStr(acName, &u8Icon, FALSE);
    S32 nx = x + 3;
    if (u8Icon < NAV_ICON_COUNT && g_NAV_Icons_Large[u8Icon] != nullptr) {
        const POINT at = {nx, y + 62};
        G_ICON_vPut(pBitmap, g_NAV_Icons_Large[u8Icon], &at);
        nx += g_NAV_Icons_Large[u8Icon]->nWidth + 3;
    }
    // A long name is cut at the box's edge rather than drawn into the next box.
    for (size_t n = strlen(acName); n > 0 && nx + width(font16x17(), acName) > x + NAV_INFOBOX_WIDTH - 2; --n)
        acName[n - 1] = '\0';
    put(pBitmap, st.text, nx, y + 65, font16x17(), acName);
    divider(pBitmap, x + 3, y + 50, 152, 2);
    const S32 nLabel = width(font9x13(), text(&txtTtg, nLang));
    put(pBitmap, st.text, x + 3, y + 16, font9x13(), text(&txtTtg, nLang));
    T_INFO_nDrawInfoBox(pBitmap, 154 - nLabel, (S32)G_FONTS_u32GetHeight(font16x17()), x + nLabel, y + 16,
                        FCID("ITTG"), font16x17(), font9x13(), IBS_NONE, CHARTPLOTTER_JUSTIFY_RIGHT, nLang);
    vMoveOn(ppt, eDirection);
}
