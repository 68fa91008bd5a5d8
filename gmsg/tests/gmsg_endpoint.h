// Test and benchmark helpers of the GMSG task: the GMSG task and its socket
// thread started once per process on loopback, an endpoint that is a kernel
// task with a registered GMSG mailbox and a message table of its own, a
// count of the program heap's free blocks, and free ports.
//
// An endpoint runs its task loop like a service task: it waits on its
// mailbox semaphore and a job semaphore, runs the jobs the test posts (so
// that every client call happens in the task's own thread), then drains its
// mailbox, collecting the whole drain before handling any of it, so that a
// test can see how many messages one delivery brought.
#pragma once

#include "gmsg/t_ethernet_standin.h"
#include "gmsg/t_gmsg.h"
#include "gmsg/u_gmsg.h"
#include "gmsg/u_gmsg_registry.h"
#include "gmsg/gsocket.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mem.h"
#include "kernel/l_sema.h"
#include "kernel/l_task.h"
#include "kernel/tests/task_runner.h"
#include "store/h_database.h"

#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace gte {

inline U32 loopback() { return inet_addr("127.0.0.1"); }

inline GMSG_ADDRESS addressOf(U16 port, U32 ip = loopback())
{
    GMSG_ADDRESS a;
    GMSG_vMakeSocketAddress(&a, ip, port);
    return a;
}

// A port nobody listens on right now (TCP and UDP both free).
inline U16 freePort()
{
    for (;;) {
        const int t = socket(AF_INET, SOCK_STREAM, 0);
        struct sockaddr_in sa;
        memset(&sa, 0, sizeof sa);
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = loopback();
        bind(t, (struct sockaddr*)&sa, sizeof sa);
        socklen_t len = sizeof sa;
        getsockname(t, (struct sockaddr*)&sa, &len);
        close(t);
        const U16 port = ntohs(sa.sin_port);
        const int u = socket(AF_INET, SOCK_DGRAM, 0);
        sa.sin_addr.s_addr = INADDR_ANY;
        const bool udpFree = bind(u, (struct sockaddr*)&sa, sizeof sa) == 0;
        close(u);
        if (udpFree)
            return port;
    }
}

// Free blocks of every partition of the program heap. Call it only while
// the message fabric is idle: it takes every free block for a moment.
inline size_t freeBlocks()
{
    H_MEMORY_vFree(H_MEMORY_pvMalloc(1)); // the partitions exist from here on
    size_t total = 0;
    std::vector<void*> taken;
    for (MAP m = 1; m <= dnmaps; ++m) {
        if (L_MEM_GetBlockSize(m) <= 0)
            continue;
        taken.clear();
        while (void* p = L_MEM_Allocate(m))
            taken.push_back(p);
        total += taken.size();
        for (void* p : taken)
            L_MEM_Free(m, p);
    }
    return total;
}

template <typename Pred>
bool waitUntil(Pred pred, int ms = 5000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= end)
            return pred();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// The GMSG task (51) and its socket thread (52), started once per process,
// on the loopback interface.
inline void startGmsgTasks()
{
    // Each time: a test before may have pointed the unit's interface elsewhere.
    GSOCKET_vSetInterface("lo");
    static std::once_flag once;
    std::call_once(once, [] {
        H_DATABASE_vInit();
        L_MBOX_DefineSema(GMSG_MBOX, SEMA_MBOX_GMSG);
        const TASK_PARAM gmsg = {4096, 90, T_GMSG_vMain};
        const TASK_PARAM socket = {4096, 90, T_GMSG_vSocketMain};
        L_TASK_SetParams(GMSG_TASK, &gmsg);
        L_TASK_SetParams(GMSG_SOCKET_TASK, &socket);
        L_TASK_Start(GMSG_TASK);
        L_TASK_Start(GMSG_SOCKET_TASK);
        // The key the address check writes is made once, before any count
        // of free blocks.
        T_ETHERNET_bIsAddressReady();
    });
}

// What a handler saw of one message; everything copied.
struct Seen {
    U32 u32MsgId = 0;
    U32 u32Flags = 0;
    U32 u32Size = 0;
    U64 u64Token = 0;
    U64 u64ReplyToken = 0;
    GMSG_ADDRESS Src{};
    bool bReply = false;
    bool bDecoded = false;      // a decoded payload was there
    bool bRequestCopy = false;  // a matched reply carried the request's copy
    GMSG_STATUS Status{};       // for GMSG_ID_STATUS
    std::vector<U8> Raw;
    std::chrono::steady_clock::time_point At;
};

