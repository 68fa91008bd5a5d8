// Contour following through the scripted lake-chart library: refused
// requests, starting from the pick, reversing, extending, the depth check
// and its alarm, the pick's menus and ending.
#include "nav/tests/nav_stevrin_world.h"

#include <algorithm>
#include <optional>

namespace {

using namespace stw;

std::vector<FTC_POINT> reversed(std::vector<FTC_POINT> v)
{
    std::reverse(v.begin(), v.end());
    return v;
}

bool samePoints(const std::vector<POINT>& a, const std::vector<POINT>& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](POINT p, POINT q) {
               return p.x == q.x && p.y == q.y;
           });
}

bool allUnder104()
{
    for (const auto& c : NAV_STANDIN_vLakeCalls())
        if (!c.bUnder104)
            return false;
    return true;
}

// ---- Refused requests ----

TEST_F(Stevrin, RefusedRequestsLeaveTheFollowedContourItsDirectionAndThePick)
{
    struct Case {
        const char* name;
        S32 option;
        bool bNullHandle;
        bool bFromPick;
        std::optional<NAV_STANDIN_LAKE_ANSWER> answer;
        NAV_STANDIN_LAKE_TRACK track;
    };
    NAV_STANDIN_LAKE_TRACK noPoints = lakeTrack(contour(3));
    noPoints.bPoints = false;
    const std::vector<Case> cases = {
        {"option 0", 0, false, false, std::nullopt, {}},
        {"option 7", 7, false, false, std::nullopt, {}},
        {"no handle", 1, true, false, std::nullopt, {}},
        {"no state back", 4, false, false, LAKE_ANSWER_NULL, {}},
        {"the same state back", 5, false, false, LAKE_ANSWER_SAME, {}},
        {"a state without points", 4, false, false, LAKE_ANSWER_NEW, noPoints},
        {"353 points", 1, false, true, LAKE_ANSWER_NEW, lakeTrack(contour(353))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetStevrin();
        setF("IPFO", 5.0f);
        void* followed = follow(contour(4));
        NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(contour(4, 1)));
        U_NAV_STEVRIN_vReverseFTC();
        pump();
        followed = s_tFTCData.pStevrinStructAddr;
        ASSERT_TRUE(s_tFTCData.bReverseFTCData);
        void* pick = makePick(contour(3, 2));
        drainAll();

        const RUMBREL track = s_tContourRumbrel;
        const auto points = pointList();
        const S32 sign = s_tFTCData.nOffsetSign;
        const U32 live = NAV_STANDIN_u32LiveLakeStates();
        const U32 renders = NAV_STANDIN_u32ChartReRenders();
        s_nOffsetRumbrelTimeout = 3;
        if (c.answer)
            NAV_STANDIN_vQueueLakeAnswer(*c.answer, c.track);
        void* handle = c.bNullHandle ? nullptr : c.bFromPick ? pick : followed;

        EXPECT_FALSE(followContour(handle, c.option, 2.0f));
        EXPECT_EQ(s_nOffsetRumbrelTimeout, -1);
        EXPECT_EQ(s_tFTCData.pStevrinStructAddr, followed);
        EXPECT_EQ(s_pContourAddr, pick);
        EXPECT_TRUE(NAV_STANDIN_bLakeStateLive(followed));
        EXPECT_TRUE(NAV_STANDIN_bLakeStateLive(pick));
        EXPECT_EQ(NAV_STANDIN_u32LiveLakeStates(), live) << "a refused new state is released";
        EXPECT_TRUE(s_tFTCData.bReverseFTCData);
        EXPECT_EQ(s_tFTCData.nOffsetSign, sign);
        EXPECT_EQ(pointList(), points);
        EXPECT_EQ(memcmp(&track, &s_tContourRumbrel, sizeof track), 0);
        EXPECT_EQ(NAV_STANDIN_u32ChartReRenders(), renders);
        EXPECT_TRUE(ftcAlarms().empty());
        EXPECT_EQ(NAV_STANDIN_u32BadLakeUses(), 0u);
    }
}

