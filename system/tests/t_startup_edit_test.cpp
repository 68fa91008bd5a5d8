// The network address editor: key scripts over the form, the clicks of
// held keys, leaving with and without changes, what a save stores and
// mails, the confirmation queue, the address texts, and the form and its
// confirmation as drawn.
//
// The test plays the start-up task: it offers each key to the confirmation
// handler, then to the editor. The keyboard task ("TKBD", mailbox 10), the
// view task ("TVUE", mailbox 5) and the Ethernet task (mailbox 45) are
// mailboxes it reads; clicks and frame requests are read off their
// semaphores.
#include "system/t_startup_edit.h"

#include "graphics/color.h"
#include "graphics/g_icon.h"
#include "graphics/g_png.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_sema.h"
#include "store/h_database.h"
#include "testing/t_proc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr MBOX VIEW_MAILBOX = 5;
constexpr MBOX KEYBOARD_MAILBOX = 10;
constexpr MBOX ETHERNET_MAILBOX = 45;
constexpr COLOR SCREEN = 0x1234; // no colour of the form

constexpr U32 ip(U32 a, U32 b, U32 c, U32 d) { return a << 24 | b << 16 | c << 8 | d; }

// One mail as it arrived; the mail is freed.
struct Mail {
    CMD_ID cmd;
    PRIORITY priority;
    SEMA sema;
    std::vector<U8> bytes;
    template <typename MAIL>
    const MAIL& as() const
    {
        return *reinterpret_cast<const MAIL*>(bytes.data());
    }
};

size_t mailSize(CMD_ID cmd)
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
    case CMD_ID_SAVE_IP_SETUP:
        return sizeof(MSG_SAVE_IP_SETUP);
    default:
        return sizeof(GENERIC_MESSAGE);
    }
}

std::vector<Mail> drain(MBOX mbox)
{
    std::vector<Mail> out;
    while (MSGHEADER* pHeader = L_MBOX_Receive(mbox)) {
        const auto* pMsg = reinterpret_cast<const GENERIC_MESSAGE*>(pHeader);
        Mail m{pMsg->Cmd, pHeader->MsgPriority, pHeader->sema, std::vector<U8>(sizeof(MSG_REGISTER_LAYER) + 64)};
        memcpy(m.bytes.data(), pHeader, mailSize(pMsg->Cmd));
        out.push_back(std::move(m));
        H_MEMORY_vFree(pHeader);
    }
    return out;
}

