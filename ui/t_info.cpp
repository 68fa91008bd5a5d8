// The info task: readout selections and their choice menus, the blink
// phase, the info palette and the small queries the draw callbacks ask.
#include "ui/t_info.h"
#include "ui/t_info_state.h"
#include "ui/t_info_task.h"

#include "graphics/color.h"
#include "graphics/g_truetype.h"
#include "graphics/u_fonts.h"
#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_sema.h"
#include "kernel/l_timer.h"
#include "store/database_msg.h"
#include "store/h_database.h"
#include "ui/t_menu.h"
#include "ui/u_menu_client.h"

#include <atomic>
#include <cstring>

namespace {

const char SOURCE_FILE[] = "t_info";

#define INFO_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

const TEXT_TABLE txtOff = INFO_TEXT("Off");
const TEXT_TABLE txtTimer = INFO_TEXT("Timer");
const TEXT_TABLE txtDigitsFormat = INFO_TEXT("Digits Format");
const TEXT_TABLE txtSmallTenths = INFO_TEXT("Small tenths");
const TEXT_TABLE txtLargeTenths = INFO_TEXT("Large tenths");
const TEXT_TABLE txtNoTenths = INFO_TEXT("No tenths");
const TEXT_TABLE txtUnitsDepth = INFO_TEXT("Units - Depth");
const TEXT_TABLE txtMeters = INFO_TEXT("Meters");
const TEXT_TABLE txtFeet = INFO_TEXT("Feet");
const TEXT_TABLE txtFathoms = INFO_TEXT("Fathoms");
const TEXT_TABLE txtReadout[6] = {INFO_TEXT("Readout 1"), INFO_TEXT("Readout 2"), INFO_TEXT("Readout 3"),
                                  INFO_TEXT("Readout 4"), INFO_TEXT("Readout 5"), INFO_TEXT("Readout 6")};

constexpr MENU_PRIORITY MENU_DIGITS_FORMAT = (MENU_PRIORITY)149;
constexpr MENU_PRIORITY MENU_UNITS_DEPTH = (MENU_PRIORITY)150;
constexpr MENU_PRIORITY MENU_DIGITAL_READOUTS = (MENU_PRIORITY)151;
constexpr MENU_PRIORITY MENU_DIGITAL_NAV_READOUTS = (MENU_PRIORITY)152;

constexpr LAYER_ID NMEA2K_DATA_VIEW = 67;
constexpr LAYER_ID NMEA2K_ONEENGINE_VIEW = 70;
constexpr LAYER_ID SONAR_PPI_DISPLAY_VIEW_PRIORITY = 56;
constexpr LAYER_ID SONAR_PPI_PLUS_2D_VIEW_PRIORITY = 57;
constexpr LAYER_ID SONAR_PPI_PLUS_CHART_VIEW_PRIORITY = 58;

constexpr U32 PALETTE_BLUE = 2;
constexpr U32 PALETTE_BLACK = 3;

const COLOR acInfoPaletteWhiteBackground[4] = {0xFFFF, 0xB5B4, 0x424A, 0x0000};
const COLOR acInfoPaletteBlueBackground[4] = {0x2815, 0x7BFF, 0x8C94, 0xFFFF};
const COLOR acInfoPaletteBlackBackground[4] = {0x0000, 0x5AF5, 0x424A, 0xFFFF};

// Navigation set first (box 1 to 5), then the standard set.
const FOURCHARID fcidSelectionNavigation[6] = {FCID("SC50"), FCID("SC51"), FCID("SC52"), FCID("SC53"),
                                               FCID("SC54"), 0};
const FOURCHARID fcidSelectionSonar[6] = {FCID("SC55"), FCID("SC56"), FCID("SC57"), FCID("SC58"), FCID("SC59"), 0};
const FOURCHARID fcidNavigationDefaults[5] = {FCID("BDEP"), FCID("QXTE"), FCID("BSPD"), FCID("BHDG"),
                                              FCID("QBRG")};
const FOURCHARID fcidStandardDefaults[5] = {FCID("BDEP"), FCID("BPOS"), FCID("BSPD"), FCID("BHDG"),
                                            FCID("BVLT")};
const FOURCHARID fcidWindow[6] = {FCID("SIS1"), FCID("SIS2"), FCID("SIS3"),
                                  FCID("SIS4"), FCID("SIS5"), FCID("SIS6")};

T_INFO_NEIGHBOURS s_neighbours = {};

// Written by the info task, read by every task that draws.
std::atomic<BOOLEAN> s_bBlinkStateOn{FALSE};
std::atomic<U32> s_nPropIconId{0};
std::atomic<U32> s_ePalette{1};
std::atomic<U8> s_u8Alpha{0};
std::atomic<S32> s_eCurrentView{0};

T_INFO_CHOICES s_b = {};
T_INFO_CHOICES s_q = {};
T_INFO_CHOICES s_bq = {};

BOOLEAN s_bFirstTime = TRUE;
BOOLEAN u32IsN2KSelectReadoutMenuUnregister = FALSE;
BOOLEAN s_bSystemRunning = FALSE;
TIMER_INFO* s_pBlinkTimer = nullptr;

U32 s_nRequests = 0;
FOURCHARID s_fcid[6] = {};
U32 s_nWindow[6] = {};

const char* nameOf(const TEXT_TABLE* pText, U32 nLang)
{
    return pText != nullptr && (*pText)[nLang] != nullptr ? (*pText)[nLang] : "";
}

// The data key a readout names; 0 for a drawn readout or a missing key.
FOURCHARID namedKey(FOURCHARID readout)
{
    DB_DATA_TYPE value = {};
    DB_ATTRIBUTES extra = {};
    if (!H_DATABASE_bFetch(readout, &value, nullptr, &extra) || extra.DataType != D_FCID)
        return 0;
    return value.u32Val;
}

void insertAt(T_INFO_CHOICES* pList, U32 at, const TEXT_TABLE* pText, U32 value)
{
    for (U32 k = pList->count; k > at; --k) {
        pList->apChoices[k] = pList->apChoices[k - 1];
        pList->au32Values[k] = pList->au32Values[k - 1];
    }
    pList->apChoices[at] = pText;
    pList->au32Values[at] = value;
    ++pList->count;
}

void loadPalette(U32 u32Palette)
{
    const COLOR* pTable = u32Palette == PALETTE_BLUE    ? acInfoPaletteBlueBackground
                          : u32Palette == PALETTE_BLACK ? acInfoPaletteBlackBackground
                                                        : acInfoPaletteWhiteBackground;
    for (U32 i = 0; i < COLOR_SECTION_INFO_COUNT; ++i)
        gCOLOR_pcolColorTable[COLOR_SECTION_INFO + i] = pTable[i];
    s_ePalette = u32Palette;
}

void selectLanguageFonts(void)
{
    U32 u32Lang = 0;
    if (H_DATABASE_bFetchU32(FCID("SLNG"), &u32Lang, nullptr, nullptr))
        U_FONTS_vSelectFontSet((LANGUAGE)nCurrentLanguage());
}

bool isEngineView(S32 view) { return view >= (S32)NMEA2K_DATA_VIEW && view <= (S32)NMEA2K_ONEENGINE_VIEW; }

void createMenus(void)
{
    static const TEXT_TABLE* const aFormatChoices[3] = {&txtSmallTenths, &txtLargeTenths, &txtNoTenths};
    static const U32 aFormatValues[3] = {SMALL_TENTHS, LARGE_TENTHS, NO_TENTHS};
    U_MENU_bRegisterMainSelectorMenu(&txtDigitsFormat, T_MENU_pSetupTabName, MENU_DIGITS_FORMAT, FCID("SFMT"), 3,
                                     aFormatChoices, aFormatValues, M_ADVANCED);
    static const TEXT_TABLE* const aDepthChoices[3] = {&txtMeters, &txtFeet, &txtFathoms};
    static const U32 aDepthValues[3] = {U_METRES, U_FEET, U_FATHOMS};
    const bool bDomestic = s_neighbours.pfnDomesticModel != nullptr && s_neighbours.pfnDomesticModel();
    U_MENU_bRegisterMainSelectorMenu(&txtUnitsDepth, T_MENU_pSetupTabName, MENU_UNITS_DEPTH, FCID("YUDP"),
                                     bDomestic ? 2 : 3, bDomestic ? aDepthChoices + 1 : aDepthChoices,
                                     bDomestic ? aDepthValues + 1 : aDepthValues, M_BASIC);
}

void registerMainItem(const TEXT_TABLE* pName, MENU_PRIORITY prio)
{
    // The item opens the sub menu of its own name.
    const TEXT_TABLE* const* ppNames = pName == T_INFO_pSelectReadouts ? &T_INFO_pSelectReadouts
                                                                         : &T_INFO_pSelectNavReadouts;
    U_MENU_bRegisterMainSubMenu(pName, T_MENU_pSetupTabName, prio, ppNames, ppNames, nullptr, 1, M_ADVANCED);
}

} // namespace

