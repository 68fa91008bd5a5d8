// The navigation files of a card: export, import and merge.
//
// Lock order: the navigation-data mutex (recursive) is the only lock taken
// here; the loaded-track buffer is taken under it by the flash loader.
#include "nav/data/t_nav_data_card.h"

#include "graphics/u_fonts.h"
#include "kernel/h_memory.h"
#include "kernel/l_sema.h"
#include "kernel/l_mutex.h"
#include "kernel/linux_fs.h"
#include "kernel/lm_log.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/core/t_nav_conf.h"
#include "nav/data/t_nav_card_standins.h"
#include "nav/data/t_nav_group_merge.h"
#include "nav/data/t_nav_group_clean.h"
#include "nav/data/t_nav_group_data.h"
#include "nav/data/t_nav_group_init.h"
#include "nav/data/t_nav_group_link.h"
#include "nav/data/t_nav_group_search.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_space.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_startup.h"
#include "nav/data/t_nav_twr_track.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "nav/manager/t_nav_group.h"
#include "ui/u_dialog.h"
#include "ui/u_keyboard.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <sched.h>
#include <string>
#include <vector>

// Texts (the other languages fall back to English until translated) -----------

#define NAV_DATA_ENGLISH_ONLY(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE NAV_DATA_TEXT_EXPORT_OK = NAV_DATA_ENGLISH_ONLY("Nav data successfully exported to MMC/SD card.");
TEXT_TABLE NAV_DATA_TEXT_EXPORT_FAILED = NAV_DATA_ENGLISH_ONLY("Export to MMC/SD card failed.");
TEXT_TABLE NAV_DATA_TEXT_IMPORT_QUESTION = NAV_DATA_ENGLISH_ONLY("Upload Nav Data from SD card?");
TEXT_TABLE NAV_DATA_TEXT_NO_NEW_DATA = NAV_DATA_ENGLISH_ONLY("No new nav data found.");
TEXT_TABLE NAV_DATA_TEXT_OUT_OF_MEMORY = NAV_DATA_ENGLISH_ONLY("Not enough memory to load all nav data.");
TEXT_TABLE NAV_DATA_TEXT_SAVING =
    NAV_DATA_ENGLISH_ONLY("Saving tracks, waypoints and routes to MMC/SD card. Please wait.");
TEXT_TABLE NAV_DATA_TEXT_LOADING =
    NAV_DATA_ENGLISH_ONLY("Loading tracks, waypoints and routes from MMC/SD card.  Please wait...");

