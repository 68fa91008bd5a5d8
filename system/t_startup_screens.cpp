// The start-up screens: the draw callbacks of the splash screen, the
// start-up menu, the chart disclaimer, the System Status page and the
// transducer-not-detected message. They run in the view task's thread and
// only read the start-up task's state and the data store; the owner text is
// split in a copy of its own each frame, so every frame shows the same
// lines.
#include "system/t_startup_internal.h"

#include "system/model.h"
#include "system/neighbour_standins.h"
#include "system/t_startup_edit.h"
#include "system/version.h"

#include "gmsg/t_ethernet_standin.h"
#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_image.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "store/h_database.h"
#include "ui/u_dialog.h"
#include "ui/u_menu.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE txtPressMenu = ALL_LANGUAGES("Press MENU for Startup Options");
TEXT_TABLE txtStartUpOptions = ALL_LANGUAGES("Start-Up Options");
TEXT_TABLE txtPressRight = ALL_LANGUAGES("Press Right Cursor Arrow to Select");
TEXT_TABLE txtNotConnected = ALL_LANGUAGES("Transducer not connected");
TEXT_TABLE txtBurnIn = ALL_LANGUAGES("Burn-In");
TEXT_TABLE txtWarning = ALL_LANGUAGES(
    "WARNING:  This electronic chart is an aid to navigation designed to facilitate the use of authorized "
    "government charts, not to replace them.");
TEXT_TABLE txtWarningDomestic = ALL_LANGUAGES(
    "WARNING:  All electronic chart data and features, from memory or third party digital media, are an aid to "
    "navigation designed to facilitate the use of authorized government charts, not to replace them.");
TEXT_TABLE txtOfficial = ALL_LANGUAGES(
    "Only official government charts and notices to mariners contain all of the current information needed for "
    "the safety of navigation, and the captain is responsible for their prudent use.");
TEXT_TABLE txtPressExit = ALL_LANGUAGES("Press EXIT to continue");
TEXT_TABLE txtSystemStatusTitle = ALL_LANGUAGES("SYSTEM STATUS");
TEXT_TABLE txtIPAddress = ALL_LANGUAGES("IP ADDRESS");
TEXT_TABLE txtMACAddress = ALL_LANGUAGES("MAC ADDRESS");
TEXT_TABLE txtVoltage = ALL_LANGUAGES("VOLTAGE");
TEXT_TABLE txtTotalTime = ALL_LANGUAGES("TOTAL TIME");
TEXT_TABLE txtVolts = ALL_LANGUAGES("V");
TEXT_TABLE txtHours = ALL_LANGUAGES("hrs");
TEXT_TABLE txtSoftwareVersion = ALL_LANGUAGES("SOFTWARE VERSION");
TEXT_TABLE txtSerial = ALL_LANGUAGES("S/N");
TEXT_TABLE txtPcbSerial = ALL_LANGUAGES("PCB S/N");
TEXT_TABLE txtSelfTestTitle = ALL_LANGUAGES("Self Test");
TEXT_TABLE txtPassed = ALL_LANGUAGES("PASSED");
#undef ALL_LANGUAGES

constexpr const char* NO_VALUE = "-----";
constexpr COLOR OWNER_TEXT_COLOR = 0xFEC0;
constexpr U32 OWNER_LINE_CHARS = 120;
constexpr U32 PARAGRAPH_BYTES = 512;
constexpr U32 BURN_IN_CHARS = 45;

const char* text(const TEXT_TABLE& t) { return t[nCurrentLanguage()]; }
COLOR colour(U32 u32Entry) { return gCOLOR_pcolColorTable[u32Entry]; }
const FONT_DEF* font11(void) { return std_11x14_font_def_ptr.load(); }
const FONT_DEF* font16(void) { return std_16x17_font_def_ptr.load(); }
S32 width(const FONT_DEF* pFont, const char* pc) { return (S32)G_STRING_u32GetWidth(pFont, (const BYTE*)pc); }
S32 height(const FONT_DEF* pFont) { return (S32)G_FONTS_u32GetHeight(pFont); }

