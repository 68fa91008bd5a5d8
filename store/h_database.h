// The data store: one value per four-character key, shared by every task.
//
// Each key holds a value, its attributes (data type, display text, time-out
// in seconds), the time of its last accepted write and the priority of the
// writer that made it. A write is refused while a strictly stronger writer's
// value is still fresh; equal priorities overwrite. A written T key (a
// task's mailbox number) is owned: a second writer of another mailbox
// number at the same or a weaker priority is refused, so the second owner
// sees a nonzero result. Subscribed mailboxes get a MESSAGE_NEW_DATA mail
// when a key changes, is updated or becomes invalid; the periodic sweep
// marks keys whose time-out has run out as invalid and tells their
// subscribers once per expiry.
//
// Ages and time-outs run on the monotonic kernel clock, so setting the date
// does not expire values; the time stamp a key shows is wall-clock time.
//
// Every call takes mutex 1 (RES_DATABASE) and, while holding it, calls only
// the clock, the allocator and the mailbox send, so a task may call the
// store while holding any other mutex. Keys are never removed: deleting a
// key only marks it unwritten.
#pragma once

#include "kernel/l_types.h"
#include "store/database_msg.h"
#include "store/h_dbtypes.h"
#include "util/u_convert.h"

// The caller-owned state of H_DATABASE_bFetchNextBeginningWith. Before the
// first call set cMatch to an upper-case letter and __bNotFirst to FALSE.
typedef struct tag_MULTI_FETCH_CONTROL_STRUCTURE {
    FOURCHARID id;       // outputs of the last successful step
    DB_DATA_TYPE data;
    DB_ATTRIBUTES extras;
    BOOLEAN bValid;
    U8 cMatch;           // the first character to match, set by the caller
    BOOLEAN __bNotFirst; // the iterator's own state from here on
    U32 __index;
    void* __pItem;
    U8 __cMatch;
} MULTI_FETCH_CONTROL_STRUCTURE;

void H_DATABASE_vInit(void);

// Writing. Each result is nonzero when, after the write, the stored value
// differs from the value written: a stronger writer (or the owner of a
// T key) kept its value.
BOOLEAN H_DATABASE_bUpdateValue(FOURCHARID FourCharId, DB_DATA_TYPE dbValue, U32 u32Priority);
BOOLEAN H_DATABASE_bUpdateValueU32(FOURCHARID FourCharId, U32 Value, U32 u32Priority);
BOOLEAN H_DATABASE_bUpdateValueS32(FOURCHARID FourCharId, S32 Value, U32 u32Priority);
BOOLEAN H_DATABASE_bUpdateValueFloat(FOURCHARID FourCharId, float Value, U32 u32Priority);
BOOLEAN H_DATABASE_bUpdateValueVoidPointer(FOURCHARID FourCharId, void* Value, U32 u32Priority);
BOOLEAN H_DATABASE_bUpdateValueBoolean(FOURCHARID FourCharId, BOOLEAN Value, U32 u32Priority);
// As H_DATABASE_bUpdateValueU32; the subscriber exceptThisOne gets no mail.
BOOLEAN H_DATABASE_bUpdateValueU32Except(FOURCHARID FourCharId, U32 Value, U32 u32Priority, MBOX exceptThisOne);

// As the value forms, and sets the attributes (time-out 0 keeps the stored one).
BOOLEAN H_DATABASE_bUpdateEverything(FOURCHARID FourCharId, DB_DATA_TYPE dbValue, U32 u32Priority,
                                     DATA_TYPE DataType, const char* (*pString)[DB_NUM_LANGUAGES],
                                     U32 u32TimeOut);
BOOLEAN H_DATABASE_bUpdateEverythingU32(FOURCHARID FourCharId, U32 Value, U32 u32Priority, DATA_TYPE DataType,
                                        const char* (*pString)[DB_NUM_LANGUAGES], U32 u32TimeOut);
BOOLEAN H_DATABASE_bUpdateEverythingS32(FOURCHARID FourCharId, S32 Value, U32 u32Priority, DATA_TYPE DataType,
                                        const char* (*pString)[DB_NUM_LANGUAGES], U32 u32TimeOut);
BOOLEAN H_DATABASE_bUpdateEverythingFloat(FOURCHARID FourCharId, float Value, U32 u32Priority, DATA_TYPE DataType,
                                          const char* (*pString)[DB_NUM_LANGUAGES], U32 u32TimeOut);