TEST_F(Stevrin, AStateThatCameBackUnchangedIsReleasedOnceWhenTheFollowingEnds)
{
    void* followed = follow(contour(4));
    NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_SAME);
    U_NAV_STEVRIN_vExtendFTC();
    pump();
    EXPECT_TRUE(linkMails().empty()) << "nothing new to send";
    U_NAV_STEVRIN_vEndFTC();
    pump();
    EXPECT_FALSE(NAV_STANDIN_bLakeStateLive(followed));
    EXPECT_EQ(lakeCalls("clear").size(), 2u) << "the pick at the start, the followed state at the end";
    EXPECT_EQ(NAV_STANDIN_u32BadLakeUses(), 0u);
}

TEST_F(Stevrin, AContourOf352PointsIsTheMostThatIsStoredInEitherOrder)
{
    const auto full = contour(RUMBREL_MAX_POINTS);
    follow(full);
    EXPECT_EQ(s_tFTCData.nCtrPoints, (S32)RUMBREL_MAX_POINTS);
    EXPECT_EQ(pointList(), full);
    NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(full));
    U_NAV_STEVRIN_vReverseFTC();
    pump();
    EXPECT_EQ(pointList(), reversed(full));
    EXPECT_TRUE(samePoints(contourTrack(), mercatorAll(full)));
}

// ---- Starting ----

TEST_F(Stevrin, StartFollowsThePickInTheChosenDirectionAndTellsTheMotor)
{
    struct Case {
        void (*send)(void);
        S32 option;
        S32 sign; // the pick's deeper flag of that direction
    };
    for (const Case& c : {Case{U_NAV_STEVRIN_vFollowContour_1, 1, -1}, Case{U_NAV_STEVRIN_vFollowContour_2, 2, 1}}) {
        SCOPED_TRACE(c.option);
        resetStevrin();
        drainAll();
        setF("IPFO", 10.0f);
        setB("ICAC", true);
        memcpy(sMapfoldStevrinPathSelected, OTHER_PATH, FTC_PATH_CHARS);
        void* pick = makePick(contour(2, 9));
        const auto points = contour(3);
        NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(points));
        const U32 renders = NAV_STANDIN_u32ChartReRenders();

        c.send();
        pump();

        const auto requests = lakeCalls("request");
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].pState, pick);
        EXPECT_EQ(requests[0].nOption, c.option);
        EXPECT_DOUBLE_EQ(requests[0].dOffset, 10.0 * c.sign);
        EXPECT_EQ(requests[0].anArgs[0], 25) << "the offset limit: |offset| + 15";
        EXPECT_EQ(requests[0].anArgs[1], 0);
        EXPECT_EQ(requests[0].anArgs[2], 1);
        EXPECT_EQ(requests[0].dLongitude, 0.0);
        EXPECT_EQ(requests[0].dLatitude, 0.0);
        EXPECT_EQ(requests[0].sPath, PICK_PATH);
        EXPECT_EQ(std::string(sMapfoldStevrinPathSelected, FTC_PATH_CHARS), PICK_PATH);
        EXPECT_TRUE(allUnder104());

        void* followed = s_tFTCData.pStevrinStructAddr;
        ASSERT_EQ(followed, requests[0].pAnswer);
        EXPECT_EQ(s_pContourAddr, nullptr);
        EXPECT_FALSE(NAV_STANDIN_bLakeStateLive(pick)) << "the pick's state was consumed";
        const auto highlights = lakeCalls("highlight");
        ASSERT_EQ(highlights.size(), 1u);
        EXPECT_EQ(highlights[0].pState, followed);
        EXPECT_EQ(highlights[0].anArgs[0], 0);
        EXPECT_EQ(highlights[0].anArgs[1], 1);
        EXPECT_EQ(NAV_STANDIN_u32ChartReRenders(), renders + 1);

        EXPECT_EQ(s_tFTCData.nOffsetSign, c.sign);
        EXPECT_FLOAT_EQ(s_tFTCData.fCtrOffsetInMeters, 10.0f);
        EXPECT_TRUE(s_tFTCData.bInitiatedByMe);
        EXPECT_STREQ(s_tFTCData.achPickText, "12 ft contour of the lake");
        EXPECT_EQ(s_tFTCData.nPickDepthActual, 12);
        EXPECT_FALSE(s_bChartRefreshReqd);
        EXPECT_EQ(pointList(), points);
        EXPECT_TRUE(samePoints(contourTrack(), mercatorAll(points)));
        EXPECT_EQ(std::string(s_tContourRumbrel.sName, RUMBREL_NAME_CHARS), "CONTOUR RUMB");
        EXPECT_EQ(s_tContourRumbrel.u32DateTime, T0);
        EXPECT_TRUE(s_tContourRumbrel.u32Visible);
        EXPECT_EQ(s_tContourRumbrel.u32Style, 1u);
        EXPECT_EQ(s_tContourRumbrel.u32Color, 19u);
        EXPECT_EQ(s_tContourRumbrel.ptLowerLeft.x, mercator(points[0]).x);
        EXPECT_EQ(s_tContourRumbrel.ptUpperRight.y, mercator(points[2]).y);

        EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
        EXPECT_FALSE(signalled(SEMA_KEYCLICK_BAD));
        // The menu closes; the cursor's items go with the cursor.
        const std::vector<CMD_ID> menu = commands(uiMails(MENU_BOX));
        ASSERT_FALSE(menu.empty());
        EXPECT_EQ(menu.front(), CMD_ID_CLEAR_MENU);
        for (size_t i = 1; i < menu.size(); ++i)
            EXPECT_EQ(menu[i], CMD_ID_UNREGISTER_MENU_ITEM);
        EXPECT_EQ(b("ICAC"), false) << "the cursor goes";
        const auto keys = uiMails(KEYBOARD_BOX);
        ASSERT_EQ(keys.size(), 1u);
        EXPECT_EQ(keys[0].as<MSG_UNREGISTER_FOR_KEYS>().keys, 8u);

        const auto link = linkMails();
        ASSERT_EQ(link.size(), 1u);
        EXPECT_EQ(link[0].u32Command, ST_CMD_START_FTC);
        ASSERT_TRUE(link[0].bTrack);
        EXPECT_EQ(link[0].track.nCount, 3u);
        EXPECT_EQ(std::vector<POINT>(link[0].track.aTrackPoints, link[0].track.aTrackPoints + 3), points);
        EXPECT_EQ(std::string(link[0].track.sName, RUMBREL_NAME_CHARS), "12 ft contou");

        // The offset keys now reach the navigation task, and after the end
        // no longer do.
        setF("IPFO", 11.0f);
        setF("IPOT", 11.0f);
        EXPECT_EQ(pump(), (std::vector<FOURCHARID>{FCID("IPFO"), FCID("IPOT")}));
        U_NAV_STEVRIN_vEndFTC();
        pump();
        setF("IPFO", 12.0f);
        setF("IPOT", 12.0f);
        EXPECT_TRUE(pump().empty());
    }
}

