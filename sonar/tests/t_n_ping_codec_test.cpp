// The network forms of a ping and the sonar service payloads: byte for byte
// against a fixture written with Python's struct from the published
// layouts, round trips, and what a short or oversized ping becomes.
#include "gmsg/gmsg.h"
#include "kernel/h_memory.h"
#include "sonar/ping/t_n_ping_codec.h"
#include "sonar/tests/ping_world.h"
#include "testing/t_proc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<U8>;

Bytes fromHex(const std::string& hex)
{
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back((U8)std::stoul(hex.substr(i, 2), nullptr, 16));
    return out;
}

std::vector<Bytes> fixture(U32 samples)
{
    vt::ProcResult r = vt::runProcess({"/usr/bin/python3", vt::sourcePath("sonar/tests/ping_codec_fixture.py"),
                                       std::to_string(samples), std::to_string(FCID("SSMD"))});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<Bytes> lines;
    size_t pos = 0;
    while (pos < r.out.size()) {
        size_t end = r.out.find('\n', pos);
        if (end == std::string::npos)
            end = r.out.size();
        lines.push_back(fromHex(r.out.substr(pos, end - pos)));
        pos = end + 1;
    }
    return lines;
}

// The fixture's sample ping; samples in the caller's buffer.
PING_DESCRIPTOR samplePing(std::vector<U8>& samples, U32 count)
{
    samples.resize(count);
    for (U32 i = 0; i < count; ++i)
        samples[i] = (U8)((i * 7 + 3) & 0xFF);
    PING_DESCRIPTOR d{};
    d.Beam = 1;
    d.u8AdcChannel = 2;
    d.u8TransmitCycles = 20;
    d.u8TransmitPower = 1;
    d.u32NumberOfSamples = count;
    d.pu8RawSonarData = samples.data();
    d.bSimulated = TRUE;
    d.u32SamplePeriodMicroSeconds = 26;
    d.u16MilliSecondsBetweenPings = 90;
    d.u16MilliSecondsBeforeNextPing = 40;
    d.SimulatedFishList.u8NumberOfTargets = 2;
    d.SimulatedFishList.bSimulatedFishList = TRUE;
    for (U32 i = 0; i < FISH_TARGETS_PER_LIST; ++i) {
        FISH_TARGET& f = d.SimulatedFishList.target[i];
        f.u32DepthInSamples = 100 + i;
        f.u8Size = (U8)i;
        f.u8Peak = (U8)(50 + i);
        f.beam = 1;
        f.bIgnoreThisFish = FALSE;
        f.bIdPlusThisFish = TRUE;
        f.criteria = {10, 200, FALSE, 1000, 2000, 1500};
        f.pPreviousInstance = &f; // means nothing elsewhere
    }
    d.Location = {TRUE, -1234567, 7654321};
    d.fDepthMetres = 8.25f;
    d.fDepthOffsetFeet = 1.5f;
    d.u8NoiseLevel = 12;
    d.u8PeakNoiseLevel = 40;
    d.u8Transducer = 15;
    d.u32TransmitFrequencyHertz = 200000;
    d.u32TimeStampMilliSeconds = 555091;
    d.u8BandwidthControl = 3;
    d.u32PingIndex = 77;
    d.bReversePing = TRUE;
    d.u32PPIPositionInfo = 0x00120081;
    d.bIsLocal = TRUE; // this unit's business only
    return d;
}

Bytes serialize(const G_DATA_TYPE& type, void* value)
{
    void* out = nullptr;
    int remaining = 0, size = 0;
    const int n = type.pfSerialize(value, &out, &remaining, &size, &type);
    EXPECT_GT(n, 0);
    Bytes bytes((U8*)out, (U8*)out + (n > 0 ? n : 0));
    if (out)
        H_MEMORY_vFree(out);
    return bytes;
}

class PingCodec : public ::testing::Test {
protected:
    void SetUp() override { ping_test::worldWithPool(); }
};

TEST_F(PingCodec, EveryFormMatchesItsPublishedLayoutByteForByte)
{
    std::vector<U8> samples;
    PING_DESCRIPTOR d = samplePing(samples, 40);
    const std::vector<Bytes> want = fixture(40);
    ASSERT_EQ(want.size(), 6u);

    Bytes image(PING_IMAGE_BYTES);
    T_N_PING_CODEC_vEncodeImage(&d, image.data());
    image.insert(image.end(), samples.begin(), samples.end());
    EXPECT_EQ(image, want[0]) << "the multicast form";
    EXPECT_EQ(serialize(DT_PING_DESCRIPTOR, &d), want[1]) << "the serialized form";
    EXPECT_EQ(want[1].size(), T_N_PING_CODEC_u32SerializedBytes(40));

    sonarRequestDataType request{1, 55000, 2};
    controlChangeType change{FCID("SSMD"), 0x41200000, 1};
    sonarPingDepthType depth{12.5f, 20.0f};
    sonarTransducerChangeType transducer{0x3, 15};
    EXPECT_EQ(serialize(DT_SONAR_REQUEST_DATA, &request), want[2]);
    EXPECT_EQ(serialize(DT_CONTROL_CHANGE, &change), want[3]);
    EXPECT_EQ(serialize(DT_SONAR_PING_DEPTH, &depth), want[4]);
    EXPECT_EQ(serialize(DT_SONAR_TRANSDUCER_CHANGE, &transducer), want[5]);
}

