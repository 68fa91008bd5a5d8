// The NVRAM task.
//
// Start: "CNVR" FALSE, the files made usable (a unit without files gets
// the current layout version; files of another version are wiped but for
// the model and configuration keys), the unit-header keys loaded and
// subscribed for changes, every special and S key loaded, and only then
// "TNVR" published: the start-up task waits for it, so nobody reads a
// setting before it is loaded. Running: header keys are written and synced
// the moment they change; the other F and S keys that differ from the
// files are saved every 600000 ms and once more at shutdown, in the burn-in
// and point-of-sale states only those of the save-always list, and nothing
// at all before the system state "CCST" exists. The task is the only
// writer of the NVRAM files while the system runs.
//
// Under a unit root, the variable VONDREL_NVRAM_SET ("KEY=VALUE,...", values
// in C notation) names settings that the task writes to the data store once
// everything is loaded, as another task would; the process tests use it to
// change settings of a running unit. It does nothing on the unit.
#include "store/t_nvram.h"

#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_root.h"
#include "kernel/l_sema.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "store/database_msg.h"
#include "store/h_database.h"

#include <array>
#include <cctype>
#include <cstdlib>

// Constants ---------------------------------------------------------------

namespace {

constexpr const char* MODULE = "t_nvram";
constexpr SEMA SEMA_NVRAM_MBOX = 45;  // bound to mailbox 14 by Main
constexpr SEMA SEMA_NVRAM_TIMER = 104;
constexpr TICKS SAVE_PERIOD_TICKS = 600000;
constexpr U32 NO_ROW = 0xFFFFFFFF;
constexpr U32 STATE_BURN_IN = 2;
constexpr U32 STATE_POINT_OF_SALE = 6;

constexpr std::array<FOURCHARID, 26> s_4chSaveAlways = {
    FCID("SCUO"), FCID("CREV"), FCID("SCFO"), FCID("SFVR"), FCID("SMDL"), FCID("SENB"), FCID("SENU"),
    FCID("SEDB"), FCID("SEDU"), FCID("SEIB"), FCID("SEIU"), FCID("SETB"), FCID("SLNG"), FCID("SIMT"),
    FCID("SCOM"), FCID("SCOP"), FCID("SNNS"), FCID("SFID"), FCID("SFSR"), FCID("STMD"), FCID("SDBV"),
    FCID("SDEN"), FCID("SNNT"), FCID("SMAC"), FCID("SNMV"), FCID("SNNI"),
};
constexpr std::array<char, 2> s_cSaveLetters = {'F', 'S'};

} // namespace

// Statics -----------------------------------------------------------------