TEST_F(Stevrin, AFailedStartKeepsTheContourFollowedInItsOwnFolder)
{
    void* followed = follow(contour(4));
    void* pick = makePick(contour(3, 5), OTHER_PATH);
    NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NULL);

    U_NAV_STEVRIN_vFollowContour_2();
    pump();

    EXPECT_TRUE(signalled(SEMA_KEYCLICK_BAD));
    EXPECT_FALSE(signalled(SEMA_KEYCLICK_GOOD));
    EXPECT_TRUE(uiMails(MENU_BOX).empty()) << "the menus stay";
    EXPECT_TRUE(uiMails(KEYBOARD_BOX).empty()) << "the cursor stays";
    EXPECT_TRUE(linkMails().empty());
    EXPECT_EQ(s_pContourAddr, pick);
    EXPECT_EQ(s_tFTCData.pStevrinStructAddr, followed);
    EXPECT_EQ(std::string(sMapfoldStevrinPathSelected, FTC_PATH_CHARS), PICK_PATH);

    U_NAV_STEVRIN_vEndFTC();
    pump();
    const auto clears = lakeCalls("clear");
    ASSERT_FALSE(clears.empty());
    EXPECT_EQ(clears.back().pState, followed);
    EXPECT_EQ(clears.back().sPath, PICK_PATH) << "the followed contour's folder";
}