namespace {

TEXT_TABLE s_tLoadedTracks = NAV_DATA_ENGLISH_ONLY("Loaded # tracks.");
TEXT_TABLE s_tLoaded3 = NAV_DATA_ENGLISH_ONLY("Loaded # tracks, # waypoints and # routes.");
TEXT_TABLE s_tLoadedGroups = NAV_DATA_ENGLISH_ONLY("Loaded # tracks, # waypoints # routes and # groups.");
TEXT_TABLE s_tLoadedRumbrels = NAV_DATA_ENGLISH_ONLY("Loaded # tracks, # waypoints, # routes and # rumbrels.");
TEXT_TABLE s_tLoaded5 = NAV_DATA_ENGLISH_ONLY("Loaded # tracks, # waypoints, # routes, # groups and # rumbrels");

// Constants ---------------------------------------------------------------

constexpr U16 NONE = NAV_ID_NONE;
constexpr S32 NO_IMPORT_DEVICE = 2;
constexpr char FOLDER[] = "VONDREL";
constexpr U32 MATCH_ENTRIES = NAV_WAYPOINT_SLOTS;
constexpr U32 NOTE_BYTES = 256;
constexpr U32 GROUP_DEPTH_LIMIT = 64;
constexpr MBOX NAV_MAILBOX_ID = 16;
constexpr U32 LOADING_PLAIN_KEYS = 0xFFEF;
constexpr U32 LOADING_CURSOR_KEY = 0x10;
constexpr U32 LOADING_RELEASED_KEYS = 0xFFFE;
constexpr U16 DIALOG_BOX_WIDTH = 533;

class NavLock {
public:
    NavLock() { L_MUTEX_LockWait(RES_NAV_DATA); }
    ~NavLock() { L_MUTEX_Unlock(RES_NAV_DATA); }
    NavLock(const NavLock&) = delete;
    NavLock& operator=(const NavLock&) = delete;
};

// Statics -------------------------------------------------------------------

S32 s_s32DeviceID = NO_IMPORT_DEVICE;
S32 s_nImportedMMCDeviceID = NO_IMPORT_DEVICE;
BOOLEAN s_bNavDataImportFromHere = FALSE;
BOOLEAN s_bNoNavDataForImport = FALSE;
std::atomic<int> s_eMMCLoadingString{MMC_STRING_INITIAL};
std::atomic<U32> s_u32Refused{0};

U32 s_nGroupsLoadedFromMMC = 0;
U32 s_nWaypointsLoadedFromMMC = 0;
U32 s_nRoutesLoadedFromMMC = 0;
U32 s_nTracksLoadedFromMMC = 0;
U32 s_nRumbrelsLoadedFromMMC = 0;
BOOLEAN s_bOutOfMemoryForLoading = FALSE;

// Helpers -------------------------------------------------------------------------

const char* pcText(const TEXT_TABLE& t)
{
    return t[nCurrentLanguage()];
}

void vYield(void)
{
    sched_yield();
}

void vRefuse(const char* pcWhy, U32 u32Index)
{
    s_u32Refused.fetch_add(1);
    log_me("card record refused: %s (index %u)", pcWhy, (unsigned)u32Index);
}

bool bWaypointKept(const WAYPOINT* w)
{
    return w != nullptr && (w->u8Status == WP_STATUS_PERMANENT || w->u8Status == WP_STATUS_MOB);
}

bool bSameWaypoint(const WAYPOINT* a, const WAYPOINT* b)
{
    return a->u8Status == b->u8Status && a->bWpNotShared == b->bWpNotShared && a->u8Icon == b->u8Icon &&
           a->u16Depth == b->u16Depth && a->u32DateTime == b->u32DateTime && a->pt.x == b->pt.x &&
           a->pt.y == b->pt.y && strncmp(a->sName, b->sName, WAYPOINT_NAME_CHARS) == 0;
}

std::string sPath(const char* pcFolder, const char* pcName)
{
    return std::string(pcFolder) + "/" + pcName;
}

// Writes all bytes; FALSE on a short write.
bool bWriteAll(FILE* f, const U8* p, U32 n)
{
    return fwrite(p, 1, n, f) == n;
}

const FONT_DEF* pDialogFont(void)
{
    const FONT_DEF* p = std_11x14_font_def_ptr.load();
    return p != nullptr ? p : &vondrel_11x14_font_def;
}

void vShowDialog(DRAW_FUNCTION* pfnDraw)
{
    U_VIEW_bRegisterLayer(pfnDraw, NAV_DATA_LOAD_MESSAGE_LAYER, USED_BY_ALL, 0, 0, TRUE, nullptr, nullptr, nullptr);
    L_SEMA_Signal(SEMA_VIEW_UPDATE);
}

void vHideDialog(void)
{
    U_VIEW_bUnRegisterLayer(NAV_DATA_LOAD_MESSAGE_LAYER);
    L_SEMA_Signal(SEMA_VIEW_UPDATE);
}

// Export ------------------------------------------------------------------------

void vEncodeRecordHeader(U8 u8Type, U8 u8Version, U16 u16Size, U16 u16Index, U8* pOut)
{
    NAV_DATA_STRUCTURE_HEADER h{u8Type, u8Version, u16Size, u16Index, 0};
    T_NAV_DATA_vEncodeHostHeader(&h, pOut);
}

// "DATA.QWR": the record stream from the slots on, of the unit's store or
// of a space. FALSE only when a block was written short (the file is then
// removed).
bool bExportWaypointsAndRoutes(const char* pcFolder, NAV_DATA_SPACE* pData)
{
    const std::string path = sPath(pcFolder, "DATA.QWR");
    FILE* f = fopen(path.c_str(), "wb");
    if (f == nullptr)
        return true;
    T_NAV_DATA_vSetFillBufferState(FBS_WAYPOINTS);
    T_NAV_DATA_vFillBufferInit();
    if (pData != nullptr) {
        T_NAV_DATA_vCopySelectedBufferSegment(pData);
        T_NAV_GROUP_vReturnToBrowseState();
    }
    U8 block[NAV_DATA_BLOCK_BYTES];
    bool ok = true;
    for (;;) {
        const U32 n = pData != nullptr ? T_NAV_DATA_u32FillSelectedBufferSegment(pData, block)
                                       : T_NAV_DATA_u32FillBufferSegment(block, (void*)nullptr);
        if (n == 0)
            break;
        if (!bWriteAll(f, block, n)) {
            ok = false;
            T_NAV_DATA_vFillBufferAbort();
            break;
        }
    }
    T_NAV_DATA_vSetFillBufferState(FBS_TRACKS);
    if (LS_fclose(f) != 0)
        ok = false;
    if (!ok)
        FS_Remove(path.c_str());
    return ok;
}

// One track file; FALSE when it could not be created or was written short.
bool bExportTrack(const char* pcFolder, U32 i, bool* pbCreated)
{
    char name[16];
    snprintf(name, sizeof name, "%03u.QT", (unsigned)i);
    const std::string path = sPath(pcFolder, name);
    *pbCreated = false;
    FILE* f = fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    *pbCreated = true;
    U8* rec = static_cast<U8*>(H_MEMORY_pvMalloc(NAV_DATA_TRACK_RECORD_BYTES));
    vEncodeRecordHeader(NAV_DATA_TRACK, NAV_DATA_CURRENT_VERSION, 0, (U16)i, rec);
    bool ok = false;
    const TRACK* t = T_NAV_NVRAM_pLoadTrack((S32)i);
    if (t != nullptr) {
        T_NAV_RECORD_vEncodeTrack(t, rec + NAV_DATA_HEADER_BYTES);
        T_NAV_NVRAM_vReleaseTrack();
        T_NAV_DATA_vHostToBigEndian(rec, NAV_DATA_TRACK_RECORD_BYTES);
        ok = bWriteAll(f, rec, NAV_DATA_TRACK_RECORD_BYTES);
    }
    H_MEMORY_vFree(rec);
    if (LS_fclose(f) != 0)
        ok = false;
    if (!ok)
        FS_Remove(path.c_str());
    return ok;
}

// The track files of the unit's store or of the tracks a space holds (by
// the unit's index); FALSE when one failed (the others are still written,
// unless one could not be created).
bool bExportTracks(const char* pcFolder, NAV_DATA_SPACE* pData)
{
    NavLock lock;
    bool ok = true;
    for (U32 i = 0; i < NAV_TRACK_SLOTS; ++i) {
        const TRACK_HEADER* h = pData != nullptr ? T_NAV_pGetTrackHeaderEX(pData, i) : T_NAV_pGetTrackHeader(i);
        if (h == nullptr || h->u16Count == 0)
            continue;
        vYield();
        bool created = false;
        if (!bExportTrack(pcFolder, i, &created)) {
            ok = false;
            if (!created)
                return false;
        }
        vYield();
    }
    return ok;
}

// The trolling-motor tracks of the unit, or those a space names (written
// under the space's index).
bool bExportRumbrels(const char* pcFolder, NAV_DATA_SPACE* pData)
{
    const std::string path = sPath(pcFolder, "DATA.QIT");
    FILE* f = fopen(path.c_str(), "wb");
    if (f == nullptr)
        return true;
    bool ok = true;
    {
        NavLock lock;
        U8* rec = static_cast<U8*>(H_MEMORY_pvMalloc(NAV_DATA_RUMBREL_RECORD_BYTES));
        for (U32 i = 0; i < NAV_RUMBREL_SLOTS; ++i) {
            const RUMBREL* r = T_NAV_pGetRumbrel(i);
            if (pData != nullptr) {
                const RUMBREL_HEADER* h = T_NAV_pGetRumbrelHeaderEX(pData, i);
                const U32 from = h == nullptr ? 0xFFFF : h->u32MMCToRumbrelId & 0xFFFF;
                r = h != nullptr && h->nCount != 0 && from != 0xFFFF ? T_NAV_pGetRumbrel(from) : nullptr;
            }
            if (r == nullptr || r->nCount == 0)
                continue;
            vEncodeRecordHeader(NAV_DATA_RUMBREL, NAV_DATA_RUMBREL_VERSION, (U16)NAV_DATA_RUMBREL_RECORD_BYTES, (U16)i,
                                rec);
            T_NAV_RECORD_vEncodeRumbrel(r, rec + NAV_DATA_HEADER_BYTES);
            T_NAV_DATA_vHostToBigEndian(rec, NAV_DATA_RUMBREL_RECORD_BYTES);
            if (!bWriteAll(f, rec, NAV_DATA_RUMBREL_RECORD_BYTES)) {
                log_me("FS_FWrite Error -1 ");
                ok = false;
            }
            vYield();
        }
        H_MEMORY_vFree(rec);
    }
    if (LS_fclose(f) != 0)
        ok = false;
    if (!ok)
        FS_Remove(path.c_str());
    return ok;
}

// Selection copy ----------------------------------------------------------------------

WAYPOINT tSelectionCopy(const WAYPOINT* pSource)
{
    WAYPOINT copy{};
    copy.u8Status = pSource->u8Status == WP_STATUS_MOB ? WP_STATUS_MOB : WP_STATUS_PERMANENT;
    copy.bHide = pSource->bHide;
    copy.u8Icon = pSource->u8Icon;
    copy.u16Depth = pSource->u16Depth;
    copy.u32DateTime = pSource->u32DateTime;
    copy.pt = pSource->pt;
    memcpy(copy.sName, pSource->sName, WAYPOINT_NAME_CHARS);
    return copy;
}

// An equal waypoint already in the space; NONE.
U16 u16FindInSpace(NAV_DATA_SPACE* pData, const WAYPOINT* w)
{
    for (U32 s = 0; s < pData->u16WaypointCount; ++s) {
        const WAYPOINT* x = T_NAV_pGetWaypointEX(pData, s);
        if (x != nullptr && bWaypointKept(x) && bSameWaypoint(x, w))
            return (U16)s;
    }
    return NONE;
}

BOOLEAN bCopyItem(NAV_DATA_SPACE* pData, U16 id, U16 parent, bool bLog, U32 depth);

BOOLEAN bCopyGroup(NAV_DATA_SPACE* pData, U16 from, U16 to, U32 depth)
{
    GROUP_SLOT src{};
    if (!T_NAV_bReadGroupSlot(from, &src) || src.header.u8Status != WP_STATUS_GROUP_HEADER || depth > GROUP_DEPTH_LIMIT)
        return FALSE;
    GROUP_SLOT h{};
    h.header.u8Status = WP_STATUS_GROUP_HEADER;
    h.header.bHide = src.header.bHide;
    h.header.u8Icon = src.header.u8Icon;
    h.header.u32DateTime = src.header.u32DateTime;
    h.header.u16ParentIndex = to;
    h.header.u16FirstBodyIndex = NONE;
    memcpy(h.header.sName, src.header.sName, GROUP_NAME_CHARS);
    const U16 g = T_NAV_GROUP_DATA_nNewGroupEX(pData, &h.header);
    if (g == NONE)
        return FALSE;
    BOOLEAN last = T_NAV_GROUP_DATA_bAddLinkEX(pData, to, g);
    std::vector<U16> bodies;
    for (U16 cur = src.header.u16FirstBodyIndex; cur != NONE;) {
        if (std::find(bodies.begin(), bodies.end(), cur) != bodies.end())
            break;
        bodies.push_back(cur);
        GROUP_SLOT b{};
        if (!T_NAV_bReadGroupSlot(cur, &b) || b.body.u8Status != WP_STATUS_GROUP_BODY)
            break;
        for (U16 item : b.body.u16Item)
            if (item != NONE)
                last = bCopyItem(pData, item, g, false, depth + 1);
        cur = b.body.u16NextIndex;
    }
    return last;
}

BOOLEAN bCopyItem(NAV_DATA_SPACE* pData, U16 id, U16 parent, bool bLog, U32 depth)
{
    if ((id & 0xC000) == 0xC000) {
        if ((id & 0x0FFF) >= NAV_WAYPOINT_SLOTS)
            return FALSE;
        return bCopyGroup(pData, id, parent, depth);
    }
    if ((id & 0xC000) == 0) {
        if ((id & 0x0FFF) >= NAV_WAYPOINT_SLOTS)
            return FALSE;
        const WAYPOINT* w = T_NAV_pGetWaypoint(id);
        if (w == nullptr)
            return FALSE;
        const WAYPOINT copy = tSelectionCopy(w);
        const S32 at = T_NAV_nAddWaypointEX(pData, &copy, FALSE);
        return at >= 0 && at != NONE ? T_NAV_GROUP_DATA_bAddLinkEX(pData, parent, (U16)at) : FALSE;
    }
    if ((id & 0xC800) == NAV_ID_ROUTE_TAG) {
        const U32 index = id & 0x07FF;
        const ROUTE* src = index < NAV_ROUTE_SLOTS ? T_NAV_pGetRoute(index) : nullptr;
        if (src == nullptr || (src->nCount == 0 && src->u32DateTime == 0))
            return FALSE;
        ROUTE r{};
        r.bHide = src->bHide;
        r.u32DateTime = src->u32DateTime;
        memcpy(r.sName, src->sName, ROUTE_NAME_CHARS);
        for (U16& p : r.anWaypoint)
            p = NONE;
        const S32 ri = T_NAV_nAddRouteEX(pData, &r);
        const bool added = ri >= 0 && ri < (S32)NAV_ROUTE_SLOTS;
        const U16 rid = added ? (U16)(NAV_ID_ROUTE_TAG | ri) : NONE;
        BOOLEAN last = T_NAV_GROUP_DATA_bAddLinkEX(pData, parent, rid);
        if (!added)
            return last;
        const ROUTE source = *src;
        for (U32 n = 0; n < source.nCount && n < ROUTE_MAX_POINTS; ++n) {
            const U16 p = source.anWaypoint[n];
            const bool own = (p & 0xC000) == 0 && (p & 0x0FFF) < NAV_WAYPOINT_SLOTS;
            const WAYPOINT* w = own ? T_NAV_pGetWaypoint(p) : nullptr;
            if (bWaypointKept(w)) {
                const WAYPOINT copy = tSelectionCopy(w);
                U16 at = u16FindInSpace(pData, &copy);
                if (at == NONE) {
                    const S32 a = T_NAV_nAddWaypointEX(pData, &copy, FALSE);
                    at = a >= 0 ? (U16)a : NONE;
                }
                if (at != NONE)
                    last = T_NAV_GROUP_DATA_bRouteAddLinkEX(pData, rid, at);
            }
            T_NAV_vSaveRouteEX(pData, (U32)ri, T_NAV_pGetRouteEX(pData, (U32)ri), FALSE);
        }
        return last;
    }
    if ((id & 0xC800) == NAV_ID_TRACK_TAG) {
        const U16 index = id & 0x3F;
        const U16 unit = T_NAV_GROUP_DATA_u16Getu7UnitID() & NAV_ID_TRACK_UNIT_MASK;
        // Another unit's track is not this unit's to export.
        if (index >= NAV_TRACK_SLOTS || (id & NAV_ID_TRACK_UNIT_MASK) != unit)
            return FALSE;
        const TRACK_HEADER* h = T_NAV_pGetTrackHeader(index);
        if (h == nullptr || h->u16Count == 0)
            return FALSE;
        // The space keeps headers only: a track with an empty ring carries it.
        TRACK* t = static_cast<TRACK*>(H_MEMORY_pvMalloc(sizeof(TRACK)));
        memset(static_cast<void*>(t), 0, sizeof(TRACK));
        *static_cast<TRACK_HEADER*>(t) = *h;
        const S32 at = T_NAV_nAddTrackEX(pData, t, h->u32DateTime, h->sName, FALSE, index);
        H_MEMORY_vFree(t);
        const U16 link = at >= 0 && at < (S32)NAV_TRACK_SLOTS ? (U16)(NAV_ID_TRACK_TAG | unit | at) : NONE;
        return T_NAV_GROUP_DATA_bAddLinkEX(pData, parent, link);
    }
    if ((id & 0xCE00) == NAV_ID_RUMBREL_TAG) {
        const U16 index = id & 0x1FF;
        const RUMBREL_HEADER* h = index < NAV_RUMBREL_SLOTS ? T_NAV_pGetRumbrelHeader(index) : nullptr;
        if (h == nullptr)
            return FALSE;
        RUMBREL_HEADER copy = *h;
        copy.u32MMCToRumbrelId = index;
        if (bLog)
            log_me("Adding Rumbrel %d to NavDataStore", (int)index);
        const S32 at = T_NAV_nAddRumbrelHeaderEX(pData, &copy, FALSE);
        if (at < 0 || at == NONE || at >= (S32)NAV_RUMBREL_SLOTS)
            return FALSE;
        return T_NAV_GROUP_DATA_bAddLinkEX(pData, parent, (U16)(NAV_ID_RUMBREL_TAG | at));
    }
    return FALSE;
}

// Import: reading -----------------------------------------------------------------

// The body length a header announces; 0 when it announces none.
U32 u32AnnouncedBody(const NAV_DATA_STRUCTURE_HEADER& h, FILE* f, bool* pbWholeFile)
{
    *pbWholeFile = h.u16Size == 0;
    if (h.u16Size != 0)
        return h.u16Size > NAV_DATA_HEADER_BYTES ? (U32)h.u16Size - NAV_DATA_HEADER_BYTES : 0;
    const U32 size = FS_GetFileSize(f);
    if (size == 0xFFFFFFFF || size < NAV_DATA_HEADER_BYTES)
        return 0;
    return size - NAV_DATA_HEADER_BYTES;
}

// The match list of a "DATA.QWR": the import slot that took each card slot.
struct MatchList {
    std::vector<U16> slot = std::vector<U16>(MATCH_ENTRIES, NONE);
};

void vStoreSlotAt(const WAYPOINT& w, U16 u16Index, bool* pbRootTaken, MatchList& match)
{
    const bool group = w.u8Status == WP_STATUS_GROUP_HEADER || w.u8Status == WP_STATUS_GROUP_BODY;
    S32 result;
    if (group && !*pbRootTaken) {
        *pbRootTaken = true;
        result = T_NAV_nReplaceRootGroup(&w, TRUE);
    } else {
        // The buffer stores at its fill index: put it on the card's slot so
        // that the card's group records keep naming the right items.
        const S32 before = T_NAV_TWR_s32GetMaxUsedWaypointIndexMMC();
        T_NAV_TWR_vSetMaxUsedWaypointIndexMMC(u16Index);
        result = group ? T_NAV_nAddGroupFromMMC(&w, TRUE) : T_NAV_nAddWaypointFromMMC(&w, TRUE);
        T_NAV_TWR_vSetMaxUsedWaypointIndexMMC(std::max(before, (S32)u16Index));
    }
    s_bNavDataImportFromHere = TRUE;
    if (result >= 0 && result != NONE)
        match.slot[u16Index] = (U16)result;
}

void vReadWaypointFile(FILE* f)
{
    MatchList match;
    bool rootTaken = false;
    U8 hdr[NAV_DATA_HEADER_BYTES];
    while (T_NAV_DATA_pheaderReadHeader(f, hdr)) {
        NAV_DATA_STRUCTURE_HEADER h{};
        T_NAV_DATA_vDecodeHeader(hdr, &h);
        if (h.u8Type != NAV_DATA_WAYPOINT && h.u8Type != NAV_DATA_ROUTE) {
            // Skipped by its size so the next header is read in step; a
            // record without a usable size leaves nothing to step by.
            if (h.u16Size <= NAV_DATA_HEADER_BYTES ||
                fseek(f, (long)h.u16Size - (long)NAV_DATA_HEADER_BYTES, SEEK_CUR) != 0) {
                vRefuse("unknown kind without a size", h.u16Index);
                return;
            }
            vRefuse("unknown kind", h.u16Index);
            continue;
        }
        U32 bytes = 0;
        U8* body = T_NAV_DATA_pvReadItem(f, hdr, &bytes);
        if (body == nullptr)
            return;
        NAV_DATA_STRUCTURE_HEADER hh{};
        T_NAV_DATA_vDecodeHostHeader(hdr, &hh);
        if (hh.u8Type == NAV_DATA_WAYPOINT) {
            WAYPOINT w{};
            T_NAV_RECORD_vDecodeWaypoint(body, &w);
            if (hh.u16Index >= NAV_WAYPOINT_SLOTS)
                vRefuse("slot index", hh.u16Index);
            else
                vStoreSlotAt(w, hh.u16Index, &rootTaken, match);
        } else {
            ROUTE r{};
            T_NAV_RECORD_vDecodeRoute(body, &r);
            if (hh.u16Index >= NAV_ROUTE_SLOTS || r.nCount > ROUTE_MAX_POINTS) {
                vRefuse("route index or count", hh.u16Index);
            } else {
                bool all = true;
                for (U32 i = 0; i < r.nCount; ++i) {
                    const U16 id = r.anWaypoint[i];
                    const U16 to = id < MATCH_ENTRIES ? match.slot[id] : NONE;
                    // A point whose slot the card did not hold is no import
                    // slot: it must not name whatever the buffer holds there.
                    r.anWaypoint[i] = to;
                    all = all && to != NONE;
                }
                if (all || r.u32DateTime != 0) {
                    T_NAV_vSaveRouteFromMMC(hh.u16Index, &r, TRUE);
                    s_bNavDataImportFromHere = TRUE;
                }
            }
        }
        H_MEMORY_vFree(body);
    }
}

void vReadRumbrelFile(FILE* f)
{
    U8 hdr[NAV_DATA_HEADER_BYTES];
    RUMBREL* r = static_cast<RUMBREL*>(H_MEMORY_pvMalloc(sizeof(RUMBREL)));
    while (T_NAV_DATA_pheaderReadHeader(f, hdr)) {
        U32 bytes = 0;
        U8* body = T_NAV_DATA_pvReadItem(f, hdr, &bytes);
        if (body == nullptr)
            break;
        if (hdr[0] != NAV_DATA_RUMBREL) {
            H_MEMORY_vFree(body);
            continue;
        }
        memset(static_cast<void*>(r), 0, sizeof(RUMBREL));
        T_NAV_RECORD_vDecodeRumbrel(body, r);
        H_MEMORY_vFree(body);
        if (r->nCount == 0 || r->nCount > RUMBREL_MAX_POINTS) {
            vRefuse("trolling-motor track count", 0);
            continue;
        }
        if (r->u64UID == 0)
            U_STEVRIN_COMMON_vGenerateRumbrelUID(r);
        const U16 found = T_NAV_u16FindRumbrel(r);
        if (found != NONE) {
            r->u32MMCToRumbrelId = found;
            r->u32DisplayedOnChart = 0;
        } else {
            const U16 slot = T_NAV_u16FindAvailableRumbrel() == NONE ? NONE : T_NAV_u16RumbrelAdd(r);
            r->u32MMCToRumbrelId = slot;
            r->u32DisplayedOnChart = 1;
        }
        if (T_NAV_nAddRumbrelHeaderFromMMC(r, r->u32DateTime, r->sName, TRUE) != NONE)
            s_bNavDataImportFromHere = TRUE;
    }
    H_MEMORY_vFree(r);
}

// The track of a "QT" file into *pTrack and its card index; FALSE for any
// other content.
bool bReadTrackFile(FILE* f, TRACK* pTrack, U16* pu16Index)
{
    U8 hdr[NAV_DATA_HEADER_BYTES];
    if (!T_NAV_DATA_pheaderReadHeader(f, hdr))
        return false;
    U32 bytes = 0;
    U8* body = T_NAV_DATA_pvReadItem(f, hdr, &bytes);
    if (body == nullptr)
        return false;
    const bool ok = hdr[0] == NAV_DATA_TRACK && bytes == TRACK_BYTES;
    if (ok) {
        T_NAV_RECORD_vDecodeTrack(body, pTrack);
        NAV_DATA_STRUCTURE_HEADER h{};
        T_NAV_DATA_vDecodeHostHeader(hdr, &h);
        *pu16Index = h.u16Index;
    }
    H_MEMORY_vFree(body);
    return ok;
}

void vReadTrackFile(FILE* f)
{
    TRACK* t = static_cast<TRACK*>(H_MEMORY_pvMalloc(sizeof(TRACK)));
    U16 index = NONE;
    if (bReadTrackFile(f, t, &index)) {
        TRACK_HEADER* at = index < NAV_TRACK_SLOTS ? T_NAV_pGetTrackHeaderFromMMC(index) : nullptr;
        if (t->u16Count == 0 || t->u16Count > TRACK_MAX_POINTS || t->u16FirstDelta >= TRACK_DELTA_COUNT) {
            vRefuse("track count or first step", index);
        } else if (at != nullptr && at->u16Count == 0) {
            // At the card's index, where the card's group records name it.
            NAV_DATA_SPACE space{};
            space.pTrackHeader = T_NAV_pGetTrackHeaderFromMMC(0);
            space.u16TrackCount = (U16)NAV_TRACK_SLOTS;
            if (T_NAV_nAddTrackEX(&space, t, t->u32DateTime, t->sName, TRUE, index) != NONE)
                s_bNavDataImportFromHere = TRUE;
        } else if (T_NAV_nAddTrackFromMMC(t, t->u32DateTime, t->sName, TRUE) != NONE) {
            s_bNavDataImportFromHere = TRUE;
        }
    }
    H_MEMORY_vFree(t);
}

char* pcCardFolder(S32 nDeviceID)
{
    char* dev = U_FILE_psCreateDeviceName("mmc", nDeviceID);
    if (dev == nullptr)
        return nullptr;
    char* folder = U_FILE_psComposeFileName(dev, FOLDER);
    H_MEMORY_vFree(dev);
    return folder;
}

// Merge -------------------------------------------------------------------------

// An import waypoint id (bits 14-15 clear, slot at most 2999) holding a
// waypoint of status 1 or 3; null otherwise.
const WAYPOINT* pImportWaypoint(U16 id)
{
    if ((id & 0xC000) != 0 || id >= NAV_WAYPOINT_SLOTS)
        return nullptr;
    const WAYPOINT* w = T_NAV_pGetWaypointFromMMC(id);
    return bWaypointKept(w) ? w : nullptr;
}

// The import route with only the points that name import waypoints: what
// the unit's copy of it will hold.
ROUTE tResolvedRoute(const ROUTE* r)
{
    ROUTE out = *r;
    U32 n = 0;
    for (U32 i = 0; i < r->nCount && i < ROUTE_MAX_POINTS; ++i)
        if (pImportWaypoint(r->anWaypoint[i]) != nullptr)
            out.anWaypoint[n++] = r->anWaypoint[i];
    for (U32 i = n; i < ROUTE_MAX_POINTS; ++i)
        out.anWaypoint[i] = NONE;
    out.nCount = n;
    return out;
}

// A unit route equal to a resolved import route; NONE.
U16 u16FindRouteElsewhere(const ROUTE* r)
{
    for (U32 s = 0; s < NAV_ROUTE_SLOTS; ++s) {
        const ROUTE* u = T_NAV_pGetRoute(s);
        if (u == nullptr || u->nCount != r->nCount || u->u32DateTime != r->u32DateTime ||
            strncmp(u->sName, r->sName, ROUTE_NAME_CHARS) != 0)
            continue;
        bool same = true;
        for (U32 i = 0; i < r->nCount && same; ++i) {
            const WAYPOINT* a = T_NAV_pGetWaypoint(u->anWaypoint[i]);
            const WAYPOINT* b = pImportWaypoint(r->anWaypoint[i]);
            if (a == nullptr || b == nullptr)
                same = false;
            else {
                const WAYPOINT ca = T_NAV_GROUP_tLocalWaypointCopy(a), cb = T_NAV_GROUP_tLocalWaypointCopy(b);
                same = bSameWaypoint(&ca, &cb);
            }
        }
        if (same)
            return (U16)(NAV_ID_ROUTE_TAG | s);
    }
    return NONE;
}

// The unit's waypoint equal to an import waypoint, or a new copy (counted);
// NONE when the table is full.
U16 u16UnitWaypoint(const WAYPOINT* pImport, bool* pbAdded)
{
    WAYPOINT copy = T_NAV_GROUP_tLocalWaypointCopy(pImport);
    *pbAdded = false;
    const U16 found = T_NAV_GROUP_u16FindWaypoint(&copy);
    if (found != NONE)
        return found;
    const U16 added = T_NAV_u16WaypointAdd(&copy, TRUE, FALSE);
    *pbAdded = added != NONE;
    return added;
}

// FALSE: the unit is full, the insertion of the current group stops.
bool bInsertRoute(U16 id, U16 parent)
{
    const U16 index = id & 0x37FF;
    if (index >= NAV_ROUTE_SLOTS)
        return true;
    const ROUTE* source = T_NAV_pGetRouteFromMMC(index);
    if (source == nullptr || source->u32DateTime == 0 || source->nCount > ROUTE_MAX_POINTS)
        return true;
    const ROUTE r = tResolvedRoute(source);
    NAV_DATA_SPACE space{};
    space.pWaypoint = T_NAV_pGetWaypointDataSpaceOnMMC();
    space.u16WaypointCount = (U16)NAV_WAYPOINT_SLOTS;
    if (space.pWaypoint != nullptr && T_NAV_bFindRouteInGroup(&r, &space, parent))
        return true;
    const U16 elsewhere = u16FindRouteElsewhere(&r);
    if (elsewhere != NONE) {
        if (!T_NAV_GROUP_DATA_bAddLink(parent, elsewhere))
            s_bOutOfMemoryForLoading = TRUE;
        return true;
    }
    const U16 slot = T_NAV_u16FindAvailableRoute(r.bRtNotShared);
    if (slot >= NAV_ROUTE_SLOTS)
        return false;
    ROUTE fresh{};
    fresh.bRtNotShared = r.bRtNotShared;
    fresh.bHide = r.bHide;
    fresh.nCount = r.nCount;
    fresh.u32DateTime = r.u32DateTime;
    memcpy(fresh.sName, r.sName, ROUTE_NAME_CHARS);
    for (U16& p : fresh.anWaypoint)
        p = NONE;
    T_NAV_vRouteStore(slot, &fresh, FALSE, FALSE);
    const U16 rid = (U16)(NAV_ID_ROUTE_TAG | slot);
    if (!T_NAV_GROUP_DATA_bAddLink(parent, rid)) {
        s_bOutOfMemoryForLoading = TRUE;
        return true;
    }
    s_nRoutesLoadedFromMMC++;
    U32 written = 0;
    U16 last = NONE;
    for (U32 n = 0; n < r.nCount; ++n) {
        bool added = false;
        const U16 w = u16UnitWaypoint(pImportWaypoint(r.anWaypoint[n]), &added);
        if (added)
            s_nWaypointsLoadedFromMMC++;
        if (w == NONE) {
            s_bOutOfMemoryForLoading = TRUE;
            continue;
        }
        T_NAV_GROUP_DATA_bRouteAddLinkOnline(rid, w, n, &written, &last);
    }
    // The count ends equal to the points written.
    const ROUTE* stored = T_NAV_pGetRoute(slot);
    if (stored != nullptr && stored->nCount != written) {
        ROUTE fixed = *stored;
        fixed.nCount = written;
        T_NAV_vRouteStore(slot, &fixed, FALSE, FALSE);
    }
    return true;
}

bool bInsertTrack(U16 id, U16 parent)
{
    const U16 index = id & 0x3F;
    if (index >= NAV_TRACK_SLOTS)
        return true;
    const TRACK_HEADER* h = T_NAV_pGetTrackHeaderFromMMC(index);
    if (h == nullptr || h->u16Count == 0 || h->u32DateTime == 0)
        return true;
    if (T_NAV_u16FindInGroup(FIND_TRACK_IN_GROUP, h, parent) != NONE)
        return true;
    TRACK* t = static_cast<TRACK*>(H_MEMORY_pvMallocNoWait(sizeof(TRACK)));
    if (t == nullptr) {
        s_bOutOfMemoryForLoading = TRUE;
        return true;
    }
    bool go = true;
    if (s_nImportedMMCDeviceID != NO_IMPORT_DEVICE &&
        T_NAV_DATA_vGetTrackFromMMCByTrackHeader(s_nImportedMMCDeviceID, h, t)) {
        const S32 slot = T_NAV_nAddTrack(t, t->u32DateTime, t->sName, FALSE);
        if (slot < 0 || slot >= (S32)NAV_TRACK_SLOTS) {
            s_bOutOfMemoryForLoading = TRUE;
            go = false;
        } else {
            const U16 unit = T_NAV_GROUP_DATA_u16Getu7UnitID() & NAV_ID_TRACK_UNIT_MASK;
            const U16 tid = (U16)(NAV_ID_TRACK_TAG | unit | slot);
            if (T_NAV_GROUP_DATA_bAddLink(parent, tid))
                s_nTracksLoadedFromMMC++;
            else
                s_bOutOfMemoryForLoading = TRUE;
        }
    }
    H_MEMORY_vFree(t);
    return go;
}

bool bInsertRumbrel(U16 index, U16 parent, bool bFlat)
{
    if (index >= NAV_RUMBREL_SLOTS)
        return true;
    RUMBREL_HEADER* h = T_NAV_pGetRumbrelHeaderFromMMC(index);
    if (h == nullptr || h->nCount == 0 || h->u32DateTime == 0) {
        log_me("Rumbrel was not found in the MMC buffer");
        return true;
    }
    if (T_NAV_u16FindInGroup(FIND_RUMBREL_IN_GROUP, h, parent) != NONE)
        return true;
    const U32 slot = h->u32MMCToRumbrelId & 0xFFFF;
    if (slot >= NAV_RUMBREL_SLOTS) {
        s_bOutOfMemoryForLoading = TRUE;
        return false;
    }
    if (T_NAV_GROUP_DATA_bAddLink(parent, (U16)(NAV_ID_RUMBREL_TAG | slot))) {
        if (h->u32DisplayedOnChart == 1) {
            s_nRumbrelsLoadedFromMMC++;
            h->u32DisplayedOnChart = 0;
        }
    } else {
        if (bFlat)
            log_me("Add Link FAILED");
        s_bOutOfMemoryForLoading = TRUE;
    }
    return true;
}

bool bInsertWaypointFlat(const WAYPOINT* w, U16 parent)
{
    WAYPOINT copy = T_NAV_GROUP_tLocalWaypointCopy(w);
    if (T_NAV_u16FindInGroup(FIND_WAYPOINT_IN_GROUP, &copy, parent) != NONE)
        return true;
    const U16 added = T_NAV_u16WaypointAdd(&copy, TRUE, FALSE);
    if (added == NONE)
        return false;
    if (T_NAV_GROUP_DATA_bAddLink(parent, added))
        s_nWaypointsLoadedFromMMC++;
    else
        s_bOutOfMemoryForLoading = TRUE;
    return true;
}

void vInsertGroup(const GROUP_HEADER* H, U16 P, std::vector<U16>& path);

// One item of an import group; FALSE ends the insertion of that group.
bool bInsertItem(U16 id, U16 P, std::vector<U16>& path)
{
    if ((id & 0xC000) == 0xC000) {
        if ((id & 0x0FFF) >= NAV_WAYPOINT_SLOTS)
            return true;
        const GROUP_SLOT* g = T_NAV_pGetGroupSlotFromMMC(id);
        if (g == nullptr || g->header.u8Status != WP_STATUS_GROUP_HEADER)
            return true;
        // A card whose groups contain themselves is entered once per path.
        if (std::find(path.begin(), path.end(), id) != path.end() || path.size() >= GROUP_DEPTH_LIMIT)
            return true;
        const GROUP_HEADER G = g->header;
        U16 target = T_NAV_u16FindInGroup(FIND_GROUPHEADER_IN_GROUP, &G, P);
        if (target == NONE) {
            GROUP_SLOT h{};
            h.header.u8Status = WP_STATUS_GROUP_HEADER;
            h.header.bWpNotShared = G.bWpNotShared;
            h.header.bHide = G.bHide;
            h.header.u8Icon = G.u8Icon;
            h.header.u32DateTime = G.u32DateTime;
            h.header.u16ParentIndex = P;
            h.header.u16FirstBodyIndex = NONE;
            memcpy(h.header.sName, G.sName, GROUP_NAME_CHARS);
            target = T_NAV_GROUP_DATA_nNewGroup(&h.header);
            if (target == NONE) {
                s_bOutOfMemoryForLoading = TRUE;
                return false;
            }
            if (T_NAV_GROUP_DATA_bAddLink(P, target)) {
                s_nGroupsLoadedFromMMC++;
            } else {
                s_bOutOfMemoryForLoading = TRUE;
            }
        }
        path.push_back(id);
        vInsertGroup(&G, target, path);
        path.pop_back();
        return true;
    }
    if ((id & 0xC000) == 0) {
        const WAYPOINT* w = pImportWaypoint(id);
        if (w == nullptr)
            return true;
        bool added = false;
        const U16 u = u16UnitWaypoint(w, &added);
        if (u == NONE) {
            s_bOutOfMemoryForLoading = TRUE;
            return false;
        }
        if (T_NAV_GROUP_DATA_bAddLink(P, u)) {
            if (added)
                s_nWaypointsLoadedFromMMC++;
        } else if (added) {
            s_bOutOfMemoryForLoading = TRUE;
        }
        return true;
    }
    if ((id & 0xC800) == NAV_ID_ROUTE_TAG) {
        if (!bInsertRoute(id, P)) {
            s_bOutOfMemoryForLoading = TRUE;
            return false;
        }
        return true;
    }
    if ((id & 0xC800) == NAV_ID_TRACK_TAG)
        return bInsertTrack(id, P);
    if ((id & 0xCE00) == NAV_ID_RUMBREL_TAG && (id & 0x1FF) < NAV_RUMBREL_SLOTS)
        return bInsertRumbrel(id & 0x3F, P, false);
    return true;
}

void vInsertGroup(const GROUP_HEADER* H, U16 P, std::vector<U16>& path)
{
    std::vector<U16> bodies;
    U16 cur = H->u16FirstBodyIndex;
    while (cur != NONE) {
        if (std::find(bodies.begin(), bodies.end(), cur) != bodies.end())
            return; // a chain that loops ends here
        bodies.push_back(cur);
        const GROUP_SLOT* b = T_NAV_pGetGroupSlotFromMMC(cur);
        if (b == nullptr || b->body.u8Status != WP_STATUS_GROUP_BODY)
            return;
        const GROUP_BODY body = b->body;
        for (U16 id : body.u16Item)
            if (id != NONE && !bInsertItem(id, P, path))
                return;
        cur = body.u16NextIndex;
    }
}

void vInsertFlat(U16 P)
{
    for (U32 i = 0; i < NAV_WAYPOINT_SLOTS; ++i) {
        const WAYPOINT* w = pImportWaypoint((U16)i);
        if (w != nullptr && !bInsertWaypointFlat(w, P)) {
            s_bOutOfMemoryForLoading = TRUE;
            return;
        }
    }
    for (U32 i = 0; i < NAV_ROUTE_SLOTS; ++i)
        if (!bInsertRoute((U16)(NAV_ID_ROUTE_TAG | i), P)) {
            s_bOutOfMemoryForLoading = TRUE;
            return;
        }
    for (U32 i = 0; i < NAV_TRACK_SLOTS; ++i)
        if (!bInsertTrack((U16)(NAV_ID_TRACK_TAG | i), P))
            return;
    for (U32 i = 0; i < NAV_RUMBREL_SLOTS; ++i) {
        const RUMBREL_HEADER* h = T_NAV_pGetRumbrelHeaderFromMMC(i);
        if (h != nullptr && h->nCount != 0 && h->u32DateTime != 0 && !bInsertRumbrel((U16)i, P, true))
            return;
    }
}

// "text#text#..." with the counts between the parts; the text before the
// first '#' when the parts and counts do not fit together.
void vFillCounts(char* pcOut, const char* pcTemplate, const U32* pCounts, S32 nCounts, S32 nMaxMessage)
{
    char work[NOTE_BYTES];
    snprintf(work, sizeof work, "%s", pcTemplate);
    char* parts[8] = {};
    const S32 n = T_NAV_DATA_nSplitString(work, parts, nMaxMessage, nCounts + 1);
    std::string note = parts[0];
    if (n == nCounts + 1)
        for (S32 i = 0; i < nCounts; ++i)
            note += std::to_string(pCounts[i]) + parts[i + 1];
    snprintf(pcOut, NOTE_BYTES, "%s", note.c_str());
}

} // namespace

