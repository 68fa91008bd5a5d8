// STAND-IN for the NMEA task's GPS client calls that the factory test
// station uses, until the NMEA task is built: the reset mail goes out as
// the real call sends it, and the receiver's e-fuse answer texts are empty
// because nothing reads the receiver yet. Replace this file with the real
// calls; the callers stay as they are.
#pragma once

#include "kernel/l_mbox.h"
#include "kernel/l_types.h"

constexpr MBOX NMEA_MBOX = 19;

typedef enum tag_NMEA_RESET : int {
    NMEA_RESET_HOT = 0,
    NMEA_RESET_WARM = 1,
    NMEA_RESET_COLD = 2,
    NMEA_RESET_FACTORY = 3
} NMEA_RESET;

typedef enum tag_GPS_SOURCE_ID : int { ID_INTERNAL_GPS = 7 } GPS_SOURCE_ID;

// CMD_ID_NMEA_GPS_RESET, sent at mail priority 3 without a semaphore: the
// NMEA task frees it.
typedef struct tag_MSG_NMEA_GPS_RESET {
    GENERIC_MESSAGE Header;
    GPS_SOURCE_ID source;
    NMEA_RESET reset;
} MSG_NMEA_GPS_RESET;

// Mails the reset of the given kind for the source to the NMEA task.
void T_NMEA_vResetGPS(NMEA_RESET eReset, GPS_SOURCE_ID eSource);

// Copies the receiver's last e-fuse answer text (which 1: the OTP text,
// otherwise the LLC text) into pcBuffer, terminated; the caller's buffer
// holds at least NMEA_EFUSE_TEXT_BYTES.
constexpr U32 NMEA_EFUSE_TEXT_BYTES = 128;
void T_NMEA_vGetEfuseData(char* pcBuffer, U32 u32Which);

// The average carrier-to-noise value of a satellite from the receiver's
// test table; when the satellite is not there, a status from 996 up. With
// nothing reading the receiver yet, always "no data on the GPS port".
constexpr U32 NMEA_CNO_NO_GPS_DATA = 998;
U32 T_NMEA_u32GetAvgCnoValues(U32 u32Satellite);
