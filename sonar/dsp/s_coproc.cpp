// Transmit sequences for the sonar coprocessor (see the header).
//
// A builder places each argument group into a pulse of the kind its beam
// needs (mode, output and duty cycle follow from the kind), fills the
// receiver settings of each sequence and writes the sequences into the
// block. Sequences share u16Samples when two groups listen together: the
// longer listening wins. Every sequence records 50 noise samples first, at
// one sample every 26 us.
#include "sonar/dsp/s_coproc.h"

namespace {

// Offsets inside a TX_PULSE.
constexpr U32 PULSE_FREQ = 0;
constexpr U32 PULSE_CYCLES = 2;
constexpr U32 PULSE_MODE = 3;
constexpr U32 PULSE_OUTPUT = 4;
constexpr U32 PULSE_DUTY = 5;
constexpr U32 PULSE_DELAY = 6;
// Offsets inside a TX_SEQUENCE.
constexpr U32 SEQ_POWER0 = 21;
constexpr U32 SEQ_POWER1 = 25;
constexpr U32 SEQ_TX0_LEVEL = 29;
constexpr U32 SEQ_TX1_LEVEL = 30;
constexpr U32 SEQ_PING_RATE = 31;
constexpr U32 SEQ_SAMPLE_RATE = 32;
constexpr U32 SEQ_SAMPLES = 33;
constexpr U32 SEQ_NOISE_SAMPLES = 35;
constexpr U32 SEQ_RX_FREQUENCY = 37;
constexpr U32 SEQ_BANDWIDTH = 38;
constexpr U32 SEQ_RX_ENABLE = 39;
constexpr U32 SEQ_TX_FAIL = 40;

constexpr U8 SAMPLE_PERIOD_US = 26;
constexpr U16 NOISE_SAMPLES = 50;
constexpr U8 BANDWIDTH_MASK = 0x03;

// Receiver enable masks (a clear bit enables a receiver, as the ping task
// reads them) and codes.
constexpr U8 RX_ENABLE_RECEIVER1 = 0xFD;
constexpr U8 RX_ENABLE_RECEIVERS_1_2 = 0xF5;
constexpr U8 RX_ENABLE_RECEIVERS_1_3 = 0xED;
constexpr U8 RX_ENABLE_RECEIVERS_1_2_3 = 0xE9;
constexpr U8 RX_ENABLE_RECEIVER3 = 0xEF;
constexpr U8 RX_ENABLE_RECEIVERS_2_3 = 0xEB;
constexpr U8 RX_CODE_200KHZ = 0x03;
constexpr U8 RX_CODE_455KHZ_DOWN = 0x08;

// The short-transmit sequence: 400 kHz, one cycle, listening to 20 m.
constexpr U16 SHORT_TX_KHZ = 400;
constexpr U8 SHORT_TX_CYCLES = 1;
constexpr U32 SHORT_TX_TWO_WAY_US_TIMES_SPEED = 40000000; // 20 m out and back, in us x m/s

typedef enum { PULSE_2D, PULSE_455_DOWN, PULSE_DOWN_IMAGING, PULSE_SIDE_IMAGING, PULSE_SHORT_TX } PULSE_KIND;

// The two receiver settings of the short-transmit sequence.
typedef enum { SHORT_TX_NONE, SHORT_TX_RECEIVER2, SHORT_TX_200KHZ } SHORT_TX_VARIANT;

struct Group {
    U8 cycles;
    TXPOWER power;
    U8 bandwidth;
    U16 samples;
    U16 freq;
};

struct Sequences {
    TX_SEQUENCE seq[MULTI_TX_MAX_SEQUENCES];
    U32 n = 0;
};

void vPutU16(U8* p, U16 v)
{
    p[0] = (U8)v;
    p[1] = (U8)(v >> 8);
}

void vPutU32(U8* p, U32 v)
{
    for (U32 i = 0; i < 4; ++i)
        p[i] = (U8)(v >> (8 * i));
}

U16 u16Get(const U8* p)
{
    return (U16)(p[0] | p[1] << 8);
}

U32 u32Get(const U8* p)
{
    return (U32)p[0] | (U32)p[1] << 8 | (U32)p[2] << 16 | (U32)p[3] << 24;
}

U8 u8Bw(const Group& g)
{
    return g.bandwidth & BANDWIDTH_MASK;
}

U16 u16Longer(const Group& a, const Group& b)
{
    return a.samples > b.samples ? a.samples : b.samples;
}

// Receiver codes by the group's frequency in kHz.
U8 u8Code2D(U16 f)
{
    return f <= 59 ? 0x00 : f <= 150 ? 0x02 : 0x03;
}

U8 u8CodeLF(U16 f)
{
    return f > 59 ? 0x02 : 0x00;
}

U8 u8CodeSideImaging(U16 f)
{
    return f < 400 ? 0x00 : f < 700 ? 0x08 : 0x0C;
}

U8 u8CodeDownImaging(U16 f)
{
    return f < 700 ? 0x00 : 0x04;
}

void vSetTxPulse(TX_PULSE* pPulse, U16 u16Freq, U8 u8Cycles, TXMODE eMode, U8 u8Output, BOOLEAN bFiftyPercentDutyCycle)
{
    pPulse->u16TxFreq = u16Freq;
    pPulse->u8TxCycles = u8Cycles;
    pPulse->eTxMode = eMode;
    pPulse->u8TxOutput = u8Output;
    pPulse->u8DutyCycle = bFiftyPercentDutyCycle ? 50 : 65;
    pPulse->u8Delay = 0;
}

void vKindPulse(TX_PULSE* pPulse, PULSE_KIND eKind, const Group& g)
{
    switch (eKind) {
    case PULSE_2D:
        vSetTxPulse(pPulse, g.freq, g.cycles, TXMODE_TIMER, 1, TRUE);
        break;
    case PULSE_455_DOWN:
    case PULSE_SHORT_TX:
        vSetTxPulse(pPulse, g.freq, g.cycles, TXMODE_DMA, 1, TRUE);
        break;
    case PULSE_DOWN_IMAGING:
        vSetTxPulse(pPulse, g.freq, g.cycles, TXMODE_DMA, 4, FALSE);
        break;
    case PULSE_SIDE_IMAGING:
        vSetTxPulse(pPulse, g.freq, g.cycles, TXMODE_DMA, 6, FALSE);
        break;
    }
}

// A new sequence with unused pulses and the settings every sequence shares.
TX_SEQUENCE& seqAdd(Sequences& s)
{
    TX_SEQUENCE& q = s.seq[s.n++];
    q = TX_SEQUENCE{};
    for (TX_PULSE& p : q.TxPulse)
        vSetTxPulse(&p, 0, 0, TXMODE_NONE, 0, TRUE);
    q.u8PingRate = 0;
    q.u8SampleRate = SAMPLE_PERIOD_US;
    q.u16NoiseSamples = NOISE_SAMPLES;
    return q;
}

// One sequence of one group.
TX_SEQUENCE& seqSingle(Sequences& s, PULSE_KIND eKind, const Group& g, U8 u8Code, U8 u8Bandwidth, U8 u8Enable)
{
    TX_SEQUENCE& q = seqAdd(s);
    vKindPulse(&q.TxPulse[0], eKind, g);
    q.eTxPower0 = q.eTxPower1 = g.power;
    q.u16Samples = g.samples;
    q.bRxFrequency = u8Code;
    q.bBandwidth = u8Bandwidth;
    q.bRxEnable = u8Enable;
    return q;
}

// One sequence of two groups: pulse 0 from a, pulse 1 from b.
TX_SEQUENCE& seqPair(Sequences& s, PULSE_KIND eKindA, const Group& a, PULSE_KIND eKindB, const Group& b,
                     const Group& power0, const Group& power1, U8 u8Code, U8 u8Bandwidth, U8 u8Enable)
{
    TX_SEQUENCE& q = seqAdd(s);
    vKindPulse(&q.TxPulse[0], eKindA, a);
    vKindPulse(&q.TxPulse[1], eKindB, b);
    q.eTxPower0 = power0.power;
    q.eTxPower1 = power1.power;
    q.u16Samples = u16Longer(a, b);
    q.bRxFrequency = u8Code;
    q.bBandwidth = u8Bandwidth;
    q.bRxEnable = u8Enable;
    return q;
}

// Writes the fields a builder owns; the level bytes and bTxFail keep what
// the block held.
void vPutBuiltSequence(const TX_SEQUENCE& q, U8* p)
{
    for (U32 i = 0; i < TX_PULSES; ++i)
        S_COPROC_vEncodeTxPulse(&q.TxPulse[i], p + i * TX_PULSE_BYTES);
    vPutU32(p + SEQ_POWER0, q.eTxPower0);
    vPutU32(p + SEQ_POWER1, q.eTxPower1);
    p[SEQ_PING_RATE] = q.u8PingRate;
    p[SEQ_SAMPLE_RATE] = q.u8SampleRate;
    vPutU16(p + SEQ_SAMPLES, q.u16Samples);
    vPutU16(p + SEQ_NOISE_SAMPLES, q.u16NoiseSamples);
    p[SEQ_RX_FREQUENCY] = q.bRxFrequency;
    p[SEQ_BANDWIDTH] = q.bBandwidth;
    p[SEQ_RX_ENABLE] = q.bRxEnable;
}

// Silences the main sequences when asked, appends the short-transmit
// sequence when asked, and writes everything with the count.
void vWrite(U8* pMultiTxLE, Sequences& s, BOOLEAN bNoTransmit, SHORT_TX_VARIANT eShort, BOOLEAN bEnableShortTransmit)
{
    if (bNoTransmit)
        for (U32 i = 0; i < s.n; ++i)
            for (TX_PULSE& p : s.seq[i].TxPulse)
                p.eTxMode = TXMODE_NONE;
    if (eShort != SHORT_TX_NONE && bEnableShortTransmit) {
        const Group g = {SHORT_TX_CYCLES, TXPOWER_LOW, 0,
                         (U16)((SHORT_TX_TWO_WAY_US_TIMES_SPEED / g_u32SpeedOfSoundInWater + 13) / SAMPLE_PERIOD_US),
                         SHORT_TX_KHZ};
        if (eShort == SHORT_TX_RECEIVER2)
            seqSingle(s, PULSE_SHORT_TX, g, 0x00, 0x0C, RX_ENABLE_RECEIVERS_1_2);
        else
            seqSingle(s, PULSE_SHORT_TX, g, RX_CODE_200KHZ, 0x03, RX_ENABLE_RECEIVER1);
    }
    for (U32 i = 0; i < s.n; ++i)
        vPutBuiltSequence(s.seq[i], pMultiTxLE + i * TX_SEQUENCE_BYTES);
    pMultiTxLE[MULTI_TX_COUNT_OFFSET] = (U8)s.n;
}

void vSingleDown(U8* pMultiTxLE, const Group& g, U8 u8Receiver, BOOLEAN bNoTransmit, SHORT_TX_VARIANT eShort,
                 BOOLEAN bEnableShortTransmit)
{
    // With a receiver chosen, a 200 kHz ping takes the second receiver's
    // code and bandwidth fields.
    const bool bSecond = u8Receiver != 0 && g.freq > 150;
    Sequences s;
    seqSingle(s, PULSE_2D, g, bSecond ? 0x00 : u8Code2D(g.freq), bSecond ? (U8)(u8Bw(g) << 2) : u8Bw(g),
              bSecond ? RX_ENABLE_RECEIVERS_1_2 : RX_ENABLE_RECEIVER1);
    vWrite(pMultiTxLE, s, bNoTransmit, eShort, bEnableShortTransmit);
}

void v200kHz(U8* pMultiTxLE, const Group& g200, BOOLEAN bNoTransmit, SHORT_TX_VARIANT eShort,
             BOOLEAN bEnableShortTransmit)
{
    Sequences s;
    seqSingle(s, PULSE_2D, g200, RX_CODE_200KHZ, u8Bw(g200), RX_ENABLE_RECEIVER1);
    vWrite(pMultiTxLE, s, bNoTransmit, eShort, bEnableShortTransmit);
}

void v200kHzParLF(U8* pMultiTxLE, const Group& g200, const Group& gLF, BOOLEAN bNoTransmit, SHORT_TX_VARIANT eShort,
                  BOOLEAN bEnableShortTransmit)
{
    Sequences s;
    seqPair(s, PULSE_2D, gLF, PULSE_2D, g200, gLF, g200, u8CodeLF(gLF.freq), (U8)(u8Bw(g200) << 2 | u8Bw(gLF)),
            RX_ENABLE_RECEIVERS_1_2);
    vWrite(pMultiTxLE, s, bNoTransmit, eShort, bEnableShortTransmit);
}

void vLFSequence(Sequences& s, const Group& gLF)
{
    seqSingle(s, PULSE_2D, gLF, u8CodeLF(gLF.freq), u8Bw(gLF), RX_ENABLE_RECEIVER1);
}

void v200kHzSequence(Sequences& s, const Group& g200)
{
    seqSingle(s, PULSE_2D, g200, RX_CODE_200KHZ, u8Bw(g200), RX_ENABLE_RECEIVER1);
}

void vParKVSequence(Sequences& s, const Group& g200, const Group& gKV)
{
    seqPair(s, PULSE_DOWN_IMAGING, gKV, PULSE_2D, g200, g200, gKV, (U8)(RX_CODE_200KHZ | u8CodeDownImaging(gKV.freq)),
            (U8)(u8Bw(gKV) << 4 | u8Bw(g200)), RX_ENABLE_RECEIVERS_1_3);
}

// Side imaging beside a 2D beam (the 200 kHz one or the low-frequency one).
void vParHFSequence(Sequences& s, const Group& g2D, U8 u8Code2D, const Group& gHF)
{
    seqPair(s, PULSE_SIDE_IMAGING, gHF, PULSE_2D, g2D, g2D, gHF, (U8)(u8CodeSideImaging(gHF.freq) | u8Code2D),
            (U8)(u8Bw(gHF) << 4 | u8Bw(gHF) << 2 | u8Bw(g2D)), RX_ENABLE_RECEIVERS_1_2_3);
}

// A second sequence that keeps the first one's down-imaging power.
void vWithKVPower(TX_SEQUENCE& q, const Group& gKV)
{
    q.eTxPower1 = gKV.power;
}

} // namespace