// Export ----------------------------------------------------------------------------

void T_NAV_DATA_vExportCleanup(const char* pcFolder)
{
    VONDREL_DIR* d = FS_OpenDir(pcFolder);
    if (d == nullptr)
        return;
    std::vector<std::string> doomed;
    while (VONDREL_DIRENT* e = FS_ReadDir(d)) {
        char name[FS_NAME_BYTES];
        FS_DirEnt2Name(e, name);
        if (name[0] != '.')
            doomed.push_back(e->full_name);
    }
    FS_CloseDir(d);
    for (const std::string& p : doomed)
        FS_Remove(p.c_str());
}

void T_NAV_DATA_vExportAllTracksWaypointsRoutes(void)
{
    static const char* const dirs[] = {FOLDER, nullptr};
    char* folder = T_MMC_pcDeviceMakeDirectory(dirs, nullptr);
    if (folder == nullptr) {
        T_NAV_vSetNavUINote(&NAV_DATA_TEXT_EXPORT_FAILED, nullptr, FALSE);
        return;
    }
    vShowDialog(T_NAV_DATA_vDrawSavingMessage);
    bool ok;
    {
        NavLock lock;
        T_NAV_DATA_vExportCleanup(folder);
        ok = bExportWaypointsAndRoutes(folder, nullptr) && bExportTracks(folder, nullptr) &&
             bExportRumbrels(folder, nullptr);
    }
    vHideDialog();
    T_NAV_vSetNavUINote(ok ? &NAV_DATA_TEXT_EXPORT_OK : &NAV_DATA_TEXT_EXPORT_FAILED, nullptr, FALSE);
    H_MEMORY_vFree(folder);
}