namespace {

TIMER_INFO* s_pSaveTimer;

[[noreturn]] void vFatal(U32 u32Line, const char* pcText)
{
    ERROR_error(MODULE, u32Line, pcText);
    U_RESET_vReset(0, 0);
}

DB_DATA_TYPE dbFrom32(U32 u32)
{
    DB_DATA_TYPE v;
    v.RawSlot = 0;
    v.RawData = u32;
    return v;
}

bool bInSaveAlways(FOURCHARID id)
{
    for (FOURCHARID k : s_4chSaveAlways) {
        if (k == id)
            return true;
    }
    return false;
}

void vWriteAndSync(FOURCHARID id, DB_DATA_TYPE value)
{
    NVR_ENTRY e = {id, value};
    H_NVRAM_bWriteFCID(&e);
    H_NVRAM_vFlashWriteBack();
}

void vWriteVersion(void)
{
    vWriteAndSync(FCID("NVER"), dbFrom32(NVR_VERSION));
}

// A loaded key keeps the attributes its owner gave it; a key the load
// creates never expires.
void T_NVRAM_vSetItem(const NVR_ENTRY& e)
{
    if (H_DATABASE_bFetch(e.id, nullptr, nullptr, nullptr))
        H_DATABASE_bUpdateValue(e.id, e.data, P_NORMAL);
    else
        H_DATABASE_bUpdateEverything(e.id, e.data, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

// Subscribes to a header key and writes the value it already has.
void T_NVRAM_vAttemptHeaderRegistration(U32 u32Row)
{
    UNIT_HEADER_CONTROL& row = s_4chHeader[u32Row];
    if (row.bRegistered)
        return;
    if (!H_DATABASE_bRegisterForDataWithConditions(row.id, NVRAM_MBOX, TRUE, FALSE, FALSE))
        return;
    DB_DATA_TYPE value;
    BOOLEAN bValid = FALSE;
    if (H_DATABASE_bFetch(row.id, &value, &bValid, nullptr) && bValid) {
        NVR_ENTRY e = {row.id, value};
        if (!H_NVRAM_bWriteFCID(&e))
            vFatal(__LINE__, "NVRAM - error writing header");
        H_NVRAM_vFlashWriteBack();
    }
    row.bRegistered = TRUE;
}

void vLoadHeaderKeys(void)
{
    for (U32 r = 0; r < NVR_HEADER_ROWS && s_4chHeader[r].id != NVR_HEADER_END; ++r) {
        UNIT_HEADER_CONTROL& row = s_4chHeader[r];
        if (row.id == FCID("NVER"))
            continue;
        NVR_ENTRY e;
        if (H_NVRAM_bReadUnitHeaderEntry(r, &e)) {
            T_NVRAM_vSetItem(e);
            if (!row.bRegistered) {
                if (!H_DATABASE_bRegisterForDataWithConditions(row.id, NVRAM_MBOX, TRUE, FALSE, FALSE))
                    vFatal(__LINE__, "Database: problem registering");
                row.bRegistered = TRUE;
            }
        } else {
            T_NVRAM_vAttemptHeaderRegistration(r);
        }
    }
}

U32 u32LoadSlots(BOOLEAN (*pfnRead)(U32, NVR_ENTRY*))
{
    NVR_ENTRY e;
    U32 i = 0;
    for (; pfnRead(i, &e) && e.id != 0xFFFFFFFF; ++i)
        T_NVRAM_vSetItem(e);
    return i;
}

void vStopSaveTimer(void)
{
    if (!s_pSaveTimer)
        return;
    L_TIMER_Stop(s_pSaveTimer);
    L_TIMER_Release(s_pSaveTimer);
    s_pSaveTimer = nullptr;
}

void vApplyTestSettings(void)
{
    const char* spec = getenv("VONDREL_NVRAM_SET");
    if (!spec || !*L_ROOT_pcGetRoot())
        return;
    const char* p = spec;
    for (;;) {
        while (*p == ',' || isspace((unsigned char)*p))
            ++p;
        if (!*p)
            return;
        char* end = nullptr;
        U32 value = 0;
        bool ok = p[0] && p[1] && p[2] && p[3] && p[4] == '=';
        if (ok) {
            value = (U32)strtoul(p + 5, &end, 0);
            ok = end != p + 5 && (*end == '\0' || *end == ',' || isspace((unsigned char)*end));
        }
        if (!ok) {
            log_me("NVRAM test setting not understood: %s", p);
            return;
        }
        FOURCHARID id = (U32)(U8)p[0] | (U32)(U8)p[1] << 8 | (U32)(U8)p[2] << 16 | (U32)(U8)p[3] << 24;
        U32 old = 0;
        BOOLEAN had = H_DATABASE_bFetchU32(id, &old, nullptr, nullptr);
        H_DATABASE_bUpdateValueU32(id, value, P_NORMAL);
        if (had)
            log_me("NVRAM test setting %.4s: 0x%08X -> 0x%08X", p, old, value);
        else
            log_me("NVRAM test setting %.4s: none -> 0x%08X", p, value);
        p = end;
    }
}

void vHandleMail(MSGHEADER* pMsg)
{
    auto* g = reinterpret_cast<GENERIC_MESSAGE*>(pMsg);
    switch (g->Cmd) {
    case CMD_ID_SHUTDOWN:
        vStopSaveTimer();
        T_NVRAM_vHandleDataSave();
        break;
    case CMD_ID_NEW_DATA: {
        auto* m = reinterpret_cast<MESSAGE_NEW_DATA*>(pMsg);
        if (T_NVRAM_u32FetchItemNumber(m->FourCharId) != NO_ROW)
            vWriteAndSync(m->FourCharId, m->dbValue);
        break;
    }
    case CMD_ID_RESET_POS: {
        NVR_ENTRY e = {FCID("SLNG"), dbFrom32(0)};
        if (H_NVRAM_bGetItemByID(&e))
            H_DATABASE_bUpdateValue(e.id, e.data, P_NORMAL);
        break;
    }
    case CMD_ID_WRITE_TO_HEADER: {
        U32 row = T_NVRAM_u32FetchItemNumber(reinterpret_cast<MSG_NVRAM_WRITE_TO_HEADER*>(pMsg)->id);
        if (row != NO_ROW)
            T_NVRAM_vAttemptHeaderRegistration(row);
        break;
    }
    case CMD_ID_WRITE_TO_NVR: {
        FOURCHARID id = reinterpret_cast<MSG_NVRAM_WRITE_TO_NVR*>(pMsg)->id;
        U8 first = (U8)(id & 0xFF);
        DB_DATA_TYPE value;
        if ((first == 'F' || first == 'S') && H_DATABASE_bFetch(id, &value, nullptr, nullptr))
            vWriteAndSync(id, value);
        break;
    }
    case CMD_ID_SCRATCH_NVR:
        H_NVRAM_bScratchNVR(NVR_SCRATCH_CODE1, NVR_SCRATCH_CODE2);
        break;
    case CMD_ID_READ_SONAR_DATA: {
        auto* m = reinterpret_cast<MSG_SONAR_DATA*>(pMsg);
        m->bSuccess = H_NVRAM_bReadSonarData(m->pSonarData);
        break;
    }
    case CMD_ID_WRITE_SONAR_DATA: {
        auto* m = reinterpret_cast<MSG_SONAR_DATA*>(pMsg);
        m->bSuccess = H_NVRAM_bWriteSonarData(m->pSonarData);
        H_NVRAM_vFlashWriteBack();
        break;
    }
    case CMD_ID_READ_PERSONALIZED: {
        auto* m = reinterpret_cast<MSG_PERSONALIZED*>(pMsg);
        m->bSuccess = H_NVRAM_bReadPersonalizationData(m->pPersonData);
        break;
    }
    case CMD_ID_WRITE_PERSONALIZED: {
        auto* m = reinterpret_cast<MSG_PERSONALIZED*>(pMsg);
        m->bSuccess = H_NVRAM_bWritePersonalizationData(m->pPersonData);
        H_NVRAM_vFlashWriteBack();
        break;
    }
    default:
        break;
    }
}

} // namespace

// Public functions ----------------------------------------------------------

U32 T_NVRAM_u32FetchItemNumber(FOURCHARID id)
{
    for (U32 row = 0; row < NVR_HEADER_ROWS && s_4chHeader[row].id != NVR_HEADER_END; ++row) {
        if (s_4chHeader[row].id == id)
            return row;
    }
    return NO_ROW;
}

void T_NVRAM_vInitHardware(void)
{
    NVR_STATE state = H_NVRAM_eInit();
    if (state == STATE_HARDWARE_FAILURE)
        vFatal(__LINE__, "NVR Hardware Failure");
    H_DATABASE_bUpdateValueBoolean(FCID("CNVR"), TRUE, P_NORMAL);
    if (state == STATE_VIRGIN)
        vWriteVersion();
    NVR_ENTRY e;
    if (!H_NVRAM_bReadUnitHeaderEntry(0, &e))
        vFatal(__LINE__, "NVRAM - no NVR version number");
    if (e.data.RawData == NVR_VERSION)
        return;
    // Another layout: only the model and the configuration survive, and
    // they reach the new files through the header registration.
    log_me("NVRAM layout 0x%08X replaced by 0x%08X", e.data.RawData, NVR_VERSION);
    H_NVRAM_vVersionChangeFindAndSave(FCID("SMDL"));
    H_NVRAM_vVersionChangeFindAndSave(FCID("SCFO"));
    H_NVRAM_bScratchNVR(NVR_SCRATCH_CODE1, NVR_SCRATCH_CODE2);
    H_NVRAM_eInit();
    vWriteVersion();
}

void T_NVRAM_vHandleDataSave(void)
{
    U32 state = 0;
    if (!H_DATABASE_bFetchU32(FCID("CCST"), &state, nullptr, nullptr))
        return;
    bool restricted = state == STATE_POINT_OF_SALE || state == STATE_BURN_IN;
    for (char letter : s_cSaveLetters) {
        MULTI_FETCH_CONTROL_STRUCTURE c = {};
        c.cMatch = (U8)letter;
        c.__bNotFirst = FALSE;
        while (H_DATABASE_bFetchNextBeginningWith(&c)) {
            if (restricted && !bInSaveAlways(c.id))
                continue;
            NVR_ENTRY e = {c.id, c.data};
            if (T_NVRAM_u32FetchItemNumber(c.id) == NO_ROW) {
                NVR_ENTRY stored = {c.id, dbFrom32(0)};
                if (H_NVRAM_bGetItemByID(&stored) && stored.data.RawData == c.data.RawData)
                    continue;
            }
            H_NVRAM_bWriteFCID(&e);
        }
    }
    H_NVRAM_vFlashWriteBack();
}

void T_NVRAM_vStart(void)
{
    // A started task begins with no header key subscribed and no timer.
    for (UNIT_HEADER_CONTROL& row : s_4chHeader)
        row.bRegistered = FALSE;
    vStopSaveTimer();

    if (H_DATABASE_bUpdateEverythingBoolean(FCID("CNVR"), FALSE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER))
        vFatal(__LINE__, "Somebody else registered the NVR status");
    T_NVRAM_vInitHardware();
    vLoadHeaderKeys();
    U32 loaded = u32LoadSlots(H_NVRAM_bReadFEntry);
    loaded += u32LoadSlots(H_NVRAM_bReadSEntry);
    if (H_DATABASE_bUpdateEverythingU32(FCID("TNVR"), NVRAM_MBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER))
        vFatal(__LINE__, "Somebody else registered the NVR Task Maibox");
    log_me("NVRAM: %u settings loaded", loaded);

    s_pSaveTimer = L_TIMER_Allocate();
    if (s_pSaveTimer && !L_TIMER_Start(s_pSaveTimer, SAVE_PERIOD_TICKS, SAVE_PERIOD_TICKS, SEMA_NVRAM_TIMER)) {
        L_TIMER_Release(s_pSaveTimer);
        s_pSaveTimer = nullptr;
    }
    if (!s_pSaveTimer)
        log_me("NVRAM: no timer, settings are saved at shutdown only");
    vApplyTestSettings();
}

void T_NVRAM_vServeMailbox(void)
{
    while (MSGHEADER* pMsg = L_MBOX_Receive(NVRAM_MBOX)) {
        vHandleMail(pMsg);
        H_MEMORY_vDumpMail(pMsg);
    }
}

void T_NVRAM_vMain(void)
{
    T_NVRAM_vStart();
    static const SEMA waitList[] = {SEMA_NVRAM_MBOX, SEMA_NVRAM_TIMER, 0};
    for (;;) {
        SEMA fired = L_SEMA_WaitMultiple(waitList);
        if (fired == SEMA_NVRAM_TIMER)
            T_NVRAM_vHandleDataSave();
        else if (fired == SEMA_NVRAM_MBOX)
            T_NVRAM_vServeMailbox();
    }
}
