// Navigation items on internal flash, and the current-track log.
//
// Item files go through the file layer's whole-file replace, so a crash or
// a power cut leaves each file old or new. The scan trusts nothing it
// reads: a file reaches a table only when its mark, type, index, length and
// counts are all right, and the counts that later bound loops are checked
// before the record is taken.
//
// The log offset counts the bytes of "track.2" this process knows to be
// whole records. Before an append the file is cut back to it, so a record
// torn by a crash, or a file this process never restored, cannot put the
// records that follow out of step.
#include "nav/data/t_nav_nvram.h"

#include "kernel/l_mutex.h"
#include "kernel/l_root.h"
#include "kernel/linux_fs.h"
#include "kernel/lm_log.h"
#include "nav/core/u_nav.h"
#include "nav/data/t_nav_twr.h"
#include "store/h_database.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// Constants ---------------------------------------------------------------

namespace {

constexpr const char* WPTS_FOLDER = "/usr/vondrel/wpts";
constexpr const char* ROUTES_FOLDER = "/usr/vondrel/routes";
constexpr const char* TRACKS_FOLDER = "/usr/vondrel/tracks";
constexpr const char* CR_TRACK_FOLDER = "/usr/vondrel/cr_track";
constexpr const char* RUMBRELS_FOLDER = "/usr/vondrel/rumbrels";
constexpr const char* TRACK_LOG_1 = "/usr/vondrel/cr_track/track.1";
constexpr const char* TRACK_LOG_2 = "/usr/vondrel/cr_track/track.2";
// Creation and wiping order.
constexpr const char* ALL_FOLDERS[] = {WPTS_FOLDER, ROUTES_FOLDER, TRACKS_FOLDER, CR_TRACK_FOLDER,
                                       RUMBRELS_FOLDER};

constexpr U8 TRACK_FILE_VERSION = 3;
constexpr U8 WAYPOINT_FILE_VERSION = 3;
constexpr U8 ROUTE_FILE_VERSION = 3;
constexpr U8 RUMBREL_FILE_VERSION = 1;

constexpr U32 STATE_NORMAL_RUN = 3;
constexpr U32 STATE_POINT_OF_SALE = 6;
constexpr FOURCHARID KEY_SYSTEM_STATE = FCID("CCST");

constexpr U32 LOG_BASE_BYTES = 10;
constexpr U32 LOG_STEP_BYTES = 6;
constexpr size_t PATH_BYTES = 4096;
constexpr const char* TMP_SUFFIX = ".tmp";

} // namespace

// Types and statics ------------------------------------------------------------

