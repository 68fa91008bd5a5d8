// The view task's layer registry, driven through its mails as the start-up
// task drives it: the list's invariants under registration and removal,
// the pane menus and the "Views" entry, the keys that show and hide views
// and move the split, the next background view, the factory reset, the
// client calls and a second owner of the task's key.
#include "ui/tests/view_task_world.h"

#include "ui/tests/menu_mail_world.h"

#include "testing/t_proc.h"

#include <sstream>

using namespace vw;

namespace {

constexpr SPLIT_WINDOW_TYPE F = SPLIT_FULL_WINDOW;
constexpr SPLIT_WINDOW_TYPE L = SPLIT_LEFT_WINDOW;
constexpr SPLIT_WINDOW_TYPE R = SPLIT_RIGHT_WINDOW;
constexpr FOURCHARID K1 = FCID("SZT1");
constexpr FOURCHARID K2 = FCID("SZT2");

std::vector<SPLIT_WINDOW_TYPE> chainOf(LAYER_ID layer)
{
    std::vector<SPLIT_WINDOW_TYPE> out;
    const std::vector<Node> nodes = list();
    if (const Node* n = nodeOf(nodes, layer))
        for (const Pane& p : n->panes)
            out.push_back(p.location);
    return out;
}

std::string fourcc(FOURCHARID id)
{
    std::string s;
    for (int i = 0; i < 4 && ((id >> (8 * i)) & 0xFF) != 0; ++i)
        s += (char)((id >> (8 * i)) & 0xFF);
    return s;
}

// The menu mails that reached "TMNU" since the last look, one line each,
// named after the client call that sends them.
std::vector<std::string> menuCalls()
{
    std::vector<std::string> out;
    for (const mw::Mail& m : mw::drain(MENU_TEST_MAILBOX)) {
        std::ostringstream line;
        if (m.cmd == CMD_ID_REGISTER_HOT_MENU) {
            const MSG_ADD_HOT_MENU& hot = m.as<MSG_ADD_HOT_MENU>();
            line << "bRegisterExpressMenu - view " << hot.view << "/" << (int)hot.type;
        } else if (m.cmd == CMD_ID_REGISTER_MENU_ITEM) {
            const MSG_ADD_MENU_ITEM& item = m.as<MSG_ADD_MENU_ITEM>();
            const MENU_DESCRIPTOR& d = item.descriptor;
            const bool slider = d.control == M_SLIDER;
            const char* call = item.pTabName != nullptr ? "bRegisterMainSelectorMenu"
                               : slider                 ? "bRegisterHotSliderMenu"
                                                        : "bRegisterHotSelectorMenu";
            line << call << " " << (*d.pMenuName)[0];
            if (item.pTabName != nullptr)
                line << " in " << (*item.pTabName)[0] << " view -1/1";
            else
                line << " view " << item.view << "/" << (int)item.splitType;
            const FOURCHARID key = slider ? d.parameters.slider.FourCharId : d.parameters.selectionBox.FourCharId;
            if (key != 0)
                line << " key " << fourcc(key);
            if (d.menuPriority != 0)
                line << " prio " << d.menuPriority;
        } else if (m.cmd == CMD_ID_UNREGISTER_MENU_ITEM) {
            const MSG_REMOVE_MENU& rm = m.as<MSG_REMOVE_MENU>();
            if (rm.pTabName != nullptr)
                line << "bUnregisterMainMenuItem " << (*rm.pMenuName)[0] << " in " << (*rm.pTabName)[0]
                     << " view -1/1";
            else
                line << "bUnregisterHotMenuItem " << (*rm.pMenuName)[0] << " view " << rm.view << "/"
                     << (int)rm.splitType;
        } else {
            line << "mail " << (int)m.cmd;
        }
        out.push_back(line.str());
    }
    return out;
}

TEST_F(ViewTask, RegistrationAndRemovalKeepTheListInvariants)
{
    struct Op {
        char what; // 'R' register, 'U' remove
        int id;    // added to the case's base id
        SPLIT_WINDOW_TYPE location;
        FOURCHARID splitKey;
        BOOLEAN flag;
        bool noDrawFunction = false;
    };
    struct Case {
        const char* what;
        std::vector<Op> ops;
        std::vector<std::vector<SPLIT_WINDOW_TYPE>> chains; // of base + 0, 1, ...; empty: not in the list
    };
    const SPLIT_WINDOW_TYPE QUICK = SPLIT_QUICK_WINDOW;
    const Case cases[] = {
        {"left and right panes of one id and split key form one node",
         {{'R', 0, L, K1, TRUE}, {'R', 0, R, K1, TRUE}},
         {{L, R}}},
        {"the right pane a second time is rejected",
         {{'R', 0, L, K1, TRUE}, {'R', 0, R, K1, TRUE}, {'R', 0, R, K1, FALSE}},
         {{L, R}}},
        {"a pane with another split key is rejected", {{'R', 0, L, K1, TRUE}, {'R', 0, R, K2, FALSE}}, {{L}}},
        {"a full-window registration of an existing id is rejected",
         {{'R', 0, L, K1, TRUE}, {'R', 0, F, 0, FALSE}},
         {{L}}},
        {"a full-window layer takes no pane", {{'R', 0, F, 0, TRUE}, {'R', 0, L, 0, FALSE}}, {{F}}},
        {"a pane where the first pane is is rejected", {{'R', 0, R, K1, TRUE}, {'R', 0, R, K1, FALSE}}, {{R}}},
        {"a pane the frame cannot place is refused", {{'R', 0, QUICK, K1, FALSE}}, {{}}},
        {"a layer without a draw function is refused", {{'R', 0, F, 0, FALSE, true}}, {{}}},
        {"removing the first pane promotes the second",
         {{'R', 0, L, K1, TRUE}, {'R', 0, R, K1, TRUE}, {'U', 0, L, 0, TRUE}},
         {{R}}},
        {"removing the second pane leaves the first",
         {{'R', 0, L, K1, TRUE}, {'R', 0, R, K1, TRUE}, {'U', 0, R, 0, TRUE}},
         {{L}}},
        {"removing the only pane removes the node", {{'R', 0, L, K1, TRUE}, {'U', 0, L, 0, TRUE}}, {{}}},
        {"a full-window removal leaves a split view",
         {{'R', 0, L, K1, TRUE}, {'R', 0, R, K1, TRUE}, {'U', 0, F, 0, FALSE}},
         {{L, R}}},
        {"removing a pane the view does not have changes nothing",
         {{'R', 0, L, K1, TRUE}, {'U', 0, R, 0, FALSE}},
         {{L}}},
        {"removing an unknown layer changes nothing", {{'U', 0, F, 0, FALSE}}, {{}}},
        {"a layer behind a split view is the next of both panes, also after a promotion",
         {{'R', 0, L, K1, TRUE},
          {'R', 0, R, K1, TRUE},
          {'R', 2, F, 0, TRUE},
          {'R', 1, F, 0, TRUE},
          {'U', 1, F, 0, TRUE},
          {'U', 0, L, 0, TRUE}},
         {{R}, {}, {F}}},
        {"a layer before a split view, removed again",
         {{'R', 1, L, K1, TRUE}, {'R', 1, R, K1, TRUE}, {'R', 0, F, 0, TRUE}, {'U', 0, F, 0, TRUE}},
         {{}, {L, R}}},
    };
    LAYER_ID base = 100;
    U32 user = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const Op& op : c.ops) {
            const std::vector<Node> before = list();
            BOOLEAN flag;
            if (op.what == 'R') {
                Layer l{base + op.id};
                l.user = NO_FILL | user++;
                l.location = op.location;
                l.splitKey = op.splitKey;
                if (op.noDrawFunction)
                    l.draw = nullptr;
                flag = registerLayer(l);
            } else {
                flag = unregisterLayer(base + op.id, op.location);
            }
            EXPECT_EQ(flag, op.flag) << op.what << " " << op.id << " at " << (int)op.location;
            if (!op.flag) {
                EXPECT_EQ(list(), before) << "a refused request changed the list";
            }
            EXPECT_EQ(listFaults(), "");
        }
        for (size_t i = 0; i < c.chains.size(); ++i)
            EXPECT_EQ(chainOf(base + (LAYER_ID)i), c.chains[i]) << "id " << base + (LAYER_ID)i;
        base += 10;
    }
}