const TEXT_TABLE* const T_INFO_pSelectReadouts = []() {
    static const TEXT_TABLE t = INFO_TEXT("Select Readouts");
    return &t;
}();
const TEXT_TABLE* const T_INFO_pSelectNavReadouts = []() {
    static const TEXT_TABLE t = INFO_TEXT("Select Nav Readouts");
    return &t;
}();

namespace t_info {

const T_INFO_NEIGHBOURS& neighbours(void) { return s_neighbours; }
U8 alpha(void) { return s_u8Alpha; }
const FOURCHARID* selectionNavigation(void) { return fcidSelectionNavigation; }
const FOURCHARID* selectionStandard(void) { return fcidSelectionSonar; }
S32 currentView(void) { return s_eCurrentView; }
void setCurrentView(S32 view) { s_eCurrentView = view; }
U32 propFrame(void) { return s_nPropIconId; }

} // namespace t_info

void T_INFO_vInstallNeighbours(const T_INFO_NEIGHBOURS* pNeighbours)
{
    s_neighbours = pNeighbours != nullptr ? *pNeighbours : T_INFO_NEIGHBOURS{};
}

// ---- Queries ----

BOOLEAN T_INFO_bBlinkState(void) { return s_bBlinkStateOn; }

U8 T_INFO_u8ConvertAlphaVector(U32 u32AlphaVector)
{
    const U32 u32Palette = s_ePalette;
    const U32 shift = u32Palette == PALETTE_BLUE ? 8 : u32Palette == PALETTE_BLACK ? 16 : 0;
    return (U8)(u32AlphaVector >> shift);
}

