// Serial-port task (task 2, mailbox 2, key "TURT").
//
// Rules of a port:
// - For 800 ms after the task starts, all input is dropped (the lines
//   settle); after that, and after every release, input is dropped up to
//   the first line end, so the next character starts a line.
// - Owned: every character goes to the port's receive queue. A full queue
//   loses the character.
// - Not owned: the first character of a line is compared with the port's
//   trigger registrations, newest first; a match makes the registering
//   task the owner, signals its semaphore and delivers the character. Any
//   other character is dropped.
// - Only the owner releases a port (back to 4800 baud or its initial rate);
//   registrations live until shutdown. After shutdown the ports are closed,
//   transmit data is purged and nothing is delivered.
//
// The task is the only writer of the channel table and the registration
// lists; other tasks read the owner without a lock.
#include "platform/t_uart.h"

#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_queue.h"
#include "kernel/l_sema.h"
#include "kernel/l_timer.h"
#include "platform/dd_uart.h"
#include "platform/h_uart.h"
#include "store/h_database.h"

namespace {

constexpr char SOURCE_NAME[] = "./Working/SOURCE/t_uart";
constexpr FOURCHARID KEY_TURT = FCID("TURT");

constexpr SEMA SEMA_MBOX_COM1A = 34;
constexpr SEMA SEMA_TIMER_UART_INIT = 245;
constexpr TICKS INIT_PERIOD_MS = 800;

constexpr U8 LF = 0x0A;
constexpr U8 CR = 0x0D;

constexpr int PORTS = 4;

// Semaphores of each port: driver receive, transmitter ready, receive
// error, fine timer, half-duplex transmission complete.
constexpr SEMA s_semaRxReady[PORTS] = {4, 6, 8, 10};
constexpr SEMA s_semaTxReady[PORTS] = {3, 5, 7, 9};
constexpr SEMA s_semaRxError[PORTS] = {11, 12, 13, 14};
constexpr SEMA s_semaFineTimer[PORTS] = {93, 94, 95, 96};
constexpr SEMA s_semaTxComplete[PORTS] = {97, 98, 99, 100};

constexpr SEMA s_waitList[] = {4,  6,  3,  5,  15, 17, 97, 98, 93, 94,  34, 11, 8,   7,
                               19, 99, 95, 12, 13, 10, 9,  21, 100, 96, 14, 245, 0};

CHANNEL_CONTROL s_sControl[PORTS] = {
    {0, 0, 4800, nullptr, TRUE, FALSE, FALSE, 4800, 1, 2, 15, 16},
    {0, 0, 38400, nullptr, TRUE, FALSE, FALSE, 38400, 3, 4, 17, 18},
    {0, 0, 4800, nullptr, TRUE, FALSE, FALSE, 4800, 5, 6, 19, 20},
    {0, 0, 38400, nullptr, TRUE, FALSE, FALSE, 38400, 7, 8, 21, 22},
};

BOOLEAN s_bInitPeriod = TRUE;
BOOLEAN s_bShutdown = FALSE;
TIMER_INFO* s_pInitTimer = nullptr;

[[noreturn]] void fatal(U32 line, const char* text)
{
    ERROR_error(SOURCE_NAME, line, text);
    U_RESET_vReset(FALSE, FALSE);
}

bool isLineEnd(U8 c)
{
    return c == LF || c == CR;
}

void purgeQueues(const CHANNEL_CONTROL& c)
{
    L_QUEUE_Purge(c.queueTransmit);
    L_QUEUE_Purge(c.queueReceive);
}

void setUpPort(U8 port, U32 baud)
{
    CHANNEL_CONTROL& c = s_sControl[port];
    c.u32CharacterTime = H_UART_u32Setup(port, baud, c.bHalfDuplex);
    if (!c.bHalfDuplex)
        H_UART_vSetMode(port, UART_FULL_DUPLEX);
    purgeQueues(c);
    c.bFindInitialCR = TRUE;
}

void freeRegistrations(CHANNEL_CONTROL& c)
{
    CONDITIONAL_CHANNEL_LOCK* p = c.pConditionalList;
    c.pConditionalList = nullptr;
    while (p) {
        CONDITIONAL_CHANNEL_LOCK* next = p->pNext;
        H_MEMORY_vFree(p);
        p = next;
    }
}

// Re-arms a half-duplex port's fine timer for the bytes still to go out.
void armTurnaround(U8 port)
{
    CHANNEL_CONTROL& c = s_sControl[port];
    ERC queued = L_QUEUE_Inquire(c.queueTransmit);
    U32 pending = (U32)(queued > 0 ? queued : 0) + DD_UART_u32FetchTxCount(port);
    H_TICK_vSetFineTimer(port, pending * c.u32CharacterTime / 200 + 1, T_UART_vHandleLineTurnAround);
}

void lineTurnaround(U8 port)
{
    CHANNEL_CONTROL& c = s_sControl[port];
    if (DD_UART_u32FetchTxCount(port) == 0 && L_QUEUE_Inquire(c.queueTransmit) == 0)
        H_UART_vSetMode(port, UART_HALF_DUPLEX_RECEIVE);
    else
        armTurnaround(port);
}

void handleReceiveError(U8 port)
{
    if (DD_UART_u8GetRxStatus(port) == 0)
        return;
    CHANNEL_CONTROL& c = s_sControl[port];
    setUpPort(port, c.u32CurrentBaudrate);
    c.bLastCharCR = FALSE;
}

void handleChangeBaudRate(MSG_CHANGE_BAUD_RATE* m)
{
    m->flag = FALSE;
    if (m->uart >= PORTS)
        return;
    CHANNEL_CONTROL& c = s_sControl[m->uart];
    TASK owner = c.taskOwner.load();
    if (owner != 0 && owner != m->msg.msghdr.task)
        return;
    m->flag = TRUE;
    if (m->baud_rate != c.u32CurrentBaudrate) {
        c.u32CurrentBaudrate = m->baud_rate;
        c.u32CharacterTime = H_UART_u32SetBaudRate(m->uart, m->baud_rate);
    }
}

void handleDisconnect(MSG_DISCONNECT* m)
{
    if (m->channel >= PORTS)
        return;
    CHANNEL_CONTROL& c = s_sControl[m->channel];
    if (c.taskOwner.load() == 0 || c.taskOwner.load() != m->msg.msghdr.task)
        return;
    U32 rate = m->flag ? 4800 : c.u32InitialBaudRate;
    c.u32CurrentBaudrate = rate;
    c.taskOwner.store(0);
    c.u32CharacterTime = H_UART_u32SetBaudRate(m->channel, rate);
    c.bFindInitialCR = TRUE;
    c.bLastCharCR = FALSE;
}

void handleCapture(MSG_CAPTURE_CHANNEL* m)
{
    m->flag = FALSE;
    if (m->uart >= PORTS)
        return;
    CHANNEL_CONTROL& c = s_sControl[m->uart];
    TASK sender = m->msg.msghdr.task;
    TASK owner = c.taskOwner.load();
    if (m->semaphore == 0) {
        if (owner == 0 || (owner == sender && c.pConditionalList == nullptr)) {
            c.taskOwner.store(sender);
            c.bFindInitialCR = FALSE;
            m->flag = TRUE;
        }
    } else if (m->semaphore == -1) {
        c.taskOwner.store(sender);
        c.bFindInitialCR = FALSE;
        m->flag = TRUE;
    } else {
        if (owner != 0 && c.pConditionalList == nullptr)
            return;
        auto* reg = (CONDITIONAL_CHANNEL_LOCK*)H_MEMORY_pvMalloc(sizeof(CONDITIONAL_CHANNEL_LOCK));
        reg->cTriggerCharacter = m->byteMatchCharacter;
        reg->semaNotify = m->semaphore;
        reg->taskOwner = sender;
        reg->pNext = c.pConditionalList;
        c.pConditionalList = reg;
        m->flag = TRUE;
    }
}

void handleShutdown(void)
{
    for (U8 port = 0; port < PORTS; ++port) {
        CHANNEL_CONTROL& c = s_sControl[port];
        H_TICK_vSetFineTimer(port, 0, nullptr);
        H_UART_vShutdown(port);
        c.taskOwner.store(0);
        freeRegistrations(c);
    }
    s_bShutdown = TRUE;
}

void handleMail(void)
{
    while (MSGHEADER* mail = L_MBOX_Receive(MBOX_UART)) {
        switch (((GENERIC_MESSAGE*)mail)->Cmd) {
        case CMD_ID_CHANGE_BAUD_RATE:
            handleChangeBaudRate((MSG_CHANGE_BAUD_RATE*)mail);
            break;
        case CMD_ID_DISCONNECT:
            handleDisconnect((MSG_DISCONNECT*)mail);
            break;
        case CMD_ID_CAPTURE_CHANNEL:
            handleCapture((MSG_CAPTURE_CHANNEL*)mail);
            break;
        case CMD_ID_SHUTDOWN:
            handleShutdown();
            break;
        default:
            break;
        }
        H_MEMORY_vDumpMail(mail);
    }
}

void endInitPeriod(void)
{
    s_bInitPeriod = FALSE;
    if (s_pInitTimer) {
        L_TIMER_Stop(s_pInitTimer);
        L_TIMER_Release(s_pInitTimer);
        s_pInitTimer = nullptr;
    }
}

int portOf(const SEMA* table, SEMA s)
{
    for (int p = 0; p < PORTS; ++p) {
        if (table[p] == s)
            return p;
    }
    return -1;
}

int transmitQueuePortOf(SEMA s)
{
    for (int p = 0; p < PORTS; ++p) {
        if (s_sControl[p].semaTransmit == s)
            return p;
    }
    return -1;
}

void dispatch(SEMA s)
{
    int port;
    if ((port = portOf(s_semaRxReady, s)) >= 0)
        T_UART_vHandleReceive((U8)port);
    else if ((port = transmitQueuePortOf(s)) >= 0 || (port = portOf(s_semaTxReady, s)) >= 0)
        T_UART_vHandleTransmit((U8)port);
    else if (s == SEMA_MBOX_COM1A)
        handleMail();
    else if ((port = portOf(s_semaRxError, s)) >= 0)
        handleReceiveError((U8)port);
    else if ((port = portOf(s_semaFineTimer, s)) >= 0)
        lineTurnaround((U8)port);
    else if ((port = portOf(s_semaTxComplete, s)) >= 0)
        armTurnaround((U8)port);
    else if (s == SEMA_TIMER_UART_INIT)
        endInitPeriod();
}

} // namespace

