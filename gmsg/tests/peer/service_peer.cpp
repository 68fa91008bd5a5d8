// A unit's service registrations and searches in a process of its own,
// driven by its arguments, for tests that need two units: it registers and
// withdraws services, searches them and checks the entries it gets, step by
// step, and meets the other process at marker files.
//
//   reg SERVICE INSTANCE ADDRESS PORT ATTRS    register a socket service
//   regq SERVICE INSTANCE QUEUE ATTRS          register a queue service
//   unreg SERVICE INSTANCE ADDRESS PORT        withdraw a socket service
//   unregq SERVICE INSTANCE QUEUE              withdraw a queue service
//   find SCOPE SERVICE INSTANCE IP FILTER WANT search (local, address or
//                                              global) until exactly WANT is
//                                              found, at most 10 s
//   attr SERVICE IP TAG VALUE                  the first entry of SERVICE at
//                                              IP has attribute TAG = VALUE
//   types WANT                                 the type listing is WANT
//   touch FILE / wait FILE                     meet the other process
//
// INSTANCE "-" is none, IP "-" is 0. WANT is a ";"-separated sorted list of
// entries "URL|SERVICE|INSTANCE|ADDRESS" (INSTANCE "~" for none, ADDRESS
// "a.b.c.d:port" or "queue:NAME"), or of types. Each check prints "OK ..."
// or "FAIL ... got ..."; the exit status is 0 when every step passed.
#include "gmsg/service.h"

#include <arpa/inet.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> splitList(const std::string& s)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start < s.size()) {
        size_t end = s.find(';', start);
        std::string item = s.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!item.empty())
            out.push_back(item);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string join(const std::vector<std::string>& v)
{
    std::string s;
    for (const std::string& x : v)
        s += (s.empty() ? "" : ";") + x;
    return s;
}

const char* orNull(const std::string& s) { return s == "-" ? nullptr : s.c_str(); }

U32 ipOf(const std::string& s) { return s == "-" ? 0 : inet_addr(s.c_str()); }

std::string describe(const SERVICE_ENTRY& e)
{
    std::string s = std::string(e.pcURL ? e.pcURL : "?") + "|" + (e.pcService ? e.pcService : "?") + "|" +
                    (e.pcInstance ? e.pcInstance : "~") + "|";
    if (e.MsgAddress.MsgAddressType == GMSG_ADDRESS_SOCKET) {
        in_addr a{e.MsgAddress.uAddr.Socket.u32Address};
        s += std::string(inet_ntoa(a)) + ":" + std::to_string(e.MsgAddress.uAddr.Socket.u32Port);
    } else {
        s += "queue:" + std::string(e.MsgAddress.uAddr.Queue.acName);
    }
    return s;
}

GMSG_ADDRESS socketAddress(const std::string& ip, const std::string& port)
{
    GMSG_ADDRESS a;
    GMSG_vMakeSocketAddress(&a, inet_addr(ip.c_str()), (U32)std::stoul(port));
    return a;
}

GMSG_ADDRESS queueAddress(const std::string& name)
{
    GMSG_ADDRESS a;
    memset(&a, 0, sizeof a);
    a.MsgAddressType = SERVICE_ADDRESS_QUEUE;
    strncpy(a.uAddr.Queue.acName, name.c_str(), sizeof a.uAddr.Queue.acName - 1);
    return a;
}

