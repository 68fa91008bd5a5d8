// The capture review's screen (see the header): the thumbnail column with
// its list upkeep and scroll bar, the full image, the information box and
// text, the progress bar and the card requests.
//
// The list is kept lazily by the draw callback: at start and after "delete
// all" it is searched from its first file, after a save from the newest
// file of the saved type. The three slots always show consecutive files,
// the selected one on top.
#include "sonar/review/t_view_review.h"
#include "sonar/review/t_view_review_state.h"

#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/g_box.h"
#include "graphics/g_buffers.h"
#include "graphics/g_icon.h"
#include "graphics/g_pixel.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "platform/h_display.h"
#include "store/h_database.h"
#include "ui/t_info.h"
#include "ui/t_view_capture_standins.h"
#include "ui/u_dialog.h"

#include <bit>
#include <cstdio>
#include <cstring>

namespace t_view_review {

std::atomic<BOOLEAN> s_bDeleteAllImages{FALSE};
std::atomic<BOOLEAN> s_bDeleteAllRecordings{FALSE};
std::atomic<BOOLEAN> s_bDeleteCurrentImage{FALSE};

} // namespace t_view_review

using namespace t_view_review;

namespace {

constexpr FOURCHARID KEY_TMMC = FCID("TMMC");
constexpr FOURCHARID KEY_CPSP = FCID("CPSP");
constexpr PRIORITY CARD_MAIL_PRIORITY = 3;

constexpr U32 C_TEXT = 32;
constexpr U32 C_TRACK = 33;
constexpr U32 C_BACKGROUND = 34;
constexpr U32 C_MESSAGE_BACK = 35;
constexpr U32 C_FRAME = 36;
constexpr U32 C_PLAYED = 39;
constexpr U32 C_BAR_SHADOW = 64;
constexpr U32 C_OTHER_FILES = 65;
constexpr U32 C_INFO_BOX = 128;
constexpr U32 C_FRAME_OTHER = 131;
constexpr U32 C_INFO_TEXT = 131;

constexpr S32 SLOT_X = 36;
constexpr S32 SLOT_Y[3] = {400, 200, 20};
constexpr S32 SLOT_W = 200;
constexpr S32 SLOT_H = 150;

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE No_Images_Found = ALL_LANGUAGES("No Images Found");
TEXT_TABLE Snapshot_and_Recording_View = ALL_LANGUAGES("Snapshot and Recording View");
TEXT_TABLE Current_Ping = ALL_LANGUAGES("Current Ping");
TEXT_TABLE Average_Ping = ALL_LANGUAGES("Average Ping");
TEXT_TABLE Remaining = ALL_LANGUAGES("Remaining");

// ---- Statistics ----
U32 s_u32TimeFromStartMs = 0;
U32 s_u32SizeFromStartKB = 0;
S32 s_s32RemainingTimeMs = 0;
U32 s_u32RemainingSizeKB = 0;
U32 s_u32TotalFileTimeMs = 0;
U32 s_u32TotalFileSizeKB = 0;
U32 s_u32TotalCardTimeMs = 0;
U32 s_u32TotalCardSizeKB = 0;
U32 s_u32AvailCardSizeKB = 0;
U32 s_u32CurPingPeriodMs = 0;
U32 s_u32AvgPingPeriodMs = 0;
bool s_bPositionValid = false;
double s_dLatitude = 0.0;
double s_dLongitude = 0.0;

// ---- Mode icons ----
const ICON* s_pProgressIcon[9] = {};
U32 s_u32ProgressIconWidth[9] = {};
U32 s_u32ModeBarWidthRow1 = 0;
U32 s_u32ModeBarWidthRow2 = 0;

COLOR col(U32 u32Index) { return gCOLOR_pcolColorTable[u32Index]; }

const FONT_DEF* pFont11(void) { return std_11x14_font_def_ptr.load(); }
const FONT_DEF* pFont16(void) { return std_16x17_font_def_ptr.load(); }

U32 u32Width(const FONT_DEF* pFont, const char* pc)
{
    return pFont != nullptr ? G_STRING_u32GetWidth(pFont, reinterpret_cast<const BYTE*>(pc)) : 0;
}

void vText(BITMAP* pBitmap, U32 u32Colour, S32 x, S32 y, const FONT_DEF* pFont, const char* pc)
{
    if (pFont == nullptr || pc == nullptr)
        return;
    POINT pt{x, y};
    G_STRING_vPut(pBitmap, col(u32Colour), &pt, pFont, reinterpret_cast<const BYTE*>(pc));
}

void vTextCentred(BITMAP* pBitmap, U32 u32Colour, S32 x, S32 y, const FONT_DEF* pFont, const char* pc)
{
    vText(pBitmap, u32Colour, x - (S32)u32Width(pFont, pc) / 2, y, pFont, pc);
}

void vTextRight(BITMAP* pBitmap, U32 u32Colour, S32 x, S32 y, const FONT_DEF* pFont, const char* pc)
{
    vText(pBitmap, u32Colour, x - (S32)u32Width(pFont, pc), y, pFont, pc);
}

void vBox(BITMAP* pBitmap, U32 u32Colour, S32 x, S32 y, U32 w, U32 h, bool bFilled = true)
{
    POINT pt{x, y};
    if (bFilled)
        G_BOX_vDrawFilled(pBitmap, col(u32Colour), &pt, w, h);
    else
        G_BOX_vDraw(pBitmap, col(u32Colour), &pt, w, h);
}

void vIcon(BITMAP* pBitmap, const ICON* pIcon, S32 x, S32 y)
{
    POINT pt{x, y};
    G_ICON_vPut(pBitmap, pIcon, &pt);
}

void vIconCentred(BITMAP* pBitmap, const ICON* pIcon, S32 cx, S32 cy)
{
    vIcon(pBitmap, pIcon, cx - pIcon->nWidth / 2, cy - pIcon->nHeight / 2);
}

T_VIEW_REVIEW review(void) { return T_VIEW_tReview(); }
const T_VIEW_CAPTURE_NEIGHBOURS& n(void) { return *T_VIEW_psCaptureNeighbours(); }

U32 u32Fetch(FOURCHARID key, U32 u32Default)
{
    U32 u32Value = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(key, &u32Value, &bValid, nullptr) || !bValid)
        return u32Default;
    return u32Value;
}

bool bFetchCardMailbox(MBOX* pMbox)
{
    U32 u32Mbox = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(KEY_TMMC, &u32Mbox, &bValid, nullptr) || !bValid || u32Mbox == 0 ||
        u32Mbox >= (U32)nmboxes)
        return false;
    *pMbox = (MBOX)u32Mbox;
    return true;
}

