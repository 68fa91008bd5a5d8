// What the unit says about itself: the version record, the start-up check
// for new software, the model's capabilities and the language menus.
#include "system/language.h"
#include "system/model.h"
#include "system/version.h"

#include "kernel/l_clock.h"
#include "store/h_database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>

namespace {

class Unit : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const bool once = (H_DATABASE_vInit(), true);
        (void)once;
        L_CLOCK_vResetTestClock();
        clear();
    }
    // The store is made once per process (it never frees its keys); each
    // test starts with the keys read here never written.
    static void clear()
    {
        for (FOURCHARID key : {FCID("SFVR"), FCID("SAGE"), FCID("SAGS"), FCID("CREV"), FCID("SMDL"), FCID("SIMT")})
            H_DATABASE_vDeleteEntry(key);
    }
    void TearDown() override { L_CLOCK_vResetTestClock(); }

    static void set(const char (&key)[5], std::optional<U32> value)
    {
        if (value)
            H_DATABASE_bUpdateValueU32(FCID(key), *value, P_NORMAL);
    }
    static U32 fetch(const char (&key)[5])
    {
        U32 v = 0xDEADBEEF;
        EXPECT_TRUE(H_DATABASE_bFetchU32(FCID(key), &v, nullptr, nullptr)) << key;
        return v;
    }
};

TEST_F(Unit, VersionRecordShowsTheBuildAndTheHardwareRevision)
{
    const VERSION_INFO* p = VERSION_pversion_infoGetCurrentVersion();
    EXPECT_STREQ(p->version, "7.790");
    EXPECT_STREQ(p->date, "Jan 22 2016");
    EXPECT_STREQ(p->speed, "534Mhz");
    EXPECT_STREQ(p->rev, "---");
    set("CREV", 12);
    EXPECT_STREQ(VERSION_pversion_infoGetCurrentVersion()->rev, "12");
}

struct StartCase {
    const char* what;
    std::optional<U32> sfvr, sage, sags;
    bool changed, upgrading;
};

class VersionChange : public Unit, public ::testing::WithParamInterface<StartCase> {};

TEST_P(VersionChange, ComparesTheStoredVersionAndTheAgeCounters)
{
    const StartCase& c = GetParam();
    set("SFVR", c.sfvr);
    set("SAGE", c.sage);
    set("SAGS", c.sags);
    EXPECT_EQ(VERSION_bDetectVersionChange(), c.changed);
    EXPECT_EQ(VERSION_bIsVersionChanged(), c.changed);
    EXPECT_EQ(VERSION_bIsUpgradingToGroupedWaypointManagement(), c.upgrading);
    EXPECT_EQ(fetch("SFVR"), 7790u);
    // The next start finds this build's number.
    EXPECT_FALSE(VERSION_bDetectVersionChange());
}

INSTANTIATE_TEST_SUITE_P(
    Start, VersionChange,
    ::testing::Values(StartCase{"empty settings", {}, {}, {}, true, true},
                      StartCase{"same build, ages apart", 7790, 1200, 600, false, true},
                      StartCase{"same build, ages level", 7790, 1200, 1200, false, false},
                      StartCase{"older build, ages level", 7780, 600, 600, true, false},
                      StartCase{"same build, no age copy", 7790, 1200, {}, false, true},
                      StartCase{"ages level but no version stored", {}, 600, 600, true, true}),
    [](const auto& info) {
        std::string s = info.param.what;
        std::replace_if(s.begin(), s.end(), [](char ch) { return !isalnum((unsigned char)ch); }, '_');
        return s;
    });

TEST_F(Unit, AStaleVersionCountsAsChanged)
{
    H_DATABASE_bUpdateEverythingU32(FCID("SFVR"), 7790, P_NORMAL, D_UNSIGNED32, nullptr, 1);
    L_CLOCK_vAdvanceTestClock(2000);
    EXPECT_TRUE(VERSION_bDetectVersionChange());
    H_DATABASE_bUpdateEverythingU32(FCID("SFVR"), 7790, P_NORMAL, D_UNSIGNED32, nullptr, DB_TIMEOUT_NEVER);
}

// Each query's answer, one bit per query.
enum : U32 {
    INTL1 = 1 << 0,
    INTL2 = 1 << 1,
    INTL3 = 1 << 2,
    INTL4 = 1 << 3,
    DOMESTIC = 1 << 4,
    FISH_FINDER = 1 << 5,
    D160X240 = 1 << 6,
    D240X240 = 1 << 7,
    D240X320 = 1 << 8,
    KEELVIEW = 1 << 9,
    COLOR = 1 << 10,
    CHARTS = 1 << 11,
};