TEST_F(ViewTask, TheViewsEntryComesWithTheFirstPaneAndGoesWithTheLast)
{
    static const char* name[DB_NUM_LANGUAGES] = {"Test View"};
    for (const char*& n : name)
        n = "Test View";
    H_DATABASE_bUpdateEverythingBoolean(FCID("VWTA"), TRUE, P_NORMAL, D_UNKNOWN, &name, DB_TIMEOUT_NEVER);
    Layer left{300, USED_BY_NONE, NO_FILL | 1, FCID("VWTA"), TRUE, L, K1};
    Layer right = left;
    right.location = R;
    right.user = NO_FILL | 2;

    ASSERT_TRUE(registerLayer(left));
    EXPECT_EQ(menuCalls(), (std::vector<std::string>{
                               "bRegisterMainSelectorMenu Test View in Views view -1/1 key VWTA prio 300",
                               "bRegisterExpressMenu - view 300/2",
                               "bRegisterHotSelectorMenu Active Side view 300/2 key CVAS prio 20",
                               "bRegisterHotSliderMenu Split Position view 300/2 key SZT1 prio 21",
                           }));
    ASSERT_TRUE(registerLayer(right));
    const std::vector<std::string> rightPaneMenus = {
        "bRegisterExpressMenu - view 300/3",
        "bRegisterHotSelectorMenu Active Side view 300/3 key CVAS prio 20",
        "bRegisterHotSliderMenu Split Position view 300/3 key SZT1 prio 21",
    };
    EXPECT_EQ(menuCalls(), rightPaneMenus);
    // A refused pane declares its menus all the same.
    ASSERT_FALSE(registerLayer(right));
    EXPECT_EQ(menuCalls(), rightPaneMenus);

    ASSERT_TRUE(unregisterLayer(300, L));
    EXPECT_EQ(menuCalls(), (std::vector<std::string>{
                               "bUnregisterHotMenuItem Split Position view 300/2",
                               "bUnregisterHotMenuItem Active Side view 300/2",
                           }));
    ASSERT_TRUE(unregisterLayer(300, R));
    EXPECT_EQ(menuCalls(), (std::vector<std::string>{
                               "bUnregisterMainMenuItem Test View in Views view -1/1",
                               "bUnregisterHotMenuItem Split Position view 300/3",
                               "bUnregisterHotMenuItem Active Side view 300/3",
                           }));

    // A full-window layer without a display key has no menus at all.
    ASSERT_TRUE(registerLayer({301}));
    ASSERT_TRUE(unregisterLayer(301));
    EXPECT_EQ(menuCalls(), std::vector<std::string>{});
}

