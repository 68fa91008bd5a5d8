// Two units in two processes: each registers its services and finds the
// other's by type, by instance, by address and by attribute, by multicast and
// by unicast, lists the service types and sees deregistered services go.
// Once on loopback (two addresses, a private port), once in two network
// namespaces joined by a veth pair (the real port, interfaces named eth0),
// and once more under a capture that tshark's SLP dissector must read without
// a complaint.
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

std::string findTool(const std::vector<std::string>& candidates)
{
    for (const std::string& c : candidates)
        if (access(c.c_str(), X_OK) == 0)
            return c;
    return "";
}

bool sh(const std::string& command)
{
    vt::ProcResult r = vt::runProcess({"/bin/sh", "-c", command + " >/dev/null 2>&1"}, {}, 20000);
    return r.status == 0;
}

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

// Two network namespaces joined by a veth pair whose ends are called eth0,
// with the addresses 192.0.2.20 and 192.0.2.21; removed again at the end.
class NamespacePair {
public:
    NamespacePair()
    {
        ip_ = findTool({"/usr/sbin/ip", "/sbin/ip", "/usr/bin/ip", "/bin/ip"});
        if (ip_.empty() || geteuid() != 0)
            return;
        std::string id = std::to_string(getpid());
        a_ = "vslp" + id + "a";
        b_ = "vslp" + id + "b";
        std::string va = "vs" + id + "a", vb = "vs" + id + "b";
        made_ = sh(ip_ + " netns add " + a_) && sh(ip_ + " netns add " + b_);
        ready_ = made_ && sh(ip_ + " link add " + va + " type veth peer name " + vb) &&
                 sh(ip_ + " link set " + va + " netns " + a_) && sh(ip_ + " link set " + vb + " netns " + b_) &&
                 sh(ip_ + " -n " + a_ + " link set " + va + " name eth0") &&
                 sh(ip_ + " -n " + b_ + " link set " + vb + " name eth0") &&
                 sh(ip_ + " -n " + a_ + " addr add 192.0.2.20/24 dev eth0") &&
                 sh(ip_ + " -n " + b_ + " addr add 192.0.2.21/24 dev eth0") &&
                 sh(ip_ + " -n " + a_ + " link set eth0 up") && sh(ip_ + " -n " + b_ + " link set eth0 up") &&
                 sh(ip_ + " -n " + a_ + " link set lo up") && sh(ip_ + " -n " + b_ + " link set lo up");
    }
    ~NamespacePair()
    {
        if (made_) {
            sh(ip_ + " netns del " + a_);
            sh(ip_ + " netns del " + b_);
        }
    }
    bool ready() const { return ready_; }
    Args in(bool first) const { return {ip_, "netns", "exec", first ? a_ : b_}; }

private:
    std::string ip_, a_, b_;
    bool made_ = false;
    bool ready_ = false;
};

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
    NamespacePair ns;
    if (!ns.ready())
        GTEST_SKIP() << "network namespaces cannot be made here";
    // Default port and interface: eth0 in each namespace.
    Unit a{"192.0.2.20", ns.in(true), fastEnv()};
    Unit b{"192.0.2.21", ns.in(false), fastEnv()};
    runPair(a, b);
}

TEST(SlpPeers, TsharkDecodesEveryPacketAsSlpv2)
{
    std::string tshark = findTool({"/usr/bin/tshark", "/usr/local/bin/tshark"});
    if (tshark.empty())
        GTEST_SKIP() << "tshark is not installed";
    NamespacePair ns;
    if (!ns.ready())
        GTEST_SKIP() << "network namespaces cannot be made here";
    vt::TempRoot dir;
    std::string pcap = dir.path() + "/slp.pcap";
    Args capture = ns.in(true);
    capture.insert(capture.end(), {tshark, "-i", "eth0", "-f", "udp", "-w", pcap});
    vt::Child cap(capture);
    bool started = false;
    for (int i = 0; i < 200 && !started; i++) {
        started = cap.err().find("Capturing on") != std::string::npos;
        if (!started)
            usleep(50000);
    }
    ASSERT_TRUE(started) << cap.err();

    Unit a{"192.0.2.20", ns.in(true), fastEnv()};
    Unit b{"192.0.2.21", ns.in(false), fastEnv()};
    runPair(a, b);
    usleep(300000);
    cap.signal(SIGINT);
    vt::ProcResult rc;
    cap.wait(rc, 10000);

    vt::ProcResult r = vt::runProcess({tshark, "-r", pcap, "-T", "fields", "-E", "separator=|", "-e",
                                       "frame.number", "-e", "srvloc.version", "-e", "srvloc.function", "-e",
                                       "_ws.malformed", "-e", "_ws.expert.severity"},
                                      {}, 60000);
    ASSERT_EQ(r.status, 0) << r.err;
    int frames = 0;
    std::vector<std::string> functions;
    size_t pos = 0;
    while (pos < r.out.size()) {
        size_t end = r.out.find('\n', pos);
        std::string line = r.out.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? r.out.size() : end + 1;
        if (line.empty())
            continue;
        frames++;
        std::vector<std::string> f;
        size_t s = 0;
        while (true) {
            size_t bar = line.find('|', s);
            f.push_back(line.substr(s, bar == std::string::npos ? std::string::npos : bar - s));
            if (bar == std::string::npos)
                break;
            s = bar + 1;
        }
        ASSERT_EQ(f.size(), 5u) << line;
        EXPECT_EQ(f[1], "2") << "not SLPv2: " << line;
        EXPECT_EQ(f[3], "") << "malformed: " << line;
        EXPECT_EQ(f[4], "") << "expert complaint: " << line;
        functions.push_back(f[2]);
    }
    EXPECT_GT(frames, 10);
    // Requests and replies of all three kinds crossed the wire.
    for (const char* fn : {"1", "2", "6", "7", "9", "10"})
        EXPECT_NE(std::find(functions.begin(), functions.end(), fn), functions.end()) << "function " << fn;
}
