// The transducer database's answers: capability lookup with its duplicate
// rows, beams per source (transducer 2's shared imaging beam), the model
// mask, frequency texts, names and sources with ids past the table, the
// element masks, and the questions answered from the store.
#include "sonar/dsp/s_transducer.h"
#include "sonar/tests/transducer_mail_log.h"

#include <string>

namespace sonar_test {
namespace {

TEST(TransducerQueries, CapabilityGivesTheLowestIdWithExactlyThoseBeams)
{
    const struct {
        U32 capability;
        U8 id;
    } cases[] = {
        {0x3, 1},        // not 11, 12 or 13
        {0x5, 4},        // not 8 or 14
        {0x1000400, 16},
        {0x300009, 15},
        {0x7, 0},        // a mask no transducer has
        {0x0, 0},        // row 0 is never an answer
        {0x1405, 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(S_TRANSDUCER_u8GetTransducerByCapability(c.capability), c.id) << std::hex << c.capability;
}

TEST(TransducerQueries, ModelMaskIsEveryNamedRowsBeams)
{
    EXPECT_EQ(S_TRANSDUCER_u32GetBeamsSupportedByModel(), 0x1311F0Fu);
}

TEST(TransducerQueries, BeamsOfASource)
{
    const struct {
        U8 id;
        U16 source;
        U32 beams;
    } cases[] = {
        {5, SONAR_SOURCE_2D, 0x5},
        {15, SONAR_SOURCE_2D, 0x9},
        {15, SONAR_SOURCE_KV, 0x300000},
        {10, SONAR_SOURCE_FV, 0xC00},
        {16, SONAR_SOURCE_360, 0x1000000},
        {16, SONAR_SOURCE_FV, 0x400},
        // Transducer 2's one 455 kHz beam serves both imaging sources.
        {2, SONAR_SOURCE_KV, 0x100},
        {2, SONAR_SOURCE_FV, 0x100},
        {3, SONAR_SOURCE_FV, 0x0},
        // Any other source: every beam.
        {5, TEMP_SOURCE, 0x1405},
        // An id past the table has no beams.
        {19, SONAR_SOURCE_2D, 0},
        {255, INVALID_SOURCE, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(S_TRANSDUCER_u32GetBeamsForTransducerAndSource(c.id, c.source), c.beams)
            << "id " << int(c.id) << " source " << c.source;
}

TEST(TransducerQueries, FrequencyTexts)
{
    const struct {
        U8 id;
        U8 source;
        const char* text;
    } cases[] = {
        {10, 0, "200/83"}, {10, 2, "455/800"}, {5, 2, "455/262"}, {15, 0, "200/455"},
        {15, 1, "455/800"}, {16, 2, "455"},    {7, 0, "200"},     {6, 0, "/83"},
        {0, 0, "/"},        {4, 0, "200/50"},  {2, 1, "455"},     {2, 2, "455"},
        {3, 2, "/"},        // its side beam is no side-looking imaging beam
        {1, 1, "/"},        {1, 3, "455"},     {1, 4, "NONE"},    {19, 0, "/"},
        {200, 2, "/"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(S_TRANSDUCER_pbyteGetFrequencyString(c.id, c.source), c.text)
            << "id " << int(c.id) << " source " << int(c.source);
}

TEST(TransducerQueries, IdsPastTheTableAreUnknown)
{
    for (U8 id : {19, 20, 128, 255}) {
        EXPECT_EQ(S_TRANSDUCER_u32GetBeamsToDisplay(id), 0u) << int(id);
        EXPECT_EQ(S_TRANSDUCER_u32GetBeamsForTransducer(id), 0u) << int(id);
        EXPECT_EQ(S_TRANSDUCER_u32GetSonarSources(id), 0u) << int(id);
        ASSERT_NE(S_TRANSDUCER_pasGetTransducerName(id), nullptr);
        EXPECT_STREQ((*S_TRANSDUCER_pasGetTransducerName(id))[0], "Unknown") << int(id);
    }
    for (U8 id : {0, 12, 13, 14})
        EXPECT_STREQ((*S_TRANSDUCER_pasGetTransducerName(id))[0], "Unknown") << int(id);
    // Every other row has a name of its own.
    for (U8 a : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 15, 16, 17, 18}) {
        EXPECT_STRNE((*S_TRANSDUCER_pasGetTransducerName(a))[0], "Unknown") << int(a);
        for (U8 b : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 15, 16, 17, 18}) {
            if (a != b) {
                EXPECT_STRNE((*S_TRANSDUCER_pasGetTransducerName(a))[0], (*S_TRANSDUCER_pasGetTransducerName(b))[0]);
            }
        }
    }
    EXPECT_EQ(S_TRANSDUCER_u32GetBeamsToDisplay(6), 0x10002u);
    EXPECT_EQ(S_TRANSDUCER_u32GetSonarSources(16), 0xCu);
}

TEST(TransducerQueries, SupportedTransducers)
{
    for (U32 id = 0; id < 256; ++id) {
        const bool supported = id == 0 || id == 1 || id == 4 || id == 15 || id == 16 || id == 17 || id == 18;
        EXPECT_EQ(S_TRANSDUCER_bIsSupportedTransducer((U8)id) != FALSE, supported) << id;
    }
}

TEST(TransducerQueries, CurrentTransducerOutsideItsTwoEntriesIsNone)
{
    for (U8 index : {2, 3, 255})
        EXPECT_EQ(S_TRANSDUCER_u8CurrentTransducer(index), 0) << int(index);
}

TEST(ElementMasks, BitsOfTheFourSonarSources)
{
    const struct {
        NET_SOURCE_TYPE source;
        U32 bit;
    } cases[] = {
        {SONAR_SOURCE_2D, 0x1}, {SONAR_SOURCE_KV, 0x2}, {SONAR_SOURCE_FV, 0x4}, {SONAR_SOURCE_360, 0x8},
        {TEMP_SOURCE, 0},       {RADAR_SOURCE, 0},      {INVALID_SOURCE, 0},    {(NET_SOURCE_TYPE)40, 0},
        {(NET_SOURCE_TYPE)-1, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(S_TRANSDUCER_u32GetElementBit(0xFFFFFFFF, c.source), c.bit) << c.source;
        EXPECT_EQ(S_TRANSDUCER_u32GetElementBit(~c.bit, c.source), 0u) << c.source;
        U32 mask = 0x30;
        S_TRANSDUCER_vSetElementBit(&mask, c.source);
        EXPECT_EQ(mask, 0x30 | c.bit) << c.source;
        S_TRANSDUCER_vUnsetElementBit(&mask, c.source);
        EXPECT_EQ(mask, 0x30u) << c.source;
        mask = 0xFFFFFFFF;
        S_TRANSDUCER_vUnsetElementBit(&mask, c.source);
        EXPECT_EQ(mask, ~c.bit) << c.source;
    }
    S_TRANSDUCER_vSetElementBit(nullptr, SONAR_SOURCE_2D);
    S_TRANSDUCER_vUnsetElementBit(nullptr, SONAR_SOURCE_2D);
}

// "unset" leaves the key unwritten.
constexpr U32 UNSET = 0xFFFFFFFF;

void setOrForget(FOURCHARID k, U32 v)
{
    if (v == UNSET)
        forget(k);
    else
        setU32(k, v);
}

TEST(TransducerQueries, ChosenTransducerAgainstTheDefault)
{
    initStoreOnce();
    const struct {
        U32 ssts, sstd;
        bool isDefault, flankview, keelview;
    } cases[] = {
        {UNSET, UNSET, true, false, false}, {UNSET, 4, true, false, false}, {15, UNSET, true, false, true},
        {4, UNSET, false, false, false},     {4, 4, true, false, false},     {4, 1, false, false, false},
        {5, 15, false, true, false},         {9, 9, true, true, false},      {10, 1, false, true, false},
        {16, 1, false, true, false},         {17, 1, false, false, true},    {18, 18, true, false, true},
        {2, 1, false, false, false},
    };
    for (const auto& c : cases) {
        setOrForget(FCID("SSTS"), c.ssts);
        setOrForget(FCID("SSTD"), c.sstd);
        EXPECT_EQ(S_TRANSDUCER_bIsDefaultTransducer() != FALSE, c.isDefault) << c.ssts << "/" << c.sstd;
        EXPECT_EQ(S_TRANSDUCER_bIsFlankview() != FALSE, c.flankview) << c.ssts;
        EXPECT_EQ(S_TRANSDUCER_bIsKeelview() != FALSE, c.keelview) << c.ssts;
    }
    forget(FCID("SSTS"));
    forget(FCID("SSTD"));
}

TEST(TransducerQueries, LowFrequencyBeamInHertz)
{
    initStoreOnce();
    forget(FCID("CSFL"));
    EXPECT_EQ(S_TRANSDUCER_u32LFBeamFrequencyHertz(), 0u);
    setU32(FCID("CSFL"), 83);
    EXPECT_EQ(S_TRANSDUCER_u32LFBeamFrequencyHertz(), 83000u);
    setU32(FCID("CSFL"), 50);
    EXPECT_EQ(S_TRANSDUCER_u32LFBeamFrequencyHertz(), 50000u);
    forget(FCID("CSFL"));
}

} // namespace
} // namespace sonar_test
