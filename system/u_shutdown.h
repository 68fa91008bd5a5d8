// The orderly shutdown: every task is told, one after the other, that the
// unit is about to stop, so that each can close its files, stop its
// hardware and give up its layers, and the settings are saved last.
//
// The tasks are the data store's "T" keys that exist at the call: each
// holds its task's mailbox. The caller passes the keys of the tasks that
// must stay alive (its own among them) and ends the process itself after
// the call.
#pragma once

#include "store/h_dbtypes.h"

// Sends CMD_ID_SHUTDOWN with SEMA_SHUTDOWN_KEYB to every task key but
// "TKBD" and those of pfcidNoKillList (ended by 0; it may be empty but not
// null), waiting up to 500 ms for each acknowledgement, and last to "TNVR",
// whose acknowledgement it waits for without limit. Returns at once after
// the walk when there is no "TNVR".
void U_SHUTDOWN_vShutdown(FOURCHARID* pfcidNoKillList);
