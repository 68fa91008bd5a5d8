// LDAPv3 search filters (RFC 2254) as SLP uses them to select services by
// their attributes: "(&(instance=base)(address=192.0.2.20)(port>=50000))".
//
// A filter is compiled once per request and then matched against the
// attribute list of each registration. Tags and string values compare
// without case and with white space folded; when both sides are integers they
// compare as numbers; "*" in an equality value is a wildcard unless escaped
// ("\2a"). A missing attribute makes a comparison false (and its negation
// true). Nesting is bounded, so a hostile filter cannot exhaust the stack.
#pragma once

#include "kernel/l_types.h"
#include "slp/slp_attr.h"

#include <string>
#include <string_view>
#include <vector>

enum SLP_FILTER_OP : U8 {
    SLP_FOP_AND,
    SLP_FOP_OR,
    SLP_FOP_NOT,
    SLP_FOP_EQUAL,   // with or without wildcards
    SLP_FOP_APPROX,
    SLP_FOP_GREATER, // >=
    SLP_FOP_LESS,    // <=
    SLP_FOP_PRESENT, // tag=*
};

typedef struct {
    SLP_FILTER_OP eOp;
    std::string Tag;                   // folded, unescaped
    std::vector<std::string> Segments; // value split at unescaped "*", each unescaped and folded
    BOOLEAN bWildcard;                 // the value had an unescaped "*"
    std::vector<size_t> Children;      // node indexes, for AND, OR and NOT
} SLP_FILTER_NODE;

typedef struct {
    std::vector<SLP_FILTER_NODE> Nodes; // Nodes[0] is the root; empty = matches everything
} SLP_FILTER;

constexpr int SLP_FILTER_MAX_DEPTH = 32;

// An empty (or all-blank) text compiles to the filter that matches all.
BOOLEAN SLP_FILTER_bCompile(std::string_view Text, SLP_FILTER* pFilter);
BOOLEAN SLP_FILTER_bMatches(const SLP_FILTER* pFilter, const std::vector<SLP_ATTR>& Attrs);
