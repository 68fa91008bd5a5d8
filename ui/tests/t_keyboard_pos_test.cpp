// The store-demo script player, its lines played one by one in the test's
// thread: the data store, the fonts and a test mailbox published as a task
// (so that the resets of every task can be counted).
#include "ui/t_keyboard_pos.h"

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "store/h_database.h"
#include "platform/fbdev.h"
#include "platform/h_display.h"
#include "graphics/g_bmp.h"
#include "kernel/l_clock.h"
#include "testing/t_root.h"
#include "ui/t_view_capture.h"
#include "ui/tests/draw_fixture.h"
#include "ui/neighbour_standins.h"
#include "ui/u_view.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

constexpr MBOX TASK_MBOX = 60;
constexpr MBOX KEYBOARD_MBOX = 61;
constexpr MBOX VIEW_MBOX = 62;

vt::TempRoot& root()
{
    static vt::TempRoot r;
    return r;
}

// The unit root (for the cards), the data store, the fonts, and test
// mailboxes standing for some task, the keyboard task and the view task.
void world()
{
    static const bool once = [] {
        root().exportEnv();
        dtest::prepareWorld();
        H_DATABASE_bUpdateEverythingU32(FCID("TTST"), TASK_MBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
        H_DATABASE_bUpdateEverythingU32(FCID("TKBD"), KEYBOARD_MBOX, P_NORMAL, D_MAILBOX, nullptr,
                                        DB_TIMEOUT_NEVER);
        H_DATABASE_bUpdateEverythingU32(FCID("TVUE"), VIEW_MBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
        return true;
    }();
    (void)once;
}

// The key (un)registrations and layer (un)registrations mailed since the
// last call, as "+keys" / "-keys" / "+layer" / "-layer".
std::vector<std::string> registrations()
{
    std::vector<std::string> out;
    while (MSGHEADER* p = L_MBOX_Receive(KEYBOARD_MBOX)) {
        const auto* g = reinterpret_cast<GENERIC_MESSAGE*>(p);
        if (g->Cmd == CMD_ID_REGISTER_FOR_KEYS) {
            const auto* r = reinterpret_cast<MSG_REGISTER_FOR_KEYS*>(p);
            out.push_back("+keys " + std::to_string(r->keys) + " " + std::to_string(r->usage));
        } else if (g->Cmd == CMD_ID_UNREGISTER_FOR_KEYS) {
            out.push_back("-keys " + std::to_string(reinterpret_cast<MSG_UNREGISTER_FOR_KEYS*>(p)->keys));
        }
        H_MEMORY_vDumpMail(p);
    }
    while (MSGHEADER* p = L_MBOX_Receive(VIEW_MBOX)) {
        const auto* g = reinterpret_cast<GENERIC_MESSAGE*>(p);
        if (g->Cmd == CMD_ID_REGISTER_LAYER)
            out.push_back("+layer " + std::to_string(reinterpret_cast<MSG_REGISTER_LAYER*>(p)->layer));
        else if (g->Cmd == CMD_ID_UNREGISTER_LAYER)
            out.push_back("-layer " + std::to_string(reinterpret_cast<MSG_UNREGISTER_LAYER*>(p)->layer));
        H_MEMORY_vDumpMail(p);
    }
    return out;
}

// Resets every task was sent since the last call.
int resets()
{
    int n = 0;
    while (MSGHEADER* p = L_MBOX_Receive(TASK_MBOX)) {
        if (reinterpret_cast<GENERIC_MESSAGE*>(p)->Cmd == CMD_ID_RESET_POS)
            ++n;
        H_MEMORY_vDumpMail(p);
    }
    return n;
}

U32 fetch(const char (&key)[5])
{
    U32 v = 0xDEADBEEF;
    H_DATABASE_bFetchU32(FCID(key), &v, nullptr, nullptr);
    return v;
}

class Script : public ::testing::Test {
protected:
    void SetUp() override
    {
        world();
        resets();
    }
    void play(const std::string& text)
    {
        text_ = text;
        T_KEYBOARD_vPOSUseScript(text_.data(), (U32)text_.size());
    }
    TICKS step() { return T_KEYBOARD_tProcessPOSScript(); }
    void steps(int n)
    {
        for (int i = 0; i < n; ++i)
            step();
    }
    void rightCursor()
    {
        MSG_KEY_CHANGE key = {};
        key.key = KEY_CURSOR;
        key.state = KEY_DOWN;
        key.cursor = CURSOR_EAST;
        T_KEYBOARD_vPOSHandleKey(&key);
    }
    std::string text_;
};

TEST_F(Script, CommandsTakeTheirDelaysAndWaitsCountInTenthsCut)
{
    struct Case {
        const char* line;
        TICKS ticks;
    };
    const Case cases[] = {
        {"WAIT 2.55", 2500}, {"wait 1", 1000}, {"WAIT 0.19", 100}, {"SET ABCD 1", 300},
        {"NOBALLOON", 100},  {"FROB 12", 100}, {"ENDBALLOON", 100},
    };
    for (const Case& c : cases) {
        play(std::string(c.line) + "\n");
        EXPECT_EQ(c.ticks, step()) << c.line;
        EXPECT_EQ(NO_ERROR, T_KEYBOARD_ePOSError()) << c.line;
    }
}

TEST_F(Script, SetReadsDecimalHexadecimalAndOctalValues)
{
    play("SET CVEW 0x23\nSET ABCD 17\nSET ABCE 012\n");
    steps(3);
    EXPECT_EQ(35u, fetch("CVEW"));
    EXPECT_EQ(17u, fetch("ABCD"));
    EXPECT_EQ(10u, fetch("ABCE"));
}

TEST_F(Script, ABadLineStopsPlayWithItsErrorUntilTheRestart)
{
    struct Case {
        const char* line;
        ERROR_CODE error;
    };
    const Case cases[] = {
        {"VIEW", ERR_NO_VIEW},
        {"VIEW NO SUCH VIEW", ERR_BAD_VIEW},
        {"CHAPTER", ERR_NO_CHAPTER},
        {"KEY", ERR_NO_KEY},
        {"KEY ENTER", ERR_BAD_KEY},
        {"WAIT", ERR_NO_WAIT},
        {"WAIT soon", ERR_NO_WAIT},
        {"BALLOON", ERR_NO_BALLOON},
        {"BALLOON 1 2 3", ERR_BALLOON_PARAMETERS},
        {"BALLOON 1 2 3 4 no title", ERR_BALLOON_PARAMETERS},
        {"SET", ERR_NO_FCID},
        {"SET CVEW", ERR_NO_FCID_DATA},
        {"PHOTO", ERR_NO_NAME},
        {"PHOTO NOSUCH.JPG", ERR_NO_PHOTO},
    };
    for (const Case& c : cases) {
        play(std::string(c.line) + "\nSET PLAY 1\n");
        H_DATABASE_bUpdateValueU32(FCID("PLAY"), 0, P_NORMAL);
        step();
        EXPECT_EQ(c.error, T_KEYBOARD_ePOSError()) << c.line;
        EXPECT_STRNE("", T_KEYBOARD_pcPOSErrorText(c.error));
        // Nothing more is played: no next step is asked for.
        EXPECT_EQ(0, step()) << c.line;
        EXPECT_EQ(0u, fetch("PLAY")) << c.line;
    }
}

TEST_F(Script, AWholeBalloonIsReadWithTitleBodyAndPointer)
{
    play("BALLOON 100 200 300 3 \"Depth finder\" 50 60\n  first line  \n[BULLET] second\nENDBALLOON\nWAIT 1\n");
    step();
    const D_BALLOON b = T_KEYBOARD_sPOSBalloon();
    EXPECT_EQ(100, b.llAnchor.x);
    EXPECT_EQ(200, b.llAnchor.y);
    EXPECT_EQ(300u, b.widthPixels);
    EXPECT_EQ(3, b.heightLines);
    EXPECT_STREQ("Depth finder", b.title);
    EXPECT_EQ(50, b.pointerAnchor.x);
    EXPECT_EQ(60, b.pointerAnchor.y);
    EXPECT_STREQ("first line\n[BULLET] second\n\r", b.text);
    EXPECT_TRUE(b.bActive);
    // The next line read is the one after the body.
    EXPECT_EQ(1000, step());
}

TEST_F(Script, ABalloonOfThreeLinesAndWidth300At100_200Covers100To417And200To323)
{
    play("BALLOON 100 200 300 3 \"Title\"\nOne [BULLET] two\n[HSPACE 13]three\n[VSPACE 4]four\nENDBALLOON\n");
    step();
    gt::TestBitmap screen(800, 600, dtest::BACKGROUND);
    T_KEYBOARD_vDrawPOSMessage(screen, nullptr);
    const auto extent = dtest::extentOf(screen, std::nullopt);
    ASSERT_TRUE(extent.has_value());
    EXPECT_EQ((dtest::Extent{100, 200, 417, 323}), *extent);
    EXPECT_EQ(NO_ERROR, T_KEYBOARD_ePOSError());
}

TEST_F(Script, AnUnknownAnnotationIsAnErrorWhenDrawn)
{
    play("BALLOON 100 200 300 1 \"Title\"\n[FROWN] no\nENDBALLOON\n");
    step();
    gt::TestBitmap screen(800, 600, dtest::BACKGROUND);
    T_KEYBOARD_vDrawPOSMessage(screen, nullptr);
    EXPECT_EQ(ERR_BAD_ANNOTATION, T_KEYBOARD_ePOSError());
}

// MAIN offers DEPTH inside a MOREINFO block.
const char MORE_INFO_SCRIPT[] = "CHAPTER MAIN\n"
                                "MOREINFO DEPTH\n"
                                "SET BLCK 1\n"
                                "ENDMOREINFO\n"
                                "SET AFTR 1\n"
                                "ENDCHAPTER\n"
                                "CHAPTER DEPTH\n"
                                "SET DPTH 1\n"
                                "ENDCHAPTER\n";

TEST_F(Script, WithoutTheRightCursorTheMoreInfoBlockPlaysOnceAndPlayGoesOn)
{
    for (FOURCHARID key : {FCID("BLCK"), FCID("AFTR"), FCID("DPTH")})
        H_DATABASE_bUpdateValueU32(key, 0, P_NORMAL);
    play(MORE_INFO_SCRIPT);
    steps(2); // CHAPTER, MOREINFO
    EXPECT_TRUE(T_KEYBOARD_sPOSBalloon().bMoreInfo);
    EXPECT_EQ(1, T_KEYBOARD_s8POSStackTop());
    steps(2); // the block, ENDMOREINFO
    EXPECT_FALSE(T_KEYBOARD_sPOSBalloon().bMoreInfo);
    EXPECT_EQ(0, T_KEYBOARD_s8POSStackTop());
    steps(2); // after the block, ENDCHAPTER: the main chapter loops
    EXPECT_EQ(1u, fetch("BLCK"));
    EXPECT_EQ(1u, fetch("AFTR"));
    EXPECT_EQ(0u, fetch("DPTH"));
    EXPECT_EQ(0, resets());
    step(); // MOREINFO again, right after the main chapter's line
    EXPECT_TRUE(T_KEYBOARD_sPOSBalloon().bMoreInfo);
}

TEST_F(Script, TheRightCursorInTheBlockPlaysTheChapterAndResumesAfterTheBlock)
{
    for (FOURCHARID key : {FCID("BLCK"), FCID("AFTR"), FCID("DPTH")})
        H_DATABASE_bUpdateValueU32(key, 0, P_NORMAL);
    play(MORE_INFO_SCRIPT);
    steps(2);
    rightCursor();
    EXPECT_EQ(1, resets());
    EXPECT_EQ(1, T_KEYBOARD_s8POSActiveChapter());
    step(); // SET DPTH
    EXPECT_EQ(1u, fetch("DPTH"));
    step(); // ENDCHAPTER of DEPTH
    EXPECT_EQ(1, resets());
    EXPECT_EQ(0, T_KEYBOARD_s8POSActiveChapter());
    step(); // after the block
    EXPECT_EQ(1u, fetch("AFTR"));
    EXPECT_EQ(0u, fetch("BLCK"));
    // Out of the block the key does nothing.
    rightCursor();
    EXPECT_EQ(0, resets());
    EXPECT_EQ(0, T_KEYBOARD_s8POSActiveChapter());
}

TEST_F(Script, ALastLineWithoutLineEndWrapsToTheFirst)
{
    for (const char* end : {"", "\n", "\r\n", "\r"}) {
        play(std::string("SET FRST 1\r\n\r\n   // a comment\nSET LAST 2") + end);
        steps(2);
        EXPECT_EQ(0u, T_KEYBOARD_u32POSOffset()) << "end " << (int)strlen(end);
        H_DATABASE_bUpdateValueU32(FCID("FRST"), 0, P_NORMAL);
        step();
        EXPECT_EQ(1u, fetch("FRST"));
        EXPECT_EQ(2u, fetch("LAST"));
    }
}

TEST_F(Script, OverlongPartsAreCutAndASixthChapterIsIgnored)
{
    std::string script = "CHAPTER MAIN\n";
    // A title past its 39 characters, in a line past its 99.
    script += "BALLOON 1 2 3 1 \"" + std::string(60, 'T') + "\"" + std::string(80, ' ') + "1 1\n";
    script += std::string(700, 'b') + "\nENDBALLOON\n";
    // Five chapters offered in a row: the stack holds MAIN and four more.
    for (const char* name : {"C1", "C2", "C3", "C4", "C5"})
        script += std::string("MOREINFO ") + name + "\n";
    for (int i = 0; i < 5; ++i)
        script += "ENDMOREINFO\n";
    for (const char* name : {"C1", "C2", "C3", "C4", "C5"})
        script += std::string("CHAPTER ") + name + "\nENDCHAPTER\n";
    play(script);
    steps(2);
    const D_BALLOON b = T_KEYBOARD_sPOSBalloon();
    EXPECT_EQ(std::string(39, 'T'), b.title);
    EXPECT_LT(strlen(b.text), POS_BODY_BYTES);
    EXPECT_EQ(-1, b.pointerAnchor.x); // cut off with the line
    steps(5);
    EXPECT_EQ(POS_CHAPTER_STACK - 1, T_KEYBOARD_s8POSStackTop());
    EXPECT_EQ(NO_ERROR, T_KEYBOARD_ePOSError());
}

TEST_F(Script, AScriptWithoutCommandsNeitherLoopsNorFails)
{
    for (const char* text : {"\n\n  \r\n", "// only\n// comments", "\0\0\0"}) {
        play(std::string(text, text[0] == '\0' ? 3 : strlen(text)));
        EXPECT_EQ(100, step());
        EXPECT_EQ(NO_ERROR, T_KEYBOARD_ePOSError());
    }
}

TEST_F(Script, TheExitPromptTakesItsAnchorOrTheDefault)
{
    play("EXITMESSAGEBOX 300 40\nEXITMESSAGEBOX\n");
    step();
    EXPECT_EQ(300, T_KEYBOARD_sPOSExitAnchor().x);
    EXPECT_EQ(40, T_KEYBOARD_sPOSExitAnchor().y);
    step();
    const POINT p = T_KEYBOARD_sPOSExitAnchor();
    EXPECT_EQ(20, p.y);
    EXPECT_GT(p.x, 0);
    EXPECT_LT(p.x, 776);
}

TEST_F(Script, TheBuiltInScriptPlaysWithoutError)
{
    play(T_KEYBOARD_acEnglishScript);
    for (int i = 0; i < 200; ++i)
        step();
    EXPECT_EQ(NO_ERROR, T_KEYBOARD_ePOSError());
    gt::TestBitmap screen(800, 600, dtest::BACKGROUND);
    T_KEYBOARD_vDrawPOSMessage(screen, nullptr);
    EXPECT_EQ(NO_ERROR, T_KEYBOARD_ePOSError());
}

// ---- The demonstration in the keyboard task's steps ----

using Strings = std::vector<std::string>;

class Demo : public Script {
protected:
    void SetUp() override
    {
        Script::SetUp();
        registrations();
    }
    void enterPointOfSale()
    {
        H_DATABASE_bUpdateValueU32(FCID("CCST"), STATE_POINT_OF_SALE, P_NORMAL);
        T_KEYBOARD_vPOSHandleNewData(FCID("CCST"), STATE_POINT_OF_SALE);
    }
    static BOOLEAN boolean(const char (&key)[5])
    {
        BOOLEAN b = 2;
        H_DATABASE_bFetchBoolean(FCID(key), &b, nullptr, nullptr);
        return b;
    }
};

TEST_F(Demo, ACardScriptPlaysAfterThePreambleAndExitStartsItOver)
{
    vt::makeDirs(root().at("/mnt/mmc0"));
    ASSERT_TRUE(vt::writeFile(root().at("/mnt/mmc0/POSDemo.txt"),
                              "CHAPTER MAIN\nEXITMESSAGEBOX\nBALLOON 50 300 200 1 \"Card demo\"\nHello\n"
                              "ENDBALLOON\nWAIT 5\nENDCHAPTER\n"));
    enterPointOfSale();
    EXPECT_FALSE(boolean("CKCK"));
    EXPECT_EQ(Strings{"+layer 327"}, registrations());
    EXPECT_EQ(1, resets());

    T_KEYBOARD_vPOSStep(); // the tutorial starts
    EXPECT_EQ((Strings{"+keys 65534 7", "+layer 327"}), registrations());
    EXPECT_TRUE(boolean("SDBV"));
    EXPECT_GE(T_KEYBOARD_sPOSExitAnchor().x, 0);
    for (int i = 0; i < 5; ++i) // the preamble's view changes
        T_KEYBOARD_vPOSStep();
    EXPECT_FALSE(T_KEYBOARD_sPOSBalloon().bActive);
    for (int i = 0; i < 3; ++i) // CHAPTER, EXITMESSAGEBOX, BALLOON
        T_KEYBOARD_vPOSStep();
    EXPECT_TRUE(boolean("CDSM"));
    const D_BALLOON shown = T_KEYBOARD_sPOSBalloon();
    EXPECT_TRUE(shown.bActive);
    EXPECT_STREQ("Card demo", shown.title);

    MSG_KEY_CHANGE exitKey = {};
    exitKey.key = KEY_EXIT;
    exitKey.state = KEY_DOWN;
    exitKey.cursor = CURSOR_UP;
    T_KEYBOARD_vPOSHandleKey(&exitKey);
    EXPECT_TRUE(boolean("CKCK"));
    EXPECT_FALSE(boolean("CDSM"));
    EXPECT_FALSE(T_KEYBOARD_sPOSBalloon().bActive);
    EXPECT_LT(T_KEYBOARD_sPOSExitAnchor().x, 0);
    EXPECT_EQ(Strings{"-keys 65534"}, registrations());

    // After the viewer's three minutes: from the start, with one more view
    // change in the preamble.
    T_KEYBOARD_vPOSStep();
    for (int i = 0; i < 6 + 3; ++i)
        T_KEYBOARD_vPOSStep();
    EXPECT_STREQ("Card demo", T_KEYBOARD_sPOSBalloon().title);
    EXPECT_TRUE(T_KEYBOARD_sPOSBalloon().bActive);
}

constexpr MBOX CARD_MBOX = 63;

class Photo : public Demo {
protected:
    void SetUp() override
    {
        Demo::SetUp();
        static const bool screen = [] {
            FBDEV_vSetVsyncRate(0);
            H_DISPLAY_vInitScreen(0);
            vt::makeDirs(root().at("/mnt/mmc0"));
            return vt::writeFile(root().at("/mnt/mmc0/PIC.JPG"), "any");
        }();
        ASSERT_TRUE(screen);
    }
    // Milliseconds one step took.
    U64 timedStep()
    {
        const U64 from = L_CLOCK_qwGetTimeInMillis();
        step();
        return L_CLOCK_qwGetTimeInMillis() - from;
    }
};

TEST_F(Photo, WithoutTheCardTaskThePlayerDoesNotWait)
{
    play("PHOTO pic.jpg\n");
    EXPECT_LT(timedStep(), 2000u);
    EXPECT_EQ(NO_ERROR, T_KEYBOARD_ePOSError());
}

TEST_F(Photo, TheLoadIsWaitedForAtMost5sAndAnAnsweredOneIsShown)
{
    H_DATABASE_bUpdateEverythingU32(FCID("TMMC"), CARD_MBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    play("PHOTO pic.jpg\n");
    const U64 unanswered = timedStep();
    EXPECT_GE(unanswered, 4500u);
    EXPECT_LT(unanswered, 30000u);
    MSGHEADER* pLate = L_MBOX_Receive(CARD_MBOX);
    ASSERT_NE(nullptr, pLate);
    auto* pLoad = reinterpret_cast<MSG_LOAD_BMP*>(pLate);
    EXPECT_STREQ("/mnt/mmc0/PIC.PNG", pLoad->pcName);
    H_MEMORY_vFree(pLoad->pcName);
    L_MBOX_AckMessage(pLate); // late: the player frees it at its next photo

    // A card task that answers: the photo is shown over the whole screen.
    std::thread card([] {
        MSGHEADER* p = L_MBOX_ReceiveWaitTicks(CARD_MBOX, 10000);
        if (p == nullptr)
            return;
        auto* pMail = reinterpret_cast<MSG_LOAD_BMP*>(p);
        G_BMP_vSet(pMail->pBitmap, 0x4321);
        H_MEMORY_vFree(pMail->pcName);
        L_MBOX_AckMessage(p);
    });
    play("PHOTO pic.jpg\n");
    EXPECT_LT(timedStep(), 4000u);
    card.join();
    gt::TestBitmap screen(800, 600, dtest::BACKGROUND);
    T_KEYBOARD_vDrawPOSMessage(screen, nullptr);
    EXPECT_EQ(800u * 600u, screen.count(0x4321));
    play("PHOTO OFF\n");
    step();
}

TEST_F(Demo, WithoutAScriptFourViewsCycleAndAKeyHandsTheUnitOver)
{
    H_DATABASE_bUpdateValueU32(FCID("SLNG"), 3, P_NORMAL); // a language without a built-in script
    enterPointOfSale();
    T_KEYBOARD_vPOSStep(); // start: no script
    registrations();
    std::vector<S32> views;
    for (int i = 0; i < 5; ++i) {
        T_KEYBOARD_vPOSStep();
        S32 view = 0;
        H_DATABASE_bFetchS32(FCID("CVEW"), &view, nullptr, nullptr);
        views.push_back(view);
    }
    EXPECT_EQ((std::vector<S32>{35, 35, 25, 49, 35}), views);

    resets();
    T_KEYBOARD_vPOSKeyHook();
    EXPECT_TRUE(boolean("CKCK"));
    EXPECT_EQ(Strings{"-layer 327"}, registrations());
    // The step after the three minutes starts over at the first view.
    T_KEYBOARD_vPOSStep();
    EXPECT_EQ(1, resets());
    EXPECT_EQ(Strings{"+layer 327"}, registrations());
    H_DATABASE_bUpdateValueS32(FCID("CVEW"), 49, P_NORMAL);
    T_KEYBOARD_vPOSStep();
    S32 view = 0;
    H_DATABASE_bFetchS32(FCID("CVEW"), &view, nullptr, nullptr);
    EXPECT_EQ(35, view);

    // Leaving the state ends the demonstration.
    H_DATABASE_bUpdateValueU32(FCID("CCST"), STATE_NORMAL_RUN, P_NORMAL);
    T_KEYBOARD_vPOSHandleNewData(FCID("CCST"), STATE_NORMAL_RUN);
    EXPECT_TRUE(boolean("CKCK"));
    EXPECT_EQ(Strings{"-layer 327"}, registrations());
}

} // namespace
