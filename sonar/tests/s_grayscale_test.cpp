// Grayscale tables: the plain, white-line and imaging tables at their
// boundaries (with the colour table holding each entry's own number, so a
// colour names its entry), the soft and hard contrast curves' shape, the
// clips chosen from sensitivity, transducer, clear mode, side-view
// frequency and playback, and colouring a row with gain and bottom black.
#include "sonar/dsp/s_grayscale.h"

#include "graphics/color.h"
#include "store/h_database.h"

#include <gtest/gtest.h>

#include <vector>

namespace sonar_test {
namespace {

class Grayscale : public ::testing::Test {
protected:
    void SetUp() override
    {
        COLOR entries[COLOR_TABLE_SIZE];
        for (U32 i = 0; i < COLOR_TABLE_SIZE; ++i)
            entries[i] = (COLOR)i;
        COLOR_vFetchColorTableSection(0, COLOR_TABLE_SIZE, saved_);
        COLOR_vSetColorTableSection(0, COLOR_TABLE_SIZE, entries);
        H_DATABASE_vInit();
        for (const char* key : {"CCST", "SSTS", "YSSF", "YTVG", "CPTS", "CPFS"})
            H_DATABASE_vDeleteEntry(FCID(*reinterpret_cast<const char(*)[5]>(key)));
    }
    void TearDown() override { COLOR_vSetColorTableSection(0, COLOR_TABLE_SIZE, saved_); }

    // Entry of each level.
    static std::vector<int> entries(const GRAYSCALE_TABLE& t)
    {
        return std::vector<int>(t.acColor, t.acColor + GRAYSCALE_LEVELS);
    }

