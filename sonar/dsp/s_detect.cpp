// Transducer detection (see the header). The test sequence is one transmit
// sequence in the coprocessor's transfer block; every block received is
// looked at as the coprocessor left it, since a failed receive is no
// reason to stop the start-up.
#include "sonar/dsp/s_detect.h"

#include "kernel/lm_log.h"
#include "platform/h_coproc.h"
#include "platform/h_options.h"
#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_demultiplex.h"
#include "sonar/dsp/s_transducer.h"
#include "store/h_database.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr FOURCHARID detect_fcids[5] = {FCID("DET1"), FCID("DET2"), FCID("DET3"), FCID("DET4"), FCID("DET5")};
constexpr FOURCHARID KEY_SDET = FCID("SDET");
constexpr FOURCHARID KEY_AD02 = FCID("AD02");
constexpr U32 THERMISTOR_OPEN = 0xFD00;
// Every transmit sequence samples every 26 microseconds.
constexpr U8 SAMPLE_RATE = 26;

// One 200 kHz pulse of 10 cycles at low power, listening for 32 samples
// after 256 noise samples on receiver 0.
void vWriteTestSequence(U8* pau8Block)
{
    memset(pau8Block, 0, MULTI_TX_BYTES);
    TX_SEQUENCE seq = {};
    seq.TxPulse[0] = {200, 10, TXMODE_DMA, 1, 50, 0};
    seq.TxPulse[1] = {0, 0, TXMODE_NONE, 0, 50, 0};
    seq.TxPulse[2] = {0, 0, TXMODE_NONE, 0, 50, 0};
    seq.eTxPower0 = TXPOWER_LOW;
    seq.eTxPower1 = TXPOWER_LOW;
    seq.u8PingRate = 0;
    seq.u8SampleRate = SAMPLE_RATE;
    seq.u16Samples = S_DETECT_RETURN_SAMPLES;
    seq.u16NoiseSamples = S_DETECT_NOISE_SAMPLES;
    seq.bRxFrequency = 0x03;
    seq.bBandwidth = 0x01;
    seq.bRxEnable = 0xFD;
    S_COPROC_vEncodeTxSequence(&seq, pau8Block);
    pau8Block[MULTI_TX_COUNT_OFFSET] = 1;
}

} // namespace

U8 u8AverageLevel(const U8* pau8RawData, U32 u32NumberOfSamples)
{
    if (pau8RawData == nullptr || u32NumberOfSamples == 0)
        return 0;
    U32 u32Sum = 0;
    for (U32 i = 0; i < u32NumberOfSamples; ++i)
        u32Sum += pau8RawData[i];
    return (U8)(u32Sum / u32NumberOfSamples);
}

U8 u8GetDetectDelta(U8 u8DefaultDelta)
{
    U32 u32Margin = 0;
    if (H_DATABASE_bFetchU32(KEY_SDET, &u32Margin, nullptr, nullptr) && (U8)u32Margin != 0)
        return (U8)u32Margin;
    H_DATABASE_bUpdateValueU32(KEY_SDET, u8DefaultDelta, P_NORMAL);
    return u8DefaultDelta;
}

BOOLEAN bThermistorConnected(void)
{
    U32 u32Reading = 0;
    return H_DATABASE_bFetchU32(KEY_AD02, &u32Reading, nullptr, nullptr) && u32Reading < THERMISTOR_OPEN ? TRUE
                                                                                                         : FALSE;
}

BOOLEAN S_DETECT_bTransducerConnected(void)
{
    H_COPROC_vInitialize();
    if (opt_fake_transducer)
        return FALSE;
    if (!S_TRANSDUCER_bIsDefaultTransducer())
        return TRUE;

    for (FOURCHARID fcid : detect_fcids)
        H_DATABASE_bUpdateValueU32(fcid, 0, P_NORMAL);
    const U8 u8Margin = u8GetDetectDelta(S_DETECT_DEFAULT_MARGIN);

    U8* const pBlock = gpu8NonCachedDataBlock;
    H_COPROC_u32Transfer(pBlock, H_COPROC_BLOCK_BYTES, RECEIVE_FROM_COPROC);
    vWriteTestSequence(pBlock);
    H_COPROC_u32Transfer(pBlock, MULTI_TX_BYTES, SEND_TO_COPROC);
    H_COPROC_u32Transfer(pBlock, H_COPROC_BLOCK_BYTES, RECEIVE_FROM_COPROC);
    const S32 s32Delta = (S32)u8Margin * 256 / 90;

    U8 au8NoiseData[S_DETECT_NOISE_SAMPLES];
    U8 au8SampleData[S_DETECT_RETURN_SAMPLES];
    U32 u32Successes = 0;
    U32 u32Attempt = 0;
    do {
        H_COPROC_u32Transfer(pBlock, H_COPROC_BLOCK_BYTES, RECEIVE_FROM_COPROC);
        if (bThermistorConnected())
            return TRUE;
        TX_SEQUENCE echo = {};
        const U8* pau8Data = nullptr;
        S_DEMULTIPLEX_bExtractTxSequence(pBlock, &echo, &pau8Data);
        const U16 u16Noise = std::min<U16>(echo.u16NoiseSamples, (U16)S_DETECT_NOISE_SAMPLES);
        const U16 u16Returns = std::min<U16>(echo.u16Samples, (U16)S_DETECT_RETURN_SAMPLES);
        S_DEMULTIPLEX_vGetExtractRxData(pau8Data, 0, u16Noise, u16Returns, au8NoiseData, au8SampleData);
        const S32 s32Noise = u8AverageLevel(au8NoiseData, u16Noise);
        const S32 s32Energy = u8AverageLevel(au8SampleData, u16Returns);
        const S32 s32Difference = s32Energy - s32Noise;
        const S32 s32Published = s32Difference * 90 / 256;
        if (u32Attempt < sizeof detect_fcids / sizeof detect_fcids[0])
            H_DATABASE_bUpdateValueS32(detect_fcids[u32Attempt], s32Published, P_NORMAL);
        log_me("attempt #%d ping_energy %d noise measure %d calc value %d", (int)u32Attempt, (int)s32Energy,
               (int)s32Noise, (int)s32Published);
        if (s32Difference >= s32Delta)
            ++u32Successes;
        ++u32Attempt;
    } while (u32Attempt < S_DETECT_MAX_ATTEMPTS && u32Successes < S_DETECT_NEEDED_SUCCESSES);
    return u32Successes >= S_DETECT_NEEDED_SUCCESSES ? TRUE : FALSE;
}
