// Fuzz target of the current-track log restore: the input is a log file.
// Restoring it onto an empty track never reads outside a record or the
// ring, keeps the count within the ring, and leaves a track whose scan
// from its first point ends exactly at its last.
#include "kernel/lm_log.h"
#include "nav/core/u_nav.h"
#include "nav/data/t_nav_nvram.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

TRACK s_track;
std::string s_path;

void check(bool ok)
{
    if (!ok)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    opt_nolog = TRUE;
    char tmpl[] = "/tmp/vondrel-nav-log-fuzz-XXXXXX";
    const char* root = mkdtemp(tmpl);
    check(root != nullptr);
    setenv("VONDREL_ROOT", root, 1);
    T_NAV_NVRAM_vInit();
    s_path = std::string(root) + "/usr/vondrel/cr_track/track.2";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 262144)
        return 0;
    FILE* f = fopen(s_path.c_str(), "wb");
    check(f != nullptr);
    check(fwrite(data, 1, size, f) == size);
    fclose(f);

    U_NAV_vClearTrack(&s_track);
    S32 consumed = T_NAV_NVRAM_vScanCurrentTrackFile(&s_track, s_path.c_str());
    check(consumed >= 0 && (size_t)consumed <= size);
    check(s_track.u16Count <= TRACK_MAX_POINTS && s_track.u16FirstDelta < TRACK_DELTA_COUNT);
    U16 it = 0, depth = 0;
    POINT p{};
    U32 n = 0;
    while (U_NAV_eScanTrack(&s_track, &it, &p, &depth) != TRACKPOINT_INVALID)
        check(++n <= TRACK_MAX_POINTS);
    if (s_track.u16Count > 0)
        check(p.x == s_track.ptLast.x && p.y == s_track.ptLast.y);
    return 0;
}