void vText(BITMAP* pBitmap, const char* pc, const FONT_DEF* pFont, S32 x, S32 y, COLOR c)
{
    POINT p = {x, y};
    G_STRING_vPut(pBitmap, c, &p, pFont, (const BYTE*)pc);
}

// The text centred on column cx with its baseline at y.
void vCentred(BITMAP* pBitmap, const char* pc, const FONT_DEF* pFont, S32 cx, S32 y, COLOR c)
{
    vText(pBitmap, pc, pFont, cx - width(pFont, pc) / 2, y, c);
}

void vFill(BITMAP* pBitmap, COLOR c, S32 x, S32 y, S32 w, S32 h)
{
    if (w <= 0 || h <= 0)
        return;
    POINT p = {x, y};
    G_BOX_vDrawFilled(pBitmap, c, &p, (U32)w, (U32)h);
}

void vRounded(BITMAP* pBitmap, COLOR c, S32 x, S32 y, S32 w, S32 h, U32 r, bool bFilled)
{
    if (w <= 0 || h <= 0)
        return;
    POINT p = {x, y};
    if (bFilled)
        G_BOX_vDrawRoundedFilled(pBitmap, c, &p, (U32)w, (U32)h, r);
    else
        G_BOX_vDrawRounded(pBitmap, c, &p, (U32)w, (U32)h, r);
}

// The height a message block of the text takes at that width.
S32 blockHeight(const char* pc, const FONT_DEF* pFont, U32 u32Width)
{
    LINEOFTEXT aLines[20];
    const U16 n = U_DIALOG_u16ExtractTextIntoLines(pc, aLines, pFont, (U16)std::min<U32>(u32Width, 0xFFFF));
    return n * height(pFont) + 2;
}

bool bFetchS32(FOURCHARID fcid, S32* p) { return H_DATABASE_bFetchS32(fcid, p, nullptr, nullptr) != FALSE; }

} // namespace

void T_STARTUP_vDisplaySplashScreen(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    POINT origin = {0, 0};
    G_IMAGE_vPut(pBitmap, t_startup::pSplashImage(), &origin);
    S32 s32Language = 0;
    if (!bFetchS32(FCID("SLNG"), &s32Language))
        return;
    S32 s32Model = MODEL_UNKNOWN;
    if (!bFetchS32(FCID("SMDL"), &s32Model))
        s32Model = MODEL_UNKNOWN;

    const S32 W = (S32)pBitmap->pixels_wide;
    const S32 s32Bottom = (S32)U_DIALOG_u32DrawMessageBlock(pBitmap, text(txtPressMenu), font11(), 0,
                                                            JUSTIFICATION_CENTER, JUSTIFICATION_BOTTOM, &origin,
                                                            (U32)W, colour(199), colour(196));
    const IMAGE* pName = t_startup::pModelNameImage((U32)s32Model);
    if (pName == nullptr)
        return;
    POINT at = {(W - pName->s32Width) / 2, (827 - pName->s32Height) / 2};
    G_IMAGE_vPut(pBitmap, pName, &at);

    char acOwner[STARTUP_PERSONAL_BYTES + 1];
    t_startup::vCopyOwnerText(acOwner);
    acOwner[STARTUP_PERSONAL_BYTES] = '\0';
    const char* apLines[4] = {};
    const U32 n = T_STARTUP_u32SplitOwnerText(acOwner, STARTUP_PERSONAL_BYTES, apLines);
    const FONT_DEF* pFont = font16();
    const S32 h = height(pFont);
    const S32 d = (S32)G_FONTS_u32GetDescenderHeight(pFont);
    S32 y = s32Bottom + (at.y - s32Bottom) / 2 + d - (S32)n * h / 2;
    for (U32 i = n; i-- > 0;) {
        char acLine[OWNER_LINE_CHARS + 1];
        snprintf(acLine, sizeof acLine, "%s", apLines[i]);
        if (acLine[0] != '\0')
            vCentred(pBitmap, acLine, pFont, W / 2, y, OWNER_TEXT_COLOR);
        y += h;
    }
}

