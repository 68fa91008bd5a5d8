// Transmit sequences for the sonar coprocessor.
//
// Before each ping the ping task writes one MULTI_TX block: up to six
// transmit sequences, each with up to three transmit pulses and the receiver
// settings of the listening period after them. The coprocessor echoes the
// sequence it ran at the head of each received block, so the same layout
// serves both directions. The layouts, little-endian and without padding:
//
//   TX_PULSE (7 bytes)     0 u16TxFreq (kHz)  2 u8TxCycles  3 eTxMode
//                          4 u8TxOutput  5 u8DutyCycle  6 u8Delay
//   TX_SEQUENCE (41 bytes) 0, 7, 14 the three pulses  21 eTxPower0 (4 bytes)
//                          25 eTxPower1 (4 bytes)  29 u8Tx0Level
//                          30 u8Tx1Level  31 u8PingRate  32 u8SampleRate
//                          33 u16Samples  35 u16NoiseSamples  37 bRxFrequency
//                          38 bBandwidth  39 bRxEnable  40 bTxFail
//   MULTI_TX (247 bytes)   six sequences at 0, 41, ... 205; 246 the count
//
// Every builder takes the cleared 247-byte block first and writes the
// sequences it makes and the count; the level bytes, bTxFail and the
// sequences beyond the count keep what the caller left there. Argument
// groups come one per beam in the order of the words of the builder's name,
// each as cycles, power, bandwidth, samples, frequency (kHz), except the two
// 200kHzParLF builders, which take cycles, bandwidth, samples, frequency,
// power. Bandwidths are masked to two bits; nothing else is checked.
#pragma once

#include "kernel/l_types.h"
#include "platform/h_recselect.h"
#include "platform/h_xmitpower.h"

#include <atomic>

constexpr U32 TX_PULSE_BYTES = 7;
constexpr U32 TX_SEQUENCE_BYTES = 41;
constexpr U32 MULTI_TX_BYTES = 247;
constexpr U32 MULTI_TX_MAX_SEQUENCES = 6;
constexpr U32 MULTI_TX_COUNT_OFFSET = 246;
constexpr U32 TX_PULSES = 3;

typedef enum tag_TXMODE : U8 { TXMODE_TIMER = 1, TXMODE_DMA = 2, TXMODE_NONE = 3 } TXMODE;

typedef enum tag_RXFREQ : U8 {
    RXFREQ_UNUSED = 0,
    RXFREQ_50KHZ = 1,
    RXFREQ_83KHZ = 2,
    RXFREQ_200KHZ = 3,
    RXFREQ_260KHZ = 4,
    RXFREQ_455KHZ = 5,
    RXFREQ_800KHZ = 6
} RXFREQ;

typedef struct tag_TX_PULSE {
    U16 u16TxFreq;
    U8 u8TxCycles;
    TXMODE eTxMode;
    U8 u8TxOutput;
    U8 u8DutyCycle;
    U8 u8Delay;
} TX_PULSE;

typedef struct tag_TX_SEQUENCE {
    TX_PULSE TxPulse[TX_PULSES];
    // TXPOWER values; held as read, since an echo may carry any four bytes.
    U32 eTxPower0;
    U32 eTxPower1;
    U8 u8Tx0Level;
    U8 u8Tx1Level;
    U8 u8PingRate;
    U8 u8SampleRate;
    U16 u16Samples;
    U16 u16NoiseSamples;
    U8 bRxFrequency;
    U8 bBandwidth;
    U8 bRxEnable;
    BOOLEAN bTxFail;
} TX_SEQUENCE;

typedef struct tag_MULTI_TX {
    TX_SEQUENCE MultiSonar[MULTI_TX_MAX_SEQUENCES];
    U8 u8NumberOfSequences;
} MULTI_TX;

// The speed of sound in water in metres per second: 1463, or 1500 while
// the history task's setting asks for it. Written by the history task, read
// by the ping and processing tasks.
extern std::atomic<U32> g_u32SpeedOfSoundInWater;
// The speed, or u32Fallback while it is 0.
inline U32 S_COPROC_u32SpeedOfSound(U32 u32Fallback)
{
    const U32 u32 = g_u32SpeedOfSoundInWater.load();
    return u32 != 0 ? u32 : u32Fallback;
}

