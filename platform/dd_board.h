// Driver entry points that have nothing to do on this board: interrupts,
// PWM, low-power mode, cache areas, accessory power, the ADC, the receiver
// and band-pass switches and the rotating-transducer motor. They keep the
// abstraction layer's calls valid; each returns at once and ignores its
// arguments, and those with a result return a fixed value. The band-pass
// and receiver switches only remember their last setting, so that the
// choice the sonar front end made can be read back.
#pragma once

#include "kernel/l_types.h"

#include <cstdint>

// Accessory power.
void DD_ACCPOWER_vPowerOn(void);
void DD_ACCPOWER_vPowerOff(void);

// ADC: no conversions here; the analogue inputs come from their own devices.
void DD_ADC_vStartConversion(U8 u8Channel);
void DD_ADC_vPrepareForDMA(U8 u8Channel);
void DD_ADC_vWaitForConversionReady(void);
U16 DD_ADC_u16Read(void); // 0

// Band-pass filter.
typedef enum tag_DD_BPF_BAND { DD_BPF_NONE = 0, DD_BPF_HIGH = 1, DD_BPF_LOW = 2 } DD_BPF_BAND;
void DD_BPF_vSetupPin(void);
void DD_BPF_vSetHigh(void);
void DD_BPF_vSetLow(void);
DD_BPF_BAND DD_BPF_eGetBand(void);

// Cache areas, given by their first and last byte address.
void DD_CACHE_vSetNonCacheableArea0(uintptr_t uStart, uintptr_t uEnd);
void DD_CACHE_vSetNonCacheableArea1(uintptr_t uStart, uintptr_t uEnd);
void DD_CACHE_vResetNonCacheableArea0(void);
void DD_CACHE_vResetNonCacheableArea1(void);
void DD_CACHE_vFlush(void);
void DD_CACHE_vEnable(void);
void DD_CACHE_vDisable(void);

// Interrupts.
typedef void DD_ISR_HANDLER(void);
void DD_ISR_vInit(void);
void DD_ISR_vClearAllpendingInterrupts(void);
void DD_ISR_vClearPendingEINTs(U32 u32Sources);
void DD_ISR_vEnableInterrupt(U32 u32Source);
void DD_ISR_vEnableSubInterrupt(U32 u32Source);
void DD_ISR_vEnableExtInterrupt(U32 u32Source);
void DD_ISR_vDisableInterrupt(U32 u32Source);
void DD_ISR_vDisableSubInterrupt(U32 u32Source);
void DD_ISR_vDisableExtInterrupt(U32 u32Source);
void DD_ISR_vMakeFIQ(U32 u32Source);
void DD_ISR_vMakeIRQ(U32 u32Source);
void DD_ISR_vSetInterruptVector(U32 u32Source, DD_ISR_HANDLER* pHandler);
void DD_ISR_vSetSubInterruptVector(U32 u32Source, DD_ISR_HANDLER* pHandler);
void DD_ISR_vSetExtInterruptVector(U32 u32Source, DD_ISR_HANDLER* pHandler);
void DD_ISR_vFIQMasterEnable(void);
void DD_ISR_vFIQMasterDisable(void);

// Low-power mode.
void DD_LPM_vClearLPM(void);
void DD_LPM_vSetLPM(void);
void DD_LPM_vHighImpedanceLPM(void);

// PWM.
void DD_PWM_vInitPrescalers(void);
void DD_PWM_vInitTimer0_1(U32 u32Prescaler, U32 u32Divider);
void DD_PWM_vInitTimer2_3_4(U32 u32Prescaler, U32 u32Divider);
void DD_PWM_vInitDeadZone(U32 u32DeadZone);
void DD_PWM_vSetupPWM0(U32 u32Frequency, float fDutyCycle);
void DD_PWM_vSetupPWM1(U32 u32Frequency, float fDutyCycle);
void DD_PWM_vSetupPWM2(U32 u32Frequency, float fDutyCycle);
void DD_PWM_vSetupPWM3(U32 u32Frequency, float fDutyCycle);
void DD_PWM_vStopPWM0(void);
void DD_PWM_vStopPWM1(void);
void DD_PWM_vStopPWM2(void);
void DD_PWM_vStopPWM3(void);
void DD_PWM_vMaxPWM0(void);
void DD_PWM_vMaxPWM1(void);
void DD_PWM_vMaxPWM2(void);
void DD_PWM_vMaxPWM3(void);
void DD_PWM_vMinPWM0(void);
void DD_PWM_vMinPWM1(void);
void DD_PWM_vMinPWM2(void);
void DD_PWM_vMinPWM3(void);
void DD_PWM_vCalculateCounts(U32 u32Frequency, float fDutyCycle, U32* pu32Period, U32* pu32Compare);
BOOLEAN DD_PWM_bSpecifyPWM0(U32 u32Frequency, float fDutyCycle); // FALSE
BOOLEAN DD_PWM_bSpecifyPWM1(U32 u32Frequency, float fDutyCycle); // FALSE
BOOLEAN DD_PWM_bSpecifyPWM2(U32 u32Frequency, float fDutyCycle); // FALSE
BOOLEAN DD_PWM_bSpecifyPWM3(U32 u32Frequency, float fDutyCycle); // FALSE

// Receiver element select.
typedef enum tag_DD_RECSELECT_ELEMENT {
    DD_RECSELECT_NONE = 0,
    DD_RECSELECT_DUAL = 1,
    DD_RECSELECT_LEFT = 2,
    DD_RECSELECT_RIGHT = 3,
    DD_RECSELECT_800KHZ = 4
} DD_RECSELECT_ELEMENT;
void DD_RECSELECT_vSetupPins(void);
void DD_RECSELECT_vDualBeam(void);
void DD_RECSELECT_vLeftBeam(void);
void DD_RECSELECT_vRightBeam(void);
void DD_RECSELECT_v800KHzBeam(void);
DD_RECSELECT_ELEMENT DD_RECSELECT_eGetElement(void);

// Rotating-transducer motor.
void DD_PPI_MOTOR_vInitialize(BOOLEAN bClockwise);
void DD_PPI_MOTOR_vStep(BOOLEAN bClockwise, U32 u32Delay);
void DD_PPI_MOTOR_vGoToHome(void);
void DD_PPI_MOTOR_vStartMSSISwitchControl(void);
void DD_PPI_MOTOR_vSetEN(BOOLEAN bEnable, U32 u32Delay);
U32 DD_PPI_MOTOR_vSetupSteps(U32 u32StepFactor); // 0
