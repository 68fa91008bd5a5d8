// The large navigation icons, indexed by a waypoint's icon number
// (NAV_ICON_TYPE, 0-71).
//
// PLACEHOLDER until the icon art lands: every entry is one 20 x 20 icon
// that draws nothing. Only its box is real to the code today: the
// declutter tables measure entry 0 to decide when two waypoints' icons
// collide.
#pragma once

#include "graphics/g_icon.h"

constexpr U32 NAV_ICON_COUNT = 72;

extern const ICON* const g_NAV_Icons_Large[NAV_ICON_COUNT];
