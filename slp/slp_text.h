// Text rules shared by the SLP modules: comparisons that ignore case (SLP
// tags, types, scopes and string values compare without case), white-space
// folding, comma-separated lists and the "*" wildcard of tag lists and
// filters.
#pragma once

#include "kernel/l_types.h"

#include <string>
#include <string_view>
#include <vector>

BOOLEAN SLP_TEXT_bEqualNoCase(std::string_view A, std::string_view B);
// Negative, zero or positive as A sorts before, with or after B, ignoring case.
int SLP_TEXT_nCompareNoCase(std::string_view A, std::string_view B);
BOOLEAN SLP_TEXT_bStartsNoCase(std::string_view Text, std::string_view Prefix);
std::string_view SLP_TEXT_Trim(std::string_view Text);
// Leading and trailing white space removed, inner runs made one space.
std::string SLP_TEXT_Fold(std::string_view Text);
// Items of a comma-separated list, each trimmed; empty items are dropped.
std::vector<std::string_view> SLP_TEXT_Split(std::string_view List);
BOOLEAN SLP_TEXT_bListContains(std::string_view List, std::string_view Item);
BOOLEAN SLP_TEXT_bListsIntersect(std::string_view A, std::string_view B);
// Pattern with "*" standing for any run of characters, compared without case.
BOOLEAN SLP_TEXT_bWildcardMatch(std::string_view Pattern, std::string_view Text);
// "\HH" escapes undone; a backslash not followed by two hex digits stays.
std::string SLP_TEXT_Unescape(std::string_view Text);