TEST_F(ViewTask, DisplayAndSplitKeysDriveTheWholeChain)
{
    H_DATABASE_bUpdateValueBoolean(FCID("VWTB"), TRUE, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("SZTB"), 40, P_NORMAL);
    ASSERT_TRUE(registerLayer({310, USED_BY_NONE, NO_FILL | 1, FCID("VWTB"), FALSE, L, FCID("SZTB")}));
    ASSERT_TRUE(registerLayer({310, USED_BY_NONE, NO_FILL | 2, FCID("VWTB"), FALSE, R, FCID("SZTB")}));
    // Keys nobody has written yet: the layer shows its default until the
    // first write, which it follows.
    ASSERT_TRUE(registerLayer({320, USED_BY_NONE, NO_FILL | 3, FCID("VWTC"), FALSE}));
    ASSERT_TRUE(registerLayer({330, USED_BY_NONE, NO_FILL | 4, FCID("VWTD"), TRUE}));
    auto state = [](LAYER_ID id) {
        const std::vector<Node> nodes = list();
        const Node* n = nodeOf(nodes, id);
        return n == nullptr ? std::make_pair(-1, -1) : std::make_pair((int)n->shown, (int)n->percent);
    };
    EXPECT_EQ(state(310), std::make_pair(1, 40)) << "read from the keys at registration, not from the default";
    EXPECT_EQ(state(320), std::make_pair(0, 0));
    EXPECT_EQ(state(330), std::make_pair(1, 0));

    H_DATABASE_bUpdateValueBoolean(FCID("VWTB"), FALSE, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("SZTB"), 60, P_NORMAL);
    H_DATABASE_bUpdateValueBoolean(FCID("VWTC"), TRUE, P_NORMAL);
    H_DATABASE_bUpdateValueBoolean(FCID("VWTD"), FALSE, P_NORMAL);
    settle();
    EXPECT_EQ(state(310), std::make_pair(0, 60));
    EXPECT_EQ(state(320), std::make_pair(1, 0));
    EXPECT_EQ(state(330), std::make_pair(0, 0));
    EXPECT_EQ(listFaults(), "") << "both panes follow";
    // None of it asked for a frame.
    sleepMs(150);
    EXPECT_TRUE(draws().empty());
}