// Codecs, field by field.
void S_COPROC_vEncodeTxPulse(const TX_PULSE* pPulse, U8* pau8Out);
void S_COPROC_vDecodeTxPulse(const U8* pau8In, TX_PULSE* pPulse);
void S_COPROC_vEncodeTxSequence(const TX_SEQUENCE* pSequence, U8* pau8Out);
void S_COPROC_vDecodeTxSequence(const U8* pau8In, TX_SEQUENCE* pSequence);
void S_COPROC_vEncodeMultiTx(const MULTI_TX* pMultiTx, U8* pau8Out);
void S_COPROC_vDecodeMultiTx(const U8* pau8In, MULTI_TX* pMultiTx);

// Copies one sequence; nothing to swap, as the unit and the coprocessor are
// both little-endian. Nothing happens when source and destination are one.
void S_COPROC_vCopyAndConvertEndianTxSequence(const TX_SEQUENCE* pSrc, TX_SEQUENCE* pDest);
// Receiver frequency code of three receivers.
U8 S_COPROC_u8SetRxFrequencies(RXFREQ eR3Freq, RXFREQ eR2Freq, RXFREQ eR1Freq);

// Builders. bNoTransmit: the main sequences' pulses do not transmit (the
// receivers still record). bEnableShortTransmit: a 400 kHz one-cycle
// sequence listening to 20 m follows the main ones and always transmits.
void S_COPROC_vBuildTxSequenceForSingleDown(U8* pMultiTxLE, U8 u8Cycles, TXPOWER ePower, U8 u8Bandwidth,
                                            U16 u16Samples, U16 u16Freq, U8 u8Receiver, BOOLEAN bNoTransmit,
                                            U8 u8BBTxPower);
void S_COPROC_vBuildTxSequenceForSingleDownAltShortTransmit(U8* pMultiTxLE, U8 u8Cycles, TXPOWER ePower,
                                                            U8 u8Bandwidth, U16 u16Samples, U16 u16Freq,
                                                            U8 u8Receiver, BOOLEAN bNoTransmit, U8 u8BBTxPower,
                                                            BOOLEAN bEnableShortTransmit);
void S_COPROC_vBuildTxSequenceForShortTransmit(U8* pMultiTxLE, U8 u8Cycles, TXPOWER ePower, U8 u8Bandwidth,
                                               U16 u16Samples, U16 u16Freq);
void S_COPROC_vBuildTxSequenceForKVSonarTest(U8* pMultiTxLE, U8 u8Cycles, TXPOWER ePower, U8 u8Bandwidth,
                                             U16 u16Samples, U16 u16Freq, U8 u8Receiver, BOOLEAN bNoTransmit,
                                             U8 u8TxOutput);
void S_COPROC_vBuildTxSequence200kHz(U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200, U8 u8Bandwidth200,
                                     U16 u16Samples200, U16 u16Freq200, BOOLEAN bNoTransmit);
void S_COPROC_vBuildTxSequence200kHzAltShortTransmit(U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200,
                                                     U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
                                                     BOOLEAN bNoTransmit, BOOLEAN bEnableShortTransmit);
void S_COPROC_vBuildTxSequence200kHzParLF(U8* pMultiTxLE, U8 u8Cycles200, U8 u8Bandwidth200, U16 u16Samples200,
                                          U16 u16Freq200, TXPOWER ePower200, U8 u8CyclesLF, U8 u8BandwidthLF,
                                          U16 u16SamplesLF, U16 u16FreqLF, TXPOWER ePowerLF, BOOLEAN bNoTransmit,
                                          U8 u8BBTxPower);
void S_COPROC_vBuildTxSequence200kHzParLFAltShortTransmit(U8* pMultiTxLE, U8 u8Cycles200, U8 u8Bandwidth200,
                                                          U16 u16Samples200, U16 u16Freq200, TXPOWER ePower200,
                                                          U8 u8CyclesLF, U8 u8BandwidthLF, U16 u16SamplesLF,
                                                          U16 u16FreqLF, TXPOWER ePowerLF, BOOLEAN bNoTransmit,
                                                          U8 u8BBTxPower, BOOLEAN bEnableShortTransmit);
void S_COPROC_vBuildTxSequence200kHzAltLFAltShortTransmit(U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200,
                                                          U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
                                                          U8 u8CyclesLF, TXPOWER ePowerLF, U8 u8BandwidthLF,
                                                          U16 u16SamplesLF, U16 u16FreqLF, BOOLEAN bNoTransmit,
                                                          U8 u8BBTxPower, BOOLEAN bEnableShortTransmit);
