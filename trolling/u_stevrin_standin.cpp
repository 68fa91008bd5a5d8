// STAND-IN for the trolling-motor link's client calls (see the header).
#include "trolling/u_stevrin_standin.h"

#include "kernel/h_memory.h"
#include "kernel/lm_log.h"
#include "store/h_database.h"
#include "util/u_sha1.h"
#include "ui/neighbour_standins.h" // the link's command set

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

constexpr U32 TRACK_MAX_POINTS = 352; // a RUMBREL's points
constexpr size_t TRACK_NAME_CHARS = 12;
// The unit's MAC address: this fixed prefix and the low 24 bits of "SMAC".
constexpr U8 MAC_PREFIX[3] = {0x02, 0x56, 0x44};
constexpr U32 UID_MARK = 0x6000; // 6 in bits 12-15 of the high word

std::mutex s_mutex;
std::vector<const char*> s_calls;
std::vector<U_STEVRIN_STANDIN_REQUEST> s_requests;
U16 s_u16TargetIndex = 0;
std::vector<U_STEVRIN_STANDIN_DELETION> s_deletions;

void vPutLE32(U8* p, U32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = (U8)(v >> (8 * i));
}

void vRecord(const char* pcCall, U32 u32Command, U32 u32ItemIndex = 0, U32 u32Flag = 0)
{
    log_me("trolling-motor link not built yet: %s", pcCall);
    std::lock_guard<std::mutex> lock(s_mutex);
    s_calls.push_back(pcCall);
    s_requests.push_back({u32Command, u32ItemIndex, false, {}, {}, u32Flag});
}

void vRecordTrack(const char* pcCall, U32 u32Command, const POINT* paPoints, U32 u32Count, const char* pcName)
{
    log_me("trolling-motor link not built yet: %s", pcCall);
    U_STEVRIN_STANDIN_REQUEST r = {u32Command, 0, true, {}, {}, 0};
    if (paPoints != nullptr)
        r.points.assign(paPoints, paPoints + std::min(u32Count, TRACK_MAX_POINTS));
    if (pcName != nullptr)
        r.sName.assign(pcName, strnlen(pcName, TRACK_NAME_CHARS));
    std::lock_guard<std::mutex> lock(s_mutex);
    s_calls.push_back(pcCall);
    s_requests.push_back(r);
}

} // namespace

void U_STEVRIN_vDeleteAllTWR(void)
{
    vRecord("U_STEVRIN_vDeleteAllTWR", ST_CMD_ERASE_TWR);
}

void U_STEVRIN_vFollowContour(const POINT* paFTCpoints, U32 u32NumberPts, const char* pacName)
{
    vRecordTrack("U_STEVRIN_vFollowContour", ST_CMD_START_FTC, paFTCpoints, u32NumberPts, pacName);
}

void U_STEVRIN_vExtendFTContour(const POINT* paFTCpoints, U32 u32NumberPts)
{
    vRecordTrack("U_STEVRIN_vExtendFTContour", ST_CMD_EXTEND_FTC, paFTCpoints, u32NumberPts, nullptr);
}

void U_STEVRIN_vOffsetFTContour(const POINT* paFTCpoints, U32 u32NumberPts)
{
    vRecordTrack("U_STEVRIN_vOffsetFTContour", ST_CMD_OFFSET_FTC, paFTCpoints, u32NumberPts, nullptr);
}

void U_STEVRIN_vStopGoto(void)
{
    vRecord("U_STEVRIN_vStopGoto", ST_CMD_STOP_GOTO);
}

void U_STEVRIN_vAdjustAutoPilot(U32 u32NewHeading)
{
    vRecord("U_STEVRIN_vAdjustAutoPilot", ST_CMD_ADJUST_AUTOPILOT, u32NewHeading);
}

void U_STEVRIN_vFollowRouteFromPt(U32 u32Route, U32 u32Point, BOOLEAN bToStart)
{
    log_me("follow route %u from point %u%s", u32Route, u32Point, bToStart ? " toward its start" : "");
    vRecord("U_STEVRIN_vFollowRouteFromPt", ST_CMD_GOTO_ROUTE, u32Route);
}

void U_STEVRIN_vGotoWaypoint(U32 u32Waypoint, BOOLEAN bStayvane)
{
    vRecord("U_STEVRIN_vGotoWaypoint", ST_CMD_GOTO_WAYPOINT, u32Waypoint, bStayvane ? 1 : 0);
}

void U_STEVRIN_vFollowRoute(U32 u32Route, BOOLEAN bToStart)
{
    vRecord("U_STEVRIN_vFollowRoute", ST_CMD_GOTO_ROUTE, u32Route, bToStart ? 1 : 0);
}

