// The simulated sonar coprocessor: the stand-in for /dev/sonar0 on a
// workstation, served in process behind the coprocessor device calls or by a
// test peer over a SEQPACKET socket.
//
// It behaves as the unit expects of the real one: a 247-byte write of the
// transmit block starts pinging its sequences, and each read returns the
// received block of the next sequence in turn (wrapping after the last):
// a 4-byte prefix (the ping count), the 41 bytes of the sequence as written,
// then (noise + return samples) frames of three bytes, one per receiver.
// Before the first accepted write a read returns 0 (no data); a write of
// any other size, or one whose sequence count is not 1 to 6, is refused
// (-1, EINVAL) and leaves the sequences pinged before.
//
// The samples come from a scene:
// - a receiver that the sequence does not enable records silence (0);
// - an enabled receiver hears the noise floor; when a transducer is
//   connected and some pulse of the sequence transmits, it also hears the
//   transmit ring-down at the start of the returns, the bottom echo at the
//   bottom's sample index with its multiples at two and three times it, and
//   the fish echoes at theirs. Sample indices follow the unit's rule at
//   1463 m/s: (trunc(metres x 2000000 / 1463) + 13) / 26.
//
// The scene file (text, read again whenever it changes) holds lines of
// "key value"; '#' starts a comment:
//   connected 1        transducer connected (0 or 1)
//   bottom 8.0         bottom depth in metres (0: no bottom)
//   noise 12           noise floor level, 0-100
//   fish 3.5 120       a fish at 3.5 m with echo level 120 (1-255), up to 8
// A missing file gives the default scene (connected, bottom at 8 m, noise 12,
// three fish); a line that does not parse is skipped with a log line and the
// defaults stand for what it would have set. The first "fish" line replaces
// the default fish; "fish 0 0" alone clears them.
#pragma once

#include "kernel/l_types.h"

constexpr U32 SIM_COPROC_MAX_FISH = 8;
constexpr U32 SIM_COPROC_SPEED_OF_SOUND = 1463; // metres per second

typedef struct tag_SIM_COPROC_FISH {
    float fDepthMetres;
    U8 u8Level;
} SIM_COPROC_FISH;

typedef struct tag_SIM_COPROC_SCENE {
    BOOLEAN bConnected;
    float fBottomMetres;
    U8 u8Noise;
    U32 u32Fish;
    SIM_COPROC_FISH aFish[SIM_COPROC_MAX_FISH];
} SIM_COPROC_SCENE;

// The default scene.
void SIM_COPROC_vDefaultScene(SIM_COPROC_SCENE* pScene);
// Parses a scene text over the defaults; the count of lines skipped.
U32 SIM_COPROC_u32ParseScene(const char* pcText, SIM_COPROC_SCENE* pScene);
// Sample index of a depth in metres at the simulated speed of sound.
U32 SIM_COPROC_u32SampleIndex(float fMetres);

// Starts the device afresh with the scene file at a host path (null: the
// default scene): no sequences, ping count 0.
void SIM_COPROC_vOpen(const char* pcScenePath);
// One write of the transmit block; 247 or -1.
S32 SIM_COPROC_s32Write(const U8* pau8Data, U32 u32Bytes);
// One read: the next received block, cut to u32Bytes as a datagram is; 0
// before the first accepted write.
S32 SIM_COPROC_s32Read(U8* pau8Data, U32 u32Bytes);

// Tests only: the transmit blocks accepted since the device was opened; the
// last of them (247 bytes) into pau8LastBlock when it is not null.
U32 SIM_COPROC_u32WritesForTests(U8* pau8LastBlock);
