// What the info task's formatting and drawing share with the task itself.
#pragma once

#include "ui/t_info.h"

namespace t_info {

// The installed hooks (all null until installed).
const T_INFO_NEIGHBOURS& neighbours(void);
// The transparency last chosen with T_INFO_vSetAlpha.
U8 alpha(void);
// The propeller animation frame, 0..2.
U32 propFrame(void);

} // namespace t_info
