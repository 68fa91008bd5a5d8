// The power-key pop-up as the view task draws it: its size and rows, the
// repairs it makes, and two checked-in pictures. On a difference the
// picture drawn is written beside the build for a look; with
// VONDREL_UPDATE_GOLDEN=1 it replaces the checked-in one (look at it before
// committing).
#include "ui/tests/display_task_world.h"

#include "graphics/g_png.h"
#include "testing/t_proc.h"

#include <cstdlib>

using namespace dt;

namespace {

class PopUp : public DisplayTask {
protected:
    gt::TestBitmap screen{800, 600, SCREEN};

    void draw()
    {
        screen.clear();
        T_DISPLAY_vDrawLayer(screen, nullptr);
    }

    void expectGolden(const char* name) { gt::expectGolden(screen, "ui/tests/golden", name); }
};

TEST_F(PopUp, ThreeRowsMake186PixelsNearTheTopWithTheHintAlongTheBottom)
{
    setU32("CBAK", 7);
    setU32("SPAL", 2);
    openAndDraw(screen);
    const Frame f = frameOf(screen);
    EXPECT_EQ(f.rows(), 3);
    EXPECT_EQ(f.top - f.bottom + 1, 186 + 12);
    EXPECT_EQ(f.bottom, 600 - 186 - 18);
    EXPECT_GE(f.right - f.left + 1, 224 + 10);
    // Sonar (highlighted), light, background.
    const std::vector<COLOR> fills = rowFills(screen);
    EXPECT_EQ(fills, (std::vector<COLOR>{gCOLOR_pcolColorTable[64], gCOLOR_pcolColorTable[65],
                                         gCOLOR_pcolColorTable[65]}));
    // The hint's block fills the bottom rows of the screen across its width.
    for (int x : {0, 399, 799})
        EXPECT_EQ(screen.at(x, 0), gCOLOR_pcolColorTable[64]) << x;
    expectGolden("power_popup_three_rows");
}

TEST_F(PopUp, PausedMotorShowsStowAboveDeploy)
{
    setU32("CBAK", 0);
    setU32("SPAL", 3);
    setU32("IIMT", ST_MT_QUENBY);
    setU32("IPMS", NG_PAUSED);
    settle();
    openAndDraw(screen);
    EXPECT_EQ(frameOf(screen).rows(), 5);
    EXPECT_EQ(highlightedSlot(screen), 0); // stow
    expectGolden("power_popup_motor_paused");
}

TEST_F(PopUp, RowCountFollowsPropellerMotorAnd360Conditions)
{
    struct Case {
        const char* what;
        U32 ipne, ipca, iimt, ipms, ybmt, enpm;
        int rows;
    };
    const Case cases[] = {
        {"nothing connected", 0, 0, ST_MT_V2, NG_UNKNOWN, 0, 0, 3},
        {"propeller", 1, 0, ST_MT_V2, NG_UNKNOWN, 0, 0, 5},
        {"propeller, speed hidden", 1, 1, ST_MT_V2, NG_UNKNOWN, 0, 0, 4},
        {"self-deploying motor stowed", 0, 0, ST_MT_QUENBY, NG_STOWED, 0, 0, 4},
        {"self-deploying motor in error", 0, 0, ST_MT_QUENBY, NG_ERROR, 0, 0, 4},
        {"self-deploying motor unknown", 0, 0, ST_MT_QUENBY, NG_UNKNOWN, 0, 0, 3},
        {"other motor deployed", 0, 0, ST_MT_V3, NG_DEPLOYED, 0, 0, 3},
        {"360 transducer", 0, 0, ST_MT_V2, NG_UNKNOWN, 1, 8 | 1, 4},
        {"bow mount without the 360 element", 0, 0, ST_MT_V2, NG_UNKNOWN, 1, 7, 3},
        {"everything", 1, 0, ST_MT_QUENBY, NG_PAUSED, 1, 8, 8},
    };
    setU32("YMSS", 1);
    setU32("IPRP", 0);
    for (const Case& c : cases) {
        setU32("IPNE", c.ipne);
        setU32("IPCA", c.ipca);
        setU32("IIMT", c.iimt);
        setU32("IPMS", c.ipms);
        setU32("YBMT", c.ybmt);
        setU32("ENPM", c.enpm);
        settle();
        draw();
        EXPECT_EQ(frameOf(screen).rows(), c.rows) << c.what;
        EXPECT_EQ(frameOf(screen).bottom, 600 - 62 * c.rows - 18) << c.what;
    }
}

TEST_F(PopUp, ARowWhoseKeyIsMissingLeavesItsPlaceEmpty)
{
    H_DATABASE_vDeleteEntry(FCID("SSEN"));
    openAndDraw(screen);
    const COLOR inner = gCOLOR_pcolColorTable[67];
    EXPECT_EQ(rowFills(screen), (std::vector<COLOR>{inner, gCOLOR_pcolColorTable[65], gCOLOR_pcolColorTable[65]}));
}

TEST_F(PopUp, SwitchesHoldingMoreThanOnAreWrittenBack)
{
    setU32("IPNE", TRUE);
    setU32("IPPL", FALSE);
    settle();
    setU32("SSEN", 5);
    setU32("IPRP", 2);
    draw();
    EXPECT_EQ(fetchU32("SSEN"), 1u);
    EXPECT_EQ(fetchU32("IPRP"), 0u);
    // Values in range are left alone.
    setU32("SSEN", 0);
    setU32("IPRP", 1);
    draw();
    EXPECT_EQ(fetchU32("SSEN"), 0u);
    EXPECT_EQ(fetchU32("IPRP"), 1u);
}

TEST_F(PopUp, ANarrowScreenTakesThePopUpToItsLeftEdge)
{
    gt::TestBitmap narrow(200, 600, SCREEN);
    openAndDraw(narrow);
    // Outer box P - 6 wide from x = 0.
    EXPECT_EQ(narrow.at(0, 600 - 186 - 18 + 100), gCOLOR_pcolColorTable[64]);
    EXPECT_EQ(narrow.at(193, 600 - 186 - 18 + 100), gCOLOR_pcolColorTable[64]);
    EXPECT_EQ(narrow.at(194, 600 - 186 - 18 + 100), SCREEN);
}

} // namespace