// What one key did.
struct Response {
    bool taken = false;
    bool good = false;
    bool bad = false;
    bool frame = false;
    bool operator==(const Response&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Response& r)
{
    return os << "{taken " << r.taken << ", good " << r.good << ", bad " << r.bad << ", frame " << r.frame << "}";
}
constexpr Response CLICK = {true, true, false, true};
constexpr Response SILENT = {true, false, false, true}; // seen, nothing heard
constexpr Response REFUSED = {true, false, true, true};
constexpr Response NOT_TAKEN = {false, false, false, false};
constexpr Response SWALLOWED = {true, false, false, false};

bool signalled(SEMA s) { return L_SEMA_WaitTicks(s, 1) == 0; }

Response key(U32 u32Key, CURSOR_POSITION cursor = CURSOR_UP, U32 count = 1, KEY_STATE state = KEY_DOWN)
{
    for (SEMA s : {SEMA_KEYCLICK_GOOD, SEMA_KEYCLICK_BAD, SEMA_VIEW_UPDATE})
        L_SEMA_SetPending(s);
    MSG_KEY_CHANGE msg = {};
    msg.header.Cmd = CMD_ID_KEY_CHANGE;
    msg.key = u32Key;
    msg.state = state;
    msg.count = count;
    msg.cursor = cursor;
    Response r;
    r.taken = T_STARTUP_EDIT_bHandleConfKeys(&msg) || T_STARTUP_EDIT_bHandleKeys(&msg);
    r.good = signalled(SEMA_KEYCLICK_GOOD);
    r.bad = signalled(SEMA_KEYCLICK_BAD);
    r.frame = signalled(SEMA_VIEW_UPDATE);
    return r;
}
Response cursor(CURSOR_POSITION direction, U32 count = 1) { return key(KEY_CURSOR, direction, count); }
Response exitKey() { return key(KEY_EXIT); }

// A script of presses: U R D L cursor directions, X the EXIT key.
void play(const char* script)
{
    for (const char* p = script; *p != '\0'; ++p) {
        switch (*p) {
        case 'U':
            cursor(CURSOR_NORTH);
            break;
        case 'R':
            cursor(CURSOR_EAST);
            break;
        case 'D':
            cursor(CURSOR_SOUTH);
            break;
        case 'L':
            cursor(CURSOR_WEST);
            break;
        case 'X':
            exitKey();
            break;
        default:
            break;
        }
    }
}

IP_ADDRESS_EDIT record()
{
    IP_ADDRESS_EDIT r;
    T_STARTUP_EDIT_eGetEditRecord(&r);
    return r;
}
bool isOpen() { return T_STARTUP_EDIT_eGetEditRecord(nullptr) == STARTUP_EDIT_IPADDRESS; }

std::optional<U32> stored(const char (&k)[5])
{
    U32 v = 0;
    if (!H_DATABASE_bFetchU32(FCID(k), &v, nullptr, nullptr))
        return std::nullopt;
    return v;
}
void store(const char (&k)[5], U32 v) { H_DATABASE_bUpdateValueU32(FCID(k), v, P_NORMAL); }

// The stored setup every test starts from unless it says otherwise.
struct Stored {
    std::optional<U32> mode = 0;
    std::optional<U32> address = ip(192, 168, 1, 9);
    std::optional<U32> mask = ip(255, 255, 255, 0);
    std::optional<U32> gateway = ip(192, 168, 1, 1);
};

class Editor : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const bool once = [] {
            H_DATABASE_vInit();
            U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
            G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
            H_DATABASE_bUpdateEverythingU32(FCID("TKBD"), KEYBOARD_MAILBOX, P_NORMAL, D_MAILBOX, nullptr,
                                            DB_TIMEOUT_NEVER);
            H_DATABASE_bUpdateEverythingU32(FCID("TVUE"), VIEW_MAILBOX, P_NORMAL, D_MAILBOX, nullptr,
                                            DB_TIMEOUT_NEVER);
            return true;
        }();
        (void)once;
        reset();
    }
    void TearDown() override { reset(); }

    // Every confirmation answered no, the editor closed, the setup keys
    // never written, the mailboxes empty.
    static void reset()
    {
        MSG_KEY_CHANGE exitMsg = {};
        exitMsg.key = KEY_EXIT;
        exitMsg.state = KEY_DOWN;
        exitMsg.count = 1;
        while (T_STARTUP_EDIT_bHandleConfKeys(&exitMsg)) {
        }
        T_STARTUP_EDIT_vResetState();
        for (FOURCHARID k : {FCID("SIPD"), FCID("SIPA"), FCID("SIPM"), FCID("SIPG"), FCID("SMAC")})
            H_DATABASE_vDeleteEntry(k);
        for (MBOX m : {VIEW_MAILBOX, KEYBOARD_MAILBOX, ETHERNET_MAILBOX})
            drain(m);
    }

    static void open(const Stored& s = Stored{})
    {
        if (s.mode)
            store("SIPD", *s.mode);
        if (s.address)
            store("SIPA", *s.address);
        if (s.mask)
            store("SIPM", *s.mask);
        if (s.gateway)
            store("SIPG", *s.gateway);
        T_STARTUP_EDIT_vIPAddressSetup();
    }
};

// ---- Key scripts ------------------------------------------------------------------

TEST_F(Editor, OpeningLoadsTheStoredSetupAndTakesKeysAndLayer)
{
    L_SEMA_SetPending(SEMA_KEYCLICK_GOOD);
    open();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
    const IP_ADDRESS_EDIT r = record();
    EXPECT_TRUE(isOpen());
    EXPECT_EQ(r.eState, IPA_EDIT_MODE);
    EXPECT_EQ(r.nMode, 0u);
    EXPECT_STREQ(r.sIPAddress, "192.168.001.009");
    EXPECT_STREQ(r.sSubnetMask, "255.255.255.000");
    EXPECT_STREQ(r.sDefaultGateway, "192.168.001.001");
    EXPECT_FALSE(r.bDirty);

    const auto keys = drain(KEYBOARD_MAILBOX);
    ASSERT_EQ(keys.size(), 2u);
    const auto& others = keys[0].as<MSG_REGISTER_FOR_KEYS>();
    EXPECT_EQ(keys[0].cmd, CMD_ID_REGISTER_FOR_KEYS);
    EXPECT_EQ(others.keys, 0xFFEFu);
    EXPECT_EQ(others.mailbox, 17);
    EXPECT_EQ(others.state, KEY_DOWN);
    EXPECT_FALSE(others.repeat);
    EXPECT_FALSE(others.accelerate);
    EXPECT_EQ(others.cursor_mode, NOT_CURSOR_KEY);
    EXPECT_EQ(others.usage, REGISTER_DIALOG_BOX);
    const auto& cursorKey = keys[1].as<MSG_REGISTER_FOR_KEYS>();
    EXPECT_EQ(cursorKey.keys, KEY_CURSOR);
    EXPECT_EQ(cursorKey.mailbox, 17);
    EXPECT_TRUE(cursorKey.repeat);
    EXPECT_TRUE(cursorKey.accelerate);
    EXPECT_EQ(cursorKey.cursor_mode, CURSOR_4);
    EXPECT_EQ(cursorKey.usage, REGISTER_DIALOG_BOX);

    const auto layers = drain(VIEW_MAILBOX);
    ASSERT_EQ(layers.size(), 1u);
    const auto& layer = layers[0].as<MSG_REGISTER_LAYER>();
    EXPECT_EQ(layers[0].cmd, CMD_ID_REGISTER_LAYER);
    EXPECT_EQ(layer.layer, 299);
    EXPECT_EQ(layer.where_used, USED_BY_ALL);
    EXPECT_EQ(layer.pDrawFunction, &T_STARTUP_EDIT_vRenderIPAddressSetup);
    EXPECT_EQ(layer.fcidDisplayFlag, 0u);
    EXPECT_TRUE(layer.bDisplay);

    // Opening again reloads, without taking keys or layer a second time.
    play("RU");
    ASSERT_TRUE(record().bDirty);
    T_STARTUP_EDIT_vIPAddressSetup();
    EXPECT_FALSE(record().bDirty);
    EXPECT_EQ(record().eState, IPA_EDIT_MODE);
    EXPECT_TRUE(drain(KEYBOARD_MAILBOX).empty());
    EXPECT_TRUE(drain(VIEW_MAILBOX).empty());
}