std::atomic<U32> g_u32SpeedOfSoundInWater{1463};

void S_COPROC_vEncodeTxPulse(const TX_PULSE* pPulse, U8* pau8Out)
{
    vPutU16(pau8Out + PULSE_FREQ, pPulse->u16TxFreq);
    pau8Out[PULSE_CYCLES] = pPulse->u8TxCycles;
    pau8Out[PULSE_MODE] = pPulse->eTxMode;
    pau8Out[PULSE_OUTPUT] = pPulse->u8TxOutput;
    pau8Out[PULSE_DUTY] = pPulse->u8DutyCycle;
    pau8Out[PULSE_DELAY] = pPulse->u8Delay;
}

void S_COPROC_vDecodeTxPulse(const U8* pau8In, TX_PULSE* pPulse)
{
    pPulse->u16TxFreq = u16Get(pau8In + PULSE_FREQ);
    pPulse->u8TxCycles = pau8In[PULSE_CYCLES];
    pPulse->eTxMode = (TXMODE)pau8In[PULSE_MODE];
    pPulse->u8TxOutput = pau8In[PULSE_OUTPUT];
    pPulse->u8DutyCycle = pau8In[PULSE_DUTY];
    pPulse->u8Delay = pau8In[PULSE_DELAY];
}

void S_COPROC_vEncodeTxSequence(const TX_SEQUENCE* pSequence, U8* pau8Out)
{
    vPutBuiltSequence(*pSequence, pau8Out);
    pau8Out[SEQ_TX0_LEVEL] = pSequence->u8Tx0Level;
    pau8Out[SEQ_TX1_LEVEL] = pSequence->u8Tx1Level;
    pau8Out[SEQ_TX_FAIL] = pSequence->bTxFail;
}

