#include "nav/core/chart_menu_standins.h"

#include "kernel/l_mutex.h"
#include "nav/core/t_nav.h" // RES_AIS_DATA
#include "nmea/t_nmea_ais_standin.h"
#include "store/h_database.h"

#include <mutex>

namespace {

struct STATE {
    std::mutex lock;
    std::vector<U32> aFolders[2];
    U32 u32LakeRecords = 0;
    BOOLEAN bCustomNeeded = FALSE;
    BOOLEAN bEditorOpens = TRUE;
    BOOLEAN bSelectorOpens = TRUE;
    POINT ptLake = {0, 0};
    S32 s32LakeScale = 0;
    BOOLEAN bStevrinBefore = FALSE;
    std::vector<std::string> calls;
};

STATE& st(void)
{
    static STATE* const p = new STATE;
    return *p;
}

void vNote(const std::string& s)
{
    std::lock_guard<std::mutex> guard(st().lock);
    st().calls.push_back(s);
}

} // namespace

U32 T_CHART_vGetMapfoldMask(U32 u32Card)
{
    std::lock_guard<std::mutex> guard(st().lock);
    return u32Card < 2 ? (U32)st().aFolders[u32Card].size() : 0;
}

BOOLEAN U_CHART_GENERIC_bIsFolderOnCard(U32 u32Count, U32 u32Card, U32 u32Row)
{
    if (u32Count == 0 || u32Card >= 2 || u32Row == 37 || u32Row == 38)
        return FALSE;
    std::lock_guard<std::mutex> guard(st().lock);
    for (U32 r : st().aFolders[u32Card])
        if (r == u32Row)
            return TRUE;
    return FALSE;
}

U32 U_CHART_GENERIC_nLakeListGetNumberOfRecords(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    return st().u32LakeRecords;
}

BOOLEAN T_CHART_LAYER_bIsCustomNeeded(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    return st().bCustomNeeded;
}

void T_CHART_LAYER_vSetupCustomChartLayerMenu(BOOLEAN bShow) { vNote("custom-layers " + std::to_string(bShow)); }

void T_CHART_INFO_vHandlePortInfoMenu(POINT* pptMM, void* pDegrees)
{
    (void)pDegrees;
    vNote("port-info " + std::to_string(pptMM->x) + " " + std::to_string(pptMM->y));
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

BOOLEAN T_NAV_GROUP_bVerifyAndEditSpecifiedRoute_Setup(U16 u16Id)
{
    vNote("edit-route " + std::to_string(u16Id));
    std::lock_guard<std::mutex> guard(st().lock);
    return st().bEditorOpens;
}

BOOLEAN T_NAV_GROUP_bVerifyAndEditSpecifiedWaypoint_Setup(U16 u16Id)
{
    vNote("edit-waypoint " + std::to_string(u16Id));
    std::lock_guard<std::mutex> guard(st().lock);
    return st().bEditorOpens;
}

void T_NAV_GROUP_vEditSelectedRumbrel_Setup(U32 u32Id, U32 u32Flag)
{
    vNote("edit-rumbrel " + std::to_string(u32Id) + " " + std::to_string(u32Flag));
}

void T_NAV_GROUP_vSelectedRumbrelInfo(U32 u32Id, BOOLEAN bFlag)
{
    (void)bFlag;
    vNote("rumbrel-info " + std::to_string(u32Id));
}

BOOLEAN T_NAV_EDIT_bSelectLakeListSetup(void (*pfnCallback)(U32), const char* pcTitle)
{
    (void)pfnCallback;
    vNote(std::string("select-lake ") + pcTitle);
    std::lock_guard<std::mutex> guard(st().lock);
    return st().bSelectorOpens;
}

BOOLEAN T_NAV_EDIT_bSelectWaypointSetup(void (*pfnCallback)(U32), const char* pcTitle, BOOLEAN bNetwork)
{
    (void)pfnCallback;
    (void)bNetwork;
    vNote(std::string("select-waypoint ") + pcTitle);
    std::lock_guard<std::mutex> guard(st().lock);
    return st().bSelectorOpens;
}

BOOLEAN T_NAV_EDIT_bSelectTWRPointSetup(void (*pfnCallback)(const void*), const char* pcTitle, BOOLEAN bNetwork,
                                        BOOLEAN bRouteEnds)
{
    (void)pfnCallback;
    (void)bNetwork;
    (void)bRouteEnds;
    vNote(std::string("select-point ") + pcTitle);
    std::lock_guard<std::mutex> guard(st().lock);
    return st().bSelectorOpens;
}

BOOLEAN T_NAV_vAisTargetListSetup(void)
{
    vNote("ais-list");
    BOOLEAN bShown = FALSE;
    if (!H_DATABASE_bFetchBoolean(FCID("SAIS"), &bShown, nullptr, nullptr) || !bShown)
        return FALSE;
    L_MUTEX_LockWait(RES_AIS_DATA);
    ais_DeviceInfo* pFirst = nullptr;
    const BOOLEAN bAny = T_NMEA_bScanAisPoints(0, &pFirst);
    L_MUTEX_Unlock(RES_AIS_DATA);
    return bAny;
}

void T_NAV_EDIT_vAisLimitsSetUp(void) { vNote("ais-limits"); }

void T_NAV_vCopyLakeListPoint(U32 u32Index, POINT* pPoint, S32* ps32Scale)
{
    (void)u32Index;
    std::lock_guard<std::mutex> guard(st().lock);
    *pPoint = st().ptLake;
    *ps32Scale = st().s32LakeScale;
}

BOOLEAN U_NAV_STEVRIN_bIsStevrinConnectedBefore(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    return st().bStevrinBefore;
}

void NAV_CHART_STANDIN_vSetStevrinConnectedBefore(BOOLEAN bConnected)
{
    std::lock_guard<std::mutex> guard(st().lock);
    st().bStevrinBefore = bConnected;
}

void NAV_CHART_STANDIN_vSetEditorAnswers(BOOLEAN bOpens, BOOLEAN bSelects)
{
    std::lock_guard<std::mutex> guard(st().lock);
    st().bEditorOpens = bOpens;
    st().bSelectorOpens = bSelects;
}

void NAV_CHART_STANDIN_vSetLakePoint(POINT pt, S32 s32Scale)
{
    std::lock_guard<std::mutex> guard(st().lock);
    st().ptLake = pt;
    st().s32LakeScale = s32Scale;
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
    st().bEditorOpens = TRUE;
    st().bSelectorOpens = TRUE;
    st().ptLake = {0, 0};
    st().s32LakeScale = 0;
    st().bStevrinBefore = FALSE;
}