TEST_F(PingCodec, BothFormsComeBackAsTheyLeftButForTheBuffersAndTheLocalMark)
{
    std::vector<U8> samples;
    PING_DESCRIPTOR d = samplePing(samples, 300);
    Bytes wire(PING_IMAGE_BYTES);
    T_N_PING_CODEC_vEncodeImage(&d, wire.data());
    wire.insert(wire.end(), samples.begin(), samples.end());

    std::vector<U8> raw(PING_MAX_SAMPLES, 0xEE);
    PING_DESCRIPTOR got{};
    got.pu8RawSonarData = raw.data();
    ASSERT_EQ(T_N_PING_CODEC_eDecodeMulticast(wire.data(), (U32)wire.size(), &got), PING_CODEC_OK);
    EXPECT_EQ(got.pu8RawSonarData, raw.data()) << "the receiver's buffer stays";
    EXPECT_FALSE(got.bIsLocal);
    EXPECT_EQ(memcmp(raw.data(), samples.data(), samples.size()), 0);
    EXPECT_EQ(got.Location.s32LongitudeMM, -1234567);
    EXPECT_EQ(got.SimulatedFishList.target[5].criteria.u32ElongationUs, 1500u);
    EXPECT_EQ(got.SimulatedFishList.target[5].pPreviousInstance, nullptr);
    EXPECT_EQ(got.u32PPIPositionInfo, 0x00120081u);

    Bytes serialized = serialize(DT_PING_DESCRIPTOR, &d);
    void* value = nullptr;
    int remaining = (int)serialized.size(), size = 0;
    ASSERT_EQ(DT_PING_DESCRIPTOR.pfDeserialize(&value, serialized.data(), &remaining, &size, &DT_PING_DESCRIPTOR),
              (int)serialized.size());
    auto* back = (PING_DESCRIPTOR*)value;
    EXPECT_EQ(back->u32NumberOfSamples, 300u);
    EXPECT_EQ(memcmp(back->pu8RawSonarData, samples.data(), 300), 0);
    EXPECT_EQ(back->fDepthMetres, 8.25f);
    EXPECT_EQ(back->u8Transducer, 15);
    EXPECT_EQ(back->SimulatedFishList.u8NumberOfTargets, 0) << "the fish list is not sent";
    DT_PING_DESCRIPTOR.pfDeallocate(value, TRUE, &DT_PING_DESCRIPTOR);
}

TEST_F(PingCodec, AShortPingIsRefusedAndCountedAndAnOversizedOneCut)
{
    std::vector<U8> samples;
    PING_DESCRIPTOR d = samplePing(samples, 60000);
    Bytes wire(PING_IMAGE_BYTES);
    T_N_PING_CODEC_vEncodeImage(&d, wire.data());
    wire.insert(wire.end(), samples.begin(), samples.end());
    std::vector<U8> raw(PING_MAX_SAMPLES + 16, 0xEE);

    const struct {
        const char* what;
        U32 length;
        PING_CODEC_RESULT result;
    } cases[] = {
        {"whole, 60000 samples", (U32)wire.size(), PING_CODEC_CUT},
        {"one byte short of its samples", (U32)wire.size() - 1, PING_CODEC_SHORT},
        {"a descriptor without its samples", PING_IMAGE_BYTES, PING_CODEC_SHORT},
        {"less than a descriptor", PING_IMAGE_BYTES - 1, PING_CODEC_SHORT},
        {"nothing", 0, PING_CODEC_SHORT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PING_CODEC_COUNTS before = T_N_PING_CODEC_tCounts();
        PING_DESCRIPTOR got{};
        got.u32NumberOfSamples = 123;
        got.pu8RawSonarData = raw.data();
        EXPECT_EQ(T_N_PING_CODEC_eDecodeMulticast(wire.data(), c.length, &got), c.result);
        const PING_CODEC_COUNTS after = T_N_PING_CODEC_tCounts();
        if (c.result == PING_CODEC_SHORT) {
            EXPECT_EQ(after.u32ShortMulticast, before.u32ShortMulticast + 1);
            EXPECT_EQ(got.u32NumberOfSamples, 123u) << "nothing written";
        } else {
            EXPECT_EQ(after.u32Cut, before.u32Cut + 1);
            EXPECT_EQ(got.u32NumberOfSamples, PING_MAX_SAMPLES);
            EXPECT_EQ(raw[PING_MAX_SAMPLES], 0xEE) << "nothing beyond the buffer";
        }
    }

    // The serialized form: a count beyond the bytes refuses the ping, one
    // beyond the buffer keeps the first PING_MAX_SAMPLES.
    Bytes serialized = serialize(DT_PING_DESCRIPTOR, &d);
    for (U32 cut : {1u, 40u, (U32)serialized.size() - 12}) {
        void* value = nullptr;
        int remaining = (int)serialized.size() - (int)cut, size = 0;
        const U32 before = T_N_PING_CODEC_tCounts().u32ShortSerialized;
        EXPECT_LT(DT_PING_DESCRIPTOR.pfDeserialize(&value, serialized.data(), &remaining, &size, &DT_PING_DESCRIPTOR),
                  0);
        EXPECT_EQ(value, nullptr);
        EXPECT_EQ(T_N_PING_CODEC_tCounts().u32ShortSerialized, before + 1) << cut;
    }
    void* value = nullptr;
    int remaining = (int)serialized.size(), size = 0;
    ASSERT_GT(DT_PING_DESCRIPTOR.pfDeserialize(&value, serialized.data(), &remaining, &size, &DT_PING_DESCRIPTOR), 0);
    EXPECT_EQ(((PING_DESCRIPTOR*)value)->u32NumberOfSamples, PING_MAX_SAMPLES);
    DT_PING_DESCRIPTOR.pfDeallocate(value, TRUE, &DT_PING_DESCRIPTOR);
}

} // namespace
