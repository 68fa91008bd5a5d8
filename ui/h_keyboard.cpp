// The key layer.
//
// Each logical key is a small state machine checked once per sample with
// its physical flag: up -> down records a press, down -> up a release, and
// a held key that repeats counts its count_down down by the time since the
// last check. A repeat that is due adds 125 ms to the count_down and keeps
// the overshoot, so late samples do not stretch the rhythm.
//
// The cursor key's flag is "any cursor key held"; its direction comes from
// the mask of the four keys, and a change of direction while it stays down
// is an event with the state still KEY_DOWN.
#include "ui/h_keyboard.h"

#include "kernel/l_clock.h"
#include "platform/dd_keyboard.h"

#include <atomic>

// Constants -----------------------------------------------------------------

namespace {

constexpr S32 FIRST_REPEAT_MS = 500;
constexpr S32 REPEAT_MS = 125;

typedef struct tag_H_KEY_STATE {
    std::atomic<KEY_STATE> state; // 0 before the first sample; read by other tasks
    CURSOR_POSITION cursor;
    CURSOR_MODE c_mode;
    BOOLEAN changed;
    BOOLEAN repeat;
    BOOLEAN accelerate;
    S32 count_down; // ms to the next repeat; 0 = no repeat running
    U32 acceleration_count;
    TICKS elapsed; // time of the last repeat check
} H_KEY_STATE;

// The logical key checked from each physical key, in sampling order; the
// cursor keys come last, together.
struct KEY_SOURCE {
    HKEY_ID hKey;
    DKEY_ID dKey;
};
constexpr KEY_SOURCE SAMPLE_ORDER[] = {
    {HKEY_POWER, DKEY_POWER},         {HKEY_MENU, DKEY_MENU},           {HKEY_VIEW, DKEY_VIEW},
    {HKEY_EXIT, DKEY_EXIT},           {HKEY_ZOOM_IN, DKEY_ZOOM_IN},     {HKEY_ZOOM_OUT, DKEY_ZOOM_OUT},
    {HKEY_MARK, DKEY_MARK},           {HKEY_INFO, DKEY_INFO},           {HKEY_GOTO, DKEY_GOTO},
    {HKEY_SOFT_KEY_1, DKEY_SOFT_KEY_1}, {HKEY_SOFT_KEY_2, DKEY_SOFT_KEY_2}, {HKEY_SOFT_KEY_3, DKEY_SOFT_KEY_3},
};

// Direction and number of keys making it, by the mask up 1, down 2,
// left 4, right 8.
struct CURSOR_ENTRY {
    CURSOR_POSITION direction;
    U8 u8Keys;
};
constexpr CURSOR_ENTRY CURSOR_TABLE[16] = {
    {CURSOR_UP, 0},        {CURSOR_NORTH, 1},      {CURSOR_SOUTH, 1},      {CURSOR_ILLEGAL, 0},
    {CURSOR_WEST, 1},      {CURSOR_NORTH_WEST, 2}, {CURSOR_SOUTH_WEST, 2}, {CURSOR_ILLEGAL, 0},
    {CURSOR_EAST, 1},      {CURSOR_NORTH_EAST, 2}, {CURSOR_SOUTH_EAST, 2}, {CURSOR_ILLEGAL, 0},
    {CURSOR_ILLEGAL, 0},   {CURSOR_ILLEGAL, 0},    {CURSOR_ILLEGAL, 0},    {CURSOR_ILLEGAL, 0},
};

// Statics -------------------------------------------------------------------

H_KEY_STATE s_keyState[HKEY_NUM_KEYS];
BOOLEAN s_bState[DKEY_NUM_KEYS];

// Static prototypes -----------------------------------------------------------

BOOLEAN H_KEYBOARD_bCheckKey(H_KEY_STATE* pKey, BOOLEAN bFlag, TICKS now);
BOOLEAN H_KEYBOARD_bProcCursor(TICKS now);
TICKS H_KEYBOARD_now(void);

} // namespace

// Public functions --------------------------------------------------------------

void H_KEYBOARD_vInit(void)
{
    DD_KEYBOARD_vInit();
    for (H_KEY_STATE& k : s_keyState) {
        k.state.store((KEY_STATE)0);
        k.cursor = CURSOR_UP;
        k.c_mode = NOT_CURSOR_KEY;
        k.changed = FALSE;
        k.repeat = FALSE;
        k.accelerate = FALSE;
        k.count_down = 0;
        k.acceleration_count = 0;
        k.elapsed = 0;
    }
    s_keyState[HKEY_CURSOR].c_mode = CURSOR_4;
    H_KEYBOARD_bProcessKeys();
    for (H_KEY_STATE& k : s_keyState)
        k.changed = FALSE;
}

