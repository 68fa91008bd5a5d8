// STAND-INS of the snapshot, message and review neighbours (see the header).
#include "ui/t_view_capture_standins.h"

#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/g_fonts.h"
#include "graphics/u_fonts.h"
#include "store/h_database.h"
#include "ui/neighbour_standins.h"
#include "ui/t_view_state.h"
#include "ui/u_dialog.h"

#include <atomic>

namespace {

constexpr U32 COLOR_REVIEW_BACKGROUND = 34;
constexpr U32 CAPTION_MARGIN = 9;
constexpr U32 CAPTION_EDGE = 10;

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE Playback_Paused = ALL_LANGUAGES("Playback Paused");
TEXT_TABLE Sonar_Recording = ALL_LANGUAGES("Sonar Recording");
TEXT_TABLE Track_Recording = ALL_LANGUAGES("Track Recording");

THUMBNAIL_TYPE eNoEntry(char*, U32*) { return THUMBNAIL_NONE; }
U32 u32NoEntries(void) { return 0; }
BOOLEAN bNoPlayback(BOOLEAN, char*) { return FALSE; }
void vNothing(void) {}
void vNoSpeedState(BOOLEAN, BOOLEAN) {}
void vNoIcons(U32) {}
BOOLEAN bNoStep(U32) { return FALSE; }
void vNoLoad(THUMBNAIL_HEADER_TYPE*) {}
void vNoFlag(BOOLEAN) {}
void vNoStateWrites(SR_VIEW_STATE, SR_VIEW_STATE) {}

// A caption in a dialog box at the top, centred across the page.
void vDrawCaption(BITMAP* pBitmap, const char* pcText)
{
    const FONT_DEF* pFont = std_16x17_font_def_ptr.load();
    if (pBitmap == nullptr || pFont == nullptr || pcText == nullptr || *pcText == '\0')
        return;
    U32 u32Width = CAPTION_MARGIN;
    for (const char* p = pcText; *p != '\0'; ++p)
        u32Width += G_FONTS_u32GetWidth(pFont, (BYTE)*p);
    if (u32Width > pBitmap->pixels_wide - CAPTION_EDGE)
        u32Width = pBitmap->pixels_wide - CAPTION_EDGE;
    U_DIALOG_vDrawDialog(pBitmap, pcText, pFont, 0, (U16)u32Width, nullptr, nullptr, JUSTIFICATION_CENTER,
                         JUSTIFICATION_TOP);
}

bool bPausedPlayback(void)
{
    U32 u32Mode = 0;
    if (!H_DATABASE_bFetchU32(FCID("CPSP"), &u32Mode, nullptr, nullptr))
        return false;
    return u32Mode == 6 || u32Mode == 15 || u32Mode == 16;
}

void vDrawSimMessage(BITMAP* pBitmap, WINDOW_SPECIFICATION* pSpec)
{
    BOOLEAN bDemoTexts = FALSE;
    if (H_DATABASE_bFetchBoolean(FCID("CDSM"), &bDemoTexts, nullptr, nullptr) && bDemoTexts)
        return;
    if (!T_VIEW_bDisplaySimMessage())
        return;
    const TEXT_TABLE* pCaption = nullptr;
    for (const t_view::LAYER_ITEM* p = t_view::s_playerHeadPointer; p != nullptr; p = p->next) {
        if (p->layer != pSpec->currentLayer)
            continue;
        switch (t_view::u32CaptureSystemState()) {
        case STATE_POINT_OF_SALE:
            pCaption = p->pPOSString;
            break;
        case STATE_SIMULATION:
            pCaption = p->pSimString;
            break;
        default:
            pCaption = bPausedPlayback() ? &Playback_Paused : p->pPlaybackString;
            break;
        }
        break;
    }
    if (pCaption != nullptr)
        vDrawCaption(pBitmap, (*pCaption)[nCurrentLanguage()]);
}

void vDrawRecordingMessage(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    if (!T_VIEW_bDisplaySimMessage())
        return;
    if (T_VIEW_bShowSonarRecordingMessage())
        vDrawCaption(pBitmap, Sonar_Recording[nCurrentLanguage()]);
    else if (T_VIEW_bShowTrackRecordingMessage())
        vDrawCaption(pBitmap, Track_Recording[nCurrentLanguage()]);
}

void vDrawCaptureReviewView(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    T_VIEW_vSearchThumbnails();
    G_BMP_vSet(pBitmap, gCOLOR_pcolColorTable[COLOR_REVIEW_BACKGROUND]);
}

const T_VIEW_CAPTURE_NEIGHBOURS s_standIns = {
    eNoEntry,           eNoEntry,     eNoEntry,     eNoEntry,      eNoEntry,
    u32NoEntries,       bNoPlayback,  vDrawSimMessage, vDrawRecordingMessage, vDrawCaptureReviewView,
    vNothing,           vNoSpeedState, vNoIcons,    bNoStep,       vNoLoad,
    vNothing,           vNothing,     vNoStateWrites, vNothing,    vNoFlag,
    vNoFlag,            nullptr,
};

T_VIEW_CAPTURE_NEIGHBOURS s_merged = s_standIns;
std::atomic<const T_VIEW_CAPTURE_NEIGHBOURS*> s_pTable{&s_standIns};

template <typename F>
void take(F& field, F installed)
{
    if (installed != nullptr)
        field = installed;
}

} // namespace

