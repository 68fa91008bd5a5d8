// Where each sonar source is shown from: the per-source client state when
// a unit is chosen for it, and the switch back to this unit's transducer.
// The menu controls of a source follow its saved settings (the control
// translation table).
//
// These calls are made by the ping task, which holds mutex 100, and by
// the network source menus and the network receive task, which do not;
// each takes mutex 100 itself (its owner may take it again).
#include "sonar/ping/t_n_ping.h"

#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "sonar/neighbour_standins.h"
#include "sonar/ping/t_n_ping_state.h"
#include "store/h_database.h"

namespace t_n_ping {

std::atomic<U32> s_u32SonarSourceMAC[SONAR_SOURCE_COUNT] = {0, 0, 0, 0};

const FCID_TRANSLATE_TYPE s_fcidTranslateTable[TRANSLATE_ROWS] = {
    {FCID("YSSR"), FCID("SSSR"), ELEMENT_KV | ELEMENT_FV},
    {FCID("YSLD"), FCID("SSLD"), ELEMENT_2D | ELEMENT_KV},
    {FCID("YSSV"), FCID("SSSV"), ELEMENT_2D},
    {FCID("YSNF"), FCID("SSNF"), ELEMENT_2D | ELEMENT_KV | ELEMENT_FV | ELEMENT_360},
    {FCID("YSNU"), FCID("SSNU"), ELEMENT_2D | ELEMENT_KV | ELEMENT_FV | ELEMENT_360},
    {FCID("YSMD"), FCID("SSMD"), ELEMENT_2D | ELEMENT_KV},
    {FCID("YSWA"), FCID("SSWA"), ELEMENT_2D | ELEMENT_KV | ELEMENT_FV},
    {FCID("YTVG"), FCID("STVG"), ELEMENT_2D},
    {FCID("YSDA"), FCID("SSDA"), ELEMENT_2D},
    {FCID("YSFA"), FCID("SSFA"), ELEMENT_2D},
    {FCID("YSFI"), FCID("SSFI"), ELEMENT_2D},
    {FCID("YSFS"), FCID("SSFS"), ELEMENT_2D},
    {FCID("YUDP"), FCID("SUDP"), ELEMENT_2D | ELEMENT_KV},
    {FCID("YDPO"), FCID("SDPO"), ELEMENT_2D | ELEMENT_KV},
    {FCID("YICE"), FCID("SICE"), ELEMENT_2D},
    {FCID("YSSF"), FCID("SSSF"), ELEMENT_KV | ELEMENT_FV},
    {FCID("YJIG"), FCID("SJIG"), ELEMENT_2D},
    {FCID("YSPS"), FCID("SSPS"), ELEMENT_360},
    {FCID("YMDR"), FCID("MSSD"), ELEMENT_360},
    {FCID("YMRR"), FCID("MSSC"), ELEMENT_360},
    {FCID("YMSS"), FCID("MSSS"), ELEMENT_360},
    {FCID("YMSC"), FCID("MS01"), ELEMENT_360},
    {FCID("YISO"), FCID("MS03"), ELEMENT_360},
    {FCID("YISS"), FCID("MS04"), ELEMENT_360},
    {FCID("YISR"), FCID("MS05"), ELEMENT_360},
    {FCID("YQSO"), FCID("MS06"), ELEMENT_360},
    {FCID("YQSS"), FCID("MS07"), ELEMENT_360},
    {FCID("YQSR"), FCID("MS08"), ELEMENT_360},
    {FCID("YSPL"), FCID("MS09"), ELEMENT_360},
    {FCID("YBT1"), FCID("MS10"), ELEMENT_360},
    {FCID("YBT2"), FCID("MS11"), ELEMENT_360},
    {FCID("YASS"), FCID("MS12"), ELEMENT_360},
    {FCID("YHBT"), FCID("MHBT"), ELEMENT_360},
    {FCID("YHM1"), FCID("MHM1"), ELEMENT_360},
    {FCID("YMSD"), FCID("SMSD"), ELEMENT_360},
    {FCID("YMSM"), FCID("SMSM"), ELEMENT_360},
    {FCID("YMSE"), FCID("MSE1"), ELEMENT_360},
    {FCID("YASR"), FCID("SASR"), ELEMENT_360},
    {FCID("YADS"), FCID("SADS"), ELEMENT_360},
    {FCID("YBMT"), FCID("MBMT"), ELEMENT_360},
    {FCID("YMSO"), FCID("SMSO"), ELEMENT_360},
    {FCID("YMHL"), FCID("SMHL"), ELEMENT_360},
    {FCID("YDIA"), FCID("SDIA"), ELEMENT_KV},
};

} // namespace t_n_ping

