// Sonar view changes: a new view is laid out once, keys and cursor are
// re-evaluated on every "CVEW", the zoom keys stay with a zoom window that
// holds them, the cursor panes, and the heights the info strip leaves.
#include "sonar/tests/history_world.h"

namespace history_test {
namespace {

using namespace t_n_history;

constexpr U32 KEYS_ZOOM_MASK = KEY_ZOOM_IN | KEY_ZOOM_OUT;

void noStrip(LAYER_ID view) { strip(view, false); }

void resetKeys()
{
    s_bZoomKeysRegistered = s_bCursorKeysRegistered = FALSE;
    s_bFvZoomKeysRegistered = s_bKVZoomKeysRegistered = FALSE;
    keyMails();
}

TEST(HistoryViewCheck, TheSameViewAgainKeepsTheLayoutButRedoesKeysAndCursor)
{
    worldWithWindows();
    keyboardStandIn();
    resetKeys();
    noStrip(49);
    setS32("CVEW", 49);
    setFloat("SSUD", 2.0f);
    vHandleViewChange(49);
    EXPECT_EQ(CurrentView, 49);
    EXPECT_EQ(SonarViewInfo.Window[0].u32HistoryHeight, 600u);
    EXPECT_FLOAT_EQ(SonarViewInfo.Window[0].fUpperDisplayedMetres, 2.0f);
    EXPECT_TRUE(bRtsWindowUpdateable.load());
    EXPECT_TRUE(has(keyMails(), CMD_ID_REGISTER_FOR_KEYS, KEY_CURSOR));

    // Marks that a new layout would undo.
    SonarViewInfo.Window[0].u32HistoryHeight = 123;
    SonarViewInfo.Window[0].bTriggerTotalScreenUpdate = FALSE;
    s_bCursorKeysRegistered = FALSE;
    s_bCursorActive = TRUE;
    setU32("ICAC", TRUE);
    vHandleViewChange(49);
    EXPECT_EQ(SonarViewInfo.Window[0].u32HistoryHeight, 123u);
    EXPECT_FALSE(SonarViewInfo.Window[0].bTriggerTotalScreenUpdate);
    EXPECT_TRUE(has(keyMails(), CMD_ID_REGISTER_FOR_KEYS, KEY_CURSOR));
    EXPECT_FALSE(s_bCursorActive.load());
    EXPECT_EQ(u32("ICAC"), (U32)FALSE);
}

TEST(HistoryViewCheck, ANewViewIsLaidOutAndEveryWindowRedrawn)
{
    worldWithWindows();
    noStrip(41);
    setS32("CVEW", 41);
    setFloat("SSUD", 0.0f);
    L_MUTEX_LockWait(RES_S_INFO);
    CurrentView = 49;
    SonarViewInfo.unitsDepth = U_METRES;
    SonarViewInfo.Window[0].fLowerDisplayedMetres = 10.0f;
    for (SONAR_WINDOW& w : SonarViewInfo.Window)
        w.bTriggerTotalScreenUpdate = FALSE;
    L_MUTEX_Unlock(RES_S_INFO);
    vVerifyAndUpdateWindowSettings(41);
    EXPECT_EQ(CurrentView, 41);
    EXPECT_EQ(SonarViewInfo.Window[1].Beam, 5);
    // The twin takes window 0's range.
    EXPECT_EQ(SonarViewInfo.Window[1].u32LowerDigits, 10u);
    EXPECT_EQ(SonarViewInfo.Window[1].u32LowerSample, SonarViewInfo.Window[0].u32LowerSample);
    for (const SONAR_WINDOW& w : SonarViewInfo.Window)
        EXPECT_TRUE(w.bTriggerTotalScreenUpdate);
    EXPECT_TRUE(bForceResample.load());
}

TEST(HistoryKeys, TheZoomViewLeavesTheZoomKeysWithAZoomWindowThatHoldsThem)
{
    worldWithWindows();
    keyboardStandIn();
    resetKeys();
    setS32("CVEW", 50);
    s_bKVZoomKeysRegistered = TRUE;
    vCheckKeyRegistration(50, SPLIT_FULL_WINDOW);
    std::vector<KeyMail> mails = keyMails();
    EXPECT_FALSE(has(mails, CMD_ID_REGISTER_FOR_KEYS, KEYS_ZOOM_MASK));
    EXPECT_TRUE(s_bZoomKeysRegistered);
    setS32("CVEW", 49);
    vCheckKeyRegistration(49, SPLIT_FULL_WINDOW);
    mails = keyMails();
    EXPECT_FALSE(has(mails, CMD_ID_UNREGISTER_FOR_KEYS, KEYS_ZOOM_MASK));
    EXPECT_FALSE(s_bZoomKeysRegistered);

    // Without a zoom window holding them the zoom view takes and frees them.
    s_bKVZoomKeysRegistered = FALSE;
    vCheckKeyRegistration(50, SPLIT_FULL_WINDOW);
    EXPECT_TRUE(has(keyMails(), CMD_ID_REGISTER_FOR_KEYS, KEYS_ZOOM_MASK));
    vCheckKeyRegistration(49, SPLIT_FULL_WINDOW);
    EXPECT_TRUE(has(keyMails(), CMD_ID_UNREGISTER_FOR_KEYS, KEYS_ZOOM_MASK));
}

TEST(HistoryKeys, A360ViewTakesTheZoomAndInfoKeys)
{
    worldWithWindows();
    keyboardStandIn();
    resetKeys();
    setS32("CVEW", 56);
    vCheckKeyRegistration(56, SPLIT_FULL_WINDOW);
    const std::vector<KeyMail> mails = keyMails();
    EXPECT_TRUE(has(mails, CMD_ID_REGISTER_FOR_KEYS, KEYS_ZOOM_MASK | KEY_INFO));
    EXPECT_TRUE(has(mails, CMD_ID_REGISTER_FOR_KEYS, KEY_CURSOR));
    EXPECT_TRUE(s_bZoomKeysRegistered);
    setS32("CVEW", 23);
    vCheckKeyRegistration(23, SPLIT_FULL_WINDOW);
    const std::vector<KeyMail> after = keyMails();
    EXPECT_TRUE(has(after, CMD_ID_UNREGISTER_FOR_KEYS, KEY_INFO));
    EXPECT_TRUE(has(after, CMD_ID_UNREGISTER_FOR_KEYS, KEY_CURSOR));
}

TEST(HistoryKeys, CursorPanes)
{
    world();
    setU32("YST3", 5);
    const struct {
        LAYER_ID view;
        SPLIT_WINDOW_TYPE pane;
        bool cursor;
    } cases[] = {
        {39, SPLIT_FULL_WINDOW, true},  {42, SPLIT_RIGHT_WINDOW, true}, {47, SPLIT_FULL_WINDOW, true},
        {52, SPLIT_LEFT_WINDOW, true},  {52, SPLIT_RIGHT_WINDOW, true}, {52, SPLIT_FULL_WINDOW, false},
        {33, SPLIT_LEFT_WINDOW, true},  {35, SPLIT_RIGHT_WINDOW, false}, {60, SPLIT_LEFT_WINDOW, true},
        {58, SPLIT_RIGHT_WINDOW, true}, {58, SPLIT_LEFT_WINDOW, false}, {46, SPLIT_FULL_WINDOW, false},
        {53, SPLIT_FULL_WINDOW, false}, {23, SPLIT_LEFT_WINDOW, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(T_N_HISTORY_bIsMyCursorView(c.view, c.pane) != FALSE, c.cursor) << c.view << "/" << c.pane;
    setU32("YST3", 3);
    EXPECT_FALSE(T_N_HISTORY_bIsMyCursorView(47, SPLIT_FULL_WINDOW));
    // The current view and pane.
    setS32("CVEW", 58);
    setS32("CVAS", SPLIT_RIGHT_WINDOW);
    EXPECT_TRUE(T_N_HISTORY_bIsMyCursorView(UNKNOWN_VIEW, UNKNOWN_SPLIT));
}

// ---- Heights left by the info strip ----

void clearTriggers()
{
    for (SONAR_WINDOW& w : SonarViewInfo.Window)
        w.bTriggerTotalScreenUpdate = FALSE;
}

TEST(HistoryHeights, TheStripOver41Shortens2DAndKeelviewTo495Rows)
{
    worldWithWindows();
    for (SONAR_WINDOW& w : SonarViewInfo.Window)
        w.u32HistoryHeight = 600;
    clearTriggers();
    T_N_HISTORY_vReVerifyAndUpdateActiveSonarWindowSettings(41, SPLIT_LEFT_WINDOW, 105);
    EXPECT_EQ(SonarViewInfo.Window[0].u32HistoryHeight, 495u);
    EXPECT_EQ(SonarViewInfo.Window[1].u32HistoryHeight, 495u);
    EXPECT_TRUE(SonarViewInfo.Window[4].bTriggerTotalScreenUpdate);
    // The same strip again changes nothing and redraws nothing.
    clearTriggers();
    T_N_HISTORY_vReVerifyAndUpdateActiveSonarWindowSettings(41, SPLIT_LEFT_WINDOW, 105);
    EXPECT_FALSE(SonarViewInfo.Window[0].bTriggerTotalScreenUpdate);
}

TEST(HistoryHeights, EachViewFitsItsOwnWindows)
{
    worldWithWindows();
    const struct {
        LAYER_ID view;
        SPLIT_WINDOW_TYPE pane;
        QUAD_LAYOUT quad;
        U32 y;
        U32 heights[SONAR_WINDOWS]; // 600: untouched
    } cases[] = {
        {46, SPLIT_FULL_WINDOW, QUAD_LAYOUT_3_PANE_SLANTED, 0, {334, 334, 334, 600, 600}},
        {46, SPLIT_FULL_WINDOW, QUAD_LAYOUT_3_PANE_SLANTED, 105, {229, 229, 229, 600, 600}},
        {46, SPLIT_FULL_WINDOW, QUAD_LAYOUT_HORIZONTAL, 105, {246, 244, 244, 600, 600}},
        {46, SPLIT_FULL_WINDOW, QUAD_LAYOUT_VERTICAL, 105, {246, 600, 600, 600, 600}},
        {42, SPLIT_LEFT_WINDOW, QUAD_LAYOUT_HORIZONTAL, 105, {247, 600, 600, 247, 600}},
        {42, SPLIT_RIGHT_WINDOW, QUAD_LAYOUT_HORIZONTAL, 105, {600, 600, 600, 600, 600}},
        {52, SPLIT_RIGHT_WINDOW, QUAD_LAYOUT_HORIZONTAL, 105, {600, 600, 600, 600, 600}},
        {52, SPLIT_LEFT_WINDOW, QUAD_LAYOUT_HORIZONTAL, 105, {495, 600, 600, 600, 600}},
        {49, SPLIT_FULL_WINDOW, QUAD_LAYOUT_HORIZONTAL, 105, {495, 600, 600, 600, 600}},
        {47, SPLIT_FULL_WINDOW, QUAD_LAYOUT_HORIZONTAL, 105, {600, 600, 600, 600, 600}},
    };
    for (const auto& c : cases) {
        for (SONAR_WINDOW& w : SonarViewInfo.Window)
            w.u32HistoryHeight = 600;
        SonarViewInfo.eQuadLayout = c.quad;
        T_N_HISTORY_vReVerifyAndUpdateActiveSonarWindowSettings(c.view, c.pane, c.y);
        for (U32 i = 0; i < SONAR_WINDOWS; ++i)
            EXPECT_EQ(SonarViewInfo.Window[i].u32HistoryHeight, c.heights[i])
                << "view " << c.view << " pane " << c.pane << " window " << i;
    }
}

} // namespace
} // namespace history_test
