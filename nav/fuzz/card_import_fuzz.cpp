// Fuzz target of the card import. The input is cut into three files of the
// card folder ("DATA.QWR", "DATA.QIT", "001.QT"; two big-endian U16 in
// front give the lengths of the first two, cut to what is left) and the folder is
// imported into a unit that holds a small store. Afterwards every item of
// that store is still in its slot with its record, and still linked in the
// root group: an import only ever adds.
#include "kernel/l_root.h"
#include "kernel/lm_log.h"
#include "nav/core/t_nav_conf.h"
#include "nav/data/t_nav_data_card.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_link.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_track.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "store/h_database.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        abort();
}

std::string s_sFolder;
U16 s_u16Root = 0xFFFF;
std::vector<std::pair<U16, WAYPOINT>> s_waypoints;
std::vector<std::pair<U32, ROUTE>> s_routes;
std::vector<std::pair<U32, TRACK_HEADER>> s_tracks;
std::vector<std::pair<U32, RUMBREL_HEADER>> s_rumbrels;
std::vector<U16> s_rootLinks;

void vName(char* p, size_t n, const char* s)
{
    memset(p, 0, n);
    strncpy(p, s, n);
}

std::vector<U16> rootLinks(void)
{
    std::vector<U16> out;
    GROUP_SLOT h{};
    if (!T_NAV_bReadGroupSlot(s_u16Root, &h))
        return out;
    U16 cur = h.header.u16FirstBodyIndex;
    for (int guard = 0; cur != 0xFFFF && guard < 3000; ++guard) {
        GROUP_SLOT b{};
        if (!T_NAV_bReadGroupSlot(cur, &b))
            break;
        for (U16 id : b.body.u16Item)
            if (id != 0xFFFF)
                out.push_back(id);
        cur = b.body.u16NextIndex;
    }
    return out;
}

void vBuildStore(void)
{
    GROUP_SLOT root{};
    root.header.u8Status = WP_STATUS_GROUP_HEADER;
    root.header.u8Icon = 1;
    root.header.u16ParentIndex = 0xFFFF;
    root.header.u16FirstBodyIndex = 0xFFFF;
    vName(root.header.sName, GROUP_NAME_CHARS, "Home");
    s_u16Root = T_NAV_GROUP_DATA_nNewGroup(&root.header);
    T_NAV_GROUP_DATA_vSetRootGroup(s_u16Root);
    check(T_NAV_GROUP_DATA_bAddShareLockBody(s_u16Root));
    U16 ids[3];
    for (int i = 0; i < 3; ++i) {
        WAYPOINT w{};
        w.u8Status = WP_STATUS_PERMANENT;
        w.u8Icon = (U8)(2 + i);
        w.u32DateTime = 1000 + i;
        w.pt = {100 * i, -50 * i};
        vName(w.sName, WAYPOINT_NAME_CHARS, ("KEEP" + std::to_string(i)).c_str());
        ids[i] = T_NAV_u16WaypointAdd(&w, FALSE, FALSE);
        check(ids[i] != 0xFFFF);
        check(T_NAV_GROUP_DATA_bAddLink(s_u16Root, ids[i]));
    }
    ROUTE r{};
    r.u32DateTime = 4000;
    vName(r.sName, ROUTE_NAME_CHARS, "KEEP RT");
    r.nCount = 2;
    r.anWaypoint[0] = ids[0];
    r.anWaypoint[1] = ids[1];
    const S32 rs = T_NAV_nAddRoute(&r);
    check(rs >= 0);
    check(T_NAV_GROUP_DATA_bAddLink(s_u16Root, (U16)(NAV_ID_ROUTE_TAG | rs)));
    std::unique_ptr<TRACK> t(new TRACK{});
    t->u16Count = 5;
    t->u16FirstDelta = 3;
    t->ptFirst = {10, 20};
    for (int i = 0; i < 4; ++i)
        t->aDelta[3 + i] = {1, 1, 100};
    const S32 ts = T_NAV_nAddTrack(t.get(), 5000, "KEEP TRK", FALSE);
    check(ts >= 0);
    check(T_NAV_GROUP_DATA_bAddLink(s_u16Root, (U16)(NAV_ID_TRACK_TAG | ts)));
    std::unique_ptr<RUMBREL> k(new RUMBREL{});
    k->nCount = 4;
    k->u32DateTime = 6000;
    k->u64UID = 0x1234;
    vName(k->sName, RUMBREL_NAME_CHARS, "KEEP TM");
    for (int i = 0; i < 4; ++i)
        k->aTrackPoints[i] = {i, -i};
    const U16 ks = T_NAV_u16RumbrelAdd(k.get());
    check(ks != 0xFFFF);
    check(T_NAV_GROUP_DATA_bAddLink(s_u16Root, (U16)(NAV_ID_RUMBREL_TAG | ks)));

    for (U16 id : ids)
        s_waypoints.push_back({id, *T_NAV_pGetWaypoint(id)});
    s_routes.push_back({(U32)rs, *T_NAV_pGetRoute(rs)});
    s_tracks.push_back({(U32)ts, *T_NAV_pGetTrackHeader(ts)});
    s_rumbrels.push_back({ks, *T_NAV_pGetRumbrelHeader(ks)});
    s_rootLinks = rootLinks();
}

