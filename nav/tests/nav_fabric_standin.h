// Stands in for the message fabric's task in the navigation tests: takes
// its mailbox, grants every registration and keeps a copy of each.
#pragma once

#include "gmsg/u_gmsg.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_sema.h"
#include "store/h_database.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace navt {

class FabricStandIn {
public:
    FabricStandIn()
    {
        H_DATABASE_bUpdateEverythingU32(FCID("TMSG"), GMSG_MBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
        thread_ = std::thread([this] { run(); });
    }
    ~FabricStandIn()
    {
        stop_ = true;
        thread_.join();
    }
    std::vector<MSG_GMSG_REGISTER> registrations()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return seen_;
    }

private:
    void run()
    {
        while (!stop_) {
            MSGHEADER* p = L_MBOX_ReceiveWaitTicks(GMSG_MBOX, 20);
            if (p == nullptr)
                continue;
            if (reinterpret_cast<GENERIC_MESSAGE*>(p)->Cmd != CMD_ID_GMSG_REGISTER) {
                H_MEMORY_vDumpMail(p);
                continue;
            }
            // The sender frees its request once it is signalled.
            auto* m = reinterpret_cast<MSG_GMSG_REGISTER*>(p);
            {
                std::lock_guard<std::mutex> guard(lock_);
                seen_.push_back(*m);
            }
            m->bSuccess = TRUE;
            L_SEMA_Signal(m->Sema);
        }
    }
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<MSG_GMSG_REGISTER> seen_;
};

} // namespace navt
