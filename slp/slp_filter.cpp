// Filter compiler and matcher. Grammar, with white space allowed between the
// parts of a filter:
//   filter = "(" ( "&" filter+ / "|" filter+ / "!" filter / item ) ")"
//   item   = tag ( "=" / "~=" / ">=" / "<=" ) value
// A value ends at the first unescaped ")"; "(" must be escaped inside it.
#include "slp/slp_filter.h"

#include "slp/slp_text.h"

#include <cerrno>
#include <cstdlib>

namespace {

class Parser {
public:
    Parser(std::string_view text, SLP_FILTER* f) : s_(text), f_(f) {}

    bool parse()
    {
        skipSpace();
        if (filter(0) < 0)
            return false;
        skipSpace();
        return pos_ == s_.size();
    }

private:
    void skipSpace()
    {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' || s_[pos_] == '\n'))
            pos_++;
    }
    bool take(char c)
    {
        if (pos_ < s_.size() && s_[pos_] == c) {
            pos_++;
            return true;
        }
        return false;
    }

    // Appends a node and returns its index, or -1 on error.
    long filter(int depth)
    {
        if (depth >= SLP_FILTER_MAX_DEPTH || !take('('))
            return -1;
        skipSpace();
        size_t index = f_->Nodes.size();
        f_->Nodes.push_back(SLP_FILTER_NODE{});
        char c = pos_ < s_.size() ? s_[pos_] : '\0';
        if (c == '&' || c == '|' || c == '!') {
            pos_++;
            f_->Nodes[index].eOp = c == '&' ? SLP_FOP_AND : c == '|' ? SLP_FOP_OR : SLP_FOP_NOT;
            skipSpace();
            while (pos_ < s_.size() && s_[pos_] == '(') {
                long child = filter(depth + 1);
                if (child < 0)
                    return -1;
                f_->Nodes[index].Children.push_back((size_t)child);
                skipSpace();
            }
            size_t n = f_->Nodes[index].Children.size();
            if (n == 0 || (c == '!' && n != 1))
                return -1;
        } else if (!item(index)) {
            return -1;
        }
        skipSpace();
        if (!take(')'))
            return -1;
        return (long)index;
    }

    bool item(size_t index)
    {
        size_t start = pos_;
        while (pos_ < s_.size() && s_[pos_] != '=' && s_[pos_] != '~' && s_[pos_] != '<' &&
               s_[pos_] != '>' && s_[pos_] != '(' && s_[pos_] != ')')
            pos_++;
        std::string tag = SLP_TEXT_Fold(SLP_TEXT_Unescape(s_.substr(start, pos_ - start)));
        if (tag.empty() || pos_ >= s_.size())
            return false;
        SLP_FILTER_OP op;
        if (take('=')) {
            op = SLP_FOP_EQUAL;
        } else if (take('~') && take('=')) {
            op = SLP_FOP_APPROX;
        } else if (take('>') && take('=')) {
            op = SLP_FOP_GREATER;
        } else if (take('<') && take('=')) {
            op = SLP_FOP_LESS;
        } else {
            return false;
        }
        size_t vstart = pos_;
        while (pos_ < s_.size() && s_[pos_] != ')') {
            if (s_[pos_] == '(')
                return false;
            pos_++;
        }
        std::string_view value = s_.substr(vstart, pos_ - vstart);
        SLP_FILTER_NODE& n = f_->Nodes[index];
        n.eOp = op;
        n.Tag = tag;
        if (op == SLP_FOP_EQUAL && SLP_TEXT_Trim(value) == "*") {
            n.eOp = SLP_FOP_PRESENT;
            return true;
        }
        if (op == SLP_FOP_EQUAL || op == SLP_FOP_APPROX) {
            // Split at the raw "*" before undoing escapes, so "\2a" stays a star.
            while (true) {
                size_t star = value.find('*');
                n.Segments.push_back(SLP_TEXT_Fold(SLP_TEXT_Unescape(value.substr(0, star))));
                if (star == std::string_view::npos)
                    break;
                n.bWildcard = TRUE;
                value.remove_prefix(star + 1);
            }
        } else {
            n.Segments.push_back(SLP_TEXT_Fold(SLP_TEXT_Unescape(value)));
        }
        return true;
    }

