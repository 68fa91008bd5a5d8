// The network forms of a ping and the sonar service payloads (see the
// header). Every field is written and read at its offset in little-endian
// order; nothing depends on the in-memory layout of the records.
#include "sonar/ping/t_n_ping_codec.h"

#include "kernel/h_memory.h"

#include <atomic>
#include <bit>
#include <cstring>

namespace {

// ---- Constants ----

constexpr U32 STRUCT_VERSION = 1;
// Bytes of the serialized form around the samples: version, four bytes,
// the array count, then the members that follow the samples (the location
// is a structure of its own with its version).
constexpr U32 SERIALIZED_HEAD_BYTES = 4 + 4 + 4;
constexpr U32 SERIALIZED_TAIL_BYTES = 1 + 4 + 2 + 2 + (4 + 1 + 4 + 4) + 4 + 4 + 1 + 1 + 1 + 4 + 4 + 1 + 4 + 1 + 4;

// ---- Counts ----

std::atomic<U32> s_u32ShortMulticast{0};
std::atomic<U32> s_u32ShortSerialized{0};
std::atomic<U32> s_u32Cut{0};

// ---- Little-endian helpers ----

void vPutU16(U8* p, U16 v)
{
    p[0] = (U8)v;
    p[1] = (U8)(v >> 8);
}

void vPutU32(U8* p, U32 v)
{
    p[0] = (U8)v;
    p[1] = (U8)(v >> 8);
    p[2] = (U8)(v >> 16);
    p[3] = (U8)(v >> 24);
}

U16 u16Get(const U8* p) { return (U16)(p[0] | (p[1] << 8)); }

U32 u32Get(const U8* p) { return (U32)p[0] | ((U32)p[1] << 8) | ((U32)p[2] << 16) | ((U32)p[3] << 24); }

// A cursor over a received buffer: every read checks the bytes left and
// marks the cursor failed instead of reading past the end.
struct Reader {
    const U8* p;
    U32 left;
    bool failed = false;

