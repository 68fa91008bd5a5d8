// A unit's SLP side in a process of its own, driven by its arguments, for
// tests that need two units: it registers, deregisters, searches and checks
// what it finds, step by step, and meets the other process at marker files.
//
//   reg URL ATTRS            register (lifetime 65535, fresh)
//   dereg URL                deregister
//   assoc IP|-               send the following requests to IP alone / multicast
//   find TYPE FILTER URLS    search until exactly URLS (";"-separated, "" for
//                            none) are found, at most 10 s
//   attrs URL TAGS LIST      attribute request until LIST comes back
//   types NA LIST            service-type request until LIST (";"-separated,
//                            sorted) comes back
//   touch FILE / wait FILE   meet the other process (wait: at most 20 s)
//
// Each check prints "OK ..." or "FAIL ... got ..."; the exit status is 0 when
// every step passed.
#include "slp/slp.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> splitList(const std::string& s, char sep)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= s.size() && !s.empty()) {
        size_t end = s.find(sep, start);
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

void regReport(SLPHandle, SLPError err, void* cookie)
{
    *(SLPError*)cookie = err;
}

SLPBoolean urlCallback(SLPHandle, const char* url, unsigned short, SLPError err, void* cookie)
{
    if (err == SLP_OK && url)
        ((std::vector<std::string>*)cookie)->push_back(url);
    return SLP_TRUE;
}

SLPBoolean textCallback(SLPHandle, const char* text, SLPError err, void* cookie)
{
    if (err == SLP_OK && text)
        *(std::string*)cookie = text;
    return SLP_TRUE;
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

} // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IOLBF, 0);
    SLPHandle h;
    if (SLPOpen("en", SLP_FALSE, &h) != SLP_OK) {
        printf("FAIL open\n");
        return 1;
    }
    bool ok = true;
    for (int i = 1; i < argc; i++) {
        std::string cmd = argv[i];
        auto arg = [&](int k) -> std::string { return i + k < argc ? argv[i + k] : ""; };
        if (cmd == "reg") {
            SLPError cb = SLP_INTERNAL_SYSTEM_ERROR;
            SLPError e = SLPReg(h, arg(1).c_str(), SLP_LIFETIME_MAXIMUM, "", arg(2).c_str(), SLP_TRUE,
                                regReport, &cb);
            bool good = e == SLP_OK && cb == SLP_OK;
            printf("%s reg %s\n", good ? "OK" : "FAIL", arg(1).c_str());
            ok = ok && good;
            i += 2;
        } else if (cmd == "dereg") {
            SLPError cb = SLP_INTERNAL_SYSTEM_ERROR;
            SLPError e = SLPDereg(h, arg(1).c_str(), regReport, &cb);
            bool good = e == SLP_OK && cb == SLP_OK;
            printf("%s dereg %s\n", good ? "OK" : "FAIL", arg(1).c_str());
            ok = ok && good;
            i += 1;
        } else if (cmd == "assoc") {
            SLPAssociateIP(h, arg(1) == "-" ? nullptr : arg(1).c_str());
            i += 1;
        } else if (cmd == "find") {
            std::vector<std::string> want = splitList(arg(3), ';');
            std::vector<std::string> got;
            bool good = retry([&] {
                got.clear();
                SLPError e = SLPFindSrvs(h, arg(1).c_str(), "", arg(2).c_str(), urlCallback, &got);
                std::sort(got.begin(), got.end());
                return e == SLP_OK && got == want;
            });
            printf("%s find %s %s got %s\n", good ? "OK" : "FAIL", arg(1).c_str(), arg(2).c_str(),
                   join(got).c_str());
            ok = ok && good;
            i += 3;
        } else if (cmd == "attrs") {
            std::string got;
            bool good = retry([&] {
                got.clear();
                SLPError e = SLPFindAttrs(h, arg(1).c_str(), "", arg(2).c_str(), textCallback, &got);
                return e == SLP_OK && got == arg(3);
            });
            printf("%s attrs %s got %s\n", good ? "OK" : "FAIL", arg(1).c_str(), got.c_str());
            ok = ok && good;
            i += 3;
        } else if (cmd == "types") {
            std::string got;
            bool good = retry([&] {
                got.clear();
                SLPError e = SLPFindSrvTypes(h, arg(1).c_str(), "", textCallback, &got);
                got = join(splitList(got, ','));
                return e == SLP_OK && got == arg(2);
            });
            printf("%s types %s got %s\n", good ? "OK" : "FAIL", arg(1).c_str(), got.c_str());
            ok = ok && good;
            i += 2;
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
            printf("%s wait %s\n", good ? "OK" : "FAIL", arg(1).c_str());
            ok = ok && good;
            i += 1;
        } else {
            printf("FAIL unknown step %s\n", cmd.c_str());
            ok = false;
        }
    }
    SLPClose(h);
    printf("%s\n", ok ? "PASSED" : "FAILED");
    return ok ? 0 : 1;
}
