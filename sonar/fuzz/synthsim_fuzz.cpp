// Fuzz target of the demo recording replay: whatever the index and record
// files hold, a few pings replayed from them stay inside the descriptor's
// 55,000-sample buffer, carry a beam of 0-3 and at most 55,000 samples, and
// every call returns. The input is the index length (two bytes,
// little-endian), the index, then the record file.
#include "kernel/lm_log.h"
#include "sonar/dsp/s_synthsim.h"
#include "store/h_database.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string s_root;
std::string s_recordPath;
std::string s_indexPath;

// The run's unit root goes when the fuzzer ends.
void vRemoveRoot(void)
{
    remove(s_recordPath.c_str());
    remove(s_indexPath.c_str());
    for (const char* dir : {"/usr/vondrel/SONARSIM", "/usr/vondrel", "/usr", ""})
        rmdir((s_root + dir).c_str());
}

bool bWrite(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && ok;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    opt_nolog = TRUE;
    char tmpl[] = "/tmp/vondrel-fuzz-synthsim-XXXXXX";
    const char* root = mkdtemp(tmpl);
    if (!root)
        abort();
    setenv("VONDREL_ROOT", root, 1);
    s_root = root;
    const std::string base = std::string(root) + "/usr/vondrel/SONARSIM";
    for (const std::string& dir : {std::string(root) + "/usr", std::string(root) + "/usr/vondrel", base})
        mkdir(dir.c_str(), 0755);
    s_recordPath = std::string(root) + S_SYNTHSIM_RECORD_FILE;
    s_indexPath = std::string(root) + S_SYNTHSIM_INDEX_FILE;
    H_DATABASE_vInit();
    atexit(vRemoveRoot);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    size_t indexBytes = (size_t)data[0] | (size_t)data[1] << 8;
    if (indexBytes > size - 2)
        indexBytes = size - 2;
    if (!bWrite(s_indexPath, data + 2, indexBytes) ||
        !bWrite(s_recordPath, data + 2 + indexBytes, size - 2 - indexBytes))
        abort();
    S_SYNTHSIM_vResetForTests();

    U8* samples = (U8*)malloc(PING_MAX_SAMPLES);
    for (int call = 0; call < 4; ++call) {
        PING_DESCRIPTOR ping = {};
        ping.Beam = 200;
        ping.pu8RawSonarData = samples;
        S_SYNTHSIM_fSynthesizeReturn(&ping);
        if (ping.Beam != 200 && (ping.Beam > 3 || ping.u32NumberOfSamples > PING_MAX_SAMPLES || ping.bSimulated))
            abort();
    }
    free(samples);
    S_SYNTHSIM_vResetForTests();
    return 0;
}
