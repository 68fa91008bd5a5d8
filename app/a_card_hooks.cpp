// The card task's stand-in and the capture review, wired into the sonar and
// the view task: the sonar's recording and playback calls go to the card
// task, and the view task's capture-review calls to the review screen and
// the card's list.
#include "app/a_hooks.h"

#include "media/t_mmc_standin.h"
#include "sonar/neighbour_standins.h"
#include "sonar/review/t_view_review.h"
#include "ui/t_view_capture_standins.h"

void A_HOOKS_vInstallCardAndReview(const TEXT_TABLE* pAccessoriesTab)
{
    T_MMC_vInstallSonarCalls(T_MMC_STANDIN_psSonarCalls());
    static T_VIEW_CAPTURE_NEIGHBOURS captureNeighbours{};
    captureNeighbours.eFindPreviousThumbNail = T_MMC_STANDIN_eFindPrevious;
    captureNeighbours.eFindNextThumbNail = T_MMC_STANDIN_eFindNext;
    captureNeighbours.eFindLastThumbNail = T_MMC_STANDIN_eFindLast;
    captureNeighbours.eFindPreviousThumbNailImage = T_MMC_STANDIN_eFindPreviousImage;
    captureNeighbours.eFindNextThumbNailImage = T_MMC_STANDIN_eFindNextImage;
    captureNeighbours.u32ThumbNailsInList = T_MMC_STANDIN_u32ThumbNailsInList;
    captureNeighbours.bOpenPlaybackFile = T_MMC_STANDIN_bOpenPlaybackFile;
    captureNeighbours.pfnDrawCaptureReviewView = T_VIEW_vDrawCaptureReviewView;
    captureNeighbours.vUpdateSnapshotMenu = T_VIEW_vUpdateSnapshotMenu;
    captureNeighbours.vUpdatePlaybackSpeedState = T_VIEW_vUpdatePlaybackSpeedState;
    captureNeighbours.vUpdateProgressIcons = T_VIEW_vUpdateProgressIcons;
    captureNeighbours.bUpdatePlaybackMode = T_VIEW_bUpdatePlaybackMode;
    captureNeighbours.vRequestThumbnailLoad = T_VIEW_vRequestThumbnailLoad;
    captureNeighbours.vLoadImageThumbnails = T_VIEW_vLoadImageThumbnails;
    captureNeighbours.vLoadFullViewImage = T_VIEW_vLoadFullViewImage;
    captureNeighbours.vSRViewStateChanging = T_VIEW_vSRViewStateChanging;
    captureNeighbours.pAccessoriesTab = pAccessoriesTab;
    T_VIEW_vInstallCaptureNeighbours(&captureNeighbours);
}