// ---- Reversing ----

TEST_F(Stevrin, ReversingTurnsThePointListAroundButNotTheContourTrack)
{
    setF("IPFO", 5.0f);
    follow(contour(4)); // direction 1: the deeper side is -1
    ASSERT_EQ(s_tFTCData.nOffsetSign, -1);
    const auto back = contour(4, 3);
    NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(back));
    const U32 renders = NAV_STANDIN_u32ChartReRenders();

    U_NAV_STEVRIN_vReverseFTC();
    pump();

    const auto requests = lakeCalls("request");
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().nOption, 4);
    EXPECT_DOUBLE_EQ(requests.back().dOffset, 5.0) << "the sign turned before the request";
    EXPECT_EQ(requests.back().dLongitude, 0.0);
    EXPECT_TRUE(s_tFTCData.bReverseFTCData);
    EXPECT_EQ(s_tFTCData.nOffsetSign, 1);
    EXPECT_EQ(pointList(), reversed(back));
    EXPECT_TRUE(samePoints(contourTrack(), mercatorAll(back))) << "the track keeps the library's order";
    EXPECT_EQ(NAV_STANDIN_u32ChartReRenders(), renders);
    EXPECT_TRUE(linkMails().empty()) << "a reversal is not sent to the motor";

    ftcAlarms();

    // A new offset keeps the order and makes no depth check.
    const auto offset = contour(4, 4);
    NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(offset, {10}));
    ASSERT_TRUE(followContour(s_tFTCData.pStevrinStructAddr, 5, 7.0f));
    EXPECT_TRUE(s_tFTCData.bReverseFTCData);
    EXPECT_EQ(pointList(), reversed(offset));
    EXPECT_TRUE(ftcAlarms().empty());
    EXPECT_EQ(NAV_STANDIN_u32ChartReRenders(), renders);
}

TEST_F(Stevrin, TheNextStartOrExtendUndoesAReversal)
{
    struct Case {
        const char* name;
        void (*send)(void);
        S32 option; // as the library is asked
    };
    for (const Case& c : {Case{"extend", U_NAV_STEVRIN_vExtendFTC, 6}, Case{"start", U_NAV_STEVRIN_vFollowContour_2, 2}}) {
        SCOPED_TRACE(c.name);
        resetStevrin();
        follow(contour(4));
        NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(contour(4, 1)));
        U_NAV_STEVRIN_vReverseFTC();
        pump();
        ASSERT_TRUE(s_tFTCData.bReverseFTCData);
        makePick(contour(3, 8));
        const auto next = contour(5, 2);
        NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(next));

        c.send();
        pump();

        EXPECT_EQ(lakeCalls("request").back().nOption, c.option);
        EXPECT_FALSE(s_tFTCData.bReverseFTCData);
        EXPECT_EQ(pointList(), next);
        EXPECT_TRUE(samePoints(contourTrack(), mercatorAll(next)));
    }
}

// ---- Extending ----

TEST_F(Stevrin, ExtendAsksFromThePointAfterTheMotorsTarget)
{
    struct Case {
        bool bReversed;
        U16 target; // the motor's target index
        U32 from;   // the contour-track point asked from
    };
    const Case cases[] = {
        {false, 0, 1}, {false, 3, 4}, {false, 4, 4}, {false, 9, 4},
        {true, 0, 4},  {true, 1, 4},  {true, 3, 2},  {true, 4, 1}, {true, 9, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "reversed " << c.bReversed << " target " << c.target);
        resetStevrin();
        setF("IPFO", 3.0f);
        follow(contour(5));
        if (c.bReversed) {
            NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(contour(5, 1)));
            U_NAV_STEVRIN_vReverseFTC();
            pump();
        }
        const POINT from = s_tContourRumbrel.aTrackPoints[c.from];
        U_STEVRIN_STANDIN_vSetRumbrelTargetIndex(c.target);
        const auto more = contour(7, 3);
        NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(more));
        const U32 renders = NAV_STANDIN_u32ChartReRenders();

        U_NAV_STEVRIN_vExtendFTC();
        pump();

        const auto request = lakeCalls("request").back();
        EXPECT_EQ(request.nOption, 6);
        POSITION expected = {0, 0};
        nv_MeterToDegr(&from, &expected);
        EXPECT_EQ(request.dLongitude, expected.lon);
        EXPECT_EQ(request.dLatitude, expected.lat);
        EXPECT_DOUBLE_EQ(request.dOffset, 3.0 * s_tFTCData.nOffsetSign);
        EXPECT_GE(NAV_STANDIN_u32ChartReRenders(), renders + 1);
        const auto link = linkMails();
        ASSERT_EQ(link.size(), 1u);
        EXPECT_EQ(link[0].u32Command, ST_CMD_EXTEND_FTC);
        EXPECT_EQ(link[0].track.nCount, 7u);
        EXPECT_EQ(std::vector<POINT>(link[0].track.aTrackPoints, link[0].track.aTrackPoints + 7), more);
        EXPECT_EQ(link[0].track.sName[0], '\0');
    }
}

