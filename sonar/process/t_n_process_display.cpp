// The reading side of the accumulators: the newest column of a beam,
// squeezed or stretched to the store column, the main, zoom and Keelview
// destinations; the real-time strips; the 360 sample store; the clears.
// These run in the thread of whoever draws columns.
#include "sonar/process/t_n_process.h"

#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "sonar/dsp/s_filter.h"
#include "sonar/dsp/s_fishid.h"
#include "sonar/dsp/s_fresamp.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/dsp/s_coproc.h" // g_u32SpeedOfSoundInWater
#include "sonar/process/t_n_process_state.h"
#include "store/h_database.h"

#include <algorithm>
#include <cstring>

using namespace t_n_process;

namespace {

constexpr U32 MSS_DEPLOYED = 2;
constexpr U32 FILTER_ROW = 800;

// ---- The 360 sample store (mutex 98) ----

U8 s_au8PPIData[MSS_STORE_COLUMNS][ACCUMULATOR_SAMPLES];
U32 s_u32PPISamples[MSS_STORE_COLUMNS];

// ---- The side-beam display filter ----

U8 su8FilterLeft[3 * FILTER_ROW];
U8 su8FilterRight[3 * FILTER_ROW];
S32 s32LineLeft = 0;
S32 s32LineRight = 0;
BOOLEAN sbFilterNeedsInit = TRUE;

// Resamples from u32Offset of a row of u32Available samples; an offset
// beyond the row yields a zero-filled destination.
void vResampleFrom(const U8* pu8Row, U32 u32Available, U32 u32Offset, U32 u32ToMap, U8* pu8Out, U32 u32OutLength)
{
    const bool bInside = u32Offset < u32Available;
    S_FRESAMPLE_vFastResample(bInside ? pu8Row + u32Offset : pu8Row, u32ToMap,
                              bInside ? u32Available - u32Offset : 0, pu8Out, u32OutLength);
}

// Imaging beams are overwritten rather than peak-held by the processing.
bool bImagingBeam(BEAM Beam)
{
    if (Beam != 2 && Beam != 3)
        return false;
    const U8 t = g_Calls.pfnCurrentTransducer(SONAR_SOURCE_KV);
    return t == 5 || t == 9 || t == 10 || t == 16 || (Beam == 3 && (t == 15 || t == 17 || t == 18)) ||
           s_u32MSSState == MSS_DEPLOYED;
}

void vReadHeading(TSU_STORE_COLUMN* pTsu)
{
    for (FOURCHARID fcid : {FCID("ICHT"), FCID("IHDC")}) {
        BOOLEAN bValid = FALSE;
        if (H_DATABASE_bFetchFloat(fcid, &pTsu->fHeadingTrueDegrees, &bValid, nullptr) && bValid) {
            pTsu->HeadingSource = HEADING_SOURCE_COMPASS;
            return;
        }
    }
    BOOLEAN bValid = FALSE;
    if (H_DATABASE_bFetchFloat(FCID("IHDG"), &pTsu->fHeadingTrueDegrees, &bValid, nullptr) && bValid)
        pTsu->HeadingSource = HEADING_SOURCE_GPS;
    else
        pTsu->HeadingSource = HEADING_SOURCE_NO_DATA;
}

void vEndRead(RETURN_ACCUMULATOR& a)
{
    a.FishTargetList.u8NumberOfTargets = 0;
    a.FishTargetList.bSimulatedFishList = FALSE;
    a.u32TimeStamp = 0;
    a.u32PingIndex = 0;
}

} // namespace