void T_STARTUP_vDisplayStartupMenu(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    const S32 W = (S32)pBitmap->pixels_wide;
    const S32 H = (S32)pBitmap->pixels_high;
    vFill(pBitmap, colour(77), 0, 0, W, H);

    POINT top = {0, pBitmap->s32ClipTop};
    const S32 s32Title = (S32)U_DIALOG_u32DrawMessageBlock(pBitmap, text(txtStartUpOptions), font11(), 0,
                                                           JUSTIFICATION_CENTER, JUSTIFICATION_TOP, &top, (U32)W,
                                                           colour(77), colour(78));
    const S32 s32TitleBottom = pBitmap->s32ClipTop + 1 - s32Title;

    // The hint, above the place of the transducer message.
    const char* pcHint = text(txtPressRight);
    const S32 s32HintWidth =
        std::max(W / 2 - 4, (S32)U_DIALOG_u32GetMaxWordLength(pcHint, font11()) + 4);
    const S32 s32HintHeight = blockHeight(pcHint, font11(), (U32)s32HintWidth);
    const S32 s32MessageHeight = blockHeight(text(txtNotConnected), font11(), (U32)W);
    const ICON* pIcon = t_startup::pCursorKeyIcon();
    const S32 s32IconWidth = (S32)G_ICON_u32GetWidth(pIcon);
    const S32 s32IconHeight = (S32)G_ICON_u32GetHeight(pIcon);
    const S32 s32HintBottom = s32MessageHeight + 4;
    S32 s32HintTop = s32HintBottom + s32HintHeight;
    if (s32IconWidth + 2 + s32HintWidth <= W) {
        const S32 s32Both = std::max(s32HintHeight, s32IconHeight);
        const S32 x = (W - (s32IconWidth + 2 + s32HintWidth)) / 2;
        POINT icon = {x, s32HintBottom + (s32Both - s32IconHeight) / 2};
        G_ICON_vPut(pBitmap, pIcon, &icon);
        POINT hint = {x + s32IconWidth + 2, s32HintBottom + (s32Both - s32HintHeight) / 2};
        U_DIALOG_u32DrawMessageBlock(pBitmap, pcHint, font11(), 0, JUSTIFICATION_CENTER, JUSTIFICATION_BOTTOM, &hint,
                                     (U32)s32HintWidth, colour(77), colour(78));
        s32HintTop = s32HintBottom + s32Both;
    } else {
        POINT hint = {2, s32HintBottom};
        U_DIALOG_u32DrawMessageBlock(pBitmap, pcHint, font11(), 0, JUSTIFICATION_CENTER, JUSTIFICATION_BOTTOM, &hint,
                                     (U32)std::min(s32HintWidth, W - 2), colour(77), colour(78));
    }

    if (!t_startup::bTransducerConnected()) {
        POINT bottom = {0, 0};
        U_DIALOG_u32DrawMessageBlock(pBitmap, text(txtNotConnected), font11(), 0, JUSTIFICATION_CENTER,
                                     JUSTIFICATION_BOTTOM, &bottom, (U32)W, colour(77), colour(78));
    }

    // The three rows, centred between title and hint.
    const FONT_DEF* pFont = font16();
    const S32 h = height(pFont);
    const S32 s32RowHeight = h + 16;
    const S32 s32Pitch = h + 26;
    S32 s32Widest = 0;
    for (S32 r = 0; r < 3; ++r)
        s32Widest = std::max(s32Widest, width(pFont, (*t_startup::pMenuRowText(r))[nCurrentLanguage()]));
    const S32 s32RowWidth = std::min(s32Widest + 72, W);
    const S32 x = (W - s32RowWidth) / 2;
    const S32 s32Block = 2 * s32Pitch + s32RowHeight;
    const S32 s32FirstTop = s32HintTop + (s32TitleBottom - s32HintTop + s32Block) / 2;
    const S32 s32Selected = t_startup::s32MenuLine();
    const S32 d = (S32)G_FONTS_u32GetDescenderHeight(pFont);
    for (S32 r = 0; r < 3; ++r) {
        const S32 y = s32FirstTop - r * s32Pitch - s32RowHeight;
        vRounded(pBitmap, colour(r == s32Selected ? 64 : 65), x, y, s32RowWidth, s32RowHeight, 6, true);
        vRounded(pBitmap, colour(67), x, y, s32RowWidth, s32RowHeight, 6, false);
        vRounded(pBitmap, colour(67), x + 1, y + 1, s32RowWidth - 2, s32RowHeight - 2, 5, false);
        if (r == s32Selected)
            U_MENU_vDrawControlAction(pBitmap, POINT{x, y}, 0, (U32)s32RowWidth, (U32)s32RowHeight);
        vText(pBitmap, (*t_startup::pMenuRowText(r))[nCurrentLanguage()], pFont, x + 13, y + 8 + d, colour(67));
    }
}

