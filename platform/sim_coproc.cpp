// The simulated sonar coprocessor (see the header). It reads the transmit
// block as the coprocessor does, from its own offsets: it is the device,
// not a client of the unit's codecs.
#include "platform/sim_coproc.h"

#include "kernel/lm_log.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// The transmit block as the device reads it.
constexpr U32 MULTI_TX_BYTES = 247;
constexpr U32 SEQUENCE_BYTES = 41;
constexpr U32 MAX_SEQUENCES = 6;
constexpr U32 COUNT_OFFSET = 246;
constexpr U32 PULSE_BYTES = 7;
constexpr U32 PULSES = 3;
constexpr U32 PULSE_FREQ = 0;
constexpr U32 PULSE_CYCLES = 2;
constexpr U32 PULSE_MODE = 3;
constexpr U32 SAMPLES_OFFSET = 33;
constexpr U32 NOISE_OFFSET = 35;
constexpr U32 RX_ENABLE_OFFSET = 39;
constexpr U8 MODE_TIMER = 1;
constexpr U8 MODE_DMA = 2;

// The received block.
constexpr U32 PREFIX_BYTES = 4;
constexpr U32 HEAD_BYTES = PREFIX_BYTES + SEQUENCE_BYTES;
constexpr U32 CHANNELS = 3;
constexpr U32 SAMPLE_PERIOD_US = 26;

// Echo shapes, in sample levels.
constexpr float RING_DOWN_LEVEL = 250.0f;
constexpr U32 RING_DOWN_EXTRA_SAMPLES = 10; // after the pulse itself
constexpr float RING_DOWN_DECAY = 0.7f;
constexpr float BOTTOM_LEVEL[3] = {220.0f, 90.0f, 40.0f}; // the bottom and two multiples
constexpr float BOTTOM_TAIL_DECAY = 0.85f;
constexpr U32 ECHO_EXTRA_SAMPLES = 2; // an echo lasts the pulse and this
constexpr float FAINTEST = 1.0f;

constexpr size_t SCENE_MAX_BYTES = 4096;
constexpr U32 MAX_NOISE = 100;
constexpr float MAX_DEPTH_METRES = 10000.0f;

struct Sequence {
    U8 raw[SEQUENCE_BYTES];
    U16 u16Noise;
    U16 u16Samples;
    bool abReceives[CHANNELS];
    bool bTransmits;
    U32 u32PulseSamples; // the longest transmitting pulse, in samples
};

// The ping task may still be reading while the process exits, so the
// objects with destructors are made once and never destroyed.
std::mutex& s_lock = *new std::mutex;
Sequence s_aSeq[MAX_SEQUENCES];
U32 s_u32Count = 0;
U32 s_u32Next = 0;
U32 s_u32Pings = 0;
U32 s_u32Writes = 0;
U8 s_au8LastWrite[MULTI_TX_BYTES] = {};
constexpr U32 RANDOM_SEED = 0x2545F491u;
U32 s_u32Random = RANDOM_SEED;
SIM_COPROC_SCENE s_scene;
// Never destroyed: a task may still open or ping the device while the
// process runs its exit handlers.
std::string& s_scenePath = *new std::string;
struct timespec s_sceneTime = {};
off_t s_sceneSize = -1;
ino_t s_sceneInode = 0;
std::vector<float>& s_profile = *new std::vector<float>; // echo level by return sample
std::vector<U8>& s_block = *new std::vector<U8>;

U16 u16Le(const U8* p)
{
    return (U16)(p[0] | p[1] << 8);
}

U32 u32Random(void)
{
    U32 x = s_u32Random;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    s_u32Random = x;
    return x;
}

