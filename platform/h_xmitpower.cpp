// Transmit power by depth (see the header).
#include "platform/h_xmitpower.h"

namespace {

constexpr float SHALLOW_LIMIT_METRES = 15.0f;
constexpr float DEEP_LIMIT_METRES = 55.0f;

} // namespace

TXPOWER H_XMITPOWER_eSelectTransmitPower(const float fDepthInMetres)
{
    if (fDepthInMetres < SHALLOW_LIMIT_METRES)
        return TXPOWER_LOW;
    if (fDepthInMetres <= DEEP_LIMIT_METRES)
        return TXPOWER_MED;
    return TXPOWER_HI;
}