ACCUMULATOR_STATUS T_N_PROCESS_eGetDataForDisplay(
    const BEAM Beam, TSU_STORE_COLUMN* pTsuStore, U8* pu8DisplayDestination, const U32 u32InputOffset,
    const U32 u32InputSamplesToUse, U8* pu8ZoomDestination, const U32 u32ZoomInputOffset,
    const U32 u32ZoomInputSamplesToUse, U8* pu8KeelviewDestination, const U32 u32KeelviewInputOffset,
    const U32 u32KeelviewInputSamplesToUse, FISH_TARGET_LIST* pFishTargetList, const U32 u32SizeOfDisplayDestination,
    const U32 u32SizeOfZoomDestination, const U32 u32SizeOfKeelviewDestination, const BOOLEAN bForceResample,
    BOOLEAN* pbNoiseTooHigh)
{
    BOOLEAN bNoiseScratch = FALSE;
    if (pbNoiseTooHigh == nullptr)
        pbNoiseTooHigh = &bNoiseScratch;
    if (Beam >= ACCUMULATOR_BEAMS) {
        *pbNoiseTooHigh = FALSE;
        return ACCUMULATOR_HAD_NO_DATA;
    }
    RETURN_ACCUMULATOR& a = Accumulator[Beam];
    L_MUTEX_LockWait(ACCUMULATOR_MUTEX[Beam]);

    const bool bTerrain = s_bTerrainMode;
    U32 u32ReferenceOffset = u32InputOffset;
    if (bTerrain) {
        const U32 u32Speed = S_COPROC_u32SpeedOfSound(1463);
        const double dTime = a.fDepthMetres > 0.0f ? (double)a.fDepthMetres * 2000000.0 / u32Speed : 0.0;
        u32ReferenceOffset = ((U32)std::min(dTime, 4.0e9) + 13) / 26;
    }

    const U8 u8Fill = a.u8Use;
    const bool bFillValid = u8Fill <= 1;
    U8 u8Read = 0;
    if (bFillValid && a.u32NumberOfSamples[u8Fill] != 0) {
        u8Read = u8Fill;
    } else {
        const U8 u8Other = bFillValid ? (U8)(1 - u8Fill) : 0;
        if (!bForceResample) {
            *pbNoiseTooHigh = a.bNoiseTooHigh[u8Other];
            const ACCUMULATOR_STATUS e =
                a.u32NumberOfSamples[u8Other] == 0 ? ACCUMULATOR_HAD_NO_DATA : ACCUMULATOR_HAD_NO_NEW_DATA;
            vEndRead(a);
            L_MUTEX_Unlock(ACCUMULATOR_MUTEX[Beam]);
            return e;
        }
        u8Read = u8Other;
    }
    if (!bFillValid) {
        log_me("[%d]%s: beam %u fills buffer %u\n", __LINE__, __func__, (unsigned)Beam, (unsigned)u8Fill);
        *pbNoiseTooHigh = TRUE;
    } else {
        *pbNoiseTooHigh = a.bNoiseTooHigh[u8Read];
    }
    const U8* pu8Data = a.pu8Data[u8Read];
    const U32 u32Count = std::min(a.u32NumberOfSamples[u8Read], ACCUMULATOR_SAMPLES);

    if (pTsuStore != nullptr && pTsuStore->au8Data != nullptr && pTsuStore->u32TSUDataLength != 0) {
        const U32 u32Length = pTsuStore->u32TSUDataLength;
        const U32 u32Factor = std::max(1u, (u32Count + u32Length - 1) / u32Length);
        pTsuStore->u8SampleFactor = (U8)u32Factor;
        pTsuStore->u32SamplesInStore = u32Count / u32Factor;
        S_FRESAMPLE_vFastResample(pu8Data, u32Count, u32Count, pTsuStore->au8Data, pTsuStore->u32SamplesInStore);
        pTsuStore->Location = a.Location;
        pTsuStore->fDepthMetres = a.fDepthMetres;
        pTsuStore->u32SmoothedDepthInSamples = a.u32SmoothedDepthInSamples;
        pTsuStore->u32TimeStamp = a.u32TimeStamp;
        pTsuStore->u32PingIndex = a.u32PingIndex;
        pTsuStore->bNoiseTooHighForBlend = *pbNoiseTooHigh;
        vReadHeading(pTsuStore);

        if (pu8DisplayDestination != nullptr) {
            if (sbFilterNeedsInit) {
                memset(su8FilterLeft, 0, sizeof su8FilterLeft);
                memset(su8FilterRight, 0, sizeof su8FilterRight);
                sbFilterNeedsInit = FALSE;
            }
            const U32 u32InStore = pTsuStore->u32SamplesInStore;
            U32 u32ToMap = u32InputSamplesToUse / u32Factor;
            if (!bImagingBeam(Beam) || u32SizeOfDisplayDestination == 0) {
                vResampleFrom(pTsuStore->au8Data, u32InStore, u32InputOffset / u32Factor, u32ToMap,
                              pu8DisplayDestination, u32SizeOfDisplayDestination);
            } else {
                const U32 u32Offset = u32ReferenceOffset / u32Factor;
                // In terrain mode the column starts at the bottom.
                if (bTerrain)
                    u32ToMap = u32ToMap > u32Offset ? u32ToMap - u32Offset : 0;
                vResampleFrom(pTsuStore->au8Data, u32InStore, u32Offset, u32ToMap, pu8DisplayDestination,
                              u32SizeOfDisplayDestination);
                const U32 u32Filter = s_u32SideScanFilter;
                if (u32Filter != 0) {
                    const bool bLeft = Beam == 2;
                    S_FILTER_v2D_Flankview_Filter(u32SizeOfDisplayDestination, pu8DisplayDestination,
                                                  pu8DisplayDestination, (FILTER_TYPE)u32Filter,
                                                  bLeft ? &s32LineLeft : &s32LineRight,
                                                  bLeft ? su8FilterLeft : su8FilterRight, FILTER_ROW);
                }
            }
        }
    }
    if (pu8ZoomDestination != nullptr)
        vResampleFrom(pu8Data, u32Count, u32ZoomInputOffset, u32ZoomInputSamplesToUse, pu8ZoomDestination,
                      u32SizeOfZoomDestination);
    if (pu8KeelviewDestination != nullptr)
        vResampleFrom(pu8Data, u32Count, u32KeelviewInputOffset, u32KeelviewInputSamplesToUse,
                      pu8KeelviewDestination, u32SizeOfKeelviewDestination);
    if (pFishTargetList != nullptr)
        S_FISHID_vCopyFishTargetList(pFishTargetList, &a.FishTargetList);

    if (bFillValid && a.u32NumberOfSamples[u8Fill] != 0) {
        const U8 u8Next = (U8)(1 - u8Fill);
        a.u8Use = u8Next;
        a.u32NumberOfSamples[u8Next] = 0;
        a.bNoiseTooHigh[u8Next] = FALSE;
    }
    vEndRead(a);
    L_MUTEX_Unlock(ACCUMULATOR_MUTEX[Beam]);
    return ACCUMULATOR_HAD_NEW_DATA;
}