    std::string_view s_;
    SLP_FILTER* f_;
    size_t pos_ = 0;
};

bool asInteger(const std::string& s, long long* v)
{
    if (s.empty())
        return false;
    size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i == s.size())
        return false;
    for (size_t k = i; k < s.size(); k++)
        if (s[k] < '0' || s[k] > '9')
            return false;
    errno = 0;
    *v = strtoll(s.c_str(), nullptr, 10);
    return errno == 0;
}

// Wildcard match of folded text against segments: the first segment anchors
// at the start, the last at the end, the others in order in between.
bool segmentsMatch(const std::vector<std::string>& seg, std::string_view text)
{
    const std::string& first = seg.front();
    if (!SLP_TEXT_bStartsNoCase(text, first))
        return false;
    text.remove_prefix(first.size());
    for (size_t i = 1; i + 1 < seg.size(); i++) {
        const std::string& mid = seg[i];
        size_t at = std::string_view::npos;
        for (size_t k = 0; k + mid.size() <= text.size(); k++) {
            if (SLP_TEXT_bEqualNoCase(text.substr(k, mid.size()), mid)) {
                at = k;
                break;
            }
        }
        if (at == std::string_view::npos)
            return false;
        text.remove_prefix(at + mid.size());
    }
    const std::string& last = seg.back();
    return text.size() >= last.size() &&
           SLP_TEXT_bEqualNoCase(text.substr(text.size() - last.size()), last);
}

bool compareValue(const SLP_FILTER_NODE& n, const std::string& value)
{
    if (n.bWildcard)
        return segmentsMatch(n.Segments, value);
    const std::string& want = n.Segments.front();
    long long a, b;
    bool numeric = asInteger(value, &a) && asInteger(want, &b);
    int cmp = numeric ? (a < b ? -1 : a > b ? 1 : 0) : SLP_TEXT_nCompareNoCase(value, want);
    switch (n.eOp) {
    case SLP_FOP_GREATER:
        return cmp >= 0;
    case SLP_FOP_LESS:
        return cmp <= 0;
    default:
        return cmp == 0;
    }
}

bool matchNode(const SLP_FILTER* f, size_t index, const std::vector<SLP_ATTR>& attrs)
{
    const SLP_FILTER_NODE& n = f->Nodes[index];
    switch (n.eOp) {
    case SLP_FOP_AND:
        for (size_t c : n.Children)
            if (!matchNode(f, c, attrs))
                return false;
        return true;
    case SLP_FOP_OR:
        for (size_t c : n.Children)
            if (matchNode(f, c, attrs))
                return true;
        return false;
    case SLP_FOP_NOT:
        return !matchNode(f, n.Children.front(), attrs);
    default:
        break;
    }
    const SLP_ATTR* a = SLP_ATTR_pFind(attrs, n.Tag);
    if (a == nullptr)
        return false;
    if (n.eOp == SLP_FOP_PRESENT)
        return true;
    for (const std::string& v : a->Values)
        if (compareValue(n, v))
            return true;
    return false;
}

} // namespace

BOOLEAN SLP_FILTER_bCompile(std::string_view Text, SLP_FILTER* pFilter)
{
    pFilter->Nodes.clear();
    if (SLP_TEXT_Trim(Text).empty())
        return TRUE;
    Parser p(Text, pFilter);
    if (!p.parse()) {
        pFilter->Nodes.clear();
        return FALSE;
    }
    return TRUE;
}

BOOLEAN SLP_FILTER_bMatches(const SLP_FILTER* pFilter, const std::vector<SLP_ATTR>& Attrs)
{
    if (pFilter->Nodes.empty())
        return TRUE;
    return matchNode(pFilter, 0, Attrs);
}
