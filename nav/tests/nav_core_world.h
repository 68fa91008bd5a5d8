// The navigation core's world in a test: a unit root, a fresh data store,
// empty navigation tables and the module state as at power-up, a route
// laid out on the ground around a point in the south-east of the US, and
// readers for the keys the update writes.
//
// Ground offsets are turned into Mercator metres with the scale of the
// latitude band, which matches the update's rhumb-line distances to well
// under one per cent over the few kilometres the tests use.
#pragma once

#include "nav/core/chart_menu_standins.h"
#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav_task.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/core/t_nav_cursor_items.h"
#include "nav/core/t_nav_menus_chart.h"
#include "nav/core/t_nav_route.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/u_nav.h"
#include "nav/data/t_nav_twr.h"
#include "nav/tests/nav_test_util.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_sema.h"
#include "store/h_database.h"
#include "ui/neighbour_standins.h"
#include "ui/u_menu_client.h"
#include "ui/u_view.h"
#include "util/u_convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace navw {

constexpr U32 T0 = 1300000000; // "IDTM" at the start of a test

inline POINT origin()
{
    static const POINT o = [] {
        const POSITION p = {34.0, -84.0};
        POINT pt = {0, 0};
        nv_DegrToMeter(&p, &pt);
        return pt;
    }();
    return o;
}

inline double mercatorPerMetre()
{
    return U_NAV_u16ScalingMMPerKm(origin().y) / 1024.0;
}

// The point so many ground metres east and north of the origin.
inline POINT at(double east, double north)
{
    const double s = mercatorPerMetre();
    return {origin().x + (S32)std::lround(east * s), origin().y + (S32)std::lround(north * s)};
}

// The key of four characters.
inline FOURCHARID k(const char* key)
{
    return (U32)(U8)key[0] | (U32)(U8)key[1] << 8 | (U32)(U8)key[2] << 16 | (U32)(U8)key[3] << 24;
}

inline std::optional<float> f(const char* key)
{
    float v = 0;
    if (!H_DATABASE_bFetchFloat(k(key), &v, nullptr, nullptr))
        return std::nullopt;
    return v;
}

inline std::optional<U32> u(const char* key)
{
    U32 v = 0;
    if (!H_DATABASE_bFetchU32(k(key), &v, nullptr, nullptr))
        return std::nullopt;
    return v;
}

inline std::optional<S32> s(const char* key)
{
    S32 v = 0;
    if (!H_DATABASE_bFetchS32(k(key), &v, nullptr, nullptr))
        return std::nullopt;
    return v;
}

inline std::optional<bool> b(const char* key)
{
    BOOLEAN v = FALSE;
    if (!H_DATABASE_bFetchBoolean(k(key), &v, nullptr, nullptr))
        return std::nullopt;
    return v != FALSE;
}

inline void setF(const char* key, float v) { H_DATABASE_bUpdateValueFloat(k(key), v, P_NORMAL); }
inline void setU(const char* key, U32 v) { H_DATABASE_bUpdateValueU32(k(key), v, P_NORMAL); }
inline void setS(const char* key, S32 v) { H_DATABASE_bUpdateValueS32(k(key), v, P_NORMAL); }
inline void setB(const char* key, bool v) { H_DATABASE_bUpdateValueBoolean(k(key), v ? TRUE : FALSE, P_NORMAL); }

// The key keeps its value but stops being valid: its time-out runs out.
inline void expire(const char* key)
{
    DB_DATA_TYPE v;
    DB_ATTRIBUTES a;
    ASSERT_TRUE(H_DATABASE_bFetch(k(key), &v, nullptr, &a));
    H_DATABASE_bUpdateEverything(k(key), v, P_NORMAL, a.DataType, nullptr, 1);
    L_CLOCK_vAdvanceTestClock(1500);
    BOOLEAN valid = TRUE;
    H_DATABASE_bFetch(k(key), nullptr, &valid, nullptr);
    ASSERT_FALSE(valid);
}

inline void boatAt(POINT p)
{
    setS("ILAT", p.y);
    setS("ILON", p.x);
}

inline double bearing(POINT a, POINT b)
{
    return T_NAV_dBearing(&a, &b);
}

inline double distance(POINT a, POINT b)
{
    return T_NAV_fDistanceBetweenPoints(&a, &b);
}

// An own waypoint (status 1 unless told) in a slot; its id is the slot.
inline void putWaypoint(U16 slot, POINT pt, U8 status = WP_STATUS_PERMANENT)
{
    WAYPOINT* w = T_NAV_pGetWaypoint(slot);
    *w = WAYPOINT{};
    w->u8Status = status;
    w->pt = pt;
}

