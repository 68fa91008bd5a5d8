// The colour table: start values, section writes and copies, the
// point-of-sale variation and the trolling-motor colours. The table is
// process-wide, so every test puts back what it changes.
#include "graphics/color.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>

namespace {

class ColorTable : public ::testing::Test {
protected:
    void SetUp() override { COLOR_vFetchColorTableSection(0, COLOR_TABLE_SIZE, saved_.data()); }
    void TearDown() override { COLOR_vSetColorTableSection(0, COLOR_TABLE_SIZE, saved_.data()); }
    std::array<COLOR, COLOR_TABLE_SIZE> saved_{};
};

TEST_F(ColorTable, StartsWithTheUnitsColoursInEverySection)
{
    const std::pair<U32, COLOR> probes[] = {
        {0, 0xFFFF},   {1, 0xB6DF},   {31, 0x27FF},  {43, 0x0254},  {80, 0x0000},  {85, 0xF800},
        {95, 0x8EDF},  {97, 0x4494},  {106, 0x26C0}, {127, 0x0000}, {128, 0xFFFF}, {133, 0x892A},
        {150, 0xB7F4}, {161, 0xB254}, {166, 0x236A}, {167, 0xD480}, {196, 0xFFFF}, {200, 0xB6C0},
        {231, 0xD5BF}, {236, 0xFB60}, {255, 0xFFFF},
    };
    for (auto [index, color] : probes)
        EXPECT_EQ(gCOLOR_pcolColorTable[index], color) << "entry " << index;
}

TEST_F(ColorTable, SectionWriteChangesOnlyItsEntriesAndReadsBackTheSame)
{
    std::array<COLOR, 32> scale;
    std::iota(scale.begin(), scale.end(), COLOR{0x1000});
    COLOR_vSetColorTableSection(COLOR_SECTION_IMAGING, 32, scale.data());
    for (U32 i = 0; i < COLOR_TABLE_SIZE; ++i) {
        const COLOR expected = (i >= 200 && i <= 231) ? scale[i - 200] : saved_[i];
        EXPECT_EQ(gCOLOR_pcolColorTable[i], expected) << "entry " << i;
    }
    std::array<COLOR, 32> back{};
    COLOR_vFetchColorTableSection(200, 32, back.data());
    EXPECT_EQ(back, scale);

    const COLOR before = gCOLOR_pcolColorTable[5];
    COLOR_vSetColorTableSection(5, 0, scale.data());
    EXPECT_EQ(gCOLOR_pcolColorTable[5], before);
}

TEST_F(ColorTable, CopyRunsEntryByEntrySoAnOverlapUpwardRepeatsTheFirst)
{
    const std::array<COLOR, 4> start = {0xA000, 0xA001, 0xA002, 0xA003};
    COLOR_vSetColorTableSection(112, 4, start.data());
    COLOR_vCopyColorTableSection(112, 113, 3);
    std::array<COLOR, 4> after{};
    COLOR_vFetchColorTableSection(112, 4, after.data());
    EXPECT_EQ(after, (std::array<COLOR, 4>{0xA000, 0xA000, 0xA000, 0xA000}));

    COLOR_vSetColorTableSection(112, 4, start.data());
    COLOR_vCopyColorTableSection(113, 112, 3);
    COLOR_vFetchColorTableSection(112, 4, after.data());
    EXPECT_EQ(after, (std::array<COLOR, 4>{0xA001, 0xA002, 0xA003, 0xA003}));
}

TEST_F(ColorTable, PointOfSaleAndStandardPalettesWriteTheirColourOfEntry166)
{
    gCOLOR_pcolColorTable[166] = 0x0001;
    COLOR_vSetPOSPalette();
    EXPECT_EQ(gCOLOR_pcolColorTable[166], 0x236A);
    gCOLOR_pcolColorTable[166] = 0x0001;
    COLOR_vSetStandardPalette();
    EXPECT_EQ(gCOLOR_pcolColorTable[166], 0x236A);
    EXPECT_EQ(gCOLOR_pcolColorTable[165], saved_[165]);
    EXPECT_EQ(gCOLOR_pcolColorTable[167], saved_[167]);
}

TEST(TrollingMotorColours, FixedValuesAndBlackPastTheEnd)
{
    EXPECT_EQ(COLOR_vGetStevrinColorDef(STCOLOR_BLACK), 0x0000);
    EXPECT_EQ(COLOR_vGetStevrinColorDef(STCOLOR_RED), 0x9000);
    EXPECT_EQ(COLOR_vGetStevrinColorDef(STCOLOR_BROWN), 0xFFF5);
    EXPECT_EQ(COLOR_vGetStevrinColorDef(STCOLOR_WHITE), 0xFFFF);
    EXPECT_EQ(COLOR_vGetStevrinColorDef(STCOLOR_CUSTOM_APHEADING_LINE), 0xD23A);
    EXPECT_EQ(COLOR_vGetStevrinColorDef(22), 0x07FF);
    EXPECT_EQ(STCOLOR_MAX, 23);
    EXPECT_EQ(COLOR_vGetStevrinColorDef(23), 0x0000);
    EXPECT_EQ(COLOR_vGetStevrinColorDef(1000), 0x0000);
}

} // namespace