void T_NAV_DATA_vCopySelectedBufferSegment(NAV_DATA_SPACE* pData)
{
    if (pData == nullptr)
        return;
    std::vector<U16> list(1 + SELECT_EXPORT_MAX_ITEMS, 0);
    T_NAV_GROUP_vExportSelectedDataItems(list.data());
    GROUP_SLOT root{};
    root.header.u8Status = WP_STATUS_GROUP_HEADER;
    root.header.u8Icon = 1;
    root.header.u16ParentIndex = NONE;
    root.header.u16FirstBodyIndex = NONE;
    snprintf(root.header.sName, GROUP_NAME_CHARS, "%s", pcText(Home));
    const U16 R = T_NAV_GROUP_DATA_nNewGroupEX(pData, &root.header);
    if (R == NONE)
        return;
    // The root's shared body, going on with its locked body in slot 2999,
    // as the unit's own root is laid out.
    const U16 shared = T_NAV_nAllocGroupSlotEX(pData, FALSE);
    if (shared != NONE) {
        GROUP_SLOT b{};
        b.body.u8Status = WP_STATUS_GROUP_BODY;
        b.body.u16NextIndex = NAV_ID_SEPARATOR;
        for (U16& i : b.body.u16Item)
            i = NONE;
        T_NAV_bSetGroupSlotEX(pData, shared, &b);
        b.body.bWpNotShared = 1;
        b.body.u16NextIndex = NONE;
        T_NAV_bSetGroupSlotEX(pData, (U16)(NAV_ID_GROUP_TAG | NAV_ROOT_LOCKED_SLOT), &b);
        GROUP_SLOT h{};
        if (T_NAV_bReadGroupSlotEX(pData, R, &h)) {
            h.header.u16FirstBodyIndex = shared;
            T_NAV_bSetGroupSlotEX(pData, R, &h);
        }
    }
    const U32 n = std::min<U32>(list[0], SELECT_EXPORT_MAX_ITEMS);
    for (U32 i = 0; i < n; ++i)
        bCopyItem(pData, list[1 + i], R, true, 0);
}