char* pcCopy(const char* pcName)
{
    const size_t n = strnlen(pcName, THUMBNAIL_NAME_BYTES - 1);
    char* pc = static_cast<char*>(H_MEMORY_pvMallocNoWait((U32)n + 1));
    if (pc != nullptr) {
        memcpy(pc, pcName, n);
        pc[n] = '\0';
    }
    return pc;
}

// A mail to the card task; nothing is sent when the key is absent, and the
// view frees what it could not send.
template <typename MAIL>
void vSend(MAIL* pMail)
{
    MBOX mbox = 0;
    if (bFetchCardMailbox(&mbox) && L_MBOX_Send(mbox, &pMail->header.msghdr, CARD_MAIL_PRIORITY, 0) == 0)
        return;
    if constexpr (requires { pMail->pcName; }) {
        if (pMail->pcName != nullptr)
            H_MEMORY_vFree(pMail->pcName);
    }
    H_MEMORY_vFree(pMail);
}

void vSendLoad(CMD_ID cmd, THUMBNAIL_HEADER_TYPE* pSlot)
{
    MBOX mbox = 0;
    if (!bFetchCardMailbox(&mbox))
        return;
    auto* pMail = static_cast<MSG_LOAD_THUMBNAIL*>(H_MEMORY_pvMallocNoWait(sizeof(MSG_LOAD_THUMBNAIL)));
    if (pMail == nullptr)
        return;
    memset(static_cast<void*>(pMail), 0, sizeof *pMail);
    pMail->header.Cmd = cmd;
    pMail->pcName = pcCopy(pSlot->sName);
    pMail->psSlot = pSlot;
    if (pMail->pcName == nullptr) {
        H_MEMORY_vFree(pMail);
        return;
    }
    vSend(pMail);
}

void vSendDelete(const char* pcName)
{
    auto* pMail = static_cast<MSG_DELETE_IMAGE*>(H_MEMORY_pvMallocNoWait(sizeof(MSG_DELETE_IMAGE)));
    if (pMail == nullptr)
        return;
    memset(static_cast<void*>(pMail), 0, sizeof *pMail);
    pMail->header.Cmd = CMD_ID_DELETE_IMAGE;
    snprintf(pMail->sName, sizeof pMail->sName, "%s", pcName);
    vSend(pMail);
}

void vEmpty(THUMBNAIL_HEADER_TYPE* p)
{
    p->eType = THUMBNAIL_NONE;
    p->sName[0] = '\0';
}

// Fills the slot from the find, starting at *pu32Position.
THUMBNAIL_TYPE eFill(THUMBNAIL_HEADER_TYPE* pSlot, THUMBNAIL_TYPE (*pfnFind)(char*, U32*), U32* pu32Position)
{
    char acName[THUMBNAIL_NAME_BYTES] = {};
    U32 u32Position = *pu32Position;
    const THUMBNAIL_TYPE e = pfnFind(acName, &u32Position);
    pSlot->eType = e;
    if (e == THUMBNAIL_NONE) {
        pSlot->sName[0] = '\0';
        return e;
    }
    acName[THUMBNAIL_NAME_BYTES - 1] = '\0';
    memcpy(pSlot->sName, acName, THUMBNAIL_NAME_BYTES);
    *pu32Position = u32Position;
    return e;
}

THUMBNAIL_TYPE ePeekPrevious(U32 u32Position)
{
    char acName[THUMBNAIL_NAME_BYTES] = {};
    return n().eFindPreviousThumbNail(acName, &u32Position);
}

// The newest file of a type: the last of that type in the list.
THUMBNAIL_TYPE eFindLatest(THUMBNAIL_TYPE eType, THUMBNAIL_HEADER_TYPE* pSlot, U32* pu32Position)
{
    U32 u32Position = 0;
    U32 u32Found = 0;
    char acName[THUMBNAIL_NAME_BYTES] = {};
    for (;;) {
        const THUMBNAIL_TYPE e = n().eFindNextThumbNail(acName, &u32Position);
        if (e == THUMBNAIL_NONE)
            break;
        if (e == eType)
            u32Found = u32Position;
    }
    if (u32Found == 0)
        return THUMBNAIL_NONE;
    U32 u32Before = u32Found - 1;
    const THUMBNAIL_TYPE e = eFill(pSlot, n().eFindNextThumbNail, &u32Before);
    *pu32Position = u32Before;
    return e;
}

// The middle and bottom slots after the top one, loaded.
void vFillBelowTop(void)
{
    const T_VIEW_REVIEW r = review();
    THUMBNAIL_SCROLL_INFO& s = *r.psScrollInfo;
    vEmpty(*r.ppsNextThumbnail);
    vEmpty(*r.ppsNextNextThumbnail);
    U32 u32Position = s.u32TopThumbNailPosition;
    if (eFill(*r.ppsNextThumbnail, n().eFindNextThumbNail, &u32Position) == THUMBNAIL_NONE)
        return;
    s.u32MiddleThumbNailPosition = u32Position;
    T_VIEW_vRequestThumbnailLoad(*r.ppsNextThumbnail);
    if (eFill(*r.ppsNextNextThumbnail, n().eFindNextThumbNail, &u32Position) == THUMBNAIL_NONE)
        return;
    s.u32BottomThumbNailPosition = u32Position;
    T_VIEW_vRequestThumbnailLoad(*r.ppsNextNextThumbnail);
}

void vDrawNoImages(BITMAP* pBitmap)
{
    const FONT_DEF* pFont = pFont16();
    if (pFont == nullptr)
        return;
    const char* pcText = No_Images_Found[nCurrentLanguage()];
    const U32 u32Box = u32Width(pFont, pcText) + 10;
    const POINT anchor{(S32)(pBitmap->pixels_wide - u32Box) / 2, (S32)pBitmap->pixels_high / 2};
    U_DIALOG_vDrawMessageBlockOutlined(pBitmap, pcText, pFont, 0, JUSTIFICATION_CENTER, JUSTIFICATION_BOTTOM, &anchor,
                                       u32Box, col(C_MESSAGE_BACK), col(C_TEXT), col(C_TEXT));
    const char* pcTitle = Snapshot_and_Recording_View[nCurrentLanguage()];
    vText(pBitmap, C_TEXT, (S32)(pBitmap->pixels_wide - 14 - u32Width(pFont, pcTitle)) / 2,
          (S32)G_FONTS_u32GetHeight(pFont) / 2 + 7, pFont, pcTitle);
}

