// The capture review's icons (see the header), made once from their shapes
// as 4-bit indexed pictures with a transparent index.
#include "sonar/review/t_view_review_icons.h"

#include <cstdlib>
#include <functional>
#include <vector>

namespace t_view_review {

namespace {

constexpr U8 TRANSPARENT = 15;
// Indexes of the icon section of the colour table.
constexpr U8 INK_PLAIN = 0;
constexpr U8 INK_HIGHLIGHT = 9;
constexpr U8 INK_RED = 12;
constexpr U8 INK_GREY = 8;

using SHAPE = std::function<bool(int x, int y)>; // x from the left, y from the top

struct MADE_ICON {
    std::vector<U8> nibbles;
    ICON icon{};
};

const U8 s_u8Transparent = TRANSPARENT;

MADE_ICON* pMake(int w, int h, U8 u8Ink, const SHAPE& shape)
{
    auto* p = new MADE_ICON;
    p->nibbles.assign(((size_t)w * h + 1) / 2, 0);
    for (int i = 0; i < w * h; ++i) {
        const U8 v = shape(i % w, i / w) ? u8Ink : TRANSPARENT;
        p->nibbles[(size_t)i / 2] = (U8)(i % 2 == 0 ? v << 4 : p->nibbles[(size_t)i / 2] | v);
    }
    p->icon = ICON{p->nibbles.data(), &s_u8Transparent, w, h, ICON_TRANSPARENT_COLOR};
    return p;
}

// A triangle pointing right in the box [x0, x0 + w) of a 16-high icon.

bool bRightTri(int x, int y, int x0, int w) { return x >= x0 && x < x0 + w && std::abs(y - 7) * w <= (x0 + w - 1 - x) * 7; }

bool bLeftTri(int x, int y, int x0, int w) { return x >= x0 && x < x0 + w && std::abs(y - 7) * w <= (x - x0) * 7; }

bool bBar(int x, int y, int x0, int w) { return x >= x0 && x < x0 + w && y >= 1 && y <= 13; }

SHAPE shapeOf(MODE_ICON e)
{
    switch (e) {
    case MODE_ICON::REW:
    case MODE_ICON::REW1:
    case MODE_ICON::REW2:
        return [](int x, int y) { return bLeftTri(x, y, 0, 8) || bLeftTri(x, y, 8, 8); };
    case MODE_ICON::PLAYREV:
        return [](int x, int y) { return bLeftTri(x, y, 2, 12); };
    case MODE_ICON::PLAYREWSLOW:
        return [](int x, int y) { return bLeftTri(x, y, 0, 10) || bBar(x, y, 12, 3); };
    case MODE_ICON::PAUSE:
        return [](int x, int y) { return bBar(x, y, 3, 4) || bBar(x, y, 9, 4); };
    case MODE_ICON::PLAYSLOW:
        return [](int x, int y) { return bBar(x, y, 1, 3) || bRightTri(x, y, 6, 10); };
    case MODE_ICON::PLAY:
        return [](int x, int y) { return bRightTri(x, y, 2, 12); };
    case MODE_ICON::FFW1:
    case MODE_ICON::FFW2:
        return [](int x, int y) { return bRightTri(x, y, 0, 8) || bRightTri(x, y, 8, 8); };
    case MODE_ICON::REC:
        return [](int x, int y) { return (x - 7) * (x - 7) + (y - 7) * (y - 7) <= 36; };
    case MODE_ICON::STOP:
    default:
        return [](int x, int y) { return x >= 2 && x <= 12 && y >= 2 && y <= 12; };
    }
}

U8 u8InkOf(MODE_ICON e, MODE_LOOK l)
{
    switch (l) {
    case MODE_LOOK::ACTIVE:
        // The doubled speeds show brighter than the single ones.
        return (e == MODE_ICON::REW2 || e == MODE_ICON::FFW2 || e == MODE_ICON::REC) ? INK_RED : INK_HIGHLIGHT;
    case MODE_LOOK::NOT_AVAILABLE:
        return INK_GREY;
    case MODE_LOOK::INACTIVE:
    default:
        return INK_PLAIN;
    }
}

} // namespace

const ICON* pArrowIcon(ARROW eArrow, bool bHighlighted)
{
    static MADE_ICON* apIcons[4][2] = {};
    MADE_ICON*& p = apIcons[(int)eArrow][bHighlighted ? 1 : 0];
    if (p == nullptr) {
        const U8 u8Ink = bHighlighted ? INK_HIGHLIGHT : INK_PLAIN;
        switch (eArrow) {
        case ARROW::UP:
            p = pMake(16, 16, u8Ink, [](int x, int y) { return y >= 2 && y <= 13 && std::abs(x - 8) * 12 <= (y - 2) * 8; });
            break;
        case ARROW::DOWN:
            p = pMake(16, 16, u8Ink, [](int x, int y) { return y >= 2 && y <= 13 && std::abs(x - 8) * 12 <= (13 - y) * 8; });
            break;
        case ARROW::LEFT:
            p = pMake(16, 16, u8Ink, [](int x, int y) { return bLeftTri(x, y, 2, 12); });
            break;
        case ARROW::RIGHT:
            p = pMake(16, 16, u8Ink, [](int x, int y) { return bRightTri(x, y, 2, 12); });
            break;
        }
    }
    return &p->icon;
}

const ICON* pRecordingIcon(void)
{
    // A reel of tape: two wheels over a band.
    static MADE_ICON* p = pMake(64, 40, INK_PLAIN, [](int x, int y) {
        const int a = (x - 16) * (x - 16) + (y - 16) * (y - 16);
        const int b = (x - 47) * (x - 47) + (y - 16) * (y - 16);
        const bool bWheel = (a <= 196 && a >= 100) || (b <= 196 && b >= 100) || a <= 9 || b <= 9;
        const bool bBand = y >= 34 && y <= 37 && x >= 10 && x <= 53;
        return bWheel || bBand;
    });
    return &p->icon;
}

const ICON* pImproperScreenIcon(void)
{
    static MADE_ICON* p = pMake(40, 40, INK_RED, [](int x, int y) {
        const bool bFrame = x <= 2 || x >= 37 || y <= 2 || y >= 37;
        const bool bCross = std::abs(x - y) <= 2 || std::abs(x + y - 39) <= 2;
        return bFrame || bCross;
    });
    return &p->icon;
}

const ICON* pZoomInIcon(void)
{
    static MADE_ICON* p = pMake(16, 16, INK_PLAIN, [](int x, int y) {
        const int r = (x - 6) * (x - 6) + (y - 6) * (y - 6);
        const bool bLens = r <= 36 && r >= 16;
        const bool bPlus = (y == 6 && x >= 4 && x <= 8) || (x == 6 && y >= 4 && y <= 8);
        const bool bHandle = x >= 10 && y >= 10 && std::abs(x - y) <= 1;
        return bLens || bPlus || bHandle;
    });
    return &p->icon;
}

const ICON* pZoomOutIcon(void)
{
    static MADE_ICON* p = pMake(16, 16, INK_PLAIN, [](int x, int y) {
        const int r = (x - 6) * (x - 6) + (y - 6) * (y - 6);
        const bool bLens = r <= 36 && r >= 16;
        const bool bMinus = y == 6 && x >= 4 && x <= 8;
        const bool bHandle = x >= 10 && y >= 10 && std::abs(x - y) <= 1;
        return bLens || bMinus || bHandle;
    });
    return &p->icon;
}

const ICON* pStartPlaybackIcon(void) { return pModeIcon(MODE_ICON::PLAY, MODE_LOOK::ACTIVE); }

const ICON* pSliderIcon(void)
{
    static MADE_ICON* p = pMake(12, 28, INK_HIGHLIGHT, [](int x, int y) {
        return (x >= 3 && x <= 8) || (y >= 22 && std::abs(x - 5) <= 27 - y);
    });
    return &p->icon;
}

const ICON* pRecordReminderIcon(void) { return pModeIcon(MODE_ICON::REC, MODE_LOOK::ACTIVE); }

const ICON* pModeIcon(MODE_ICON eIcon, MODE_LOOK eLook)
{
    static MADE_ICON* apIcons[12][3] = {};
    MADE_ICON*& p = apIcons[(int)eIcon][(int)eLook];
    if (p == nullptr)
        p = pMake(16, 16, u8InkOf(eIcon, eLook), shapeOf(eIcon));
    return &p->icon;
}

} // namespace t_view_review
