// The display task run as task 4 and driven through its mailbox, the data
// store and the test's stand-in neighbours: start-up and publishing, the
// retry of the POWER key, the system-state palette rule, and the power-key
// pop-up's keys.
#include "ui/tests/display_task_world.h"

#include "graphics/g_buffers.h"
#include "platform/dd_lcd.h"
#include "platform/h_display.h"
#include "testing/t_root.h"

#include <algorithm>

using namespace dt;

namespace {

TEST(DisplayTaskStart, PublishesItsMailboxAndTheFrameBufferThenTakesThePowerKeyOnceTheKeyboardRuns)
{
    const StartState& s = world();
    ASSERT_TRUE(s.ready) << "ready semaphore 182 never signalled";
    EXPECT_EQ(s.tdsp, 4u);
    EXPECT_EQ(s.tdspAttributes.DataType, D_MAILBOX);
    EXPECT_EQ(s.tdspAttributes.u32TimeOut, DB_TIMEOUT_NEVER);
    // No frame has been shown yet, so the page on display is none.
    EXPECT_TRUE(s.dsfbFetched);
    EXPECT_TRUE(s.dsfbValid);
    EXPECT_EQ(s.dsfb, nullptr);
    EXPECT_EQ(s.dsfbAttributes.DataType, D_POINTER);
    EXPECT_EQ(s.spal, 1u);
    EXPECT_EQ(s.mbms, 0u);
    // The frame buffer is up: four idle pages.
    for (const DISPLAY_BUF& b : g_displayBuffers)
        EXPECT_EQ(b.bufferStatus, BUFFER_IS_IDLE);

    EXPECT_TRUE(s.keyboardBeforeItRuns.empty());
    ASSERT_EQ(s.keyboardOnceItRuns.size(), 1u);
    const auto& reg = s.keyboardOnceItRuns[0].as<MSG_REGISTER_FOR_KEYS>();
    EXPECT_EQ(reg.header.Cmd, CMD_ID_REGISTER_FOR_KEYS);
    EXPECT_EQ(reg.keys, KEY_POWER);
    EXPECT_EQ(reg.mailbox, DISPLAY_MAILBOX);
    EXPECT_EQ(reg.state, KEY_DOWN);
    EXPECT_FALSE(reg.repeat);
    EXPECT_FALSE(reg.accelerate);
    EXPECT_EQ(reg.cursor_mode, CURSOR_4);
    EXPECT_EQ(reg.usage, REGISTER_CONTRAST);
    ASSERT_EQ(s.viewOnceKeysTaken.size(), 1u);
    EXPECT_EQ(s.viewOnceKeysTaken[0].cmd, CMD_ID_UNREGISTER_LAYER);
    EXPECT_EQ(s.viewOnceKeysTaken[0].as<MSG_UNREGISTER_LAYER>().layer, PRESS_POWER_LAYER);

    // The retry timer is gone: nothing more is registered.
    std::this_thread::sleep_for(std::chrono::milliseconds(350));
    EXPECT_TRUE(drain(KEYBOARD_MAILBOX).empty());
    EXPECT_TRUE(drain(VIEW_MAILBOX).empty());
}

// ---- System state ----

TEST_F(DisplayTask, SystemStateSetsBacklightPaletteSettingAndColourTable)
{
    struct Case {
        SYSTEM_STATE state;
        U32 cbak, spal;
    };
    const Case cases[] = {
        {STATE_POINT_OF_SALE, 10, 1},
        {STATE_INLINE_TEST, 10, 1},
        {STATE_BURN_IN, 10, 1},
        {STATE_NORMAL_RUN, 5, 3},
        {STATE_SIMULATION, 5, 3},
    };
    for (const Case& c : cases) {
        setU32("CBAK", 5);
        setU32("SPAL", 3);
        gCOLOR_pcolColorTable[166] = 0;
        setU32("CCST", c.state);
        settle();
        EXPECT_EQ(fetchU32("CBAK"), c.cbak) << c.state;
        EXPECT_EQ(fetchU32("SPAL"), c.spal) << c.state;
        // Entry 166 is the point-of-sale table's one row, and both palettes
        // give it the same colour: this shows that every state rewrites the
        // table, not which of the two palettes it chose.
        EXPECT_EQ(gCOLOR_pcolColorTable[166], 0x236A) << c.state;
        setU32("CCST", STATE_STARTUP);
        settle();
    }
}

TEST_F(DisplayTask, ResetClosesThePopUpAndRestoresThePaletteSetting)
{
    setU32("CCST", STATE_POINT_OF_SALE);
    settle();
    setU32("CBAK", 4);
    setU32("SPAL", 2);
    ASSERT_EQ(press(KEY_POWER), GOOD);
    clearMailboxes();
    for (SEMA s : {SEMA_KEYCLICK_GOOD, SEMA_KEYCLICK_BAD})
        L_SEMA_SetPending(s);
    command(CMD_ID_RESET_POS);
    EXPECT_FALSE(signalled(SEMA_KEYCLICK_GOOD));
    EXPECT_FALSE(signalled(SEMA_KEYCLICK_BAD));
    EXPECT_EQ(fetchU32("CBAK"), 10u);
    EXPECT_EQ(fetchU32("SPAL"), 1u);
    EXPECT_EQ(commandsOf(drain(KEYBOARD_MAILBOX)), std::vector<U32>{CMD_ID_UNREGISTER_FOR_KEYS});
    EXPECT_EQ(commandsOf(drain(VIEW_MAILBOX)), std::vector<U32>{CMD_ID_UNREGISTER_LAYER});
    // Closed: POWER opens it again.
    EXPECT_EQ(press(KEY_POWER), GOOD);
    EXPECT_EQ(commandsOf(drain(VIEW_MAILBOX)), std::vector<U32>{CMD_ID_REGISTER_LAYER});
}

// ---- Opening and closing ----

TEST_F(DisplayTask, WithoutQuickConfigurationPowerOnlyClicks)
{
    setU32("SQCD", FALSE);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(press(KEY_POWER), GOOD_ONLY);
        EXPECT_TRUE(drain(KEYBOARD_MAILBOX).empty());
        EXPECT_TRUE(drain(VIEW_MAILBOX).empty());
    }
}