void T_INFO_vSetAlpha(U32 u32AlphaVector) { s_u8Alpha = T_INFO_u8ConvertAlphaVector(u32AlphaVector); }

BOOLEAN T_INFO_bFCIDNonZero(FOURCHARID fcid)
{
    U32 u32Value = 0;
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchU32(fcid, &u32Value, &bValid, nullptr) && bValid && u32Value != 0;
}

BOOLEAN T_INFO_bFCIDIsValidSelection(FOURCHARID fcid)
{
    DB_DATA_TYPE value = {};
    DB_ATTRIBUTES extra = {};
    if (!H_DATABASE_bFetch(fcid, &value, nullptr, &extra) || extra.DataType != D_FCID || value.u32Val == 0)
        return FALSE;
    return H_DATABASE_bFetch(value.u32Val, nullptr, nullptr, nullptr);
}

BOOLEAN T_INFO_bIsMssSplit(void)
{
    S32 view = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchS32(FCID("CVEW"), &view, &bValid, nullptr) || !bValid)
        return FALSE;
    return view >= (S32)SONAR_PPI_DISPLAY_VIEW_PRIORITY && view <= (S32)SONAR_PPI_PLUS_CHART_VIEW_PRIORITY;
}

BOOLEAN T_INFO_bIsMssView(void)
{
    S32 view = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchS32(FCID("CVEW"), &view, &bValid, nullptr) || !bValid)
        return FALSE;
    if (view == (S32)SONAR_PPI_DISPLAY_VIEW_PRIORITY)
        return TRUE;
    return (view == (S32)SONAR_PPI_PLUS_2D_VIEW_PRIORITY || view == (S32)SONAR_PPI_PLUS_CHART_VIEW_PRIORITY) &&
           U_VIEW_eCurrentSplit() != SPLIT_LEFT_WINDOW;
}

