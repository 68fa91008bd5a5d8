// The navigation records: waypoint-table slots, routes, saved tracks with
// their step ring, and trolling-motor tracks, as the tables keep them in
// memory, and their little-endian byte layouts in the flash files.
//
// In memory the records are plain structs of whatever size the compiler
// gives them; on the medium each has a fixed layout, written and read field
// by field by the codecs below. Every codec carries every byte of its
// layout, reserved ones included, so a record read and written again keeps
// its bytes (a waypoint slot that holds a group record among them).
#pragma once

#include "kernel/l_types.h"

// Constants ---------------------------------------------------------------

constexpr U32 WAYPOINT_BYTES = 28;
constexpr U32 ROUTE_BYTES = 128;
constexpr U32 TRACK_HEADER_BYTES = 60;
constexpr U32 TRACK_BYTES = 131072;
constexpr U32 RUMBREL_HEADER_BYTES = 256;
constexpr U32 RUMBREL_BYTES = 3072;

constexpr U32 WAYPOINT_NAME_CHARS = 12;
constexpr U32 ROUTE_NAME_CHARS = 20;
constexpr U32 TRACK_NAME_CHARS = 20;
constexpr U32 RUMBREL_NAME_CHARS = 12;

constexpr U32 ROUTE_MAX_POINTS = 50;
constexpr U16 TRACK_DELTA_COUNT = 21835;  // steps in the ring
constexpr U16 TRACK_MAX_POINTS = 21836;   // the first point and one per step
constexpr U32 RUMBREL_MAX_POINTS = 352;

// Waypoint-slot status codes (bits 0-5 of the first byte).
constexpr U8 WP_STATUS_FREE = 0;
constexpr U8 WP_STATUS_PERMANENT = 1;
constexpr U8 WP_STATUS_TEMPORARY = 2;
constexpr U8 WP_STATUS_MOB = 3;
constexpr U8 WP_STATUS_GROUP_HEADER = 16;
constexpr U8 WP_STATUS_GROUP_BODY = 17;
constexpr U8 WP_STATUS_GROUP_WRITING = 63;

// Types -------------------------------------------------------------------

typedef struct tag_WAYPOINT {
    U8 u8Status : 6;
    U8 bHide : 1;
    U8 bWpNotShared : 1;
    U8 u8Icon;
    U16 u16Depth; // cm, 0 = none
    U32 u32DateTime;
    POINT pt;
    char sName[WAYPOINT_NAME_CHARS]; // NUL-padded, not always terminated
} WAYPOINT;
typedef WAYPOINT WAYPOINT_V1;
typedef WAYPOINT WAYPOINT_V2;

typedef struct tag_ROUTE_V3 {
    U32 nCount : 30;
    U32 bHide : 1;
    U32 bRtNotShared : 1;
    U32 u32DateTime;
    char sName[ROUTE_NAME_CHARS];
    U16 anWaypoint[ROUTE_MAX_POINTS]; // item ids; those from nCount on are ignored
} ROUTE_V3;
typedef ROUTE_V3 ROUTE;

typedef struct tag_TRACK_HEADER_V3 {
    U16 u16Count;      // 1 + steps in the ring, markers included; 0 = empty
    U16 u16FirstDelta; // ring position of the oldest step
    U32 u32DateTime;
    POINT ptFirst;
    POINT ptLast;
    POINT ptLowerLeft;
    POINT ptUpperRight;
    char sName[TRACK_NAME_CHARS];
} TRACK_HEADER_V3;
typedef TRACK_HEADER_V3 TRACK_HEADER;

typedef struct tag_TRACK_DELTA_DEPTH_TRIPLE {
    S16 x; // metres from the previous point
    S16 y;
    U16 u16Depth; // cm at this point
} TRACK_DELTA_DEPTH_TRIPLE;

// A track is its header followed by the ring, so a TRACK* is also the
// TRACK_HEADER* of the same track.
typedef struct tag_TRACK_V3 : TRACK_HEADER_V3 {
    TRACK_DELTA_DEPTH_TRIPLE aDelta[TRACK_DELTA_COUNT];
    U16 u16Reserved;
} TRACK_V3;
typedef TRACK_V3 TRACK;

typedef struct tag_RUMBREL_HEADER_V1 {
    U32 nCount; // 1-352 points; 0 = free slot
    U32 u32DateTime;
    char sName[RUMBREL_NAME_CHARS];
    U32 pad1;
    U32 u32Flags;
    U32 u32TotalLengthFt;
    U32 u32DateTimeLastUsed;
    U32 u32Visible;
    U32 u32Style;
    U32 u32Color;
    POINT ptLowerLeft;
    POINT ptUpperRight;
    U64 u64UID;
    U32 u32LastModifiedTimeNDate;
    U32 u32DisplayedOnChart;
    U32 u32ClosestTP;
    U32 u32ClosestDTG;
    U32 u32ClosestBRG;
    U32 u32MMCToRumbrelId;
    POINT ptOriginPt;
    U32 u32PointsHash;
    U8 pad[148];
} RUMBREL_HEADER_V1;
typedef RUMBREL_HEADER_V1 RUMBREL_HEADER;

typedef struct tag_RUMBREL_V1 : RUMBREL_HEADER_V1 {
    POINT aTrackPoints[RUMBREL_MAX_POINTS];
} RUMBREL_V1;
typedef RUMBREL_V1 RUMBREL;

typedef enum tag_TRACKPOINT_TYPE {
    TRACKPOINT_INVALID = 0, // past the end
    TRACKPOINT_NORMAL = 1,
    TRACKPOINT_GAP = 2 // the point starts a new segment
} TRACKPOINT_TYPE;

// Codecs: the layouts at their offsets, little-endian -----------------------

void T_NAV_RECORD_vEncodeWaypoint(const WAYPOINT* pRecord, U8* pu8Out);
void T_NAV_RECORD_vDecodeWaypoint(const U8* pu8In, WAYPOINT* pRecord);
void T_NAV_RECORD_vEncodeRoute(const ROUTE* pRecord, U8* pu8Out);
void T_NAV_RECORD_vDecodeRoute(const U8* pu8In, ROUTE* pRecord);
// The first 60 bytes of a track.
void T_NAV_RECORD_vEncodeTrackHeader(const TRACK_HEADER* pRecord, U8* pu8Out);
void T_NAV_RECORD_vDecodeTrackHeader(const U8* pu8In, TRACK_HEADER* pRecord);
void T_NAV_RECORD_vEncodeTrack(const TRACK* pRecord, U8* pu8Out);
void T_NAV_RECORD_vDecodeTrack(const U8* pu8In, TRACK* pRecord);
void T_NAV_RECORD_vEncodeRumbrel(const RUMBREL* pRecord, U8* pu8Out);
void T_NAV_RECORD_vDecodeRumbrel(const U8* pu8In, RUMBREL* pRecord);
