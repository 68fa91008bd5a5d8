// The PC-connect task behind the real serial-port task, its port 3 a
// pseudo-terminal whose other end the test plays as the PC: the trigger
// hands the port over, and the navigation transfers run by XMODEM-1K
// against lrzsz's rx and sx. The navigation stream is a fake of the test.
//
// A pump thread copies bytes between the port's terminal and the lrzsz
// program; the port runs at 115200 baud, the rate the PC tool selects with
// "b" before a transfer.
#include "system/t_pcc.h"

#include "kernel/l_mbox.h"
#include "kernel/l_task.h"
#include "platform/t_uart.h"
#include "store/h_database.h"
#include "testing/t_root.h"

#include "platform/tests/uart_pty.h"
#include "system/tests/pcc_lrzsz.h"

#include <gtest/gtest.h>

#include <csignal>
#include <mutex>
#include <sys/socket.h>
#include <sys/wait.h>

namespace {

using uartt::Pty;
using uartt::root;
using uartt::waitFor;
using pcct::Peer;
using pcct::Pump;

constexpr U32 STREAM_BYTES = 131080;
constexpr char SUB = 0x1A;

std::string streamBytes(unsigned seed)
{
    std::string s(STREAM_BYTES, '\0');
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = (char)(i * 7 + i / 1024 + seed);
    return s;
}

// The navigation stream of the test: what the fill side gives, what the
// save side took.
std::mutex s_m;
std::string s_groups = streamBytes(0), s_noGroups = streamBytes(0x55);
size_t s_fillAt = 0;
std::string s_saved;
std::vector<U32> s_segments;
int s_saveInits = 0, s_saveFrees = 0;

U32 fillFrom(const std::string& src, U8* block)
{
    std::lock_guard<std::mutex> lock(s_m);
    size_t k = std::min<size_t>(1024, src.size() - s_fillAt);
    memcpy(block, src.data() + s_fillAt, k);
    s_fillAt += k;
    return (U32)k;
}

T_PCC_NEIGHBOURS testStream(void)
{
    T_PCC_NEIGHBOURS n = {};
    n.pfnFillBufferInit = [] {
        std::lock_guard<std::mutex> lock(s_m);
        s_fillAt = 0;
    };
    n.pfnFillBufferSegment = [](U8* b, U32) { return fillFrom(s_groups, b); };
    n.pfnFillNoGroupBufferSegment = [](U8* b, U32) { return fillFrom(s_noGroups, b); };
    n.pfnSaveBufferInit = [] {
        std::lock_guard<std::mutex> lock(s_m);
        ++s_saveInits;
        s_saved.clear();
        s_segments.clear();
    };
    n.pfnSaveBufferSegment = [](U32 count, const U8* block) {
        std::lock_guard<std::mutex> lock(s_m);
        s_saved.append((const char*)block, count);
        s_segments.push_back(count);
    };
    n.pfnSaveBufferFree = [] {
        std::lock_guard<std::mutex> lock(s_m);
        ++s_saveFrees;
    };
    n.pfnWipe = [](BOOLEAN, BOOLEAN) { ADD_FAILURE() << "no wipe expected"; };
    return n;
}

class PccSerial : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool s_started = false;
        if (s_started)
            GTEST_SKIP() << "needs a process of its own";
        s_started = true;
        if (access("/usr/bin/sx", X_OK) != 0 || access("/usr/bin/rx", X_OK) != 0)
            GTEST_SKIP() << "lrzsz (sx, rx) is not installed";
        root();
        pc = std::make_unique<Pty>();
        ASSERT_TRUE(pc->ok());
        for (int p = 0; p < 4; ++p) {
            others[p] = std::make_unique<Pty>();
            if (p == PCC_PORT)
                pc->linkAs(p);
            else
                others[p]->linkAs(p);
        }
        H_DATABASE_vInit();
        H_DATABASE_bUpdateValueU32(FCID("CCST"), 3, P_NORMAL);
        T_PCC_NEIGHBOURS n = testStream();
        T_PCC_vInstallNeighbours(&n);
        L_MBOX_DefineSema(MBOX_UART, 34);
        L_MBOX_DefineSema(PCC_MAILBOX, SEMA_MBOX_PCC);
        TASK_PARAM up = {1024, TASK_UART_TABLE_PRIORITY, T_UART_vMain};
        ASSERT_EQ(L_TASK_SetParams(TASK_UART, &up), 0);
        ASSERT_EQ(L_TASK_Start(TASK_UART), 0);
        ASSERT_TRUE(waitFor([] {
            U32 m = 0;
            return H_DATABASE_bFetchU32(FCID("TURT"), &m, nullptr, nullptr) != FALSE;
        }));
        TASK_PARAM pp = {2048, 100, T_PCC_vMain};
        ASSERT_EQ(L_TASK_SetParams(PCC_TASK, &pp), 0);
        ASSERT_EQ(L_TASK_Start(PCC_TASK), 0);
        // The port drops what comes while it settles and up to the first
        // line end; the opening line goes again until it is answered.
        ASSERT_TRUE(waitFor(
            [&] {
                pc->write("\r#T\r");
                return pc->read(500).find("#1234567890\r\n") != std::string::npos;
            },
            30000));
        pc->read(500); // the answers to the repeats
        ASSERT_TRUE(T_PCC_bConnected());
        // The PC tool's transfer rate.
        command("#b\r");
    }

    // Sends a command and reads up to its "#ACK" reply (a late answer of
    // an earlier line may come first).
    void command(const std::string& line)
    {
        pc->write(line);
        std::string got;
        ASSERT_TRUE(waitFor(
            [&] {
                got += pc->read(50);
                return got.find("#ACK\n\r") != std::string::npos;
            },
            10000))
            << line << " got " << got;
    }

    std::unique_ptr<Pty> pc;
    std::unique_ptr<Pty> others[4];
};

