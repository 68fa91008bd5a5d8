// The display task (see t_display.h).
//
// Start-up: frame buffer and backlight up, "TDSP" published (a second owner
// is fatal), the POWER key and the "CCST" subscription made, "DSFB"
// published, the palette and 360-ping defaults set, then the ready
// semaphore 182 for the start-up task. The keyboard task starts after this
// one, so the POWER key registration normally fails at first: a 100 ms
// timer then repeats what is missing until both the key and the
// subscription are in place, and is released for good.
//
// The pop-up: closed, only POWER reaches the task and opens it (when the
// first-boot quick configuration is done); open, the task holds every key,
// POWER and EXIT close it, the cursor key moves the highlight (north, south)
// and changes the highlighted row's value (west down, east up). Every key
// gives a click: semaphore 102 when it did something, 103 when not. Every
// visible change asks the view task for a frame (semaphore 106).
#include "ui/t_display.h"

#include "graphics/color.h"
#include "graphics/g_buffers.h"
#include "ui/t_display_state.h"
#include "graphics/u_palette.h"
#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_sema.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "platform/h_backlight.h"
#include "platform/h_display.h"
#include "store/database_msg.h"
#include "store/h_database.h"

#include <cmath>

namespace t_display {

std::atomic<BOOLEAN> s_bContrastMenuDisplayed{FALSE};
std::atomic<POWER_KEY_MENU_ITEMS> s_bActiveMenuItem{PwrMnu_Prop_Control};
std::atomic<BOOLEAN> s_bPropMenuActive{FALSE};
std::atomic<STEVRIN_NG_STATE> s_eMotorState{NG_UNKNOWN};
std::atomic<STEVRIN_MOTOR_TYPE> s_eMotorType{ST_MT_UNKNOWN};

std::mutex s_recordLock;
M_SELECTION_BOX_PARAMETERS s_sPropOnOffParams = {};
M_SELECTION_BOX_PARAMETERS s_sSonarOnOffParams = {};
M_SELECTION_BOX_PARAMETERS s_sBoxParameters = {};
M_SELECTION_BOX_PARAMETERS s_sBMTStartStopParams = {};
M_SLIDER_PARAMETERS s_sPropThrustParams = {};

const MENU_LIMITS aThrustLimits[1] = {{U_NONE, 0.0f, 10.0f, 0.5f}};

bool bMotorRowApplies(POWER_KEY_MENU_ITEMS eRow, STEVRIN_NG_STATE eState)
{
    switch (eRow) {
    case PwrMnu_Motor_Stow:
        return eState == NG_DEPLOYED || eState == NG_PAUSED;
    case PwrMnu_Motor_Deploy:
        return eState == NG_STOWED || eState == NG_PAUSED;
    case PwrMnu_Motor_Pause:
        return eState == NG_DEPLOYING || eState == NG_STOWING || eState == NG_ERROR;
    default:
        return false;
    }
}

} // namespace t_display

using namespace t_display;

namespace {

constexpr const char* SOURCE_FILE = "./Working/SOURCE/t_display.c";

constexpr FOURCHARID KEY_TDSP = FCID("TDSP");
constexpr FOURCHARID KEY_DSFB = FCID("DSFB");
constexpr FOURCHARID KEY_SPAL = FCID("SPAL");
constexpr FOURCHARID KEY_MBMS = FCID("MBMS");
constexpr FOURCHARID KEY_CCST = FCID("CCST");
constexpr FOURCHARID KEY_CBAK = FCID("CBAK");
constexpr FOURCHARID KEY_CREV = FCID("CREV");
constexpr FOURCHARID KEY_SQCD = FCID("SQCD");
constexpr FOURCHARID KEY_IPNE = FCID("IPNE");
constexpr FOURCHARID KEY_IPPL = FCID("IPPL");
constexpr FOURCHARID KEY_IPMS = FCID("IPMS");
constexpr FOURCHARID KEY_IIMT = FCID("IIMT");
constexpr FOURCHARID KEY_IPPT = FCID("IPPT");
constexpr FOURCHARID KEY_IPCA = FCID("IPCA");

constexpr U32 KEYS_ALL_BUT_POWER = 0xFFFE;
constexpr U32 KEYS_ALL_BUT_POWER_AND_CURSOR = 0xFFEE;
constexpr TICKS RETRY_PERIOD = 100;
constexpr U32 BACKLIGHT_FULL = 10;
constexpr U32 DEFAULT_PALETTE = 1; // white background

const char* Color_Palette[DB_NUM_LANGUAGES] = {
    "Color Palette", "Color Palette", "Color Palette", "Color Palette", "Color Palette", "Color Palette",
    "Color Palette", "Color Palette", "Color Palette", "Color Palette", "Color Palette", "Color Palette",
    "Color Palette", "Color Palette", "Color Palette", "Color Palette", "Color Palette", "Color Palette",
    "Color Palette", "Color Palette", "Color Palette", "Color Palette"};

BOOLEAN s_bBacklightChanged = FALSE;
BOOLEAN s_bPropMenuEnabled = FALSE;
BOOLEAN s_bPropLockedOut = FALSE;
TIMER_INFO* s_pA2DTimer = nullptr;
BOOLEAN alreadyRegistered = FALSE;   // the POWER key
BOOLEAN timerStarted = FALSE;        // the retry timer, once
BOOLEAN s_bAlreadyRegistered = FALSE; // the "CCST" subscription

void vGoodClick(void) { L_SEMA_Signal(SEMA_KEYCLICK_GOOD); }
void vBadClick(void) { L_SEMA_Signal(SEMA_KEYCLICK_BAD); }
void vRequestFrame(void) { L_SEMA_Signal(SEMA_VIEW_UPDATE); }

// TRUE for a written, valid value.
bool bFetchU32(FOURCHARID key, U32* pu32Value)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchU32(key, pu32Value, &bValid, nullptr) && bValid;
}