void vDecodeSequence(const U8* p, Sequence* pSeq)
{
    memcpy(pSeq->raw, p, SEQUENCE_BYTES);
    pSeq->u16Samples = u16Le(p + SAMPLES_OFFSET);
    pSeq->u16Noise = u16Le(p + NOISE_OFFSET);
    // The receiver enables are active low: receiver 1 on bit 1, receiver 2
    // on bit 2 or 3 (its two inputs), receiver 3 on bit 4.
    const U8 u8Enable = p[RX_ENABLE_OFFSET];
    pSeq->abReceives[0] = !(u8Enable & 0x02);
    pSeq->abReceives[1] = !(u8Enable & 0x04) || !(u8Enable & 0x08);
    pSeq->abReceives[2] = !(u8Enable & 0x10);
    pSeq->bTransmits = false;
    pSeq->u32PulseSamples = 0;
    for (U32 i = 0; i < PULSES; ++i) {
        const U8* pulse = p + i * PULSE_BYTES;
        const U16 u16Khz = u16Le(pulse + PULSE_FREQ);
        const U8 u8Cycles = pulse[PULSE_CYCLES];
        const U8 u8Mode = pulse[PULSE_MODE];
        if (u16Khz == 0 || u8Cycles == 0 || (u8Mode != MODE_TIMER && u8Mode != MODE_DMA))
            continue;
        pSeq->bTransmits = true;
        const U32 u32Us = (U32)u8Cycles * 1000u / u16Khz;
        const U32 u32Samples = (u32Us + SAMPLE_PERIOD_US - 1) / SAMPLE_PERIOD_US;
        if (u32Samples > pSeq->u32PulseSamples)
            pSeq->u32PulseSamples = u32Samples;
    }
}

// Reads the scene file again when it changed (or came or went).
void vRefreshScene(void)
{
    if (s_scenePath.empty())
        return;
    struct stat st;
    if (stat(s_scenePath.c_str(), &st) != 0) {
        if (s_sceneSize != -1)
            SIM_COPROC_vDefaultScene(&s_scene);
        s_sceneSize = -1;
        return;
    }
    if (st.st_size == s_sceneSize && st.st_ino == s_sceneInode && st.st_mtim.tv_sec == s_sceneTime.tv_sec &&
        st.st_mtim.tv_nsec == s_sceneTime.tv_nsec)
        return;
    s_sceneSize = st.st_size;
    s_sceneInode = st.st_ino;
    s_sceneTime = st.st_mtim;
    char acText[SCENE_MAX_BYTES + 1];
    size_t n = 0;
    if (FILE* f = fopen(s_scenePath.c_str(), "rb")) {
        n = fread(acText, 1, SCENE_MAX_BYTES, f);
        fclose(f);
    }
    acText[n] = '\0';
    SIM_COPROC_vDefaultScene(&s_scene);
    const U32 u32Skipped = SIM_COPROC_u32ParseScene(acText, &s_scene);
    if (u32Skipped)
        log_me("simulated sonar: %u line(s) of %s skipped", u32Skipped, s_scenePath.c_str());
}

void vAddEcho(std::vector<float>& profile, U32 u32Start, U32 u32Flat, float fLevel, float fDecay)
{
    float f = fLevel;
    for (U32 i = u32Start; i < profile.size() && f >= FAINTEST; ++i) {
        profile[i] += f;
        if (i - u32Start + 1 >= u32Flat)
            f *= fDecay;
    }
}

// Echo level of each return sample for one sequence.
void vMakeProfile(const Sequence& seq)
{
    s_profile.assign(seq.u16Samples, 0.0f);
    if (!s_scene.bConnected || !seq.bTransmits)
        return;
    const U32 u32Echo = seq.u32PulseSamples + ECHO_EXTRA_SAMPLES;
    vAddEcho(s_profile, 0, seq.u32PulseSamples + RING_DOWN_EXTRA_SAMPLES, RING_DOWN_LEVEL, RING_DOWN_DECAY);
    if (s_scene.fBottomMetres > 0.0f) {
        const U32 u32Bottom = SIM_COPROC_u32SampleIndex(s_scene.fBottomMetres);
        for (U32 m = 0; m < 3 && u32Bottom > 0; ++m)
            vAddEcho(s_profile, u32Bottom * (m + 1), u32Echo, BOTTOM_LEVEL[m], BOTTOM_TAIL_DECAY);
    }
    for (U32 i = 0; i < s_scene.u32Fish; ++i)
        vAddEcho(s_profile, SIM_COPROC_u32SampleIndex(s_scene.aFish[i].fDepthMetres), u32Echo,
                 s_scene.aFish[i].u8Level, 0.0f);
}

