// STAND-IN: see t_nmea_gps_standin.h.
#include "nmea/t_nmea_gps_standin.h"

#include "kernel/h_memory.h"

#include <cstring>

void T_NMEA_vResetGPS(NMEA_RESET eReset, GPS_SOURCE_ID eSource)
{
    auto* pMail = static_cast<MSG_NMEA_GPS_RESET*>(H_MEMORY_pvMalloc(sizeof(MSG_NMEA_GPS_RESET)));
    memset(static_cast<void*>(pMail), 0, sizeof *pMail);
    pMail->Header.Cmd = CMD_ID_NMEA_GPS_RESET;
    pMail->source = eSource;
    pMail->reset = eReset;
    if (L_MBOX_Send(NMEA_MBOX, &pMail->Header.msghdr, 3, 0) != 0)
        H_MEMORY_vFree(pMail);
}

void T_NMEA_vGetEfuseData(char* pcBuffer, U32 u32Which)
{
    (void)u32Which;
    if (pcBuffer != nullptr)
        pcBuffer[0] = '\0';
}

U32 T_NMEA_u32GetAvgCnoValues(U32 u32Satellite)
{
    (void)u32Satellite;
    return NMEA_CNO_NO_GPS_DATA;
}
