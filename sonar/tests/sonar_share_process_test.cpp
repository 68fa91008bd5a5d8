// Two units on a wire of their own (two network namespaces joined by a
// veth pair): unit A pings its simulated transducer and serves its sonar;
// unit B, without a transducer, is pointed at A by ROOT/etc/sonar-server.
// B registers on TCP 50688, hands A's pings to its processing task, keeps
// its server past the end of its own start-up, and reports the lost server
// when A goes.
// On the wire: the registration 0x180001 and the 276 + n byte pings to
// 239.0.c.d:50880. Beside it the waypoint service: B asks A (named in
// ROOT/etc/nav-peer), A has no waypoints, answers "registered" and sends no
// slice.
#include "store/h_nvram.h"
#include "store/tests/nvr_format.h"
#include "testing/t_netns.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <map>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

constexpr int START_MS = 60000;

void seed(const vt::TempRoot& root, U32 unitId, bool transducer)
{
    vt::makeDirs(root.cwd());
    vt::makeDirs(root.at("/etc"));
    vt::makeDirs(root.at("/dev"));
    std::map<std::string, U32> values = {{"NVER", NVR_VERSION}, {"SENU", 20417}, {"SMAC", unitId}};
    if (transducer) {
        values["SSTS"] = 15; // 2D and Keelview
        values["SQCD"] = 1;  // the server has finished its quick set-up
    } else {
        // A unit without a transducer that has found its network before
        // runs normally on the sonar of the network; without this it would
        // start as a store demonstration.
        values["SFEF"] = 1;
    }
    nvt::writeFiles(root.cwd(), nvt::encode(values));
}

// Waits until text shows in the child's output after position from; its
// position, or npos on time-out.
size_t waitForAfter(vt::Child& child, const std::string& text, size_t from, int timeoutMs)
{
    for (int waited = 0; waited <= timeoutMs; waited += 100) {
        const std::string out = child.out();
        const size_t at = from < out.size() ? out.find(text, from) : std::string::npos;
        if (at != std::string::npos)
            return at;
        if (!child.running())
            return std::string::npos;
        child.waitForOutput("\x01never\x01", 100);
    }
    return std::string::npos;
}

std::vector<std::string> unitEnv(const vt::TempRoot& root)
{
    return {"VONDREL_ROOT=" + root.path(), "VONDREL_CWD=" + root.cwd()};
}

Args unitArgs(Args prefix)
{
    prefix.insert(prefix.end(), {vt::buildPath("app/vondrel"), "nodisclaimer"});
    return prefix;
}

// tshark's lines for a display filter over the capture.
std::vector<std::string> frames(const std::string& tshark, const std::string& pcap, const std::string& filter,
                                const Args& fields)
{
    // A ping of more than one frame is sent in IP fragments, of which the
    // capture filter keeps the first; read unreassembled, that first one
    // shows its UDP header and the descriptor's start.
    Args argv = {tshark, "-r", pcap, "-o", "ip.defragment:FALSE", "-Y", filter, "-T", "fields", "-E", "separator=|"};
    for (const std::string& f : fields)
        argv.insert(argv.end(), {"-e", f});
    vt::ProcResult r = vt::runProcess(argv, {}, 120000);
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < r.out.size()) {
        size_t end = r.out.find('\n', pos);
        if (end == std::string::npos)
            end = r.out.size();
        if (end > pos)
            out.push_back(r.out.substr(pos, end - pos));
        pos = end + 1;
    }
    return out;
}

// On a failure, what both units said (their ends; the client is chatty).
class ShowUnitsOnFailure {
public:
    ShowUnitsOnFailure(vt::Child& server, vt::Child& client) : server_(server), client_(client) {}
    ~ShowUnitsOnFailure()
    {
        if (!::testing::Test::HasFailure())
            return;
        for (auto [name, child] : {std::pair<const char*, vt::Child*>{"A (server)", &server_}, {"B (client)", &client_}}) {
            const std::string out = child->out() + child->err();
            fprintf(stderr, "---- unit %s said (last part) ----\n%s\n", name,
                    out.substr(out.size() > 30000 ? out.size() - 30000 : 0).c_str());
        }
    }
    ShowUnitsOnFailure(const ShowUnitsOnFailure&) = delete;
    ShowUnitsOnFailure& operator=(const ShowUnitsOnFailure&) = delete;

private:
    vt::Child& server_;
    vt::Child& client_;
};

