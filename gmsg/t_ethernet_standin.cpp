// STAND-IN: the address check of the Ethernet task, which belongs to the
// networking subsystem. It does only what the message fabric relies on and
// goes when that subsystem brings the real one.
#include "gmsg/t_ethernet_standin.h"

#include "gmsg/gsocket.h"
#include "store/h_database.h"

#include <cstdio>
#include <cstring>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr FOURCHARID KEY_ADDRESS_READY = FCID("IERD");

// The interface is up and running; names follow the socket wrapper's mapping.
bool interfaceRunning(const char* pDevice)
{
    U32 address = 0;
    if (!GSOCKET_bGetLocalAddress(&address, pDevice) || address == 0)
        return false;
    // The wrapper maps the unit's name; ask it for the host's name by
    // reading the flags of the interface that owns that address.
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return false;
    struct ifconf conf;
    char buffer[4096];
    conf.ifc_len = sizeof buffer;
    conf.ifc_buf = buffer;
    bool running = false;
    if (ioctl(fd, SIOCGIFCONF, &conf) == 0) {
        for (int off = 0; off + (int)sizeof(struct ifreq) <= conf.ifc_len; off += (int)sizeof(struct ifreq)) {
            struct ifreq req;
            memcpy(&req, buffer + off, sizeof req);
            const U32 a = ((struct sockaddr_in*)&req.ifr_addr)->sin_addr.s_addr;
            if (a != address)
                continue;
            if (ioctl(fd, SIOCGIFFLAGS, &req) == 0 && (req.ifr_flags & IFF_UP) && (req.ifr_flags & IFF_RUNNING))
                running = true;
            break;
        }
    }
    close(fd);
    return running;
}

} // namespace

BOOLEAN T_ETHERNET_bIsAddressReady(void)
{
    const BOOLEAN bReady = interfaceRunning("eth0") || interfaceRunning("eth0:avahi");
    H_DATABASE_bUpdateValueBoolean(KEY_ADDRESS_READY, bReady, P_NORMAL);
    return bReady;
}

// ---- STAND-INS of the network source menus (see the header) ----

void T_ETHERNET_vRestoreSavedSonarSource(U32* pu32ELPM)
{
    if (pu32ELPM == nullptr)
        return;
    U32 u32Mask = 0;
    H_DATABASE_bFetchU32(FCID("ELPM"), &u32Mask, nullptr, nullptr);
    *pu32ELPM = u32Mask;
}

void T_ETHERNET_vNetsourceConnected(U32, U32) {}

BOOLEAN T_ETHERNET_bIsDynamic(void)
{
    BOOLEAN bDynamic = FALSE;
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchBoolean(FCID("SIPD"), &bDynamic, &bValid, nullptr) && bValid && bDynamic ? TRUE : FALSE;
}

void T_ETHERNET_vGetIPAddress(char* sAddress)
{
    if (sAddress == nullptr)
        return;
    U32 address = 0;
    if (!GSOCKET_bGetLocalAddress(&address, "eth0"))
        address = 0;
    // The wrapper gives the address as it lies in the socket structures.
    const U8* b = reinterpret_cast<const U8*>(&address);
    snprintf(sAddress, 16, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
}
