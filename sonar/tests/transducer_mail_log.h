// The mails of the sonar views and menus, written as text lines.
//
// The view task's key "TVUE" and the menu task's "TMNU" both name one fake
// mailbox, so the mails of the two tasks arrive in the order they were
// sent. Each mail becomes one line naming its command and every field the
// receiving task uses: texts by their English words, icons, draw callbacks
// and actions by name, limit and step rows unit by unit. The walker tests
// compare such lines with logs checked in beside them; the registration
// tests look for lines.
#pragma once

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "sonar/dsp/s_transducer_icons.h"
#include "sonar/dsp/s_transducer_standins.h"
#include "sonar/ping/t_n_ping.h"
#include "store/h_database.h"
#include "ui/power_key_icons.h"
#include "ui/t_menu.h"
#include "ui/u_menu_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace sonar_test {

constexpr MBOX FAKE_TASKS_MAILBOX = 15;

inline void initStoreOnce()
{
    static bool bDone = false;
    if (!bDone) {
        H_DATABASE_vInit();
        bDone = true;
    }
}

// Both tasks' keys name the fake mailbox.
inline void publishViewAndMenuTasks()
{
    initStoreOnce();
    for (FOURCHARID key : {FCID("TVUE"), FCID("TMNU")}) {
        H_DATABASE_vDeleteEntry(key);
        H_DATABASE_bUpdateEverythingU32(key, FAKE_TASKS_MAILBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    }
}

inline void setU32(FOURCHARID k, U32 v)
{
    H_DATABASE_bUpdateEverythingU32(k, v, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

inline void setBoolean(FOURCHARID k, BOOLEAN b)
{
    H_DATABASE_bUpdateEverythingBoolean(k, b, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

inline void forget(FOURCHARID k) { H_DATABASE_vDeleteEntry(k); }

// A network client takes the Flankview source from this unit, or none does.
inline void setFlankviewClient(BOOLEAN bClient)
{
    if (bClient)
        U_PING_vAddClientNode(&sonarSourcesArray[SONAR_SOURCE_FV], 0xC0000202);
    else
        U_PING_vAllDeleteClientNodes(&sonarSourcesArray[SONAR_SOURCE_FV]);
}

// The keys the history and ping tasks keep, and the ones the menus write.
inline void forgetHistoryKeys()
{
    for (FOURCHARID k : {FCID("YST1"), FCID("YST2"), FCID("YST3"), FCID("YST4"), FCID("SSTS"), FCID("SSTD"),
                         FCID("SMSU"), FCID("YBMT"), FCID("ELPM"), FCID("CSFL"), FCID("YJIG"), FCID("PPIZ")})
        forget(k);
}

inline std::string fcc(U32 u32)
{
    std::string s;
    for (int i = 0; i < 4; ++i) {
        const char c = (char)((u32 >> (8 * i)) & 0xFF);
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return "";
        s += c;
    }
    return s;
}

inline std::string key(FOURCHARID k)
{
    if (k == 0)
        return "-";
    const std::string s = fcc(k);
    return s.empty() ? std::to_string(k) : s;
}

inline std::string text(const TEXT_TABLE* p) { return p == nullptr ? "-" : std::string("\"") + (*p)[0] + "\""; }

inline std::string texts(const TEXT_TABLE* const* pp, U32 n)
{
    if (pp == nullptr)
        return "-";
    std::string s = "[";
    for (U32 i = 0; i < n; ++i)
        s += (i ? ", " : "") + text(pp[i]);
    return s + "]";
}

inline std::string pane(SPLIT_WINDOW_TYPE e)
{
    switch (e) {
    case SPLIT_FULL_WINDOW:
        return "full";
    case SPLIT_LEFT_WINDOW:
        return "left";
    case SPLIT_RIGHT_WINDOW:
        return "right";
    case SPLIT_QUICK_WINDOW:
        return "quick";
    default:
        return std::to_string((int)e);
    }
}

inline std::string icon(const ICON* p)
{
    static const std::pair<const ICON*, const char*> known[] = {
        {&SonarTab_icon, "SonarTab_icon"},
        {&CSpd_icon, "CSpd_icon"},
        {&Sens_icon, "Sens_icon"},
        {&Bottomlock_icon, "Bottomlock_icon"},
        {&UpDepthRange_icon, "UpDepthRange_icon"},
        {&LDepRange_icon, "LDepRange_icon"},
        {&Off_icon, "Off_icon"},
        {&LRMSfish_icon, "LRMSfish_icon"},
        {&LRMfish_icon, "LRMfish_icon"},
        {&LRfish_icon, "LRfish_icon"},
        {&quad_layout_icon, "quad_layout_icon"},
        {&side_view, "side_view"},
        {&sonarcolorpalette_icon, "sonarcolorpalette_icon"},
        {&n360Speed_icon, "n360Speed_icon"},
        {&Display_icon, "Display_icon"},
        {&Enhance_icon, "Enhance_icon"},
    };
    if (p == nullptr)
        return "-";
    for (const auto& k : known)
        if (k.first == p)
            return k.second;
    return "unknown-icon";
}

inline std::string draw(DRAW_FUNCTION* pfn)
{
    static const std::pair<DRAW_FUNCTION*, const char*> known[] = {
        {T_INFO_vDrawInfoLayer_Instrumentation_SonarView, "T_INFO_vDrawInfoLayer_Instrumentation_SonarView"},
        {T_N_HISTORY_vDrawFullScreenSonar, "T_N_HISTORY_vDrawFullScreenSonar"},
        {T_N_HISTORY_vDrawZoomSonar, "T_N_HISTORY_vDrawZoomSonar"},
        {T_N_HISTORY_vDrawKeelview, "T_N_HISTORY_vDrawKeelview"},
        {T_N_HISTORY_vDrawKeelviewSplit, "T_N_HISTORY_vDrawKeelviewSplit"},
        {T_N_HISTORY_vDrawKeelviewSonarSplit, "T_N_HISTORY_vDrawKeelviewSonarSplit"},
        {T_N_HISTORY_vDrawVerticalScrollView, "T_N_HISTORY_vDrawVerticalScrollView"},
        {T_N_HISTORY_vDrawDownAndSidebeamView, "T_N_HISTORY_vDrawDownAndSidebeamView"},
        {T_N_HISTORY_vDrawDualBeamView, "T_N_HISTORY_vDrawDualBeamView"},
        {T_N_HISTORY_vDrawSonarSplit, "T_N_HISTORY_vDrawSonarSplit"},
        {T_N_HISTORY_vDrawPPIDisplay, "T_N_HISTORY_vDrawPPIDisplay"},
    };
    for (const auto& k : known)
        if (k.first == pfn)
            return k.second;
    return pfn == nullptr ? "-" : "unknown-draw";
}

inline std::string action(MENU_ACTION_FUNC* pfn)
{
    static const std::pair<MENU_ACTION_FUNC*, const char*> known[] = {
        {T_N_HISTORY_vCreateFvEnhanceDialog, "T_N_HISTORY_vCreateFvEnhanceDialog"},
        {T_N_HISTORY_vCreateKvEnhanceDialog, "T_N_HISTORY_vCreateKvEnhanceDialog"},
        {T_N_HISTORY_vCreateSweepEnhanceDialog, "T_N_HISTORY_vCreateSweepEnhanceDialog"},
        {T_N_HISTORY_vSetHeadingOffsetStartArea, "T_N_HISTORY_vSetHeadingOffsetStartArea"},
        {T_N_HISTORY_vDeployAction, "T_N_HISTORY_vDeployAction"},
        {T_N_HISTORY_vRetractAction, "T_N_HISTORY_vRetractAction"},
    };
    for (const auto& k : known)
        if (k.first == pfn)
            return k.second;
    return pfn == nullptr ? "-" : "unknown-action";
}

inline std::string unit(UNIT_TYPE u)
{
    switch (u) {
    case U_NONE:
        return "none";
    case U_FEET:
        return "ft";
    case U_METRES:
        return "m";
    case U_FATHOMS:
        return "fa";
    case U_KNOTS:
        return "kn";
    case U_MPH:
        return "mph";
    case U_KPH:
        return "kph";
    default:
        return "unit" + std::to_string((int)u);
    }
}

inline std::string number(float f)
{
    char ac[32];
    snprintf(ac, sizeof ac, "%g", (double)f);
    return ac;
}

// Rows up to and including the U_NONE row that ends a limits list.
inline std::string limits(const MENU_LIMITS* p)
{
    if (p == nullptr)
        return "-";
    std::string s = "[";
    for (int i = 0; i < 8; ++i) {
        s += (i ? ", " : "") + unit(p[i].Units) + " " + number(p[i].fMinimum) + ".." + number(p[i].fMaximum) + "/" +
             number(p[i].fIncrement);
        if (p[i].Units == U_NONE)
            break;
    }
    return s + "]";
}

// As many rows as the limits list has.
inline std::string levels(const MENU_STEP_LEVELS* p, const MENU_LIMITS* pLimits)
{
    if (p == nullptr)
        return "-";
    std::string s = "[";
    for (int i = 0; i < 8; ++i) {
        s += (i ? ", " : "") + unit(p[i].Units) + " " + number(p[i].fStep1) + "/" + number(p[i].fStep2);
        if (pLimits == nullptr || pLimits[i].Units == U_NONE)
            break;
    }
    return s + "]";
}

inline std::string values(const U32* p, U32 n)
{
    if (p == nullptr)
        return "-";
    std::string s = "[";
    for (U32 i = 0; i < n; ++i) {
        const std::string f = fcc(p[i]);
        s += (i ? ", " : "") + (f.empty() ? std::to_string(p[i]) : f);
    }
    return s + "]";
}

inline std::string place(const TEXT_TABLE* pTab, const TEXT_TABLE* pSub, LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    // Menus know a tab by its table, not its text: an item under a "Setup"
    // of its own would never show in the menu task's Setup tab.
    if (pTab != nullptr)
        return "tab " + text(pTab) +
               (text(pTab) == "\"Setup\"" && pTab != T_MENU_pSetupTabName ? " (not the menu task's table)" : "");
    if (pSub != nullptr)
        return "sub " + text(pSub);
    return "hot " + std::to_string(view) + "/" + pane(split);
}

inline std::string control(const MENU_DESCRIPTOR& d)
{
    const CONTROL_PARAMETERS& p = d.parameters;
    switch (d.control) {
    case M_SLIDER:
    case M_SLIDER_VARIABLE_STEP:
    case M_SLIDER_IMMEDIATE: {
        const M_SLIDER_PARAMETERS& s = p.slider;
        std::string out = d.control == M_SLIDER             ? "slider"
                          : d.control == M_SLIDER_IMMEDIATE ? "slider_now"
                                                            : "var_slider";
        out += " key=" + key(s.FourCharId) + " limits=" + limits(s.pLimits);
        if (d.control == M_SLIDER_VARIABLE_STEP)
            out += " levels=" + levels(s.pLevels, s.pLimits);
        return out + " left=" + text(s.pCtrlTextLeft) + " right=" + text(s.pCtrlTextRight) +
               " suffix=" + text(s.valueStrSuffix);
    }
    case M_PROGRESS_BAR: {
        const M_PROGRESS_BAR_PARAMETERS& b = p.progressBar;
        return "progress_bar key=" + key(b.FourCharId) + " limits=" + limits(b.pLimits) + " left=" +
               text(b.pCtrlTextLeft) + " right=" + text(b.pCtrlTextRight) + " suffix=" + text(b.valueStrSuffix);
    }
    case M_SELECTION_BOX: {
        const M_SELECTION_BOX_PARAMETERS& b = p.selectionBox;
        std::string choices;
        if (b.pSelectionIcons != nullptr) {
            choices = "[";
            for (U32 i = 0; i < b.numberSelections; ++i)
                choices += (i ? ", " : "") + icon(b.pSelectionIcons[i]);
            choices += "]";
        } else {
            choices = texts(b.pSelectionList, b.numberSelections);
        }
        return "selector key=" + key(b.FourCharId) + " choices=" + choices +
               " values=" + values(b.pSelectionValueArray, b.numberSelections);
    }
    case M_ACTION:
    case M_ACTION_HOT:
        return std::string(d.control == M_ACTION ? "action" : "action_now") + " fn=" + action(p.action.pt2Function) +
               " confirm=" + std::to_string(p.action.confirm);
    case M_SUB_MENU:
    case M_SUB_MENU_HOT: {
        const M_SUB_MENU_PARAMETERS& m = p.subMenu;
        return "sub_menu choices=" + texts(m.pSubMenuChoices, m.numberChoices) +
               " opens=" + texts(m.pSubMenuNames, m.numberChoices) + " icons=" + (m.pSubMenuIcons ? "yes" : "-") +
               " fn=" + action(m.pt2Function);
    }
    default:
        return "control" + std::to_string((int)d.control);
    }
}

// One mail as a line.
inline std::string line(const GENERIC_MESSAGE* pMsg)
{
    switch (pMsg->Cmd) {
    case CMD_ID_REGISTER_LAYER: {
        const auto* m = reinterpret_cast<const MSG_REGISTER_LAYER*>(pMsg);
        char acUser[16];
        snprintf(acUser, sizeof acUser, "0x%X", m->user);
        return "view +layer " + std::to_string(m->layer) + "/" + pane(m->eLocation) +
               " used_by=" + std::to_string(m->where_used) + " draw=" + draw(m->pDrawFunction) +
               " key=" + key(m->fcidDisplayFlag) + " split_key=" + key(m->fcidSplitControl) +
               " shown=" + std::to_string(m->bDisplay) + " user=" + acUser + " captions=" +
               text(m->pPlaybackString) + "/" + text(m->pSimString) + "/" + text(m->pPOSString);
    }
    case CMD_ID_UNREGISTER_LAYER: {
        const auto* m = reinterpret_cast<const MSG_UNREGISTER_LAYER*>(pMsg);
        return "view -layer " + std::to_string(m->layer) + "/" + pane(m->eLocation);
    }
    case CMD_ID_REGISTER_MENU_TAB: {
        const auto* m = reinterpret_cast<const MSG_ADD_MENU_TAB*>(pMsg);
        return "menu +tab " + text(m->pTabName) + " slot=" + std::to_string(m->priority) + " icon=" +
               icon(m->pTabIcon) + " level=" + std::to_string(m->menuUserLevel);
    }
    case CMD_ID_UNREGISTER_MENU_TAB: {
        const auto* m = reinterpret_cast<const MSG_REMOVE_TAB*>(pMsg);
        return "menu -tab " + text(m->pTabName);
    }
    case CMD_ID_REGISTER_HOT_MENU: {
        const auto* m = reinterpret_cast<const MSG_ADD_HOT_MENU*>(pMsg);
        return "menu +hot_menu " + std::to_string(m->view) + "/" + pane(m->type);
    }
    case CMD_ID_REGISTER_MENU_ITEM: {
        const auto* m = reinterpret_cast<const MSG_ADD_MENU_ITEM*>(pMsg);
        const MENU_DESCRIPTOR& d = m->descriptor;
        return "menu +item " + place(m->pTabName, m->pSubMenuName, m->view, m->splitType) + " " + text(d.pMenuName) +
               " prio=" + std::to_string(d.menuPriority) + " level=" + std::to_string(d.menuUserLevel) +
               " icon=" + icon(m->pMenuIcon) + " " + control(d);
    }
    case CMD_ID_UNREGISTER_MENU_ITEM: {
        const auto* m = reinterpret_cast<const MSG_REMOVE_MENU*>(pMsg);
        return "menu -item " + place(m->pTabName, m->pSubMenuName, m->view, m->splitType) + " " + text(m->pMenuName);
    }
    default:
        return "mail cmd=" + std::to_string((int)pMsg->Cmd);
    }
}

// Every mail waiting in the fake mailbox, oldest first, as lines; the mails
// are freed.
inline std::vector<std::string> drainLines()
{
    std::vector<std::string> out;
    while (MSGHEADER* pHeader = L_MBOX_Receive(FAKE_TASKS_MAILBOX)) {
        out.push_back(line(reinterpret_cast<const GENERIC_MESSAGE*>(pHeader)));
        H_MEMORY_vDumpMail(pHeader);
    }
    return out;
}

inline bool contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

// The lines that hold every one of the parts.
inline std::vector<std::string> linesWith(const std::vector<std::string>& lines,
                                          std::initializer_list<std::string> parts)
{
    std::vector<std::string> out;
    for (const std::string& l : lines) {
        if (std::all_of(parts.begin(), parts.end(), [&](const std::string& p) { return contains(l, p); }))
            out.push_back(l);
    }
    return out;
}

} // namespace sonar_test