void T_VIEW_vInstallCaptureNeighbours(const T_VIEW_CAPTURE_NEIGHBOURS* pTable)
{
    if (pTable == nullptr) {
        s_pTable = &s_standIns;
        return;
    }
    T_VIEW_CAPTURE_NEIGHBOURS merged = s_standIns;
    take(merged.eFindPreviousThumbNail, pTable->eFindPreviousThumbNail);
    take(merged.eFindNextThumbNail, pTable->eFindNextThumbNail);
    take(merged.eFindLastThumbNail, pTable->eFindLastThumbNail);
    take(merged.eFindPreviousThumbNailImage, pTable->eFindPreviousThumbNailImage);
    take(merged.eFindNextThumbNailImage, pTable->eFindNextThumbNailImage);
    take(merged.u32ThumbNailsInList, pTable->u32ThumbNailsInList);
    take(merged.bOpenPlaybackFile, pTable->bOpenPlaybackFile);
    take(merged.pfnDrawSimMessage, pTable->pfnDrawSimMessage);
    take(merged.pfnDrawRecordingMessage, pTable->pfnDrawRecordingMessage);
    take(merged.pfnDrawCaptureReviewView, pTable->pfnDrawCaptureReviewView);
    take(merged.vUpdateSnapshotMenu, pTable->vUpdateSnapshotMenu);
    take(merged.vUpdatePlaybackSpeedState, pTable->vUpdatePlaybackSpeedState);
    take(merged.vUpdateProgressIcons, pTable->vUpdateProgressIcons);
    take(merged.bUpdatePlaybackMode, pTable->bUpdatePlaybackMode);
    take(merged.vRequestThumbnailLoad, pTable->vRequestThumbnailLoad);
    take(merged.vLoadImageThumbnails, pTable->vLoadImageThumbnails);
    take(merged.vLoadFullViewImage, pTable->vLoadFullViewImage);
    take(merged.vSRViewStateChanging, pTable->vSRViewStateChanging);
    take(merged.vHandleMark, pTable->vHandleMark);
    take(merged.vToggleDisplayUpdateFreeze, pTable->vToggleDisplayUpdateFreeze);
    take(merged.vSetPOSMode, pTable->vSetPOSMode);
    take(merged.pAccessoriesTab, pTable->pAccessoriesTab);
    // Installed before the tasks run; the pointer moves only once the
    // copy is whole.
    s_merged = merged;
    s_pTable = &s_merged;
}

const T_VIEW_CAPTURE_NEIGHBOURS* T_VIEW_psCaptureNeighbours(void) { return s_pTable.load(); }
