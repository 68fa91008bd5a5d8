// The navigation's readout boxes of the info rows: boxes that combine
// several values with labels, the name and icon of a waypoint, or a layout
// of their own (position, time, date).
//
// Every box is 158 x 101 pixels with its lower-left corner at the anchor.
// The navigation task publishes each one as a D_POINTER key whose text is
// the box's title; the info task lists them by that title and calls the
// function while it lays out a row. The three-row, time-only and
// waypoint-over-time-to-go boxes move the anchor on by 158 in a row laid
// out to the right.
//
// While the trolling motor navigates ("IPNO") some readouts have no
// meaning in its mode ("IPMD") and are given as "INVL", a key never
// written, which the value painter shows as missing.
//
// The functions run in the view task while it composes a frame; they only
// read the data store and, under RES_NAV_DATA, the navigation records.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "store/lang.h"
#include "ui/t_info.h"

constexpr S32 NAV_INFOBOX_WIDTH = 158;
constexpr S32 NAV_INFOBOX_HEIGHT = 101;
// The name a box reports on: 12 characters and the terminator.
constexpr U32 NAV_INFOBOX_NAME_BYTES = 13;

// The published boxes, in the order they are published.
typedef struct tag_NAV_INFOBOX_ENTRY {
    FOURCHARID fcid;
    const TEXT_TABLE* pTitle; // null: none
    INFO_BOX_RENDERING_FUNCTION* pfnRender;
} NAV_INFOBOX_ENTRY;
constexpr U32 NAV_INFOBOX_COUNT = 12;
extern const NAV_INFOBOX_ENTRY g_aNavInfoBoxes[NAV_INFOBOX_COUNT];

// Writes each published box's key (D_POINTER, its title, no time-out).
void T_NAV_INFOBOX_vPublish(void);

INFO_BOX_RENDERING_FUNCTION IBRF_vRenderPositionInfoBox;
INFO_BOX_RENDERING_FUNCTION IBRF_vRenderTimeDateInfoBox;
INFO_BOX_RENDERING_FUNCTION IBRF_vRenderTimeOnlyInfoBox;
INFO_BOX_RENDERING_FUNCTION IBRF_vRenderCrossTrackOverErrorDistanceToGoInfoBox;
INFO_BOX_RENDERING_FUNCTION IBRF_vRenderTimeToGoOverSpeedInfoBox;
INFO_BOX_RENDERING_FUNCTION IBRF_vRenderDistanceTraveledOverElapsedTimeInfoBox;
INFO_BOX_RENDERING_FUNCTION IBRF_vRenderDistanceToGoOverTimeToGoInfoBox;
INFO_BOX_RENDERING_FUNCTION IBRF_vRenderDistanceToGoOverEstimatedTimeArrivalInfoBox;
INFO_BOX_RENDERING_FUNCTION IBRF_vRenderDistanceToGoOverTimeToGoFinalInfoBox;
INFO_BOX_RENDERING_FUNCTION IBRF_vRenderDistanceToGoOverEstimatedTimeArrivalFinalInfoBox;
INFO_BOX_RENDERING_FUNCTION IBRF_vRenderCourseMadeGoodOverSpeedMadeGoodInfoBox;
INFO_BOX_RENDERING_FUNCTION IBRF_vRenderCurrentTrackOverCourseMadeGoodInfoBox;
// Published under no key: the destination's name and icon over its time to go.
INFO_BOX_RENDERING_FUNCTION IBRF_vRenderWayPointOverTimeToGoInfoBox;

// The name (and, when pu8WayPtIcon is not null, the icon) of the waypoint a
// box reports on: while navigating the destination, or the route's last
// point when bFinal; otherwise the trolling motor's own text in its track
// and contour modes, its position-hold waypoint in position hold, and an
// empty text in any other mode. pacStr holds NAV_INFOBOX_NAME_BYTES; the
// icon is left alone when no waypoint is named.
void T_NAV_INFOBOX_vGetStevrinActiveStr(char* pacStr, U8* pu8WayPtIcon, BOOLEAN bFinal);