TEST(SonarBetweenUnits, AClientTakesTheServersPings)
{
    vt::NamespacePair ns("snr");
    if (!ns.ready())
        GTEST_SKIP() << "network namespaces cannot be made on this machine (root and the ip tool are needed)";
    vt::TempRoot a, b;
    seed(a, 0x20, true);
    seed(b, 0x21, false);
    ASSERT_TRUE(vt::writeFile(a.at("/dev/sonar0.scene"), "connected 1\nbottom 8.0\nnoise 12\n"));
    ASSERT_TRUE(vt::writeFile(b.at("/dev/sonar0.scene"), "connected 0\n"));
    ASSERT_TRUE(vt::writeFile(b.at("/etc/sonar-server"), std::string(vt::NamespacePair::kAddressA) + " 0 15\n"));
    ASSERT_TRUE(vt::writeFile(b.at("/etc/nav-peer"), std::string(vt::NamespacePair::kAddressA) + "\n"));

    const std::string tshark = vt::findTool({"/usr/bin/tshark", "/usr/local/bin/tshark"});
    const std::string pcap = a.at("/tmp/share.pcap");
    std::unique_ptr<vt::Child> capture;
    if (!tshark.empty()) {
        Args argv = ns.in(true);
        argv.insert(argv.end(), {tshark, "-i", "eth0", "-f", "tcp port 50688 or tcp port 50816 or udp port 50880",
                                 "-w", pcap});
        capture = std::make_unique<vt::Child>(argv);
        bool started = false;
        for (int i = 0; i < 800 && !started; ++i) {
            started = capture->err().find("Capturing on") != std::string::npos;
            if (!started)
                capture->waitForOutput("\x01never\x01", 50);
        }
        ASSERT_TRUE(started) << capture->err();
    }

    // ip netns exec keeps the environment it is given.
    vt::Child serverUnit(unitArgs(ns.in(true)), unitEnv(a));
    vt::Child clientUnit(unitArgs(ns.in(false)), unitEnv(b));
    ShowUnitsOnFailure show(serverUnit, clientUnit);

    ASSERT_TRUE(clientUnit.waitForOutput("source 0 connected to 140200C0", START_MS)) << clientUnit.out();
    // A's pings keep reaching B's processing task: more than the 24
    // descriptors of the pool, so they come back (slowly under the thread
    // checker).
    EXPECT_TRUE(clientUnit.waitForOutput("100 pings from the server handed on", START_MS)) << clientUnit.out();

    // B has never finished its quick set-up, so its start-up ends by
    // putting every setting back to its factory value, which lets go of the
    // server. B takes its server up again and goes on receiving.
    const size_t reset = waitForAfter(clientUnit, "sonar settings back to their factory values", 0, START_MS);
    ASSERT_NE(reset, std::string::npos) << clientUnit.out();
    const size_t again = waitForAfter(clientUnit, "source 0 connected to 140200C0", reset, START_MS);
    ASSERT_NE(again, std::string::npos) << "B did not take its server up again:\n" << clientUnit.out().substr(reset);
    size_t seen = again;
    for (int k = 0; k < 3 && seen != std::string::npos; ++k)
        seen = waitForAfter(clientUnit, "pings from the server handed on", seen + 1, START_MS);
    ASSERT_NE(seen, std::string::npos) << "B's pings stopped:\n" << clientUnit.out().substr(again);
    ASSERT_EQ(clientUnit.out().find("lost its server"), std::string::npos) << clientUnit.out();

    // Stopping A closes B's connection to it: B reports the lost server with
    // the lost-2D-source dialog, forgets it and empties the source.
    serverUnit.signal(SIGKILL);
    vt::ProcResult ignored;
    serverUnit.wait(ignored, 10000);
    const size_t lost = waitForAfter(clientUnit, "sonar source 0 lost its server 140200C0, reason ", seen, START_MS);
    ASSERT_NE(lost, std::string::npos) << clientUnit.out().substr(seen);
    const std::string report = clientUnit.out().substr(lost, 120);
    EXPECT_NE(report.find("reason 4, dialog 10"), std::string::npos)
        << "a dropped connection is reason 4 (a silent server, 3, takes a minute): " << report;
    EXPECT_NE(waitForAfter(clientUnit, "t_n_ping - ENPM = 0", lost, START_MS), std::string::npos)
        << "the source is no longer shown from the network:\n"
        << clientUnit.out().substr(lost);
    // The waypoint exchange has had its time by now.
    clientUnit.signal(SIGKILL);
    clientUnit.wait(ignored, 10000);

    if (!capture)
        GTEST_SKIP() << "tshark is not installed: the wire was not checked";
    capture->signal(SIGINT);
    capture->wait(ignored, 20000);

    // The registration: a GMSG header with id 0x180001 to A's sonar port.
    EXPECT_FALSE(frames(tshark, pcap, "tcp.dstport == 50688 && tcp.payload[4:4] == 01:00:18:00", {"frame.number"})
                     .empty());
    // Pings: 276 bytes of descriptor and as many samples as it says.
    const std::vector<std::string> pings =
        frames(tshark, pcap, "ip.dst == 239.0.2.20 && udp.dstport == 50880", {"udp.length", "data.data"});
    ASSERT_FALSE(pings.empty()) << "the capture holds no multicast pings";
    for (size_t i = 0; i < pings.size() && i < 5; ++i) {
        const size_t bar = pings[i].find('|');
        ASSERT_NE(bar, std::string::npos);
        const long payload = atol(pings[i].substr(0, bar).c_str()) - 8;
        const std::string hex = pings[i].substr(bar + 1);
        ASSERT_GE(hex.size(), 16u);
        unsigned long samples = 0;
        for (int k = 3; k >= 0; --k)
            samples = samples * 256 + strtoul(hex.substr(8 + 2 * (size_t)k, 2).c_str(), nullptr, 16);
        EXPECT_EQ(payload, 276 + (long)samples) << pings[i].substr(0, 40);
    }
    // Waypoints: B asks, A (no waypoints) answers "registered" and sends no slice.
    EXPECT_FALSE(frames(tshark, pcap,
                        "ip.src == 192.0.2.21 && tcp.dstport == 50816 && tcp.payload[4:4] == 01:00:1a:00",
                        {"frame.number"})
                     .empty());
    EXPECT_FALSE(frames(tshark, pcap, "ip.src == 192.0.2.20 && tcp.payload[4:4] == 01:00:00:00", {"frame.number"})
                     .empty())
        << "A's status reply";
    // The only slices A sends are its table's start-up edit of all 3000 slots
    // (20 + 28 x 3000 bytes); the registration brings none.
    for (const std::string& slice :
         frames(tshark, pcap, "ip.src == 192.0.2.20 && tcp.payload[4:4] == 02:00:1a:00", {"tcp.payload"}))
        EXPECT_EQ(slice.substr(24, 8), "34480100") << "no slice from a unit without waypoints: " << slice.substr(0, 200);
}

} // namespace
