// The data store: 512 buckets of singly linked keys, guarded by mutex 1.
//
// A key's bucket is (id ^ (id >> 10) ^ (id >> 5)) & 0x1FF; each chain is in
// creation order. Nodes and subscriber nodes come from the program heap and
// key nodes are never freed, so a node pointer stays valid for the life of
// the process (the iterator keeps one across calls).
//
// Write rule: a write is refused when the stored writer is strictly
// stronger, its value is still fresh (time-out never, or age below the
// time-out) and the key is written. A refused write changes nothing but may
// give a key without attributes its type and text. An accepted write takes
// the writer's priority, stamps the key and sets its flags: updated always,
// changed when the value's bits differ or the key was marked invalid. Then
// every subscriber whose conditions meet the key's flags gets one mail, and
// the changed and updated flags are cleared; invalid stays until the next
// accepted write.
//
// Ages are measured on the monotonic kernel clock in milliseconds against
// time-outs given in seconds.
#include "store/h_database.h"

#include "kernel/error.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"

#include <array>
#include <atomic>
#include <cctype>
#include <cstring>
#include <ctime>

// Constants ---------------------------------------------------------------

namespace {

constexpr MUTEX RES_DATABASE = 1;
constexpr U32 NUM_BUCKETS = 512;
constexpr const char* MODULE = "h_database";

} // namespace

// Types -------------------------------------------------------------------

typedef struct tag_REGISTERED_MBOX {
    DB_CONDITION_FLAGS Condition;
    MBOX Mailbox;
} REGISTERED_MBOX;

typedef struct tagLlistMbox {
    REGISTERED_MBOX RegisteredMbox;
    struct tagLlistMbox* pNext;
} MAILBOX_LIST_NODE;

typedef struct tag_DATABASE_ELEMENT {
    FOURCHARID Id;
    DB_DATA_TYPE dbValue;
    DB_ATTRIBUTES ExtraData;
    time_t TimeStamp;          // wall clock: creation, then the last accepted write
    U32 u32Priority;           // ITEM_PRIORITY of the writer of the stored value
    MBOX mboxOwner;            // kept for the record layout; the store never sets it
    MAILBOX_LIST_NODE* pMboxList; // newest first
    DB_CONDITION_FLAGS Condition;
    BOOLEAN bCreated;          // holds a written value
    U64 u64StampMillis;        // kernel clock at creation, then at the last accepted write
} DATABASE_ELEMENT;

typedef struct LlistDatabase {
    DATABASE_ELEMENT Element;
    struct LlistDatabase* pNext;
} DATABASE_LIST_NODE;

// How many bits of a written value count.
enum VALUE_WIDTH {
    WIDTH_32,      // a 32-bit value
    WIDTH_SLOT,    // a pointer
    WIDTH_BY_TYPE  // a pointer when the key's data type is D_POINTER
};

// Statics -----------------------------------------------------------------