TEST_F(PccSerial, RxReceivesTheStreamsOfGAndE)
{
    struct Case {
        const char* command;
        const std::string* stream;
    };
    for (Case c : {Case{"#g\r", &s_noGroups}, Case{"#eany\r", &s_groups}}) {
        const std::string file = root().at("/tmp/recv.bin");
        unlink(file.c_str());
        command(c.command);
        Peer rx(root().at("/tmp"), {"/usr/bin/rx", "-c", "-t", "100", "recv.bin"});
        {
            Pump pump(pc->master(), rx.fd());
            EXPECT_EQ(rx.wait(60000), 0) << vt::readFile(root().at("/tmp/peer.err"));
        }
        const std::string got = vt::readFile(file);
        ASSERT_EQ(got.size(), 129u * 1024u) << c.command;
        EXPECT_TRUE(got.substr(0, STREAM_BYTES) == *c.stream) << c.command << ": payload differs";
        EXPECT_EQ(got.substr(STREAM_BYTES), std::string(129 * 1024 - STREAM_BYTES, SUB));
    }
    // The connection goes on.
    pc->write("#T\r");
    EXPECT_EQ(pc->read(5000, 13), "#1234567890\r\n");
}

TEST_F(PccSerial, SxReachesTheSaveCallbacksBlockByBlockAndAnAbortKeepsTheData)
{
    // Pulled after about 40 blocks: nothing of it may reach the import.
    ASSERT_TRUE(vt::writeFile(root().at("/tmp/send.bin"), s_groups));
    command("#E\r");
    {
        Peer sx(root().at("/tmp"), {"/usr/bin/sx", "-k", "-t", "100", "send.bin"});
        Pump pump(pc->master(), sx.fd(), 0, 40 * 1029);
        ASSERT_TRUE(waitFor([&] { return pump.carried() >= 40 * 1029; }, 30000));
        sx.kill();
    }
    // The line goes quiet: the unit gives the transfer up (a block's byte
    // time-out, then the wait for the next block) and serves commands again.
    std::this_thread::sleep_for(std::chrono::seconds(8));
    ASSERT_TRUE(waitFor(
        [&] {
            pc->write("\r#T\r");
            return pc->read(1000).find("#1234567890\r\n") != std::string::npos;
        },
        30000));
    {
        std::lock_guard<std::mutex> lock(s_m);
        EXPECT_EQ(s_saveInits, 0) << "an aborted transfer deleted the stored data";
    }

    pc->read(500); // whatever answers were still on their way
    command("#E\r");
    {
        Peer sx(root().at("/tmp"), {"/usr/bin/sx", "-k", "-t", "100", "send.bin"});
        Pump pump(pc->master(), sx.fd());
        EXPECT_EQ(sx.wait(60000), 0) << vt::readFile(root().at("/tmp/peer.err"));
    }
    ASSERT_TRUE(waitFor(
        [] {
            std::lock_guard<std::mutex> lock(s_m);
            return s_saveFrees == 1;
        },
        10000));
    std::lock_guard<std::mutex> lock(s_m);
    EXPECT_EQ(s_saveInits, 1);
    // sx sends the 8 bytes past the last whole kilobyte in a 128-byte block.
    std::vector<U32> blocks(128, 1024);
    blocks.push_back(128);
    EXPECT_EQ(s_segments, blocks);
    ASSERT_EQ(s_saved.size(), 128u * 1024u + 128u);
    EXPECT_TRUE(s_saved.substr(0, STREAM_BYTES) == s_groups) << "payload differs";
}

} // namespace
