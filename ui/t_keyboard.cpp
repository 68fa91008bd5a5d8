// The keyboard task.
//
// Users: each logical key has a list of KEY_USERs in descending class,
// the latest registration first among equal classes. Only the head of a
// list is mailed, and only the events it asked for; an event the head does
// not want is dropped, never passed down the list. The key layer's repeat
// settings of each key follow its head (T_KEYBOARD_vReConfigure).
//
// Long presses are timed from the press event on the kernel clock, checked
// on every poll. A key seen held without a press (held since start-up)
// times nothing.
//
// Everything here belongs to the task's thread except the shutdown stage,
// which the view task reads when it draws the shutdown message.
#include "ui/t_keyboard.h"

#include "graphics/u_fonts.h"
#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_sema.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "platform/h_shutdown.h"
#include "store/database_msg.h"
#include "store/h_database.h"
#include "ui/t_keyboard_pos.h"
#include "ui/t_keyboard_standins.h"
#include "ui/t_menu.h"
#include "ui/u_dialog.h"

#include <atomic>
#include <cstring>

// Constants -----------------------------------------------------------------

namespace {

constexpr const char* SOURCE_FILE = "./Working/SOURCE/t_keyboard.c";

constexpr FOURCHARID KEY_TKBD = FCID("TKBD");
constexpr FOURCHARID KEY_SMDL = FCID("SMDL");
constexpr FOURCHARID KEY_CKCK = FCID("CKCK");
constexpr FOURCHARID KEY_CDSM = FCID("CDSM");
constexpr FOURCHARID KEY_CCST = FCID("CCST");
constexpr FOURCHARID KEY_SDBV = FCID("SDBV");
constexpr FOURCHARID KEY_SRDF = FCID("SRDF");
constexpr FOURCHARID KEY_CSD0 = FCID("CSD0");
constexpr FOURCHARID KEY_CSD1 = FCID("CSD1");

constexpr PRIORITY CLIENT_MAIL_PRIORITY = 3;
constexpr TICKS POLL_FIRST_TICKS = 10;
constexpr TICKS POLL_TICKS = 25;
constexpr U64 LONG_GOTO_MS = 1500;
constexpr U64 POWER_STAGE_MS[] = {1000, 2000, 3000};
constexpr U64 LONG_VIEW_MS = 1000;
constexpr TICKS POWER_RELEASE_STEP_TICKS = 250;
constexpr int POWER_RELEASE_STEPS = 20;
constexpr size_t MESSAGE_BYTES = 100;
constexpr U16 MESSAGE_LINE_GAP = 2;
constexpr U16 MESSAGE_BOX_MARGIN = 14;
constexpr U64 NO_PRESS = ~0ull;

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE Shutdown_Countdown = ALL_LANGUAGES("Shutdown in {#} seconds");
TEXT_TABLE Shutting_Down = ALL_LANGUAGES("Shutting Down...");
TEXT_TABLE Restore_Defaults = ALL_LANGUAGES("Restore Defaults");

// The key's mask bit, by HKEY_ID.
constexpr U32 KEY_MASK_OF[HKEY_NUM_KEYS] = {
    KEY_POWER,  KEY_MENU,  KEY_EXIT, KEY_VIEW,       KEY_CURSOR,     KEY_ZOOM_IN,    KEY_ZOOM_OUT,
    KEY_MARK,   KEY_GOTO,  KEY_INFO, KEY_SOFT_KEY_1, KEY_SOFT_KEY_2, KEY_SOFT_KEY_3,
};

// The tasks the keyboard task stops itself after the others, with the
// time each gets to acknowledge and the pause after it.
struct LAST_TASK {
    FOURCHARID key;
    TICKS waitTicks;
    TICKS pauseTicks;
};
constexpr LAST_TASK LAST_TASKS[] = {
    {FCID("TMSG"), 500, 0},
    {FCID("TSLP"), 2000, 2000},
    {FCID("TETH"), 500, 0},
    {FCID("TDSP"), 500, 0},
};

// Types -----------------------------------------------------------------------

// One registration of one mailbox for one key.
typedef struct tag_KEY_USER {
    U32 key_ID;
    KEY_USAGE usage;
    KEY_STATE state;
    CURSOR_MODE cursor_mode;
    BOOLEAN repeat;
    BOOLEAN accelerate;
    MBOX mailbox;
    U32 flag;
    struct tag_KEY_USER* next;
} KEY_USER;

// Statics -------------------------------------------------------------------

KEY_USER* s_apKeyList[HKEY_NUM_KEYS];
// The head each key's repeat settings were last taken from.
KEY_USER* s_apKeyListOld[HKEY_NUM_KEYS];
// The state of each key's last event, to tell a press from a repeat.
KEY_STATE s_aeLastState[HKEY_NUM_KEYS];

U64 s_u64GotoPress = NO_PRESS;
U64 s_u64GotoTriggerPress = NO_PRESS;
BOOLEAN s_bGotoSignalled = FALSE;

U64 s_u64PowerPress = NO_PRESS;
U32 s_u32PowerStage = 0;
std::atomic<SHUTDOWN_MESSAGE> s_eShutdownMessage{FIRST_SHUTDOWN_MESSAGE};

U64 s_u64ViewPress = NO_PRESS;
BOOLEAN s_bViewMenuArmed = FALSE;
KEY_STATE s_eLastViewState = KEY_UP;

TIMER_INFO* s_pPollTimer = nullptr;
std::atomic<T_KEYBOARD_SHUTDOWN_FN*> s_pfnShutdown{nullptr};

// Static prototypes -----------------------------------------------------------

void vFatal(U32 u32Line, const char* pcText);
U64 u64Now(void);
void vRegister(MSG_REGISTER_FOR_KEYS* pMsg);
void vUnregister(const MSG_UNREGISTER_FOR_KEYS* pMsg);
void vAddUser(HKEY_ID hKey, const MSG_REGISTER_FOR_KEYS* pMsg);
void vHandleEvent(HKEY_ID hKey, KEY_STATE state, U32 u32Count, CURSOR_POSITION cursor, U64 u64Now);
void vSendKey(const KEY_USER* pHead, KEY_STATE state, U32 u32Count, CURSOR_POSITION cursor);
void vCheckLongPresses(U64 u64Now);
void vCheckPower(U64 u64Now);
void vResetEveryTask(void);
void vHandleNewData(const MESSAGE_NEW_DATA* pData);
void vRunSystem(void);

} // namespace

