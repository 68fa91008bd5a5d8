#include "tools/view_keys.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct KEY_MAP_ENTRY {
    SDL_Keycode sdl;
    DKEY_ID key;
};

constexpr KEY_MAP_ENTRY KEY_MAP[] = {
    {SDLK_UP, DKEY_CURSOR_UP},     {SDLK_DOWN, DKEY_CURSOR_DOWN}, {SDLK_LEFT, DKEY_CURSOR_LEFT},
    {SDLK_RIGHT, DKEY_CURSOR_RIGHT}, {SDLK_m, DKEY_MENU},         {SDLK_ESCAPE, DKEY_EXIT},
    {SDLK_v, DKEY_VIEW},           {SDLK_p, DKEY_POWER},          {SDLK_PLUS, DKEY_ZOOM_IN},
    {SDLK_EQUALS, DKEY_ZOOM_IN},   {SDLK_KP_PLUS, DKEY_ZOOM_IN},  {SDLK_MINUS, DKEY_ZOOM_OUT},
    {SDLK_KP_MINUS, DKEY_ZOOM_OUT}, {SDLK_k, DKEY_MARK},          {SDLK_g, DKEY_GOTO},
    {SDLK_i, DKEY_INFO},           {SDLK_F1, DKEY_SOFT_KEY_1},    {SDLK_F2, DKEY_SOFT_KEY_2},
    {SDLK_F3, DKEY_SOFT_KEY_3},
};

} // namespace

const char* const VIEW_KEYS_pcHelp = "  arrow keys   cursor\n"
                                     "  M            MENU\n"
                                     "  Esc          EXIT\n"
                                     "  V            VIEW\n"
                                     "  P            POWER\n"
                                     "  + (or =)     zoom in\n"
                                     "  -            zoom out\n"
                                     "  K            MARK\n"
                                     "  G            GOTO\n"
                                     "  I            INFO\n"
                                     "  F1, F2, F3   soft keys 1, 2, 3\n";

DKEY_ID VIEW_KEYS_eKeyOf(SDL_Keycode key)
{
    for (const KEY_MAP_ENTRY& e : KEY_MAP)
        if (e.sdl == key)
            return e.key;
    return DKEY_NUM_KEYS;
}

ViewKeypad::~ViewKeypad()
{
    if (fd_ >= 0)
        close(fd_);
}

bool ViewKeypad::key(SDL_Keycode sdlKey, bool bDown, bool bRepeat)
{
    const DKEY_ID eKey = VIEW_KEYS_eKeyOf(sdlKey);
    if (eKey == DKEY_NUM_KEYS || bRepeat || held_[eKey] == bDown)
        return false;
    // A press that did not reach the unit has no release either.
    const bool bWritten = write(eKey, bDown);
    if (bWritten || !bDown)
        held_[eKey] = bDown && bWritten;
    return bWritten;
}

void ViewKeypad::releaseAll()
{
    for (int k = 0; k < DKEY_NUM_KEYS; ++k)
        if (held_[k]) {
            write((DKEY_ID)k, false);
            held_[k] = false;
        }
}

bool ViewKeypad::write(DKEY_ID eKey, bool bDown)
{
    // A unit that goes away while the FIFO is open must not end the viewer.
    static const bool bPipeIgnored = [] {
        signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    (void)bPipeIgnored;

    std::string problem;
    if (fd_ < 0) {
        fd_ = open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0)
            problem = errno == ENXIO ? "no unit reads it" : strerror(errno);
    }
    if (fd_ >= 0) {
        U8 record[DD_KEYBOARD_EVENT_BYTES];
        DD_KEYBOARD_vEncodeEvent(record, DD_KEYBOARD_EV_KEY, DD_KEYBOARD_au16KeyCodes[eKey],
                                 bDown ? DD_KEYBOARD_PRESSED : DD_KEYBOARD_RELEASED);
        ssize_t n;
        do
            n = ::write(fd_, record, sizeof record);
        while (n < 0 && errno == EINTR);
        if (n == (ssize_t)sizeof record) {
            lastProblem_.clear();
            return true;
        }
        // A record is smaller than the pipe's atomic size: it goes whole or
        // not at all.
        problem = n < 0 && errno == EAGAIN ? "the unit does not read it" : strerror(errno);
        if (n < 0 && errno != EAGAIN) {
            close(fd_);
            fd_ = -1;
        }
    }
    if (problem != lastProblem_)
        fprintf(stderr, "vondrel-view: keys dropped, %s: %s\n", path_.c_str(), problem.c_str());
    lastProblem_ = problem;
    return false;
}
