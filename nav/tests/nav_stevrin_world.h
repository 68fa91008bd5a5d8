// The trolling-motor bridge's world in a test: the navigation core's world
// with the bridge's state as at power-up, readers for what the bridge sends
// to the menu, keyboard and alarm mailboxes and asks of the link, a pump
// that executes the mails waiting in mailbox 16 as the navigation task
// does, contours in the lake-chart stand-in, and the program-heap
// partitions that mail data comes from.
#pragma once

#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav_stevrin.h"
#include "nav/tests/nav_core_world.h"

#include "chart_sdk/geodesy/nv_conv.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mem.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "ui/neighbour_standins.h"
#include "ui/u_keyboard.h"
#include "trolling/u_stevrin_standin.h"
#include "ui/u_menu_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

inline bool operator==(const POINT& a, const POINT& b)
{
    return a.x == b.x && a.y == b.y;
}

inline std::ostream& operator<<(std::ostream& o, const POINT& p)
{
    return o << "(" << p.x << ", " << p.y << ")";
}

namespace stw {

using namespace navw;

constexpr char PICK_PATH[] = "LAKE0001";
constexpr char OTHER_PATH[] = "LAKE0002";

// ---- Mails that left the bridge ----

// A mail of the menu or keyboard task, copied as far as its type goes.
struct UiMail {
    CMD_ID cmd;
    std::vector<U8> bytes;
    template <typename MAIL>
    const MAIL& as() const
    {
        return *reinterpret_cast<const MAIL*>(bytes.data());
    }
};

inline size_t uiMailSize(CMD_ID cmd)
{
    switch (cmd) {
    case CMD_ID_REGISTER_FLOATING_MENU:
        return sizeof(MSG_ADD_FLOATING_MENU);
    case CMD_ID_REGISTER_FLOATING_MENU_ITEM:
        return sizeof(MSG_ADD_MENU_ITEM);
    case CMD_ID_ACTIVATE_FLOATING_MENU:
        return sizeof(MSG_ACTIVATE_FLOATING_MENU);
    case CMD_ID_UNREGISTER_FOR_KEYS:
        return sizeof(MSG_UNREGISTER_FOR_KEYS);
    default:
        return sizeof(GENERIC_MESSAGE);
    }
}

inline std::vector<UiMail> uiMails(MBOX mbox)
{
    std::vector<UiMail> out;
    while (MSGHEADER* p = L_MBOX_Receive(mbox)) {
        const auto* g = reinterpret_cast<const GENERIC_MESSAGE*>(p);
        UiMail m{g->Cmd, {}};
        m.bytes.assign(reinterpret_cast<const U8*>(p), reinterpret_cast<const U8*>(p) + uiMailSize(g->Cmd));
        out.push_back(m);
        H_MEMORY_vDumpMail(p);
    }
    return out;
}

inline std::vector<CMD_ID> commands(const std::vector<UiMail>& mails)
{
    std::vector<CMD_ID> out;
    for (const UiMail& m : mails)
        out.push_back(m.cmd);
    return out;
}

// A request to the trolling-motor link, with its track.
struct LinkMail {
    U32 u32Command;
    U32 u32ItemIndex;
    bool bTrack;
    RUMBREL track;
};

// Every request made of the link since the last look.
inline std::vector<LinkMail> linkMails()
{
    std::vector<LinkMail> out;
    for (const U_STEVRIN_STANDIN_REQUEST& r : U_STEVRIN_STANDIN_vRequests()) {
        LinkMail l = {r.u32Command, r.u32ItemIndex, r.bTrack, RUMBREL{}};
        l.track.nCount = (U32)r.points.size();
        std::copy(r.points.begin(), r.points.end(), l.track.aTrackPoints);
        memcpy(l.track.sName, r.sName.data(), std::min(r.sName.size(), sizeof l.track.sName));
        out.push_back(l);
    }
    U_STEVRIN_STANDIN_vClearCalls();
    return out;
}

// A raise (simple or with answers) or a clear sent to the alarm task.
struct FtcAlarm {
    CMD_ID cmd;
    ALARM_PRIORITY priority;
    std::string text;
    std::string left;
    std::string right;
    ALARM_SET_MESSAGE set; // a raise's fields
};

inline std::vector<FtcAlarm> ftcAlarms()
{
    std::vector<FtcAlarm> out;
    while (MSGHEADER* p = L_MBOX_Receive(ALARM_BOX)) {
        const auto* g = reinterpret_cast<const GENERIC_MESSAGE*>(p);
        FtcAlarm a{g->Cmd, (ALARM_PRIORITY)-1, "", "", "", {}};
        if (g->Cmd == CMD_ID_SET_EXT_ALARM || g->Cmd == CMD_ID_SET_ALARM) {
            a.set = *reinterpret_cast<const ALARM_SET_MESSAGE*>(p);
            a.priority = a.set.Priority;
            a.text = a.set.pMessageString ? a.set.pMessageString : "";
            a.left = a.set.pLeftChoice ? a.set.pLeftChoice : "";
            a.right = a.set.pRightChoice ? a.set.pRightChoice : "";
        } else if (g->Cmd == CMD_ID_CLEAR_ALARM) {
            a.priority = reinterpret_cast<const ALARM_CLEAR_MESSAGE*>(p)->Priority;
        }
        out.push_back(a);
        H_MEMORY_vDumpMail(p);
    }
    return out;
}

// Runs the mails waiting in mailbox 16 as the navigation task does; the
// keys of the change mails among them.
inline std::vector<FOURCHARID> pump()
{
    std::vector<FOURCHARID> changed;
    while (MSGHEADER* p = L_MBOX_Receive(NAV_MAILBOX)) {
        const auto* g = reinterpret_cast<const GENERIC_MESSAGE*>(p);
        if (g->Cmd == CMD_ID_NAV_STEVRIN)
            T_NAV_STEVRIN_vExecuteStevrinCmd(reinterpret_cast<NAV_STEVRIN_DATA_MSG*>(p));
        else if (g->Cmd == CMD_ID_NEW_DATA)
            changed.push_back(reinterpret_cast<const MESSAGE_NEW_DATA*>(p)->FourCharId);
        H_MEMORY_vDumpMail(p);
    }
    return changed;
}

inline void drainAll()
{
    pump();
    uiMails(MENU_BOX);
    uiMails(VIEW_BOX);
    uiMails(KEYBOARD_BOX);
    linkMails();
    ftcAlarms();
    for (SEMA sema : {SEMA_KEYCLICK_GOOD, SEMA_KEYCLICK_BAD, SEMA_VIEW_UPDATE})
        L_SEMA_SetPending(sema);
}

// ---- The program heap ----

// Free blocks of the partitions that mail data and tracks come from.
struct HeapMark {
    ERC small; // mails, start messages, points
    ERC track; // RUMBREL blocks
    bool operator==(const HeapMark&) const = default;
};

inline HeapMark heapMark()
{
    return {L_MEM_GetFreeCount(H_MEMORY_mapFindPart(sizeof(NAV_STEVRIN_DATA_MSG))),
            L_MEM_GetFreeCount(H_MEMORY_mapFindPart(sizeof(RUMBREL)))};
}

inline RUMBREL* heapTrack(const std::vector<POINT>& points, const char* name = "TRACK")
{
    auto* r = static_cast<RUMBREL*>(H_MEMORY_pvMalloc(sizeof(RUMBREL)));
    memset(static_cast<void*>(r), 0, sizeof(RUMBREL));
    r->nCount = (U32)points.size();
    for (size_t i = 0; i < points.size() && i < RUMBREL_MAX_POINTS; ++i)
        r->aTrackPoints[i] = points[i];
    memcpy(r->sName, name, strnlen(name, RUMBREL_NAME_CHARS));
    return r;
}

// ---- Contours ----

// n points of a contour running north-east from the origin, in the
// library's millionths of a degree.
inline std::vector<FTC_POINT> contour(int n, int seed = 0)
{
    std::vector<FTC_POINT> out;
    for (int i = 0; i < n; ++i)
        out.push_back({-84000000 + 200 * i + seed, 34000000 + 100 * i + 7 * seed});
    return out;
}

inline POINT mercator(FTC_POINT p)
{
    const POSITION pos = {p.y * 0.000001, p.x * 0.000001};
    POINT pt = {0, 0};
    nv_DegrToMeter(&pos, &pt);
    return pt;
}

inline NAV_STANDIN_LAKE_TRACK lakeTrack(std::vector<FTC_POINT> points, std::vector<S32> depths = {60})
{
    NAV_STANDIN_LAKE_TRACK t;
    t.points = std::move(points);
    t.depths = std::move(depths);
    return t;
}

inline std::vector<NAV_STANDIN_LAKE_CALL> lakeCalls(const std::string& what)
{
    std::vector<NAV_STANDIN_LAKE_CALL> out;
    for (const auto& c : NAV_STANDIN_vLakeCalls())
        if (c.sCall == what)
            out.push_back(c);
    return out;
}

inline std::vector<FTC_POINT> pointList()
{
    return {s_tFTCData.astCtrPoints, s_tFTCData.astCtrPoints + s_tFTCData.nCtrPoints};
}

inline std::vector<POINT> contourTrack()
{
    return {s_tContourRumbrel.aTrackPoints, s_tContourRumbrel.aTrackPoints + s_tContourRumbrel.nCount};
}

inline std::vector<POINT> mercatorAll(const std::vector<FTC_POINT>& points)
{
    std::vector<POINT> out;
    for (FTC_POINT p : points)
        out.push_back(mercator(p));
    return out;
}

// A pick as the cursor's Go-To action leaves it.
inline void* makePick(const std::vector<FTC_POINT>& points, const char* path = PICK_PATH)
{
    s_pContourAddr = NAV_STANDIN_pNewLakeState(lakeTrack(points));
    snprintf(s_achPickText, sizeof s_achPickText, "%s", "12 ft contour of the lake");
    s_nPickDepthActual = 12;
    s_anDeeperFlag[0] = -1;
    s_anDeeperFlag[1] = 1;
    memcpy(sMapfoldStevrinPath, path, FTC_PATH_CHARS);
    s_bInGoToContourMenu = TRUE;
    return s_pContourAddr;
}

// Follows a contour started here from a pick in direction 1 ("Navigate to
// Start"); the mails it caused are drained. The followed state.
inline void* follow(const std::vector<FTC_POINT>& points, std::vector<S32> depths = {60})
{
    makePick(contour(2, 99));
    NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(points, std::move(depths)));
    U_NAV_STEVRIN_vFollowContour_1();
    pump();
    drainAll();
    EXPECT_NE(s_tFTCData.pStevrinStructAddr, nullptr);
    return s_tFTCData.pStevrinStructAddr;
}