BOOLEAN T_NAV_DATA_vCopySelectedGroupBufferSegment(NAV_DATA_SPACE* pData, U16 FromIndexGroup, U16 ToIndexGroup)
{
    if (pData == nullptr)
        return FALSE;
    return bCopyGroup(pData, FromIndexGroup, ToIndexGroup, 0);
}

void T_NAV_DATA_vExportSelectedTracksWaypointsRoutes(void)
{
    static const char* const dirs[] = {FOLDER, nullptr};
    char* folder = T_MMC_pcDeviceMakeDirectory(dirs, nullptr);
    if (folder == nullptr) {
        T_NAV_vSetNavUINote(&NAV_DATA_TEXT_EXPORT_FAILED, nullptr, FALSE);
        return;
    }
    vShowDialog(T_NAV_DATA_vDrawSavingMessage);
    T_NAV_DATA_vExportCleanup(folder);
    T_NAV_vInitializeNavDataBuffer();
    NAV_DATA_SPACE* space = T_NAV_nGetSelectNavDataSpace();
    bool ok = space != nullptr;
    if (ok) {
        {
            NavLock lock;
            ok = bExportWaypointsAndRoutes(folder, space);
        }
        ok = ok && bExportTracks(folder, space) && bExportRumbrels(folder, space);
    }
    T_NAV_vFreeNavDataBuffer();
    vHideDialog();
    T_NAV_vSetNavUINote(ok ? &NAV_DATA_TEXT_EXPORT_OK : &NAV_DATA_TEXT_EXPORT_FAILED, nullptr, FALSE);
    H_MEMORY_vFree(folder);
}

