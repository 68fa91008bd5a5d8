// The fish symbols and their drawings: every symbol at its size, where
// the standard, bottom-lock and vertical drawings put a fish, the clip
// boxes, and the three drawings of one history side by side against a
// checked-in picture. On a difference the picture drawn is written beside
// the build; with VONDREL_UPDATE_GOLDEN=1 it replaces the checked-in one
// (look at it before committing).
#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_fishid.h"
#include "sonar/dsp/s_fishid_icons.h"
#include "sonar/tests/sonar_root.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_png.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "testing/t_proc.h"
#include "util/u_convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace sonar_test {
namespace {

constexpr COLOR BACKGROUND = 0x0011;
constexpr COLOR LABEL_TEXT = COLOR_BLACK;

void prepareDrawing()
{
    static const bool once = [] {
        U_CONVERT_vInitialiseConversionUtility();
        U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
        G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
        return true;
    }();
    (void)once;
}

// An icon's opaque pixels by their icon coordinates (y up).
std::map<std::pair<int, int>, COLOR> decoded(const ICON& icon)
{
    std::map<std::pair<int, int>, COLOR> out;
    const POINT at{0, 0};
    G_ICON_vDecompressAndPutIndirect(
        nullptr, &icon, &at,
        [](BITMAP*, const POINT*, S32 x, S32 y, COLOR c, void* pv) {
            (*static_cast<std::map<std::pair<int, int>, COLOR>*>(pv))[{x, y}] = c;
        },
        &out);
    return out;
}

TEST(FishSymbols, EachBeamAndSizeHasItsSymbolAtItsSize)
{
    prepareDrawing();
    struct Size {
        int w, h;
    };
    const Size horizontal[4][3] = {{{32, 18}, {42, 20}, {44, 23}},
                                   {{32, 18}, {42, 20}, {44, 23}},
                                   {{22, 14}, {28, 16}, {32, 18}},
                                   {{22, 14}, {28, 16}, {32, 18}}};
    const Size vertical[4][3] = {{{32, 18}, {42, 20}, {44, 23}},
                                 {{32, 18}, {42, 20}, {44, 23}},
                                 {{16, 32}, {20, 40}, {24, 52}},
                                 {{16, 32}, {20, 40}, {24, 52}}};
    for (U32 beam = 0; beam < 4; ++beam)
        for (U32 size = 0; size < 3; ++size)
            for (bool upright : {false, true}) {
                SCOPED_TRACE(testing::Message() << "beam " << beam << ", size " << size
                                                << (upright ? ", vertical" : ""));
                const ICON& icon = upright ? FishIconsVertical[beam][size] : FishIconsHorizontal[beam][size];
                const Size want = upright ? vertical[beam][size] : horizontal[beam][size];
                EXPECT_EQ(icon.nWidth, want.w);
                EXPECT_EQ(icon.nHeight, want.h);
                ASSERT_EQ(icon.eCompression, ICON_RLE_TRANSPARENT_COLOR);
                ASSERT_NE(icon.pMask, nullptr);
                // The fish fills its box: some pixel on every edge.
                const auto px = decoded(icon);
                int left = want.w, right = -1, bottom = want.h, top = -1;
                for (const auto& [p, c] : px) {
                    left = std::min(left, p.first);
                    right = std::max(right, p.first);
                    bottom = std::min(bottom, p.second);
                    top = std::max(top, p.second);
                }
                EXPECT_EQ(left, 0);
                EXPECT_EQ(right, want.w - 1);
                EXPECT_EQ(bottom, 0);
                EXPECT_EQ(top, want.h - 1);
            }
    // The side beams' fish face each other; the 2D beams' fish differ in
    // colour only.
    for (U32 size = 0; size < 3; ++size) {
        SCOPED_TRACE(size);
        const auto left = decoded(FishIconsHorizontal[2][size]);
        const auto right = decoded(FishIconsHorizontal[3][size]);
        const int w = FishIconsHorizontal[2][size].nWidth;
        ASSERT_EQ(left.size(), right.size());
        for (const auto& [p, c] : left) {
            const auto it = right.find({w - 1 - p.first, p.second});
            ASSERT_NE(it, right.end());
            EXPECT_EQ(it->second, c);
        }
        const auto low = decoded(FishIconsHorizontal[0][size]);
        const auto high = decoded(FishIconsHorizontal[1][size]);
        ASSERT_EQ(low.size(), high.size());
        size_t sameColour = 0;
        for (const auto& [p, c] : low) {
            ASSERT_EQ(high.count(p), 1u);
            sameColour += high.at(p) == c;
        }
        EXPECT_LT(sameColour, low.size() / 2);
    }
}

// A history of fish lists written straight into its columns.
class FishDrawing : public ::testing::Test {
public:
    std::unique_ptr<FISH_TARGET_HISTORY> history = std::make_unique<FISH_TARGET_HISTORY>();
    std::unique_ptr<FULL_SCREEN_TSU> store = std::make_unique<FULL_SCREEN_TSU>();