TEST_F(Editor, MissingKeysOpenAsStaticZeros)
{
    open(Stored{std::nullopt, std::nullopt, std::nullopt, std::nullopt});
    const IP_ADDRESS_EDIT r = record();
    EXPECT_EQ(r.nMode, 0u);
    EXPECT_STREQ(r.sIPAddress, "000.000.000.000");
    EXPECT_STREQ(r.sSubnetMask, "000.000.000.000");
    EXPECT_STREQ(r.sDefaultGateway, "000.000.000.000");
}

TEST_F(Editor, KeyScriptsMoveThroughTheFormAndEditOctets)
{
    struct Case {
        const char* what;
        U32 mode;
        const char* script;
        IPA_EDIT_STATE state;
        S32 position;
        const char* address;
        const char* mask;
        U32 resultMode;
        bool dirty;
    };
    const char* A = "192.168.001.009";
    const char* M = "255.255.255.000";
    const Case cases[] = {
        {"right walks the octets", 0, "DRRR", IPA_EDIT_ADDR_VALUE, 8, A, M, 0, false},
        {"right from octet 4 goes to the Save row", 0, "DRRRRR", IPA_EDIT_SAVE, 0, A, M, 0, false},
        {"left from octet 1 goes back to the Address row", 0, "DRL", IPA_EDIT_ADDR, 0, A, M, 0, false},
        {"left steps back one octet", 0, "DRRRL", IPA_EDIT_ADDR_VALUE, 4, A, M, 0, false},
        {"up adds one in place, three digits kept", 0, "DRRRRU", IPA_EDIT_ADDR_VALUE, 12, "192.168.001.010", M, 0,
         true},
        {"up on 255 gives 000", 0, "DDRRRRU", IPA_EDIT_MASK_VALUE, 12, A, "255.255.255.001", 0, true},
        {"up on 255 gives 000 (mask)", 0, "DDRU", IPA_EDIT_MASK_VALUE, 0, A, "000.255.255.000", 0, true},
        {"down on 000 gives 255", 0, "DDRRRRD", IPA_EDIT_MASK_VALUE, 12, A, "255.255.255.255", 0, true},
        {"an octet changed and changed back is still a change", 0, "DRUD", IPA_EDIT_ADDR_VALUE, 0, A, M, 0, true},
        {"down from 001 gives 000", 0, "DRRRD", IPA_EDIT_ADDR_VALUE, 8, "192.168.000.009", M, 0, true},
        {"the rows go down to Save and back up", 0, "DDDD", IPA_EDIT_SAVE, 0, A, M, 0, false},
        {"up from Save goes to the Gateway row", 0, "DDDDU", IPA_EDIT_GATE, 0, A, M, 0, false},
        {"up from the Address row goes to Mode", 0, "DU", IPA_EDIT_MODE, 0, A, M, 0, false},
        {"left on a row stays", 0, "DDL", IPA_EDIT_MASK, 0, A, M, 0, false},
        {"down on Save stays, left does nothing", 0, "DDDDDL", IPA_EDIT_SAVE, 0, A, M, 0, false},
        {"dynamic: down from Mode lands on Save", 1, "D", IPA_EDIT_SAVE, 0, A, M, 1, false},
        {"dynamic: up from Save lands on Mode", 1, "DU", IPA_EDIT_MODE, 0, A, M, 1, false},
        {"the mode toggles", 0, "RU", IPA_EDIT_MODE_VALUE, 0, A, M, 1, true},
        {"two mode toggles still count as a change", 0, "RUD", IPA_EDIT_MODE_VALUE, 0, A, M, 0, true},
        {"right on the mode value does nothing", 0, "RR", IPA_EDIT_MODE_VALUE, 0, A, M, 0, false},
        {"left from the mode value goes back to its row", 0, "RL", IPA_EDIT_MODE, 0, A, M, 0, false},
        {"EXIT from a value goes back to its row", 0, "DDDRRX", IPA_EDIT_GATE, 0, A, M, 0, false},
        {"a toggled mode changes where down goes", 0, "RUXD", IPA_EDIT_SAVE, 0, A, M, 1, true},
    };
    for (const Case& c : cases) {
        reset();
        Stored s;
        s.mode = c.mode;
        open(s);
        play(c.script);
        const IP_ADDRESS_EDIT r = record();
        EXPECT_TRUE(isOpen()) << c.what;
        EXPECT_EQ(r.eState, c.state) << c.what;
        EXPECT_EQ(r.nPosition, c.position) << c.what;
        EXPECT_STREQ(r.sIPAddress, c.address) << c.what;
        EXPECT_STREQ(r.sSubnetMask, c.mask) << c.what;
        EXPECT_EQ(r.nMode, c.resultMode) << c.what;
        EXPECT_EQ((bool)r.bDirty, c.dirty) << c.what;
    }
}