// Import ----------------------------------------------------------------------------

BOOLEAN T_NAV_DATA_pheaderReadHeader(FILE* pFile, U8* pu8Header)
{
    if (pFile == nullptr || pu8Header == nullptr)
        return FALSE;
    return fread(pu8Header, 1, NAV_DATA_HEADER_BYTES, pFile) == NAV_DATA_HEADER_BYTES ? TRUE : FALSE;
}

U8* T_NAV_DATA_pvReadItem(FILE* pFile, U8* pu8Header, U32* pu32Bytes)
{
    if (pFile == nullptr || pu8Header == nullptr)
        return nullptr;
    NAV_DATA_STRUCTURE_HEADER h{};
    T_NAV_DATA_vDecodeHeader(pu8Header, &h);
    bool whole = false;
    const U32 n = u32AnnouncedBody(h, pFile, &whole);
    U32 out = 0;
    bool upgrade = false;
    if (h.u8Type == NAV_DATA_TRACK && h.u8Version == 2 && n == TRACK_V2_BYTES) {
        upgrade = true;
        out = TRACK_BYTES;
    } else if (h.u8Type == NAV_DATA_TRACK && h.u8Version == 3 && n == TRACK_BYTES && whole) {
        out = n;
    } else if (h.u8Type == NAV_DATA_WAYPOINT && (h.u8Version == 3 || h.u8Version == 2) && n == WAYPOINT_BYTES) {
        out = n;
    } else if (h.u8Type == NAV_DATA_ROUTE && h.u8Version == 3 && n == ROUTE_BYTES) {
        out = n;
    } else if (h.u8Type == NAV_DATA_RUMBREL && h.u8Version == NAV_DATA_RUMBREL_VERSION && n == RUMBREL_BYTES) {
        out = n;
    } else {
        vRefuse("kind, version or length", h.u16Index);
        return nullptr;
    }
    // Header and body side by side, as the converters and the icon fix
    // expect a whole record.
    U8* rec = static_cast<U8*>(H_MEMORY_pvMalloc(NAV_DATA_HEADER_BYTES + n));
    memcpy(rec, pu8Header, NAV_DATA_HEADER_BYTES);
    if (fread(rec + NAV_DATA_HEADER_BYTES, 1, n, pFile) != n) {
        H_MEMORY_vFree(rec);
        vRefuse("truncated", h.u16Index);
        return nullptr;
    }
    T_NAV_DATA_vBigEndianToHost(rec, rec + NAV_DATA_HEADER_BYTES, n);
    if (rec[0] == 0) {
        H_MEMORY_vFree(rec);
        vRefuse("conversion", h.u16Index);
        return nullptr;
    }
    if (h.u8Type == NAV_DATA_WAYPOINT && h.u8Version == 2) {
        T_NAV_DATA_bFixCardStayvaneIcon(rec, NAV_DATA_HEADER_BYTES + n);
        rec[1] = NAV_DATA_CURRENT_VERSION;
    }
    memcpy(pu8Header, rec, NAV_DATA_HEADER_BYTES);
    U8* body = static_cast<U8*>(H_MEMORY_pvMalloc(out));
    if (upgrade) {
        TRACK* t = static_cast<TRACK*>(H_MEMORY_pvMalloc(sizeof(TRACK)));
        memset(static_cast<void*>(t), 0, sizeof(TRACK));
        vConvertV2ToV3Track(rec + NAV_DATA_HEADER_BYTES, t);
        T_NAV_RECORD_vEncodeTrack(t, body);
        H_MEMORY_vFree(t);
    } else {
        memcpy(body, rec + NAV_DATA_HEADER_BYTES, out);
    }
    H_MEMORY_vFree(rec);
    if (pu32Bytes != nullptr)
        *pu32Bytes = out;
    return body;
}

