// STAND-INS of the networking subsystem's sonar-sharing calls and the
// segmented-UDP tasks (see the header).
#include "gmsg/t_net_standins.h"

#include "gmsg/gsocket.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_root.h"
#include "kernel/lm_log.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

// ---- Constants ----

constexpr U8 GROUP_PREFIX = 239;
constexpr U8 GROUP_K[4] = {0, 2, 2, 4};
constexpr U32 MAX_DATAGRAM = 65535;
constexpr int RECEIVE_POLL_MS = 20;
constexpr int MAX_RECEIVERS = 8;
// The receive buffer of a ping receiver: room for a few dozen pings.
constexpr int RECEIVE_BUFFER_BYTES = 4 * 1024 * 1024;
// Messages handed to receivers and not yet released: beyond this many the
// datagrams are dropped, as a full socket would drop them, so that a fast
// sender cannot take the program heap from the receiving unit.
constexpr U32 MAX_IN_FLIGHT = 16;
std::atomic<U32> s_u32InFlight{0};
std::atomic<U32> s_u32Dropped{0};


// ---- State ----

std::mutex s_sourcesLock;
std::vector<T_ETHERNET_NET_SOURCE>& sources()
{
    static auto* p = new std::vector<T_ETHERNET_NET_SOURCE>;
    return *p;
}

struct Receiver {
    int fd = -1;
    U32 port = 0;
    U32 group = 0; // network order; 0 none
    MBOX mailbox = 0;
    BOOLEAN raw = FALSE;
};

// ---- Helpers ----

U32 u32OwnAddress(void)
{
    U32 u32Address = 0;
    if (!GSOCKET_bGetLocalAddress(&u32Address, "eth0") || u32Address == 0)
        GSOCKET_bGetLocalAddress(&u32Address, "eth0:avahi");
    return u32Address;
}

int nOpenSender(void)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return -1;
    const U32 u32Own = u32OwnAddress();
    if (u32Own != 0) {
        struct in_addr a;
        a.s_addr = u32Own;
        setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &a, sizeof a);
    }
    const int loop = 1;
    setsockopt(fd, IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop);
    const int size = RECEIVE_BUFFER_BYTES;
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    return fd;
}

