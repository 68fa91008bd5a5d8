// Fuzz target for everything an SLP datagram from the network reaches: the
// message decoder and the service agent's handler (filters, attribute lists,
// tag lists, type matching), answered as unicast and as multicast, plus the
// filter and attribute-list readers on the raw bytes as text. The agent
// holds a few registrations so that requests have something to match.
#include "slp/slp_attr.h"
#include "slp/slp_filter.h"
#include "slp/slp_msg.h"
#include "slp/slp_sa.h"

#include <arpa/inet.h>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

void registerOnce()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    SLP_SA_u16Register("service:sonar2DStream.velmora://192.0.2.20:50688/base", "", "en", "DEFAULT",
                       "(service=sonar2DStream),(instance=base),(address=192.0.2.20),(port=50688),"
                       "(unitname=Bow), (unitmodel=3),(tags=a,b\\2c),keyword",
                       65535, 1);
    SLP_SA_u16Register("service:ethhost.velmora:0100:00001234:0000abcd:4d425ce7://192.0.2.20,50001", "", "en",
                       "DEFAULT", "", 65535, 1);
    SLP_SA_u16Register("service:printer:lpr://192.0.2.20/q", "", "de", "DEFAULT,OTHER", "(color=true)", 600, 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    registerOnce();
    SLP_MSG msg;
    SLP_MSG_eDecode(data, size, &msg);

    std::vector<U8> reply;
    for (BOOLEAN multicast : {(BOOLEAN)0, (BOOLEAN)1}) {
        SLP_SA_CONTEXT ctx{multicast, inet_addr("192.0.2.20"), 1400, "DEFAULT"};
        if (SLP_SA_bHandle(data, size, &ctx, &reply)) {
            // Whatever the agent answers must itself be a sound message.
            SLP_MSG check;
            if (reply.size() > 1400 || SLP_MSG_eDecode(reply.data(), reply.size(), &check) != SLP_DECODE_OK)
                __builtin_trap();
        }
    }

    std::string_view text((const char*)data, size);
    SLP_FILTER filter;
    std::vector<SLP_ATTR> attrs;
    if (SLP_FILTER_bCompile(text, &filter) && SLP_ATTR_bParse("(a=1),(b=x y),(c=2,3),d", &attrs))
        SLP_FILTER_bMatches(&filter, attrs);
    if (SLP_ATTR_bParse(text, &attrs))
        SLP_ATTR_Select({text}, "a*,b");
    return 0;
}
