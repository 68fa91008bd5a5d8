// Two units in two processes: each registers its services and finds the
// other's by type, by instance, by address and by attribute, by multicast and
// by unicast, lists the service types and sees deregistered services go.
// Once on loopback (two addresses, a private port), once in two network
// namespaces joined by a veth pair (the real port, interfaces named eth0),
// and once more under a capture that tshark's SLP dissector must read without
// a complaint.
#include "testing/t_netns.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

struct Unit {
    std::string address;
    Args prefix;            // how to start a program "on" this unit
    std::vector<std::string> env;
};

std::string sonarUrl(const std::string& a)
{
    return "service:sonar2DStream.velmora://" + a + ":50688/base";
}

std::string sonarAttrs(const std::string& a, int model)
{
    return "(service=sonar2DStream),(instance=base),(address=" + a + "),(port=50688),(unitname=Unit " + a +
           "), (unitmodel=" + std::to_string(model) + ")";
}

std::string gpsUrl(const std::string& a)
{
    return "service:gpsStream.velmora://" + a + ":50560/NULL";
}

std::string navUrl(const std::string& a)
{
    return "service:navigation.velmora://" + a + ":50816/base";
}

// What each unit does; "me" registers, "peer" is the other unit. The two
// scripts meet at marker files in dir.
Args script(const std::string& me, const std::string& peer, int model, const std::string& dir, bool first)
{
    const std::string tag = first ? "a" : "b";
    const std::string other = first ? "b" : "a";
    const std::string sonarType = "service:sonar2DStream.velmora";
    const std::string both = first ? sonarUrl(me) + ";" + sonarUrl(peer) : sonarUrl(peer) + ";" + sonarUrl(me);
    Args s = {"reg", sonarUrl(me), sonarAttrs(me, model)};
    if (first) {
        s.insert(s.end(), {"reg", gpsUrl(me), "(service=gpsStream),(instance=NULL),(address=" + me + "),(port=50560)"});
    } else {
        s.insert(s.end(), {"reg", navUrl(me), "(service=navigation),(instance=base),(address=" + me + "),(port=50816)"});
    }
    s.insert(s.end(), {"touch", dir + "/" + tag + ".reg", "wait", dir + "/" + other + ".reg"});
    // By type: both units' sonar, in either order.
    s.insert(s.end(), {"find", sonarType, "", both});
    // By instance and by address (the filters the unit itself sends).
    s.insert(s.end(), {"find", sonarType, "(instance=base)", both});
    s.insert(s.end(), {"find", sonarType, "(&(instance=base)(address=" + peer + "))", sonarUrl(peer)});
    // By another attribute: only the peer's model passes.
    s.insert(s.end(), {"find", sonarType, first ? "(unitmodel>=5)" : "(unitmodel<=4)", sonarUrl(peer)});
    if (first) {
        s.insert(s.end(), {"find", "navigation.velmora", "(address=" + peer + ")", navUrl(peer)});
    } else {
        s.insert(s.end(), {"find", "service:gpsStream.velmora", "(instance=NULL)", gpsUrl(peer)});
    }
    // Unicast to the peer alone.
    s.insert(s.end(), {"assoc", peer, "find", sonarType, "", sonarUrl(peer), "assoc", "-"});
    s.insert(s.end(), {"attrs", sonarUrl(peer), "", sonarAttrs(peer, first ? 7 : 3)});
    s.insert(s.end(), {"attrs", sonarUrl(peer), "port,instance", "(instance=base),(port=50688)"});
    s.insert(s.end(), {"types", "velmora",
                       "service:gpsStream.velmora;service:navigation.velmora;service:sonar2DStream.velmora"});
    s.insert(s.end(), {"touch", dir + "/" + tag + ".found", "wait", dir + "/" + other + ".found"});
    // Unit b leaves first; a sees it go, then leaves too.
    if (first) {
        s.insert(s.end(), {"wait", dir + "/b.gone"});
        s.insert(s.end(), {"find", sonarType, "", sonarUrl(me)});
        s.insert(s.end(), {"find", "service:navigation.velmora", "", ""});
        s.insert(s.end(), {"dereg", sonarUrl(me), "dereg", gpsUrl(me), "touch", dir + "/a.gone"});
    } else {
        s.insert(s.end(), {"dereg", sonarUrl(me), "dereg", navUrl(me), "touch", dir + "/b.gone"});
        s.insert(s.end(), {"wait", dir + "/a.gone"});
        s.insert(s.end(), {"find", sonarType, "", ""});
        s.insert(s.end(), {"types", "velmora", ""});
    }
    return s;
}

