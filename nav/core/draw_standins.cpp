// STAND-INS of the navigation painters' neighbours (see the header).
#include "nav/core/draw_standins.h"

#include "graphics/g_string.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_twr.h"
#include "store/h_database.h"

#include <cstring>
#include <mutex>

namespace {

constexpr U32 CCST_POINT_OF_SALE = 6;

struct DRAW_STANDIN_STATE {
    std::mutex lock;
    std::vector<NAV_STANDIN_NAME> names;
    std::vector<POINT> mssCursor;
};

DRAW_STANDIN_STATE& st(void)
{
    static DRAW_STANDIN_STATE* const p = new DRAW_STANDIN_STATE;
    return *p;
}

} // namespace

void T_NAV_EDIT_vRenderWyptRteTrkName(BITMAP* pDest, COLOR colorFont, POINT* pAnchor, const FONT_DEF* pFont,
                                      const char* pString)
{
    if (pAnchor == nullptr || pString == nullptr)
        return;
    {
        std::lock_guard<std::mutex> g(st().lock);
        st().names.push_back({pString, *pAnchor, pFont, colorFont});
    }
    if (pDest != nullptr && pFont != nullptr)
        G_STRING_vPut(pDest, colorFont, pAnchor, pFont, (const BYTE*)pString);
}

U32 T_NAV_EDIT_u32GetWidthWaypointName(const FONT_DEF* pFont, const char* pString)
{
    return G_STRING_u32GetWidth(pFont, (const BYTE*)pString);
}

std::vector<NAV_STANDIN_NAME> NAV_STANDIN_vNamesDrawn(void)
{
    std::lock_guard<std::mutex> g(st().lock);
    return st().names;
}

BOOLEAN U_CHART_GENERIC_bIsPOSMode(void)
{
    U32 u32State = 0;
    BOOLEAN bStateValid = FALSE;
    BOOLEAN bPOS = FALSE;
    BOOLEAN bPOSValid = FALSE;
    return H_DATABASE_bFetchU32(FCID("CCST"), &u32State, &bStateValid, nullptr) && bStateValid &&
                   u32State == CCST_POINT_OF_SALE &&
                   H_DATABASE_bFetchBoolean(FCID("IPCG"), &bPOS, &bPOSValid, nullptr) && bPOSValid && bPOS
               ? TRUE
               : FALSE;
}

void T_N_HISTORY_vUpdateMSSCurosrWaypoint(POINT ptCursor)
{
    std::lock_guard<std::mutex> g(st().lock);
    st().mssCursor.push_back(ptCursor);
}

std::vector<POINT> NAV_STANDIN_vMSSCursorWaypoints(void)
{
    std::lock_guard<std::mutex> g(st().lock);
    return st().mssCursor;
}

void NAV_STANDIN_vForgetDrawing(void)
{
    std::lock_guard<std::mutex> g(st().lock);
    st().names.clear();
    st().mssCursor.clear();
}

S32 T_CHART_s32GetChartOrientationAngle(BOOLEAN)
{
    return 0;
}

BOOLEAN T_CHART_3D_bGetCopyOfActiveNVIAndDisplay(struct tag_NAV_VIEW_INFO*, void*)
{
    return FALSE;
}

BOOLEAN T_NAV_GROUP_bCheckWaypointIsInVisibleGroup(U16 u16Index)
{
    return T_NAV_GROUP_DATA_bIsInAnyVisibleGroup(u16Index);
}

