// Duplicate and declutter tables, waypoint searches, default-name counter.
//
// The Set operations compare one waypoint with the candidates after it, one
// pair at a time, exactly as defined. The rebuilds give the same tables
// without visiting every pair:
//   duplicates: equal records are sorted next to each other; within a run
//   of equal records each one's twin is the one before it, which is what
//   comparing every id with every later one leaves (the last write wins);
//   declutter: a pair only acts when the two icons share a row, which needs
//   |dy| below the row height Yb (H pixels in metres, rounded up), and only
//   overlaps when also |dx| is below Xb. The candidates are sorted by row
//   band of height Yb and, within it, by x around the earth; each one looks
//   into its own band and the two next to it: for an overlap, at the
//   neighbours within Xb on either side; else, walking east, at the first
//   neighbour whose row test passes. Each pair test is the exact one, with
//   the lower id as the source.
#include "nav/data/t_nav_twr_declutter.h"

#include "chart_sdk/geodesy/nv_calc.h"
#include "chart_sdk/geodesy/nv_conv.h"
#include "chart_sdk/geodesy/nv_distn.h"
#include "kernel/l_mutex.h"
#include "nav/core/g_nav_icons.h"
#include "nav/core/u_nav_geometry.h"
#include "nav/data/t_nav_network.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr U16 NONE = NAV_ID_NONE;
constexpr S64 X_HALF = 20038300;  // x offsets are brought into [-X_HALF, X_HALF]
constexpr S64 X_TURN = 40076600;
constexpr U32 ID_ENTRIES = NAV_WAYPOINT_ID_ENTRIES;
constexpr U32 MAX_CANDIDATES = NAV_WAYPOINT_BANKS * NAV_WAYPOINT_SLOTS;
// Taller than any y difference of two S32 values: one band holds them all.
constexpr S64 ONE_BAND = (S64)1 << 34;

constexpr FOURCHARID KEY_SCALE_RIGHT = FCID("SNCS");
constexpr FOURCHARID KEY_SCALE_LEFT = FCID("SNCL");
constexpr FOURCHARID KEY_WAYPOINT_COUNTER = FCID("SWID");
constexpr FOURCHARID KEY_SHOW_AIS = FCID("SAIS");

} // namespace

// Types and statics ------------------------------------------------------------

