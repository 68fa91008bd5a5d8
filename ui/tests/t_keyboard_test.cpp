// The keyboard task, its steps run in the test's thread: registrations by
// mail, keys through the keypad FIFO, polls on the test clock. The test's
// own mailboxes stand for the users of the keys, mailbox 5 for the view
// task.
#include "ui/tests/keys_world.h"

#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_sema.h"
#include "kernel/l_utils.h"
#include "store/database_msg.h"
#include "store/h_database.h"
#include "ui/t_keyboard.h"
#include "ui/t_keyboard_standins.h"
#include "ui/t_menu.h"
#include "ui/u_dialog.h"
#include "ui/u_menu_client.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr MBOX A = 60, B = 61, C = 62;
constexpr MBOX VIEW_MBOX = 5;
constexpr SEMA ACK = 150;
constexpr SEMA FRAME = 106;

// A mail with no payload.
struct Bare {
    GENERIC_MESSAGE header;
};

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE Chart_View = ALL_LANGUAGES("Chart");

void world()
{
    static const bool made = [] {
        keys::root();
        H_DATABASE_vInit();
        U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
        H_DATABASE_bUpdateEverythingU32(FCID("TVUE"), VIEW_MBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
        keys::keypad();
        T_KEYBOARD_vStart();
        // The view-selection hot menu has an item, so that the menu task
        // shows it when the keyboard task asks for it.
        T_MENU_vInitRegistry();
        MSG_ADD_MENU_ITEM item = {};
        item.header.Cmd = CMD_ID_REGISTER_MENU_ITEM;
        item.view = SELECT_VIEW_HOT_MENU;
        item.splitType = SPLIT_FULL_WINDOW;
        item.descriptor.pMenuName = &Chart_View;
        item.descriptor.menuPriority = NO_PRIORITY;
        item.descriptor.menuUserLevel = M_BASIC;
        item.descriptor.control = M_ACTION;
        T_MENU_bHandleRegistryMail(&item.header);
        return true;
    }();
    (void)made;
}

// A mail handed to the task with an acknowledgement semaphore, so that it
// stays the test's to read back and free.
template <typename MAIL>
MAIL* mail(CMD_ID cmd)
{
    auto* p = static_cast<MAIL*>(H_MEMORY_pvMalloc(sizeof(MAIL)));
    memset(static_cast<void*>(p), 0, sizeof(MAIL));
    p->header.Cmd = cmd;
    p->header.msghdr.sema = ACK;
    return p;
}

struct Registration {
    U32 keys;
    KEY_STATE state = KEY_DOWN;
    KEY_USAGE usage = REGISTER_VIEW;
    BOOLEAN repeat = FALSE;
    BOOLEAN accelerate = FALSE;
    CURSOR_MODE cursor = CURSOR_4;
    U32 flag = 0;
};

// TRUE when the task says a key was registered.
BOOLEAN take(MBOX mbox, const Registration& r)
{
    auto* p = mail<MSG_REGISTER_FOR_KEYS>(CMD_ID_REGISTER_FOR_KEYS);
    p->keys = r.keys;
    p->flag = r.flag;
    p->mailbox = mbox;
    p->state = r.state;
    p->usage = r.usage;
    p->cursor_mode = r.cursor;
    p->repeat = r.repeat;
    p->accelerate = r.accelerate;
    T_KEYBOARD_vHandleMail(&p->header.msghdr);
    const BOOLEAN pass = p->pass;
    H_MEMORY_vFree(p);
    return pass;
}

void giveBack(MBOX mbox, U32 keys)
{
    auto* p = mail<MSG_UNREGISTER_FOR_KEYS>(CMD_ID_UNREGISTER_FOR_KEYS);
    p->keys = keys;
    p->mailbox = mbox;
    T_KEYBOARD_vHandleMail(&p->header.msghdr);
    H_MEMORY_vFree(p);
}

// A key mail as a user gets it.
struct KeyMail {
    U32 key;
    KEY_STATE state;
    U32 count = 1;
    U32 flag = 0;
    PRIORITY priority = KEY_MAIL_PRIORITY;
    bool operator==(const KeyMail&) const = default;
};
std::ostream& operator<<(std::ostream& os, const KeyMail& m)
{
    return os << "{key 0x" << std::hex << m.key << std::dec << ", state " << m.state << ", count " << m.count
              << ", flag " << m.flag << ", priority " << m.priority << "}";
}

std::vector<KeyMail> mails(MBOX mbox)
{
    std::vector<KeyMail> out;
    while (MSGHEADER* h = L_MBOX_Receive(mbox)) {
        auto* p = reinterpret_cast<MSG_KEY_CHANGE*>(h);
        EXPECT_EQ(p->header.Cmd, CMD_ID_KEY_CHANGE);
        EXPECT_EQ(h->sema, 0) << "key mails belong to their receiver";
        out.push_back({p->key, p->state, p->count, p->flag, h->MsgPriority});
        H_MEMORY_vDumpMail(h);
    }
    return out;
}

std::vector<CMD_ID> commands(MBOX mbox)
{
    std::vector<CMD_ID> out;
    while (MSGHEADER* h = L_MBOX_Receive(mbox)) {
        out.push_back(reinterpret_cast<GENERIC_MESSAGE*>(h)->Cmd);
        H_MEMORY_vDumpMail(h);
    }
    return out;
}

bool signalled(SEMA s) { return L_SEMA_WaitTicks(s, 1) == 0; }

// The hot menus the menu task put on the screen since the last look: the
// registrations of its hot-menu layer that reached the view task.
int hotMenusShown()
{
    int n = 0;
    while (MSGHEADER* h = L_MBOX_Receive(VIEW_MBOX)) {
        const auto* p = reinterpret_cast<const MSG_REGISTER_LAYER*>(h);
        if (p->header.Cmd == CMD_ID_REGISTER_LAYER && p->layer == EXPRESS_MENU_LAYER)
            ++n;
        H_MEMORY_vDumpMail(h);
    }
    return n;
}

// The open menu, as the menu task publishes it.
U32 fetchMenu()
{
    U32 u32Menu = 0;
    H_DATABASE_bFetchU32(FCID("CMNU"), &u32Menu, nullptr, nullptr);
    return u32Menu;
}

// The hand on the keys: each change is polled once, as the next 25 ms tick.
void press(DKEY_ID k)
{
    keys::set(k, true);
    T_KEYBOARD_vPollKeys();
}
void release(DKEY_ID k)
{
    keys::set(k, false);
    T_KEYBOARD_vPollKeys();
}
void tap(DKEY_ID k)
{
    press(k);
    release(k);
}
// Holds the present keys for ms more, polling every 25 ms.
void hold(int ms)
{
    for (int t = 0; t < ms; t += 25) {
        L_CLOCK_vAdvanceTestClock(25);
        T_KEYBOARD_vPollKeys();
    }
}

class KeyboardTask : public ::testing::Test {
protected:
    void SetUp() override
    {
        world();
        keys::releaseAll();
        T_KEYBOARD_vPollKeys();
        clear();
    }
    void TearDown() override
    {
        for (MBOX m : {A, B, C})
            for (int i = 0; i < 4; ++i) {
                giveBack(m, 0xFFFF);
                giveBack(m, KEY_POWER);
            }
        keys::releaseAll();
        T_KEYBOARD_vPollKeys();
        clear();
    }
    static void clear()
    {
        for (MBOX m : {A, B, C, VIEW_MBOX, KEYBOARD_MAILBOX})
            commands(m);
        for (SEMA s : {SEMA_KEYBOARD_LONG_GOTO, SEMA_KEYCLICK_GOOD, SEMA_KEYCLICK_BAD, FRAME})
            L_SEMA_SetPending(s);
    }
};

// ---- Users ----

TEST_F(KeyboardTask, AHigherClassTakesAKeyAndGivesItBackOnRemoval)
{
    ASSERT_TRUE(take(A, {KEY_MENU, KEY_DOWN, REGISTER_VIEW, FALSE, FALSE, CURSOR_4, 0xA}));
    ASSERT_TRUE(take(B, {KEY_MENU, KEY_DOWN, REGISTER_MENU, FALSE, FALSE, CURSOR_4, 0xB}));
    tap(DKEY_MENU);
    EXPECT_EQ(mails(B), (std::vector<KeyMail>{{KEY_MENU, KEY_DOWN, 0, 0xB}}));
    EXPECT_TRUE(mails(A).empty());

    giveBack(B, KEY_MENU);
    tap(DKEY_MENU);
    EXPECT_EQ(mails(A), (std::vector<KeyMail>{{KEY_MENU, KEY_DOWN, 0, 0xA}}));
    EXPECT_TRUE(mails(B).empty());

    // Of equal classes the later registration has the key.
    ASSERT_TRUE(take(C, {KEY_MENU, KEY_DOWN, REGISTER_VIEW, FALSE, FALSE, CURSOR_4, 0xC}));
    tap(DKEY_MENU);
    EXPECT_EQ(mails(C), (std::vector<KeyMail>{{KEY_MENU, KEY_DOWN, 0, 0xC}}));
    EXPECT_TRUE(mails(A).empty());

    // Removing what is not there changes nothing.
    giveBack(B, KEY_MENU);
    tap(DKEY_MENU);
    EXPECT_EQ(mails(C).size(), 1u);
}

TEST_F(KeyboardTask, TheFirstUserGetsOnlyWhatItAskedForAndNothingIsPassedDown)
{
    struct Case {
        KEY_STATE wanted;
        std::vector<KEY_STATE> atPress, atRelease;
    };
    const Case cases[] = {
        {KEY_DOWN, {KEY_DOWN}, {}},
        {KEY_UP, {}, {KEY_UP}},
        {KEY_CHANGE, {KEY_DOWN}, {KEY_UP}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(take(B, {KEY_ZOOM_OUT, KEY_CHANGE, REGISTER_BASIC}));
        ASSERT_TRUE(take(A, {KEY_ZOOM_OUT, c.wanted, REGISTER_ALARM}));
        for (auto [atPress, expected] : {std::pair{true, c.atPress}, std::pair{false, c.atRelease}}) {
            atPress ? press(DKEY_ZOOM_OUT) : release(DKEY_ZOOM_OUT);
            std::vector<KEY_STATE> got;
            for (const KeyMail& m : mails(A)) {
                EXPECT_EQ(m.key, KEY_ZOOM_OUT);
                got.push_back(m.state);
            }
            EXPECT_EQ(got, expected) << "user of " << c.wanted << (atPress ? ", press" : ", release");
            EXPECT_TRUE(mails(B).empty()) << "the lower user of " << c.wanted;
        }
        giveBack(A, KEY_ZOOM_OUT);
        giveBack(B, KEY_ZOOM_OUT);
    }
}

TEST_F(KeyboardTask, AMaskRegistersEveryKeyButPowerOrThePowerKeyAlone)
{
    EXPECT_FALSE(take(A, {0x400})) << "a bit that belongs to no key";
    ASSERT_TRUE(take(A, {0xFFFF, KEY_DOWN}));
    const std::pair<DKEY_ID, U32> each[] = {
        {DKEY_MENU, KEY_MENU},           {DKEY_EXIT, KEY_EXIT},         {DKEY_VIEW, KEY_VIEW},
        {DKEY_ZOOM_IN, KEY_ZOOM_IN},     {DKEY_ZOOM_OUT, KEY_ZOOM_OUT}, {DKEY_MARK, KEY_MARK},
        {DKEY_GOTO, KEY_GOTO},           {DKEY_INFO, KEY_INFO},         {DKEY_CURSOR_UP, KEY_CURSOR},
        {DKEY_CURSOR_DOWN, KEY_CURSOR},  {DKEY_CURSOR_LEFT, KEY_CURSOR}, {DKEY_CURSOR_RIGHT, KEY_CURSOR},
        {DKEY_SOFT_KEY_1, KEY_SOFT_KEY_1}, {DKEY_SOFT_KEY_2, KEY_SOFT_KEY_2}, {DKEY_SOFT_KEY_3, KEY_SOFT_KEY_3},
    };
    for (const auto& [physical, mask] : each) {
        tap(physical);
        const std::vector<KeyMail> got = mails(A);
        ASSERT_EQ(got.size(), 1u) << "key " << physical;
        EXPECT_EQ(got[0].key, mask) << "key " << physical;
    }
    tap(DKEY_POWER);
    EXPECT_TRUE(mails(A).empty()) << "the power key is not in a mask of several keys";
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_BAD)) << "a press nobody takes";

    ASSERT_TRUE(take(B, {KEY_POWER, KEY_DOWN, REGISTER_CONTRAST}));
    tap(DKEY_POWER);
    EXPECT_EQ(mails(B), (std::vector<KeyMail>{{KEY_POWER, KEY_DOWN, 0}}));
    tap(DKEY_MENU);
    EXPECT_TRUE(mails(B).empty()) << "the power key alone";
}

