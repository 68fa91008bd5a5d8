// Setting profiles.
//
// Every table here is keyed by the settings the profiles own: a value is
// recorded into, switched from and restored to the place of the one key it
// belongs to. So the layer mask "SLAY" is recorded into the "SLAY" setting,
// the non-menu sonar settings are recorded under their own keys, the sonar
// list holds "SSSC" once (its second place, digits 49, holds no setting and
// is neither loaded, saved nor applied, so a switch cannot overwrite
// "SSSC" with a value nobody records), and the menu table carries only
// pairs a lookup can reach.
//
// Profile p (0-2) keeps setting s in the key "S", '1' + p, and the two
// digits of s.
#include "store/h_profile.h"

#include "store/h_database.h"

#include <array>
#include <mutex>

// Constants ---------------------------------------------------------------

namespace {

struct SETTING_DEF {
    FOURCHARID fcid;   // 0: the place holds no setting
    U32 u32Template;   // default before any snapshot
    U8 u8Digits;       // the last two characters of the profile key
};

constexpr std::array<SETTING_DEF, CHART_PROFILE_SETTINGS> s_ChartSettings = {{
    {FCID("SNWD"), 0, 1},           {FCID("SNCM"), 0, 2},  {FCID("SCLG"), 0, 3},  {FCID("SCSS"), 0, 4},
    {FCID("SCTC"), 0, 5},           {FCID("SNUP"), 0, 6},  {FCID("SAZM"), 0, 7},  {FCID("SARS"), 0, 8},
    {FCID("SLAY"), 0xFFFFFFFF, 9},  {FCID("SCOR"), 0, 10}, {FCID("SUHD"), 0, 11}, {FCID("SDTM"), 0, 12},
    {FCID("SCCP"), 0, 13},          {FCID("SCSN"), 0, 14}, {FCID("SCDL"), 0, 15}, {FCID("SCMB"), 0, 16},
    {FCID("SVOS"), 0, 17},          {FCID("SNGA"), 0, 18}, {FCID("SCSD"), 0, 19}, {FCID("SNOS"), 2, 20},
}};

constexpr std::array<SETTING_DEF, SONAR_PROFILE_SETTINGS> s_SonarSettings = {{
    {FCID("YTVG"), 0, 21}, {FCID("SSIN"), 0, 22}, {FCID("SSBL"), 0, 23}, {FCID("YSNF"), 0, 24},
    {FCID("YSMD"), 0, 58}, {FCID("YSWA"), 0, 59}, {FCID("SRPS"), 0, 25}, {FCID("YSFI"), 0, 26},
    {FCID("YSFS"), 0, 27}, {FCID("YUDP"), 0, 28}, {FCID("SSSP"), 0, 29}, {FCID("SSS2"), 0, 30},
    {FCID("SSQL"), 0, 31}, {FCID("SSBV"), 0, 32}, {FCID("SSZW"), 0, 33}, {FCID("SSDL"), 0, 34},
    {FCID("SSCL"), 0, 35}, {FCID("SSPL"), 0, 36}, {FCID("SSWV"), 0, 37}, {FCID("SSSS"), 0, 38},
    {FCID("SSSN"), 0, 39}, {FCID("SSSL"), 0, 40}, {FCID("SITM"), 0, 41}, {FCID("SSSC"), 0, 42},
    {FCID("SDSS"), 0, 43}, {FCID("SDSN"), 0, 44}, {FCID("SDSL"), 0, 45}, {FCID("SDSC"), 0, 47},
    {0, 0, 49},            {FCID("SSS8"), 0, 50}, {FCID("SSS4"), 0, 51}, {FCID("SSRW"), 0, 52},
    {FCID("YSSR"), 0, 53}, {FCID("YSLD"), 0, 54}, {FCID("YDPO"), 0, 55}, {FCID("SSUD"), 0, 56},
    {FCID("SSBR"), 0, 57},
}};

// Chart settings of each default snapshot, by setting number (1-20).
constexpr std::array<U8, 7> s_ChartDefaultNumbers = {3, 4, 10, 11, 12, 14, 15};
constexpr std::array<U8, 12> s_NavDefaultNumbers = {1, 2, 6, 7, 8, 9, 13, 16, 17, 18, 19, 20};
constexpr std::array<U8, 1> s_ChartLayerDefaultNumbers = {5};

constexpr std::array<FCID_MENU_PRIORITY_PAIR, 18> s_ChartMenuTable = {{
    {FCID("SNWD"), MENU_WAYPOINT_DECLUTTERING},
    {FCID("SNCM"), MENU_CONT_NAV_MODE},
    {FCID("SCLG"), MENU_LAT_LON_GRID},
    {FCID("SCSS"), MENU_SPOT_SOUNDINGS},
    {FCID("SCOR"), MENU_CHART_ORIENTATION},
    {FCID("SUHD"), MENU_NORTH_REFERENCE},
    {FCID("SDTM"), MENU_MAP_DATUM},
    {FCID("SCCP"), MENU_COURSE_PROJECTION_LINE},
    {FCID("SCSN"), MENU_NAVAIDS_ON_BIRDS_EYE_VIEW},
    {FCID("SCDL"), MENU_CHART_DETAIL_LEVEL},
    {FCID("SCMB"), MENU_MAP_BORDERS},
    {FCID("SNGA"), MENU_GRID_ROTATION},
    {FCID("SCSD"), MENU_SHADED_DEPTH},
    {FCID("SNUP"), MENU_NORTH_UP_INDICATOR},
    {FCID("SAZM"), MENU_AUTO_ZOOM},
    {FCID("SARS"), MENU_AUTO_RANGE},
    {FCID("SVOS"), MENU_VESSEL_OFFSET},
    {FCID("SNOS"), MENU_OFFSET_SPEED},
}};

constexpr std::array<FCID_MENU_PRIORITY_PAIR, 31> s_SonarMenuTable = {{
    {FCID("YTVG"), MENU_SONAR_TVG_SELECT},
    {FCID("SSIN"), MENU_SI_NAVIGATION},
    {FCID("SSBL"), MENU_SONAR_BOTTOM_LOCK_ZOOM},
    {FCID("YSNF"), MENU_NOISE_FILTER},
    {FCID("SRPS"), MENU_PING_RATE},
    {FCID("YSFI"), MENU_FISH_ID},
    {FCID("YSFS"), MENU_FISH_ID_SENSITIVITY},
    {FCID("YUDP"), MENU_UNITS_DEPTH},
    {FCID("SSSP"), MENU_SONAR_SPEED},
    {FCID("SSS2"), MENU_SENSITIVITY},
    {FCID("SSQL"), MENU_QUAD_LAYOUT},
    {FCID("SSBV"), MENU_BOTTOM_VIEW_XPRESS},
    {FCID("SSZW"), MENU_ZOOM_WIDTH_WINDOW},
    {FCID("SSDL"), MENU_DEPTH_LINES},
    {FCID("SSCL"), MENU_SURFACE_CLUTTER},
    {FCID("SSPL"), MENU_SONAR_COLORS},
    {FCID("SSWV"), MENU_SIDEBEAM_VIEW},
    {FCID("SSSS"), MENU_SIDESCAN_SENSITIVITY},
    {FCID("SSSS"), MENU_SIDESCAN_SENSITIVITY_CHART_PLUS_SI_VIEW},
    {FCID("SSSC"), MENU_SIDE_VIEW_SONAR_COLORS},
    {FCID("SDSS"), MENU_DOWNIMAGING_SENSITIVITY},
    {FCID("SSS8"), MENU_83KHZ_SENSITIVITY},
    {FCID("SSS4"), MENU_455KHZ_QB_SENSITIVITY},
    {FCID("SSRW"), MENU_RTS_WINDOW},
    {FCID("YSSR"), MENU_SIDEBEAM_RANGE},
    {FCID("YSLD"), MENU_LOWER_DEPTH},
    {FCID("YDPO"), MENU_DEPTH_OFFSET},
    {FCID("SSUD"), MENU_UPPER_DEPTH},
    {FCID("SSBR"), MENU_SONAR_ZOOM},
    {FCID("YSMD"), MENU_MAX_DEPTH_TO_PING},
    {FCID("YSWA"), MENU_WATER_TYPE},
}};

// Sonar settings recorded by their owners outside the menus.
constexpr std::array<FOURCHARID, 10> s_SonarNonMenuKeys = {
    FCID("YSWA"), FCID("YSMD"), FCID("SSSS"), FCID("SSSN"), FCID("SSSL"),
    FCID("SITM"), FCID("SDSS"), FCID("SDSN"), FCID("SDSL"), FCID("SDSC"),
};

} // namespace