void S_COPROC_vDecodeTxSequence(const U8* pau8In, TX_SEQUENCE* pSequence)
{
    for (U32 i = 0; i < TX_PULSES; ++i)
        S_COPROC_vDecodeTxPulse(pau8In + i * TX_PULSE_BYTES, &pSequence->TxPulse[i]);
    pSequence->eTxPower0 = u32Get(pau8In + SEQ_POWER0);
    pSequence->eTxPower1 = u32Get(pau8In + SEQ_POWER1);
    pSequence->u8Tx0Level = pau8In[SEQ_TX0_LEVEL];
    pSequence->u8Tx1Level = pau8In[SEQ_TX1_LEVEL];
    pSequence->u8PingRate = pau8In[SEQ_PING_RATE];
    pSequence->u8SampleRate = pau8In[SEQ_SAMPLE_RATE];
    pSequence->u16Samples = u16Get(pau8In + SEQ_SAMPLES);
    pSequence->u16NoiseSamples = u16Get(pau8In + SEQ_NOISE_SAMPLES);
    pSequence->bRxFrequency = pau8In[SEQ_RX_FREQUENCY];
    pSequence->bBandwidth = pau8In[SEQ_BANDWIDTH];
    pSequence->bRxEnable = pau8In[SEQ_RX_ENABLE];
    pSequence->bTxFail = pau8In[SEQ_TX_FAIL];
}

