// Non-cacheable memory areas for the sonar buffers and one assignable
// area, and the cache flush and enable calls. The driver does nothing with
// them on this board.
#pragma once

#include "kernel/l_types.h"

typedef enum tag_NON_CACHEABLE_AREA { SONAR_AREA = 1, ASSIGNABLE_AREA = 2 } NON_CACHEABLE_AREA;

// Any other area is ignored.
void H_CACHE_vSetNonCacheableArea(NON_CACHEABLE_AREA area, void* pvAddress, U32 u32Size);
void H_CACHE_vReinstateCacheableArea(NON_CACHEABLE_AREA area);
void H_CACHE_vFlush(void);
void H_CACHE_vEnable(BOOLEAN bEnable);