namespace {

const DATABASE_ELEMENT DefaultDatabaseElement = {
    0,                                          // Id
    {0xFFFFFFFFu},                              // dbValue
    {D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER},     // ExtraData
    0,                                          // TimeStamp
    P_UNOWNED,                                  // u32Priority
    0,                                          // mboxOwner
    nullptr,                                    // pMboxList
    {0, 0, 1},                                  // bChanged, bUpdated, bInvalid
    0,                                          // bCreated
    0,                                          // u64StampMillis
};

std::array<DATABASE_LIST_NODE*, NUM_BUCKETS> s_pDataBase;

const DATA_FORMAT s_DataFormats[NUMBER_OF_DATA_TYPES] = {
    DF_UNSIGNED32,   // D_UNKNOWN
    DF_ENUMERATED,   // D_UNITS
    DF_VOID_POINTER, // D_POINTER
    DF_FLOAT,        // D_TEMPERATURE
    DF_FLOAT,        // D_SPEED
    DF_FLOAT,        // D_DISTANCE
    DF_FLOAT,        // D_HEADING
    DF_FLOAT,        // D_DEPTH
    DF_UNSIGNED32,   // D_DATETIME
    DF_UNSIGNED32,   // D_TIME
    DF_UNSIGNED32,   // D_LONG_TIME
    DF_FLOAT,        // D_PRESSURE
    DF_FLOAT,        // D_VOLUME
    DF_FLOAT,        // D_PH
    DF_FLOAT,        // D_CONCENTRATION
    DF_FLOAT,        // D_VOLTAGE
    DF_FLOAT,        // D_CURRENT
    DF_UNSIGNED32,   // D_MAILBOX
    DF_ERROR,        // D_POSITION
    DF_FLOAT,        // D_POSITION_LAT
    DF_FLOAT,        // D_POSITION_LON
    DF_SIGNED32,     // D_POSITION_LAT_MM
    DF_SIGNED32,     // D_POSITION_LON_MM
    DF_UNSIGNED32,   // D_FCID
    DF_SIGNED32,     // D_PERCENT
    DF_UNSIGNED32,   // D_SAT_DATA
    DF_ERROR,        // D_WAYPOINT
    DF_FLOAT,        // D_ALTITUDE
    DF_FLOAT,        // D_FLOAT
    DF_SIGNED32,     // D_SIGNED32
    DF_ERROR,        // D_UNSIGNED32
    DF_ERROR,        // D_FIXED_POINT
    DF_SIGNED32,     // D_ELEVATION_ANGLE
    DF_FLOAT,        // D_TEMPERATURE_OFFSET
};

// The units key that holds the user's display unit of a data type; 0 for none.
FOURCHARID fcidUnitsKey(DATA_TYPE DataType)
{
    switch (DataType) {
    case D_TEMPERATURE:
    case D_TEMPERATURE_OFFSET:
        return FCID("SUTE");
    case D_SPEED:
        return FCID("SUSP");
    case D_DISTANCE:
        return FCID("SUDS");
    case D_HEADING:
        return FCID("SUHD");
    case D_DEPTH:
        return FCID("YUDP");
    case D_PRESSURE:
        return FCID("SUPR");
    case D_ALTITUDE:
        return FCID("SUAT");
    default:
        return 0;
    }
}

// Unit abbreviations; the same in every language. 0xBA is the degree sign
// of the unit's fonts. Null marks a unit without a text.
const char* const s_UnitTexts[NUMBER_OF_UNIT_TYPES] = {
    "",             // U_NONE
    "",             // U_MPS
    "sm",           // U_STAT_MILES
    "",             // U_NAUT_MILES
    "km",           // U_KM
    "kts",          // U_KNOTS
    "mph",          // U_MPH
    "kph",          // U_KPH
    "",             // U_LATLON
    "",             // U_INCH
    "m",            // U_METRES
    "ft",           // U_FEET
    "fthm",         // U_FATHOMS
    "seconds",      // U_SECONDS
    nullptr,        // U_MINUTES
    "In.Hg",        // U_INCHESHG
    "mmHg",         // U_MMHG
    "mb",           // U_MILLIBAR
    "hPa",          // U_HECTOPASCALS
    "U.S. Gallons", // U_USGALLONS
    "Imp. Gallons", // U_UKGALLONS
    "Liters",       // U_LITRES
    "",             // U_M3
    "",             // U_PPMO2
    "",             // U_MOLPERM3
    "V",            // U_VOLTS
    "",             // U_AMPERES
    "",             // U_MILLIAMPERES
    "\xBA" "C",     // U_CELSIUS
    "\xBA" "F",     // U_FAHRENHEIT
    "\xBA" "t",     // U_DEG_TRUE
    "\xBA" "m",     // U_DEG_MAGNETIC
    "nm",           // U_NAUT_MILES_FT
    "nm",           // U_NAUT_MILES_M
    "\xBA",         // U_DEG_GEOMETRIC
    "PSI",          // U_PSI
    "kpa",          // U_KPA
};

} // namespace

// Static prototypes ---------------------------------------------------------

namespace {

// The model table belongs to the system layer above; until its answer is
// installed the unit counts as an export model, which leaves every unit
// setting as the user chose it.
std::atomic<H_DATABASE_MODEL_QUERY*> s_pfnDomesticModel{nullptr};

void vLock(void) { L_MUTEX_LockWait(RES_DATABASE); }
void vUnlock(void) { L_MUTEX_Unlock(RES_DATABASE); }
[[noreturn]] void vFatal(U32 u32Line, const char* pcText);

U32 u32Bucket(FOURCHARID id);
DATABASE_LIST_NODE* pdbFindOrCreateEntry(FOURCHARID id, const DB_ATTRIBUTES* pAttributes);
DATABASE_LIST_NODE* pdbFindWritten(FOURCHARID id);
DB_DATA_TYPE dbNormalise(DB_DATA_TYPE dbValue, BOOLEAN bPointer);
BOOLEAN bIsDataValid(const DATABASE_ELEMENT* pElement, U64 u64Now);
BOOLEAN bIsDataValidNow(const DATABASE_ELEMENT* pElement);
BOOLEAN bIsOwnedTaskKey(const DATABASE_ELEMENT* pElement, DB_DATA_TYPE dbValue, U32 u32Priority, U64 u64Now);
void vUpdateEntryInDatabase(DATABASE_LIST_NODE* pNode, DB_DATA_TYPE dbValue, U32 u32Priority,
                            const DB_ATTRIBUTES* pAttributes);
void vSendNewData(MBOX Mailbox, const DATABASE_ELEMENT* pElement);
void vNotifyRegisteredMailboxes(DATABASE_LIST_NODE* pNode, MBOX exceptThisOne);
BOOLEAN bUpdate(FOURCHARID id, DB_DATA_TYPE dbValue, VALUE_WIDTH Width, U32 u32Priority,
                const DB_ATTRIBUTES* pAttributes, MBOX exceptThisOne);

DB_DATA_TYPE dbFrom32(U32 u32)
{
    DB_DATA_TYPE v;
    v.RawSlot = 0;
    v.RawData = u32;
    return v;
}

DB_DATA_TYPE dbFromPointer(void* p)
{
    DB_DATA_TYPE v;
    v.RawSlot = 0;
    v.vpPointer = p;
    return v;
}

U32 u32FromFloat(float f)
{
    U32 u;
    memcpy(&u, &f, sizeof u);
    return u;
}

} // namespace

