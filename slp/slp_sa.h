// The service agent of this process: it holds the registrations made through
// SLPReg and answers the service, attribute and service-type requests of
// other agents for them, multicast and unicast.
//
// Registrations live until deregistered or until their lifetime runs out on
// the kernel clock; SLP_LIFETIME_MAXIMUM (65535 s) means "until
// deregistered", as the API refreshes such registrations itself.
// A multicast request is answered only with results and only when this
// agent's address is not among the previous responders; a unicast request is
// always answered, errors included. A datagram that is not a sound SLPv2
// message is dropped and counted and changes nothing.
//
// The agent's thread starts with the first handle and keeps running for the
// life of the process; until its sockets can be opened (no interface yet,
// port taken) it tries again every second, holding the registrations.
#pragma once

#include "kernel/l_types.h"

#include <string_view>
#include <vector>

typedef struct {
    U32 u32Received;  // datagrams read
    U32 u32Malformed; // dropped as not sound SLPv2
    U32 u32Answered;  // replies sent or built
    U32 u32Silent;    // sound, but needing no answer
} SLP_SA_STATS;

typedef struct {
    BOOLEAN bMulticast; // came to the group (the header's flag counts too)
    U32 u32OwnAddress;  // network order: this agent's address as the sender sees it
    U16 u16Mtu;
    const char* pcScopes; // this agent's scopes
} SLP_SA_CONTEXT;

// Wire error codes (SLP_WIRE_ERROR) as results.
U16 SLP_SA_u16Register(std::string_view Url, std::string_view Type, std::string_view Lang,
                       std::string_view Scopes, std::string_view Attrs, U16 u16Lifetime,
                       BOOLEAN bFresh);
U16 SLP_SA_u16Deregister(std::string_view Url, std::string_view Lang);
U32 SLP_SA_u32Count(void);

// Answers one datagram: TRUE when pReply holds the reply to send back.
BOOLEAN SLP_SA_bHandle(const U8* pData, size_t nLength, const SLP_SA_CONTEXT* pContext,
                       std::vector<U8>* pReply);

void SLP_SA_vStart(void);
// Ends the agent's thread and forgets every registration (tests and tools).
void SLP_SA_vStop(void);
// TRUE once the agent listens.
BOOLEAN SLP_SA_bListening(void);
void SLP_SA_vGetStats(SLP_SA_STATS* pStats);
