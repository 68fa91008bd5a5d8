// One unit root for the whole test process (the working directory is read
// once per process), emptied before each test, with a fresh data store and
// empty mailboxes.
#pragma once

#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_utils.h"
#include "store/h_database.h"
#include "store/h_nvram.h"
#include "store/tests/nvr_format.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace nvt {

// Removed at exit by the process that made it, not by a forked child that
// exits (a death test).
inline const vt::TempRoot& unitRoot()
{
    struct Holder {
        vt::TempRoot* root = new vt::TempRoot;
        pid_t owner = getpid();
        Holder() { root->exportEnv(); }
        ~Holder()
        {
            if (getpid() == owner)
                delete root;
        }
    };
    static Holder holder;
    return *holder.root;
}

inline void drainAll()
{
    for (MBOX m = 1; m <= nmboxes; ++m) {
        while (MSGHEADER* h = L_MBOX_Receive(m))
            H_MEMORY_vFree(h);
    }
}

class NvramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        cwd = unitRoot().cwd();
        // Never let a test write to a real working directory.
        ASSERT_EQ(std::string(L_UTILS_cpGetPathnamePtr()), cwd);
        H_NVRAM_bScratchNVR(NVR_SCRATCH_CODE1, NVR_SCRATCH_CODE2);
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(cwd, ec))
            std::filesystem::remove_all(e.path(), ec);
        H_DATABASE_vInit();
        drainAll();
    }
    void TearDown() override
    {
        H_NVRAM_bScratchNVR(NVR_SCRATCH_CODE1, NVR_SCRATCH_CODE2);
        drainAll();
    }

    std::map<std::string, U32> files() const { return readValues(cwd); }
    std::string path(const char* name) const { return cwd + "/" + name; }

    std::string cwd;
};

inline DB_DATA_TYPE db(U32 v)
{
    DB_DATA_TYPE d;
    d.RawSlot = 0;
    d.RawData = v;
    return d;
}

} // namespace nvt