struct Ids {
    TASK task;
    MBOX mbox;
    SEMA mboxSema;  // bound to the mailbox
    SEMA gmsgSema;  // reserved for the GMSG calls
    SEMA jobSema;   // wakes the task for a job
    RESOURCE mutex; // the mailbox's resource mutex
};

class Endpoint {
public:
    // What the handler answers: TRUE handled. Runs in the endpoint's task.
    using Handler = std::function<BOOLEAN(MBOX, GMSG_INFO*)>;
    struct Row {
        U32 id;
        const G_DATA_TYPE* type;
    };

    Endpoint(const Ids& ids, std::vector<Row> rows) : ids_(ids)
    {
        for (const Row& r : rows)
            table_.push_back({r.id, &Endpoint::trampoline, r.type, this, nullptr});
        table_.push_back({GMSG_ID_DEFAULT_UNKNOWN, nullptr, nullptr, nullptr, nullptr});
        run_ = std::make_unique<kt::TaskRun>(ids_.task, [this] { loop(); });
    }
    ~Endpoint() { stop(); }
    Endpoint(const Endpoint&) = delete;
    Endpoint& operator=(const Endpoint&) = delete;

    MBOX mbox() const { return ids_.mbox; }
    U16 port() const { return port_; }
    GMSG_ADDRESS address() const { return addressOf(port_); }
    const GMSG_MAP_INFO* table() const { return table_.data(); }
    void setHandler(Handler h)
    {
        std::lock_guard<std::mutex> lock(m_);
        handler_ = std::move(h);
    }

    // Runs f in the endpoint's task and returns its result.
    template <typename F>
    auto call(F f) -> decltype(f())
    {
        using R = decltype(f());
        auto task = std::make_shared<std::packaged_task<R()>>(std::move(f));
        std::future<R> result = task->get_future();
        post([task] { (*task)(); });
        return result.get();
    }

    bool registerMailbox(U16 port, bool udp = false)
    {
        port_ = port;
        registered_ = call([&] {
            return (bool)U_GMSG_bRegisterMailboxAll(ids_.mbox, ids_.mutex, ids_.gmsgSema, table_.data(), port,
                                                    udp ? TRUE : FALSE);
        });
        return registered_;
    }
    bool unregisterMailbox()
    {
        registered_ = false;
        return call([&] { return (bool)U_GMSG_bUnregisterMailbox(ids_.mbox); });
    }

    // Holds the task in a job until resume(): mails pile up meanwhile.
    void pause()
    {
        auto gate = std::make_shared<std::promise<void>>();
        gate_ = gate;
        std::shared_future<void> opened = gate->get_future().share();
        post([opened] { opened.wait(); });
    }
    void resume()
    {
        if (gate_)
            gate_->set_value();
        gate_.reset();
    }

