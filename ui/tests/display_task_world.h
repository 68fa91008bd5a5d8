// The display task's world in a test process: a unit root, the data store,
// the fonts and icon colours, and task 4 running T_DISPLAY_vMain. The test
// plays its neighbours: the view task (mailbox 5, "TVUE") and the keyboard
// task (mailbox 10, "TKBD") are mailboxes it reads, the trolling-motor link
// is mailbox 70, and key clicks and frame requests are read off their
// semaphores. Each test runs in a process of its own, so the world is made
// once per test.
#pragma once

#include "graphics/color.h"
#include "graphics/g_icon.h"
#include "ui/t_display.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "store/h_database.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace dt {

constexpr MBOX VIEW_MAILBOX = 5;
constexpr MBOX KEYBOARD_MAILBOX = 10;
constexpr SEMA ACK_SEMA = 150; // the test's own acknowledgements
constexpr COLOR SCREEN = 0x1234; // a background no pop-up colour has

inline U32 fetchU32(const char (&key)[5])
{
    U32 v = 0xDEADBEEF;
    H_DATABASE_bFetchU32(FCID(key), &v, nullptr, nullptr);
    return v;
}

inline float fetchFloat(const char (&key)[5])
{
    float v = -1.0f;
    H_DATABASE_bFetchFloat(FCID(key), &v, nullptr, nullptr);
    return v;
}

inline void setU32(const char (&key)[5], U32 value) { H_DATABASE_bUpdateValueU32(FCID(key), value, P_NORMAL); }
inline void setFloat(const char (&key)[5], float value) { H_DATABASE_bUpdateValueFloat(FCID(key), value, P_NORMAL); }

// Sends a mail to the display task and returns once the task has handled
// it (and, the mailbox being first-in-first-out per priority, every
// data-store mail that was queued before it).
inline void sendAndWait(GENERIC_MESSAGE* pMail)
{
    ASSERT_EQ(0, L_MBOX_SendWaitTicks(DISPLAY_MAILBOX, &pMail->msghdr, 3, ACK_SEMA, 5000));
}

template <typename MAIL>
MAIL* newMail(CMD_ID cmd)
{
    MAIL* p = static_cast<MAIL*>(H_MEMORY_pvMalloc(sizeof(MAIL)));
    memset(static_cast<void*>(p), 0, sizeof(MAIL));
    p->header.Cmd = cmd;
    return p;
}

inline void command(CMD_ID cmd)
{
    GENERIC_MESSAGE* p = static_cast<GENERIC_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(GENERIC_MESSAGE)));
    memset(static_cast<void*>(p), 0, sizeof *p);
    p->Cmd = cmd;
    sendAndWait(p);
    H_MEMORY_vFree(p);
}

// Waits until the task has taken in every data-store change made so far.
inline void settle() { command(CMD_ID_INVALID_ID); }

inline bool signalled(SEMA s) { return L_SEMA_WaitTicks(s, 1) == 0; }

