// The capture review's icons: arrows, the recording and wrong-size
// pictures, zoom and playback marks, the progress slider and the playback
// mode icons in their inactive, active and unavailable colours.
#pragma once

#include "graphics/g_icon.h"

namespace t_view_review {

enum class ARROW { UP, DOWN, LEFT, RIGHT };
const ICON* pArrowIcon(ARROW eArrow, bool bHighlighted);
const ICON* pRecordingIcon(void);
const ICON* pImproperScreenIcon(void);
const ICON* pZoomInIcon(void);
const ICON* pZoomOutIcon(void);
const ICON* pStartPlaybackIcon(void);
const ICON* pSliderIcon(void);
const ICON* pRecordReminderIcon(void);

// The playback mode icons.
enum class MODE_ICON { REW, REW1, REW2, PLAYREV, PLAYREWSLOW, PAUSE, PLAYSLOW, PLAY, FFW1, FFW2, REC, STOP };
enum class MODE_LOOK { INACTIVE, ACTIVE, NOT_AVAILABLE };
const ICON* pModeIcon(MODE_ICON eIcon, MODE_LOOK eLook);

} // namespace t_view_review
