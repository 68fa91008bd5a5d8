// The file layer: listings, attributes, sizes, the end-of-file test, the
// remove that syncs at once, whole-file replaces and bulk scopes, and the
// sync thread that folds a burst of closes into one sync.
#include "kernel/linux_fs.h"

#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

std::atomic<int> g_syncs{0};
void countSync(void) { ++g_syncs; }

class FileLayer : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = root.path() + "/list";
        vt::makeDirs(dir);
        LS_sync_vSetSyncFunction(countSync);
        g_syncs = 0;
    }
    void TearDown() override { LS_sync_vSetSyncFunction(nullptr); }

    // Every entry of the listing: bare name -> {attr, size}; also checks
    // that each full name is the directory, a slash and the bare name.
    std::map<std::string, std::pair<int, U32>> list(const std::string& path)
    {
        std::map<std::string, std::pair<int, U32>> out;
        VONDREL_DIR* d = FS_OpenDir(path.c_str());
        EXPECT_NE(d, nullptr) << path;
        if (!d)
            return out;
        while (VONDREL_DIRENT* e = FS_ReadDir(d)) {
            char name[FS_NAME_BYTES];
            FS_DirEnt2Name(e, name);
            U8 attr = 0xEE;
            FS_DirEnt2Attr(e, &attr);
            EXPECT_EQ(std::string(e->full_name), path + "/" + name);
            EXPECT_FALSE(out.count(name)) << "listed twice: " << name;
            out[name] = {attr, FS_DirEnt2Size(e)};
        }
        EXPECT_EQ(FS_ReadDir(d), nullptr) << "the end stays the end";
        FS_CloseDir(d);
        return out;
    }

    vt::TempRoot root;
    std::string dir;
};

TEST_F(FileLayer, ListingGivesFilesAndFoldersButNotItselfOrItsParent)
{
    vt::writeFile(dir + "/a", "12345");
    vt::writeFile(dir + "/.hidden", "");
    vt::makeDirs(dir + "/sub");
    auto entries = list(dir);
    EXPECT_EQ(entries, (std::map<std::string, std::pair<int, U32>>{
                           {"a", {0, 5}}, {".hidden", {0, 0}}, {"sub", {FS_ATTR_DIRECTORY, entries["sub"].second}}}));

    // Rewinding starts the same listing again.
    VONDREL_DIR* d = FS_OpenDir(dir.c_str());
    ASSERT_NE(d, nullptr);
    int first = 0, second = 0;
    while (FS_ReadDir(d))
        ++first;
    FS_RewindDir(d);
    while (FS_ReadDir(d))
        ++second;
    EXPECT_EQ(first, 3);
    EXPECT_EQ(second, 3);
    FS_CloseDir(d);
}

TEST_F(FileLayer, AnEntryThatCannotBeReadIsSkippedAndTheListingGoesOn)
{
    // Dangling links cannot be read with stat; wherever they fall in the
    // stream, every readable entry still comes out.
    for (int i = 0; i < 8; ++i) {
        vt::writeFile(dir + "/file" + std::to_string(i), "x");
        ASSERT_EQ(0, symlink((dir + "/missing" + std::to_string(i)).c_str(), (dir + "/link" + std::to_string(i)).c_str()));
    }
    auto entries = list(dir);
    EXPECT_EQ(entries.size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(entries.count("file" + std::to_string(i))) << i;
}

TEST_F(FileLayer, NamesThatDoNotFitTheRecordsAreRefused)
{
    // A folder name of 245 characters leaves room for short entry names only.
    std::string deep = dir;
    while (deep.size() + 21 < 245)
        deep += "/dddddddddddddddddddd";
    deep += "/" + std::string(245 - deep.size() - 1, 'd');
    ASSERT_EQ(deep.size(), 245u);
    vt::makeDirs(deep);
    vt::writeFile(deep + "/short", "");
    vt::writeFile(deep + "/a-name-too-long-for-the-record", "");
    auto entries = list(deep);
    EXPECT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries.count("short"));

    std::string tooLong = deep + "/" + std::string(10, 'e');
    vt::makeDirs(tooLong);
    EXPECT_EQ(FS_OpenDir(tooLong.c_str()), nullptr);
    EXPECT_EQ(FS_OpenDir((dir + "/absent").c_str()), nullptr);
    EXPECT_EQ(FS_ReadDir(nullptr), nullptr);
    FS_CloseDir(nullptr);
}

TEST_F(FileLayer, AttributesOfFilesFoldersAndMissingPaths)
{
    vt::writeFile(dir + "/f", "abc");
    EXPECT_EQ(FS_GetFileAttributes((dir + "/f").c_str()), 0);
    EXPECT_EQ(FS_GetFileAttributes(dir.c_str()), FS_ATTR_DIRECTORY);
    EXPECT_EQ(FS_GetFileAttributes((dir + "/nothing").c_str()), FS_ATTR_MISSING);
}