void S_COPROC_vEncodeMultiTx(const MULTI_TX* pMultiTx, U8* pau8Out)
{
    for (U32 i = 0; i < MULTI_TX_MAX_SEQUENCES; ++i)
        S_COPROC_vEncodeTxSequence(&pMultiTx->MultiSonar[i], pau8Out + i * TX_SEQUENCE_BYTES);
    pau8Out[MULTI_TX_COUNT_OFFSET] = pMultiTx->u8NumberOfSequences;
}

void S_COPROC_vDecodeMultiTx(const U8* pau8In, MULTI_TX* pMultiTx)
{
    for (U32 i = 0; i < MULTI_TX_MAX_SEQUENCES; ++i)
        S_COPROC_vDecodeTxSequence(pau8In + i * TX_SEQUENCE_BYTES, &pMultiTx->MultiSonar[i]);
    pMultiTx->u8NumberOfSequences = pau8In[MULTI_TX_COUNT_OFFSET];
}

void S_COPROC_vCopyAndConvertEndianTxSequence(const TX_SEQUENCE* pSrc, TX_SEQUENCE* pDest)
{
    if (pSrc == pDest)
        return;
    *pDest = *pSrc;
}

U8 S_COPROC_u8SetRxFrequencies(RXFREQ eR3Freq, RXFREQ eR2Freq, RXFREQ eR1Freq)
{
    constexpr U8 BIT2 = 0x04;
    constexpr U8 BIT3 = 0x08;
    U8 u8Code = eR1Freq == RXFREQ_83KHZ ? 2 : eR1Freq == RXFREQ_200KHZ ? 3 : 0;
    switch (eR2Freq) {
    case RXFREQ_200KHZ:
        u8Code &= (U8)~BIT3;
        break;
    case RXFREQ_260KHZ:
        u8Code &= (U8) ~(BIT2 | BIT3);
        break;
    case RXFREQ_455KHZ:
        u8Code = (U8)((u8Code & ~BIT2) | BIT3);
        break;
    case RXFREQ_800KHZ:
        u8Code |= BIT2 | BIT3;
        break;
    default:
        break;
    }
    switch (eR3Freq) {
    case RXFREQ_455KHZ:
        u8Code &= (U8)~BIT2;
        break;
    case RXFREQ_800KHZ:
        u8Code |= BIT2;
        break;
    case RXFREQ_260KHZ:
        u8Code &= (U8) ~(BIT2 | BIT3);
        break;
    default:
        break;
    }
    return u8Code;
}

