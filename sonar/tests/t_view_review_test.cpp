// The capture review's controls and texts: what each state change, menu
// action, key step and menu choice writes, the hot menus offered while
// recording, and the review's list upkeep over a scripted card list.
#include "sonar/review/t_view_review.h"
#include "sonar/tests/sonar_root.h"

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_sema.h"
#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/g_buffers.h"
#include "graphics/g_icon.h"
#include "graphics/g_pixel.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "store/h_database.h"
#include "ui/t_menu.h"
#include "ui/t_view_capture_standins.h"
#include "ui/t_view_state.h"
#include "ui/u_keyboard.h"
#include "ui/u_menu_client.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr MBOX MENU_STANDIN = 60; // "TMNU" in these tests
constexpr MBOX CARD_STANDIN = 61; // "TMMC"

std::vector<std::string> s_files; // the card's list: "I..." images, "R..." recordings

THUMBNAIL_TYPE eTypeOf(const std::string& f) { return f[0] == 'I' ? THUMBNAIL_IMAGE_TYPE : THUMBNAIL_RECORDING_TYPE; }

THUMBNAIL_TYPE eAt(S64 pos, char* pcName, U32* pu32Position)
{
    if (pos < 1 || pos > (S64)s_files.size())
        return THUMBNAIL_NONE;
    snprintf(pcName, THUMBNAIL_NAME_BYTES, "%s", s_files[(size_t)pos - 1].c_str());
    *pu32Position = (U32)pos;
    return eTypeOf(s_files[(size_t)pos - 1]);
}

THUMBNAIL_TYPE eNext(char* pcName, U32* pu32Position) { return eAt((S64)*pu32Position + 1, pcName, pu32Position); }
THUMBNAIL_TYPE ePrevious(char* pcName, U32* pu32Position) { return eAt((S64)*pu32Position - 1, pcName, pu32Position); }
U32 u32Count(void) { return (U32)s_files.size(); }

void setU32(const char (&key)[5], U32 value)
{
    H_DATABASE_bUpdateEverythingU32(FCID(key), value, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

U32 u32(const char (&key)[5])
{
    U32 value = 0xDEADBEEF;
    H_DATABASE_bFetchU32(FCID(key), &value, nullptr, nullptr);
    return value;
}

bool clicked(SEMA sema) { return L_SEMA_WaitTicks(sema, 0) == 0; }

struct MenuMail {
    CMD_ID cmd;
    std::string name;
    LAYER_ID view;
};

std::vector<MenuMail> menuMails()
{
    std::vector<MenuMail> out;
    while (MSGHEADER* p = L_MBOX_Receive(MENU_STANDIN)) {
        const auto* g = reinterpret_cast<const GENERIC_MESSAGE*>(p);
        if (g->Cmd == CMD_ID_REGISTER_MENU_ITEM) {
            const auto* m = reinterpret_cast<const MSG_ADD_MENU_ITEM*>(p);
            out.push_back({g->Cmd, (*m->descriptor.pMenuName)[0], m->view});
        }
        H_MEMORY_vFree(p);
    }
    return out;
}

bool offered(const std::vector<MenuMail>& mails, const std::string& name, LAYER_ID view)
{
    for (const MenuMail& m : mails)
        if (m.name == name && m.view == view)
            return true;
    return false;
}

std::vector<CMD_ID> cardMails()
{
    std::vector<CMD_ID> out;
    while (MSGHEADER* p = L_MBOX_Receive(CARD_STANDIN)) {
        const auto* g = reinterpret_cast<const GENERIC_MESSAGE*>(p);
        out.push_back(g->Cmd);
        if (g->Cmd == CMD_ID_LOAD_THUMBNAIL || g->Cmd == CMD_ID_LOAD_RECORDING)
            H_MEMORY_vFree(reinterpret_cast<MSG_LOAD_THUMBNAIL*>(p)->pcName);
        H_MEMORY_vFree(p);
    }
    return out;
}

class Review : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const bool ready = [] {
            sonar_test::unitRoot();
            H_DATABASE_vInit();
            U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
            G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
            static T_VIEW_CAPTURE_NEIGHBOURS table{};
            table.eFindPreviousThumbNail = ePrevious;
            table.eFindNextThumbNail = eNext;
            table.u32ThumbNailsInList = u32Count;
            table.pfnDrawCaptureReviewView = T_VIEW_vDrawCaptureReviewView;
            table.vUpdateSnapshotMenu = T_VIEW_vUpdateSnapshotMenu;
            table.vUpdatePlaybackSpeedState = T_VIEW_vUpdatePlaybackSpeedState;
            table.vUpdateProgressIcons = T_VIEW_vUpdateProgressIcons;
            table.bUpdatePlaybackMode = T_VIEW_bUpdatePlaybackMode;
            table.vRequestThumbnailLoad = T_VIEW_vRequestThumbnailLoad;
            table.vLoadImageThumbnails = T_VIEW_vLoadImageThumbnails;
            table.vLoadFullViewImage = T_VIEW_vLoadFullViewImage;
            table.vSRViewStateChanging = T_VIEW_vSRViewStateChanging;
            T_VIEW_vInstallCaptureNeighbours(&table);
            setU32("TMNU", MENU_STANDIN);
            setU32("TMMC", CARD_STANDIN);
            t_view::vCaptureStart();
            return true;
        }();
        (void)ready;
        s_files = {"I1.PNG", "R2.SON"};
        setU32("CCST", 4);
        setU32("CVEW", CAPTURE_REVIEW_VIEW_PRIORITY);
        T_VIEW_vSetSRViewState(SR_VIEW_THUMBNAILS);
        menuMails();
        cardMails();
        clicked(SEMA_KEYCLICK_GOOD);
        clicked(SEMA_KEYCLICK_BAD);
    }
};

