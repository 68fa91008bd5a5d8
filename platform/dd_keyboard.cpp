// The keypad driver.
//
// The thread blocks in read() at real-time priority and writes single
// flags; the key layer copies all sixteen at its samples without a lock.
// Each flag is an atomic byte, so every copy sees 0 or 1 for each key,
// though not necessarily one instant for all sixteen - a press shorter than
// one sampling period may be missed, as it is on the unit.
//
// Records are taken whole: a read that ends inside a record keeps its start
// until the next read completes it. A read error other than EINTR, or end
// of file, ends the thread; the keys then read as they were last reported.
#include "platform/dd_keyboard.h"

#include "kernel/l_root.h"
#include "kernel/l_utils.h"
#include "kernel/lm_log.h"
#include "platform/h_options.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <linux/input.h>
#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

// Constants -----------------------------------------------------------------

const U16 DD_KEYBOARD_au16KeyCodes[DKEY_NUM_KEYS] = {
    46,  // DKEY_POWER
    50,  // DKEY_MENU
    30,  // DKEY_EXIT
    28,  // DKEY_VIEW
    106, // DKEY_ZOOM_IN
    103, // DKEY_ZOOM_OUT
    36,  // DKEY_MARK
    18,  // DKEY_GOTO
    24,  // DKEY_INFO
    105, // DKEY_CURSOR_UP
    108, // DKEY_CURSOR_DOWN
    23,  // DKEY_CURSOR_LEFT
    49,  // DKEY_CURSOR_RIGHT
    48,  // DKEY_SOFT_KEY_1
    33,  // DKEY_SOFT_KEY_2
    37,  // DKEY_SOFT_KEY_3
};

namespace {

constexpr const char* DEVICE = "/dev/input/event6";
constexpr int THREAD_PRIORITY = 98;
constexpr U64 FAKE_PRESSED_MS = 100;
constexpr U64 FAKE_RELEASED_MS = 250;
constexpr size_t PATH_BYTES = 4096;
constexpr size_t READ_RECORDS = 16;

// Where the fields of struct input_event lie; the time fills the bytes
// before the type, seconds then microseconds, each half of them.
constexpr size_t TIME_OFFSET = 0;
constexpr size_t TYPE_OFFSET = offsetof(struct input_event, type);
constexpr size_t CODE_OFFSET = offsetof(struct input_event, code);
constexpr size_t VALUE_OFFSET = offsetof(struct input_event, value);
constexpr size_t TIME_HALF_BYTES = (TYPE_OFFSET - TIME_OFFSET) / 2;
static_assert(sizeof(struct input_event) == DD_KEYBOARD_EVENT_BYTES && TIME_HALF_BYTES == sizeof(long) &&
                  VALUE_OFFSET + sizeof(S32) == DD_KEYBOARD_EVENT_BYTES,
              "struct input_event is a time, two 16-bit fields and a 32-bit value");

// Statics -------------------------------------------------------------------

std::atomic<BOOLEAN> s_state[DKEY_NUM_KEYS];
pthread_t hw_thread = 0;
char s_acThreadName[] = "keyboard";
// The next time (kernel clock, ms) the fake key changes.
U64 s_u64FakeToggleMs = 0;

// Static prototypes -----------------------------------------------------------

void* DD_KEYBOARD_vThread(void* pvArg);
int DD_KEYBOARD_iOpenDevice(void);
void DD_KEYBOARD_vApplyRecord(const U8* pu8Record, std::atomic<BOOLEAN>* pabState);

} // namespace

// Public functions --------------------------------------------------------------

DKEY_ID DD_KEYBOARD_eKeyOfCode(U16 u16Code)
{
    for (int i = 0; i < DKEY_NUM_KEYS; ++i)
        if (DD_KEYBOARD_au16KeyCodes[i] == u16Code)
            return (DKEY_ID)i;
    return DKEY_NUM_KEYS;
}

void DD_KEYBOARD_vEncodeEvent(U8* pu8Record, U16 u16Type, U16 u16Code, S32 s32Value)
{
    struct timeval tv {};
    gettimeofday(&tv, nullptr);
    const long lSeconds = (long)tv.tv_sec;
    const long lMicros = (long)tv.tv_usec;
    memcpy(pu8Record + TIME_OFFSET, &lSeconds, TIME_HALF_BYTES);
    memcpy(pu8Record + TIME_OFFSET + TIME_HALF_BYTES, &lMicros, TIME_HALF_BYTES);
    memcpy(pu8Record + TYPE_OFFSET, &u16Type, sizeof u16Type);
    memcpy(pu8Record + CODE_OFFSET, &u16Code, sizeof u16Code);
    memcpy(pu8Record + VALUE_OFFSET, &s32Value, sizeof s32Value);
}

