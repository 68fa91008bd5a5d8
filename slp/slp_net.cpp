// SLP socket helpers.
//
// Where VONDREL_NET_IF names the interface that plays the unit's on this
// machine, sockets asked for any address are bound to the configured
// interface's address instead, so that no other interface reaches them; a
// socket that cannot be so bound is not made.
#include "slp/slp_net.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int openUdp()
{
    return socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

bool setInt(int fd, int level, int name, int value)
{
    return setsockopt(fd, level, name, &value, sizeof value) == 0;
}

bool bindTo(int fd, U32 address, U16 port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = address;
    sa.sin_port = htons(port);
    return bind(fd, (sockaddr*)&sa, sizeof sa) == 0;
}

// The address to bind for "any": false when there must be one and is none.
bool bindAddress(const SLP_CONFIG* pConfig, U32* pu32Address)
{
    *pu32Address = pConfig->u32Address;
    const char* unitInterface = getenv("VONDREL_NET_IF");
    if (*pu32Address != 0 || !unitInterface || !*unitInterface)
        return true;
    return SLP_NET_bLocalAddress(pConfig, pu32Address) && *pu32Address != 0;
}

} // namespace

unsigned SLP_NET_uInterfaceIndex(const SLP_CONFIG* pConfig)
{
    if (pConfig->acInterface[0] == '\0')
        return 0;
    return if_nametoindex(pConfig->acInterface);
}

BOOLEAN SLP_NET_bLocalAddress(const SLP_CONFIG* pConfig, U32* pu32Address)
{
    if (pConfig->u32Address != 0) {
        *pu32Address = pConfig->u32Address;
        return TRUE;
    }
    if (pConfig->acInterface[0] == '\0')
        return FALSE;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return FALSE;
    BOOLEAN found = FALSE;
    for (ifaddrs* i = list; i != nullptr && !found; i = i->ifa_next) {
        if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET ||
            strcmp(i->ifa_name, pConfig->acInterface) != 0)
            continue;
        *pu32Address = ((sockaddr_in*)i->ifa_addr)->sin_addr.s_addr;
        found = TRUE;
    }
    freeifaddrs(list);
    return found;
}

int SLP_NET_nOpenRequestSocket(const SLP_CONFIG* pConfig)
{
    U32 local = 0;
    if (!bindAddress(pConfig, &local))
        return -1;
    int fd = openUdp();
    if (fd < 0)
        return -1;
    ip_mreqn mif{};
    mif.imr_address.s_addr = pConfig->u32Address;
    mif.imr_ifindex = (int)SLP_NET_uInterfaceIndex(pConfig);
    bool ok = bindTo(fd, local, 0) && setInt(fd, IPPROTO_IP, IP_MULTICAST_LOOP, 1) &&
              setInt(fd, IPPROTO_IP, IP_MULTICAST_TTL, pConfig->u8Ttl) &&
              (mif.imr_ifindex == 0 && mif.imr_address.s_addr == 0
                   ? true
                   : setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &mif, sizeof mif) == 0);
    if (!ok) {
        close(fd);
        return -1;
    }
    return fd;
}

BOOLEAN SLP_NET_bOpenAgentSockets(const SLP_CONFIG* pConfig, int* pnMulticast, int* pnUnicast)
{
    *pnMulticast = *pnUnicast = -1;
    U32 local = 0;
    if (!bindAddress(pConfig, &local))
        return FALSE;
    int m = openUdp();
    int u = openUdp();
    ip_mreqn join{};
    join.imr_multiaddr.s_addr = pConfig->u32Group;
    join.imr_address.s_addr = pConfig->u32Address;
    join.imr_ifindex = (int)SLP_NET_uInterfaceIndex(pConfig);
    bool ok = m >= 0 && u >= 0 && setInt(m, SOL_SOCKET, SO_REUSEADDR, 1) &&
              setInt(m, IPPROTO_IP, IP_PKTINFO, 1) && bindTo(m, pConfig->u32Group, pConfig->u16Port) &&
              setsockopt(m, IPPROTO_IP, IP_ADD_MEMBERSHIP, &join, sizeof join) == 0 &&
              setInt(u, SOL_SOCKET, SO_REUSEADDR, 1) && setInt(u, IPPROTO_IP, IP_PKTINFO, 1) &&
              setInt(u, IPPROTO_IP, IP_MULTICAST_ALL, 0) &&
              bindTo(u, local, pConfig->u16Port);
    if (!ok) {
        if (m >= 0)
            close(m);
        if (u >= 0)
            close(u);
        return FALSE;
    }
    *pnMulticast = m;
    *pnUnicast = u;
    return TRUE;
}

long SLP_NET_nReceive(int nSocket, U8* pBuffer, size_t nSize, U32* pu32From, U16* pu16FromPort,
                      U32* pu32Local)
{
    sockaddr_in from{};
    iovec iov{pBuffer, nSize};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr msg{};
    msg.msg_name = &from;
    msg.msg_namelen = sizeof from;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    ssize_t n = recvmsg(nSocket, &msg, MSG_DONTWAIT);
    if (n < 0)
        return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? -2 : -1;
    *pu32From = from.sin_addr.s_addr;
    *pu16FromPort = ntohs(from.sin_port);
    *pu32Local = 0;
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            in_pktinfo info;
            memcpy(&info, CMSG_DATA(c), sizeof info);
            *pu32Local = info.ipi_spec_dst.s_addr;
        }
    }
    // A datagram larger than the buffer arrives cut short; the decoder's
    // length check then refuses it.
    return (long)n;
}

BOOLEAN SLP_NET_bSend(int nSocket, const U8* pData, size_t nLength, U32 u32To, U16 u16Port)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = u32To;
    to.sin_port = htons(u16Port);
    ssize_t n = sendto(nSocket, pData, nLength, 0, (sockaddr*)&to, sizeof to);
    return n == (ssize_t)nLength;
}