TEST_F(DisplayTask, PowerOpensThePopUpWithEveryKeyAndItsLayerAndPowerOrExitClosesIt)
{
    for (U32 closer : {KEY_POWER, KEY_EXIT}) {
        ASSERT_EQ(press(KEY_POWER), GOOD);
        const std::vector<Mail> keys = drain(KEYBOARD_MAILBOX);
        ASSERT_EQ(keys.size(), 2u);
        const auto& most = keys[0].as<MSG_REGISTER_FOR_KEYS>();
        EXPECT_EQ(most.keys, 0xFFEEu);
        EXPECT_FALSE(most.repeat);
        const auto& cursorKey = keys[1].as<MSG_REGISTER_FOR_KEYS>();
        EXPECT_EQ(cursorKey.keys, KEY_CURSOR);
        EXPECT_TRUE(cursorKey.repeat);
        for (const auto* r : {&most, &cursorKey}) {
            EXPECT_EQ(r->mailbox, DISPLAY_MAILBOX);
            EXPECT_EQ(r->state, KEY_DOWN);
            EXPECT_EQ(r->cursor_mode, CURSOR_4);
            EXPECT_EQ(r->usage, REGISTER_CONTRAST);
        }
        const std::vector<Mail> view = drain(VIEW_MAILBOX);
        ASSERT_EQ(view.size(), 1u);
        const auto& layer = view[0].as<MSG_REGISTER_LAYER>();
        EXPECT_EQ(layer.header.Cmd, CMD_ID_REGISTER_LAYER);
        EXPECT_EQ(layer.layer, CONTRAST_LAYER);
        EXPECT_EQ(layer.where_used, USED_BY_ALL);
        EXPECT_EQ(layer.pDrawFunction, &T_DISPLAY_vDrawLayer);
        EXPECT_TRUE(layer.bDisplay);

        EXPECT_EQ(press(closer), GOOD) << closer;
        const std::vector<Mail> released = drain(KEYBOARD_MAILBOX);
        ASSERT_EQ(released.size(), 1u);
        EXPECT_EQ(released[0].as<MSG_UNREGISTER_FOR_KEYS>().keys, 0xFFFEu);
        const std::vector<Mail> gone = drain(VIEW_MAILBOX);
        ASSERT_EQ(gone.size(), 1u);
        EXPECT_EQ(gone[0].as<MSG_UNREGISTER_LAYER>().layer, CONTRAST_LAYER);
    }
}

