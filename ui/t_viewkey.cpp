// The view-key task.
//
// The order of the views is the view task's list, ascending by id; a view
// is selectable when it is a background view (used by no other view) shown
// in the "Views" tab. The list is read only under RES_VIEW_LIST.
#include "ui/t_viewkey.h"

#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "store/h_database.h"
#include "ui/neighbour_standins.h" // SYSTEM_STATE
#include "ui/t_keyboard_standins.h"
#include "ui/t_view_state.h"
#include "ui/u_keyboard.h"

#include <atomic>

using namespace t_view;

// Constants -----------------------------------------------------------------

namespace {

constexpr const char* SOURCE_FILE = "./Working/SOURCE/t_view.c";
constexpr FOURCHARID KEY_TVKY = FCID("TVKY");
constexpr FOURCHARID KEY_CVEW = FCID("CVEW");
constexpr FOURCHARID KEY_SVEW = FCID("SVEW");
constexpr FOURCHARID KEY_CCST = FCID("CCST");
constexpr U32 STATE_PLAYBACK = 11;
constexpr U32 VIEW_AND_EXIT = KEY_VIEW | KEY_EXIT;
constexpr TICKS REGISTER_RETRY_TICKS = 1;

// Statics -------------------------------------------------------------------

BOOLEAN s_bRunStartHandled = FALSE;
std::atomic<T_VIEWKEY_PREVIEW_REMOVER*> s_pfnRemovePreview{nullptr};

// Static prototypes -----------------------------------------------------------

void vFatal(U32 u32Line, const char* pcText);
LAYER_ID eCurrentView(void);
void vSetView(LAYER_ID view);
void vHandleKey(const MSG_KEY_CHANGE* pKey);
LAYER_ID ePreviousView(LAYER_ID current);
void vSaveView(void);
void vRunStart(void);
bool bFetchState(U32* pu32State);

} // namespace

// Public functions --------------------------------------------------------------

void T_VIEWKEY_vMain(void)
{
    T_VIEWKEY_vStart();
    for (;;) {
        L_SEMA_Wait(SEMA_MBOX_VIEWKEY);
        while (MSGHEADER* pHeader = L_MBOX_Receive(VIEWKEY_MAILBOX))
            T_VIEWKEY_vHandleMail(pHeader);
    }
}

void T_VIEWKEY_vInstallPreviewRemover(T_VIEWKEY_PREVIEW_REMOVER* pfnRemove)
{
    s_pfnRemovePreview.store(pfnRemove);
}

void T_VIEWKEY_vStart(void)
{
    if (H_DATABASE_bUpdateEverythingU32(KEY_TVKY, (U32)VIEWKEY_MAILBOX, P_NORMAL, D_MAILBOX, nullptr,
                                        DB_TIMEOUT_NEVER))
        vFatal(__LINE__, "Somebody else registered the View Key Task Maibox");
}

void T_VIEWKEY_vHandleMail(MSGHEADER* pHeader)
{
    const GENERIC_MESSAGE* pMail = reinterpret_cast<const GENERIC_MESSAGE*>(pHeader);
    switch (pMail->Cmd) {
    case CMD_ID_SHUTDOWN:
        vSaveView();
        break;
    case CMD_ID_RESET_POS: {
        U32 u32State = 0;
        if (!bFetchState(&u32State) || u32State != (U32)STATE_INLINE_TEST)
            vSetView(CHART_PLUS_KEELVIEW_VIEW_PRIORITY);
        break;
    }
    case CMD_ID_KEY_CHANGE:
        vHandleKey(reinterpret_cast<const MSG_KEY_CHANGE*>(pMail));
        T_VIEW_vReleaseReviewImage();
        break;
    case CMD_ID_RUN_SYSTEM:
        if (!s_bRunStartHandled) {
            s_bRunStartHandled = TRUE;
            vRunStart();
        }
        break;
    default:
        break;
    }
    H_MEMORY_vDumpMail(pHeader);
}

// Static functions --------------------------------------------------------------