bool bOpenReceiver(Receiver* r, const MSG_SUDP_IN_REGISTER* m)
{
    r->fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (r->fd < 0)
        return false;
    const int one = 1;
    setsockopt(r->fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    const int size = RECEIVE_BUFFER_BYTES;
    setsockopt(r->fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    char acGroup[sizeof m->mcastAddress + 1] = {0};
    memcpy(acGroup, m->mcastAddress, sizeof m->mcastAddress);
    struct in_addr group;
    group.s_addr = 0;
    if (acGroup[0] != 0 && inet_pton(AF_INET, acGroup, &group) != 1)
        group.s_addr = 0;
    struct sockaddr_in sa;
    memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_port = htons((U16)m->port);
    sa.sin_addr.s_addr = group.s_addr != 0 ? group.s_addr : htonl(INADDR_ANY);
    if (bind(r->fd, (struct sockaddr*)&sa, sizeof sa) != 0) {
        log_me("[%d]%s: bind to port %u failed: %s\n", __LINE__, __func__, (unsigned)m->port, strerror(errno));
        close(r->fd);
        r->fd = -1;
        return false;
    }
    if (group.s_addr != 0) {
        struct ip_mreq mreq;
        mreq.imr_multiaddr = group;
        mreq.imr_interface.s_addr = u32OwnAddress();
        if (setsockopt(r->fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &mreq, sizeof mreq) != 0)
            log_me("[%d]%s: joining %s failed: %s\n", __LINE__, __func__, acGroup, strerror(errno));
    }
    r->port = m->port;
    r->group = group.s_addr;
    r->mailbox = (MBOX)m->mailBox;
    r->raw = m->isRaw ? TRUE : FALSE;
    return true;
}

void vHandleRegister(Receiver* aReceivers, const MSG_SUDP_IN_REGISTER* m)
{
    if (m->doRegister) {
        for (int i = 0; i < MAX_RECEIVERS; ++i)
            if (aReceivers[i].fd >= 0 && aReceivers[i].port == m->port && aReceivers[i].mailbox == (MBOX)m->mailBox)
                return; // already receiving there
        for (int i = 0; i < MAX_RECEIVERS; ++i)
            if (aReceivers[i].fd < 0) {
                bOpenReceiver(&aReceivers[i], m);
                return;
            }
        log_me("[%d]%s: no free receiver for port %u\n", __LINE__, __func__, (unsigned)m->port);
        return;
    }
    for (int i = 0; i < MAX_RECEIVERS; ++i)
        if (aReceivers[i].fd >= 0 && aReceivers[i].port == m->port && aReceivers[i].mailbox == (MBOX)m->mailBox) {
            close(aReceivers[i].fd);
            aReceivers[i] = Receiver{};
        }
}

void vForward(const Receiver& r, const U8* pu8Data, U32 u32Length)
{
    if (s_u32InFlight >= MAX_IN_FLIGHT) {
        ++s_u32Dropped;
        return;
    }
    U8* pu8Block = (U8*)H_MEMORY_pvMallocNoWait(u32Length > 0 ? u32Length : 1);
    auto* pMail = (MSG_GMSG_NEW_MESSAGE_EXT*)H_MEMORY_pvMallocNoWait(sizeof(MSG_GMSG_NEW_MESSAGE_EXT));
    if (pu8Block == nullptr || pMail == nullptr) {
        if (pu8Block)
            H_MEMORY_vFree(pu8Block);
        if (pMail)
            H_MEMORY_vFree(pMail);
        return; // a datagram is lost as the network would lose it
    }
    memcpy(pu8Block, pu8Data, u32Length);
    *pMail = MSG_GMSG_NEW_MESSAGE_EXT{};
    pMail->Header.Cmd = CMD_ID_GMSG_NEW_MESSAGE_EXT;
    pMail->Mailbox = r.mailbox;
    pMail->cpMessageBody = pu8Block;
    pMail->u32MessageLength = u32Length;
    pMail->bIsRaw = r.raw;
    ++s_u32InFlight;
    if (L_MBOX_Send(r.mailbox, &pMail->Header.msghdr, GMSG_MAIL_PRIORITY, 0) != 0) {
        --s_u32InFlight;
        H_MEMORY_vFree(pu8Block);
        H_MEMORY_vFree(pMail);
    }
}

} // namespace

// ---- The Ethernet task ----

void T_ETHERNET_vGetMulticastIpAddress(U32 u32SonarSource, U32* pu32Group)
{
    if (pu32Group == nullptr)
        return;
    const U32 u32Own = u32OwnAddress();
    if (u32Own == 0 || u32SonarSource > 3) {
        *pu32Group = 0;
        return;
    }
    const U8* b = reinterpret_cast<const U8*>(&u32Own);
    U8 group[4] = {GROUP_PREFIX, GROUP_K[u32SonarSource], b[2], b[3]};
    memcpy(pu32Group, group, sizeof group);
}

void T_ETHERNET_vAddNetSource(const char* pcName, U32 u32ModelCode, U32 u32Column3, U32 u32Column4, U32 u32UniqueId,
                              U32 eSourceType, BOOLEAN bSaved)
{
    std::lock_guard<std::mutex> guard(s_sourcesLock);
    sources().push_back(T_ETHERNET_NET_SOURCE{pcName ? pcName : "", u32ModelCode, u32Column3, u32Column4, u32UniqueId,
                                              eSourceType, bSaved});
}

std::vector<T_ETHERNET_NET_SOURCE> T_ETHERNET_STANDIN_vNetSources(void)
{
    std::lock_guard<std::mutex> guard(s_sourcesLock);
    return sources();
}

// ---- The service-discovery client ----

U32 T_SLP_CLIENT_u32GetTransducerFromServerIP(U32 u32ServerAddress, U32, U32)
{
    char acPath[512];
    L_ROOT_pcResolve("/etc/sonar-server", acPath, sizeof acPath);
    FILE* f = fopen(acPath, "r");
    if (f == nullptr)
        return 0;
    char acAddress[64] = {0};
    unsigned source = 0, transducer = 0;
    const int n = fscanf(f, "%63s %u %u", acAddress, &source, &transducer);
    fclose(f);
    struct in_addr a;
    if (n < 3 || inet_pton(AF_INET, acAddress, &a) != 1 || a.s_addr != u32ServerAddress)
        return 0;
    return transducer;
}

U32 T_SLP_CLIENT_u32GetSweepingMac(void) { return 0; }

// ---- Segmented UDP ----

BOOLEAN T_SUDP_OUT_bSend(MSG_SUDP_OUT_SEND* pMail)
{
    static int s_fd = -1;
    static std::mutex s_lock;
    if (pMail == nullptr)
        return FALSE;
    BOOLEAN bSent = FALSE;
    if (pMail->ucpMessage != nullptr && pMail->u32MessageLength <= MAX_DATAGRAM) {
        std::lock_guard<std::mutex> guard(s_lock);
        if (s_fd < 0)
            s_fd = nOpenSender();
        struct sockaddr_in sa;
        memset(&sa, 0, sizeof sa);
        sa.sin_family = AF_INET;
        sa.sin_port = htons((U16)pMail->u32Port);
        sa.sin_addr.s_addr = pMail->u32Address;
        bSent = s_fd >= 0 && sendto(s_fd, pMail->ucpMessage, pMail->u32MessageLength, 0, (struct sockaddr*)&sa,
                                    sizeof sa) == (ssize_t)pMail->u32MessageLength
                    ? TRUE
                    : FALSE;
    }
    if (pMail->ucpMessage != nullptr)
        H_MEMORY_vFree(pMail->ucpMessage);
    pMail->ucpMessage = nullptr;
    return bSent;
}

void T_SUDP_OUT_vMain(void)
{
    for (;;) {
        MSGHEADER* pMail = L_MBOX_ReceiveWait(SUDP_OUT_MBOX);
        if (pMail == nullptr)
            continue;
        if (((GENERIC_MESSAGE*)pMail)->Cmd == CMD_ID_SUDP_OUT_SEND)
            T_SUDP_OUT_bSend((MSG_SUDP_OUT_SEND*)pMail);
        H_MEMORY_vFree(pMail);
    }
}

void T_SUDP_IN_vRelease(MSG_GMSG_NEW_MESSAGE_EXT* pMail)
{
    if (pMail == nullptr)
        return;
    if (pMail->cpMessageBody != nullptr)
        H_MEMORY_vFree(pMail->cpMessageBody);
    pMail->cpMessageBody = nullptr;
    if (s_u32InFlight > 0)
        --s_u32InFlight;
}

U32 T_SUDP_IN_u32Dropped(void) { return s_u32Dropped; }

void T_SUDP_IN_vMain(void)
{
    static Receiver aReceivers[MAX_RECEIVERS];
    static U8 au8Datagram[MAX_DATAGRAM];
    for (;;) {
        struct pollfd fds[MAX_RECEIVERS];
        int map[MAX_RECEIVERS];
        int n = 0;
        for (int i = 0; i < MAX_RECEIVERS; ++i)
            if (aReceivers[i].fd >= 0) {
                fds[n] = {aReceivers[i].fd, POLLIN, 0};
                map[n++] = i;
            }
        if (poll(fds, (nfds_t)n, RECEIVE_POLL_MS) > 0) {
            for (int k = 0; k < n; ++k) {
                if ((fds[k].revents & POLLIN) == 0)
                    continue;
                const ssize_t got = recv(fds[k].fd, au8Datagram, sizeof au8Datagram, MSG_DONTWAIT);
                if (got >= 0)
                    vForward(aReceivers[map[k]], au8Datagram, (U32)got);
            }
        }
        while (MSGHEADER* pMail = L_MBOX_Receive(SUDP_IN_MBOX)) {
            if (((GENERIC_MESSAGE*)pMail)->Cmd == CMD_ID_SUDP_IN_REGISTER)
                vHandleRegister(aReceivers, (const MSG_SUDP_IN_REGISTER*)pMail);
            H_MEMORY_vFree(pMail);
        }
    }
}