    void SetUp() override
    {
        unitRoot();
        prepareDrawing();
        g_u32SpeedOfSoundInWater = 1463;
        S_FISHID_vSetReverseScroll(FALSE);
        S_FISHID_vInitialiseHistory(history.get());
        *store = FULL_SCREEN_TSU{};
    }
    void TearDown() override { S_FISHID_vSetReverseScroll(FALSE); }

    // Puts a fish into the column `back` columns before the newest.
    void put(U32 back, U32 depth, BEAM beam, U8 size, bool label = false, bool hidden = false)
    {
        const U32 newest = history->u16IndexToMostRecentTargets;
        FISH_TARGET_LIST& column = history->Items[(newest + FISH_HISTORY_COLUMNS - back % FISH_HISTORY_COLUMNS) %
                                                  FISH_HISTORY_COLUMNS];
        FISH_TARGET f = {};
        f.u32DepthInSamples = depth;
        f.beam = beam;
        f.u8Size = size;
        f.bIdPlusThisFish = label;
        f.bIgnoreThisFish = hidden;
        column.target[column.u8NumberOfTargets++] = f;
    }
};

TEST_F(FishDrawing, EachDrawingPutsTheSymbolWhereTheDepthAndColumnSay)
{
    struct Case {
        const char* what;
        std::function<void(FishDrawing&)> setUp;
        std::function<void(FishDrawing&, BITMAP*)> draw;
        const ICON* icon;
        POINT anchor;
        bool bottomLock = false;
    };
    // Standard: columns 0-99 and rows 0-99 for samples 0-1000; a fish at
    // 500 is on row 100 - 50 = 50 and its symbol sits on the row above.
    const auto standard = [](BOOLEAN slanted) {
        return [slanted](FishDrawing& t, BITMAP* b) {
            S_FISHID_vDrawStandardFishHistory(b, t.history.get(), 0, 99, 0, 99, 0, 1000, U_METRES, LABEL_TEXT, slanted);
        };
    };
    const auto vertical = [](POINT deep, POINT shallow, BOOLEAN sarvil) {
        return [=](FishDrawing& t, BITMAP* b) mutable {
            S_FISHID_vDrawVerticalFishHistory(t.history.get(), b, &deep, &shallow, 1000, U_METRES, sarvil);
        };
    };
    const Case cases[] = {
        {"standard, newest column", [](FishDrawing& t) { t.put(0, 500, 1, 0); }, standard(FALSE), &Smfish_icon,
         {99 - 16, 51}},
        {"standard, ten columns back", [](FishDrawing& t) { t.put(10, 250, 2, 1); }, standard(FALSE),
         &fish_mcl_icon, {89 - 14, 76}},
        {"slanted, ten columns back and ten rows lower", [](FishDrawing& t) { t.put(10, 500, 1, 0); },
         standard(TRUE), &Smfish_icon, {89 - 16, 41}},
        {"reverse scroll starts one column back",
         [](FishDrawing& t) {
             S_FISHID_vSetReverseScroll(TRUE);
             t.put(0, 300, 0, 2);
             t.put(1, 500, 3, 2);
         },
         standard(FALSE), &fish_lcr_icon, {99 - 16, 51}},
        {"standard, hidden fish, fish outside the samples and fish without a symbol are not drawn",
         [](FishDrawing& t) {
             t.put(0, 500, 1, 2, false, true);
             t.put(0, 0, 1, 2);
             t.put(0, 1000, 1, 2);
             t.put(0, 300, 4, 0);
             t.put(0, 400, 1, 3);
             t.put(0, 600, 1, 1);
         },
         standard(FALSE), &Medfish_icon, {99 - 21, 41}},
        {"bottom lock: 50 samples above a bottom at 1000, 100 above to 200 below over 300 rows",
         [](FishDrawing& t) {
             t.store->u32NextFreeColumn = 5;
             t.store->aTsuStore[4].u32SmoothedDepthInSamples = 1000;
             t.put(0, 950, 1, 0);
             t.put(0, 899, 1, 0); // above the window
         },
         [](FishDrawing& t, BITMAP* b) {
             S_FISHID_vDrawBottomLockFishHistory(b, t.history.get(), t.store.get(), 0, 99, 300, 100, 200, U_METRES,
                                                 LABEL_TEXT);
         },
         &Smfish_icon, {99 - 16, 551}, true},
        {"vertical, deeper to the right", [](FishDrawing& t) { t.put(0, 500, 2, 0); },
         vertical({99, 0}, {0, 99}, FALSE), &VertFishS_icon, {50 - 16, 99 - 16}},
        {"vertical, deeper to the left, five rows down", [](FishDrawing& t) { t.put(5, 500, 3, 2); },
         vertical({0, 0}, {99, 99}, FALSE), &VertFishL_icon, {100 - 50, 94 - 26}},
        {"vertical side beams: the first fish only, medium",
         [](FishDrawing& t) {
             t.put(0, 500, 2, 2);
             t.put(0, 200, 2, 0);
         },
         vertical({99, 0}, {0, 99}, TRUE), &VertFishM_icon, {50 - 20, 99 - 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.setUp(*this);
        gt::TestBitmap drawn(200, 600, BACKGROUND), expected(200, 600, BACKGROUND);
        c.draw(*this, drawn);
        // The picture's own area cuts the symbol.
        expected.setClip(0, c.bottomLock ? 300 : 0, 99, c.bottomLock ? 599 : 99);
        G_ICON_vPut(expected, c.icon, &c.anchor);
        ASSERT_FALSE(drawn.drawn().empty());
        size_t differing = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 200; ++x)
                differing += drawn.at(x, y) != expected.at(x, y);
        EXPECT_EQ(differing, 0u) << drawn.drawn().size() << " pixels drawn, " << expected.drawn().size()
                                 << " expected";
    }
}

TEST_F(FishDrawing, SymbolsAreCutAtThePictureAndAtTheWindowsOwnClipBox)
{
    struct Case {
        S32 windowRight; // the bitmap's own clip box
        int rightmost;   // no pixel beyond this column
    };
    for (const Case& c : {Case{199, 80}, Case{70, 70}}) {
        SCOPED_TRACE(c.windowRight);
        S_FISHID_vInitialiseHistory(history.get());
        put(0, 500, 1, 2, true);
        gt::TestBitmap bmp(200, 100, BACKGROUND);
        bmp.setClip(0, 0, c.windowRight, 99);
        S_FISHID_vDrawStandardFishHistory(bmp, history.get(), 50, 80, 20, 60, 0, 1000, U_FEET, LABEL_TEXT, FALSE);
        const gt::PixelSet px = bmp.drawn();
        ASSERT_FALSE(px.empty());
        for (const gt::Pixel& p : px) {
            EXPECT_GE(p.first, 50);
            EXPECT_LE(p.first, c.rightmost);
            EXPECT_GE(p.second, 20);
            EXPECT_LE(p.second, 60);
        }
    }
}

void expectGolden(gt::TestBitmap& screen, const char* name)
{
    gt::expectGolden(screen, "sonar/tests/golden", name);
}

TEST_F(FishDrawing, StandardBottomLockAndVerticalDrawingsOfOneHistory)
{
    // 220 columns of history ending at index 10, so the ring wraps; a
    // bottom near 900 samples (17 m at 1463 m/s) that rises and falls.
    history->u16IndexToMostRecentTargets = 10;
    store->u32NextFreeColumn = 11;
    for (U32 back = 0; back < 220; ++back)
        store->aTsuStore[(11 + TSU_STORE_COLUMNS - 1 - back) % TSU_STORE_COLUMNS].u32SmoothedDepthInSamples =
            (U32)(900 + 60 * std::sin(back / 35.0));
    struct Sighting {
        U32 back, depth;
        BEAM beam;
        U8 size;
        bool label, hidden;
    };
    const Sighting sightings[] = {
        {6, 150, 0, 0, true, false},   {20, 520, 1, 2, true, false},  {28, 860, 0, 1, true, false},
        {44, 300, 2, 0, false, false}, {60, 700, 3, 1, false, false}, {70, 420, 1, 0, true, false},
        {90, 610, 2, 2, false, false}, {100, 180, 3, 2, false, false}, {112, 880, 1, 1, true, false},
        {130, 380, 0, 2, true, false}, {150, 770, 1, 2, false, false}, {162, 240, 2, 1, false, false},
        {175, 560, 0, 0, true, true},  {190, 640, 3, 0, false, false}, {205, 90, 1, 1, true, false},
    };
    for (const Sighting& s : sightings)
        put(s.back, s.depth, s.beam, s.size, s.label, s.hidden);

    gt::TestBitmap screen(660, 600, BACKGROUND);
    const POINT divider{219, 0}, divider2{439, 0};
    G_BOX_vDrawFilled(screen, COLOR_WHITE, &divider, 2, 600);
    G_BOX_vDrawFilled(screen, COLOR_WHITE, &divider2, 2, 600);
    S_FISHID_vDrawStandardFishHistory(screen, history.get(), 0, 218, 0, 599, 0, 1000, U_FEET, LABEL_TEXT, FALSE);
    S_FISHID_vDrawBottomLockFishHistory(screen, history.get(), store.get(), 221, 438, 600, 700, 200, U_METRES,
                                        LABEL_TEXT);
    POINT deep{659, 0}, shallow{441, 599};
    S_FISHID_vDrawVerticalFishHistory(history.get(), screen, &deep, &shallow, 1000, U_METRES, FALSE);
    expectGolden(screen, "fish_history");
}

} // namespace
} // namespace sonar_test
