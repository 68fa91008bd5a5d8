// Fuzz target of the card stand-in's readers: whatever a recording file
// holds, its index keeps to records that pass their checks and every
// played ping stays inside the descriptor's buffer with a beam of 0-3; the
// recording header and a ping record's head decode from any bytes.
#include "media/t_mmc_record.h"
#include "media/t_mmc_standin.h"
#include "store/h_database.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string s_root;

void vSetUp(void)
{
    char acTemplate[] = "/tmp/vondrel-media-fuzz-XXXXXX";
    s_root = mkdtemp(acTemplate);
    setenv("VONDREL_ROOT", s_root.c_str(), 1);
    H_DATABASE_vInit();
    mkdir((s_root + "/mnt").c_str(), 0755);
    mkdir((s_root + "/mnt/mmc0").c_str(), 0755);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = [] {
        vSetUp();
        return true;
    }();
    (void)ready;
    if (size >= SONAR_RECORD_HEADER_BYTES) {
        SONAR_RECORD_THUMB_HEADER h{};
        T_MMC_vDecodeRecordHeader(data, &h);
        if (strnlen(h.RecordingStartWaypoint.sName, THUMBNAIL_WAYPOINT_NAME_BYTES) >= THUMBNAIL_WAYPOINT_NAME_BYTES)
            abort();
    }
    PING_RECORD_HEAD head{};
    if (T_MMC_eDecodePingRecordHead(data, size, &head) == PING_RECORD_OK &&
        (head.Beam > 3 || head.u32NumberOfSamples > PING_MAX_SAMPLES ||
         PING_RECORD_HEAD_BYTES + head.u32NumberOfSamples > size))
        abort();

    const std::string path = s_root + "/mnt/mmc0/F.SON";
    FILE* f = fopen(path.c_str(), "wb");
    if (f == nullptr)
        return 0;
    fwrite(data, 1, size, f);
    fclose(f);
    char name[] = "mmc0/F.SON";
    if (!T_MMC_STANDIN_bOpenPlaybackFile(TRUE, name))
        return 0;
    static std::vector<U8> samples(PING_MAX_SAMPLES);
    for (int i = 0; i < 64; ++i) {
        PING_DESCRIPTOR p{};
        p.pu8RawSonarData = samples.data();
        S32 delay = 0;
        BOOLEAN seek = FALSE;
        const U32 r = T_MMC_STANDIN_psSonarCalls()->u32ReadPingFromMMC(&p, &delay, PLAYBACK_MODE_FORWARD, &seek);
        if (r == 1 && (p.Beam > 3 || p.u32NumberOfSamples > PING_MAX_SAMPLES))
            abort();
        if (r == 0)
            break;
    }
    T_MMC_STANDIN_bOpenPlaybackFile(FALSE, nullptr);
    return 0;
}
