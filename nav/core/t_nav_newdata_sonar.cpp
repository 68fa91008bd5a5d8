// Kept apart from the handler: the sonar's element header and the
// navigation core's headers both name a VIEW_AND_SPLIT of their own.
#include "nav/core/t_nav_newdata.h"

#include "sonar/dsp/s_transducer.h"

BOOLEAN T_NAV_bElementMaskHas360(U32 u32Mask)
{
    return S_TRANSDUCER_u32GetElementBit(u32Mask, SONAR_SOURCE_360) != 0 ? TRUE : FALSE;
}
