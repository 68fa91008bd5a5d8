// The sonar coprocessor interface (see the header).
#include "platform/h_coproc.h"

#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/lm_log.h"
#include "platform/h_options.h"
#include "platform/dd_coproc.h"
#include "store/h_database.h"

#include <cstdint>

namespace {

constexpr const char* SONAR_DEVICE = "/dev/sonar0";
constexpr U32 ADC_INPUTS = 3;
enum { ADC_BATTERY = 0, ADC_EXTERNAL_TEMPERATURE = 1, ADC_TRANSDUCER_TEMPERATURE = 2 };
constexpr const char* ADC_DEVICES[ADC_INPUTS] = {"/dev/ainput0", "/dev/ainput1", "/dev/ainput2"};
constexpr U32 ADC_PERIOD_MS = 500;
constexpr U32 ADC_SHIFT = 4;
constexpr U32 ADC_PRIORITY = P_NORMAL;
// A receive this short carries nothing worth a fresh reading.
constexpr S32 MIN_RECEIVE_FOR_ADC = 9;
constexpr U32 TRANSFER_FAILED = 0xFFFFFFFFu;

U32 s_u32SonarFileHandle = 0;
U32 s_au32AdcFileHandles[ADC_INPUTS] = {};
bool s_bAdcReadBefore = false;
U32 s_u32LastAdcReadMs = 0;
U16 s_au16Reading[ADC_INPUTS] = {};

} // namespace

U8* gpu8NonCachedDataBlock = nullptr;

void H_COPROC_vInitialize(void)
{
    if (!gpu8NonCachedDataBlock)
        gpu8NonCachedDataBlock = reinterpret_cast<U8*>(H_MMU_pu32AllocateNonCachedArea(H_COPROC_BLOCK_BYTES));
    if (!s_u32SonarFileHandle) {
        const S32 s32Handle = DD_COPROC_s32Open(SONAR_DEVICE);
        if (s32Handle > 0)
            s_u32SonarFileHandle = (U32)s32Handle;
    }
    for (U32 i = 0; i < ADC_INPUTS; ++i) {
        if (s_au32AdcFileHandles[i])
            continue;
        const S32 s32Handle = DD_COPROC_s32OpenInput(ADC_DEVICES[i]);
        if (s32Handle > 0)
            s_au32AdcFileHandles[i] = (U32)s32Handle;
    }
    for (U32 i = 0; i < ADC_INPUTS; ++i) {
        if (s_au32AdcFileHandles[i])
            continue;
        log_me("%s(): Could not open adc input dev files, disabling adc input\n", "H_COPROC_vInitialize");
        opt_noadc = TRUE;
    }
    log_me("data block ptr = %lx and file handle = %x", (unsigned long)(uintptr_t)gpu8NonCachedDataBlock,
           s_u32SonarFileHandle);
}

U32 H_COPROC_u32Transfer(U8* pau8Data, U32 u32TransferSize, U32 eDirection)
{
    if (eDirection != SEND_TO_COPROC && eDirection != RECEIVE_FROM_COPROC)
        return TRANSFER_FAILED;
    if (!s_u32SonarFileHandle) {
        if (eDirection == RECEIVE_FROM_COPROC)
            H_COPROC_vReadAdcInputs();
        return TRANSFER_FAILED;
    }
    if (eDirection == SEND_TO_COPROC)
        return (U32)DD_COPROC_s32Write((S32)s_u32SonarFileHandle, pau8Data, u32TransferSize);
    const S32 s32Read = DD_COPROC_s32Read((S32)s_u32SonarFileHandle, pau8Data, u32TransferSize);
    if (s32Read < 0 || s32Read >= MIN_RECEIVE_FOR_ADC)
        H_COPROC_vReadAdcInputs();
    return (U32)s32Read;
}

BOOLEAN H_COPROC_bCoprocessorReady(void)
{
    return s_u32SonarFileHandle != 0;
}

void H_COPROC_vReadAdcInputs(void)
{
    const U32 u32Now = H_TICK_u32ReadFreeRunningTimerInMilliSeconds();
    if (opt_noadc)
        return;
    if (s_bAdcReadBefore && H_TICK_u32ElapsedTime(s_u32LastAdcReadMs, u32Now) < ADC_PERIOD_MS)
        return;
    for (U32 i = 0; i < ADC_INPUTS; ++i) {
        U16 u16Reading;
        if (s_au32AdcFileHandles[i] && DD_COPROC_bReadInput((S32)s_au32AdcFileHandles[i], &u16Reading))
            s_au16Reading[i] = u16Reading;
    }
    H_DATABASE_bUpdateValueU32(FCID("AD05"), (U32)s_au16Reading[ADC_BATTERY] << ADC_SHIFT, ADC_PRIORITY);
    H_DATABASE_bUpdateValueU32(FCID("AD02"), (U32)s_au16Reading[ADC_TRANSDUCER_TEMPERATURE] << ADC_SHIFT,
                               ADC_PRIORITY);
    H_DATABASE_bUpdateValueU32(FCID("AD00"), (U32)s_au16Reading[ADC_EXTERNAL_TEMPERATURE] << ADC_SHIFT,
                               ADC_PRIORITY);
    s_u32LastAdcReadMs = u32Now;
    s_bAdcReadBefore = true;
}

void H_COPROC_vSimulate(BOOLEAN bSimulate)
{
    (void)bSimulate;
}

void H_COPROC_vResetForTests(void)
{
    if (s_u32SonarFileHandle)
        DD_COPROC_vClose((S32)s_u32SonarFileHandle);
    s_u32SonarFileHandle = 0;
    for (U32& h : s_au32AdcFileHandles) {
        if (h)
            DD_COPROC_vClose((S32)h);
        h = 0;
    }
    s_bAdcReadBefore = false;
    s_u32LastAdcReadMs = 0;
    for (U16& r : s_au16Reading)
        r = 0;
}