bool bKeyIsTrue(FOURCHARID key)
{
    U32 u32Value = 0;
    return bFetchU32(key, &u32Value) && u32Value != 0;
}

// ---- Start-up and the retry timer ----

void vApplyPaletteRule(U32 u32SystemState)
{
    switch ((S32)u32SystemState) {
    case STATE_POINT_OF_SALE:
        H_DATABASE_bUpdateValueU32(KEY_CBAK, BACKLIGHT_FULL, P_NORMAL);
        H_DATABASE_bUpdateValueU32(KEY_SPAL, DEFAULT_PALETTE, P_NORMAL);
        COLOR_vSetPOSPalette();
        break;
    case STATE_INLINE_TEST:
        H_DATABASE_bUpdateValueU32(KEY_CBAK, BACKLIGHT_FULL, P_NORMAL);
        H_DATABASE_bUpdateValueU32(KEY_SPAL, DEFAULT_PALETTE, P_NORMAL);
        COLOR_vSetStandardPalette();
        break;
    case STATE_BURN_IN:
        H_DATABASE_bUpdateValueU32(KEY_CBAK, BACKLIGHT_FULL, P_NORMAL);
        COLOR_vSetStandardPalette();
        H_DATABASE_bUpdateValueU32(KEY_SPAL, DEFAULT_PALETTE, P_NORMAL);
        break;
    default:
        COLOR_vSetStandardPalette();
        break;
    }
}

BOOLEAN bRegisterPowerKey(void)
{
    return U_KEYBOARD_bRegisterKeys(DISPLAY_MAILBOX, KEY_POWER, KEY_DOWN, FALSE, FALSE, CURSOR_4, REGISTER_CONTRAST);
}

bool bSubscribeSystemState(void)
{
    if (!H_DATABASE_bRegisterForDataWithConditions(KEY_CCST, DISPLAY_MAILBOX, TRUE, FALSE, FALSE))
        return false;
    U32 u32State = 0;
    if (bFetchU32(KEY_CCST, &u32State))
        vApplyPaletteRule(u32State);
    s_bAlreadyRegistered = TRUE;
    return true;
}

void vStartRetryTimer(void)
{
    if (timerStarted)
        return;
    s_pA2DTimer = L_TIMER_Allocate();
    if (s_pA2DTimer == nullptr) {
        log_me("%s: no timer for the key and state retries", SOURCE_FILE);
        return;
    }
    L_TIMER_Start(s_pA2DTimer, RETRY_PERIOD, RETRY_PERIOD, SEMA_DISPLAY_RETRY);
    timerStarted = TRUE;
}

void vRetry(void)
{
    if (s_pA2DTimer == nullptr)
        return;
    if (!alreadyRegistered) {
        alreadyRegistered = bRegisterPowerKey();
        if (!alreadyRegistered)
            return;
    }
    if (!s_bAlreadyRegistered && !bSubscribeSystemState())
        return;
    U_VIEW_bUnRegisterLayer(PRESS_POWER_LAYER);
    L_TIMER_Stop(s_pA2DTimer);
    L_TIMER_Release(s_pA2DTimer);
    s_pA2DTimer = nullptr;
}