namespace {

// One step record of the log.
struct LOG_STEP {
    S16 x;
    S16 y;
    U16 u16Depth;
};

// Where the scan of one folder puts what it reads.
struct SCAN_TARGET {
    const char* pcFolder;
    U8 u8Type;
    U32 u32Slots;   // files with an index past the table are deleted
    U32 u32Bytes;   // record bytes the file must hold after its header
    U32 u32Read;    // bytes of it the scan reads into the table
    void (*pfnTake)(const SCAN_TARGET& t, const U8* pu8Record, U16 u16Index, U8 u8Version, const char* pcFile);
    TRACK_HEADER* headers;
    WAYPOINT* slots;
    ROUTE* routes;
    RUMBREL* rumbrels;
    S32* pnMaxUsed;
};

TRACK s_LoadedTrack;
U8 s_au8LoadBuffer[TRACK_BYTES];
S32 s_s32LogOffset = 0;
NAV_WAYPOINT_SCAN_HOOK s_pfnWaypointScanHook = nullptr;

std::string sResolve(const char* pcUnitPath)
{
    char buf[PATH_BYTES];
    return L_ROOT_pcResolve(pcUnitPath, buf, sizeof buf);
}

std::string sItemPath(const char* pcFolder, S32 index)
{
    return sResolve(pcFolder) + "/" + std::to_string(index);
}

bool bSystemState(U32* pu32State)
{
    return H_DATABASE_bFetchU32(KEY_SYSTEM_STATE, pu32State, nullptr, nullptr) != FALSE;
}

// The point-of-sale rule of every writer and deleter.
bool bMayChangeFlash(BOOLEAN bOverridePointOfSale)
{
    if (bOverridePointOfSale)
        return true;
    U32 state = 0;
    return bSystemState(&state) && state != STATE_POINT_OF_SALE;
}

bool bNormalRun(void)
{
    U32 state = 0;
    return bSystemState(&state) && state == STATE_NORMAL_RUN;
}

void vSaveItem(const char* pcFolder, U8 u8Type, U8 u8Version, U16 u16Index, std::vector<U8>& file,
               BOOLEAN bOverridePointOfSale)
{
    if (!bMayChangeFlash(bOverridePointOfSale))
        return;
    FILE_HEADER h = {NAV_FS_VERSION, u8Type, u8Version, u16Index};
    T_NAV_NVRAM_vEncodeFileHeader(&h, file.data());
    // A writer that cannot write reports nothing; the table in memory
    // keeps the change.
    FS_ReplaceFile(sItemPath(pcFolder, u16Index).c_str(), file.data(), file.size());
}

void vDeleteItem(const char* pcFolder, U16 u16Index, BOOLEAN bOverridePointOfSale)
{
    if (!bMayChangeFlash(bOverridePointOfSale))
        return;
    FS_Remove(sItemPath(pcFolder, u16Index).c_str());
}

void vMakeFolders(const std::string& path)
{
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/')
            mkdir(path.substr(0, i).c_str(), 0777);
    }
}

bool bEndsWith(const char* pcName, const char* pcSuffix)
{
    size_t n = strlen(pcName), s = strlen(pcSuffix);
    return n >= s && strcmp(pcName + n - s, pcSuffix) == 0;
}

size_t uRead(FILE* f, U8* p, size_t n)
{
    return fread(p, 1, n, f);
}

// Scan takers: the record is whole and of the folder's type; its counts
// are checked here before it reaches the table.

void vTakeTrack(const SCAN_TARGET& t, const U8* pu8Record, U16 u16Index, U8, const char* pcFile)
{
    TRACK_HEADER h;
    T_NAV_RECORD_vDecodeTrackHeader(pu8Record, &h);
    if (h.u16Count > TRACK_MAX_POINTS || h.u16FirstDelta >= TRACK_DELTA_COUNT) {
        log_me("Navigation file %s refused: track count %u, first step %u out of range (kept)", pcFile,
               h.u16Count, h.u16FirstDelta);
        return;
    }
    t.headers[u16Index] = h;
}

void vTakeWaypoint(const SCAN_TARGET& t, const U8* pu8Record, U16 u16Index, U8 u8Version, const char*)
{
    WAYPOINT* slot = &t.slots[u16Index];
    T_NAV_RECORD_vDecodeWaypoint(pu8Record, slot);
    if (*t.pnMaxUsed < u16Index + 1)
        *t.pnMaxUsed = u16Index + 1;
    if (s_pfnWaypointScanHook)
        s_pfnWaypointScanHook(u16Index, u8Version, slot);
}

void vTakeRoute(const SCAN_TARGET& t, const U8* pu8Record, U16 u16Index, U8, const char* pcFile)
{
    ROUTE r;
    T_NAV_RECORD_vDecodeRoute(pu8Record, &r);
    if (r.nCount > ROUTE_MAX_POINTS) {
        log_me("Navigation file %s refused: route of %u points (kept)", pcFile, (unsigned)r.nCount);
        return;
    }
    t.routes[u16Index] = r;
}

void vTakeRumbrel(const SCAN_TARGET& t, const U8* pu8Record, U16 u16Index, U8, const char* pcFile)
{
    // Decoded in place of a table slot only once it is known to be good.
    static RUMBREL r;
    T_NAV_RECORD_vDecodeRumbrel(pu8Record, &r);
    if (r.nCount > RUMBREL_MAX_POINTS) {
        log_me("Navigation file %s refused: recorded track of %u points (kept)", pcFile, r.nCount);
        return;
    }
    t.rumbrels[u16Index] = r;
    if (*t.pnMaxUsed < u16Index + 1)
        *t.pnMaxUsed = u16Index + 1;
}