// Setting up ----------------------------------------------------------------

// Under the store's mutex like every other access: tests and a restarting
// unit call it while other threads may still be in the store.
void H_DATABASE_vInit(void)
{
    vLock();
    s_pDataBase.fill(nullptr);
    vUnlock();
}

// Writing -------------------------------------------------------------------

BOOLEAN H_DATABASE_bUpdateValue(FOURCHARID FourCharId, DB_DATA_TYPE dbValue, U32 u32Priority)
{
    return bUpdate(FourCharId, dbValue, WIDTH_BY_TYPE, u32Priority, nullptr, 0);
}

BOOLEAN H_DATABASE_bUpdateValueU32(FOURCHARID FourCharId, U32 Value, U32 u32Priority)
{
    return bUpdate(FourCharId, dbFrom32(Value), WIDTH_32, u32Priority, nullptr, 0);
}

BOOLEAN H_DATABASE_bUpdateValueS32(FOURCHARID FourCharId, S32 Value, U32 u32Priority)
{
    return bUpdate(FourCharId, dbFrom32((U32)Value), WIDTH_32, u32Priority, nullptr, 0);
}

BOOLEAN H_DATABASE_bUpdateValueFloat(FOURCHARID FourCharId, float Value, U32 u32Priority)
{
    return bUpdate(FourCharId, dbFrom32(u32FromFloat(Value)), WIDTH_32, u32Priority, nullptr, 0);
}

BOOLEAN H_DATABASE_bUpdateValueVoidPointer(FOURCHARID FourCharId, void* Value, U32 u32Priority)
{
    return bUpdate(FourCharId, dbFromPointer(Value), WIDTH_SLOT, u32Priority, nullptr, 0);
}

BOOLEAN H_DATABASE_bUpdateValueBoolean(FOURCHARID FourCharId, BOOLEAN Value, U32 u32Priority)
{
    return bUpdate(FourCharId, dbFrom32(Value), WIDTH_32, u32Priority, nullptr, 0);
}

BOOLEAN H_DATABASE_bUpdateValueU32Except(FOURCHARID FourCharId, U32 Value, U32 u32Priority, MBOX exceptThisOne)
{
    return bUpdate(FourCharId, dbFrom32(Value), WIDTH_32, u32Priority, nullptr, exceptThisOne);
}

BOOLEAN H_DATABASE_bUpdateEverything(FOURCHARID FourCharId, DB_DATA_TYPE dbValue, U32 u32Priority,
                                     DATA_TYPE DataType, const char* (*pString)[DB_NUM_LANGUAGES],
                                     U32 u32TimeOut)
{
    DB_ATTRIBUTES attributes = {DataType, pString, u32TimeOut};
    return bUpdate(FourCharId, dbValue, WIDTH_BY_TYPE, u32Priority, &attributes, 0);
}

BOOLEAN H_DATABASE_bUpdateEverythingU32(FOURCHARID FourCharId, U32 Value, U32 u32Priority, DATA_TYPE DataType,
                                        const char* (*pString)[DB_NUM_LANGUAGES], U32 u32TimeOut)
{
    DB_ATTRIBUTES attributes = {DataType, pString, u32TimeOut};
    return bUpdate(FourCharId, dbFrom32(Value), WIDTH_32, u32Priority, &attributes, 0);
}

