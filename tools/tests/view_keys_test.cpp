// The viewer's keypad: which workstation key is which unit key, and the
// writer that puts presses and releases into the keypad FIFO without ever
// blocking, whether a unit reads it or not.
#include "tools/view_keys.h"

#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

TEST(ViewKeys, EachUnitKeyHasItsWorkstationKeys)
{
    const std::pair<SDL_Keycode, DKEY_ID> map[] = {
        {SDLK_UP, DKEY_CURSOR_UP},       {SDLK_DOWN, DKEY_CURSOR_DOWN},   {SDLK_LEFT, DKEY_CURSOR_LEFT},
        {SDLK_RIGHT, DKEY_CURSOR_RIGHT}, {SDLK_m, DKEY_MENU},             {SDLK_ESCAPE, DKEY_EXIT},
        {SDLK_v, DKEY_VIEW},             {SDLK_p, DKEY_POWER},            {SDLK_PLUS, DKEY_ZOOM_IN},
        {SDLK_EQUALS, DKEY_ZOOM_IN},     {SDLK_KP_PLUS, DKEY_ZOOM_IN},    {SDLK_MINUS, DKEY_ZOOM_OUT},
        {SDLK_KP_MINUS, DKEY_ZOOM_OUT},  {SDLK_k, DKEY_MARK},             {SDLK_g, DKEY_GOTO},
        {SDLK_i, DKEY_INFO},             {SDLK_F1, DKEY_SOFT_KEY_1},      {SDLK_F2, DKEY_SOFT_KEY_2},
        {SDLK_F3, DKEY_SOFT_KEY_3},      {SDLK_a, DKEY_NUM_KEYS},         {SDLK_RETURN, DKEY_NUM_KEYS},
        {SDLK_F4, DKEY_NUM_KEYS},
    };
    std::array<bool, DKEY_NUM_KEYS> reached{};
    for (const auto& [sdl, key] : map) {
        EXPECT_EQ(VIEW_KEYS_eKeyOf(sdl), key) << SDL_GetKeyName(sdl);
        if (key != DKEY_NUM_KEYS)
            reached[key] = true;
    }
    for (int k = 0; k < DKEY_NUM_KEYS; ++k)
        EXPECT_TRUE(reached[k]) << "unit key " << k << " has a workstation key";
}

// The FIFO of a fresh root and the unit's end of it.
class ViewKeypadFifo : public ::testing::Test {
protected:
    std::string fifo() const { return root_.at("/dev/input/event6"); }
    void make() { ASSERT_EQ(mkfifo(fifo().c_str(), 0666), 0); }
    void openReader()
    {
        closeReader();
        reader_ = open(fifo().c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader_, 0);
    }
    void closeReader()
    {
        if (reader_ >= 0)
            close(reader_);
        reader_ = -1;
    }
    // The keys held after everything written so far, as the unit's driver
    // reads them.
    std::vector<int> held()
    {
        U8 buffer[4096];
        ssize_t n;
        while ((n = read(reader_, buffer, sizeof buffer)) > 0)
            DD_KEYBOARD_vReadBytes(&decoder_, buffer, (size_t)n, flags_.data());
        std::vector<int> out;
        for (int k = 0; k < DKEY_NUM_KEYS; ++k)
            if (flags_[k])
                out.push_back(k);
        return out;
    }
    void TearDown() override { closeReader(); }

    vt::TempRoot root_;
    int reader_ = -1;
    DD_KEYBOARD_READER decoder_{};
    std::array<std::atomic<BOOLEAN>, DKEY_NUM_KEYS> flags_{};
};

TEST_F(ViewKeypadFifo, PressesAndReleasesReachTheUnitButNotTheKeyboardsRepeats)
{
    vt::makeDirs(root_.at("/dev/input"));
    make();
    openReader();
    ViewKeypad keypad(fifo());
    EXPECT_TRUE(keypad.key(SDLK_g, true, false));
    EXPECT_TRUE(keypad.key(SDLK_UP, true, false));
    EXPECT_EQ(held(), (std::vector<int>{DKEY_GOTO, DKEY_CURSOR_UP}));
    EXPECT_FALSE(keypad.key(SDLK_g, true, true)) << "the keyboard's repeat";
    EXPECT_FALSE(keypad.key(SDLK_a, true, false)) << "no unit key";
    EXPECT_TRUE(keypad.key(SDLK_g, false, false));
    EXPECT_EQ(held(), (std::vector<int>{DKEY_CURSOR_UP}));

    // Losing the keyboard lets go of what is held.
    keypad.releaseAll();
    EXPECT_TRUE(held().empty());
    EXPECT_FALSE(keypad.key(SDLK_UP, false, false)) << "already released";
}

TEST_F(ViewKeypadFifo, WithoutAReadingUnitKeysAreDroppedAtOnceAndTheUnitIsFoundAgain)
{
    vt::makeDirs(root_.at("/dev/input"));
    ViewKeypad keypad(fifo());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(keypad.key(SDLK_v, true, false)) << "no FIFO yet";
    EXPECT_FALSE(keypad.key(SDLK_v, false, false)) << "its press never went";
    make();
    EXPECT_FALSE(keypad.key(SDLK_v, true, false)) << "no unit reads the FIFO";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

    openReader();
    EXPECT_TRUE(keypad.key(SDLK_m, true, false));
    EXPECT_EQ(held(), std::vector<int>{DKEY_MENU});

    // The unit goes away with the FIFO open on both ends, and comes back.
    closeReader();
    EXPECT_FALSE(keypad.key(SDLK_p, true, false));
    openReader();
    decoder_ = {};
    for (auto& f : flags_)
        f = FALSE;
    EXPECT_TRUE(keypad.key(SDLK_i, true, false));
    EXPECT_EQ(held(), std::vector<int>{DKEY_INFO});
}

TEST_F(ViewKeypadFifo, AUnitThatStopsReadingNeverBlocksTheViewer)
{
    vt::makeDirs(root_.at("/dev/input"));
    make();
    openReader();
    const int filler = open(fifo().c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(filler, 0);
    const std::vector<char> block(4096, 0);
    while (write(filler, block.data(), block.size()) > 0) {
    }
    while (write(filler, block.data(), 1) > 0) {
    }
    close(filler);

    ViewKeypad keypad(fifo());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(keypad.key(SDLK_k, true, false));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

} // namespace
