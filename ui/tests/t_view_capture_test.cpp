// The view task's snapshot, message blinking and capture-review keys, with
// the task running: test mailboxes stand for the card task ("TMMC") and the
// keyboard task ("TKBD"), a fake entry list for the card, and the key
// clicks are read from their semaphores.
#include "ui/tests/view_task_world.h"

#include "kernel/l_timer.h"
#include "ui/neighbour_standins.h"
#include "ui/t_view_capture.h"
#include "ui/t_view_capture_standins.h"

#include <string>
#include <vector>

namespace {

using namespace vw;

constexpr MBOX CARD_MBOX = 61;
constexpr MBOX KEYBOARD_MBOX = 62;
constexpr LAYER_ID OTHER_OVERLAY = 300;
constexpr LAYER_ID CHART_VIEW = 35;

// ---- A fake card: its entries, places 1..n ----

struct Entry {
    std::string name;
    THUMBNAIL_TYPE type;
};
std::vector<Entry> s_entries;
std::vector<std::string> s_opened;
bool s_bOpens = true;

THUMBNAIL_TYPE found(U32 u32Place, char* pcName, U32* pu32Position)
{
    snprintf(pcName, THUMBNAIL_NAME_BYTES, "%s", s_entries[u32Place - 1].name.c_str());
    *pu32Position = u32Place;
    return s_entries[u32Place - 1].type;
}

THUMBNAIL_TYPE findPrevious(char* pcName, U32* pu32Position)
{
    if (*pu32Position <= 1 || *pu32Position - 1 > s_entries.size())
        return THUMBNAIL_NONE;
    return found(*pu32Position - 1, pcName, pu32Position);
}
THUMBNAIL_TYPE findNext(char* pcName, U32* pu32Position)
{
    if (*pu32Position >= s_entries.size())
        return THUMBNAIL_NONE;
    return found(*pu32Position + 1, pcName, pu32Position);
}
THUMBNAIL_TYPE findLast(char* pcName, U32* pu32Position)
{
    return s_entries.empty() ? THUMBNAIL_NONE : found((U32)s_entries.size(), pcName, pu32Position);
}
U32 count(void) { return (U32)s_entries.size(); }
BOOLEAN openPlayback(BOOLEAN bOpen, char* pcName)
{
    if (bOpen && pcName != nullptr)
        s_opened.push_back(pcName);
    return s_bOpens ? TRUE : FALSE;
}

std::atomic<int> s_marks{0};
void mark(void) { ++s_marks; }

T_VIEW_CAPTURE_NEIGHBOURS fakeCard(void)
{
    T_VIEW_CAPTURE_NEIGHBOURS t = {};
    t.eFindPreviousThumbNail = findPrevious;
    t.eFindNextThumbNail = findNext;
    t.eFindLastThumbNail = findLast;
    t.eFindPreviousThumbNailImage = findPrevious;
    t.eFindNextThumbNailImage = findNext;
    t.u32ThumbNailsInList = count;
    t.bOpenPlaybackFile = openPlayback;
    t.vHandleMark = mark;
    return t;
}

// ---- Mails and clicks ----

void runSystem()
{
    auto* p = newMail<MSG_LAYER_FROM_HOT>(CMD_ID_RUN_SYSTEM);
    sendAndWait(&p->header);
    H_MEMORY_vFree(p);
    settle(); // the registrations it mailed to the view task itself
}

void press(U32 key, CURSOR_POSITION cursor = CURSOR_UP)
{
    auto* p = newMail<MSG_KEY_CHANGE>(CMD_ID_KEY_CHANGE);
    p->key = key;
    p->state = KEY_DOWN;
    p->count = 1;
    p->cursor = cursor;
    sendAndWait(&p->header);
    H_MEMORY_vFree(p);
}

void forgetClicks()
{
    L_SEMA_WaitTicks(SEMA_KEYCLICK_GOOD, 1);
    L_SEMA_WaitTicks(SEMA_KEYCLICK_BAD, 1);
}

// The click the last key gave: +1 good, -1 error, 0 none.
int click()
{
    if (L_SEMA_WaitTicks(SEMA_KEYCLICK_GOOD, 1) == 0)
        return 1;
    if (L_SEMA_WaitTicks(SEMA_KEYCLICK_BAD, 1) == 0)
        return -1;
    return 0;
}

int pressed(U32 key, CURSOR_POSITION cursor = CURSOR_UP)
{
    forgetClicks();
    press(key, cursor);
    return click();
}

// The card task's release of the frozen screen, once handled.
void release()
{
    L_SEMA_Signal(SEMA_VIEW_RELEASE_BITMAP);
    for (int ms = 0; ms < 5000 && T_VIEW_bScreenFrozen(); ++ms)
        sleepMs(1);
    settle();
}

// The change is handled, and so are the mails its handling sent the view
// task itself.
void setU32(const char (&key)[5], U32 value)
{
    H_DATABASE_bUpdateValueU32(FCID(key), value, P_NORMAL);
    settle();
    settle();
}

// The mails that reached a test mailbox, by command; freed.
std::vector<CMD_ID> mailsTo(MBOX mbox, std::vector<MSGHEADER*>* pKeep = nullptr)
{
    std::vector<CMD_ID> out;
    while (MSGHEADER* p = L_MBOX_Receive(mbox)) {
        out.push_back(reinterpret_cast<GENERIC_MESSAGE*>(p)->Cmd);
        if (pKeep != nullptr)
            pKeep->push_back(p);
        else
            H_MEMORY_vDumpMail(p);
    }
    return out;
}

// The card task's mails dropped, with the names of the image loads.
void drainCard()
{
    std::vector<MSGHEADER*> kept;
    mailsTo(CARD_MBOX, &kept);
    for (MSGHEADER* p : kept) {
        if (reinterpret_cast<GENERIC_MESSAGE*>(p)->Cmd == CMD_ID_LOAD_BMP)
            H_MEMORY_vFree(reinterpret_cast<MSG_LOAD_BMP*>(p)->pcName);
        H_MEMORY_vDumpMail(p);
    }
}

// The draw function of a registered layer, null when it is not.
DRAW_FUNCTION* drawOf(LAYER_ID layer)
{
    DRAW_FUNCTION* pfn = nullptr;
    L_MUTEX_LockWait(RES_VIEW_LIST);
    for (const t_view::LAYER_ITEM* p = t_view::s_playerHeadPointer; p != nullptr; p = p->next)
        if (p->layer == layer)
            pfn = p->pDrawFunction;
    L_MUTEX_Unlock(RES_VIEW_LIST);
    return pfn;
}

class Capture : public ViewTask {
protected:
    void SetUp() override
    {
        ViewTask::SetUp();
        static const T_VIEW_CAPTURE_NEIGHBOURS table = fakeCard();
        T_VIEW_vInstallCaptureNeighbours(&table);
        if (withCard_)
            H_DATABASE_bUpdateEverythingU32(FCID("TMMC"), CARD_MBOX, P_NORMAL, D_MAILBOX, nullptr,
                                            DB_TIMEOUT_NEVER);
        H_DATABASE_bUpdateEverythingU32(FCID("TKBD"), KEYBOARD_MBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
        runSystem();
    }
    void TearDown() override
    {
        drainCard();
        ViewTask::TearDown();
    }
    bool withCard_ = true;
};

class NoCard : public Capture {
protected:
    void SetUp() override
    {
        withCard_ = false;
        Capture::SetUp();
    }
};

// ---- Snapshot ----

TEST_F(Capture, MarkFreezesAndMailsTheScreenAndTheNextWaitsForReleaseAndSaveReport)
{
    setU32("SCSC", 2);
    EXPECT_EQ(std::vector<CMD_ID>{CMD_ID_REGISTER_FOR_KEYS}, mailsTo(KEYBOARD_MBOX));

    EXPECT_EQ(1, pressed(KEY_MARK));
    EXPECT_TRUE(T_VIEW_bScreenFrozen());
    std::vector<MSGHEADER*> kept;
    ASSERT_EQ(std::vector<CMD_ID>{CMD_ID_SCREEN_DUMP}, mailsTo(CARD_MBOX, &kept));
    const auto* pDump = reinterpret_cast<const MSG_SCREEN_DUMP*>(kept[0]);
    ASSERT_NE(nullptr, pDump->pBitmap);
    EXPECT_EQ(800u, pDump->pBitmap->pixels_wide);
    H_MEMORY_vDumpMail(kept[0]);

    // Before the save is reported: refused, and nothing more is mailed.
    EXPECT_EQ(-1, pressed(KEY_MARK));
    EXPECT_TRUE(mailsTo(CARD_MBOX).empty());

    release();
    EXPECT_FALSE(T_VIEW_bScreenFrozen());
    EXPECT_EQ(-1, pressed(KEY_MARK)); // released, but not yet saved
    T_VIEW_vSnapshotSaveComplete();
    EXPECT_EQ(1, pressed(KEY_MARK));
    EXPECT_EQ(std::vector<CMD_ID>{CMD_ID_SCREEN_DUMP}, mailsTo(CARD_MBOX));
    release();
}

TEST_F(NoCard, MarkIsRefusedAndTheScreenStaysLive)
{
    setU32("SCSC", 2);
    EXPECT_EQ(-1, pressed(KEY_MARK));
    EXPECT_FALSE(T_VIEW_bScreenFrozen());
    // And the snapshot stays possible once the card task is there.
    H_DATABASE_bUpdateEverythingU32(FCID("TMMC"), CARD_MBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    EXPECT_EQ(1, pressed(KEY_MARK));
    release();
}

TEST_F(Capture, WithSnapshotsOffMarkMarksAWaypointAndSoft1IsRefused)
{
    s_marks = 0;
    EXPECT_EQ(1, pressed(KEY_MARK));
    EXPECT_EQ(1, s_marks.load());
    EXPECT_EQ(-1, pressed(KEY_SOFT_KEY_1));
    EXPECT_EQ(-1, pressed(KEY_GOTO));
    EXPECT_FALSE(T_VIEW_bScreenFrozen());
    EXPECT_TRUE(mailsTo(CARD_MBOX).empty());

    // While a recording is being made MARK marks, snapshots on or not.
    setU32("SCSC", 2);
    T_VIEW_vSetSRViewState(SR_VIEW_RECORDING);
    EXPECT_EQ(1, pressed(KEY_MARK));
    EXPECT_EQ(2, s_marks.load());
    EXPECT_FALSE(T_VIEW_bScreenFrozen());
}

TEST_F(Capture, MarkDuringPlaybackPausesIt)
{
    setU32("SCSC", 2);
    T_VIEW_vSetSRViewState(SR_VIEW_PLAYBACK);
    EXPECT_EQ(1, pressed(KEY_SOFT_KEY_1));
    settle();
    EXPECT_EQ(6, fetchS32("CPSP"));
    release();
}

TEST_F(Capture, FrozenRedrawsComeEvery500msWithOnlyTheAlarmAndCardMessages)
{
    for (LAYER_ID layer : {OTHER_OVERLAY, ALARM_LAYER, MMC_MESSAGE_LAYER, MMC_ORVANE_MESSAGE})
        ASSERT_TRUE(registerLayer({layer, USED_BY_ALL, (U32)layer | NO_FILL}));
    setU32("SCSC", 2);
    EXPECT_EQ(1, pressed(KEY_MARK));
    forgetDraws();
    const U64 start = L_CLOCK_qwGetTimeInMillis();
    for (int i = 0; i < 8; ++i) {
        requestFrame(); // makes no difference while frozen
        sleepMs(200);
    }
    const U64 elapsed = L_CLOCK_qwGetTimeInMillis() - start;
    const std::vector<Draw> all = draws();
    EXPECT_TRUE(drawsOf(all, OTHER_OVERLAY | NO_FILL).empty());
    const std::vector<Draw> alarms = drawsOf(all, ALARM_LAYER | NO_FILL);
    EXPECT_EQ(alarms.size(), drawsOf(all, MMC_MESSAGE_LAYER | NO_FILL).size());
    EXPECT_EQ(alarms.size(), drawsOf(all, MMC_ORVANE_MESSAGE | NO_FILL).size());
    // One redraw per 500 ms (a frame throttle still running may add one),
    // none for the requests: at least one per second of the wait.
    EXPECT_GE(alarms.size(), elapsed / 1000);
    EXPECT_LE(alarms.size(), elapsed / 500 + 2);

    release();
    forgetDraws();
    requestFrame();
    ASSERT_TRUE(waitForDraws(4));
    EXPECT_FALSE(drawsOf(draws(), OTHER_OVERLAY | NO_FILL).empty());
}

// ---- Messages (the blink steps are signalled by the test) ----

class Messages : public Capture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(world());
        H_DATABASE_bUpdateValueBoolean(FCID("SMSU"), TRUE, P_NORMAL);
        Capture::SetUp();
        L_TIMER_vHoldDelivery(TRUE);
        sim_ = T_VIEW_psCaptureNeighbours()->pfnDrawSimMessage;
        rec_ = T_VIEW_psCaptureNeighbours()->pfnDrawRecordingMessage;
    }
    void TearDown() override
    {
        L_TIMER_vHoldDelivery(FALSE);
        Capture::TearDown();
    }
    // Blink steps; the visibility after each.
    std::string blink(int n)
    {
        std::string out;
        for (int i = 0; i < n; ++i) {
            const U32 before = t_view::u32CaptureBlinkSteps();
            L_SEMA_Signal(SEMA_TIMER_SIM_MSG);
            for (int ms = 0; ms < 5000 && t_view::u32CaptureBlinkSteps() == before; ++ms)
                sleepMs(1);
            settle();
            out += T_VIEW_bDisplaySimMessage() ? '+' : '-';
        }
        return out;
    }
    // Which notice the visible phase shows: S sonar, T track.
    std::string notice()
    {
        return std::string(T_VIEW_bShowSonarRecordingMessage() ? "S" : "") +
               (T_VIEW_bShowTrackRecordingMessage() ? "T" : "");
    }
    DRAW_FUNCTION* sim_ = nullptr;
    DRAW_FUNCTION* rec_ = nullptr;
};

TEST_F(Messages, TheSimulationCaptionShows3sAndHides8s)
{
    setU32("CCST", STATE_SIMULATION);
    EXPECT_EQ(sim_, drawOf(SIMULATION_MESSAGE_LAYER));
    EXPECT_TRUE(T_VIEW_bDisplaySimMessage());
    EXPECT_EQ("++--------+++--------+", blink(22));
}

TEST_F(Messages, RecordingNoticesShow2sHide3sTakeTurnsAndTheCaptionReturns)
{
    setU32("CCST", STATE_SIMULATION);
    setU32("CSRE", TRUE);
    EXPECT_EQ(rec_, drawOf(SIMULATION_MESSAGE_LAYER));
    EXPECT_EQ("S", notice());
    EXPECT_EQ("+---++---+", blink(10));
    EXPECT_EQ("S", notice());

    setU32("IPRA", 1);
    EXPECT_EQ(rec_, drawOf(SIMULATION_MESSAGE_LAYER));
    std::string shown;
    for (int cycle = 0; cycle < 4; ++cycle) {
        EXPECT_EQ("+---+", blink(5));
        shown += notice();
    }
    EXPECT_EQ("TSTS", shown);

    setU32("CSRE", FALSE);
    EXPECT_EQ(rec_, drawOf(SIMULATION_MESSAGE_LAYER)); // the track recording runs on
    setU32("IPRA", 0);
    EXPECT_EQ(sim_, drawOf(SIMULATION_MESSAGE_LAYER));
    EXPECT_TRUE(T_VIEW_bDisplaySimMessage());
    EXPECT_EQ("++--------+", blink(11));
}

TEST_F(Messages, LeavingSimulationOrTurningMessagesOffRemovesTheLayer)
{
    setU32("CCST", STATE_SIMULATION);
    EXPECT_NE(nullptr, drawOf(SIMULATION_MESSAGE_LAYER));
    setU32("CCST", STATE_NORMAL_RUN);
    EXPECT_EQ(nullptr, drawOf(SIMULATION_MESSAGE_LAYER));
    EXPECT_FALSE(T_VIEW_bDisplaySimMessage());

    setU32("CCST", STATE_SIMULATION);
    EXPECT_NE(nullptr, drawOf(SIMULATION_MESSAGE_LAYER));
    setU32("SMSG", 0);
    EXPECT_EQ(nullptr, drawOf(SIMULATION_MESSAGE_LAYER));
    setU32("SMSG", 1);
    EXPECT_EQ(sim_, drawOf(SIMULATION_MESSAGE_LAYER));
}

// ---- Review keys ----

class Review : public Capture {
protected:
    void SetUp() override
    {
        s_entries = {{"IMG1.PNG", THUMBNAIL_IMAGE_TYPE},
                     {"/mnt/mmc0/R00001.SON", THUMBNAIL_RECORDING_TYPE},
                     {"IMG2.PNG", THUMBNAIL_IMAGE_TYPE},
                     {"/mnt/mmc1/R00002.SON", THUMBNAIL_RECORDING_TYPE},
                     {"IMG3.PNG", THUMBNAIL_IMAGE_TYPE}};
        s_opened.clear();
        Capture::SetUp();
        T_VIEW_vSetSRViewState(SR_VIEW_THUMBNAILS);
        setView(CAPTURE_REVIEW_VIEW_PRIORITY);
        settle();
        waitExpeditedDone();
        settle();
    }
    static std::string names()
    {
        std::string out;
        for (U32 i = 0; i < 3; ++i)
            out += std::string(T_VIEW_psThumbnail(i)->sName) + "|";
        return out;
    }
};

TEST_F(Review, NorthFromTheFirstJumpsToTheLastAndSouthFromTheLastStartsAgain)
{
    EXPECT_EQ("IMG1.PNG|/mnt/mmc0/R00001.SON|IMG2.PNG|", names());
    EXPECT_EQ(1, pressed(KEY_CURSOR, CURSOR_NORTH));
    EXPECT_EQ("IMG3.PNG|||", names());
    EXPECT_EQ(5u, T_VIEW_psScrollInfo()->u32TopThumbNailPosition);

    // NORTH again steps back one entry, the others moving down.
    EXPECT_EQ(1, pressed(KEY_CURSOR, CURSOR_NORTH));
    EXPECT_EQ("/mnt/mmc1/R00002.SON|IMG3.PNG||", names());
    EXPECT_EQ(1, pressed(KEY_CURSOR, CURSOR_SOUTH));
    EXPECT_EQ("IMG3.PNG|||", names());

    EXPECT_EQ(1, pressed(KEY_CURSOR, CURSOR_SOUTH));
    // The next frame of the review searches from the first entry again.
    sleepMs(FRAME_QUIET_MS);
    settle();
    EXPECT_EQ("IMG1.PNG|/mnt/mmc0/R00001.SON|IMG2.PNG|", names());
    EXPECT_EQ(1u, T_VIEW_psScrollInfo()->u32TopThumbNailPosition);
    // A diagonal does nothing, not even click.
    EXPECT_EQ(0, pressed(KEY_CURSOR, CURSOR_NORTH_EAST));
}

TEST_F(Review, SouthScrollsOneEntryAndWestInTheThumbnailsIsRefused)
{
    EXPECT_EQ(1, pressed(KEY_CURSOR, CURSOR_SOUTH));
    EXPECT_EQ("/mnt/mmc0/R00001.SON|IMG2.PNG|/mnt/mmc1/R00002.SON|", names());
    EXPECT_EQ(2u, T_VIEW_psScrollInfo()->u32TopThumbNailPosition);
    EXPECT_EQ(4u, T_VIEW_psScrollInfo()->u32BottomThumbNailPosition);
    EXPECT_EQ(-1, pressed(KEY_CURSOR, CURSOR_WEST));
}

TEST_F(Review, PlaybackModeSetsTheSpeedMenu)
{
    struct Case {
        U32 mode;
        U32 menu;
    };
    const Case cases[] = {{12, 3}, {5, 0}, {1, 1}, {0, 1}, {16, 2}, {17, 2}, {15, 1}, {13, 0}};
    for (const Case& c : cases) {
        setU32("CPSP", c.mode);
        EXPECT_EQ(c.menu, T_VIEW_u32PlaybackSpeedMenu()) << "mode " << c.mode;
    }
}

TEST_F(Review, RemovingTheOtherCardChangesNothingRemovingThePlayedOneReturnsToTheThumbnails)
{
    setU32("CSD0", TRUE);
    setU32("CSD1", TRUE);
    EXPECT_EQ(1, pressed(KEY_CURSOR, CURSOR_SOUTH));
    EXPECT_EQ(1, pressed(KEY_CURSOR, CURSOR_EAST));
    ASSERT_EQ(std::vector<std::string>{"/mnt/mmc0/R00001.SON"}, s_opened);
    EXPECT_EQ(SR_VIEW_PLAYBACK, T_VIEW_eGetSRViewState());
    setU32("CSD1", FALSE);
    EXPECT_EQ(SR_VIEW_PLAYBACK, T_VIEW_eGetSRViewState());
    setU32("CSD0", FALSE);
    EXPECT_EQ(SR_VIEW_THUMBNAILS, T_VIEW_eGetSRViewState());
}

TEST_F(Review, RemovingTheCardARecordingGoesToEndsTheRecordingView)
{
    setU32("CSD0", TRUE);
    setU32("CSD1", TRUE);
    T_VIEW_vSetSRViewState(SR_VIEW_RECORDING);
    auto* p = newMail<MSG_PING_START>(CMD_ID_PING_START);
    p->u32StartDateTime = 1234;
    p->u8DeviceNumber = 1;
    snprintf(p->acRootName, sizeof p->acRootName, "R00007");
    sendAndWait(&p->header);
    H_MEMORY_vFree(p);
    setU32("CSD0", FALSE);
    EXPECT_EQ(SR_VIEW_RECORDING, T_VIEW_eGetSRViewState());
    setU32("CSD1", FALSE);
    EXPECT_EQ(SR_VIEW_THUMBNAILS, T_VIEW_eGetSRViewState());
}

TEST_F(Review, ARecordingThatDoesNotOpenKeepsTheThumbnails)
{
    s_bOpens = false;
    EXPECT_EQ(1, pressed(KEY_CURSOR, CURSOR_SOUTH));
    EXPECT_EQ(-1, pressed(KEY_CURSOR, CURSOR_EAST));
    EXPECT_EQ(SR_VIEW_THUMBNAILS, T_VIEW_eGetSRViewState());
    s_bOpens = true;
}

TEST_F(Review, ASnapshotOpensFullScreenAndLeavingTheViewReturnsToTheThumbnailsAndReleasesTheKeys)
{
    ASSERT_TRUE(registerLayer({CHART_VIEW}));
    EXPECT_EQ(std::vector<CMD_ID>{CMD_ID_REGISTER_FOR_KEYS}, mailsTo(KEYBOARD_MBOX));
    EXPECT_EQ(1, pressed(KEY_CURSOR, CURSOR_EAST));
    EXPECT_EQ(SR_VIEW_FULLIMAGE, T_VIEW_eGetSRViewState());
    std::vector<MSGHEADER*> kept;
    ASSERT_EQ(std::vector<CMD_ID>{CMD_ID_LOAD_BMP}, mailsTo(CARD_MBOX, &kept));
    auto* pLoad = reinterpret_cast<MSG_LOAD_BMP*>(kept[0]);
    EXPECT_STREQ("IMG1.PNG", pLoad->pcName);
    EXPECT_EQ(*pLoad->pu32LatestRequestId, pLoad->u32RequestId);
    H_MEMORY_vFree(pLoad->pcName);
    H_MEMORY_vDumpMail(kept[0]);

    settle();
    setView(CHART_VIEW);
    settle();
    EXPECT_EQ(SR_VIEW_THUMBNAILS, T_VIEW_eGetSRViewState());
    EXPECT_EQ(std::vector<CMD_ID>{CMD_ID_UNREGISTER_FOR_KEYS}, mailsTo(KEYBOARD_MBOX));

    // The image is given back once, whoever asks first.
    BITMAP* pImage = T_VIEW_pTakeReviewImage();
    ASSERT_NE(nullptr, pImage);
    EXPECT_EQ(nullptr, T_VIEW_pTakeReviewImage());
    H_DISPLAY_vFreeDisplayBuffer(pImage->pBuffer);
    G_BUFFERS_vFreeFullScreenBitmapHeader(pImage);
}

TEST_F(Review, WestFromTheFullImageGivesThePageBack)
{
    EXPECT_EQ(1, pressed(KEY_CURSOR, CURSOR_EAST));
    drainCard();
    EXPECT_EQ(1, pressed(KEY_CURSOR, CURSOR_WEST));
    EXPECT_EQ(SR_VIEW_THUMBNAILS, T_VIEW_eGetSRViewState());
    EXPECT_EQ(nullptr, T_VIEW_pTakeReviewImage());
}

} // namespace
