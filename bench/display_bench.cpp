// Presenting a full frame, with and without the 3D blend, beside three
// memcpy of the same 960,000 bytes in the same run: the blend is two frame
// copies and one keyed pass, so three plain copies are its reference.
//
// The frame buffer is the stand-in device in a temporary unit root, its
// vertical sync switched off so that the figures are the work of the
// present itself (the pan, the 200 us settle and the copies).
#include "platform/dd_lcd.h"
#include "platform/fbdev.h"
#include "platform/h_hooks.h"
#include "platform/pixmap.h"
#include "store/h_database.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The view shown is a bird's-eye view exactly while the blend is wanted.
bool s_birdsEye = false;

constexpr size_t FRAME_BYTES = DD_LCD_SCREEN_BYTES;

// A unit root with a frame buffer and the GPU's pixmaps, for the whole run.
class Unit {
public:
    Unit()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "vondrel-bench-XXXXXX").string();
        if (mkdtemp(tmpl.data()) == nullptr)
            return;
        root_ = tmpl;
        std::filesystem::create_directories(root_ + "/dev");
        setenv("VONDREL_ROOT", root_.c_str(), 1);
        FBDEV_vSetVsyncRate(0);
        H_DATABASE_vInit();
        static const H_HOOKS hooks = {[] { return (BOOLEAN)s_birdsEye; }, nullptr};
        H_HOOKS_vInstall(&hooks);
        DD_LCD_vInit();
        DD_LCD_vInitGraphicsLib();
        ok_ = frame_buffer_fd == 1 && DD_LCD_bBlendPixmapsReady();
        if (!ok_)
            return;
        // A 3D picture, and two pages of which every other pixel is the key
        // (after the first blend none is; the keyed pass costs the same).
        U16* p3D = static_cast<U16*>(g_pixmaps[0].pixmap.lAddress);
        for (size_t i = 0; i < DD_LCD_SCREEN_PIXELS; ++i)
            p3D[i] = (U16)i;
        for (U32*& page : pages_) {
            page = DD_LCD_pu32GetDisplayBuffer();
            U16* p = reinterpret_cast<U16*>(page);
            for (size_t i = 0; i < DD_LCD_SCREEN_PIXELS; ++i)
                p[i] = i % 2 ? DD_LCD_COLOR_KEY : (U16)(i * 3);
        }
    }
    ~Unit()
    {
        DD_LCD_vCloseGraphicsLib();
        DD_LCD_vClose();
        if (!root_.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(root_, ec);
        }
    }
    bool ok() const { return ok_; }
    U32* page(size_t i) const { return pages_[i % 2]; }

    static void set3D(bool on)
    {
        H_DATABASE_bUpdateValueBoolean(FCID("SP3E"), on ? TRUE : FALSE, P_NORMAL);
        s_birdsEye = on;
    }

private:
    std::string root_;
    bool ok_ = false;
    U32* pages_[2] = {};
};

Unit* s_pUnit = nullptr;

Unit& unit()
{
    if (s_pUnit == nullptr)
        s_pUnit = new Unit;
    return *s_pUnit;
}

void setBytes(benchmark::State& state) { state.SetBytesProcessed((int64_t)state.iterations() * FRAME_BYTES); }

// Two pages take turns, so that every present flips.
void present(benchmark::State& state, bool blend)
{
    Unit& u = unit();
    if (!u.ok()) {
        state.SkipWithError("no frame buffer or no pixmaps");
        return;
    }
    Unit::set3D(blend);
    size_t i = 0;
    for (auto _ : state) {
        DD_LCD_vDisplayScreen(u.page(i++));
        benchmark::ClobberMemory();
    }
    setBytes(state);
}

void BM_PresentFrame_Blend3D(benchmark::State& state) { present(state, true); }
BENCHMARK(BM_PresentFrame_Blend3D)->UseRealTime();

void BM_PresentFrame_No3D(benchmark::State& state) { present(state, false); }
BENCHMARK(BM_PresentFrame_No3D)->UseRealTime();

// The keyed pass alone over a whole screen.
void BM_ChromaBlit16_Frame(benchmark::State& state)
{
    std::vector<U16> dst(DD_LCD_SCREEN_PIXELS), src(DD_LCD_SCREEN_PIXELS, 0x1234);
    for (size_t i = 0; i < dst.size(); ++i)
        dst[i] = i % 2 ? DD_LCD_COLOR_KEY : (U16)i;
    for (auto _ : state) {
        Neon_ChromaBlit16(dst.data(), src.data(), (int)dst.size(), DD_LCD_COLOR_KEY);
        benchmark::ClobberMemory();
    }
    setBytes(state);
}
BENCHMARK(BM_ChromaBlit16_Frame);

// The reference: three memcpy of a frame.
void BM_ThreeMemcpy_Frame(benchmark::State& state)
{
    std::vector<U8> a(FRAME_BYTES, 1), b(FRAME_BYTES, 2), c(FRAME_BYTES, 3);
    for (auto _ : state) {
        memcpy(b.data(), a.data(), FRAME_BYTES);
        memcpy(c.data(), b.data(), FRAME_BYTES);
        memcpy(a.data(), c.data(), FRAME_BYTES);
        benchmark::ClobberMemory();
    }
    setBytes(state);
}
BENCHMARK(BM_ThreeMemcpy_Frame);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // Before the process's own teardown, while EGL is still there.
    delete s_pUnit;
    return 0;
}