TEST_F(DisplayTask, KeysThatDoNothingGiveTheBadClick)
{
    ASSERT_EQ(press(KEY_POWER), GOOD);
    for (U32 key : {KEY_MENU, KEY_VIEW, 0x20u, 0x800u})
        EXPECT_EQ(press(key), BAD) << key;
    for (CURSOR_POSITION d : {CURSOR_NORTH_EAST, CURSOR_SOUTH_WEST, CURSOR_UP, CURSOR_ILLEGAL})
        EXPECT_EQ(cursor(d), BAD) << d;
}

TEST_F(DisplayTask, AKeyLeftOverFromAClosedPopUpDoesNotReopenIt)
{
    ASSERT_EQ(press(KEY_POWER), GOOD);
    ASSERT_EQ(press(KEY_EXIT), GOOD);
    clearMailboxes();
    const Response r = cursor(CURSOR_SOUTH);
    EXPECT_EQ(r, Response{});
    EXPECT_TRUE(drain(VIEW_MAILBOX).empty());
}

TEST_F(DisplayTask, ExitRestoresTheBacklightUnlessTheLightRowChangedIt)
{
    // Another writer changes the level while the pop-up is open: the level
    // saved at opening comes back.
    setU32("CBAK", 7);
    ASSERT_EQ(press(KEY_POWER), GOOD);
    setU32("CBAK", 3);
    ASSERT_EQ(press(KEY_EXIT), GOOD);
    EXPECT_EQ(fetchU32("CBAK"), 7u);

    // Stepped on the light row (below the sonar row, where it opens): kept.
    ASSERT_EQ(press(KEY_POWER), GOOD);
    ASSERT_EQ(cursor(CURSOR_SOUTH), GOOD);
    ASSERT_EQ(cursor(CURSOR_EAST), GOOD);
    EXPECT_EQ(fetchU32("CBAK"), 8u);
    ASSERT_EQ(press(KEY_EXIT), GOOD);
    EXPECT_EQ(fetchU32("CBAK"), 8u);
}

TEST_F(DisplayTask, LightRowStopsAtItsEnds)
{
    ASSERT_EQ(press(KEY_POWER), GOOD);
    ASSERT_EQ(cursor(CURSOR_SOUTH), GOOD);
    setU32("CBAK", 10);
    EXPECT_EQ(cursor(CURSOR_EAST), BAD);
    EXPECT_EQ(fetchU32("CBAK"), 10u);
    setU32("CBAK", 0);
    EXPECT_EQ(cursor(CURSOR_WEST), BAD);
    EXPECT_EQ(cursor(CURSOR_EAST), GOOD);
    EXPECT_EQ(fetchU32("CBAK"), 1u);
}

// ---- Selection rows ----

