// The NVRAM files: slot mapping, the files the unit writes read back by a
// reader made from the format, read and iteration rules, blocks, scratch,
// and files that stay whole when the writer is killed at any moment.
#include "store/h_nvram.h"

#include "store/tests/nvram_fixture.h"
#include "testing/t_proc.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using nvt::db;
using nvt::fc;

class Nvram : public nvt::NvramTest {};

NVR_ENTRY entry(const char* key, U32 value = 0)
{
    return {fc(key), db(value)};
}

BOOLEAN write(const char* key, U32 value)
{
    NVR_ENTRY e = entry(key, value);
    return H_NVRAM_bWriteFCID(&e);
}

TEST(NvramSlots, KeysMapToTheirSlotsAndBack)
{
    struct Case {
        const char* key;
        U32 slot;
    };
    const Case cases[] = {
        {"S000", 0},      {"S001", 1},      {"S00Z", 35},     {"S010", 36},     {"S100", 1296},
        {"SA00", 12960},  {"SZZZ", 46655},  {"NVER", 46656},  {"CREV", 46657},  {"FFST", 46658},
        {"SLNG", 1296 * 21 + 36 * 23 + 16},
        // Characters outside 0-9 and A-Z count as 0.
        {"Sa0z", 0},      {"S-A!", 360},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(H_NVRAM_u32XlatID(fc(c.key)), c.slot) << c.key;
        EXPECT_EQ(nvt::slotOf(c.key), c.slot) << c.key;
    }
    // Only the low seven bits of the first character decide an S key.
    EXPECT_EQ(H_NVRAM_u32XlatID(fc("S123") | 0x80), H_NVRAM_u32XlatID(fc("S123")));
    for (const char* key : {"FABC", "CCST", "TNVR", "sABC", "NVEr"})
        EXPECT_EQ(H_NVRAM_u32XlatID(fc(key)), NVR_NO_SLOT) << key;

    for (U32 slot = 0; slot < NVR_SLOT_COUNT; ++slot) {
        FOURCHARID id = H_NVRAM_fcidXlatNumber(slot);
        ASSERT_EQ(id, fc(nvt::keyOf(slot))) << slot;
        ASSERT_EQ(H_NVRAM_u32XlatID(id), slot);
    }
    EXPECT_EQ(H_NVRAM_fcidXlatNumber(NVR_SLOT_COUNT), 0xFFFFFFFFu);
}

TEST_F(Nvram, InitCreatesUsableFoldersAndTellsAVirginUnit)
{
    std::filesystem::remove_all(cwd);
    std::filesystem::remove_all(nvt::unitRoot().at("/tmp/vondrel"));
    mode_t mask = umask(022);
    EXPECT_EQ(H_NVRAM_eInit(), STATE_VIRGIN);
    struct stat st;
    ASSERT_EQ(0, stat(cwd.c_str(), &st));
    EXPECT_EQ(st.st_mode & 0777, 0755u) << "folders are searchable";
    EXPECT_TRUE(vt::fileExists(nvt::unitRoot().at("/tmp/vondrel")));
    EXPECT_TRUE(vt::writeFile(path("probe"), "x")) << "a fresh working directory is usable";
    umask(mask);

    vt::writeFile(path("nvr_statbit.dat"), "");
    EXPECT_EQ(H_NVRAM_eInit(), STATE_VIRGIN) << "an empty bitmap file";
    vt::writeFile(path("nvr_statbit.dat"), std::string(4, '\0'));
    EXPECT_EQ(H_NVRAM_eInit(), STATE_ACTIVE);
}

TEST_F(Nvram, AWorkingDirectoryThatIsNotAFolderIsAHardwareFailure)
{
    std::filesystem::remove_all(cwd);
    vt::writeFile(cwd, "not a folder");
    EXPECT_EQ(H_NVRAM_eInit(), STATE_HARDWARE_FAILURE);
    std::filesystem::remove(cwd);
    std::filesystem::create_directories(cwd);
}