// List upkeep; TRUE when there is no file to show.
bool bUpkeepList(BITMAP* pBitmap)
{
    const T_VIEW_REVIEW r = review();
    THUMBNAIL_SCROLL_INFO& s = *r.psScrollInfo;
    const THUMBNAIL_TYPE eLatest = r.peLatestThumbNailType->load();
    if (eLatest != THUMBNAIL_NONE) {
        if (eFindLatest(eLatest, *r.ppsCurrentThumbnail, &s.u32TopThumbNailPosition) == THUMBNAIL_NONE) {
            *r.pbInitialThumbNailSearch = TRUE;
        } else {
            T_VIEW_vRequestThumbnailLoad(*r.ppsCurrentThumbnail);
            vFillBelowTop();
            *r.pePreviousThumbNail = ePeekPrevious(s.u32TopThumbNailPosition);
            *r.pbInitialThumbNailSearch = FALSE;
        }
        *r.peLatestThumbNailType = THUMBNAIL_NONE;
        T_VIEW_vUpdateSnapshotMenu();
    }
    if (*r.pbInitialThumbNailSearch) {
        U32 u32Position = 0;
        if (eFill(*r.ppsCurrentThumbnail, n().eFindNextThumbNail, &u32Position) != THUMBNAIL_NONE) {
            s.u32TopThumbNailPosition = u32Position;
            T_VIEW_vRequestThumbnailLoad(*r.ppsCurrentThumbnail);
            vFillBelowTop();
            *r.pePreviousThumbNail = THUMBNAIL_NONE;
            *r.pbInitialThumbNailSearch = FALSE;
            T_VIEW_vUpdateSnapshotMenu();
        } else {
            vDrawNoImages(pBitmap);
            vEmpty(*r.ppsNextThumbnail);
            vEmpty(*r.ppsNextNextThumbnail);
            *r.pePreviousThumbNail = THUMBNAIL_NONE;
            T_VIEW_vUpdateSnapshotMenu();
            return true;
        }
    }
    return false;
}

void vLoadRecordingStatistics(const SONAR_RECORD_THUMB_HEADER* h)
{
    s_u32TimeFromStartMs = 0;
    s_u32SizeFromStartKB = 0;
    s_u32TotalFileTimeMs = h->u32TotalTimeMs;
    s_s32RemainingTimeMs = (S32)h->u32TotalTimeMs;
    s_u32CurPingPeriodMs = h->u32FirstPingPeriodMs;
    s_u32TotalFileSizeKB = (U32)((U64)h->u32NumberOfPings * h->u32PingSizeBytes / 1024);
    s_u32RemainingSizeKB = s_u32TotalFileSizeKB;
    s_u32AvgPingPeriodMs = T_VIEW_u32AveragePingPeriod(h);
}

void vDrawScrollBar(BITMAP* pBitmap)
{
    const T_VIEW_REVIEW r = review();
    THUMBNAIL_SCROLL_INFO& s = *r.psScrollInfo;
    vIcon(pBitmap, pArrowIcon(ARROW::UP, s.eScrollState == THUMBNAIL_SCROLL_STATE_UP), 6, 577);
    vIcon(pBitmap, pArrowIcon(ARROW::DOWN, s.eScrollState == THUMBNAIL_SCROLL_STATE_DOWN), 6, 6);
    vBox(pBitmap, C_TRACK, 7, 23, 19, 554);
    U32 u32Bottom = s.u32BottomThumbNailPosition;
    if (s.nThumbNailsDisplayed == 1)
        u32Bottom = s.u32TopThumbNailPosition;
    else if (s.nThumbNailsDisplayed == 2)
        u32Bottom = s.u32MiddleThumbNailPosition;
    const U32 u32Count = n().u32ThumbNailsInList();
    if (u32Count == 0)
        return;
    const S64 p = (S64)u32Bottom * 100 / u32Count;
    const S64 length = u32Count < 3 ? 55400 : (S64)(300 / u32Count) * 554;
    const S32 yBottom = (S32)((55400 - p * 554) / 100 + 23);
    S64 lengthPixels = length / 100;
    if (lengthPixels < 10)
        lengthPixels = 10;
    const bool bSelected =
        s.eScrollState == THUMBNAIL_SCROLL_STATE_UP || s.eScrollState == THUMBNAIL_SCROLL_STATE_DOWN;
    const U32 u32Piece = bSelected ? C_PLAYED : C_FRAME;
    vBox(pBitmap, u32Piece, 8, yBottom, 17, 5);
    for (S64 y = yBottom + 5; y <= yBottom - 5 + lengthPixels; ++y)
        vBox(pBitmap, u32Piece, 10, (S32)y, 13, 1);
    vBox(pBitmap, u32Piece, 8, (S32)(yBottom - 5 + lengthPixels), 17, 5);
}

void vServeDeletions(void)
{
    const T_VIEW_REVIEW r = review();
    THUMBNAIL_SCROLL_INFO& s = *r.psScrollInfo;
    if (s_bDeleteAllImages.exchange(FALSE)) {
        vEmpty(*r.ppsCurrentThumbnail);
        vEmpty(*r.ppsNextThumbnail);
        vEmpty(*r.ppsNextNextThumbnail);
        vSendDelete(DELETE_ALL_IMAGES);
    }
    if (s_bDeleteAllRecordings.exchange(FALSE)) {
        vEmpty(*r.ppsCurrentThumbnail);
        vEmpty(*r.ppsNextThumbnail);
        vEmpty(*r.ppsNextNextThumbnail);
        vSendDelete(DELETE_ALL_RECORDINGS);
    }
    if (!s_bDeleteCurrentImage.exchange(FALSE))
        return;
    THUMBNAIL_HEADER_TYPE* pOldTop = *r.ppsCurrentThumbnail;
    if (pOldTop->eType == THUMBNAIL_NONE)
        return;
    vSendDelete(pOldTop->sName);
    if ((*r.ppsNextThumbnail)->eType != THUMBNAIL_NONE) {
        // The ring moves up; the positions stay, the list having lost one.
        *r.ppsCurrentThumbnail = *r.ppsNextThumbnail;
        *r.ppsNextThumbnail = *r.ppsNextNextThumbnail;
        *r.ppsNextNextThumbnail = pOldTop;
        vEmpty(pOldTop);
        if ((*r.ppsNextThumbnail)->eType != THUMBNAIL_NONE) {
            // After the deletion the file after the new middle has the
            // bottom's old place.
            U32 u32Position = s.u32MiddleThumbNailPosition;
            if (eFill(pOldTop, n().eFindNextThumbNail, &u32Position) != THUMBNAIL_NONE) {
                s.u32BottomThumbNailPosition = s.u32MiddleThumbNailPosition + 1;
                T_VIEW_vRequestThumbnailLoad(pOldTop);
            }
        }
        T_VIEW_vUpdateSnapshotMenu();
    } else if (*r.pePreviousThumbNail != THUMBNAIL_NONE) {
        U32 u32Position = s.u32TopThumbNailPosition;
        eFill(pOldTop, n().eFindPreviousThumbNail, &u32Position);
        s.u32TopThumbNailPosition = u32Position;
        *r.pePreviousThumbNail = ePeekPrevious(u32Position);
        T_VIEW_vRequestThumbnailLoad(pOldTop);
        T_VIEW_vUpdateSnapshotMenu();
    } else {
        vEmpty(pOldTop);
        T_VIEW_vUpdateSnapshotMenu();
    }
}