TEST_F(KeyboardTask, APressNobodyTakesClicksAsAnError)
{
    press(DKEY_INFO);
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_BAD));
    release(DKEY_INFO);
    EXPECT_FALSE(signalled(SEMA_KEYCLICK_BAD)) << "a release nobody takes is silent";
}

TEST_F(KeyboardTask, AKeyRepeatsAsItsFirstUserAsked)
{
    ASSERT_TRUE(take(A, {KEY_CURSOR, KEY_DOWN, REGISTER_VIEW, TRUE, TRUE, CURSOR_8}));
    ASSERT_TRUE(take(B, {KEY_CURSOR, KEY_DOWN, REGISTER_MENU, FALSE, FALSE, CURSOR_4}));
    press(DKEY_CURSOR_RIGHT);
    hold(1000);
    EXPECT_EQ(mails(B).size(), 1u) << "the menu's cursor does not repeat";

    giveBack(B, KEY_CURSOR);
    release(DKEY_CURSOR_RIGHT);
    press(DKEY_CURSOR_RIGHT);
    hold(625);
    std::vector<U32> counts;
    for (const KeyMail& m : mails(A))
        counts.push_back(m.count);
    EXPECT_EQ(counts, (std::vector<U32>{1, 2, 3})) << "the view's cursor repeats again, accelerating";
}

