// The network forms of a ping and the payloads of the sonar service
// (mailbox 8, TCP 50688).
//
// A ping travels in two forms. The multicast form is what a server sends:
// the 276-byte descriptor image followed by u32NumberOfSamples sample bytes,
// one raw message with no GMSG header. The serialized form is the GMSG
// payload DT_PING_DESCRIPTOR: a structure of version 1 with 23 members, the
// samples as a dynamic array and the gain-corrected buffer and the fish
// list left out. Both are little-endian and written field by field here.
//
// Received forms are checked before anything is kept: a form shorter than
// what it announces is refused (and counted); a ping announcing more samples
// than a descriptor holds keeps only the first PING_MAX_SAMPLES.
#pragma once

#include "gmsg/datatype.h"
#include "kernel/l_types.h"
#include "sonar/dsp/s_types.h"
#include "store/h_dbtypes.h"

// ---- The multicast form ----

constexpr U32 PING_IMAGE_BYTES = 276;

// Offsets inside the image.
constexpr U32 PING_IMAGE_OFS_BEAM = 0;
constexpr U32 PING_IMAGE_OFS_ADC_CHANNEL = 1;
constexpr U32 PING_IMAGE_OFS_TRANSMIT_CYCLES = 2;
constexpr U32 PING_IMAGE_OFS_TRANSMIT_POWER = 3;
constexpr U32 PING_IMAGE_OFS_SAMPLES = 4;
constexpr U32 PING_IMAGE_OFS_RAW_POINTER = 8;
constexpr U32 PING_IMAGE_OFS_TVGD_POINTER = 12;
constexpr U32 PING_IMAGE_OFS_SIMULATED = 16;
constexpr U32 PING_IMAGE_OFS_SAMPLE_PERIOD = 20;
constexpr U32 PING_IMAGE_OFS_BETWEEN_PINGS = 24;
constexpr U32 PING_IMAGE_OFS_BEFORE_NEXT_PING = 26;
constexpr U32 PING_IMAGE_OFS_FISH_LIST = 28;
constexpr U32 PING_IMAGE_FISH_TARGET_BYTES = 32;
constexpr U32 PING_IMAGE_OFS_POSITION_VALID = 224;
constexpr U32 PING_IMAGE_OFS_LONGITUDE = 228;
constexpr U32 PING_IMAGE_OFS_LATITUDE = 232;
constexpr U32 PING_IMAGE_OFS_DEPTH = 236;
constexpr U32 PING_IMAGE_OFS_DEPTH_OFFSET = 240;
constexpr U32 PING_IMAGE_OFS_NOISE = 244;
constexpr U32 PING_IMAGE_OFS_PEAK_NOISE = 245;
constexpr U32 PING_IMAGE_OFS_TRANSDUCER = 246;
constexpr U32 PING_IMAGE_OFS_FREQUENCY = 248;
constexpr U32 PING_IMAGE_OFS_TIME_STAMP = 252;
constexpr U32 PING_IMAGE_OFS_BANDWIDTH = 256;
constexpr U32 PING_IMAGE_OFS_PING_INDEX = 260;
constexpr U32 PING_IMAGE_OFS_REVERSE = 264;
constexpr U32 PING_IMAGE_OFS_PPI_POSITION = 268;
constexpr U32 PING_IMAGE_OFS_IS_LOCAL = 272;

static_assert(PING_IMAGE_OFS_FISH_LIST + 4 + FISH_TARGETS_PER_LIST * PING_IMAGE_FISH_TARGET_BYTES ==
              PING_IMAGE_OFS_POSITION_VALID);
static_assert(PING_IMAGE_OFS_IS_LOCAL + 4 == PING_IMAGE_BYTES);

// Writes the 276-byte image of a descriptor: pointers as 0, bIsLocal as 0.
void T_N_PING_CODEC_vEncodeImage(const PING_DESCRIPTOR* pDescriptor, U8* pu8Image);
// Reads an image into every field of the descriptor except the two buffer
// pointers and bIsLocal (cleared); the fish list is read too. The sample
// count is taken as it stands.
void T_N_PING_CODEC_vDecodeImage(const U8* pu8Image, PING_DESCRIPTOR* pDescriptor);

typedef enum tag_PING_CODEC_RESULT {
    PING_CODEC_OK = 0,
    PING_CODEC_CUT,   // more samples than a descriptor holds: the first PING_MAX_SAMPLES kept
    PING_CODEC_SHORT, // fewer bytes than the form announces: refused, nothing written
} PING_CODEC_RESULT;

// A received multicast ping into a descriptor whose raw buffer holds
// PING_MAX_SAMPLES bytes. On SHORT the descriptor is untouched.
PING_CODEC_RESULT T_N_PING_CODEC_eDecodeMulticast(const U8* pu8Message, U32 u32Length, PING_DESCRIPTOR* pDescriptor);

// ---- GMSG payloads of the sonar service ----

typedef struct tag_sonarRequestDataType {
    U32 registerFlag;   // non-zero register, 0 unregister
    U32 pingArrayLimit; // most samples per ping the client accepts
    U32 u32SonarSource; // NET_SOURCE_TYPE 0-3
} sonarRequestDataType;

typedef struct tag_controlChangeType {
    FOURCHARID fcid;
    U32 value;  // the key's raw 32-bit value
    U32 advise; // 0 a change to pass on, 1 a change to apply only
} controlChangeType;

typedef struct tag_sonarPingDepthType {
    float fActualDepthToListen; // metres
    float fActualDepthToPing;   // metres
} sonarPingDepthType;

typedef struct tag_sonarTransducerChangeType {
    U32 u32SupportedBeams;
    U32 u32TransducerId;
} sonarTransducerChangeType;

extern const G_DATA_TYPE DT_SONAR_REQUEST_DATA;
extern const G_DATA_TYPE DT_CONTROL_CHANGE;
extern const G_DATA_TYPE DT_SONAR_PING_DEPTH;
extern const G_DATA_TYPE DT_SONAR_TRANSDUCER_CHANGE;

// The serialized ping. In memory a PING_DESCRIPTOR whose pu8RawSonarData
// holds u32NumberOfSamples bytes; a received one owns that block (freed by
// the type's deallocator), its pu8TvgdData is null and its fish list empty.
extern const G_DATA_TYPE DT_PING_DESCRIPTOR;

// Bytes of the serialized form of a ping of n samples.
U32 T_N_PING_CODEC_u32SerializedBytes(U32 u32Samples);

// ---- Counts of refused and shortened pings since the process started ----

typedef struct tag_PING_CODEC_COUNTS {
    U32 u32ShortMulticast;  // multicast pings refused as short
    U32 u32ShortSerialized; // serialized pings refused as short or malformed
    U32 u32Cut;             // pings cut to PING_MAX_SAMPLES
} PING_CODEC_COUNTS;

PING_CODEC_COUNTS T_N_PING_CODEC_tCounts(void);