void S_COPROC_vBuildTxSequenceForSingleDown(U8* pMultiTxLE, U8 u8Cycles, TXPOWER ePower, U8 u8Bandwidth,
                                            U16 u16Samples, U16 u16Freq, U8 u8Receiver, BOOLEAN bNoTransmit,
                                            U8 u8BBTxPower)
{
    (void)u8BBTxPower;
    vSingleDown(pMultiTxLE, {u8Cycles, ePower, u8Bandwidth, u16Samples, u16Freq}, u8Receiver, bNoTransmit,
                SHORT_TX_NONE, FALSE);
}

void S_COPROC_vBuildTxSequenceForSingleDownAltShortTransmit(U8* pMultiTxLE, U8 u8Cycles, TXPOWER ePower,
                                                            U8 u8Bandwidth, U16 u16Samples, U16 u16Freq,
                                                            U8 u8Receiver, BOOLEAN bNoTransmit, U8 u8BBTxPower,
                                                            BOOLEAN bEnableShortTransmit)
{
    (void)u8BBTxPower;
    vSingleDown(pMultiTxLE, {u8Cycles, ePower, u8Bandwidth, u16Samples, u16Freq}, u8Receiver, bNoTransmit,
                SHORT_TX_RECEIVER2, bEnableShortTransmit);
}

void S_COPROC_vBuildTxSequenceForShortTransmit(U8* pMultiTxLE, U8 u8Cycles, TXPOWER ePower, U8 u8Bandwidth,
                                               U16 u16Samples, U16 u16Freq)
{
    const Group g = {u8Cycles, ePower, u8Bandwidth, u16Samples, u16Freq};
    Sequences s;
    seqSingle(s, PULSE_SHORT_TX, g, RX_CODE_200KHZ, u8Bw(g), RX_ENABLE_RECEIVER1);
    vWrite(pMultiTxLE, s, FALSE, SHORT_TX_NONE, FALSE);
}

void S_COPROC_vBuildTxSequenceForKVSonarTest(U8* pMultiTxLE, U8 u8Cycles, TXPOWER ePower, U8 u8Bandwidth,
                                             U16 u16Samples, U16 u16Freq, U8 u8Receiver, BOOLEAN bNoTransmit,
                                             U8 u8TxOutput)
{
    const Group g = {u8Cycles, ePower, u8Bandwidth, u16Samples, u16Freq};
    Sequences s;
    TX_SEQUENCE& q = seqSingle(s, PULSE_2D, g, 0, 0, 0);
    vSetTxPulse(&q.TxPulse[0], u16Freq, u8Cycles, u16Freq <= 200 ? TXMODE_TIMER : TXMODE_DMA, u8TxOutput,
                !(u16Freq > 200 && u8TxOutput == 4));
    if (u8Receiver == 0) {
        q.bRxFrequency = u8Code2D(u16Freq);
        q.bBandwidth = u8Bw(g);
        q.bRxEnable = RX_ENABLE_RECEIVERS_1_2;
    } else if (u8Receiver == 1) {
        q.bRxFrequency = u16Freq > 500 ? 0x0C : u16Freq < 301 ? 0x00 : 0x08;
        q.bBandwidth = (U8)(u8Bw(g) << 2);
        q.bRxEnable = RX_ENABLE_RECEIVERS_1_2;
    } else {
        q.bRxFrequency = u16Freq < 501 ? 0x00 : 0x04;
        q.bBandwidth = (U8)(u8Bw(g) << 4);
        q.bRxEnable = RX_ENABLE_RECEIVERS_1_3;
    }
    vWrite(pMultiTxLE, s, bNoTransmit, SHORT_TX_NONE, FALSE);
}

void S_COPROC_vBuildTxSequence200kHz(U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200, U8 u8Bandwidth200,
                                     U16 u16Samples200, U16 u16Freq200, BOOLEAN bNoTransmit)
{
    v200kHz(pMultiTxLE, {u8Cycles200, ePower200, u8Bandwidth200, u16Samples200, u16Freq200}, bNoTransmit,
            SHORT_TX_NONE, FALSE);
}

