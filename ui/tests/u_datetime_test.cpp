// The date and time form worked key by key as its host task hands it the
// key mails of mailbox 62: its rows and fields, their wrapping, the
// confirmation, the clock set through the unit root's command runner, and
// the picture of the form with its confirmation.
#include "ui/u_datetime.h"

#include "ui/tests/draw_fixture.h"

#include "graphics/g_bmp.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_sema.h"
#include "store/h_database.h"
#include "testing/t_root.h"
#include "ui/t_menu.h"
#include "ui/u_menu_client.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr MBOX VIEW_MBOX = 5;
constexpr MBOX KEYBOARD_MBOX = 10;
constexpr MBOX MENU_MBOX = 15;

struct Clicks {
    bool good;
    bool bad;
    bool operator==(const Clicks&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Clicks& c)
{
    return os << (c.good ? "good" : "") << (c.bad ? "bad" : "") << (!c.good && !c.bad ? "none" : "");
}
constexpr Clicks GOOD = {true, false};
constexpr Clicks BAD = {false, true};
constexpr Clicks NONE = {false, false};

class DateTimeForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_.exportEnv();
        setenv("TZ", "UTC", 1);
        tzset();
        dtest::prepareWorld();
        publish("TVUE", VIEW_MBOX);
        publish("TKBD", KEYBOARD_MBOX);
        publish("TMNU", MENU_MBOX);
        drain();
    }

    static void publish(const char* key, MBOX mbox)
    {
        const FOURCHARID fcid = (U32)(U8)key[0] | (U32)(U8)key[1] << 8 | (U32)(U8)key[2] << 16 | (U32)(U8)key[3] << 24;
        H_DATABASE_bUpdateEverythingU32(fcid, (U32)mbox, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    }

    // The mails sent to the view, keyboard and menu tasks since the last
    // call, in order.
    struct Mail {
        MBOX mbox;
        CMD_ID cmd;
        S32 a = 0, b = 0, c = 0, d = 0;
        const void* p = nullptr;
    };
    static std::vector<Mail> drain()
    {
        std::vector<Mail> out;
        for (MBOX mbox : {VIEW_MBOX, KEYBOARD_MBOX, MENU_MBOX}) {
            while (MSGHEADER* h = L_MBOX_Receive(mbox)) {
                Mail m{mbox, reinterpret_cast<GENERIC_MESSAGE*>(h)->Cmd};
                if (m.cmd == CMD_ID_REGISTER_LAYER) {
                    auto* r = reinterpret_cast<MSG_REGISTER_LAYER*>(h);
                    m.a = r->layer, m.b = r->where_used, m.c = r->bDisplay, m.d = (S32)r->fcidDisplayFlag;
                    m.p = reinterpret_cast<const void*>(r->pDrawFunction);
                } else if (m.cmd == CMD_ID_UNREGISTER_LAYER) {
                    m.a = reinterpret_cast<MSG_UNREGISTER_LAYER*>(h)->layer;
                } else if (m.cmd == CMD_ID_REGISTER_FOR_KEYS) {
                    auto* r = reinterpret_cast<MSG_REGISTER_FOR_KEYS*>(h);
                    m.a = (S32)r->keys, m.b = r->mailbox, m.c = r->cursor_mode * 100 + r->usage,
                    m.d = r->state * 100 + r->repeat * 10 + r->accelerate;
                } else if (m.cmd == CMD_ID_UNREGISTER_FOR_KEYS) {
                    auto* r = reinterpret_cast<MSG_UNREGISTER_FOR_KEYS*>(h);
                    m.a = (S32)r->keys, m.b = r->mailbox;
                } else if (m.cmd == CMD_ID_REGISTER_MENU_ITEM) {
                    auto* r = reinterpret_cast<MSG_ADD_MENU_ITEM*>(h);
                    m.a = r->descriptor.control, m.b = r->descriptor.menuUserLevel;
                    m.p = r->pTabName;
                    m.c = r->descriptor.pMenuName != nullptr && std::string((*r->descriptor.pMenuName)[0]) == "Enter Time and Date";
                }
                out.push_back(m);
                H_MEMORY_vDumpMail(h);
            }
        }
        return out;
    }

    static Clicks key(U32 mask, CURSOR_POSITION cursor = CURSOR_UP)
    {
        L_SEMA_SetPending(SEMA_KEYCLICK_GOOD);
        L_SEMA_SetPending(SEMA_KEYCLICK_BAD);
        MSG_KEY_CHANGE msg = {};
        msg.header.Cmd = CMD_ID_KEY_CHANGE;
        msg.key = mask;
        msg.state = KEY_DOWN;
        msg.count = 1;
        msg.cursor = cursor;
        U_DATETIME_bHandleKeys(&msg);
        return {L_SEMA_WaitTicks(SEMA_KEYCLICK_GOOD, 1) == 0, L_SEMA_WaitTicks(SEMA_KEYCLICK_BAD, 1) == 0};
    }
    static Clicks up() { return key(KEY_CURSOR, CURSOR_NORTH); }
    static Clicks down() { return key(KEY_CURSOR, CURSOR_SOUTH); }
    static Clicks right() { return key(KEY_CURSOR, CURSOR_EAST); }
    static Clicks left() { return key(KEY_CURSOR, CURSOR_WEST); }
    static Clicks exitKey() { return key(KEY_EXIT); }

    static DATE_TIME_FORM form() { return U_DATETIME_sGetForm(); }
    static DATE_TIME_MENU_STATE state() { return form().ctrl.eMenuState; }

    std::string commands() const { return vt::readFile(root_.at("/tmp/commands.log")); }

    vt::TempRoot root_;
};