TEST_F(Stevrin, ExtendAndReverseDoNothingWhileNoContourIsFollowed)
{
    makePick(contour(3));
    NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(contour(3)));
    U_NAV_STEVRIN_vExtendFTC();
    U_NAV_STEVRIN_vReverseFTC();
    U_NAV_STEVRIN_vEndFTC();
    pump();
    EXPECT_TRUE(lakeCalls("request").empty());
    EXPECT_TRUE(linkMails().empty());
    EXPECT_EQ(s_tFTCData.nOffsetSign, 1);
    EXPECT_FALSE(s_tFTCData.bReverseFTCData);
    EXPECT_TRUE(ftcAlarms().empty());
}

// ---- The depth check ----

TEST_F(Stevrin, APathShallowerThanFiveFeetRaisesTheAlarmAndADeepEnoughOneClearsIt)
{
    struct Case {
        std::vector<S32> depths; // tenths of a foot
        bool bDepths;
        bool bRaised;
    };
    const Case cases[] = {
        {{50}, true, false},     {{49}, true, true},      {{80, 50, 120}, true, false},
        {{80, 49, 10}, true, true}, {{}, true, false},    {{10}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.depths.size() << " depths, first shallow " << c.bRaised);
        resetStevrin();
        drainAll();
        makePick(contour(2, 9));
        NAV_STANDIN_LAKE_TRACK t = lakeTrack(contour(3), c.depths);
        t.bDepths = c.bDepths;
        NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, t);
        U_NAV_STEVRIN_vFollowContour_1();
        pump();
        const auto alarms = ftcAlarms();
        ASSERT_EQ(alarms.size(), 1u);
        EXPECT_EQ(alarms[0].cmd, c.bRaised ? CMD_ID_SET_EXT_ALARM : CMD_ID_CLEAR_ALARM);
        EXPECT_EQ(alarms[0].priority, FTC_MINDEPTH_ALARM);
    }
}

TEST_F(Stevrin, TheAlarmAsksNoOrYesWithTheDepthAlarmTones)
{
    T_NAV_STEVRIN_vPlayWaterDepthAlarmSound(TRUE);
    T_NAV_STEVRIN_vPlayWaterDepthAlarmSound(FALSE);
    const auto alarms = ftcAlarms();
    ASSERT_EQ(alarms.size(), 2u);
    const ALARM_SET_MESSAGE& set = alarms[0].set;
    EXPECT_EQ(alarms[0].cmd, CMD_ID_SET_EXT_ALARM);
    EXPECT_EQ(set.Priority, FTC_MINDEPTH_ALARM);
    EXPECT_EQ(set.pLeftIcon, nullptr);
    EXPECT_EQ(set.pRightIcon, nullptr);
    EXPECT_EQ(alarms[0].left, "No");
    EXPECT_EQ(alarms[0].right, "Yes");
    EXPECT_EQ(set.pFunctionCbLeftKeyAction, T_NAV_STEVRIN_vCancelFTCNavReqFromUser);
    EXPECT_EQ(set.pFunctionCbRightKeyAction, T_NAV_STEVRIN_vContinueFTCNavReqFromUser);
    EXPECT_EQ(set.InitialToneID, TONE_USE_CUSTOM);
    EXPECT_EQ(set.pInitialCustomTone, &g_tDepthAlarmTone);
    EXPECT_EQ(set.ReminderToneID, TONE_USE_CUSTOM);
    EXPECT_EQ(set.pReminderCustomTone, &g_tDepthAlarmReminderTone);
    EXPECT_EQ(set.pFunctionAlarmCancel, nullptr);
    EXPECT_EQ(alarms[1].cmd, CMD_ID_CLEAR_ALARM);
    EXPECT_EQ(alarms[1].priority, FTC_MINDEPTH_ALARM);

    // Without the alarm task's mailbox nothing is sent.
    H_DATABASE_vDeleteEntry(FCID("TALR"));
    T_NAV_STEVRIN_vPlayWaterDepthAlarmSound(TRUE);
    T_NAV_STEVRIN_vPlayWaterDepthAlarmSound(FALSE);
    EXPECT_TRUE(ftcAlarms().empty());
    EXPECT_EQ(heapMark(), heap);
}