void S_COPROC_vBuildTxSequence200kHzAltShortTransmit(U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200,
                                                     U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
                                                     BOOLEAN bNoTransmit, BOOLEAN bEnableShortTransmit)
{
    v200kHz(pMultiTxLE, {u8Cycles200, ePower200, u8Bandwidth200, u16Samples200, u16Freq200}, bNoTransmit,
            SHORT_TX_200KHZ, bEnableShortTransmit);
}

void S_COPROC_vBuildTxSequence200kHzParLF(U8* pMultiTxLE, U8 u8Cycles200, U8 u8Bandwidth200, U16 u16Samples200,
                                          U16 u16Freq200, TXPOWER ePower200, U8 u8CyclesLF, U8 u8BandwidthLF,
                                          U16 u16SamplesLF, U16 u16FreqLF, TXPOWER ePowerLF, BOOLEAN bNoTransmit,
                                          U8 u8BBTxPower)
{
    (void)u8BBTxPower;
    v200kHzParLF(pMultiTxLE, {u8Cycles200, ePower200, u8Bandwidth200, u16Samples200, u16Freq200},
                 {u8CyclesLF, ePowerLF, u8BandwidthLF, u16SamplesLF, u16FreqLF}, bNoTransmit, SHORT_TX_NONE, FALSE);
}

void S_COPROC_vBuildTxSequence200kHzParLFAltShortTransmit(U8* pMultiTxLE, U8 u8Cycles200, U8 u8Bandwidth200,
                                                          U16 u16Samples200, U16 u16Freq200, TXPOWER ePower200,
                                                          U8 u8CyclesLF, U8 u8BandwidthLF, U16 u16SamplesLF,
                                                          U16 u16FreqLF, TXPOWER ePowerLF, BOOLEAN bNoTransmit,
                                                          U8 u8BBTxPower, BOOLEAN bEnableShortTransmit)
{
    (void)u8BBTxPower;
    v200kHzParLF(pMultiTxLE, {u8Cycles200, ePower200, u8Bandwidth200, u16Samples200, u16Freq200},
                 {u8CyclesLF, ePowerLF, u8BandwidthLF, u16SamplesLF, u16FreqLF}, bNoTransmit, SHORT_TX_RECEIVER2,
                 bEnableShortTransmit);
}

void S_COPROC_vBuildTxSequence200kHzAltLFAltShortTransmit(U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200,
                                                          U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
                                                          U8 u8CyclesLF, TXPOWER ePowerLF, U8 u8BandwidthLF,
                                                          U16 u16SamplesLF, U16 u16FreqLF, BOOLEAN bNoTransmit,
                                                          U8 u8BBTxPower, BOOLEAN bEnableShortTransmit)
{
    (void)u8BBTxPower;
    Sequences s;
    vLFSequence(s, {u8CyclesLF, ePowerLF, u8BandwidthLF, u16SamplesLF, u16FreqLF});
    v200kHzSequence(s, {u8Cycles200, ePower200, u8Bandwidth200, u16Samples200, u16Freq200});
    vWrite(pMultiTxLE, s, bNoTransmit, SHORT_TX_200KHZ, bEnableShortTransmit);
}

void S_COPROC_vBuildTxSequence200kHzAltLFAltShortTx(U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200,
                                                    U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
                                                    U8 u8CyclesLF, TXPOWER ePowerLF, U8 u8BandwidthLF,
                                                    U16 u16SamplesLF, U16 u16FreqLF, BOOLEAN bNoTransmit,
                                                    BOOLEAN bEnableShortTransmit)
{
    Sequences s;
    v200kHzSequence(s, {u8Cycles200, ePower200, u8Bandwidth200, u16Samples200, u16Freq200});
    vLFSequence(s, {u8CyclesLF, ePowerLF, u8BandwidthLF, u16SamplesLF, u16FreqLF});
    vWrite(pMultiTxLE, s, bNoTransmit, SHORT_TX_200KHZ, bEnableShortTransmit);
}

void S_COPROC_vBuildTxSequence200kHzAltDownLookingPing(U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200,
                                                       U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
                                                       U8 u8Cycles455, TXPOWER ePower455, U8 u8Bandwidth455,
                                                       U16 u16Samples455, U16 u16Freq455, BOOLEAN bNoTransmit)
{
    const Group g455 = {u8Cycles455, ePower455, u8Bandwidth455, u16Samples455, u16Freq455};
    Sequences s;
    v200kHzSequence(s, {u8Cycles200, ePower200, u8Bandwidth200, u16Samples200, u16Freq200});
    // The second group may be a low-frequency beam in place of the 455 kHz one.
    const U8 u8Code = u16Freq455 == 50 ? 0x00 : u16Freq455 == 83 ? 0x02 : RX_CODE_455KHZ_DOWN;
    seqSingle(s, PULSE_455_DOWN, g455, u8Code, (U8)(u8Bw(g455) << 2), RX_ENABLE_RECEIVERS_1_2);
    vWrite(pMultiTxLE, s, bNoTransmit, SHORT_TX_NONE, FALSE);
}

