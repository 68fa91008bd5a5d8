// The data store's write rule, reads, attributes, iterator, units and its
// fatal paths.
#include "store/h_database.h"
#include "kernel/error.h"
#include "store/tests/store_fixture.h"

#include "testing/t_root.h"

#include <algorithm>
#include <cstring>
#include <string>

// Each test starts a fresh store and abandons the nodes of the last one,
// which the store by design never frees.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:pdbFindOrCreateEntry\nleak:H_DATABASE_bRegisterForDataWithConditions\n";
}

// The model answer the units check asks for; a test sets it.
static BOOLEAN s_bDomestic = FALSE;
static BOOLEAN bDomesticModel(void)
{
    return s_bDomestic;
}

namespace store_test {
namespace {

TEST(FourCharId, FirstCharacterInTheLowByte)
{
    EXPECT_EQ(FCID("SLNG"), 0x474E4C53u);
}

// --- Write rule -------------------------------------------------------------

enum class Before { Written, Deleted, Relinquished, OnlySubscribed, WrittenWithTimeOutZero };

struct WriteCase {
    const char* name;
    Before before;
    U32 storedPriority;
    U32 storedTimeOut; // seconds
    double ageSeconds;
    U32 writerPriority;
    U32 writtenValue;  // the stored value is 100
    bool accepted;
    bool result;       // the update's return value
};

class WriteRule : public Store, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(WriteRule, DecidesByPriorityAndTimeOut)
{
    const WriteCase& c = GetParam();
    const FOURCHARID key = FCID("IWRT");
    switch (c.before) {
    case Before::OnlySubscribed:
        H_DATABASE_bRegisterForDataWithConditions(key, MB_A, TRUE, TRUE, TRUE);
        break;
    case Before::WrittenWithTimeOutZero:
        H_DATABASE_bUpdateEverythingU32(key, 100, c.storedPriority, D_UNKNOWN, nullptr, 0);
        break;
    default:
        H_DATABASE_bUpdateEverythingU32(key, 100, c.storedPriority, D_UNKNOWN, nullptr, c.storedTimeOut);
        break;
    }
    advanceSeconds(c.ageSeconds);
    if (c.before == Before::Deleted)
        H_DATABASE_vDeleteEntry(key);
    if (c.before == Before::Relinquished)
        H_DATABASE_vRelinquishOwnership(key);

    BOOLEAN result = H_DATABASE_bUpdateValueU32(key, c.writtenValue, c.writerPriority);