// Public functions --------------------------------------------------------------

void T_KEYBOARD_vMain(void)
{
    static const SEMA waitList[] = {SEMA_MBOX_KEYB, SEMA_TIMER_KEYB, SEMA_TIMER_POS, SEMA_SERIAL_KEYBOARD_DISABLE,
                                    0};
    T_KEYBOARD_vStart();
    for (;;) {
        switch (L_SEMA_WaitMultiple(waitList)) {
        case SEMA_TIMER_KEYB:
            T_KEYBOARD_vPollKeys();
            break;
        case SEMA_TIMER_POS:
            T_KEYBOARD_vPOSStep();
            break;
        case SEMA_MBOX_KEYB:
            while (MSGHEADER* pHeader = L_MBOX_Receive(KEYBOARD_MAILBOX))
                T_KEYBOARD_vHandleMail(pHeader);
            break;
        default:
            break;
        }
    }
}

void T_KEYBOARD_vStart(void)
{
    if (H_DATABASE_bUpdateEverythingU32(KEY_TKBD, (U32)KEYBOARD_MAILBOX, P_NORMAL, D_MAILBOX, nullptr,
                                        DB_TIMEOUT_NEVER))
        vFatal(__LINE__, "Somebody else registered the Keyboard Task Maibox");
    H_DATABASE_bRegisterForDataWithConditions(KEY_SMDL, KEYBOARD_MAILBOX, TRUE, FALSE, FALSE);
    H_KEYBOARD_vInit();
    H_DATABASE_bUpdateValueBoolean(KEY_CKCK, TRUE, P_NORMAL);
    if (s_pPollTimer == nullptr)
        s_pPollTimer = L_TIMER_Start(nullptr, POLL_FIRST_TICKS, POLL_TICKS, SEMA_TIMER_KEYB);
    H_DATABASE_bUpdateValueBoolean(KEY_CDSM, FALSE, P_NORMAL);
    T_KEYBOARD_vPOSReset();
}