void S_COPROC_vBuildTxSequence200kHzParKVFrequency(U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200,
                                                   U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
                                                   U8 u8CyclesKV, TXPOWER ePowerKV, U8 u8BandwidthKV,
                                                   U16 u16SamplesKV, U16 u16FreqKV, BOOLEAN bNoTransmit)
{
    Sequences s;
    vParKVSequence(s, {u8Cycles200, ePower200, u8Bandwidth200, u16Samples200, u16Freq200},
                   {u8CyclesKV, ePowerKV, u8BandwidthKV, u16SamplesKV, u16FreqKV});
    vWrite(pMultiTxLE, s, bNoTransmit, SHORT_TX_NONE, FALSE);
}

void S_COPROC_vBuildTxSequence200kHzAlt455kHzParKVFrequency(
    U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200, U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
    U8 u8Cycles455, TXPOWER ePower455, U8 u8Bandwidth455, U16 u16Samples455, U16 u16Freq455, U8 u8CyclesKV,
    TXPOWER ePowerKV, U8 u8BandwidthKV, U16 u16SamplesKV, U16 u16FreqKV, BOOLEAN bNoTransmit)
{
    const Group g455 = {u8Cycles455, ePower455, u8Bandwidth455, u16Samples455, u16Freq455};
    const Group gKV = {u8CyclesKV, ePowerKV, u8BandwidthKV, u16SamplesKV, u16FreqKV};
    Sequences s;
    vParKVSequence(s, {u8Cycles200, ePower200, u8Bandwidth200, u16Samples200, u16Freq200}, gKV);
    TX_SEQUENCE& q = seqSingle(s, PULSE_455_DOWN, g455, RX_CODE_455KHZ_DOWN, (U8)(u8Bw(g455) << 2),
                               RX_ENABLE_RECEIVERS_1_2);
    vWithKVPower(q, gKV);
    vWrite(pMultiTxLE, s, bNoTransmit, SHORT_TX_NONE, FALSE);
}

void S_COPROC_vBuildTxSequence200kHzAlt83And50kHzParKVFrequency(
    U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200, U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
    U8 u8CyclesLF, TXPOWER ePowerLF, U8 u8BandwidthLF, U16 u16SamplesLF, U16 u16FreqLF, U8 u8CyclesKV,
    TXPOWER ePowerKV, U8 u8BandwidthKV, U16 u16SamplesKV, U16 u16FreqKV, BOOLEAN bNoTransmit)
{
    const Group gLF = {u8CyclesLF, ePowerLF, u8BandwidthLF, u16SamplesLF, u16FreqLF};
    const Group gKV = {u8CyclesKV, ePowerKV, u8BandwidthKV, u16SamplesKV, u16FreqKV};
    Sequences s;
    vParKVSequence(s, {u8Cycles200, ePower200, u8Bandwidth200, u16Samples200, u16Freq200}, gKV);
    TX_SEQUENCE& q = seqSingle(s, PULSE_2D, gLF, u8CodeLF(u16FreqLF), u8Bw(gLF), RX_ENABLE_RECEIVERS_1_2);
    vWithKVPower(q, gKV);
    vWrite(pMultiTxLE, s, bNoTransmit, SHORT_TX_NONE, FALSE);
}

void S_COPROC_vBuildTxSequence200kHzParHighFrequency(U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200,
                                                     U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
                                                     U8 u8CyclesHF, TXPOWER ePowerHF, U8 u8BandwidthHF,
                                                     U16 u16SamplesHF, U16 u16FreqHF, BOOLEAN bNoTransmit)
{
    Sequences s;
    vParHFSequence(s, {u8Cycles200, ePower200, u8Bandwidth200, u16Samples200, u16Freq200}, RX_CODE_200KHZ,
                   {u8CyclesHF, ePowerHF, u8BandwidthHF, u16SamplesHF, u16FreqHF});
    vWrite(pMultiTxLE, s, bNoTransmit, SHORT_TX_NONE, FALSE);
}

void S_COPROC_vBuildTxSequence200kHzParHighFrequencyAltShortTransmit(
    U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200, U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
    U8 u8CyclesHF, TXPOWER ePowerHF, U8 u8BandwidthHF, U16 u16SamplesHF, U16 u16FreqHF, BOOLEAN bNoTransmit,
    BOOLEAN bEnableShortTransmit)
{
    Sequences s;
    vParHFSequence(s, {u8Cycles200, ePower200, u8Bandwidth200, u16Samples200, u16Freq200}, RX_CODE_200KHZ,
                   {u8CyclesHF, ePowerHF, u8BandwidthHF, u16SamplesHF, u16FreqHF});
    vWrite(pMultiTxLE, s, bNoTransmit, SHORT_TX_200KHZ, bEnableShortTransmit);
}