TEST_F(Nvram, FilesAreByteExactAgainstTheFormat)
{
    // Written one after another as the unit does: each value, then its
    // bitmap word, the files growing as far as the last word written.
    const std::pair<const char*, U32> writes[] = {
        {"S000", 0x11223344}, {"S001", 7},          {"SZZZ", 0xFFFFFFFF}, {"SA00", 0},
        {"CREV", 0x0102},     {"S001", 8},          {"NVER", NVR_VERSION}, {"FFST", 1},
        {"SLNG", 3},
    };
    nvt::Files model;
    for (auto [key, value] : writes) {
        ASSERT_TRUE(write(key, value)) << key;
        nvt::writeInPlace(model, key, value);
        H_NVRAM_vFlashWriteBack();
        ASSERT_EQ(nvt::readFiles(cwd), model) << "after " << key;
    }
    EXPECT_EQ(files(), (std::map<std::string, U32>{{"S000", 0x11223344},
                                                   {"S001", 8},
                                                   {"SZZZ", 0xFFFFFFFF},
                                                   {"SA00", 0},
                                                   {"CREV", 0x0102},
                                                   {"NVER", NVR_VERSION},
                                                   {"FFST", 1},
                                                   {"SLNG", 3}}));
    EXPECT_FALSE(vt::fileExists(path("nvr_entries.dat.tmp")));
    EXPECT_FALSE(vt::fileExists(path("nvr_statbit.dat.tmp")));
}