BOOLEAN H_DATABASE_bUpdateEverythingS32(FOURCHARID FourCharId, S32 Value, U32 u32Priority, DATA_TYPE DataType,
                                        const char* (*pString)[DB_NUM_LANGUAGES], U32 u32TimeOut)
{
    DB_ATTRIBUTES attributes = {DataType, pString, u32TimeOut};
    return bUpdate(FourCharId, dbFrom32((U32)Value), WIDTH_32, u32Priority, &attributes, 0);
}

BOOLEAN H_DATABASE_bUpdateEverythingFloat(FOURCHARID FourCharId, float Value, U32 u32Priority, DATA_TYPE DataType,
                                          const char* (*pString)[DB_NUM_LANGUAGES], U32 u32TimeOut)
{
    DB_ATTRIBUTES attributes = {DataType, pString, u32TimeOut};
    return bUpdate(FourCharId, dbFrom32(u32FromFloat(Value)), WIDTH_32, u32Priority, &attributes, 0);
}

BOOLEAN H_DATABASE_bUpdateEverythingVoidPointer(FOURCHARID FourCharId, void* Value, U32 u32Priority,
                                                DATA_TYPE DataType, const char* (*pString)[DB_NUM_LANGUAGES],
                                                U32 u32TimeOut)
{
    DB_ATTRIBUTES attributes = {DataType, pString, u32TimeOut};
    return bUpdate(FourCharId, dbFromPointer(Value), WIDTH_SLOT, u32Priority, &attributes, 0);
}

BOOLEAN H_DATABASE_bUpdateEverythingBoolean(FOURCHARID FourCharId, BOOLEAN Value, U32 u32Priority,
                                            DATA_TYPE DataType, const char* (*pString)[DB_NUM_LANGUAGES],
                                            U32 u32TimeOut)
{
    DB_ATTRIBUTES attributes = {DataType, pString, u32TimeOut};
    return bUpdate(FourCharId, dbFrom32(Value), WIDTH_32, u32Priority, &attributes, 0);
}

void H_DATABASE_vReadOrSetDefault(FOURCHARID FourCharId, DB_DATA_TYPE* dbValue, U32 u32Priority,
                                  DB_ATTRIBUTES* pExtraData)
{
    if (!dbValue)
        return;
    vLock();
    DATABASE_LIST_NODE* pNode = pdbFindWritten(FourCharId);
    if (pNode) {
        if (pExtraData)
            pNode->Element.ExtraData = *pExtraData;
        *dbValue = pNode->Element.dbValue;
    } else {
        pNode = pdbFindOrCreateEntry(FourCharId, pExtraData);
        BOOLEAN bPointer = pNode->Element.ExtraData.DataType == D_POINTER;
        vUpdateEntryInDatabase(pNode, dbNormalise(*dbValue, bPointer), u32Priority, pExtraData);
    }
    vUnlock();
}

void H_DATABASE_vDeleteEntry(FOURCHARID FourCharId)
{
    vLock();
    DATABASE_LIST_NODE* pNode = pdbFindWritten(FourCharId);
    if (pNode)
        pNode->Element.bCreated = FALSE;
    vUnlock();
}

void H_DATABASE_vRelinquishOwnership(FOURCHARID FourCharId)
{
    vLock();
    DATABASE_LIST_NODE* pNode = pdbFindWritten(FourCharId);
    if (!pNode) {
        vUnlock();
        vFatal(__LINE__, "Requested ID not found");
    }
    DB_CONDITION_FLAGS& flags = pNode->Element.Condition;
    flags.bInvalid = TRUE;
    pNode->Element.u32Priority = P_UNOWNED;
    flags.bChanged = TRUE;
    flags.bUpdated = TRUE;
    vNotifyRegisteredMailboxes(pNode, 0);
    vUnlock();
}

// Reading -------------------------------------------------------------------

BOOLEAN H_DATABASE_bFetch(FOURCHARID FourChardId, DB_DATA_TYPE* pdbDestination, BOOLEAN* pbValid,
                          DB_ATTRIBUTES* pExtra)
{
    vLock();
    const DATABASE_LIST_NODE* pNode = pdbFindWritten(FourChardId);
    if (!pNode) {
        vUnlock();
        if (pbValid)
            *pbValid = FALSE;
        return FALSE;
    }
    const DATABASE_ELEMENT& e = pNode->Element;
    if (pdbDestination)
        *pdbDestination = e.dbValue;
    if (pbValid)
        *pbValid = bIsDataValidNow(&e);
    if (pExtra)
        *pExtra = e.ExtraData;
    vUnlock();
    return TRUE;
}

