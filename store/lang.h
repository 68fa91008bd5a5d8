// The user-interface language: every text the user reads is a table of one
// string per language, and "SLNG" holds the index of the language shown.
// The query reads the key in the caller's thread on every call, so a
// change of language shows in the next frame drawn.
#pragma once

#include "kernel/l_types.h"
#include "store/h_dbtypes.h"

// A user-interface text: one string per language, indexed by nCurrentLanguage().
typedef const char* const TEXT_TABLE[DB_NUM_LANGUAGES];

// "SLNG" when it is written, valid and at most 21; otherwise 0 (English),
// so a damaged setting can never index past a text table.
U32 nCurrentLanguage(void);