TEST_F(Nvram, ValuesReachTheFilesOnlyWhenFlushed)
{
    ASSERT_TRUE(write("S005", 5));
    EXPECT_TRUE(files().empty());
    H_NVRAM_vFlashWriteBack();
    EXPECT_EQ(files(), (std::map<std::string, U32>{{"S005", 5}}));
    // Rewriting the same value changes nothing on the medium.
    struct stat before, after;
    ASSERT_EQ(0, stat(path("nvr_entries.dat").c_str(), &before));
    ASSERT_TRUE(write("S005", 5));
    H_NVRAM_vFlashWriteBack();
    ASSERT_EQ(0, stat(path("nvr_entries.dat").c_str(), &after));
    EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST_F(Nvram, ReadsByKeyAndByNumber)
{
    nvt::writeFiles(cwd, nvt::encode({{"S123", 42}, {"CREV", 9}, {"NVER", NVR_VERSION}}));

    NVR_ENTRY e = entry("S123");
    EXPECT_TRUE(H_NVRAM_bGetItemByID(&e));
    EXPECT_EQ(e.data.u32Val, 42u);
    e = entry("CREV");
    EXPECT_TRUE(H_NVRAM_bGetItemByID(&e)) << "a header key outside F and S";
    EXPECT_EQ(e.data.u32Val, 9u);

    // A clear bit: both halves become 0xFFFFFFFF.
    for (const char* key : {"S124", "FFST", "FABC"}) {
        e = entry(key, 5);
        EXPECT_FALSE(H_NVRAM_bGetItemByID(&e)) << key;
        EXPECT_EQ(e.id, 0xFFFFFFFFu);
        EXPECT_EQ(e.data.u32Val, 0xFFFFFFFFu);
    }
    // Not F, not S, not a header key: refused, entry untouched.
    e = entry("XABC", 5);
    EXPECT_FALSE(H_NVRAM_bGetItemByID(&e));
    EXPECT_EQ(e.id, fc("XABC"));
    EXPECT_EQ(e.data.u32Val, 5u);

    e = entry("XXXX", 77);
    EXPECT_TRUE(H_NVRAM_bGetItemByNumber(nvt::slotOf("S123"), &e));
    EXPECT_EQ(e.id, fc("XXXX")) << "by number leaves the id";
    EXPECT_EQ(e.data.u32Val, 42u);
    EXPECT_FALSE(H_NVRAM_bGetItemByNumber(nvt::slotOf("S124"), &e));
    EXPECT_FALSE(H_NVRAM_bGetItemByNumber(NVR_SLOT_COUNT, &e));
    EXPECT_EQ(e.data.u32Val, 42u);

    // Header rows: row 1 is CREV; the end marker and rows past 19 fail.
    EXPECT_TRUE(H_NVRAM_bReadUnitHeaderEntry(1, &e));
    EXPECT_EQ(e.id, fc("CREV"));
    EXPECT_FALSE(H_NVRAM_bReadUnitHeaderEntry(14, &e));
    EXPECT_EQ(e.id, 0xFFFFFFFFu);
    e = entry("S123", 1);
    EXPECT_FALSE(H_NVRAM_bReadUnitHeaderEntry(20, &e));
    EXPECT_EQ(e.id, fc("S123"));
}

TEST_F(Nvram, IterationsGiveValidSlotsInOrderUnderTheirRebuiltNames)
{
    // A short bitmap: the words it lacks count as zero. A key with a
    // character outside the digits shares the slot of its "0" name.
    nvt::Files f = nvt::encode({{"S100", 1}, {"S001", 2}, {"SZZY", 3}, {"FFST", 4}, {"NVER", 5}});
    ASSERT_TRUE(write("S#02", 6)); // slot of S002, written through the unit
    H_NVRAM_vFlashWriteBack();
    nvt::Files unit = nvt::readFiles(cwd);
    H_NVRAM_bScratchNVR(NVR_SCRATCH_CODE1, NVR_SCRATCH_CODE2);
    nvt::writeInPlace(f, "S002", nvt::le32(unit.entries, 8));
    f.statbit.resize(4 * 1458 + 1); // the special word cut short: only its first byte is left
    nvt::writeFiles(cwd, f);

    std::vector<std::pair<std::string, U32>> got;
    NVR_ENTRY e;
    for (U32 i = 0; H_NVRAM_bReadSEntry(i, &e); ++i)
        got.push_back({std::string(reinterpret_cast<const char*>(&e.id), 4), e.data.u32Val});
    EXPECT_EQ(got, (std::vector<std::pair<std::string, U32>>{{"S001", 2}, {"S002", 6}, {"S100", 1}, {"SZZY", 3}}));

    got.clear();
    for (U32 i = 0; H_NVRAM_bReadFEntry(i, &e); ++i)
        got.push_back({std::string(reinterpret_cast<const char*>(&e.id), 4), e.data.u32Val});
    EXPECT_EQ(got, (std::vector<std::pair<std::string, U32>>{{"NVER", 5}, {"FFST", 4}}));
}

TEST_F(Nvram, AnIterationEndsCleanlyWhereTheValuesFileEnds)
{
    nvt::Files f = nvt::encode({{"S000", 1}, {"S001", 2}, {"S002", 3}, {"S010", 4}});
    f.entries.resize(8); // the bitmap claims more than the values file holds
    nvt::writeFiles(cwd, f);
    std::vector<U32> got;
    NVR_ENTRY e;
    for (U32 i = 0; H_NVRAM_bReadSEntry(i, &e); ++i)
        got.push_back(e.data.u32Val);
    EXPECT_EQ(got, (std::vector<U32>{1, 2}));
}

TEST_F(Nvram, ScratchNeedsBothWordsAndLeavesNothing)
{
    ASSERT_TRUE(write("S001", 1));
    H_NVRAM_vFlashWriteBack();
    SONAR_DATA_BLOCK sonar = {};
    ASSERT_TRUE(H_NVRAM_bWriteSonarData(&sonar));

    EXPECT_FALSE(H_NVRAM_bScratchNVR(NVR_SCRATCH_CODE1, 0));
    EXPECT_FALSE(H_NVRAM_bScratchNVR(0, NVR_SCRATCH_CODE2));
    EXPECT_EQ(files().size(), 1u);

    EXPECT_TRUE(H_NVRAM_bScratchNVR(NVR_SCRATCH_CODE1, NVR_SCRATCH_CODE2));
    for (const char* name : {"sonar.dat", "personal.dat", "nvr_statbit.dat", "nvr_entries.dat"})
        EXPECT_FALSE(vt::fileExists(path(name))) << name;
    NVR_ENTRY e = entry("S001");
    EXPECT_FALSE(H_NVRAM_bGetItemByID(&e));
    EXPECT_FALSE(H_NVRAM_bReadSEntry(0, &e));
    EXPECT_EQ(H_NVRAM_eInit(), STATE_VIRGIN);

    ASSERT_TRUE(write("S002", 2));
    H_NVRAM_vFlashWriteBack();
    EXPECT_EQ(files(), (std::map<std::string, U32>{{"S002", 2}}));
}

TEST_F(Nvram, BlocksAreLittleEndianWordsAtTheStartOfTheirFiles)
{
    SONAR_DATA_BLOCK sonar;
    EXPECT_FALSE(H_NVRAM_bReadSonarData(&sonar)) << "never written";
    EXPECT_TRUE(vt::fileExists(path("sonar.dat"))) << "created empty";
    EXPECT_EQ(vt::readFile(path("sonar.dat")), "");

    for (int i = 0; i < 254; ++i)
        sonar.u16Data[i] = (U16)(0x0102 * i + 1);
    ASSERT_TRUE(H_NVRAM_bWriteSonarData(&sonar));
    std::string bytes = vt::readFile(path("sonar.dat"));
    ASSERT_EQ(bytes.size(), 508u);
    EXPECT_EQ((U8)bytes[2], 0x03);
    EXPECT_EQ((U8)bytes[3], 0x01);
    SONAR_DATA_BLOCK back = {};
    EXPECT_TRUE(H_NVRAM_bReadSonarData(&back));
    EXPECT_EQ(0, memcmp(&back, &sonar, sizeof sonar));

    PERSONALIZATION_DATA_BLOCK person;
    EXPECT_FALSE(H_NVRAM_bReadPersonalizationData(&person));
    // A short file reads as nothing.
    H_NVRAM_bScratchNVR(NVR_SCRATCH_CODE1, NVR_SCRATCH_CODE2);
    vt::writeFile(path("personal.dat"), std::string(251, 'x'));
    EXPECT_FALSE(H_NVRAM_bReadPersonalizationData(&person));
    for (int i = 0; i < 126; ++i)
        person.u16Data[i] = (U16)(0xA000 + i);
    ASSERT_TRUE(H_NVRAM_bWritePersonalizationData(&person));
    bytes = vt::readFile(path("personal.dat"));
    ASSERT_EQ(bytes.size(), 252u);
    EXPECT_EQ((U8)bytes[250], 125);
    EXPECT_EQ((U8)bytes[251], 0xA0);

    // Raw blocks of the slot files keep the bitmap in step.
    std::string bits(8, '\0');
    bits[4] = 0x01; // slot 32
    vt::writeFile(path("nvr_entries.dat"), std::string(132, '\0'));
    ASSERT_TRUE(H_NVRAM_bWriteBlock(nfFCID_STATBIT, reinterpret_cast<const U8*>(bits.data()), 8));
    NVR_ENTRY e = {H_NVRAM_fcidXlatNumber(32), db(1)};
    EXPECT_TRUE(H_NVRAM_bGetItemByID(&e));
    EXPECT_EQ(e.data.u32Val, 0u);
    EXPECT_FALSE(H_NVRAM_bWriteBlock(nfSONAR_DATA, reinterpret_cast<const U8*>(bits.data()), 509));
    EXPECT_FALSE(H_NVRAM_bReadBlock(nfCOUNT, reinterpret_cast<U8*>(bits.data()), 1));
}

// The writer of the crash test, run as its own process: rounds of writes
// until it is killed. Round r gives the round key S000 and the 40 fixed
// keys the value r, and one key of its own (slot 1000 + r) first appears
// with the value r, so each round both changes values and adds a key.
constexpr U32 FIXED_KEYS = 40;

std::string fixedKey(U32 k)
{
    return nvt::keyOf(100 + k);
}

std::string bornKey(U32 round)
{
    return nvt::keyOf(1000 + round % 40000);
}

TEST(NvramCrashWriter, Rounds)
{
    if (!getenv("NVRAM_CRASH_WRITER"))
        GTEST_SKIP() << "runs only as the writer of the crash test";
    NVR_ENTRY e = entry("S000");
    U32 round = H_NVRAM_bGetItemByID(&e) ? e.data.u32Val + 1 : 1;
    write("NVER", NVR_VERSION);
    H_NVRAM_vFlashWriteBack();
    printf("writing\n");
    fflush(stdout);
    for (;; ++round) {
        for (U32 k = 0; k < FIXED_KEYS; ++k)
            write(fixedKey(k).c_str(), round);
        write(bornKey(round).c_str(), round);
        write("S000", round);
        H_NVRAM_vFlashWriteBack();
    }
}

TEST_F(Nvram, FilesStayWholeWhenTheWriterIsKilledAtAnyMoment)
{
    std::mt19937 rng(12345);
    std::string self = std::filesystem::read_symlink("/proc/self/exe");
    U32 lastRound = 0;
    for (int i = 0; i < 40; ++i) {
        vt::Child writer({self, "--gtest_filter=NvramCrashWriter.Rounds"}, {"NVRAM_CRASH_WRITER=1"});
        ASSERT_TRUE(writer.waitForOutput("writing", 20000)) << writer.out() << writer.err();
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % 30000));
        writer.signal(SIGKILL);
        vt::ProcResult r;
        ASSERT_TRUE(writer.wait(r));
        ASSERT_EQ(r.signal, SIGKILL) << r.out << r.err;

        // One state: the last round whose values reached the medium, with
        // no key valid before its value was there.
        auto values = files();
        ASSERT_EQ(values["NVER"], NVR_VERSION) << i;
        U32 round = values.count("S000") ? values["S000"] : 0;
        ASSERT_GE(round, lastRound) << "a completed round was lost";
        for (U32 k = 0; k < FIXED_KEYS; ++k) {
            if (values.count(fixedKey(k))) {
                EXPECT_EQ(values[fixedKey(k)], round) << fixedKey(k) << " torn from its round";
            }
        }
        for (U32 j = 1; j <= round + 1; ++j) {
            if (!values.count(bornKey(j))) {
                continue;
            }
            EXPECT_LE(j, round) << "a key valid before its round";
            EXPECT_EQ(values[bornKey(j)], j) << bornKey(j);
        }
        lastRound = round;
    }
    EXPECT_GT(lastRound, 0u) << "the writer never finished a round";
}

} // namespace

namespace {

// The erase comes from another task while the NVRAM task writes values:
// each call sees the files whole, either before or after the erase, and
// whatever is left reads back as a value the writer wrote (ThreadSanitizer
// checks the module's lock).
TEST_F(Nvram, AnEraseFromAnotherTaskWhileValuesAreWrittenLeavesWholeFiles)
{
    std::thread writer([] {
        for (U32 i = 1; i <= 200; ++i) {
            write("S001", i);
            write("S002", i);
            H_NVRAM_vFlashWriteBack();
        }
    });
    for (int i = 0; i < 20; ++i) {
        EXPECT_TRUE(H_NVRAM_bScratchNVR(NVR_SCRATCH_CODE1, NVR_SCRATCH_CODE2));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    writer.join();
    H_NVRAM_vFlashWriteBack();
    for (const auto& [key, value] : files()) {
        EXPECT_TRUE(key == "S001" || key == "S002") << key;
        EXPECT_GE(value, 1u) << key;
        EXPECT_LE(value, 200u) << key;
    }
}

} // namespace
