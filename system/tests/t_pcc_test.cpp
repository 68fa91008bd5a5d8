// The PC-connect protocol through the port's queues: the receiver, the
// command table and its replies, the connection's start and end, and the
// navigation transfers and wipes on fakes. The receive steps run in the
// test's thread; the neighbour tasks are threads of the test.
#include "system/tests/pcc_fixture.h"

#include "graphics/u_fonts.h"
#include "kernel/l_task.h"
#include "ui/u_keyboard.h"
#include "util/u_pixels.h"

#include <cstdio>
#include <cstring>

namespace {

using namespace pcct;

const std::string ACK = "#ACK\n\r";
const std::string NAK = "#NAK\n\r";

// ---- the command table ----

struct Case {
    const char* name;
    std::function<void()> setup;
    const char* bytes;
    std::string reply;
};

class PccCommands : public PccFrame, public ::testing::WithParamInterface<Case> {};

TEST_P(PccCommands, AnswersWithTheTablesReply)
{
    const Case& c = GetParam();
    withNvram();
    connect();
    if (c.setup)
        c.setup();
    EXPECT_EQ(batch(c.bytes), c.reply);
    EXPECT_TRUE(T_PCC_bConnected());
}

INSTANTIATE_TEST_SUITE_P(
    Replies, PccCommands,
    ::testing::Values(
        Case{"Version", nullptr, "V\r", "#Ver.7.790;Dat.Jan 22 2016;Rev.---;Spd.534Mhz\r\n"},
        Case{"UnknownLetter", nullptr, "X\r", NAK},
        Case{"UnknownLetterSkipsItsLine", nullptr, "XT\r#T\n", NAK + "#1234567890\r\n"},
        Case{"Test", nullptr, "T\n", "#1234567890\r\n"},
        Case{"NavStorageVersion", nullptr, "C\r", "#2\r\n"},
        Case{"NavRecordVersions", nullptr, "c\r", "#3,3,3\r\n"},
        Case{"Model", [] { PccFrame::setU32("SMDL", 410); }, "M\r", "#0000019A\r\n"},
        Case{"NoModel", nullptr, "M\r", NAK},
        Case{"Accessories",
             [] {
                 PccFrame::setU32("XX12", 1);
                 PccFrame::setU32("XX03", 0);
                 PccFrame::setU32("XX31", 1);
             },
             "A\r", "#03,12\r\n"},
        Case{"NoAccessories", nullptr, "A\r", NAK},
        Case{"Features",
             [] {
                 PccFrame::setU32("FAB1", 0x12);
                 PccFrame::setU32("FAB2", 0x100);
             },
             "F\r", "#FAB10x00000012,FAB20x00000100\r\n"},
        Case{"FeaturesWithALowByte",
             [] {
                 PccFrame::setU32("FAB1", 0x12);
                 PccFrame::setU32("FAB2", 0x100);
             },
             "f\r", "#FAB10x00000012\r\n"},
        Case{"NoFeatures", nullptr, "F\r", NAK},
        Case{"SerialNumbers",
             [] {
                 PccFrame::setU32("SMDL", 410);
                 PccFrame::setU32("SEDB", 0xABCDEF01);
                 PccFrame::setU32("SIMT", 7);
             },
             "S\r", "#SEDB0xABCDEF01,SMDL0x0000019A,SIMT0x00000007\r\n"},
        Case{"NoSerialNumbers", nullptr, "S\r", "#" + NAK},
        Case{"NavSpace", nullptr, "I\r", "#W:0/3000,G:0/0,R:0/50,T:0/50\r\n"},
        // The connection's own view flag "SVPC" is an S key too.
        Case{"AllSettingsWithoutAny", [] { H_DATABASE_vDeleteEntry(PccFrame::fcid("SVPC")); }, "R\r", NAK},
        Case{"AllSettings",
             [] {
                 H_DATABASE_vDeleteEntry(PccFrame::fcid("SVPC"));
                 PccFrame::setU32("SLNG", 2);
             },
             "R\r", "#SLNG0x00000002\r\n"},
        Case{"OneSetting", [] { PccFrame::setU32("SLNG", 2); }, "RSLNG\r", "#SLNG0x00000002\r\n"},
        Case{"OneMissingSetting", nullptr, "RSLNG\r", NAK},
        Case{"ShortKey", [] { PccFrame::setU32("SLNG", 2); }, "RSL\r", NAK},
        Case{"WriteSettingsReadsWithAKey", [] { PccFrame::setU32("SLNG", 2); }, "sSLNG\r", "#SLNG0x00000002\r\n"},
        Case{"OwnerTextWithoutNvramTaskAnswer", [] { s_ownerRefuses = true; }, "Pme\r", NAK},
        Case{"ALetterWithoutArgumentFollowedByAByteIsDropped", nullptr, "Tx#T\r", "#1234567890\r\n"},
        Case{"LineEndsAloneSayNothing", nullptr, "T\r\r\n\n", "#1234567890\r\n"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST_F(PccFrame, WritesTwoSettingsAndAsksForASave)
{
    connect();
    L_SEMA_SetPending(104);
    EXPECT_EQ(batch("sSLNG0x00000002,SDMO0x0000000a\r"), ACK + ACK);
    U32 v = 0;
    EXPECT_TRUE(getU32("SLNG", &v));
    EXPECT_EQ(v, 2u);
    EXPECT_TRUE(getU32("SDMO", &v));
    EXPECT_EQ(v, 10u);
    EXPECT_EQ(L_SEMA_WaitTicks(104, 1000), 0) << "no settings save was asked for";
}

TEST_F(PccFrame, WritingSettingsSparesTaskKeysAndPointers)
{
    connect();
    static int s_target = 0;
    H_DATABASE_bUpdateEverythingVoidPointer(fcid("BXYZ"), &s_target, P_NORMAL, D_POINTER, nullptr,
                                            DB_TIMEOUT_NEVER);
    EXPECT_EQ(batch("sTURT0x00000063,BXYZ0x00001234,SABC0x00000001\r"), NAK + NAK + ACK);
    U32 mbox = 0;
    EXPECT_TRUE(getU32("TURT", &mbox));
    EXPECT_EQ(mbox, 2u);
    void* p = nullptr;
    EXPECT_TRUE(H_DATABASE_bFetchVoidPointer(fcid("BXYZ"), &p, nullptr, nullptr));
    EXPECT_EQ(p, &s_target);
}

TEST_F(PccFrame, WritesFeaturesUpToTheFirstMissingKey)
{
    connect();
    setU32("FAAA", 1);
    setU32("FCCC", 1);
    L_SEMA_SetPending(104);
    EXPECT_EQ(batch("fFAAA0x00000005FBBB0x00000006,FCCC0x00000007\r"), ACK + NAK);
    U32 v = 0;
    EXPECT_TRUE(getU32("FAAA", &v));
    EXPECT_EQ(v, 5u);
    EXPECT_FALSE(getU32("FBBB", &v));
    EXPECT_TRUE(getU32("FCCC", &v));
    EXPECT_EQ(v, 1u);
    EXPECT_EQ(L_SEMA_WaitTicks(104, 1000), 0);
}

TEST_F(PccFrame, AnArgumentOf600CharactersReachesTheHandlerAsIts512)
{
    connect();
    std::string arg;
    for (int k = 0; k < 40; ++k) {
        char item[40];
        snprintf(item, sizeof item, "SK%02d0x%08X,", k, k + 1);
        arg += item; // 15 characters each: 34 whole items fit in 512
    }
    ASSERT_EQ(arg.size(), 600u);
    std::string expect;
    for (int k = 0; k < 34; ++k)
        expect += ACK;
    EXPECT_EQ(batch("s" + arg + "\r#T\r"), expect + "#1234567890\r\n");
    U32 v = 0;
    EXPECT_TRUE(getU32("SK33", &v));
    EXPECT_EQ(v, 34u);
    EXPECT_FALSE(getU32("SK34", &v));
    EXPECT_FALSE(getU32("SK39", &v));
}

TEST_F(PccFrame, OwnerTextIsWrittenAndReadBack)
{
    withNvram();
    connect();
    EXPECT_EQ(batch("PJane Doe, Lake Quell\r"), ACK);
    EXPECT_EQ(batch("#P\r"), "#Jane Doe, Lake Quell\r\n");
    // Only as much as the block holds is kept.
    const std::string longText(300, 'x');
    EXPECT_EQ(batch("#P" + longText + "\r"), ACK);
    EXPECT_EQ(batch("#P\r"), "#" + std::string(252, 'x') + "\r\n");
}

TEST_F(PccFrame, OwnerTextWithoutTheNvramTaskIsRefused)
{
    connect();
    EXPECT_EQ(batch("Pme\r#P\r"), NAK + NAK);
}

// ---- the connection ----

TEST_F(PccFrame, AConnectionTakesTheUnitAndQuitGivesItBack)
{
    setU32("CCST", 3);
    connect();
    U32 v = 0;
    EXPECT_TRUE(getU32("CCST", &v));
    EXPECT_EQ(v, 8u);
    BOOLEAN shown = FALSE;
    EXPECT_TRUE(H_DATABASE_bFetchBoolean(fcid("SVPC"), &shown, nullptr, nullptr));
    EXPECT_TRUE(shown);
    EXPECT_TRUE(getU32("CVEW", &v));
    EXPECT_EQ(v, 5u);
    EXPECT_TRUE(getU32("CGRP", &v));
    EXPECT_EQ(v, 0u);
    Seen s;
    ASSERT_TRUE(keyboard->saw(CMD_ID_REGISTER_FOR_KEYS, &s));
    EXPECT_EQ(s.a, 0xFFFEu);
    EXPECT_EQ(s.b, (U32)REGISTER_PC_CONNECT);
    EXPECT_EQ(s.c, 21u | (U32)KEY_DOWN << 8 | 0u << 16 | (U32)NOT_CURSOR_KEY << 24);
    ASSERT_TRUE(view->saw(CMD_ID_REGISTER_LAYER, &s));
    EXPECT_EQ(s.a, 5u);
    EXPECT_EQ(s.b, (U32)USED_BY_NONE);
    EXPECT_EQ(s.fcid, fcid("SVPC"));
    EXPECT_EQ(s.c, 1u);

    EXPECT_EQ(batch("Q\r"), ACK);
    EXPECT_FALSE(T_PCC_bConnected());
    EXPECT_TRUE(getU32("CCST", &v));
    EXPECT_EQ(v, 3u);
    EXPECT_TRUE(H_DATABASE_bFetchBoolean(fcid("SVPC"), &shown, nullptr, nullptr));
    EXPECT_FALSE(shown);
    ASSERT_TRUE(view->saw(CMD_ID_UNREGISTER_LAYER, &s));
    EXPECT_EQ(s.a, 5u);
    ASSERT_TRUE(keyboard->saw(CMD_ID_UNREGISTER_FOR_KEYS, &s));
    EXPECT_EQ(s.a, 0xFFFEu);
    EXPECT_EQ(s.c, 21u);
    ASSERT_TRUE(uart->saw(CMD_ID_DISCONNECT, &s));
    EXPECT_EQ(s.a, 3u);
}

TEST_F(PccFrame, QuitFollowedInTheSameBatchKeepsTheConnection)
{
    setU32("CCST", 3);
    connect();
    EXPECT_EQ(batch("Q\r#T\r"), ACK + "#1234567890\r\n");
    EXPECT_TRUE(T_PCC_bConnected());
    U32 v = 0;
    EXPECT_TRUE(getU32("CCST", &v));
    EXPECT_EQ(v, 8u);
    // A half-received command at the end of a batch does not keep it either.
    EXPECT_EQ(batch("#Q\r#"), ACK);
    EXPECT_FALSE(T_PCC_bConnected());
}

TEST_F(PccFrame, TheObsoleteUploadWarnsAndEndsTheConnection)
{
    setU32("CCST", 4);
    connect();
    EXPECT_FALSE(T_PCC_bShowingWarning());
    EXPECT_EQ(batch("G\r"), NAK);
    EXPECT_TRUE(T_PCC_bShowingWarning());
    EXPECT_FALSE(T_PCC_bConnected());
    U32 v = 0;
    EXPECT_TRUE(getU32("CCST", &v));
    EXPECT_EQ(v, 4u);
}

TEST_F(PccFrame, AConnectionBegunInThePcConnectStateCannotEnd)
{
    setU32("CCST", 8);
    connect();
    EXPECT_EQ(batch("Q\r"), ACK);
    EXPECT_TRUE(T_PCC_bConnected());
    // A re-entry keeps the state saved first.
    T_PCC_vSetPCConnectMode();
    EXPECT_EQ(batch("#Q\r"), ACK);
    EXPECT_TRUE(T_PCC_bConnected());
}

TEST_F(PccFrame, ReEntryKeepsTheStateSavedFirst)
{
    setU32("CCST", 3);
    connect();
    T_PCC_vSetPCConnectMode(); // the run command after the system started in state 8
    EXPECT_EQ(batch("Q\r"), ACK);
    U32 v = 0;
    EXPECT_TRUE(getU32("CCST", &v));
    EXPECT_EQ(v, 3u);
}

TEST_F(PccFrame, FastRateAnswersAfterTheChangeNormalRateBefore)
{
    connect();
    EXPECT_EQ(batch("b\r"), ACK);
    Seen s;
    ASSERT_TRUE(uart->saw(CMD_ID_CHANGE_BAUD_RATE, &s));
    EXPECT_EQ(s.a, 115200u);
    EXPECT_EQ(s.b, 0u) << "the reply was queued before the rate changed";
    EXPECT_EQ(s.c, 3u);

    EXPECT_EQ(batch("#n\r"), ACK);
    auto all = uart->seen();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back().cmd, CMD_ID_CHANGE_BAUD_RATE);
    EXPECT_EQ(all.back().a, 38400u);
    EXPECT_EQ(all.back().b, ACK.size()) << "the reply must go out at the old rate";
}

TEST_F(PccFrame, ReFlashRestoresDefaultsAndAsksTheKeyboardTaskForAReset)
{
    connect();
    EXPECT_EQ(batch("B\r"), "");
    BOOLEAN b = FALSE;
    EXPECT_TRUE(H_DATABASE_bFetchBoolean(fcid("SSRD"), &b, nullptr, nullptr));
    EXPECT_TRUE(b);
    EXPECT_TRUE(H_DATABASE_bFetchBoolean(fcid("SRDF"), &b, nullptr, nullptr));
    EXPECT_TRUE(b);
    Seen s;
    ASSERT_TRUE(keyboard->saw(CMD_ID_INITIATE_SHUTDOWN, &s));
    EXPECT_EQ(s.a, 1u);
    EXPECT_EQ(s.b, 0u);
}

// ---- wipes and navigation transfers on fakes ----

struct Recorder {
    std::vector<std::string> calls;
    std::string saved;
    std::vector<U32> segmentSizes;
    std::vector<std::string> toDeliver; // blocks the fake transfer delivers
    bool transferEnds = true;
    bool sendBreaks = false;            // the PC stops answering after a block
    std::string stream;                 // what the fill side gives
    size_t fillAt = 0;
    std::string sentOut;
};
Recorder* s_rec = nullptr;

T_PCC_NEIGHBOURS fakes()
{
    T_PCC_NEIGHBOURS n = {};
    n.pfnFillBufferInit = [] {
        s_rec->calls.push_back("fill-init");
        s_rec->fillAt = 0;
    };
    n.pfnFillBufferSegment = [](U8* block, U32) -> U32 {
        size_t k = std::min<size_t>(1024, s_rec->stream.size() - s_rec->fillAt);
        memcpy(block, s_rec->stream.data() + s_rec->fillAt, k);
        s_rec->fillAt += k;
        s_rec->calls.push_back("fill-groups");
        return (U32)k;
    };
    n.pfnFillNoGroupBufferSegment = [](U8* block, U32) -> U32 {
        size_t k = std::min<size_t>(1024, s_rec->stream.size() - s_rec->fillAt);
        memcpy(block, s_rec->stream.data() + s_rec->fillAt, k);
        s_rec->fillAt += k;
        s_rec->calls.push_back("fill-nogroups");
        return (U32)k;
    };
    n.pfnSaveBufferInit = [] { s_rec->calls.push_back("save-init"); };
    n.pfnSaveBufferSegment = [](U32 count, const U8* block) {
        s_rec->segmentSizes.push_back(count);
        s_rec->saved.append((const char*)block, count);
    };
    n.pfnSaveBufferFree = [] { s_rec->calls.push_back("save-free"); };
    n.pfnSendStream = [](U8 port, U8* block, U32 (*fill)(U8*, void*), void* param) -> BOOLEAN {
        EXPECT_EQ(port, 3);
        for (;;) {
            U32 k = fill(block, param);
            if (k == 0)
                break;
            s_rec->sentOut.append((const char*)block, k);
            if (s_rec->sendBreaks)
                return FALSE;
        }
        return TRUE;
    };
    n.pfnFillBufferAbort = [] { s_rec->calls.push_back("fill-abort"); };
    n.pfnReceiveStream = [](U8, U8* block, void (*store)(U32, U8*, void*), void* param) -> BOOLEAN {
        for (const std::string& b : s_rec->toDeliver) {
            memcpy(block, b.data(), b.size());
            store((U32)b.size(), block, param);
        }
        store(0, nullptr, param);
        return s_rec->transferEnds ? TRUE : FALSE;
    };
    n.pfnWipe = [](BOOLEAN settings, BOOLEAN nav) {
        s_rec->calls.push_back(std::string("wipe") + (settings ? " settings" : "") + (nav ? " nav" : ""));
    };
    return n;
}

class PccOnFakes : public PccFrame {
protected:
    void SetUp() override
    {
        PccFrame::SetUp();
        s_rec = &rec;
        T_PCC_NEIGHBOURS n = fakes();
        T_PCC_vInstallNeighbours(&n);
        connect();
        EXPECT_EQ(batch("T\r"), "#1234567890\r\n");
    }
    void TearDown() override
    {
        PccFrame::TearDown();
        s_rec = nullptr;
    }
    Recorder rec;
};

TEST_F(PccOnFakes, WipesTakeOnlyTheirThreeWords)
{
    struct W {
        const char* arg;
        const char* call;
    };
    for (W w : {W{"ALL", "wipe settings nav"}, W{"NVR", "wipe settings"}, W{"NAV", "wipe nav"}, W{"all", nullptr},
                W{"ALLX", nullptr}, W{"", nullptr}}) {
        rec.calls.clear();
        EXPECT_EQ(batch(std::string("#W") + w.arg + "\r"), "") << w.arg;
        if (w.call)
            EXPECT_EQ(rec.calls, std::vector<std::string>{w.call}) << w.arg;
        else
            EXPECT_TRUE(rec.calls.empty()) << w.arg;
    }
}

// A transfer the PC breaks off lets go of the stream (and with it the lock
// on the navigation data); one that ends whole has nothing to let go of.
TEST_F(PccOnFakes, ABrokenSendLetsGoOfTheStream)
{
    rec.stream.assign(5000, 'x');
    for (bool breaks : {false, true}) {
        rec.calls.clear();
        rec.sendBreaks = breaks;
        EXPECT_EQ(batch("#e\r"), ACK);
        EXPECT_EQ(std::count(rec.calls.begin(), rec.calls.end(), "fill-abort"), breaks ? 1 : 0) << breaks;
    }
}

TEST_F(PccOnFakes, SendsTheStreamWithAndWithoutGroups)
{
    for (size_t i = 0; i < 131080; ++i)
        rec.stream += (char)(i * 13 + i / 1024);
    EXPECT_EQ(batch("#gignored\r"), ACK);
    EXPECT_EQ(rec.sentOut, rec.stream);
    EXPECT_EQ(rec.calls.front(), "fill-init");
    EXPECT_EQ(rec.calls.back(), "fill-nogroups");
    // The short last block ends the stream: the filler is not asked again.
    EXPECT_EQ(rec.calls.size(), 1u + 129u);

    rec.calls.clear();
    rec.sentOut.clear();
    EXPECT_EQ(batch("#e\r"), ACK);
    EXPECT_EQ(rec.sentOut, rec.stream);
    EXPECT_EQ(rec.calls.back(), "fill-groups");
}

TEST_F(PccOnFakes, AWholeImportReachesTheSaveCallbacksBlockByBlock)
{
    rec.toDeliver = {std::string(1024, 'a'), std::string(1024, 'b'), std::string(128, 'c')};
    EXPECT_EQ(batch("#E\r"), ACK);
    EXPECT_EQ(rec.calls, (std::vector<std::string>{"save-init", "save-free"}));
    EXPECT_EQ(rec.segmentSizes, (std::vector<U32>{1024, 1024, 128}));
    EXPECT_EQ(rec.saved, std::string(1024, 'a') + std::string(1024, 'b') + std::string(128, 'c'));
}

TEST_F(PccOnFakes, AnAbortedOrOversizedImportLeavesTheStoredData)
{
    rec.toDeliver = {std::string(1024, 'a'), std::string(1024, 'b')};
    rec.transferEnds = false;
    EXPECT_EQ(batch("#E\r"), ACK);
    EXPECT_TRUE(rec.calls.empty());

    rec.transferEnds = true;
    rec.toDeliver.assign(130, std::string(1024, 'z'));
    EXPECT_EQ(batch("#E\r"), ACK);
    EXPECT_TRUE(rec.calls.empty()) << "a stream larger than the import takes must not start it";

    rec.toDeliver.clear();
    EXPECT_EQ(batch("#E\r"), ACK);
    EXPECT_TRUE(rec.calls.empty()) << "an empty transfer must not delete what is stored";
}

// ---- the screen ----

TEST_F(PccFrame, TheWarningStepsTheBacklightThroughItsLevels)
{
    std::vector<U32> pixels(800 * 600);
    BITMAP bmp = {};
    bmp.pBuffer = pixels.data();
    bmp.pixels_wide = bmp.pixels_wide_full_screen = bmp.__u32PixelWidthOfBuffer = 800;
    bmp.pixels_high = bmp.pixels_high_full_screen = bmp.__u32PixelHeightOfBuffer = 600;
    bmp.s32ClipLeft = 0;
    bmp.s32ClipBottom = 0;
    bmp.s32ClipRight = 799;
    bmp.s32ClipTop = 599;
    WINDOW_SPECIFICATION spec = {};
    spec.drawWindow = {0, 599, 799, 0};
    U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
    setU32("CCST", 3);
    connect();
    batch("G\r");
    ASSERT_TRUE(T_PCC_bShowingWarning());
    std::vector<U32> applied;
    for (int i = 0; i < 20; ++i) {
        T_PCC_vDrawScreen(&bmp, &spec);
        applied.push_back(T_PCC_u32BacklightStep() - 1);
    }
    EXPECT_EQ(applied, (std::vector<U32>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 3, 4, 5, 6, 7, 8, 9, 3, 4, 5}));
}

// ---- the task ----

TEST(PccFatal, ASecondOwnerOfTheTaskKeyEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "fast"); // the child keeps this root
    vt::TempRoot root;
    root.exportEnv();
    EXPECT_EXIT(
        {
            H_DATABASE_vInit();
            H_DATABASE_bUpdateEverythingU32(FCID("TPCC"), 40, P_HIGHEST, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
            T_PCC_vStart();
        },
        ::testing::ExitedWithCode(10), "");
    EXPECT_NE(vt::readFile(root.cwd() + "/FATAL.LOG").find("Somebody else registered the PC Connect Task Maibox"),
              std::string::npos);
}

TEST_F(PccFrame, TheTaskRegistersAnswersTheTriggerAndRefusesKeys)
{
    static bool s_started = false;
    if (s_started)
        GTEST_SKIP() << "needs a process of its own";
    s_started = true;
    L_MBOX_DefineSema(PCC_MAILBOX, SEMA_MBOX_PCC);
    L_QUEUE_DefineSema(RXQ, SEMA_QUEUE_RX3, QNE);
    setU32("CCST", 3);
    TASK_PARAM tp = {2048, 100, T_PCC_vMain};
    ASSERT_EQ(L_TASK_SetParams(PCC_TASK, &tp), 0);
    ASSERT_EQ(L_TASK_Start(PCC_TASK), 0);
    Seen s;
    ASSERT_TRUE(uart->saw(CMD_ID_CAPTURE_CHANNEL, &s));
    EXPECT_EQ(s.a, 3u);
    EXPECT_EQ(s.b, (U32)'#');
    EXPECT_EQ(s.c, 109u);
    U32 v = 0;
    EXPECT_TRUE(getU32("TPCC", &v));
    EXPECT_EQ(v, 21u);

    // The serial-port task hands the port over with "#" waiting.
    put("#");
    L_SEMA_Signal(SEMA_PCC);
    put("T\r");
    std::string got;
    for (int i = 0; i < 500 && got.size() < 13; ++i) {
        got += sent();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(got, "#1234567890\r\n");
    EXPECT_TRUE(getU32("CCST", &v));
    EXPECT_EQ(v, 8u);

    L_SEMA_SetPending(SEMA_KEYCLICK_BAD);
    auto* key = (MSG_KEY_CHANGE*)H_MEMORY_pvMalloc(sizeof(MSG_KEY_CHANGE));
    *key = MSG_KEY_CHANGE{};
    key->header.Cmd = CMD_ID_KEY_CHANGE;
    ASSERT_EQ(L_MBOX_Send(PCC_MAILBOX, &key->header.msghdr, 1, 0), 0);
    EXPECT_EQ(L_SEMA_WaitTicks(SEMA_KEYCLICK_BAD, 3000), 0);

    put("#Q\r");
    EXPECT_TRUE(uart->saw(CMD_ID_DISCONNECT, &s, 5000));
    EXPECT_TRUE(getU32("CCST", &v));
    EXPECT_EQ(v, 3u);
}

} // namespace