TEST_F(ViewTask, RemovingOrHidingTheCurrentViewMakesTheNextShownViewCurrent)
{
    H_DATABASE_bUpdateValueBoolean(FCID("VW21"), TRUE, P_NORMAL);
    ASSERT_TRUE(registerLayer({200}));
    ASSERT_TRUE(registerLayer({210, USED_BY_NONE, NO_FILL, FCID("VW21")}));
    ASSERT_TRUE(registerLayer({215, USED_BY_ALL}));
    ASSERT_TRUE(registerLayer({220}));
    // "CVEW" once its change mail and the frame it brings are done.
    auto current = [] {
        settle();
        EXPECT_TRUE(waitExpeditedDone());
        return fetchS32("CVEW");
    };

    setView(210);
    ASSERT_EQ(current(), 210);
    T_VIEW_vSetNextBackgroundLayer();
    EXPECT_EQ(current(), 220) << "the next background view, skipping the overlay";
    T_VIEW_vSetNextBackgroundLayer();
    EXPECT_EQ(current(), 200) << "from the head after the last";

    // Hidden: the next frame finds no view to draw and moves on.
    setView(210);
    ASSERT_EQ(current(), 210);
    H_DATABASE_bUpdateValueBoolean(FCID("VW21"), FALSE, P_NORMAL);
    settle();
    EXPECT_EQ(fetchS32("CVEW"), 210) << "hiding alone asks for no frame";
    requestFrame();
    for (int i = 0; i < 200 && fetchS32("CVEW") == 210; ++i)
        sleepMs(5);
    EXPECT_EQ(current(), 200);

    setView(220);
    ASSERT_EQ(current(), 220);
    ASSERT_TRUE(unregisterLayer(220));
    EXPECT_EQ(current(), 200);
    EXPECT_FALSE(T_VIEW_bIsLayerActive(220));
    EXPECT_TRUE(T_VIEW_bIsLayerActive(215));

    // Removing a view that is not current leaves the current one alone.
    ASSERT_TRUE(registerLayer({230}));
    ASSERT_TRUE(unregisterLayer(230));
    EXPECT_EQ(current(), 200);
    // The last shown view gone: no view.
    ASSERT_TRUE(unregisterLayer(200));
    EXPECT_EQ(current(), NO_VIEW_PRIORITY);
}

TEST_F(ViewTask, FactoryResetRestoresTheViewsShownStateExceptInTheInlineTest)
{
    struct Case {
        U32 state; // "CCST"
        BOOLEAN viewShown;
    };
    const Case cases[] = {{3, TRUE}, {9, FALSE}};
    ASSERT_TRUE(registerLayer({400, USED_BY_NONE, NO_FILL, FCID("VW40"), TRUE}));
    ASSERT_TRUE(registerLayer({410, USED_BY_ALL, NO_FILL, FCID("VW41"), TRUE}));
    for (const Case& c : cases) {
        H_DATABASE_bUpdateValueU32(FCID("CCST"), c.state, P_NORMAL);
        H_DATABASE_bUpdateValueBoolean(FCID("VW40"), FALSE, P_NORMAL);
        H_DATABASE_bUpdateValueBoolean(FCID("VW41"), FALSE, P_NORMAL);
        H_DATABASE_bUpdateValueU32(FCID("SCSC"), 2, P_NORMAL);
        H_DATABASE_bUpdateValueBoolean(FCID("SVCR"), FALSE, P_NORMAL);
        auto* p = newMail<MSG_LAYER_FROM_HOT>(CMD_ID_RESET_POS);
        sendAndWait(&p->header);
        H_MEMORY_vFree(p);
        settle();
        BOOLEAN shown = 2, overlay = 2, review = 2;
        U32 snapshot = 7;
        H_DATABASE_bFetchBoolean(FCID("VW40"), &shown, nullptr, nullptr);
        H_DATABASE_bFetchBoolean(FCID("VW41"), &overlay, nullptr, nullptr);
        H_DATABASE_bFetchBoolean(FCID("SVCR"), &review, nullptr, nullptr);
        H_DATABASE_bFetchU32(FCID("SCSC"), &snapshot, nullptr, nullptr);
        EXPECT_EQ(shown, c.viewShown) << c.state;
        EXPECT_EQ(overlay, FALSE) << "an overlay keeps its state";
        const std::vector<Node> nodes = list();
        ASSERT_NE(nodeOf(nodes, 400), nullptr);
        EXPECT_EQ(nodeOf(nodes, 400)->shown, c.viewShown) << c.state;
        EXPECT_EQ(snapshot, 0u);
        EXPECT_EQ(review, TRUE);
    }
}