TEST_F(Stevrin, TheWarningTextIsBuiltOnceAndKeptAcrossALanguageChange)
{
    // The text is made at the first alarm of the run; in a run where an
    // earlier test raised it, that one's language holds. Both changes of
    // language below would show a rebuilt text.
    const std::string english = "The selected path is below 5ft. Do you want to continue?";
    const std::string dutch = "Het geselecteerde pad ligt onder 5ft. Wilt u doorgaan?";
    std::vector<std::string> texts;
    for (U32 language : {2u, 0u, 2u}) {
        setU("SLNG", language);
        T_NAV_STEVRIN_vPlayWaterDepthAlarmSound(TRUE);
        const auto alarms = ftcAlarms();
        ASSERT_EQ(alarms.size(), 1u);
        texts.push_back(alarms[0].text);
    }
    EXPECT_TRUE(texts[0] == dutch || texts[0] == english) << texts[0];
    EXPECT_EQ(texts[1], texts[0]);
    EXPECT_EQ(texts[2], texts[0]);
}

// ---- The pick's menus ----

TEST_F(Stevrin, FollowTheContourShowsThePicksDirectionsAndOpensItsMenu)
{
    makePick(contour(3));
    s_anAzimuthFromStart[0] = 44;
    s_anAzimuthFromStart[1] = 226;
    setF("IPFO", 7.0f);
    const U32 renders = NAV_STANDIN_u32ChartReRenders();

    T_NAV_vHandleGoTo_ShowFollowContour();

    EXPECT_EQ(s_anAzimuthFromStart[0], 0);
    EXPECT_EQ(s_anAzimuthFromStart[1], 270);
    EXPECT_FALSE(s_bInGoToContourMenu);
    EXPECT_TRUE(s_bChartRefreshReqd);
    const auto selections = lakeCalls("selection");
    ASSERT_EQ(selections.size(), 1u);
    EXPECT_EQ(selections[0].pState, s_pContourAddr);
    EXPECT_EQ(selections[0].sPath, PICK_PATH);
    EXPECT_TRUE(selections[0].bUnder104);
    EXPECT_EQ(selections[0].aColours[0].rgbRed, 255);
    EXPECT_EQ(selections[0].aColours[0].rgbGreen, 124);
    EXPECT_EQ(selections[0].aColours[0].rgbBlue, 82);
    EXPECT_EQ(selections[0].aColours[1].rgbRed, 0);
    EXPECT_EQ(selections[0].aColours[1].rgbGreen, 255);
    EXPECT_EQ(selections[0].aColours[1].rgbBlue, 255);
    EXPECT_EQ(selections[0].anArgs[0], 1);
    EXPECT_EQ(selections[0].anArgs[1], 0);
    EXPECT_EQ(NAV_STANDIN_u32ChartReRenders(), renders + 1);
    EXPECT_EQ(f("IPFO"), 0.0f) << "a new following starts without offset";
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));

    const auto menu = uiMails(MENU_BOX);
    ASSERT_EQ(commands(menu), (std::vector<CMD_ID>{CMD_ID_CLEAR_MENU, CMD_ID_REGISTER_FLOATING_MENU,
                                                   CMD_ID_REGISTER_FLOATING_MENU_ITEM,
                                                   CMD_ID_REGISTER_FLOATING_MENU_ITEM,
                                                   CMD_ID_REGISTER_FLOATING_MENU_ITEM,
                                                   CMD_ID_ACTIVATE_FLOATING_MENU}));
    const auto& title = menu[1].as<MSG_ADD_FLOATING_MENU>();
    EXPECT_EQ(title.pFloatingMenuName, &Follow_the_Contour);
    EXPECT_STREQ((*title.pFloatingMenuName)[0], "Follow the Contour");
    EXPECT_EQ(title.GoToKeyHandler, nullptr);
    EXPECT_EQ(title.ExitKeyHandler, T_NAV_vClearContour);
    EXPECT_FALSE(title.bDisplayAltName);

    struct Item {
        const char* text;
        MENU_CONTROL control;
        S32 priority;
        MENU_ACTION_FUNC* action;
    };
    const Item items[] = {
        {"Navigate to Start", M_ACTION_EXT, 688, U_NAV_STEVRIN_vFollowContour_1},
        {"Navigate to End", M_ACTION_EXT, 688, U_NAV_STEVRIN_vFollowContour_2},
        {"Contour Offset", M_SLIDER, 689, nullptr},
    };
    for (int i = 0; i < 3; ++i) {
        const auto& m = menu[2 + i].as<MSG_ADD_MENU_ITEM>();
        SCOPED_TRACE(items[i].text);
        EXPECT_EQ(m.pTabName, &Follow_the_Contour);
        EXPECT_STREQ((*m.descriptor.pMenuName)[0], items[i].text);
        EXPECT_EQ(m.descriptor.control, items[i].control);
        EXPECT_EQ((S32)m.descriptor.menuPriority, items[i].priority);
        EXPECT_EQ(m.descriptor.menuUserLevel, M_BASIC);
        EXPECT_NE(m.pMenuIcon, nullptr);
        if (items[i].control == M_ACTION_EXT) {
            EXPECT_EQ(m.descriptor.parameters.actionExt.pt2Function, items[i].action);
            EXPECT_FALSE(m.descriptor.parameters.actionExt.confirm);
            EXPECT_TRUE(m.descriptor.parameters.actionExt.bDispIconAlways);
            EXPECT_TRUE(m.descriptor.parameters.actionExt.bDispIconOnly);
        } else {
            const auto& slider = m.descriptor.parameters.slider;
            EXPECT_EQ(slider.FourCharId, FCID("IPFO"));
            ASSERT_NE(slider.pLimits, nullptr);
            const MENU_LIMITS rows[] = {{U_FEET, -300, 300, 1}, {U_METRES, -91, 91, 1}, {U_FATHOMS, -50, 50, 1},
                                        {U_NONE, -10, 10, 1}};
            for (int r = 0; r < 4; ++r) {
                EXPECT_EQ(slider.pLimits[r].Units, rows[r].Units);
                EXPECT_EQ(slider.pLimits[r].fMinimum, rows[r].fMinimum);
                EXPECT_EQ(slider.pLimits[r].fMaximum, rows[r].fMaximum);
                EXPECT_EQ(slider.pLimits[r].fIncrement, rows[r].fIncrement);
            }
            EXPECT_EQ(slider.pCtrlTextLeft, nullptr);
            EXPECT_EQ(slider.valueStrSuffix, nullptr);
        }
    }
    EXPECT_EQ(menu[5].as<MSG_ACTIVATE_FLOATING_MENU>().pFloatingMenuName, &Follow_the_Contour);
}

