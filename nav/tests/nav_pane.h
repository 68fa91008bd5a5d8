// Shared by the painter tests: a plain pane (a bitmap with the pane's view
// info over it, as the chart application would fill it), a chart palette
// whose colours tell the painters' lines apart, waypoints put straight into
// the table, the navigation state cleared, and the comparison with a
// checked-in picture. On a difference the picture drawn is written beside
// the build; with VONDREL_UPDATE_GOLDEN=1 it replaces the checked-in one
// (look at it before committing).
#pragma once

#include "nav/core/draw_standins.h"
#include "nav/core/g_nav_icons.h"
#include "nav/core/t_nav_draw.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/u_nav_geometry.h"
#include "nav/data/t_nav_twr.h"
#include "nav/tests/nav_test_util.h"

#include "chart_sdk/graphics/gr_context.h"
#include "chart_sdk/graphics/gr_line.h"
#include "graphics/color.h"
#include "graphics/g_png.h"
#include "graphics/g_string.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "store/h_database.h"
#include "testing/t_proc.h"
#include "util/u_convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace pane {

constexpr COLOR BACKGROUND = 0x4B3C; // a sea blue none of the painters uses

// The chart palette of the tests: the colours the painters ask for by
// number are told apart at a glance.
constexpr COLOR TRAVELLED = 0x8410;  // 7, grey
constexpr COLOR ACTIVE = 0xF800;     // 10, red
constexpr COLOR FINAL = 0xFFE0;      // 20, yellow
constexpr COLOR AHEAD = 0x07E0;      // 21, green
constexpr COLOR RINGS = 0xF81F;      // 23, magenta

inline const U16* testPalette()
{
    static const std::array<U16, 48> palette = [] {
        std::array<U16, 48> p{};
        p.fill(0x2104);
        p[7] = TRAVELLED;
        p[10] = ACTIVE;
        p[20] = FINAL;
        p[21] = AHEAD;
        p[23] = RINGS;
        return p;
    }();
    return palette.data();
}

inline COLOR entry(U32 i) { return gCOLOR_pcolColorTable[i]; }

// Band 10 of the Mercator scale: a ground metre is exactly one Mercator
// metre there, so the rings' spacings come out whole.
constexpr S32 EXACT_Y = 10 * 65536;

constexpr S32 PX_PER_M_1 = 1 << 20; // nPixelsPerMMM of one pixel per metre

// A pane over its own bitmap: the centre of the pane at CenterOffset,
// ptCenterMM there, nPixelsPerMMM and the scale step, turned by degrees.
class Pane {
public:
    explicit Pane(POINT centreMM = {0, EXACT_Y}, S32 nPixelsPerMMM = PX_PER_M_1, S32 nScale = 12,
                  S32 degrees = 0, U32 width = 800, U32 height = 600)
        : bmp_(width, height, BACKGROUND)
    {
        nvi = NAV_VIEW_INFO{};
        nvi.pBitmap = bmp_;
        gr_InitGC(&nvi.GrContext, PIXELDIM{(SINT)width, (SINT)height}, (VSCREENPTR)bmp_->pBuffer);
        nvi.ptCenterMM = centreMM;
        nvi.ptBoatMM = centreMM;
        nvi.CenterOffset = {(S32)width / 2, (S32)height / 2};
        nvi.nWindowWidth = (S32)width;
        nvi.nWindowHeight = (S32)height;
        nvi.nChartScale = nScale;
        nvi.nPixelsPerMMM = nPixelsPerMMM;
        nvi.fPixelsPerMM = (float)nPixelsPerMMM / (1 << 20);
        turn(degrees);
    }

    void turn(S32 degrees)
    {
        gr_ResetRotationContext(&nvi.RotContext);
        gr_SetRotationAngle(&nvi.RotContext, degrees);
        nvi.nChartRotation = degrees;
    }

    // The pixel of a Mercator position (the painters' conversion).
    POINT pixelOf(POINT mm, BOOLEAN bRadar = FALSE) const
    {
        POINT p = T_NAV_ptRelativeToCenter(&nvi, mm);
        T_NAV_vConvertToPixel(&nvi, &p, bRadar);
        return p;
    }
    // The position so many metres east and north of the pane centre.
    POINT mm(S32 east, S32 north) const { return {nvi.ptCenterMM.x + east, nvi.ptCenterMM.y + north}; }

    COLOR at(POINT p) const { return bmp_.at(p.x, p.y); }
    COLOR at(int x, int y) const { return bmp_.at(x, y); }
    size_t count(COLOR c) const { return bmp_.count(c); }
    gt::PixelSet drawn() const { return bmp_.drawn(); }
    gt::TestBitmap& bitmap() { return bmp_; }
    // The pen in logical pixels.
    POINT pen() const
    {
        PIXELPOS p;
        gr_GetLogicPosition(&nvi.GrContext, &p);
        return {p.px, p.py};
    }

    NAV_VIEW_INFO nvi;

private:
    gt::TestBitmap bmp_;
};

inline void setU32(const char (&key)[5], U32 v) { H_DATABASE_bUpdateValueU32(FCID(key), v, P_NORMAL); }
inline void setFloat(const char (&key)[5], float v) { H_DATABASE_bUpdateValueFloat(FCID(key), v, P_NORMAL); }
inline void setBool(const char (&key)[5], bool v) { H_DATABASE_bUpdateValueBoolean(FCID(key), v, P_NORMAL); }

// Fresh store, empty tables, no navigation, fonts and colours of the unit
// and the tests' chart palette.
class Painters : public ::testing::Test {
protected:
    void SetUp() override
    {
        navt::unitRoot();
        U_CONVERT_vInitialiseConversionUtility();
        H_DATABASE_vInit();
        U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
        G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
        gr_SetColorPalette(testPalette());
        T_NAV_TWR_vClearTables();
        s_CurrentRoute = ROUTE{};
        s_pCurrentRoute = nullptr;
        T_NAV_vClearRoutePoint();
        s_bStartedRouteInMiddle = FALSE;
        s_u16MOBWaypoint = NAV_NO_MOB_WAYPOINT;
        s_u32WPPCount = 0;
        NAV_STANDIN_vForgetDrawing();
        setU32("SUDS", U_KM);
    }
    void TearDown() override
    {
        s_CurrentRoute = ROUTE{};
        s_pCurrentRoute = nullptr;
        T_NAV_vClearRoutePoint();
    }

    // A waypoint straight into its slot (bank << 12 | slot).
    static WAYPOINT& place(U16 id, POINT pt, const char* name = "WP", U8 status = WP_STATUS_PERMANENT, U8 icon = 0)
    {
        WAYPOINT* w = T_NAV_pGetWaypoint(id);
        *w = WAYPOINT{};
        w->u8Status = status;
        w->u8Icon = icon;
        w->u32DateTime = 1;
        w->pt = pt;
        // The name field holds up to its size without a terminator.
        memcpy(w->sName, name, std::min(strlen(name), sizeof w->sName));
        return *w;
    }

    static const FONT_DEF* labelFont() { return std_11x14_font_def_ptr.load(); }
    static const FONT_DEF* cursorFont() { return std_16x17_font_def_ptr.load(); }
    static U32 width(const char* text, const FONT_DEF* font = nullptr)
    {
        return G_STRING_u32GetWidth(font ? font : labelFont(), (const BYTE*)text);
    }
};

inline void expectGolden(gt::TestBitmap& screen, const char* name)
{
    gt::expectGolden(screen, "nav/tests/golden", name);
}

} // namespace pane