void T_STARTUP_vDisplayDisclaimer(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    const S32 W = (S32)pBitmap->pixels_wide;
    const S32 H = (S32)pBitmap->pixels_high;
    vFill(pBitmap, colour(76), 0, 0, W, H);
    if (t_startup::eDisclaimerState() == DISCLAIMER_FINISHED)
        return;
    vRounded(pBitmap, colour(199), 0, 0, W, H, 3, false);
    vRounded(pBitmap, colour(199), 4, 4, W - 8, H - 8, 2, false);

    char acParagraph[PARAGRAPH_BYTES];
    snprintf(acParagraph, sizeof acParagraph, "%s", text(MODEL_bDomesticModel() ? txtWarningDomestic : txtWarning));
    POINT first = {16, H * 3 / 4};
    U_DIALOG_u32DrawMessageBlock(pBitmap, acParagraph, font16(), 0, JUSTIFICATION_LEFT, JUSTIFICATION_CENTER, &first,
                                 (U32)(W - 24), colour(76), colour(78));
    snprintf(acParagraph, sizeof acParagraph, "     %s", text(txtOfficial));
    POINT second = {16, H / 3 - 10};
    U_DIALOG_u32DrawMessageBlock(pBitmap, acParagraph, font16(), 0, JUSTIFICATION_LEFT, JUSTIFICATION_CENTER, &second,
                                 (U32)(W - 24), colour(76), colour(78));
    POINT bottom = {0, 0};
    U_DIALOG_u32DrawMessageBlock(pBitmap, text(txtPressExit), font11(), 0, JUSTIFICATION_CENTER,
                                 JUSTIFICATION_BOTTOM, &bottom, (U32)W, colour(199), colour(196));
}

void T_STARTUP_vDrawTransducerNotDetected(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    const FONT_DEF* pFont = font16();
    char acText[BURN_IN_CHARS + 1];
    S32 s32Width = 0;
    if (t_startup::eState() == STATE_BURN_IN) {
        snprintf(acText, sizeof acText, "%s %s", text(txtBurnIn),
                 U_MOVINAND_pcGetMovinandStateText(U_MOVINAND_eGetMovinandState(0)));
        s32Width = width(pFont, acText) + 20;
    } else {
        snprintf(acText, sizeof acText, "%s", text(txtNotConnected));
        s32Width = width(pFont, acText) + 9;
    }
    s32Width = std::min(s32Width, (S32)pBitmap->pixels_wide - 10);
    U_DIALOG_vDrawDialog(pBitmap, acText, pFont, 0, (U16)std::max(s32Width, 0), nullptr, nullptr,
                         JUSTIFICATION_CENTER,
                         t_startup::bSystemStarted() ? JUSTIFICATION_CENTER : JUSTIFICATION_SCREEN_CENTER);
}

