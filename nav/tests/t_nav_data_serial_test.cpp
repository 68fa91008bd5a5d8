// The record stream over a real transfer: the serial-port task on a
// pseudo-terminal, lrzsz's rx and sx on the other end. The producer as
// the block source reaches rx byte-equal to the fixture writer's stream;
// sx's blocks through the consumer replace the store; a transfer that
// sx cancels after some blocks leaves tables and files as they were.
//
// Each test starts the serial-port task, so each needs a process of its
// own (ctest gives it one).
#include "nav/data/t_nav_data.h"

#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_bulk.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_track.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "platform/tests/uart_task.h"
#include "platform/tests/xmodem_peer.h"
#include "testing/t_proc.h"
#include "util/u_xmodem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>

namespace {

using namespace uartt;
using Bytes = std::vector<U8>;

constexpr U8 PORT = 3;

Bytes readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class NavSerial : public UartTask {
protected:
    void SetUp() override
    {
        UartTask::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(access("/usr/bin/sx", X_OK) == 0 && access("/usr/bin/rx", X_OK) == 0) << "lrzsz missing";
        // A cancelled peer is gone while the pump may still write to it.
        signal(SIGPIPE, SIG_IGN);
        cwd = root().at("/usr/vondrel");
        H_DATABASE_bUpdateValueU32(FCID("CCST"), 3, P_NORMAL);
        T_NAV_NVRAM_vInit();
        T_NAV_TWR_vClearTables();
        vt::ProcResult r = vt::runProcess(
            {"/usr/bin/python3", vt::sourcePath("nav/tests/nav_exchange_fixture.py"), "stream", cwd});
        ASSERT_EQ(r.status, 0) << r.out << r.err;
        S32 maxUsed = 0;
        T_NAV_NVRAM_vScan(T_NAV_pGetTrackHeader(0), T_NAV_pGetWaypoint(0), &maxUsed, T_NAV_pGetRoute(0));
        T_NAV_TWR_vHashWaypoints();
        T_NAV_TWR_vStatisticWaypointStore(TRUE);
        T_NAV_TWR_vStatisticRouteStore(TRUE);

        afterBlanking();
        ASSERT_TRUE(U_UART_bAllocateChannel(PORT));
        ASSERT_TRUE(U_UART_bChangeBaudRate(PORT, 115200));
        sync();
    }

    // The stream of the store as it is now.
    static Bytes stream()
    {
        T_NAV_DATA_vFillBufferInit();
        Bytes out;
        U8 block[NAV_DATA_BLOCK_BYTES];
        while (U32 n = T_NAV_DATA_u32FillBufferSegment(block, nullptr))
            out.insert(out.end(), block, block + n);
        return out;
    }

    // Every item file, by folder and name.
    std::map<std::string, Bytes> files()
    {
        std::map<std::string, Bytes> all;
        for (const char* folder : {"wpts", "routes", "tracks"}) {
            std::error_code ec;
            for (const auto& e : std::filesystem::directory_iterator(cwd + "/" + folder, ec))
                all[std::string(folder) + "/" + e.path().filename().string()] = readBytes(e.path().string());
        }
        return all;
    }

    // sx sends the file; the unit receives through the consumer. With
    // cancelAfter, sx is interrupted (it then cancels the transfer) once
    // that many bytes have reached the unit. The transfer's result.
    bool upload(const Bytes& data, size_t cancelAfter = 0)
    {
        std::ofstream(root().at("/tmp/send.bin"), std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), (std::streamsize)data.size());
        Peer sx({"/usr/bin/sx", "-k", "-t", "10", "send.bin"});
        Pump pump(ptys[PORT]->master(), sx.fd());
        std::thread canceller;
        std::atomic<bool> done{false};
        if (cancelAfter) {
            // Only once sx is sending: before its exec the child would take
            // the signal with this process's handler.
            canceller = std::thread([&] {
                while (!done && pump.fromPeer() < cancelAfter)
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                if (!done)
                    sx.interrupt();
            });
        }
        T_NAV_DATA_vSaveBufferInit();
        U8 block[NAV_DATA_BLOCK_BYTES];
        S32 size = sizeof block;
        const BOOLEAN ok = U_XMODEM_bReceive(PORT, block, &size, T_NAV_DATA_vSaveBufferSegment, nullptr);
        T_NAV_DATA_vSaveBufferFree(ok);
        done = true;
        if (canceller.joinable())
            canceller.join();
        EXPECT_GE(sx.wait(15000), 0);
        lastFromPeer = pump.fromPeer();
        // What a cancelling sx sent after the unit gave up must not reach
        // the next transfer.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        queued(PORT, SIZE_MAX, 100);
        return ok != FALSE;
    }

    std::string cwd;
    size_t lastFromPeer = 0; // bytes sx got to the unit in the last upload
};

TEST_F(NavSerial, TheProducerReachesRxByteEqualToTheFixtureStream)
{
    const std::string file = root().at("/tmp/recv.bin");
    Peer rx({"/usr/bin/rx", "-c", "-t", "10", "recv.bin"});
    Pump pump(ptys[PORT]->master(), rx.fd());
    T_NAV_DATA_vFillBufferInit();
    U8 block[NAV_DATA_BLOCK_BYTES];
    EXPECT_TRUE(U_XMODEM_bTransmit(PORT, block, 0, T_NAV_DATA_u32FillBufferSegment, nullptr));
    EXPECT_EQ(rx.wait(15000), 0) << vt::readFile(root().at("/tmp/peer.err"));
    Bytes expected = readBytes(cwd + "/stream.ext");
    ASSERT_FALSE(expected.empty());
    // The transfer fills the last block with 0x1A.
    expected.resize((expected.size() + NAV_DATA_BLOCK_BYTES - 1) / NAV_DATA_BLOCK_BYTES * NAV_DATA_BLOCK_BYTES, 0x1A);
    const Bytes got = readBytes(file);
    EXPECT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected);
}

TEST_F(NavSerial, SxIntoTheConsumerReplacesTheStore)
{
    const Bytes before = stream();
    std::map<std::string, Bytes> filesBefore = files();
    ASSERT_EQ(filesBefore.erase("wpts/100"), 1u); // the temporary slot is not sent
    // Something else in the store: the upload replaces it.
    T_NAV_vDeleteAllTracksWaypointsRoutes(TRUE);
    WAYPOINT w{};
    w.u8Status = WP_STATUS_PERMANENT;
    memcpy(w.sName, "OTHER", 5);
    ASSERT_NE(T_NAV_u16WaypointAdd(&w, TRUE, FALSE), NAV_ID_NONE);

    ASSERT_TRUE(upload(before));
    EXPECT_EQ(T_NAV_DATA_u32GetSavedRecordCount(), 8u);
    EXPECT_TRUE(stream() == before);
    EXPECT_TRUE(files() == filesBefore);
}

TEST_F(NavSerial, ACancelledUploadLeavesTablesAndFilesUnchanged)
{
    const Bytes before = stream();
    const std::map<std::string, Bytes> filesBefore = files();
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    for (int round = 0; round < 2; ++round) {
        // Somewhere in the track, at least one block in.
        const size_t blocks = 1 + rng() % 64;
        SCOPED_TRACE(blocks);
        EXPECT_FALSE(upload(before, blocks * NAV_DATA_BLOCK_BYTES));
        EXPECT_GE(lastFromPeer, blocks * NAV_DATA_BLOCK_BYTES);
        EXPECT_TRUE(stream() == before);
        EXPECT_TRUE(files() == filesBefore);
    }
}

} // namespace