// ---- Keys held down ----

TEST_F(KeyboardTask, GotoHeldTwoSecondsGivesOnePressAndOneLongGotoSignal)
{
    ASSERT_TRUE(take(A, {KEY_GOTO, KEY_CHANGE, REGISTER_VIEW}));
    for (int round = 0; round < 2; ++round) {
        press(DKEY_GOTO);
        EXPECT_EQ(mails(A), (std::vector<KeyMail>{{KEY_GOTO, KEY_DOWN, 0}}));
        hold(1475);
        EXPECT_FALSE(signalled(SEMA_KEYBOARD_LONG_GOTO)) << "round " << round;
        hold(25);
        EXPECT_TRUE(signalled(SEMA_KEYBOARD_LONG_GOTO)) << "round " << round;
        hold(500);
        EXPECT_FALSE(signalled(SEMA_KEYBOARD_LONG_GOTO)) << "one signal per press";
        EXPECT_TRUE(mails(A).empty());
        release(DKEY_GOTO);
        EXPECT_EQ(mails(A), (std::vector<KeyMail>{{KEY_GOTO, KEY_UP, 0}}));
    }
}

TEST_F(KeyboardTask, AShortViewPressReachesItsUserAtTheRelease)
{
    struct Case {
        KEY_STATE wanted;
        std::vector<KEY_STATE> atRelease;
    };
    for (const Case& c : {Case{KEY_DOWN, {KEY_DOWN}}, Case{KEY_CHANGE, {KEY_DOWN, KEY_UP}}, Case{KEY_UP, {KEY_UP}}}) {
        ASSERT_TRUE(take(A, {KEY_VIEW, c.wanted, REGISTER_EXCLUSIVE}));
        press(DKEY_VIEW);
        hold(300);
        EXPECT_TRUE(mails(A).empty()) << "nothing before the release, user of " << c.wanted;
        release(DKEY_VIEW);
        std::vector<KEY_STATE> got;
        for (const KeyMail& m : mails(A)) {
            EXPECT_EQ(m.key, KEY_VIEW);
            got.push_back(m.state);
        }
        EXPECT_EQ(got, c.atRelease) << "user of " << c.wanted;
        giveBack(A, KEY_VIEW);
    }
    EXPECT_EQ(hotMenusShown(), 0) << "no view-selection menu for short presses";
}