void T_KEYBOARD_vPollKeys(void)
{
    const U64 now = u64Now();
    if (H_KEYBOARD_bProcessKeys()) {
        T_KEYBOARD_vPOSKeyHook();
        HKEY_ID hKey;
        KEY_STATE state;
        U32 u32Count;
        CURSOR_POSITION cursor;
        while (H_KEYBOARD_bFetchKeyEvent(&hKey, &state, &u32Count, &cursor))
            vHandleEvent(hKey, state, u32Count, cursor, now);
    }
    vCheckLongPresses(now);
}

void T_KEYBOARD_vHandleMail(MSGHEADER* pHeader)
{
    GENERIC_MESSAGE* pMail = reinterpret_cast<GENERIC_MESSAGE*>(pHeader);
    switch (pMail->Cmd) {
    case CMD_ID_SHUTDOWN:
        // The sender may be waiting: it is answered before the unit stops.
        H_MEMORY_vDumpMail(pHeader);
        T_KEYBOARD_vShutdown(POWER_DOWN);
    case CMD_ID_NEW_DATA:
        vHandleNewData(reinterpret_cast<const MESSAGE_NEW_DATA*>(pMail));
        break;
    case CMD_ID_REGISTER_FOR_KEYS:
        vRegister(reinterpret_cast<MSG_REGISTER_FOR_KEYS*>(pMail));
        break;
    case CMD_ID_UNREGISTER_FOR_KEYS:
        vUnregister(reinterpret_cast<const MSG_UNREGISTER_FOR_KEYS*>(pMail));
        break;
    case CMD_ID_KEY_CHANGE:
        T_KEYBOARD_vPOSHandleKey(reinterpret_cast<const MSG_KEY_CHANGE*>(pMail));
        break;
    case CMD_ID_INITIATE_SHUTDOWN: {
        const auto* pShutdown = reinterpret_cast<const MSG_INITIATE_SHUTDOWN*>(pMail);
        const bool bPowerOff = pShutdown->bPowerOff && !pShutdown->bReset;
        const bool bReset = pShutdown->bReset && !pShutdown->bPowerOff;
        H_MEMORY_vDumpMail(pHeader);
        if (bPowerOff)
            T_KEYBOARD_vShutdown(POWER_DOWN);
        if (bReset)
            T_KEYBOARD_vShutdown(RESET);
        return;
    }
    case CMD_ID_RUN_SYSTEM:
        vRunSystem();
        break;
    default:
        break;
    }
    H_MEMORY_vDumpMail(pHeader);
}