QUEUE T_UART_nGetQueue(U8 u8Channel, BOOLEAN bTxNotRx)
{
    if (u8Channel >= PORTS)
        return -1;
    return bTxNotRx ? s_sControl[u8Channel].queueTransmit : s_sControl[u8Channel].queueReceive;
}

BOOLEAN T_UART_bChannelIsOwned(U8 u8Channel)
{
    return u8Channel < PORTS && s_sControl[u8Channel].taskOwner.load() != 0;
}

void T_UART_vHandleReceive(U8 u8Port)
{
    if (u8Port >= PORTS)
        return;
    CHANNEL_CONTROL& c = s_sControl[u8Port];
    if (s_bInitPeriod) {
        while (DD_UART_bRxCharAvail(u8Port))
            H_UART_u16FetchRx(u8Port);
        return;
    }
    if (c.bFindInitialCR) {
        for (;;) {
            if (!DD_UART_bRxCharAvail(u8Port))
                return;
            if (isLineEnd((U8)H_UART_u16FetchRx(u8Port)))
                break;
        }
        c.bFindInitialCR = FALSE;
        c.bLastCharCR = TRUE;
    }
    while (DD_UART_bRxCharAvail(u8Port)) {
        U16 element = H_UART_u16FetchRx(u8Port);
        U8 ch = (U8)(element & 0xFF);
        if (c.taskOwner.load() != 0) {
            L_QUEUE_Put(c.queueReceive, &element);
        } else if (c.bLastCharCR) {
            for (CONDITIONAL_CHANNEL_LOCK* reg = c.pConditionalList; reg; reg = reg->pNext) {
                if (reg->cTriggerCharacter == ch) {
                    // The woken task finds the port its own and the
                    // character waiting.
                    c.taskOwner.store(reg->taskOwner);
                    L_QUEUE_Put(c.queueReceive, &element);
                    L_SEMA_Signal(reg->semaNotify);
                    break;
                }
            }
        }
        c.bLastCharCR = isLineEnd(ch);
    }
}

