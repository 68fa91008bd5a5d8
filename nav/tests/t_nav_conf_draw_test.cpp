// The confirmation dialog's picture on an 800 x 600 page: the box's size
// from its lines, title and choices, centred on the page; two pictures in
// the unit's fonts compared with checked-in ones; and no picture while
// another task holds the dialog's mutex.
#include "nav/tests/nav_core_world.h"

#include "nav/core/t_nav_conf.h"

#include "graphics/color.h"
#include "graphics/g_icon.h"
#include "graphics/g_png.h"
#include "graphics/g_string.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "kernel/l_mutex.h"
#include "kernel/l_task.h"
#include "testing/t_proc.h"
#include "ui/menu_icons.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>

namespace {

using namespace navw;

constexpr COLOR BACKGROUND = 0x1234; // none of the dialog's colours
constexpr U32 PAGE_W = 800;
constexpr U32 PAGE_H = 600;

struct Box {
    int left, bottom, width, height;
};

// The smallest box holding every pixel of the colour.
std::optional<Box> extentOf(const gt::TestBitmap& bmp, COLOR c)
{
    int l = INT32_MAX, b = INT32_MAX, r = -1, t = -1;
    for (int y = 0; y < (int)PAGE_H; ++y)
        for (int x = 0; x < (int)PAGE_W; ++x)
            if (bmp.at(x, y) == c) {
                l = std::min(l, x);
                r = std::max(r, x);
                b = std::min(b, y);
                t = std::max(t, y);
            }
    if (r < 0)
        return std::nullopt;
    return Box{l, b, r - l + 1, t - b + 1};
}

U32 width(const char* text)
{
    return G_STRING_u32GetWidth(std_16x17_font_def_ptr.load(), reinterpret_cast<const BYTE*>(text));
}

// The picture drawn against the checked-in one; on a difference the
// picture drawn is written beside the build, and VONDREL_UPDATE_GOLDEN=1
// replaces the checked-in one (look at it before committing).
void expectGolden(gt::TestBitmap& page, const char* name)
{
    gt::expectGolden(page, "nav/tests/golden", name);
}

class NavConfirmPicture : public NavCore {
protected:
    void SetUp() override
    {
        NavCore::SetUp();
        U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
        G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
        T_NAV_CONF_vReset(0);
    }
    void TearDown() override { T_NAV_CONF_vReset(0); }
    // The dialog drawn on a fresh page, and its frame.
    std::optional<Box> draw()
    {
        page.clear();
        T_NAV_CONF_vRender(page, nullptr);
        return extentOf(page, gCOLOR_pcolColorTable[67]);
    }
    gt::TestBitmap page{PAGE_W, PAGE_H, BACKGROUND};
};

const char THREE_LINES[] = "Some navigation data is being used for navigation and cannot be deleted.  Delete all "
                           "has been canceled.";

TEST_F(NavConfirmPicture, WithTitleAndIconTheBoxIs24PerLinePlus78)
{
    T_NAV_CONF_vSetup(THREE_LINES, nullptr, nullptr);
    const auto box = draw();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->height, 24 * 3 + 78);
    EXPECT_EQ(box->left, ((int)PAGE_W - box->width) / 2);
    EXPECT_EQ(box->bottom, ((int)PAGE_H - box->height) / 2);
    expectGolden(page, "nav_confirm_title");
}

TEST_F(NavConfirmPicture, WithoutTitleTheBoxIs24PerLinePlus42)
{
    const char* statements[] = {"Start radar transmission?", THREE_LINES};
    const int lines[] = {1, 3};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(statements[i]);
        T_NAV_CONF_vReset(0);
        T_NAV_CONF_vShowOptions(nullptr, nullptr, statements[i], "Cancel", "Transmit", nullptr, nullptr);
        const auto box = draw();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->height, 24 * lines[i] + 42);
    }
    T_NAV_CONF_vReset(0);
    T_NAV_CONF_vShowOptions(nullptr, nullptr, statements[0], "Cancel", "Transmit", nullptr, nullptr);
    draw();
    expectGolden(page, "nav_confirm_plain");
}

TEST_F(NavConfirmPicture, WidthIsTheWidestOfTextTitleAndChoices)
{
    static const ICON* const icon = &confirm_icon;
    const U32 iconW = G_ICON_u32GetWidth(icon);
    const char* longTitle = "A title that is longer than its statement";
    const char* longLeft = "Keep every waypoint";
    const char* longRight = "Delete every waypoint";
    struct Row {
        const char* name;
        const char* title;
        const ICON* icon;
        const char* statement;
        const char* left;
        const char* right;
        int expected;
    };
    // The statement's one line is its width less one (the text service's
    // measure), plus 4.
    const Row rows[] = {
        {"the statement", nullptr, nullptr, "Delete the selected route now?", "No", "Yes",
         (int)width("Delete the selected route now?") - 1 + 4 + 16},
        {"the title and twice the icon", longTitle, icon, "Go?", "No", "Yes",
         (int)(width(longTitle) + 2 * iconW) + 16},
        {"both choices", nullptr, nullptr, "Go?", longLeft, longRight, (int)(width(longLeft) + width(longRight))},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        T_NAV_CONF_vReset(0);
        T_NAV_CONF_vShowOptions(r.title, r.icon, r.statement, r.left, r.right, nullptr, nullptr);
        const auto box = draw();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->width, r.expected);
    }
}

// The record holds ten lines: a statement that needs more shows its first
// ten, in a box of ten lines.
TEST_F(NavConfirmPicture, AStatementOfMoreThanTenLinesShowsTen)
{
    std::string statement;
    for (int i = 0; i < 60; ++i)
        statement += "waypoints ";
    T_NAV_CONF_vSetup(statement.c_str(), nullptr, nullptr);
    const auto box = draw();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->height, 24 * 10 + 78);
}

TEST_F(NavConfirmPicture, NothingIsDrawnWithoutAQuestion)
{
    EXPECT_FALSE(draw());
    EXPECT_TRUE(page.drawn().empty());
}

// The view task never waits long for a queue another task holds.
std::atomic<int> s_holding{0}; // 1 held, 2 released
void holdingTask()
{
    L_MUTEX_LockWait(RES_NAV_CONF);
    s_holding = 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    L_MUTEX_Unlock(RES_NAV_CONF);
    s_holding = 2;
    L_TASK_Terminate(0);
}

TEST_F(NavConfirmPicture, AQueueHeldElsewhereIsSkippedAfter100Milliseconds)
{
    T_NAV_CONF_vSetup(THREE_LINES, nullptr, nullptr);
    const TASK_PARAM p = {16384, 98, holdingTask};
    ASSERT_EQ(L_TASK_SetParams(62, &p), 0);
    ASSERT_EQ(L_TASK_Start(62), 0);
    while (s_holding.load() == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto start = std::chrono::steady_clock::now();
    const auto box = draw();
    const auto waited = std::chrono::steady_clock::now() - start;
    const bool stillHeld = s_holding.load() == 1;
    EXPECT_FALSE(box);
    EXPECT_TRUE(stillHeld) << "the draw returned only after the holder let go";
    EXPECT_GE(waited, std::chrono::milliseconds(90));
    while (s_holding.load() != 2)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(draw()) << "free again";
}

} // namespace
