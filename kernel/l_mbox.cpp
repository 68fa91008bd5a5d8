// Mailboxes.
//
// A mailbox is a list of mails ordered by mail priority: lower values first,
// first-in-first-out among equals. Any thread may send to any mailbox; a
// send never fails for lack of room and never blocks except on the mailbox
// mutex. Normally one task receives from a mailbox.
//
// A mailbox may be bound to a semaphore. The semaphore is signalled only on
// the change from empty to non-empty, so a task that wakes on it must drain
// the mailbox (L_MBOX_Receive until null) before it waits again. The
// mailbox's own condition variable serves tasks that block on the mailbox
// alone; it is broadcast on the same change.
//
// Ownership: a mail sent without a semaphore belongs to the receiver, which
// frees it; a mail sent with one stays the sender's and is only acknowledged
// by the receiver (H_MEMORY_vDumpMail does the right one of the two).
//
// Lock order: mailbox mutex -> semaphore mutex -> the waiting task's mutex
// (the semaphore signal of a send happens under the mailbox mutex).
#include "kernel/l_mbox.h"

#include "kernel/l_clock.h"
#include "kernel/l_names.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "kernel/lm_log.h"

#include <atomic>
#include <cerrno>
#include <mutex>
#include <pthread.h>

namespace {

struct MBOX_INFO {
    MsgHeader* MboxHeadPtr = nullptr;
    std::atomic<SEMA> MboxSemaphore{0};
    pthread_mutex_t MboxMutex;
    pthread_condattr_t MboxCondAttr;
    pthread_cond_t MboxCond;
};

MBOX_INFO* s_mboxes = nullptr;
std::once_flag s_initOnce;

void MBOX_Init()
{
    s_mboxes = new MBOX_INFO[nmboxes];
    pthread_mutexattr_t ma;
    pthread_mutexattr_init(&ma);
    pthread_mutexattr_settype(&ma, PTHREAD_MUTEX_RECURSIVE);
    for (int i = 0; i < nmboxes; ++i) {
        MBOX_INFO& m = s_mboxes[i];
        pthread_mutex_init(&m.MboxMutex, &ma);
        pthread_condattr_init(&m.MboxCondAttr);
        pthread_condattr_setclock(&m.MboxCondAttr, CLOCK_MONOTONIC);
        pthread_cond_init(&m.MboxCond, &m.MboxCondAttr);
    }
    pthread_mutexattr_destroy(&ma);
}

// The mailbox of an id, or null for an id outside 1..71.
MBOX_INFO* MBOX_Get(MBOX id)
{
    if (id < 1 || id > nmboxes)
        return nullptr;
    std::call_once(s_initOnce, MBOX_Init);
    return &s_mboxes[id - 1];
}

ERC MBOX_Queue(MBOX_INFO* m, MSGHEADER* mhptr, PRIORITY sPriority, SEMA sSemaphore)
{
    mhptr->sema = sSemaphore;
    mhptr->MsgPriority = sPriority;
    mhptr->task = L_TASK_GetID(0);
    pthread_mutex_lock(&m->MboxMutex);
    MsgHeader* head = m->MboxHeadPtr;
    if (!head) {
        mhptr->MsgNext = nullptr;
        m->MboxHeadPtr = mhptr;
        L_SEMA_Signal(m->MboxSemaphore);
        pthread_cond_broadcast(&m->MboxCond);
    } else if (sPriority < head->MsgPriority) {
        mhptr->MsgNext = head;
        m->MboxHeadPtr = mhptr;
    } else {
        MsgHeader* last = head;
        while (last->MsgNext && sPriority >= last->MsgNext->MsgPriority)
            last = last->MsgNext;
        mhptr->MsgNext = last->MsgNext;
        last->MsgNext = mhptr;
    }
    pthread_mutex_unlock(&m->MboxMutex);
    return 0;
}

// Under MboxMutex.
MSGHEADER* MBOX_Unlink(MBOX_INFO* m)
{
    MsgHeader* head = m->MboxHeadPtr;
    if (head) {
        m->MboxHeadPtr = head->MsgNext;
        head->MsgNext = nullptr;
    }
    return head;
}

MSGHEADER* MBOX_ReceiveWaiting(MBOX sMbox, const struct timespec* deadline)
{
    MBOX_INFO* m = MBOX_Get(sMbox);
    if (!m)
        return nullptr;
    pthread_mutex_lock(&m->MboxMutex);
    MSGHEADER* mail;
    while ((mail = MBOX_Unlink(m)) == nullptr) {
        L_TASK_Deactivate();
        int rc = deadline ? pthread_cond_timedwait(&m->MboxCond, &m->MboxMutex, deadline)
                          : pthread_cond_wait(&m->MboxCond, &m->MboxMutex);
        L_TASK_Activate();
        if (rc == ETIMEDOUT) {
            // A mail that came with the time-out is taken, not left behind.
            mail = MBOX_Unlink(m);
            break;
        }
    }
    pthread_mutex_unlock(&m->MboxMutex);
    return mail;
}

enum MBOX_WAIT_KIND { MBOX_WAIT_FOREVER, MBOX_WAIT_TICKS, MBOX_WAIT_SECONDS };

// The send-wait forms. The semaphore is checked before the mail is queued:
// a mail queued with a bad semaphore would be freed (or never acknowledged)
// by the receiver while the sender, told that its wait failed, still holds it.
ERC MBOX_SendWaiting(MBOX sMbox, MSGHEADER* mhptr, PRIORITY sPriority, SEMA sSemaphore, MBOX_WAIT_KIND kind,
                     U32 u32Limit)
{
    MBOX_INFO* m = MBOX_Get(sMbox);
    if (!m || !mhptr)
        return -lsMBOX_INVALID;
    if (sSemaphore < 1 || sSemaphore > nsemas)
        return -lsSEMA_INVALID;
    L_SEMA_SetPending(sSemaphore);
    MBOX_Queue(m, mhptr, sPriority, sSemaphore);
    switch (kind) {
    case MBOX_WAIT_TICKS:
        return L_SEMA_WaitTicks(sSemaphore, u32Limit);
    case MBOX_WAIT_SECONDS:
        return L_SEMA_WaitSeconds(sSemaphore, (S32)u32Limit);
    default:
        return L_SEMA_Wait(sSemaphore);
    }
}

} // namespace