void S_COPROC_vBuildTxSequence200kHzAltLFAltShortTx(U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200,
                                                    U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
                                                    U8 u8CyclesLF, TXPOWER ePowerLF, U8 u8BandwidthLF,
                                                    U16 u16SamplesLF, U16 u16FreqLF, BOOLEAN bNoTransmit,
                                                    BOOLEAN bEnableShortTransmit);
void S_COPROC_vBuildTxSequence200kHzAltDownLookingPing(U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200,
                                                       U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
                                                       U8 u8Cycles455, TXPOWER ePower455, U8 u8Bandwidth455,
                                                       U16 u16Samples455, U16 u16Freq455, BOOLEAN bNoTransmit);
void S_COPROC_vBuildTxSequence200kHzParKVFrequency(U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200,
                                                   U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
                                                   U8 u8CyclesKV, TXPOWER ePowerKV, U8 u8BandwidthKV,
                                                   U16 u16SamplesKV, U16 u16FreqKV, BOOLEAN bNoTransmit);
void S_COPROC_vBuildTxSequence200kHzAlt455kHzParKVFrequency(
    U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200, U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
    U8 u8Cycles455, TXPOWER ePower455, U8 u8Bandwidth455, U16 u16Samples455, U16 u16Freq455, U8 u8CyclesKV,
    TXPOWER ePowerKV, U8 u8BandwidthKV, U16 u16SamplesKV, U16 u16FreqKV, BOOLEAN bNoTransmit);
void S_COPROC_vBuildTxSequence200kHzAlt83And50kHzParKVFrequency(
    U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200, U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
    U8 u8CyclesLF, TXPOWER ePowerLF, U8 u8BandwidthLF, U16 u16SamplesLF, U16 u16FreqLF, U8 u8CyclesKV,
    TXPOWER ePowerKV, U8 u8BandwidthKV, U16 u16SamplesKV, U16 u16FreqKV, BOOLEAN bNoTransmit);
void S_COPROC_vBuildTxSequence200kHzParHighFrequency(U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200,
                                                     U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
                                                     U8 u8CyclesHF, TXPOWER ePowerHF, U8 u8BandwidthHF,
                                                     U16 u16SamplesHF, U16 u16FreqHF, BOOLEAN bNoTransmit);
void S_COPROC_vBuildTxSequence200kHzParHighFrequencyAltShortTransmit(
    U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200, U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
    U8 u8CyclesHF, TXPOWER ePowerHF, U8 u8BandwidthHF, U16 u16SamplesHF, U16 u16FreqHF, BOOLEAN bNoTransmit,
    BOOLEAN bEnableShortTransmit);
void S_COPROC_vBuildTxSequence200kHzAltLFParHighFrequency(
    U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200, U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
    U8 u8CyclesLF, TXPOWER ePowerLF, U8 u8BandwidthLF, U16 u16SamplesLF, U16 u16FreqLF, U8 u8CyclesHF,
    TXPOWER ePowerHF, U8 u8BandwidthHF, U16 u16SamplesHF, U16 u16FreqHF, BOOLEAN bNoTransmit);
void S_COPROC_vBuildTxSequence200kHzAltLFParHighFrequencyAltShortTx(
    U8* pMultiTxLE, U8 u8Cycles200, TXPOWER ePower200, U8 u8Bandwidth200, U16 u16Samples200, U16 u16Freq200,
    U8 u8CyclesLF, TXPOWER ePowerLF, U8 u8BandwidthLF, U16 u16SamplesLF, U16 u16FreqLF, U8 u8CyclesHF,
    TXPOWER ePowerHF, U8 u8BandwidthHF, U16 u16SamplesHF, U16 u16FreqHF, BOOLEAN bNoTransmit,
    BOOLEAN bEnableShortTransmit);
void S_COPROC_vBuildSingleBeamKVPing(U8* pMultiTxLE, BEAM Beam, U8 u8Cycles, TXPOWER ePower, U8 u8Bandwidth,
                                     U16 u16Samples, U16 u16Freq, BOOLEAN bNoTransmit);
void S_COPROC_vBuildSingleBeamSSPing455kHzLR(U8* pMultiTxLE, BEAM Beam, U8 u8Cycles, TXPOWER ePower,
                                             U8 u8Bandwidth, U16 u16Samples, U16 u16Freq, BOOLEAN bNoTransmit);
void S_COPROC_vBuildSingleBeamMSSPing455kHzLR(U8* pMultiTxLE, BEAM Beam, U8 u8Cycles, TXPOWER ePower,
                                              U8 u8Bandwidth, U16 u16Samples, U16 u16Freq);