void vWrite(const std::string& name, const uint8_t* data, size_t size)
{
    const std::string path = s_sFolder + "/" + name;
    FILE* f = fopen(path.c_str(), "wb");
    check(f != nullptr);
    if (size != 0)
        check(fwrite(data, 1, size, f) == size);
    fclose(f);
}

void vCheckStore(void)
{
    for (const auto& [id, w] : s_waypoints)
        check(memcmp(T_NAV_pGetWaypoint(id), &w, sizeof w) == 0);
    for (const auto& [slot, r] : s_routes)
        check(memcmp(T_NAV_pGetRoute(slot), &r, sizeof r) == 0);
    for (const auto& [slot, h] : s_tracks)
        check(memcmp(T_NAV_pGetTrackHeader(slot), &h, sizeof h) == 0);
    for (const auto& [slot, h] : s_rumbrels) {
        const RUMBREL_HEADER* now = T_NAV_pGetRumbrelHeader(slot);
        check(now->nCount == h.nCount && now->u32DateTime == h.u32DateTime && now->u64UID == h.u64UID);
    }
    const std::vector<U16> links = rootLinks();
    for (U16 id : s_rootLinks) {
        bool found = false;
        for (U16 l : links)
            found = found || l == id;
        check(found);
    }
    for (U32 i = 0; i < NAV_ROUTE_SLOTS; ++i)
        check(T_NAV_pGetRoute(i)->nCount <= ROUTE_MAX_POINTS);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    opt_nolog = TRUE;
    char tmpl[] = "/tmp/vondrel-nav-card-fuzz-XXXXXX";
    const char* root = mkdtemp(tmpl);
    check(root != nullptr);
    setenv("VONDREL_ROOT", root, 1);
    L_ROOT_vMakeTree();
    H_DATABASE_vInit();
    H_DATABASE_bUpdateValueU32(FCID("CCST"), 3, P_NORMAL);
    T_NAV_NVRAM_vInit();
    T_NAV_TWR_vClearTables();
    vBuildStore();
    s_sFolder = std::string(root) + "/mnt/mmc0";
    mkdir(s_sFolder.c_str(), 0777);
    s_sFolder += "/VONDREL";
    mkdir(s_sFolder.c_str(), 0777);
    // The slot the imports read; the question itself is not needed.
    T_NAV_DATA_vImportFromMMC(0);
    T_NAV_CONF_vReset(0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4 || size > 2 * NAV_DATA_TRACK_RECORD_BYTES)
        return 0;
    const uint8_t* rest = data + 4;
    const size_t left = size - 4;
    const size_t a = std::min<size_t>((size_t)(data[0] << 8 | data[1]), left);
    const size_t b = std::min<size_t>((size_t)(data[2] << 8 | data[3]), left - a);
    vWrite("DATA.QWR", rest, a);
    vWrite("DATA.QIT", rest + a, b);
    vWrite("001.QT", rest + a + b, left - a - b);
    T_NAV_DATA_vDoImportFromMMC();
    vCheckStore();
    return 0;
}