TEST_F(Editor, RowChangesClickOnEveryRepeatOctetChangesOnTheFirstPressOnly)
{
    open();
    struct Step {
        const char* what;
        CURSOR_POSITION direction;
        U32 count;
        Response expected;
    };
    const Step steps[] = {
        {"row change, first press", CURSOR_SOUTH, 1, CLICK},
        {"row change, repeat", CURSOR_SOUTH, 3, CLICK},
        {"row change to the same row, repeat", CURSOR_WEST, 4, CLICK},
        {"into the value, repeat", CURSOR_EAST, 2, CLICK},
        {"octet up, first press", CURSOR_NORTH, 1, CLICK},
        {"octet up, repeat", CURSOR_NORTH, 2, SILENT},
        {"octet up, accelerated repeat", CURSOR_NORTH, 7, SILENT},
        {"next octet, repeat", CURSOR_EAST, 2, SILENT},
        {"a direction the form ignores", CURSOR_UP, 1, SILENT},
        {"a diagonal", CURSOR_NORTH_EAST, 1, SILENT},
    };
    for (const Step& s : steps)
        EXPECT_EQ(cursor(s.direction, s.count), s.expected) << s.what;
    EXPECT_STREQ(record().sSubnetMask, "002.255.255.000");
    EXPECT_STREQ(record().sIPAddress, "192.168.001.009");
    play("X");
    ASSERT_EQ(record().eState, IPA_EDIT_MASK);
    EXPECT_EQ(cursor(CURSOR_SOUTH, 1), CLICK);
    EXPECT_EQ(cursor(CURSOR_SOUTH, 1), CLICK);
    EXPECT_EQ(cursor(CURSOR_SOUTH, 1), CLICK) << "Save stays Save and still clicks";
    EXPECT_EQ(cursor(CURSOR_WEST, 1), SILENT) << "no cell: nothing heard";
}

TEST_F(Editor, KeysItDoesNotUse)
{
    EXPECT_EQ(cursor(CURSOR_SOUTH), NOT_TAKEN) << "closed";
    EXPECT_EQ(exitKey(), NOT_TAKEN) << "closed";
    open();
    EXPECT_EQ(key(KEY_MENU), NOT_TAKEN);
    EXPECT_EQ(key(KEY_VIEW), NOT_TAKEN);
    EXPECT_FALSE(T_STARTUP_EDIT_bHandleKeys(nullptr));
    EXPECT_FALSE(T_STARTUP_EDIT_bHandleConfKeys(nullptr));
}

// A registration for presses and releases delivers both; a release must not
// act as a second press.
TEST_F(Editor, ReleasesAreTakenWithoutEffect)
{
    open();
    play("DR");
    EXPECT_EQ(key(KEY_EXIT, CURSOR_UP, 1, KEY_UP), SWALLOWED);
    EXPECT_EQ(key(KEY_CURSOR, CURSOR_UP, 1, KEY_UP), SWALLOWED);
    EXPECT_EQ(record().eState, IPA_EDIT_ADDR_VALUE);
    play("U");
    EXPECT_EQ(exitKey(), CLICK);
    EXPECT_EQ(key(KEY_EXIT, CURSOR_UP, 1, KEY_UP), SWALLOWED);
    EXPECT_TRUE(isOpen());
    EXPECT_EQ(exitKey(), CLICK);
    EXPECT_EQ(key(KEY_EXIT, CURSOR_UP, 1, KEY_UP), SWALLOWED) << "the confirmation keeps the keys too";
    EXPECT_TRUE(isOpen());
}