TEST_F(DateTimeForm, OpensAtTheTimeRowWithEveryFieldZeroAndTakesTheKeys)
{
    U_DATETIME_vDateTimeSetup();
    const DATE_TIME_FORM f = form();
    EXPECT_TRUE(f.bOpen);
    EXPECT_EQ(f.ctrl.eMenuState, EDIT_TIME);
    EXPECT_FALSE(f.ctrl.bConfirm);
    for (U32 v : {f.u32Hours, f.u32Minutes, f.u32Seconds, f.u32Month, f.u32Day, f.u32Year})
        EXPECT_EQ(v, 0u);

    const std::vector<Mail> mails = drain();
    ASSERT_EQ(mails.size(), 3u);
    EXPECT_EQ(mails[0].cmd, CMD_ID_REGISTER_LAYER);
    EXPECT_EQ(mails[0].a, DATETIME_MENU_LAYER);
    EXPECT_EQ(mails[0].b, USED_BY_ALL);
    EXPECT_EQ(mails[0].c, TRUE);
    EXPECT_EQ(mails[0].d, 0);
    EXPECT_EQ(mails[0].p, reinterpret_cast<const void*>(U_DATETIME_vDrawDateTimeMenu));
    // Every key but the cursor on key down; the cursor repeating.
    EXPECT_EQ(mails[1].a, 0xFFEF);
    EXPECT_EQ(mails[1].b, M_SYSTIME_EDIT);
    EXPECT_EQ(mails[1].c, NOT_CURSOR_KEY * 100 + REGISTER_DIALOG_BOX);
    EXPECT_EQ(mails[1].d, KEY_DOWN * 100);
    EXPECT_EQ(mails[2].a, 0x10);
    EXPECT_EQ(mails[2].c, CURSOR_4 * 100 + REGISTER_DIALOG_BOX);
    EXPECT_EQ(mails[2].d, KEY_DOWN * 100 + 11);
}