void vDeleteBadFile(const char* pcFile, const char* pcReason)
{
    FS_Remove(pcFile);
    log_me("Navigation file %s deleted: %s", pcFile, pcReason);
}

// One file of a folder.
void vScanFile(const SCAN_TARGET& t, const char* pcFile)
{
    FILE* f = fopen(pcFile, "rb");
    if (!f)
        return;
    U32 size = FS_GetFileSize(f);
    U8 raw[NAV_FILE_HEADER_BYTES];
    if (uRead(f, raw, sizeof raw) != sizeof raw) {
        fclose(f);
        log_me("Navigation file %s refused: %u bytes, no whole header (kept)", pcFile, size);
        return;
    }
    FILE_HEADER h;
    T_NAV_NVRAM_vDecodeFileHeader(raw, &h);
    if (h.U32FSVersion != NAV_FS_VERSION) {
        fclose(f);
        vDeleteBadFile(pcFile, "wrong mark");
        return;
    }
    if (h.u8Type != t.u8Type) {
        fclose(f);
        log_me("Navigation file %s refused: type %u does not belong in %s (kept)", pcFile, h.u8Type, t.pcFolder);
        return;
    }
    if (h.u16Index >= t.u32Slots) {
        fclose(f);
        char reason[64];
        snprintf(reason, sizeof reason, "index %u past the table", h.u16Index);
        vDeleteBadFile(pcFile, reason);
        return;
    }
    // Only the part the table takes is read, but the whole record must be
    // there: a saved track is loaded from the same file later.
    std::vector<U8> record(t.u32Read);
    bool whole = size != 0xFFFFFFFF && size >= NAV_FILE_HEADER_BYTES + t.u32Bytes &&
                 uRead(f, record.data(), record.size()) == record.size();
    fclose(f);
    if (!whole) {
        log_me("Navigation file %s refused: %u bytes, short of its %u-byte record (kept)", pcFile, size,
               t.u32Bytes);
        return;
    }
    t.pfnTake(t, record.data(), h.u16Index, h.u8Version, pcFile);
}

void vScanFolder(const SCAN_TARGET& t)
{
    VONDREL_DIR* d = FS_OpenDir(sResolve(t.pcFolder).c_str());
    if (!d)
        return;
    // Removals of bad and leftover files share one sync.
    FS_vBeginBulk();
    while (VONDREL_DIRENT* e = FS_ReadDir(d)) {
        if (e->attr & FS_ATTR_DIRECTORY)
            continue;
        std::string file = e->full_name;
        if (bEndsWith(file.c_str(), TMP_SUFFIX)) {
            FS_Remove(file.c_str());
            log_me("Navigation file %s removed: left over from an interrupted write", file.c_str());
            continue;
        }
        vScanFile(t, file.c_str());
    }
    FS_CloseDir(d);
    FS_vEndBulk();
}

// Current-track log ------------------------------------------------------------

bool bIsMark1(const LOG_STEP& s)
{
    return s.x == TRACK_GAP_MARK1 && s.y == TRACK_GAP_MARK1;
}

bool bIsMark2(const LOG_STEP& s)
{
    return s.x == TRACK_GAP_MARK2 && s.y == TRACK_GAP_MARK2;
}

U16 u16Ring(S32 pos)
{
    return (U16)(((pos % TRACK_DELTA_COUNT) + TRACK_DELTA_COUNT) % TRACK_DELTA_COUNT);
}

void vPut16(std::vector<U8>& out, U16 v)
{
    out.push_back((U8)v);
    out.push_back((U8)(v >> 8));
}

void vPut32(std::vector<U8>& out, U32 v)
{
    vPut16(out, (U16)v);
    vPut16(out, (U16)(v >> 16));
}