void S_COPROC_vBuildTxSequence200kHzAltLFParHighFrequency(
    U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200, U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
    U8 u8CyclesLF, TXPOWER ePowerLF, U8 u8BandwidthLF, U16 u16SamplesLF, U16 u16FreqLF, U8 u8CyclesHF,
    TXPOWER ePowerHF, U8 u8BandwidthHF, U16 u16SamplesHF, U16 u16FreqHF, BOOLEAN bNoTransmit)
{
    const Group gHF = {u8CyclesHF, ePowerHF, u8BandwidthHF, u16SamplesHF, u16FreqHF};
    Sequences s;
    vParHFSequence(s, {u8Cycles200, ePower200, u8Bandwidth200, u16Samples200, u16Freq200}, RX_CODE_200KHZ, gHF);
    vParHFSequence(s, {u8CyclesLF, ePowerLF, u8BandwidthLF, u16SamplesLF, u16FreqLF}, u8CodeLF(u16FreqLF), gHF);
    vWrite(pMultiTxLE, s, bNoTransmit, SHORT_TX_NONE, FALSE);
}

void S_COPROC_vBuildTxSequence200kHzAltLFParHighFrequencyAltShortTx(
    U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200, U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
    U8 u8CyclesLF, TXPOWER ePowerLF, U8 u8BandwidthLF, U16 u16SamplesLF, U16 u16FreqLF, U8 u8CyclesHF,
    TXPOWER ePowerHF, U8 u8BandwidthHF, U16 u16SamplesHF, U16 u16FreqHF, BOOLEAN bNoTransmit,
    BOOLEAN bEnableShortTransmit)
{
    const Group gHF = {u8CyclesHF, ePowerHF, u8BandwidthHF, u16SamplesHF, u16FreqHF};
    Sequences s;
    vParHFSequence(s, {u8Cycles200, ePower200, u8Bandwidth200, u16Samples200, u16Freq200}, RX_CODE_200KHZ, gHF);
    vParHFSequence(s, {u8CyclesLF, ePowerLF, u8BandwidthLF, u16SamplesLF, u16FreqLF}, u8CodeLF(u16FreqLF), gHF);
    vWrite(pMultiTxLE, s, bNoTransmit, SHORT_TX_200KHZ, bEnableShortTransmit);
}

void S_COPROC_vBuildSingleBeamKVPing(U8* pMultiTxLE, BEAM Beam, U8 u8Cycles, TXPOWER ePower, U8 u8Bandwidth,
                                     U16 u16Samples, U16 u16Freq, BOOLEAN bNoTransmit)
{
    (void)Beam;
    const Group g = {u8Cycles, ePower, u8Bandwidth, u16Samples, u16Freq};
    Sequences s;
    seqSingle(s, PULSE_DOWN_IMAGING, g, u8CodeDownImaging(u16Freq), (U8)(u8Bw(g) << 4), RX_ENABLE_RECEIVER3);
    vWrite(pMultiTxLE, s, bNoTransmit, SHORT_TX_NONE, FALSE);
}

void S_COPROC_vBuildSingleBeamSSPing455kHzLR(U8* pMultiTxLE, BEAM Beam, U8 u8Cycles, TXPOWER ePower,
                                             U8 u8Bandwidth, U16 u16Samples, U16 u16Freq, BOOLEAN bNoTransmit)
{
    // One pulse drives both sides, whichever beam asked.
    (void)Beam;
    const Group g = {u8Cycles, ePower, u8Bandwidth, u16Samples, u16Freq};
    Sequences s;
    seqSingle(s, PULSE_SIDE_IMAGING, g, u8CodeSideImaging(u16Freq), (U8)(u8Bw(g) << 4 | u8Bw(g) << 2),
              RX_ENABLE_RECEIVERS_2_3);
    vWrite(pMultiTxLE, s, bNoTransmit, SHORT_TX_NONE, FALSE);
}

void S_COPROC_vBuildSingleBeamMSSPing455kHzLR(U8* pMultiTxLE, BEAM Beam, U8 u8Cycles, TXPOWER ePower,
                                              U8 u8Bandwidth, U16 u16Samples, U16 u16Freq)
{
    const Group g = {u8Cycles, ePower, u8Bandwidth, u16Samples, u16Freq};
    Sequences s;
    TX_SEQUENCE& q = seqSingle(s, PULSE_SIDE_IMAGING, g, u8CodeSideImaging(u16Freq),
                               (U8)(u8Bw(g) << 4 | u8Bw(g) << 2), RX_ENABLE_RECEIVERS_2_3);
    // The rotating transducer: beam 2 is driven from output 2, others from 4.
    vSetTxPulse(&q.TxPulse[0], u16Freq, u8Cycles, TXMODE_DMA, Beam == 2 ? 2 : 4, TRUE);
    vWrite(pMultiTxLE, s, FALSE, SHORT_TX_NONE, FALSE);
}
