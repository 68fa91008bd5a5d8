// The view task's layer registry (see t_view_state.h for the list and its
// invariants).
//
// Registration of an id not yet in the list inserts a node in id order and
// reads its display and split keys; a second pane of a split view joins the
// node's chain, taking the chain's shared fields, and touches no key. Every
// split pane, accepted or not, declares its pane menus. Removal takes out a
// node (its first chained pane, if any, takes its place) or one pane of its
// chain; only the last pane of a view takes its "Views" entry with it.
#include "ui/t_view_state.h"

#include "kernel/h_memory.h"
#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "store/h_database.h"
#include "ui/t_view_icons.h"
#include "ui/t_view_standins.h"
#include "ui/neighbour_standins.h" // SYSTEM_STATE
#include "ui/u_menu_client.h"

#include <algorithm>

namespace t_view {

LAYER_ITEM* s_playerHeadPointer = nullptr;

} // namespace t_view

using namespace t_view;

namespace {

constexpr FOURCHARID KEY_CVEW = FCID("CVEW");
constexpr FOURCHARID KEY_CVAS = FCID("CVAS");
constexpr FOURCHARID KEY_CCST = FCID("CCST");

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
const TEXT_TABLE txtViews = ALL_LANGUAGES("Views");
const TEXT_TABLE txtHidden = ALL_LANGUAGES("Hidden");
const TEXT_TABLE txtVisible = ALL_LANGUAGES("Visible");
const TEXT_TABLE txtActiveSide = ALL_LANGUAGES("Active Side");
const TEXT_TABLE txtSplitPosition = ALL_LANGUAGES("Split Position");
const TEXT_TABLE txtLeft = ALL_LANGUAGES("Left");
const TEXT_TABLE txtRight = ALL_LANGUAGES("Right");
#undef ALL_LANGUAGES

const TEXT_TABLE* const s_apShownChoices[2] = {&txtHidden, &txtVisible};
const U32 s_au32ShownValues[2] = {FALSE, TRUE};
const TEXT_TABLE* const s_apSideChoices[2] = {&txtLeft, &txtRight};
const U32 s_au32SideValues[2] = {SPLIT_LEFT_WINDOW, SPLIT_RIGHT_WINDOW};
const MENU_LIMITS s_aSplitLimits[1] = {{U_NONE, 20.0f, 80.0f, 10.0f}};

// RES_VIEW_LIST for one scope; the kernel mutex nests for its owner.
class ListLock {
public:
    ListLock() { L_MUTEX_LockWait(RES_VIEW_LIST); }
    ~ListLock() { L_MUTEX_Unlock(RES_VIEW_LIST); }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;
};

void vSubscribe(FOURCHARID key) { H_DATABASE_bRegisterForDataWithConditions(key, VIEW_MAILBOX, TRUE, FALSE, FALSE); }

// The menus of one pane of a split view: its express menu, the choice of
// the active side and the split position.
void vRegisterPaneMenus(const LAYER_ITEM* pItem)
{
    U_MENU_bRegisterExpressMenu(pItem->layer, pItem->eSplit);
    U_MENU_bRegisterHotSelectorMenu(&txtActiveSide, &select_active_side, MENU_SELECT_ACTIVE_SIDE, KEY_CVAS, 2,
                                    s_apSideChoices, s_au32SideValues, M_BASIC, pItem->layer, pItem->eSplit);
    U_MENU_bRegisterHotSliderMenu(&txtSplitPosition, &adjust_screen_size, MENU_SET_SPLIT_LOCATION,
                                  pItem->fcidSplitControl, s_aSplitLimits, &txtLeft, &txtRight, nullptr, M_BASIC,
                                  pItem->layer, pItem->eSplit);
}

void vUnregisterPaneMenus(const LAYER_ITEM* pItem)
{
    U_MENU_bUnregisterHotMenuItem(&txtSplitPosition, pItem->layer, pItem->eSplit);
    U_MENU_bUnregisterHotMenuItem(&txtActiveSide, pItem->layer, pItem->eSplit);
}

// A new node's shown state, name and split share, from its keys. Both keys
// are followed from here on, also one nobody has written yet.
void vReadKeys(LAYER_ITEM* pItem)
{
    if (pItem->fcidDisplay == 0) {
        pItem->bCurrentDisplayMode = TRUE;
    } else {
        DB_DATA_TYPE dbValue = {};
        BOOLEAN bValid = FALSE;
        DB_ATTRIBUTES attributes = {};
        vSubscribe(pItem->fcidDisplay);
        if (H_DATABASE_bFetch(pItem->fcidDisplay, &dbValue, &bValid, &attributes)) {
            pItem->bCurrentDisplayMode = dbValue.u32Val != 0;
            pItem->pString = attributes.ppcText;
            if (pItem->pString != nullptr)
                U_MENU_bRegisterMainSelectorMenu(pItem->pString, &txtViews, (MENU_PRIORITY)pItem->layer, pItem->fcidDisplay, 2,
                                                 s_apShownChoices, s_au32ShownValues, M_BASIC);
            else
                log_me("!!!Error!!! Try to register menu with null pointer! %s,%u", __FILE_NAME__, __LINE__);
            GUI_vSetViewRegisteration(pItem->layer, TRUE);
        } else {
            // Nobody has written the key yet: the layer shows what a factory
            // reset would give it until the key's first write arrives.
            pItem->bCurrentDisplayMode = pItem->bDefault;
        }
    }
    if (pItem->fcidSplitControl != 0) {
        S32 s32Percent = 0;
        vSubscribe(pItem->fcidSplitControl);
        if (H_DATABASE_bFetchS32(pItem->fcidSplitControl, &s32Percent, nullptr, nullptr))
            pItem->s32SplitPercentage = s32Percent;
    }
}

// Appends the pane to node N's chain when it fits there: a left or right
// pane with N's split key at a location no pane of the chain has. The pane
// takes the chain's shared fields.
BOOLEAN bJoinChain(LAYER_ITEM* pNode, LAYER_ITEM* pItem)
{
    if (pItem->eSplit == SPLIT_FULL_WINDOW || pItem->fcidSplitControl != pNode->fcidSplitControl)
        return FALSE;
    LAYER_ITEM* pLast = pNode;
    for (LAYER_ITEM* p = pNode; p != nullptr; p = p->pSplit) {
        if (p->eSplit == pItem->eSplit || p->eSplit == SPLIT_FULL_WINDOW)
            return FALSE;
        pLast = p;
    }
    pItem->next = pLast->next;
    pItem->where_used = pLast->where_used;
    pItem->fcidDisplay = pLast->fcidDisplay;
    pItem->bDefault = pLast->bDefault;
    pItem->bCurrentDisplayMode = pLast->bCurrentDisplayMode;
    pItem->s32SplitPercentage = pLast->s32SplitPercentage;
    pItem->pString = pLast->pString;
    pLast->pSplit = pItem;
    return TRUE;
}

// Every pane of the node's chain.
void vSetNext(LAYER_ITEM* pNode, LAYER_ITEM* pNext)
{
    for (LAYER_ITEM* p = pNode; p != nullptr; p = p->pSplit)
        p->next = pNext;
}

const LAYER_ITEM* pFirstShownBackground(const LAYER_ITEM* pFrom)
{
    for (const LAYER_ITEM* p = pFrom; p != nullptr; p = p->next)
        if (p->where_used == USED_BY_NONE && p->bCurrentDisplayMode)
            return p;
    return nullptr;
}

bool bKnownLocation(SPLIT_WINDOW_TYPE eSplit)
{
    return eSplit == SPLIT_FULL_WINDOW || eSplit == SPLIT_LEFT_WINDOW || eSplit == SPLIT_RIGHT_WINDOW;
}

} // namespace