    const U8* take(U32 n)
    {
        if (failed || left < n) {
            failed = true;
            return nullptr;
        }
        const U8* at = p;
        p += n;
        left -= n;
        return at;
    }
    U8 u8()
    {
        const U8* at = take(1);
        return at ? at[0] : 0;
    }
    U16 u16()
    {
        const U8* at = take(2);
        return at ? u16Get(at) : 0;
    }
    U32 u32()
    {
        const U8* at = take(4);
        return at ? u32Get(at) : 0;
    }
};

struct Writer {
    U8* p;
    void u8(U8 v) { *p++ = v; }
    void u16(U16 v)
    {
        vPutU16(p, v);
        p += 2;
    }
    void u32(U32 v)
    {
        vPutU32(p, v);
        p += 4;
    }
};

// ---- The fish list of the image ----

void vEncodeFishList(const FISH_TARGET_LIST& list, U8* p)
{
    p[0] = list.u8NumberOfTargets;
    p[1] = list.bSimulatedFishList;
    p[2] = p[3] = 0;
    for (U32 i = 0; i < FISH_TARGETS_PER_LIST; ++i) {
        const FISH_TARGET& f = list.target[i];
        U8* t = p + 4 + i * PING_IMAGE_FISH_TARGET_BYTES;
        vPutU32(t + 0, f.u32DepthInSamples);
        t[4] = f.u8Size;
        t[5] = f.u8Peak;
        t[6] = f.beam;
        t[7] = f.bIgnoreThisFish;
        t[8] = f.bIdPlusThisFish;
        t[9] = t[10] = t[11] = 0;
        t[12] = f.criteria.u8MinPeakAmplitude;
        t[13] = f.criteria.u8MaxPeakAmplitude;
        t[14] = f.criteria.bRemovedFish;
        t[15] = 0;
        vPutU32(t + 16, f.criteria.u32MinElongationUs);
        vPutU32(t + 20, f.criteria.u32MaxElongationUs);
        vPutU32(t + 24, f.criteria.u32ElongationUs);
        vPutU32(t + 28, 0); // pPreviousInstance means nothing elsewhere
    }
}

void vDecodeFishList(const U8* p, FISH_TARGET_LIST* pList)
{
    *pList = FISH_TARGET_LIST{};
    // A count beyond the list would make later readers walk past it.
    pList->u8NumberOfTargets = p[0] <= FISH_TARGETS_PER_LIST ? p[0] : (U8)FISH_TARGETS_PER_LIST;
    pList->bSimulatedFishList = p[1];
    for (U32 i = 0; i < FISH_TARGETS_PER_LIST; ++i) {
        FISH_TARGET& f = pList->target[i];
        const U8* t = p + 4 + i * PING_IMAGE_FISH_TARGET_BYTES;
        f.u32DepthInSamples = u32Get(t);
        f.u8Size = t[4];
        f.u8Peak = t[5];
        f.beam = t[6];
        f.bIgnoreThisFish = t[7];
        f.bIdPlusThisFish = t[8];
        f.criteria.u8MinPeakAmplitude = t[12];
        f.criteria.u8MaxPeakAmplitude = t[13];
        f.criteria.bRemovedFish = t[14];
        f.criteria.u32MinElongationUs = u32Get(t + 16);
        f.criteria.u32MaxElongationUs = u32Get(t + 20);
        f.criteria.u32ElongationUs = u32Get(t + 24);
        f.pPreviousInstance = nullptr;
    }
}

// ---- The serialized form ----

U32 u32SerializedLength(const PING_DESCRIPTOR* d)
{
    return SERIALIZED_HEAD_BYTES + d->u32NumberOfSamples + SERIALIZED_TAIL_BYTES;
}

int nSerializePing(void* pvStruct, void** ppvSerialized, int* pnRemaining, int* pnSize, const G_DATA_TYPE*)
{
    const PING_DESCRIPTOR* d = (const PING_DESCRIPTOR*)pvStruct;
    if (d == nullptr || ppvSerialized == nullptr || pnRemaining == nullptr || pnSize == nullptr ||
        (d->u32NumberOfSamples > 0 && d->pu8RawSonarData == nullptr) || d->u32NumberOfSamples > DATATYPE_MAX_BLOCK)
        return DATATYPE_ERR_FORMAT;
    const U32 u32Length = u32SerializedLength(d);
    if (*ppvSerialized == nullptr) {
        *ppvSerialized = H_MEMORY_pvMalloc(u32Length);
        if (*ppvSerialized == nullptr)
            return DATATYPE_ERR_NO_MEMORY;
        *pnRemaining = (int)u32Length;
        *pnSize = 0;
    }
    if (*pnRemaining < (int)u32Length)
        return DATATYPE_ERR_NO_ROOM;
    Writer w{(U8*)*ppvSerialized};
    w.u32(STRUCT_VERSION);
    w.u8(d->Beam);
    w.u8(d->u8AdcChannel);
    w.u8(d->u8TransmitCycles);
    w.u8(d->u8TransmitPower);
    w.u32(d->u32NumberOfSamples);
    if (d->u32NumberOfSamples > 0)
        memcpy(w.p, d->pu8RawSonarData, d->u32NumberOfSamples);
    w.p += d->u32NumberOfSamples;
    w.u8(d->bSimulated);
    w.u32(d->u32SamplePeriodMicroSeconds);
    w.u16(d->u16MilliSecondsBetweenPings);
    w.u16(d->u16MilliSecondsBeforeNextPing);
    w.u32(STRUCT_VERSION);
    w.u8(d->Location.bPositionValid);
    w.u32((U32)d->Location.s32LongitudeMM);
    w.u32((U32)d->Location.s32LatitudeMM);
    w.u32(std::bit_cast<U32>(d->fDepthMetres));
    w.u32(std::bit_cast<U32>(d->fDepthOffsetFeet));
    w.u8(d->u8NoiseLevel);
    w.u8(d->u8PeakNoiseLevel);
    w.u8(d->u8Transducer);
    w.u32(d->u32TransmitFrequencyHertz);
    w.u32(d->u32TimeStampMilliSeconds);
    w.u8(d->u8BandwidthControl);
    w.u32(d->u32PingIndex);
    w.u8(d->bReversePing);
    w.u32(d->u32PPIPositionInfo);
    *pnRemaining -= (int)u32Length;
    *pnSize += (int)u32Length;
    return (int)u32Length;
}

int nRefuseSerialized(void)
{
    ++s_u32ShortSerialized;
    return DATATYPE_ERR_MALFORMED;
}

int nDeserializePing(void** ppvStruct, void* pvSerialized, int* pnRemaining, int* pnSize, const G_DATA_TYPE*)
{
    if (ppvStruct == nullptr || pnRemaining == nullptr || pnSize == nullptr || *pnRemaining < 0 ||
        (pvSerialized == nullptr && *pnRemaining > 0))
        return DATATYPE_ERR_FORMAT;
    *ppvStruct = nullptr;
    static const U8 s_empty[1] = {0};
    Reader r{pvSerialized ? (const U8*)pvSerialized : s_empty, (U32)*pnRemaining};
    if (r.u32() != STRUCT_VERSION)
        return r.failed ? nRefuseSerialized() : (int)DATATYPE_ERR_VERSION;
    PING_DESCRIPTOR d{};
    d.Beam = r.u8();
    d.u8AdcChannel = r.u8();
    d.u8TransmitCycles = r.u8();
    d.u8TransmitPower = r.u8();
    const U32 u32Announced = r.u32();
    const U8* pu8Samples = r.take(u32Announced);
    if (r.failed)
        return nRefuseSerialized();
    d.bSimulated = r.u8();
    d.u32SamplePeriodMicroSeconds = r.u32();
    d.u16MilliSecondsBetweenPings = r.u16();
    d.u16MilliSecondsBeforeNextPing = r.u16();
    if (r.u32() != STRUCT_VERSION)
        return r.failed ? nRefuseSerialized() : (int)DATATYPE_ERR_VERSION;
    d.Location.bPositionValid = r.u8();
    d.Location.s32LongitudeMM = (S32)r.u32();
    d.Location.s32LatitudeMM = (S32)r.u32();
    d.fDepthMetres = std::bit_cast<float>(r.u32());
    d.fDepthOffsetFeet = std::bit_cast<float>(r.u32());
    d.u8NoiseLevel = r.u8();
    d.u8PeakNoiseLevel = r.u8();
    d.u8Transducer = r.u8();
    d.u32TransmitFrequencyHertz = r.u32();
    d.u32TimeStampMilliSeconds = r.u32();
    d.u8BandwidthControl = r.u8();
    d.u32PingIndex = r.u32();
    d.bReversePing = r.u8();
    d.u32PPIPositionInfo = r.u32();
    if (r.failed)
        return nRefuseSerialized();

    U32 u32Kept = u32Announced;
    if (u32Kept > PING_MAX_SAMPLES) {
        u32Kept = PING_MAX_SAMPLES;
        ++s_u32Cut;
    }
    auto* pOut = (PING_DESCRIPTOR*)H_MEMORY_pvMalloc(sizeof(PING_DESCRIPTOR));
    U8* pu8Kept = (U8*)H_MEMORY_pvMalloc(u32Kept > 0 ? u32Kept : 1);
    if (pOut == nullptr || pu8Kept == nullptr) {
        if (pOut)
            H_MEMORY_vFree(pOut);
        if (pu8Kept)
            H_MEMORY_vFree(pu8Kept);
        return DATATYPE_ERR_NO_MEMORY;
    }
    if (u32Kept > 0)
        memcpy(pu8Kept, pu8Samples, u32Kept);
    d.u32NumberOfSamples = u32Kept;
    d.pu8RawSonarData = pu8Kept;
    *pOut = d;
    *ppvStruct = pOut;
    const int nUsed = *pnRemaining - (int)r.left;
    *pnRemaining = (int)r.left;
    *pnSize += nUsed;
    return nUsed;
}

int nPingLength(void* pvStruct, const G_DATA_TYPE*)
{
    const PING_DESCRIPTOR* d = (const PING_DESCRIPTOR*)pvStruct;
    return d ? (int)u32SerializedLength(d) : (int)DATATYPE_ERR_FORMAT;
}

int nFreePing(void* pvStruct, BOOLEAN bTypeAllocated, const G_DATA_TYPE*)
{
    auto* d = (PING_DESCRIPTOR*)pvStruct;
    if (d == nullptr)
        return 0;
    if (d->pu8RawSonarData != nullptr)
        H_MEMORY_vFree(d->pu8RawSonarData);
    d->pu8RawSonarData = nullptr;
    if (bTypeAllocated)
        H_MEMORY_vFree(d);
    return 0;
}

int nPingAlignment(ALIGN_TYPE, const G_DATA_TYPE*) { return (int)alignof(PING_DESCRIPTOR); }

// ---- Members of the plain payloads ----

const G_DATA_TYPE* const s_RequestMembers[] = {&DT_UNSIGNED32, &DT_UNSIGNED32, &DT_UNSIGNED32, nullptr};
const G_DATA_TYPE* const s_ControlMembers[] = {&DT_UNSIGNED32, &DT_UNSIGNED32, &DT_UNSIGNED32, nullptr};
const G_DATA_TYPE* const s_DepthMembers[] = {&DT_FLOAT, &DT_FLOAT, nullptr};
const G_DATA_TYPE* const s_TransducerMembers[] = {&DT_UNSIGNED32, &DT_UNSIGNED32, nullptr};

} // namespace

