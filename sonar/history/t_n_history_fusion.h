// The Keelview picture is made of two down-looking elements, the left one
// on beam 2 and the right one on beam 3; each Keelview column is one fused
// column of the two, narrower or wider by the beam-width setting "SDBW".
#pragma once

#include "kernel/l_types.h"

namespace t_n_history {

// out[i] = (b * max(L[i], R[i]) + a * min(L[i], R[i])) >> 8 over the height
// of beam 5's main window, with a = 256, 166 or 0 for "SDBW" 0, 1 or any
// other value (0 when the key cannot be read) and b = 256 - a. The output
// may be either input. While the 360 unit stands in for the side imaging it
// gives a picture only when deployed and looking sideways: otherwise the
// column is sample 0 and, when deployed, every beam-5 window is blanked.
// Without a beam-5 window, or with one of height 0 or above 600, nothing
// is written.
void vCombineKeelviewBeams(U8* u8LeftColumn, U8* u8RightColumn, U8* u8OutputColumn);
// The same over the height of a copy of beam 5's main window, for callers
// in the view task: the history task lays the live windows out under mutex
// 28 while they draw, and a frame works from the copy it took under it.
void vCombineKeelviewBeamsOfHeight(U8* u8LeftColumn, U8* u8RightColumn, U8* u8OutputColumn, U32 u32WindowHeight);

} // namespace t_n_history
