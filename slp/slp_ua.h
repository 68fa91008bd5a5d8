// The user agent's side of a request: send it, wait, collect the replies.
//
// Multicast (RFC 2608 multicast convergence): the request goes to the group,
// replies are collected for the first wait, then the request is sent again
// with the same XID and the list of agents that have answered, so that only
// new agents answer; this ends when a retransmission brings no new answer,
// the waits are used up, the total wait runs out or the list no longer fits
// a datagram. Unicast: the request goes to one address and is repeated after
// each wait until the first reply.
//
// Replies are matched by XID, function and sender; a reply that is not a
// sound SLPv2 message is dropped and counted. The waits run on the real
// monotonic clock.
#pragma once

#include "kernel/l_types.h"
#include "slp/slp.h"
#include "slp/slp_msg.h"

#include <functional>
#include <string_view>
#include <vector>

// Builds the request with a given XID, header flags and responder list.
typedef std::function<BOOLEAN(U16 u16Xid, U8 u8Flags, std::string_view PrList, std::vector<U8>* pOut)>
    SLP_UA_BUILD;
// Takes one reply (error code 0 for multicast); FALSE ends the operation.
typedef std::function<BOOLEAN(const SLP_MSG& Reply, U32 u32From)> SLP_UA_TAKE;

// u32Unicast in network order, 0 for multicast. SLP_OK when the exchange
// ran (also with no reply to a multicast request); a unicast reply's error
// code comes back as its SLPError.
SLPError SLP_UA_eTransact(U32 u32Unicast, U8 u8ReplyFunction, const SLP_UA_BUILD& Build,
                          const SLP_UA_TAKE& Take);
SLPError SLP_UA_eFromWire(U16 u16Error);
// Replies dropped as not sound SLPv2 since the process started.
U32 SLP_UA_u32Malformed(void);