TEST_F(Review, RecordingStartsAndStopsThroughTheDataStoreAndItsStopIsOfferedOverEveryView)
{
    T_VIEW_vToggleRecordingState();
    EXPECT_EQ(T_VIEW_eGetSRViewState(), SR_VIEW_RECORDING);
    EXPECT_EQ(u32("CSRE"), (U32)TRUE);
    EXPECT_EQ(u32("CPSP"), 14u);
    const std::vector<MenuMail> mails = menuMails();
    EXPECT_TRUE(offered(mails, "Stop Recording", -1));
    EXPECT_FALSE(offered(mails, "Start Recording", CAPTURE_REVIEW_VIEW_PRIORITY));

    T_VIEW_vToggleRecordingState();
    EXPECT_EQ(T_VIEW_eGetSRViewState(), SR_VIEW_THUMBNAILS);
    EXPECT_EQ(u32("CSRE"), (U32)FALSE);
    EXPECT_EQ(u32("CPSP"), 13u);
    EXPECT_TRUE(clicked(SEMA_KEYCLICK_GOOD));
    EXPECT_TRUE(offered(menuMails(), "Start Recording", CAPTURE_REVIEW_VIEW_PRIORITY));
}

TEST_F(Review, PlaybackEntersStateElevenAndStoppingRestoresTheStateAndTheReview)
{
    T_VIEW_vSetSRViewState(SR_VIEW_PLAYBACK);
    EXPECT_EQ(u32("CCST"), 11u);
    EXPECT_EQ(u32("CPSP"), 8u);
    EXPECT_EQ(u32("CVEW"), 33u);
    const std::vector<MenuMail> mails = menuMails();
    EXPECT_TRUE(offered(mails, "Stop Playback", -1));
    EXPECT_TRUE(offered(mails, "Playback Speed", -1));

    // Stopped over another view: the open menu gets an exit key.
    T_VIEW_vStopPlayback();
    EXPECT_EQ(T_VIEW_eGetSRViewState(), SR_VIEW_THUMBNAILS);
    EXPECT_EQ(u32("CCST"), 4u);
    EXPECT_EQ(u32("CVEW"), (U32)CAPTURE_REVIEW_VIEW_PRIORITY);
    EXPECT_EQ(u32("CPSP"), 13u);
    MSGHEADER* pExit = L_MBOX_Receive(MENU_MAILBOX);
    ASSERT_NE(pExit, nullptr);
    EXPECT_EQ(reinterpret_cast<MSG_KEY_CHANGE*>(pExit)->key, KEY_EXIT);
    H_MEMORY_vFree(pExit);
}