struct Response {
    bool good = false;
    bool bad = false;
    bool frame = false;
    bool operator==(const Response&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Response& r)
{
    return os << "{good " << r.good << ", bad " << r.bad << ", frame " << r.frame << "}";
}
constexpr Response GOOD = {true, false, true};      // a key that did something visible
constexpr Response GOOD_ONLY = {true, false, false};
constexpr Response BAD = {false, true, false};

inline Response press(U32 key, CURSOR_POSITION cursor = CURSOR_UP)
{
    for (SEMA s : {SEMA_KEYCLICK_GOOD, SEMA_KEYCLICK_BAD, SEMA_VIEW_UPDATE})
        L_SEMA_SetPending(s);
    auto* p = newMail<MSG_KEY_CHANGE>(CMD_ID_KEY_CHANGE);
    p->key = key;
    p->state = KEY_DOWN;
    p->count = 1;
    p->cursor = cursor;
    sendAndWait(&p->header);
    H_MEMORY_vFree(p);
    return Response{signalled(SEMA_KEYCLICK_GOOD), signalled(SEMA_KEYCLICK_BAD), signalled(SEMA_VIEW_UPDATE)};
}
inline Response cursor(CURSOR_POSITION direction) { return press(KEY_CURSOR, direction); }

// What reached one of the test's mailboxes, in order; the mails are freed.
struct Mail {
    CMD_ID cmd;
    std::vector<U8> bytes;
    template <typename MAIL>
    const MAIL& as() const
    {
        return *reinterpret_cast<const MAIL*>(bytes.data());
    }
};

inline size_t mailSize(CMD_ID cmd)
{
    switch (cmd) {
    case CMD_ID_REGISTER_FOR_KEYS:
        return sizeof(MSG_REGISTER_FOR_KEYS);
    case CMD_ID_UNREGISTER_FOR_KEYS:
        return sizeof(MSG_UNREGISTER_FOR_KEYS);
    case CMD_ID_REGISTER_LAYER:
        return sizeof(MSG_REGISTER_LAYER);
    case CMD_ID_UNREGISTER_LAYER:
        return sizeof(MSG_UNREGISTER_LAYER);
    case CMD_ID_STEVRIN:
        return sizeof(STEVRIN_DATA_MSG);
    default:
        return sizeof(GENERIC_MESSAGE);
    }
}

inline std::vector<Mail> drain(MBOX mbox)
{
    std::vector<Mail> out;
    while (MSGHEADER* h = L_MBOX_Receive(mbox)) {
        const CMD_ID cmd = reinterpret_cast<GENERIC_MESSAGE*>(h)->Cmd;
        Mail m{cmd, std::vector<U8>(std::max(mailSize(cmd), sizeof(STEVRIN_DATA_MSG) + sizeof(MSG_REGISTER_LAYER)))};
        memcpy(m.bytes.data(), h, mailSize(cmd));
        out.push_back(m);
        H_MEMORY_vDumpMail(h);
    }
    return out;
}

// The commands of the mails a mailbox received.
inline std::vector<U32> commandsOf(const std::vector<Mail>& mails)
{
    std::vector<U32> out;
    for (const Mail& m : mails)
        out.push_back(m.cmd);
    return out;
}

inline std::vector<U32> motorCommands()
{
    std::vector<U32> out;
    for (const Mail& m : drain(STEVRIN_MAILBOX)) {
        EXPECT_EQ(m.cmd, CMD_ID_STEVRIN);
        out.push_back(m.as<STEVRIN_DATA_MSG>().eStevrinCmd);
    }
    return out;
}

inline bool waitForMail(MBOX mbox, int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        // A peek: take the first mail and put it back in front.
        if (MSGHEADER* h = L_MBOX_Receive(mbox)) {
            L_MBOX_Send(mbox, h, 0, 0);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// What the task had done by the time it signalled its ready semaphore.
struct StartState {
    bool ready = false;
    U32 tdsp = 0;
    DB_ATTRIBUTES tdspAttributes = {};
    BOOLEAN dsfbFetched = FALSE;
    BOOLEAN dsfbValid = FALSE;
    void* dsfb = reinterpret_cast<void*>(1);
    DB_ATTRIBUTES dsfbAttributes = {};
    U32 spal = 0, mbms = 0;
    std::vector<Mail> keyboardBeforeItRuns; // "TKBD" not yet published
    std::vector<Mail> keyboardOnceItRuns;
    std::vector<Mail> viewOnceKeysTaken;
};

// The world; the display task is started on the first call. The keyboard
// task "starts" only after the display task is ready, as on the unit, so
// the POWER key comes through the retry timer.
inline StartState& world()
{
    static StartState s;
    static bool made = false;
    if (made)
        return s;
    made = true;
    static vt::TempRoot root;
    root.exportEnv();
    H_DATABASE_vInit();
    U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
    G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
    H_DATABASE_bUpdateEverythingU32(FCID("TVUE"), VIEW_MAILBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);

    L_MBOX_DefineSema(DISPLAY_MAILBOX, SEMA_DISPLAY_MAIL);
    const TASK_PARAM params = {1024, 100, T_DISPLAY_vMain};
    L_TASK_SetParams(DISPLAY_TASK, &params);
    L_TASK_Start(DISPLAY_TASK);
    s.ready = L_SEMA_WaitTicks(SEMA_DISPLAY_READY, 10000) == 0;

    H_DATABASE_bFetchU32(FCID("TDSP"), &s.tdsp, nullptr, &s.tdspAttributes);
    s.dsfbFetched = H_DATABASE_bFetchVoidPointer(FCID("DSFB"), &s.dsfb, &s.dsfbValid, &s.dsfbAttributes);
    s.spal = fetchU32("SPAL");
    s.mbms = fetchU32("MBMS");
    s.keyboardBeforeItRuns = drain(KEYBOARD_MAILBOX);

    H_DATABASE_bUpdateEverythingU32(FCID("TKBD"), KEYBOARD_MAILBOX, P_NORMAL, D_MAILBOX, nullptr,
                                    DB_TIMEOUT_NEVER);
    waitForMail(KEYBOARD_MAILBOX, 5000);
    waitForMail(VIEW_MAILBOX, 2000);
    s.keyboardOnceItRuns = drain(KEYBOARD_MAILBOX);
    s.viewOnceKeysTaken = drain(VIEW_MAILBOX);
    return s;
}

// The world with the system running and the quick configuration done;
// nothing connected, the pop-up closed.
class DisplayTask : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(world().ready);
        // What app/ installs from the transducer database.
        T_DISPLAY_vInstallElementBitQuery([](U32 u32Mask, U32 u32Source) -> U32 {
            return u32Source > 3 ? 0 : u32Mask & (1u << u32Source);
        });
        setU32("SQCD", TRUE);
        setU32("SSEN", 1);
        command(CMD_ID_RUN_SYSTEM);
        clearMailboxes();
    }
    static void clearMailboxes()
    {
        for (MBOX m : {VIEW_MAILBOX, KEYBOARD_MAILBOX, STEVRIN_MAILBOX})
            drain(m);
    }
    // A new frame with the pop-up, as the view task composes one.
    static void redraw(gt::TestBitmap& screen)
    {
        screen.clear();
        T_DISPLAY_vDrawLayer(screen, nullptr);
    }
    // Opens the pop-up and lets the view task draw it once, as it would.
    static void openAndDraw(gt::TestBitmap& screen)
    {
        ASSERT_EQ(press(KEY_POWER), GOOD);
        redraw(screen);
    }
};

// ---- Reading the drawn pop-up back ----

// The pop-up's outer frame: its edges and the number of 62-pixel rows it
// holds, found from the middle column of a screen drawn on the SCREEN
// colour.
struct Frame {
    int bottom = -1, top = -1, left = -1, right = -1;
    int rows() const { return (top - bottom + 1 - 12) / 62; }
};

inline Frame frameOf(const gt::TestBitmap& screen, int middle = 400)
{
    Frame f;
    const int h = 600;
    int y = h - 1;
    while (y >= 0 && screen.at(middle, y) == SCREEN)
        --y;
    f.top = y;
    while (y >= 0 && screen.at(middle, y) != SCREEN)
        --y;
    f.bottom = y + 1;
    const int probe = (f.bottom + f.top) / 2;
    int x = 0;
    while (x < 800 && screen.at(x, probe) == SCREEN)
        ++x;
    f.left = x;
    x = 799;
    while (x >= 0 && screen.at(x, probe) == SCREEN)
        --x;
    f.right = x;
    return f;
}

// The fill colour of each row slot, top to bottom, taken just inside its
// left edge: colour 64 marks the highlighted row, 65 the others, and the
// inner frame's 67 shows through an empty slot.
inline std::vector<COLOR> rowFills(const gt::TestBitmap& screen)
{
    const Frame f = frameOf(screen);
    std::vector<COLOR> fills;
    for (int i = 0; i < f.rows(); ++i) {
        const int k = f.rows() - 1 - i;
        fills.push_back(screen.at(f.left + 7, f.bottom + 8 + 62 * k + 20));
    }
    return fills;
}

// The slot (counted from the top) drawn highlighted, -1 when none is.
inline int highlightedSlot(const gt::TestBitmap& screen)
{
    const std::vector<COLOR> fills = rowFills(screen);
    for (size_t i = 0; i < fills.size(); ++i)
        if (fills[i] == gCOLOR_pcolColorTable[64])
            return (int)i;
    return -1;
}

} // namespace dt
