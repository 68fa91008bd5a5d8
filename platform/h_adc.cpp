// Analogue input (see the header).
//
// The conversion is read straight after it is started: nothing signals the
// completion semaphore on this board, and waiting on it would hang the
// caller for good.
#include "platform/h_adc.h"

#include "platform/dd_board.h"

namespace {

constexpr U32 ADC_INTERRUPT_SOURCE = 0x80000000u;

} // namespace

U16 H_ADC_u16Read(U8 u8Channel)
{
    DD_ISR_vEnableInterrupt(ADC_INTERRUPT_SOURCE);
    DD_ADC_vStartConversion(u8Channel);
    U16 u16Value = DD_ADC_u16Read();
    DD_ISR_vDisableInterrupt(ADC_INTERRUPT_SOURCE);
    return u16Value;
}