namespace {

class NavLock {
public:
    NavLock() { L_MUTEX_LockWait(RES_NAV_DATA); }
    ~NavLock() { L_MUTEX_Unlock(RES_NAV_DATA); }
    NavLock(const NavLock&) = delete;
    NavLock& operator=(const NavLock&) = delete;
};

BOOLEAN s_abDuplicate[ID_ENTRIES];
U32 s_au32Duplicate[ID_ENTRIES];
S32 s_anDeclutter[2][ID_ENTRIES]; // DCLTR_TABLE_RIGHT, DCLTR_TABLE_LEFT
BOOLEAN s_bMultiWaypoint = FALSE;
BOOLEAN s_u8DuplicateSwitch = FALSE;
BOOLEAN s_u8DeclutterSwitch = FALSE;

// One waypoint taking part in a rebuild.
struct CANDIDATE {
    U16 id;
    S32 x;
    S32 y;
    S64 band; // declutter: row band
    S64 key;  // declutter: x around the earth, 0 .. X_TURN - 1
};
CANDIDATE s_aCandidates[MAX_CANDIDATES];

const WAYPOINT* pSlot(U32 bank, U32 slot)
{
    return T_NAV_TWR_pGetNetworkWaypoint(slot, (int)bank);
}

bool bIsDeclutterCandidate(const WAYPOINT& w)
{
    const U32 s = w.u8Status;
    return s != WP_STATUS_FREE && s != WP_STATUS_GROUP_HEADER && s != WP_STATUS_GROUP_BODY && w.u32DateTime != 0;
}

// Visits the ids from nCompareIdx to the end of its bank's used slots, then
// every following bank from its slot 0, calling fn(id, record).
template <typename Fn> void vWalkFrom(U32 nCompareIdx, Fn fn)
{
    const U32 firstBank = nCompareIdx >> 12;
    for (U32 bank = firstBank; bank < NAV_WAYPOINT_BANKS; ++bank) {
        const S32 used = T_NAV_TWR_nGetMaxUsedWaypointIndex((S32)bank);
        U32 slot = bank == firstBank ? (nCompareIdx & 0x0FFF) : 0;
        for (; (S32)slot < used && slot < NAV_WAYPOINT_SLOTS; ++slot)
            fn(bank << 12 | slot, *pSlot(bank, slot));
    }
}

// x offsets are taken the short way round the earth.
S64 s64WrapX(S64 dx)
{
    if (dx > X_HALF)
        dx -= (dx - X_HALF + X_TURN - 1) / X_TURN * X_TURN;
    else if (dx < -X_HALF)
        dx += (-X_HALF - dx + X_TURN - 1) / X_TURN * X_TURN;
    return dx;
}

// Pixels of a Mercator offset at 2^e pixels per 2^20 metres, the chart's
// rounding, in 64 bits: an offset is a difference of two S32 values, so
// nothing overflows even at the largest factor.
S64 s64Pixels(S64 d, S32 e)
{
    if (e < 0 || e >= 32)
        return 0;
    return (d * ((S64)1 << e) + 0x80000) >> 20;
}

struct ICON_BOX {
    S64 w;
    S64 h;
};

ICON_BOX boxOfIcon(void)
{
    U32 w = 0, h = 0;
    T_NAV_TWR_vGetDeclutterIconBox(&w, &h);
    return {(S64)w, (S64)h};
}

// The pair (s, c), s the lower id: its row test and its overlap test.
struct PAIR {
    S64 dx; // wrapped x of c - x of s
    bool row;
    bool overlap;
};

PAIR pairOf(S32 xs, S32 ys, S32 xc, S32 yc, S32 e, const ICON_BOX& box)
{
    PAIR p;
    p.dx = s64WrapX((S64)xc - xs);
    const S64 py = s64Pixels((S64)yc - ys, e);
    p.row = std::llabs(py) < box.h;
    p.overlap = p.row && std::llabs(s64Pixels(p.dx, e)) < box.w;
    return p;
}

void vApplyPair(S32* table, U32 src, U32 cand, const PAIR& p)
{
    if (p.overlap) {
        table[src] = NAV_DECLUTTER_OVERLAP;
        table[cand] = NAV_DECLUTTER_OVERLAP;
    }
    if (p.row) {
        if (p.dx >= 0 && p.dx < table[src])
            table[src] = (S32)p.dx;
        if (p.dx <= 0 && -p.dx < table[cand])
            table[cand] = (S32)-p.dx;
    }
}

bool bFetchScale(DCLTR_TABLE eTable, S32* pScale)
{
    return H_DATABASE_bFetchS32(eTable == DCLTR_TABLE_LEFT ? KEY_SCALE_LEFT : KEY_SCALE_RIGHT, pScale, nullptr,
                                nullptr) != FALSE;
}

// Bounds beyond which the pixel tests cannot pass: |d| >= ceil(n pixels *
// 2^20 / 2^e) metres. One band for a factor of 0 (every offset is 0 pixels).
S64 s64Bound(S64 pixels, S32 e)
{
    if (e < 0 || e >= 32)
        return ONE_BAND;
    const S64 n = (S64)1 << e;
    const S64 b = (pixels * ((S64)1 << 20) + n - 1) / n;
    return b > ONE_BAND ? ONE_BAND : b;
}

S64 s64FloorDiv(S64 a, S64 b)
{
    S64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The fast declutter rebuild of one table (already filled with
// NAV_DECLUTTER_NONE).
void vBuildDeclutter(S32* table, S32 scale)
{
    const ICON_BOX box = boxOfIcon();
    if (box.h <= 0)
        return; // no pair ever shares a row
    const S32 e = 32 - scale;
    const S64 rowBound = s64Bound(box.h, e);
    const S64 xBound = box.w > 0 ? s64Bound(box.w, e) : 0;

    U32 n = 0;
    for (U32 bank = 0; bank < NAV_WAYPOINT_BANKS; ++bank) {
        const S32 used = T_NAV_TWR_nGetMaxUsedWaypointIndex((S32)bank);
        for (U32 slot = 0; (S32)slot < used && slot < NAV_WAYPOINT_SLOTS; ++slot) {
            const WAYPOINT& w = *pSlot(bank, slot);
            const U32 id = bank << 12 | slot;
            if (!bIsDeclutterCandidate(w) || s_abDuplicate[id])
                continue;
            S64 key = (S64)w.pt.x % X_TURN;
            if (key < 0)
                key += X_TURN;
            s_aCandidates[n++] = {(U16)id, w.pt.x, w.pt.y, s64FloorDiv(w.pt.y, rowBound), key};
        }
    }
    if (n < 2)
        return;
    CANDIDATE* const c = s_aCandidates;
    std::sort(c, c + n, [](const CANDIDATE& a, const CANDIDATE& b) {
        return a.band != b.band ? a.band < b.band : a.key != b.key ? a.key < b.key : a.id < b.id;
    });
    auto bandRange = [&](S64 band, U32* pFirst, U32* pEnd) {
        *pFirst = (U32)(std::lower_bound(c, c + n, band, [](const CANDIDATE& a, S64 b) { return a.band < b; }) - c);
        *pEnd = (U32)(std::upper_bound(c, c + n, band, [](S64 b, const CANDIDATE& a) { return b < a.band; }) - c);
    };
    // The pair as the lower id sees it, from candidate i's side: dx is x of
    // j - x of i whichever is the source.
    auto pairFromI = [&](const CANDIDATE& ci, const CANDIDATE& cj) {
        if (ci.id < cj.id)
            return pairOf(ci.x, ci.y, cj.x, cj.y, e, box);
        PAIR p = pairOf(cj.x, cj.y, ci.x, ci.y, e, box);
        p.dx = -p.dx;
        return p;
    };

    for (U32 i = 0; i < n; ++i) {
        const CANDIDATE& ci = c[i];
        U32 first[3], end[3], start[3];
        for (int k = 0; k < 3; ++k) {
            bandRange(ci.band - 1 + k, &first[k], &end[k]);
            start[k] = (U32)(std::lower_bound(c + first[k], c + end[k], ci.key,
                                              [](const CANDIDATE& a, S64 key) { return a.key < key; }) -
                             c);
        }
        bool overlap = false;
        for (int k = 0; k < 3 && !overlap && xBound > 0; ++k) {
            const U32 len = end[k] - first[k];
            U32 visited = 0;
            // East of i (offset 0 included), then west, each while closer
            // than the overlap bound; together at most the whole band.
            for (U32 t = 0; t < len && !overlap; ++t, ++visited) {
                const CANDIDATE& cj = c[first[k] + (start[k] - first[k] + t) % len];
                const S64 o = (cj.key - ci.key + X_TURN) % X_TURN;
                if (o >= xBound)
                    break;
                overlap = cj.id != ci.id && pairFromI(ci, cj).overlap;
            }
            for (U32 t = 1; t <= len - visited && !overlap; ++t) {
                const CANDIDATE& cj = c[first[k] + (start[k] - first[k] + len - t) % len];
                const S64 o = (ci.key - cj.key + X_TURN) % X_TURN;
                if (o >= xBound)
                    break;
                overlap = cj.id != ci.id && pairFromI(ci, cj).overlap;
            }
        }
        if (overlap) {
            table[ci.id] = NAV_DECLUTTER_OVERLAP;
            continue;
        }
        S64 best = NAV_DECLUTTER_NONE;
        for (int k = 0; k < 3; ++k) {
            const U32 len = end[k] - first[k];
            for (U32 t = 0; t < len; ++t) {
                const CANDIDATE& cj = c[first[k] + (start[k] - first[k] + t) % len];
                const S64 o = (cj.key - ci.key + X_TURN) % X_TURN;
                if (o > X_HALF || o >= best)
                    break;
                if (cj.id == ci.id)
                    continue;
                const PAIR p = pairFromI(ci, cj);
                if (p.row && p.dx >= 0) {
                    best = p.dx;
                    break;
                }
            }
        }
        table[ci.id] = (S32)best;
    }
}

struct DUP_KEY_LESS {
    bool operator()(const CANDIDATE& a, const CANDIDATE& b) const
    {
        const WAYPOINT& wa = *T_NAV_pGetWaypoint(a.id);
        const WAYPOINT& wb = *T_NAV_pGetWaypoint(b.id);
        if (wa.u8Icon != wb.u8Icon)
            return wa.u8Icon < wb.u8Icon;
        if (wa.u16Depth != wb.u16Depth)
            return wa.u16Depth < wb.u16Depth;
        if (wa.u32DateTime != wb.u32DateTime)
            return wa.u32DateTime < wb.u32DateTime;
        if (wa.pt.x != wb.pt.x)
            return wa.pt.x < wb.pt.x;
        if (wa.pt.y != wb.pt.y)
            return wa.pt.y < wb.pt.y;
        const int name = memcmp(wa.sName, wb.sName, WAYPOINT_NAME_CHARS);
        if (name != 0)
            return name < 0;
        return a.id < b.id;
    }
};

// The number of a default name: a name whose characters from the third on
// (up to 12, or the first NUL) are all digits. FALSE for other names and
// for an empty one; 1 for a name that reads as no number or as one above
// 9999.
bool bDefaultNameNumber(const WAYPOINT& w, S32* pNumber)
{
    const size_t len = strnlen(w.sName, WAYPOINT_NAME_CHARS);
    if (len == 0)
        return false;
    for (size_t i = 2; i < len; ++i)
        if (w.sName[i] < '0' || w.sName[i] > '9')
            return false;
    // What "WP%010d" reads from such a name: "WP" and then its (at most
    // ten) digits. Read here in 64 bits, since ten digits can pass an int.
    S64 number = 0;
    const bool read = len > 2 && w.sName[0] == 'W' && w.sName[1] == 'P';
    for (size_t i = 2; read && i < len; ++i)
        number = number * 10 + (w.sName[i] - '0');
    *pNumber = (!read || number > 9999) ? 1 : (S32)number;
    return true;
}

S32 s32Counter(void)
{
    S32 counter = 0;
    H_DATABASE_bFetchS32(KEY_WAYPOINT_COUNTER, &counter, nullptr, nullptr);
    return counter;
}

} // namespace

// Duplicates ---------------------------------------------------------------------

void T_NAV_TWR_vSetDuplicateFlag(U32 nSrcIdx, U32 nCompareIdx)
{
    const WAYPOINT* src = T_NAV_pGetWaypoint(nSrcIdx);
    // A free slot keeps its old fields; it is nobody's twin.
    if (src == nullptr || nSrcIdx >= ID_ENTRIES || src->u8Status == WP_STATUS_FREE)
        return;
    vWalkFrom(nCompareIdx, [&](U32 id, const WAYPOINT& w) {
        if (id == nSrcIdx || w.u8Status == WP_STATUS_FREE || !T_NAV_bWaypointCompare(src, &w))
            return;
        const U32 hi = std::max(id, nSrcIdx);
        s_abDuplicate[hi] = TRUE;
        s_au32Duplicate[hi] = std::min(id, nSrcIdx);
    });
}

BOOLEAN T_NAV_TWR_bIsDuplicateWaypoint(U32 id)
{
    return s_abDuplicate[id & (ID_ENTRIES - 1)];
}

U32 T_NAV_TWR_nGetDuplicateWaypointIndex(U32 id)
{
    return s_au32Duplicate[id & (ID_ENTRIES - 1)];
}

void T_NAV_TWR_vDuplicateWaypointsScan(void)
{
    NavLock lock;
    memset(s_abDuplicate, 0, sizeof s_abDuplicate);
    memset(s_au32Duplicate, 0, sizeof s_au32Duplicate);
    U32 n = 0;
    for (U32 bank = 0; bank < NAV_WAYPOINT_BANKS; ++bank) {
        const S32 used = T_NAV_TWR_nGetMaxUsedWaypointIndex((S32)bank);
        for (U32 slot = 0; (S32)slot < used && slot < NAV_WAYPOINT_SLOTS; ++slot)
            if (pSlot(bank, slot)->u8Status != WP_STATUS_FREE)
                s_aCandidates[n++] = {(U16)(bank << 12 | slot), 0, 0, 0, 0};
    }
    std::sort(s_aCandidates, s_aCandidates + n, DUP_KEY_LESS());
    for (U32 i = 1; i < n; ++i) {
        const U16 prev = s_aCandidates[i - 1].id;
        const U16 id = s_aCandidates[i].id;
        if (T_NAV_bWaypointCompare(T_NAV_pGetWaypoint(prev), T_NAV_pGetWaypoint(id))) {
            s_abDuplicate[id] = TRUE;
            s_au32Duplicate[id] = prev;
        }
    }
}

// Declutter ------------------------------------------------------------------------

void T_NAV_TWR_vGetDeclutterIconBox(U32* pu32Width, U32* pu32Height)
{
    const ICON* icon = g_NAV_Icons_Large[0];
    const double w = icon ? icon->nWidth * 1.5 : 0.0;
    const double h = icon ? icon->nHeight * 1.5 : 0.0;
    if (pu32Width)
        *pu32Width = w > 0 ? (U32)w : 0;
    if (pu32Height)
        *pu32Height = h > 0 ? (U32)h : 0;
}

void T_NAV_TWR_vSetDeclutterFlag(U32 nSrcIdx, U32 nCompareIdx, U32 nChartScale, S32* table)
{
    const WAYPOINT* src = T_NAV_pGetWaypoint(nSrcIdx);
    if (table == nullptr || src == nullptr || nSrcIdx >= ID_ENTRIES || s_abDuplicate[nSrcIdx])
        return;
    const ICON_BOX box = boxOfIcon();
    const S32 e = 32 - (S32)nChartScale;
    vWalkFrom(nCompareIdx, [&](U32 id, const WAYPOINT& w) {
        if (id == nSrcIdx || !bIsDeclutterCandidate(w) || s_abDuplicate[id])
            return;
        vApplyPair(table, nSrcIdx, id, pairOf(src->pt.x, src->pt.y, w.pt.x, w.pt.y, e, box));
    });
}

void T_NAV_TWR_vDeclutterWaypointsScan(DCLTR_TABLE eTable)
{
    if (s_u8DeclutterSwitch)
        return;
    NavLock lock;
    for (int t = DCLTR_TABLE_RIGHT; t <= DCLTR_TABLE_LEFT; ++t) {
        if (eTable != DCLTR_TABLE_BOTH && eTable != t)
            continue;
        S32* table = s_anDeclutter[t];
        std::fill(table, table + ID_ENTRIES, NAV_DECLUTTER_NONE);
        // Without a scale the pane shows nothing decluttered.
        S32 scale = 0;
        if (bFetchScale((DCLTR_TABLE)t, &scale))
            vBuildDeclutter(table, scale);
    }
}

void T_NAV_TWR_vDeclutterWaypointsAdd(U32 id)
{
    for (int t = DCLTR_TABLE_RIGHT; t <= DCLTR_TABLE_LEFT; ++t) {
        S32 scale = 0;
        if (bFetchScale((DCLTR_TABLE)t, &scale))
            T_NAV_TWR_vSetDeclutterFlag(id, 0, (U32)scale, s_anDeclutter[t]);
    }
}

S32* T_NAV_TWR_pGetDeclutterWaypointTable(BOOLEAN bLeftPane)
{
    return s_anDeclutter[bLeftPane ? DCLTR_TABLE_LEFT : DCLTR_TABLE_RIGHT];
}

// Switches ---------------------------------------------------------------------------

void T_NAV_TWR_vSetMultiWaypointFlag(BOOLEAN bFlag)
{
    NavLock lock;
    s_bMultiWaypoint = bFlag;
    if (bFlag)
        return;
    T_NAV_NETWORK_vMultiWaypointTransfer();
    if (!T_NAV_TWR_bDuplicateScanDisabled())
        T_NAV_TWR_vDuplicateWaypointsScan();
    T_NAV_TWR_vDeclutterWaypointsScan(DCLTR_TABLE_BOTH);
}

BOOLEAN T_NAV_TWR_bGetMultiWaypointFlag(void)
{
    return s_bMultiWaypoint ? TRUE : FALSE;
}

void T_NAV_TWR_vTemporarilyDisableScanForDuplicates(BOOLEAN bDisable)
{
    s_u8DuplicateSwitch = bDisable;
}

void T_NAV_TWR_vTemporarilyDisableDeclutterWaypointsScan(BOOLEAN bDisable)
{
    s_u8DeclutterSwitch = bDisable;
}

BOOLEAN T_NAV_TWR_bDuplicateScanDisabled(void)
{
    return s_u8DuplicateSwitch == TRUE ? TRUE : FALSE;
}

void T_NAV_TWR_vInitialScan(void)
{
    NavLock lock;
    if (!T_NAV_TWR_bDuplicateScanDisabled())
        T_NAV_TWR_vDuplicateWaypointsScan();
    T_NAV_TWR_vDeclutterWaypointsScan(DCLTR_TABLE_BOTH);
}

void T_NAV_TWR_vRebuildDerivedTables(void)
{
    if (s_bMultiWaypoint)
        return;
    NavLock lock;
    if (!T_NAV_TWR_bDuplicateScanDisabled())
        T_NAV_TWR_vDuplicateWaypointsScan();
    T_NAV_TWR_vDeclutterWaypointsScan(DCLTR_TABLE_BOTH);
}

void T_NAV_TWR_vClearDerivedTables(void)
{
    memset(s_abDuplicate, 0, sizeof s_abDuplicate);
    memset(s_au32Duplicate, 0, sizeof s_au32Duplicate);
    // Until the first scan no waypoint is drawn decluttered.
    for (S32* table : s_anDeclutter)
        std::fill(table, table + ID_ENTRIES, NAV_DECLUTTER_NONE);
}

// Searches ------------------------------------------------------------------------------

S32 T_NAV_nFindNearbyWaypoint(POINT ptMM, S32 nWidthMM, S32 nLengthMM, U16 nDirection)
{
    const S64 m = std::max(nWidthMM, nLengthMM);
    S64 best = 2 * m + 1;
    S32 result = NONE;
    const S64 sine = U_NAV_nIntSin(nDirection);
    const S64 cosine = U_NAV_nIntCos(nDirection);
    NavLock lock;
    for (U32 bank = 0; bank < NAV_WAYPOINT_BANKS; ++bank) {
        const S32 used = T_NAV_TWR_nGetMaxUsedWaypointIndex((S32)bank);
        for (U32 slot = 0; (S32)slot < used && slot < NAV_WAYPOINT_SLOTS; ++slot) {
            const WAYPOINT& w = *pSlot(bank, slot);
            // Group records hold links, not a position: the cursor never
            // jumps to one.
            const U32 status = w.u8Status;
            if (status == WP_STATUS_FREE || status == WP_STATUS_GROUP_HEADER || status == WP_STATUS_GROUP_BODY ||
                status == WP_STATUS_GROUP_WRITING)
                continue;
            const S64 dx = s64WrapX((S64)w.pt.x - ptMM.x);
            const S64 dy = (S64)w.pt.y - ptMM.y;
            if (std::llabs(dx) > m || std::llabs(dy) > m || (dx == 0 && dy == 0))
                continue;
            // The rotation in 32 bits as the unit does it: small offsets
            // keep all their bits, larger ones are first cut to 14 bits or
            // so, and the sums shifted right by what remains of the 16.
            S64 along, across;
            if (std::llabs(dx) < 16384 && std::llabs(dy) < 16384) {
                along = (dx * sine + dy * cosine) >> 16;
                across = (dx * cosine - dy * sine) >> 16;
            } else {
                const S32 h = std::max<S32>(0, std::min(29 - U_NAV_nIntLog2((S32)dx), 29 - U_NAV_nIntLog2((S32)dy)));
                const S32 pre = 16 - h;
                const S64 half = (S64)1 << (pre - 1);
                const S64 sx = (dx + half) >> pre;
                const S64 sy = (dy + half) >> pre;
                along = (sx * sine + sy * cosine) >> h;
                across = (sx * cosine - sy * sine) >> h;
            }
            if (along < 1 || along > nLengthMM || across < -nWidthMM || across > nWidthMM)
                continue;
            const S64 score = std::llabs(dx) + std::llabs(dy);
            if (score < best) {
                best = score;
                result = (S32)(bank << 12 | slot);
            }
        }
    }
    return result;
}

S32 T_NAV_nFindWaypointAtPosition(POINT ptMM, BOOLEAN bIncludeNonLocalWaypoints)
{
    NavLock lock;
    const U32 banks = bIncludeNonLocalWaypoints ? NAV_WAYPOINT_BANKS : 1;
    for (U32 bank = 0; bank < banks; ++bank) {
        const S32 used = T_NAV_TWR_nGetMaxUsedWaypointIndex((S32)bank);
        for (U32 slot = 0; (S32)slot < used && slot < NAV_WAYPOINT_SLOTS; ++slot) {
            const WAYPOINT& w = *pSlot(bank, slot);
            if (w.u8Status != WP_STATUS_FREE && w.pt.x == ptMM.x && w.pt.y == ptMM.y)
                return (S32)(bank << 12 | slot);
        }
    }
    return NONE;
}

BOOLEAN T_NAV_bFindNearbyAisTarget(const POINT* ptMM, float fMaxDistNM, ais_DeviceInfo** ppAisInfo)
{
    if (ppAisInfo != nullptr)
        *ppAisInfo = nullptr;
    BOOLEAN show = FALSE;
    POSITION from;
    if (ptMM == nullptr || ppAisInfo == nullptr || !H_DATABASE_bFetchBoolean(KEY_SHOW_AIS, &show, nullptr, nullptr) ||
        !show || nv_MeterToDegr(ptMM, &from) != NV_OK)
        return FALSE;
    double limit = fMaxDistNM;
    L_MUTEX_LockWait(RES_AIS_TARGETS);
    ais_DeviceInfo* target = nullptr;
    for (S32 i = 0; T_NMEA_bScanAisPoints(i, &target); ++i) {
        const aisTargetINFO& info = target->aisInfo;
        if (!info.validTarget || !info.validityFlag[SHIPPOS_FLAG_INDEX])
            continue;
        POSITION to = {info.Latitude, info.Longitude};
        POINT mm;
        if (nv_DegrToMeter(&to, &mm) != NV_OK)
            continue;
        double course = 0, distance = 0;
        nv_RouteAngle(ptMM, &mm, &course);
        if (nv_CalcDistance(&from, &to, course, &distance) != NV_OK)
            continue;
        if (limit <= 0 || distance <= limit) {
            *ppAisInfo = target;
            limit = distance;
        }
    }
    L_MUTEX_Unlock(RES_AIS_TARGETS);
    return *ppAisInfo != nullptr ? TRUE : FALSE;
}

// Default-name counter ------------------------------------------------------------------

S32 T_NAV_s32GetMaxWayPointCounter(void)
{
    S32 counter = s32Counter();
    NavLock lock;
    const S32 used = T_NAV_TWR_nGetMaxUsedWaypointIndex(0);
    for (U32 slot = 0; (S32)slot < used && slot < NAV_WAYPOINT_SLOTS; ++slot) {
        const WAYPOINT& w = *pSlot(0, slot);
        S32 number = 0;
        const U32 status = w.u8Status;
        if ((status == WP_STATUS_PERMANENT || status == WP_STATUS_TEMPORARY || status == WP_STATUS_MOB) &&
            bDefaultNameNumber(w, &number) && number > counter)
            counter = number;
    }
    return counter;
}

void T_NAV_vUpdateWaypointCounter(U32 slot)
{
    NavLock lock;
    if (slot >= NAV_WAYPOINT_SLOTS)
        return;
    const WAYPOINT& w = *pSlot(0, slot);
    S32 number = 0;
    if ((w.u8Status != WP_STATUS_PERMANENT && w.u8Status != WP_STATUS_MOB) || !bDefaultNameNumber(w, &number))
        return;
    const S32 counter = s32Counter();
    const S32 raised = std::min(std::max(counter, number), NAV_WAYPOINT_COUNTER_MAX);
    if (raised != counter)
        H_DATABASE_bUpdateValueS32(KEY_WAYPOINT_COUNTER, raised, P_NORMAL);
}

void T_NAV_vCancelWaypointCounterIncrease(void)
{
    const S32 counter = s32Counter();
    if (counter > 0)
        H_DATABASE_bUpdateValueS32(KEY_WAYPOINT_COUNTER, counter - 1, P_NORMAL);
}