// ---- Leaving the form ---------------------------------------------------------------

TEST_F(Editor, ExitWithoutChangesClosesAtOnce)
{
    open();
    drain(KEYBOARD_MAILBOX);
    drain(VIEW_MAILBOX);
    play("DDR");
    EXPECT_EQ(exitKey(), CLICK);
    EXPECT_TRUE(isOpen());
    EXPECT_EQ(exitKey(), CLICK);
    EXPECT_FALSE(isOpen());
    const auto keys = drain(KEYBOARD_MAILBOX);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].cmd, CMD_ID_UNREGISTER_FOR_KEYS);
    EXPECT_EQ(keys[0].as<MSG_UNREGISTER_FOR_KEYS>().keys, 0xFFFEu);
    EXPECT_EQ(keys[0].as<MSG_UNREGISTER_FOR_KEYS>().mailbox, 17);
    const auto layers = drain(VIEW_MAILBOX);
    ASSERT_EQ(layers.size(), 1u);
    EXPECT_EQ(layers[0].cmd, CMD_ID_UNREGISTER_LAYER);
    EXPECT_EQ(layers[0].as<MSG_UNREGISTER_LAYER>().layer, 299);
    EXPECT_TRUE(drain(ETHERNET_MAILBOX).empty());
    EXPECT_EQ(cursor(CURSOR_SOUTH), NOT_TAKEN) << "the start-up task has its keys back";
}

TEST_F(Editor, ExitAfterAChangeAsksAndTheAnswerDecides)
{
    struct Case {
        const char* what;
        std::function<Response()> answer;
        bool saved;
    };
    const Case cases[] = {
        {"right answers yes", [] { return cursor(CURSOR_EAST); }, true},
        {"left answers no", [] { return cursor(CURSOR_WEST); }, false},
        {"EXIT answers no", [] { return exitKey(); }, false},
    };
    for (const Case& c : cases) {
        reset();
        open();
        play("DRRRRU"); // 192.168.001.010
        EXPECT_EQ(exitKey(), CLICK) << c.what;
        drain(KEYBOARD_MAILBOX);
        drain(VIEW_MAILBOX);
        EXPECT_EQ(exitKey(), CLICK) << c.what;
        EXPECT_TRUE(isOpen()) << c.what << ": the form stays beneath the question";
        const auto asked = drain(VIEW_MAILBOX);
        ASSERT_EQ(asked.size(), 1u) << c.what;
        EXPECT_EQ(asked[0].as<MSG_REGISTER_LAYER>().layer, 300) << c.what;
        EXPECT_EQ(asked[0].as<MSG_REGISTER_LAYER>().pDrawFunction, &T_STARTUP_EDIT_vRenderConf) << c.what;
        EXPECT_EQ(drain(KEYBOARD_MAILBOX).size(), 2u) << c.what << ": the question takes the keys";

        EXPECT_EQ(cursor(CURSOR_NORTH), REFUSED) << c.what << ": up is no answer";
        EXPECT_EQ(cursor(CURSOR_SOUTH), REFUSED) << c.what << ": down is no answer";
        EXPECT_EQ(record().eState, IPA_EDIT_ADDR) << c.what << ": the form sees no keys meanwhile";

        EXPECT_EQ(c.answer(), CLICK) << c.what;
        EXPECT_FALSE(isOpen()) << c.what;
        EXPECT_EQ(stored("SIPA"), c.saved ? ip(192, 168, 1, 10) : ip(192, 168, 1, 9)) << c.what;
        EXPECT_EQ(drain(ETHERNET_MAILBOX).size(), c.saved ? 1u : 0u) << c.what;
        // The form's and the question's keys and layers are all given back.
        const auto keys = drain(KEYBOARD_MAILBOX);
        ASSERT_EQ(keys.size(), 2u) << c.what;
        for (const Mail& m : keys)
            EXPECT_EQ(m.cmd, CMD_ID_UNREGISTER_FOR_KEYS) << c.what;
        std::vector<LAYER_ID> removed;
        for (const Mail& m : drain(VIEW_MAILBOX)) {
            EXPECT_EQ(m.cmd, CMD_ID_UNREGISTER_LAYER) << c.what;
            removed.push_back(m.as<MSG_UNREGISTER_LAYER>().layer);
        }
        EXPECT_EQ(removed, (std::vector<LAYER_ID>{299, 300})) << c.what;
        EXPECT_EQ(cursor(CURSOR_EAST), NOT_TAKEN) << c.what;
    }
}

