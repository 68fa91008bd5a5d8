// The view task's world in a test process: a unit root with its frame
// buffer (vertical sync off, so a present returns at once), the data store,
// the icon colours, and task 5 running T_VIEW_vMain. The test registers its
// own layers, whose callbacks note every call and fill their window with
// the colour of their user word. Each test runs in a process of its own,
// so the world is made once per test.
#pragma once

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_icon.h"
#include "graphics/tests/g_testing.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "platform/dd_lcd.h"
#include "platform/fb_file.h"
#include "platform/fbdev.h"
#include "platform/h_display.h"
#include "store/h_database.h"
#include "testing/t_root.h"
#include "ui/t_menu.h"
#include "ui/t_view_standins.h"
#include "ui/t_view_state.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vw {

constexpr SEMA ACK_SEMA = 151; // the test's own acknowledgements
constexpr LAYER_ID MARKER = 5000; // an overlay of every view, drawn last in every frame

// One call of a test layer's callback.
struct Draw {
    LAYER_ID current;
    SPLIT_WINDOW_TYPE type;
    WINDOW_LOCATION box;
    BOOLEAN expedited;
    U32 user;
    const U32* page;
    U64 ms; // kernel clock
};

inline std::mutex s_drawLock;
inline std::vector<Draw> s_draws;
// Run inside the callback after the call is noted, in the view task.
inline std::function<void(const Draw&)> s_onDraw;

inline std::vector<Draw> draws()
{
    std::lock_guard<std::mutex> guard(s_drawLock);
    return s_draws;
}

inline void forgetDraws()
{
    std::lock_guard<std::mutex> guard(s_drawLock);
    s_draws.clear();
}

// The user word's low 16 bits are the fill colour of the window, which
// gets a black outline; bit 16 set draws nothing.
constexpr U32 NO_FILL = 0x10000;

inline void testLayer(BITMAP* pBitmap, WINDOW_SPECIFICATION* pSpec)
{
    const Draw d = {pSpec->currentLayer,
                    pSpec->drawWindowType,
                    pSpec->drawWindow,
                    pSpec->bExpedited,
                    pSpec->u32User,
                    pBitmap->pBuffer,
                    L_CLOCK_qwGetTimeInMillis()};
    if ((pSpec->u32User & NO_FILL) == 0 && pSpec->drawWindow.s32ClipRight >= pSpec->drawWindow.s32ClipLeft) {
        const POINT at = {pSpec->drawWindow.s32ClipLeft, pSpec->drawWindow.s32ClipBottom};
        const U32 w = (U32)(pSpec->drawWindow.s32ClipRight - pSpec->drawWindow.s32ClipLeft + 1);
        const U32 h = (U32)(pSpec->drawWindow.s32ClipTop - pSpec->drawWindow.s32ClipBottom + 1);
        G_BOX_vDrawFilled(pBitmap, (COLOR)pSpec->u32User, &at, w, h);
        G_BOX_vDraw(pBitmap, COLOR_BLACK, &at, w, h);
    }
    {
        std::lock_guard<std::mutex> guard(s_drawLock);
        s_draws.push_back(d);
    }
    if (s_onDraw)
        s_onDraw(d);
}

// One callback serves every test layer; each layer gets a user word of its
// own, by which its calls are found.
inline std::vector<Draw> drawsOf(const std::vector<Draw>& all, U32 user)
{
    std::vector<Draw> out;
    for (const Draw& d : all)
        if (d.user == user)
            out.push_back(d);
    return out;
}

inline S32 fetchS32(const char (&key)[5])
{
    S32 v = -12345;
    H_DATABASE_bFetchS32(FCID(key), &v, nullptr, nullptr);
    return v;
}

template <typename MAIL>
MAIL* newMail(CMD_ID cmd)
{
    MAIL* p = static_cast<MAIL*>(H_MEMORY_pvMalloc(sizeof(MAIL)));
    memset(static_cast<void*>(p), 0, sizeof(MAIL));
    p->header.Cmd = cmd;
    return p;
}

// Sends a mail to the view task and returns once it has handled it (and,
// the mailbox being first-in-first-out per priority, every change mail
// queued before it).
inline void sendAndWait(GENERIC_MESSAGE* pMail)
{
    ASSERT_EQ(0, L_MBOX_SendWaitTicks(VIEW_MAILBOX, &pMail->msghdr, 3, ACK_SEMA, 5000));
}