TEST_F(KeyboardTask, AViewReleaseWhosePressNobodyTookIsOneRelease)
{
    press(DKEY_VIEW);
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_BAD));
    ASSERT_TRUE(take(A, {KEY_VIEW, KEY_CHANGE, REGISTER_MENU}));
    release(DKEY_VIEW);
    EXPECT_EQ(mails(A), (std::vector<KeyMail>{{KEY_VIEW, KEY_UP, 0}}));
}

TEST_F(KeyboardTask, AViewHeldOverASecondOpensTheViewSelectionMenuOncePerPress)
{
    for (int round = 0; round < 2; ++round) {
        press(DKEY_VIEW);
        hold(1000);
        EXPECT_EQ(hotMenusShown(), 0) << "not at 1000 ms";
        hold(25);
        EXPECT_EQ(hotMenusShown(), 1);
        EXPECT_EQ(fetchMenu(), (U32)EXPRESS_MENU);
        hold(1000);
        EXPECT_EQ(hotMenusShown(), 0);
        release(DKEY_VIEW);
    }
}

class PowerKey : public KeyboardTask {
protected:
    // The message as the view task would draw it now, on a cleared frame.
    static std::vector<COLOR> drawn()
    {
        gt::TestBitmap frame(800, 600);
        T_KEYBOARD_vDrawShutdownMessage(frame, nullptr);
        std::vector<COLOR> out;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                out.push_back(frame.at(x, y));
        return out;
    }
    static std::vector<COLOR> dialog(const char* text)
    {
        gt::TestBitmap frame(800, 600);
        const FONT_DEF* font = std_16x17_font_def_ptr.load();
        U32 width = 14;
        for (const char* p = text; *p; ++p)
            width += G_FONTS_u32GetWidth(font, (BYTE)*p);
        U_DIALOG_vDrawDialog(frame, text, font, 2, (U16)width, nullptr, nullptr, JUSTIFICATION_CENTER,
                             JUSTIFICATION_CENTER);
        std::vector<COLOR> out;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                out.push_back(frame.at(x, y));
        return out;
    }
};

