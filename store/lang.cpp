// The current language (see the header).
#include "store/lang.h"

#include "store/h_database.h"

U32 nCurrentLanguage(void)
{
    U32 u32Language = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(FCID("SLNG"), &u32Language, &bValid, nullptr) || !bValid ||
        u32Language >= (U32)DB_NUM_LANGUAGES)
        return 0;
    return u32Language;
}