TEST_F(DisplayTask, BackgroundRowStepsWithinWhiteBlueBlack)
{
    gt::TestBitmap screen(800, 600, SCREEN);
    setU32("SPAL", 1);
    openAndDraw(screen);
    ASSERT_EQ(cursor(CURSOR_SOUTH), GOOD);
    ASSERT_EQ(cursor(CURSOR_SOUTH), GOOD); // sonar, light, background

    struct Step {
        CURSOR_POSITION direction;
        Response response;
        U32 spal;
    };
    const Step steps[] = {
        {CURSOR_WEST, BAD, 1}, {CURSOR_EAST, GOOD, 2}, {CURSOR_EAST, GOOD, 3},
        {CURSOR_EAST, BAD, 3}, {CURSOR_WEST, GOOD, 2},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(cursor(s.direction), s.response) << s.direction;
        EXPECT_EQ(fetchU32("SPAL"), s.spal);
        redraw(screen);
    }
}

TEST_F(DisplayTask, SelectionRowIsRefusedUntilAFrameHasShownIt)
{
    // The choices of a row come from the frame that showed it; before the
    // first frame there is nothing to step through.
    setU32("SSEN", 1);
    ASSERT_EQ(press(KEY_POWER), GOOD);
    EXPECT_EQ(cursor(CURSOR_WEST), BAD);
    EXPECT_EQ(fetchU32("SSEN"), 1u);
    gt::TestBitmap screen(800, 600, SCREEN);
    redraw(screen);
    EXPECT_EQ(cursor(CURSOR_WEST), GOOD);
    EXPECT_EQ(fetchU32("SSEN"), 0u);
}

// ---- Propeller ----

TEST_F(DisplayTask, PropSpeedStepsByHalvesFromTheNearestStep)
{
    setU32("IPNE", TRUE);
    setU32("IPCA", FALSE);
    settle();
    ASSERT_EQ(press(KEY_POWER), GOOD); // on the propeller switch
    ASSERT_EQ(cursor(CURSOR_SOUTH), GOOD);
    struct Case {
        float from;
        CURSOR_POSITION direction;
        float to;
    };
    const Case cases[] = {
        {3.2f, CURSOR_EAST, 3.5f}, {3.2f, CURSOR_WEST, 2.5f},  {10.0f, CURSOR_EAST, 10.0f},
        {0.0f, CURSOR_WEST, 0.0f}, {0.75f, CURSOR_EAST, 1.5f}, // 1.5 steps round to 2
        {0.25f, CURSOR_EAST, 0.5f}, // 0.5 steps round to 0
        {9.9f, CURSOR_EAST, 10.0f}, {0.2f, CURSOR_WEST, 0.0f},
    };
    for (const Case& c : cases) {
        setFloat("IPPT", c.from);
        EXPECT_EQ(cursor(c.direction), GOOD) << c.from;
        EXPECT_FLOAT_EQ(fetchFloat("IPPT"), c.to) << c.from << " " << c.direction;
    }
}

// ---- Highlight and motor ----

TEST_F(DisplayTask, StowedMotorOpensOnDeployAndTheHighlightWrapsThroughThe360Row)
{
    setU32("IIMT", ST_MT_QUENBY);
    setU32("IPMS", NG_STOWED);
    setU32("YBMT", TRUE);
    setU32("YMSS", 1);
    setU32("ENPM", 8);
    settle();
    gt::TestBitmap screen(800, 600, SCREEN);
    openAndDraw(screen);
    // Deploy, sonar, light, background, 360 ping.
    ASSERT_EQ(rowFills(screen).size(), 5u);
    EXPECT_EQ(highlightedSlot(screen), 0);
    ASSERT_EQ(cursor(CURSOR_NORTH), GOOD);
    redraw(screen);
    EXPECT_EQ(highlightedSlot(screen), 4);
    ASSERT_EQ(cursor(CURSOR_SOUTH), GOOD);
    ASSERT_EQ(cursor(CURSOR_SOUTH), GOOD);
    redraw(screen);
    EXPECT_EQ(highlightedSlot(screen), 1);
    ASSERT_EQ(cursor(CURSOR_NORTH), GOOD);

    // West does nothing on a motor row; east commands the motor.
    EXPECT_EQ(cursor(CURSOR_WEST), BAD);
    EXPECT_EQ(cursor(CURSOR_EAST), GOOD);
    EXPECT_EQ(motorCommands(), std::vector<U32>{ST_CMD_DEPLOY_MOTOR});
}

