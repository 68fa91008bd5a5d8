// Receiver bandwidth request (see the header). Only the ping task calls
// these; the stored request has no lock.
#include "platform/dd_mute.h"

#include "kernel/error.h"

namespace {

constexpr const char* SOURCE = "./Working/SOURCE/Platform/AM335X/dd_mute";
constexpr U8 BANDWIDTH_MAX = 3;

U8 s_u8BandwidthControl = 0;

} // namespace

void DD_MUTE_vSetupPin(void) {}

void DD_MUTE_vRequestBandwidth(const U8 control)
{
    s_u8BandwidthControl = control;
}

void DD_MUTE_vSetBandwidth(const U8 control)
{
    if (control > BANDWIDTH_MAX) {
        ERROR_error(SOURCE, __LINE__, "Invalid bandwidth");
        U_RESET_vReset(FALSE, FALSE);
    }
}

void DD_PING_vRestoreBandwidth(void)
{
    DD_MUTE_vSetBandwidth(s_u8BandwidthControl);
}