bool retry(const std::function<bool()>& attempt)
{
    Clock::time_point end = Clock::now() + std::chrono::seconds(10);
    while (true) {
        if (attempt())
            return true;
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

SERVICE_SEARCH_SCOPE scopeOf(const std::string& s)
{
    if (s == "local")
        return SERVICE_SEARCH_LOCAL;
    if (s == "address")
        return SERVICE_SEARCH_ADDRESS;
    return SERVICE_SEARCH_GLOBAL;
}

} // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IOLBF, 0);
    SERVICE_HANDLE h = SERVICE_hOpenServiceHandle();
    if (h == nullptr) {
        printf("FAIL open\n");
        return 1;
    }
    bool ok = true;
    auto report = [&](bool good, const std::string& what) {
        printf("%s %s\n", good ? "OK" : "FAIL", what.c_str());
        ok = ok && good;
    };
    for (int i = 1; i < argc; i++) {
        std::string cmd = argv[i];
        auto arg = [&](int k) -> std::string { return i + k < argc ? argv[i + k] : ""; };
        if (cmd == "reg") {
            GMSG_ADDRESS a = socketAddress(arg(3), arg(4));
            report(SERVICE_bRegister(h, arg(1).c_str(), orNull(arg(2)), &a, arg(5).c_str()), "reg " + arg(1));
            i += 5;
        } else if (cmd == "regq") {
            GMSG_ADDRESS a = queueAddress(arg(3));
            report(SERVICE_bRegister(h, arg(1).c_str(), orNull(arg(2)), &a, arg(4).c_str()), "regq " + arg(1));
            i += 4;
        } else if (cmd == "unreg") {
            GMSG_ADDRESS a = socketAddress(arg(3), arg(4));
            report(SERVICE_bUnregister(h, arg(1).c_str(), orNull(arg(2)), &a), "unreg " + arg(1));
            i += 4;
        } else if (cmd == "unregq") {
            GMSG_ADDRESS a = queueAddress(arg(3));
            report(SERVICE_bUnregister(h, arg(1).c_str(), orNull(arg(2)), &a), "unregq " + arg(1));
            i += 3;
        } else if (cmd == "find") {
            std::vector<std::string> want = splitList(arg(6));
            std::vector<std::string> got;
            bool good = retry([&] {
                got.clear();
                SERVICE_SEARCH_INFO info;
                BOOLEAN found = SERVICE_bSearch(h, &info, arg(2).c_str(), orNull(arg(3)), ipOf(arg(4)),
                                                orNull(arg(5)), scopeOf(arg(1)));
                for (U32 k = 0; k < info.nCount; k++)
                    got.push_back(describe(info.ServiceInfoArray[k]));
                SERVICE_bFreeSearchInfo(&info);
                std::sort(got.begin(), got.end());
                return found && got == want;
            });
            report(good, "find " + arg(1) + " " + arg(2) + " " + arg(3) + " " + arg(5) + " got " + join(got));
            i += 6;
        } else if (cmd == "attr") {
            std::string got;
            bool good = retry([&] {
                got = "(none)";
                SERVICE_SEARCH_INFO info;
                if (SERVICE_bSearch(h, &info, arg(1).c_str(), nullptr, ipOf(arg(2)), nullptr,
                                    SERVICE_SEARCH_ADDRESS) &&
                    info.nCount > 0) {
                    char* list = nullptr;
                    char* value = nullptr;
                    if (SERVICE_bGetAttributes(h, &info.ServiceInfoArray[0], "", &list) &&
                        SERVICE_bParseAttribute(list, arg(3).c_str(), &value))
                        got = value;
                    SERVICE_bFreeAttribute(value);
                    SERVICE_bFreeAttribute(list);
                }
                SERVICE_bFreeSearchInfo(&info);
                return got == arg(4);
            });
            report(good, "attr " + arg(1) + " " + arg(3) + " got " + got);
            i += 4;
        } else if (cmd == "types") {
            std::string got;
            bool good = retry([&] {
                SERVICE_TYPE_INFO info;
                BOOLEAN listed = SERVICE_bGetServiceTypeInfo(h, &info);
                std::vector<std::string> v;
                for (U32 k = 0; k < info.nCount; k++)
                    v.push_back(info.pcServiceTypes[k]);
                SERVICE_bFreeServiceTypeInfo(&info);
                std::sort(v.begin(), v.end());
                got = join(v);
                return listed && got == arg(1);
            });
            report(good, "types got " + got);
            i += 1;
        } else if (cmd == "touch") {
            std::ofstream(arg(1)).put('\n');
            i += 1;
        } else if (cmd == "wait") {
            bool good = false;
            for (int t = 0; t < 400 && !good; t++) {
                good = access(arg(1).c_str(), F_OK) == 0;
                if (!good)
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            report(good, "wait " + arg(1));
            i += 1;
        } else {
            report(false, "unknown step " + cmd);
        }
    }
    SERVICE_vCloseServiceHandle(h);
    printf("%s\n", ok ? "PASSED" : "FAILED");
    return ok ? 0 : 1;
}