void vFatal(U32 u32Line, const char* pcText)
{
    ERROR_error(SOURCE_FILE, u32Line, pcText);
    U_RESET_vReset(0, 0);
}

void vStartUp(void)
{
    H_DISPLAY_vInitScreen(DISPLAY_MAILBOX);
    H_BACKLIGHT_vSetup(DISPLAY_MAILBOX);

    if (H_DATABASE_bUpdateEverythingU32(KEY_TDSP, (U32)DISPLAY_MAILBOX, P_NORMAL, D_MAILBOX, nullptr,
                                        DB_TIMEOUT_NEVER))
        vFatal(412, "Somebody else registered the Display Task Maibox");

    alreadyRegistered = bRegisterPowerKey();
    if (!alreadyRegistered)
        vStartRetryTimer();
    if (!s_bAlreadyRegistered && !bSubscribeSystemState())
        vStartRetryTimer();

    if (H_DATABASE_bUpdateEverythingVoidPointer(KEY_DSFB, H_DISPLAY_psbGetFrameBufferPointer(), P_NORMAL,
                                                D_POINTER, nullptr, DB_TIMEOUT_NEVER))
        vFatal(430, "Somebody else registered the Screen Frame Buffer Pointer");

    DB_DATA_TYPE dbPalette = {};
    dbPalette.u32Val = DEFAULT_PALETTE;
    DB_ATTRIBUTES paletteAttributes = {D_UNKNOWN, &Color_Palette, DB_TIMEOUT_NEVER};
    H_DATABASE_vReadOrSetDefault(KEY_SPAL, &dbPalette, P_DEFAULT_SETTING, &paletteAttributes);
    DB_DATA_TYPE dbPing = {};
    DB_ATTRIBUTES pingAttributes = {D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER};
    H_DATABASE_vReadOrSetDefault(KEY_MBMS, &dbPing, P_DEFAULT_SETTING, &pingAttributes);

    L_SEMA_Signal(SEMA_DISPLAY_READY);
}

// ---- Rows and the highlight ----

// The first motor row for the state, PwrMnu_Last_Item when none applies.
POWER_KEY_MENU_ITEMS eFirstMotorAction(STEVRIN_NG_STATE eState)
{
    switch (eState) {
    case NG_DEPLOYING:
    case NG_STOWING:
    case NG_ERROR:
        return PwrMnu_Motor_Pause;
    case NG_DEPLOYED:
    case NG_PAUSED:
        return PwrMnu_Motor_Stow;
    case NG_STOWED:
        return PwrMnu_Motor_Deploy;
    default:
        return PwrMnu_Last_Item;
    }
}

bool bIsPropRow(POWER_KEY_MENU_ITEMS eRow) { return eRow == PwrMnu_Prop_Control || eRow == PwrMnu_Prop_Thrust; }

bool bIsMotorRow(POWER_KEY_MENU_ITEMS eRow)
{
    return eRow == PwrMnu_Motor_Stow || eRow == PwrMnu_Motor_Deploy || eRow == PwrMnu_Motor_Pause;
}

bool bMotorRowShown(POWER_KEY_MENU_ITEMS eRow)
{
    return s_eMotorType == ST_MT_QUENBY && bMotorRowApplies(eRow, s_eMotorState);
}

// Whether the row takes part in the highlight's order. The last four
// always do, also the 360-ping row when it is not drawn.
bool bRowInOrder(POWER_KEY_MENU_ITEMS eRow)
{
    switch (eRow) {
    case PwrMnu_Prop_Control:
        return s_bPropMenuActive;
    case PwrMnu_Prop_Thrust:
        return s_bPropMenuActive && !bKeyIsTrue(KEY_IPCA);
    case PwrMnu_Motor_Stow:
    case PwrMnu_Motor_Deploy:
    case PwrMnu_Motor_Pause:
        return bMotorRowShown(eRow);
    default:
        return true;
    }
}

