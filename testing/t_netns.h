// Two units on a wire of their own: two network namespaces joined by a veth
// pair whose ends are called eth0 (addresses 192.0.2.20 and 192.0.2.21),
// removed again when the object goes away; and a capture on that wire that
// tshark's SLP dissector reads back. Both need root and the ip tool; tests
// skip when ready() is false.
#pragma once

#include "testing/t_proc.h"

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace vt {

inline std::string findTool(const std::vector<std::string>& candidates)
{
    for (const std::string& c : candidates)
        if (access(c.c_str(), X_OK) == 0)
            return c;
    return "";
}

inline bool quietShell(const std::string& command)
{
    ProcResult r = runProcess({"/bin/sh", "-c", command + " >/dev/null 2>&1"}, {}, 20000);
    return r.status == 0;
}

class NamespacePair {
public:
    static constexpr const char* kAddressA = "192.0.2.20";
    static constexpr const char* kAddressB = "192.0.2.21";

    // tag keeps the names of concurrent tests apart.
    explicit NamespacePair(const std::string& tag)
    {
        ip_ = findTool({"/usr/sbin/ip", "/sbin/ip", "/usr/bin/ip", "/bin/ip"});
        if (ip_.empty() || geteuid() != 0)
            return;
        std::string id = tag + std::to_string(getpid());
        a_ = id + "a";
        b_ = id + "b";
        std::string va = "v" + id + "a", vb = "v" + id + "b";
        made_ = sh("netns add " + a_) && sh("netns add " + b_);
        ready_ = made_ && sh("link add " + va + " type veth peer name " + vb) && sh("link set " + va + " netns " + a_) &&
                 sh("link set " + vb + " netns " + b_) && sh("-n " + a_ + " link set " + va + " name eth0") &&
                 sh("-n " + b_ + " link set " + vb + " name eth0") &&
                 sh("-n " + a_ + " addr add " + kAddressA + "/24 dev eth0") &&
                 sh("-n " + b_ + " addr add " + kAddressB + "/24 dev eth0") && sh("-n " + a_ + " link set eth0 up") &&
                 sh("-n " + b_ + " link set eth0 up") && sh("-n " + a_ + " link set lo up") &&
                 sh("-n " + b_ + " link set lo up");
    }
    ~NamespacePair()
    {
        if (made_) {
            sh("netns del " + a_);
            sh("netns del " + b_);
        }
    }
    NamespacePair(const NamespacePair&) = delete;
    NamespacePair& operator=(const NamespacePair&) = delete;

    bool ready() const { return ready_; }
    // How to start a program inside one of the two.
    std::vector<std::string> in(bool first) const { return {ip_, "netns", "exec", first ? a_ : b_}; }

private:
    bool sh(const std::string& args) const { return quietShell(ip_ + " " + args); }
    std::string ip_, a_, b_;
    bool made_ = false;
    bool ready_ = false;
};

// What tshark made of a capture: one line per frame.
struct SlpDecode {
    int frames = 0;
    std::vector<std::string> functions; // srvloc.function of each frame
    std::vector<std::string> problems;  // frames not read as sound SLPv2
    std::string error;                  // tshark itself failed
};

// Captures UDP on eth0 of the first namespace from construction to finish().
class SlpCapture {
public:
    SlpCapture(const NamespacePair& ns, const std::string& dir)
        : tshark_(findTool({"/usr/bin/tshark", "/usr/local/bin/tshark"})), pcap_(dir + "/slp.pcap")
    {
        if (tshark_.empty())
            return;
        std::vector<std::string> argv = ns.in(true);
        argv.insert(argv.end(), {tshark_, "-i", "eth0", "-f", "udp", "-w", pcap_});
        cap_ = std::make_unique<Child>(argv);
        // tshark loads every dissector before it captures: seconds, more
        // on a busy machine.
        for (int i = 0; i < 800 && !started_; i++) {
            started_ = cap_->err().find("Capturing on") != std::string::npos;
            if (!started_)
                usleep(50000);
        }
    }
    SlpCapture(const SlpCapture&) = delete;
    SlpCapture& operator=(const SlpCapture&) = delete;

    // The severities tshark gives a frame (comma-separated) hold a warning
    // (0x00600000) or an error (0x00800000).
    static bool expertComplains(const std::string& severities)
    {
        constexpr long WARN = 0x00600000;
        size_t at = 0;
        while (at < severities.size()) {
            size_t comma = severities.find(',', at);
            std::string one = severities.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
            at = comma == std::string::npos ? severities.size() : comma + 1;
            if (!one.empty() && strtol(one.c_str(), nullptr, 0) >= WARN)
                return true;
        }
        return false;
    }

    bool installed() const { return !tshark_.empty(); }
    bool started() const { return started_; }
    std::string startError() { return cap_ ? cap_->err() : "tshark is not installed"; }

    SlpDecode finish()
    {
        SlpDecode d;
        usleep(300000);
        cap_->signal(SIGINT);
        ProcResult rc;
        cap_->wait(rc, 10000);
        ProcResult r = runProcess({tshark_, "-r", pcap_, "-T", "fields", "-E", "separator=|", "-e", "frame.number", "-e",
                                   "srvloc.version", "-e", "srvloc.function", "-e", "_ws.malformed", "-e",
                                   "_ws.expert.severity"},
                                  {}, 60000);
        if (r.status != 0) {
            d.error = r.err;
            return d;
        }
        size_t pos = 0;
        while (pos < r.out.size()) {
            size_t end = r.out.find('\n', pos);
            std::string line = r.out.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
            pos = end == std::string::npos ? r.out.size() : end + 1;
            if (line.empty())
                continue;
            d.frames++;
            std::vector<std::string> f;
            size_t s = 0;
            while (true) {
                size_t bar = line.find('|', s);
                f.push_back(line.substr(s, bar == std::string::npos ? std::string::npos : bar - s));
                if (bar == std::string::npos)
                    break;
                s = bar + 1;
            }
            // Version 2, no malformed-packet mark, no expert warning or
            // error. Notes and chats are not complaints: tshark notes a
            // small TTL, or a port in the traceroute range, on sound frames.
            if (f.size() != 5 || f[1] != "2" || !f[3].empty() || expertComplains(f[4]))
                d.problems.push_back(line);
            d.functions.push_back(f.size() > 2 ? f[2] : "");
        }
        return d;
    }

private:
    std::string tshark_;
    std::string pcap_;
    std::unique_ptr<Child> cap_;
    bool started_ = false;
};

} // namespace vt
