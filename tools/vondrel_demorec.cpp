// vondrel-demorec: writes a short demo recording for the sonar simulation,
// the record file KVREV2.SON and its index KVREV2.IDX, into a folder (the
// unit keeps them in /usr/vondrel/SONARSIM).
//
//   vondrel-demorec [--force] [--positions N] FOLDER
//
// The pings come from the unit's own scene synthesiser: for each of N scene
// positions (default 240, five apart from position 800, where the bottom
// deepens past weed, bait and fish) one ping of each beam, 0 to 3, at the
// beam's usual frequency. Existing files are left alone unless --force is
// given, so a recording put there by hand survives a "make run".
#include "kernel/lm_log.h"
#include "sonar/dsp/s_synthsim.h"
#include "store/h_database.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr U32 FIRST_POSITION = 800;
constexpr U32 POSITION_STEP = 5;

struct BEAM_SETUP {
    BEAM beam;
    U32 hertz;
    U8 cycles;
};

const BEAM_SETUP BEAMS[] = {{0, 83000, 20}, {1, 200000, 30}, {2, 455000, 10}, {3, 455000, 10}};

int usage(void)
{
    fprintf(stderr, "usage: vondrel-demorec [--force] [--positions N] FOLDER\n");
    return 2;
}

bool bExists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Makes the folder and its parents.
bool bMakeFolder(const std::string& path)
{
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/')
            continue;
        const std::string part = path.substr(0, at);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

bool bWriteFile(const std::string& path, const std::vector<U8>& bytes)
{
    const std::string tmp = path + ".tmp";
    FILE* f = fopen(tmp.c_str(), "wb");
    if (!f)
        return false;
    const bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (fclose(f) != 0 || !written || rename(tmp.c_str(), path.c_str()) != 0) {
        remove(tmp.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    bool force = false;
    U32 positions = 240;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--force")) {
            force = true;
        } else if (!strcmp(argv[i], "--positions") && i + 1 < argc) {
            char* end = nullptr;
            const unsigned long n = strtoul(argv[++i], &end, 10);
            if (!end || *end || n == 0 || n > 100000)
                return usage();
            positions = (U32)n;
        } else if (argv[i][0] == '-' || !folder.empty()) {
            return usage();
        } else {
            folder = argv[i];
        }
    }
    if (folder.empty())
        return usage();

    const std::string records = folder + "/KVREV2.SON";
    const std::string index = folder + "/KVREV2.IDX";
    if (!force && bExists(records) && bExists(index))
        return 0;
    if (!bMakeFolder(folder)) {
        fprintf(stderr, "vondrel-demorec: cannot make %s: %s\n", folder.c_str(), strerror(errno));
        return 1;
    }

    opt_nolog = TRUE;
    H_DATABASE_vInit();
    srand(1);
    std::vector<U8> son;
    std::vector<U8> idx;
    std::vector<U8> samples(PING_MAX_SAMPLES);
    for (U32 p = 0; p < positions; ++p) {
        const U32 position = (FIRST_POSITION + p * POSITION_STEP) % S_SYNTHSIM_SCENE_LENGTH;
        for (const BEAM_SETUP& b : BEAMS) {
            PING_DESCRIPTOR ping = {};
            ping.Beam = b.beam;
            ping.u32TransmitFrequencyHertz = b.hertz;
            ping.u32SamplePeriodMicroSeconds = PING_SAMPLE_PERIOD_US;
            ping.pu8RawSonarData = samples.data();
            S_SYNTHSIM_fSynthesizeAt(&ping, position);

            const SYNTHSIM_RECORD record = {b.beam, b.hertz, 0, 0, b.cycles, 1, ping.u32NumberOfSamples,
                                            ping.u32SamplePeriodMicroSeconds};
            U8 entry[S_SYNTHSIM_INDEX_ENTRY_BYTES];
            S_SYNTHSIM_vEncodeIndexEntry((U32)son.size(), entry);
            idx.insert(idx.end(), entry, entry + sizeof entry);
            U8 head[S_SYNTHSIM_RECORD_HEADER_BYTES];
            S_SYNTHSIM_vEncodeRecordHeader(&record, head);
            son.insert(son.end(), head, head + sizeof head);
            son.insert(son.end(), samples.begin(), samples.begin() + ping.u32NumberOfSamples);
        }
    }
    // The index last: a reader that finds it finds the records it names.
    if (!bWriteFile(records, son) || !bWriteFile(index, idx)) {
        fprintf(stderr, "vondrel-demorec: cannot write the recording into %s: %s\n", folder.c_str(),
                strerror(errno));
        return 1;
    }
    printf("vondrel-demorec: %u pings in %s\n", (unsigned)(positions * 4), folder.c_str());
    return 0;
}
