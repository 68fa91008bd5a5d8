// Serial-port driver over terminal devices (on the workstation, links to
// pseudo-terminals under the unit root).
//
// Each open port has a reader thread that waits in poll() on the device
// and on a wake-up event of its own, reads what fits into the free,
// contiguous part of the ring, publishes it by advancing putidx and then
// signals the port's receive semaphore. Closing a port wakes that thread
// and joins it before the descriptor is closed, so a thread never reads a
// descriptor that was closed (or reused) under it and a re-opened port
// never has two readers.
//
// A pseudo-terminal delivers whatever its far end writes at once, a real
// UART no faster than its line rate. The reader thread keeps to the line
// rate of the port's current speed (ten bits a character, with a short
// burst allowed after a pause), so that the serial-port task and the
// owner of a port see bytes arrive as they would on the unit; without it a
// block written in one go would overrun the receive queues that the line
// rate lets the unit size small.
//
// The descriptor is non-blocking. A real UART drains at its line rate
// whatever the far end does; a pseudo-terminal whose far end stops reading
// would block a writer for ever. So a write waits a bounded time for room,
// and once such a wait has run out the port drops bytes at once until a
// write goes through again: the serial-port task never hangs on one port.
#include "platform/dd_uart.h"

#include "kernel/l_root.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr std::array<XLAT_BAUD, 9> xbtable = {{
    {300, B300},
    {1200, B1200},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
}};

// How long a write waits for room before the port counts as stalled.
constexpr int WRITE_STALL_MS = 1000;
// Characters the line may deliver at once after a pause.
constexpr U64 LINE_BURST = 16;
// Characters handed over together while more are arriving.
constexpr U64 RX_TRIGGER = 8;

// Per-port state the unit's record does not carry: the reader thread's
// handle for joining, its wake-up event and its stop request.
struct PORT_CONTROL {
    pthread_t thread;
    bool joinable;
    int wakeFd = -1;
    std::atomic<bool> stop{false};
    std::atomic<bool> running{false};
    // The reader's end is taken once: by a join, or by the reader itself
    // when it ends on its own (the device went away) and detaches.
    std::atomic<bool> claimed{false};
    bool writeStalled = false;
    std::atomic<U64> charNanos{0}; // line time of a character; 0: not paced
};

std::array<PORT_CONTROL, UART_PORT_COUNT> s_control;

U64 monoNanos()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (U64)ts.tv_sec * 1000000000ull + (U64)ts.tv_nsec;
}

U64 charNanosOf(U32 baud)
{
    return baud >= 10 ? 10000000000ull / baud : 0;
}

// The rate of a terminal speed code; 0 when the table lacks it.
U32 rateOfCode(speed_t code)
{
    for (const XLAT_BAUD& row : xbtable) {
        if ((speed_t)row.baudbits == code)
            return (U32)row.baudrate;
    }
    return 0;
}

// Sleeps up to ns unless the port's wake-up event comes first.
void linePause(const PORT_CONTROL& c, U64 ns)
{
    struct timespec ts = {(time_t)(ns / 1000000000ull), (long)(ns % 1000000000ull)};
    struct pollfd p = {c.wakeFd, POLLIN, 0};
    ppoll(&p, 1, &ts, nullptr);
}

bool isOpen(U8 port)
{
    return port < UART_PORT_COUNT && uart_info[port].dev_handle.load() > 0;
}

