// What the start-up screens read of the start-up task's state.
#pragma once

#include "store/lang.h"
#include "system/t_startup.h"

namespace t_startup {

SYSTEM_STATE eState(void);
BOOLEAN bTransducerConnected(void);
BOOLEAN bSystemStarted(void);
DISCLAIMER eDisclaimerState(void);
S32 s32MenuLine(void);
const TEXT_TABLE* pMenuRowText(S32 s32Row);
// The owner text and its terminator (STARTUP_PERSONAL_BYTES + 1 bytes).
void vCopyOwnerText(char* pcOut);

} // namespace t_startup

#include "graphics/g_icon.h"
#include "graphics/g_image.h"

namespace t_startup {

// The pictures of the screens; a model other than 409 or 410 has no name
// picture (null).
const IMAGE* pSplashImage(void);
const IMAGE* pModelNameImage(U32 u32Model);
const ICON* pCursorKeyIcon(void);
// The tab icons: 0 "Views", 1 "Alarms", 2 "Setup", 3 "Accessories".
const ICON* pTabIcon(U32 u32Tab);

} // namespace t_startup
