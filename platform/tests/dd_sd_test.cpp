// SD-card driver under a unit root: presence from the sysfs host folders,
// the mount order with its fallbacks (partition, whole device, read-only),
// identification, unmount retries, and the detection thread's one signal
// per insertion or removal.
//
// Cards are folders; the device nodes ROOT/dev/mmcblkN[p1] link to them
// and the stand-in mount strategy logs every call to ROOT/tmp/mount.log.
#include "platform/dd_sd.h"
#include "platform/tests/platform_root.h"

#include "kernel/l_sema.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace platform_test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr SEMA SEMA_TIMER_MMC = 73;

// Set once a test of this program has made or removed a device node: the
// detection thread may still be working through those events.
bool s_bNodesTouched = false;
constexpr const char* CID_TEXT = "035344534430344780a1b2c3d400c9a5";
const U8 CID_BYTES[16] = {0x03, 0x53, 0x44, 0x53, 0x44, 0x30, 0x34, 0x47,
                          0x80, 0xA1, 0xB2, 0xC3, 0xD4, 0x00, 0xC9, 0xA5};

// The lines of ROOT/tmp/mount.log since the last call.
std::vector<std::string> mountCalls()
{
    std::vector<std::string> out;
    std::istringstream in(contents("/tmp/mount.log"));
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    drop("/tmp/mount.log");
    return out;
}

class SdCard : public ::testing::Test {
protected:
    void SetUp() override
    {
        unitRoot();
        std::error_code ec;
        for (const char* d : {"/sys/class/mmc_host", "/cards", "/mnt/mmc0", "/mnt/mmc1"})
            fs::remove_all(at(d), ec);
        for (const char* n : {"mmcblk0", "mmcblk0p1", "mmcblk2", "mmcblk2p1", "mmcblk3"})
            drop(std::string("/dev/") + n);
        vt::makeDirs(at("/mnt/mmc0"));
        vt::makeDirs(at("/mnt/mmc1"));
        DD_SD_vInit();
        mountCalls();
    }
    void TearDown() override
    {
        std::error_code ec;
        for (auto& e : fs::recursive_directory_iterator(at("/cards"), ec))
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }

    // The kernel's view of a card in a host: HOST/HOST:0001/block/mmcblkN,
    // with its cid and type files.
    static void sysfsCard(const char* host, int blockNumber, const char* cid = CID_TEXT, const char* type = "SD")
    {
        std::string card = std::string("/sys/class/mmc_host/") + host + "/" + host + ":0001";
        vt::makeDirs(at(card + "/block/mmcblk" + std::to_string(blockNumber)));
        put(card + "/cid", std::string(cid) + "\n");
        put(card + "/type", std::string(type) + "\n");
    }

    // A card folder holding one file.
    static std::string cardFolder(const char* name)
    {
        std::string folder = at(std::string("/cards/") + name);
        vt::makeDirs(folder);
        vt::writeFile(folder + "/CARD.TXT", name);
        return folder;
    }

    static void node(const std::string& name, const std::string& folder)
    {
        s_bNodesTouched = true;
        std::string path = at("/dev/" + name);
        unlink(path.c_str());
        if (folder.empty())
            vt::writeFile(path, "");
        else
            ASSERT_EQ(symlink(folder.c_str(), path.c_str()), 0);
    }
};

TEST_F(SdCard, StartUpEmptiesBothSlotsAndReleasesAnEarlierMount)
{
    for (int slot : {0, 1}) {
        EXPECT_EQ(DD_SD_eReadCardType(slot), NO_CARD_PRESENT);
        EXPECT_FALSE(DD_SD_bIsHardwareWriteEnabled(slot));
    }
    EXPECT_STREQ(DD_SD_psGetStatus(0)->cDeviceName, "mmc0");
    EXPECT_STREQ(DD_SD_psGetStatus(1)->cDeviceName, "mmc2");

    // A mount left by an earlier run is released; an unmounted point is
    // tried once.
    std::string folder = cardFolder("left");
    fs::remove(at("/mnt/mmc0"));
    fs::create_directory_symlink(folder, at("/mnt/mmc0"));
    DD_SD_vInit();
    EXPECT_EQ(mountCalls(), (std::vector<std::string>{"umount /mnt/mmc0 = 0", "umount /mnt/mmc1 = 22"}));
    EXPECT_TRUE(fs::is_directory(fs::symlink_status(at("/mnt/mmc0"))));
    EXPECT_TRUE(fs::is_empty(at("/mnt/mmc0")));
}