// Statics -----------------------------------------------------------------

namespace {

template <typename PROFILE, size_t N>
PROFILE profileFromTemplate(const std::array<SETTING_DEF, N>& defs)
{
    PROFILE p = {};
    for (size_t i = 0; i < N; ++i) {
        p.Settings[i].fcid = defs[i].fcid;
        p.Settings[i].value.RawSlot = 0;
        p.Settings[i].value.RawData = defs[i].u32Template;
    }
    return p;
}

CHART_PROFILE_TYPE s_ChartProfileDefault = profileFromTemplate<CHART_PROFILE_TYPE>(s_ChartSettings);
SONAR_PROFILE_TYPE s_SonarProfileDefault = profileFromTemplate<SONAR_PROFILE_TYPE>(s_SonarSettings);
CHART_PROFILE_TYPE s_ChartProfiles[PROFILE_COUNT];
SONAR_PROFILE_TYPE s_SonarProfiles[PROFILE_COUNT];
// The tables are the menu task's, but the shutdown path reaches them from
// other tasks: every call takes this lock (before the store's).
std::mutex s_lock;
CHART_PROFILE_TYPE* s_pCurrentChartProfile;
SONAR_PROFILE_TYPE* s_pCurrentSonarProfile;
CHART_PROFILE_TYPE* s_pNextChartProfile;
SONAR_PROFILE_TYPE* s_pNextSonarProfile;

FOURCHARID fcidProfileKey(U32 u32Profile, U8 u8Digits)
{
    return (U32)'S' | (U32)('1' + u32Profile) << 8 | (U32)('0' + u8Digits / 10) << 16 |
           (U32)('0' + u8Digits % 10) << 24;
}

bool bSame(DB_DATA_TYPE a, DB_DATA_TYPE b)
{
    return a.RawData == b.RawData;
}

void vWrite(FOURCHARID fcid, DB_DATA_TYPE value)
{
    H_DATABASE_bUpdateValue(fcid, value, P_NORMAL);
}

template <typename PROFILE, size_t N>
void vSnapshot(PROFILE& def, const std::array<U8, N>& numbers)
{
    for (U8 n : numbers) {
        FCID_DB_PAIR& s = def.Settings[n - 1];
        DB_DATA_TYPE v;
        if (H_DATABASE_bFetch(s.fcid, &v, nullptr, nullptr))
            s.value = v;
    }
}

template <typename PROFILE, size_t N>
void vLoad(PROFILE (&profiles)[PROFILE_COUNT], const PROFILE& def, const std::array<SETTING_DEF, N>& defs)
{
    for (U32 p = 0; p < PROFILE_COUNT; ++p) {
        profiles[p] = def;
        for (size_t i = 0; i < N; ++i) {
            DB_DATA_TYPE v;
            if (defs[i].fcid && H_DATABASE_bFetch(fcidProfileKey(p, defs[i].u8Digits), &v, nullptr, nullptr))
                profiles[p].Settings[i].value = v;
        }
    }
}

template <typename PROFILE, size_t N>
void vSave(const PROFILE (&profiles)[PROFILE_COUNT], const std::array<SETTING_DEF, N>& defs)
{
    for (U32 p = 0; p < PROFILE_COUNT; ++p) {
        for (size_t i = 0; i < N; ++i) {
            if (defs[i].fcid)
                vWrite(fcidProfileKey(p, defs[i].u8Digits), profiles[p].Settings[i].value);
        }
    }
}

U32 u32ProfileInEffect(FOURCHARID fcidSelector)
{
    U32 n = 0;
    if (!H_DATABASE_bFetchU32(fcidSelector, &n, nullptr, nullptr) || n >= PROFILE_COUNT)
        return 0;
    return n;
}

// Writes each setting of to whose value differs from from's.
template <typename PROFILE, size_t N>
void vApplyDifferences(const PROFILE& to, const PROFILE& from)
{
    for (size_t i = 0; i < N; ++i) {
        const FCID_DB_PAIR& s = to.Settings[i];
        if (s.fcid && !bSame(s.value, from.Settings[i].value))
            vWrite(s.fcid, s.value);
    }
}

template <typename PROFILE>
FCID_DB_PAIR* pSettingOf(PROFILE* pProfile, FOURCHARID fcid)
{
    if (!pProfile || !fcid)
        return nullptr;
    for (FCID_DB_PAIR& s : pProfile->Settings) {
        if (s.fcid == fcid)
            return &s;
    }
    return nullptr;
}

template <typename PROFILE, size_t N>
BOOLEAN bRecordMenuSetting(PROFILE* pProfile, const std::array<FCID_MENU_PRIORITY_PAIR, N>& table,
                           MENU_PRIORITY priority, DB_DATA_TYPE value)
{
    if (!pProfile)
        return FALSE;
    for (const FCID_MENU_PRIORITY_PAIR& pair : table) {
        if (pair.priority != priority)
            continue;
        FCID_DB_PAIR* s = pSettingOf(pProfile, pair.fcid);
        if (!s)
            return FALSE;
        s->value = value;
        return TRUE;
    }
    return FALSE;
}

} // namespace