    COLOR saved_[COLOR_TABLE_SIZE];
};

TEST_F(Grayscale, PlainTable)
{
    GRAYSCALE_TABLE t;
    S_GRAYSCALE_vRecalulateGrayScaleTableDirect(&t, POST_PROCESS_NONE, 40, 160, 0);
    const std::vector<int> e = entries(t);
    const struct {
        int level, entry;
    } cases[] = {{0, 0}, {40, 0}, {41, 1}, {100, 16}, {159, 30}, {160, 31}, {161, 31}, {255, 31}};
    for (const auto& c : cases)
        EXPECT_EQ(e[c.level], c.entry) << c.level;
    EXPECT_EQ(t.ePostProcessMode, POST_PROCESS_NONE);

    S_GRAYSCALE_vRecalulateGrayScaleTableDirect(&t, POST_PROCESS_BOTTOM_BLACK, 100, 100, 0);
    EXPECT_EQ(entries(t)[100], 0) << "no middle when the clips meet";
    EXPECT_EQ(entries(t)[101], 31);
    S_GRAYSCALE_vRecalulateGrayScaleTableDirect(&t, POST_PROCESS_NONE, 200, 50, 0);
    EXPECT_EQ(entries(t)[200], 0) << "crossed clips";
    EXPECT_EQ(entries(t)[201], 31);
}

TEST_F(Grayscale, WhiteLineTable)
{
    GRAYSCALE_TABLE t;
    S_GRAYSCALE_vRecalulateGrayScaleTableDirect(&t, POST_PROCESS_WHITE_LINE, 40, 160, 200);
    const std::vector<int> e = entries(t);
    const struct {
        int level, entry;
    } cases[] = {{40, 0}, {41, 1}, {70, 15}, {71, 15}, {160, 31}, {161, 31}, {199, 31}, {200, 35}, {255, 35}};
    for (const auto& c : cases)
        EXPECT_EQ(e[c.level], c.entry) << c.level;
    EXPECT_EQ(t.ePostProcessMode, POST_PROCESS_WHITE_LINE);

    // Clips closer than four levels: no lower half; crossed clips: no middle.
    S_GRAYSCALE_vRecalulateGrayScaleTableDirect(&t, POST_PROCESS_WHITE_LINE, 100, 102, 250);
    EXPECT_EQ(entries(t)[100], 0);
    EXPECT_EQ(entries(t)[101], 23);
    EXPECT_EQ(entries(t)[102], 31);
    S_GRAYSCALE_vRecalulateGrayScaleTableDirect(&t, POST_PROCESS_WHITE_LINE, 100, 40, 250);
    EXPECT_EQ(entries(t)[100], 0);
    EXPECT_EQ(entries(t)[101], 31);
    EXPECT_EQ(entries(t)[250], 35);
}

TEST_F(Grayscale, ImagingTableLinearAndWithGamma)
{
    GRAYSCALE_TABLE t;
    S_GRAYSCALE_vCreateSideScanTable(&t, 32, 50, 200, 10, 9);
    std::vector<int> e = entries(t);
    for (int level = 0; level <= 54; ++level)
        EXPECT_EQ(e[level], 231) << level;
    EXPECT_EQ(e[55], 230);
    EXPECT_EQ(e[100], 221);
    for (int level = 196; level <= 199; ++level)
        EXPECT_EQ(e[level], 201) << level;
    for (int level = 200; level <= 255; ++level)
        EXPECT_EQ(e[level], 200) << level;

    S_GRAYSCALE_vCreateSideScanTable(&t, 32, 50, 200, 5, 9);
    e = entries(t);
    EXPECT_EQ(e[145], 220) << "the knee: cl 145, gl 20";
    EXPECT_EQ(e[51], 231);
    EXPECT_EQ(e[199], 200);
    S_GRAYSCALE_vCreateSideScanTable(&t, 32, 50, 200, 15, 0);
    e = entries(t);
    EXPECT_EQ(e[50 + 150 / 4 + 150 * 5 / 40], 200 + 32 * 5 / 40 + 8) << "gamma above 10, contrast ignored";

    S_GRAYSCALE_vCreateSideScanTable(&t, 32, 120, 120, 10, 9);
    EXPECT_EQ(entries(t)[119], 231);
    EXPECT_EQ(entries(t)[120], 200) << "with L = U the level itself is the strongest";
}

TEST_F(Grayscale, ContrastCurvesRunFromWeakestToStrongest)
{
    for (U8 contrast : {0, 4, 8, 9, 10, 14, 20}) {
        SCOPED_TRACE((int)contrast);
        GRAYSCALE_TABLE t;
        S_GRAYSCALE_vCreateSideScanTable(&t, 32, 40, 220, 10, contrast);
        const std::vector<int> e = entries(t);
        for (int level = 1; level < 256; ++level) {
            ASSERT_LE(e[level], e[level - 1]) << "a stronger level is never a weaker colour at " << level;
            ASSERT_GE(e[level], 200);
            ASSERT_LE(e[level], 231);
        }
        EXPECT_EQ(e[40], 231);
        EXPECT_EQ(e[220], 200);
    }
    // Softer contrast lifts the middle, harder contrast spreads it.
    GRAYSCALE_TABLE linear, soft, hard;
    S_GRAYSCALE_vCreateSideScanTable(&linear, 32, 40, 220, 10, 9);
    S_GRAYSCALE_vCreateSideScanTable(&soft, 32, 40, 220, 10, 0);
    S_GRAYSCALE_vCreateSideScanTable(&hard, 32, 40, 220, 10, 20);
    EXPECT_NE(entries(linear), entries(soft));
    EXPECT_NE(entries(linear), entries(hard));
}

// The clips of a plain table: the last level of entry 0 and the first of
// entry 31.
std::pair<int, int> clips(const GRAYSCALE_TABLE& t)
{
    int lower = -1, upper = -1;
    for (int i = 0; i < 256; ++i) {
        if (t.acColor[i] == 0)
            lower = i;
        if (upper < 0 && t.acColor[i] == 31)
            upper = i;
    }
    return {lower, upper};
}

TEST_F(Grayscale, ClipsFromSensitivityTransducerAndClearMode)
{
    const struct {
        U32 transducer;
        int clear; // "YTVG": -1 unset
        U8 sensitivity;
        int lower, upper;
    } cases[] = {
        {1, 0, 10, 63, 143}, {1, 0, 20, 0, 80},    {1, 0, 1, 120, 200}, {1, -1, 10, 63, 143},
        {11, 0, 10, 18, 112}, {11, 1, 10, 18, 112}, {15, 1, 20, 0, 38},  {17, 1, 10, 32, 112},
        {18, 1, 17, 0, 60},  {1, 1, 10, 43, 123},  {0, 0, 10, 63, 143},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "transducer " << c.transducer << " clear " << c.clear << " sensitivity "
                                        << (int)c.sensitivity);
        H_DATABASE_bUpdateValueU32(FCID("SSTS"), c.transducer, P_NORMAL);
        if (c.clear < 0)
            H_DATABASE_vDeleteEntry(FCID("YTVG"));
        else
            H_DATABASE_bUpdateValueBoolean(FCID("YTVG"), (BOOLEAN)c.clear, P_NORMAL);
        GRAYSCALE_TABLE t;
        S_GRAYSCALE_vRecalulateGrayScaleTable(&t, c.sensitivity, 10, 10, POST_PROCESS_BOTTOM_BLACK, 0, 0xFF);
        EXPECT_EQ(clips(t), std::make_pair(c.lower, c.upper));
        EXPECT_EQ(t.ePostProcessMode, POST_PROCESS_BOTTOM_BLACK);
    }
}

TEST_F(Grayscale, PlaybackTakesTheRecordingsTransducerAndFrequency)
{
    H_DATABASE_bUpdateValueU32(FCID("SSTS"), 1, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("YSSF"), FCID("SSF5"), P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("CCST"), 11, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("CPTS"), 11, P_NORMAL);
    GRAYSCALE_TABLE t;
    S_GRAYSCALE_vRecalulateGrayScaleTable(&t, 10, 10, 10, POST_PROCESS_NONE, 0, 0);
    EXPECT_EQ(clips(t), std::make_pair(18, 112)) << "the recording's transducer 11";

    // Imaging clips: "CPFS" above 750,000 Hz picks the 800 kHz tables.
    const struct {
        int hertz; // -1 unset
        int lower, upper;
    } cases[] = {{750000, 35, 215}, {750001, 20, 114}, {-1, 35, 215}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hertz);
        if (c.hertz < 0)
            H_DATABASE_vDeleteEntry(FCID("CPFS"));
        else
            H_DATABASE_bUpdateValueU32(FCID("CPFS"), (U32)c.hertz, P_NORMAL);
        S_GRAYSCALE_vRecalulateGrayScaleTable(&t, 7, 10, 9, POST_PROCESS_SIDESCAN, 0, 0);
        const std::vector<int> e = entries(t);
        EXPECT_EQ(e[c.lower], 231);
        EXPECT_EQ(e[c.lower + 1], 231);
        EXPECT_EQ(e[c.upper], 200);
        EXPECT_EQ(e[c.upper - 1], 201);
    }
}