void DD_KEYBOARD_vReadBytes(DD_KEYBOARD_READER* pReader, const U8* pu8Bytes, size_t szBytes,
                            std::atomic<BOOLEAN>* pabState)
{
    if (pReader->szPending >= DD_KEYBOARD_EVENT_BYTES)
        pReader->szPending = 0;
    if (pReader->szPending > 0) {
        const size_t szTake = std::min(szBytes, DD_KEYBOARD_EVENT_BYTES - pReader->szPending);
        memcpy(pReader->au8Pending + pReader->szPending, pu8Bytes, szTake);
        pReader->szPending += szTake;
        pu8Bytes += szTake;
        szBytes -= szTake;
        if (pReader->szPending < DD_KEYBOARD_EVENT_BYTES)
            return;
        DD_KEYBOARD_vApplyRecord(pReader->au8Pending, pabState);
        pReader->szPending = 0;
    }
    while (szBytes >= DD_KEYBOARD_EVENT_BYTES) {
        DD_KEYBOARD_vApplyRecord(pu8Bytes, pabState);
        pu8Bytes += DD_KEYBOARD_EVENT_BYTES;
        szBytes -= DD_KEYBOARD_EVENT_BYTES;
    }
    memcpy(pReader->au8Pending, pu8Bytes, szBytes);
    pReader->szPending = szBytes;
}

void DD_KEYBOARD_vInit(void)
{
    if (hw_thread != 0)
        return;
    for (std::atomic<BOOLEAN>& flag : s_state)
        flag.store(FALSE, std::memory_order_relaxed);
    hw_thread = L_UTILS_threadCreateSimpleThread(s_acThreadName, DD_KEYBOARD_vThread, nullptr);
}

void DD_KEYBOARD_vGetState(BOOLEAN* pbList)
{
    const S32 s32Fake = opt_fakekey;
    if (s32Fake >= 0 && s32Fake < DKEY_NUM_KEYS) {
        const U64 u64Now = (U64)lm_gettime(nullptr);
        if (u64Now >= s_u64FakeToggleMs) {
            const BOOLEAN bPressed = !s_state[s32Fake].load(std::memory_order_relaxed);
            s_state[s32Fake].store(bPressed, std::memory_order_relaxed);
            s_u64FakeToggleMs = u64Now + (bPressed ? FAKE_PRESSED_MS : FAKE_RELEASED_MS);
        }
    }
    for (int i = 0; i < DKEY_NUM_KEYS; ++i)
        pbList[i] = s_state[i].load(std::memory_order_relaxed);
}

BOOLEAN DD_KEYBOARD_bIsKeyDown(DKEY_ID eKey)
{
    if (eKey < 0 || eKey >= DKEY_NUM_KEYS)
        return FALSE;
    return s_state[eKey].load(std::memory_order_relaxed);
}

void DD_KEYBOARD_vPhasedScan(void) {}

// Static functions --------------------------------------------------------------

namespace {

void DD_KEYBOARD_vApplyRecord(const U8* pu8Record, std::atomic<BOOLEAN>* pabState)
{
    U16 u16Type;
    U16 u16Code;
    S32 s32Value;
    memcpy(&u16Type, pu8Record + TYPE_OFFSET, sizeof u16Type);
    memcpy(&u16Code, pu8Record + CODE_OFFSET, sizeof u16Code);
    memcpy(&s32Value, pu8Record + VALUE_OFFSET, sizeof s32Value);
    if (u16Type != DD_KEYBOARD_EV_KEY || (s32Value != DD_KEYBOARD_RELEASED && s32Value != DD_KEYBOARD_PRESSED))
        return;
    const DKEY_ID eKey = DD_KEYBOARD_eKeyOfCode(u16Code);
    if (eKey == DKEY_NUM_KEYS)
        return;
    pabState[eKey].store(s32Value == DD_KEYBOARD_PRESSED ? TRUE : FALSE, std::memory_order_relaxed);
}

// The device, or -1. Under a root the FIFO is made when it is missing, and
// opened read-write so that this reader is never left without a writer.
int DD_KEYBOARD_iOpenDevice(void)
{
    char acPath[PATH_BYTES];
    L_ROOT_pcResolve(DEVICE, acPath, sizeof acPath);
    const bool bUnderRoot = *L_ROOT_pcGetRoot() != '\0';
    if (bUnderRoot && mkfifo(acPath, 0666) != 0 && errno != EEXIST) {
        log_me("keyboard: cannot make %s: %s", acPath, strerror(errno));
        return -1;
    }
    const int fd = open(acPath, (bUnderRoot ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0)
        log_me("keyboard: cannot open %s: %s", acPath, strerror(errno));
    return fd;
}

void* DD_KEYBOARD_vThread(void*)
{
    struct sched_param sp = {};
    sp.sched_priority = THREAD_PRIORITY;
    const int rc = pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp);
    if (rc != 0)
        log_me("keyboard: SCHED_FIFO %d refused: %s", THREAD_PRIORITY, strerror(rc));
    pthread_detach(pthread_self());
    show_linux_priority("key thread");

    const int fd = DD_KEYBOARD_iOpenDevice();
    if (fd < 0)
        return nullptr;
    DD_KEYBOARD_READER reader{};
    U8 au8Buffer[READ_RECORDS * DD_KEYBOARD_EVENT_BYTES];
    for (;;) {
        const ssize_t n = read(fd, au8Buffer, sizeof au8Buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            log_me("keyboard: %s, key input ends", n == 0 ? "end of file" : strerror(errno));
            break;
        }
        DD_KEYBOARD_vReadBytes(&reader, au8Buffer, (size_t)n, s_state);
    }
    close(fd);
    return nullptr;
}

} // namespace
