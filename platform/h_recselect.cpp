// Receiver element selection (see the header).
#include "platform/h_recselect.h"

#include "kernel/error.h"
#include "platform/dd_board.h"

namespace {

constexpr const char* SOURCE = "./Working/SOURCE/h_recselect";
constexpr U32 FREQUENCY_800KHZ = 800000;

} // namespace

void H_RECSELECT_vConnectElementToReceiver(BEAM beam, U32 u32Frequency)
{
    switch (beam) {
    case 1:
    case 2:
    case 255:
        DD_RECSELECT_vDualBeam();
        break;
    case 3:
        if (u32Frequency == FREQUENCY_800KHZ)
            DD_RECSELECT_v800KHzBeam();
        else
            DD_RECSELECT_vRightBeam();
        break;
    default:
        ERROR_error(SOURCE, __LINE__, "Invalid beam");
        U_RESET_vReset(FALSE, FALSE);
    }
}