TEST_F(ViewTask, ClientCallsSendOnlyWhileTheTaskKeyIsPublished)
{
    H_DATABASE_vDeleteEntry(FCID("TVUE"));
    EXPECT_FALSE(U_VIEW_bRegisterLayer(testLayer, 500, USED_BY_NONE, 0, 0, TRUE, nullptr, nullptr, nullptr));
    EXPECT_FALSE(U_VIEW_bUnRegisterLayerSplit(500, L));
    EXPECT_EQ(L_MBOX_Receive(VIEW_MAILBOX), nullptr) << "nothing sent";
    ASSERT_EQ(H_DATABASE_bUpdateEverythingU32(FCID("TVUE"), VIEW_MAILBOX, P_NORMAL, D_MAILBOX, nullptr,
                                              DB_TIMEOUT_NEVER),
              FALSE);

    EXPECT_TRUE(U_VIEW_bRegisterLayerSplit(testLayer, 500, USED_BY_NONE, 7, 0, TRUE, nullptr, nullptr, nullptr, L, K1));
    EXPECT_TRUE(U_VIEW_bRegisterLayerSplit(testLayer, 500, USED_BY_NONE, 8, 0, TRUE, nullptr, nullptr, nullptr, R, K1));
    EXPECT_TRUE(U_VIEW_bRegisterLayer(testLayer, 510, 500, 9, 0, TRUE, nullptr, nullptr, nullptr));
    settle();
    EXPECT_EQ(chainOf(500), (std::vector<SPLIT_WINDOW_TYPE>{L, R}));
    EXPECT_EQ(chainOf(510), (std::vector<SPLIT_WINDOW_TYPE>{F}));
    EXPECT_TRUE(U_VIEW_bUnRegisterLayerSplit(500, L));
    EXPECT_TRUE(U_VIEW_bUnRegisterLayer(510));
    settle();
    EXPECT_EQ(chainOf(500), (std::vector<SPLIT_WINDOW_TYPE>{R}));
    EXPECT_EQ(chainOf(510), (std::vector<SPLIT_WINDOW_TYPE>{}));

    EXPECT_EQ(U_VIEW_eCurrentView(), NO_VIEW_PRIORITY) << "the task starts without a view";
    EXPECT_EQ(U_VIEW_eCurrentSplit(), SPLIT_RIGHT_WINDOW) << "the task starts with the right pane active";
    H_DATABASE_bUpdateValueS32(FCID("CVEW"), 500, P_NORMAL);
    H_DATABASE_bUpdateValueS32(FCID("CVAS"), SPLIT_LEFT_WINDOW, P_NORMAL);
    EXPECT_EQ(U_VIEW_eCurrentView(), 500);
    EXPECT_EQ(U_VIEW_eCurrentSplit(), SPLIT_LEFT_WINDOW);
    H_DATABASE_vDeleteEntry(FCID("CVEW"));
    H_DATABASE_vDeleteEntry(FCID("CVAS"));
    EXPECT_EQ(U_VIEW_eCurrentView(), NO_VIEW_PRIORITY);
    EXPECT_EQ(U_VIEW_eCurrentSplit(), NO_SPLIT_WINDOW);
}

TEST(ViewTaskFatal, ASecondOwnerOfTheTaskKeyEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "fast"); // the child keeps this root
    vt::TempRoot root;
    root.exportEnv();
    EXPECT_EXIT(
        {
            H_DATABASE_vInit();
            H_DATABASE_bUpdateEverythingU32(FCID("TVUE"), 9, P_HIGHEST, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
            T_VIEW_vMain();
        },
        testing::ExitedWithCode(10), "");
    EXPECT_NE(vt::readFile(root.cwd() + "/FATAL.LOG").find("Somebody else registered the View Task Maibox"),
              std::string::npos);
}

} // namespace
