// The socket wrapper over BSD sockets, IPv4 only.
//
// Stream sockets get SO_REUSEADDR, every socket SO_KEEPALIVE. Waits use
// poll(), which has no limit on descriptor numbers. Sends never raise
// SIGPIPE: a peer that goes away is a failed send, never the end of the
// process. Accepting on a socket that does not listen and connecting one
// that does are programming errors and take the fatal path.
//
// Where the unit's interface is named on this machine, every socket made
// here is bound to that interface's address: listening and datagram sockets
// asked for any address, and outgoing connections before they connect. A
// workstation's other interfaces then never reach the unit, and the unit
// never speaks through them.
#include "gmsg/gsocket.h"

#include "kernel/error.h"
#include "kernel/lm_log.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr const char* UNIT_INTERFACE = "eth0";

std::mutex s_interfaceLock;
// Never destroyed, as tasks may still open sockets while the process exits.
std::string& s_interface = *new std::string(); // set by GSOCKET_vSetInterface; empty: environment

void setOption(int fd, int level, int name, int value) { setsockopt(fd, level, name, &value, sizeof value); }

BOOLEAN setFlags(int fd, BOOLEAN bNonBlocking)
{
    return fcntl(fd, F_SETFL, bNonBlocking ? O_NONBLOCK : 0) == 0;
}

void fillSockAddr(struct sockaddr_in* sa, U32 u32Address, U16 u16Port)
{
    memset(sa, 0, sizeof *sa);
    sa->sin_family = AF_INET;
    sa->sin_port = htons(u16Port);
    sa->sin_addr.s_addr = u32Address;
}

void closeFd(GSOCKET* pSocket)
{
    if (pSocket->nSocket >= 0)
        close(pSocket->nSocket);
    pSocket->nSocket = -1;
}

// The host's interface that plays the unit's; empty when none is named.
std::string namedInterface()
{
    {
        std::lock_guard<std::mutex> lock(s_interfaceLock);
        if (!s_interface.empty())
            return s_interface;
    }
    const char* env = getenv("VONDREL_NET_IF");
    return env && *env ? env : "";
}

// The name the host knows for one of the unit's interface names.
bool hostInterfaceName(const char* pDevice, char (&name)[IFNAMSIZ])
{
    std::string base = namedInterface();
    if (base.empty())
        base = UNIT_INTERFACE;
    std::string wanted = pDevice;
    const size_t unitLen = strlen(UNIT_INTERFACE);
    if (wanted.compare(0, unitLen, UNIT_INTERFACE) == 0 &&
        (wanted.size() == unitLen || wanted[unitLen] == ':'))
        wanted = base + wanted.substr(unitLen);
    if (wanted.size() >= IFNAMSIZ)
        return false;
    memset(name, 0, sizeof name);
    memcpy(name, wanted.c_str(), wanted.size());
    return true;
}

BOOLEAN createSocket(GSOCKET* pSocket, U32 u32Address, U16 u16Port, BOOLEAN bListen, int nBacklog,
                     BOOLEAN bNonBlocking, BOOLEAN bUdp)
{
    const char* who = bUdp ? "GSOCKET_bCreateUdp" : "GSOCKET_bCreate";
    memset(&pSocket->Address, 0, sizeof pSocket->Address);
    pSocket->Address.u32Address = u32Address;
    pSocket->Address.u32Port = u16Port;
    pSocket->nBacklog = nBacklog;
    pSocket->bListen = bListen;
    pSocket->bNonBlocking = bNonBlocking;
    pSocket->nSocket = -1;

    U32 u32Interface = 0;
    const bool bPinned = GSOCKET_bBindsToInterface(&u32Interface);
    struct sockaddr_in sa;
    if (!GSOCKET_bOpenSocket(pSocket, &sa, nullptr, u32Address, u16Port, FALSE, bUdp)) {
        log_me("%s: Error creating socket", who);
        return FALSE;
    }
    if (bListen) {
        if (bPinned && u32Address == 0) {
            sa.sin_addr.s_addr = u32Interface;
            pSocket->Address.u32Address = u32Interface;
        }
        if ((bPinned && sa.sin_addr.s_addr == 0) || bind(pSocket->nSocket, (struct sockaddr*)&sa, sizeof sa) != 0) {
            log_me("%s: Error binding socket", who);
            closeFd(pSocket);
            return FALSE;
        }
        if (!bUdp)
            listen(pSocket->nSocket, nBacklog);
    } else if (bPinned) {
        struct sockaddr_in local;
        fillSockAddr(&local, u32Interface, 0);
        if (u32Interface == 0 || bind(pSocket->nSocket, (struct sockaddr*)&local, sizeof local) != 0) {
            log_me("%s: Error binding socket", who);
            closeFd(pSocket);
            return FALSE;
        }
    }
    if (!setFlags(pSocket->nSocket, bNonBlocking))
        log_me("GSOCKET_bSetNonBlocking: error setting O_NONBLOCK");
    return TRUE;
}

