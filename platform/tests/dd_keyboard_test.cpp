// The keypad driver: the records it takes, the FIFO under a unit root and
// the fake key.
#include "platform/tests/platform_root.h"

#include "kernel/l_clock.h"
#include "kernel/l_root.h"
#include "platform/dd_keyboard.h"
#include "platform/h_options.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <fcntl.h>
#include <thread>
#include <vector>

using namespace platform_test;

namespace {

using Flags = std::array<std::atomic<BOOLEAN>, DKEY_NUM_KEYS>;

std::vector<U8> record(U16 type, U16 code, S32 value)
{
    std::vector<U8> r(DD_KEYBOARD_EVENT_BYTES);
    DD_KEYBOARD_vEncodeEvent(r.data(), type, code, value);
    return r;
}

std::vector<U8> key(DKEY_ID k, S32 value)
{
    return record(DD_KEYBOARD_EV_KEY, DD_KEYBOARD_au16KeyCodes[k], value);
}

std::vector<int> down(const Flags& flags)
{
    std::vector<int> out;
    for (int i = 0; i < DKEY_NUM_KEYS; ++i)
        if (flags[i].load())
            out.push_back(i);
    return out;
}

TEST(KeypadRecords, TheRecordIsTheHostsInputEvent)
{
    EXPECT_EQ(DD_KEYBOARD_EVENT_BYTES, 24u) << "x86-64: a 16-byte time, type, code and value";
    const std::vector<U8> r = record(1, 0x1234, -2);
    EXPECT_EQ(r[16] | r[17] << 8, 1);
    EXPECT_EQ(r[18] | r[19] << 8, 0x1234);
    EXPECT_EQ((S32)(r[20] | r[21] << 8 | r[22] << 16 | (U32)r[23] << 24), -2);
}

TEST(KeypadRecords, EachCodeOfTheTableSetsItsKeyAndNoOther)
{
    for (int k = 0; k < DKEY_NUM_KEYS; ++k) {
        Flags flags{};
        DD_KEYBOARD_READER reader{};
        const std::vector<U8> r = key((DKEY_ID)k, 1);
        DD_KEYBOARD_vReadBytes(&reader, r.data(), r.size(), flags.data());
        EXPECT_EQ(down(flags), std::vector<int>{k}) << "code " << DD_KEYBOARD_au16KeyCodes[k];
        EXPECT_EQ(DD_KEYBOARD_eKeyOfCode(DD_KEYBOARD_au16KeyCodes[k]), k);
    }
}

TEST(KeypadRecords, OnlyKeyPressesAndReleasesOfKnownCodesChangeAFlag)
{
    struct Case {
        const char* what;
        U16 type, code;
        S32 value;
        bool heldBefore;
        bool heldAfter;
    };
    const U16 MENU = DD_KEYBOARD_au16KeyCodes[DKEY_MENU];
    const Case cases[] = {
        {"press", 1, MENU, 1, false, true},
        {"release", 1, MENU, 0, true, false},
        {"autorepeat of a held key", 1, MENU, 2, true, true},
        {"autorepeat of a released key", 1, MENU, 2, false, false},
        {"other value", 1, MENU, -1, true, true},
        {"synchronisation record", 0, 0, 0, true, true},
        {"relative axis with the key's code", 2, MENU, 1, false, false},
        {"unknown code", 1, 1, 1, false, false},
        {"code beyond the table", 1, 0xFFFF, 0, true, true},
    };
    for (const Case& c : cases) {
        Flags flags{};
        flags[DKEY_MENU] = c.heldBefore;
        DD_KEYBOARD_READER reader{};
        const std::vector<U8> r = record(c.type, c.code, c.value);
        DD_KEYBOARD_vReadBytes(&reader, r.data(), r.size(), flags.data());
        EXPECT_EQ(flags[DKEY_MENU].load(), c.heldAfter) << c.what;
        flags[DKEY_MENU] = FALSE;
        EXPECT_TRUE(down(flags).empty()) << c.what;
    }
}

TEST(KeypadRecords, ARecordCutByAReadIsAppliedOnceItIsWhole)
{
    std::vector<U8> stream;
    for (const auto& r : {key(DKEY_POWER, 1), key(DKEY_GOTO, 1), key(DKEY_POWER, 0), key(DKEY_SOFT_KEY_3, 1)})
        stream.insert(stream.end(), r.begin(), r.end());

    for (size_t chunk = 1; chunk <= 2 * DD_KEYBOARD_EVENT_BYTES + 1; ++chunk) {
        Flags flags{};
        DD_KEYBOARD_READER reader{};
        for (size_t off = 0; off < stream.size(); off += chunk) {
            const size_t n = std::min(chunk, stream.size() - off);
            DD_KEYBOARD_vReadBytes(&reader, stream.data() + off, n, flags.data());
            // Nothing of a record shows before its last byte has come.
            const size_t whole = (off + n) / DD_KEYBOARD_EVENT_BYTES;
            EXPECT_EQ(flags[DKEY_POWER].load(), whole == 1 || whole == 2) << "chunk " << chunk << " at " << off;
        }
        EXPECT_EQ(down(flags), (std::vector<int>{DKEY_GOTO, DKEY_SOFT_KEY_3})) << "chunk " << chunk;
        EXPECT_EQ(reader.szPending, 0u);
    }
}

// ---- The driver thread under a unit root ----

bool waitForKey(DKEY_ID k, bool held, int ms = 5000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if ((bool)DD_KEYBOARD_bIsKeyDown(k) == held)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

int openWriter(int ms = 5000)
{
    const std::string fifo = at("/dev/input/event6");
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    int fd;
    while ((fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) < 0 &&
           std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return fd;
}

bool put(int fd, const std::vector<U8>& bytes)
{
    return write(fd, bytes.data(), bytes.size()) == (ssize_t)bytes.size();
}

TEST(KeypadDriver, ReadsTheRootsFifoWhileWritersComeAndGo)
{
    unitRoot();
    L_ROOT_vMakeTree();
    DD_KEYBOARD_vInit();
    DD_KEYBOARD_vInit(); // a second call starts no second reader

    int fd = openWriter();
    ASSERT_GE(fd, 0) << "the driver makes the FIFO and reads it";
    struct stat st {};
    ASSERT_EQ(stat(at("/dev/input/event6").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    ASSERT_TRUE(put(fd, key(DKEY_POWER, 1)));
    EXPECT_TRUE(waitForKey(DKEY_POWER, true));
    close(fd);

    // The writer has gone: the driver holds the FIFO open itself and sees
    // no end of file, so the next writer's keys still arrive.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    fd = openWriter();
    ASSERT_GE(fd, 0);
    std::vector<U8> half = key(DKEY_POWER, 0);
    ASSERT_TRUE(put(fd, std::vector<U8>(half.begin(), half.begin() + 10)));
    ASSERT_TRUE(put(fd, std::vector<U8>(half.begin() + 10, half.end())));
    ASSERT_TRUE(put(fd, key(DKEY_CURSOR_LEFT, 1)));
    EXPECT_TRUE(waitForKey(DKEY_CURSOR_LEFT, true));
    EXPECT_FALSE(DD_KEYBOARD_bIsKeyDown(DKEY_POWER));

    BOOLEAN list[DKEY_NUM_KEYS];
    DD_KEYBOARD_vGetState(list);
    for (int k = 0; k < DKEY_NUM_KEYS; ++k)
        EXPECT_EQ(list[k], k == DKEY_CURSOR_LEFT ? TRUE : FALSE) << k;

    ASSERT_TRUE(put(fd, key(DKEY_CURSOR_LEFT, 0)));
    EXPECT_TRUE(waitForKey(DKEY_CURSOR_LEFT, false));
    close(fd);
}

// ---- The fake key ----

TEST(KeypadDriver, TheFakeKeyIsPressedFor100MsEvery350Ms)
{
    BOOLEAN list[DKEY_NUM_KEYS];
    auto goto_ = [&] {
        DD_KEYBOARD_vGetState(list);
        return list[DKEY_GOTO] != FALSE;
    };
    ASSERT_FALSE(goto_()) << "off by default";
    opt_fakekey = DKEY_GOTO;
    // The time stepped before each sample, and the key then. Real time
    // runs on beneath the test clock, so a sample before a change keeps a
    // margin, and one meant at a change comes exactly on it.
    const std::pair<U64, bool> steps[] = {{0, true},   {80, true}, {20, false}, {230, false},
                                          {20, true},  {80, true}, {20, false}, {250, true}, {100, false}};
    for (const auto& [ms, held] : steps) {
        L_CLOCK_vAdvanceTestClock(ms);
        EXPECT_EQ(goto_(), held) << "after " << ms << " ms more";
    }
    opt_fakekey = -1;
    L_CLOCK_vAdvanceTestClock(1000);
    EXPECT_FALSE(goto_());
    for (int k = 0; k < DKEY_NUM_KEYS; ++k)
        EXPECT_FALSE(list[k]) << "the fake key touches no other key: " << k;
}

TEST(KeypadDriver, AFakeKeyOutsideTheTableIsNoKey)
{
    opt_fakekey = DKEY_NUM_KEYS;
    BOOLEAN list[DKEY_NUM_KEYS];
    for (int i = 0; i < 3; ++i) {
        L_CLOCK_vAdvanceTestClock(400);
        DD_KEYBOARD_vGetState(list);
        for (int k = 0; k < DKEY_NUM_KEYS; ++k)
            EXPECT_FALSE(list[k]) << k;
    }
    opt_fakekey = -1;
}

} // namespace
