// State shared by the capture review's drawing and controls (the view
// task; the deletion requests are set by the menu actions).
#pragma once

#include "sonar/ping/t_n_ping.h" // PLAYBACK_MODE_TYPE
#include "sonar/review/t_view_review_icons.h"
#include "ui/t_view_capture.h"

#include <atomic>


namespace t_view_review {

// Deletions asked for by the menu actions, served by the next frame.
extern std::atomic<BOOLEAN> s_bDeleteAllImages;
extern std::atomic<BOOLEAN> s_bDeleteAllRecordings;
extern std::atomic<BOOLEAN> s_bDeleteCurrentImage;

// The statistics of the selected recording or the recording in progress
// are cleared on entering recording or playback.
void vClearStatistics(void);
// The nine mode icons for the playback mode.
void vChooseProgressIcons(U32 u32PlaybackMode);

} // namespace t_view_review