void T_KEYBOARD_vShutdown(SHUTDOWN_TYPE eType)
{
    static FOURCHARID noKill[] = {FCID("TDSP"), FCID("TKBD"), FCID("TSND"), FCID("TMSG"), FCID("TSLP"),
                                  FCID("TETH"), 0};
    if (T_KEYBOARD_SHUTDOWN_FN* pfn = s_pfnShutdown.load())
        pfn(noKill);
    else
        log_me("keyboard: no shutdown of the tasks installed");

    // A mail that was not acknowledged in time belongs to its receiver, and
    // a late acknowledgement may come during a later wait: none of these
    // mails is freed or used twice. The process ends in seconds.
    for (const LAST_TASK& task : LAST_TASKS) {
        U32 u32Mbox = 0;
        if (!H_DATABASE_bFetchU32(task.key, &u32Mbox, nullptr, nullptr))
            continue;
        auto* pMail = static_cast<GENERIC_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(GENERIC_MESSAGE)));
        memset(static_cast<void*>(pMail), 0, sizeof *pMail);
        pMail->Cmd = CMD_ID_SHUTDOWN;
        L_MBOX_SendWaitTicks((MBOX)u32Mbox, &pMail->msghdr, CLIENT_MAIL_PRIORITY, SEMA_SHUTDOWN_KEYB,
                             task.waitTicks);
        if (task.pauseTicks != 0)
            L_CLOCK_Sleep(task.pauseTicks);
    }

    if (eType == RESET)
        U_RESET_vReset(FALSE, FALSE);
    for (int i = 0; i < POWER_RELEASE_STEPS && H_KEYBOARD_bIsPowerPressed(); ++i)
        L_CLOCK_Sleep(POWER_RELEASE_STEP_TICKS);
    H_SHUTDOWN_vShutdown();
}

void T_KEYBOARD_vRestoreFactoryDefaults(void)
{
    H_DATABASE_bUpdateValueBoolean(KEY_SDBV, TRUE, P_NORMAL);
    vResetEveryTask();
    H_DATABASE_bUpdateValueBoolean(KEY_SRDF, TRUE, P_NORMAL);
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
}

void T_KEYBOARD_vReConfigure(void)
{
    for (int i = HKEY_MENU; i < HKEY_NUM_KEYS; ++i) {
        KEY_USER* pHead = s_apKeyList[i];
        if (pHead == s_apKeyListOld[i])
            continue;
        s_apKeyListOld[i] = pHead;
        if (pHead != nullptr)
            H_KEYBOARD_vSetupKey((HKEY_ID)i, pHead->repeat, pHead->accelerate, pHead->cursor_mode);
        else
            H_KEYBOARD_vSetupKey((HKEY_ID)i, FALSE, FALSE, CURSOR_4);
    }
}

void T_KEYBOARD_vDrawShutdownMessage(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    const FONT_DEF* pFont = std_16x17_font_def_ptr.load();
    if (pBitmap == nullptr || pFont == nullptr)
        return;
    const U32 u32Language = nCurrentLanguage();
    char acText[MESSAGE_BYTES];
    const SHUTDOWN_MESSAGE eStage = s_eShutdownMessage.load();
    if (eStage == LAST_SHUTDOWN_MESSAGE) {
        strncpy(acText, Shutting_Down[u32Language], MESSAGE_BYTES - 2);
        acText[MESSAGE_BYTES - 2] = '\0';
    } else {
        // The count replaces everything from "{" to "}".
        const char* pcSource = Shutdown_Countdown[u32Language];
        const char cDigit = eStage == FIRST_SHUTDOWN_MESSAGE ? '2' : '1';
        size_t n = 0;
        for (const char* p = pcSource; *p != '\0' && n < MESSAGE_BYTES - 1; ++p) {
            if (*p == '{' && strchr(p, '}') != nullptr) {
                acText[n++] = cDigit;
                p = strchr(p, '}');
                continue;
            }
            acText[n++] = *p;
        }
        acText[n] = '\0';
    }
    U32 u32Width = MESSAGE_BOX_MARGIN;
    for (const char* p = acText; *p != '\0'; ++p)
        u32Width += G_FONTS_u32GetWidth(pFont, (BYTE)*p);
    if (u32Width >= pBitmap->pixels_wide)
        u32Width = pBitmap->pixels_wide - 2;
    U_DIALOG_vDrawDialog(pBitmap, acText, pFont, MESSAGE_LINE_GAP, (U16)u32Width, nullptr, nullptr,
                         JUSTIFICATION_CENTER, JUSTIFICATION_CENTER);
}

void T_KEYBOARD_vInstallShutdown(T_KEYBOARD_SHUTDOWN_FN* pfnShutdown)
{
    s_pfnShutdown.store(pfnShutdown);
}

