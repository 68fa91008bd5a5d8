// The full-screen snapshot viewer and the look-up of the snapshot taken at
// the cursor waypoint.
#include "nav/tests/nav_goto_world.h"

#include "nav/core/t_nav_cursor_items.h"
#include "nav/core/t_nav_mob.h"
#include "nav/core/t_nav_overlay.h"
#include "nav/core/t_nav_snapshot.h"

#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/tests/g_testing.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "platform/fbdev.h"
#include "platform/h_display.h"
#include "ui/t_view_capture.h"

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace navg;

constexpr MBOX CARD_BOX = 29;
constexpr COLOR LOADED = 0x1234; // what the card "reads" into the page

// The card task's part: answers each image load by filling the page and
// acknowledging the mail, or, while holding, keeps the mails unanswered
// until answerHeld().
class Card {
public:
    Card()
    {
        H_DATABASE_bUpdateEverythingU32(FCID("TMMC"), CARD_BOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
        thread_ = std::thread([this] { run(); });
    }
    ~Card()
    {
        auto* pStop = static_cast<GENERIC_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(GENERIC_MESSAGE)));
        memset(static_cast<void*>(pStop), 0, sizeof *pStop);
        pStop->Cmd = CMD_ID_SHUTDOWN;
        L_MBOX_Send(CARD_BOX, &pStop->msghdr, 3, 0);
        thread_.join();
        answerHeld();
    }
    void hold(bool b)
    {
        std::lock_guard<std::mutex> g(m_);
        hold_ = b;
    }
    void answerHeld()
    {
        std::vector<MSG_LOAD_BMP*> held;
        {
            std::lock_guard<std::mutex> g(m_);
            held.swap(held_);
        }
        for (MSG_LOAD_BMP* p : held)
            answer(p);
    }
    // The names asked for since the last call.
    std::vector<std::string> names()
    {
        std::lock_guard<std::mutex> g(m_);
        std::vector<std::string> out;
        out.swap(names_);
        return out;
    }

private:
    void run()
    {
        for (;;) {
            MSGHEADER* h = L_MBOX_ReceiveWait(CARD_BOX);
            auto* g = reinterpret_cast<GENERIC_MESSAGE*>(h);
            if (g->Cmd != CMD_ID_LOAD_BMP) {
                H_MEMORY_vDumpMail(h);
                return;
            }
            auto* p = reinterpret_cast<MSG_LOAD_BMP*>(g);
            std::lock_guard<std::mutex> lock(m_);
            names_.push_back(p->pcName != nullptr ? p->pcName : "");
            if (hold_)
                held_.push_back(p);
            else
                answer(p);
        }
    }
    static void answer(MSG_LOAD_BMP* p)
    {
        G_BMP_vSet(p->pBitmap, LOADED);
        H_MEMORY_vFree(p->pcName);
        p->pcName = nullptr;
        H_MEMORY_vDumpMail(&p->header.msghdr);
    }

    std::thread thread_;
    std::mutex m_;
    bool hold_ = false;
    std::vector<MSG_LOAD_BMP*> held_;
    std::vector<std::string> names_;
};

// Display pages free now (all taken and given back to count them).
int freePages()
{
    std::vector<U32*> taken;
    while (U32* p = H_DISPLAY_pu32GetDisplayBuffer())
        taken.push_back(p);
    for (U32* p : taken)
        H_DISPLAY_vFreeDisplayBuffer(p);
    return (int)taken.size();
}

class Viewer : public NavGoTo {
protected:
    void SetUp() override
    {
        NavGoTo::SetUp();
        static const bool screen = [] {
            FBDEV_vSetVsyncRate(0);
            H_DISPLAY_vInitScreen(0);
            return true;
        }();
        ASSERT_TRUE(screen);
        file = std::make_unique<THUMBNAIL_DATA_FILE>();
        thumb = THUMBNAIL_HEADER_TYPE{};
        thumb.eType = THUMBNAIL_IMAGE_TYPE;
        strcpy(thumb.sName, "mmc0/SNAP0001.THB");
        thumb.snapshot = file.get();
        s_pSnapshotThumbnailPreview = &thumb;
        s_bSnapshotPreviewImage = FALSE;
        s_pSnapshotPreviewImage = nullptr;
        setU("CVEW", 28);
        L_SEMA_SetPending(SEMA_NAV_SNAPSHOT_IMAGE);
        clicks();
        drain(VIEW_BOX);
    }
    void TearDown() override
    {
        T_NAV_vUnRegisterSnapshotPreviewLayer();
        s_pSnapshotThumbnailPreview = nullptr;
        T_NAV_vInstallThumbnailLookup(nullptr);
        NavGoTo::TearDown();
    }

