// Attribute-list reader and the attribute selection of attribute requests.
#include "slp/slp_attr.h"

#include "slp/slp_text.h"

namespace {

void splitValues(SLP_ATTR* a)
{
    std::string_view rest = a->RawValue;
    while (true) {
        size_t comma = rest.find(',');
        std::string_view v = SLP_TEXT_Trim(rest.substr(0, comma));
        a->RawValues.push_back(v);
        a->Values.push_back(SLP_TEXT_Fold(SLP_TEXT_Unescape(v)));
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
}

bool parseItem(std::string_view Item, bool bParens, SLP_ATTR* a)
{
    *a = SLP_ATTR{};
    if (!bParens) {
        a->RawTag = SLP_TEXT_Trim(Item);
        a->bKeyword = TRUE;
    } else {
        size_t eq = Item.find('=');
        a->RawTag = SLP_TEXT_Trim(Item.substr(0, eq));
        if (eq == std::string_view::npos) {
            a->bKeyword = TRUE;
        } else {
            a->RawValue = SLP_TEXT_Trim(Item.substr(eq + 1));
            splitValues(a);
        }
    }
    if (a->RawTag.empty())
        return false;
    a->Tag = SLP_TEXT_Fold(SLP_TEXT_Unescape(a->RawTag));
    return true;
}

} // namespace

BOOLEAN SLP_ATTR_bParse(std::string_view List, std::vector<SLP_ATTR>* pAttrs)
{
    pAttrs->clear();
    size_t i = 0;
    while (true) {
        while (i < List.size() && (List[i] == ' ' || List[i] == '\t' || List[i] == '\r' || List[i] == '\n'))
            i++;
        if (i == List.size())
            return TRUE;
        SLP_ATTR a;
        if (List[i] == '(') {
            size_t close = List.find(')', i + 1);
            size_t open = List.find('(', i + 1);
            if (close == std::string_view::npos || (open != std::string_view::npos && open < close) ||
                !parseItem(List.substr(i + 1, close - i - 1), true, &a)) {
                pAttrs->clear();
                return FALSE;
            }
            i = close + 1;
        } else {
            size_t end = List.find_first_of(",()", i);
            if (end != std::string_view::npos && List[end] != ',') {
                pAttrs->clear();
                return FALSE;
            }
            if (end == std::string_view::npos)
                end = List.size();
            if (!parseItem(List.substr(i, end - i), false, &a)) {
                pAttrs->clear();
                return FALSE;
            }
            i = end;
        }
        pAttrs->push_back(std::move(a));
        while (i < List.size() && (List[i] == ' ' || List[i] == '\t' || List[i] == '\r' || List[i] == '\n'))
            i++;
        if (i == List.size())
            return TRUE;
        if (List[i] != ',') {
            pAttrs->clear();
            return FALSE;
        }
        i++;
    }
}

const SLP_ATTR* SLP_ATTR_pFind(const std::vector<SLP_ATTR>& Attrs, std::string_view Tag)
{
    std::string want = SLP_TEXT_Fold(SLP_TEXT_Unescape(Tag));
    for (const SLP_ATTR& a : Attrs)
        if (SLP_TEXT_bEqualNoCase(a.Tag, want))
            return &a;
    return nullptr;
}

std::string SLP_ATTR_Select(const std::vector<std::string_view>& Lists, std::string_view TagList)
{
    struct Merged {
        std::string_view RawTag;
        std::string Tag;
        bool bKeyword;
        std::vector<std::string_view> RawValues;
    };
    std::vector<std::string_view> patterns = SLP_TEXT_Split(TagList);
    std::vector<Merged> merged;
    std::vector<SLP_ATTR> attrs;
    for (std::string_view list : Lists) {
        if (!SLP_ATTR_bParse(list, &attrs))
            continue;
        for (const SLP_ATTR& a : attrs) {
            bool wanted = patterns.empty();
            for (std::string_view p : patterns)
                wanted = wanted || SLP_TEXT_bWildcardMatch(SLP_TEXT_Fold(p), a.Tag);
            if (!wanted)
                continue;
            Merged* m = nullptr;
            for (Merged& x : merged)
                if (SLP_TEXT_bEqualNoCase(x.Tag, a.Tag))
                    m = &x;
            if (m == nullptr) {
                merged.push_back(Merged{a.RawTag, a.Tag, a.bKeyword != 0, {}});
                m = &merged.back();
            }
            for (std::string_view v : a.RawValues) {
                bool seen = false;
                for (std::string_view have : m->RawValues)
                    seen = seen || have == v;
                if (!seen)
                    m->RawValues.push_back(v);
            }
        }
    }
    std::string out;
    for (const Merged& m : merged) {
        if (!out.empty())
            out += ',';
        if (m.bKeyword && m.RawValues.empty()) {
            out += m.RawTag;
            continue;
        }
        out += '(';
        out += m.RawTag;
        out += '=';
        for (size_t i = 0; i < m.RawValues.size(); i++) {
            if (i != 0)
                out += ',';
            out += m.RawValues[i];
        }
        out += ')';
    }
    return out;
}