TEST_F(PowerKey, HeldItCountsDownAndTheReleaseTakesTheMessageAway)
{
    struct Case {
        int heldMs;
        const char* shown;
    };
    for (const Case& c : {Case{1500, "Shutdown in 2 seconds"}, Case{2500, "Shutdown in 1 seconds"}}) {
        press(DKEY_POWER);
        hold(975);
        EXPECT_TRUE(commands(VIEW_MBOX).empty());
        EXPECT_FALSE(signalled(FRAME));
        hold(25);
        MSGHEADER* h = L_MBOX_Receive(VIEW_MBOX);
        ASSERT_NE(h, nullptr) << "the message layer at 1 s";
        const auto* reg = reinterpret_cast<const MSG_REGISTER_LAYER*>(h);
        EXPECT_EQ(reg->header.Cmd, CMD_ID_REGISTER_LAYER);
        EXPECT_EQ(reg->layer, SHUTDOWN_LAYER);
        EXPECT_EQ(reg->where_used, USED_BY_ALL);
        EXPECT_EQ(reg->pDrawFunction, T_KEYBOARD_vDrawShutdownMessage);
        EXPECT_TRUE(reg->bDisplay);
        H_MEMORY_vDumpMail(h);
        EXPECT_TRUE(signalled(FRAME)) << "the message is shown now";

        hold(c.heldMs - 1000);
        EXPECT_TRUE(drawn() == dialog(c.shown)) << c.shown;
        EXPECT_EQ(signalled(FRAME), c.heldMs >= 2000) << "the second count is shown at 2 s";
        release(DKEY_POWER);
        EXPECT_EQ(commands(VIEW_MBOX), std::vector<CMD_ID>{CMD_ID_UNREGISTER_LAYER});
        EXPECT_TRUE(signalled(FRAME)) << "the message goes at once";
    }
}

