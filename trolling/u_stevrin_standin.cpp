// STAND-IN for the trolling-motor link's client calls (see the header).
#include "trolling/u_stevrin_standin.h"

#include "kernel/lm_log.h"
#include "ui/neighbour_standins.h" // the link's command set

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

constexpr U32 TRACK_MAX_POINTS = 352; // a RUMBREL's points
constexpr size_t TRACK_NAME_CHARS = 12;

std::mutex s_mutex;
std::vector<const char*> s_calls;
std::vector<U_STEVRIN_STANDIN_REQUEST> s_requests;
U16 s_u16TargetIndex = 0;

void vRecord(const char* pcCall, U32 u32Command, U32 u32ItemIndex = 0)
{
    log_me("trolling-motor link not built yet: %s", pcCall);
    std::lock_guard<std::mutex> lock(s_mutex);
    s_calls.push_back(pcCall);
    s_requests.push_back({u32Command, u32ItemIndex, false, {}, {}});
}

void vRecordTrack(const char* pcCall, U32 u32Command, const POINT* paPoints, U32 u32Count, const char* pcName)
{
    log_me("trolling-motor link not built yet: %s", pcCall);
    U_STEVRIN_STANDIN_REQUEST r = {u32Command, 0, true, {}, {}};
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

U16 T_STEVRIN_vGetRumbrelTargetIndex(void)
{
    std::lock_guard<std::mutex> lock(s_mutex);
    return s_u16TargetIndex;
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