TEST_F(Stevrin, FollowTheContourWithoutAPickIsRefused)
{
    T_NAV_vHandleGoTo_ShowFollowContour();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_BAD));
    EXPECT_FALSE(signalled(SEMA_KEYCLICK_GOOD));
    EXPECT_TRUE(uiMails(MENU_BOX).empty());
    EXPECT_TRUE(NAV_STANDIN_vLakeCalls().empty());
}

TEST_F(Stevrin, LeavingTheMenusDropsThePickAndShowsTheFollowedContourAgain)
{
    struct Case {
        const char* name;
        bool bRefresh;  // the pick's directions were drawn
        bool bInGoTo;   // the Go-To menu is the one open
        bool bFollowed;
        bool bMotorNavigates;
        bool bHighlight;
        bool bRender;
        bool bOffsetBack;
    };
    const Case cases[] = {
        {"pick only", false, true, false, false, false, false, false},
        {"directions drawn, nothing followed", true, false, false, true, false, true, false},
        {"directions drawn over a followed contour", true, false, true, false, true, true, false},
        {"Go-To menu over a followed contour", true, true, true, false, false, true, false},
        {"motor navigates the followed contour", false, true, true, true, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetStevrin();
        setF("IPFO", 0.0f);
        if (c.bFollowed) {
            setF("IPFO", 6.0f);
            follow(contour(3));
            setF("IPFO", 0.0f);
        }
        void* pick = makePick(contour(2, 4), OTHER_PATH);
        s_bChartRefreshReqd = c.bRefresh ? TRUE : FALSE;
        s_bInGoToContourMenu = c.bInGoTo ? TRUE : FALSE;
        setB("IPNO", c.bMotorNavigates);
        const size_t calls = NAV_STANDIN_vLakeCalls().size();
        const U32 renders = NAV_STANDIN_u32ChartReRenders();

        T_NAV_vClearContour();

        EXPECT_EQ(s_pContourAddr, nullptr);
        EXPECT_FALSE(NAV_STANDIN_bLakeStateLive(pick));
        EXPECT_FALSE(s_bChartRefreshReqd);
        EXPECT_FALSE(s_bInGoToContourMenu);
        const auto all = NAV_STANDIN_vLakeCalls();
        std::vector<NAV_STANDIN_LAKE_CALL> made(all.begin() + (long)calls, all.end());
        ASSERT_FALSE(made.empty());
        EXPECT_EQ(made[0].sCall, "clear");
        EXPECT_EQ(made[0].sPath, OTHER_PATH);
        const bool highlighted = made.size() > 1 && made[1].sCall == "highlight" &&
                                 made[1].pState == s_tFTCData.pStevrinStructAddr;
        EXPECT_EQ(highlighted, c.bHighlight);
        EXPECT_EQ(NAV_STANDIN_u32ChartReRenders(), renders + (c.bRender ? 1 : 0));
        EXPECT_EQ(*f("IPFO"), c.bOffsetBack ? 6.0f : 0.0f);
        EXPECT_TRUE(allUnder104());
        drainAll();
    }
}

// ---- Ending ----

TEST_F(Stevrin, EndDropsTheFollowedContourAndItsAlarm)
{
    void* followed = follow(contour(4));
    s_nOffsetRumbrelTimeout = 2;
    const U32 renders = NAV_STANDIN_u32ChartReRenders();

    U_NAV_STEVRIN_vEndFTC();
    pump();

    EXPECT_EQ(s_nOffsetRumbrelTimeout, -1);
    EXPECT_EQ(s_tFTCData.pStevrinStructAddr, nullptr);
    EXPECT_FALSE(NAV_STANDIN_bLakeStateLive(followed));
    EXPECT_EQ(s_tContourRumbrel.nCount, 0u);
    EXPECT_FALSE(s_tContourRumbrel.u32Visible);
    EXPECT_EQ(NAV_STANDIN_u32ChartReRenders(), renders + 1);
    const auto alarms = ftcAlarms();
    ASSERT_EQ(alarms.size(), 1u);
    EXPECT_EQ(alarms[0].cmd, CMD_ID_CLEAR_ALARM);
    EXPECT_TRUE(allUnder104());

    // Again: only the time-out.
    s_nOffsetRumbrelTimeout = 2;
    U_NAV_STEVRIN_vEndFTC();
    pump();
    EXPECT_EQ(s_nOffsetRumbrelTimeout, -1);
    EXPECT_TRUE(ftcAlarms().empty());
    EXPECT_EQ(NAV_STANDIN_u32BadLakeUses(), 0u);
    EXPECT_EQ(NAV_STANDIN_u32LiveLakeStates(), 0u);
}

} // namespace