TEST_F(Review, AnActionNotOfferedInTheStateGivesTheBadClickAndChangesNothing)
{
    T_VIEW_vStopPlayback();
    EXPECT_TRUE(clicked(SEMA_KEYCLICK_BAD));
    EXPECT_EQ(T_VIEW_eGetSRViewState(), SR_VIEW_THUMBNAILS);
    T_VIEW_vSetSRViewState(SR_VIEW_RECORDING);
    for (void (*action)(void) : {T_VIEW_vDeleteCurrentImage, T_VIEW_vDeleteAllImages, T_VIEW_vDeleteAllRecordings}) {
        action();
        EXPECT_TRUE(clicked(SEMA_KEYCLICK_BAD));
    }
    EXPECT_EQ(T_VIEW_eGetSRViewState(), SR_VIEW_RECORDING);
    T_VIEW_vSetSRViewState(SR_VIEW_THUMBNAILS);
}

TEST_F(Review, TheCursorKeysStepThePlaybackModeWithinItsEnds)
{
    struct Case {
        U32 mode;
        U32 key;
        BOOLEAN stepped;
        U32 after;
    } cases[] = {
        {10, CURSOR_EAST, FALSE, 10}, {2, CURSOR_WEST, FALSE, 2}, {15, CURSOR_EAST, TRUE, 7},
        {15, CURSOR_WEST, FALSE, 15}, {16, CURSOR_WEST, TRUE, 5}, {16, CURSOR_EAST, FALSE, 16},
        {2, CURSOR_EAST, TRUE, 3},    {9, CURSOR_EAST, TRUE, 10}, {10, CURSOR_WEST, TRUE, 9},
        {6, CURSOR_WEST, TRUE, 5},    {1, CURSOR_EAST, FALSE, 1}, {12, CURSOR_WEST, FALSE, 12},
    };
    for (const Case& c : cases) {
        setU32("CPSP", c.mode);
        EXPECT_EQ(T_VIEW_bUpdatePlaybackMode(c.key), c.stepped) << c.mode << " key " << c.key;
        EXPECT_EQ(u32("CPSP"), c.after) << c.mode << " key " << c.key;
    }
}

TEST_F(Review, TheModeAndItsMenuTwinKeepInStep)
{
    struct Case {
        U32 cpsp;
        U32 cpsm;
        bool menuChanged;
        U32 cpspAfter;
        U32 cpsmAfter;
    } cases[] = {
        {16, 6, true, 16, 6},  // pause chosen while paused at the end
        {8, 6, true, 6, 6},    // pause chosen while playing
        {8, 3, true, 3, 3},    // 2x reverse chosen
        {8, 12, true, 8, 12},  // no such choice
        {15, 8, false, 15, 6}, // the playback reached its beginning
        {9, 8, false, 9, 9},
        {14, 8, false, 14, 8}, // recording: no menu value
    };
    for (const Case& c : cases) {
        setU32("CPSP", c.cpsp);
        setU32("CPSM", c.cpsm);
        T_VIEW_vUpdatePlaybackSpeedState(c.menuChanged ? FALSE : TRUE, c.menuChanged ? TRUE : FALSE);
        EXPECT_EQ(u32("CPSP"), c.cpspAfter) << c.cpsp << "/" << c.cpsm;
        EXPECT_EQ(u32("CPSM"), c.cpsmAfter) << c.cpsp << "/" << c.cpsm;
    }
}

TEST(ReviewTexts, RemainingSizesAndCardSizes)
{
    struct Case {
        S32 ms;
        U32 kb;
        const char* text;
    } remaining[] = {
        {61000, 51200, "1:01 -50.0MB"},    {0, 102399, "0:00 -100.0MB"}, {125000, 102400, "2:05 -100MB"},
        {0, 1048575, "0:00 -1024MB"},      {0, 1048576, "0:00 -1.0GB"},  {-5, 0, "0:00 -0.0MB"},
    };
    char text[48];
    for (const Case& c : remaining) {
        T_VIEW_vFormatRemaining(c.ms, c.kb, text, sizeof text);
        EXPECT_STREQ(text, c.text);
    }
    T_VIEW_vFormatCardSize(0, text, sizeof text);
    EXPECT_STREQ(text, "0.0MB");
    T_VIEW_vFormatCardSize(2 * 1048576, text, sizeof text);
    EXPECT_STREQ(text, "2.0GB");

    SONAR_RECORD_THUMB_HEADER h{};
    h.u32FirstPingPeriodMs = 125;
    EXPECT_EQ(T_VIEW_u32AveragePingPeriod(&h), 125u) << "no pings: the first period";
    h.u32NumberOfPings = 10;
    h.u32TotalTimeMs = 1000;
    h.u32BeamMask = 0;
    EXPECT_EQ(T_VIEW_u32AveragePingPeriod(&h), 0u);
    h.u32BeamMask = 0x5;
    EXPECT_EQ(T_VIEW_u32AveragePingPeriod(&h), 200u);
}