// Default snapshots ---------------------------------------------------------

void H_PROFILE_vSetChartDefaultValue(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    vSnapshot(s_ChartProfileDefault, s_ChartDefaultNumbers);
}

void H_PROFILE_vSetNavDefaultValue(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    vSnapshot(s_ChartProfileDefault, s_NavDefaultNumbers);
}

void H_PROFILE_vSetChartLayerDefaultValue(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    vSnapshot(s_ChartProfileDefault, s_ChartLayerDefaultNumbers);
}

void H_PROFILE_vSetSonarDefaultValue(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    for (FCID_DB_PAIR& s : s_SonarProfileDefault.Settings) {
        DB_DATA_TYPE v;
        if (s.fcid && H_DATABASE_bFetch(s.fcid, &v, nullptr, nullptr))
            s.value = v;
    }
}

// Loading and saving --------------------------------------------------------

BOOLEAN H_PROFILE_bLoadChartProfile(const void*)
{
    std::lock_guard<std::mutex> guard(s_lock);
    vLoad(s_ChartProfiles, s_ChartProfileDefault, s_ChartSettings);
    s_pCurrentChartProfile = &s_ChartProfiles[u32ProfileInEffect(FCID("SUPC"))];
    return TRUE;
}

BOOLEAN H_PROFILE_bLoadSonarProfile(const void*)
{
    std::lock_guard<std::mutex> guard(s_lock);
    vLoad(s_SonarProfiles, s_SonarProfileDefault, s_SonarSettings);
    s_pCurrentSonarProfile = &s_SonarProfiles[u32ProfileInEffect(FCID("SUPS"))];
    return TRUE;
}