ERC L_MBOX_Send(MBOX sMbox, MSGHEADER* mhptr, PRIORITY sPriority, SEMA sSemaphore)
{
    MBOX_INFO* m = MBOX_Get(sMbox);
    if (!m || !mhptr)
        return -lsMBOX_INVALID;
    return MBOX_Queue(m, mhptr, sPriority, sSemaphore);
}

ERC L_MBOX_SendWait(MBOX sMbox, MSGHEADER* mhptr, PRIORITY sPriority, SEMA sSemaphore)
{
    return MBOX_SendWaiting(sMbox, mhptr, sPriority, sSemaphore, MBOX_WAIT_FOREVER, 0);
}

ERC L_MBOX_SendWaitTicks(MBOX sMbox, MSGHEADER* mhptr, PRIORITY sPriority, SEMA sSemaphore, TICKS sTicks)
{
    return MBOX_SendWaiting(sMbox, mhptr, sPriority, sSemaphore, MBOX_WAIT_TICKS, sTicks);
}

ERC L_MBOX_SendWaitSeconds(MBOX sMbox, MSGHEADER* mhptr, PRIORITY sPriority, SEMA sSemaphore, U32 sSeconds)
{
    return MBOX_SendWaiting(sMbox, mhptr, sPriority, sSemaphore, MBOX_WAIT_SECONDS, sSeconds);
}

MSGHEADER* L_MBOX_Receive(MBOX sMbox)
{
    MBOX_INFO* m = MBOX_Get(sMbox);
    if (!m)
        return nullptr;
    pthread_mutex_lock(&m->MboxMutex);
    MSGHEADER* mail = MBOX_Unlink(m);
    pthread_mutex_unlock(&m->MboxMutex);
    return mail;
}

MSGHEADER* L_MBOX_ReceiveWait(MBOX sMbox)
{
    return MBOX_ReceiveWaiting(sMbox, nullptr);
}

MSGHEADER* L_MBOX_ReceiveWaitTicks(MBOX sMbox, TICKS sTicks)
{
    struct timespec deadline;
    L_CLOCK_PrepTimeoutTicks(&deadline, sTicks);
    return MBOX_ReceiveWaiting(sMbox, &deadline);
}

MSGHEADER* L_MBOX_ReceiveWaitSeconds(MBOX sMbox, TICKS sSeconds)
{
    struct timespec deadline;
    L_CLOCK_PrepTimeoutSeconds(&deadline, sSeconds);
    return MBOX_ReceiveWaiting(sMbox, &deadline);
}

void L_MBOX_AckMessage(MSGHEADER* mhptr)
{
    if (mhptr)
        L_SEMA_Signal(mhptr->sema);
}

ERC L_MBOX_DefineSema(MBOX mbox, SEMA sema)
{
    MBOX_INFO* m = MBOX_Get(mbox);
    if (!m)
        return -lsMBOX_INVALID;
    if (sema < 0 || sema > nsemas)
        return -lsSEMA_INVALID;
    pthread_mutex_lock(&m->MboxMutex);
    m->MboxSemaphore = sema;
    pthread_mutex_unlock(&m->MboxMutex);
    return 0;
}

void L_MBOX_Debug(void)
{
    log_me("mbox information (%d total)", nmboxes);
    for (MBOX id = 1; id <= nmboxes; ++id) {
        MBOX_INFO* m = MBOX_Get(id);
        SEMA sema = m->MboxSemaphore;
        log_me("  %02d %s: sema #%d (%s) mutex.lock %d", id, get_mailbox_name((U32)id), sema,
               get_semaphore_name((U32)sema), m->MboxMutex.__data.__lock);
        // The dump runs when something may hang: a list held by a stuck
        // thread is left out rather than waited for.
        if (pthread_mutex_trylock(&m->MboxMutex) != 0)
            continue;
        int n = 1;
        for (MsgHeader* p = m->MboxHeadPtr; p; p = p->MsgNext, ++n)
            log_me("    msg #%d: sema %d (%s) priority %d task %d (%s)", n, p->sema, get_semaphore_name((U32)p->sema),
                   (int)p->MsgPriority, p->task, get_task_name((U32)p->task));
        pthread_mutex_unlock(&m->MboxMutex);
    }
}
