// The sonar coprocessor interface: initialisation that completes what is
// missing, transfers through a SEQPACKET device, the directions it refuses,
// and the analogue inputs with their 500 ms rate limit.
#include "platform/h_coproc.h"
#include "platform/dd_coproc.h"
#include "platform/tests/platform_root.h"

#include "kernel/l_clock.h"
#include "kernel/lm_log.h"
#include "platform/h_options.h"
#include "store/h_database.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <vector>

namespace platform_test {
namespace {

constexpr U32 FAILED = 0xFFFFFFFFu;

// A SEQPACKET listener at ROOT/dev/sonar0 that the unit connects to.
class DevicePeer {
public:
    DevicePeer()
    {
        path_ = at("/dev/sonar0");
        unlink(path_.c_str());
        listener_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        sockaddr_un addr = {};
        addr.sun_family = AF_UNIX;
        snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path_.c_str());
        EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        EXPECT_EQ(listen(listener_, 1), 0);
    }
    ~DevicePeer()
    {
        if (conn_ >= 0)
            close(conn_);
        if (listener_ >= 0)
            close(listener_);
        unlink(path_.c_str());
    }
    // Takes the unit's connection (made by H_COPROC_vInitialize).
    void accept()
    {
        conn_ = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        ASSERT_GE(conn_, 0);
        const int bytes = DD_COPROC_SOCKET_BUFFER_BYTES;
        setsockopt(conn_, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
    }
    void send(size_t bytes, U8 fill = 0x5A)
    {
        std::vector<U8> b(bytes, fill);
        ASSERT_EQ(::send(conn_, b.data(), b.size(), MSG_NOSIGNAL), (ssize_t)bytes);
    }
    // Size of the next message the unit wrote; -1 when none is waiting.
    ssize_t nextMessage()
    {
        pollfd p = {conn_, POLLIN, 0};
        if (poll(&p, 1, 1000) != 1)
            return -1;
        U8 b[16];
        return recv(conn_, b, sizeof b, MSG_TRUNC);
    }
    // Closes the connection; a write of the unit that was never read makes
    // the unit's next read fail.
    void hangUp()
    {
        close(conn_);
        conn_ = -1;
    }
    // Closes the listener, leaving the socket file nobody answers.
    void stopListening()
    {
        close(listener_);
        listener_ = -1;
    }

private:
    std::string path_;
    int listener_ = -1;
    int conn_ = -1;
};

void setInputs(U16 battery, U16 external, U16 transducer)
{
    const U16 v[3] = {battery, external, transducer};
    for (int i = 0; i < 3; ++i)
        put("/dev/ainput" + std::to_string(i), std::string{(char)(v[i] & 0xFF), (char)(v[i] >> 8)});
}

struct Keys {
    bool written;
    U32 ad05, ad00, ad02;
};

Keys keys()
{
    Keys k = {};
    BOOLEAN valid;
    k.written = H_DATABASE_bFetchU32(FCID("AD05"), &k.ad05, &valid, nullptr);
    const bool b = H_DATABASE_bFetchU32(FCID("AD00"), &k.ad00, &valid, nullptr);
    const bool c = H_DATABASE_bFetchU32(FCID("AD02"), &k.ad02, &valid, nullptr);
    EXPECT_EQ(k.written, b);
    EXPECT_EQ(k.written, c);
    return k;
}

int openDescriptors()
{
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d))
            ++n;
        closedir(d);
    }
    return n;
}

U32 receive(U32 size = H_COPROC_BLOCK_BYTES)
{
    return H_COPROC_u32Transfer(gpu8NonCachedDataBlock, size, RECEIVE_FROM_COPROC);
}

class Coproc : public ::testing::Test {
protected:
    void SetUp() override
    {
        unitRoot();
        H_COPROC_vResetForTests();
        H_DATABASE_vInit();
        L_CLOCK_vResetTestClock();
        opt_noadc = FALSE;
        drop("/dev/sonar0");
        setInputs(1, 2, 3);
    }
    void TearDown() override
    {
        H_COPROC_vResetForTests();
        opt_noadc = FALSE;
        L_CLOCK_vResetTestClock();
        for (const char* p : {"/dev/sonar0", "/dev/ainput0", "/dev/ainput1", "/dev/ainput2"})
            drop(p);
    }
};