void runPair(const Unit& a, const Unit& b)
{
    vt::TempRoot dir;
    auto start = [&](const Unit& u, const Unit& peer, int model, bool first) {
        Args argv = u.prefix;
        argv.push_back(vt::buildPath("slp/slp_peer"));
        Args s = script(u.address, peer.address, model, dir.path(), first);
        argv.insert(argv.end(), s.begin(), s.end());
        return argv;
    };
    vt::Child ca(start(a, b, 3, true), a.env);
    vt::Child cb(start(b, a, 7, false), b.env);
    vt::ProcResult ra, rb;
    ca.wait(ra, 90000);
    cb.wait(rb, 90000);
    EXPECT_EQ(ra.status, 0) << "unit a:\n" << ra.out << ra.err;
    EXPECT_EQ(rb.status, 0) << "unit b:\n" << rb.out << rb.err;
    EXPECT_NE(ra.out.find("PASSED"), std::string::npos);
    EXPECT_NE(rb.out.find("PASSED"), std::string::npos);
}

std::vector<std::string> fastEnv()
{
    return {"VONDREL_SLP_WAITS=100,100", "VONDREL_SLP_UNICAST_WAITS=200,200,400"};
}

} // namespace

TEST(SlpPeers, TwoProcessesOnLoopbackFindEachOther)
{
    std::string port = std::to_string(20000 + getpid() % 20000);
    std::vector<std::string> common = fastEnv();
    common.push_back("VONDREL_SLP_INTERFACE=lo");
    common.push_back("VONDREL_SLP_PORT=" + port);
    Unit a{"127.0.0.2", {}, common};
    Unit b{"127.0.0.3", {}, common};
    a.env.push_back("VONDREL_SLP_ADDRESS=127.0.0.2");
    b.env.push_back("VONDREL_SLP_ADDRESS=127.0.0.3");
    runPair(a, b);
}

TEST(SlpPeers, TwoNetworkNamespacesFindEachOther)
{
    vt::NamespacePair ns("slp");
    if (!ns.ready())
        GTEST_SKIP() << "network namespaces cannot be made here";
    // Default port and interface: eth0 in each namespace.
    Unit a{vt::NamespacePair::kAddressA, ns.in(true), fastEnv()};
    Unit b{vt::NamespacePair::kAddressB, ns.in(false), fastEnv()};
    runPair(a, b);
}

TEST(SlpPeers, TsharkDecodesEveryPacketAsSlpv2)
{
    vt::NamespacePair ns("slp");
    if (!ns.ready())
        GTEST_SKIP() << "network namespaces cannot be made here";
    vt::TempRoot dir;
    vt::SlpCapture capture(ns, dir.path());
    if (!capture.installed())
        GTEST_SKIP() << "tshark is not installed";
    ASSERT_TRUE(capture.started()) << capture.startError();

    Unit a{vt::NamespacePair::kAddressA, ns.in(true), fastEnv()};
    Unit b{vt::NamespacePair::kAddressB, ns.in(false), fastEnv()};
    runPair(a, b);
    vt::SlpDecode d = capture.finish();
    ASSERT_EQ(d.error, "");
    EXPECT_EQ(d.problems, std::vector<std::string>{});
    EXPECT_GT(d.frames, 10);
    // Requests and replies of all three kinds crossed the wire.
    for (const char* fn : {"1", "2", "6", "7", "9", "10"})
        EXPECT_NE(std::find(d.functions.begin(), d.functions.end(), fn), d.functions.end()) << "function " << fn;
}