// Values of the information text while recording or playing back.
void vRefreshLiveStatistics(SR_VIEW_STATE eState)
{
    // The position of the live values is not shown yet (see vDrawImageInfoText).
    s_bPositionValid = false;
    s_u32TimeFromStartMs = u32Fetch(FCID("CRTS"), 0);
    s_u32SizeFromStartKB = u32Fetch(FCID("CRBS"), 0) / 1024;
    const U32 u32BytesPerPeriod = u32Fetch(FCID("CRPB"), 0);
    s_u32CurPingPeriodMs = u32Fetch(FCID("CRCP"), 0);
    s_u32AvgPingPeriodMs = u32Fetch(FCID("CRAV"), 0);
    if (eState == SR_VIEW_PLAYBACK) {
        const U32 u32Mode = u32Fetch(KEY_CPSP, PLAYBACK_MODE_STOP);
        if ((u32Mode >= 2 && u32Mode <= 5) || u32Mode == 12) {
            s_s32RemainingTimeMs = (S32)s_u32TimeFromStartMs;
            s_u32RemainingSizeKB = s_u32SizeFromStartKB;
        } else {
            s_s32RemainingTimeMs = (S32)(s_u32TotalFileTimeMs - s_u32TimeFromStartMs);
            s_u32RemainingSizeKB = s_u32TotalFileSizeKB - s_u32SizeFromStartKB;
        }
    } else if (u32BytesPerPeriod != 0) {
        s_u32TotalCardSizeKB = *review().pu32TotalCardSizeKB;
        s_u32AvailCardSizeKB = *review().pu32AvailCardSizeKB;
        const double dMsPerKB = (double)s_u32AvgPingPeriodMs * 1024.0 / u32BytesPerPeriod;
        s_u32TotalCardTimeMs = (U32)(s_u32TotalCardSizeKB * dMsPerKB);
        const S64 s64Left = (S64)s_u32AvailCardSizeKB - s_u32SizeFromStartKB;
        s_s32RemainingTimeMs = (S32)(dMsPerKB * (double)s64Left);
        s_u32RemainingSizeKB = s64Left > 0 ? (U32)s64Left : 0;
    } else {
        s_u32TotalCardSizeKB = *review().pu32TotalCardSizeKB;
        s_u32AvailCardSizeKB = *review().pu32AvailCardSizeKB;
    }
}

void vFormatMinutes(U32 u32Ms, char* pc, size_t n)
{
    snprintf(pc, n, "%u:%02u", u32Ms / 60000, (u32Ms / 1000) % 60);
}

void vDrawThumbNail(BITMAP* pBitmap, const THUMBNAIL_HEADER_TYPE* pSlot, int nPlace, THUMBNAIL_TYPE ePrevious,
                    THUMBNAIL_TYPE eNext)
{
    const S32 y = SLOT_Y[nPlace];
    const U32 u32Frame = nPlace == 0 ? C_FRAME : C_FRAME_OTHER;
    const auto vOutlines = [&] {
        if (nPlace != 0)
            return;
        for (S32 i = 1; i <= 3; ++i)
            vBox(pBitmap, u32Frame, SLOT_X - i, y - i, (U32)(SLOT_W + 2 * i), (U32)(SLOT_H + 2 * i), false);
    };
    if (pSlot->eType == THUMBNAIL_RECORDING_TYPE) {
        vOutlines();
        const ICON* pIcon = pRecordingIcon();
        vIconCentred(pBitmap, pIcon, SLOT_X + SLOT_W / 2, y + SLOT_H / 2);
        const SONAR_RECORD_THUMB_HEADER* h = pSlot->recording;
        if (h != nullptr && h->RecordingStartWaypoint.sName[0] != '\0') {
            char acName[12] = {};
            snprintf(acName, sizeof acName, "%.11s", h->RecordingStartWaypoint.sName);
            if (char* pDot = strchr(acName, '.'))
                *pDot = '\0';
            vTextCentred(pBitmap, C_FRAME, SLOT_X + SLOT_W / 2, y + SLOT_H / 2 - pIcon->nHeight / 2 + 3, pFont11(),
                         acName);
        }
    } else if (pSlot->bWrongSizeThumbnail) {
        vOutlines();
        vIconCentred(pBitmap, pImproperScreenIcon(), SLOT_X + SLOT_W / 2, y + SLOT_H / 2);
    } else {
        vBox(pBitmap, u32Frame, 33, y - 3, 206, 156);
        if (pSlot->snapshot != nullptr) {
            for (S32 r = 0; r < SLOT_H; ++r)
                for (S32 c = 0; c < SLOT_W; ++c)
                    G_PIXEL_vPut(pBitmap, SLOT_X + c, y + r, pSlot->snapshot->ImageData[r * SLOT_W + c]);
        }
    }
    if (nPlace != 0)
        return;
    const T_VIEW_REVIEW r = review();
    const THUMBNAIL_SCROLL_INFO& s = *r.psScrollInfo;
    if (ePrevious != THUMBNAIL_NONE || s.u32TopThumbNailPosition == 1)
        vIcon(pBitmap, pArrowIcon(ARROW::UP, s.eScrollState == THUMBNAIL_SCROLL_STATE_UP), SLOT_X + SLOT_W / 2 - 8,
              y + 157);
    if (eNext != THUMBNAIL_NONE || s.u32TopThumbNailPosition == n().u32ThumbNailsInList())
        vIcon(pBitmap, pArrowIcon(ARROW::DOWN, s.eScrollState == THUMBNAIL_SCROLL_STATE_DOWN),
              SLOT_X + SLOT_W / 2 - 8, y - 7 - 16);
    if (!pSlot->bWrongSizeThumbnail) {
        const ICON* pRight = pArrowIcon(ARROW::RIGHT, s.eScrollState == THUMBNAIL_SCROLL_STATE_RIGHT);
        vIcon(pBitmap, pRight, 243, y + SLOT_H / 2 - 8);
        const ICON* pNext = pSlot->eType == THUMBNAIL_RECORDING_TYPE ? pStartPlaybackIcon() : pZoomInIcon();
        vIcon(pBitmap, pNext, 243 + pRight->nWidth + 4, y + SLOT_H / 2 - 8);
    }
}