const G_DATA_TYPE DT_SONAR_REQUEST_DATA =
    DATATYPE_Standard("DT_SONAR_REQUEST_DATA", G_DF_STRUCT, (int)sizeof(sonarRequestDataType), s_RequestMembers, 1);
const G_DATA_TYPE DT_CONTROL_CHANGE =
    DATATYPE_Standard("DT_CONTROL_CHANGE", G_DF_STRUCT, (int)sizeof(controlChangeType), s_ControlMembers, 1);
const G_DATA_TYPE DT_SONAR_PING_DEPTH =
    DATATYPE_Standard("DT_SONAR_PING_DEPTH", G_DF_STRUCT, (int)sizeof(sonarPingDepthType), s_DepthMembers, 1);
const G_DATA_TYPE DT_SONAR_TRANSDUCER_CHANGE = DATATYPE_Standard(
    "DT_SONAR_TRANSDUCER_CHANGE", G_DF_STRUCT, (int)sizeof(sonarTransducerChangeType), s_TransducerMembers, 1);

const G_DATA_TYPE DT_PING_DESCRIPTOR = {"DT_PING_DESCRIPTOR",
                                        G_DF_CUSTOM,
                                        G_DU_NONE,
                                        1,
                                        nullptr,
                                        nullptr,
                                        (int)sizeof(PING_DESCRIPTOR),
                                        (int)alignof(PING_DESCRIPTOR),
                                        nSerializePing,
                                        nDeserializePing,
                                        nPingLength,
                                        nFreePing,
                                        nPingAlignment,
                                        DATATYPE_nStandardXmlWriter,
                                        DATATYPE_nStandardXmlReader,
                                        nullptr,
                                        nullptr};