// ---- Client calls ----

BOOLEAN U_INFO_bSelectBox(FOURCHARID fcidItemToBeDisplayed, U32 u32Desired_window)
{
    if (u32Desired_window == 0 || u32Desired_window > 6)
        return FALSE;
    for (FOURCHARID slot : fcidWindow) {
        U32 u32Value = 0;
        if (H_DATABASE_bFetchU32(slot, &u32Value, nullptr, nullptr) && u32Value == fcidItemToBeDisplayed)
            return TRUE;
    }
    for (U32 n = 0; n < 6; ++n) {
        const U32 window = (u32Desired_window - 1 + n) % 6; // from the window up to 6, then from 1
        U32 u32Value = 0;
        if (H_DATABASE_bFetchU32(fcidWindow[window], &u32Value, nullptr, nullptr) && u32Value == 0) {
            H_DATABASE_bUpdateValueU32(fcidWindow[window], fcidItemToBeDisplayed, P_NORMAL);
            return TRUE;
        }
    }
    return FALSE;
}

BOOLEAN U_INFO_bDisplayInInfoBox(FOURCHARID fcidItemToBeDisplayed, U32 u32Desired_window)
{
    if (s_nRequests >= 6)
        return FALSE;
    s_fcid[s_nRequests] = fcidItemToBeDisplayed;
    s_nWindow[s_nRequests] = u32Desired_window;
    ++s_nRequests;
    return U_INFO_bSelectBox(fcidItemToBeDisplayed, u32Desired_window);
}

void U_INFO_vReinitializeInfoBoxes(void)
{
    for (U32 i = 0; i < s_nRequests; ++i)
        U_INFO_bSelectBox(s_fcid[i], s_nWindow[i]);
}

// ---- Lists and menus ----

const T_INFO_CHOICES& T_INFO_rBChoices(void) { return s_b; }
const T_INFO_CHOICES& T_INFO_rQChoices(void) { return s_q; }
const T_INFO_CHOICES& T_INFO_rMergedChoices(void) { return s_bq; }

void T_INFO_vFetchAllBeginningWith(char cMatch, T_INFO_CHOICES* pList, U32 nLang)
{
    *pList = T_INFO_CHOICES{};
    pList->apChoices[0] = &txtOff;
    pList->au32Values[0] = 0;
    pList->count = 1;
    MULTI_FETCH_CONTROL_STRUCTURE control = {};
    control.cMatch = (U8)cMatch;
    control.__bNotFirst = FALSE;
    while (pList->count < T_INFO_MAX_CHOICES && H_DATABASE_bFetchNextBeginningWith(&control)) {
        if (control.extras.ppcText == nullptr)
            continue;
        const TEXT_TABLE* pText = reinterpret_cast<const TEXT_TABLE*>(control.extras.ppcText);
        const char* pName = nameOf(pText, nLang);
        U32 at = pList->count;
        for (U32 j = 0; j < pList->count; ++j)
            if (strncmp(nameOf(pList->apChoices[j], nLang), pName, 10) > 0) {
                at = j;
                break;
            }
        insertAt(pList, at, pText, control.id);
    }
}

void T_INFO_vCombineChoices(const T_INFO_CHOICES& b, const T_INFO_CHOICES& q, T_INFO_CHOICES* pMerged, U32 nLang)
{
    *pMerged = q;
    for (U32 i = 0; i < b.count && pMerged->count < T_INFO_MAX_CHOICES; ++i) {
        // A readout already offered, or one that shows the same data key as
        // one offered, is offered once.
        const FOURCHARID shows = namedKey(b.au32Values[i]);
        bool bKnown = false;
        for (U32 j = 0; j < pMerged->count && !bKnown; ++j)
            bKnown = pMerged->au32Values[j] == b.au32Values[i] ||
                     (shows != 0 && pMerged->au32Values[j] != 0 && namedKey(pMerged->au32Values[j]) == shows);
        if (bKnown)
            continue;
        const char* pName = nameOf(b.apChoices[i], nLang);
        U32 at = pMerged->count;
        for (U32 j = 0; j < pMerged->count; ++j)
            if (strncmp(nameOf(pMerged->apChoices[j], nLang), pName, 10) > 0) {
                at = j;
                break;
            }
        insertAt(pMerged, at, b.apChoices[i], b.au32Values[i]);
    }
}