TEST_F(PowerKey, AShortPressShowsNothing)
{
    press(DKEY_POWER);
    hold(900);
    release(DKEY_POWER);
    hold(1000);
    EXPECT_EQ(commands(VIEW_MBOX), std::vector<CMD_ID>{CMD_ID_UNREGISTER_LAYER});
    EXPECT_FALSE(signalled(FRAME));
}

// ---- Shutdown ----

// The test's shutdown of the tasks: names the tasks kept alive.
void noteNoKillList(FOURCHARID* pList)
{
    std::string names;
    for (FOURCHARID* p = pList; *p; ++p)
        names += std::string(reinterpret_cast<const char*>(p), 4) + " ";
    fprintf(stderr, "told every task but %s\n", names.c_str());
}

TEST_F(KeyboardTask, ShutdownRequestsWithBothFlagsOrNeitherDoNothing)
{
    for (auto [reset, powerOff] : {std::pair{TRUE, TRUE}, std::pair{FALSE, FALSE}}) {
        auto* p = mail<MSG_INITIATE_SHUTDOWN>(CMD_ID_INITIATE_SHUTDOWN);
        p->bReset = reset;
        p->bPowerOff = powerOff;
        T_KEYBOARD_vHandleMail(&p->header.msghdr);
        EXPECT_TRUE(signalled(ACK)) << "answered";
        H_MEMORY_vFree(p);
    }
}

TEST_F(KeyboardTask, ARequestedResetOrPowerOffTellsTheTasksAndEndsTheProcess)
{
    T_KEYBOARD_vInstallShutdown(noteNoKillList);
    for (auto [reset, powerOff] : {std::pair{TRUE, FALSE}, std::pair{FALSE, TRUE}}) {
        EXPECT_EXIT(
            {
                auto* p = mail<MSG_INITIATE_SHUTDOWN>(CMD_ID_INITIATE_SHUTDOWN);
                p->bReset = reset;
                p->bPowerOff = powerOff;
                T_KEYBOARD_vHandleMail(&p->header.msghdr);
            },
            ::testing::ExitedWithCode(10), "told every task but TDSP TKBD TSND TMSG TSLP TETH \n")
            << (reset ? "reset" : "power off");
    }
    T_KEYBOARD_vInstallShutdown(nullptr);
}