TEST_F(Review, OneFileFillsOneSlotAndDeletingItEmptiesTheList)
{
    s_files = {"I1.PNG"};
    T_VIEW_REVIEW r = T_VIEW_tReview();
    *r.pbInitialThumbNailSearch = TRUE;
    BITMAP* pFrame = G_BUFFERS_pCreateFullScreenBitmap();
    WINDOW_SPECIFICATION spec{};
    T_VIEW_vDrawCaptureReviewView(pFrame, &spec);
    EXPECT_EQ(r.psScrollInfo->nThumbNailsDisplayed, 1u);
    EXPECT_EQ(r.psScrollInfo->u32TopThumbNailPosition, 1u);
    EXPECT_EQ((*r.ppsCurrentThumbnail)->eType, THUMBNAIL_IMAGE_TYPE);
    std::vector<CMD_ID> sent = cardMails();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], CMD_ID_LOAD_THUMBNAIL);
    // The scroll indicator runs the bar's whole length; the up arrow shows
    // above the first file.
    const COLOR frame = gCOLOR_pcolColorTable[36], background = gCOLOR_pcolColorTable[34];
    for (PIXEL y = 23; y < 577; ++y)
        ASSERT_EQ(*G_PIXEL_pcolLogical(pFrame, 15, y), frame) << "scroll indicator at " << y;
    size_t arrow = 0;
    for (PIXEL y = 557; y < 573; ++y)
        for (PIXEL x = 128; x < 144; ++x)
            arrow += *G_PIXEL_pcolLogical(pFrame, x, y) != background;
    EXPECT_GT(arrow, 10u) << "no up arrow";

    T_VIEW_vDeleteCurrentImage();
    EXPECT_TRUE(clicked(SEMA_KEYCLICK_GOOD));
    T_VIEW_vDrawCaptureReviewView(pFrame, &spec);
    sent = cardMails();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], CMD_ID_DELETE_IMAGE);
    EXPECT_EQ((*r.ppsCurrentThumbnail)->eType, THUMBNAIL_NONE);
    s_files.clear();
    T_VIEW_vDeleteComplete();
    T_VIEW_vDrawCaptureReviewView(pFrame, &spec);
    EXPECT_EQ(r.psScrollInfo->nThumbNailsDisplayed, 0u);
    EXPECT_TRUE(r.pbAllDeleted->load()) << "the next frame shows that no file is left";
    size_t message = 0;
    for (PIXEL y = 200; y < 400; ++y)
        for (PIXEL x = 100; x < 700; ++x)
            message += *G_PIXEL_pcolLogical(pFrame, x, y) == gCOLOR_pcolColorTable[35];
    EXPECT_GT(message, 500u) << "no \"No Images Found\" box";
    G_BUFFERS_vFreeFullScreenBitmap(pFrame);
}

// What the card task would have loaded into a slot: a picture of soft bands
// over a dark bottom, taken with a known time, or a recording's header.
void loadSnapshot(THUMBNAIL_HEADER_TYPE* p, U32 u32Shade)
{
    ASSERT_NE(p->snapshot, nullptr);
    for (U32 r = 0; r < THUMBNAIL_HEIGHT; ++r)
        for (U32 c = 0; c < THUMBNAIL_WIDTH; ++c) {
            static const COLOR bands[4] = {0x4208, 0x8410, 0x0410, 0x8200};
            const COLOR colour = r < 30 + c / 8 ? (COLOR)0x001F : bands[(r / 10 + u32Shade) % 4];
            p->snapshot->ImageData[r * THUMBNAIL_WIDTH + c] = colour;
        }
    p->snapshot->Header.WaypointValid = TRUE;
    p->snapshot->Header.Image_Waypoint.u32DateTime = 1700000000u + u32Shade;
    p->u32CardSizeKB = 2 * 1048576;
    p->u32CardAvailableKB = 1536 * 1024;
}