    EXPECT_EQ(result != 0, c.result);
    EXPECT_EQ(fetchU32(key), c.accepted ? c.writtenValue : 100u);
}

const WriteCase kWriteCases[] = {
    {"EqualPriorityOverwritesAFreshValue", Before::Written, P_NORMAL, 60, 1, P_NORMAL, 7, true, false},
    {"StrongerWriterOverwrites", Before::Written, P_INTERNAL_GPS, 60, 1, P_EXTERNAL_GPS, 7, true, false},
    {"WeakerWriterLosesToAFreshStrongerOne", Before::Written, P_EXTERNAL_GPS, 4, 3.5, P_INTERNAL_GPS, 7, false,
     true},
    {"RefusedWriteOfTheStoredValueReturnsZero", Before::Written, P_EXTERNAL_GPS, 4, 1, P_INTERNAL_GPS, 100, false,
     false},
    {"WeakerWriterWinsWhenTheAgeEqualsTheTimeOut", Before::Written, P_EXTERNAL_GPS, 4, 4, P_INTERNAL_GPS, 7, true,
     false},
    {"WeakerWriterWinsLongAfterTheTimeOut", Before::Written, P_HIGHEST, 4, 500, P_UNOWNED, 7, true, false},
    {"NeverExpiringValueKeepsAWeakerWriterOut", Before::Written, P_NORMAL, DB_TIMEOUT_NEVER, 864000,
     P_DEFAULT_SETTING, 7, false, true},
    {"AnyWriterGetsInAfterDelete", Before::Deleted, P_NORMAL, DB_TIMEOUT_NEVER, 0, P_DEFAULT_SETTING, 7, true,
     false},
    {"AnyWriterGetsInAfterRelinquish", Before::Relinquished, P_NORMAL, DB_TIMEOUT_NEVER, 0, P_DEFAULT_SETTING, 7,
     true, false},
    {"AnyWriterGetsIntoAKeyOnlySubscribedTo", Before::OnlySubscribed, 0, 0, 0, P_UNOWNED, 7, true, false},
    {"TimeOutZeroOnANewKeyLetsEveryWriterIn", Before::WrittenWithTimeOutZero, P_HIGHEST, 0, 0, P_UNOWNED, 7, true,
     false},
};

INSTANTIATE_TEST_SUITE_P(Store, WriteRule, ::testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Store, AWeakerWriterTakingOverMakesTheKeyWeaker)
{
    const FOURCHARID key = FCID("IPOS");
    H_DATABASE_bUpdateEverythingU32(key, 1, P_EXTERNAL_GPS, D_UNKNOWN, nullptr, 4);
    advanceSeconds(4);
    EXPECT_FALSE(H_DATABASE_bUpdateValueU32(key, 2, P_NMEA2K_GPS));
    // The old writer comes back stronger, the one in between is now refused.
    EXPECT_TRUE(H_DATABASE_bUpdateValueU32(key, 3, P_EXTERNAL_AIS));
    EXPECT_FALSE(H_DATABASE_bUpdateValueU32(key, 4, P_EXTERNAL_GPS));
    EXPECT_EQ(fetchU32(key), 4u);
}

TEST_F(Store, DefaultDoesNotDisplaceALoadedSettingButFillsAnEmptyKey)
{
    const FOURCHARID loaded = FCID("SLOD"), fresh = FCID("SFRE");
    H_DATABASE_bUpdateEverythingU32(loaded, 5, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    EXPECT_TRUE(H_DATABASE_bUpdateEverythingU32(loaded, 9, P_DEFAULT_SETTING, D_UNITS, nullptr, DB_TIMEOUT_NEVER));
    EXPECT_FALSE(H_DATABASE_bUpdateEverythingU32(fresh, 9, P_DEFAULT_SETTING, D_UNITS, nullptr, DB_TIMEOUT_NEVER));
    EXPECT_EQ(fetchU32(loaded), 5u);
    EXPECT_EQ(fetchU32(fresh), 9u);
}

// --- Validity and time-outs ---------------------------------------------------

TEST_F(Store, ValidityFollowsTheKernelClock)
{
    const FOURCHARID key = FCID("IHDG");
    H_DATABASE_bUpdateEverythingFloat(key, 12.5f, P_EXTERNAL_GPS, D_HEADING, nullptr, 4);
    BOOLEAN valid = FALSE;
    advanceSeconds(3.5);
    fetchU32(key, &valid);
    EXPECT_TRUE(valid);
    advanceSeconds(0.5);
    fetchU32(key, &valid);
    EXPECT_FALSE(valid);
    // A new write makes it valid again, with a fresh age.
    H_DATABASE_bUpdateValueFloat(key, 13.0f, P_EXTERNAL_GPS);
    fetchU32(key, &valid);
    EXPECT_TRUE(valid);
}

TEST_F(Store, TimeOutZeroKeepsTheStoredTimeOutOfAnExistingKey)
{
    const FOURCHARID existing = FCID("IEXI"), fresh = FCID("INEW");
    H_DATABASE_bUpdateEverythingU32(existing, 1, P_NORMAL, D_UNKNOWN, nullptr, 10);
    H_DATABASE_bUpdateEverythingU32(existing, 2, P_NORMAL, D_PERCENT, nullptr, 0);
    H_DATABASE_bUpdateEverythingU32(fresh, 2, P_NORMAL, D_PERCENT, nullptr, 0);
    DB_ATTRIBUTES a{};
    BOOLEAN valid = FALSE;
    ASSERT_TRUE(H_DATABASE_bFetch(existing, nullptr, &valid, &a));
    EXPECT_EQ(a.u32TimeOut, 10u);
    EXPECT_EQ(a.DataType, D_PERCENT);
    EXPECT_TRUE(valid);
    ASSERT_TRUE(H_DATABASE_bFetch(fresh, nullptr, &valid, &a));
    EXPECT_EQ(a.u32TimeOut, 0u);
    EXPECT_FALSE(valid);
}

// --- Reads ------------------------------------------------------------------

TEST_F(Store, FetchOfAKeyNeverWrittenLeavesTheCallersDefaults)
{
    H_DATABASE_bRegisterForDataWithConditions(FCID("SSUB"), MB_A, TRUE, FALSE, FALSE);
    for (FOURCHARID key : {FCID("SABS"), FCID("SSUB")}) {
        U32 u = 77;
        float f = 1.5f;
        BOOLEAN b = 3, valid = TRUE;
        DB_ATTRIBUTES a = {D_DEPTH, nullptr, 42};
        EXPECT_FALSE(H_DATABASE_bFetchU32(key, &u, &valid, &a));
        EXPECT_FALSE(valid);
        EXPECT_EQ(u, 77u);
        EXPECT_EQ(a.DataType, D_DEPTH);
        EXPECT_EQ(a.u32TimeOut, 42u);
        EXPECT_FALSE(H_DATABASE_bFetchFloat(key, &f, nullptr, nullptr));
        EXPECT_EQ(f, 1.5f);
        EXPECT_FALSE(H_DATABASE_bFetchBoolean(key, &b, nullptr, nullptr));
        EXPECT_EQ(b, 3);
    }
}

TEST_F(Store, TypedFormsStoreAndReturnTheirBits)
{
    H_DATABASE_bUpdateValueS32(FCID("IS32"), -5, P_NORMAL);
    H_DATABASE_bUpdateValueFloat(FCID("IFLT"), -0.25f, P_NORMAL);
    H_DATABASE_bUpdateValueBoolean(FCID("IBOO"), TRUE, P_NORMAL);
    S32 s = 0;
    float f = 0;
    BOOLEAN b = 0;
    ASSERT_TRUE(H_DATABASE_bFetchS32(FCID("IS32"), &s, nullptr, nullptr));
    ASSERT_TRUE(H_DATABASE_bFetchFloat(FCID("IFLT"), &f, nullptr, nullptr));
    ASSERT_TRUE(H_DATABASE_bFetchBoolean(FCID("IBOO"), &b, nullptr, nullptr));
    EXPECT_EQ(s, -5);
    EXPECT_EQ(f, -0.25f);
    EXPECT_EQ(b, TRUE);
    EXPECT_EQ(fetchU32(FCID("IS32")), 0xFFFFFFFBu);
    EXPECT_EQ(fetchU32(FCID("IBOO")), 1u);
    // A float is compared by its bits: -0 and +0 differ.
    EXPECT_TRUE(H_DATABASE_bUpdateValueFloat(FCID("IFLT"), 0.0f, P_DEFAULT_SETTING));
}

TEST_F(Store, PointerKeysHoldAWholePointerOthersThirtyTwoBits)
{
    static int a, b;
    const FOURCHARID key = FCID("CPTR");
    H_DATABASE_bUpdateEverythingVoidPointer(key, &a, P_NORMAL, D_POINTER, nullptr, DB_TIMEOUT_NEVER);
    void* p = nullptr;
    ASSERT_TRUE(H_DATABASE_bFetchVoidPointer(key, &p, nullptr, nullptr));
    EXPECT_EQ(p, &a);

    // Two pointers that share their low 32 bits still differ.
    DB_DATA_TYPE v;
    v.vpPointer = &a;
    v.RawSlot ^= (uintptr_t)1 << 40;
    EXPECT_TRUE(H_DATABASE_bUpdateValue(key, v, P_DEFAULT_SETTING));
    EXPECT_FALSE(H_DATABASE_bUpdateValue(key, v, P_NORMAL));
    DB_DATA_TYPE got;
    ASSERT_TRUE(H_DATABASE_bFetch(key, &got, nullptr, nullptr));
    EXPECT_EQ(got.RawSlot, v.RawSlot);
    EXPECT_FALSE(H_DATABASE_bUpdateValueVoidPointer(key, &b, P_NORMAL));

    // On any other key only the 32 bits of the value count.
    const FOURCHARID word = FCID("CWRD");
    DB_DATA_TYPE w;
    w.RawSlot = ((uintptr_t)0xABCD << 40) | 17;
    EXPECT_FALSE(H_DATABASE_bUpdateEverything(word, w, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER));
    ASSERT_TRUE(H_DATABASE_bFetch(word, &got, nullptr, nullptr));
    EXPECT_EQ(got.RawSlot, (uintptr_t)17);
    EXPECT_FALSE(H_DATABASE_bUpdateValueU32(word, 17, P_DEFAULT_SETTING));
}

// --- Attributes ---------------------------------------------------------------

TEST_F(Store, ARefusedWriterStillNamesAKeyItsOwnerLeftBare)
{
    static const char* names[DB_NUM_LANGUAGES] = {"Water Temp"};
    const FOURCHARID key = FCID("IWTM");
    H_DATABASE_bUpdateValueFloat(key, 20.0f, P_NORMAL);
    EXPECT_TRUE(H_DATABASE_bUpdateEverythingFloat(key, 1.0f, P_DEFAULT_SETTING, D_TEMPERATURE, &names, 30));
    DB_ATTRIBUTES a{};
    ASSERT_TRUE(H_DATABASE_bFetch(key, nullptr, nullptr, &a));
    EXPECT_EQ(a.DataType, D_TEMPERATURE);
    EXPECT_EQ(a.ppcText, &names);
    EXPECT_EQ(a.u32TimeOut, 30u);

    // Once named, a refused writer changes nothing.
    EXPECT_TRUE(H_DATABASE_bUpdateEverythingFloat(key, 1.0f, P_DEFAULT_SETTING, D_DEPTH, nullptr, 9));
    ASSERT_TRUE(H_DATABASE_bFetch(key, nullptr, nullptr, &a));
    EXPECT_EQ(a.DataType, D_TEMPERATURE);
}

TEST_F(Store, ReadOrSetDefault)
{
    const FOURCHARID key = FCID("SRSD");
    H_DATABASE_bRegisterForDataWithConditions(key, MB_A, TRUE, TRUE, TRUE);
    DB_ATTRIBUTES attr = {D_PERCENT, nullptr, DB_TIMEOUT_NEVER};
    DB_DATA_TYPE v;
    v.RawSlot = 0;
    v.u32Val = 40;
    H_DATABASE_vReadOrSetDefault(key, &v, P_DEFAULT_SETTING, &attr);
    EXPECT_EQ(fetchU32(key), 40u);

    H_DATABASE_bUpdateValueU32(key, 55, P_NORMAL);
    drain(MB_A);
    DB_ATTRIBUTES other = {D_SIGNED32, nullptr, 0};
    v.u32Val = 1;
    H_DATABASE_vReadOrSetDefault(key, &v, P_HIGHEST, &other);
    EXPECT_EQ(v.u32Val, 55u);
    DB_ATTRIBUTES a{};
    ASSERT_TRUE(H_DATABASE_bFetch(key, nullptr, nullptr, &a));
    EXPECT_EQ(a.DataType, D_SIGNED32);
    EXPECT_EQ(a.u32TimeOut, 0u);
    EXPECT_TRUE(drain(MB_A).empty());
}

// --- Iterator -----------------------------------------------------------------

TEST_F(Store, IteratorVisitsEveryWrittenKeyOfItsLetterInBucketOrder)
{
    // Keys in the order they are written, and the same keys in the order the
    // iterator must give them: by bucket ((id ^ id >> 10 ^ id >> 5) & 0x1FF,
    // worked out by hand), within a bucket in the order they were made.
    //   TM8S 301 | THEQ THUW TH5N 324 | TE0Z 367 | TP4K 450 |
    //   TR4Y TRDG T1TY 466 | TSX0 T0X4 TS0L 474 | TUXF 491 | TEZ4 TEZM TEZ6 495
    const char writeOrder[][5] = {"TEZ4", "TSX0", "THEQ", "TM8S", "TR4Y", "TEZM", "TP4K", "THUW",
                                  "T0X4", "TUXF", "TRDG", "TE0Z", "TH5N", "TEZ6", "TS0L", "T1TY"};
    const char visitOrder[][5] = {"TM8S", "THEQ", "THUW", "TH5N", "TE0Z", "TP4K", "TR4Y", "TRDG",
                                  "T1TY", "TSX0", "T0X4", "TS0L", "TUXF", "TEZ4", "TEZM", "TEZ6"};
    U32 value = 0;
    for (const auto& name : writeOrder)
        H_DATABASE_bUpdateValueU32(FCID(name), ++value, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("SXYZ"), 1, P_NORMAL);               // another letter
    H_DATABASE_bRegisterForDataWithConditions(FCID("TSUB"), MB_A, 1, 1, 1); // never written
    H_DATABASE_bUpdateValueU32(FCID("TDEL"), 1, P_NORMAL);
    H_DATABASE_vDeleteEntry(FCID("TDEL"));

    MULTI_FETCH_CONTROL_STRUCTURE ctl{};
    ctl.cMatch = 'T';
    ctl.__bNotFirst = FALSE;
    std::vector<FOURCHARID> seen;
    while (H_DATABASE_bFetchNextBeginningWith(&ctl)) {
        EXPECT_EQ(ctl.data.u32Val, fetchU32(ctl.id));
        EXPECT_TRUE(ctl.bValid);
        seen.push_back(ctl.id);
    }
    EXPECT_FALSE(H_DATABASE_bFetchNextBeginningWith(&ctl));

    std::vector<FOURCHARID> want;
    for (const auto& name : visitOrder)
        want.push_back(FCID(name));
    EXPECT_EQ(seen, want);
}

TEST_F(Store, IteratorRefusesALetterThatIsNotUpperCase)
{
    H_DATABASE_bUpdateValueU32(FCID("sabc"), 1, P_NORMAL);
    for (U8 c : {(U8)'s', (U8)'1', (U8)0, (U8)'['}) {
        MULTI_FETCH_CONTROL_STRUCTURE ctl{};
        ctl.cMatch = c;
        MULTI_FETCH_CONTROL_STRUCTURE before = ctl;
        EXPECT_FALSE(H_DATABASE_bFetchNextBeginningWith(&ctl));
        EXPECT_EQ(memcmp(&ctl, &before, sizeof ctl), 0);
    }
}

TEST_F(Store, IteratorSeesKeysCreatedAheadOfItsPositionOnly)
{
    // Three T keys in buckets 208, 270 and 365 (worked out by hand).
    const FOURCHARID behind = FCID("TZAA"), current = FCID("TAAA"), ahead = FCID("TMAA");

    H_DATABASE_bUpdateValueU32(current, 1, P_NORMAL);
    MULTI_FETCH_CONTROL_STRUCTURE ctl{};
    ctl.cMatch = 'T';
    ASSERT_TRUE(H_DATABASE_bFetchNextBeginningWith(&ctl));
    EXPECT_EQ(ctl.id, current);
    ctl.cMatch = 'S'; // no effect after the first call
    H_DATABASE_bUpdateValueU32(behind, 2, P_NORMAL);
    H_DATABASE_bUpdateValueU32(ahead, 3, P_NORMAL);
    ASSERT_TRUE(H_DATABASE_bFetchNextBeginningWith(&ctl));
    EXPECT_EQ(ctl.id, ahead);
    EXPECT_FALSE(H_DATABASE_bFetchNextBeginningWith(&ctl));
}

// --- Types and units -------------------------------------------------------------

TEST_F(Store, DataFormatOfEveryType)
{
    const DATA_FORMAT want[NUMBER_OF_DATA_TYPES] = {
        DF_UNSIGNED32, DF_ENUMERATED, DF_VOID_POINTER, DF_FLOAT,    DF_FLOAT,      DF_FLOAT,      DF_FLOAT,
        DF_FLOAT,      DF_UNSIGNED32, DF_UNSIGNED32,   DF_UNSIGNED32, DF_FLOAT,    DF_FLOAT,      DF_FLOAT,
        DF_FLOAT,      DF_FLOAT,      DF_FLOAT,        DF_UNSIGNED32, DF_ERROR,    DF_FLOAT,      DF_FLOAT,
        DF_SIGNED32,   DF_SIGNED32,   DF_UNSIGNED32,   DF_SIGNED32,   DF_UNSIGNED32, DF_ERROR,    DF_FLOAT,
        DF_FLOAT,      DF_SIGNED32,   DF_ERROR,        DF_ERROR,      DF_SIGNED32, DF_FLOAT,
    };
    for (int t = 0; t < NUMBER_OF_DATA_TYPES; ++t) {
        if (want[t] != DF_ERROR) {
            EXPECT_EQ(H_DATABASE_DataType((DATA_TYPE)t), want[t]) << t;
        }
    }
}

TEST_F(Store, CurrentUnitsReadTheUnitsKeyOfTheType)
{
    EXPECT_EQ(H_DATABASE_CurrentUnits(D_DEPTH), U_NONE);
    H_DATABASE_bUpdateValueU32(FCID("YUDP"), U_FATHOMS, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("SUTE"), U_FAHRENHEIT, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("SUSP"), U_KNOTS, P_NORMAL);
    EXPECT_EQ(H_DATABASE_CurrentUnits(D_DEPTH), U_FATHOMS);
    EXPECT_EQ(H_DATABASE_CurrentUnits(D_TEMPERATURE), U_FAHRENHEIT);
    EXPECT_EQ(H_DATABASE_CurrentUnits(D_TEMPERATURE_OFFSET), U_FAHRENHEIT);
    EXPECT_EQ(H_DATABASE_CurrentUnits(D_SPEED), U_KNOTS);
    EXPECT_EQ(H_DATABASE_CurrentUnits(D_DISTANCE), U_NONE);
    EXPECT_EQ(H_DATABASE_CurrentUnits(D_VOLUME), U_NONE);
    EXPECT_EQ(H_DATABASE_CurrentUnits((DATA_TYPE)99), U_NONE);
}

TEST_F(Store, UnitTexts)
{
    struct Row {
        UNIT_TYPE unit;
        const char* text;
    } rows[] = {
        {U_NONE, ""},          {U_KNOTS, "kts"},       {U_METRES, "m"},         {U_FEET, "ft"},
        {U_FATHOMS, "fthm"},   {U_SECONDS, "seconds"}, {U_INCHESHG, "In.Hg"},   {U_MILLIBAR, "mb"},
        {U_HECTOPASCALS, "hPa"}, {U_USGALLONS, "U.S. Gallons"}, {U_UKGALLONS, "Imp. Gallons"},
        {U_LITRES, "Liters"},  {U_CELSIUS, "\xBA" "C"}, {U_DEG_MAGNETIC, "\xBA" "m"},
        {U_DEG_GEOMETRIC, "\xBA"}, {U_NAUT_MILES_M, "nm"}, {U_PSI, "PSI"},      {U_KPA, "kpa"},
    };
    for (const Row& r : rows) {
        for (U32 lang : {0u, 7u, 21u})
            EXPECT_STREQ(H_DATABASE_pcUnitsString(r.unit, lang), r.text) << r.unit;
    }
    for (int u = 0; u < NUMBER_OF_UNIT_TYPES; ++u) {
        if (u != U_MINUTES) {
            EXPECT_NE(H_DATABASE_pcUnitsString((UNIT_TYPE)u, 0), nullptr);
        }
    }
}

TEST_F(Store, UnitsCheckForcesADomesticModelsUnitsOnly)
{
    const U32 valid[] = {U_FEET, U_FATHOMS};
    const FOURCHARID key = FCID("YUDP");
    H_DATABASE_bRegisterForDataWithConditions(key, MB_A, TRUE, FALSE, FALSE);

    // No model query installed: the unit counts as an export model.
    H_DATABASE_vInstallDomesticModelQuery(nullptr);
    H_DATABASE_bUpdateValueU32(key, U_METRES, P_NORMAL);
    drain(MB_A);
    H_DATABASE_vCheckForValidUnits(key, valid, 2, U_FEET);
    EXPECT_EQ(fetchU32(key), (U32)U_METRES);

    H_DATABASE_vInstallDomesticModelQuery(bDomesticModel);
    s_bDomestic = FALSE;
    H_DATABASE_vCheckForValidUnits(key, valid, 2, U_FEET);
    EXPECT_EQ(fetchU32(key), (U32)U_METRES);

    s_bDomestic = TRUE;
    H_DATABASE_vCheckForValidUnits(key, valid, 2, U_FEET);
    EXPECT_EQ(fetchU32(key), (U32)U_FEET);
    EXPECT_EQ(drain(MB_A), (std::vector<Mail>{{key, U_FEET, TRUE}}));

    H_DATABASE_bUpdateValueU32(key, U_FATHOMS, P_NORMAL);
    H_DATABASE_vCheckForValidUnits(key, valid, 2, U_FEET);
    EXPECT_EQ(fetchU32(key), (U32)U_FATHOMS);
    H_DATABASE_vCheckForValidUnits(key, valid, 1, U_FEET); // fathoms not among the first one
    EXPECT_EQ(fetchU32(key), (U32)U_FEET);

    H_DATABASE_vCheckForValidUnits(FCID("SUNW"), valid, 2, U_FATHOMS); // never written
    EXPECT_EQ(fetchU32(FCID("SUNW")), (U32)U_FATHOMS);
    s_bDomestic = FALSE;
    H_DATABASE_vInstallDomesticModelQuery(nullptr);
}

// --- Fatal paths ----------------------------------------------------------------

class StoreFatal : public Store {
protected:
    vt::TempRoot root;
    void SetUp() override
    {
        root.exportEnv();
        Store::SetUp();
    }
    std::string fatalLog() { return vt::readFile(root.cwd() + "/FATAL.LOG"); }
};

TEST_F(StoreFatal, RelinquishingAKeyNeverWrittenIsFatal)
{
    H_DATABASE_bRegisterForDataWithConditions(FCID("CSUB"), MB_A, TRUE, TRUE, TRUE);
    H_DATABASE_bUpdateValueU32(FCID("CDEL"), 1, P_NORMAL);
    H_DATABASE_vDeleteEntry(FCID("CDEL"));
    for (FOURCHARID key : {FCID("CABS"), FCID("CSUB"), FCID("CDEL")}) {
        EXPECT_EXIT(H_DATABASE_vRelinquishOwnership(key), ::testing::ExitedWithCode(10), "");
        EXPECT_NE(fatalLog().find("error: Requested ID not found in h_database at "), std::string::npos);
    }
}

TEST_F(StoreFatal, InvalidDataTypesAndUnknownUnitsAreFatal)
{
    for (int t : {(int)D_POSITION, (int)D_UNSIGNED32, 34})
        EXPECT_EXIT(H_DATABASE_DataType((DATA_TYPE)t), ::testing::ExitedWithCode(10), "") << t;
    EXPECT_NE(fatalLog().find("error: Invalid data type in h_database"), std::string::npos);
    for (int u : {(int)U_MINUTES, 37})
        EXPECT_EXIT(H_DATABASE_pcUnitsString((UNIT_TYPE)u, 0), ::testing::ExitedWithCode(10), "") << u;
    EXPECT_NE(fatalLog().find("error: Unknown units in h_database"), std::string::npos);
}

// A task publishes its mailbox under its T key and ends the process when
// somebody else already holds it.
void publishTaskMailbox(FOURCHARID key, MBOX mbox)
{
    if (H_DATABASE_bUpdateEverythingU32(key, (U32)mbox, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER)) {
        ERROR_error("t_test", __LINE__, "Somebody else registered the task mailbox");
        U_RESET_vReset(FALSE, FALSE);
    }
}

TEST_F(StoreFatal, ASecondOwnerOfATaskKeyIsFatal)
{
    const FOURCHARID key = FCID("TNAV");
    publishTaskMailbox(key, 16);
    publishTaskMailbox(key, 16); // the owner again
    EXPECT_EQ(fetchU32(key), 16u);
    EXPECT_EXIT(publishTaskMailbox(key, 17), ::testing::ExitedWithCode(10), "");
    EXPECT_NE(fatalLog().find("Somebody else registered the task mailbox"), std::string::npos);
    EXPECT_EQ(fetchU32(key), 16u);

    // A relinquished key is free for a new owner.
    H_DATABASE_vRelinquishOwnership(key);
    publishTaskMailbox(key, 17);
    EXPECT_EQ(fetchU32(key), 17u);
}

TEST_F(Store, OnlyTaskKeysAreOwned)
{
    EXPECT_FALSE(H_DATABASE_bUpdateEverythingU32(FCID("CMBX"), 16, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER));
    EXPECT_FALSE(H_DATABASE_bUpdateEverythingU32(FCID("CMBX"), 17, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER));
    EXPECT_FALSE(H_DATABASE_bUpdateValueU32(FCID("TVAL"), 1, P_NORMAL)); // a T key that is not a mailbox
    EXPECT_FALSE(H_DATABASE_bUpdateValueU32(FCID("TVAL"), 2, P_NORMAL));
    // A stronger writer still overrides the owner.
    EXPECT_FALSE(H_DATABASE_bUpdateEverythingU32(FCID("TMNU"), 15, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER));
    EXPECT_FALSE(H_DATABASE_bUpdateValueU32(FCID("TMNU"), 3, P_TESTMODE));
}

} // namespace
} // namespace store_test