void vDrawImageInfoBox(BITMAP* pBitmap, bool bTall)
{
    const S32 y = bTall ? 410 : 485;
    const U32 h = bTall ? 150 : 75;
    vBox(pBitmap, C_INFO_BOX, 310, y, 474, h);
    vBox(pBitmap, C_FRAME, 309, y - 1, 476, h + 2, false);
    vBox(pBitmap, C_FRAME, 308, y - 2, 478, h + 4, false);
    vBox(pBitmap, C_INFO_BOX, 307, y - 3, 480, h + 6, false);
    for (S32 rowTop : {485, 410}) {
        if (!bTall && rowTop == 410)
            continue;
        vBox(pBitmap, C_FRAME, 467, rowTop, 2, 75);
        vBox(pBitmap, C_FRAME, 625, rowTop, 2, 75);
    }
    if (bTall)
        for (S32 x : {312, 470, 628})
            vBox(pBitmap, C_FRAME, x, 484, 154, 2);
}

void vCell(BITMAP* pBitmap, int k, const char* pcUpper, const char* pcLower)
{
    const S32 x0 = 310 + 158 * (k % 3);
    const S32 y0 = 560 - 75 * (k / 3 + 1);
    const S32 cx = k == 0 ? 389 : x0 + 79;
    if (pcLower == nullptr) {
        vTextCentred(pBitmap, C_INFO_TEXT, cx, y0 + 28, pFont11(), pcUpper);
        return;
    }
    vTextCentred(pBitmap, C_INFO_TEXT, cx, y0 + 40, pFont11(), pcUpper);
    vTextCentred(pBitmap, C_INFO_TEXT, cx, y0 + 10, pFont11(), pcLower);
}

void vDrawImageInfoText(BITMAP* pBitmap, const THUMBNAIL_HEADER_TYPE* pSlot, SR_VIEW_STATE eState)
{
    const bool bLive = eState == SR_VIEW_RECORDING || eState == SR_VIEW_PLAYBACK;
    const bool bRecording = bLive || (pSlot != nullptr && pSlot->eType == THUMBNAIL_RECORDING_TYPE);
    char acName[32] = " ";
    bool bTimeValid = false;
    U32 u32DateTime = 0;
    bool bPositionValid = false;
    double dLat = 0.0, dLon = 0.0;
    const T_VIEW_REVIEW r = review();
    if (eState == SR_VIEW_RECORDING) {
        snprintf(acName, sizeof acName, "%.24s", r.psRecordFilename);
        bTimeValid = true;
        u32DateTime = *r.pu32RecordStartDateTime + s_u32TimeFromStartMs / 1000;
        bPositionValid = s_bPositionValid;
        dLat = s_dLatitude;
        dLon = s_dLongitude;
    } else if (eState == SR_VIEW_PLAYBACK) {
        if (pSlot != nullptr && pSlot->recording != nullptr)
            snprintf(acName, sizeof acName, "%.24s", pSlot->recording->RecordingStartWaypoint.sName);
        BOOLEAN bValid = FALSE;
        U32 u32Now = 0;
        bTimeValid = H_DATABASE_bFetchU32(FCID("IDTM"), &u32Now, &bValid, nullptr) && bValid;
        u32DateTime = u32Now;
        bPositionValid = s_bPositionValid;
        dLat = s_dLatitude;
        dLon = s_dLongitude;
    } else if (pSlot != nullptr) {
        snprintf(acName, sizeof acName, "%.24s", pSlot->sName);
        if (pSlot->eType == THUMBNAIL_IMAGE_TYPE && pSlot->snapshot != nullptr && pSlot->snapshot->Header.WaypointValid) {
            bTimeValid = true;
            u32DateTime = pSlot->snapshot->Header.Image_Waypoint.u32DateTime;
        } else if (pSlot->eType == THUMBNAIL_RECORDING_TYPE && pSlot->recording != nullptr &&
                   pSlot->recording->bWaypointValid) {
            bTimeValid = true;
            u32DateTime = pSlot->recording->RecordingStartWaypoint.u32DateTime;
        }
    }
    if (acName[0] == '\0')
        snprintf(acName, sizeof acName, " ");
    vCell(pBitmap, 0, acName, nullptr);
    char acTime[32] = " ", acDate[32] = " ";
    if (bTimeValid) {
        BOOLEAN bBlink = TRUE;
        T_INFO_vFormatTime((time_t)u32DateTime, TRUE, TRUE, acTime, acDate, &bBlink);
    }
    vCell(pBitmap, 1, acTime, acDate);
    char acLat[32] = " ", acLon[32] = " ";
    if (bPositionValid) {
        snprintf(acLat, sizeof acLat, "%c %.5f", dLat >= 0 ? 'N' : 'S', dLat >= 0 ? dLat : -dLat);
        snprintf(acLon, sizeof acLon, "%c %.5f", dLon >= 0 ? 'E' : 'W', dLon >= 0 ? dLon : -dLon);
    }
    vCell(pBitmap, 2, acLat, acLon);
    if (!bRecording)
        return;
    const int nLang = nCurrentLanguage();
    char acUpper[48], acLower[48];
    snprintf(acUpper, sizeof acUpper, "%s:", Current_Ping[nLang]);
    snprintf(acLower, sizeof acLower, "%u mS", s_u32CurPingPeriodMs);
    vCell(pBitmap, 3, acUpper, acLower);
    snprintf(acUpper, sizeof acUpper, "%s:", Average_Ping[nLang]);
    snprintf(acLower, sizeof acLower, "%u mS", s_u32AvgPingPeriodMs);
    vCell(pBitmap, 4, acUpper, acLower);
    snprintf(acUpper, sizeof acUpper, "%s:", Remaining[nLang]);
    T_VIEW_vFormatRemaining(s_s32RemainingTimeMs, s_u32RemainingSizeKB, acLower, sizeof acLower);
    vCell(pBitmap, 5, acUpper, acLower);
}