BOOLEAN H_PROFILE_bSaveChartProfile(const void*)
{
    std::lock_guard<std::mutex> guard(s_lock);
    vSave(s_ChartProfiles, s_ChartSettings);
    return TRUE;
}

BOOLEAN H_PROFILE_bSaveSonarProfile(const void*)
{
    std::lock_guard<std::mutex> guard(s_lock);
    vSave(s_SonarProfiles, s_SonarSettings);
    return TRUE;
}

BOOLEAN H_PROFILE_bResetChartMenuSetting(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    for (CHART_PROFILE_TYPE& p : s_ChartProfiles)
        p = s_ChartProfileDefault;
    return TRUE;
}

BOOLEAN H_PROFILE_bResetSonarMenuSetting(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    for (SONAR_PROFILE_TYPE& p : s_SonarProfiles)
        p = s_SonarProfileDefault;
    return TRUE;
}

// Switching and applying ----------------------------------------------------

BOOLEAN H_PROFILE_bUpdateChartMenuSetting(U32 nSelectProfile)
{
    std::lock_guard<std::mutex> guard(s_lock);
    if (!s_pCurrentChartProfile || nSelectProfile >= PROFILE_COUNT)
        return FALSE;
    s_pNextChartProfile = &s_ChartProfiles[nSelectProfile];
    vApplyDifferences<CHART_PROFILE_TYPE, CHART_PROFILE_SETTINGS>(*s_pNextChartProfile, *s_pCurrentChartProfile);
    T_CHART_LAYER_vSetupDatabaseItems(FALSE);
    s_pCurrentChartProfile = s_pNextChartProfile;
    return TRUE;
}

