// Beeper: the tone reaches the device as a 4-byte little-endian frequency,
// the device is open only while a tone sounds, the fallback device, and
// silence when no device opens or the notone option is set.
#include "platform/h_tone.h"
#include "platform/tests/platform_root.h"

#include "kernel/lm_log.h"
#include "platform/h_options.h"

#include <gtest/gtest.h>

#include <climits>
#include <dirent.h>
#include <string>
#include <unistd.h>

namespace platform_test {
namespace {

// How many of this process's descriptors are open on the file.
int openCount(const std::string& hostPath)
{
    int n = 0;
    DIR* d = opendir("/proc/self/fd");
    while (struct dirent* e = readdir(d)) {
        char target[PATH_MAX];
        std::string link = std::string("/proc/self/fd/") + e->d_name;
        ssize_t len = readlink(link.c_str(), target, sizeof target - 1);
        if (len > 0 && std::string(target, (size_t)len) == hostPath)
            ++n;
    }
    closedir(d);
    return n;
}

std::string bytes(std::initializer_list<unsigned char> b)
{
    return std::string(b.begin(), b.end());
}

class Beeper : public ::testing::Test {
protected:
    void SetUp() override
    {
        unitRoot();
        H_TONE_vStopTone();
        opt_notone = FALSE;
        drop("/dev/buzzer0");
        drop("/dev/buzzer");
    }
    void TearDown() override
    {
        H_TONE_vStopTone();
        opt_notone = FALSE;
    }
};

TEST_F(Beeper, ToneIsWholeHertzLittleEndianUntilStopCloses)
{
    put("/dev/buzzer0", "");
    const std::string dev = at("/dev/buzzer0");
    H_TONE_vInit();
    EXPECT_EQ(openCount(dev), 0); // opened by the first tone only
    H_TONE_vStartTone(3520.9f);
    EXPECT_EQ(contents("/dev/buzzer0"), bytes({0xC0, 0x0D, 0x00, 0x00})); // 3520
    EXPECT_EQ(openCount(dev), 1);
    H_TONE_vStartTone(70000.0f); // the open device takes the next one
    EXPECT_EQ(contents("/dev/buzzer0"), bytes({0xC0, 0x0D, 0, 0, 0x70, 0x11, 0x01, 0x00}));
    EXPECT_EQ(openCount(dev), 1);
    H_TONE_vStopTone();
    EXPECT_EQ(openCount(dev), 0);
    H_TONE_vStopTone(); // a second stop is harmless
    H_TONE_vStartTone(440.0f); // reopened at the next tone
    EXPECT_EQ(contents("/dev/buzzer0").substr(0, 4), bytes({0xB8, 0x01, 0x00, 0x00}));
    EXPECT_EQ(openCount(dev), 1);
}

TEST_F(Beeper, FallsBackToTheSecondDevice)
{
    put("/dev/buzzer", "");
    H_TONE_vStartTone(1000.0f);
    EXPECT_EQ(contents("/dev/buzzer"), bytes({0xE8, 0x03, 0x00, 0x00}));
    EXPECT_FALSE(vt::fileExists(at("/dev/buzzer0")));
    H_TONE_vStopTone();
    EXPECT_EQ(openCount(at("/dev/buzzer")), 0);
}

TEST_F(Beeper, SilentWithoutDeviceOrWithNotone)
{
    H_TONE_vStartTone(1000.0f); // nothing to open: silence, nothing created
    H_TONE_vStopTone();
    EXPECT_FALSE(vt::fileExists(at("/dev/buzzer0")));
    EXPECT_FALSE(vt::fileExists(at("/dev/buzzer")));

    put("/dev/buzzer0", "");
    opt_notone = TRUE;
    H_TONE_vStartTone(1000.0f);
    EXPECT_EQ(contents("/dev/buzzer0"), "");
    EXPECT_EQ(openCount(at("/dev/buzzer0")), 0);
}

TEST_F(Beeper, FrequencyNoNumberHoldsIsCutNotUndefined)
{
    put("/dev/buzzer0", "");
    H_TONE_vStartTone(-0.9f);  // toward zero
    H_TONE_vStartTone(1e20f);  // the largest S32
    H_TONE_vStartTone(__builtin_nanf(""));
    EXPECT_EQ(contents("/dev/buzzer0"), bytes({0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0}));
}

} // namespace
} // namespace platform_test