void vHighlightDown(void)
{
    const POWER_KEY_MENU_ITEMS eFrom = s_bActiveMenuItem;
    if (eFrom == PwrMnu_Prop_Control && bKeyIsTrue(KEY_IPCA)) {
        s_bActiveMenuItem = PwrMnu_Motor_Stow;
        return;
    }
    for (int i = eFrom + 1; i < PwrMnu_Last_Item; ++i)
        if (bRowInOrder((POWER_KEY_MENU_ITEMS)i)) {
            s_bActiveMenuItem = (POWER_KEY_MENU_ITEMS)i;
            return;
        }
    for (int i = 0; i < PwrMnu_Last_Item; ++i)
        if (bRowInOrder((POWER_KEY_MENU_ITEMS)i)) {
            s_bActiveMenuItem = (POWER_KEY_MENU_ITEMS)i;
            return;
        }
}

void vHighlightUp(void)
{
    const POWER_KEY_MENU_ITEMS eFrom = s_bActiveMenuItem;
    for (int i = (int)eFrom - 1; i >= 0; --i)
        if (bRowInOrder((POWER_KEY_MENU_ITEMS)i)) {
            s_bActiveMenuItem = (POWER_KEY_MENU_ITEMS)i;
            return;
        }
    s_bActiveMenuItem = PwrMnu_BowMounted_Adj;
}

// ---- Values ----

bool bStepSelection(M_SELECTION_BOX_PARAMETERS& rRecord, bool bUp)
{
    FOURCHARID key;
    U32 u32Value;
    {
        std::lock_guard<std::mutex> guard(s_recordLock);
        // A record no frame has filled yet has no choices to step through.
        if (rRecord.numberSelections == 0 || rRecord.pSelectionValueArray == nullptr)
            return false;
        if (bUp ? rRecord.CurSelection + 1u >= rRecord.numberSelections : rRecord.CurSelection == 0)
            return false;
        rRecord.CurSelection = (U8)(bUp ? rRecord.CurSelection + 1 : rRecord.CurSelection - 1);
        key = rRecord.FourCharId;
        u32Value = rRecord.pSelectionValueArray[rRecord.CurSelection];
    }
    H_DATABASE_bUpdateValueU32(key, u32Value, P_NORMAL);
    return true;
}

void vStepThrust(bool bUp)
{
    const MENU_LIMITS& limits = aThrustLimits[0];
    float fValue = 0.0f;
    H_DATABASE_bFetchFloat(KEY_IPPT, &fValue, nullptr, nullptr);
    const float fSteps = std::nearbyint(fValue / limits.fIncrement); // ties to even
    float fNew;
    if (bUp) {
        fNew = fValue >= limits.fMaximum ? limits.fMaximum : (fSteps + 1.0f) * limits.fIncrement;
        if (fNew > limits.fMaximum)
            fNew = limits.fMaximum;
    } else {
        fNew = fValue <= limits.fMinimum ? limits.fMinimum : (fSteps - 1.0f) * limits.fIncrement;
        if (fNew < limits.fMinimum)
            fNew = limits.fMinimum;
    }
    H_DATABASE_bUpdateValueFloat(KEY_IPPT, fNew, P_NORMAL);
}

// West (down) or east (up) on the highlighted row; FALSE when refused.
bool bChangeValue(bool bUp)
{
    const POWER_KEY_MENU_ITEMS eRow = s_bActiveMenuItem;
    switch (eRow) {
    case PwrMnu_Prop_Control:
        return bStepSelection(s_sPropOnOffParams, bUp);
    case PwrMnu_Sonar_Control:
        return bStepSelection(s_sSonarOnOffParams, bUp);
    case PwrMnu_Contrast_Adj:
        return bStepSelection(s_sBoxParameters, bUp);
    case PwrMnu_BowMounted_Adj:
        return bStepSelection(s_sBMTStartStopParams, bUp);
    case PwrMnu_Prop_Thrust:
        vStepThrust(bUp);
        return true;
    case PwrMnu_Backlight_Adj:
        s_bBacklightChanged = TRUE;
        return H_BACKLIGHT_bChange(bUp ? 1 : -1);
    case PwrMnu_Motor_Stow:
    case PwrMnu_Motor_Deploy:
    case PwrMnu_Motor_Pause:
        // The highlight can rest on a motor row that is no longer shown;
        // the motor is only commanded from a row the user can see.
        if (!bUp || !bMotorRowShown(eRow))
            return false;
        if (eRow == PwrMnu_Motor_Stow)
            U_STEVRIN_vStowMotor();
        else if (eRow == PwrMnu_Motor_Deploy)
            U_STEVRIN_vDeployMotor();
        else
            U_STEVRIN_vPauseMotor();
        return true;
    default:
        return false;
    }
}

// ---- Opening and closing ----

