// Time-varied gain: the curves' shape (pair counts, spans, first steps, the
// telling rows, never rising), the gain of single samples, the near-surface
// suppression, and the chunked gain against the step-by-step walk of the
// curve for every band, period, scale and suppression; then the inverse.
#include "sonar/dsp/s_tvg.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace sonar_test {
namespace {

// The attenuation in effect at time t: the first pair whose run ends at or
// after t, or the last.
int attenuationAt(const RLE_TVG_DESCRIPTOR& curve, U64 t)
{
    U64 end = 0;
    for (U32 i = 0; i < curve.u32TableLength; ++i) {
        end += curve.pAttDepthTable[i].u32RunLengthMicroSeconds;
        if (end >= t)
            return curve.pAttDepthTable[i].u8Attenuation;
    }
    return curve.pAttDepthTable[curve.u32TableLength - 1].u8Attenuation;
}

struct CurveCase {
    const char* name;
    U32 hertz;
    const RLE_TVG_DESCRIPTOR* descriptor;
    U32 pairs;
    U32 spanUs;
    U32 firstRunUs;
    int first, second;
    int telling[12]; // at the times below
};

const U32 TELLING_US[12] = {0, 500, 1000, 2000, 5000, 10000, 20000, 50000, 100000, 200000, 500000, 1000000};

const CurveCase CURVES[] = {
    {"50 kHz", 50000, &DefaultTvg50kHzTable, 198, 1011759, 1551, 200, 198,
     {200, 200, 200, 186, 146, 131, 117, 95, 78, 61, 42, 20}},
    {"83 kHz", 83000, &DefaultTvg83kHzTable, 198, 1011759, 1551, 200, 198,
     {200, 200, 200, 186, 146, 131, 117, 95, 78, 61, 42, 20}},
    {"200 kHz", 200000, &DefaultTvg200kHzTable, 198, 1011759, 595, 200, 198,
     {200, 200, 139, 120, 99, 84, 67, 48, 34, 24, 16, 12}},
    {"455 kHz", 455000, &DefaultTvg455kHzTable, 121, 55114, 442, 210, 201,
     {210, 193, 143, 110, 71, 49, 22, 5, 5, 5, 5, 5}},
    {"800 kHz", 800000, &DefaultTvg800kHzTable, 121, 55114, 442, 210, 201,
     {210, 193, 143, 118, 62, 33, 16, 5, 5, 5, 5, 5}},
};

TEST(TvgCurves, ShapeOfEveryCurve)
{
    for (const CurveCase& c : CURVES) {
        SCOPED_TRACE(c.name);
        const RLE_TVG_DESCRIPTOR& d = *c.descriptor;
        ASSERT_EQ(d.u32TableLength, c.pairs);
        U64 span = 0;
        for (U32 i = 0; i < d.u32TableLength; ++i) {
            span += d.pAttDepthTable[i].u32RunLengthMicroSeconds;
            EXPECT_GT(d.pAttDepthTable[i].u32RunLengthMicroSeconds, 0u) << "pair " << i;
            if (i) {
                EXPECT_LE(d.pAttDepthTable[i].u8Attenuation, d.pAttDepthTable[i - 1].u8Attenuation)
                    << "rises at pair " << i;
            }
        }
        EXPECT_EQ(span, c.spanUs);
        EXPECT_EQ(d.pAttDepthTable[0].u8Attenuation, c.first);
        EXPECT_EQ(d.pAttDepthTable[0].u32RunLengthMicroSeconds, c.firstRunUs);
        EXPECT_EQ(d.pAttDepthTable[1].u8Attenuation, c.second);
        for (int k = 0; k < 12; ++k)
            EXPECT_EQ(attenuationAt(d, TELLING_US[k]), c.telling[k]) << TELLING_US[k] << " us";
        EXPECT_EQ(S_TVG_pGetCurve(c.hertz), c.descriptor);
    }
    for (U32 i = 0; i < TVG_LOW_PAIRS; ++i) {
        EXPECT_EQ(TVG_Curve50kHz[i].u8Attenuation, TVG_Curve83kHz[i].u8Attenuation);
        EXPECT_EQ(TVG_Curve50kHz[i].u32RunLengthMicroSeconds, TVG_Curve83kHz[i].u32RunLengthMicroSeconds);
    }
}

TEST(TvgCurves, BandEdges)
{
    const struct {
        U32 hertz;
        const RLE_TVG_DESCRIPTOR* curve;
    } cases[] = {
        {0, &DefaultTvg50kHzTable},       {59999, &DefaultTvg50kHzTable},   {60000, &DefaultTvg83kHzTable},
        {99999, &DefaultTvg83kHzTable},   {100000, &DefaultTvg200kHzTable}, {299999, &DefaultTvg200kHzTable},
        {300000, &DefaultTvg455kHzTable}, {499999, &DefaultTvg455kHzTable}, {500000, &DefaultTvg800kHzTable},
        {0xFFFFFFFF, &DefaultTvg800kHzTable},
    };
    for (const auto& c : cases)
        EXPECT_EQ(S_TVG_pGetCurve(c.hertz), c.curve) << c.hertz;
}

PING_DESCRIPTOR ping(U32 hertz, U32 samples, U32 periodUs, BEAM beam = 1)
{
    PING_DESCRIPTOR p = {};
    p.Beam = beam;
    p.u32TransmitFrequencyHertz = hertz;
    p.u32NumberOfSamples = samples;
    p.u32SamplePeriodMicroSeconds = periodUs;
    return p;
}

TEST(Tvg, SingleSamples)
{
    const struct {
        const char* what;
        U32 hertz;
        U32 index;
        U32 periodUs;
        U8 raw;
        bool suppression;
        U8 level;
        WATER_TYPE water;
        U32 scale;
        BEAM beam;
        U8 out;
    } cases[] = {
        {"200 kHz, 250 at 0 us", 200000, 0, 26, 250, false, 1, WATER_FRESH, 0, 1, 50},
        {"200 kHz, 100 at 10,000 us", 200000, 385, 26, 100, false, 1, WATER_FRESH, 0, 1, 16},
        {"200 kHz, 84 at 10,000 us", 200000, 385, 26, 84, false, 1, WATER_FRESH, 0, 1, 0},
        {"200 kHz, 100 at exactly 10,000 us", 200000, 20, 500, 100, false, 1, WATER_FRESH, 0, 1, 16},
        {"suppression 1, fresh, 50 kHz, at 0 us", 50000, 0, 26, 255, true, 1, WATER_FRESH, 0, 1, 0},
        {"suppression 1, deep salt, 800 kHz", 800000, 0, 26, 255, true, 1, WATER_SALT_DEEP, 0, 1, 0},
        {"suppression 10, fresh: -40 lowers the cut", 200000, 0, 26, 250, true, 10, WATER_FRESH, 0, 1, 90},
        {"suppression 10, shallow salt acts as fresh", 200000, 0, 26, 250, true, 10, WATER_SALT_SHALLOW, 0, 1, 90},
        {"suppression 10, deep salt: slope 0", 200000, 0, 26, 250, true, 10, WATER_SALT_DEEP, 0, 1, 50},
        {"negative total cuts nothing", 200000, 0, 26, 40, true, 10, WATER_FRESH, 1, 1, 40},
        {"scale 512 halves the cut", 200000, 0, 26, 250, false, 1, WATER_FRESH, 512, 1, 150},
        {"scale 2048 doubles it past 255", 200000, 0, 26, 255, false, 1, WATER_FRESH, 2048, 1, 0},
        {"beam 255: no cut in the first pair", 200000, 0, 26, 77, false, 1, WATER_FRESH, 0, 255, 77},
        {"beam 255: later pairs as usual", 200000, 20, 500, 100, false, 1, WATER_FRESH, 0, 255, 16},
        {"past the curve the last pair stays", 800000, 100, 1000, 100, false, 1, WATER_FRESH, 0, 1, 95},
        {"period 0: every sample at 0 us", 455000, 100, 0, 250, false, 1, WATER_FRESH, 0, 1, 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PING_DESCRIPTOR p = ping(c.hertz, c.index + 1, c.periodUs, c.beam);
        std::vector<U8> raw(c.index + 1, 0);
        raw[c.index] = c.raw;
        std::vector<U8> out(c.index + 1, 0xEE);
        S_TVG_TvgRawSonar(&p, raw.data(), out.data(), c.level, c.suppression, c.water, c.scale);
        EXPECT_EQ(out[c.index], c.out);
    }
}

// The gain as the curve is walked one sample at a time.
std::vector<U8> stepByStep(const PING_DESCRIPTOR& p, const std::vector<U8>& raw, U8 level, bool suppression,
                           WATER_TYPE water, U32 scale)
{
    const RLE_TVG_DESCRIPTOR* c = S_TVG_pGetCurve(p.u32TransmitFrequencyHertz);
    auto scaled = [&](U8 a) { return scale ? (S64)(((U64)a * scale) >> 10) : (S64)a; };
    U32 pair = 0;
    S64 A = scaled(c->pAttDepthTable[0].u8Attenuation);
    U64 E = c->pAttDepthTable[0].u32RunLengthMicroSeconds;
    U32 left = c->u32TableLength - 1;
    if (p.Beam == 255)
        A = 0;
    const S64 S = s16SuppressionSlopes[water == WATER_SALT_DEEP ? 1 : 0][level - 1];
    std::vector<U8> out(raw.size());
    U64 t = 0;
    for (size_t k = 0; k < raw.size(); ++k) {
        const S64 r = raw[k];
        if (suppression && t <= 8191) {
            const S64 total = A + S * (S64)(8192 - t) / 8192;
            const S64 cut = total < 0 ? 0 : total;
            out[k] = total > 255 ? 0 : r > cut ? (U8)(r - cut) : 0;
        } else {
            out[k] = r > A ? (U8)(r - A) : 0;
        }
        t += p.u32SamplePeriodMicroSeconds;
        while (left && t > E) {
            ++pair;
            --left;
            E += c->pAttDepthTable[pair].u32RunLengthMicroSeconds;
            A = scaled(c->pAttDepthTable[pair].u8Attenuation);
        }
    }
    return out;
}

TEST(Tvg, ChunksFollowTheCurveStepByStep)
{
    std::mt19937 rng(11);
    const U32 hertz[] = {50000, 83000, 200000, 455000, 800000};
    const U32 periods[] = {0, 1, 3, 26, 77, 500, 4096, 100000};
    for (U32 f : hertz) {
        for (U32 period : periods) {
            for (int variant = 0; variant < 4; ++variant) {
                const bool suppression = variant & 1;
                const U32 scale = variant & 2 ? 700 + (U32)(rng() % 900) : 0;
                const U8 level = (U8)(1 + rng() % 10);
                const WATER_TYPE water = (WATER_TYPE)(rng() % 3);
                const BEAM beam = rng() % 5 == 0 ? 255 : 1;
                const U32 n = period >= 4096 ? 300 : period == 0 ? 64 : 5000 + (U32)(rng() % 64);
                SCOPED_TRACE(testing::Message() << f << " Hz, period " << period << ", variant " << variant
                                                << ", level " << (int)level << ", beam " << (int)beam);
                PING_DESCRIPTOR p = ping(f, n, period, beam);
                std::vector<U8> raw(n);
                for (U8& r : raw)
                    r = (U8)rng();
                const std::vector<U8> expect = stepByStep(p, raw, level, suppression, water, scale);
                std::vector<U8> out(n, 0xEE);
                S_TVG_TvgRawSonar(&p, raw.data(), out.data(), level, suppression, water, scale);
                ASSERT_EQ(out, expect);
                S_TVG_TvgRawSonar(&p, raw.data(), raw.data(), level, suppression, water, scale);
                ASSERT_EQ(raw, expect) << "in place";
            }
        }
    }
}

TEST(Tvg, SuppressionFallsLinearlyToNothingAt8192us)
{
    // Samples every 512 us: 0, half way and the end of the suppression.
    PING_DESCRIPTOR p = ping(200000, 17, 512);
    std::vector<U8> raw(17, 250), out(17);
    S_TVG_TvgRawSonar(&p, raw.data(), out.data(), 1, TRUE, WATER_FRESH, 0);
    const int halfWay = 250 - (attenuationAt(DefaultTvg200kHzTable, 4096) + 45);
    EXPECT_EQ(out[8], halfWay > 0 ? halfWay : 0);
    EXPECT_EQ(out[15], 250 - (attenuationAt(DefaultTvg200kHzTable, 7680) + 5)) << "90 x 512 / 8192";
    EXPECT_EQ(out[16], 250 - attenuationAt(DefaultTvg200kHzTable, 8192));
}

TEST(Tvg, SuppressionLevelsOutsideOneToTenCountAsTheNearest)
{
    PING_DESCRIPTOR p = ping(200000, 1, 26);
    const U8 raw = 250;
    U8 out = 0;
    S_TVG_TvgRawSonar(&p, &raw, &out, 0, TRUE, WATER_FRESH, 0);
    EXPECT_EQ(out, 0) << "as level 1: 200 + 90";
    S_TVG_TvgRawSonar(&p, &raw, &out, 11, TRUE, WATER_FRESH, 0);
    EXPECT_EQ(out, 90) << "as level 10: 200 - 40";
}

TEST(ReverseTvg, GivesTheAttenuationBackAndKeepsSilence)
{
    const struct {
        const char* what;
        U32 hertz;
        U32 index;
        U32 periodUs;
        U8 in;
        U8 out;
    } cases[] = {
        {"0 stays 0", 800000, 0, 26, 0, 0},
        {"100 at 0 us, 800 kHz", 800000, 0, 26, 100, 255},
        {"1 at 0 us, 200 kHz", 200000, 0, 26, 1, 201},
        {"16 at 10,000 us, 200 kHz", 200000, 20, 500, 16, 100},
        {"past the 800 kHz curve", 800000, 100, 1000, 7, 12},
        {"0 at 10,000 us stays 0", 200000, 20, 500, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PING_DESCRIPTOR p = ping(c.hertz, c.index + 1, c.periodUs, 255);
        std::vector<U8> in(c.index + 1, 0);
        in[c.index] = c.in;
        S_TVG_ReverseTvgSonar(&p, in.data(), in.data());
        EXPECT_EQ(in[c.index], c.out);
    }
}

TEST(ReverseTvg, UndoesTheGainWhereNothingWasCut)
{
    std::mt19937 rng(5);
    for (U32 f : {50000u, 200000u, 455000u, 800000u}) {
        SCOPED_TRACE(f);
        PING_DESCRIPTOR p = ping(f, 4000, 26);
        std::vector<U8> raw(4000);
        for (U8& r : raw)
            r = (U8)(211 + rng() % 45);
        std::vector<U8> tvgd(4000), back(4000);
        S_TVG_TvgRawSonar(&p, raw.data(), tvgd.data(), 1, FALSE, WATER_FRESH, 0);
        S_TVG_ReverseTvgSonar(&p, tvgd.data(), back.data());
        EXPECT_EQ(back, raw);
    }
}

} // namespace
} // namespace sonar_test