BOOLEAN T_NAV_DATA_vGetTrackFromMMCByTrackHeader(S32 nDeviceID, const TRACK_HEADER* pTrackHeader, TRACK* pGetTrack)
{
    if (pTrackHeader == nullptr || pGetTrack == nullptr)
        return FALSE;
    char* folder = pcCardFolder(nDeviceID);
    VONDREL_DIR* d = folder == nullptr ? nullptr : FS_OpenDir(folder);
    H_MEMORY_vFree(folder);
    if (d == nullptr)
        return FALSE;
    T_NAV_TWR_vSetMultiWaypointFlag(TRUE);
    NavLock lock;
    BOOLEAN found = FALSE;
    TRACK* t = static_cast<TRACK*>(H_MEMORY_pvMalloc(sizeof(TRACK)));
    while (!found) {
        VONDREL_DIRENT* e = FS_ReadDir(d);
        if (e == nullptr)
            break;
        char name[FS_NAME_BYTES];
        FS_DirEnt2Name(e, name);
        if (!U_FILE_bCheckExtension(name, "QT"))
            continue;
        FILE* f = fopen(e->full_name, "rb");
        if (f == nullptr)
            continue;
        U16 index = NONE;
        if (bReadTrackFile(f, t, &index) && T_NAV_DATA_bTrackCompareEX(t, pTrackHeader)) {
            memcpy(static_cast<void*>(pGetTrack), t, sizeof(TRACK));
            found = TRUE;
        }
        LS_fclose(f);
    }
    H_MEMORY_vFree(t);
    FS_CloseDir(d);
    return found;
}

U32 T_NAV_DATA_u32GetRefusedCardRecords(void)
{
    return s_u32Refused.load();
}

void T_NAV_DATA_vImportFromMMC(S32 nDeviceID)
{
    s_s32DeviceID = nDeviceID;
    T_NAV_CONF_vSetup(pcText(NAV_DATA_TEXT_IMPORT_QUESTION), T_NAV_DATA_vDoImportFromMMC, nullptr);
}

void T_NAV_DATA_vDoImportFromMMC(void)
{
    s_nImportedMMCDeviceID = s_s32DeviceID;
    s_bNavDataImportFromHere = FALSE;
    T_NAV_vInitializeImportingBuffer();
    T_NAV_DATA_vStartDisplayMMCLoading();
    char* folder = pcCardFolder(s_nImportedMMCDeviceID);
    VONDREL_DIR* d = folder == nullptr ? nullptr : FS_OpenDir(folder);
    H_MEMORY_vFree(folder);
    if (d == nullptr) {
        s_bNoNavDataForImport = TRUE;
    } else {
        bool locked = false;
        while (VONDREL_DIRENT* e = FS_ReadDir(d)) {
            char name[FS_NAME_BYTES];
            FS_DirEnt2Name(e, name);
            const bool qt = U_FILE_bCheckExtension(name, "QT");
            const bool qit = !qt && U_FILE_bCheckExtension(name, "QIT");
            const bool qwr = !qt && !qit && U_FILE_bCheckExtension(name, "QWR");
            if (!qt && !qit && !qwr)
                continue;
            if (!locked) {
                vShowDialog(T_NAV_DATA_vDrawLoadingMessage);
                L_MUTEX_LockWait(RES_NAV_DATA);
                locked = true;
            }
            FILE* f = fopen(e->full_name, "rb");
            if (f == nullptr)
                continue;
            if (qt)
                vReadTrackFile(f);
            else if (qit)
                vReadRumbrelFile(f);
            else
                vReadWaypointFile(f);
            LS_fclose(f);
        }
        if (locked)
            L_MUTEX_Unlock(RES_NAV_DATA);
        FS_CloseDir(d);
        if (locked)
            vHideDialog();
        if (!s_bNavDataImportFromHere)
            s_bNoNavDataForImport = TRUE;
    }
    T_NAV_DATA_vInsertFromRootToUnit();
    T_NAV_vFreeImportingBuffer();
    T_NAV_DATA_vStopDisplayMMCLoading();
}