TEST_F(Grayscale, ImagingClipsBySideViewFrequency)
{
    const struct {
        int frequency; // 4 "SSF4", 5 "SSF5", 0 unset
        U8 sensitivity;
        U8 lower, upper;
    } cases[] = {
        {4, 7, 35, 215}, {0, 7, 35, 215}, {5, 7, 20, 114}, {4, 0, 84, 250}, {5, 0, 0, 0},
        {4, 20, 0, 135}, {5, 20, 0, 50},  {4, 19, 0, 140}, {4, 250, 0, 135}, {5, 21, 0, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "SSF" << c.frequency << " sensitivity " << (int)c.sensitivity);
        const FOURCHARID f = c.frequency == 5 ? FCID("SSF5") : FCID("SSF4");
        EXPECT_EQ(S_GRAYSCALE_pu8GetSSSensitivityLE(f, c.sensitivity), c.lower);
        EXPECT_EQ(S_GRAYSCALE_pu8GetSSSensitivityUE(f, c.sensitivity), c.upper);
        if (c.frequency)
            H_DATABASE_bUpdateValueU32(FCID("YSSF"), f, P_NORMAL);
        else
            H_DATABASE_vDeleteEntry(FCID("YSSF"));
        if (c.sensitivity > 20 || c.lower >= c.upper)
            continue;
        GRAYSCALE_TABLE t;
        S_GRAYSCALE_vRecalulateGrayScaleTable(&t, c.sensitivity, 10, 9, POST_PROCESS_SIDESCAN, 0, 0);
        EXPECT_EQ(entries(t)[c.lower], 231);
        EXPECT_EQ(entries(t)[c.upper], 200);
        EXPECT_EQ(entries(t)[c.upper - 1], 201);
    }
}

TEST_F(Grayscale, CategorizeWithGainAndBottomBlack)
{
    GRAYSCALE_TABLE t;
    for (int i = 0; i < 256; ++i)
        t.acColor[i] = (COLOR)(1000 + i); // the level itself, shifted
    t.ePostProcessMode = POST_PROCESS_BOTTOM_BLACK;
    const std::vector<U8> row = {0, 3, 100, 252, 255, 7, 7, 7, 7, 7};
    const struct {
        const char* what;
        S8 gain;
        U32 start;
        POST_PROCESS_MODE mode;
        std::vector<int> colours;
    } cases[] = {
        {"no gain", 0, 0, POST_PROCESS_BOTTOM_BLACK, {1000, 1003, 1100, 1252, 1255, 1007, 1007, 1007, 1007, 1007}},
        {"gain +5", 5, 0, POST_PROCESS_BOTTOM_BLACK, {1000, 1008, 1105, 1255, 1255, 1012, 1012, 1012, 1012, 1012}},
        {"gain -7", -7, 0, POST_PROCESS_BOTTOM_BLACK, {1000, 1000, 1093, 1245, 1248, 1000, 1000, 1000, 1000, 1000}},
        {"bottom at 5", 0, 5, POST_PROCESS_BOTTOM_BLACK, {1000, 1003, 1100, 1252, 1255, 32, 32, 32, 32, 32}},
        {"bottom at the length", 0, 10, POST_PROCESS_BOTTOM_BLACK,
         {1000, 1003, 1100, 1252, 1255, 1007, 1007, 1007, 1007, 1007}},
        {"bottom past the length", 0, 11, POST_PROCESS_BOTTOM_BLACK,
         {1000, 1003, 1100, 1252, 1255, 1007, 1007, 1007, 1007, 1007}},
        {"not a bottom-black table", 0, 5, POST_PROCESS_NONE,
         {1000, 1003, 1100, 1252, 1255, 1007, 1007, 1007, 1007, 1007}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        t.ePostProcessMode = c.mode;
        std::vector<COLOR> out(row.size() + 1, 0xEEEE);
        S_GRAYSCALE_vCategorize(row.data(), out.data(), (U32)row.size(), &t, c.start, c.gain);
        EXPECT_EQ(out.back(), 0xEEEE);
        out.pop_back();
        EXPECT_EQ(std::vector<int>(out.begin(), out.end()), c.colours);
    }
}

} // namespace
} // namespace sonar_test