// T_NAV_STEVRIN_bFollowContour as its callers make it, with 104 held.
inline BOOLEAN followContour(void* handle, S32 option, float offset)
{
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    const BOOLEAN ok = T_NAV_STEVRIN_bFollowContour(handle, option, offset);
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
    return ok;
}

// ---- Module state as at power-up ----

inline void resetStevrin()
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    if (s_tNavRumbrelData.pRumbrel != nullptr)
        H_MEMORY_vFree(s_tNavRumbrelData.pRumbrel);
    s_tNavRumbrelData = {nullptr, FALSE, NAV_ID_NONE, 0, RUMBREL_TYPE_REGULAR, FALSE, {0, 0}};
    s_tContourRumbrel = RUMBREL{};
    L_MUTEX_Unlock(RES_NAV_DATA);
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    s_tFTCData = FTCDATA_STRUCT{};
    s_tFTCData.nOffsetSign = 1;
    s_pContourAddr = nullptr;
    memset(s_achPickText, 0, sizeof s_achPickText);
    s_nPickDepthActual = 0;
    s_anAzimuthFromStart[0] = s_anAzimuthFromStart[1] = 0;
    s_anDeeperFlag[0] = s_anDeeperFlag[1] = 1;
    memset(sMapfoldStevrinPath, 0, sizeof sMapfoldStevrinPath);
    memset(sMapfoldStevrinPathSelected, 0, sizeof sMapfoldStevrinPathSelected);
    s_bInGoToContourMenu = FALSE;
    s_bChartRefreshReqd = FALSE;
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
    s_nOffsetRumbrelTimeout = -1;
    s_bDisplayAPNewHeadingLine = FALSE;
    NAV_STANDIN_vForgetStevrin();
    U_STEVRIN_STANDIN_vClearCalls();
    U_STEVRIN_STANDIN_vSetRumbrelTargetIndex(0);
}

class Stevrin : public NavCore {
protected:
    void SetUp() override
    {
        NavCore::SetUp();
        H_DATABASE_bUpdateValueU32(FCID("SLNG"), 0, P_NORMAL);
        resetStevrin();
        drainAll();
        boatAt(at(0, 0));
        setU("IDTM", T0);
        setF("IDEP", 4.5f);
        heap = heapMark();
    }
    void TearDown() override
    {
        drainAll();
        resetStevrin();
    }
    HeapMark heap;
};

} // namespace stw