void vDrawRecordingInfo(BITMAP* pBitmap, SR_VIEW_STATE eState)
{
    const T_VIEW_REVIEW r = review();
    const THUMBNAIL_HEADER_TYPE* pTop = *r.ppsCurrentThumbnail;
    vDrawImageInfoBox(pBitmap, true);
    vDrawImageInfoText(pBitmap, pTop, eState);
    T_VIEW_vDrawProgressBar(pBitmap, pTop->eType, pTop);
    const ICON* pIcon = pRecordingIcon();
    vIconCentred(pBitmap, pIcon, SLOT_X + SLOT_W / 2, SLOT_Y[0] + SLOT_H / 2);
}

} // namespace

// ---- Statistics and icons shared with the controls ----

void t_view_review::vClearStatistics(void)
{
    s_u32TimeFromStartMs = 0;
    s_u32SizeFromStartKB = 0;
    s_s32RemainingTimeMs = 0;
    s_u32RemainingSizeKB = 0;
    s_u32TotalCardTimeMs = 0;
    s_u32TotalCardSizeKB = 0;
    s_u32AvailCardSizeKB = 0;
    s_bPositionValid = false;
}

void t_view_review::vChooseProgressIcons(U32 u32Mode)
{
    const MODE_ICON aeIcons[9] = {MODE_ICON::REW,      MODE_ICON::PLAYREV, MODE_ICON::PLAYREWSLOW,
                                  MODE_ICON::PAUSE,    MODE_ICON::PLAYSLOW, MODE_ICON::PLAY,
                                  MODE_ICON::FFW1,     MODE_ICON::REC,     MODE_ICON::STOP};
    for (int i = 0; i < 9; ++i)
        s_pProgressIcon[i] = pModeIcon(aeIcons[i], MODE_LOOK::INACTIVE);
    const auto active = [](int slot, MODE_ICON e) { s_pProgressIcon[slot] = pModeIcon(e, MODE_LOOK::ACTIVE); };
    switch (u32Mode) {
    case 2: active(0, MODE_ICON::REW2); break;
    case 3: active(0, MODE_ICON::REW1); break;
    case 4: active(1, MODE_ICON::PLAYREV); break;
    case 5: active(2, MODE_ICON::PLAYREWSLOW); break;
    case 6:
    case 12:
    case 15:
    case 16: active(3, MODE_ICON::PAUSE); break;
    case 7: active(4, MODE_ICON::PLAYSLOW); break;
    case 8: active(5, MODE_ICON::PLAY); break;
    case 9: active(6, MODE_ICON::FFW1); break;
    case 10: active(6, MODE_ICON::FFW2); break;
    case 13: active(8, MODE_ICON::STOP); break;
    case 14: active(7, MODE_ICON::REC); break;
    default: break;
    }
    if (u32Mode == 15)
        for (int i = 0; i < 3; ++i)
            s_pProgressIcon[i] = pModeIcon(aeIcons[i], MODE_LOOK::NOT_AVAILABLE);
    if (u32Mode == 16)
        for (int i = 4; i < 7; ++i)
            s_pProgressIcon[i] = pModeIcon(aeIcons[i], MODE_LOOK::NOT_AVAILABLE);
    s_u32ModeBarWidthRow1 = 156;
    s_u32ModeBarWidthRow2 = 26;
    for (int i = 0; i < 9; ++i) {
        s_u32ProgressIconWidth[i] = (U32)s_pProgressIcon[i]->nWidth;
        (i < 7 ? s_u32ModeBarWidthRow1 : s_u32ModeBarWidthRow2) += s_u32ProgressIconWidth[i];
    }
}

// ---- Texts ----

void T_VIEW_vFormatCardSize(U32 u32KB, char* pc, size_t n)
{
    if (u32KB < 102400)
        snprintf(pc, n, "%.1fMB", u32KB / 1024.0);
    else if (u32KB < 1048576)
        snprintf(pc, n, "%.0fMB", u32KB / 1024.0);
    else
        snprintf(pc, n, "%.1fGB", u32KB / 1048576.0);
}

void T_VIEW_vFormatRemaining(S32 s32Ms, U32 u32KB, char* pc, size_t n)
{
    const U32 u32Ms = s32Ms > 0 ? (U32)s32Ms : 0;
    char acSize[24];
    if (u32KB < 102400)
        snprintf(acSize, sizeof acSize, "-%.1fMB", u32KB / 1024.0);
    else if (u32KB < 1048576)
        snprintf(acSize, sizeof acSize, "-%.0fMB", u32KB / 1024.0);
    else
        snprintf(acSize, sizeof acSize, "-%.1fGB", u32KB / 1048576.0);
    snprintf(pc, n, "%u:%02u %s", u32Ms / 60000, (u32Ms / 1000) % 60, acSize);
}

U32 T_VIEW_u32AveragePingPeriod(const SONAR_RECORD_THUMB_HEADER* h)
{
    if (h->u32NumberOfPings == 0)
        return h->u32FirstPingPeriodMs;
    const U32 u32Beams = (U32)std::popcount(h->u32BeamMask);
    return (U32)((U64)h->u32TotalTimeMs * u32Beams / h->u32NumberOfPings);
}

// ---- Requests ----

std::recursive_mutex& T_VIEW_REVIEW_rmSlotLock(void)
{
    static std::recursive_mutex s_lock;
    return s_lock;
}

void T_VIEW_vRequestThumbnailLoad(THUMBNAIL_HEADER_TYPE* p)
{
    std::lock_guard<std::recursive_mutex> guard(T_VIEW_REVIEW_rmSlotLock());
    if (p == nullptr || p->eType == THUMBNAIL_NONE)
        return;
    p->bWrongSizeThumbnail = FALSE;
    p->u32CardSizeKB = 0;
    p->u32CardAvailableKB = 0;
    if (p->eType == THUMBNAIL_RECORDING_TYPE) {
        if (p->recording != nullptr) {
            p->recording->bWaypointValid = FALSE;
            p->recording->u32NumberOfPings = 0;
            p->recording->RecordingStartWaypoint.sName[0] = '\0';
        }
        vSendLoad(CMD_ID_LOAD_RECORDING, p);
    } else {
        if (p->snapshot != nullptr) {
            p->snapshot->Header.WaypointValid = FALSE;
            for (COLOR& c : p->snapshot->ImageData)
                c = col(C_BACKGROUND);
        }
        vSendLoad(CMD_ID_LOAD_THUMBNAIL, p);
    }
}