    void stop()
    {
        if (!run_)
            return;
        resume();
        if (registered_)
            unregisterMailbox();
        post([this] { done_ = true; });
        run_->join();
        run_.reset();
        // The thread still unwinds on the task's stack for a moment; a later
        // endpoint on the same task id must not start on it before that.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    // Recorded so far.
    std::vector<Seen> seen()
    {
        std::lock_guard<std::mutex> lock(m_);
        return seen_;
    }
    size_t seenCount()
    {
        std::lock_guard<std::mutex> lock(m_);
        return seen_.size();
    }
    std::vector<GMSG_ADDRESS> disconnects()
    {
        std::lock_guard<std::mutex> lock(m_);
        return disconnects_;
    }
    std::vector<MSG_GMSG_DISCONNECT> otherMails()
    {
        std::lock_guard<std::mutex> lock(m_);
        return others_;
    }
    // How many receive mails each drain of the mailbox found.
    std::vector<int> batches()
    {
        std::lock_guard<std::mutex> lock(m_);
        return batches_;
    }
    bool waitForSeen(size_t n, int ms = 5000)
    {
        return waitUntil([&] { return seenCount() >= n; }, ms);
    }
    bool waitForDisconnects(size_t n, int ms = 5000)
    {
        return waitUntil([&] { return disconnects().size() >= n; }, ms);
    }

private:
    static BOOLEAN trampoline(MBOX mailbox, GMSG_INFO* info, void* self, void*)
    {
        return static_cast<Endpoint*>(self)->handle(mailbox, info);
    }

    BOOLEAN handle(MBOX mailbox, GMSG_INFO* info)
    {
        Seen s;
        const GMSG_HEADER* h = info->pMsgHeader;
        s.u32MsgId = h->u32MsgId;
        s.u32Flags = h->u32MsgFlags;
        s.u32Size = h->u32MsgSize;
        s.u64Token = h->u64Token;
        s.u64ReplyToken = h->__u64ReplyToken;
        s.Src = h->SrcAddress;
        s.bReply = info->bReply;
        s.bDecoded = info->pStructMsg != nullptr;
        s.bRequestCopy = info->pRequestMsg != nullptr;
        if (h->u32MsgId == GMSG_ID_STATUS && info->pStructMsg)
            s.Status = *(const GMSG_STATUS*)info->pStructMsg;
        if (info->pRawMsg)
            s.Raw.assign((const U8*)info->pRawMsg, (const U8*)info->pRawMsg + h->u32MsgSize);
        s.At = std::chrono::steady_clock::now();
        Handler handler;
        {
            std::lock_guard<std::mutex> lock(m_);
            seen_.push_back(s);
            handler = handler_;
        }
        return handler ? handler(mailbox, info) : TRUE;
    }

    void post(std::function<void()> job)
    {
        {
            std::lock_guard<std::mutex> lock(m_);
            jobs_.push_back(std::move(job));
        }
        L_SEMA_Signal(ids_.jobSema);
    }

    void loop()
    {
        L_MBOX_DefineSema(ids_.mbox, ids_.mboxSema);
        const SEMA waitList[] = {ids_.mboxSema, ids_.jobSema, 0};
        while (!done_) {
            L_SEMA_WaitMultiple(waitList);
            for (;;) {
                std::function<void()> job;
                {
                    std::lock_guard<std::mutex> lock(m_);
                    if (jobs_.empty())
                        break;
                    job = std::move(jobs_.front());
                    jobs_.pop_front();
                }
                job();
            }
            drain();
        }
        drain();
    }

    void drain()
    {
        std::vector<MSGHEADER*> mails;
        while (MSGHEADER* mail = L_MBOX_Receive(ids_.mbox))
            mails.push_back(mail);
        int receives = 0;
        for (MSGHEADER* mail : mails)
            if (((GENERIC_MESSAGE*)mail)->Cmd == CMD_ID_GMSG_RECEIVE)
                ++receives;
        if (receives) {
            std::lock_guard<std::mutex> lock(m_);
            batches_.push_back(receives);
        }
        for (MSGHEADER* mail : mails) {
            GENERIC_MESSAGE* g = (GENERIC_MESSAGE*)mail;
            if (g->Cmd == CMD_ID_GMSG_RECEIVE) {
                U_GMSG_bHandleReceive((MSG_GMSG_RECEIVE*)mail);
            } else if (g->Cmd == CMD_ID_GMSG_DISCONNECT) {
                std::lock_guard<std::mutex> lock(m_);
                disconnects_.push_back(((MSG_GMSG_DISCONNECT*)mail)->Address);
            } else if (g->Cmd == CMD_ID_SERVER_MONITOR_TIMEOUT) {
                std::lock_guard<std::mutex> lock(m_);
                others_.push_back(*(MSG_GMSG_DISCONNECT*)mail);
            }
            H_MEMORY_vDumpMail(mail);
        }
    }

    Ids ids_;
    U16 port_ = 0;
    std::vector<GMSG_MAP_INFO> table_;
    std::unique_ptr<kt::TaskRun> run_;
    std::mutex m_;
    std::deque<std::function<void()>> jobs_;
    Handler handler_;
    std::vector<Seen> seen_;
    std::vector<GMSG_ADDRESS> disconnects_;
    std::vector<MSG_GMSG_DISCONNECT> others_;
    std::vector<int> batches_;
    std::shared_ptr<std::promise<void>> gate_;
    bool registered_ = false;
    bool done_ = false; // touched only by the endpoint's task
};

// Ids of two endpoints that do not collide with the GMSG task's objects.
constexpr Ids kNavIds = {16, 16, 43, 213, 250, 86};
constexpr Ids kPingIds = {12, 8, 47, 209, 251, 80};
constexpr Ids kTempIds = {24, 24, 53, 211, 252, 78};

} // namespace gte