TEST_F(DisplayTask, MotorStateChangeMovesTheHighlightToTheRowThatNowApplies)
{
    setU32("IIMT", ST_MT_QUENBY);
    setU32("IPMS", NG_STOWED);
    settle();
    ASSERT_EQ(press(KEY_POWER), GOOD); // on deploy
    setU32("IPMS", NG_DEPLOYING);
    settle();
    EXPECT_EQ(cursor(CURSOR_EAST), GOOD);
    EXPECT_EQ(motorCommands(), std::vector<U32>{ST_CMD_PAUSE_STOWDEPLOY});

    // Paused: stow above deploy, the highlight on stow.
    setU32("IPMS", NG_PAUSED);
    settle();
    EXPECT_EQ(cursor(CURSOR_EAST), GOOD);
    ASSERT_EQ(cursor(CURSOR_SOUTH), GOOD);
    EXPECT_EQ(cursor(CURSOR_EAST), GOOD);
    EXPECT_EQ(motorCommands(), (std::vector<U32>{ST_CMD_STOW_MOTOR, ST_CMD_DEPLOY_MOTOR}));

    // A state change that leaves the sonar row highlighted moves nothing.
    ASSERT_EQ(cursor(CURSOR_SOUTH), GOOD);
    setU32("IPMS", NG_DEPLOYED);
    settle();
    setU32("SSEN", 0);
    gt::TestBitmap screen(800, 600, SCREEN);
    redraw(screen);
    EXPECT_EQ(cursor(CURSOR_EAST), GOOD);
    EXPECT_EQ(fetchU32("SSEN"), 1u);
    EXPECT_TRUE(motorCommands().empty());
}

TEST_F(DisplayTask, AHiddenMotorRowNeverCommandsTheMotor)
{
    // The motor rows go when the motor's state has no action; the highlight
    // may rest there, but east is refused.
    setU32("IIMT", ST_MT_QUENBY);
    setU32("IPMS", NG_DEPLOYED);
    settle();
    ASSERT_EQ(press(KEY_POWER), GOOD); // on stow
    setU32("IPMS", NG_UNKNOWN);
    settle();
    EXPECT_EQ(cursor(CURSOR_EAST), BAD);
    setU32("IIMT", ST_MT_V2);
    setU32("IPMS", NG_DEPLOYED);
    settle();
    EXPECT_EQ(cursor(CURSOR_EAST), BAD);
    EXPECT_TRUE(motorCommands().empty());
}