BOOLEAN H_DATABASE_bFetchU32(FOURCHARID FourCharId, U32* pDestination, BOOLEAN* pbValid, DB_ATTRIBUTES* pExtra)
{
    DB_DATA_TYPE v;
    if (!H_DATABASE_bFetch(FourCharId, &v, pbValid, pExtra))
        return FALSE;
    if (pDestination)
        *pDestination = v.u32Val;
    return TRUE;
}

BOOLEAN H_DATABASE_bFetchS32(FOURCHARID FourCharId, S32* pDestination, BOOLEAN* pbValid, DB_ATTRIBUTES* pExtra)
{
    DB_DATA_TYPE v;
    if (!H_DATABASE_bFetch(FourCharId, &v, pbValid, pExtra))
        return FALSE;
    if (pDestination)
        *pDestination = (S32)v.RawData;
    return TRUE;
}

BOOLEAN H_DATABASE_bFetchFloat(FOURCHARID FourCharId, float* pDestination, BOOLEAN* pbValid, DB_ATTRIBUTES* pExtra)
{
    DB_DATA_TYPE v;
    if (!H_DATABASE_bFetch(FourCharId, &v, pbValid, pExtra))
        return FALSE;
    if (pDestination)
        memcpy(pDestination, &v.RawData, sizeof *pDestination);
    return TRUE;
}

BOOLEAN H_DATABASE_bFetchVoidPointer(FOURCHARID FourCharId, void** pDestination, BOOLEAN* pbValid,
                                     DB_ATTRIBUTES* pExtra)
{
    DB_DATA_TYPE v;
    if (!H_DATABASE_bFetch(FourCharId, &v, pbValid, pExtra))
        return FALSE;
    if (pDestination)
        *pDestination = v.vpPointer;
    return TRUE;
}

BOOLEAN H_DATABASE_bFetchBoolean(FOURCHARID FourCharId, BOOLEAN* pDestination, BOOLEAN* pbValid,
                                 DB_ATTRIBUTES* pExtra)
{
    DB_DATA_TYPE v;
    if (!H_DATABASE_bFetch(FourCharId, &v, pbValid, pExtra))
        return FALSE;
    if (pDestination)
        *pDestination = (BOOLEAN)(v.RawData & 0xFF);
    return TRUE;
}

BOOLEAN H_DATABASE_bFetchNextBeginningWith(MULTI_FETCH_CONTROL_STRUCTURE* pControl)
{
    if (!pControl)
        return FALSE;
    if (!pControl->__bNotFirst) {
        if (!isupper(pControl->cMatch))
            return FALSE;
        pControl->__pItem = nullptr;
        pControl->__index = 0;
        pControl->__bNotFirst = TRUE;
        pControl->__cMatch = pControl->cMatch;
    }
    if (pControl->__index >= NUM_BUCKETS)
        return FALSE;

    vLock();
    auto* pItem = static_cast<DATABASE_LIST_NODE*>(pControl->__pItem);
    DATABASE_LIST_NODE* pNode = pItem ? pItem->pNext : s_pDataBase[pControl->__index];
    for (;;) {
        if (!pNode) {
            if (++pControl->__index >= NUM_BUCKETS)
                break;
            pNode = s_pDataBase[pControl->__index];
            continue;
        }
        pControl->__pItem = pNode;
        const DATABASE_ELEMENT& e = pNode->Element;
        if (e.bCreated && (e.Id & 0xFF) == pControl->__cMatch) {
            pControl->id = e.Id;
            pControl->data = e.dbValue;
            pControl->extras = e.ExtraData;
            pControl->bValid = bIsDataValidNow(&e);
            vUnlock();
            return TRUE;
        }
        pNode = pNode->pNext;
    }
    pControl->__index = NUM_BUCKETS;
    vUnlock();
    return FALSE;
}

// Subscribing ---------------------------------------------------------------

BOOLEAN H_DATABASE_bRegisterForDataWithConditions(FOURCHARID FourCharId, MBOX Mailbox, BOOLEAN bChanged,
                                                  BOOLEAN bInvalid, BOOLEAN bUpdated)
{
    vLock();
    DATABASE_LIST_NODE* pNode = pdbFindOrCreateEntry(FourCharId, nullptr);
    MAILBOX_LIST_NODE* pSub = pNode->Element.pMboxList;
    while (pSub && pSub->RegisteredMbox.Mailbox != Mailbox)
        pSub = pSub->pNext;
    if (!pSub) {
        pSub = static_cast<MAILBOX_LIST_NODE*>(H_MEMORY_pvMalloc(sizeof(MAILBOX_LIST_NODE)));
        pSub->RegisteredMbox.Mailbox = Mailbox;
        pSub->pNext = pNode->Element.pMboxList;
        pNode->Element.pMboxList = pSub;
    }
    pSub->RegisteredMbox.Condition.bChanged = bChanged;
    pSub->RegisteredMbox.Condition.bUpdated = bUpdated;
    pSub->RegisteredMbox.Condition.bInvalid = bInvalid;
    vUnlock();
    return TRUE;
}

