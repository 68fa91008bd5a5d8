// The sonar pictures' per-column and per-frame work, each beside a plain
// reference measured in the same run:
// - one added column for beam 1's main and zoom windows and the blended
//   window's main and zoom beside one accumulator read and five contiguous
//   600-pixel row writes;
// - the ring copy of an 800 x 600 window beside memcpy of 960 KB;
// - the pixel-by-pixel copy of the same window beside the ring copy;
// - the total redraw of an 800 x 600 window from its store beside 800 bare
//   resamplings (2048 -> 600) and colour mappings.
#include "graphics/g_buffers.h"
#include "kernel/l_mbox.h"
#include "kernel/l_queue.h"
#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_fresamp.h"
#include "sonar/dsp/s_grayscale.h"
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_state.h"
#include "sonar/ping/t_n_ping.h"
#include "sonar/ping/t_n_ping_state.h"
#include "sonar/process/t_n_process.h"
#include "sonar/process/t_n_process_state.h"
#include "store/h_database.h"
#include "util/u_convert.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

using namespace t_n_history;

namespace {

constexpr U32 SAMPLES = 4000;
constexpr U32 STORE = 2048;
constexpr U32 HEIGHT = 600;
constexpr U32 WIDTH = 800;

U32 s_au32Pixels[4][820 * 600 / 2];
BITMAP s_aBitmaps[4];
U32 s_au32Frame[800 * 600 / 2];
BITMAP s_Frame;
U8 s_au8Slots[820][STORE];

void vWindow(U32 i, BEAM beam)
{
    SONAR_WINDOW& w = SonarViewInfo.Window[i];
    w.ScreenHistory.pBmp = G_BUFFERS_pCreateBitmap(820, 600, &s_aBitmaps[i], s_au32Pixels[i]);
    w.ScreenHistory.pBmp->pixels_wide = WIDTH;
    w.ScreenHistory.u16NextFreeColumn = 0;
    w.ScreenHistory.Resource = RES_HISTORY;
    w.Beam = beam;
    w.bManualDepthRange = TRUE;
    w.u32HistoryHeight = HEIGHT;
    w.u32UpperSample = 0;
    w.u32LowerSample = SAMPLES;
    w.fUpperDisplayedMetres = 0.0f;
    w.fLowerDisplayedMetres = 20.0f;
}

void vWorld()
{
    static const bool ready = [] {
        H_DATABASE_vInit();
        U_CONVERT_vInitialiseConversionUtility();
        t_n_ping::vInitialisePingDescriptorQueue();
        g_u32SpeedOfSoundInWater = 1463;
        H_DATABASE_bUpdateEverythingU32(FCID("CCST"), 3, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        t_n_process::vStart();
        while (MSGHEADER* p = L_MBOX_Receive(PROCESS_MAILBOX))
            t_n_process::vHandleMail(reinterpret_cast<GENERIC_MESSAGE*>(p));
        vWindow(0, 1);
        vWindow(1, 1);
        vWindow(2, 4);
        vWindow(3, 4);
        s_sBeamInfo[1].pMain = &SonarViewInfo.Window[0];
        s_sBeamInfo[1].pZoom = &SonarViewInfo.Window[1];
        s_sBeamInfo[4].pMain = &SonarViewInfo.Window[2];
        s_sBeamInfo[4].pZoom = &SonarViewInfo.Window[3];
        s_sBeamInfo[1].beamBlend = 4;
        s_sBeamInfo[1].pfBlend = colorBlend200;
        s_sBeamInfo[1].bPinging = TRUE;
        s_sBeamInfo[1].pTSUStore = &TSUStore[1];
        SonarViewInfo.bBottomLockZoom = FALSE;
        std::mt19937 rng(1);
        for (U32 c = 0; c < TSU_STORE_COLUMNS; ++c) {
            TSU_STORE_COLUMN& col = TSUStore[1].aTsuStore[c];
            col.au8Data = s_au8Slots[c];
            col.u32TSUDataLength = STORE;
            col.u8SampleFactor = 2;
            col.u32SamplesInStore = STORE;
            for (U32 i = 0; i < STORE; ++i)
                col.au8Data[i] = (U8)(20 + rng() % 200);
        }
        for (U32 v = 0; v < GRAYSCALE_LEVELS; ++v)
            StandardBeamGrayScaleTable.acColor[v] = (COLOR)(v * 0x0101);
        G_BUFFERS_pCreateBitmap(800, 600, &s_Frame, s_au32Frame);
        PING_DESCRIPTOR* p = nullptr;
        L_QUEUE_Get(Q_PING, &p);
        for (U32 i = 0; i < SAMPLES; ++i)
            p->pu8RawSonarData[i] = (U8)(20 + rng() % 200);
        p->Beam = 1;
        p->u8TransmitCycles = 10;
        p->u32NumberOfSamples = SAMPLES;
        p->u32SamplePeriodMicroSeconds = 26;
        p->u32TransmitFrequencyHertz = 200000;
        p->bIsLocal = TRUE;
        p->u32TimeStampMilliSeconds = 1000;
        t_n_process::vProcessPing(p);
        return true;
    }();
    (void)ready;
}

void BM_AddColumnFourWindows(benchmark::State& state)
{
    vWorld();
    for (auto _ : state) {
        bForceResample = TRUE;
        T_N_HISTORY_vAddColumns(1, 1, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_AddColumnFourWindows);

void BM_Reference_AccumulatorReadAndFiveRows(benchmark::State& state)
{
    vWorld();
    std::vector<U8> store(STORE), display(HEIGHT);
    std::vector<COLOR> row(HEIGHT, 0x1234);
    TSU_STORE_COLUMN column = {};
    column.au8Data = store.data();
    column.u32TSUDataLength = STORE;
    U8* pFrame = reinterpret_cast<U8*>(s_au32Frame);
    for (auto _ : state) {
        BOOLEAN noise = FALSE;
        benchmark::DoNotOptimize(T_N_PROCESS_eGetDataForDisplay(1, &column, display.data(), 0, SAMPLES, nullptr, 0, 0,
                                                                nullptr, 0, 0, nullptr, HEIGHT, 0, 0, TRUE, &noise));
        for (U32 i = 0; i < 5; ++i)
            memcpy(pFrame + i * WIDTH * sizeof(COLOR), row.data(), HEIGHT * sizeof(COLOR));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Reference_AccumulatorReadAndFiveRows);

void BM_RingCopy(benchmark::State& state)
{
    vWorld();
    SonarViewInfo.Window[0].ScreenHistory.u16NextFreeColumn = 300;
    for (auto _ : state) {
        vCopyHistoryToBitmap(&s_Frame, &SonarViewInfo.Window[0].ScreenHistory, WIDTH, WIDTH - 1);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)(state.iterations() * WIDTH * HEIGHT * 2));
}
BENCHMARK(BM_RingCopy);

void BM_Reference_Memcpy960KB(benchmark::State& state)
{
    std::vector<U8> a(WIDTH * HEIGHT * 2, 1), b(WIDTH * HEIGHT * 2);
    for (auto _ : state) {
        memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)(state.iterations() * a.size()));
}
BENCHMARK(BM_Reference_Memcpy960KB);

void BM_GenericCopy(benchmark::State& state)
{
    vWorld();
    const POINT deep{0, 0}, young{(S32)WIDTH - 1, (S32)HEIGHT - 1};
    for (auto _ : state) {
        vCopyHistoryToBitmapGeneric(&s_Frame, &SonarViewInfo.Window[0], &deep, &young);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)(state.iterations() * WIDTH * HEIGHT * 2));
}
BENCHMARK(BM_GenericCopy);

void BM_TotalRedraw(benchmark::State& state)
{
    vWorld();
    TSUStore[1].u32NextFreeColumn = 10;
    const SONAR_WINDOW copy = SonarViewInfo.Window[0];
    for (auto _ : state) {
        vTotalScreenUpdate(&copy, HEIGHT, WIDTH, POST_PROCESS_NONE, FALSE);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TotalRedraw);

void BM_Reference_ResampleAndCategorize800(benchmark::State& state)
{
    vWorld();
    U8 column[HEIGHT];
    COLOR colours[HEIGHT];
    for (auto _ : state) {
        for (U32 c = 0; c < WIDTH; ++c) {
            const U8* in = TSUStore[1].aTsuStore[c].au8Data;
            S_FRESAMPLE_vFastResample(in, STORE, STORE, column, HEIGHT);
            S_GRAYSCALE_vCategorize(column, colours, HEIGHT, &StandardBeamGrayScaleTable, HEIGHT, 0);
            benchmark::DoNotOptimize(colours);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Reference_ResampleAndCategorize800);

} // namespace

BENCHMARK_MAIN();