TEST_F(KeyboardTask, ASecondOwnerOfTheKeyboardKeyIsFatal)
{
    EXPECT_EXIT(
        {
            H_DATABASE_vDeleteEntry(FCID("TKBD"));
            H_DATABASE_bUpdateEverythingU32(FCID("TKBD"), 11, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
            T_KEYBOARD_vStart();
        },
        ::testing::ExitedWithCode(10), "");
    const std::string fatal = vt::readFile(std::string(L_UTILS_cpGetPathnamePtr()) + "/FATAL.LOG");
    EXPECT_NE(fatal.find("Somebody else registered the Keyboard Task Maibox"), std::string::npos) << fatal;
}

// ---- Restore Defaults and the model change ----

TEST_F(KeyboardTask, RestoreDefaultsResetsEveryTaskButItself)
{
    for (auto [key, mbox] : {std::pair{FCID("TAAA"), A}, std::pair{FCID("TBBB"), B}})
        H_DATABASE_bUpdateEverythingU32(key, mbox, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateValueBoolean(FCID("SDBV"), FALSE, P_NORMAL);
    H_DATABASE_bUpdateValueBoolean(FCID("SRDF"), FALSE, P_NORMAL);
    commands(KEYBOARD_MAILBOX);

    // A new model: every task is reset, and the settings are left alone.
    H_DATABASE_bUpdateValueU32(FCID("SMDL"), 1234, P_NORMAL);
    MSGHEADER* h = L_MBOX_Receive(KEYBOARD_MAILBOX);
    ASSERT_NE(h, nullptr) << "the task follows the model";
    T_KEYBOARD_vHandleMail(h);
    for (MBOX m : {A, B, VIEW_MBOX})
        EXPECT_EQ(commands(m), std::vector<CMD_ID>{CMD_ID_RESET_POS}) << m;
    EXPECT_TRUE(commands(KEYBOARD_MAILBOX).empty()) << "not the keyboard task itself";
    U32 sdbv = 7;
    H_DATABASE_bFetchU32(FCID("SDBV"), &sdbv, nullptr, nullptr);
    EXPECT_EQ(sdbv, (U32)FALSE);

    T_KEYBOARD_vRestoreFactoryDefaults();
    for (MBOX m : {A, B, VIEW_MBOX})
        EXPECT_EQ(commands(m), std::vector<CMD_ID>{CMD_ID_RESET_POS}) << m;
    EXPECT_TRUE(commands(KEYBOARD_MAILBOX).empty());
    U32 srdf = 7;
    H_DATABASE_bFetchU32(FCID("SDBV"), &sdbv, nullptr, nullptr);
    H_DATABASE_bFetchU32(FCID("SRDF"), &srdf, nullptr, nullptr);
    EXPECT_EQ(sdbv, (U32)TRUE);
    EXPECT_EQ(srdf, (U32)TRUE);
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
}

TEST_F(KeyboardTask, TheRunningSystemOffersRestoreDefaultsInTheSetupTab)
{
    constexpr MBOX MENU_MBOX = 63;
    H_DATABASE_bUpdateEverythingU32(FCID("TMNU"), MENU_MBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    auto* p = mail<Bare>(CMD_ID_RUN_SYSTEM);
    T_KEYBOARD_vHandleMail(&p->header.msghdr);
    H_MEMORY_vFree(p);

    MSGHEADER* h = L_MBOX_Receive(MENU_MBOX);
    ASSERT_NE(h, nullptr) << "a main-menu item for the menu task";
    const auto* item = reinterpret_cast<const MSG_ADD_MENU_ITEM*>(h);
    EXPECT_EQ(item->header.Cmd, CMD_ID_REGISTER_MENU_ITEM);
    EXPECT_EQ(item->pTabName, T_MENU_pSetupTabName);
    ASSERT_NE(item->descriptor.pMenuName, nullptr);
    EXPECT_STREQ((*item->descriptor.pMenuName)[0], "Restore Defaults");
    EXPECT_EQ(item->descriptor.menuPriority, MENU_RESTORE_FACTORY_DEFAULTS);
    EXPECT_EQ(item->descriptor.menuUserLevel, M_BASIC);
    EXPECT_EQ(item->descriptor.control, M_ACTION);
    EXPECT_EQ(item->descriptor.parameters.action.pt2Function, T_KEYBOARD_vRestoreFactoryDefaults);
    EXPECT_TRUE(item->descriptor.parameters.action.confirm);
    H_MEMORY_vDumpMail(h);
    EXPECT_TRUE(commands(MENU_MBOX).empty());

    commands(KEYBOARD_MAILBOX);
    H_DATABASE_bUpdateValueU32(FCID("CCST"), 3, P_NORMAL);
    EXPECT_EQ(commands(KEYBOARD_MAILBOX), std::vector<CMD_ID>{CMD_ID_NEW_DATA}) << "the task follows the state";
}

} // namespace