void H_DATABASE_vUnregisterMailbox(FOURCHARID FourCharId, MBOX Mailbox)
{
    vLock();
    DATABASE_LIST_NODE* pNode = pdbFindWritten(FourCharId);
    if (pNode) {
        MAILBOX_LIST_NODE** ppLink = &pNode->Element.pMboxList;
        while (*ppLink) {
            MAILBOX_LIST_NODE* pSub = *ppLink;
            if (pSub->RegisteredMbox.Mailbox == Mailbox) {
                *ppLink = pSub->pNext;
                H_MEMORY_vFree(pSub);
            } else {
                ppLink = &pSub->pNext;
            }
        }
    }
    vUnlock();
}

void H_DATABASE_vSendMailboxAllRegisteredItems(MBOX cmMailbox)
{
    vLock();
    for (DATABASE_LIST_NODE* pHead : s_pDataBase) {
        for (DATABASE_LIST_NODE* pNode = pHead; pNode; pNode = pNode->pNext) {
            if (!pNode->Element.bCreated)
                continue;
            for (const MAILBOX_LIST_NODE* pSub = pNode->Element.pMboxList; pSub; pSub = pSub->pNext) {
                if (pSub->RegisteredMbox.Mailbox == cmMailbox) {
                    vSendNewData(cmMailbox, &pNode->Element);
                    break;
                }
            }
        }
    }
    vUnlock();
}

void H_DATABASE_vSendMailboxAllItemsBeginningWith(char cMatch, MBOX cmMailbox)
{
    vLock();
    for (DATABASE_LIST_NODE* pHead : s_pDataBase) {
        for (DATABASE_LIST_NODE* pNode = pHead; pNode; pNode = pNode->pNext) {
            const DATABASE_ELEMENT& e = pNode->Element;
            if (e.bCreated && (cMatch == 0 || (e.Id & 0xFF) == (U8)cMatch))
                vSendNewData(cmMailbox, &e);
        }
    }
    vUnlock();
}

// Maintenance ---------------------------------------------------------------

void H_DATABASE_vSendAllInvalidData(void)
{
    vLock();
    U64 u64Now = L_CLOCK_qwGetTimeInMillis();
    for (DATABASE_LIST_NODE* pHead : s_pDataBase) {
        for (DATABASE_LIST_NODE* pNode = pHead; pNode; pNode = pNode->pNext) {
            DATABASE_ELEMENT& e = pNode->Element;
            if (!e.bCreated || e.Condition.bInvalid || e.ExtraData.u32TimeOut == DB_TIMEOUT_NEVER ||
                bIsDataValid(&e, u64Now))
                continue;
            e.Condition.bUpdated = TRUE;
            e.Condition.bChanged = TRUE;
            e.Condition.bInvalid = TRUE;
            vNotifyRegisteredMailboxes(pNode, 0);
        }
    }
    vUnlock();
}

// Types and units -----------------------------------------------------------

DATA_FORMAT H_DATABASE_DataType(DATA_TYPE DataType)
{
    DATA_FORMAT format = (U32)DataType < NUMBER_OF_DATA_TYPES ? s_DataFormats[DataType] : DF_ERROR;
    if (format == DF_ERROR)
        vFatal(__LINE__, "Invalid data type");
    return format;
}

UNIT_TYPE H_DATABASE_CurrentUnits(DATA_TYPE DataType)
{
    FOURCHARID key = fcidUnitsKey(DataType);
    U32 u32Units = U_NONE;
    if (key != 0)
        H_DATABASE_bFetchU32(key, &u32Units, nullptr, nullptr);
    return (UNIT_TYPE)u32Units;
}

const char* H_DATABASE_pcUnitsString(UNIT_TYPE UnitType, U32 /*u32Lang*/)
{
    const char* pcText = (U32)UnitType < NUMBER_OF_UNIT_TYPES ? s_UnitTexts[UnitType] : nullptr;
    if (!pcText)
        vFatal(__LINE__, "Unknown units");
    return pcText;
}

void H_DATABASE_vInstallDomesticModelQuery(H_DATABASE_MODEL_QUERY* pfnDomesticModel)
{
    s_pfnDomesticModel.store(pfnDomesticModel);
}

