// The display tests' world: one unit root for the whole test program (the
// root is read once per process), a fresh frame-buffer device, page table
// and data store for every test, and helpers to paint and read pages.
#pragma once

#include "platform/dd_lcd.h"
#include "platform/fb_file.h"
#include "platform/fbdev.h"
#include "platform/h_hooks.h"
#include "store/h_database.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <linux/fb.h>
#include <linux/omapfb.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace display_test {

inline const vt::TempRoot& unitRoot()
{
    static vt::TempRoot root;
    static const bool exported = (root.exportEnv(), true);
    (void)exported;
    return root;
}

inline std::string fb0Path() { return unitRoot().at("/dev/fb0"); }

// The header of ROOT/dev/fb0 as it is in the file now.
inline FBFILE_HEADER fileHeader()
{
    FBFILE_HEADER h{};
    U8 bytes[FBFILE_HEADER_BYTES] = {};
    if (FILE* f = fopen(fb0Path().c_str(), "rb")) {
        if (fseek(f, FBFILE_HEADER_OFFSET, SEEK_SET) == 0 && fread(bytes, 1, sizeof bytes, f) == sizeof bytes) {
            EXPECT_TRUE(FBFILE_bDecodeHeader(bytes, sizeof bytes, &h));
        }
        fclose(f);
    }
    return h;
}

inline U16* pixels(U32* pu32Page) { return reinterpret_cast<U16*>(pu32Page); }
inline U16* pixels(void* pv) { return static_cast<U16*>(pv); }

inline void paint(void* pvScreen, U16 color)
{
    std::fill_n(pixels(pvScreen), DD_LCD_SCREEN_PIXELS, color);
}

// Every pixel a different value of its own (never the colour key).
inline U16 patternAt(size_t i, U16 seed)
{
    U16 v = (U16)(i * 7 + seed);
    return v == DD_LCD_COLOR_KEY ? (U16)(v + 1) : v;
}
inline void paintPattern(void* pvScreen, U16 seed)
{
    for (size_t i = 0; i < DD_LCD_SCREEN_PIXELS; ++i)
        pixels(pvScreen)[i] = patternAt(i, seed);
}

// How many pixels of the screen differ from the colour.
inline size_t countOther(const void* pvScreen, U16 color)
{
    const U16* p = static_cast<const U16*>(pvScreen);
    return (size_t)std::count_if(p, p + DD_LCD_SCREEN_PIXELS, [color](U16 v) { return v != color; });
}

inline std::vector<DISPLAY_BUFFER_STATUS> states()
{
    std::vector<DISPLAY_BUFFER_STATUS> s;
    for (const DISPLAY_BUF& b : g_displayBuffers)
        s.push_back(b.bufferStatus);
    return s;
}

inline U32* page(int i) { return reinterpret_cast<U32*>(g_displayBuffers[i].buf.buffer); }

// View ids of "CVEW" that the blend cares about.
constexpr S32 NO_VIEW_PRIORITY = -2;
constexpr S32 BIRDS_EYE_VIEW_PRIORITY = 23;
constexpr S32 CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY = 25;

// The driver's questions answered as the unit answers them while the view,
// navigation and 3D chart tasks are stand-ins: the bird's-eye view from
// "CVEW", the 3D picture from page 0 of the device.
inline void installViewHooks()
{
    static const H_HOOKS hooks = {
        [] {
            S32 view = NO_VIEW_PRIORITY;
            H_DATABASE_bFetchS32(FCID("CVEW"), &view, nullptr, nullptr);
            return (BOOLEAN)(view == BIRDS_EYE_VIEW_PRIORITY || view == CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY);
        },
        [](U32* pu32Buffer) {
            if (FILE* f = fopen(fb0Path().c_str(), "rb")) {
                const size_t n = fread(pu32Buffer, 1, DD_LCD_SCREEN_BYTES, f);
                (void)n;
                fclose(f);
            }
        },
    };
    H_HOOKS_vInstall(&hooks);
}

constexpr auto ON = BUFFER_IS_ON_DISPLAY;
constexpr auto IDLE = BUFFER_IS_IDLE;
constexpr auto HELD = BUFFER_IS_ALLOCATED;

class Display : public ::testing::Test {
protected:
    void SetUp() override
    {
        unitRoot();
        DD_LCD_vClose();
        remove(fb0Path().c_str());
        FBDEV_vSetVsyncRate(0); // flips need not wait here; one test keeps the pace
        for (unsigned long r : {(unsigned long)FBIOPAN_DISPLAY, (unsigned long)FBIO_WAITFORVSYNC,
                                (unsigned long)FBIOPUT_VSCREENINFO})
            FBDEV_vFailRequests(r, 0, 0);
        static const bool storeUp = (H_DATABASE_vInit(), true);
        (void)storeUp;
        installViewHooks();
        forget3D();
    }
    void TearDown() override
    {
        DD_LCD_vClose();
        FBDEV_vSetVsyncRate(60);
    }
    // The 3D setting and the current view as never written.
    static void forget3D()
    {
        H_DATABASE_vDeleteEntry(FCID("SP3E"));
        H_DATABASE_vDeleteEntry(FCID("CVEW"));
    }
    static void set3D(bool on, S32 view)
    {
        H_DATABASE_bUpdateValueBoolean(FCID("SP3E"), on ? TRUE : FALSE, P_NORMAL);
        H_DATABASE_bUpdateValueS32(FCID("CVEW"), view, P_NORMAL);
    }
};

} // namespace display_test