inline void settle()
{
    auto* p = newMail<MSG_LAYER_FROM_HOT>(CMD_ID_INVALID_ID);
    sendAndWait(&p->header);
    H_MEMORY_vFree(p);
}

struct Layer {
    LAYER_ID layer;
    LAYER_ID where = USED_BY_NONE;
    U32 user = NO_FILL;
    FOURCHARID display = 0;
    BOOLEAN shown = TRUE;
    SPLIT_WINDOW_TYPE location = SPLIT_FULL_WINDOW;
    FOURCHARID splitKey = 0;
    DRAW_FUNCTION* draw = testLayer;
};

// Registers as the start-up task does, waiting for the answer.
inline BOOLEAN registerLayer(const Layer& l)
{
    auto* p = newMail<MSG_REGISTER_LAYER>(CMD_ID_REGISTER_LAYER);
    p->layer = l.layer;
    p->where_used = l.where;
    p->pDrawFunction = l.draw;
    p->fcidDisplayFlag = l.display;
    p->bDisplay = l.shown;
    p->user = l.user;
    p->eLocation = l.location;
    p->fcidSplitControl = l.splitKey;
    p->flag = 2; // neither answer
    sendAndWait(&p->header);
    const BOOLEAN flag = p->flag;
    H_MEMORY_vFree(p);
    return flag;
}

inline BOOLEAN unregisterLayer(LAYER_ID layer, SPLIT_WINDOW_TYPE location = SPLIT_FULL_WINDOW)
{
    auto* p = newMail<MSG_UNREGISTER_LAYER>(CMD_ID_UNREGISTER_LAYER);
    p->layer = layer;
    p->eLocation = location;
    p->flag = 2;
    sendAndWait(&p->header);
    const BOOLEAN flag = p->flag;
    H_MEMORY_vFree(p);
    return flag;
}

inline void setView(LAYER_ID layer)
{
    auto* p = newMail<MSG_LAYER_FROM_HOT>(CMD_ID_SET_VIEW);
    p->layer = layer;
    sendAndWait(&p->header);
    H_MEMORY_vFree(p);
}

inline void requestFrame() { L_SEMA_Signal(SEMA_VIEW_UPDATE); }

