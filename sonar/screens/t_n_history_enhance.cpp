// The enhance dialogs of the imaging pictures: small panels over the sonar
// view in which the user tunes the Flankview, Keelview or 360 picture
// (sensitivity, contrast, sharpness and, for Flankview and 360, contour
// mode). The values live in data-store keys; the history task follows them
// to rebuild its grey-scale tables and filters, and its key handling
// changes them while a dialog holds the keys. Here: opening, drawing and
// closing.
//
// A dialog is open from its create action until it is closed, and while
// open it holds every key of the history task's mailbox. The Flankview and
// Keelview layouts are made once per process, the 360 layout again after a
// change of language. The open flags and active items are single words
// shared between the menu, history and view tasks.
#include "sonar/screens/t_n_history_imaging.h"

#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_state.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/l_sema.h"
#include "sonar/dsp/s_transducer_texts.h"
#include "store/h_database.h"
#include "store/lang.h"
#include "ui/t_menu.h"
#include "ui/u_keyboard.h"
#include "ui/u_menu.h"
#include "ui/u_view.h"

#include <algorithm>
#include <cstdio>

#define EVERY_LANGUAGE(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

using namespace t_n_history;

// ---- Shared state ----

std::atomic<S32> t_n_history::s_s32ActiveDialogItem{1};
std::atomic<S32> t_n_history::s_s32KvActiveDialogItem{1};
std::atomic<S32> t_n_history::s_s32ActiveSweepDialogItem{1};
std::atomic<BOOLEAN> t_n_history::s_bSweepEnhanceDialogActive{FALSE};
std::atomic<BOOLEAN> t_n_history::s_bSweepEnhanceModeNeedsInit{TRUE};

const FOURCHARID t_n_history::s_fcidFvEnhanceId[FV_ENHANCE_NUM_ITEMS] = {0, FCID("SSSS"), FCID("SSSN"), FCID("SSSL"),
                                                                        FCID("SITM")};
const FOURCHARID t_n_history::s_fcidKvEnhanceId[KV_ENHANCE_NUM_ITEMS] = {0, FCID("SDSS"), FCID("SDSN"),
                                                                        FCID("SDSL")};
const FOURCHARID t_n_history::s_fcidSweepEnhanceId[SWEEP_ENHANCE_NUM_ITEMS] = {0, FCID("SMSS"), FCID("SMSN"),
                                                                              FCID("SMSL"), FCID("SMTM")};

