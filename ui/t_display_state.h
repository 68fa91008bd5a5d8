// The state that the display task and its pop-up drawing share. Only the
// display task writes the flags and the highlight; the drawing, in the view
// task's thread, reads them, so they are atomics and a frame drawn while a
// key is handled shows either the old or the new highlight. The control
// records are refilled by every frame and stepped by the keys; both sides
// hold s_recordLock while they touch them, so a key always works on the
// record of the last frame drawn.
#pragma once

#include "ui/t_display.h"

#include <atomic>
#include <mutex>

namespace t_display {

extern std::atomic<BOOLEAN> s_bContrastMenuDisplayed;
extern std::atomic<POWER_KEY_MENU_ITEMS> s_bActiveMenuItem;
extern std::atomic<BOOLEAN> s_bPropMenuActive;
extern std::atomic<STEVRIN_NG_STATE> s_eMotorState;
extern std::atomic<STEVRIN_MOTOR_TYPE> s_eMotorType;

extern std::mutex s_recordLock;
extern M_SELECTION_BOX_PARAMETERS s_sPropOnOffParams;
extern M_SELECTION_BOX_PARAMETERS s_sSonarOnOffParams;
extern M_SELECTION_BOX_PARAMETERS s_sBoxParameters;
extern M_SELECTION_BOX_PARAMETERS s_sBMTStartStopParams;
extern M_SLIDER_PARAMETERS s_sPropThrustParams;

// The propeller speed's range: 0 to 10 in steps of 0.5, in every unit.
extern const MENU_LIMITS aThrustLimits[1];

// TRUE when the motor row is shown for a self-deploying motor in that
// state: stow when deployed or paused, deploy when stowed or paused, pause
// while deploying, stowing or in error.
bool bMotorRowApplies(POWER_KEY_MENU_ITEMS eRow, STEVRIN_NG_STATE eState);

} // namespace t_display