using namespace t_n_ping;

namespace {

// ---- Constants ----

constexpr U32 NO_UNIT = 0xFFFFFFFF;
constexpr U32 UNIT_ID_BITS = 0xFFFFFF;
constexpr U32 TRANSDUCER_360 = 16;
constexpr U32 BOW_MOUNT_UNKNOWN = 255;

// ---- Helpers ----

class ShareLock {
public:
    ShareLock() { L_MUTEX_LockWait(RES_SONAR_SHARE); }
    ~ShareLock() { L_MUTEX_Unlock(RES_SONAR_SHARE); }
    ShareLock(const ShareLock&) = delete;
    ShareLock& operator=(const ShareLock&) = delete;
};

U32 u32SourceBit(U32 u32Source) { return 1u << u32Source; }

FOURCHARID fcidTransducerKey(U32 u32Source)
{
    static const FOURCHARID keys[SONAR_SOURCE_COUNT] = {FCID("YST1"), FCID("YST2"), FCID("YST3"), FCID("YST4")};
    return keys[u32Source];
}

void vWriteU32(FOURCHARID fcid, U32 u32Value) { H_DATABASE_bUpdateValueU32(fcid, u32Value, P_NORMAL); }

U32 u32FetchU32(FOURCHARID fcid)
{
    U32 u32 = 0;
    H_DATABASE_bFetchU32(fcid, &u32, nullptr, nullptr);
    return u32;
}

// The transducer this unit pings with: "SSTS", or 0 without one.
U32 u32LocalTransducer(void) { return bTransducerDetected() ? u32FetchU32(FCID("SSTS")) : 0; }

// The transducer key of a source shown from this unit's transducer; the
// 360 source is the networked 360 unit, or nothing when none is chosen.
void vWriteLocalTransducerKey(U32 u32Source, U32 u32Transducer, U32 u32Key360)
{
    if (u32Source == SONAR_SOURCE_360) {
        vWriteU32(FCID("YST4"), u32Key360);
        return;
    }
    vWriteU32(fcidTransducerKey(u32Source), u32Transducer);
    if (u32Source != SONAR_SOURCE_2D)
        vMenuSideScanFrequency(u32Transducer);
}

// Sets or clears one source's bit of a mask key; writes only a change.
void vChangeMaskBit(FOURCHARID fcid, U32 u32Source, bool bSet)
{
    const U32 u32Old = u32ReadMask(fcid);
    const U32 u32New = bSet ? (u32Old | u32SourceBit(u32Source)) : (u32Old & ~u32SourceBit(u32Source));
    if (u32New != u32Old)
        vWriteMask(fcid, u32New);
}

} // namespace

void T_N_PING_vUpdateSonarSource(U32 u32SonarSource, U16 u16SourceType)
{
    const U32 s = u16SourceType;
    if (s >= SONAR_SOURCE_COUNT)
        return;
    ShareLock lock;
    s_u32SonarSourceMAC[s] = u32SonarSource & UNIT_ID_BITS;
    U32 u32UnitId = 0;
    if (!bFetchUnitId(&u32UnitId))
        return;
    const bool bThisUnit = (u32SonarSource & UNIT_ID_BITS) == u32UnitId;

    switch (U_PING_eGetNetworkClientState(s)) {
    case NETWORK_CLIENT_STATE_INIT:
        T_N_PING_vUpdateLocalDatabaseItems((U16)s);
        if (bThisUnit && bTransducerDetected()) {
            vWriteLocalTransducerKey(s, u32LocalTransducer(), u32SonarSource == NO_UNIT ? 0 : TRANSDUCER_360);
            U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_LOCAL, s);
        } else {
            U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_DISCONNECTED, s);
        }
        break;
    case NETWORK_CLIENT_STATE_LOCAL:
        if (u32SonarSource != NO_UNIT && bTransducerDetected()) {
            if (!bThisUnit)
                U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_DISCONNECTED, s);
            vChangeMaskBit(FCID("ELPM"), s, bThisUnit);
            vChangeMaskBit(FCID("ENPM"), s, false);
        }
        break;
    case NETWORK_CLIENT_STATE_CONNECTED:
    case NETWORK_CLIENT_STATE_DISCONNECTED:
        if (bThisUnit) {
            vWriteLocalTransducerKey(s, u32LocalTransducer(), TRANSDUCER_360);
            vChangeMaskBit(FCID("ELPM"), s, (u32FetchU32(FCID("SSES")) & u32SourceBit(s)) != 0);
            vChangeMaskBit(FCID("ENPM"), s, false);
            if (s == SONAR_SOURCE_KV || s == SONAR_SOURCE_FV) {
                DB_DATA_TYPE dbRange{};
                BOOLEAN bValid = FALSE;
                if (!H_DATABASE_bFetch(FCID("SSSR"), &dbRange, &bValid, nullptr) || !bValid)
                    dbRange.u32Val = 0;
                H_DATABASE_bUpdateValue(FCID("YSSR"), dbRange, P_NORMAL);
            }
            T_N_PING_vUpdateLocalDatabaseItems((U16)s);
            U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_LOCAL, s);
        }
        break;
    case NETWORK_CLIENT_STATE_REGISTER:
        break;
    }
}

