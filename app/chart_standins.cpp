// Stand-ins of the chart set-up calls (see the header).
#include "app/chart_standins.h"

#include "kernel/l_mutex.h"

namespace {

constexpr MUTEX RES_CHART_CACHE = 20;
constexpr MUTEX RES_IMAGE_TOOLKIT = 44;

} // namespace

void U_CHART_CACHE_vInit(void)
{
    L_MUTEX_LockWait(RES_CHART_CACHE);
    L_MUTEX_Unlock(RES_CHART_CACHE);
}

void T_CHART_3D_vInitImageToolkit(void)
{
    L_MUTEX_LockWait(RES_IMAGE_TOOLKIT);
    L_MUTEX_Unlock(RES_IMAGE_TOOLKIT);
}

ERRORCODE plt_InstallPatternsAndBitmaps(void)
{
    return GR_OK;
}
