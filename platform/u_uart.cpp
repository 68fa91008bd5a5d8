// Client calls of the serial-port task. The mail senders find the task's
// mailbox under key "TURT" and send at mail priority 3 without a
// semaphore; the task frees the mail. Transmit data goes straight into the
// port's transmit queue from the caller's thread.
#include "platform/u_uart.h"

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_queue.h"
#include "kernel/l_task.h"
#include "platform/t_uart.h"
#include "store/h_database.h"

namespace {

constexpr FOURCHARID KEY_TURT = FCID("TURT");
constexpr PRIORITY MAIL_PRIORITY = 3;
constexpr int PORTS = 4;
// How long a caller sleeps on a full transmit queue before it looks again.
constexpr TICKS FULL_QUEUE_WAIT_MS = 10;

bool uartMailbox(MBOX* pMbox)
{
    U32 value = 0;
    BOOLEAN valid = FALSE;
    if (!H_DATABASE_bFetchU32(KEY_TURT, &value, &valid, nullptr) || !valid)
        return false;
    *pMbox = (MBOX)value;
    return true;
}

template <typename MAIL>
MAIL* newMail(CMD_ID cmd)
{
    auto* m = (MAIL*)H_MEMORY_pvMalloc(sizeof(MAIL));
    *m = MAIL{};
    m->msg.Cmd = cmd;
    return m;
}

BOOLEAN post(MBOX mbox, GENERIC_MESSAGE* m)
{
    if (L_MBOX_Send(mbox, &m->msghdr, MAIL_PRIORITY, 0) != 0) {
        H_MEMORY_vFree(m);
        return FALSE;
    }
    return TRUE;
}

BOOLEAN sendCapture(U8 port, BYTE match, SEMA sema)
{
    MBOX mbox;
    if (port >= PORTS || !uartMailbox(&mbox))
        return FALSE;
    auto* m = newMail<MSG_CAPTURE_CHANNEL>(CMD_ID_CAPTURE_CHANNEL);
    m->uart = port;
    m->byteMatchCharacter = match;
    m->semaphore = sema;
    return post(mbox, &m->msg);
}

} // namespace

BOOLEAN U_UART_bAllocateChannel(U8 u8Port)
{
    return sendCapture(u8Port, 0, 0);
}

BOOLEAN U_UART_bRegisterForChannel(U8 u8Port, BYTE byteMatchChar, SEMA semaphore)
{
    return sendCapture(u8Port, byteMatchChar, semaphore);
}

BOOLEAN U_UART_bReleaseChannel(U8 u8Port, BOOLEAN bForce4800)
{
    MBOX mbox;
    if (u8Port >= PORTS || !uartMailbox(&mbox))
        return FALSE;
    auto* m = newMail<MSG_DISCONNECT>(CMD_ID_DISCONNECT);
    m->channel = u8Port;
    m->flag = bForce4800;
    return post(mbox, &m->msg);
}

BOOLEAN U_UART_bChangeBaudRate(U8 u8Port, U32 u32BaudRate)
{
    MBOX mbox;
    if (u8Port >= PORTS || !uartMailbox(&mbox))
        return FALSE;
    auto* m = newMail<MSG_CHANGE_BAUD_RATE>(CMD_ID_CHANGE_BAUD_RATE);
    m->baud_rate = u32BaudRate;
    m->uart = u8Port;
    return post(mbox, &m->msg);
}

BOOLEAN U_UART_bTransmitData(U8 u8Port, const char* pcData, int nSize)
{
    QUEUE queue = T_UART_nGetQueue(u8Port, TRUE);
    if (queue < 0)
        return FALSE;
    TASK self = L_TASK_GetID(0);
    // Only numbered tasks have a priority of their own; plain threads (70)
    // share the main thread's record and are left alone.
    const bool isTask = self >= 1 && self <= ntasks;
    const ERC p = isTask ? L_TASK_GetPriority(self) : 0;
    const ERC q = TASK_UART_TABLE_PRIORITY;
    if (isTask && p > q)
        L_TASK_SetPriority(self, (PRIORITY)(q - 1));
    for (int i = 0; i < nSize; ++i) {
        U8 byte = (U8)pcData[i];
        while (L_QUEUE_Put(queue, &byte) == -lsQUEUE_FULL) {
            if (self == TASK_UART) {
                T_UART_vHandleTransmit(u8Port);
                continue;
            }
            // Let the serial-port task run: drop below it for a moment.
            if (isTask)
                L_TASK_SetPriority(self, (PRIORITY)(p <= q ? q + 1 : p));
            ERC rc = L_QUEUE_PutWaitTicks(queue, &byte, FULL_QUEUE_WAIT_MS);
            if (isTask)
                L_TASK_SetPriority(self, (PRIORITY)(p <= q ? p : q - 1));
            if (rc == 0)
                break;
        }
    }
    if (isTask)
        L_TASK_SetPriority(self, (PRIORITY)p);
    return TRUE;
}