TEST_F(SdCard, PresenceNeedsHostCardAndBlockDevice)
{
    EXPECT_FALSE(DD_SD_bIsCardPresent(0)); // no host folder
    vt::makeDirs(at("/sys/class/mmc_host/mmc0/power"));
    EXPECT_FALSE(DD_SD_bIsCardPresent(0)); // host without card
    vt::makeDirs(at("/sys/class/mmc_host/mmc0/mmc0:aaaa"));
    EXPECT_FALSE(DD_SD_bIsCardPresent(0)); // card without block folder
    vt::makeDirs(at("/sys/class/mmc_host/mmc0/mmc0:aaaa/block"));
    EXPECT_FALSE(DD_SD_bIsCardPresent(0)); // no block device yet
    vt::makeDirs(at("/sys/class/mmc_host/mmc0/mmc0:aaaa/block/mmcblk1"));
    ASSERT_TRUE(DD_SD_bIsCardPresent(0));
    EXPECT_STREQ(DD_SD_psGetStatus(0)->cFullName, "mmc0:aaaa");
    EXPECT_STREQ(DD_SD_psGetStatus(0)->dir_name, "/sys/class/mmc_host/mmc0/mmc0:aaaa");
    EXPECT_EQ(DD_SD_psGetStatus(0)->nLogicalID, 1);

    // Slot 1 is host mmc2; a card of another host is not its card.
    vt::makeDirs(at("/sys/class/mmc_host/mmc2/mmc1:0001/block/mmcblk2"));
    EXPECT_FALSE(DD_SD_bIsCardPresent(1));
    sysfsCard("mmc2", 2);
    ASSERT_TRUE(DD_SD_bIsCardPresent(1));
    EXPECT_EQ(DD_SD_psGetStatus(1)->nLogicalID, 2);
    EXPECT_EQ(DD_SD_eReadCardType(1), NO_CARD_PRESENT); // presence alone mounts nothing
}

TEST_F(SdCard, CardMountsItsFirstPartitionAndIsIdentified)
{
    sysfsCard("mmc0", 0, CID_TEXT, "MMC");
    node("mmcblk0", "");
    node("mmcblk0p1", cardFolder("a"));
    ASSERT_TRUE(DD_SD_bInitCard(0));
    EXPECT_EQ(mountCalls(), std::vector<std::string>{"mount /dev/mmcblk0p1 /mnt/mmc0 msdos rw check=r = 0"});
    EXPECT_EQ(vt::readFile(at("/mnt/mmc0/CARD.TXT")), "a");
    EXPECT_EQ(DD_SD_eReadCardType(0), SD_CARD_PRESENT); // whatever the type file says
    EXPECT_TRUE(DD_SD_bIsHardwareWriteEnabled(0));
    U8 cid[16] = {};
    DD_SD_vGetCID(0, cid);
    EXPECT_EQ(std::vector<U8>(cid, cid + 16), std::vector<U8>(CID_BYTES, CID_BYTES + 16));

    DD_SD_vUmount(0);
    EXPECT_EQ(mountCalls(), std::vector<std::string>{"umount /mnt/mmc0 = 0"});
    EXPECT_FALSE(vt::fileExists(at("/mnt/mmc0/CARD.TXT")));
    EXPECT_EQ(DD_SD_eReadCardType(0), NO_CARD_PRESENT);
    EXPECT_FALSE(DD_SD_bIsHardwareWriteEnabled(0));
}

TEST_F(SdCard, WriteProtectedCardMountsReadOnlyAtOnce)
{
    sysfsCard("mmc2", 2);
    std::string folder = cardFolder("locked");
    chmod(folder.c_str(), 0555);
    node("mmcblk2", "");
    node("mmcblk2p1", folder);
    ASSERT_TRUE(DD_SD_bInitCard(1));
    EXPECT_EQ(mountCalls(), (std::vector<std::string>{"mount /dev/mmcblk2p1 /mnt/mmc1 msdos rw check=r = 30",
                                                      "mount /dev/mmcblk2p1 /mnt/mmc1 msdos ro check=r = 0"}));
    EXPECT_FALSE(DD_SD_bIsHardwareWriteEnabled(1));
    EXPECT_EQ(DD_SD_eReadCardType(1), SD_CARD_PRESENT);
    EXPECT_EQ(vt::readFile(at("/mnt/mmc1/CARD.TXT")), "locked");
}

TEST_F(SdCard, ShortCidLeavesTheLastOneAndStillMounts)
{
    sysfsCard("mmc0", 0);
    node("mmcblk0p1", cardFolder("b"));
    ASSERT_TRUE(DD_SD_bInitCard(0));
    DD_SD_vUmount(0);
    sysfsCard("mmc0", 0, "0353445344");
    ASSERT_TRUE(DD_SD_bInitCard(0));
    U8 cid[16] = {};
    DD_SD_vGetCID(0, cid);
    EXPECT_EQ(std::vector<U8>(cid, cid + 16), std::vector<U8>(CID_BYTES, CID_BYTES + 16));
}

