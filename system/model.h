// The unit's model and what follows from it.
//
// The model number is the persisted "SMDL"; each query reads it afresh and
// tests the capability flags of the model's row. A unit whose "SMDL" was
// never written answers as MODEL_DEFAULT; a model number without a row has
// no flags, and so counts as domestic.
#pragma once

#include "kernel/l_types.h"

typedef enum tag_MODEL_NUMBER : U32 {
    MODEL_DOMESTIC = 409,
    MODEL_DEFAULT = 410,
    MODEL_UNKNOWN = 517,
} MODEL_NUMBER;

// One row of the capability table.
typedef struct tag_MODEL_FEATURES {
    U32 eModel;
    U32 support_flags;
    const char* sModelText;
} MODEL_FEATURES;

// Capability flags.
constexpr U32 MODEL_FLAG_INTERNATIONAL_1 = 1u << 0; // language set chosen by "SIMT"
constexpr U32 MODEL_FLAG_INTERNATIONAL_2 = 1u << 1;
constexpr U32 MODEL_FLAG_INTERNATIONAL_3 = 1u << 2;
constexpr U32 MODEL_FLAG_INTERNATIONAL_4 = 1u << 3;
constexpr U32 MODEL_FLAG_DISPLAY_160X240 = 1u << 8;
constexpr U32 MODEL_FLAG_DISPLAY_240X240 = 1u << 9;
constexpr U32 MODEL_FLAG_DISPLAY_240X320 = 1u << 10;
constexpr U32 MODEL_FLAG_COLOR = 1u << 19;
constexpr U32 MODEL_FLAG_CARTOGRAPHY = 1u << 22;
constexpr U32 MODEL_FLAG_FISH_FINDER_SERIES = 1u << 24;
constexpr U32 MODEL_FLAG_DOWN_IMAGING = 1u << 25;

// "SIMT" (1 when never written) picks the language set of a model with
// flag 0: 1 the 22-language set, 2 the 3-language set.
BOOLEAN MODEL_bInternationalModel1(void);
BOOLEAN MODEL_bInternationalModel2(void);
BOOLEAN MODEL_bInternationalModel3(void);
BOOLEAN MODEL_bInternationalModel4(void);
// None of the four international flags.
BOOLEAN MODEL_bDomesticModel(void);
BOOLEAN MODEL_bFishFinderSeries(void);
BOOLEAN MODEL_bDisplay160x240(void);
BOOLEAN MODEL_bDisplay240x240(void);
BOOLEAN MODEL_bDisplay240x320(void);
BOOLEAN MODEL_bIsKeelview(void);
BOOLEAN MODEL_bIsColor(void);
BOOLEAN MODEL_bSupportsCartography(void);

// TRUE for the models this software supports (MODEL_DOMESTIC and
// MODEL_DEFAULT); it stores nothing.
BOOLEAN MODEL_bRegisterModel(U32 u32Model);
