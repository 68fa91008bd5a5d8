// The navigation settings and their defaults (see the header).
#include "nav/core/t_nav_settings.h"
#include "nav/core/t_nav_goto.h"

#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav.h"
#include "nav/core/t_nav_conf.h"
#include "nav/core/t_nav_route.h"
#include "nav/core/t_nav_state.h"
#include "nav/core/u_movinand_standin.h"
#include "nav/data/t_nav_card_standins.h"

#include "kernel/l_mutex.h"
#include "store/h_database.h"
#include "util/u_convert.h"

#include <atomic>

#define NAV_SETTINGS_ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE Chart_View_Name = NAV_SETTINGS_ALL_LANGUAGES("Chart View");
TEXT_TABLE Birds_Eye_View_Name = NAV_SETTINGS_ALL_LANGUAGES("Bird's Eye View");
TEXT_TABLE Chart_Pilot_Book_View_Name = NAV_SETTINGS_ALL_LANGUAGES("Chart/Pilot Book View");
TEXT_TABLE Chart_Birds_Eye_Combo_View_Name = NAV_SETTINGS_ALL_LANGUAGES("Chart/Bird's Eye Combo View");
TEXT_TABLE Chart_Chart_Combo_View_Name = NAV_SETTINGS_ALL_LANGUAGES("Chart/Chart Combo View");
TEXT_TABLE Chart_Sonar_Combo_View_Name = NAV_SETTINGS_ALL_LANGUAGES("Chart/Sonar Combo View");
TEXT_TABLE Chart_2D_Combo_View_Name = NAV_SETTINGS_ALL_LANGUAGES("Chart/2D Combo View");
TEXT_TABLE Chart_Down_Combo_View_Name = NAV_SETTINGS_ALL_LANGUAGES("Chart/Down Combo View");
TEXT_TABLE Chart_Side_Combo_View_Name = NAV_SETTINGS_ALL_LANGUAGES("Chart/Side Combo View");

