// Test frame for the PC-connect task: a data store under a temporary unit
// root, the port's two queues (the transmit queue laid over a large buffer
// so that no reply blocks the test), and the neighbour tasks played by
// threads of the test that record each mail and acknowledge it: the
// serial-port task ("TURT"), the view task ("TVUE"), the keyboard task
// ("TKBD") and the NVRAM task ("TNVR", which keeps the owner text).
#pragma once

#include "system/t_pcc.h"

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_queue.h"
#include "kernel/l_sema.h"
#include "platform/t_uart.h"
#include "store/h_database.h"
#include "store/t_nvram.h"
#include "testing/t_root.h"
#include "ui/u_keyboard.h"
#include "ui/u_view.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pcct {

constexpr QUEUE TXQ = 7;
constexpr QUEUE RXQ = 8;

inline vt::TempRoot& root()
{
    static vt::TempRoot* r = [] {
        auto* t = new vt::TempRoot();
        t->exportEnv();
        return t;
    }();
    return *r;
}

// One mail as a neighbour saw it.
struct Seen {
    CMD_ID cmd;
    U32 a = 0; // layer, keys, baud rate or port, by command
    U32 b = 0; // where used, usage, or what the transmit queue held
    U32 c = 0;
    FOURCHARID fcid = 0;
};

class FakeTask {
public:
    using Handler = std::function<void(GENERIC_MESSAGE*, Seen&)>;
    FakeTask(const char* key, MBOX mbox, Handler h) : mbox_(mbox), handler_(std::move(h))
    {
        key_ = (U32)(U8)key[0] | (U32)(U8)key[1] << 8 | (U32)(U8)key[2] << 16 | (U32)(U8)key[3] << 24;
        H_DATABASE_bUpdateEverythingU32(key_, (U32)mbox, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
        thread_ = std::thread([this] { run(); });
    }
    ~FakeTask()
    {
        stop_ = true;
        thread_.join();
        while (MSGHEADER* h = L_MBOX_Receive(mbox_))
            H_MEMORY_vDumpMail(h);
    }
    std::vector<Seen> seen()
    {
        std::lock_guard<std::mutex> lock(m_);
        return seen_;
    }
    bool saw(CMD_ID cmd, Seen* out = nullptr, int ms = 3000)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(m_);
                for (const Seen& s : seen_) {
                    if (s.cmd == cmd) {
                        if (out)
                            *out = s;
                        return true;
                    }
                }
            }
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

private:
    void run()
    {
        while (!stop_) {
            MSGHEADER* h = L_MBOX_ReceiveWaitTicks(mbox_, 20);
            if (!h)
                continue;
            auto* g = reinterpret_cast<GENERIC_MESSAGE*>(h);
            Seen s{g->Cmd};
            if (handler_)
                handler_(g, s);
            {
                std::lock_guard<std::mutex> lock(m_);
                seen_.push_back(s);
            }
            H_MEMORY_vDumpMail(h);
        }
    }
    FOURCHARID key_;
    MBOX mbox_;
    Handler handler_;
    std::atomic<bool> stop_{false};
    std::mutex m_;
    std::vector<Seen> seen_;
    std::thread thread_;
};

inline U8 s_txRing[1 << 20];
inline U16 s_rxRing[1 << 14];

// The owner text kept by the fake NVRAM task.
inline PERSONALIZATION_DATA_BLOCK s_owner;
inline std::atomic<bool> s_ownerRefuses{false};

