// Loopback helpers of the socket and framing tests.
#pragma once

#include "gmsg/gmsg.h"
#include "gmsg/gsocket.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace gt {

inline U32 loopback() { return inet_addr("127.0.0.1"); }

inline U16 boundPort(const GSOCKET& s)
{
    struct sockaddr_in sa;
    socklen_t len = sizeof sa;
    getsockname(s.nSocket, (struct sockaddr*)&sa, &len);
    return ntohs(sa.sin_port);
}

// A non-blocking listener on 127.0.0.1 and a free port.
inline U16 listenOnLoopback(GSOCKET* s, int backlog = 16)
{
    EXPECT_TRUE(GSOCKET_bCreate(s, loopback(), 0, TRUE, backlog, TRUE));
    return boundPort(*s);
}

inline bool connectTo(GSOCKET* s, U16 port)
{
    return GSOCKET_bCreate(s, loopback(), port, FALSE, 0, TRUE) && GSOCKET_bConnect(s);
}

inline bool readable(int fd, int ms)
{
    struct pollfd p = {fd, POLLIN, 0};
    return poll(&p, 1, ms) > 0;
}

inline bool acceptOne(GSOCKET* listener, GSOCKET* accepted)
{
    return readable(listener->nSocket, 2000) && GSOCKET_bAccept(listener, accepted, TRUE);
}

// Waits until a whole header can be peeked, as the socket thread does.
inline bool waitForMessage(GSOCKET* s, int ms = 2000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (GMSG_bMsgAvailable(s, nullptr))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// Writes raw bytes as a peer would, whole.
inline bool writeAll(int fd, const void* data, size_t len)
{
    const U8* p = (const U8*)data;
    while (len) {
        const ssize_t n = send(fd, p, len, MSG_NOSIGNAL);
        if (n < 0) {
            struct pollfd w = {fd, POLLOUT, 0};
            if ((errno != EAGAIN && errno != EWOULDBLOCK) || poll(&w, 1, 2000) <= 0)
                return false;
            continue;
        }
        p += n;
        len -= (size_t)n;
    }
    return true;
}

// A connected pair over a loopback listener; closes what it opened.
struct Connection {
    GSOCKET listener{-1};
    GSOCKET client{-1};
    GSOCKET server{-1};
    U16 port = 0;

    Connection()
    {
        port = listenOnLoopback(&listener);
        EXPECT_TRUE(connectTo(&client, port));
        EXPECT_TRUE(acceptOne(&listener, &server));
    }
    ~Connection()
    {
        for (GSOCKET* s : {&listener, &client, &server})
            if (s->nSocket >= 0)
                close(s->nSocket);
    }
    void closeClient()
    {
        close(client.nSocket);
        client.nSocket = -1;
    }
};

} // namespace gt