void T_VIEW_vLoadImageThumbnails(void)
{
    std::lock_guard<std::recursive_mutex> guard(T_VIEW_REVIEW_rmSlotLock());
    const T_VIEW_REVIEW r = review();
    vEmpty(*r.ppsNextThumbnail);
    vEmpty(*r.ppsNextNextThumbnail);
    if ((*r.ppsCurrentThumbnail)->eType == THUMBNAIL_NONE)
        return;
    T_VIEW_vRequestThumbnailLoad(*r.ppsCurrentThumbnail);
    vFillBelowTop();
}

void T_VIEW_vLoadFullViewImage(void)
{
    const T_VIEW_REVIEW r = review();
    const U32 u32Top = r.psScrollInfo->u32TopThumbNailPosition;
    char acName[THUMBNAIL_NAME_BYTES] = {};
    U32 u32Position = u32Top;
    *r.pePreviousThumbNailImage = n().eFindPreviousThumbNailImage(acName, &u32Position);
    *r.pePreviousThumbNail = ePeekPrevious(u32Top);
    BITMAP* pImage = r.ppFileImage->load();
    if (pImage == nullptr) {
        U32* pu32Page = H_DISPLAY_pu32GetDisplayBuffer();
        if (pu32Page == nullptr)
            return;
        pImage = G_BUFFERS_pCreateFullScreenBitmapHeader();
        if (pImage == nullptr) {
            H_DISPLAY_vFreeDisplayBuffer(pu32Page);
            return;
        }
        pImage->pBuffer = pu32Page;
        *r.ppFileImage = pImage;
    }
    MBOX mbox = 0;
    if (bFetchCardMailbox(&mbox)) {
        char acFile[THUMBNAIL_NAME_BYTES + 4] = {};
        snprintf(acFile, sizeof acFile, "%s", (*r.ppsCurrentThumbnail)->sName);
        if (char* pDot = strchr(acFile, '.'))
            *pDot = '\0';
        strncat(acFile, ".PNG", sizeof acFile - strlen(acFile) - 1);
        auto* pMail = static_cast<MSG_LOAD_BMP*>(H_MEMORY_pvMallocNoWait(sizeof(MSG_LOAD_BMP)));
        if (pMail != nullptr) {
            memset(static_cast<void*>(pMail), 0, sizeof *pMail);
            pMail->header.Cmd = CMD_ID_LOAD_BMP;
            pMail->pBitmap = pImage;
            pMail->pcName = pcCopy(acFile);
            pMail->u32RequestId = r.pu32LatestRequestID->fetch_add(1) + 1;
            pMail->pu32LatestRequestId = r.pu32LatestRequestID;
            if (pMail->pcName == nullptr)
                H_MEMORY_vFree(pMail);
            else
                vSend(pMail);
        }
    }
    T_VIEW_vUpdateSnapshotMenu();
}

// ---- Drawing ----

void T_VIEW_vDrawSnapshotRecordingBackground(BITMAP* pBitmap, U8 u8Mode)
{
    if (u8Mode & 1)
        G_BMP_vSet(pBitmap, col(C_BACKGROUND));
    if (u8Mode & 2) {
        for (S32 i = 0; i <= 4; ++i)
            vBox(pBitmap, C_FRAME, i, i, (U32)(800 - 2 * i), (U32)(600 - 2 * i), false);
        vBox(pBitmap, C_MESSAGE_BACK, 5, 5, 790, 590, false);
    }
}

void T_VIEW_vDrawSnapshotPreviewBorder(BITMAP* pBitmap) { T_VIEW_vDrawSnapshotRecordingBackground(pBitmap, 2); }

void T_VIEW_vDrawCaptureReviewView(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    std::lock_guard<std::recursive_mutex> guard(T_VIEW_REVIEW_rmSlotLock());
    const T_VIEW_REVIEW r = review();
    THUMBNAIL_SCROLL_INFO& s = *r.psScrollInfo;
    const SR_VIEW_STATE eState = T_VIEW_eGetSRViewState();
    switch (eState) {
    case SR_VIEW_FULLIMAGE: {
        BITMAP* pImage = r.ppFileImage->load();
        if ((*r.ppsCurrentThumbnail)->eType == THUMBNAIL_IMAGE_TYPE && pImage != nullptr)
            G_BMP_vCopyRegion(pImage, pBitmap, 0, 0, 800);
        else
            T_VIEW_vDrawSnapshotRecordingBackground(pBitmap, 1);
        T_VIEW_vDrawSnapshotRecordingBackground(pBitmap, 2);
        vIcon(pBitmap, pArrowIcon(ARROW::UP, s.eScrollState == THUMBNAIL_SCROLL_STATE_UP), 400 - 8, 593 - 16);
        vIcon(pBitmap, pArrowIcon(ARROW::DOWN, s.eScrollState == THUMBNAIL_SCROLL_STATE_DOWN), 400 - 8, 7);
        const ICON* pZoom = pZoomOutIcon();
        vIcon(pBitmap, pZoom, 7, 300 - pZoom->nHeight / 2);
        vIcon(pBitmap, pArrowIcon(ARROW::LEFT, s.eScrollState == THUMBNAIL_SCROLL_STATE_LEFT),
              7 + pZoom->nWidth + 2, 300 - 8);
        s.eScrollState = THUMBNAIL_SCROLL_STATE_NONE;
        return;
    }
    case SR_VIEW_RECORDING:
    case SR_VIEW_PLAYBACK:
        T_VIEW_vDrawSnapshotRecordingBackground(pBitmap, 3);
        vRefreshLiveStatistics(eState);
        vDrawRecordingInfo(pBitmap, eState);
        return;
    default:
        break;
    }
    T_VIEW_vDrawSnapshotRecordingBackground(pBitmap, 3);
    const bool bNoFile = bUpkeepList(pBitmap);
    THUMBNAIL_HEADER_TYPE* pTop = *r.ppsCurrentThumbnail;
    if (!bNoFile && pTop->eType == THUMBNAIL_RECORDING_TYPE && pTop->recording != nullptr)
        vLoadRecordingStatistics(pTop->recording);
    s.nThumbNailsDisplayed = 0;
    if (!bNoFile && pTop->eType != THUMBNAIL_NONE) {
        *r.pbAllDeleted = FALSE;
        ++s.nThumbNailsDisplayed;
        vDrawThumbNail(pBitmap, pTop, 0, *r.pePreviousThumbNail, (*r.ppsNextThumbnail)->eType);
        vDrawImageInfoBox(pBitmap, pTop->eType == THUMBNAIL_RECORDING_TYPE);
        vDrawImageInfoText(pBitmap, pTop, eState);
        T_VIEW_vDrawProgressBar(pBitmap, pTop->eType, pTop);
        for (int i = 1; i <= 2; ++i) {
            const THUMBNAIL_HEADER_TYPE* pSlot = i == 1 ? *r.ppsNextThumbnail : *r.ppsNextNextThumbnail;
            if (pSlot->eType == THUMBNAIL_NONE)
                break;
            ++s.nThumbNailsDisplayed;
            vDrawThumbNail(pBitmap, pSlot, i, THUMBNAIL_NONE, THUMBNAIL_NONE);
        }
    }
    if (s.nThumbNailsDisplayed > 0)
        vDrawScrollBar(pBitmap);
    else
        s.eScrollState = THUMBNAIL_SCROLL_STATE_NONE;
    vServeDeletions();
    if (*r.pbAllDeleted && !bNoFile && (*r.ppsCurrentThumbnail)->eType == THUMBNAIL_NONE)
        vDrawNoImages(pBitmap);
}

