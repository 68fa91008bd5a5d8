// The state of one map being drawn or searched, as far as the geodesy reads
// it: whether a map is set up, and the display range its view computed. The
// vector chart engine owns the full record.
#pragma once

#include "kernel/l_types.h"

typedef struct tag_MAPHEADER2 {
    S32 iMapId; // -1 when no map is set up
} MAPHEADER2;

typedef struct tag_MAPVIEW2 {
    double fRange; // display range computed by the map view
} MAPVIEW2;

typedef struct tag_MAPCONTEXT2 {
    MAPHEADER2 sHeader;
    MAPVIEW2 sView;
} MAPCONTEXT2;
