// Selecting the background view directly: by id without a check (the
// navigation task), by id among the selectable views, and by its name in
// the current language (the store-demo player). Each writes "CVEW", which
// the view task follows.
//
// A selectable view is a background view (used by no other view) shown in
// the "Views" tab. The list is read under RES_VIEW_LIST, the one-time log
// of the views' names included, since the view task may change the list
// meanwhile.
#include "ui/t_view_select.h"

#include "ui/t_view_state.h"

#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "store/h_database.h"
#include "store/lang.h"

#include <cctype>
#include <cstring>

using namespace t_view;

namespace {

constexpr FOURCHARID KEY_CVEW = FCID("CVEW");
constexpr LAYER_ID NO_SUCH_VIEW = -3;
constexpr size_t NAME_BYTES = 40;

BOOLEAN s_bNamesLogged = FALSE; // under RES_VIEW_LIST

class ListLock {
public:
    ListLock() { L_MUTEX_LockWait(RES_VIEW_LIST); }
    ~ListLock() { L_MUTEX_Unlock(RES_VIEW_LIST); }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;
};

bool bSelectable(const LAYER_ITEM* p)
{
    return p->where_used == USED_BY_NONE && p->bCurrentDisplayMode;
}

// Under the lock: every view with a display key, by id and first-language name.
void vLogViewNames(void)
{
    for (const LAYER_ITEM* p = s_playerHeadPointer; p != nullptr; p = p->next) {
        if (p->fcidDisplay == 0)
            continue;
        if (p->pString != nullptr && (*p->pString)[0] != nullptr)
            log_me("view %d: %s", (int)p->layer, (*p->pString)[0]);
        else
            log_me("view %d: NULL", (int)p->layer);
    }
}

} // namespace

void T_VIEW_vSetBackgroundLayer(LAYER_ID layer)
{
    H_DATABASE_bUpdateValueS32(KEY_CVEW, layer, P_NORMAL);
    s_bViewChanged = TRUE;
    s_bViewUpdateCancelled = TRUE;
}

void T_VIEW_vSetSpcifiedBackgroundLayer(LAYER_ID layer)
{
    ListLock lock;
    LAYER_ID view = NO_VIEW_PRIORITY;
    for (const LAYER_ITEM* p = s_playerHeadPointer; p != nullptr; p = p->next)
        if (p->layer == layer && bSelectable(p)) {
            view = layer;
            break;
        }
    H_DATABASE_bUpdateValueS32(KEY_CVEW, view, P_NORMAL);
}

LAYER_ID T_VIEW_GetSelectableView(const char* name)
{
    if (name == nullptr)
        return NO_SUCH_VIEW;
    ListLock lock;
    if (!s_bNamesLogged) {
        s_bNamesLogged = TRUE;
        vLogViewNames();
    }
    const U32 u32Language = nCurrentLanguage();
    for (const LAYER_ITEM* p = s_playerHeadPointer; p != nullptr; p = p->next) {
        if (p->fcidDisplay == 0)
            continue;
        const char* pcName = p->pString != nullptr ? (*p->pString)[u32Language] : nullptr;
        if (pcName == nullptr) {
            log_me("view %d has no name", (int)p->layer);
            continue;
        }
        // A name that does not fit the buffer is passed over rather than
        // cut, so that it cannot match a shorter one.
        char acName[NAME_BYTES];
        const size_t szLength = strnlen(pcName, NAME_BYTES);
        if (szLength >= NAME_BYTES)
            continue;
        for (size_t i = 0; i <= szLength; ++i)
            acName[i] = (char)toupper((unsigned char)pcName[i]);
        if (strcmp(acName, name) != 0)
            continue;
        H_DATABASE_bUpdateValueBoolean(p->fcidDisplay, TRUE, P_NORMAL);
        return p->layer;
    }
    return NO_SUCH_VIEW;
}
