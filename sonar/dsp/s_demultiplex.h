// Demultiplexing of the block received from the sonar coprocessor:
//
//   offset 0    4 bytes   prefix from the coprocessor (not interpreted)
//   offset 4    41 bytes  the TX_SEQUENCE that the coprocessor ran
//   offset 45   frames of three bytes, one sample per receiver channel:
//               first the noise samples recorded before transmission, then
//               the returns; sample k of channel c lies at 45 + 3k + c.
//
// Which beam a channel carries is the caller's knowledge: it sent the
// MULTI_TX and compares the echo with it. The extraction itself checks
// nothing; S_DEMULTIPLEX_bTakeReceivedBlock gives the counts that stay
// inside what one receive really delivered.
#pragma once

#include "kernel/l_types.h"
#include "sonar/dsp/s_coproc.h"

constexpr U32 S_DEMULTIPLEX_PREFIX_BYTES = 4;
constexpr U32 S_DEMULTIPLEX_HEAD_BYTES = S_DEMULTIPLEX_PREFIX_BYTES + TX_SEQUENCE_BYTES; // 45
constexpr U32 S_DEMULTIPLEX_CHANNELS = 3;

// Decodes the echoed sequence and points at the first frame; always TRUE.
BOOLEAN S_DEMULTIPLEX_bExtractTxSequence(const U8* pau8ReceivedCoprocData, TX_SEQUENCE* pTxSequence,
                                         const U8** ppau8StartOfData);
// Copies channel u8Channel (0-2): the first u16NoiseSamples frames into
// pau8Noise, the next u16RxSamples frames into pau8SonarData. A null buffer
// or a zero count skips that part; the returns always start after the noise
// frames.
void S_DEMULTIPLEX_vGetExtractRxData(const U8* pau8StartOfData, U8 u8Channel, U16 u16NoiseSamples,
                                     U16 u16RxSamples, U8* pau8Noise, U8* pau8SonarData);
// The checked start of a caller's work on one receive of u32ReceivedBytes
// (as the transfer returned it): FALSE, touching no output, when the
// receive failed or is shorter than the block head: no data, never a ping.
// Otherwise decodes the echo, points at the first frame and gives the counts
// to extract: the echoed ones, limited to the caller's buffers of
// u16MaxNoise and u16MaxReturns samples and to the whole frames the receive
// carried.
BOOLEAN S_DEMULTIPLEX_bTakeReceivedBlock(const U8* pau8ReceivedCoprocData, U32 u32ReceivedBytes, U16 u16MaxNoise,
                                         U16 u16MaxReturns, TX_SEQUENCE* pEcho, const U8** ppau8StartOfData,
                                         U16* pu16Noise, U16* pu16Returns);

// Tests only: TRUE keeps the de-interleave to its portable form, so that
// both forms can be checked on a processor that has the wide one.
void S_DEMULTIPLEX_vNarrowCopyForTests(BOOLEAN bNarrowOnly);
