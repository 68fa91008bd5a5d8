// The model queries (see the header).
#include "system/model.h"

#include "store/h_database.h"

namespace {

constexpr U32 LANGUAGE_SET_22 = 1;
constexpr U32 LANGUAGE_SET_3 = 2;

// The models of the range this software runs on.
const MODEL_FEATURES s_modelFeatures[] = {
    {MODEL_DOMESTIC, 0x22780050, "Domestic"},
    {MODEL_DEFAULT, 0x22780051, "International"},
};

U32 u32CurrentModel(void)
{
    U32 u32Model = MODEL_DEFAULT;
    if (!H_DATABASE_bFetchU32(FCID("SMDL"), &u32Model, nullptr, nullptr))
        return MODEL_DEFAULT;
    return u32Model;
}

U32 u32Flags(void)
{
    const U32 u32Model = u32CurrentModel();
    for (const MODEL_FEATURES& row : s_modelFeatures)
        if (row.eModel == u32Model)
            return row.support_flags;
    return 0;
}

BOOLEAN bFlag(U32 u32Flag) { return (u32Flags() & u32Flag) != 0 ? TRUE : FALSE; }

U32 u32LanguageSet(void)
{
    U32 u32Set = LANGUAGE_SET_22;
    H_DATABASE_bFetchU32(FCID("SIMT"), &u32Set, nullptr, nullptr);
    return u32Set;
}

} // namespace

BOOLEAN MODEL_bInternationalModel1(void)
{
    return bFlag(MODEL_FLAG_INTERNATIONAL_1) && u32LanguageSet() == LANGUAGE_SET_22;
}

BOOLEAN MODEL_bInternationalModel2(void)
{
    const U32 u32Set = u32Flags();
    return (u32Set & MODEL_FLAG_INTERNATIONAL_2) != 0 ||
           ((u32Set & MODEL_FLAG_INTERNATIONAL_1) != 0 && u32LanguageSet() == LANGUAGE_SET_3);
}

BOOLEAN MODEL_bInternationalModel3(void) { return bFlag(MODEL_FLAG_INTERNATIONAL_3); }
BOOLEAN MODEL_bInternationalModel4(void) { return bFlag(MODEL_FLAG_INTERNATIONAL_4); }

BOOLEAN MODEL_bDomesticModel(void)
{
    return bFlag(MODEL_FLAG_INTERNATIONAL_1 | MODEL_FLAG_INTERNATIONAL_2 | MODEL_FLAG_INTERNATIONAL_3 |
                 MODEL_FLAG_INTERNATIONAL_4)
               ? FALSE
               : TRUE;
}

BOOLEAN MODEL_bFishFinderSeries(void) { return bFlag(MODEL_FLAG_FISH_FINDER_SERIES); }
BOOLEAN MODEL_bDisplay160x240(void) { return bFlag(MODEL_FLAG_DISPLAY_160X240); }
BOOLEAN MODEL_bDisplay240x240(void) { return bFlag(MODEL_FLAG_DISPLAY_240X240); }
BOOLEAN MODEL_bDisplay240x320(void) { return bFlag(MODEL_FLAG_DISPLAY_240X320); }
BOOLEAN MODEL_bIsKeelview(void) { return bFlag(MODEL_FLAG_DOWN_IMAGING); }
BOOLEAN MODEL_bIsColor(void) { return bFlag(MODEL_FLAG_COLOR); }
BOOLEAN MODEL_bSupportsCartography(void) { return bFlag(MODEL_FLAG_CARTOGRAPHY); }

BOOLEAN MODEL_bRegisterModel(U32 u32Model)
{
    return u32Model == MODEL_DOMESTIC || u32Model == MODEL_DEFAULT ? TRUE : FALSE;
}