TEST_F(SdCard, CardWithoutPartitionMountsTheWholeDeviceAfterThreeTries)
{
    sysfsCard("mmc0", 0);
    node("mmcblk0", cardFolder("whole"));
    auto t0 = Clock::now();
    ASSERT_TRUE(DD_SD_bInitCard(0));
    EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(2900)); // a second after each failure
    const std::string p1 = "mount /dev/mmcblk0p1 /mnt/mmc0 msdos rw check=r = 2";
    EXPECT_EQ(mountCalls(),
              (std::vector<std::string>{p1, p1, p1, "mount /dev/mmcblk0 /mnt/mmc0 msdos rw check=r = 0"}));
    EXPECT_EQ(vt::readFile(at("/mnt/mmc0/CARD.TXT")), "whole");
}

TEST_F(SdCard, UnmountableCardIsGivenUpAfterSixTries)
{
    sysfsCard("mmc0", 0);
    node("mmcblk0", ""); // a disk without a file system the driver knows
    ASSERT_FALSE(DD_SD_bInitCard(0));
    const std::string p1 = "mount /dev/mmcblk0p1 /mnt/mmc0 msdos rw check=r = 2";
    const std::string whole = "mount /dev/mmcblk0 /mnt/mmc0 msdos rw check=r = 22";
    EXPECT_EQ(mountCalls(), (std::vector<std::string>{p1, p1, p1, whole, whole, whole}));
    EXPECT_EQ(DD_SD_eReadCardType(0), NO_CARD_PRESENT);
    EXPECT_FALSE(DD_SD_bIsHardwareWriteEnabled(0));
}

TEST_F(SdCard, BusyUnmountIsRetriedEverySecond)
{
    sysfsCard("mmc0", 0);
    node("mmcblk0p1", cardFolder("busy"));
    ASSERT_TRUE(DD_SD_bInitCard(0));
    mountCalls();
    put("/mnt/mmc0.busy", "");
    std::thread release([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        drop("/mnt/mmc0.busy");
    });
    DD_SD_vUmount(0);
    release.join();
    EXPECT_EQ(mountCalls(),
              (std::vector<std::string>{"umount /mnt/mmc0 = 16", "umount /mnt/mmc0 = 16", "umount /mnt/mmc0 = 0"}));
    EXPECT_EQ(DD_SD_eReadCardType(0), NO_CARD_PRESENT);
}

// Signals of semaphore 73, each with its time since the test began.
class SignalCounter {
public:
    SignalCounter()
        : t0_(Clock::now()), thread_([this] {
              while (!stop_) {
                  if (L_SEMA_WaitTicks(SEMA_TIMER_MMC, 50) == 0) {
                      std::lock_guard<std::mutex> lock(mutex_);
                      times_.push_back(ms());
                  }
              }
          })
    {
    }
    ~SignalCounter() { finish(); }
    std::vector<long> finish()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        std::lock_guard<std::mutex> lock(mutex_);
        return times_;
    }
    long ms() const
    {
        return (long)std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0_).count();
    }
    size_t count()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return times_.size();
    }

private:
    Clock::time_point t0_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<long> times_;
    std::thread thread_;
};

TEST_F(SdCard, InsertionAndRemovalSignalOnceEachTwoSecondsLater)
{
    // Device nodes of earlier tests in this program: wait until the
    // detection thread has had its say on all of them.
    if (s_bNodesTouched) {
        for (auto t0 = Clock::now(); Clock::now() - t0 < std::chrono::seconds(120);)
            if (L_SEMA_WaitTicks(SEMA_TIMER_MMC, 2500) != 0)
                break;
    }
    L_SEMA_WaitTicks(SEMA_TIMER_MMC, 0);

    SignalCounter signals;
    std::string folder = cardFolder("detect");
    node("mmcblk3", "");       // no slot of this unit
    node("mmcblk0", "");       // the disk node ...
    node("mmcblk0p1", folder); // ... and its partition: one card
    while (signals.count() < 1 && signals.ms() < 4000)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const long removedAt = signals.ms();
    drop("/dev/mmcblk0p1");
    drop("/dev/mmcblk0");
    drop("/dev/mmcblk3");
    // A second signal for the partition node would come 2 s after the
    // first, one for the removal's disk node 2 s after the removal's.
    while (signals.ms() < removedAt + 4500)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::vector<long> times = signals.finish();
    ASSERT_EQ(times.size(), 2u);
    EXPECT_GE(times[0], 1950);
    EXPECT_LT(times[0], 3500);
    EXPECT_GE(times[1], removedAt + 1950);
    EXPECT_LT(times[1], removedAt + 3500);
}

} // namespace
} // namespace platform_test
