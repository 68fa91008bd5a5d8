// Fuzz target of the start-up scan: the input is one item file. Its type
// byte picks the folder it lies in (the top bit of its version byte the
// folder after that, so files of another folder's type come too; bit 6
// pads the file with zeros to a whole saved track, so short inputs reach
// the track loader). After
// the scan every count in the tables is within its record, and a saved
// track that made it in loads and scans to its end inside the ring.
#include "kernel/lm_log.h"
#include "nav/core/u_nav.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const char* const kFolders[] = {"tracks", "wpts", "routes", "rumbrels"};

WAYPOINT s_slots[NAV_WAYPOINT_SLOTS];
ROUTE s_routes[NAV_ROUTE_SLOTS];
TRACK_HEADER s_headers[NAV_TRACK_SLOTS];
RUMBREL s_rumbrels[NAV_RUMBREL_SLOTS];
std::string s_cwd;

void check(bool ok)
{
    if (!ok)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    opt_nolog = TRUE;
    char tmpl[] = "/tmp/vondrel-nav-scan-fuzz-XXXXXX";
    const char* root = mkdtemp(tmpl);
    check(root != nullptr);
    setenv("VONDREL_ROOT", root, 1);
    s_cwd = std::string(root) + "/usr/vondrel";
    T_NAV_NVRAM_vInit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 2 * NAV_FILE_HEADER_BYTES + TRACK_BYTES)
        return 0;
    unsigned folder = 0;
    if (size > 5)
        folder = ((unsigned)data[4] - 1 + (data[5] >> 7)) & 3;
    const std::string path = s_cwd + "/" + kFolders[folder] + "/5";
    FILE* f = fopen(path.c_str(), "wb");
    check(f != nullptr);
    check(fwrite(data, 1, size, f) == size);
    const size_t whole = NAV_FILE_HEADER_BYTES + TRACK_BYTES;
    if (size > 5 && (data[5] & 0x40) && size < whole) {
        static const U8 zeros[NAV_FILE_HEADER_BYTES + TRACK_BYTES] = {};
        check(fwrite(zeros, 1, whole - size, f) == whole - size);
    }
    fclose(f);

    S32 maxUsed = 0, maxRumbrel = 0;
    T_NAV_NVRAM_vScan(s_headers, s_slots, &maxUsed, s_routes);
    T_NAV_NVRAM_vScanRumbrel(s_rumbrels, &maxRumbrel);
    check(maxUsed >= 0 && maxUsed <= (S32)NAV_WAYPOINT_SLOTS);
    check(maxRumbrel >= 0 && maxRumbrel <= (S32)NAV_RUMBREL_SLOTS);
    for (const ROUTE& r : s_routes)
        check(r.nCount <= ROUTE_MAX_POINTS);
    for (const RUMBREL& r : s_rumbrels)
        check(r.nCount <= RUMBREL_MAX_POINTS);
    for (U32 i = 0; i < NAV_TRACK_SLOTS; ++i) {
        check(s_headers[i].u16Count <= TRACK_MAX_POINTS && s_headers[i].u16FirstDelta < TRACK_DELTA_COUNT);
        if (s_headers[i].u16Count == 0)
            continue;
        TRACK* t = T_NAV_NVRAM_pLoadTrack((S32)i);
        U16 it = 0, depth = 0;
        POINT p{};
        U32 n = 0;
        while (U_NAV_eScanTrack(t, &it, &p, &depth) != TRACKPOINT_INVALID)
            check(++n <= TRACK_MAX_POINTS);
        T_NAV_NVRAM_vReleaseTrack();
        s_headers[i].u16Count = 0;
    }
    unlink(path.c_str());
    return 0;
}