void T_INFO_vUpdateInfoboxChoices(void)
{
    if (s_bFirstTime) {
        registerMainItem(T_INFO_pSelectReadouts, MENU_DIGITAL_READOUTS);
        registerMainItem(T_INFO_pSelectNavReadouts, MENU_DIGITAL_NAV_READOUTS);
        s_bFirstTime = FALSE;
    } else {
        S32 view = 0;
        H_DATABASE_bFetchS32(FCID("CVEW"), &view, nullptr, nullptr);
        if (u32IsN2KSelectReadoutMenuUnregister && isEngineView(view))
            return;
        for (int i = 0; i < 6; ++i)
            U_MENU_bUnregisterSubMenuItem(T_INFO_pSelectReadouts, &txtReadout[i]);
        for (int i = 0; i < 5; ++i)
            U_MENU_bUnregisterSubMenuItem(T_INFO_pSelectNavReadouts, &txtReadout[i]);
        registerMainItem(T_INFO_pSelectReadouts, MENU_DIGITAL_READOUTS);
        if (isEngineView(view)) {
            U_MENU_bUnregisterMainMenuItem(T_INFO_pSelectNavReadouts, T_MENU_pSetupTabName);
            u32IsN2KSelectReadoutMenuUnregister = TRUE;
            return;
        }
    }
    registerMainItem(T_INFO_pSelectNavReadouts, MENU_DIGITAL_NAV_READOUTS);
    u32IsN2KSelectReadoutMenuUnregister = FALSE;

    const U32 nLang = nCurrentLanguage();
    T_INFO_vFetchAllBeginningWith('B', &s_b, nLang);
    T_INFO_vFetchAllBeginningWith('Q', &s_q, nLang);
    T_INFO_vCombineChoices(s_b, s_q, &s_bq, nLang);
    for (int i = 0; i < 5; ++i) {
        const MENU_PRIORITY prio = (MENU_PRIORITY)(MENU_PRIORITY_0 + i);
        U_MENU_bRegisterSubMenuSelectorMenu(&txtReadout[i], T_INFO_pSelectReadouts, nullptr, prio,
                                            fcidSelectionSonar[i], s_b.count, s_b.apChoices, s_b.au32Values,
                                            M_BASIC);
        U_MENU_bRegisterSubMenuSelectorMenu(&txtReadout[i], T_INFO_pSelectNavReadouts, nullptr, prio,
                                            fcidSelectionNavigation[i], s_bq.count, s_bq.apChoices,
                                            s_bq.au32Values, M_BASIC);
    }
}

// ---- The task ----