BOOLEAN H_DATABASE_bUpdateEverythingVoidPointer(FOURCHARID FourCharId, void* Value, U32 u32Priority,
                                                DATA_TYPE DataType, const char* (*pString)[DB_NUM_LANGUAGES],
                                                U32 u32TimeOut);
BOOLEAN H_DATABASE_bUpdateEverythingBoolean(FOURCHARID FourCharId, BOOLEAN Value, U32 u32Priority,
                                            DATA_TYPE DataType, const char* (*pString)[DB_NUM_LANGUAGES],
                                            U32 u32TimeOut);

// A written key: installs *pExtraData and returns its value in *dbValue. A
// key never written: created with *pExtraData and *dbValue written. No mail.
void H_DATABASE_vReadOrSetDefault(FOURCHARID FourCharId, DB_DATA_TYPE* dbValue, U32 u32Priority,
                                  DB_ATTRIBUTES* pExtraData);
// Turns a written key back into a never-written one; everything else stays.
void H_DATABASE_vDeleteEntry(FOURCHARID FourCharId);
// Priority P_UNOWNED, marked invalid, subscribers told. Fatal for a key never written.
void H_DATABASE_vRelinquishOwnership(FOURCHARID FourCharId);

// Reading. TRUE for a written key, copying each output whose pointer is
// not null. FALSE otherwise: *pbValid becomes FALSE and the other outputs
// keep what the caller put there.
BOOLEAN H_DATABASE_bFetch(FOURCHARID FourChardId, DB_DATA_TYPE* pdbDestination, BOOLEAN* pbValid,
                          DB_ATTRIBUTES* pExtra);
BOOLEAN H_DATABASE_bFetchU32(FOURCHARID FourCharId, U32* pDestination, BOOLEAN* pbValid, DB_ATTRIBUTES* pExtra);
BOOLEAN H_DATABASE_bFetchS32(FOURCHARID FourCharId, S32* pDestination, BOOLEAN* pbValid, DB_ATTRIBUTES* pExtra);
BOOLEAN H_DATABASE_bFetchFloat(FOURCHARID FourCharId, float* pDestination, BOOLEAN* pbValid, DB_ATTRIBUTES* pExtra);
BOOLEAN H_DATABASE_bFetchVoidPointer(FOURCHARID FourCharId, void** pDestination, BOOLEAN* pbValid,
                                     DB_ATTRIBUTES* pExtra);
BOOLEAN H_DATABASE_bFetchBoolean(FOURCHARID FourCharId, BOOLEAN* pDestination, BOOLEAN* pbValid,
                                 DB_ATTRIBUTES* pExtra);
// One step over the written keys beginning with pControl->cMatch, in
// bucket order and then creation order.
BOOLEAN H_DATABASE_bFetchNextBeginningWith(MULTI_FETCH_CONTROL_STRUCTURE* pControl);

// Subscribing. Note the argument order: changed, invalid, updated.
BOOLEAN H_DATABASE_bRegisterForDataWithConditions(FOURCHARID FourCharId, MBOX Mailbox, BOOLEAN bChanged,
                                                  BOOLEAN bInvalid, BOOLEAN bUpdated);
void H_DATABASE_vUnregisterMailbox(FOURCHARID FourCharId, MBOX Mailbox);
// One mail for each written key the mailbox subscribes to, whatever its conditions.
void H_DATABASE_vSendMailboxAllRegisteredItems(MBOX cmMailbox);
// One mail for each written key beginning with cMatch (every key for 0).
void H_DATABASE_vSendMailboxAllItemsBeginningWith(char cMatch, MBOX cmMailbox);

// The time-out sweep, run every 2000 ms by the start-up task.
void H_DATABASE_vSendAllInvalidData(void);

// Types and units.
DATA_FORMAT H_DATABASE_DataType(DATA_TYPE DataType);
UNIT_TYPE H_DATABASE_CurrentUnits(DATA_TYPE DataType);
const char* H_DATABASE_pcUnitsString(UNIT_TYPE UnitType, U32 u32Lang);
// A domestic model may show only some units: the check rewrites the key
// with the default when its value is not among the valid ones. On any
// other model, and before the model query is installed, it does nothing.
void H_DATABASE_vCheckForValidUnits(FOURCHARID FourCharId, const U32* pValidUnits, U8 u8NumValidUnitTypes,
                                    UNIT_TYPE defaultUnits);
// The model question is answered from the layer above (the model table);
// the composition root installs it before any task starts. Null removes it.
typedef BOOLEAN H_DATABASE_MODEL_QUERY(void);
void H_DATABASE_vInstallDomesticModelQuery(H_DATABASE_MODEL_QUERY* pfnDomesticModel);