TEST_F(DisplayTask, PropellerRowsLeadAndTheirLossMovesTheHighlight)
{
    setU32("IPNE", TRUE);
    setU32("IPRP", FALSE);
    settle();
    gt::TestBitmap screen(800, 600, SCREEN);
    openAndDraw(screen);
    // Switch, speed, sonar, light, background; the switch highlighted.
    ASSERT_EQ(rowFills(screen).size(), 5u);
    EXPECT_EQ(highlightedSlot(screen), 0);
    // Up from the switch wraps to the 360 row; down again to the switch.
    ASSERT_EQ(cursor(CURSOR_NORTH), GOOD);
    redraw(screen);
    EXPECT_EQ(highlightedSlot(screen), -1);
    ASSERT_EQ(cursor(CURSOR_SOUTH), GOOD);
    redraw(screen);
    EXPECT_EQ(highlightedSlot(screen), 0);

    // Down through the speed row to sonar, and back up.
    ASSERT_EQ(cursor(CURSOR_SOUTH), GOOD);
    ASSERT_EQ(cursor(CURSOR_SOUTH), GOOD);
    redraw(screen);
    EXPECT_EQ(highlightedSlot(screen), 2);
    ASSERT_EQ(cursor(CURSOR_NORTH), GOOD);
    redraw(screen);
    EXPECT_EQ(highlightedSlot(screen), 1);
    ASSERT_EQ(cursor(CURSOR_NORTH), GOOD);

    // With the speed row hidden, down from the switch goes to the stow row
    // whatever the motor, and on to sonar; up from sonar to the switch.
    setU32("IPCA", TRUE);
    ASSERT_EQ(cursor(CURSOR_SOUTH), GOOD);
    redraw(screen);
    ASSERT_EQ(rowFills(screen).size(), 4u);
    EXPECT_EQ(highlightedSlot(screen), -1);
    ASSERT_EQ(cursor(CURSOR_SOUTH), GOOD);
    redraw(screen);
    EXPECT_EQ(highlightedSlot(screen), 1);
    ASSERT_EQ(cursor(CURSOR_NORTH), GOOD);
    redraw(screen);
    EXPECT_EQ(highlightedSlot(screen), 0);

    // Locked out: the propeller rows go and the highlight leaves them.
    setU32("IPPL", TRUE);
    settle();
    redraw(screen);
    ASSERT_EQ(rowFills(screen).size(), 3u);
    EXPECT_EQ(cursor(CURSOR_EAST), BAD); // on a motor row no motor has
    ASSERT_EQ(cursor(CURSOR_SOUTH), GOOD);
    redraw(screen);
    EXPECT_EQ(highlightedSlot(screen), 0);
}

// ---- Display output ----

TEST_F(DisplayTask, ShowsAScreenItIsSentAndBlanksTheScreenAtShutdownAndStaysAlive)
{
    U32* page = H_DISPLAY_pu32GetDisplayBuffer();
    ASSERT_NE(page, nullptr);
    std::fill_n(reinterpret_cast<U16*>(page), DD_LCD_SCREEN_PIXELS, 0xF800);
    BITMAP* header = G_BUFFERS_pCreateFullScreenBitmapHeader();
    header->pBuffer = page;
    auto* show = newMail<MSG_DISPLAY_SCREEN>(CMD_ID_DISPLAY_SCREEN);
    show->pBitmap = header;
    sendAndWait(&show->header);
    H_MEMORY_vFree(show);
    EXPECT_EQ(H_DISPLAY_psbGetFrameBufferPointer(), reinterpret_cast<SCREEN_BUFFER*>(page));

    command(CMD_ID_SHUTDOWN);
    const U16* shown = reinterpret_cast<const U16*>(H_DISPLAY_psbGetFrameBufferPointer());
    ASSERT_EQ(shown, reinterpret_cast<const U16*>(g_displayBuffers[0].buf.buffer));
    EXPECT_TRUE(std::all_of(shown, shown + DD_LCD_SCREEN_PIXELS, [](U16 v) { return v == 0; }));
    EXPECT_EQ(press(KEY_POWER), GOOD);
}

// ---- A second owner ----

TEST(DisplayTaskFatal, ASecondOwnerOfItsKeysEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "fast"); // the child keeps this root
    struct Case {
        const char* key;
        const char* text;
    };
    const Case cases[] = {
        {"TDSP", "Somebody else registered the Display Task Maibox"},
        {"DSFB", "Somebody else registered the Screen Frame Buffer Pointer"},
    };
    for (const Case& c : cases) {
        vt::TempRoot root;
        root.exportEnv();
        EXPECT_EXIT(
            {
                H_DATABASE_vInit();
                DB_DATA_TYPE v = {};
                v.u32Val = 9;
                FOURCHARID key;
                memcpy(&key, c.key, 4);
                H_DATABASE_bUpdateValue(key, v, P_HIGHEST);
                T_DISPLAY_vMain();
            },
            testing::ExitedWithCode(10), "")
            << c.key;
        EXPECT_NE(vt::readFile(root.cwd() + "/FATAL.LOG").find(c.text), std::string::npos) << c.key;
    }
}

} // namespace