U32 T_N_PING_CODEC_u32SerializedBytes(U32 u32Samples)
{
    return SERIALIZED_HEAD_BYTES + u32Samples + SERIALIZED_TAIL_BYTES;
}

// ---- The image ----

void T_N_PING_CODEC_vEncodeImage(const PING_DESCRIPTOR* d, U8* p)
{
    memset(p, 0, PING_IMAGE_BYTES);
    p[PING_IMAGE_OFS_BEAM] = d->Beam;
    p[PING_IMAGE_OFS_ADC_CHANNEL] = d->u8AdcChannel;
    p[PING_IMAGE_OFS_TRANSMIT_CYCLES] = d->u8TransmitCycles;
    p[PING_IMAGE_OFS_TRANSMIT_POWER] = d->u8TransmitPower;
    vPutU32(p + PING_IMAGE_OFS_SAMPLES, d->u32NumberOfSamples);
    p[PING_IMAGE_OFS_SIMULATED] = d->bSimulated;
    vPutU32(p + PING_IMAGE_OFS_SAMPLE_PERIOD, d->u32SamplePeriodMicroSeconds);
    vPutU16(p + PING_IMAGE_OFS_BETWEEN_PINGS, d->u16MilliSecondsBetweenPings);
    vPutU16(p + PING_IMAGE_OFS_BEFORE_NEXT_PING, d->u16MilliSecondsBeforeNextPing);
    vEncodeFishList(d->SimulatedFishList, p + PING_IMAGE_OFS_FISH_LIST);
    p[PING_IMAGE_OFS_POSITION_VALID] = d->Location.bPositionValid;
    vPutU32(p + PING_IMAGE_OFS_LONGITUDE, (U32)d->Location.s32LongitudeMM);
    vPutU32(p + PING_IMAGE_OFS_LATITUDE, (U32)d->Location.s32LatitudeMM);
    vPutU32(p + PING_IMAGE_OFS_DEPTH, std::bit_cast<U32>(d->fDepthMetres));
    vPutU32(p + PING_IMAGE_OFS_DEPTH_OFFSET, std::bit_cast<U32>(d->fDepthOffsetFeet));
    p[PING_IMAGE_OFS_NOISE] = d->u8NoiseLevel;
    p[PING_IMAGE_OFS_PEAK_NOISE] = d->u8PeakNoiseLevel;
    p[PING_IMAGE_OFS_TRANSDUCER] = d->u8Transducer;
    vPutU32(p + PING_IMAGE_OFS_FREQUENCY, d->u32TransmitFrequencyHertz);
    vPutU32(p + PING_IMAGE_OFS_TIME_STAMP, d->u32TimeStampMilliSeconds);
    p[PING_IMAGE_OFS_BANDWIDTH] = d->u8BandwidthControl;
    vPutU32(p + PING_IMAGE_OFS_PING_INDEX, d->u32PingIndex);
    p[PING_IMAGE_OFS_REVERSE] = d->bReversePing;
    vPutU32(p + PING_IMAGE_OFS_PPI_POSITION, d->u32PPIPositionInfo);
    // bIsLocal is this unit's own business: always 0 on the wire.
}

