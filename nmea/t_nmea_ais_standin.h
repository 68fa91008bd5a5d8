// STAND-IN for the NMEA task's AIS target pool, until the NMEA task and its
// AIS module are built: the pool's record types and the accessors that
// readers walk it with, over a list the tests fill. Replace this file with
// the real pool; the readers' calls stay as they are.
//
// Entries 0 .. count - 1 are in use, in ascending MMSI order. Readers hold
// RES_AIS_TARGETS while they walk the pool: an insert or a removal moves
// entries, so an entry's address means nothing once the mutex is released.
#pragma once

#include "kernel/l_types.h"

// Constants ---------------------------------------------------------------

constexpr MUTEX RES_AIS_TARGETS = 68;
constexpr U32 AIS_POOL_TARGETS = 500;

// Types -------------------------------------------------------------------

typedef enum tag_enValFlagIndex {
    MMSI_FLAG_INDEX = 0,
    LASTMSG_FLAG_INDEX = 1,
    NAVSTATUS_FLAG_INDEX = 2,
    ROT_FLAG_INDEX = 3,
    SOG_FLAG_INDEX = 4,
    COG_FLAG_INDEX = 5,
    POSACC_FLAG_INDEX = 6,
    SHIPPOS_FLAG_INDEX = 7, // latitude and longitude
    SHIPTYPE_FLAG_INDEX = 8,
    SHIPDIM_FLAG_INDEX = 9,
    TRUEHEAD_FLAG_INDEX = 10,
    UTCSEC_FLAG_INDEX = 11,
    ALTITUDE_FLAG_INDEX = 12,
    NAME_FLAG_INDEX = 13,
    IMO_FLAG_INDEX = 14,
    DEST_FLAG_INDEX = 15,
    ETA_FLAG_INDEX = 16,
    CALLSIGN_FLAG_INDEX = 17,
    DRAUGHT_FLAG_INDEX = 18,
    LAST_VALFLAG_INDEX = 19 // the count
} enValFlagIndex;

// One decoded target; the stand-in keeps the fields its readers use.
typedef struct tag_aisTargetINFO {
    S32 validTarget; // the record came from a successful conversion
    U32 MMSI;
    double Sog;       // knots
    double Latitude;  // degrees, north positive
    double Longitude; // degrees, east positive
    double Cog;       // degrees
    double CPA;       // nautical miles
    double TCPA;      // minutes
    U8 ShipType;
    U8 Name[21];
    S32 validityFlag[LAST_VALFLAG_INDEX];
} aisTargetINFO;

// One pool entry.
typedef struct tag_ais_DeviceInfo {
    aisTargetINFO aisInfo;
    S32 ReceiveLastTime; // "IDTM" seconds of the last message
    S32 bAisAlarmActive;
    S32 bAisAlarmCleared;
    char sAlarmString[21];
    BOOLEAN bStandinHasAlarm; // what T_NMEA_bAisHasAlarm answers
} ais_DeviceInfo;

// Accessors (caller holds RES_AIS_TARGETS) ---------------------------------

// TRUE and the entry's address while 0 <= index < the number of targets.
BOOLEAN T_NMEA_bScanAisPoints(S32 index, ais_DeviceInfo** ppTarget);
U32 T_NMEA_u32GetAisNumOfTargets(void);
// Removes the target at the index, the later ones moving down, when nothing
// came from it for 960 s by "IDTM" ("IDTM" missing: never); TRUE when it did.
BOOLEAN T_NMEA_bAisCheckTimeout(ais_DeviceInfo* pTarget, S32 index);
// Whether the target's closest approach raises the alarm.
BOOLEAN T_NMEA_bAisHasAlarm(ais_DeviceInfo* pTarget);

// Stand-in only: replaces the pool with the first count entries (at most
// AIS_POOL_TARGETS) of the list, taken in the order given.
void T_NMEA_AIS_STANDIN_vSetTargets(const ais_DeviceInfo* pTargets, U32 u32Count);