    // The layers registered and removed since the last call: "+298@28", "-298".
    static std::vector<std::string> layers()
    {
        std::vector<std::string> out;
        for (const Mail& m : drain(VIEW_BOX)) {
            if (m.cmd == CMD_ID_REGISTER_LAYER) {
                const auto& r = m.as<MSG_REGISTER_LAYER>();
                out.push_back("+" + std::to_string(r.layer) + "@" + std::to_string(r.where_used) +
                              (r.pDrawFunction == T_NAV_vRenderViewSnapshot ? "" : " (other drawing)"));
            } else if (m.cmd == CMD_ID_UNREGISTER_LAYER) {
                out.push_back("-" + std::to_string(m.as<MSG_UNREGISTER_LAYER>().layer));
            }
        }
        return out;
    }

    std::unique_ptr<THUMBNAIL_DATA_FILE> file;
    THUMBNAIL_HEADER_TYPE thumb{};
};

TEST_F(Viewer, ShowsTheLoadedImageFullScreenAndGivesItsPageBackWhenClosed)
{
    Card card;
    const int pages = freePages();
    ASSERT_GT(pages, 0);
    // More rounds than there are pages: each close gives its page back.
    for (int round = 0; round < pages + 2; ++round) {
        SCOPED_TRACE(round);
        T_NAV_vViewSnapshot();
        EXPECT_EQ(clicks(), GOOD);
        EXPECT_EQ(card.names(), std::vector<std::string>{"mmc0/SNAP0001.PNG"});
        EXPECT_EQ(layers(), std::vector<std::string>{"+298@28"});
        EXPECT_TRUE(s_bSnapshotPreviewImage);
        EXPECT_EQ(freePages(), pages - 1);

        gt::TestBitmap frame(800, 600, 0x0001);
        T_NAV_vRenderViewSnapshot(frame, nullptr);
        EXPECT_EQ(frame.at(400, 300), LOADED);
        EXPECT_EQ(frame.at(0, 0), gCOLOR_pcolColorTable[36]) << "the frame drawn over the image";

        T_NAV_vUnRegisterSnapshotPreviewLayer();
        EXPECT_EQ(layers(), std::vector<std::string>{"-298"});
        EXPECT_FALSE(s_bSnapshotPreviewImage);
        EXPECT_EQ(freePages(), pages);
        gt::TestBitmap after(800, 600, 0x0001);
        T_NAV_vRenderViewSnapshot(after, nullptr);
        EXPECT_EQ(after.at(400, 300), 0x0001) << "a last frame after the close copies nothing";
    }
}

