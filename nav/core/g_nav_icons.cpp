// PLACEHOLDER large navigation icons (see the header).
#include "nav/core/g_nav_icons.h"

namespace {

// A transparent-colour icon without its colour byte draws nothing.
constexpr ICON s_PlaceholderIcon = {nullptr, nullptr, 20, 20, ICON_TRANSPARENT_COLOR};

} // namespace

const ICON* const g_NAV_Icons_Large[NAV_ICON_COUNT] = {
#define P &s_PlaceholderIcon
    P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P,
    P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P,
    P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P, P,
#undef P
};
