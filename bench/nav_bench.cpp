// Writing 3000 waypoint files, as a delete-all, an import or a PC upload
// does: with the sync of every file, and inside one bulk scope that syncs
// once at its end; beside the same whole-file replaces (temporary file,
// rename) with no sync at all. Time is wall-clock: the cost is waiting for
// the medium, not the processor.
#include "kernel/linux_fs.h"
#include "nav/data/t_nav_nvram.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr U16 FILES = 3000;

std::string s_wpts; // the wpts folder under the benchmark's unit root

WAYPOINT waypoint(U16 i)
{
    WAYPOINT w{};
    w.u8Status = 1;
    w.u32DateTime = i;
    w.pt = {i * 100, -i * 100};
    snprintf(w.sName, sizeof w.sName, "WPT %u", i);
    return w;
}

// The reference: the same bytes through a temporary file and a rename,
// never synced.
void vReplaceUnsynced(const std::string& path, const std::vector<U8>& bytes)
{
    std::string tmp = path + ".tmp";
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != (ssize_t)bytes.size())
        abort();
    close(fd);
    if (rename(tmp.c_str(), path.c_str()) != 0)
        abort();
}

void BM_WaypointFilesUnsynced(benchmark::State& state)
{
    for (auto _ : state) {
        for (U16 i = 0; i < FILES; ++i) {
            WAYPOINT w = waypoint(i);
            std::vector<U8> bytes(NAV_FILE_HEADER_BYTES + WAYPOINT_BYTES);
            FILE_HEADER h = {NAV_FS_VERSION, NAV_FILE_WAYPOINT, 3, i};
            T_NAV_NVRAM_vEncodeFileHeader(&h, bytes.data());
            T_NAV_RECORD_vEncodeWaypoint(&w, bytes.data() + NAV_FILE_HEADER_BYTES);
            vReplaceUnsynced(s_wpts + "/" + std::to_string(i), bytes);
        }
    }
    state.SetItemsProcessed(state.iterations() * FILES);
}

void BM_WaypointFilesInOneBulkScope(benchmark::State& state)
{
    for (auto _ : state) {
        FS_vBeginBulk();
        for (U16 i = 0; i < FILES; ++i) {
            WAYPOINT w = waypoint(i);
            T_NAV_NVRAM_vSaveWaypoint(&w, i, TRUE);
        }
        FS_vEndBulk();
    }
    state.SetItemsProcessed(state.iterations() * FILES);
}

void BM_WaypointFilesEachSynced(benchmark::State& state)
{
    for (auto _ : state) {
        for (U16 i = 0; i < FILES; ++i) {
            WAYPOINT w = waypoint(i);
            T_NAV_NVRAM_vSaveWaypoint(&w, i, TRUE);
        }
    }
    state.SetItemsProcessed(state.iterations() * FILES);
}

BENCHMARK(BM_WaypointFilesUnsynced)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WaypointFilesInOneBulkScope)->Unit(benchmark::kMillisecond)->UseRealTime();
// Seconds per run on a real disk: one run is enough.
BENCHMARK(BM_WaypointFilesEachSynced)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    char tmpl[] = "/tmp/vondrel-nav-bench-XXXXXX";
    const char* root = mkdtemp(tmpl);
    if (!root)
        return 1;
    setenv("VONDREL_ROOT", root, 1);
    T_NAV_NVRAM_vInit();
    s_wpts = std::string(root) + "/usr/vondrel/wpts";
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return 0;
}