TEST_F(Editor, AResetClosesWithoutSavingOrClicking)
{
    open();
    play("DRU");
    drain(KEYBOARD_MAILBOX);
    drain(VIEW_MAILBOX);
    L_SEMA_SetPending(SEMA_KEYCLICK_GOOD);
    T_STARTUP_EDIT_vResetState();
    EXPECT_FALSE(signalled(SEMA_KEYCLICK_GOOD));
    EXPECT_FALSE(isOpen());
    EXPECT_EQ(stored("SIPA"), ip(192, 168, 1, 9));
    EXPECT_TRUE(drain(ETHERNET_MAILBOX).empty());
    EXPECT_EQ(drain(KEYBOARD_MAILBOX).size(), 1u);
    EXPECT_EQ(drain(VIEW_MAILBOX).size(), 1u);
    // A second reset, and a cancel with nothing open, give nothing back
    // twice: the start-up task's own keys stay registered.
    T_STARTUP_EDIT_vResetState();
    T_STARTUP_EDIT_vEditCancel();
    EXPECT_TRUE(drain(KEYBOARD_MAILBOX).empty());
    EXPECT_TRUE(drain(VIEW_MAILBOX).empty());
}

// ---- Saving ---------------------------------------------------------------------

TEST_F(Editor, AStaticSaveStoresPackedOctetsAndMailsThemWithoutLeadingZeros)
{
    open();
    play("DRRRRU"); // address 192.168.001.010
    play("XDRRRD"); // mask 255.255.254.000
    play("XDRRRRR");       // gateway: through its octets to Save...
    ASSERT_EQ(record().eState, IPA_EDIT_SAVE);
    EXPECT_EQ(cursor(CURSOR_EAST), CLICK); // ...where right saves
    EXPECT_FALSE(isOpen());
    EXPECT_EQ(stored("SIPD"), 0u);
    EXPECT_EQ(stored("SIPA"), ip(192, 168, 1, 10));
    EXPECT_EQ(stored("SIPM"), ip(255, 255, 254, 0));
    EXPECT_EQ(stored("SIPG"), ip(192, 168, 1, 1));
    const auto mails = drain(ETHERNET_MAILBOX);
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].cmd, CMD_ID_SAVE_IP_SETUP);
    EXPECT_EQ(mails[0].priority, 3);
    EXPECT_EQ(mails[0].sema, 0);
    const auto& m = mails[0].as<MSG_SAVE_IP_SETUP>();
    EXPECT_TRUE(m.bChanged);
    EXPECT_FALSE(m.bDynamic);
    EXPECT_STREQ(m.sIPAddress, "192.168.1.10");
    EXPECT_STREQ(m.sSubnetMask, "255.255.254.0");
    EXPECT_STREQ(m.sDefaultGateway, "192.168.1.1");
}

TEST_F(Editor, ADynamicSaveStoresTheModeAloneAndMailsNoAddresses)
{
    open();
    play("DRRRRU"); // an address edit that dynamic mode leaves unsaved
    play("XUURUX");  // mode to dynamic
    EXPECT_EQ(record().nMode, 1u);
    play("DR");
    EXPECT_FALSE(isOpen());
    EXPECT_EQ(stored("SIPD"), 1u);
    EXPECT_EQ(stored("SIPA"), ip(192, 168, 1, 9));
    const auto mails = drain(ETHERNET_MAILBOX);
    ASSERT_EQ(mails.size(), 1u);
    const auto& m = mails[0].as<MSG_SAVE_IP_SETUP>();
    EXPECT_TRUE(m.bChanged);
    EXPECT_TRUE(m.bDynamic);
    EXPECT_STREQ(m.sIPAddress, "");
    EXPECT_STREQ(m.sSubnetMask, "");
    EXPECT_STREQ(m.sDefaultGateway, "");
}

// The Ethernet task rewrites the interface from the mail whatever bChanged
// says: a save without changes must still carry the stored setup.
TEST_F(Editor, ASaveWithoutChangesWritesNothingAndMailsTheStoredSetup)
{
    open(Stored{std::nullopt, ip(10, 0, 0, 2), ip(255, 0, 0, 0), ip(10, 0, 0, 1)});
    play("DDDDR");
    EXPECT_FALSE(isOpen());
    EXPECT_EQ(stored("SIPD"), std::nullopt) << "nothing written";
    const auto mails = drain(ETHERNET_MAILBOX);
    ASSERT_EQ(mails.size(), 1u);
    const auto& m = mails[0].as<MSG_SAVE_IP_SETUP>();
    EXPECT_FALSE(m.bChanged);
    EXPECT_FALSE(m.bDynamic);
    EXPECT_STREQ(m.sIPAddress, "10.0.0.2");
    EXPECT_STREQ(m.sSubnetMask, "255.0.0.0");
    EXPECT_STREQ(m.sDefaultGateway, "10.0.0.1");
}