class PccFrame : public ::testing::Test {
public:
    void SetUp() override
    {
        root();
        H_DATABASE_vInit();
        static const bool s_defined = L_QUEUE_Define(TXQ, 1, sizeof s_txRing, s_txRing, 0) == 0;
        ASSERT_TRUE(s_defined);
        static const bool s_rxDefined = L_QUEUE_Define(RXQ, 2, sizeof s_rxRing / 2, (U8*)s_rxRing, 0) == 0;
        ASSERT_TRUE(s_rxDefined);
        T_PCC_vResetReceiver();
        L_QUEUE_Purge(TXQ);
        L_QUEUE_Purge(RXQ);
        uart = std::make_unique<FakeTask>("TURT", 2, [](GENERIC_MESSAGE* g, Seen& s) {
            if (g->Cmd == CMD_ID_CHANGE_BAUD_RATE) {
                auto* m = reinterpret_cast<MSG_CHANGE_BAUD_RATE*>(g);
                s.a = m->baud_rate;
                s.b = (U32)L_QUEUE_Inquire(TXQ); // what was queued for sending when the rate changed
                s.c = m->uart;
                m->flag = TRUE;
            } else if (g->Cmd == CMD_ID_DISCONNECT) {
                s.a = reinterpret_cast<MSG_DISCONNECT*>(g)->channel;
            } else if (g->Cmd == CMD_ID_CAPTURE_CHANNEL) {
                auto* m = reinterpret_cast<MSG_CAPTURE_CHANNEL*>(g);
                s.a = m->uart;
                s.b = m->byteMatchCharacter;
                s.c = (U32)m->semaphore;
            }
        });
        view = std::make_unique<FakeTask>("TVUE", 5, [](GENERIC_MESSAGE* g, Seen& s) {
            if (g->Cmd == CMD_ID_REGISTER_LAYER) {
                auto* m = reinterpret_cast<MSG_REGISTER_LAYER*>(g);
                s.a = (U32)m->layer;
                s.b = (U32)m->where_used;
                s.fcid = m->fcidDisplayFlag;
                s.c = m->pDrawFunction == T_PCC_vDrawScreen;
            } else if (g->Cmd == CMD_ID_UNREGISTER_LAYER) {
                s.a = (U32)reinterpret_cast<MSG_UNREGISTER_LAYER*>(g)->layer;
            }
        });
        keyboard = std::make_unique<FakeTask>("TKBD", 10, [](GENERIC_MESSAGE* g, Seen& s) {
            if (g->Cmd == CMD_ID_REGISTER_FOR_KEYS) {
                auto* m = reinterpret_cast<MSG_REGISTER_FOR_KEYS*>(g);
                s.a = m->keys;
                s.b = (U32)m->usage;
                s.c = (U32)m->mailbox | (U32)m->state << 8 | (U32)m->repeat << 16 | (U32)m->cursor_mode << 24;
            } else if (g->Cmd == CMD_ID_UNREGISTER_FOR_KEYS) {
                auto* m = reinterpret_cast<MSG_UNREGISTER_FOR_KEYS*>(g);
                s.a = m->keys;
                s.c = (U32)m->mailbox;
            } else if (g->Cmd == CMD_ID_INITIATE_SHUTDOWN) {
                auto* m = reinterpret_cast<MSG_INITIATE_SHUTDOWN*>(g);
                s.a = m->bReset;
                s.b = m->bPowerOff;
            }
        });
    }

    void TearDown() override { T_PCC_vInstallNeighbours(nullptr); }

    void withNvram()
    {
        nvram = std::make_unique<FakeTask>("TNVR", 14, [](GENERIC_MESSAGE* g, Seen&) {
            auto* m = reinterpret_cast<MSG_PERSONALIZED*>(g);
            if (g->Cmd == CMD_ID_WRITE_PERSONALIZED) {
                m->bSuccess = !s_ownerRefuses;
                if (m->bSuccess)
                    s_owner = *m->pPersonData;
            } else if (g->Cmd == CMD_ID_READ_PERSONALIZED) {
                *m->pPersonData = s_owner;
                m->bSuccess = TRUE;
            }
        });
    }

    // Puts the bytes into the port's receive queue.
    static void put(const std::string& bytes)
    {
        for (char c : bytes) {
            U16 e = (U8)c;
            ASSERT_EQ(L_QUEUE_PutWaitTicks(RXQ, &e, 1000), 0);
        }
    }
    // One batch: the bytes, then the receive step, in the test's thread.
    static std::string batch(const std::string& bytes)
    {
        put(bytes);
        T_PCC_vHandleReceive();
        return sent();
    }
    // Everything queued for sending so far.
    static std::string sent()
    {
        std::string out;
        U8 b;
        while (L_QUEUE_Get(TXQ, &b) == 0)
            out += (char)b;
        return out;
    }
    // A connection begun as the serial-port task begins it: "#" delivered,
    // then the port handed over.
    static void connect()
    {
        put("#");
        T_PCC_vSetPCConnectMode();
    }

    static void setU32(const char* key, U32 v)
    {
        H_DATABASE_bUpdateValueU32(fcid(key), v, P_NORMAL);
    }
    static bool getU32(const char* key, U32* v)
    {
        return H_DATABASE_bFetchU32(fcid(key), v, nullptr, nullptr) != FALSE;
    }
    static FOURCHARID fcid(const char* key)
    {
        return (U32)(U8)key[0] | (U32)(U8)key[1] << 8 | (U32)(U8)key[2] << 16 | (U32)(U8)key[3] << 24;
    }

    std::unique_ptr<FakeTask> uart, view, keyboard, nvram;
};

} // namespace pcct
