// The trolling-motor mails in the running navigation task, against a chart
// render that takes the lake-chart contours (104) and then the navigation
// data (9) as the chart task with its overlay does. The test thread is that
// render: the kernel's mutexes belong to tasks, and plain threads are all
// one task.
#include "nav/tests/nav_stevrin_world.h"

#include "kernel/l_task.h"

#include <chrono>
#include <thread>

namespace {

using namespace stw;

constexpr TASK NAV_TASK = 16;
constexpr TICKS GIVE_UP_MS = 3000;

void startNavTask()
{
    L_MBOX_DefineSema(NAV_MAILBOX, SEMA_NAV_MAILBOX);
    const TASK_PARAM p = {16384, 98, T_NAV_vMain};
    ASSERT_EQ(L_TASK_SetParams(NAV_TASK, &p), 0);
    ASSERT_EQ(L_TASK_Start(NAV_TASK), 0);
    // Its start-up resets the contour state: let it pass first.
    for (int i = 0; i < 2000 && !H_DATABASE_bFetch(FCID("BHDG"), nullptr, nullptr, nullptr); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

template <typename PRED>
bool eventually(PRED pred)
{
    for (int i = 0; i < 1000; ++i) {
        if (pred())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return pred();
}

RUMBREL* heldTrack()
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    RUMBREL* p = s_tNavRumbrelData.pRumbrel;
    L_MUTEX_Unlock(RES_NAV_DATA);
    return p;
}

void* followedState()
{
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    void* p = s_tFTCData.pStevrinStructAddr;
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
    return p;
}

// One frame of the chart with its overlay; FALSE when a mutex could not be
// had in time.
bool renderFrame()
{
    if (L_MUTEX_LockTime(RES_DORRIM_QUELLMARIMAGE, GIVE_UP_MS) != 0)
        return false;
    const bool ok = L_MUTEX_LockTime(RES_NAV_DATA, GIVE_UP_MS) == 0;
    if (ok) {
        volatile U32 n = s_tContourRumbrel.nCount + (s_tNavRumbrelData.pRumbrel ? 1 : 0);
        (void)n;
        L_MUTEX_Unlock(RES_NAV_DATA);
    }
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
    return ok;
}

TEST_F(Stevrin, TheNavigationTaskExecutesTheMailsAndReleasesThem)
{
    startNavTask();
    // The task's own start-up registers menus of its own first: let it
    // finish (a second without a menu mail).
    for (int quiet = 0; quiet < 200;) {
        quiet = uiMails(MENU_BOX).empty() ? quiet + 1 : 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    U_NAV_STEVRIN_vDisplayAutopilotAdjustMenu();
    std::vector<UiMail> menu;
    EXPECT_TRUE(eventually([&] {
        for (const UiMail& m : uiMails(MENU_BOX))
            menu.push_back(m);
        return menu.size() >= 4;
    }));
    EXPECT_EQ(menu.size(), 4u);
    const HeapMark base = heapMark(); // the task and the menu made their keys

    auto r = std::make_unique<RUMBREL>();
    *r = RUMBREL{};
    r->nCount = 2;
    r->ptOriginPt = at(10, 10);
    U_NAV_STEVRIN_vRumbrelNavStarted(r.get(), TRUE, 1, RUMBREL_TYPE_REGULAR);
    EXPECT_TRUE(eventually([] { return heldTrack() != nullptr; }));
    U_NAV_STEVRIN_vRumbrelNavEnded();
    EXPECT_TRUE(eventually([] { return heldTrack() == nullptr; }));
    EXPECT_TRUE(eventually([&] { return heapMark() == base; }));
}

TEST_F(Stevrin, EndingUnderTheMotorsStartLetsTheNavigationDataGoFirst)
{
    follow(contour(4));
    s_tFTCData.bInitiatedByMe = FALSE; // the motor started this following
    startNavTask();

    // The render holds the contours while the motor's start arrives: the
    // navigation task must wait for them without holding the navigation
    // data.
    ASSERT_EQ(L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE), 0);
    U_NAV_STEVRIN_vOnFTCStarted(heapTrack({at(1, 1), at(2, 2)}));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const ERC got = L_MUTEX_LockTime(RES_NAV_DATA, GIVE_UP_MS);
    if (got == 0)
        L_MUTEX_Unlock(RES_NAV_DATA);
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
    EXPECT_EQ(got, 0) << "the navigation task held 9 while it waited for 104";

    EXPECT_TRUE(eventually([] { return followedState() == nullptr; })) << "the following ended";
    EXPECT_TRUE(eventually([] { return heldTrack() != nullptr; })) << "the motor's track is held";
}

TEST_F(Stevrin, ContourMailsRunAgainstTheChartRenderWithoutDeadlock)
{
    startNavTask();
    for (int k = 0; k < 40; ++k) {
        SCOPED_TRACE(k);
        ASSERT_EQ(L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE), 0);
        s_pContourAddr = NAV_STANDIN_pNewLakeState(lakeTrack(contour(3, k)));
        memcpy(sMapfoldStevrinPath, PICK_PATH, FTC_PATH_CHARS);
        L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);
        NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(contour(4, k), {k % 2 ? 60 : 40}));
        NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(contour(6, k)));
        NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(contour(6, k + 1)));
        NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(contour(6, k + 2)));

        U_NAV_STEVRIN_vFollowContour_1();
        U_NAV_STEVRIN_vExtendFTC();
        U_NAV_STEVRIN_vReverseFTC();
        U_NAV_STEVRIN_vOnFTCStarted(heapTrack({at(k, 1)}));  // this unit's start
        U_NAV_STEVRIN_vOnFTCReversed(heapTrack({at(k, 2)})); // the reversal asks the library
        const POINT last = at(k, 3);
        U_NAV_STEVRIN_vOnFTCStarted(heapTrack({last})); // not this unit's: the end
        bool done = false;
        for (int frame = 0; frame < 2000 && !done; ++frame) {
            ASSERT_TRUE(renderFrame()) << "frame " << frame;
            L_MUTEX_LockWait(RES_NAV_DATA);
            done = s_tNavRumbrelData.pRumbrel != nullptr && s_tNavRumbrelData.pRumbrel->aTrackPoints[0] == last;
            L_MUTEX_Unlock(RES_NAV_DATA);
            if (!done)
                std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        ASSERT_TRUE(done) << "the mails were not all executed";
        uiMails(MENU_BOX);
        uiMails(KEYBOARD_BOX);
        linkMails();
        ftcAlarms();
    }
    EXPECT_TRUE(eventually([] { return followedState() == nullptr && NAV_STANDIN_u32LiveLakeStates() == 0; }));
    EXPECT_EQ(NAV_STANDIN_u32BadLakeUses(), 0u);
    for (const auto& c : NAV_STANDIN_vLakeCalls())
        EXPECT_TRUE(c.bUnder104) << c.sCall;
}

} // namespace
