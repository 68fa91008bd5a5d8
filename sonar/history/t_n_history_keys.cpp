// The history task's data-store keys: one table row per key with its
// default and what a change does. The rows of the display settings, the
// colour tables, the transducers and the 360 unit are added with their
// handlers; the rows here are those the task's own loop and the view
// changes need.
//
// Defaults are written with writer priority 14 at a normal start, so that a
// value restored from NVRAM or set by the user stays, and with priority 2
// on a reset of the settings, which writes over the user's value.
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_standins.h"
#include "sonar/history/t_n_history_state.h"

#include "kernel/l_clock.h"
#include "store/h_database.h"

using namespace t_n_history;

namespace {

constexpr TICKS CCST_POLL_MS = 1;

// ---- Handlers ----

void vSonarEnabled(const MESSAGE_NEW_DATA* p) { db_SonarEnabled = p->dbValue.u32Val != 0 ? TRUE : FALSE; }

void vNetworkPingMask(const MESSAGE_NEW_DATA* p) { s_u32NetworkPingMask = p->dbValue.u32Val; }

void vCurrentDepth(const MESSAGE_NEW_DATA* p)
{
    s_fCurrentDepth = p->dbValue.fVal;
    vSelectPingMode();
}

void vView(const MESSAGE_NEW_DATA* p) { vHandleViewChange(p->dbValue.s32Val); }

void vPane(const MESSAGE_NEW_DATA* p) { vHandlePaneChange((SPLIT_WINDOW_TYPE)p->dbValue.s32Val); }

const HISTORY_KEY s_aHistoryKeys[] = {
    {FCID("ISEN"), DEFAULT_VALUE_15, D_UNKNOWN, TRUE, TRUE, FALSE, FALSE, vSonarEnabled},
    {FCID("ENPM"), DEFAULT_NONE, D_UNKNOWN, 0, TRUE, FALSE, FALSE, vNetworkPingMask},
    {FCID("IDEP"), DEFAULT_NONE, D_DEPTH, 0, TRUE, TRUE, FALSE, vCurrentDepth},
    {FCID("CVEW"), DEFAULT_NONE, D_UNKNOWN, 0, TRUE, FALSE, FALSE, vView},
    {FCID("CVAS"), DEFAULT_NONE, D_UNKNOWN, 0, TRUE, FALSE, FALSE, vPane},
    // Read by the Flankview view when it draws.
    {FCID("SSVL"), DEFAULT_BY_CALL, D_UNKNOWN, FALSE, TRUE, FALSE, TRUE, nullptr},
    {FCID("SSIN"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, TRUE, FALSE, TRUE, nullptr},
    {FCID("SIRO"), DEFAULT_BY_CALL, D_UNKNOWN, TRUE, TRUE, FALSE, TRUE, nullptr},
};

void vWriteDefault(const HISTORY_KEY& k, U32 u32Priority)
{
    DB_DATA_TYPE value = {};
    value.u32Val = k.u32Default;
    switch (k.eDefault) {
    case DEFAULT_BY_CALL:
        H_DATABASE_bUpdateEverything(k.fcid, value, u32Priority, k.DataType, nullptr, DB_TIMEOUT_NEVER);
        break;
    case DEFAULT_ALWAYS_2:
        H_DATABASE_bUpdateEverything(k.fcid, value, P_NORMAL, k.DataType, nullptr, DB_TIMEOUT_NEVER);
        break;
    case DEFAULT_VALUE_15:
        H_DATABASE_bUpdateValue(k.fcid, value, P_UNOWNED);
        break;
    case DEFAULT_NONE:
        break;
    }
}

} // namespace

void t_n_history::vRegisterDatabaseItems(BOOLEAN bFactoryDefaults)
{
    U32 u32State = 0;
    while (!H_DATABASE_bFetchU32(FCID("CCST"), &u32State, nullptr, nullptr))
        L_CLOCK_Sleep(CCST_POLL_MS);

    const U32 u32Priority = bFactoryDefaults ? P_NORMAL : P_DEFAULT_SETTING;
    for (const HISTORY_KEY& k : s_aHistoryKeys) {
        vWriteDefault(k, u32Priority);
        if (k.bFollow)
            H_DATABASE_bRegisterForDataWithConditions(k.fcid, HISTORY_MAILBOX, TRUE, k.bInvalid, k.bUpdated);
    }
    H_DATABASE_bUpdateEverythingU32(FCID("TSMG"), HISTORY_MAILBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_vSendMailboxAllRegisteredItems(HISTORY_MAILBOX);
}

void t_n_history::vHandleNewData(const MESSAGE_NEW_DATA* pMail)
{
    for (const HISTORY_KEY& k : s_aHistoryKeys)
        if (k.fcid == pMail->FourCharId && k.pfnHandler != nullptr)
            k.pfnHandler(pMail);
}