void vPutStep(std::vector<U8>& out, S16 x, S16 y, U16 u16Depth)
{
    vPut16(out, (U16)x);
    vPut16(out, (U16)y);
    vPut16(out, u16Depth);
}

void vPutRingStep(std::vector<U8>& out, const TRACK* t, S32 pos)
{
    const TRACK_DELTA_DEPTH_TRIPLE& d = t->aDelta[u16Ring(pos)];
    vPutStep(out, d.x, d.y, d.u16Depth);
}

// The point the step at ring position w leads to: ptLast with the newer
// steps up to nLast taken back off, newest first, markers skipped.
POINT ptPointOfStep(const TRACK* t, U16 w, U16 nLast)
{
    POINT p = t->ptLast;
    S32 newer = u16Ring((S32)nLast - w);
    for (S32 i = 0; i < newer; ++i) {
        const TRACK_DELTA_DEPTH_TRIPLE& d = t->aDelta[u16Ring((S32)nLast - i)];
        const TRACK_DELTA_DEPTH_TRIPLE& before = t->aDelta[u16Ring((S32)nLast - i - 1)];
        if (d.x == TRACK_GAP_MARK2 && d.y == TRACK_GAP_MARK2 && before.x == TRACK_GAP_MARK1 &&
            before.y == TRACK_GAP_MARK1 && i + 1 < newer) {
            ++i;
            continue;
        }
        p.x = U_NAV_s32NormaliseX((S64)p.x - d.x);
        p.y = U_NAV_s32ClampY((S64)p.y - d.y);
    }
    return p;
}

bool bWriteAllAt(int fd, const std::vector<U8>& bytes, off_t at)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = pwrite(fd, bytes.data() + done, bytes.size() - done, at + (off_t)done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += (size_t)n;
    }
    return true;
}

// A reader of log records with one record of look-ahead put back.
struct LOG_READER {
    FILE* f;
    bool bHeld = false;
    LOG_STEP held;

    bool bNext(LOG_STEP* s)
    {
        if (bHeld) {
            bHeld = false;
            *s = held;
            return true;
        }
        U8 b[LOG_STEP_BYTES];
        if (fread(b, 1, sizeof b, f) != sizeof b)
            return false;
        s->x = (S16)(b[0] | b[1] << 8);
        s->y = (S16)(b[2] | b[3] << 8);
        s->u16Depth = (U16)(b[4] | b[5] << 8);
        return true;
    }
    void vPutBack(const LOG_STEP& s)
    {
        held = s;
        bHeld = true;
    }
};

POINT ptStepped(POINT p, const LOG_STEP& s)
{
    POINT q;
    q.x = U_NAV_s32NormaliseX((S64)p.x + s.x);
    q.y = U_NAV_s32ClampY((S64)p.y + s.y);
    return q;
}

} // namespace

// Item files ------------------------------------------------------------------

void T_NAV_NVRAM_vEncodeFileHeader(const FILE_HEADER* pHeader, U8* pu8Out)
{
    U32 v = pHeader->U32FSVersion;
    pu8Out[0] = (U8)v;
    pu8Out[1] = (U8)(v >> 8);
    pu8Out[2] = (U8)(v >> 16);
    pu8Out[3] = (U8)(v >> 24);
    pu8Out[4] = pHeader->u8Type;
    pu8Out[5] = pHeader->u8Version;
    pu8Out[6] = (U8)pHeader->u16Index;
    pu8Out[7] = (U8)(pHeader->u16Index >> 8);
}

void T_NAV_NVRAM_vDecodeFileHeader(const U8* pu8In, FILE_HEADER* pHeader)
{
    pHeader->U32FSVersion = (U32)pu8In[0] | (U32)pu8In[1] << 8 | (U32)pu8In[2] << 16 | (U32)pu8In[3] << 24;
    pHeader->u8Type = pu8In[4];
    pHeader->u8Version = pu8In[5];
    pHeader->u16Index = (U16)(pu8In[6] | pu8In[7] << 8);
}

