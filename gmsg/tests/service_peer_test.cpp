// Two units in two processes, each registering its services through the
// service calls: each finds the other's by type, by instance, by address
// and by attribute, with the right GMSG addresses (socket and queue), reads
// an attribute, lists the service types without their naming authority and
// sees withdrawn services go. Once on loopback (one shared lo, a private
// port), once in two network namespaces joined by a veth pair (the real
// port, interfaces named eth0, each unit's own address its own), and once
// more there under a capture that tshark's SLP dissector must read without a
// complaint.
#include "testing/t_netns.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

struct Unit {
    std::string address; // where its SLP agent and socket services are
    std::string own;     // its own address, as the queue services and local searches see it
    Args prefix;         // how to start a program "on" this unit
    std::vector<std::string> env;
    bool first;
};

// Each unit's services: a sonar (unit a's without an instance), one more
// socket service and a queue service.
std::string sonar(const Unit& u)
{
    return u.first ? "service:sonar2DStream.velmora://" + u.address + ":50688/NULL|sonar2DStream|~|" + u.address +
                         ":50688"
                   : "service:sonar2DStream.velmora://" + u.address + ":50688/aux|sonar2DStream|aux|" + u.address +
                         ":50688";
}

std::string queue(const Unit& u)
{
    const std::string i = u.first ? "qa" : "qb";
    return "service:client.velmora://" + u.own + ":0/" + i + "|client|" + i + "|queue:" + (u.first ? "TSLA" : "TSLB");
}

std::string gps(const Unit& u)
{
    return "service:gpsStream.velmora://" + u.address + ":50560/base|gpsStream|base|" + u.address + ":50560";
}

std::string nav(const Unit& u)
{
    return "service:navigation.velmora://" + u.address + ":50816/NULL|navigation|~|" + u.address + ":50816";
}

std::string both(const std::string& x, const std::string& y)
{
    std::vector<std::string> v = {x, y};
    std::sort(v.begin(), v.end());
    return v[0] + ";" + v[1];
}

// What one unit does; the two scripts meet at marker files in dir.
Args script(const Unit& me, const Unit& peer, const std::string& dir, bool localScope)
{
    const std::string tag = me.first ? "a" : "b";
    const std::string other = me.first ? "b" : "a";
    const Unit& a = me.first ? me : peer;
    const Unit& b = me.first ? peer : me;
    Args s;
    if (me.first) {
        s = {"reg",  "sonar2DStream", "-",    me.address, "50688", "(unitname=Unit A),(unitmodel=3)",
             "reg",  "gpsStream",     "base", me.address, "50560", "",
             "regq", "client",        "qa",   "TSLA",     ""};
    } else {
        s = {"reg",  "sonar2DStream", "aux", me.address, "50688", "(unitname=Unit B),(unitmodel=7)",
             "reg",  "navigation",    "",    me.address, "50816", "",
             "regq", "client",        "qb",  "TSLB",     ""};
    }
    s.insert(s.end(), {"touch", dir + "/" + tag + ".reg", "wait", dir + "/" + other + ".reg"});

    const std::string peerInstance = peer.first ? "NULL" : "aux";
    s.insert(s.end(), {"find", "global", "sonar2DStream", "-", "-", "", both(sonar(a), sonar(b))});
    s.insert(s.end(), {"find", "global", "sonar2DStream", peerInstance, "-", "", sonar(peer)});
    s.insert(s.end(), {"find", "address", "sonar2DStream", "-", peer.address, "", sonar(peer)});
    s.insert(s.end(), {"find", "address", "sonar2DStream", peerInstance, peer.address, "(unitmodel>=1)", sonar(peer)});
    s.insert(s.end(), {"find", "global", "sonar2DStream", "-", "-", "(unitmodel>=5)", sonar(b)});
    s.insert(s.end(), {"find", "global", "sonar2DStream", "-", "-", "(unitname=unit a)", sonar(a)});
    if (localScope) {
        s.insert(s.end(), {"find", "local", "sonar2DStream", "-", "-", "", sonar(me)});
        s.insert(s.end(), {"find", "local", "client", "-", "-", "", queue(me)});
    }
    s.insert(s.end(), {"find", "global", "client", "-", "-", "", both(queue(a), queue(b))});
    s.insert(s.end(), {"find", "global", "client", peer.first ? "qa" : "qb", "-", "", queue(peer)});
    s.insert(s.end(), {"attr", "sonar2DStream", peer.address, "unitname", peer.first ? "Unit A" : "Unit B"});
    if (me.first)
        s.insert(s.end(), {"find", "global", "navigation", "-", "-", "", nav(peer)});
    else
        s.insert(s.end(), {"find", "address", "gpsStream", "base", peer.address, "", gps(peer)});
    s.insert(s.end(), {"types", "service:client;service:gpsStream;service:navigation;service:sonar2DStream"});
    s.insert(s.end(), {"touch", dir + "/" + tag + ".found", "wait", dir + "/" + other + ".found"});

    // Unit b withdraws first; a sees its services go, then withdraws too.
    if (me.first) {
        s.insert(s.end(), {"wait", dir + "/b.gone"});
        s.insert(s.end(), {"find", "global", "sonar2DStream", "-", "-", "", sonar(me)});
        s.insert(s.end(), {"find", "global", "client", "-", "-", "", queue(me)});
        s.insert(s.end(), {"types", "service:client;service:gpsStream;service:sonar2DStream"});
        s.insert(s.end(), {"unreg", "sonar2DStream", "-", me.address, "50688", "unreg", "gpsStream", "base",
                           me.address, "50560", "unregq", "client", "qa", "TSLA", "touch", dir + "/a.gone"});
    } else {
        s.insert(s.end(), {"unreg", "sonar2DStream", "aux", me.address, "50688", "unreg", "navigation", "-",
                           me.address, "50816", "unregq", "client", "qb", "TSLB", "touch", dir + "/b.gone"});
        s.insert(s.end(), {"wait", dir + "/a.gone"});
        s.insert(s.end(), {"find", "global", "sonar2DStream", "-", "-", "", ""});
        s.insert(s.end(), {"types", ""});
    }
    return s;
}