// Module state as at power-up.
inline void resetModule()
{
    T_NAV_vResetNavControl();
    s_CurrentRoute = ROUTE{};
    s_CurrentRoute.bRtNotShared = 1;
    s_pCurrentRoute = nullptr;
    T_NAV_vClearRoutePoint();
    s_bStartedRouteInMiddle = FALSE;
    s_bRecalculate = FALSE;
    s_ptRecalculateOrigin = {0, 0};
    s_ptOWT = {0, 0};
    s_u32TimeOWT = 0;
    s_u32NavStartTime = 0;
    s_fDistTraveled = -1.0f;
    ptPrevBoatMM = {0, 0};
    s_u32ZoomKeyDownTime = 0;
    s_u16MOBWaypoint = NAV_NO_MOB_WAYPOINT;
    U_NAV_vClearTrack(&s_CurrentTrack);
    s_bTrackEnable = TRUE;
    s_nTrackTickCounter = 0;
    s_bAddPowerOnGapPoint = TRUE;
    s_bFTCNavOn = FALSE;
    s_bTrackingMemoryWarning = FALSE;
    s_bTrackingMemoryWarningDisplayed = FALSE;
    s_u8TrackingMemoryWarningTime = 0;
    s_BoatDescriptor = BOAT_DESCRIPTOR{};
    s_u32IndexInAimpointList = 0;
    s_bSimulatingSquare = TRUE;
    s_u32RudderAdjustmentIndex = 0;
    s_TimeStamp = 0;
}

// A route laid out from the points, one waypoint each (ids 0, 1, ...),
// navigated towards entry inip: the leg inputs of the update as the
// navigation control leaves them, the boat at the leg's start, 5 m/s
// straight at the destination, limits of 50 m (off course) and 20 m
// (arrival), no continuous navigation.
inline void navigate(const std::vector<POINT>& points, U32 inip = 1)
{
    s_CurrentRoute.nCount = (U32)points.size();
    for (size_t i = 0; i < points.size(); ++i) {
        putWaypoint((U16)i, points[i]);
        s_CurrentRoute.anWaypoint[i] = (U16)i;
        T_NAV_vAddRoutePoint(points[i]);
    }
    const POINT from = points[inip - 1];
    const POINT to = points[inip];
    setU("INIP", inip);
    setU("IDWP", inip);
    setU("IOWP", inip - 1);
    setF("ITRK", (float)bearing(from, to));
    setF("SNAO", 50.0f);
    setF("SNAA", 20.0f);
    setF("ISOG", 5.0f);
    setF("IHDG", (float)bearing(from, to));
    setB("SNCM", false);
    setB("CCNC", false);
    setU("IDTM", T0);
    s_ptOWT = from;
    s_u32TimeOWT = T0;
    boatAt(from);
}

// A mail that reached a mailbox: its command and a copy of its body.
struct Mail {
    CMD_ID cmd;
    std::vector<U8> bytes; // the whole mail, header included
    template <typename MAIL>
    const MAIL& as() const
    {
        return *reinterpret_cast<const MAIL*>(bytes.data());
    }
};

inline size_t mailSize(CMD_ID cmd)
{
    switch (cmd) {
    case CMD_ID_REGISTER_MENU_ITEM:
        return sizeof(MSG_ADD_MENU_ITEM);
    case CMD_ID_UNREGISTER_MENU_ITEM:
        return sizeof(MSG_REMOVE_MENU);
    case CMD_ID_REGISTER_LAYER:
        return sizeof(MSG_REGISTER_LAYER);
    case CMD_ID_UNREGISTER_LAYER:
        return sizeof(MSG_UNREGISTER_LAYER);
    case CMD_ID_REGISTER_FOR_KEYS:
        return sizeof(MSG_REGISTER_FOR_KEYS);
    case CMD_ID_UNREGISTER_FOR_KEYS:
        return sizeof(MSG_UNREGISTER_FOR_KEYS);
    case CMD_ID_ACTIVATE_INFO_MENU:
        return sizeof(MSG_ACTIVATE_INFO_MENU);
    default:
        return sizeof(GENERIC_MESSAGE);
    }
}

// Every mail waiting in the mailbox, in order; the mails are freed.
inline std::vector<Mail> drain(MBOX mbox)
{
    std::vector<Mail> out;
    while (MSGHEADER* p = L_MBOX_Receive(mbox)) {
        const auto* g = reinterpret_cast<const GENERIC_MESSAGE*>(p);
        Mail m{g->Cmd, {}};
        m.bytes.assign(reinterpret_cast<const U8*>(p), reinterpret_cast<const U8*>(p) + mailSize(g->Cmd));
        out.push_back(m);
        H_MEMORY_vDumpMail(p);
    }
    return out;
}

