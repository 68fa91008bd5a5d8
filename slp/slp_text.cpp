// Text helpers of the SLP library. Everything here works on bytes: SLP
// strings are UTF-8, and folding case only for ASCII letters keeps the
// comparisons byte-exact for everything else.
#include "slp/slp_text.h"

namespace {

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = lower(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

BOOLEAN SLP_TEXT_bEqualNoCase(std::string_view A, std::string_view B)
{
    return SLP_TEXT_nCompareNoCase(A, B) == 0;
}

int SLP_TEXT_nCompareNoCase(std::string_view A, std::string_view B)
{
    size_t n = A.size() < B.size() ? A.size() : B.size();
    for (size_t i = 0; i < n; i++) {
        unsigned char a = (unsigned char)lower(A[i]);
        unsigned char b = (unsigned char)lower(B[i]);
        if (a != b)
            return a < b ? -1 : 1;
    }
    if (A.size() == B.size())
        return 0;
    return A.size() < B.size() ? -1 : 1;
}

BOOLEAN SLP_TEXT_bStartsNoCase(std::string_view Text, std::string_view Prefix)
{
    return Text.size() >= Prefix.size() && SLP_TEXT_bEqualNoCase(Text.substr(0, Prefix.size()), Prefix);
}

std::string_view SLP_TEXT_Trim(std::string_view Text)
{
    while (!Text.empty() && isSpace(Text.front()))
        Text.remove_prefix(1);
    while (!Text.empty() && isSpace(Text.back()))
        Text.remove_suffix(1);
    return Text;
}

std::string SLP_TEXT_Fold(std::string_view Text)
{
    std::string out;
    bool pendingSpace = false;
    for (char c : SLP_TEXT_Trim(Text)) {
        if (isSpace(c)) {
            pendingSpace = true;
            continue;
        }
        if (pendingSpace)
            out.push_back(' ');
        pendingSpace = false;
        out.push_back(c);
    }
    return out;
}

std::vector<std::string_view> SLP_TEXT_Split(std::string_view List)
{
    std::vector<std::string_view> items;
    while (true) {
        size_t comma = List.find(',');
        std::string_view item = SLP_TEXT_Trim(List.substr(0, comma));
        if (!item.empty())
            items.push_back(item);
        if (comma == std::string_view::npos)
            break;
        List.remove_prefix(comma + 1);
    }
    return items;
}

BOOLEAN SLP_TEXT_bListContains(std::string_view List, std::string_view Item)
{
    Item = SLP_TEXT_Trim(Item);
    for (std::string_view x : SLP_TEXT_Split(List))
        if (SLP_TEXT_bEqualNoCase(x, Item))
            return TRUE;
    return FALSE;
}

BOOLEAN SLP_TEXT_bListsIntersect(std::string_view A, std::string_view B)
{
    for (std::string_view x : SLP_TEXT_Split(A))
        if (SLP_TEXT_bListContains(B, x))
            return TRUE;
    return FALSE;
}

BOOLEAN SLP_TEXT_bWildcardMatch(std::string_view Pattern, std::string_view Text)
{
    // Iterative matcher with one back-tracking point: linear in practice and
    // never recursive, whatever a peer puts into a tag list.
    size_t p = 0, t = 0;
    size_t starP = std::string_view::npos, starT = 0;
    while (t < Text.size()) {
        if (p < Pattern.size() && Pattern[p] == '*') {
            starP = p++;
            starT = t;
        } else if (p < Pattern.size() && lower(Pattern[p]) == lower(Text[t])) {
            p++;
            t++;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return FALSE;
        }
    }
    while (p < Pattern.size() && Pattern[p] == '*')
        p++;
    return p == Pattern.size();
}

std::string SLP_TEXT_Unescape(std::string_view Text)
{
    std::string out;
    out.reserve(Text.size());
    for (size_t i = 0; i < Text.size(); i++) {
        if (Text[i] == '\\' && i + 2 < Text.size()) {
            int hi = hexValue(Text[i + 1]);
            int lo = hexValue(Text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.push_back((char)(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        out.push_back(Text[i]);
    }
    return out;
}
