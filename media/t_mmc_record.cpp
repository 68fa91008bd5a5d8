// The recording's byte layouts (see the header).
#include "media/t_mmc_record.h"

#include <cstring>

namespace {

void vPut16(U8* p, U16 v)
{
    p[0] = (U8)(v >> 8);
    p[1] = (U8)v;
}

void vPut32(U8* p, U32 v)
{
    p[0] = (U8)(v >> 24);
    p[1] = (U8)(v >> 16);
    p[2] = (U8)(v >> 8);
    p[3] = (U8)v;
}

U16 u16Get(const U8* p) { return (U16)((p[0] << 8) | p[1]); }

U32 u32Get(const U8* p) { return ((U32)p[0] << 24) | ((U32)p[1] << 16) | ((U32)p[2] << 8) | (U32)p[3]; }

constexpr U8 PING_MAGIC[4] = {'S', 'P', 'N', 'G'};

} // namespace

void T_MMC_vEncodeRecordHeader(const SONAR_RECORD_THUMB_HEADER* h, U8* p)
{
    memset(p, 0, SONAR_RECORD_HEADER_BYTES);
    p[0] = h->u8Version;
    p[1] = h->u8WaterType;
    p[2] = h->u8BatteryVoltage;
    p[3] = h->bWaypointValid ? 1 : 0;
    vPut32(p + 4, h->u32ModelNumber);
    vPut32(p + 8, h->u32Temperature);
    vPut32(p + 12, h->u32Pressure);
    vPut32(p + 16, h->RecordingStartWaypoint.u32DateTime);
    vPut32(p + 20, (U32)h->RecordingStartWaypoint.pt.x);
    vPut32(p + 24, (U32)h->RecordingStartWaypoint.pt.y);
    memcpy(p + 28, h->RecordingStartWaypoint.sName, THUMBNAIL_WAYPOINT_NAME_BYTES);
    vPut32(p + 40, h->u32NumberOfPings);
    vPut32(p + 44, h->u32TotalTimeMs);
    vPut32(p + 48, h->u32PingSizeBytes);
    vPut32(p + 52, h->u32FirstPingPeriodMs);
    vPut32(p + 56, h->u32BeamMask);
}

void T_MMC_vDecodeRecordHeader(const U8* p, SONAR_RECORD_THUMB_HEADER* h)
{
    h->u8Version = p[0];
    h->u8WaterType = p[1];
    h->u8BatteryVoltage = p[2];
    h->bWaypointValid = p[3] != 0 ? TRUE : FALSE;
    h->u32ModelNumber = u32Get(p + 4);
    h->u32Temperature = u32Get(p + 8);
    h->u32Pressure = u32Get(p + 12);
    h->RecordingStartWaypoint.u32DateTime = u32Get(p + 16);
    h->RecordingStartWaypoint.pt.x = (S32)u32Get(p + 20);
    h->RecordingStartWaypoint.pt.y = (S32)u32Get(p + 24);
    memcpy(h->RecordingStartWaypoint.sName, p + 28, THUMBNAIL_WAYPOINT_NAME_BYTES);
    // The name is shown: it always ends inside its field.
    h->RecordingStartWaypoint.sName[THUMBNAIL_WAYPOINT_NAME_BYTES - 1] = '\0';
    h->u32NumberOfPings = u32Get(p + 40);
    h->u32TotalTimeMs = u32Get(p + 44);
    h->u32PingSizeBytes = u32Get(p + 48);
    h->u32FirstPingPeriodMs = u32Get(p + 52);
    h->u32BeamMask = u32Get(p + 56);
}

PING_RECORD_HEAD T_MMC_tPingRecordHead(const PING_DESCRIPTOR* p, U32 u32TimeStampMs, U32 u32PingIndex)
{
    PING_RECORD_HEAD h{};
    h.Beam = p->Beam;
    h.u8Transducer = p->u8Transducer;
    h.u8TransmitCycles = p->u8TransmitCycles;
    h.u8TransmitPower = p->u8TransmitPower;
    h.u8AdcChannel = p->u8AdcChannel;
    h.u8NoiseLevel = p->u8NoiseLevel;
    h.u8PeakNoiseLevel = p->u8PeakNoiseLevel;
    h.u8BandwidthControl = p->u8BandwidthControl;
    h.u32TimeStampMs = u32TimeStampMs;
    h.u32PingIndex = u32PingIndex;
    h.u32SamplePeriodMicroSeconds = p->u32SamplePeriodMicroSeconds;
    h.u32TransmitFrequencyHertz = p->u32TransmitFrequencyHertz;
    h.u16MilliSecondsBetweenPings = p->u16MilliSecondsBetweenPings;
    h.u16MilliSecondsBeforeNextPing = p->u16MilliSecondsBeforeNextPing;
    h.u32NumberOfSamples = p->u32NumberOfSamples <= PING_MAX_SAMPLES ? p->u32NumberOfSamples : PING_MAX_SAMPLES;
    return h;
}

void T_MMC_vEncodePingRecordHead(const PING_RECORD_HEAD* h, U8* p)
{
    memcpy(p, PING_MAGIC, sizeof PING_MAGIC);
    p[4] = h->Beam;
    p[5] = h->u8Transducer;
    p[6] = h->u8TransmitCycles;
    p[7] = h->u8TransmitPower;
    p[8] = h->u8AdcChannel;
    p[9] = h->u8NoiseLevel;
    p[10] = h->u8PeakNoiseLevel;
    p[11] = h->u8BandwidthControl;
    vPut32(p + 12, h->u32TimeStampMs);
    vPut32(p + 16, h->u32PingIndex);
    vPut32(p + 20, h->u32SamplePeriodMicroSeconds);
    vPut32(p + 24, h->u32TransmitFrequencyHertz);
    vPut16(p + 28, h->u16MilliSecondsBetweenPings);
    vPut16(p + 30, h->u16MilliSecondsBeforeNextPing);
    vPut32(p + 32, h->u32NumberOfSamples);
}

PING_RECORD_CHECK T_MMC_eDecodePingRecordHead(const U8* p, size_t nBytes, PING_RECORD_HEAD* h)
{
    if (nBytes < PING_RECORD_HEAD_BYTES)
        return PING_RECORD_SHORT;
    if (memcmp(p, PING_MAGIC, sizeof PING_MAGIC) != 0)
        return PING_RECORD_BAD_MAGIC;
    h->Beam = p[4];
    h->u8Transducer = p[5];
    h->u8TransmitCycles = p[6];
    h->u8TransmitPower = p[7];
    h->u8AdcChannel = p[8];
    h->u8NoiseLevel = p[9];
    h->u8PeakNoiseLevel = p[10];
    h->u8BandwidthControl = p[11];
    h->u32TimeStampMs = u32Get(p + 12);
    h->u32PingIndex = u32Get(p + 16);
    h->u32SamplePeriodMicroSeconds = u32Get(p + 20);
    h->u32TransmitFrequencyHertz = u32Get(p + 24);
    h->u16MilliSecondsBetweenPings = u16Get(p + 28);
    h->u16MilliSecondsBeforeNextPing = u16Get(p + 30);
    h->u32NumberOfSamples = u32Get(p + 32);
    if (h->Beam >= PLAYED_BEAMS_MAX)
        return PING_RECORD_BAD_BEAM;
    if (h->u32NumberOfSamples > PING_MAX_SAMPLES)
        return PING_RECORD_TOO_LONG;
    if (nBytes - PING_RECORD_HEAD_BYTES < h->u32NumberOfSamples)
        return PING_RECORD_SHORT;
    return PING_RECORD_OK;
}