// ---- The address texts -------------------------------------------------------------

TEST_F(Editor, AddressTexts)
{
    store("SIPA", ip(192, 168, 1, 10));
    store("SIPM", ip(255, 255, 255, 255));
    char s[IP_ADDRESS_TEXT_SIZE];
    struct Case {
        const char* name;
        FOURCHARID key;
        const char* padded;
        const char* plain;
    };
    const Case cases[] = {
        {"SIPA", FCID("SIPA"), "192.168.001.010", "192.168.1.10"},
        {"SIPM", FCID("SIPM"), "255.255.255.255", "255.255.255.255"},
        {"SIPG never written", FCID("SIPG"), "000.000.000.000", "0.0.0.0"},
    };
    for (const Case& c : cases) {
        memset(s, 'x', sizeof s);
        T_STARTUP_EDIT_vFormatAddress(c.key, s);
        EXPECT_STREQ(s, c.padded) << c.name;
        T_STARTUP_EDIT_vFormatAddressLinux(c.key, s);
        EXPECT_STREQ(s, c.plain) << c.name;
    }

    char mac[MAC_ADDRESS_TEXT_SIZE + 1];
    memset(mac, 'x', sizeof mac);
    T_STARTUP_EDIT_vFormatMACAddress(mac);
    EXPECT_EQ(strlen(mac), 17u);
    const std::string prefix(mac, 9);
    EXPECT_STREQ(mac + 8, ":00:00:00") << "no SMAC";
    store("SMAC", 0x12ABCDEF);
    T_STARTUP_EDIT_vFormatMACAddress(mac);
    EXPECT_EQ(std::string(mac, 9), prefix) << "the prefix is fixed";
    EXPECT_STREQ(mac + 8, ":ab:cd:ef") << "the low 24 bits, lower case";
}

// ---- The confirmation queue --------------------------------------------------------

std::vector<std::string> s_answers;

TEST_F(Editor, ConfirmationsQueueAndAreAnsweredInOrder)
{
    s_answers.clear();
    T_STARTUP_EDIT_vConfirmationSetup("Delete all?", [] { s_answers.push_back("yes 1"); },
                                      [] { s_answers.push_back("no 1"); });
    T_STARTUP_EDIT_vConfirmationSetup("Really?", [] { s_answers.push_back("yes 2"); },
                                      [] { s_answers.push_back("no 2"); });
    T_STARTUP_EDIT_vConfirmationSetup("Null answers", nullptr, nullptr);
    EXPECT_EQ(drain(KEYBOARD_MAILBOX).size(), 2u) << "the first one takes the keys, once";
    EXPECT_EQ(drain(VIEW_MAILBOX).size(), 1u);

    EXPECT_EQ(cursor(CURSOR_EAST), SILENT) << "the answer clicks, not the queue";
    EXPECT_EQ(exitKey(), SILENT);
    EXPECT_EQ(s_answers, (std::vector<std::string>{"yes 1", "no 2"}));
    EXPECT_TRUE(drain(KEYBOARD_MAILBOX).empty()) << "one is still pending";
    EXPECT_EQ(cursor(CURSOR_WEST), CLICK) << "without an answer the queue clicks";
    const auto keys = drain(KEYBOARD_MAILBOX);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].as<MSG_UNREGISTER_FOR_KEYS>().keys, 0xFFFEu);
    const auto layers = drain(VIEW_MAILBOX);
    ASSERT_EQ(layers.size(), 1u);
    EXPECT_EQ(layers[0].as<MSG_UNREGISTER_LAYER>().layer, 300);
    EXPECT_EQ(cursor(CURSOR_WEST), NOT_TAKEN);
}

// ---- Drawing -------------------------------------------------------------------------

void expectGolden(gt::TestBitmap& screen, const char* name)
{
    gt::expectGolden(screen, "system/tests/golden", name);
}

void render(gt::TestBitmap& screen)
{
    WINDOW_SPECIFICATION spec = {};
    T_STARTUP_EDIT_vRenderIPAddressSetup(screen, &spec);
    T_STARTUP_EDIT_vRenderConf(screen, &spec);
}

TEST_F(Editor, TheFormWithAnOctetUnderEdit)
{
    open(Stored{0, ip(192, 168, 1, 10), ip(255, 255, 255, 0), ip(192, 168, 1, 1)});
    play("DRR");
    gt::TestBitmap screen(800, 600, SCREEN);
    render(screen);
    expectGolden(screen, "startup_edit_octet");
}

