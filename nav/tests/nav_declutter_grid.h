// A second way to rebuild the duplicate and declutter tables, by hash
// buckets, written apart from the store's own rebuild so that the two can
// be checked against each other and timed side by side.
//
// Duplicates: records go into buckets by a hash of the compared fields;
// within a bucket each record's twin is the last equal one before it.
// Declutter: candidates go into buckets by row band (the height beyond
// which two icons cannot share a row); each candidate is paired with every
// later candidate of its own band and the two next to it, and each pair
// acts as in the pair-by-pair definition.
//
// It reads the waypoint table and writes only into the caller's arrays.
#pragma once

#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_waypoint.h"

#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace navg {

struct Tables {
    std::vector<U8> duplicate = std::vector<U8>(NAV_WAYPOINT_ID_ENTRIES, 0);
    std::vector<U32> twin = std::vector<U32>(NAV_WAYPOINT_ID_ENTRIES, 0);
    std::vector<S32> declutter = std::vector<S32>(NAV_WAYPOINT_ID_ENTRIES, NAV_DECLUTTER_NONE);
};

inline S64 wrapX(S64 dx)
{
    while (dx > 20038300)
        dx -= 40076600;
    while (dx < -20038300)
        dx += 40076600;
    return dx;
}

inline S64 pixels(S64 d, S32 e)
{
    return (e < 0 || e > 31) ? 0 : (d * ((S64)1 << e) + 0x80000) >> 20;
}

inline U64 fieldHash(const WAYPOINT& w)
{
    U64 h = 1469598103934665603ull;
    auto mix = [&h](U64 v) { h = (h ^ v) * 1099511628211ull; };
    mix(w.u8Icon);
    mix(w.u16Depth);
    mix(w.u32DateTime);
    mix((U32)w.pt.x);
    mix((U32)w.pt.y);
    for (char c : w.sName)
        mix((U8)c);
    return h;
}

inline void buildDuplicates(Tables* t)
{
    std::unordered_map<U64, std::vector<U32>> buckets;
    for (U32 bank = 0; bank < NAV_WAYPOINT_BANKS; ++bank) {
        for (S32 slot = 0; slot < T_NAV_TWR_nGetMaxUsedWaypointIndex((S32)bank); ++slot) {
            const U32 id = bank << 12 | (U32)slot;
            const WAYPOINT& w = *T_NAV_pGetWaypoint(id);
            if (w.u8Status == WP_STATUS_FREE)
                continue;
            std::vector<U32>& bucket = buckets[fieldHash(w)];
            for (auto it = bucket.rbegin(); it != bucket.rend(); ++it) {
                if (T_NAV_bWaypointCompare(T_NAV_pGetWaypoint(*it), &w)) {
                    t->duplicate[id] = 1;
                    t->twin[id] = *it;
                    break;
                }
            }
            bucket.push_back(id);
        }
    }
}

inline void buildDeclutter(Tables* t, S32 scale)
{
    U32 boxW = 0, boxH = 0;
    T_NAV_TWR_vGetDeclutterIconBox(&boxW, &boxH);
    const S32 e = 32 - scale;
    S64 band = (S64)1 << 34;
    if (e >= 0 && e <= 31 && boxH > 0)
        band = ((S64)boxH * (1 << 20) + ((S64)1 << e) - 1) >> e;
    struct C {
        U32 id;
        S32 x, y;
    };
    std::vector<C> cands;
    std::unordered_map<S64, std::vector<U32>> rows; // band -> indexes into cands
    auto rowOf = [band](S32 y) { return y >= 0 ? y / band : -((-(S64)y + band - 1) / band); };
    for (U32 bank = 0; bank < NAV_WAYPOINT_BANKS; ++bank) {
        for (S32 slot = 0; slot < T_NAV_TWR_nGetMaxUsedWaypointIndex((S32)bank); ++slot) {
            const U32 id = bank << 12 | (U32)slot;
            const WAYPOINT& w = *T_NAV_pGetWaypoint(id);
            const U32 s = w.u8Status;
            if (s == 0 || s == 16 || s == 17 || w.u32DateTime == 0 || t->duplicate[id])
                continue;
            rows[rowOf(w.pt.y)].push_back((U32)cands.size());
            cands.push_back({id, w.pt.x, w.pt.y});
        }
    }
    std::vector<S32>& d = t->declutter;
    for (const C& src : cands) {
        const S64 r = rowOf(src.y);
        for (S64 rr = r - 1; rr <= r + 1; ++rr) {
            auto found = rows.find(rr);
            if (found == rows.end())
                continue;
            for (U32 k : found->second) {
                const C& cand = cands[k];
                if (cand.id <= src.id)
                    continue;
                const S64 dx = wrapX((S64)cand.x - src.x);
                const S64 py = pixels((S64)cand.y - src.y, e);
                if (std::llabs(py) >= (S64)boxH)
                    continue;
                if (std::llabs(pixels(dx, e)) < (S64)boxW)
                    d[src.id] = d[cand.id] = NAV_DECLUTTER_OVERLAP;
                if (dx >= 0 && dx < d[src.id])
                    d[src.id] = (S32)dx;
                if (dx <= 0 && -dx < d[cand.id])
                    d[cand.id] = (S32)-dx;
            }
        }
    }
}

} // namespace navg
