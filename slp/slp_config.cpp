// SLP configuration: one process-wide set behind a mutex, filled from the
// defaults and the environment on first use.
#include "slp/slp_config.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <net/if.h>

namespace {

std::mutex s_mutex;
bool s_loaded = false;
SLP_CONFIG s_config;

U32 parseWaits(const char* text, U32* out)
{
    U32 n = 0;
    while (text && *text && n < SLP_CONFIG_MAX_WAITS) {
        char* end = nullptr;
        long v = strtol(text, &end, 10);
        if (end == text)
            break;
        if (v > 0 && v <= 60000)
            out[n++] = (U32)v;
        text = end;
        while (*text == ',' || *text == ' ')
            text++;
    }
    return n;
}

} // namespace

void SLP_CONFIG_vDefaults(SLP_CONFIG* c)
{
    memset(c, 0, sizeof *c);
    c->u16Port = 427;
    c->u32Group = inet_addr("239.255.255.253");
    // The interface that plays the unit's on this machine, when one is named.
    const char* unitInterface = getenv("VONDREL_NET_IF");
    if (unitInterface && *unitInterface) {
        strncpy(c->acInterface, unitInterface, sizeof c->acInterface - 1);
        c->acInterface[sizeof c->acInterface - 1] = '\0';
    } else if (if_nametoindex("eth0") != 0) {
        strcpy(c->acInterface, "eth0");
    }
    c->au32McastWaits[0] = 200;
    c->au32McastWaits[1] = 300;
    c->au32McastWaits[2] = 400;
    c->u32McastWaitCount = 3;
    c->u32McastMaxWait = 2000;
    c->au32UnicastWaits[0] = 300;
    c->au32UnicastWaits[1] = 600;
    c->au32UnicastWaits[2] = 1200;
    c->u32UnicastWaitCount = 3;
    c->u16Mtu = 1400;
    c->u8Ttl = 255;
    strcpy(c->acScopes, "DEFAULT");

    if (const char* v = getenv("VONDREL_SLP_PORT")) {
        long port = strtol(v, nullptr, 10);
        if (port > 0 && port < 65536)
            c->u16Port = (U16)port;
    }
    if (const char* v = getenv("VONDREL_SLP_INTERFACE")) {
        strncpy(c->acInterface, v, sizeof c->acInterface - 1);
        c->acInterface[sizeof c->acInterface - 1] = '\0';
    }
    if (const char* v = getenv("VONDREL_SLP_ADDRESS")) {
        in_addr a;
        if (inet_pton(AF_INET, v, &a) == 1)
            c->u32Address = a.s_addr;
    }
    U32 waits[SLP_CONFIG_MAX_WAITS];
    if (U32 n = parseWaits(getenv("VONDREL_SLP_WAITS"), waits)) {
        memcpy(c->au32McastWaits, waits, n * sizeof(U32));
        c->u32McastWaitCount = n;
        U32 sum = 0;
        for (U32 i = 0; i < n; i++)
            sum += waits[i];
        c->u32McastMaxWait = sum;
    }
    if (U32 n = parseWaits(getenv("VONDREL_SLP_UNICAST_WAITS"), waits)) {
        memcpy(c->au32UnicastWaits, waits, n * sizeof(U32));
        c->u32UnicastWaitCount = n;
    }
    if (const char* v = getenv("VONDREL_SLP_TTL")) {
        long ttl = strtol(v, nullptr, 10);
        if (ttl >= 0 && ttl <= 255)
            c->u8Ttl = (U8)ttl;
    }
}

void SLP_CONFIG_vGet(SLP_CONFIG* pConfig)
{
    std::lock_guard<std::mutex> lock(s_mutex);
    if (!s_loaded) {
        SLP_CONFIG_vDefaults(&s_config);
        s_loaded = true;
    }
    *pConfig = s_config;
}

void SLP_CONFIG_vSet(const SLP_CONFIG* pConfig)
{
    std::lock_guard<std::mutex> lock(s_mutex);
    s_config = *pConfig;
    s_config.acInterface[sizeof s_config.acInterface - 1] = '\0';
    s_config.acScopes[sizeof s_config.acScopes - 1] = '\0';
    if (s_config.u32McastWaitCount > SLP_CONFIG_MAX_WAITS)
        s_config.u32McastWaitCount = SLP_CONFIG_MAX_WAITS;
    if (s_config.u32UnicastWaitCount > SLP_CONFIG_MAX_WAITS)
        s_config.u32UnicastWaitCount = SLP_CONFIG_MAX_WAITS;
    s_loaded = true;
}