void* DD_UART_ReadThread(void* arg)
{
    UART_INFO* u = static_cast<UART_INFO*>(arg);
    PORT_CONTROL& c = s_control[(size_t)(u - uart_info)];
    const int fd = u->dev_handle.load();
    U64 lineFree = 0; // from this time on the line has delivered nothing yet
    for (;;) {
        if (c.stop.load())
            break;
        U32 put = u->putidx.load(std::memory_order_relaxed);
        U32 get = u->getidx.load(std::memory_order_acquire);
        if ((put + 1) % UART_RING_SIZE == get) {
            // Full: wait for the serial-port task to take a byte.
            struct timespec ts = {0, 1000};
            nanosleep(&ts, nullptr);
            continue;
        }
        // The free run from putidx up to the ring's end or to the slot
        // before getidx, whichever comes first.
        U32 room = get > put ? get - put - 1 : UART_RING_SIZE - put - (get == 0 ? 1 : 0);
        struct pollfd fds[2] = {{fd, POLLIN, 0}, {c.wakeFd, POLLIN, 0}};
        int rc = poll(fds, 2, -1);
        if (rc < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (c.stop.load() || (fds[1].revents & POLLIN))
            break;
        if (!(fds[0].revents & (POLLIN | POLLHUP | POLLERR)))
            continue;
        const U64 charNs = c.charNanos.load();
        if (charNs) {
            // Like a UART's receive FIFO: hand over a few characters at a
            // time while more are coming, a lone one as soon as it is in.
            int pending = 0;
            ioctl(fd, FIONREAD, &pending);
            U64 want = pending > 1 ? (U64)pending : 1;
            want = std::min<U64>({want, RX_TRIGGER, room});
            U64 now = monoNanos();
            U64 burstStart = now > LINE_BURST * charNs ? now - LINE_BURST * charNs : 0;
            if (lineFree < burstStart)
                lineFree = burstStart;
            U64 due = (now - lineFree) / charNs;
            if (due < want) {
                linePause(c, lineFree + want * charNs - now);
                continue;
            }
            if (due < room)
                room = (U32)due;
        }
        ssize_t n = read(fd, &u->qbuffer[put], room);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            break; // the device went away
        }
        if (n == 0)
            break; // end of file
        lineFree += (U64)n * charNs;
        u->putidx.store((put + (U32)n) % UART_RING_SIZE, std::memory_order_release);
        L_SEMA_Signal(u->receive_sema);
    }
    u->uart_read_thread.store(0);
    c.running.store(false);
    if (!c.claimed.exchange(true))
        pthread_detach(pthread_self());
    return nullptr;
}

// Joins a reader thread that has ended or been told to end, unless it
// ended on its own and detached.
void reapReader(PORT_CONTROL& c)
{
    if (c.joinable) {
        if (!c.claimed.exchange(true))
            pthread_join(c.thread, nullptr);
        c.joinable = false;
    }
}

void startReader(U8 port)
{
    UART_INFO& u = uart_info[port];
    PORT_CONTROL& c = s_control[port];
    if (c.running.load())
        return;
    reapReader(c);
    if (c.wakeFd < 0)
        c.wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (c.wakeFd < 0)
        return;
    U64 drain;
    while (read(c.wakeFd, &drain, sizeof drain) > 0) {
    }
    c.stop.store(false);
    c.claimed.store(false);
    c.running.store(true);
    // A plain thread with the library's own stack: the stack is given back
    // when the thread is joined, so re-opening a port costs nothing.
    pthread_t tid;
    int rc = pthread_create(&tid, nullptr, DD_UART_ReadThread, &u);
    if (rc != 0) {
        c.running.store(false);
        log_me("pthread_create result = %d, %d, %s", rc, errno, strerror(rc));
        return;
    }
    pthread_setname_np(tid, "uart");
    c.thread = tid;
    c.joinable = true;
    u.uart_read_thread.store(tid);
    log_me("pthread_create (%s): %d", "uart", (int)(long)tid);
}

} // namespace

UART_INFO uart_info[UART_PORT_COUNT] = {
    {"/dev/ttyO4", 0, 4, TRUE, 0, 0, 0, {}},
    {"/dev/ttyO1", 0, 6, TRUE, 0, 0, 0, {}},
    {"/dev/ttyO2", 0, 8, TRUE, 0, 0, 0, {}},
    {"/dev/ttyO3", 0, 10, TRUE, 0, 0, 0, {}},
};

void DD_UART_vInit(U8 u8Port)
{
    if (u8Port >= UART_PORT_COUNT)
        return;
    UART_INFO& u = uart_info[u8Port];
    if (u.dev_handle.load() <= 0) {
        char path[PATH_MAX];
        L_ROOT_pcResolve(u.dev_name, path, sizeof path);
        int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd == 0)
            close(fd); // 0 reads as "closed" in dev_handle
        if (fd <= 0)
            return;
        u.dev_handle.store(fd);
        s_control[u8Port].writeStalled = false;
    }
    struct termios tio;
    if (tcgetattr(u.dev_handle.load(), &tio) != 0)
        return;
    tio.c_iflag = 0;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    tio.c_cflag &= (CBAUD | CBAUDEX);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    tcsetattr(u.dev_handle.load(), TCSANOW, &tio);
    s_control[u8Port].charNanos.store(charNanosOf(rateOfCode(cfgetispeed(&tio))));
    startReader(u8Port);
}

