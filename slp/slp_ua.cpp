// User agent transactions.
#include "slp/slp_ua.h"

#include "slp/slp_config.h"
#include "slp/slp_net.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kReceiveBuffer = 65536;

std::atomic<U32> s_malformed{0};

U16 nextXid()
{
    static std::atomic<U16> xid{(U16)(getpid() ^ time(nullptr))};
    U16 x = ++xid;
    return x != 0 ? x : ++xid;
}

long msLeft(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? (long)left : 0;
}

class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

enum class Wait { Reply, Deadline, Error };

// Waits until a sound reply to this XID arrives or the deadline passes.
Wait awaitReply(int fd, Clock::time_point deadline, U8 function, U16 xid, std::vector<U8>& buffer,
                SLP_MSG* reply, U32* from, size_t* length)
{
    while (true) {
        long left = msLeft(deadline);
        pollfd p{fd, POLLIN, 0};
        int r = poll(&p, 1, (int)left);
        if (r < 0 && errno != EINTR)
            return Wait::Error;
        if (r <= 0) {
            if (msLeft(deadline) == 0)
                return Wait::Deadline;
            continue;
        }
        U32 local;
        U16 port;
        long n = SLP_NET_nReceive(fd, buffer.data(), buffer.size(), from, &port, &local);
        if (n == -2)
            continue;
        if (n < 0)
            return Wait::Error;
        SLP_DECODE_RESULT d = SLP_MSG_eDecode(buffer.data(), (size_t)n, reply);
        if (d == SLP_DECODE_BAD_HEADER || d == SLP_DECODE_BAD_VERSION || d == SLP_DECODE_BAD_BODY) {
            s_malformed++;
            continue;
        }
        if (d != SLP_DECODE_OK || reply->Header.u8Function != function || reply->Header.u16Xid != xid)
            continue;
        *length = (size_t)n;
        return Wait::Reply;
    }
}

std::string dotted(U32 address)
{
    char text[INET_ADDRSTRLEN] = "";
    in_addr a{address};
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

SLPError multicast(const SLP_CONFIG& cfg, int fd, U8 function, const SLP_UA_BUILD& build,
                   const SLP_UA_TAKE& take)
{
    U16 xid = nextXid();
    std::vector<U32> responders;
    std::string prList;
    std::vector<U8> request, buffer(kReceiveBuffer);
    Clock::time_point start = Clock::now();
    Clock::time_point limit = start + std::chrono::milliseconds(cfg.u32McastMaxWait);
    for (U32 round = 0; round < cfg.u32McastWaitCount; round++) {
        if (msLeft(limit) == 0)
            break;
        if (!build(xid, SLP_FLAG_MCAST, prList, &request))
            return round == 0 ? SLP_PARAMETER_BAD : SLP_OK;
        if (request.size() > cfg.u16Mtu)
            return round == 0 ? SLP_BUFFER_OVERFLOW : SLP_OK;
        if (!SLP_NET_bSend(fd, request.data(), request.size(), cfg.u32Group, cfg.u16Port))
            return round == 0 ? SLP_NETWORK_ERROR : SLP_OK;
        Clock::time_point deadline =
            std::min(limit, Clock::now() + std::chrono::milliseconds(cfg.au32McastWaits[round]));
        U32 fresh = 0;
        while (true) {
            SLP_MSG reply;
            U32 from;
            size_t length;
            Wait w = awaitReply(fd, deadline, function, xid, buffer, &reply, &from, &length);
            if (w == Wait::Error)
                return SLP_NETWORK_ERROR;
            if (w == Wait::Deadline)
                break;
            if (std::find(responders.begin(), responders.end(), from) != responders.end())
                continue;
            responders.push_back(from);
            if (!prList.empty())
                prList += ',';
            prList += dotted(from);
            fresh++;
            // Agents do not answer multicast with errors; one that does is
            // still a responder, but has nothing to give.
            if (reply.u16Error == SLP_WE_OK && !take(reply, from))
                return SLP_OK;
        }
        if (round > 0 && fresh == 0)
            break;
    }
    return SLP_OK;
}

SLPError unicast(const SLP_CONFIG& cfg, int fd, U32 to, U8 function, const SLP_UA_BUILD& build,
                 const SLP_UA_TAKE& take)
{
    U16 xid = nextXid();
    std::vector<U8> request, buffer(kReceiveBuffer);
    if (!build(xid, 0, "", &request))
        return SLP_PARAMETER_BAD;
    if (request.size() > cfg.u16Mtu)
        return SLP_BUFFER_OVERFLOW;
    for (U32 round = 0; round < cfg.u32UnicastWaitCount; round++) {
        if (!SLP_NET_bSend(fd, request.data(), request.size(), to, cfg.u16Port))
            return SLP_NETWORK_ERROR;
        Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(cfg.au32UnicastWaits[round]);
        SLP_MSG reply;
        U32 from;
        size_t length;
        Wait w = awaitReply(fd, deadline, function, xid, buffer, &reply, &from, &length);
        if (w == Wait::Error)
            return SLP_NETWORK_ERROR;
        if (w == Wait::Deadline)
            continue;
        if (reply.u16Error != SLP_WE_OK)
            return SLP_UA_eFromWire(reply.u16Error);
        take(reply, from);
        return SLP_OK;
    }
    return SLP_NETWORK_TIMED_OUT;
}

} // namespace

SLPError SLP_UA_eTransact(U32 u32Unicast, U8 u8ReplyFunction, const SLP_UA_BUILD& Build,
                          const SLP_UA_TAKE& Take)
{
    SLP_CONFIG cfg;
    SLP_CONFIG_vGet(&cfg);
    Socket s(SLP_NET_nOpenRequestSocket(&cfg));
    if (s.fd() < 0)
        return SLP_NETWORK_INIT_FAILED;
    if (u32Unicast != 0)
        return unicast(cfg, s.fd(), u32Unicast, u8ReplyFunction, Build, Take);
    return multicast(cfg, s.fd(), u8ReplyFunction, Build, Take);
}

SLPError SLP_UA_eFromWire(U16 u16Error)
{
    switch (u16Error) {
    case SLP_WE_OK:
        return SLP_OK;
    case SLP_WE_LANGUAGE_NOT_SUPPORTED:
        return SLP_LANGUAGE_NOT_SUPPORTED;
    case SLP_WE_PARSE_ERROR:
        return SLP_PARSE_ERROR;
    case SLP_WE_INVALID_REGISTRATION:
        return SLP_INVALID_REGISTRATION;
    case SLP_WE_SCOPE_NOT_SUPPORTED:
        return SLP_SCOPE_NOT_SUPPORTED;
    case SLP_WE_AUTHENTICATION_ABSENT:
        return SLP_AUTHENTICATION_ABSENT;
    case SLP_WE_AUTHENTICATION_UNKNOWN:
    case SLP_WE_AUTHENTICATION_FAILED:
        return SLP_AUTHENTICATION_FAILED;
    case SLP_WE_INVALID_UPDATE:
        return SLP_INVALID_UPDATE;
    case SLP_WE_REFRESH_REJECTED:
        return SLP_REFRESH_REJECTED;
    case SLP_WE_INTERNAL_ERROR:
        return SLP_INTERNAL_SYSTEM_ERROR;
    case SLP_WE_OPTION_NOT_UNDERSTOOD:
    case SLP_WE_MSG_NOT_SUPPORTED:
        return SLP_NOT_IMPLEMENTED;
    default:
        return SLP_NETWORK_ERROR;
    }
}

U32 SLP_UA_u32Malformed(void)
{
    return s_malformed;
}
