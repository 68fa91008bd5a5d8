// STAND-IN for the trolling-motor link's client calls (see the header).
#include "trolling/u_stevrin_standin.h"

#include "kernel/lm_log.h"

#include <mutex>
#include <vector>

namespace {

std::mutex s_mutex;
std::vector<const char*> s_calls;

void vRecord(const char* pcCall)
{
    log_me("trolling-motor link not built yet: %s", pcCall);
    std::lock_guard<std::mutex> lock(s_mutex);
    s_calls.push_back(pcCall);
}

} // namespace

void U_STEVRIN_vDeleteAllTWR(void)
{
    vRecord("U_STEVRIN_vDeleteAllTWR");
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
}