TEST_F(Viewer, RefusesWithTheBadClickAndAsksNothingWithoutAUsablePreviewOrCard)
{
    Card card;
    const int pages = freePages();
    struct Case {
        const char* what;
        bool preview;
        bool wrongSize;
        bool card;
        bool open;
    };
    const Case cases[] = {
        {"no preview", false, false, true, false},
        {"a thumbnail of the wrong size", true, true, true, false},
        {"no card task", true, false, false, false},
        {"the viewer already open", true, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        s_pSnapshotThumbnailPreview = c.preview ? &thumb : nullptr;
        thumb.bWrongSizeThumbnail = c.wrongSize ? TRUE : FALSE;
        if (c.card)
            setU("TMMC", CARD_BOX);
        else
            expire("TMMC");
        if (c.open) {
            T_NAV_vViewSnapshot();
            ASSERT_EQ(clicks(), GOOD);
            card.names();
            layers();
        }
        const int before = freePages();
        T_NAV_vViewSnapshot();
        EXPECT_EQ(clicks(), BAD);
        EXPECT_TRUE(card.names().empty());
        EXPECT_TRUE(layers().empty());
        EXPECT_EQ(freePages(), before) << "a page taken for the image is given back";
        T_NAV_vUnRegisterSnapshotPreviewLayer();
        layers();
        EXPECT_EQ(freePages(), pages);
    }
}

// The card task frees a mail sent without an acknowledgement, and one sent
// with it stays the sender's: the viewer's load is acknowledged, its mail
// freed only then, and the page it is written into is neither shown nor
// given back before.
TEST_F(Viewer, ALoadTheCardHasNotAnsweredKeepsItsPageAndBlocksTheNextUntilAnswered)
{
    Card card;
    const int pages = freePages();
    card.hold(true);
    T_NAV_vViewSnapshot(); // waits NAV_SNAPSHOT_LOAD_TICKS
    EXPECT_EQ(clicks(), BAD);
    EXPECT_EQ(card.names().size(), 1u);
    EXPECT_TRUE(layers().empty());
    EXPECT_FALSE(s_bSnapshotPreviewImage);
    EXPECT_EQ(freePages(), pages - 1) << "the card may still write into the page";

    T_NAV_vViewSnapshot();
    EXPECT_EQ(clicks(), BAD) << "no second load while the first is out";
    EXPECT_TRUE(card.names().empty());

    card.hold(false);
    card.answerHeld();
    T_NAV_vViewSnapshot();
    EXPECT_EQ(clicks(), GOOD);
    EXPECT_EQ(card.names().size(), 1u);
    EXPECT_EQ(layers(), std::vector<std::string>{"+298@28"});
    EXPECT_EQ(freePages(), pages - 1) << "the answered load's page came back";
    T_NAV_vUnRegisterSnapshotPreviewLayer();
    EXPECT_EQ(freePages(), pages);
}

// ---- The snapshot at the cursor waypoint ----

std::vector<POINT> g_asked;
THUMBNAIL_HEADER_TYPE* g_pFound = nullptr;
THUMBNAIL_HEADER_TYPE* pLookup(const POINT* pPosition)
{
    g_asked.push_back(*pPosition);
    return g_pFound;
}

TEST_F(Viewer, TheCursorWaypointLooksUpTheSnapshotTakenWhereItLies)
{
    s_pSnapshotThumbnailPreview = nullptr;
    s_bRegisterThumbnailLayer = FALSE;
    T_NAV_vInstallThumbnailLookup(pLookup);
    g_asked.clear();
    const POINT there = waypoint(w[2]).pt;
    file->Header.Image_Waypoint.pt = there;
    g_pFound = &thumb;

    T_NAV_vUpdateCursorWaypoint(w[2]);
    ASSERT_EQ(g_asked.size(), 1u);
    EXPECT_EQ(g_asked[0].x, there.x);
    EXPECT_EQ(g_asked[0].y, there.y);
    EXPECT_EQ(s_pSnapshotThumbnailPreview, &thumb);
    EXPECT_TRUE(s_bRegisterThumbnailLayer) << "the overlay shows it";
    EXPECT_TRUE(layers().empty());

    // Another waypoint on the same spot keeps the preview as it is.
    const U16 twin = addWaypoint(there, "TWIN");
    s_bRegisterThumbnailLayer = FALSE;
    T_NAV_vUpdateCursorWaypoint(twin);
    EXPECT_EQ(g_asked.size(), 1u);
    EXPECT_EQ(s_pSnapshotThumbnailPreview, &thumb);
    EXPECT_FALSE(s_bRegisterThumbnailLayer);
    EXPECT_TRUE(layers().empty());

    // A waypoint elsewhere without a snapshot removes it.
    g_pFound = nullptr;
    T_NAV_vUpdateCursorWaypoint(w[5]);
    ASSERT_EQ(g_asked.size(), 2u);
    EXPECT_EQ(g_asked[1].x, waypoint(w[5]).pt.x);
    EXPECT_EQ(s_pSnapshotThumbnailPreview, nullptr);
    EXPECT_EQ(layers(), std::vector<std::string>{"-209"});

    // Back on the snapshot's waypoint, then off every waypoint.
    g_pFound = &thumb;
    T_NAV_vUpdateCursorWaypoint(w[2]);
    EXPECT_EQ(s_pSnapshotThumbnailPreview, &thumb);
    T_NAV_vUpdateCursorWaypoint(NONE);
    EXPECT_EQ(s_pSnapshotThumbnailPreview, nullptr);
    EXPECT_EQ(layers(), std::vector<std::string>{"-209"});
    EXPECT_EQ(g_asked.size(), 3u);

    // Without a card's list nothing is found.
    T_NAV_vInstallThumbnailLookup(nullptr);
    T_NAV_vUpdateCursorWaypoint(w[2]);
    EXPECT_EQ(s_pSnapshotThumbnailPreview, nullptr);
}

} // namespace