void loadRecording(THUMBNAIL_HEADER_TYPE* p)
{
    ASSERT_NE(p->recording, nullptr);
    SONAR_RECORD_THUMB_HEADER& h = *p->recording;
    h.bWaypointValid = TRUE;
    h.RecordingStartWaypoint.u32DateTime = 1700003600u;
    snprintf(h.RecordingStartWaypoint.sName, sizeof h.RecordingStartWaypoint.sName, "LAKE.SON");
    h.u32NumberOfPings = 600;
    h.u32TotalTimeMs = 150000;
    h.u32PingSizeBytes = 4096;
    h.u32FirstPingPeriodMs = 240;
    h.u32BeamMask = 0x3;
}

// Draws twice: the first frame searches the list and asks for the loads,
// the second shows what was loaded.
void drawReview(BITMAP* pFrame)
{
    WINDOW_SPECIFICATION spec{};
    T_VIEW_vDrawCaptureReviewView(pFrame, &spec);
}

// 24-hour time and day.month.year at UTC, for the info cells.
void timeFormats()
{
    setU32("SITF", 4);
    setU32("SIDF", 1);
    H_DATABASE_bUpdateEverythingS32(FCID("SLTZ"), 0, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    setU32("SDST", 0);
}

TEST_F(Review, GoldenThumbnailsWithTheInfoBox)
{
    timeFormats();
    s_files = {"I1.PNG", "R2.SON", "I3.PNG", "I4.PNG"};
    T_VIEW_REVIEW r = T_VIEW_tReview();
    *r.pbInitialThumbNailSearch = TRUE;
    BITMAP* pFrame = G_BUFFERS_pCreateFullScreenBitmap();
    drawReview(pFrame);
    cardMails();
    loadSnapshot(*r.ppsCurrentThumbnail, 0);
    loadRecording(*r.ppsNextThumbnail);
    loadSnapshot(*r.ppsNextNextThumbnail, 2);
    G_BMP_vSet(pFrame, 0);
    drawReview(pFrame);
    EXPECT_EQ(r.psScrollInfo->nThumbNailsDisplayed, 3u);
    gt::expectGolden(pFrame, "sonar/tests/golden", "review_thumbnails");
    G_BUFFERS_vFreeFullScreenBitmap(pFrame);
}

TEST_F(Review, GoldenPlaybackWithTheProgressBar)
{
    timeFormats();
    setU32("IDTM", 1700005000u);
    s_files = {"R1.SON", "I2.PNG"};
    T_VIEW_REVIEW r = T_VIEW_tReview();
    *r.pbInitialThumbNailSearch = TRUE;
    BITMAP* pFrame = G_BUFFERS_pCreateFullScreenBitmap();
    drawReview(pFrame);
    cardMails();
    loadRecording(*r.ppsCurrentThumbnail);
    loadSnapshot(*r.ppsNextThumbnail, 1);
    drawReview(pFrame); // the recording's totals
    T_VIEW_vSetSRViewState(SR_VIEW_PLAYBACK);
    // A third of the way through, playing at normal speed.
    setU32("CPSP", 8);
    setU32("CRTS", 50000);
    setU32("CRBS", 200 * 4096);
    setU32("CRCP", 250);
    setU32("CRAV", 245);
    T_VIEW_vUpdateProgressIcons(8);
    G_BMP_vSet(pFrame, 0);
    drawReview(pFrame);
    gt::expectGolden(pFrame, "sonar/tests/golden", "review_playback");
    G_BUFFERS_vFreeFullScreenBitmap(pFrame);
    T_VIEW_vStopPlayback();
    menuMails();
    MSGHEADER* pExit = L_MBOX_Receive(MENU_MAILBOX);
    if (pExit != nullptr)
        H_MEMORY_vFree(pExit);
}

} // namespace