BOOLEAN T_KEYBOARD_bSendPOSKey(U32 u32KeyMask, CURSOR_POSITION cursor)
{
    for (int i = 0; i < HKEY_NUM_KEYS; ++i) {
        if (KEY_MASK_OF[i] != u32KeyMask)
            continue;
        for (const KEY_USER* pUser = s_apKeyList[i]; pUser != nullptr; pUser = pUser->next) {
            if (pUser->mailbox == KEYBOARD_MAILBOX)
                continue;
            auto* pMail = static_cast<MSG_KEY_CHANGE*>(H_MEMORY_pvMallocNoWait(sizeof(MSG_KEY_CHANGE)));
            if (pMail == nullptr)
                return FALSE;
            memset(static_cast<void*>(pMail), 0, sizeof *pMail);
            pMail->header.Cmd = CMD_ID_KEY_CHANGE;
            pMail->key = pUser->key_ID;
            pMail->state = KEY_DOWN;
            pMail->count = 1;
            pMail->cursor = cursor;
            pMail->flag = pUser->flag;
            if (L_MBOX_Send(pUser->mailbox, &pMail->header.msghdr, KEY_MAIL_PRIORITY, 0) != 0) {
                H_MEMORY_vFree(pMail);
                return FALSE;
            }
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// Static functions --------------------------------------------------------------

namespace {

void vFatal(U32 u32Line, const char* pcText)
{
    ERROR_error(SOURCE_FILE, u32Line, pcText);
    U_RESET_vReset(FALSE, FALSE);
}

U64 u64Now(void)
{
    return L_CLOCK_qwGetTimeInMillis();
}

// ---- Users ----

void vRegister(MSG_REGISTER_FOR_KEYS* pMsg)
{
    BOOLEAN bRegistered = FALSE;
    if (pMsg->keys == KEY_POWER) {
        vAddUser(HKEY_POWER, pMsg);
        bRegistered = TRUE;
    } else {
        for (int i = HKEY_MENU; i < HKEY_NUM_KEYS; ++i) {
            if ((pMsg->keys & KEY_MASK_OF[i]) == 0)
                continue;
            vAddUser((HKEY_ID)i, pMsg);
            bRegistered = TRUE;
        }
    }
    if (bRegistered)
        pMsg->pass = TRUE;
    T_KEYBOARD_vReConfigure();
}

void vAddUser(HKEY_ID hKey, const MSG_REGISTER_FOR_KEYS* pMsg)
{
    auto* pUser = static_cast<KEY_USER*>(H_MEMORY_pvMalloc(sizeof(KEY_USER)));
    pUser->key_ID = KEY_MASK_OF[hKey];
    pUser->usage = pMsg->usage;
    pUser->state = pMsg->state;
    pUser->cursor_mode = pMsg->cursor_mode;
    pUser->repeat = pMsg->repeat;
    pUser->accelerate = pMsg->accelerate;
    pUser->mailbox = pMsg->mailbox;
    pUser->flag = pMsg->flag;
    // Before the first user of a lower or equal class: the latest of
    // equal classes comes first.
    KEY_USER** ppLink = &s_apKeyList[hKey];
    while (*ppLink != nullptr && (*ppLink)->usage > pUser->usage)
        ppLink = &(*ppLink)->next;
    pUser->next = *ppLink;
    *ppLink = pUser;
}

void vUnregister(const MSG_UNREGISTER_FOR_KEYS* pMsg)
{
    for (int i = 0; i < HKEY_NUM_KEYS; ++i) {
        if ((pMsg->keys & KEY_MASK_OF[i]) == 0)
            continue;
        for (KEY_USER** ppLink = &s_apKeyList[i]; *ppLink != nullptr; ppLink = &(*ppLink)->next) {
            if ((*ppLink)->mailbox != pMsg->mailbox)
                continue;
            KEY_USER* pGone = *ppLink;
            *ppLink = pGone->next;
            H_MEMORY_vFree(pGone);
            break;
        }
    }
    T_KEYBOARD_vReConfigure();
}

// ---- Events ----

void vHandleEvent(HKEY_ID hKey, KEY_STATE state, U32 u32Count, CURSOR_POSITION cursor, U64 u64Now)
{
    const bool bPress = state == KEY_DOWN && s_aeLastState[hKey] != KEY_DOWN;
    s_aeLastState[hKey] = state;
    if (bPress && hKey == HKEY_GOTO)
        s_u64GotoPress = u64Now;
    if (bPress && hKey == HKEY_VIEW)
        s_u64ViewPress = u64Now;
    if (hKey == HKEY_POWER) {
        if (bPress) {
            s_u64PowerPress = u64Now;
        } else if (state == KEY_UP) {
            s_u64PowerPress = NO_PRESS;
            U_VIEW_bUnRegisterLayer(SHUTDOWN_LAYER);
            // Nothing else may ask for a frame: the message goes now.
            if (s_u32PowerStage != 0)
                L_SEMA_Signal(SEMA_VIEW_UPDATE);
            s_u32PowerStage = 0;
        }
    }
    if (state == KEY_UP) {
        if (hKey == HKEY_GOTO)
            s_u64GotoPress = NO_PRESS;
        if (hKey == HKEY_VIEW)
            s_u64ViewPress = NO_PRESS;
    }

    const KEY_USER* pHead = s_apKeyList[hKey];
    if (pHead == nullptr) {
        if (state == KEY_DOWN)
            L_SEMA_Signal(SEMA_KEYCLICK_BAD);
        return;
    }
    const bool bWantsPresses = pHead->state == KEY_DOWN || pHead->state == KEY_CHANGE;
    const bool bWantsReleases = pHead->state == KEY_UP || pHead->state == KEY_CHANGE;
    if (hKey == HKEY_VIEW) {
        // Delivered at the release, so that a long press can open the
        // view-selection menu instead.
        if (state == KEY_DOWN) {
            s_eLastViewState = KEY_DOWN;
            return;
        }
        if (s_eLastViewState == KEY_DOWN && bWantsPresses)
            vSendKey(pHead, KEY_DOWN, u32Count, cursor);
        if (bWantsReleases)
            vSendKey(pHead, KEY_UP, u32Count, cursor);
        s_eLastViewState = KEY_UP;
        return;
    }
    if (state == KEY_UP ? bWantsReleases : bWantsPresses)
        vSendKey(pHead, state, u32Count, cursor);
}

void vSendKey(const KEY_USER* pHead, KEY_STATE state, U32 u32Count, CURSOR_POSITION cursor)
{
    auto* pMail = static_cast<MSG_KEY_CHANGE*>(H_MEMORY_pvMalloc(sizeof(MSG_KEY_CHANGE)));
    memset(static_cast<void*>(pMail), 0, sizeof *pMail);
    pMail->header.Cmd = CMD_ID_KEY_CHANGE;
    pMail->key = pHead->key_ID;
    pMail->state = state;
    pMail->count = u32Count;
    pMail->cursor = cursor;
    pMail->flag = pHead->flag;
    if (L_MBOX_Send(pHead->mailbox, &pMail->header.msghdr, KEY_MAIL_PRIORITY, 0) != 0)
        H_MEMORY_vFree(pMail);
}

// ---- Long presses ----

void vCheckLongPresses(U64 u64Now)
{
    if (H_KEYBOARD_bIsDown(HKEY_GOTO) && s_u64GotoPress != NO_PRESS) {
        if (s_u64GotoPress != s_u64GotoTriggerPress) {
            s_u64GotoTriggerPress = s_u64GotoPress;
            s_bGotoSignalled = FALSE;
        }
        if (!s_bGotoSignalled && u64Now - s_u64GotoPress >= LONG_GOTO_MS) {
            s_bGotoSignalled = TRUE;
            L_SEMA_Signal(SEMA_KEYBOARD_LONG_GOTO);
        }
    } else if (H_KEYBOARD_bIsDown(HKEY_POWER) && s_u64PowerPress != NO_PRESS) {
        vCheckPower(u64Now);
    }

    if (H_KEYBOARD_bIsDown(HKEY_VIEW) && s_u64ViewPress != NO_PRESS) {
        if (u64Now - s_u64ViewPress <= LONG_VIEW_MS) {
            s_bViewMenuArmed = TRUE;
        } else if (s_bViewMenuArmed) {
            s_bViewMenuArmed = FALSE;
            GUI_vUnRegisterSelectViewMenu();
            GUI_vRegisterSelectViewMenu();
            T_MENU_vActivateSpecifiedHotMenu(SELECT_VIEW_HOT_MENU);
        }
    }
}

// One stage per poll at most: the message at 1 s, its second count at 2 s,
// the power-off at 3 s.
void vCheckPower(U64 u64Now)
{
    const U64 u64Held = u64Now - s_u64PowerPress;
    if (u64Held < POWER_STAGE_MS[0]) {
        s_u32PowerStage = 0;
    } else if (s_u32PowerStage == 0) {
        s_u32PowerStage = 1;
        s_eShutdownMessage.store(FIRST_SHUTDOWN_MESSAGE);
        U_VIEW_bRegisterLayer(T_KEYBOARD_vDrawShutdownMessage, SHUTDOWN_LAYER, USED_BY_ALL, 0, 0, TRUE, nullptr,
                              nullptr, nullptr);
        // Registering brings no frame by itself, and the message must show.
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
    } else if (u64Held >= POWER_STAGE_MS[1] && s_u32PowerStage == 1) {
        s_u32PowerStage = 2;
        s_eShutdownMessage.store(SECOND_SHUTDOWN_MESSAGE);
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
    } else if (u64Held >= POWER_STAGE_MS[2] && s_u32PowerStage > 1) {
        s_eShutdownMessage.store(LAST_SHUTDOWN_MESSAGE);
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
        T_KEYBOARD_vShutdown(POWER_DOWN);
    }
}

// ---- Mails ----

// CMD_ID_RESET_POS to the mailbox of every task key but this task's own.
void vResetEveryTask(void)
{
    MULTI_FETCH_CONTROL_STRUCTURE control{};
    control.cMatch = 'T';
    control.__bNotFirst = FALSE;
    while (H_DATABASE_bFetchNextBeginningWith(&control)) {
        const MBOX mbox = (MBOX)control.data.u32Val;
        if (mbox == KEYBOARD_MAILBOX)
            continue;
        auto* pMail = static_cast<GENERIC_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(GENERIC_MESSAGE)));
        memset(static_cast<void*>(pMail), 0, sizeof *pMail);
        pMail->Cmd = CMD_ID_RESET_POS;
        if (L_MBOX_Send(mbox, &pMail->msghdr, CLIENT_MAIL_PRIORITY, 0) != 0)
            H_MEMORY_vFree(pMail);
    }
}

void vHandleNewData(const MESSAGE_NEW_DATA* pData)
{
    switch (pData->FourCharId) {
    case KEY_SMDL:
        vResetEveryTask();
        break;
    case KEY_CCST:
    case KEY_SDBV:
    case KEY_CSD0:
    case KEY_CSD1:
        T_KEYBOARD_vPOSHandleNewData(pData->FourCharId, pData->dbValue.u32Val);
        break;
    default:
        break;
    }
}

void vRunSystem(void)
{
    U_MENU_bRegisterMainActionMenu(&Restore_Defaults, T_MENU_pSetupTabName,
                                   MENU_RESTORE_FACTORY_DEFAULTS, T_KEYBOARD_vRestoreFactoryDefaults, TRUE, M_BASIC);
    H_DATABASE_bRegisterForDataWithConditions(KEY_CCST, KEYBOARD_MAILBOX, TRUE, FALSE, FALSE);
    T_KEYBOARD_vPOSRunSystem();
}

} // namespace