// A receive whose "would block" counts as nothing received.
int receiveOnce(GSOCKET* pSocket, void* pData, int nMaxData, int flags, const char* failure)
{
    if (!pSocket || pSocket->nSocket < 0 || nMaxData < 0)
        return -1;
    const ssize_t n = recv(pSocket->nSocket, pData, (size_t)nMaxData, flags);
    if (n >= 0)
        return (int)n;
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return 0;
    log_me("%s", failure);
    return -1;
}

int peek(GSOCKET* pSocket, void* pData, int nMaxData)
{
    if (!pSocket || pSocket->nSocket < 0 || nMaxData < 0)
        return -1;
    const ssize_t n = recv(pSocket->nSocket, pData, (size_t)nMaxData, MSG_PEEK | MSG_DONTWAIT);
    return n < 0 ? -1 : (int)n;
}

} // namespace

BOOLEAN GSOCKET_bOpenSocket(GSOCKET* pSocket, struct sockaddr_in* pSockAddr, const char* hostname, U32 u32IPaddress,
                            U16 u16PortNumber, BOOLEAN bSetLinger, BOOLEAN bUdp)
{
    const int fd = socket(AF_INET, bUdp ? SOCK_DGRAM : SOCK_STREAM, 0);
    if (fd < 0)
        return FALSE;
    if (!bUdp)
        setOption(fd, SOL_SOCKET, SO_REUSEADDR, 1);
    setOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
    if (bSetLinger) {
        struct linger l = {1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    }
    if (pSockAddr) {
        U32 address = u32IPaddress;
        if (hostname) {
            struct addrinfo hints;
            memset(&hints, 0, sizeof hints);
            hints.ai_family = AF_INET;
            struct addrinfo* found = nullptr;
            const int rc = getaddrinfo(hostname, nullptr, &hints, &found);
            if (rc != 0 || !found) {
                fprintf(stderr, "gethostbyname(): %s\n", gai_strerror(rc));
                close(fd);
                return FALSE;
            }
            address = ((struct sockaddr_in*)found->ai_addr)->sin_addr.s_addr;
            freeaddrinfo(found);
        }
        fillSockAddr(pSockAddr, address, u16PortNumber);
    }
    pSocket->nSocket = fd;
    return TRUE;
}

BOOLEAN GSOCKET_bCreate(GSOCKET* pSocket, U32 u32Address, U16 u16Port, BOOLEAN bListen, int nBacklog,
                        BOOLEAN bNonBlocking)
{
    return createSocket(pSocket, u32Address, u16Port, bListen, nBacklog, bNonBlocking, FALSE);
}

BOOLEAN GSOCKET_bCreateUdp(GSOCKET* pSocket, U32 u32Address, U16 u16Port, BOOLEAN bListen, int nBacklog,
                           BOOLEAN bNonBlocking)
{
    return createSocket(pSocket, u32Address, u16Port, bListen, nBacklog, bNonBlocking, TRUE);
}

BOOLEAN GSOCKET_bSetNonBlocking(GSOCKET* pSocket, BOOLEAN bNonBlocking)
{
    if (!setFlags(pSocket->nSocket, bNonBlocking)) {
        log_me("GSOCKET_bSetNonBlocking: error setting O_NONBLOCK");
        return FALSE;
    }
    pSocket->bNonBlocking = bNonBlocking;
    return TRUE;
}

BOOLEAN GSOCKET_bSetBroadcastOptions(GSOCKET* pSocket)
{
    setOption(pSocket->nSocket, SOL_SOCKET, SO_BROADCAST, 1);
    return TRUE;
}

BOOLEAN GSOCKET_bAccept(GSOCKET* pListenSocket, GSOCKET* pConnectSocket, BOOLEAN bNonBlocking)
{
    if (!pListenSocket->bListen) {
        ERROR_error(__FILE_NAME__, __LINE__, "GSOCKET_bAccept: accept on non-listening socket");
        U_RESET_vReset(FALSE, FALSE);
    }
    struct sockaddr_in peer;
    socklen_t len = sizeof peer;
    const int fd = accept(pListenSocket->nSocket, (struct sockaddr*)&peer, &len);
    if (fd < 0) {
        log_me("GSOCKET_bAccept: socket accept failure\n");
        return FALSE;
    }
    setFlags(fd, bNonBlocking);
    setOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
    pConnectSocket->nSocket = fd;
    memset(&pConnectSocket->Address, 0, sizeof pConnectSocket->Address);
    pConnectSocket->Address.u32Address = peer.sin_addr.s_addr;
    pConnectSocket->Address.u32Port = ntohs(peer.sin_port);
    pConnectSocket->nBacklog = 0;
    pConnectSocket->bListen = FALSE;
    pConnectSocket->bNonBlocking = bNonBlocking;
    return TRUE;
}

BOOLEAN GSOCKET_bConnect(GSOCKET* pSocket)
{
    if (pSocket->bListen) {
        ERROR_error(__FILE_NAME__, __LINE__, "GSOCKET_bConnect: connect on listening socket");
        U_RESET_vReset(FALSE, FALSE);
    }
    struct sockaddr_in sa;
    fillSockAddr(&sa, pSocket->Address.u32Address, (U16)pSocket->Address.u32Port);
    bool ok = connect(pSocket->nSocket, (struct sockaddr*)&sa, sizeof sa) == 0;
    if (!ok && errno == EINPROGRESS) {
        struct pollfd p = {pSocket->nSocket, POLLOUT, 0};
        int ret;
        do {
            ret = poll(&p, 1, GSOCKET_CONNECT_TIMEOUT_US / 1000);
        } while (ret < 0 && errno == EINTR);
        if (ret <= 0) {
            log_me("GSOCKET_bConnect: select returns ret=%d (errno=%d)\r\n", ret, ret < 0 ? errno : 0);
        } else if (!(p.revents & (POLLERR | POLLHUP | POLLNVAL))) {
            // A refused connection is told here rather than at the first send.
            int error = 0;
            socklen_t len = sizeof error;
            ok = getsockopt(pSocket->nSocket, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0;
        }
    }
    if (!ok) {
        log_me("GSOCKET_bConnect: socket connect failure");
        closeFd(pSocket);
        return FALSE;
    }
    return TRUE;
}

int GSOCKET_nSend(GSOCKET* pSocket, const void* pData, int nDataLength)
{
    if (!pSocket || pSocket->nSocket < 0 || nDataLength < 0)
        return -1;
    const ssize_t n = send(pSocket->nSocket, pData, (size_t)nDataLength, MSG_NOSIGNAL);
    if (n >= 0)
        return (int)n;
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return 0;
    log_me("GSOCKET_bSend: socket send failure");
    return -1;
}

int GSOCKET_nReceive(GSOCKET* pSocket, void* pData, int nMaxData)
{
    return receiveOnce(pSocket, pData, nMaxData, 0, "GSOCKET_nReceive: socket receive failure");
}

int GSOCKET_nReceiveFrom(GSOCKET* pSocket, void* pData, int nMaxData)
{
    if (!pSocket || pSocket->nSocket < 0 || nMaxData < 0)
        return -1;
    const ssize_t n = recvfrom(pSocket->nSocket, pData, (size_t)nMaxData, 0, nullptr, nullptr);
    if (n < 0) {
        log_me("GSOCKET_nReceiveFrom: socket receive failure");
        return -1;
    }
    return (int)n;
}

int GSOCKET_nDataAvailable(GSOCKET* pSocket, void* pData, int nMaxData) { return peek(pSocket, pData, nMaxData); }

int GSOCKET_nDataAvailableUdp(GSOCKET* pSocket, void* pData, int nMaxData)
{
    return peek(pSocket, pData, nMaxData);
}

BOOLEAN GSOCKET_bClose(GSOCKET* pSocket)
{
    const int fd = pSocket->nSocket;
    pSocket->nSocket = -1;
    if (fd < 0 || close(fd) != 0) {
        log_me("GSOCKET_bClose: error closing socket");
        return FALSE;
    }
    return TRUE;
}

void GSOCKET_vSetInterface(const char* pcInterface)
{
    std::lock_guard<std::mutex> lock(s_interfaceLock);
    s_interface = pcInterface ? pcInterface : "";
}

BOOLEAN GSOCKET_bBindsToInterface(U32* pu32Address)
{
    if (pu32Address)
        *pu32Address = 0;
    if (namedInterface().empty())
        return FALSE;
    U32 address = 0;
    if (pu32Address && GSOCKET_bGetLocalAddress(&address, UNIT_INTERFACE))
        *pu32Address = address;
    return TRUE;
}

BOOLEAN GSOCKET_bGetLocalAddress(U32* pu32Address, const char* pDevice)
{
    struct ifreq req;
    memset(&req, 0, sizeof req);
    if (!pu32Address || !pDevice || !hostInterfaceName(pDevice, req.ifr_name))
        return FALSE;
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return FALSE;
    req.ifr_addr.sa_family = AF_INET;
    const bool ok = ioctl(fd, SIOCGIFADDR, &req) == 0;
    close(fd);
    if (!ok)
        return FALSE;
    *pu32Address = ((struct sockaddr_in*)&req.ifr_addr)->sin_addr.s_addr;
    return TRUE;
}

BOOLEAN GSOCKET_bGetMacAddress(U8* pcMacAddress, const char* pDevice)
{
    struct ifreq req;
    memset(&req, 0, sizeof req);
    if (!pcMacAddress || !pDevice || !hostInterfaceName(pDevice, req.ifr_name))
        return FALSE;
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return FALSE;
    const bool ok = ioctl(fd, SIOCGIFHWADDR, &req) == 0;
    close(fd);
    if (!ok)
        return FALSE;
    memcpy(pcMacAddress, req.ifr_hwaddr.sa_data, 6);
    return TRUE;
}
