// STAND-IN for the NMEA task's AIS target pool (see the header).
#include "nmea/t_nmea_ais_standin.h"

#include "store/h_database.h"

namespace {

constexpr S64 AIS_TIMEOUT_SECONDS = 960;

ais_DeviceInfo s_aTargets[AIS_POOL_TARGETS];
U32 s_u32Targets = 0;

} // namespace

BOOLEAN T_NMEA_bScanAisPoints(S32 index, ais_DeviceInfo** ppTarget)
{
    if (ppTarget == nullptr || index < 0 || (U32)index >= s_u32Targets)
        return FALSE;
    *ppTarget = &s_aTargets[index];
    return TRUE;
}

U32 T_NMEA_u32GetAisNumOfTargets(void)
{
    return s_u32Targets;
}

void T_NMEA_AIS_STANDIN_vSetTargets(const ais_DeviceInfo* pTargets, U32 u32Count)
{
    if (pTargets == nullptr)
        u32Count = 0;
    if (u32Count > AIS_POOL_TARGETS)
        u32Count = AIS_POOL_TARGETS;
    for (U32 i = 0; i < u32Count; ++i)
        s_aTargets[i] = pTargets[i];
    s_u32Targets = u32Count;
}

BOOLEAN T_NMEA_bAisCheckTimeout(ais_DeviceInfo* pTarget, S32 index)
{
    U32 u32Now = 0;
    if (pTarget == nullptr || index < 0 || (U32)index >= s_u32Targets ||
        !H_DATABASE_bFetchU32(FCID("IDTM"), &u32Now, nullptr, nullptr))
        return FALSE;
    if ((S64)u32Now - pTarget->ReceiveLastTime <= AIS_TIMEOUT_SECONDS)
        return FALSE;
    for (U32 i = (U32)index; i + 1 < s_u32Targets; ++i)
        s_aTargets[i] = s_aTargets[i + 1];
    --s_u32Targets;
    return TRUE;
}

BOOLEAN T_NMEA_bAisHasAlarm(ais_DeviceInfo* pTarget)
{
    return pTarget != nullptr && pTarget->bStandinHasAlarm;
}
