// SLP attribute lists: "(tag=value,value),(tag=value),keyword".
//
// The reader is lenient where units differ in spelling (white space around
// items and values, as in "(a=1), (b=2)") and strict where a wrong reading
// would change meaning: a "(" without its ")" or a "(" inside an item refuses
// the whole list. Values keep their raw text for replies and get their "\HH"
// escapes undone for comparisons.
#pragma once

#include "kernel/l_types.h"

#include <string>
#include <string_view>
#include <vector>

typedef struct {
    std::string_view RawTag;                 // trimmed, as written
    std::string_view RawValue;               // between "=" and ")", trimmed; empty for a keyword
    std::vector<std::string_view> RawValues; // RawValue split at ",", each trimmed
    std::string Tag;                         // unescaped, white space folded
    std::vector<std::string> Values;         // unescaped, white space folded
    BOOLEAN bKeyword;
} SLP_ATTR;

// False when the list is malformed; pAttrs then holds nothing.
BOOLEAN SLP_ATTR_bParse(std::string_view List, std::vector<SLP_ATTR>* pAttrs);
// The attribute whose tag equals Tag (case and outer white space ignored).
const SLP_ATTR* SLP_ATTR_pFind(const std::vector<SLP_ATTR>& Attrs, std::string_view Tag);
// The attributes named by a tag list ("a,b*"; empty = all) of one or more
// lists, values of equal tags merged, in first-seen order, as one list.
std::string SLP_ATTR_Select(const std::vector<std::string_view>& Lists, std::string_view TagList);