namespace {

void vFatal(U32 u32Line, const char* pcText)
{
    ERROR_error(SOURCE_FILE, u32Line, pcText);
    U_RESET_vReset(FALSE, FALSE);
}

bool bFetchState(U32* pu32State)
{
    return H_DATABASE_bFetchU32(KEY_CCST, pu32State, nullptr, nullptr) != FALSE;
}

// "CVEW"; the view task makes it before the system runs, so its absence is fatal.
LAYER_ID eCurrentView(void)
{
    S32 s32View = NO_VIEW_PRIORITY;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchS32(KEY_CVEW, &s32View, &bValid, nullptr))
        vFatal(__LINE__, "T_VIEW, no CVEW item");
    if (!bValid)
        vFatal(__LINE__, "T_VIEW, CVEW invalid");
    return s32View;
}

void vSetView(LAYER_ID view)
{
    H_DATABASE_bUpdateValueS32(KEY_CVEW, view, P_NORMAL);
}

// The frame in progress shows the old view: it is dropped.
void vDropFrame(void)
{
    s_bViewChanged = TRUE;
    s_bViewUpdateCancelled = TRUE;
}

void vHandleKey(const MSG_KEY_CHANGE* pKey)
{
    switch (pKey->key) {
    case KEY_VIEW:
        if (T_VIEWKEY_PREVIEW_REMOVER* pfn = s_pfnRemovePreview.load())
            pfn();
        T_VIEW_vSetNextBackgroundLayer();
        vDropFrame();
        L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
        break;
    case KEY_EXIT:
        vSetView(ePreviousView(eCurrentView()));
        vDropFrame();
        L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
        break;
    default:
        L_SEMA_Signal(SEMA_KEYCLICK_BAD);
        break;
    }
}

bool bSelectable(const LAYER_ITEM* p)
{
    return p->where_used == USED_BY_NONE && p->bCurrentDisplayMode;
}

// The last selectable view before the current one in the list; from the
// end of the list when there is none before it (which may be the current
// view itself); NO_VIEW_PRIORITY when no view is selectable.
LAYER_ID ePreviousView(LAYER_ID current)
{
    L_MUTEX_LockWait(RES_VIEW_LIST);
    const LAYER_ITEM* pPrevious = nullptr;
    for (const LAYER_ITEM* p = s_playerHeadPointer; p != nullptr && p->layer != current; p = p->next)
        if (bSelectable(p))
            pPrevious = p;
    if (pPrevious == nullptr)
        for (const LAYER_ITEM* p = s_playerHeadPointer; p != nullptr; p = p->next)
            if (bSelectable(p))
                pPrevious = p;
    const LAYER_ID previous = pPrevious != nullptr ? pPrevious->layer : NO_VIEW_PRIORITY;
    L_MUTEX_Unlock(RES_VIEW_LIST);
    return previous;
}

// Only a view the user chose is kept: not one of the demonstration, the
// tests or the start-up screens.
void vSaveView(void)
{
    U32 u32State = 0;
    if (bFetchState(&u32State) &&
        (u32State == (U32)STATE_NORMAL_RUN || u32State == (U32)STATE_SIMULATION || u32State == STATE_PLAYBACK)) {
        const LAYER_ID view = eCurrentView();
        if (view != NO_VIEW_PRIORITY)
            H_DATABASE_bUpdateValueS32(KEY_SVEW, view, P_NORMAL);
    }
    GUI_vSaveN2KViewsVisibility();
}

void vRunStart(void)
{
    U32 u32State = 0;
    if (!bFetchState(&u32State)) {
        vSetView(CHART_PLUS_KEELVIEW_VIEW_PRIORITY);
    } else if (u32State == (U32)STATE_INLINE_TEST || u32State == (U32)STATE_DIAGNOSTIC) {
        // The test screens keep the view they set.
    } else if (u32State == (U32)STATE_POINT_OF_SALE) {
        vSetView(CHART_PLUS_KEELVIEW_VIEW_PRIORITY);
    } else {
        S32 s32Saved = CHART_PLUS_KEELVIEW_VIEW_PRIORITY;
        if (!H_DATABASE_bFetchS32(KEY_SVEW, &s32Saved, nullptr, nullptr))
            s32Saved = CHART_PLUS_KEELVIEW_VIEW_PRIORITY;
        vSetView(s32Saved);
    }
    // The keyboard task may not run yet; its key is published soon.
    while (!U_KEYBOARD_bRegisterKeys(VIEWKEY_MAILBOX, VIEW_AND_EXIT, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY,
                                     REGISTER_EXCLUSIVE))
        L_CLOCK_Sleep(REGISTER_RETRY_TICKS);
}

} // namespace
