// The driver entry points that are empty on this board (see the header).
#include "platform/dd_board.h"

#include <atomic>

namespace {

std::atomic<DD_BPF_BAND> s_eBand{DD_BPF_NONE};
std::atomic<DD_RECSELECT_ELEMENT> s_eElement{DD_RECSELECT_NONE};

} // namespace

void DD_ACCPOWER_vPowerOn(void) {}
void DD_ACCPOWER_vPowerOff(void) {}

void DD_ADC_vStartConversion(U8) {}
void DD_ADC_vPrepareForDMA(U8) {}
void DD_ADC_vWaitForConversionReady(void) {}
U16 DD_ADC_u16Read(void)
{
    return 0;
}

void DD_BPF_vSetupPin(void) {}
void DD_BPF_vSetHigh(void)
{
    s_eBand = DD_BPF_HIGH;
}
void DD_BPF_vSetLow(void)
{
    s_eBand = DD_BPF_LOW;
}
DD_BPF_BAND DD_BPF_eGetBand(void)
{
    return s_eBand;
}

void DD_CACHE_vSetNonCacheableArea0(uintptr_t, uintptr_t) {}
void DD_CACHE_vSetNonCacheableArea1(uintptr_t, uintptr_t) {}
void DD_CACHE_vResetNonCacheableArea0(void) {}
void DD_CACHE_vResetNonCacheableArea1(void) {}
void DD_CACHE_vFlush(void) {}
void DD_CACHE_vEnable(void) {}
void DD_CACHE_vDisable(void) {}

void DD_ISR_vInit(void) {}
void DD_ISR_vClearAllpendingInterrupts(void) {}
void DD_ISR_vClearPendingEINTs(U32) {}
void DD_ISR_vEnableInterrupt(U32) {}
void DD_ISR_vEnableSubInterrupt(U32) {}
void DD_ISR_vEnableExtInterrupt(U32) {}
void DD_ISR_vDisableInterrupt(U32) {}
void DD_ISR_vDisableSubInterrupt(U32) {}
void DD_ISR_vDisableExtInterrupt(U32) {}
void DD_ISR_vMakeFIQ(U32) {}
void DD_ISR_vMakeIRQ(U32) {}
void DD_ISR_vSetInterruptVector(U32, DD_ISR_HANDLER*) {}
void DD_ISR_vSetSubInterruptVector(U32, DD_ISR_HANDLER*) {}
void DD_ISR_vSetExtInterruptVector(U32, DD_ISR_HANDLER*) {}
void DD_ISR_vFIQMasterEnable(void) {}
void DD_ISR_vFIQMasterDisable(void) {}

void DD_LPM_vClearLPM(void) {}
void DD_LPM_vSetLPM(void) {}
void DD_LPM_vHighImpedanceLPM(void) {}

void DD_PWM_vInitPrescalers(void) {}
void DD_PWM_vInitTimer0_1(U32, U32) {}
void DD_PWM_vInitTimer2_3_4(U32, U32) {}
void DD_PWM_vInitDeadZone(U32) {}
void DD_PWM_vSetupPWM0(U32, float) {}
void DD_PWM_vSetupPWM1(U32, float) {}
void DD_PWM_vSetupPWM2(U32, float) {}
void DD_PWM_vSetupPWM3(U32, float) {}
void DD_PWM_vStopPWM0(void) {}
void DD_PWM_vStopPWM1(void) {}
void DD_PWM_vStopPWM2(void) {}
void DD_PWM_vStopPWM3(void) {}
void DD_PWM_vMaxPWM0(void) {}
void DD_PWM_vMaxPWM1(void) {}
void DD_PWM_vMaxPWM2(void) {}
void DD_PWM_vMaxPWM3(void) {}
void DD_PWM_vMinPWM0(void) {}
void DD_PWM_vMinPWM1(void) {}
void DD_PWM_vMinPWM2(void) {}
void DD_PWM_vMinPWM3(void) {}
void DD_PWM_vCalculateCounts(U32, float, U32*, U32*) {}
BOOLEAN DD_PWM_bSpecifyPWM0(U32, float)
{
    return FALSE;
}
BOOLEAN DD_PWM_bSpecifyPWM1(U32, float)
{
    return FALSE;
}
BOOLEAN DD_PWM_bSpecifyPWM2(U32, float)
{
    return FALSE;
}
BOOLEAN DD_PWM_bSpecifyPWM3(U32, float)
{
    return FALSE;
}

void DD_RECSELECT_vSetupPins(void) {}
void DD_RECSELECT_vDualBeam(void)
{
    s_eElement = DD_RECSELECT_DUAL;
}
void DD_RECSELECT_vLeftBeam(void)
{
    s_eElement = DD_RECSELECT_LEFT;
}
void DD_RECSELECT_vRightBeam(void)
{
    s_eElement = DD_RECSELECT_RIGHT;
}
void DD_RECSELECT_v800KHzBeam(void)
{
    s_eElement = DD_RECSELECT_800KHZ;
}
DD_RECSELECT_ELEMENT DD_RECSELECT_eGetElement(void)
{
    return s_eElement;
}

void DD_PPI_MOTOR_vInitialize(BOOLEAN) {}
void DD_PPI_MOTOR_vStep(BOOLEAN, U32) {}
void DD_PPI_MOTOR_vGoToHome(void) {}
void DD_PPI_MOTOR_vStartMSSISwitchControl(void) {}
void DD_PPI_MOTOR_vSetEN(BOOLEAN, U32) {}
U32 DD_PPI_MOTOR_vSetupSteps(U32)
{
    return 0;
}