BOOLEAN T_N_PING_vSwitchToLocalSonar(U16 u16LocalIndex)
{
    const U32 s = u16LocalIndex;
    if (s >= SONAR_SOURCE_COUNT)
        return FALSE;
    ShareLock lock;
    U32 u32UnitId = NO_UNIT;
    H_DATABASE_bFetchU32(FCID("SMAC"), &u32UnitId, nullptr, nullptr);
    const U32 u32Transducer = u32FetchU32(FCID("SSTS"));
    if ((S_TRANSDUCER_u32GetSonarSources((U8)u32Transducer) & u32SourceBit(s)) == 0) {
        log_me("[%d]%s: source %d unavailable on transducer %d\n", __LINE__, __func__, (int)s, (int)u32Transducer);
        return FALSE;
    }
    // Keelview and Flankview share the imaging receiver: they go together.
    if (s == SONAR_SOURCE_KV || s == SONAR_SOURCE_FV) {
        const U32 u32Network = u32ReadMask(FCID("ENPM"));
        if (u32Network & (ELEMENT_KV | ELEMENT_FV))
            vWriteMask(FCID("ENPM"), u32Network & ~(ELEMENT_KV | ELEMENT_FV));
        U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_DISCONNECTED, SONAR_SOURCE_KV);
        U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_DISCONNECTED, SONAR_SOURCE_FV);
    } else {
        vChangeMaskBit(FCID("ENPM"), s, false);
    }
    vChangeMaskBit(FCID("ELPM"), s, true);

    T_N_PING_vUpdateSonarSource(u32UnitId, (U16)s);
    T_NET_PING_RECEIVE_vUpdateSonarSource(u32UnitId, (U16)s);
    U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_LOCAL, s);

    switch (s) {
    case SONAR_SOURCE_2D:
        vWriteU32(FCID("YST1"), u32Transducer);
        break;
    case SONAR_SOURCE_KV:
        vWriteU32(FCID("YST2"), u32Transducer);
        vWriteU32(FCID("YST3"), 0);
        break;
    case SONAR_SOURCE_FV:
        vWriteU32(FCID("YST3"), u32Transducer);
        vWriteU32(FCID("YST2"), 0);
        break;
    default:
        vWriteU32(FCID("YST4"), TRANSDUCER_360);
        break;
    }
    return TRUE;
}

void T_N_PING_vUpdateLocalDatabaseItems(U16 u16Index)
{
    const U32 s = u16Index;
    if (s >= SONAR_SOURCE_COUNT)
        return;
    ShareLock lock;
    for (const FCID_TRANSLATE_TYPE& row : s_fcidTranslateTable) {
        if ((row.u32SonarSources & u32SourceBit(s)) == 0)
            continue;
        DB_DATA_TYPE dbValue{};
        BOOLEAN bValid = FALSE;
        if (!H_DATABASE_bFetch(row.fcidSavedSetting, &dbValue, &bValid, nullptr) || !bValid) {
            dbValue = DB_DATA_TYPE{};
            // The bow-mount control has its own "not known".
            dbValue.u32Val = row.fcidUIControl == FCID("YBMT") ? BOW_MOUNT_UNKNOWN : 0;
        }
        H_DATABASE_bUpdateValue(row.fcidUIControl, dbValue, P_NORMAL);
    }
}