void T_N_PROCESS_vGetRtsDataForDisplay(BEAM Beam, U8* pu8DisplayDestination, const U32 u32InputOffset,
                                       const U32 u32InputSamplesToUse, const U32 u32SizeOfDestination)
{
    if (pu8DisplayDestination == nullptr || Beam >= ACCUMULATOR_BEAMS)
        return;
    const RETURN_ACCUMULATOR& a = Accumulator[Beam];
    L_MUTEX_LockWait(ACCUMULATOR_MUTEX[Beam]);
    vResampleFrom(a.pu8RtsData, std::min(a.u32RtsSamples, ACCUMULATOR_SAMPLES), u32InputOffset,
                  u32InputSamplesToUse, pu8DisplayDestination, u32SizeOfDestination);
    L_MUTEX_Unlock(ACCUMULATOR_MUTEX[Beam]);
}

void T_N_PROCESS_vRefreshMssRtsDataForDisplay(BEAM Beam, U8* pu8DisplayDestination, const U32 u32InputOffset,
                                              const U32 u32InputSamplesToUse, const U32 u32SizeOfDestination,
                                              U32 u32column)
{
    if (pu8DisplayDestination == nullptr || Beam >= ACCUMULATOR_BEAMS)
        return;
    const RETURN_ACCUMULATOR& a = Accumulator[Beam];
    // The strip is written by the processing task under the accumulator's
    // mutex, so it is read under it too; 98 comes first, and nothing takes
    // 98 while holding an accumulator.
    L_MUTEX_LockWait(RES_PROCESS_MSS);
    L_MUTEX_LockWait(ACCUMULATOR_MUTEX[Beam]);
    const U32 u32Samples = std::min(a.u32RtsSamples, ACCUMULATOR_SAMPLES);
    vResampleFrom(a.pu8RtsData, u32Samples, u32InputOffset, u32InputSamplesToUse, pu8DisplayDestination,
                  u32SizeOfDestination);
    if (u32column < MSS_STORE_COLUMNS) {
        memcpy(s_au8PPIData[u32column], a.pu8RtsData, ACCUMULATOR_SAMPLES);
        s_u32PPISamples[u32column] = u32Samples;
    }
    L_MUTEX_Unlock(ACCUMULATOR_MUTEX[Beam]);
    L_MUTEX_Unlock(RES_PROCESS_MSS);
}

void T_N_PROCESS_vFetchMssRtsDataForDisplay(U8* pu8DisplayDestination, const U32 u32InputOffset,
                                            const U32 u32InputSamplesToUse, const U32 u32SizeOfDestination,
                                            U32 u32column)
{
    if (pu8DisplayDestination == nullptr)
        return;
    L_MUTEX_LockWait(RES_PROCESS_MSS);
    if (u32column < MSS_STORE_COLUMNS)
        vResampleFrom(s_au8PPIData[u32column], s_u32PPISamples[u32column], u32InputOffset, u32InputSamplesToUse,
                      pu8DisplayDestination, u32SizeOfDestination);
    else
        memset(pu8DisplayDestination, 0, u32SizeOfDestination);
    L_MUTEX_Unlock(RES_PROCESS_MSS);
}

void T_N_PROCESS_vClearMssBuffer(void)
{
    memset(s_au8PPIData, 0, sizeof s_au8PPIData);
    memset(s_u32PPISamples, 0, sizeof s_u32PPISamples);
}

void T_N_PROCESS_vClearAllAccumulators(void)
{
    for (BEAM b = 0; b < ACCUMULATOR_BEAMS; ++b) {
        RETURN_ACCUMULATOR& a = Accumulator[b];
        L_MUTEX_LockWait(ACCUMULATOR_MUTEX[b]);
        a.u32NumberOfSamples[0] = a.u32NumberOfSamples[1] = 0;
        a.bNoiseTooHigh[0] = a.bNoiseTooHigh[1] = FALSE;
        a.Location = SONAR_PING_LOCATION{};
        a.fDepthMetres = 0.0f;
        a.u32DepthInSamples = 0;
        a.u32SmoothedDepthInSamples = 0;
        vEndRead(a);
        L_MUTEX_Unlock(ACCUMULATOR_MUTEX[b]);
    }
}