void T_NAV_NVRAM_vSaveTrack(const TRACK* pTrack, U16 u16Index, BOOLEAN bOverridePointOfSale)
{
    if (!pTrack || u16Index >= NAV_TRACK_SLOTS)
        return;
    std::vector<U8> file(NAV_FILE_HEADER_BYTES + TRACK_BYTES);
    T_NAV_RECORD_vEncodeTrack(pTrack, file.data() + NAV_FILE_HEADER_BYTES);
    vSaveItem(TRACKS_FOLDER, NAV_FILE_TRACK, TRACK_FILE_VERSION, u16Index, file, bOverridePointOfSale);
}

void T_NAV_NVRAM_vSaveWaypoint(const WAYPOINT* pWaypoint, U16 u16Index, BOOLEAN bOverridePointOfSale)
{
    if (!pWaypoint || u16Index >= NAV_WAYPOINT_SLOTS)
        return;
    std::vector<U8> file(NAV_FILE_HEADER_BYTES + WAYPOINT_BYTES);
    T_NAV_RECORD_vEncodeWaypoint(pWaypoint, file.data() + NAV_FILE_HEADER_BYTES);
    vSaveItem(WPTS_FOLDER, NAV_FILE_WAYPOINT, WAYPOINT_FILE_VERSION, u16Index, file, bOverridePointOfSale);
}

void T_NAV_NVRAM_vSaveRoute(const ROUTE* pRoute, U16 u16Index, BOOLEAN bOverridePointOfSale)
{
    if (!pRoute || u16Index >= NAV_ROUTE_SLOTS)
        return;
    std::vector<U8> file(NAV_FILE_HEADER_BYTES + ROUTE_BYTES);
    T_NAV_RECORD_vEncodeRoute(pRoute, file.data() + NAV_FILE_HEADER_BYTES);
    vSaveItem(ROUTES_FOLDER, NAV_FILE_ROUTE, ROUTE_FILE_VERSION, u16Index, file, bOverridePointOfSale);
}

void T_NAV_NVRAM_vSaveRumbrel(const RUMBREL* pRumbrel, U16 u16Index, BOOLEAN bOverridePointOfSale)
{
    if (!pRumbrel || u16Index >= NAV_RUMBREL_SLOTS)
        return;
    std::vector<U8> file(NAV_FILE_HEADER_BYTES + RUMBREL_BYTES);
    T_NAV_RECORD_vEncodeRumbrel(pRumbrel, file.data() + NAV_FILE_HEADER_BYTES);
    vSaveItem(RUMBRELS_FOLDER, NAV_FILE_RUMBREL, RUMBREL_FILE_VERSION, u16Index, file, bOverridePointOfSale);
}

void T_NAV_NVRAM_vDeleteTrack(U16 u16Index, BOOLEAN bOverridePointOfSale)
{
    vDeleteItem(TRACKS_FOLDER, u16Index, bOverridePointOfSale);
}

void T_NAV_NVRAM_vDeleteWaypoint(U16 u16Index, BOOLEAN bOverridePointOfSale)
{
    vDeleteItem(WPTS_FOLDER, u16Index, bOverridePointOfSale);
}

void T_NAV_NVRAM_vDeleteRoute(U16 u16Index, BOOLEAN bOverridePointOfSale)
{
    vDeleteItem(ROUTES_FOLDER, u16Index, bOverridePointOfSale);
}

void T_NAV_NVRAM_vDeleteRumbrel(U16 u16Index, BOOLEAN bOverridePointOfSale)
{
    vDeleteItem(RUMBRELS_FOLDER, u16Index, bOverridePointOfSale);
}

void T_NAV_NVRAM_vDeleteAllWaypointFiles(BOOLEAN bOverridePointOfSale)
{
    if (!bMayChangeFlash(bOverridePointOfSale))
        return;
    VONDREL_DIR* d = FS_OpenDir(sResolve(WPTS_FOLDER).c_str());
    if (!d)
        return;
    FS_vBeginBulk();
    while (VONDREL_DIRENT* e = FS_ReadDir(d)) {
        if (!(e->attr & FS_ATTR_DIRECTORY))
            FS_Remove(e->full_name);
    }
    FS_CloseDir(d);
    FS_vEndBulk();
}