TEST_F(Editor, TheConfirmationOverTheForm)
{
    open(Stored{0, ip(192, 168, 1, 10), ip(255, 255, 255, 0), ip(192, 168, 1, 1)});
    play("RUX"); // dynamic now: the addresses dimmed
    play("DX");  // from the Save row
    gt::TestBitmap screen(800, 600, SCREEN);
    render(screen);
    expectGolden(screen, "startup_edit_confirm");
}

// The address strings' pixels inside the three value boxes.
struct Ink {
    size_t text = 0;
    size_t dark = 0;
};
Ink addressInk(const gt::TestBitmap& screen)
{
    Ink ink;
    for (int boxY : {344, 278, 212})
        for (int y = boxY + 2; y < boxY + 25; ++y)
            for (int x = 365; x < 570; ++x) {
                const COLOR c = screen.at(x, y);
                ink.text += c == gCOLOR_pcolColorTable[131];
                ink.dark += c == gCOLOR_pcolColorTable[130];
            }
    return ink;
}

TEST_F(Editor, DynamicModeDimsTheAddresses)
{
    open(Stored{1});
    gt::TestBitmap dynamicScreen(800, 600, SCREEN);
    render(dynamicScreen);
    const Ink dimmed = addressInk(dynamicScreen);
    EXPECT_EQ(dimmed.text, 0u);
    EXPECT_GT(dimmed.dark, 200u);

    reset();
    open(Stored{0});
    gt::TestBitmap staticScreen(800, 600, SCREEN);
    render(staticScreen);
    const Ink plain = addressInk(staticScreen);
    EXPECT_EQ(plain.text, dimmed.dark);
    EXPECT_EQ(plain.dark, 0u);
}

TEST_F(Editor, NothingIsDrawnWhileClosedOrWithoutAQuestion)
{
    gt::TestBitmap screen(800, 600, SCREEN);
    render(screen);
    EXPECT_TRUE(screen.drawn().empty());
}

// A long question keeps ten lines; the text is the editor's own copy.
TEST_F(Editor, TheQuestionIsCopiedAndCutToTenLines)
{
    std::string question;
    for (int i = 0; i < 40; ++i)
        question += "word" + std::to_string(i) + " and more ";
    std::vector<char> buffer(question.begin(), question.end());
    buffer.push_back('\0');
    T_STARTUP_EDIT_vConfirmationSetup(buffer.data(), nullptr, nullptr);
    gt::TestBitmap before(800, 600, SCREEN);
    render(before);
    std::fill(buffer.begin(), buffer.end() - 1, '#');
    gt::TestBitmap after(800, 600, SCREEN);
    render(after);
    EXPECT_EQ(before.drawn(), after.drawn());
    EXPECT_EQ(before.count(gCOLOR_pcolColorTable[68]), after.count(gCOLOR_pcolColorTable[68]));

    // The panel's navy frame is 24 rows per line and 78 high.
    int bottom = 600, top = -1;
    for (int y = 0; y < 600; ++y)
        if (before.at(400, y) == gCOLOR_pcolColorTable[67]) {
            bottom = std::min(bottom, y);
            top = std::max(top, y);
        }
    EXPECT_EQ(top - bottom + 1, 24 * 10 + 78);
}

// Frames are drawn in the view task's thread while the start-up task
// answers questions and closes the form: a frame must never read a
// question or a record that is being freed or rewritten.
TEST_F(Editor, FramesDrawnWhileQuestionsComeAndGo)
{
    std::atomic<bool> stop{false};
    std::atomic<int> frames{0};
    std::thread viewTask([&stop, &frames] {
        gt::TestBitmap screen(800, 600, SCREEN);
        while (!stop.load()) {
            render(screen);
            ++frames;
            std::this_thread::yield();
        }
    });
    // Enough rounds and enough frames among them, however slow the frames.
    for (int i = 0; i < 2000 && (i < 30 || frames.load() < 10); ++i) {
        open();
        play("DRU");
        T_STARTUP_EDIT_vConfirmationSetup("Save Changes?", nullptr, nullptr);
        cursor(i % 2 == 0 ? CURSOR_EAST : CURSOR_WEST);
        play("XX");
        cursor(CURSOR_WEST);
        for (MBOX m : {VIEW_MAILBOX, KEYBOARD_MAILBOX, ETHERNET_MAILBOX})
            drain(m);
        std::this_thread::yield();
    }
    stop.store(true);
    viewTask.join();
    EXPECT_FALSE(isOpen());
    EXPECT_EQ(exitKey(), NOT_TAKEN) << "every question answered";
}

} // namespace