namespace {

// ---- Constants ----

constexpr U32 KEYS_ALL_BUT_CURSOR = 0xFFEF;
constexpr U32 KEY_CURSOR_MASK = 0x10;
constexpr U32 COLOR_BODY = 129;
constexpr U32 COLOR_BAR = 128;
constexpr U32 COLOR_INK = 131;
constexpr S32 BOX_HEIGHT = 18;
constexpr S32 ROW_PITCH = 21;
constexpr U32 ARROW_SIZE = 14;
constexpr U32 LEVEL_LOWEST = 1;
constexpr U32 LEVEL_HIGHEST = 20;
constexpr U32 SHARPNESS_HIGHEST = 3;

TEXT_TABLE txtContrast = EVERY_LANGUAGE("Contrast");
TEXT_TABLE txtSharpness = EVERY_LANGUAGE("Sharpness");
TEXT_TABLE txtContourMode = EVERY_LANGUAGE("Contour Mode");
TEXT_TABLE txtMed = EVERY_LANGUAGE("Med");

// ---- Value texts ----

typedef struct tag_FV_SHARPNESS_ITEM {
    const char* psSharpStr;
    U32 u32SharpStrLen;
} FV_SHARPNESS_ITEM;
typedef struct tag_FV_CONTOUR_ITEM {
    const char* psContourStr;
    U32 u32ContourStrLen;
} FV_CONTOUR_ITEM;
typedef FV_SHARPNESS_ITEM KV_SHARPNESS_ITEM;
typedef FV_CONTOUR_ITEM KV_CONTOUR_ITEM;

// One dialog's layout, made at its first draw.
struct LAYOUT {
    bool bReady;
    U32 u32Language;
    FV_SHARPNESS_ITEM aSharpness[4]; // Off, Low, Med, High
    FV_CONTOUR_ITEM aContour[2];     // Off, On
    const char* pszAuto;
    U32 u32AutoLen;
    const char* apszLabel[5]; // the title, then the items
    S32 s32BoxWidth;
    S32 s32Width;
    S32 s32Height;
    S32 s32TitleWidth;
    POINT anchor;
};

// What tells the three dialogs apart.
struct DIALOG {
    LAYER_ID layer;
    const TEXT_TABLE* pTitle;
    S32 s32Items;
    const FOURCHARID* pKeys;
    std::atomic<S32>* pActive;
    bool b360; // "Auto" for sensitivity 0, both arrows always, anchored at the left edge
    LAYOUT* pLayout;
};

LAYOUT s_FvLayout{};
LAYOUT s_KvLayout{};
LAYOUT s_SweepLayout{};

const DIALOG FV_DIALOG = {FV_ENHANCE_DIALOG_LAYER, &txtFVEnhance, 4, s_fcidFvEnhanceId, &s_s32ActiveDialogItem, false,
                          &s_FvLayout};
const DIALOG KV_DIALOG = {KV_ENHANCE_DIALOG_LAYER, &txtKVEnhance, 3, s_fcidKvEnhanceId, &s_s32KvActiveDialogItem,
                          false, &s_KvLayout};
const DIALOG SWEEP_DIALOG = {SWEEP_ENHANCE_DIALOG_LAYER, &txt360Enhance, 4, s_fcidSweepEnhanceId,
                             &s_s32ActiveSweepDialogItem, true, &s_SweepLayout};

const FONT_DEF* pFont(void) { return std_11x14_font_def_ptr.load(); }

U32 u32Width(const char* psz) { return G_STRING_u32GetWidth(pFont(), reinterpret_cast<const BYTE*>(psz)); }

const char* pszText(const TEXT_TABLE& table, U32 u32Language)
{
    return table[std::min<U32>(u32Language, DB_NUM_LANGUAGES - 1)];
}

COLOR colTable(U32 u32Entry) { return gCOLOR_pcolColorTable[u32Entry]; }

void vLayout(const DIALOG& d)
{
    LAYOUT& l = *d.pLayout;
    const U32 lang = nCurrentLanguage();
    l.u32Language = lang;
    const TEXT_TABLE* sharp[4] = {&txtOff, &txtLow, &txtMed, &txtHigh};
    for (U32 i = 0; i < 4; ++i)
        l.aSharpness[i] = {pszText(*sharp[i], lang), u32Width(pszText(*sharp[i], lang))};
    l.aContour[0] = {pszText(txtOff, lang), u32Width(pszText(txtOff, lang))};
    l.aContour[1] = {pszText(txtOn, lang), u32Width(pszText(txtOn, lang))};
    l.pszAuto = pszText(txtAuto, lang);
    l.u32AutoLen = u32Width(l.pszAuto);
    const TEXT_TABLE* labels[5] = {d.pTitle, &txtSensitivity, &txtContrast, &txtSharpness, &txtContourMode};
    for (U32 i = 0; i < 5; ++i)
        l.apszLabel[i] = pszText(*labels[i], lang);
    U32 widest = l.u32AutoLen;
    for (const FV_SHARPNESS_ITEM& s : l.aSharpness)
        widest = std::max(widest, s.u32SharpStrLen);
    for (const FV_CONTOUR_ITEM& c : l.aContour)
        widest = std::max(widest, c.u32ContourStrLen);
    l.s32BoxWidth = static_cast<S32>(widest) + 4;
    l.s32TitleWidth = static_cast<S32>(u32Width(l.apszLabel[0]));
    U32 label = static_cast<U32>(l.s32TitleWidth);
    for (S32 k = 1; k <= d.s32Items; ++k)
        label = std::max(label, u32Width(l.apszLabel[k]));
    l.s32Width = static_cast<S32>(label) + l.s32BoxWidth + 33;
    l.s32Height = d.s32Items == 3 ? 3 * BOX_HEIGHT + 16 : 4 * BOX_HEIGHT + 23;
    l.anchor = d.b360 ? POINT{0, 105} : POINT{400 - l.s32Width / 2, 105};
    l.bReady = true;
}

// An item's value; an unreadable key reads 0.
U32 u32Value(FOURCHARID fcid)
{
    U32 v = 0;
    if (!H_DATABASE_bFetchU32(fcid, &v, nullptr, nullptr))
        return 0;
    return v;
}

const char* pszValueText(const DIALOG& d, S32 k, U32 v, char* buffer, size_t size)
{
    const LAYOUT& l = *d.pLayout;
    switch (k) {
    case 1:
        if (d.b360 && v == 0)
            return l.pszAuto;
        [[fallthrough]];
    case 2:
        std::snprintf(buffer, size, "%02u", v);
        return buffer;
    case 3:
        return l.aSharpness[std::min(v, SHARPNESS_HIGHEST)].psSharpStr;
    default:
        return l.aContour[v != 0 ? 1 : 0].psContourStr;
    }
}

void vArrows(BITMAP* pBitmap, const DIALOG& d, S32 k, U32 v, S32 y)
{
    const LAYOUT& l = *d.pLayout;
    bool bLeft = true, bRight = true;
    if (!d.b360) {
        const U32 lowest = k <= 2 ? LEVEL_LOWEST : 0;
        const U32 highest = k <= 2 ? LEVEL_HIGHEST : k == 3 ? SHARPNESS_HIGHEST : 1;
        bLeft = v > lowest;
        bRight = k == 4 ? v == 0 : v < highest;
    }
    const COLOR ink = colTable(COLOR_INK);
    if (bLeft)
        U_MENU_vDrawArrowLeft(pBitmap, POINT{l.anchor.x + l.s32Width - 19 - l.s32BoxWidth, y}, ARROW_SIZE, ink);
    if (bRight)
        U_MENU_vDrawArrowRight(pBitmap, POINT{l.anchor.x + l.s32Width - 12, y}, ARROW_SIZE, ink);
}

void vRender(BITMAP* pBitmap, const DIALOG& d, bool bRelayout)
{
    if (pBitmap == nullptr)
        return;
    LAYOUT& l = *d.pLayout;
    if (!l.bReady || bRelayout)
        vLayout(d);
    const S32 ax = l.anchor.x, ay = l.anchor.y, w = l.s32Width, h = l.s32Height;
    const COLOR body = colTable(COLOR_BODY), bar = colTable(COLOR_BAR), ink = colTable(COLOR_INK);
    const auto box = [&](COLOR c, S32 x, S32 y, S32 bw, S32 bh, U32 r, bool bFilled) {
        const POINT pt{x, y};
        if (bFilled)
            G_BOX_vDrawRoundedFilled(pBitmap, c, &pt, static_cast<U32>(bw), static_cast<U32>(bh), r);
        else
            G_BOX_vDrawRounded(pBitmap, c, &pt, static_cast<U32>(bw), static_cast<U32>(bh), r);
    };
    const auto text = [&](const char* psz, S32 x, S32 y) {
        POINT pt{x, y};
        G_STRING_vPut(pBitmap, ink, &pt, pFont(), reinterpret_cast<const BYTE*>(psz));
    };

    // The body, the title bar over its top edge, and their double outlines.
    box(body, ax - 1, ay - 1, w + 2, h + 2, 6, true);
    box(bar, ax, ay + h - 3, w, 26, 5, true);
    box(ink, ax, ay, w, h, 5, false);
    box(ink, ax + 1, ay + 1, w - 2, h - 2, 3, false);
    box(ink, ax, ay + h - 3, w, 24, 5, false);
    box(ink, ax + 1, ay + h - 2, w - 2, 22, 3, false);
    text(l.apszLabel[0], ax + (w - l.s32TitleWidth) / 2, ay + h + 3);

    const S32 active = d.pActive->load();
    const S32 boxX = ax + w - 15 - l.s32BoxWidth;
    for (S32 k = 1; k <= d.s32Items; ++k) {
        const S32 y = ay + 7 + (d.s32Items - k) * ROW_PITCH;
        text(l.apszLabel[k], ax + 5, y);
        box(bar, boxX, y - 2, l.s32BoxWidth, BOX_HEIGHT, 3, true);
        box(ink, boxX, y - 2, l.s32BoxWidth, BOX_HEIGHT, 3, false);
        const U32 v = u32Value(d.pKeys[k]);
        char buffer[16];
        const char* psz = pszValueText(d, k, v, buffer, sizeof buffer);
        text(psz, boxX + (l.s32BoxWidth - static_cast<S32>(u32Width(psz))) / 2, y);
        if (k == active)
            vArrows(pBitmap, d, k, v, y);
    }
}

void vOpen(const DIALOG& d, std::atomic<BOOLEAN>& bActive, DRAW_FUNCTION* pfnRender)
{
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
    bActive = TRUE;
    U_KEYBOARD_bRegisterKeys(HISTORY_MAILBOX, KEYS_ALL_BUT_CURSOR, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY,
                             REGISTER_DIALOG_BOX);
    U_KEYBOARD_bRegisterKeys(HISTORY_MAILBOX, KEY_CURSOR_MASK, KEY_DOWN, TRUE, TRUE, CURSOR_4, REGISTER_DIALOG_BOX);
    U_VIEW_bRegisterLayer(pfnRender, d.layer, -1, 0, 0, TRUE, nullptr, nullptr, nullptr);
    T_MENU_vRemoveMenus();
}

void vClose(const DIALOG& d, std::atomic<BOOLEAN>& bActive)
{
    bActive = FALSE;
    U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, KEYS_ALL_BUT_CURSOR);
    U_KEYBOARD_bUnregisterKeys(HISTORY_MAILBOX, KEY_CURSOR_MASK);
    U_VIEW_bUnRegisterLayer(d.layer);
}

} // namespace