// Waits until no expedited frame is asked for or being composed.
inline bool waitExpeditedDone(int ms = 3000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (t_view::s_eExpeditedViewUpdateState.load() == t_view::EVU_DONE)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// Waits until at least n calls have been noted; false on time-out.
inline bool waitForDraws(size_t n, int ms = 3000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (draws().size() >= n)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// Waits until the page is on display; false on time-out.
inline bool waitShown(const U32* page, int ms = 3000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (DD_LCD_pu32GetFrameBufferPointer() == page)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// Frames presented so far: the device's pan count.
inline U32 panCount()
{
    const std::string file = vt::readFile(getenv("VONDREL_ROOT") + std::string("/dev/fb0"));
    FBFILE_HEADER header{};
    if (file.size() != FBFILE_FILE_BYTES ||
        !FBFILE_bDecodeHeader(reinterpret_cast<const U8*>(file.data()) + FBFILE_HEADER_OFFSET, FBFILE_HEADER_BYTES,
                              &header))
        return 0xFFFFFFFF;
    return header.u32PanCount;
}

inline void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The page on display, copied into a bitmap of the test's own.
inline void copyShown(gt::TestBitmap& screen)
{
    const U32* page = DD_LCD_pu32GetFrameBufferPointer();
    ASSERT_NE(page, nullptr);
    memcpy(screen->pBuffer, page, DD_LCD_SCREEN_BYTES);
}

// ---- The list as other tasks see it, under RES_VIEW_LIST ----

struct Pane {
    SPLIT_WINDOW_TYPE location;
    U32 user;
    bool operator==(const Pane&) const = default;
};
struct Node {
    LAYER_ID layer;
    std::vector<Pane> panes; // the node itself first
    BOOLEAN shown;
    S32 percent;
    bool operator==(const Node&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Node& n)
{
    os << "{" << n.layer << ":";
    for (const Pane& p : n.panes)
        os << " " << (int)p.location << "/" << p.user;
    return os << " shown " << (int)n.shown << " " << n.percent << "%}";
}

inline std::vector<Node> list()
{
    std::vector<Node> out;
    L_MUTEX_LockWait(RES_VIEW_LIST);
    for (const t_view::LAYER_ITEM* p = t_view::s_playerHeadPointer; p != nullptr; p = p->next) {
        Node n{p->layer, {}, p->bCurrentDisplayMode, p->s32SplitPercentage};
        for (const t_view::LAYER_ITEM* q = p; q != nullptr; q = q->pSplit)
            n.panes.push_back({q->eSplit, q->user});
        out.push_back(n);
    }
    L_MUTEX_Unlock(RES_VIEW_LIST);
    return out;
}

inline const Node* nodeOf(const std::vector<Node>& nodes, LAYER_ID layer)
{
    for (const Node& n : nodes)
        if (n.layer == layer)
            return &n;
    return nullptr;
}

// Every invariant of the list; an empty text when all hold.
inline std::string listFaults()
{
    std::string faults;
    L_MUTEX_LockWait(RES_VIEW_LIST);
    const t_view::LAYER_ITEM* prev = nullptr;
    for (const t_view::LAYER_ITEM* p = t_view::s_playerHeadPointer; p != nullptr; prev = p, p = p->next) {
        if (prev != nullptr && prev->layer >= p->layer)
            faults += "ids not ascending at " + std::to_string(p->layer) + "; ";
        std::vector<SPLIT_WINDOW_TYPE> seen;
        for (const t_view::LAYER_ITEM* q = p; q != nullptr; q = q->pSplit) {
            const std::string at = "layer " + std::to_string(p->layer) + " pane " + std::to_string(q->eSplit) + ": ";
            if (q != p && (q->layer != p->layer || q->where_used != p->where_used || q->fcidDisplay != p->fcidDisplay ||
                           q->bDefault != p->bDefault || q->bCurrentDisplayMode != p->bCurrentDisplayMode ||
                           q->pString != p->pString || q->fcidSplitControl != p->fcidSplitControl ||
                           q->s32SplitPercentage != p->s32SplitPercentage))
                faults += at + "shared field differs; ";
            if (q->next != p->next)
                faults += at + "next differs; ";
            if (p->pSplit != nullptr && q->eSplit == SPLIT_FULL_WINDOW)
                faults += at + "full window in a chain; ";
            for (SPLIT_WINDOW_TYPE s : seen)
                if (s == q->eSplit)
                    faults += at + "location twice; ";
            seen.push_back(q->eSplit);
        }
    }
    L_MUTEX_Unlock(RES_VIEW_LIST);
    return faults;
}

// ---- The world ----

// The menu task's mailbox, published under "TMNU": the tests read the menu
// mails the view task sends there.
constexpr MBOX MENU_TEST_MAILBOX = MENU_MAILBOX;

inline bool startWorld()
{
    static vt::TempRoot root;
    root.exportEnv();
    H_DATABASE_vInit();
    H_DATABASE_bUpdateEverythingU32(FCID("TMNU"), MENU_TEST_MAILBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
    FBDEV_vSetVsyncRate(0);
    H_DISPLAY_vInitScreen(0);
    if (frame_buffer_fd != 1)
        return false;
    L_MBOX_DefineSema(VIEW_MAILBOX, SEMA_MBOX_VIEW);
    const TASK_PARAM params = {8192, 100, T_VIEW_vMain};
    L_TASK_SetParams(VIEW_TASK, &params);
    L_TASK_Start(VIEW_TASK);
    for (int i = 0; i < 5000; ++i) {
        U32 mbox = 0;
        BOOLEAN valid = FALSE;
        if (H_DATABASE_bFetchU32(FCID("TVUE"), &mbox, &valid, nullptr) && valid && mbox == VIEW_MAILBOX)
            return true;
        sleepMs(1);
    }
    return false;
}

inline bool world()
{
    static const bool ok = startWorld();
    return ok;
}

class ViewTask : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(world());
        settle();
        while (MSGHEADER* pMail = L_MBOX_Receive(MENU_TEST_MAILBOX))
            H_MEMORY_vDumpMail(pMail);
    }
    // The task keeps running while the process exits; a frame still asked
    // for would meet the exit's teardown of the devices' stand-ins.
    void TearDown() override
    {
        settle();
        waitExpeditedDone();
        sleepMs(FRAME_QUIET_MS);
        settle();
        waitExpeditedDone();
        s_onDraw = nullptr;
    }
    static constexpr int FRAME_QUIET_MS = 120; // past any throttled frame
};

} // namespace vw
