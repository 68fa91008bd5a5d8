// Cache areas (see the header).
#include "platform/h_cache.h"

#include "platform/dd_board.h"

#include <cstdint>

void H_CACHE_vSetNonCacheableArea(NON_CACHEABLE_AREA area, void* pvAddress, U32 u32Size)
{
    const uintptr_t uFirst = (uintptr_t)pvAddress;
    const uintptr_t uLast = uFirst + u32Size - 1;
    if (area == SONAR_AREA)
        DD_CACHE_vSetNonCacheableArea0(uFirst, uLast);
    else if (area == ASSIGNABLE_AREA)
        DD_CACHE_vSetNonCacheableArea1(uFirst, uLast);
}

void H_CACHE_vReinstateCacheableArea(NON_CACHEABLE_AREA area)
{
    if (area == SONAR_AREA)
        DD_CACHE_vResetNonCacheableArea0();
    else if (area == ASSIGNABLE_AREA)
        DD_CACHE_vResetNonCacheableArea1();
}

void H_CACHE_vFlush(void)
{
    DD_CACHE_vFlush();
}

void H_CACHE_vEnable(BOOLEAN) {}
