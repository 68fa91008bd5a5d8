// Transducer detection against a coprocessor served over a SEQPACKET
// socket: the test queues the blocks the unit will read (each echoing a
// sequence that asks for the noise and return counts of the case) and
// records what the unit writes. The transducer temperature "AD02" is set
// in the store with the analogue inputs switched off.
#include "sonar/dsp/s_detect.h"

#include "platform/h_coproc.h"
#include "platform/h_options.h"
#include "sonar/dsp/s_coproc.h"
#include "sonar/tests/sonar_root.h"
#include "store/h_database.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace sonar_test {
namespace {

// One received block: the echoed sequence asks for 256 noise and 32 return
// samples; channel 0 holds the levels given, the other channels 255.
std::vector<U8> block(U8 u8Noise, U8 u8Energy, U16 u16Noise = 256, U16 u16Returns = 32)
{
    std::vector<U8> b(45 + 3 * (u16Noise + u16Returns), 255);
    memset(b.data(), 0, 45);
    TX_SEQUENCE seq = {};
    seq.u16NoiseSamples = u16Noise;
    seq.u16Samples = u16Returns;
    S_COPROC_vEncodeTxSequence(&seq, b.data() + 4);
    for (U32 k = 0; k < (U32)u16Noise + u16Returns; ++k)
        b[45 + 3 * k] = k < u16Noise ? u8Noise : u8Energy;
    return b;
}

// The peer: listens at ROOT/dev/sonar0, sends every queued block as soon
// as the unit connects, then records each packet the unit writes.
class Peer {
public:
    explicit Peer(std::vector<std::vector<U8>> blocks) : blocks_(std::move(blocks))
    {
        const std::string path = at("/dev/sonar0");
        unlink(path.c_str());
        listener_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        sockaddr_un addr = {};
        addr.sun_family = AF_UNIX;
        strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
        EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        EXPECT_EQ(listen(listener_, 1), 0);
        thread_ = std::thread([this] { serve(); });
    }
    ~Peer() { finish(); }
    // Ends the session (the unit's side closes, so the reader ends) and
    // gives every packet the unit wrote.
    std::vector<std::vector<U8>> finish()
    {
        if (thread_.joinable()) {
            shutdown(listener_, SHUT_RDWR);
            H_COPROC_vResetForTests();
            thread_.join();
            close(listener_);
            unlink(at("/dev/sonar0").c_str());
        }
        std::lock_guard<std::mutex> lock(mutex_);
        return written_;
    }

private:
    void serve()
    {
        const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            return;
        for (const auto& b : blocks_)
            send(fd, b.data(), b.size(), MSG_NOSIGNAL);
        std::vector<U8> buf(4096);
        for (;;) {
            const ssize_t n = recv(fd, buf.data(), buf.size(), 0);
            if (n <= 0)
                break;
            std::lock_guard<std::mutex> lock(mutex_);
            written_.emplace_back(buf.begin(), buf.begin() + n);
        }
        close(fd);
    }
    std::vector<std::vector<U8>> blocks_;
    int listener_ = -1;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::vector<U8>> written_;
};

class Detect : public ::testing::Test {
protected:
    void SetUp() override
    {
        unitRoot();
        H_DATABASE_vInit();
        H_COPROC_vResetForTests();
        opt_noadc = TRUE;
        opt_fake_transducer = FALSE;
    }
    void TearDown() override
    {
        opt_noadc = FALSE;
        opt_fake_transducer = FALSE;
    }
    // The two blocks read around the test sequence's send, then the attempts.
    static std::vector<std::vector<U8>> session(std::vector<std::vector<U8>> attempts)
    {
        attempts.insert(attempts.begin(), 2, block(0, 0));
        return attempts;
    }
    static S32 det(int n)
    {
        static const FOURCHARID keys[] = {FCID("DET1"), FCID("DET2"), FCID("DET3"), FCID("DET4"), FCID("DET5")};
        S32 v = -999;
        H_DATABASE_bFetchS32(keys[n - 1], &v, nullptr, nullptr);
        return v;
    }
    static bool exists(FOURCHARID fcid)
    {
        U32 v;
        return H_DATABASE_bFetchU32(fcid, &v, nullptr, nullptr) != FALSE;
    }
};

TEST_F(Detect, TheShortcutsAnswerWithoutPinging)
{
    struct Case {
        const char* what;
        bool fake;
        U32 ssts; // 0: the default choice
        int ad02; // -1: absent
        bool expected;
    };
    const Case cases[] = {
        {"fake_transducer", true, 0, 0x1000, false},
        {"a chosen transducer is trusted", false, 7, -1, true},
        {"a sensor reading below 0xFD00", false, 0, 0xFCFF, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        H_DATABASE_vInit();
        H_COPROC_vResetForTests();
        opt_fake_transducer = c.fake;
        H_DATABASE_bUpdateValueU32(FCID("SSTD"), 1, P_NORMAL);
        H_DATABASE_bUpdateValueU32(FCID("SSTS"), c.ssts ? c.ssts : 1, P_NORMAL);
        if (c.ad02 >= 0)
            H_DATABASE_bUpdateValueU32(FCID("AD02"), (U32)c.ad02, P_NORMAL);
        std::vector<std::vector<U8>> writes;
        {
            Peer peer(session({block(0, 0)}));
            EXPECT_EQ(S_DETECT_bTransducerConnected() != FALSE, c.expected);
            writes = peer.finish();
        }
        // The sensor case sends the test sequence; the others never ping.
        EXPECT_EQ(writes.size(), c.ad02 == 0xFCFF ? 1u : 0u);
        EXPECT_EQ(exists(FCID("DET1")), c.ad02 == 0xFCFF) << "the progress keys are reset only when pinging";
    }
}

TEST_F(Detect, TheTestSequenceIsWrittenIntoACleanedBlock)
{
    // Whatever the block held, only the test sequence goes out.
    H_COPROC_vInitialize();
    memset(gpu8NonCachedDataBlock, 0xAB, MULTI_TX_BYTES);
    std::vector<std::vector<U8>> writes;
    {
        std::vector<std::vector<U8>> attempts(10, block(20, 20));
        Peer peer(session(attempts));
        H_COPROC_vResetForTests();
        EXPECT_FALSE(S_DETECT_bTransducerConnected());
        writes = peer.finish();
    }
    ASSERT_EQ(writes.size(), 1u);
    ASSERT_EQ(writes[0].size(), MULTI_TX_BYTES);
    TX_SEQUENCE seq;
    S_COPROC_vDecodeTxSequence(writes[0].data(), &seq);
    EXPECT_EQ(seq.TxPulse[0].u16TxFreq, 200);
    EXPECT_EQ(seq.TxPulse[0].u8TxCycles, 10);
    EXPECT_EQ(seq.TxPulse[0].eTxMode, TXMODE_DMA);
    EXPECT_EQ(seq.TxPulse[1].eTxMode, TXMODE_NONE);
    EXPECT_EQ(seq.TxPulse[2].u8DutyCycle, 50);
    EXPECT_EQ(seq.eTxPower0, (U32)TXPOWER_LOW);
    EXPECT_EQ(seq.u8SampleRate, 26);
    EXPECT_EQ(seq.u8Tx0Level, 0);
    EXPECT_EQ(seq.u16Samples, 32);
    EXPECT_EQ(seq.u16NoiseSamples, 256);
    EXPECT_EQ(seq.bRxFrequency, 0x03);
    EXPECT_EQ(seq.bBandwidth, 0x01);
    EXPECT_EQ(seq.bRxEnable, 0xFD);
    EXPECT_EQ(writes[0][MULTI_TX_COUNT_OFFSET], 1);
    for (U32 i = TX_SEQUENCE_BYTES; i < MULTI_TX_COUNT_OFFSET; ++i)
        ASSERT_EQ(writes[0][i], 0) << "byte " << i;
}

TEST_F(Detect, PingsDecideWithTheMarginAndPublishTheFirstFiveAttempts)
{
    struct Case {
        const char* what;
        U32 sdet;     // 0: missing
        int ad02;     // -1: absent
        std::vector<std::pair<U8, U8>> attempts; // noise, energy
        bool expected;
        std::vector<S32> published; // DET1..DET5
        U32 margin;   // "SDET" afterwards
    };
    auto times = [](int n, std::pair<U8, U8> p) { return std::vector<std::pair<U8, U8>>(n, p); };
    auto join = [](std::vector<std::pair<U8, U8>> a, const std::vector<std::pair<U8, U8>>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const Case cases[] = {
        // Margin 32: delta 91. 120 over 29 counts, 120 over 30 does not.
        {"six at exactly the margin", 0, -1, times(10, {29, 120}), true, {31, 31, 31, 31, 31}, 32},
        {"one short of the margin", 0, -1, times(10, {30, 120}), false, {31, 31, 31, 31, 31}, 32},
        {"five of ten", 32, -1, join(times(5, {29, 120}), times(5, {30, 30})), false, {31, 31, 31, 31, 31}, 32},
        {"a sensor at 0xFD00 leaves it to the pings", 0, 0xFD00, times(10, {10, 200}), true, {66, 66, 66, 66, 66},
         32},
        {"negative differences truncate toward zero", 0, -1, times(10, {120, 29}), false, {-31, -31, -31, -31, -31},
         32},
        {"a margin of 1 takes a difference of 2", 1, -1, times(10, {10, 12}), true, {0, 0, 0, 0, 0}, 1},
        {"a margin of 0 in the key means 32", 0x100, -1, times(10, {29, 119}), false, {31, 31, 31, 31, 31}, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        H_DATABASE_vInit();
        H_COPROC_vResetForTests();
        if (c.sdet)
            H_DATABASE_bUpdateValueU32(FCID("SDET"), c.sdet, P_NORMAL);
        if (c.ad02 >= 0)
            H_DATABASE_bUpdateValueU32(FCID("AD02"), (U32)c.ad02, P_NORMAL);
        std::vector<std::vector<U8>> attempts;
        for (auto [noise, energy] : c.attempts)
            attempts.push_back(block(noise, energy));
        {
            Peer peer(session(attempts));
            EXPECT_EQ(S_DETECT_bTransducerConnected() != FALSE, c.expected);
        }
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(det(i + 1), c.published[i]) << "DET" << i + 1;
        U32 margin = 0;
        H_DATABASE_bFetchU32(FCID("SDET"), &margin, nullptr, nullptr);
        EXPECT_EQ(margin & 0xFF, c.margin);
    }
}

TEST_F(Detect, SixSuccessesStopAfterSixPingsAndLaterAttemptsPublishNothing)
{
    // Each attempt block carries its own energy, so the block read after
    // the detection tells how many it took.
    struct Case {
        const char* what;
        std::vector<U8> energies; // noise 0
        bool expected;
        U8 nextEnergy; // of the first block left unread
    };
    const Case cases[] = {
        {"six successes", {200, 201, 202, 203, 204, 205, 206, 207, 208, 209}, true, 206},
        {"five of ten", {0, 1, 2, 3, 4, 205, 206, 207, 208, 209}, false, 77},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        H_DATABASE_vInit();
        H_COPROC_vResetForTests();
        std::vector<std::vector<U8>> attempts;
        for (U8 energy : c.energies)
            attempts.push_back(block(0, energy));
        attempts.push_back(block(0, 77));
        {
            Peer peer(session(attempts));
            EXPECT_EQ(S_DETECT_bTransducerConnected() != FALSE, c.expected);
            const U32 n = H_COPROC_u32Transfer(gpu8NonCachedDataBlock, H_COPROC_BLOCK_BYTES, RECEIVE_FROM_COPROC);
            ASSERT_GT(n, 45u + 3 * 256);
            EXPECT_EQ(gpu8NonCachedDataBlock[45 + 3 * 256], c.nextEnergy);
        }
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(det(i + 1), c.energies[i] * 90 / 256) << "DET" << i + 1;
        EXPECT_FALSE(exists(FCID("DET6")));
    }
}

TEST_F(Detect, AnEchoAskingForNothingOrTooMuchStaysInsideTheBuffers)
{
    // Counts of 0 give level 0; counts above the buffers are cut to them.
    std::vector<std::vector<U8>> attempts;
    for (int i = 0; i < 10; ++i)
        attempts.push_back(i % 2 ? block(5, 100, 0, 0) : block(5, 100, 600, 300));
    {
        Peer peer(session(attempts));
        EXPECT_FALSE(S_DETECT_bTransducerConnected());
    }
    EXPECT_EQ(det(1), 0) << "noise 5 over 256 of 600, returns 5 too";
    EXPECT_EQ(det(2), 0) << "nothing asked: 0 - 0";
}

TEST(DetectHelpers, AverageLevelTruncates)
{
    const U8 a[] = {1, 2, 2};
    EXPECT_EQ(u8AverageLevel(a, 3), 1);
    const U8 b[] = {255, 255, 254};
    EXPECT_EQ(u8AverageLevel(b, 3), 254);
    EXPECT_EQ(u8AverageLevel(a, 0), 0);
    EXPECT_EQ(u8AverageLevel(nullptr, 3), 0);
}

} // namespace
} // namespace sonar_test