U8 u8Noise(void)
{
    const U32 n = s_scene.u8Noise;
    return n ? (U8)(n / 2 + u32Random() % (n + 1)) : 0;
}

// Skips blanks; false at the end of the line.
bool bNextWord(const char*& p, const char* end)
{
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\r'))
        ++p;
    return p < end;
}

bool bNumber(const char*& p, const char* end, double* pd)
{
    if (!bNextWord(p, end))
        return false;
    char acWord[32];
    size_t n = 0;
    while (p < end && *p != ' ' && *p != '\t' && *p != '\r' && n < sizeof acWord - 1)
        acWord[n++] = *p++;
    acWord[n] = '\0';
    char* stop = nullptr;
    *pd = strtod(acWord, &stop);
    return n > 0 && *stop == '\0' && std::isfinite(*pd);
}

bool bLineEnds(const char* p, const char* end)
{
    return !bNextWord(p, end) || *p == '#';
}

// One line; a line that does not parse whole changes nothing.
bool bParseLine(const char* p, const char* end, SIM_COPROC_SCENE* pScene, bool* pbFishSeen)
{
    if (bLineEnds(p, end))
        return true;
    const char* key = p;
    while (p < end && *p != ' ' && *p != '\t' && *p != '\r')
        ++p;
    const std::string name(key, p);
    double a = 0.0;
    double b = 0.0;
    if (name == "connected") {
        if (!bNumber(p, end, &a) || !bLineEnds(p, end) || (a != 0.0 && a != 1.0))
            return false;
        pScene->bConnected = a == 1.0;
    } else if (name == "bottom") {
        if (!bNumber(p, end, &a) || !bLineEnds(p, end) || a < 0.0 || a > MAX_DEPTH_METRES)
            return false;
        pScene->fBottomMetres = (float)a;
    } else if (name == "noise") {
        if (!bNumber(p, end, &a) || !bLineEnds(p, end) || a < 0.0 || a > MAX_NOISE || a != std::floor(a))
            return false;
        pScene->u8Noise = (U8)a;
    } else if (name == "fish") {
        if (!bNumber(p, end, &a) || !bNumber(p, end, &b) || !bLineEnds(p, end) || a < 0.0 ||
            a > MAX_DEPTH_METRES || b < 0.0 || b > 255.0 || b != std::floor(b))
            return false;
        // "fish 0 0" stands for no fish at all.
        const bool bNone = b == 0.0;
        if (!bNone && *pbFishSeen && pScene->u32Fish >= SIM_COPROC_MAX_FISH)
            return false;
        if (!*pbFishSeen)
            pScene->u32Fish = 0;
        *pbFishSeen = true;
        if (!bNone)
            pScene->aFish[pScene->u32Fish++] = SIM_COPROC_FISH{(float)a, (U8)b};
    } else {
        return false;
    }
    return true;
}

} // namespace

void SIM_COPROC_vDefaultScene(SIM_COPROC_SCENE* pScene)
{
    *pScene = SIM_COPROC_SCENE{};
    pScene->bConnected = TRUE;
    pScene->fBottomMetres = 8.0f;
    pScene->u8Noise = 12;
    pScene->u32Fish = 3;
    pScene->aFish[0] = SIM_COPROC_FISH{2.5f, 110};
    pScene->aFish[1] = SIM_COPROC_FISH{4.2f, 140};
    pScene->aFish[2] = SIM_COPROC_FISH{6.0f, 90};
}

U32 SIM_COPROC_u32ParseScene(const char* pcText, SIM_COPROC_SCENE* pScene)
{
    U32 u32Skipped = 0;
    bool bFishSeen = false;
    const char* p = pcText;
    while (*p) {
        const char* end = strchr(p, '\n');
        if (!end)
            end = p + strlen(p);
        if (!bParseLine(p, end, pScene, &bFishSeen))
            ++u32Skipped;
        p = *end ? end + 1 : end;
    }
    return u32Skipped;
}