namespace {

constexpr S32 BOX_HEIGHT = 48;
constexpr S32 HALF_BOX = 384;
constexpr S32 WIDE_BOX = 788;
constexpr S32 LEFT_X = 6;
constexpr S32 RIGHT_X = 410;

// The core of the font (without the room for accents and descenders):
// the height the digits take above the baseline.
S32 digitHeight(const FONT_DEF* pFont) { return (S32)G_FONTS_u32GetCoreHeight(pFont); }

void vValueBox(BITMAP* pBitmap, S32 x, S32 y, S32 w)
{
    vRounded(pBitmap, colour(196), x, y, w, BOX_HEIGHT, 6, true);
}

// The label centred over its column with its baseline 52 pixels above the
// box bottom.
void vLabel(BITMAP* pBitmap, const char* pc, S32 cx, S32 y)
{
    vCentred(pBitmap, pc, font16(), cx, y + 52, colour(199));
}

// A number with a unit behind it, centred together in the box, baselines
// aligned.
void vNumberWithUnit(BITMAP* pBitmap, const char* pcNumber, const char* pcUnit, S32 x, S32 y, S32 w)
{
    const FONT_DEF* pBig = &f25x44_font_def;
    const S32 s32Total = width(pBig, pcNumber) + width(font11(), pcUnit);
    const S32 s32Baseline = y + (BOX_HEIGHT - digitHeight(pBig)) / 2;
    POINT p = {x + (w - s32Total) / 2, s32Baseline};
    G_STRING_vPut(pBitmap, colour(199), &p, pBig, (const BYTE*)pcNumber);
    G_STRING_vPut(pBitmap, colour(199), &p, font11(), (const BYTE*)pcUnit);
}

} // namespace