void H_DATABASE_vCheckForValidUnits(FOURCHARID FourCharId, const U32* pValidUnits, U8 u8NumValidUnitTypes,
                                    UNIT_TYPE defaultUnits)
{
    H_DATABASE_MODEL_QUERY* pfnDomestic = s_pfnDomesticModel.load();
    if (pfnDomestic == nullptr || !pfnDomestic())
        return;
    U32 u32Units;
    if (H_DATABASE_bFetchU32(FourCharId, &u32Units, nullptr, nullptr) && pValidUnits) {
        for (U8 i = 0; i < u8NumValidUnitTypes; ++i) {
            if (pValidUnits[i] == u32Units)
                return;
        }
    }
    H_DATABASE_bUpdateValueU32(FourCharId, (U32)defaultUnits, P_NORMAL);
}

// Static functions ----------------------------------------------------------

namespace {

void vFatal(U32 u32Line, const char* pcText)
{
    ERROR_error(MODULE, u32Line, pcText);
    U_RESET_vReset(FALSE, FALSE);
}

U32 u32Bucket(FOURCHARID id)
{
    return (id ^ (id >> 10) ^ (id >> 5)) & (NUM_BUCKETS - 1);
}

// The key's node, written or not; a new node at the end of its chain when
// there is none, with the attributes when given.
DATABASE_LIST_NODE* pdbFindOrCreateEntry(FOURCHARID id, const DB_ATTRIBUTES* pAttributes)
{
    DATABASE_LIST_NODE** ppLink = &s_pDataBase[u32Bucket(id)];
    while (*ppLink) {
        if ((*ppLink)->Element.Id == id)
            return *ppLink;
        ppLink = &(*ppLink)->pNext;
    }
    auto* pNode = static_cast<DATABASE_LIST_NODE*>(H_MEMORY_pvMalloc(sizeof(DATABASE_LIST_NODE)));
    pNode->Element = DefaultDatabaseElement;
    pNode->Element.Id = id;
    pNode->Element.dbValue = dbFrom32(0);
    if (pAttributes)
        pNode->Element.ExtraData = *pAttributes;
    pNode->Element.TimeStamp = time(nullptr);
    pNode->Element.u64StampMillis = L_CLOCK_qwGetTimeInMillis();
    pNode->pNext = nullptr;
    *ppLink = pNode;
    return pNode;
}

DATABASE_LIST_NODE* pdbFindWritten(FOURCHARID id)
{
    for (DATABASE_LIST_NODE* pNode = s_pDataBase[u32Bucket(id)]; pNode; pNode = pNode->pNext) {
        if (pNode->Element.Id == id)
            return pNode->Element.bCreated ? pNode : nullptr;
    }
    return nullptr;
}

// A 32-bit value is held zero-extended, so that whatever a caller left in
// the rest of the slot never counts in a comparison.
DB_DATA_TYPE dbNormalise(DB_DATA_TYPE dbValue, BOOLEAN bPointer)
{
    return bPointer ? dbValue : dbFrom32(dbValue.RawData);
}

// Fresh: the time-out never runs out, or the age is below it. A clock
// reading before the stamp (only a test clock can go back) counts as age 0.
BOOLEAN bIsDataValid(const DATABASE_ELEMENT* pElement, U64 u64Now)
{
    U32 u32TimeOut = pElement->ExtraData.u32TimeOut;
    if (u32TimeOut == DB_TIMEOUT_NEVER)
        return TRUE;
    U64 u64Age = u64Now >= pElement->u64StampMillis ? u64Now - pElement->u64StampMillis : 0;
    return u64Age < (U64)u32TimeOut * 1000u;
}

// Reads read the clock only for values that can expire.
BOOLEAN bIsDataValidNow(const DATABASE_ELEMENT* pElement)
{
    return pElement->ExtraData.u32TimeOut == DB_TIMEOUT_NEVER || bIsDataValid(pElement, L_CLOCK_qwGetTimeInMillis());
}

// A task's mailbox key has one owner: while the owner's value is fresh and
// not invalid, another mailbox number from a writer no stronger than the
// owner is refused, so the second owner learns of the clash.
BOOLEAN bIsOwnedTaskKey(const DATABASE_ELEMENT* pElement, DB_DATA_TYPE dbValue, U32 u32Priority, U64 u64Now)
{
    return pElement->bCreated && (pElement->Id & 0xFF) == 'T' && pElement->ExtraData.DataType == D_MAILBOX &&
           !pElement->Condition.bInvalid && pElement->u32Priority <= u32Priority &&
           pElement->dbValue.RawSlot != dbValue.RawSlot && bIsDataValid(pElement, u64Now);
}

void vUpdateEntryInDatabase(DATABASE_LIST_NODE* pNode, DB_DATA_TYPE dbValue, U32 u32Priority,
                            const DB_ATTRIBUTES* pAttributes)
{
    DATABASE_ELEMENT& e = pNode->Element;
    U64 u64Now = L_CLOCK_qwGetTimeInMillis();
    BOOLEAN bRefused = (e.u32Priority < u32Priority && e.bCreated && bIsDataValid(&e, u64Now)) ||
                       bIsOwnedTaskKey(&e, dbValue, u32Priority, u64Now);
    if (bRefused) {
        // A weaker writer may still name a key that its owner left bare.
        if (pAttributes && e.ExtraData.DataType == D_UNKNOWN && e.ExtraData.ppcText == nullptr &&
            e.ExtraData.u32TimeOut == DB_TIMEOUT_NEVER)
            e.ExtraData = *pAttributes;
        return;
    }
    e.u32Priority = u32Priority;
    e.TimeStamp = time(nullptr);
    e.u64StampMillis = u64Now;
    e.Condition.bUpdated = TRUE;
    if (e.Condition.bInvalid) {
        e.Condition.bChanged = TRUE;
        e.Condition.bInvalid = FALSE;
    } else {
        e.Condition.bChanged = e.dbValue.RawSlot != dbValue.RawSlot;
    }
    e.dbValue = dbValue;
    e.bCreated = TRUE;
    if (pAttributes) {
        e.ExtraData.DataType = pAttributes->DataType;
        e.ExtraData.ppcText = pAttributes->ppcText;
        if (pAttributes->u32TimeOut != 0)
            e.ExtraData.u32TimeOut = pAttributes->u32TimeOut;
    }
}

// The mail belongs to the receiver once sent; when the send fails (a
// subscriber with a bad mailbox number) nobody would free it, so it is
// freed here.
void vSendNewData(MBOX Mailbox, const DATABASE_ELEMENT* pElement)
{
    auto* pMsg = static_cast<MESSAGE_NEW_DATA*>(H_MEMORY_pvMalloc(sizeof(MESSAGE_NEW_DATA)));
    memset(pMsg, 0, sizeof *pMsg);
    pMsg->Header.Cmd = CMD_ID_NEW_DATA;
    pMsg->FourCharId = pElement->Id;
    pMsg->dbValue = pElement->dbValue;
    pMsg->bValid = !pElement->Condition.bInvalid;
    if (L_MBOX_Send(Mailbox, &pMsg->Header.msghdr, DATABASE_PRIORITY, 0) != 0)
        H_MEMORY_vFree(pMsg);
}

void vNotifyRegisteredMailboxes(DATABASE_LIST_NODE* pNode, MBOX exceptThisOne)
{
    DATABASE_ELEMENT& e = pNode->Element;
    for (const MAILBOX_LIST_NODE* pSub = e.pMboxList; pSub; pSub = pSub->pNext) {
        const REGISTERED_MBOX& r = pSub->RegisteredMbox;
        if (r.Mailbox == exceptThisOne)
            continue;
        if ((r.Condition.bChanged == 1 && e.Condition.bChanged == 1) ||
            (r.Condition.bUpdated == 1 && e.Condition.bUpdated == 1) ||
            (r.Condition.bInvalid == 1 && e.Condition.bInvalid == 1))
            vSendNewData(r.Mailbox, &e);
    }
    e.Condition.bChanged = FALSE;
    e.Condition.bUpdated = FALSE;
}

// Find-or-create, the write rule and the notification pass under the mutex;
// the result compares the stored value with the one written.
BOOLEAN bUpdate(FOURCHARID id, DB_DATA_TYPE dbValue, VALUE_WIDTH Width, U32 u32Priority,
                const DB_ATTRIBUTES* pAttributes, MBOX exceptThisOne)
{
    vLock();
    DATABASE_LIST_NODE* pNode = pdbFindOrCreateEntry(id, pAttributes);
    BOOLEAN bPointer = Width == WIDTH_SLOT ||
                       (Width == WIDTH_BY_TYPE && ((pAttributes && pAttributes->DataType == D_POINTER) ||
                                                   pNode->Element.ExtraData.DataType == D_POINTER));
    DB_DATA_TYPE value = dbNormalise(dbValue, bPointer);
    vUpdateEntryInDatabase(pNode, value, u32Priority, pAttributes);
    vNotifyRegisteredMailboxes(pNode, exceptThisOne);
    BOOLEAN bKept = pNode->Element.dbValue.RawSlot != value.RawSlot;
    vUnlock();
    return bKept;
}

} // namespace