void vOpenPopUp(void)
{
    vGoodClick();
    H_BACKLIGHT_vSave();
    if (s_eMotorType == ST_MT_QUENBY) {
        if (!s_bPropMenuActive) {
            const POWER_KEY_MENU_ITEMS eFirst = eFirstMotorAction(s_eMotorState);
            s_bActiveMenuItem = eFirst != PwrMnu_Last_Item ? eFirst : PwrMnu_Sonar_Control;
        }
    } else {
        s_bActiveMenuItem = s_bPropMenuActive ? PwrMnu_Prop_Control : PwrMnu_Sonar_Control;
    }
    if (bKeyIsTrue(KEY_SQCD)) {
        U_KEYBOARD_bRegisterKeys(DISPLAY_MAILBOX, KEYS_ALL_BUT_POWER_AND_CURSOR, KEY_DOWN, FALSE, FALSE, CURSOR_4,
                                 REGISTER_CONTRAST);
        U_KEYBOARD_bRegisterKeys(DISPLAY_MAILBOX, KEY_CURSOR, KEY_DOWN, TRUE, FALSE, CURSOR_4, REGISTER_CONTRAST);
        U_VIEW_bRegisterLayer(T_DISPLAY_vDrawLayer, CONTRAST_LAYER, USED_BY_ALL, 0, 0, TRUE, nullptr, nullptr,
                              nullptr);
        s_bContrastMenuDisplayed = TRUE;
        vRequestFrame();
    }
    s_bBacklightChanged = FALSE;
}

void vClosePopUp(void)
{
    U_KEYBOARD_bUnregisterKeys(DISPLAY_MAILBOX, KEYS_ALL_BUT_POWER);
    U_VIEW_bUnRegisterLayer(CONTRAST_LAYER);
    s_bContrastMenuDisplayed = FALSE;
    vRequestFrame();
}

void vHandleKey(const MSG_KEY_CHANGE* pKey)
{
    if (!s_bContrastMenuDisplayed) {
        // A key mail that was on its way when the pop-up closed and let the
        // other keys go must not open it again.
        if (pKey->key == KEY_POWER)
            vOpenPopUp();
        return;
    }
    bool bDone;
    switch (pKey->key) {
    case KEY_POWER:
    case KEY_EXIT:
        vGoodClick();
        vClosePopUp();
        if (!s_bBacklightChanged)
            H_BACKLIGHT_vRestore();
        return;
    case KEY_CURSOR:
        switch (pKey->cursor) {
        case CURSOR_NORTH:
            vHighlightUp();
            bDone = true;
            break;
        case CURSOR_SOUTH:
            vHighlightDown();
            bDone = true;
            break;
        case CURSOR_WEST:
            bDone = bChangeValue(false);
            break;
        case CURSOR_EAST:
            bDone = bChangeValue(true);
            break;
        default:
            bDone = false;
            break;
        }
        break;
    default:
        bDone = false;
        break;
    }
    if (bDone) {
        vGoodClick();
        vRequestFrame();
    } else {
        vBadClick();
    }
}

// ---- Data-store changes, reset and run ----

void vLeavePropRows(void)
{
    if (bIsPropRow(s_bActiveMenuItem))
        s_bActiveMenuItem = PwrMnu_Motor_Stow;
}

void vHandleNewData(const MESSAGE_NEW_DATA* pData)
{
    const U32 u32Value = pData->dbValue.u32Val;
    switch (pData->FourCharId) {
    case KEY_CBAK:
        H_BACKLIGHT_vChangeIntensity((DISPLAY_BACKLIGHT)u32Value);
        break;
    case KEY_CCST:
        vApplyPaletteRule(u32Value);
        break;
    case KEY_CREV:
        H_BACKLIGHT_vProcessRevisionBits(u32Value);
        H_BACKLIGHT_vChangeIntensity((DISPLAY_BACKLIGHT)BACKLIGHT_FULL);
        break;
    case KEY_IIMT:
        s_eMotorType = (STEVRIN_MOTOR_TYPE)u32Value;
        break;
    case KEY_IPNE:
        s_bPropMenuEnabled = u32Value != 0;
        s_bPropMenuActive = s_bPropMenuEnabled && !s_bPropLockedOut;
        vLeavePropRows();
        break;
    case KEY_IPPL:
        s_bPropLockedOut = u32Value != 0;
        s_bPropMenuActive = s_bPropMenuEnabled && !s_bPropLockedOut;
        if (s_bPropLockedOut && bIsPropRow(s_bActiveMenuItem)) {
            const POWER_KEY_MENU_ITEMS eFirst = eFirstMotorAction(s_eMotorState);
            s_bActiveMenuItem = eFirst != PwrMnu_Last_Item ? eFirst : PwrMnu_Motor_Stow;
        }
        break;
    case KEY_IPMS: {
        s_eMotorState = (STEVRIN_NG_STATE)u32Value;
        const POWER_KEY_MENU_ITEMS eFirst = eFirstMotorAction(s_eMotorState);
        if (bIsMotorRow(s_bActiveMenuItem) && eFirst != PwrMnu_Last_Item)
            s_bActiveMenuItem = eFirst;
        break;
    }
    default:
        break;
    }
}

