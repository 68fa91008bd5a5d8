// Receiver band-pass centre (see the header).
#include "platform/h_bpf.h"

#include "kernel/error.h"
#include "platform/dd_board.h"

namespace {

constexpr const char* SOURCE = "./Working/SOURCE/h_bpf";

} // namespace

void H_BPF_vSetReceiverCenterFrequency(BEAM beam, U32)
{
    switch (beam) {
    case 1:
    case 255:
        DD_BPF_vSetHigh();
        break;
    case 2:
    case 3:
        DD_BPF_vSetLow();
        break;
    default:
        ERROR_error(SOURCE, __LINE__, "Invalid beam");
        U_RESET_vReset(FALSE, FALSE);
    }
}