void H_KEYBOARD_vSetupKey(HKEY_ID key, BOOLEAN bRepeat, BOOLEAN bAccelerate, CURSOR_MODE cursor_mode)
{
    if (key < 0 || key >= HKEY_NUM_KEYS)
        return;
    H_KEY_STATE& k = s_keyState[key];
    k.c_mode = cursor_mode;
    k.accelerate = bAccelerate;
    k.repeat = bRepeat;
    k.changed = FALSE;
    if (bRepeat) {
        k.count_down = FIRST_REPEAT_MS;
        k.acceleration_count = 1;
        k.elapsed = H_KEYBOARD_now();
    } else {
        k.count_down = 0;
        k.acceleration_count = 0;
        k.elapsed = 0;
    }
}

BOOLEAN H_KEYBOARD_bProcessKeys(void)
{
    DD_KEYBOARD_vGetState(s_bState);
    const TICKS now = H_KEYBOARD_now();
    BOOLEAN bEvent = FALSE;
    for (const KEY_SOURCE& source : SAMPLE_ORDER)
        if (H_KEYBOARD_bCheckKey(&s_keyState[source.hKey], s_bState[source.dKey], now))
            bEvent = TRUE;
    if (H_KEYBOARD_bProcCursor(now))
        bEvent = TRUE;
    return bEvent;
}

BOOLEAN H_KEYBOARD_bFetchKeyEvent(HKEY_ID* phKey, KEY_STATE* pState, U32* pu32RepeatCount,
                                  CURSOR_POSITION* pCursor)
{
    for (int i = 0; i < HKEY_NUM_KEYS; ++i) {
        H_KEY_STATE& k = s_keyState[i];
        if (!k.changed)
            continue;
        k.changed = FALSE;
        *phKey = (HKEY_ID)i;
        *pState = k.state.load();
        *pu32RepeatCount = k.acceleration_count;
        *pCursor = k.cursor;
        return TRUE;
    }
    return FALSE;
}

BOOLEAN H_KEYBOARD_bIsDown(HKEY_ID key)
{
    if (key < 0 || key >= HKEY_NUM_KEYS)
        return FALSE;
    return s_keyState[key].state.load() == KEY_DOWN;
}

BOOLEAN H_KEYBOARD_bIsPowerPressed(void)
{
    return DD_KEYBOARD_bIsKeyDown(DKEY_POWER);
}

// Static functions --------------------------------------------------------------

namespace {

TICKS H_KEYBOARD_now(void)
{
    return (TICKS)L_CLOCK_qwGetTimeInMillis();
}

BOOLEAN H_KEYBOARD_bCheckKey(H_KEY_STATE* pKey, BOOLEAN bFlag, TICKS now)
{
    H_KEY_STATE& k = *pKey;
    if (!bFlag) {
        if (k.state.load() == KEY_UP)
            return FALSE;
        k.state.store(KEY_UP);
        k.changed = TRUE;
        return TRUE;
    }
    if (k.state.load() != KEY_DOWN) {
        k.state.store(KEY_DOWN);
        k.changed = TRUE;
        if (k.repeat) {
            k.acceleration_count = 1;
            k.count_down = FIRST_REPEAT_MS;
            k.elapsed = now;
        }
        return TRUE;
    }
    // A repeating key's count_down may land on exactly 0 after a late
    // sample; the repeat then stays due instead of stopping, so the test
    // is on repeat alone (a key set up to repeat always has a count_down).
    if (!k.repeat)
        return FALSE;
    k.count_down -= (S32)(now - k.elapsed);
    k.elapsed = now;
    if (k.count_down > 0)
        return FALSE;
    k.count_down += REPEAT_MS;
    k.changed = TRUE;
    if (k.accelerate)
        ++k.acceleration_count;
    return TRUE;
}

BOOLEAN H_KEYBOARD_bProcCursor(TICKS now)
{
    H_KEY_STATE& k = s_keyState[HKEY_CURSOR];
    const U32 u32Mask = (s_bState[DKEY_CURSOR_UP] ? 1u : 0u) | (s_bState[DKEY_CURSOR_DOWN] ? 2u : 0u) |
                        (s_bState[DKEY_CURSOR_LEFT] ? 4u : 0u) | (s_bState[DKEY_CURSOR_RIGHT] ? 8u : 0u);
    CURSOR_POSITION direction = CURSOR_TABLE[u32Mask].direction;
    if (k.c_mode == CURSOR_4 && CURSOR_TABLE[u32Mask].u8Keys == 2)
        direction = CURSOR_ILLEGAL;
    if (direction != k.cursor) {
        k.cursor = direction;
        k.changed = TRUE;
    }
    return H_KEYBOARD_bCheckKey(&k, u32Mask != 0 ? TRUE : FALSE, now);
}

} // namespace