void DD_UART_vChangeBaudRate(U8 u8Port, U32 u32Baud)
{
    if (!isOpen(u8Port))
        return;
    int fd = uart_info[u8Port].dev_handle.load();
    struct termios tio;
    if (tcgetattr(fd, &tio) != 0)
        return;
    for (const XLAT_BAUD& row : xbtable) {
        if ((U32)row.baudrate == u32Baud) {
            cfsetispeed(&tio, (speed_t)row.baudbits);
            cfsetospeed(&tio, (speed_t)row.baudbits);
            if (tcsetattr(fd, TCSANOW, &tio) == 0)
                s_control[u8Port].charNanos.store(charNanosOf(u32Baud));
            return;
        }
    }
}

void DD_UART_vTxRxEnable(U8 u8Port, BOOLEAN bTransmit, BOOLEAN bReceive)
{
    if (u8Port >= UART_PORT_COUNT)
        return;
    uart_info[u8Port].xmit_enable.store(bTransmit);
    if (!isOpen(u8Port))
        return;
    int fd = uart_info[u8Port].dev_handle.load();
    struct termios tio;
    if (tcgetattr(fd, &tio) != 0)
        return;
    if (bReceive)
        tio.c_cflag |= CREAD;
    else
        tio.c_cflag &= ~(tcflag_t)CREAD;
    tcsetattr(fd, TCSANOW, &tio);
}

void DD_UART_vSendByte(U8 u8Port, U8 u8Byte)
{
    if (!isOpen(u8Port) || !uart_info[u8Port].xmit_enable.load())
        return;
    int fd = uart_info[u8Port].dev_handle.load();
    PORT_CONTROL& c = s_control[u8Port];
    for (;;) {
        ssize_t n = write(fd, &u8Byte, 1);
        if (n == 1) {
            c.writeStalled = false;
            return;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && !c.writeStalled) {
            struct pollfd p = {fd, POLLOUT, 0};
            if (poll(&p, 1, WRITE_STALL_MS) > 0 && (p.revents & POLLOUT))
                continue;
            c.writeStalled = true;
        }
        return; // write errors are ignored
    }
}

U8 DD_UART_u8Getch(U8 u8Port)
{
    if (u8Port >= UART_PORT_COUNT)
        return 0xFF;
    UART_INFO& u = uart_info[u8Port];
    U32 get = u.getidx.load(std::memory_order_relaxed);
    if (get == u.putidx.load(std::memory_order_acquire))
        return 0xFF;
    U8 byte = u.qbuffer[get];
    u.getidx.store((get + 1) % UART_RING_SIZE, std::memory_order_release);
    return byte;
}

BOOLEAN DD_UART_bRxCharAvail(U8 u8Port)
{
    if (!isOpen(u8Port))
        return FALSE;
    UART_INFO& u = uart_info[u8Port];
    return u.getidx.load(std::memory_order_relaxed) != u.putidx.load(std::memory_order_acquire);
}

U32 DD_UART_u32FetchTxCount(U8 u8Port)
{
    if (!isOpen(u8Port))
        return 0;
    int count = 0;
    if (ioctl(uart_info[u8Port].dev_handle.load(), TIOCOUTQ, &count) != 0 || count < 0)
        return 0;
    return (U32)count;
}

BOOLEAN DD_UART_bIsTxShifterEmpty(U8 u8Port)
{
    return DD_UART_u32FetchTxCount(u8Port) == 0;
}

BOOLEAN DD_UART_bTxComplete(U8 u8Port)
{
    return DD_UART_u32FetchTxCount(u8Port) == 0;
}

void DD_UART_vKill(U8 u8Port)
{
    if (u8Port >= UART_PORT_COUNT)
        return;
    UART_INFO& u = uart_info[u8Port];
    PORT_CONTROL& c = s_control[u8Port];
    c.stop.store(true);
    if (c.wakeFd >= 0) {
        U64 one = 1;
        ssize_t w = write(c.wakeFd, &one, sizeof one);
        (void)w;
    }
    reapReader(c);
    int fd = u.dev_handle.exchange(0);
    if (fd > 0)
        close(fd);
}

BOOLEAN DD_UART_bTxBufferEmpty(U8) { return TRUE; }
U8 DD_UART_u8GetRxStatus(U8) { return 0; }
U32 DD_UART_u32ReadReceiveError(U8) { return 0; }
BOOLEAN DD_UART_bIsRxIntEnabled(U8) { return TRUE; }
