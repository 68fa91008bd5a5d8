// Search filters: what the unit's own searches send and what other agents
// may send, matched against the attribute lists units register.
#include "slp/slp_filter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* kSonar = "(service=sonar2DStream),(instance=base),(address=192.0.2.20),(port=50688),"
                     "(unitname=Bow  Unit),(unitmodel=3),(transducer-beams=7),(tags=a,b,c),fast";
const char* kSpaced = "(unitname=Stern), (unitmodel=12), (macaddress=00:11:22:33:44:55)";

bool matches(const char* filter, const char* attrs)
{
    std::vector<SLP_ATTR> list;
    EXPECT_TRUE(SLP_ATTR_bParse(attrs, &list)) << attrs;
    SLP_FILTER f;
    EXPECT_TRUE(SLP_FILTER_bCompile(filter, &f)) << filter;
    return SLP_FILTER_bMatches(&f, list);
}

} // namespace

TEST(SlpFilter, MatchesAsLdapFiltersDo)
{
    struct Case {
        const char* filter;
        const char* attrs;
        bool want;
    };
    const Case cases[] = {
        {"", kSonar, true},
        {"(&(instance=base)(address=192.0.2.20))", kSonar, true},
        {"(&(instance=base)(address=192.0.2.21))", kSonar, false},
        {"(&(instance=aux)(address=192.0.2.20))", kSonar, false},
        {"(INSTANCE=BASE)", kSonar, true},                   // tags and strings ignore case
        {"(unitname=bow unit)", kSonar, true},                // white space folded
        {"(unitname= Bow   Unit )", kSonar, true},
        {"(unitmodel=03)", kSonar, true},                     // integers compare as numbers
        {"(port>=50000)", kSonar, true},
        {"(port<=50000)", kSonar, false},
        {"(unitmodel>=12)", kSonar, false},
        {"(unitmodel<=12)", kSonar, true},
        {"(service=sonar*)", kSonar, true},
        {"(service=*2D*)", kSonar, true},
        {"(service=*stream)", kSonar, true},
        {"(service=*velmora)", kSonar, false},
        {"(service=sonar\\2a)", kSonar, false},               // escaped star is a star
        {"(tags=b)", kSonar, true},                           // any value of a list
        {"(tags=d)", kSonar, false},
        {"(fast=*)", kSonar, true},                           // keyword present
        {"(slow=*)", kSonar, false},
        {"(missing=1)", kSonar, false},
        {"(!(missing=1))", kSonar, true},
        {"(|(instance=aux)(instance=base))", kSonar, true},
        {"(|(instance=aux)(instance=other))", kSonar, false},
        {"(&(service=sonar2DStream)(|(port=1)(!(unitmodel=4))))", kSonar, true},
        {"(unitname~=bow unit)", kSonar, true},
        {" ( & (instance=base) (port=50688) ) ", kSonar, true},
        {"(&(instance=base)(unitmodel=3))", "(instance=base),(unitmodel=3)", true},
        {"(macaddress=00:11:22:33:44:55)", kSpaced, true},    // ", " between items
        {"(unitmodel=12)", kSpaced, true},
        {"(&(unitname=stern)(unitmodel>=10))", kSpaced, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(matches(c.filter, c.attrs), c.want) << c.filter << " on " << c.attrs;
}

TEST(SlpFilter, MalformedFiltersAreRefused)
{
    const char* bad[] = {
        "instance=base",         // no parentheses
        "(instance=base",        // unclosed
        "(instance=base))",      // trailing text
        "(&)",                   // empty conjunction
        "(!(a=1)(b=2))",         // negation of two
        "(=base)",               // no tag
        "(instance base)",       // no operator
        "(instance>base)",       // ">" without "="
        "(a=(b))",               // unescaped parenthesis in a value
        "(&(a=1)x)",             // junk inside
    };
    for (const char* f : bad) {
        SLP_FILTER filter;
        EXPECT_FALSE(SLP_FILTER_bCompile(f, &filter)) << f;
    }
}

TEST(SlpFilter, DeepNestingFromAPeerIsRefusedNotRecursedInto)
{
    std::string deep;
    for (int i = 0; i < 100000; i++)
        deep += "(!";
    deep += "(a=1)";
    for (int i = 0; i < 100000; i++)
        deep += ")";
    SLP_FILTER f;
    EXPECT_FALSE(SLP_FILTER_bCompile(deep, &f));

    std::string ok;
    for (int i = 0; i < SLP_FILTER_MAX_DEPTH - 1; i++)
        ok += "(!";
    ok += "(a=1)";
    for (int i = 0; i < SLP_FILTER_MAX_DEPTH - 1; i++)
        ok += ")";
    EXPECT_TRUE(SLP_FILTER_bCompile(ok, &f));
}