TRACK* T_NAV_NVRAM_pLoadTrack(S32 index)
{
    L_MUTEX_LockWait(RES_LOADED_TRACK);
    std::string path = sItemPath(TRACKS_FOLDER, index);
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) {
        s_LoadedTrack.u16Count = 0;
        return &s_LoadedTrack;
    }
    U8 header[NAV_FILE_HEADER_BYTES];
    bool whole = uRead(f, header, sizeof header) == sizeof header &&
                 uRead(f, s_au8LoadBuffer, sizeof s_au8LoadBuffer) == sizeof s_au8LoadBuffer;
    fclose(f);
    if (!whole) {
        log_me("Navigation file %s short: loaded as an empty track", path.c_str());
        s_LoadedTrack.u16Count = 0;
        return &s_LoadedTrack;
    }
    T_NAV_RECORD_vDecodeTrack(s_au8LoadBuffer, &s_LoadedTrack);
    if (s_LoadedTrack.u16Count > TRACK_MAX_POINTS || s_LoadedTrack.u16FirstDelta >= TRACK_DELTA_COUNT) {
        log_me("Navigation file %s has counts out of range: loaded as an empty track", path.c_str());
        s_LoadedTrack.u16Count = 0;
        s_LoadedTrack.u16FirstDelta = 0;
    }
    return &s_LoadedTrack;
}

BOOLEAN T_NAV_NVRAM_bReadTrackRecord(S32 index, U8* pu8Out)
{
    if (pu8Out == nullptr)
        return FALSE;
    std::string path = sItemPath(TRACKS_FOLDER, index);
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return FALSE;
    U8 header[NAV_FILE_HEADER_BYTES];
    bool whole = uRead(f, header, sizeof header) == sizeof header && uRead(f, pu8Out, TRACK_BYTES) == TRACK_BYTES;
    fclose(f);
    if (!whole) {
        log_me("Navigation file %s short: read as an empty track", path.c_str());
        return FALSE;
    }
    TRACK_HEADER h;
    T_NAV_RECORD_vDecodeTrackHeader(pu8Out, &h);
    if (h.u16Count > TRACK_MAX_POINTS || h.u16FirstDelta >= TRACK_DELTA_COUNT) {
        log_me("Navigation file %s has counts out of range: read as an empty track", path.c_str());
        return FALSE;
    }
    return TRUE;
}

void T_NAV_NVRAM_vReleaseTrack(void)
{
    L_MUTEX_Unlock(RES_LOADED_TRACK);
}

void T_NAV_NVRAM_vInit(void)
{
    for (const char* folder : ALL_FOLDERS) {
        std::string path = sResolve(folder);
        VONDREL_DIR* d = FS_OpenDir(path.c_str());
        if (d)
            FS_CloseDir(d);
        else
            vMakeFolders(path);
    }
}

void T_NAV_NVRAM_vErase(void)
{
    FS_vBeginBulk();
    for (const char* folder : ALL_FOLDERS) {
        std::string path = sResolve(folder);
        VONDREL_DIR* d = FS_OpenDir(path.c_str());
        if (!d)
            continue;
        while (VONDREL_DIRENT* e = FS_ReadDir(d)) {
            if (!(e->attr & FS_ATTR_DIRECTORY))
                FS_Remove(e->full_name);
        }
        FS_CloseDir(d);
        rmdir(path.c_str());
    }
    FS_vEndBulk();
    s_s32LogOffset = 0;
}