void T_STARTUP_vDrawSelfTestView(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    const S32 W = (S32)pBitmap->pixels_wide;
    const S32 H = (S32)pBitmap->pixels_high;
    vFill(pBitmap, colour(196), 0, 0, W, H);
    vFill(pBitmap, colour(196), 0, 105, 800, H - 105);

    vFill(pBitmap, colour(199), 0, H - 43, W, 43);
    vCentred(pBitmap, text(txtSystemStatusTitle), font16(), W / 2, H - 43 + 8, colour(196));

    const S32 s32PanelHeight = H - 157;
    vRounded(pBitmap, colour(198), 0, 105, 800, s32PanelHeight, 6, false);
    vRounded(pBitmap, colour(197), 1, 106, 798, s32PanelHeight - 2, 5, true);

    const FONT_DEF* pMid = &f18x32_font_def;
    const FONT_DEF* pBig = &f25x44_font_def;
    const S32 s32Pitch = 52 + height(font16()) + 8;
    char acValue[64];

    // Row 1: the addresses.
    S32 y = 108;
    vValueBox(pBitmap, LEFT_X, y, HALF_BOX);
    vValueBox(pBitmap, RIGHT_X, y, HALF_BOX);
    if (T_ETHERNET_bIsDynamic()) {
        if (T_ETHERNET_bIsAddressReady())
            T_ETHERNET_vGetIPAddress(acValue);
        else
            snprintf(acValue, sizeof acValue, "%s", NO_VALUE);
    } else {
        T_STARTUP_EDIT_vFormatAddress(FCID("SIPA"), acValue);
    }
    vCentred(pBitmap, acValue, pMid, LEFT_X + HALF_BOX / 2, y + 8, colour(199));
    T_STARTUP_EDIT_vFormatMACAddress(acValue);
    vCentred(pBitmap, acValue, pMid, RIGHT_X + HALF_BOX / 2, y + 8, colour(199));
    vLabel(pBitmap, text(txtIPAddress), LEFT_X + HALF_BOX / 2, y);
    vLabel(pBitmap, text(txtMACAddress), RIGHT_X + HALF_BOX / 2, y);

    // Row 2: voltage and operating hours; an unknown value stays empty.
    y += s32Pitch;
    vValueBox(pBitmap, LEFT_X + 1, y, HALF_BOX);
    vValueBox(pBitmap, RIGHT_X, y, HALF_BOX);
    float fVolts = 0.0f;
    if (H_DATABASE_bFetchFloat(FCID("IVLT"), &fVolts, nullptr, nullptr)) {
        snprintf(acValue, sizeof acValue, "%4.1f", (double)fVolts);
        vNumberWithUnit(pBitmap, acValue, text(txtVolts), LEFT_X + 1, y, HALF_BOX);
    }
    U32 u32Age = 0;
    if (H_DATABASE_bFetchU32(FCID("SAGE"), &u32Age, nullptr, nullptr)) {
        snprintf(acValue, sizeof acValue, "%4d", (int)(u32Age / 3600));
        vNumberWithUnit(pBitmap, acValue, text(txtHours), RIGHT_X, y, HALF_BOX);
    }
    vLabel(pBitmap, text(txtVoltage), LEFT_X + 1 + HALF_BOX / 2, y);
    vLabel(pBitmap, text(txtTotalTime), RIGHT_X + HALF_BOX / 2, y);

    // Row 3: the software version.
    y += s32Pitch;
    vValueBox(pBitmap, LEFT_X, y, WIDE_BOX);
    vCentred(pBitmap, VERSION_pversion_infoGetCurrentVersion()->version, pBig, LEFT_X + WIDE_BOX / 2,
             y + (BOX_HEIGHT - digitHeight(pBig)) / 2, colour(199));
    vLabel(pBitmap, text(txtSoftwareVersion), W / 2, y);

    // Row 4: the serial numbers.
    y += s32Pitch;
    vValueBox(pBitmap, LEFT_X, y, HALF_BOX);
    vValueBox(pBitmap, RIGHT_X, y, HALF_BOX);
    S32 a = 0, b = 0, c = 0;
    if (bFetchS32(FCID("SEDU"), &a)) {
        bFetchS32(FCID("SEIU"), &b);
        bFetchS32(FCID("SENU"), &c);
        snprintf(acValue, sizeof acValue, "%d%02d%04d", (int)a, (int)b, (int)c);
    } else {
        snprintf(acValue, sizeof acValue, "%s", NO_VALUE);
    }
    vCentred(pBitmap, acValue, pMid, LEFT_X + HALF_BOX / 2, y + 10, colour(199));
    if (bFetchS32(FCID("SEDB"), &b)) {
        a = 0;
        c = 0;
        bFetchS32(FCID("SEIB"), &a);
        bFetchS32(FCID("SETB"), &c);
        snprintf(acValue, sizeof acValue, "%02d%05d%04d", (int)a, (int)b, (int)c);
    } else {
        snprintf(acValue, sizeof acValue, "%s", NO_VALUE);
    }
    vCentred(pBitmap, acValue, pMid, RIGHT_X + HALF_BOX / 2, y + 10, colour(199));
    vLabel(pBitmap, text(txtSerial), LEFT_X + HALF_BOX / 2, y);
    vLabel(pBitmap, text(txtPcbSerial), RIGHT_X + HALF_BOX / 2, y);

    // Top: the self test and its result, down to the row-4 labels.
    const S32 s32PanelTop = 105 + s32PanelHeight - 1;
    const S32 h16 = height(font16());
    const S32 s32TitleBaseline = s32PanelTop - 2 * h16;
    vCentred(pBitmap, text(txtSelfTestTitle), font16(), W / 2, s32TitleBaseline, colour(199));
    const S32 s32BoxTop = s32TitleBaseline - 12;
    const S32 s32BoxBottom = y + 52 + h16 + 2;
    if (s32BoxTop > s32BoxBottom) {
        vRounded(pBitmap, colour(196), LEFT_X, s32BoxBottom, WIDE_BOX, s32BoxTop - s32BoxBottom, 6, true);
        vCentred(pBitmap, text(txtPassed), font11(), W / 2, s32BoxTop - height(font11()), colour(199));
    }
}
