// Icons of the instrument bar's navigation strip and of the cursor
// readout that the user interface owns: the radar and waypoint cursors,
// the trolling motor's navigation marks (navigating, paused, the start and
// end of a track, recording) and the autopilot in its two styles.
//
// PLACEHOLDER art until the icon set lands: plain shapes in the icon
// section's colours (index 15 transparent), of the sizes the layout code
// measures. The chart cursor and the waypoint icons belong to the
// navigation core and reach the info code through its hooks.
#pragma once

#include "graphics/g_icon.h"

extern const ICON RadarCursor_icon;       // 31 x 31
extern const ICON Waypointcursor_icon;    // 31 x 31
extern const ICON StevrinNav_icon;        // 24 x 24
extern const ICON StevrinNavPaused_icon;  // 24 x 24
extern const ICON TrackStart_icon;        // 20 x 20
extern const ICON TrackEnd_icon;          // 20 x 20
extern const ICON TrackRecording_icon;    // 20 x 20
extern const ICON Autopilot_icon;         // 28 x 28
extern const ICON AutopilotLegacy_icon;   // 28 x 28