TEST_F(Coproc, AnalogueInputsAreReadAtMostEvery500Milliseconds)
{
    DevicePeer peer;
    H_COPROC_vInitialize();
    ASSERT_TRUE(H_COPROC_bCoprocessorReady());
    peer.accept();
    ASSERT_EQ(H_COPROC_u32Transfer(gpu8NonCachedDataBlock, 247, SEND_TO_COPROC), 247u);

    // Each step: the readings in the files, the time that passes, what the
    // device answers (bytes, or -1 for a failed read), then the keys.
    const struct {
        U16 file[3]; // battery, external, transducer
        U32 advanceMs;
        int reply;
        U16 keys[3]; // readings behind AD05, AD00, AD02
    } steps[] = {
        {{1, 2, 3}, 0, 100, {1, 2, 3}},     // the first receive reads at once
        {{4, 5, 6}, 100, 100, {1, 2, 3}},   // 100 ms later: not again
        {{4, 5, 6}, 400, 8, {1, 2, 3}},     // 500 ms, but 8 bytes carry nothing
        {{4, 5, 6}, 0, 9, {4, 5, 6}},       // 9 bytes do
        {{7, 8, 9}, 500, 0, {4, 5, 6}},     // nothing read
        {{7, 8, 9}, 0, -1, {7, 8, 9}},      // a failed read refreshes them
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << "reply " << s.reply << " after " << s.advanceMs << " ms");
        setInputs(s.file[0], s.file[1], s.file[2]);
        L_CLOCK_vAdvanceTestClock(s.advanceMs);
        if (s.reply < 0) {
            // A transmit block the device never takes, then it hangs up.
            ASSERT_EQ(H_COPROC_u32Transfer(gpu8NonCachedDataBlock, 247, SEND_TO_COPROC), 247u);
            peer.hangUp();
            EXPECT_EQ(receive(), FAILED);
        } else {
            peer.send((size_t)s.reply); // a message may be empty
            EXPECT_EQ(receive(), (U32)s.reply);
        }
        const Keys k = keys();
        ASSERT_TRUE(k.written);
        EXPECT_EQ(k.ad05, (U32)s.keys[0] << 4);
        EXPECT_EQ(k.ad00, (U32)s.keys[1] << 4);
        EXPECT_EQ(k.ad02, (U32)s.keys[2] << 4);
    }
}

TEST_F(Coproc, OneWriteIsOneMessageAndOneReadOneWholeBlock)
{
    DevicePeer peer;
    H_COPROC_vInitialize();
    peer.accept();
    ASSERT_EQ(H_COPROC_u32Transfer(gpu8NonCachedDataBlock, 247, SEND_TO_COPROC), 247u);
    ASSERT_EQ(H_COPROC_u32Transfer(gpu8NonCachedDataBlock, 247, SEND_TO_COPROC), 247u);
    EXPECT_EQ(peer.nextMessage(), 247);
    EXPECT_EQ(peer.nextMessage(), 247);
    peer.send(H_COPROC_BLOCK_BYTES, 0xC3);
    peer.send(100, 0x3C);
    EXPECT_EQ(receive(), H_COPROC_BLOCK_BYTES);
    EXPECT_EQ(gpu8NonCachedDataBlock[H_COPROC_BLOCK_BYTES - 1], 0xC3);
    EXPECT_EQ(receive(), 100u);
    EXPECT_EQ(gpu8NonCachedDataBlock[0], 0x3C);
}