void runPair(const Unit& a, const Unit& b, bool localScope)
{
    vt::TempRoot dir;
    auto start = [&](const Unit& u, const Unit& peer) {
        Args argv = u.prefix;
        argv.push_back(vt::buildPath("gmsg/service_peer"));
        Args s = script(u, peer, dir.path(), localScope);
        argv.insert(argv.end(), s.begin(), s.end());
        return argv;
    };
    vt::Child ca(start(a, b), a.env);
    vt::Child cb(start(b, a), b.env);
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

std::string freeUdpPort()
{
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, (sockaddr*)&sa, sizeof sa);
    socklen_t len = sizeof sa;
    getsockname(fd, (sockaddr*)&sa, &len);
    close(fd);
    return std::to_string(ntohs(sa.sin_port));
}

Unit namespaceUnit(const vt::NamespacePair& ns, bool first)
{
    std::string address = first ? vt::NamespacePair::kAddressA : vt::NamespacePair::kAddressB;
    return Unit{address, address, ns.in(first), fastEnv(), first};
}

} // namespace

// Both units share lo and so its address: local searches cannot tell them
// apart here and are left to the namespace run.
TEST(ServicePeers, TwoProcessesOnLoopbackFindEachOther)
{
    std::vector<std::string> common = fastEnv();
    common.insert(common.end(), {"VONDREL_SLP_INTERFACE=lo", "VONDREL_SLP_PORT=" + freeUdpPort(), "VONDREL_NET_IF=lo"});
    Unit a{"127.0.0.2", "127.0.0.1", {}, common, true};
    Unit b{"127.0.0.3", "127.0.0.1", {}, common, false};
    a.env.push_back("VONDREL_SLP_ADDRESS=127.0.0.2");
    b.env.push_back("VONDREL_SLP_ADDRESS=127.0.0.3");
    runPair(a, b, false);
}

TEST(ServicePeers, TwoNetworkNamespacesFindEachOther)
{
    vt::NamespacePair ns("svc");
    if (!ns.ready())
        GTEST_SKIP() << "network namespaces cannot be made here";
    runPair(namespaceUnit(ns, true), namespaceUnit(ns, false), true);
}

TEST(ServicePeers, TsharkDecodesTheServiceExchangeAsSlpv2)
{
    vt::NamespacePair ns("svc");
    if (!ns.ready())
        GTEST_SKIP() << "network namespaces cannot be made here";
    vt::TempRoot dir;
    vt::SlpCapture capture(ns, dir.path());
    if (!capture.installed())
        GTEST_SKIP() << "tshark is not installed";
    ASSERT_TRUE(capture.started()) << capture.startError();
    runPair(namespaceUnit(ns, true), namespaceUnit(ns, false), true);
    vt::SlpDecode d = capture.finish();
    ASSERT_EQ(d.error, "");
    EXPECT_EQ(d.problems, std::vector<std::string>{});
    EXPECT_GT(d.frames, 10);
    for (const char* fn : {"1", "2", "6", "7", "9", "10"})
        EXPECT_NE(std::find(d.functions.begin(), d.functions.end(), fn), d.functions.end()) << "function " << fn;
}