U32 answers()
{
    const BOOLEAN each[] = {MODEL_bInternationalModel1(), MODEL_bInternationalModel2(), MODEL_bInternationalModel3(),
                            MODEL_bInternationalModel4(), MODEL_bDomesticModel(),       MODEL_bFishFinderSeries(),
                            MODEL_bDisplay160x240(),      MODEL_bDisplay240x240(),      MODEL_bDisplay240x320(),
                            MODEL_bIsKeelview(),          MODEL_bIsColor(),             MODEL_bSupportsCartography()};
    U32 bits = 0;
    for (size_t i = 0; i < std::size(each); ++i) {
        EXPECT_LE(each[i], TRUE) << i;
        bits |= each[i] ? 1u << i : 0;
    }
    return bits;
}

TEST_F(Unit, ModelQueriesFollowTheModelsRowAndTheLanguageSet)
{
    struct Case {
        const char* what;
        std::optional<U32> smdl, simt;
        U32 expected;
    };
    // Both rows have colour, cartography and down-looking imaging; only
    // 410 is international.
    constexpr U32 BOTH = KEELVIEW | COLOR | CHARTS;
    const Case cases[] = {
        {"no model, no language set", {}, {}, INTL1 | BOTH},
        {"no model, 22 languages", {}, 1, INTL1 | BOTH},
        {"no model, 3 languages", {}, 2, INTL2 | BOTH},
        {"no model, an unknown language set", {}, 3, BOTH},
        {"410, 3 languages", 410, 2, INTL2 | BOTH},
        {"409", 409, {}, DOMESTIC | BOTH},
        {"409, 3 languages", 409, 2, DOMESTIC | BOTH},
        {"a model without a row", MODEL_UNKNOWN, {}, DOMESTIC},
    };
    for (const Case& c : cases) {
        clear();
        set("SMDL", c.smdl);
        set("SIMT", c.simt);
        EXPECT_EQ(answers(), c.expected) << c.what;
    }
}

TEST_F(Unit, OnlyTheTwoSupportedModelsRegisterAndNothingIsStored)
{
    set("SMDL", 409);
    for (U32 model : {409u, 410u})
        EXPECT_TRUE(MODEL_bRegisterModel(model)) << model;
    for (U32 model : {0u, 408u, 411u, 517u})
        EXPECT_FALSE(MODEL_bRegisterModel(model)) << model;
    EXPECT_EQ(fetch("SMDL"), 409u);
}

TEST(LanguageMenus, EachNameSelectsItsOwnLanguageOnce)
{
    const std::map<std::string, U32> numberOf = {
        {"English", 0},    {"Danish", 1},     {"Dutch", 2},     {"Finnish", 3},     {"French", 4},
        {"German", 5},     {"Greek", 6},      {"Hungarian", 7}, {"Italian", 8},     {"Norwegian", 9},
        {"Polish", 10},    {"Portuguese", 11}, {"Spanish", 12}, {"Swedish", 13},    {"Czech", 14},
        {"Croatian", 15},  {"Russian", 16},   {"Bulgarian", 17}, {"Estonian", 18},  {"Latvian", 19},
        {"Lithuanian", 20}, {"Turkish", 21}};
    std::vector<U32> seen;
    for (U32 i = 0; i < LANGUAGE_LIST1_COUNT; ++i) {
        const std::string name = (*s_pLanguageList1[i])[0];
        EXPECT_EQ(numberOf.at(name), s_pLanguageNums1[i]) << name;
        seen.push_back(s_pLanguageNums1[i]);
    }
    std::sort(seen.begin(), seen.end());
    for (U32 i = 0; i < LANGUAGE_LIST1_COUNT; ++i)
        EXPECT_EQ(seen[i], i);
    // The menu reads alphabetically after English.
    for (U32 i = 2; i < LANGUAGE_LIST1_COUNT; ++i)
        EXPECT_LT(std::string((*s_pLanguageList1[i - 1])[0]), std::string((*s_pLanguageList1[i])[0]));

    const U32 three[] = {0, 15, 16};
    for (U32 i = 0; i < LANGUAGE_LIST2_COUNT; ++i) {
        EXPECT_EQ(s_pLanguageNums2[i], three[i]);
        EXPECT_EQ(numberOf.at((*s_pLanguageList2[i])[0]), three[i]);
    }
}

TEST(LanguageMenus, FontSetsAgreeWithTheCharacterCoding)
{
    for (U32 lang = 0; lang < (U32)DB_NUM_LANGUAGES; ++lang)
        EXPECT_EQ(g_eFontSet[lang], U_UNICODE_eFontSet(lang)) << lang;
}

} // namespace