namespace {

constexpr U32 CCST_POINT_OF_SALE = 6;
constexpr float OFFSET_SPEED_DEFAULT = 2.2352f; // 5 mph

std::atomic<NAV_DOMESTIC_MODEL_QUERY*> s_pfnDomesticModel{nullptr};

typedef enum tag_SETTING_FORMAT {
    SF_U32,
    SF_S32,
    SF_FLOAT,
    SF_BOOLEAN
} SETTING_FORMAT;

// One default. A D_DISTANCE float is given in metres for metric units and
// in feet for imperial ones; every other value is the same for both.
typedef struct tag_SETTING_ROW {
    FOURCHARID fcid;
    SETTING_FORMAT eFormat;
    double dMetric;
    double dImperial;
    DATA_TYPE eDataType;
    const TEXT_TABLE* pText;
} SETTING_ROW;

// "SUHD" to "SNUP", in this order.
const SETTING_ROW s_aFirstSettings[] = {
    {FCID("SUHD"), SF_U32, U_DEG_TRUE, U_DEG_TRUE, D_UNITS, nullptr},
    {FCID("SCOR"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNTI"), SF_S32, 1, 1, D_TIME, nullptr},
    {FCID("SNTD"), SF_FLOAT, 5, 16, D_DISTANCE, nullptr},
    {FCID("SNCR"), SF_FLOAT, 0, 0, D_DISTANCE, nullptr},
    {FCID("SNWP"), SF_BOOLEAN, FALSE, FALSE, D_UNKNOWN, nullptr},
    {FCID("SNWD"), SF_BOOLEAN, TRUE, TRUE, D_UNKNOWN, nullptr},
    {FCID("SSCW"), SF_U32, 266, 266, D_UNKNOWN, nullptr},
    {FCID("SSDW"), SF_U32, 266, 266, D_UNKNOWN, nullptr},
    {FCID("SNAO"), SF_FLOAT, 100, 300, D_DISTANCE, nullptr},
    {FCID("SNAA"), SF_FLOAT, 50, 150, D_DISTANCE, nullptr},
    {FCID("CNDA"), SF_FLOAT, 0, 0, D_DISTANCE, nullptr},
    {FCID("SDTM"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SCCP"), SF_U32, 1, 1, D_UNKNOWN, nullptr},
    {FCID("SPVO"), SF_BOOLEAN, TRUE, TRUE, D_UNKNOWN, nullptr},
    {FCID("SNGA"), SF_FLOAT, 0, 0, D_FLOAT, nullptr},
    {FCID("ITWP"), SF_U32, 0xFFFF, 0xFFFF, D_WAYPOINT, nullptr},
    {FCID("IGWP"), SF_U32, 0xFFFF, 0xFFFF, D_WAYPOINT, nullptr},
    {FCID("SNCM"), SF_BOOLEAN, FALSE, FALSE, D_UNKNOWN, nullptr},
    {FCID("SNUP"), SF_BOOLEAN, FALSE, FALSE, D_UNKNOWN, nullptr},
};

// "SDST" to "SNCL"; "INCN" follows at P_DEFAULT_SETTING always.
const SETTING_ROW s_aTimeAndScaleSettings[] = {
    {FCID("SDST"), SF_BOOLEAN, FALSE, FALSE, D_UNKNOWN, nullptr},
    {FCID("SLTZ"), SF_S32, -300, -300, D_UNKNOWN, nullptr},
    {FCID("SIDF"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SITF"), SF_U32, 3, 3, D_UNKNOWN, nullptr},
    {FCID("SIPF"), SF_U32, 6, 6, D_UNKNOWN, nullptr},
    {FCID("SNBS"), SF_S32, 18, 18, D_UNKNOWN, nullptr},
    {FCID("SNCS"), SF_S32, 17, 17, D_UNKNOWN, nullptr},
    {FCID("SNCL"), SF_S32, 17, 17, D_UNKNOWN, nullptr},
};

// Saved-track display, then the photo and 3D options.
const SETTING_ROW s_aDisplaySettings[] = {
    {FCID("SNTV"), SF_U32, 0xFFFFFFFFu, 0xFFFFFFFFu, D_UNKNOWN, nullptr},
    {FCID("SNV2"), SF_U32, 0xFFFFFFFFu, 0xFFFFFFFFu, D_UNKNOWN, nullptr},
    {FCID("SNS1"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNS2"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNS3"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNS4"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNS5"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNS6"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNS7"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNS8"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNC1"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNC2"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNC3"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNC4"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNC5"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNC6"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNC7"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNC8"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNRC"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNDC"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNDS"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SNDV"), SF_U32, 0xFFFFFFFFu, 0xFFFFFFFFu, D_UNKNOWN, nullptr},
    {FCID("SNCC"), SF_U32, 7, 7, D_UNKNOWN, nullptr},
    {FCID("SNCP"), SF_U32, 3, 3, D_UNKNOWN, nullptr},
};

// The availability flags, always at P_DEFAULT_SETTING: only the modules
// that find the overlay or the book may set them.
const SETTING_ROW s_aAvailabilityFlags[] = {
    {FCID("IPEN"), SF_BOOLEAN, FALSE, FALSE, D_UNKNOWN, nullptr},
    {FCID("IPPB"), SF_BOOLEAN, FALSE, FALSE, D_UNKNOWN, nullptr},
};

const SETTING_ROW s_aPhotoSettings[] = {
    {FCID("SPOT"), SF_U32, 60, 60, D_UNKNOWN, nullptr},
    {FCID("SPVT"), SF_U32, 1, 1, D_UNKNOWN, nullptr},
    {FCID("SPCO"), SF_U32, 0, 0, D_UNKNOWN, nullptr},
    {FCID("SP3E"), SF_BOOLEAN, TRUE, TRUE, D_UNKNOWN, nullptr},
    {FCID("SP23"), SF_BOOLEAN, FALSE, FALSE, D_UNKNOWN, nullptr},
    {FCID("SP3O"), SF_BOOLEAN, TRUE, TRUE, D_UNKNOWN, nullptr},
    {FCID("SPNI"), SF_BOOLEAN, FALSE, FALSE, D_UNKNOWN, nullptr},
    {FCID("SPRG"), SF_BOOLEAN, FALSE, FALSE, D_UNKNOWN, nullptr},
    {FCID("SPRB"), SF_BOOLEAN, FALSE, FALSE, D_UNKNOWN, nullptr},
};

typedef struct tag_VIEW_KEYS {
    FOURCHARID fcidEnable;
    BOOLEAN bEnabled;
    FOURCHARID fcidSplit; // 0: none
    const TEXT_TABLE* pName;
    const TEXT_TABLE* pSplitName;
} VIEW_KEYS;

const VIEW_KEYS s_aViewKeys[] = {
    {FCID("SVNA"), TRUE, 0, &Chart_View_Name, nullptr},
    {FCID("SVHI"), TRUE, 0, &Birds_Eye_View_Name, nullptr},
    {FCID("SVCH"), FALSE, FCID("SZCH"), &Chart_Pilot_Book_View_Name, &Chart_Pilot_Book_View_Name},
    {FCID("SVCB"), TRUE, FCID("SZCB"), &Chart_Birds_Eye_Combo_View_Name, &Chart_Birds_Eye_Combo_View_Name},
    {FCID("SVCC"), TRUE, FCID("SZCC"), &Chart_Chart_Combo_View_Name, &Chart_Chart_Combo_View_Name},
    {FCID("SVCO"), TRUE, FCID("SZCO"), &Chart_Sonar_Combo_View_Name, &Chart_2D_Combo_View_Name},
    {FCID("SVCQ"), TRUE, FCID("SZCD"), &Chart_Down_Combo_View_Name, &Chart_Down_Combo_View_Name},
    {FCID("SVCS"), TRUE, FCID("SZCS"), &Chart_Side_Combo_View_Name, &Chart_Side_Combo_View_Name},
};
constexpr S32 VIEW_SPLIT_DEFAULT = 50;

const FOURCHARID s_aChartOffsetFloats[] = {FCID("OSXS"), FCID("OSYS"), FCID("OSXL"),
                                           FCID("OSYL"), FCID("KSMC"), FCID("KSLC")};
const FOURCHARID s_aChartOffsetSigned[] = {FCID("KZMC"), FCID("KZLC"), FCID("KTMC"), FCID("KTLC")};

// The store's text type drops the const of the table's own type.
const char* (*pcTable(const TEXT_TABLE* pText))[DB_NUM_LANGUAGES]
{
    return const_cast<const char* (*)[DB_NUM_LANGUAGES]>(pText);
}

void vWrite(const SETTING_ROW& row, BOOLEAN bImperial, U32 u32Priority)
{
    const double dValue = bImperial ? row.dImperial : row.dMetric;
    auto* const pText = row.pText != nullptr ? pcTable(row.pText) : nullptr;
    switch (row.eFormat) {
    case SF_U32:
        H_DATABASE_bUpdateEverythingU32(row.fcid, (U32)dValue, u32Priority, row.eDataType, pText, DB_TIMEOUT_NEVER);
        break;
    case SF_S32:
        H_DATABASE_bUpdateEverythingS32(row.fcid, (S32)dValue, u32Priority, row.eDataType, pText, DB_TIMEOUT_NEVER);
        break;
    case SF_FLOAT: {
        double dInternal = dValue;
        if (row.eDataType == D_DISTANCE)
            dInternal = dConvertToInternal(dValue, D_DISTANCE, bImperial ? U_FEET : U_METRES);
        H_DATABASE_bUpdateEverythingFloat(row.fcid, (float)dInternal, u32Priority, row.eDataType, pText,
                                          DB_TIMEOUT_NEVER);
        break;
    }
    case SF_BOOLEAN:
        H_DATABASE_bUpdateEverythingBoolean(row.fcid, dValue != 0 ? TRUE : FALSE, u32Priority, row.eDataType,
                                            pText, DB_TIMEOUT_NEVER);
        break;
    }
}

template <size_t N>
void vWriteAll(const SETTING_ROW (&rows)[N], BOOLEAN bImperial, U32 u32Priority)
{
    for (const SETTING_ROW& row : rows)
        vWrite(row, bImperial, u32Priority);
}

BOOLEAN bPresentAndValid(FOURCHARID fcid)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetch(fcid, nullptr, &bValid, nullptr) && bValid;
}

// The offset speed survives a start when it holds a valid value; it is
// rewritten at P_DEFAULT_SETTING so that it keeps its attributes.
void vOffsetSpeed(BOOLEAN bFactory, U32 u32Priority)
{
    float fSpeed = OFFSET_SPEED_DEFAULT;
    BOOLEAN bValid = FALSE;
    if (!bFactory && H_DATABASE_bFetchFloat(FCID("SNOS"), &fSpeed, &bValid, nullptr) && bValid)
        u32Priority = P_DEFAULT_SETTING;
    else
        fSpeed = OFFSET_SPEED_DEFAULT;
    H_DATABASE_bUpdateEverythingFloat(FCID("SNOS"), fSpeed, u32Priority, D_SPEED, nullptr, DB_TIMEOUT_NEVER);
}

// Vessel offset, auto zoom and auto range are user keys with no NVRAM
// default: written at P_NORMAL, at start only when they hold nothing.
void vUserKeys(BOOLEAN bFactory)
{
    if (bFactory || !bPresentAndValid(FCID("SVOS")))
        H_DATABASE_bUpdateEverythingU32(FCID("SVOS"), 0, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    if (bFactory || !bPresentAndValid(FCID("SAZM")))
        H_DATABASE_bUpdateEverythingBoolean(FCID("SAZM"), FALSE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    if (bFactory || !bPresentAndValid(FCID("SARS")))
        H_DATABASE_bUpdateEverythingBoolean(FCID("SARS"), FALSE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

// A store demonstration unit keeps its simulation start position through a
// factory reset; so does a unit whose system state is not known yet.
void vSimulationStart(BOOLEAN bFactory, BOOLEAN bImperial)
{
    U32 u32State = 0;
    const BOOLEAN bStateKnown = H_DATABASE_bFetchU32(FCID("CCST"), &u32State, nullptr, nullptr);
    const U32 u32Priority =
        bFactory && bStateKnown && u32State != CCST_POINT_OF_SALE ? (U32)P_NORMAL : (U32)P_DEFAULT_SETTING;
    S32 s32Lat = NAV_SIM_START_LAT_METRIC;
    S32 s32Lon = NAV_SIM_START_LON_METRIC;
    if (bImperial) {
        const BOOLEAN bLakes = U_MOVINAND_eGetMovinandState(0) == MOVINAND_STATE_VARNEL;
        s32Lat = bLakes ? NAV_SIM_START_LAT_LAKES : NAV_SIM_START_LAT_COAST;
        s32Lon = bLakes ? NAV_SIM_START_LON_LAKES : NAV_SIM_START_LON_COAST;
    }
    H_DATABASE_bUpdateEverythingS32(FCID("SNLT"), s32Lat, u32Priority, D_POSITION_LAT_MM, nullptr,
                                    DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingS32(FCID("SNLN"), s32Lon, u32Priority, D_POSITION_LON_MM, nullptr,
                                    DB_TIMEOUT_NEVER);
}

void vViewKeys(U32 u32Priority)
{
    for (const VIEW_KEYS& v : s_aViewKeys) {
        H_DATABASE_bUpdateEverythingBoolean(v.fcidEnable, v.bEnabled, u32Priority, D_UNKNOWN, pcTable(v.pName),
                                            DB_TIMEOUT_NEVER);
        if (v.fcidSplit != 0)
            H_DATABASE_bUpdateEverythingS32(v.fcidSplit, VIEW_SPLIT_DEFAULT, u32Priority, D_UNKNOWN,
                                            pcTable(v.pSplitName), DB_TIMEOUT_NEVER);
    }
}

} // namespace

void T_NAV_vInstallDomesticModelQuery(NAV_DOMESTIC_MODEL_QUERY* pfnDomesticModel)
{
    s_pfnDomesticModel.store(pfnDomesticModel);
}

BOOLEAN T_NAV_bDomesticModel(void)
{
    NAV_DOMESTIC_MODEL_QUERY* const pfnDomestic = s_pfnDomesticModel.load();
    return pfnDomestic != nullptr && pfnDomestic() != 0 ? TRUE : FALSE;
}

void T_NAV_vSetDefaultSettings(BOOLEAN bForceFactoryDefaults)
{
    const BOOLEAN bFactory = bForceFactoryDefaults ? TRUE : FALSE;
    const U32 u32Priority = bFactory ? (U32)P_NORMAL : (U32)P_DEFAULT_SETTING;
    NAV_DOMESTIC_MODEL_QUERY* const pfnDomestic = s_pfnDomesticModel.load();
    const BOOLEAN bImperial = pfnDomestic != nullptr && pfnDomestic() != 0;

    if (bFactory) {
        H_DATABASE_bUpdateValueU32(FCID("SWDI"), 0, P_NORMAL);
        H_DATABASE_bUpdateValueBoolean(FCID("STOS"), FALSE, P_NORMAL);
    }

    vWriteAll(s_aFirstSettings, bImperial, u32Priority);
    vOffsetSpeed(bFactory, u32Priority);
    vUserKeys(bFactory);
    vWriteAll(s_aTimeAndScaleSettings, bImperial, u32Priority);
    H_DATABASE_bUpdateEverythingS32(FCID("INCN"), 16, P_DEFAULT_SETTING, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);

    vSimulationStart(bFactory, bImperial);

    vWriteAll(s_aDisplaySettings, bImperial, u32Priority);
    vWriteAll(s_aAvailabilityFlags, bImperial, P_DEFAULT_SETTING);
    vWriteAll(s_aPhotoSettings, bImperial, u32Priority);

    T_NAV_CONF_vReset(u32Priority);
    T_NAV_EDIT_vReset(u32Priority);
    T_NAV_GROUP_vReset(u32Priority);

    L_MUTEX_LockWait(RES_NAV_DATA);
    s_pEndNavigationComplete = nullptr;
    T_NAV_vEndNavigationNow();
    s_u16MOBWaypoint = NAV_NO_MOB_WAYPOINT;
    L_MUTEX_Unlock(RES_NAV_DATA);
    T_NAV_vRestoreAutoZoom();

    T_NAV_vRemoveGridNow();
    T_NAV_vRemoveTargetNow();

    vViewKeys(u32Priority);

    for (FOURCHARID fcid : s_aChartOffsetFloats)
        H_DATABASE_bUpdateValueFloat(fcid, 0.0f, P_NORMAL);
    for (FOURCHARID fcid : s_aChartOffsetSigned)
        H_DATABASE_bUpdateValueS32(fcid, 0, P_NORMAL);

    T_NAV_INFO_vReset();

    if (s_bTrackEnable)
        H_DATABASE_bUpdateValueBoolean(FCID("CTRE"), TRUE, P_NORMAL);
    else
        T_NAV_vStartTrack();
}