void vReset(void)
{
    U32 u32State = 0;
    if (bFetchU32(KEY_CCST, &u32State) && u32State == (U32)STATE_POINT_OF_SALE)
        H_DATABASE_bUpdateValueU32(KEY_CBAK, BACKLIGHT_FULL, P_NORMAL);
    if (s_bContrastMenuDisplayed)
        vClosePopUp();
    H_DATABASE_bUpdateValueU32(KEY_SPAL, DEFAULT_PALETTE, P_NORMAL);
}

// The key's valid value, or 0 written as its value when it has none; the
// task follows its changes from then on.
U32 u32FollowLinkKey(FOURCHARID key)
{
    U32 u32Value = 0;
    if (!bFetchU32(key, &u32Value)) {
        u32Value = 0;
        H_DATABASE_bUpdateEverythingU32(key, 0, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    }
    H_DATABASE_bRegisterForDataWithConditions(key, DISPLAY_MAILBOX, TRUE, FALSE, FALSE);
    return u32Value;
}

void vRunSystem(void)
{
    U_PALETTE_vRegisterMenuItem();
    float fThrust = 0.0f;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchFloat(KEY_IPPT, &fThrust, &bValid, nullptr) || !bValid)
        H_DATABASE_bUpdateEverythingFloat(KEY_IPPT, 0.0f, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    s_bPropMenuEnabled = u32FollowLinkKey(KEY_IPNE) != 0;
    s_bPropLockedOut = u32FollowLinkKey(KEY_IPPL) != 0;
    s_eMotorState = (STEVRIN_NG_STATE)u32FollowLinkKey(KEY_IPMS);
    s_eMotorType = (STEVRIN_MOTOR_TYPE)u32FollowLinkKey(KEY_IIMT);
    s_bPropMenuActive = s_bPropMenuEnabled && !s_bPropLockedOut;
}

void vHandleMail(MSGHEADER* pHeader)
{
    const GENERIC_MESSAGE* pMsg = reinterpret_cast<const GENERIC_MESSAGE*>(pHeader);
    switch (pMsg->Cmd) {
    case CMD_ID_SHUTDOWN:
        H_DISPLAY_vPowerDown();
        break;
    case CMD_ID_NEW_DATA:
        vHandleNewData(reinterpret_cast<const MESSAGE_NEW_DATA*>(pHeader));
        break;
    case CMD_ID_RESET_POS:
        vReset();
        break;
    case CMD_ID_DISPLAY_SCREEN: {
        BITMAP* pBitmap = reinterpret_cast<MSG_DISPLAY_SCREEN*>(pHeader)->pBitmap;
        H_DISPLAY_vDisplayBitmap(pBitmap);
        G_BUFFERS_vFreeFullScreenBitmapHeader(pBitmap);
        break;
    }
    case CMD_ID_KEY_CHANGE:
        vHandleKey(reinterpret_cast<const MSG_KEY_CHANGE*>(pHeader));
        break;
    case CMD_ID_RUN_SYSTEM:
        vRunSystem();
        break;
    default:
        break;
    }
}

} // namespace

void T_DISPLAY_vMain(void)
{
    static const SEMA waitList[] = {SEMA_DISPLAY_MAIL, SEMA_DISPLAY_RETRY, SEMA_DISPLAY_UNUSED, 0};
    vStartUp();
    for (;;) {
        const SEMA fired = L_SEMA_WaitMultiple(waitList);
        if (fired == SEMA_DISPLAY_MAIL) {
            while (MSGHEADER* pHeader = L_MBOX_Receive(DISPLAY_MAILBOX)) {
                vHandleMail(pHeader);
                H_MEMORY_vDumpMail(pHeader);
            }
        } else if (fired == SEMA_DISPLAY_RETRY) {
            vRetry();
        }
    }
}