void T_NAV_DATA_vDrawSavingMessage(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    U_DIALOG_vDrawDialog(pBitmap, pcText(NAV_DATA_TEXT_SAVING), pDialogFont(), 2, DIALOG_BOX_WIDTH, nullptr, nullptr,
                         JUSTIFICATION_CENTER, JUSTIFICATION_CENTER);
}

void T_NAV_DATA_vDrawLoadingMessage(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    U_DIALOG_vDrawDialog(pBitmap, pcText(NAV_DATA_TEXT_LOADING), pDialogFont(), 2, DIALOG_BOX_WIDTH, nullptr, nullptr,
                         JUSTIFICATION_LEFT, JUSTIFICATION_CENTER);
}

void T_NAV_DATA_vStartDisplayMMCLoading(void)
{
    U_KEYBOARD_bRegisterKeys(NAV_MAILBOX_ID, LOADING_PLAIN_KEYS, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY,
                             REGISTER_DIALOG_BOX);
    U_KEYBOARD_bRegisterKeys(NAV_MAILBOX_ID, LOADING_CURSOR_KEY, KEY_DOWN, TRUE, TRUE, CURSOR_4, REGISTER_DIALOG_BOX);
    s_eMMCLoadingString = MMC_STRING_ONE_DOT;
}

BOOLEAN T_NAV_DATA_vGetMMCLoading(void)
{
    return s_eMMCLoadingString.load() != MMC_STRING_INITIAL ? TRUE : FALSE;
}

GROUP_MMC_DISPLAY_STRING T_NAV_DATA_vDisplayMMCLoading(void)
{
    int s = s_eMMCLoadingString.load();
    if (s == MMC_STRING_ONE_DOT)
        s = MMC_STRING_TWO_DOT;
    else if (s == MMC_STRING_TWO_DOT)
        s = MMC_STRING_THREE_DOT;
    else if (s == MMC_STRING_THREE_DOT)
        s = MMC_STRING_ONE_DOT;
    s_eMMCLoadingString = s;
    return (GROUP_MMC_DISPLAY_STRING)s;
}

void T_NAV_DATA_vStopDisplayMMCLoading(void)
{
    s_eMMCLoadingString = MMC_STRING_INITIAL;
    U_KEYBOARD_bUnregisterKeys(NAV_MAILBOX_ID, LOADING_RELEASED_KEYS);
}

// Merge -------------------------------------------------------------------------------

void T_NAV_DATA_vInsertNewToUnit(const GROUP_HEADER* pGroupHeader, U16 u16ParentIndex)
{
    if (pGroupHeader == nullptr) {
        vInsertFlat(u16ParentIndex);
        return;
    }
    std::vector<U16> path;
    vInsertGroup(pGroupHeader, u16ParentIndex, path);
}

void T_NAV_DATA_vInsertFromRootToUnit(void)
{
    s_nGroupsLoadedFromMMC = s_nWaypointsLoadedFromMMC = s_nRoutesLoadedFromMMC = 0;
    s_nTracksLoadedFromMMC = s_nRumbrelsLoadedFromMMC = 0;
    s_bOutOfMemoryForLoading = FALSE;
    if (s_bNoNavDataForImport) {
        s_bNoNavDataForImport = FALSE;
        T_NAV_ALARM_vSetNavUIRawNote(pcText(NAV_DATA_TEXT_NO_NEW_DATA));
        T_NAV_TWR_vSetMultiWaypointFlag(FALSE);
        s_nImportedMMCDeviceID = NO_IMPORT_DEVICE;
        return;
    }
    {
        NavLock lock;
        const GROUP_SLOT* root = T_NAV_pGetRootSlotFromMMC();
        if (root != nullptr) {
            const GROUP_HEADER copy = root->header;
            T_NAV_DATA_vInsertNewToUnit(&copy, T_NAV_GROUP_DATA_vGetRootGroupIndex());
        } else {
            T_NAV_DATA_vInsertNewToUnit(nullptr, T_NAV_GROUP_DATA_vGetRootGroupIndex());
        }
        s_nImportedMMCDeviceID = NO_IMPORT_DEVICE;
    }
    T_NAV_GROUP_DATA_vScanGroupForGarbageCollection(T_NAV_GROUP_DATA_nGetRootGroup());
    T_NAV_TWR_vStatisticWaypointStore(TRUE);
    T_NAV_TWR_vStatisticRouteStore(TRUE);
    char note[NOTE_BYTES];
    T_NAV_DATA_vShowImportStatus(note, s_nWaypointsLoadedFromMMC, s_nRoutesLoadedFromMMC, s_nGroupsLoadedFromMMC,
                                 s_nTracksLoadedFromMMC, s_nRumbrelsLoadedFromMMC, s_bOutOfMemoryForLoading);
    T_NAV_ALARM_vSetNavUIRawNote(note);
    T_NAV_TWR_vSetMultiWaypointFlag(FALSE);
}

void T_NAV_DATA_vShowImportStatus(char* pcOut, U32 W, U32 R, U32 G, U32 T, U32 K, BOOLEAN bOutOfMemory)
{
    if (pcOut == nullptr)
        return;
    if (W == 0 && R == 0 && G == 0 && T == 0 && K == 0) {
        snprintf(pcOut, NOTE_BYTES - 1, "%s", pcText(NAV_DATA_TEXT_NO_NEW_DATA));
    } else if (W == 0 && R == 0 && G == 0 && K == 0) {
        const U32 counts[] = {T};
        vFillCounts(pcOut, pcText(s_tLoadedTracks), counts, 1, 255);
    } else if (K != 0 && G != 0) {
        const U32 counts[] = {T, W, R, G, K};
        vFillCounts(pcOut, pcText(s_tLoaded5), counts, 5, 256);
    } else if (K != 0) {
        const U32 counts[] = {T, W, R, K};
        vFillCounts(pcOut, pcText(s_tLoadedRumbrels), counts, 4, 256);
    } else if (G != 0) {
        const U32 counts[] = {T, W, R, G};
        vFillCounts(pcOut, pcText(s_tLoadedGroups), counts, 4, 255);
    } else {
        const U32 counts[] = {T, W, R};
        vFillCounts(pcOut, pcText(s_tLoaded3), counts, 3, 255);
    }
    pcOut[NOTE_BYTES - 1] = '\0';
    const size_t before = strlen(pcOut);
    if (bOutOfMemory && before < NOTE_BYTES - 2) {
        if (before > 1)
            pcOut[0] = '\0';
        const size_t room = NOTE_BYTES - 2 - before;
        std::string tail = " ";
        tail += std::string(pcText(NAV_DATA_TEXT_OUT_OF_MEMORY)).substr(0, room);
        const size_t now = strlen(pcOut);
        snprintf(pcOut + now, NOTE_BYTES - now, "%s", tail.c_str());
    }
}

S32 T_NAV_DATA_nSplitString(char* pTemplate, char** pStringMarkers, S32 nMaxMessage, S32 nMaxStrings)
{
    if (pTemplate == nullptr || pStringMarkers == nullptr)
        return 0;
    pStringMarkers[0] = pTemplate;
    if (nMaxStrings <= 1 || nMaxMessage <= 0 || pTemplate[0] == '\0')
        return 1;
    S32 nParts = 1;
    for (S32 i = 0; i < nMaxMessage && pTemplate[i] != '\0' && nParts < nMaxStrings; ++i) {
        if (pTemplate[i] != '#')
            continue;
        pTemplate[i] = '\0';
        pStringMarkers[nParts++] = pTemplate + i + 1;
    }
    return nParts;
}
