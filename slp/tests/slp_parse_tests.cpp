// Service URLs, service types and attribute lists: the parsing calls of the
// API and the matching rules the service agent applies.
#include "slp/slp.h"
#include "slp/slp_attr.h"
#include "slp/slp_url.h"

#include <gtest/gtest.h>

#include <string>

TEST(SlpParse, ServiceUrlsSplitIntoTypeHostPortAndPart)
{
    struct Case {
        const char* url;
        const char* type;
        const char* host;
        int port;
        const char* part;
    };
    const Case cases[] = {
        {"service:sonar2DStream.velmora://192.0.2.20:50688/NULL", "service:sonar2DStream.velmora",
         "192.0.2.20", 50688, "/NULL"},
        {"service:gpsStream.velmora://10.0.0.1:50560/", "service:gpsStream.velmora", "10.0.0.1", 50560, "/"},
        {"service:x://host", "service:x", "host", 0, ""},
        {"service:ethhost.velmora:0100:00001234:0000abcd:4d425ce7://192.0.2.9,50001",
         "service:ethhost.velmora:0100:00001234:0000abcd:4d425ce7", "192.0.2.9,50001", 0, ""},
        {"service:x://[fe80::1]:427/p", "service:x", "[fe80::1]", 427, "/p"},
        {"service:client.velmora://192.0.2.20:0/base", "service:client.velmora", "192.0.2.20", 0, "/base"},
    };
    for (const Case& c : cases) {
        SLPSrvURL* u = nullptr;
        ASSERT_EQ(SLPParseSrvURL(c.url, &u), SLP_OK) << c.url;
        EXPECT_STREQ(u->s_pcSrvType, c.type);
        EXPECT_STREQ(u->s_pcHost, c.host);
        EXPECT_EQ(u->s_iPort, c.port);
        EXPECT_STREQ(u->s_pcNetFamily, "");
        EXPECT_STREQ(u->s_pcSrvPart, c.part);
        SLPFree(u);
    }
    for (const char* bad : {"", "service:x", "://host", "service:x://h:70000/",
                            "service:x://h:12a/", "service:x://[fe80::1/"}) {
        SLPSrvURL* u = (SLPSrvURL*)1;
        EXPECT_EQ(SLPParseSrvURL(bad, &u), SLP_PARSE_ERROR) << bad;
        EXPECT_EQ(u, nullptr);
    }
}

TEST(SlpParse, AttributeValuesAreFoundByTag)
{
    const char* list = "(service=sonar2DStream),(instance=NULL),(address=192.0.2.20),(port=50688),"
                       "(key=1), (unitname=My Boat), (tags=a,b),keyword";
    struct Case {
        const char* id;
        const char* value;
    };
    const Case cases[] = {
        {"service", "sonar2DStream"}, {"instance", "NULL"}, {"address", "192.0.2.20"},
        {"PORT", "50688"},            {"key", "1"},         {"unitname", "My Boat"},
        {"tags", "a,b"},              {"keyword", ""},
    };
    for (const Case& c : cases) {
        char* v = nullptr;
        ASSERT_EQ(SLPParseAttrs(list, c.id, &v), SLP_OK) << c.id;
        EXPECT_STREQ(v, c.value);
        SLPFree(v);
    }
    char* v = (char*)1;
    EXPECT_EQ(SLPParseAttrs(list, "queue", &v), SLP_PARSE_ERROR);
    EXPECT_EQ(v, nullptr);
    EXPECT_EQ(SLPParseAttrs("(a=1", "a", &v), SLP_PARSE_ERROR);
    EXPECT_EQ(SLPParseAttrs("(a=(1)", "a", &v), SLP_PARSE_ERROR);
    EXPECT_EQ(SLPParseAttrs("(a=1)(b=2)", "a", &v), SLP_PARSE_ERROR);
}

TEST(SlpParse, RequestsForAnAbstractTypeFindItsConcreteTypes)
{
    struct Case {
        const char* have;
        const char* want;
        bool match;
    };
    const Case cases[] = {
        {"service:sonar2DStream.velmora", "service:sonar2DStream.velmora", true},
        {"service:sonar2DStream.velmora", "SERVICE:SONAR2DSTREAM.VELMORA", true},
        {"service:sonar2DStream.velmora", "service:sonar2DStream", false},
        {"service:sonar2DStream.velmora", "service:sonar2DStream.velmor", false},
        {"service:ethhost.velmora:0100:00001234:0000abcd:4d425ce7", "service:ethhost.velmora", true},
        {"service:ethhost.velmora:0100", "service:ethhost.velmora:0200", false},
        {"service:ethhostx.velmora", "service:ethhost", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SLP_URL_bTypeMatches(c.have, c.want), c.match) << c.have << " / " << c.want;

    EXPECT_EQ(SLP_URL_NamingAuthority("service:sonar2DStream.velmora"), "velmora");
    EXPECT_EQ(SLP_URL_NamingAuthority("service:ethhost.velmora:0100:1"), "velmora");
    EXPECT_EQ(SLP_URL_NamingAuthority("service:printer:lpr"), "");
    EXPECT_EQ(SLP_URL_NormalType("sonar2DStream.velmora"), "service:sonar2DStream.velmora");
    EXPECT_EQ(SLP_URL_NormalType("service:a.velmora"), "service:a.velmora");
}

TEST(SlpParse, AttributeSelectionPicksTagsAndMergesLists)
{
    std::vector<std::string_view> one = {"(service=a),(instance=base),(port=1),fast"};
    EXPECT_EQ(SLP_ATTR_Select(one, ""), "(service=a),(instance=base),(port=1),fast");
    EXPECT_EQ(SLP_ATTR_Select(one, "port, FAST"), "(port=1),fast");
    EXPECT_EQ(SLP_ATTR_Select(one, "s*"), "(service=a)");
    EXPECT_EQ(SLP_ATTR_Select(one, "nothing"), "");
    std::vector<std::string_view> two = {"(service=a),(port=1)", "(service=a),(port=2),(x=y)"};
    EXPECT_EQ(SLP_ATTR_Select(two, ""), "(service=a),(port=1,2),(x=y)");
}