void T_VIEW_vDrawProgressBar(BITMAP* pBitmap, THUMBNAIL_TYPE eCurrent, const THUMBNAIL_HEADER_TYPE* pCurrent)
{
    const SR_VIEW_STATE eState = T_VIEW_eGetSRViewState();
    POINT pt{310, 13};
    G_BOX_vDrawRounded(pBitmap, col(C_TEXT), &pt, 478, 202, 3);
    pt = {311, 14};
    G_BOX_vDrawRounded(pBitmap, col(C_TEXT), &pt, 476, 200, 3);
    vBox(pBitmap, C_TRACK, 348, 70, 400, 22);
    vBox(pBitmap, C_BAR_SHADOW, 349, 68, 400, 22);
    vBox(pBitmap, C_TEXT, 349, 69, 399, 22);
    vBox(pBitmap, C_TEXT, 348, 57, 3, 11);
    vBox(pBitmap, C_TEXT, 746, 57, 3, 11);

    char acEndTime[16] = "", acCurrentTime[16] = "", acEndSize[16] = "", acCurrentSize[16] = "";
    double f = 0.0;
    bool bSlider = true;
    bool bModeIcons = false;
    if (eState == SR_VIEW_PLAYBACK) {
        vFormatMinutes(s_u32TotalFileTimeMs, acEndTime, sizeof acEndTime);
        vFormatMinutes(s_u32TimeFromStartMs, acCurrentTime, sizeof acCurrentTime);
        f = s_u32TotalFileTimeMs != 0 ? (double)s_u32TimeFromStartMs / s_u32TotalFileTimeMs : 0.0;
        vBox(pBitmap, C_PLAYED, 348, 70, (U32)(f * 401), 22);
        bModeIcons = true;
    } else if (eState == SR_VIEW_RECORDING) {
        T_VIEW_vFormatCardSize(s_u32TotalCardSizeKB, acEndSize, sizeof acEndSize);
        vFormatMinutes(s_u32TotalCardTimeMs, acEndTime, sizeof acEndTime);
        vFormatMinutes(s_u32TimeFromStartMs, acCurrentTime, sizeof acCurrentTime);
        snprintf(acCurrentSize, sizeof acCurrentSize, "%.1fMB", s_u32SizeFromStartKB / 1024.0);
        f = s_u32TotalCardSizeKB != 0 ? (double)s_u32SizeFromStartKB / s_u32TotalCardSizeKB : 0.0;
        vBox(pBitmap, C_FRAME, 348, 70, (U32)(f * 401), 22);
        if (s_u32TotalCardSizeKB != 0) {
            const double fAvail = (double)s_u32AvailCardSizeKB / s_u32TotalCardSizeKB;
            const S32 x = 348 + (S32)(fAvail * 401);
            if (x < 749)
                vBox(pBitmap, C_OTHER_FILES, x, 70, (U32)(749 - x), 22);
        }
        bModeIcons = true;
    } else if (eCurrent == THUMBNAIL_IMAGE_TYPE && pCurrent != nullptr) {
        T_VIEW_vFormatCardSize(pCurrent->u32CardSizeKB, acEndSize, sizeof acEndSize);
        f = pCurrent->u32CardSizeKB != 0 ? (double)pCurrent->u32CardAvailableKB / pCurrent->u32CardSizeKB : 0.0;
        bSlider = false;
        const S32 x = 348 + (S32)(f * 401);
        if (x < 749)
            vBox(pBitmap, C_FRAME, x, 70, (U32)(749 - x), 22);
    } else if (eCurrent == THUMBNAIL_RECORDING_TYPE) {
        vFormatMinutes(s_u32TotalFileTimeMs, acEndTime, sizeof acEndTime);
        snprintf(acCurrentTime, sizeof acCurrentTime, "0:00");
        bModeIcons = true;
    }
    const FONT_DEF* pFont = pFont11();
    const S32 c = pFont != nullptr ? (S32)(2 * G_FONTS_u32GetWidth(pFont, '0') + G_FONTS_u32GetWidth(pFont, ':') / 2) : 0;
    if (acEndTime[0] == '\0') {
        vTextCentred(pBitmap, C_TEXT, 350, 41, pFont, "0");
        vTextCentred(pBitmap, C_TEXT, 743, 41, pFont, acEndSize);
    } else {
        vTextRight(pBitmap, C_TEXT, 350 + c, 41, pFont, "0:00");
        vTextRight(pBitmap, C_TEXT, 749 + c, 41, pFont, acEndTime);
        if (acEndSize[0] != '\0')
            vTextRight(pBitmap, C_TEXT, 749 + c, 23, pFont, acEndSize);
    }
    if (bSlider) {
        vIconCentred(pBitmap, pSliderIcon(), 350 + (S32)(f * 399), 80);
        vTextRight(pBitmap, C_TEXT, 351 + c + (S32)(f * 401), 107, pFont, acCurrentTime);
        if (acCurrentSize[0] != '\0')
            vTextCentred(pBitmap, C_TEXT, 348 + (S32)(f * 401), 124, pFont, acCurrentSize);
    }
    if (!bModeIcons || s_pProgressIcon[0] == nullptr)
        return;
    S32 x = 348 + (S32)(401 - s_u32ModeBarWidthRow1) / 2;
    for (int i = 0; i < 7; ++i) {
        vIcon(pBitmap, s_pProgressIcon[i], x, 179);
        x += (S32)s_u32ProgressIconWidth[i] + 26;
    }
    x = 348 + (S32)(401 - s_u32ModeBarWidthRow2) / 2;
    for (int i = 7; i < 9; ++i) {
        vIcon(pBitmap, s_pProgressIcon[i], x, 149);
        x += (S32)s_u32ProgressIconWidth[i] + 26;
    }
}