void T_NAV_NVRAM_vScan(TRACK_HEADER* headers, WAYPOINT* slots, S32* pnMaxUsed, ROUTE* routes)
{
    SCAN_TARGET t = {};
    t.headers = headers;
    t.slots = slots;
    t.routes = routes;
    t.pnMaxUsed = pnMaxUsed;
    if (slots && pnMaxUsed) {
        t.pcFolder = WPTS_FOLDER;
        t.u8Type = NAV_FILE_WAYPOINT;
        t.u32Slots = NAV_WAYPOINT_SLOTS;
        t.u32Bytes = t.u32Read = WAYPOINT_BYTES;
        t.pfnTake = vTakeWaypoint;
        vScanFolder(t);
    }
    if (routes) {
        t.pcFolder = ROUTES_FOLDER;
        t.u8Type = NAV_FILE_ROUTE;
        t.u32Slots = NAV_ROUTE_SLOTS;
        t.u32Bytes = t.u32Read = ROUTE_BYTES;
        t.pfnTake = vTakeRoute;
        vScanFolder(t);
    }
    if (headers) {
        t.pcFolder = TRACKS_FOLDER;
        t.u8Type = NAV_FILE_TRACK;
        t.u32Slots = NAV_TRACK_SLOTS;
        t.u32Bytes = TRACK_BYTES;
        t.u32Read = TRACK_HEADER_BYTES; // the ring stays in the file
        t.pfnTake = vTakeTrack;
        vScanFolder(t);
    }
}

void T_NAV_NVRAM_vScanRumbrel(RUMBREL* rumbrels, S32* pnMaxUsed)
{
    if (!rumbrels || !pnMaxUsed)
        return;
    SCAN_TARGET t = {};
    t.pcFolder = RUMBRELS_FOLDER;
    t.u8Type = NAV_FILE_RUMBREL;
    t.u32Slots = NAV_RUMBREL_SLOTS;
    t.u32Bytes = t.u32Read = RUMBREL_BYTES;
    t.pfnTake = vTakeRumbrel;
    t.rumbrels = rumbrels;
    t.pnMaxUsed = pnMaxUsed;
    vScanFolder(t);
}

void T_NAV_NVRAM_vSetWaypointScanHook(NAV_WAYPOINT_SCAN_HOOK pfnHook)
{
    s_pfnWaypointScanHook = pfnHook;
}

// Current-track log --------------------------------------------------------------

void T_NAV_NVRAM_vAddCurrentTrackPoint(const TRACK* pTrack, U16 nDeltaIndex, U16 nLastDeltaIndex,
                                       BOOLEAN bGapPoint)
{
    bool first = nLastDeltaIndex == NAV_TRACK_LOG_FIRST_POINT;
    if (!pTrack || !bNormalRun() || (!first && (nDeltaIndex >= TRACK_DELTA_COUNT ||
                                                nLastDeltaIndex >= TRACK_DELTA_COUNT)))
        return;
    std::string log1 = sResolve(TRACK_LOG_1), log2 = sResolve(TRACK_LOG_2);
    if (s_s32LogOffset > NAV_TRACK_LOG_ROTATE_BYTES) {
        // rename() replaces "track.1" in one step, so no moment is without it.
        rename(log2.c_str(), log1.c_str());
        LS_sync();
        s_s32LogOffset = 0;
    }
    if (first) {
        // A new track: whatever the log still holds (a track cleared in a
        // state that leaves the log alone) must not come back in front of it.
        if (access(log1.c_str(), F_OK) == 0)
            FS_Remove(log1.c_str());
        s_s32LogOffset = 0;
    }
    int fd = open(log2.c_str(), O_WRONLY | O_CREAT, 0666);
    if (fd < 0)
        return;
    struct stat st;
    if (fstat(fd, &st) != 0) {
        close(fd);
        return;
    }
    if (st.st_size < s_s32LogOffset)
        s_s32LogOffset = 0; // not the file this process wrote: start it anew
    if (st.st_size != s_s32LogOffset && ftruncate(fd, s_s32LogOffset) != 0) {
        close(fd);
        return;
    }

    std::vector<U8> out;
    if (s_s32LogOffset != 0) {
        S32 pos = nDeltaIndex;
        if (bGapPoint) {
            vPutRingStep(out, pTrack, pos);
            vPutRingStep(out, pTrack, pos + 1);
            pos += 2;
        }
        vPutRingStep(out, pTrack, pos);
    } else {
        POINT base = pTrack->ptLast;
        U16 depth = 0;
        if (!first) {
            U16 w = u16Ring((S32)nDeltaIndex + (bGapPoint ? 2 : 0));
            base = ptPointOfStep(pTrack, w, nLastDeltaIndex);
            depth = pTrack->aDelta[w].u16Depth;
        }
        vPut32(out, (U32)base.x);
        vPut32(out, (U32)base.y);
        vPut16(out, depth);
        if (bGapPoint) {
            vPutStep(out, TRACK_GAP_MARK1, TRACK_GAP_MARK1, depth);
            vPutStep(out, TRACK_GAP_MARK2, TRACK_GAP_MARK2, depth);
            vPutStep(out, 1, 1, depth);
        }
    }
    if (bWriteAllAt(fd, out, s_s32LogOffset))
        s_s32LogOffset += (S32)out.size();
    close(fd);
    LS_sync();
}

