// The change mail of the data store. One is allocated for each subscriber
// that a change, an update or an invalidation concerns, and sent without a
// semaphore, so it belongs to the receiver, which frees it.
#pragma once

#include "kernel/l_mbox.h"
#include "store/h_dbtypes.h"

constexpr PRIORITY DATABASE_PRIORITY = 3; // mail priority of every change mail

typedef struct tag_MESSAGE_NEW_DATA {
    GENERIC_MESSAGE Header; // command word CMD_ID_NEW_DATA
    FOURCHARID FourCharId;
    DB_DATA_TYPE dbValue;   // the value now stored
    BOOLEAN bValid;         // the key is not marked invalid
} MESSAGE_NEW_DATA;