void T_N_HISTORY_vCreateFvEnhanceDialog(void) { vOpen(FV_DIALOG, s_bFvEnhanceDialogActive, T_N_HISTORY_vRenderFvEnhance); }

void T_N_HISTORY_vCreateKvEnhanceDialog(void) { vOpen(KV_DIALOG, s_bKvEnhanceDialogActive, T_N_HISTORY_vRenderKvEnhance); }

void T_N_HISTORY_vCreateSweepEnhanceDialog(void)
{
    vOpen(SWEEP_DIALOG, s_bSweepEnhanceDialogActive, T_N_HISTORY_vRenderSweepEnhance);
}

void T_N_HISTORY_vDestroySweepEnhanceDialog(void) { vClose(SWEEP_DIALOG, s_bSweepEnhanceDialogActive); }

void t_n_history::vDestroyFvEnhanceDialog(void) { vClose(FV_DIALOG, s_bFvEnhanceDialogActive); }

void t_n_history::vDestroyKvEnhanceDialog(void) { vClose(KV_DIALOG, s_bKvEnhanceDialogActive); }

void T_N_HISTORY_vRenderFvEnhance(BITMAP* pBitmap, WINDOW_SPECIFICATION*) { vRender(pBitmap, FV_DIALOG, false); }

void T_N_HISTORY_vRenderKvEnhance(BITMAP* pBitmap, WINDOW_SPECIFICATION*) { vRender(pBitmap, KV_DIALOG, false); }

// The 360 dialog follows a change of language, whether or not the history
// task has flagged it yet.
void T_N_HISTORY_vRenderSweepEnhance(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    const bool bRelayout = s_bSweepEnhanceModeNeedsInit.exchange(FALSE) || s_SweepLayout.u32Language != nCurrentLanguage();
    vRender(pBitmap, SWEEP_DIALOG, bRelayout);
}
