// Base64 text (RFC 4648 standard alphabet, '=' padding). Results are new
// malloc blocks that the caller frees. The decoder does not validate its
// input: callers check it with BASE64_bIsBase64 first.
#pragma once

#include "kernel/l_types.h"

// NUL-terminated base64 of length bytes; null for a null or empty input.
char* BASE64_pcEncode(const U8* pData, int length);
// The decoded bytes and their count in *pLength; null (count 0) for a
// null text.
U8* BASE64_pu8Decode(const char* pText, int* pLength);
// TRUE for a text of whole four-character groups of the alphabet and '='
// in which no '=' stands before the last three places (the empty text
// included).
BOOLEAN BASE64_bIsBase64(const char* pText);