TEST_F(FileLayer, SizeAndEndOfFileLeaveThePositionAlone)
{
    vt::writeFile(dir + "/f", "abcdef");
    FILE* f = fopen((dir + "/f").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(0, fseek(f, 4, SEEK_SET));
    EXPECT_EQ(FS_GetFileSize(f), 6u);
    EXPECT_EQ(ftell(f), 4);
    EXPECT_EQ(LS_feof(f), 0);
    EXPECT_EQ(ftell(f), 4);
    EXPECT_EQ(fgetc(f), 'e');
    EXPECT_EQ(LS_feof(f), 0);
    EXPECT_EQ(fgetc(f), 'f');
    EXPECT_EQ(LS_feof(f), 1);
    fclose(f);

    FILE* pipeEnd = popen("true", "r");
    ASSERT_NE(pipeEnd, nullptr);
    EXPECT_EQ(FS_GetFileSize(pipeEnd), 0xFFFFFFFFu) << "a stream that cannot seek";
    pclose(pipeEnd);
}

TEST_F(FileLayer, RemoveReportsUnlinksResultAndSyncsAtOnce)
{
    vt::writeFile(dir + "/f", "x");
    EXPECT_EQ(FS_Remove((dir + "/f").c_str()), 0);
    EXPECT_FALSE(vt::fileExists(dir + "/f"));
    EXPECT_EQ(g_syncs, 1);
    errno = 0;
    EXPECT_EQ(FS_Remove((dir + "/f").c_str()), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(g_syncs, 2);
}

TEST_F(FileLayer, ReplaceGivesTheNewContentAndLeavesNoTemporaryFile)
{
    const std::string f = dir + "/r";
    vt::writeFile(f, "old content, longer than the new");
    ASSERT_EQ(FS_ReplaceFile(f.c_str(), "new", 3), 0);
    EXPECT_EQ(vt::readFile(f), "new");
    EXPECT_FALSE(vt::fileExists(f + ".tmp"));
    ASSERT_EQ(FS_ReplaceFile(f.c_str(), nullptr, 0), 0);
    EXPECT_EQ(vt::readFile(f), "");
    ASSERT_EQ(FS_ReplaceFile((dir + "/fresh").c_str(), "x", 1), 0);
    EXPECT_EQ(vt::readFile(dir + "/fresh"), "x");
    EXPECT_EQ(g_syncs, 0) << "a replace syncs its own file and folder only";
}

TEST_F(FileLayer, AFailedReplaceReportsWhyAndKeepsWhatWasThere)
{
    struct Case {
        const char* name;
        std::string target;
        int err;
    };
    vt::makeDirs(dir + "/a-folder");
    vt::writeFile(dir + "/a-folder/inside", "kept");
    const Case cases[] = {
        {"missing folder", dir + "/absent/f", ENOENT},
        // The temporary file is written, then the rename onto a non-empty
        // folder fails: the folder and its content stay, the temporary goes.
        {"folder in the way", dir + "/a-folder", EISDIR},
    };
    for (const Case& c : cases) {
        errno = 0;
        EXPECT_EQ(FS_ReplaceFile(c.target.c_str(), "data", 4), -1) << c.name;
        EXPECT_EQ(errno, c.err) << c.name;
        EXPECT_FALSE(vt::fileExists(c.target + ".tmp")) << c.name;
    }
    EXPECT_EQ(vt::readFile(dir + "/a-folder/inside"), "kept");
}

TEST_F(FileLayer, ABulkScopeSyncsOnceAtTheEndOfTheOutermostScope)
{
    FS_vBeginBulk();
    for (int i = 0; i < 20; ++i) {
        const std::string f = dir + "/b" + std::to_string(i);
        ASSERT_EQ(FS_ReplaceFile(f.c_str(), "v", 1), 0);
        if (i % 2) {
            EXPECT_EQ(FS_Remove(f.c_str()), 0);
        }
    }
    FS_vBeginBulk();
    EXPECT_EQ(FS_Remove((dir + "/b0").c_str()), 0);
    FS_vEndBulk();
    EXPECT_EQ(g_syncs, 0) << "an inner scope leaves the sync to the outer one";
    FS_vEndBulk();
    EXPECT_EQ(g_syncs, 1);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(vt::fileExists(dir + "/b" + std::to_string(i)), i % 2 == 0 && i != 0) << i;

    // A scope that changed nothing has nothing to sync; an unmatched end is
    // harmless; after the scope, removes sync at once again.
    FS_vBeginBulk();
    FS_vEndBulk();
    FS_vEndBulk();
    EXPECT_EQ(g_syncs, 1);
    EXPECT_EQ(FS_Remove((dir + "/b2").c_str()), 0);
    EXPECT_EQ(g_syncs, 2);
}

TEST_F(FileLayer, ABulkScopeDefersOnlyTheSyncsOfItsOwnThread)
{
    vt::writeFile(dir + "/other", "x");
    FS_vBeginBulk();
    std::thread([&] { EXPECT_EQ(FS_Remove((dir + "/other").c_str()), 0); }).join();
    EXPECT_EQ(g_syncs, 1) << "another task's remove syncs as always";
    FS_vEndBulk();
    EXPECT_EQ(g_syncs, 1);
}

TEST_F(FileLayer, ABulkScopeEndsWithARealSyncOfTheTouchedFileSystem)
{
    // Without the counting hook the end syncs the folders' file system;
    // this only shows that the path runs and the files are in place.
    LS_sync_vSetSyncFunction(nullptr);
    FS_vBeginBulk();
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(FS_ReplaceFile((dir + "/s" + std::to_string(i)).c_str(), "abc", 3), 0);
    FS_vEndBulk();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(vt::readFile(dir + "/s" + std::to_string(i)), "abc");
}

TEST_F(FileLayer, TenClosesWithinOneSecondCauseOneSync)
{
    LS_sync_vInit();
    LS_sync_vInit(); // a second call starts no second thread
    for (int i = 0; i < 10; ++i) {
        FILE* f = fopen((dir + "/c" + std::to_string(i)).c_str(), "w");
        ASSERT_NE(f, nullptr);
        fputs("data", f);
        EXPECT_EQ(LS_fclose(f), 0);
    }
    // The thread polls once a second; it may still be in the pause after a
    // sync of an earlier test in this process.
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(7);
    while (g_syncs == 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(g_syncs, 1);
    // A request during the 5-second pause waits for its end.
    LS_sync();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(g_syncs, 1);
}

} // namespace