void T_N_PING_CODEC_vDecodeImage(const U8* p, PING_DESCRIPTOR* d)
{
    d->Beam = p[PING_IMAGE_OFS_BEAM];
    d->u8AdcChannel = p[PING_IMAGE_OFS_ADC_CHANNEL];
    d->u8TransmitCycles = p[PING_IMAGE_OFS_TRANSMIT_CYCLES];
    d->u8TransmitPower = p[PING_IMAGE_OFS_TRANSMIT_POWER];
    d->u32NumberOfSamples = u32Get(p + PING_IMAGE_OFS_SAMPLES);
    d->bSimulated = p[PING_IMAGE_OFS_SIMULATED];
    d->u32SamplePeriodMicroSeconds = u32Get(p + PING_IMAGE_OFS_SAMPLE_PERIOD);
    d->u16MilliSecondsBetweenPings = u16Get(p + PING_IMAGE_OFS_BETWEEN_PINGS);
    d->u16MilliSecondsBeforeNextPing = u16Get(p + PING_IMAGE_OFS_BEFORE_NEXT_PING);
    vDecodeFishList(p + PING_IMAGE_OFS_FISH_LIST, &d->SimulatedFishList);
    d->Location.bPositionValid = p[PING_IMAGE_OFS_POSITION_VALID];
    d->Location.s32LongitudeMM = (S32)u32Get(p + PING_IMAGE_OFS_LONGITUDE);
    d->Location.s32LatitudeMM = (S32)u32Get(p + PING_IMAGE_OFS_LATITUDE);
    d->fDepthMetres = std::bit_cast<float>(u32Get(p + PING_IMAGE_OFS_DEPTH));
    d->fDepthOffsetFeet = std::bit_cast<float>(u32Get(p + PING_IMAGE_OFS_DEPTH_OFFSET));
    d->u8NoiseLevel = p[PING_IMAGE_OFS_NOISE];
    d->u8PeakNoiseLevel = p[PING_IMAGE_OFS_PEAK_NOISE];
    d->u8Transducer = p[PING_IMAGE_OFS_TRANSDUCER];
    d->u32TransmitFrequencyHertz = u32Get(p + PING_IMAGE_OFS_FREQUENCY);
    d->u32TimeStampMilliSeconds = u32Get(p + PING_IMAGE_OFS_TIME_STAMP);
    d->u8BandwidthControl = p[PING_IMAGE_OFS_BANDWIDTH];
    d->u32PingIndex = u32Get(p + PING_IMAGE_OFS_PING_INDEX);
    d->bReversePing = p[PING_IMAGE_OFS_REVERSE];
    d->u32PPIPositionInfo = u32Get(p + PING_IMAGE_OFS_PPI_POSITION);
    d->bIsLocal = FALSE;
}

PING_CODEC_RESULT T_N_PING_CODEC_eDecodeMulticast(const U8* pu8Message, U32 u32Length, PING_DESCRIPTOR* d)
{
    if (pu8Message == nullptr || u32Length < PING_IMAGE_BYTES) {
        ++s_u32ShortMulticast;
        return PING_CODEC_SHORT;
    }
    const U32 u32Announced = u32Get(pu8Message + PING_IMAGE_OFS_SAMPLES);
    if (u32Length - PING_IMAGE_BYTES < u32Announced) {
        ++s_u32ShortMulticast;
        return PING_CODEC_SHORT;
    }
    U8* pu8Raw = d->pu8RawSonarData;
    U8* pu8Tvgd = d->pu8TvgdData;
    T_N_PING_CODEC_vDecodeImage(pu8Message, d);
    d->pu8RawSonarData = pu8Raw;
    d->pu8TvgdData = pu8Tvgd;
    PING_CODEC_RESULT eResult = PING_CODEC_OK;
    if (d->u32NumberOfSamples > PING_MAX_SAMPLES) {
        d->u32NumberOfSamples = PING_MAX_SAMPLES;
        ++s_u32Cut;
        eResult = PING_CODEC_CUT;
    }
    memcpy(pu8Raw, pu8Message + PING_IMAGE_BYTES, d->u32NumberOfSamples);
    return eResult;
}

PING_CODEC_COUNTS T_N_PING_CODEC_tCounts(void)
{
    return PING_CODEC_COUNTS{s_u32ShortMulticast, s_u32ShortSerialized, s_u32Cut};
}
