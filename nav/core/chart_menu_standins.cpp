// STAND-INS (see the header).
#include "nav/core/chart_menu_standins.h"

#include <mutex>

namespace {

struct STATE {
    std::mutex lock;
    std::vector<U32> aFolders[2];
    U32 u32LakeRecords = 0;
    BOOLEAN bCustomNeeded = FALSE;
    std::vector<std::string> calls;
};

STATE& st(void)
{
    static STATE* const p = new STATE;
    return *p;
}

} // namespace

U32 T_CHART_vGetMapfoldMask(U32 u32Card)
{
    std::lock_guard<std::mutex> guard(st().lock);
    return u32Card < 2 ? (U32)st().aFolders[u32Card].size() : 0;
}

U32 U_CHART_GENERIC_nLakeListGetNumberOfRecords(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    return st().u32LakeRecords;
}

void NAV_CHART_STANDIN_vSetFolders(U32 u32Card, const std::vector<U32>& rows)
{
    std::lock_guard<std::mutex> guard(st().lock);
    if (u32Card < 2)
        st().aFolders[u32Card] = rows;
}

void NAV_CHART_STANDIN_vSetLakeList(U32 u32Records, BOOLEAN bCustomNeeded)
{
    std::lock_guard<std::mutex> guard(st().lock);
    st().u32LakeRecords = u32Records;
    st().bCustomNeeded = bCustomNeeded;
}

std::vector<std::string> NAV_CHART_STANDIN_vCalls(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    return st().calls;
}

void NAV_CHART_STANDIN_vForget(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    st().calls.clear();
    st().aFolders[0].clear();
    st().aFolders[1].clear();
    st().u32LakeRecords = 0;
    st().bCustomNeeded = FALSE;
}
