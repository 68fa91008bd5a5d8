// The menu task's registry fed with what the navigation core sends it: the
// test reads the hot menus and tabs as the menu task holds them.
#pragma once

#include "nav/tests/nav_core_world.h"

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "ui/t_menu.h"
#include "ui/t_menu_state.h"

#include <string>
#include <vector>

namespace navr {

using navw::MENU_BOX;

// Hands every waiting menu mail to the registry.
inline void pump()
{
    while (MSGHEADER* p = L_MBOX_Receive(MENU_BOX)) {
        T_MENU_bHandleRegistryMail(reinterpret_cast<GENERIC_MESSAGE*>(p));
        H_MEMORY_vDumpMail(p);
    }
}

inline std::string text(const TEXT_TABLE* t) { return t == nullptr ? "?" : (*t)[0]; }

// One item: "Title" and, for a choice list, " [a=1, b=2]" or
// " [a, b*]" for actions (* asks first).
inline std::string describe(const MENU_ITEM* p)
{
    std::string out = text(p->pMenuTitle);
    if (p->control == M_SELECTION_BOX) {
        const M_SELECTION_BOX_PARAMETERS& s = p->parameters.selectionBox;
        out += " [";
        for (U32 i = 0; i < s.numberSelections; ++i)
            out += (i ? ", " : "") + text(s.pSelectionList[i]) + "=" + std::to_string(s.pSelectionValueArray[i]);
        out += "]";
    } else if (p->control == M_ACTION_LIST || p->control == M_ACTION_LIST_SHRUNKEN) {
        const M_ACTION_LIST_PARAMETERS& a = p->parameters.actionList;
        out += " [";
        for (U32 i = 0; i < a.numberChoices; ++i)
            out += (i ? ", " : "") + text(a.pActionListChoices[i]) +
                   (a.bConfirm != nullptr && a.bConfirm[i] ? "*" : "");
        out += "]";
    }
    return out;
}

// The hot menu of the pane, item by item; null when it has none.
inline const t_menu::HOT_MENU* hotMenu(LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    for (const t_menu::HOT_MENU& h : t_menu::s_hotMenus)
        if (h.view == view && h.type == split)
            return &h;
    return nullptr;
}

inline std::vector<std::string> hotItems(LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    pump();
    std::vector<std::string> out;
    if (const t_menu::HOT_MENU* h = hotMenu(view, split))
        for (const MENU_ITEM* p = h->pFirstItem; p != nullptr; p = p->pNextMenu)
            out.push_back(describe(p));
    return out;
}

// The item of that title in the pane's hot menu, "" when there is none.
inline std::string hotItem(LAYER_ID view, SPLIT_WINDOW_TYPE split, const std::string& title)
{
    for (const std::string& s : hotItems(view, split))
        if (s == title || s.rfind(title + " [", 0) == 0)
            return s;
    return "";
}

inline std::vector<std::string> tabItems(TAB_PRIORITY tab)
{
    pump();
    std::vector<std::string> out;
    for (const MENU_ITEM* p = t_menu::s_mainMenuTabs[tab].pFirstItem; p != nullptr; p = p->pNextMenu)
        out.push_back(describe(p));
    return out;
}

inline std::string tabItem(TAB_PRIORITY tab, const std::string& title)
{
    for (const std::string& s : tabItems(tab))
        if (s == title || s.rfind(title + " [", 0) == 0)
            return s;
    return "";
}

// An empty registry with the hot menus of the chart panes and the tabs.
inline void freshRegistry(const std::vector<std::pair<const TEXT_TABLE*, TAB_PRIORITY>>& tabs)
{
    navw::drain(MENU_BOX);
    T_MENU_vInstallRegistryHooks(nullptr);
    T_MENU_vInitRegistry();
    for (const VIEW_AND_SPLIT& v : s_aNavViews)
        U_MENU_bRegisterExpressMenu(v.eView, v.eSplit);
    for (const auto& t : tabs)
        U_MENU_bRegisterTab(t.first, t.second, nullptr, M_BASIC);
    pump();
}

} // namespace navr