BOOLEAN H_PROFILE_bUpdateSonarMenuSetting(U32 nSelectProfile)
{
    std::lock_guard<std::mutex> guard(s_lock);
    if (!s_pCurrentSonarProfile || nSelectProfile >= PROFILE_COUNT)
        return FALSE;
    s_pNextSonarProfile = &s_SonarProfiles[nSelectProfile];
    vApplyDifferences<SONAR_PROFILE_TYPE, SONAR_PROFILE_SETTINGS>(*s_pNextSonarProfile, *s_pCurrentSonarProfile);
    s_pCurrentSonarProfile = s_pNextSonarProfile;
    return TRUE;
}

BOOLEAN H_PROFILE_bRestoreChartMenuSetting(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    if (!s_pCurrentChartProfile)
        return FALSE;
    vApplyDifferences<CHART_PROFILE_TYPE, CHART_PROFILE_SETTINGS>(*s_pCurrentChartProfile, s_ChartProfileDefault);
    return TRUE;
}

BOOLEAN H_PROFILE_bRestoreSonarMenuSetting(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    if (!s_pCurrentSonarProfile)
        return FALSE;
    vApplyDifferences<SONAR_PROFILE_TYPE, SONAR_PROFILE_SETTINGS>(*s_pCurrentSonarProfile, s_SonarProfileDefault);
    return TRUE;
}

// Recording -----------------------------------------------------------------

BOOLEAN H_PROFILE_bSaveChartMenuSetting(MENU_PRIORITY priority, DB_DATA_TYPE value)
{
    std::lock_guard<std::mutex> guard(s_lock);
    return bRecordMenuSetting(s_pCurrentChartProfile, s_ChartMenuTable, priority, value);
}

BOOLEAN H_PROFILE_bSaveSonarMenuSetting(MENU_PRIORITY priority, DB_DATA_TYPE value)
{
    std::lock_guard<std::mutex> guard(s_lock);
    return bRecordMenuSetting(s_pCurrentSonarProfile, s_SonarMenuTable, priority, value);
}

BOOLEAN H_PROFILE_bSaveChartNonMenuSetting(FOURCHARID fcid, DB_DATA_TYPE value)
{
    std::lock_guard<std::mutex> guard(s_lock);
    if (!s_pCurrentChartProfile)
        return FALSE;
    if (fcid == FCID("SLAY"))
        pSettingOf(s_pCurrentChartProfile, fcid)->value = value;
    return TRUE;
}

BOOLEAN H_PROFILE_bSaveSonarNonMenuSetting(FOURCHARID fcid, DB_DATA_TYPE value)
{
    std::lock_guard<std::mutex> guard(s_lock);
    if (!s_pCurrentSonarProfile)
        return FALSE;
    for (FOURCHARID k : s_SonarNonMenuKeys) {
        if (k == fcid)
            pSettingOf(s_pCurrentSonarProfile, fcid)->value = value;
    }
    return TRUE;
}