TEST_F(DateTimeForm, RowsAndFieldsFollowTheCursor)
{
    U_DATETIME_vDateTimeSetup();
    struct Step {
        Clicks (*press)();
        DATE_TIME_MENU_STATE after;
        Clicks clicks;
    } steps[] = {
        {up, EDIT_TIME, BAD},          {left, EDIT_TIME, BAD},        {right, EDIT_HOURS, GOOD},
        {right, EDIT_MINUTES, GOOD},   {right, EDIT_SECONDS, GOOD},   {right, EDIT_DATE, GOOD},
        {right, EDIT_MONTH, GOOD},     {left, EDIT_DATE, GOOD},       {right, EDIT_MONTH, GOOD},
        {right, EDIT_DAY, GOOD},       {right, EDIT_YEAR, GOOD},      {left, EDIT_DAY, GOOD},
        {right, EDIT_YEAR, GOOD},      {right, EDIT_SAVE, GOOD},      {down, EDIT_SAVE, BAD},
        {right, EDIT_SAVE, BAD},       {up, EDIT_DATE, GOOD},         {up, EDIT_TIME, GOOD},
        {down, EDIT_DATE, GOOD},       {down, EDIT_SAVE, GOOD},
    };
    int i = 0;
    for (const Step& s : steps) {
        EXPECT_EQ(s.press(), s.clicks) << "step " << i;
        EXPECT_EQ(state(), s.after) << "step " << i;
        ++i;
    }
    // Right on Save without a change keeps the form open.
    EXPECT_TRUE(form().bOpen);
    EXPECT_TRUE(key(KEY_CURSOR, CURSOR_NORTH_EAST).bad);
    EXPECT_TRUE(key(KEY_MENU).bad);
    EXPECT_EQ(state(), EDIT_SAVE);
}

TEST_F(DateTimeForm, FieldsWrapAtTheirLimits)
{
    U_DATETIME_vDateTimeSetup();
    right(); // hours
    EXPECT_EQ(down(), GOOD);
    EXPECT_EQ(form().u32Hours, 23u);
    up();
    EXPECT_EQ(form().u32Hours, 0u);
    right();
    down();
    EXPECT_EQ(form().u32Minutes, 59u);
    right();
    up();
    EXPECT_EQ(form().u32Seconds, 1u);
    right(); // date row
    right(); // month
    down();
    EXPECT_EQ(form().u32Month, 12u); // from 0
    up();
    EXPECT_EQ(form().u32Month, 1u);
    down();
    EXPECT_EQ(form().u32Month, 12u);
    up();
    up();
    EXPECT_EQ(form().u32Month, 2u);
    right(); // day
    up();
    EXPECT_EQ(form().u32Day, 1u);
    down();
    EXPECT_EQ(form().u32Day, 31u);
    up();
    EXPECT_EQ(form().u32Day, 1u);
    right(); // year
    down();
    EXPECT_EQ(form().u32Year, 38u);
    up();
    EXPECT_EQ(form().u32Year, 0u);
    EXPECT_TRUE(form().ctrl.bDateTimeChanged);
}

TEST_F(DateTimeForm, ExitAfterAChangeAsksAndRightSetsTheClock)
{
    U_DATETIME_vDateTimeSetup();
    // 13:07:09 on 03/05/24.
    right();
    for (int i = 0; i < 13; ++i)
        up();
    right();
    for (int i = 0; i < 7; ++i)
        up();
    right();
    for (int i = 0; i < 9; ++i)
        up();
    right();
    right();
    for (int i = 0; i < 3; ++i)
        up();
    right();
    for (int i = 0; i < 5; ++i)
        up();
    right();
    for (int i = 0; i < 24; ++i)
        up();
    drain();

    EXPECT_EQ(exitKey(), GOOD);
    EXPECT_TRUE(form().ctrl.bConfirm);
    EXPECT_TRUE(form().bOpen);
    EXPECT_EQ(commands(), "");
    EXPECT_EQ(right(), GOOD);
    EXPECT_EQ(commands(), "date -u -s 2024.03.05-13:07:09 > /dev/null\n");
    const DATE_TIME_FORM f = form();
    EXPECT_FALSE(f.bOpen);
    EXPECT_FALSE(f.ctrl.bConfirm);
    EXPECT_FALSE(f.ctrl.bDateTimeChanged);
    EXPECT_EQ(f.ctrl.eMenuState, EDIT_TIME);

    // Closed: the layer and both key registrations go.
    const std::vector<Mail> mails = drain();
    ASSERT_EQ(mails.size(), 3u);
    EXPECT_EQ(mails[0].cmd, CMD_ID_UNREGISTER_LAYER);
    EXPECT_EQ(mails[0].a, DATETIME_MENU_LAYER);
    EXPECT_EQ(mails[1].cmd, CMD_ID_UNREGISTER_FOR_KEYS);
    EXPECT_EQ(mails[1].a, 0xFFEF);
    EXPECT_EQ(mails[1].b, M_SYSTIME_EDIT);
    EXPECT_EQ(mails[2].a, 0x10);

    // A key after the close changes nothing.
    EXPECT_EQ(right(), NONE);
    EXPECT_EQ(exitKey(), NONE);
    EXPECT_TRUE(drain().empty());
}