TEST_F(Coproc, OtherDirectionsTouchNeitherDeviceNorInputs)
{
    DevicePeer peer;
    H_COPROC_vInitialize();
    peer.accept();
    peer.send(50);
    for (U32 direction : {0u, 3u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(direction);
        EXPECT_EQ(H_COPROC_u32Transfer(gpu8NonCachedDataBlock, 247, direction), FAILED);
    }
    EXPECT_EQ(peer.nextMessage(), -1) << "nothing written";
    EXPECT_FALSE(keys().written);
    EXPECT_EQ(receive(), 50u) << "the waiting block is still there";
}

TEST_F(Coproc, ADeviceThatCannotOpenIsNotReadyAndRefusesTransfers)
{
    DevicePeer peer;
    peer.stopListening();
    H_COPROC_vInitialize();
    EXPECT_FALSE(H_COPROC_bCoprocessorReady());
    EXPECT_EQ(H_COPROC_u32Transfer(gpu8NonCachedDataBlock, 247, SEND_TO_COPROC), FAILED);
    EXPECT_FALSE(keys().written);
    EXPECT_EQ(receive(), FAILED);
    EXPECT_TRUE(keys().written) << "a receive still reads the inputs";
}

TEST_F(Coproc, NoAdcWritesNothing)
{
    opt_noadc = TRUE;
    H_COPROC_vInitialize();
    H_COPROC_vReadAdcInputs();
    receive();
    EXPECT_FALSE(keys().written);
}

TEST_F(Coproc, AnInputThatCannotOpenSwitchesTheReadingOff)
{
    drop("/dev/ainput1");
    // A link to nowhere: it cannot be opened, and no stand-in replaces it.
    ASSERT_EQ(symlink("nowhere", at("/dev/ainput1").c_str()), 0);
    testing::internal::CaptureStdout();
    H_COPROC_vInitialize();
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("H_COPROC_vInitialize(): Could not open adc input dev files, disabling adc input"),
              std::string::npos);
    EXPECT_TRUE(opt_noadc);
    receive();
    EXPECT_FALSE(keys().written);
}

TEST_F(Coproc, InitialisingAgainOpensNothingAndKeepsTheBlock)
{
    DevicePeer peer;
    H_COPROC_vInitialize();
    U8* block = gpu8NonCachedDataBlock;
    ASSERT_NE(block, nullptr);
    const int before = openDescriptors();
    testing::internal::CaptureStdout();
    H_COPROC_vInitialize();
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_EQ(gpu8NonCachedDataBlock, block);
    EXPECT_NE(log.find("data block ptr = "), std::string::npos);
    EXPECT_EQ(log.find("Could not open"), std::string::npos);
}

TEST_F(Coproc, MissingInputsUnderARootReadAsAConnectedUnit)
{
    for (const char* p : {"/dev/ainput0", "/dev/ainput1", "/dev/ainput2"})
        drop(p);
    H_COPROC_vInitialize();
    EXPECT_FALSE(opt_noadc);
    H_COPROC_vReadAdcInputs();
    const Keys k = keys();
    ASSERT_TRUE(k.written);
    EXPECT_LT(k.ad02, 0xFD00u) << "the transducer's thermistor reads";
    EXPECT_EQ(k.ad05 >> 4, 2164u);
    // An existing file is never rewritten: a test's reading stands.
    H_COPROC_vResetForTests();
    setInputs(7, 8, 9);
    H_COPROC_vInitialize();
    H_COPROC_vReadAdcInputs();
    EXPECT_EQ(keys().ad05, 7u << 4);
}

TEST_F(Coproc, InProcessSimulatorIsTheDefaultDevice)
{
    H_COPROC_vInitialize();
    ASSERT_TRUE(H_COPROC_bCoprocessorReady());
    EXPECT_EQ(receive(), 0u) << "no data before a transmit block";
    EXPECT_FALSE(keys().written) << "0 bytes carry nothing";
    U8* b = gpu8NonCachedDataBlock;
    std::fill(b, b + 247, 0);
    b[0] = 200;   // 200 kHz
    b[2] = 10;    // cycles
    b[3] = 1;     // timer mode
    b[33] = 100;  // samples
    b[35] = 50;   // noise samples
    b[39] = 0xFD;
    b[246] = 1;
    ASSERT_EQ(H_COPROC_u32Transfer(b, 247, SEND_TO_COPROC), 247u);
    EXPECT_EQ(receive(), 45u + 3 * 150);
    EXPECT_TRUE(keys().written);
}

} // namespace
} // namespace platform_test