void T_INFO_vSetDefaultSettings(BOOLEAN bForceFactoryDefaults)
{
    const U32 prio = bForceFactoryDefaults ? P_NORMAL : P_DEFAULT_SETTING;
    for (int i = 0; i < 5; ++i) {
        H_DATABASE_bUpdateEverythingU32(fcidSelectionNavigation[i], fcidNavigationDefaults[i], prio, D_FCID,
                                        nullptr, DB_TIMEOUT_NEVER);
        H_DATABASE_bUpdateEverythingU32(fcidSelectionSonar[i], fcidStandardDefaults[i], prio, D_FCID, nullptr,
                                        DB_TIMEOUT_NEVER);
    }
    H_DATABASE_bUpdateEverythingU32(FCID("SFMT"), LARGE_TENTHS, prio, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

void T_INFO_vInit(void)
{
    s_bFirstTime = TRUE;
    s_bSystemRunning = FALSE;
    u32IsN2KSelectReadoutMenuUnregister = FALSE;
    if (H_DATABASE_bUpdateEverythingU32(FCID("TINF"), (U32)INFO_MAILBOX, P_NORMAL, D_MAILBOX, nullptr,
                                        DB_TIMEOUT_NEVER)) {
        ERROR_error(SOURCE_FILE, 861, "Somebody else registered the Info Task Maibox");
        U_RESET_vReset(FALSE, FALSE);
    }
    T_INFO_vSetDefaultSettings(FALSE);
    for (FOURCHARID key : {FCID("SLNG"), FCID("INIP"), FCID("CVEW")})
        H_DATABASE_bRegisterForDataWithConditions(key, INFO_MAILBOX, TRUE, FALSE, FALSE);
    selectLanguageFonts();
    H_DATABASE_bRegisterForDataWithConditions(FCID("SPAL"), INFO_MAILBOX, TRUE, FALSE, FALSE);
    U32 u32Palette = 1;
    H_DATABASE_bFetchU32(FCID("SPAL"), &u32Palette, nullptr, nullptr);
    loadPalette(u32Palette);
    H_DATABASE_bUpdateEverythingU32(FCID("ITAW"), 0, P_NORMAL, D_TIME, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingU32(FCID("BTAW"), FCID("ITAW"), P_NORMAL, D_FCID,
                                    const_cast<const char*(*)[DB_NUM_LANGUAGES]>(&txtTimer), DB_TIMEOUT_NEVER);
}

void T_INFO_vBlinkTick(void)
{
    s_nPropIconId = (s_nPropIconId.load() + 1) % 3;
    if (s_neighbours.pfnAlarmCheckTimer != nullptr)
        s_neighbours.pfnAlarmCheckTimer();
    s_bBlinkStateOn = s_bBlinkStateOn.load() == FALSE ? TRUE : FALSE;
    L_SEMA_Signal(SEMA_VIEW_UPDATE);
}

void T_INFO_vInfoboxUpdate(void)
{
    if (s_bSystemRunning)
        T_INFO_vUpdateInfoboxChoices();
}

void T_INFO_vHandleMail(MSGHEADER* pHeader)
{
    const GENERIC_MESSAGE* pMsg = reinterpret_cast<const GENERIC_MESSAGE*>(pHeader);
    switch (pMsg->Cmd) {
    case CMD_ID_RESET_POS:
        T_INFO_vSetDefaultSettings(TRUE);
        break;
    case CMD_ID_RUN_SYSTEM:
        if (!s_bSystemRunning) {
            createMenus();
            T_INFO_vUpdateInfoboxChoices();
            s_bSystemRunning = TRUE;
        }
        if (s_pBlinkTimer == nullptr) {
            s_pBlinkTimer = L_TIMER_Allocate();
            if (s_pBlinkTimer != nullptr)
                L_TIMER_Start(s_pBlinkTimer, 1000, 1000, SEMA_TIMER_INFO);
        }
        break;
    case CMD_ID_NEW_DATA: {
        if (!s_bSystemRunning)
            break;
        const MESSAGE_NEW_DATA* pData = reinterpret_cast<const MESSAGE_NEW_DATA*>(pMsg);
        if (pData->FourCharId == FCID("SPAL")) {
            loadPalette(pData->dbValue.u32Val);
        } else if (pData->FourCharId == FCID("INIP")) {
            T_INFO_vUpdateInfoboxChoices();
        } else if (pData->FourCharId == FCID("CVEW")) {
            s_eCurrentView = pData->dbValue.s32Val;
        } else if (pData->FourCharId == FCID("SLNG")) {
            T_INFO_vUpdateInfoboxChoices();
            selectLanguageFonts();
            G_TRUETYPE_vRemoveList();
        }
        break;
    }
    default:
        break;
    }
    H_MEMORY_vDumpMail(pHeader);
}

void T_INFO_vMain(void)
{
    static const SEMA waitList[] = {SEMA_MBOX_INFO, SEMA_INFOBOX_UPDATE, SEMA_TIMER_INFO, 0};
    T_INFO_vInit();
    for (;;) {
        const SEMA fired = L_SEMA_WaitMultiple(waitList);
        if (fired == SEMA_TIMER_INFO) {
            T_INFO_vBlinkTick();
        } else if (fired == SEMA_INFOBOX_UPDATE) {
            T_INFO_vInfoboxUpdate();
        } else if (fired == SEMA_MBOX_INFO) {
            while (MSGHEADER* pHeader = L_MBOX_Receive(INFO_MAILBOX))
                T_INFO_vHandleMail(pHeader);
        }
    }
}
