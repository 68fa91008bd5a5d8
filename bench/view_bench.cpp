// The view task composing a 50 % split frame (two pane fills, the dimming
// blend over the inactive pane, the active-side mark and the five-line
// divider) into a page, beside memcpy of the same 960,000 bytes in the same
// run. Presenting the page is the display driver's and is measured beside
// it in bench_display.
#include "graphics/g_box.h"
#include "graphics/g_buffers.h"
#include "graphics/color.h"
#include "graphics/g_icon.h"
#include "store/h_database.h"
#include "ui/t_view_state.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

constexpr size_t FRAME_BYTES = 800 * 600 * sizeof(COLOR);
constexpr LAYER_ID VIEW = 20;

// A pane that fills its window, as a chart or sonar pane covers its own.
void vFillPane(BITMAP* pBitmap, WINDOW_SPECIFICATION* pSpec)
{
    const WINDOW_LOCATION& w = pSpec->drawWindow;
    const POINT at = {w.s32ClipLeft, w.s32ClipBottom};
    G_BOX_vDrawFilled(pBitmap, (COLOR)pSpec->u32User, &at, (U32)(w.s32ClipRight - w.s32ClipLeft + 1),
                      (U32)(w.s32ClipTop - w.s32ClipBottom + 1));
}

// The split view registered straight into the list, the express menu open
// and the right pane active, so the left pane is dimmed.
void vSetUpSplitView(void)
{
    static bool done = false;
    if (done)
        return;
    done = true;
    H_DATABASE_vInit();
    G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
    H_DATABASE_bUpdateValueS32(FCID("SZBN"), 50, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("CMNU"), 2, P_NORMAL);
    for (SPLIT_WINDOW_TYPE pane : {SPLIT_LEFT_WINDOW, SPLIT_RIGHT_WINDOW}) {
        MSG_REGISTER_LAYER mail{};
        mail.layer = VIEW;
        mail.where_used = USED_BY_NONE;
        mail.pDrawFunction = vFillPane;
        mail.bDisplay = TRUE;
        mail.user = pane == SPLIT_LEFT_WINDOW ? 0x001F : 0x07E0;
        mail.eLocation = pane;
        mail.fcidSplitControl = FCID("SZBN");
        t_view::vRegisterLayer(&mail);
    }
    t_view::vSetCurrentLayer(VIEW);
    t_view::s_windowSpec.activeWindow = SPLIT_RIGHT_WINDOW;
}

void setBytes(benchmark::State& state) { state.SetBytesProcessed((int64_t)state.iterations() * FRAME_BYTES); }

void BM_ComposeSplitFrame(benchmark::State& state)
{
    vSetUpSplitView();
    BITMAP* pPage = G_BUFFERS_pCreateFullScreenBitmap();
    for (auto _ : state) {
        t_view::vComposeFrame(pPage);
        benchmark::ClobberMemory();
    }
    G_BUFFERS_vFreeFullScreenBitmap(pPage);
    setBytes(state);
}
BENCHMARK(BM_ComposeSplitFrame);

// The reference: one memcpy of a page.
void BM_Memcpy_Frame(benchmark::State& state)
{
    std::vector<U8> a(FRAME_BYTES, 1), b(FRAME_BYTES, 2);
    for (auto _ : state) {
        memcpy(b.data(), a.data(), FRAME_BYTES);
        benchmark::ClobberMemory();
    }
    setBytes(state);
}
BENCHMARK(BM_Memcpy_Frame);

} // namespace

BENCHMARK_MAIN();