TEST_F(DateTimeForm, LeftOnTheConfirmationDiscardsAndExitWithoutChangeCloses)
{
    U_DATETIME_vDateTimeSetup();
    right();
    up();
    EXPECT_EQ(exitKey(), GOOD);
    EXPECT_EQ(left(), GOOD);
    EXPECT_FALSE(form().bOpen);
    EXPECT_FALSE(form().ctrl.bDateTimeChanged);
    EXPECT_EQ(commands(), "");

    U_DATETIME_vDateTimeSetup();
    drain();
    EXPECT_EQ(exitKey(), NONE);
    EXPECT_FALSE(form().bOpen);
    EXPECT_EQ(drain().size(), 3u);
}

TEST_F(DateTimeForm, NoDateIsSetWhileMonthOrDayIsZero)
{
    U_DATETIME_vDateTimeSetup();
    right();
    up(); // 01:00:00 on 00/00/00
    exitKey();
    EXPECT_EQ(right(), BAD);
    EXPECT_TRUE(form().bOpen);
    EXPECT_TRUE(form().ctrl.bConfirm);
    EXPECT_EQ(commands(), "");
    // With a month and a day it goes through, 31 February carried on.
    left(); // discards
    U_DATETIME_vDateTimeSetup();
    down();
    right(); // month
    up();
    up();
    right(); // day
    down(); // 31
    right();
    right(); // Save
    EXPECT_EQ(right(), GOOD);
    EXPECT_EQ(commands(), "date -u -s 2000.03.02-00:00:00 > /dev/null\n");
}

TEST_F(DateTimeForm, MailboxServingHandsKeyMailsToTheFormAndAcknowledges)
{
    U_DATETIME_vDateTimeSetup();
    auto* mail = static_cast<MSG_KEY_CHANGE*>(H_MEMORY_pvMalloc(sizeof(MSG_KEY_CHANGE)));
    memset(static_cast<void*>(mail), 0, sizeof *mail);
    mail->header.Cmd = CMD_ID_KEY_CHANGE;
    mail->key = KEY_CURSOR;
    mail->state = KEY_DOWN;
    mail->cursor = CURSOR_EAST;
    ASSERT_EQ(L_MBOX_Send(M_SYSTIME_EDIT, &mail->header.msghdr, 1, 0), 0);
    auto* other = static_cast<GENERIC_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(GENERIC_MESSAGE)));
    other->Cmd = CMD_ID_RUN_SYSTEM;
    ASSERT_EQ(L_MBOX_Send(M_SYSTIME_EDIT, &other->msghdr, 3, 0), 0);
    U_DATETIME_vServeMailbox();
    EXPECT_EQ(state(), EDIT_HOURS);
    EXPECT_EQ(L_MBOX_Receive(M_SYSTIME_EDIT), nullptr);
}

TEST_F(DateTimeForm, SetupActionOpensTheForm)
{
    U_DATETIME_vRegisterSetupAction(TRUE);
    const std::vector<Mail> mails = drain();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].cmd, CMD_ID_REGISTER_MENU_ITEM);
    EXPECT_EQ(mails[0].p, T_MENU_pSetupTabName);
    EXPECT_EQ(mails[0].a, M_ACTION);
    EXPECT_EQ(mails[0].c, 1);
    U_DATETIME_vRegisterSetupAction(FALSE);
    ASSERT_EQ(drain().size(), 1u);
}

TEST_F(DateTimeForm, PictureOfTheFormWithItsConfirmation)
{
    U_DATETIME_vDateTimeSetup();
    right();
    for (int i = 0; i < 9; ++i)
        up();
    right();
    down(); // 09:59:00
    right();
    right();
    right(); // month
    up();
    up(); // 02/00/00
    right();
    right();
    right(); // the Save row
    exitKey();
    gt::TestBitmap screen(800, 600);
    G_BMP_vSet(screen, dtest::BACKGROUND);
    U_DATETIME_vDrawDateTimeMenu(screen, nullptr);
    dtest::expectGolden(screen, "datetime_confirm");
}

} // namespace
