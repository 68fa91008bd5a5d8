// Server monitors. Silence is measured on the free-running millisecond
// counter, across its 32-bit wrap, and a monitor fires only when the
// silence is strictly longer than its interval.
#include "gmsg/u_server_monitor.h"

#include "gmsg/u_gmsg.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"

#include <cstring>

namespace {

// The last handle handed out; one slot of the table stays unused.
constexpr U32 LAST_HANDLE = SERVER_MONITOR_TABLE_SIZE - 2;

SERVER_MONITOR_TYPE smtServerMonitorArray[SERVER_MONITOR_TABLE_SIZE];
BOOLEAN bInitialized = FALSE;
U32 u32NextArrayIndex = 0;

class MonitorLock {
public:
    MonitorLock() { L_MUTEX_LockWait(RES_SRVMONITOR); }
    ~MonitorLock() { L_MUTEX_Unlock(RES_SRVMONITOR); }
    MonitorLock(const MonitorLock&) = delete;
    MonitorLock& operator=(const MonitorLock&) = delete;
};

U32 now() { return H_TICK_u32ReadFreeRunningTimerInMilliSeconds(); }

// Under the lock: the monitor of a handed-out handle, or null.
SERVER_MONITOR_TYPE* monitor(SERVER_MOINITOR_HANDLE_TYPE h)
{
    if (!bInitialized || h < 0 || (U32)h >= u32NextArrayIndex)
        return nullptr;
    return &smtServerMonitorArray[h];
}

void sendTimeout(const SERVER_MONITOR_TYPE& m)
{
    MSG_GMSG_DISCONNECT* mail = (MSG_GMSG_DISCONNECT*)H_MEMORY_pvMalloc(sizeof(MSG_GMSG_DISCONNECT));
    memset(mail, 0, sizeof *mail);
    mail->Header.Cmd = CMD_ID_SERVER_MONITOR_TIMEOUT;
    mail->Mailbox = m.mboxId;
    mail->Address = m.gaServerAddress;
    if (L_MBOX_Send(m.mboxId, &mail->Header.msghdr, GMSG_MAIL_PRIORITY, 0) != 0)
        H_MEMORY_vFree(mail);
}

} // namespace

SERVER_MOINITOR_HANDLE_TYPE U_SERVER_MONITOR_u32Allocate(void)
{
    MonitorLock lock;
    if (!bInitialized) {
        memset(smtServerMonitorArray, 0, sizeof smtServerMonitorArray);
        u32NextArrayIndex = 0;
        bInitialized = TRUE;
    }
    if (u32NextArrayIndex > LAST_HANDLE)
        return SERVER_MONITOR_NONE;
    SERVER_MONITOR_TYPE& m = smtServerMonitorArray[u32NextArrayIndex];
    memset(&m, 0, sizeof m);
    m.bActive = FALSE;
    m.u32TimeoutTimeInterval = SERVER_MONITOR_DEFAULT_INTERVAL_MS;
    m.u32LastMessageReceivedTime = now();
    return (SERVER_MOINITOR_HANDLE_TYPE)u32NextArrayIndex++;
}

void U_SERVER_MONITOR_vSetActive(SERVER_MOINITOR_HANDLE_TYPE h, BOOLEAN bActive)
{
    MonitorLock lock;
    if (SERVER_MONITOR_TYPE* m = monitor(h)) {
        m->bActive = bActive;
        m->u32LastMessageReceivedTime = now();
    }
}

void U_SERVER_MONITOR_vSetUserName(SERVER_MOINITOR_HANDLE_TYPE h, const char* pUserName)
{
    MonitorLock lock;
    if (SERVER_MONITOR_TYPE* m = monitor(h))
        m->pUserName = pUserName;
}

void U_SERVER_MONITOR_vSetTimeoutInterval(SERVER_MOINITOR_HANDLE_TYPE h, U32 u32TimeoutInterval)
{
    MonitorLock lock;
    if (SERVER_MONITOR_TYPE* m = monitor(h))
        m->u32TimeoutTimeInterval = u32TimeoutInterval;
}

void U_SERVER_MONITOR_vSetMailbox(SERVER_MOINITOR_HANDLE_TYPE h, MBOX mboxId)
{
    MonitorLock lock;
    if (SERVER_MONITOR_TYPE* m = monitor(h))
        m->mboxId = mboxId;
}

void U_SERVER_MONITOR_vSetServerAddress(SERVER_MOINITOR_HANDLE_TYPE h, const GMSG_ADDRESS* pgaServerAddress)
{
    MonitorLock lock;
    SERVER_MONITOR_TYPE* m = monitor(h);
    if (!m || !pgaServerAddress)
        return;
    m->gaServerAddress = *pgaServerAddress;
    m->u32LastMessageReceivedTime = now();
}

void U_SERVER_MONITOR_vReceivedMessage(SERVER_MOINITOR_HANDLE_TYPE h)
{
    MonitorLock lock;
    if (SERVER_MONITOR_TYPE* m = monitor(h))
        m->u32LastMessageReceivedTime = now();
}

void U_SERVER_MONITOR_vCheckForTimeouts(void)
{
    MonitorLock lock;
    if (!bInitialized)
        return;
    for (U32 i = 0; i < u32NextArrayIndex; ++i) {
        SERVER_MONITOR_TYPE& m = smtServerMonitorArray[i];
        if (!m.bActive)
            continue;
        const U32 u32TimeNow = now();
        const U32 elapsed = H_TICK_u32ElapsedTime(m.u32LastMessageReceivedTime, u32TimeNow);
        if (elapsed <= m.u32TimeoutTimeInterval)
            continue;
        log_me("U_SERVER_MONITOR_vCheckForTimeouts: Timeout! pName = %s u32TimeNow = %d u32TimeInterval = %d "
               "mtServerMonitorArray[%d].u32TimeoutTimeInterval = %d\n",
               m.pUserName ? m.pUserName : "(null)", (int)u32TimeNow, (int)elapsed, (int)i,
               (int)m.u32TimeoutTimeInterval);
        m.bActive = FALSE;
        sendTimeout(m);
        m.u32LastMessageReceivedTime = u32TimeNow;
    }
}