// The mailboxes standing for the menu, view, keyboard and alarm tasks.
constexpr MBOX MENU_BOX = 15;
constexpr MBOX VIEW_BOX = 5;
constexpr MBOX KEYBOARD_BOX = 8;
constexpr MBOX ALARM_BOX = 20;

// One mail that reached the alarm task's mailbox, as that task reads it:
// the text is copied when the mail is taken, as the alarm task draws it.
struct AlarmMail {
    CMD_ID cmd;
    ALARM_PRIORITY priority;
    ALARM_SET_MESSAGE set; // a raise's fields (zero for a clear)
    std::string text;      // a raise's text, "" for none
    PRIORITY mailPriority;
    SEMA sema;
};

// Every mail waiting in the alarm mailbox, in order; the mails are freed.
inline std::vector<AlarmMail> alarmMails()
{
    std::vector<AlarmMail> out;
    while (MSGHEADER* p = L_MBOX_Receive(ALARM_BOX)) {
        const auto* g = reinterpret_cast<const GENERIC_MESSAGE*>(p);
        AlarmMail m{g->Cmd, (ALARM_PRIORITY)-1, {}, "", p->MsgPriority, p->sema};
        if (g->Cmd == CMD_ID_SET_ALARM) {
            m.set = *reinterpret_cast<const ALARM_SET_MESSAGE*>(p);
            m.priority = m.set.Priority;
            if (m.set.pMessageString != nullptr)
                m.text = m.set.pMessageString;
        } else if (g->Cmd == CMD_ID_CLEAR_ALARM) {
            m.priority = reinterpret_cast<const ALARM_CLEAR_MESSAGE*>(p)->Priority;
        }
        out.push_back(m);
        H_MEMORY_vDumpMail(p);
    }
    return out;
}

inline size_t countOf(const std::vector<AlarmMail>& mails, CMD_ID cmd, ALARM_PRIORITY priority)
{
    size_t n = 0;
    for (const AlarmMail& m : mails)
        n += m.cmd == cmd && m.priority == priority;
    return n;
}
inline size_t raised(const std::vector<AlarmMail>& mails, ALARM_PRIORITY priority)
{
    return countOf(mails, CMD_ID_SET_ALARM, priority);
}
inline size_t cleared(const std::vector<AlarmMail>& mails, ALARM_PRIORITY priority)
{
    return countOf(mails, CMD_ID_CLEAR_ALARM, priority);
}
// The last raise of the priority; a failed expectation when there is none.
inline AlarmMail lastRaise(const std::vector<AlarmMail>& mails, ALARM_PRIORITY priority)
{
    for (auto it = mails.rbegin(); it != mails.rend(); ++it)
        if (it->cmd == CMD_ID_SET_ALARM && it->priority == priority)
            return *it;
    ADD_FAILURE() << "alarm " << (int)priority << " was not raised";
    return AlarmMail{CMD_ID_INVALID_ID, (ALARM_PRIORITY)-1, {}, "", 0, 0};
}

inline void publishNeighbourMailboxes()
{
    H_DATABASE_bUpdateEverythingU32(FCID("TMNU"), MENU_BOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingU32(FCID("TVUE"), VIEW_BOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingU32(FCID("TKBD"), KEYBOARD_BOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingU32(FCID("TALR"), ALARM_BOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    for (MBOX m : {MENU_BOX, VIEW_BOX, KEYBOARD_BOX})
        drain(m);
    alarmMails();
}

inline bool signalled(SEMA sema)
{
    return L_SEMA_WaitTicks(sema, 1) == 0;
}

class NavCore : public ::testing::Test {
protected:
    void SetUp() override
    {
        navt::unitRoot();
        U_CONVERT_vInitialiseConversionUtility();
        H_DATABASE_vInit();
        T_NAV_TWR_vClearTables();
        resetModule();
        T_NAV_ALARM_vInit();
        NAV_STANDIN_vForget();
        NAV_CHART_STANDIN_vForget();
        T_NAV_MENUS_CHART_vReset();
        T_NAV_CURSOR_vReset();
        NAV_STANDIN_vSetAisTargets({});
        publishNeighbourMailboxes();
        for (SEMA sema : {(SEMA)102, (SEMA)103, SEMA_VIEW_UPDATE})
            L_SEMA_SetPending(sema);
    }
};

} // namespace navw