void U_STEVRIN_vFollowRumbrel(U32 u32Rumbrel, BOOLEAN bToStart)
{
    vRecord("U_STEVRIN_vFollowRumbrel", ST_CMD_GOTO_RUMBREL, u32Rumbrel, bToStart ? 1 : 0);
}

void U_STEVRIN_vFollowBackTrack(U32 u32Slot)
{
    vRecord("U_STEVRIN_vFollowBackTrack", ST_CMD_GOTO_BACKTRACK, u32Slot);
}

void U_STEVRIN_vSkipNextRoutePt(void)
{
    vRecord("U_STEVRIN_vSkipNextRoutePt", ST_CMD_SKIP_NEXT_ROUTEPT);
}

void U_STEVRIN_vReverseRoute(void)
{
    vRecord("U_STEVRIN_vReverseRoute", ST_CMD_REVERSE_NAV);
}

void U_STEVRIN_vSendCommandOneParam(U32 u32Command, U32 u32Param)
{
    vRecord("U_STEVRIN_vSendCommandOneParam", u32Command, u32Param);
}

U16 T_STEVRIN_vGetRumbrelTargetIndex(void)
{
    std::lock_guard<std::mutex> lock(s_mutex);
    return s_u16TargetIndex;
}

void U_STEVRIN_vDeleteWptsRumbrels(U32 u32Waypoints, U16* pu16Waypoints, U32 u32Rumbrels, U16* pu16Rumbrels)
{
    U_STEVRIN_STANDIN_DELETION d;
    if (pu16Waypoints != nullptr)
        d.waypoints.assign(pu16Waypoints, pu16Waypoints + u32Waypoints);
    d.bRumbrelList = pu16Rumbrels != nullptr;
    if (pu16Rumbrels != nullptr)
        d.rumbrels.assign(pu16Rumbrels, pu16Rumbrels + u32Rumbrels);
    // The link owns the lists from here; the stand-in has used them.
    if (pu16Waypoints != nullptr)
        H_MEMORY_vFree(pu16Waypoints);
    if (pu16Rumbrels != nullptr)
        H_MEMORY_vFree(pu16Rumbrels);
    vRecord("U_STEVRIN_vDeleteWptsRumbrels", ST_CMD_DELETE_DATA, u32Waypoints);
    std::lock_guard<std::mutex> lock(s_mutex);
    s_deletions.push_back(std::move(d));
}

U64 U_STEVRIN_COMMON_u64RumbrelUID(const char* pcName12, U32 u32DateTime, U32 u32Count)
{
    U32 u32Mac = 0;
    H_DATABASE_bFetchU32(FCID("SMAC"), &u32Mac, nullptr, nullptr);
    U8 au8In[6 + TRACK_NAME_CHARS + 8] = {MAC_PREFIX[0], MAC_PREFIX[1], MAC_PREFIX[2], (U8)(u32Mac >> 16),
                                          (U8)(u32Mac >> 8), (U8)u32Mac};
    if (pcName12 != nullptr)
        memcpy(au8In + 6, pcName12, TRACK_NAME_CHARS);
    vPutLE32(au8In + 6 + TRACK_NAME_CHARS, u32DateTime);
    vPutLE32(au8In + 10 + TRACK_NAME_CHARS, u32Count);
    SHA1_CTX ctx;
    U_SHA1_vReset(&ctx);
    U_SHA1_vInput(&ctx, au8In, sizeof au8In);
    U_SHA1_bFinal(&ctx);
    const U32 high = (ctx.H[0] & ~0xF000u) | UID_MARK;
    return (U64)high << 32 | ctx.H[1];
}

std::vector<U_STEVRIN_STANDIN_DELETION> U_STEVRIN_STANDIN_vDeletions(void)
{
    std::lock_guard<std::mutex> lock(s_mutex);
    return s_deletions;
}

U32 U_STEVRIN_STANDIN_u32CallCount(void)
{
    std::lock_guard<std::mutex> lock(s_mutex);
    return (U32)s_calls.size();
}

const char* U_STEVRIN_STANDIN_pcCall(U32 u32Index)
{
    std::lock_guard<std::mutex> lock(s_mutex);
    return u32Index < s_calls.size() ? s_calls[u32Index] : nullptr;
}

void U_STEVRIN_STANDIN_vClearCalls(void)
{
    std::lock_guard<std::mutex> lock(s_mutex);
    s_calls.clear();
    s_requests.clear();
    s_deletions.clear();
}

std::vector<U_STEVRIN_STANDIN_REQUEST> U_STEVRIN_STANDIN_vRequests(void)
{
    std::lock_guard<std::mutex> lock(s_mutex);
    return s_requests;
}

void U_STEVRIN_STANDIN_vSetRumbrelTargetIndex(U16 u16Index)
{
    std::lock_guard<std::mutex> lock(s_mutex);
    s_u16TargetIndex = u16Index;
}