const TEXT_TABLE* const T_VIEW_pViewsTabName = &txtViews;

namespace t_view {

void vRegisterLayer(MSG_REGISTER_LAYER* pMsg)
{
    // A pane the composition cannot place, or a layer it cannot call, would
    // break every later frame: refused before it reaches the list.
    if (!bKnownLocation(pMsg->eLocation) || pMsg->pDrawFunction == nullptr) {
        log_me("layer %d refused: location %d, draw function %s", (int)pMsg->layer, (int)pMsg->eLocation,
               pMsg->pDrawFunction == nullptr ? "none" : "given");
        pMsg->flag = FALSE;
        return;
    }
    auto* pItem = static_cast<LAYER_ITEM*>(H_MEMORY_pvMalloc(sizeof(LAYER_ITEM)));
    *pItem = LAYER_ITEM{};
    pItem->layer = pMsg->layer;
    pItem->where_used = pMsg->where_used;
    pItem->pDrawFunction = pMsg->pDrawFunction;
    pItem->fcidDisplay = pMsg->fcidDisplayFlag;
    pItem->bDefault = pMsg->bDisplay;
    pItem->user = pMsg->user;
    pItem->pPlaybackString = pMsg->pPlaybackString;
    pItem->pSimString = pMsg->pSimString;
    pItem->pPOSString = pMsg->pPOSString;
    pItem->eSplit = pMsg->eLocation;
    pItem->fcidSplitControl = pMsg->fcidSplitControl;

    BOOLEAN bAccepted;
    {
        ListLock lock;
        LAYER_ITEM* pPrev = nullptr;
        LAYER_ITEM* p = s_playerHeadPointer;
        while (p != nullptr && p->layer < pItem->layer) {
            pPrev = p;
            p = p->next;
        }
        if (p != nullptr && p->layer == pItem->layer) {
            bAccepted = bJoinChain(p, pItem);
        } else {
            pItem->next = p;
            if (pPrev == nullptr)
                s_playerHeadPointer = pItem;
            else
                vSetNext(pPrev, pItem);
            vReadKeys(pItem);
            bAccepted = TRUE;
        }
        if (pItem->eSplit != SPLIT_FULL_WINDOW)
            vRegisterPaneMenus(pItem);
        pMsg->flag = bAccepted;
    }
    if (!bAccepted)
        H_MEMORY_vFree(pItem);
}

void vUnregisterLayer(MSG_UNREGISTER_LAYER* pMsg)
{
    ListLock lock;
    LAYER_ITEM* pPrev = nullptr;
    LAYER_ITEM* pNode = s_playerHeadPointer;
    while (pNode != nullptr && pNode->layer != pMsg->layer) {
        pPrev = pNode;
        pNode = pNode->next;
    }
    pMsg->flag = FALSE;
    if (pNode != nullptr && pNode->eSplit == pMsg->eLocation) {
        LAYER_ITEM* pReplacement = pNode->pSplit;
        if (pReplacement == nullptr) {
            pReplacement = pNode->next;
            if (pNode->fcidDisplay != 0) {
                U_MENU_bUnregisterMainMenuItem(pNode->pString, &txtViews);
                GUI_vSetViewRegisteration(pNode->layer, FALSE);
            }
        }
        if (pPrev == nullptr)
            s_playerHeadPointer = pReplacement;
        else
            vSetNext(pPrev, pReplacement);
        if (pNode->eSplit != SPLIT_FULL_WINDOW)
            vUnregisterPaneMenus(pNode);
        H_MEMORY_vFree(pNode);
        pMsg->flag = TRUE;
    } else if (pNode != nullptr) {
        for (LAYER_ITEM* p = pNode; p->pSplit != nullptr; p = p->pSplit) {
            LAYER_ITEM* pPane = p->pSplit;
            if (pPane->eSplit != pMsg->eLocation)
                continue;
            p->pSplit = pPane->pSplit;
            vUnregisterPaneMenus(pPane);
            H_MEMORY_vFree(pPane);
            pMsg->flag = TRUE;
            break;
        }
    }
    if (pMsg->layer == s_windowSpec.currentLayer)
        T_VIEW_vSetNextBackgroundLayer();
}

void vFollowLayerKey(FOURCHARID key, DB_DATA_TYPE dbValue)
{
    if (key == 0)
        return;
    ListLock lock;
    for (LAYER_ITEM* pNode = s_playerHeadPointer; pNode != nullptr; pNode = pNode->next) {
        if (pNode->fcidDisplay != key)
            continue;
        for (LAYER_ITEM* p = pNode; p != nullptr; p = p->pSplit)
            p->bCurrentDisplayMode = dbValue.u32Val != 0;
        return;
    }
    for (LAYER_ITEM* pNode = s_playerHeadPointer; pNode != nullptr; pNode = pNode->next) {
        if (pNode->fcidSplitControl != key)
            continue;
        for (LAYER_ITEM* p = pNode; p != nullptr; p = p->pSplit)
            p->s32SplitPercentage = dbValue.s32Val;
        return;
    }
}

void vRestoreDisplayDefaults(void)
{
    U32 u32State = 0;
    if (H_DATABASE_bFetchU32(KEY_CCST, &u32State, nullptr, nullptr) && u32State == (U32)STATE_INLINE_TEST)
        return;
    // Only this task changes the list, so it walks it without the lock; the
    // writes come back to it as change mails.
    for (const LAYER_ITEM* p = s_playerHeadPointer; p != nullptr; p = p->next)
        if (p->fcidDisplay != 0 && p->where_used == USED_BY_NONE)
            H_DATABASE_bUpdateValueBoolean(p->fcidDisplay, p->bDefault, P_NORMAL);
}

void vSetCurrentLayer(LAYER_ID layer)
{
    ListLock lock;
    s_windowSpec.currentLayer = layer;
}

} // namespace t_view

BOOLEAN T_VIEW_bIsLayerActive(LAYER_ID layer)
{
    ListLock lock;
    for (const LAYER_ITEM* p = s_playerHeadPointer; p != nullptr; p = p->next)
        if (p->layer == layer)
            return TRUE;
    return FALSE;
}

void T_VIEW_vSetNextBackgroundLayer(void)
{
    LAYER_ID next = NO_VIEW_PRIORITY;
    {
        ListLock lock;
        const LAYER_ITEM* pCurrent = s_playerHeadPointer;
        while (pCurrent != nullptr && !(pCurrent->layer == s_windowSpec.currentLayer && pCurrent->bCurrentDisplayMode))
            pCurrent = pCurrent->next;
        const LAYER_ITEM* pNext = pCurrent != nullptr ? pFirstShownBackground(pCurrent->next) : nullptr;
        if (pNext == nullptr)
            pNext = pFirstShownBackground(s_playerHeadPointer);
        if (pNext != nullptr)
            next = pNext->layer;
    }
    H_DATABASE_bUpdateValueS32(KEY_CVEW, next, P_NORMAL);
}