U32 SIM_COPROC_u32SampleIndex(float fMetres)
{
    if (!(fMetres > 0.0f))
        return 13 / SAMPLE_PERIOD_US;
    const U32 u32Us = (U32)((double)fMetres * 2000000.0 / SIM_COPROC_SPEED_OF_SOUND);
    return (u32Us + 13) / SAMPLE_PERIOD_US;
}

void SIM_COPROC_vOpen(const char* pcScenePath)
{
    std::lock_guard<std::mutex> lock(s_lock);
    s_u32Count = 0;
    s_u32Next = 0;
    s_u32Pings = 0;
    s_u32Writes = 0;
    s_u32Random = RANDOM_SEED;
    s_scenePath = pcScenePath ? pcScenePath : "";
    s_sceneSize = -1;
    s_sceneInode = 0;
    s_sceneTime = {};
    SIM_COPROC_vDefaultScene(&s_scene);
    vRefreshScene();
}

S32 SIM_COPROC_s32Write(const U8* pau8Data, U32 u32Bytes)
{
    if (u32Bytes != MULTI_TX_BYTES) {
        errno = EINVAL;
        return -1;
    }
    const U8 u8Count = pau8Data[COUNT_OFFSET];
    if (u8Count == 0 || u8Count > MAX_SEQUENCES) {
        errno = EINVAL;
        return -1;
    }
    std::lock_guard<std::mutex> lock(s_lock);
    for (U32 i = 0; i < u8Count; ++i)
        vDecodeSequence(pau8Data + i * SEQUENCE_BYTES, &s_aSeq[i]);
    s_u32Count = u8Count;
    s_u32Next = 0;
    memcpy(s_au8LastWrite, pau8Data, MULTI_TX_BYTES);
    ++s_u32Writes;
    return (S32)u32Bytes;
}

S32 SIM_COPROC_s32Read(U8* pau8Data, U32 u32Bytes)
{
    std::lock_guard<std::mutex> lock(s_lock);
    if (s_u32Count == 0)
        return 0;
    vRefreshScene();
    const Sequence& seq = s_aSeq[s_u32Next];
    s_u32Next = (s_u32Next + 1) % s_u32Count;
    ++s_u32Pings;

    const U32 u32Frames = (U32)seq.u16Noise + seq.u16Samples;
    const U32 u32Whole = HEAD_BYTES + CHANNELS * u32Frames;
    const U32 u32Out = u32Bytes < u32Whole ? u32Bytes : u32Whole;
    // Only the frames that fit are made; a cut block is what a datagram
    // read into a smaller buffer gives.
    const U32 u32Made = u32Out > HEAD_BYTES ? (u32Out - HEAD_BYTES + CHANNELS - 1) / CHANNELS : 0;
    s_block.resize(HEAD_BYTES + CHANNELS * (size_t)u32Made);
    U8* p = s_block.data();
    for (U32 i = 0; i < PREFIX_BYTES; ++i)
        p[i] = (U8)(s_u32Pings >> (8 * i));
    memcpy(p + PREFIX_BYTES, seq.raw, SEQUENCE_BYTES);

    vMakeProfile(seq);
    U8* frame = p + HEAD_BYTES;
    for (U32 k = 0; k < u32Made; ++k, frame += CHANNELS) {
        const float fEcho = k >= seq.u16Noise ? s_profile[k - seq.u16Noise] : 0.0f;
        for (U32 c = 0; c < CHANNELS; ++c) {
            if (!seq.abReceives[c]) {
                frame[c] = 0;
                continue;
            }
            const float f = fEcho + u8Noise();
            frame[c] = f >= 255.0f ? 255 : (U8)f;
        }
    }
    memcpy(pau8Data, p, u32Out);
    return (S32)u32Out;
}

U32 SIM_COPROC_u32WritesForTests(U8* pau8LastBlock)
{
    std::lock_guard<std::mutex> lock(s_lock);
    if (pau8LastBlock)
        memcpy(pau8LastBlock, s_au8LastWrite, MULTI_TX_BYTES);
    return s_u32Writes;
}