void T_NAV_NVRAM_vScanCurrentTrack(TRACK* track)
{
    if (!track || !bNormalRun())
        return;
    U_NAV_vClearTrack(track);
    T_NAV_NVRAM_vScanCurrentTrackFile(track, TRACK_LOG_1);
    s_s32LogOffset = T_NAV_NVRAM_vScanCurrentTrackFile(track, TRACK_LOG_2);
}

void T_NAV_NVRAM_vEraseCurrentTrack(void)
{
    if (!bNormalRun())
        return;
    FS_Remove(sResolve(TRACK_LOG_1).c_str());
    FS_Remove(sResolve(TRACK_LOG_2).c_str());
    s_s32LogOffset = 0;
}

S32 T_NAV_NVRAM_vScanCurrentTrackFile(TRACK* track, const char* path)
{
    if (!track || !path)
        return 0;
    FILE* f = fopen(sResolve(path).c_str(), "rb");
    if (!f)
        return 0;
    U8 b[LOG_BASE_BYTES];
    if (fread(b, 1, sizeof b, f) != sizeof b) {
        fclose(f);
        return 0;
    }
    POINT base;
    base.x = (S32)((U32)b[0] | (U32)b[1] << 8 | (U32)b[2] << 16 | (U32)b[3] << 24);
    base.y = (S32)((U32)b[4] | (U32)b[5] << 8 | (U32)b[6] << 16 | (U32)b[7] << 24);
    U16 baseDepth = (U16)(b[8] | b[9] << 8);
    bool basePending = true;
    S32 consumed = LOG_BASE_BYTES;

    LOG_READER r{f};
    LOG_STEP s;
    while (r.bNext(&s)) {
        bool gap = false;
        S32 used = LOG_STEP_BYTES;
        if (bIsMark1(s)) {
            LOG_STEP second;
            if (r.bNext(&second)) {
                if (!bIsMark2(second)) {
                    // A real step of (32767, 32767); the record after it is
                    // read afresh.
                    r.vPutBack(second);
                } else {
                    LOG_STEP real;
                    if (!r.bNext(&real))
                        break; // a marker torn from its step: a partial record
                    s = real;
                    gap = true;
                    used += 2 * LOG_STEP_BYTES;
                }
            }
        }
        consumed += used;
        if (basePending) {
            basePending = false;
            if (gap && s.x == 1 && s.y == 1) {
                U_NAV_vAddTrackPoint(track, base, baseDepth, TRUE);
                continue;
            }
            U_NAV_vAddTrackPoint(track, base, baseDepth, FALSE);
        }
        U_NAV_vAddTrackPoint(track, ptStepped(track->ptLast, s), s.u16Depth, gap ? TRUE : FALSE);
    }
    // A file of its base alone still holds a point: the newest one after a
    // rotation, or the first one of a track.
    if (basePending)
        U_NAV_vAddTrackPoint(track, base, baseDepth, FALSE);
    fclose(f);
    return consumed;
}