void T_UART_vHandleTransmit(U8 u8Port)
{
    if (u8Port >= PORTS)
        return;
    CHANNEL_CONTROL& c = s_sControl[u8Port];
    if (s_bShutdown) {
        purgeQueues(c);
        return;
    }
    if (L_QUEUE_Inquire(c.queueTransmit) <= 0)
        return;
    if (c.bHalfDuplex)
        H_UART_vSetMode(u8Port, UART_HALF_DUPLEX_TRANSMIT);
    while (DD_UART_bTxBufferEmpty(u8Port)) {
        U8 byte;
        if (L_QUEUE_Get(c.queueTransmit, &byte) != 0)
            break;
        H_UART_vPutChar(u8Port, byte);
    }
}

void T_UART_vHandleLineTurnAround(void)
{
    for (U8 port = 0; port < PORTS; ++port) {
        if (s_sControl[port].bHalfDuplex)
            lineTurnaround(port);
    }
}

void T_UART_vMain(void)
{
    if (H_DATABASE_bUpdateEverythingU32(KEY_TURT, (U32)MBOX_UART, P_NORMAL, D_MAILBOX, nullptr, 0xFFFFFFFFu))
        fatal(__LINE__, "Somebody else registered the UART Task Mailbox");

    for (U8 port = 0; port < PORTS; ++port) {
        CHANNEL_CONTROL& c = s_sControl[port];
        L_QUEUE_DefineSema(c.queueTransmit, c.semaTransmit, QNE);
        L_QUEUE_DefineSema(c.queueReceive, c.semaReceive, QNE);
        setUpPort(port, c.u32InitialBaudRate);
    }

    s_bInitPeriod = TRUE;
    s_pInitTimer = L_TIMER_Start(nullptr, INIT_PERIOD_MS, 0, SEMA_TIMER_UART_INIT);
    if (!s_pInitTimer)
        fatal(__LINE__, "No TImers");

    for (;;) {
        SEMA s = L_SEMA_WaitMultiple(s_waitList);
        if (s > 0)
            dispatch(s);
    }
}
