// The record stream: the producer that hands out the store as exchange
// records in 1024-byte blocks, the consumer that gathers records from
// received blocks, and the store of one received record.
//
// The producer stages one record at a time in card order and copies it
// out across as many blocks as it takes. The consumer reassembles records
// whatever their position across block boundaries; a header may itself be
// split, in which case up to three of its bytes wait for the next block.
//
// A reception replaces the whole store, so it must not touch the store
// until it is known to be whole: the records are checked and kept aside as
// they arrive, and only a transfer that ended normally empties the store
// and puts them in place, in one bulk scope. A cut or cancelled transfer
// leaves the tables and files as they were.
#include "nav/data/t_nav_data.h"

#include "kernel/h_memory.h"
#include "kernel/l_mutex.h"
#include "kernel/linux_fs.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "nav/data/t_nav_twr_bulk.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_track.h"
#include "nav/data/t_nav_twr_waypoint.h"

#include <algorithm>
#include <cstring>
#include <vector>

// Constants ---------------------------------------------------------------

namespace {

constexpr U32 BLOCK = NAV_DATA_BLOCK_BYTES;
constexpr U32 HEADER = NAV_DATA_HEADER_BYTES;
constexpr U32 SIZE_END = 4; // type, version and the size field
constexpr U8 PLAIN_MAX_ICON = 30;
constexpr U32 ROUTE_COUNT_MASK = 0x3FFFFFFF;

// A whole store in records, twice over: a sender that repeats itself still
// fits, one that never stops is refused past this.
constexpr size_t MAX_GATHERED_BYTES =
    2 * ((size_t)NAV_TRACK_SLOTS * NAV_DATA_TRACK_RECORD_BYTES +
         (size_t)NAV_WAYPOINT_SLOTS * NAV_DATA_WAYPOINT_RECORD_BYTES +
         (size_t)NAV_ROUTE_SLOTS * NAV_DATA_ROUTE_RECORD_BYTES);

enum class FILL_VARIANT { EXTENDED, PLAIN, SPACE };

} // namespace

// Statics -------------------------------------------------------------------

namespace {

// Producer.
FILL_BUFFER_STATE s_eFillBufferState = FBS_DONE;
FILL_BUFFER_STATE s_eFillStartState = FBS_TRACKS;
U32 s_nFillIndex = 0;
U8* s_pu8FillBuffer = nullptr;
U32 s_nFillBufferPosition = 0;
U32 s_nFillBufferLength = 0;

// Consumer.
U8* s_pu8SaveBuffer = nullptr;
U32 s_nSaveBufferPosition = 0;
S32 s_nSaveBufferExpecting = 0; // -1: a header of 1-3 bytes waits for the rest
std::vector<U8> s_Gathered;     // whole card-order records, back to back
U32 s_u32Saved = 0;
U32 s_u32Refused = 0;

// The record's length from its card-order header: the size field, or a
// whole track for kind 1 version 3 with size 0; 0 when the header starts
// no record (a zero size of another kind) and 1-7 for a malformed one.
U32 u32RecordLength(const U8* pHeader)
{
    const U32 size = (U32)(pHeader[2] << 8 | pHeader[3]);
    if (size != 0)
        return size;
    if (pHeader[0] == NAV_DATA_TRACK && pHeader[1] == NAV_DATA_CURRENT_VERSION)
        return NAV_DATA_TRACK_RECORD_BYTES;
    return 0;
}

U16 u16Be(const U8* p)
{
    return (U16)(p[0] << 8 | p[1]);
}

// Whether a card-order record may reach the tables: a layout the reader
// accepts, whole; a kind the store takes; an index inside its table; and
// counts that the table's readers can trust. Read from the card-order
// bytes, so a refused record costs no conversion.
bool bRecordFitsTables(const U8* pRecord, U32 u32Bytes)
{
    if (pRecord == nullptr || u32Bytes < HEADER)
        return false;
    const U8 type = pRecord[0], version = pRecord[1];
    const U16 index = u16Be(pRecord + 4);
    const U8* body = pRecord + HEADER;
    const U32 have = u32Bytes - HEADER;
    const U32 need = T_NAV_DATA_u32BodyBytes(type, version, body, have);
    if (need == 0 || have < need)
        return false;
    switch (type) {
    case NAV_DATA_WAYPOINT:
        return index < NAV_WAYPOINT_SLOTS;
    case NAV_DATA_ROUTE: {
        const U32 count = ((U32)u16Be(body) << 16 | u16Be(body + 2)) & ROUTE_COUNT_MASK;
        return index < NAV_ROUTE_SLOTS && count <= (version >= 3 ? ROUTE_MAX_POINTS : ROUTE_V1_MAX_POINTS);
    }
    case NAV_DATA_TRACK: {
        const U32 count = u16Be(body), first = u16Be(body + 2);
        const U32 ring = version >= 3 ? TRACK_DELTA_COUNT : version == 2 ? TRACK_V2_DELTAS : TRACK_V1_DELTAS;
        return index < NAV_TRACK_SLOTS && count <= TRACK_MAX_POINTS && (first < ring || (count == 0 && version < 3));
    }
    default:
        return false;
    }
}

// Producer ------------------------------------------------------------------------

void vStage(const NAV_DATA_STRUCTURE_HEADER& h, U32 u32Length)
{
    T_NAV_DATA_vEncodeHostHeader(&h, s_pu8FillBuffer);
    T_NAV_DATA_vHostToBigEndian(s_pu8FillBuffer, u32Length);
    s_nFillBufferPosition = 0;
    s_nFillBufferLength = u32Length;
}

bool bStageTrack(NAV_DATA_SPACE* pData, U32 u32Index)
{
    const TRACK_HEADER* header = T_NAV_pGetTrackHeaderEX(pData, u32Index);
    if (header == nullptr || header->u16Count == 0)
        return false;
    // The file holds the record in the unit's order already.
    if (!T_NAV_NVRAM_bReadTrackRecord((S32)u32Index, s_pu8FillBuffer + HEADER))
        memset(s_pu8FillBuffer + HEADER, 0, TRACK_BYTES);
    vStage({NAV_DATA_TRACK, NAV_DATA_CURRENT_VERSION, 0, (U16)u32Index, 0}, NAV_DATA_TRACK_RECORD_BYTES);
    return true;
}

bool bStageSlot(NAV_DATA_SPACE* pData, U32 u32Index, FILL_VARIANT eVariant)
{
    const WAYPOINT* w = T_NAV_pGetWaypointEX(pData, u32Index);
    if (w == nullptr)
        return false;
    WAYPOINT copy = *w;
    const bool waypoint = copy.u8Status == WP_STATUS_PERMANENT || copy.u8Status == WP_STATUS_MOB;
    const bool group = copy.u8Status == WP_STATUS_GROUP_HEADER || copy.u8Status == WP_STATUS_GROUP_BODY;
    if (eVariant == FILL_VARIANT::PLAIN) {
        if (!waypoint)
            return false;
        if (copy.u8Icon > PLAIN_MAX_ICON)
            copy.u8Icon = 0;
        copy.bHide = 0;
    } else if (!waypoint && !group) {
        return false;
    }
    T_NAV_RECORD_vEncodeWaypoint(&copy, s_pu8FillBuffer + HEADER);
    vStage({NAV_DATA_WAYPOINT, NAV_DATA_CURRENT_VERSION, NAV_DATA_WAYPOINT_RECORD_BYTES, (U16)u32Index, 0},
           NAV_DATA_WAYPOINT_RECORD_BYTES);
    return true;
}

bool bStageRoute(NAV_DATA_SPACE* pData, U32 u32Index)
{
    const ROUTE* r = T_NAV_pGetRouteEX(pData, u32Index);
    if (r == nullptr || (r->nCount == 0 && r->u32DateTime == 0))
        return false;
    T_NAV_RECORD_vEncodeRoute(r, s_pu8FillBuffer + HEADER);
    vStage({NAV_DATA_ROUTE, NAV_DATA_CURRENT_VERSION, NAV_DATA_ROUTE_RECORD_BYTES, (U16)u32Index, 0},
           NAV_DATA_ROUTE_RECORD_BYTES);
    return true;
}

// Stages the next record, or moves to the next state.
void vStageNext(NAV_DATA_SPACE* pData, FILL_VARIANT eVariant)
{
    const U32 i = s_nFillIndex;
    switch (s_eFillBufferState) {
    case FBS_TRACKS:
        if (i >= NAV_TRACK_SLOTS) {
            s_eFillBufferState = FBS_WAYPOINTS;
            s_nFillIndex = 0;
            return;
        }
        bStageTrack(pData, i);
        break;
    case FBS_WAYPOINTS:
        if (i >= NAV_WAYPOINT_SLOTS) {
            s_eFillBufferState = FBS_ROUTES;
            s_nFillIndex = 0;
            return;
        }
        bStageSlot(pData, i, eVariant);
        break;
    case FBS_ROUTES:
        if (i >= NAV_ROUTE_SLOTS) {
            s_eFillBufferState = FBS_DONE;
            s_nFillIndex = 0;
            return;
        }
        bStageRoute(pData, i);
        break;
    default:
        s_eFillBufferState = FBS_DONE;
        return;
    }
    ++s_nFillIndex;
}

void vReleaseFill(void)
{
    if (s_pu8FillBuffer == nullptr)
        return;
    H_MEMORY_vFree(s_pu8FillBuffer);
    s_pu8FillBuffer = nullptr;
    s_nFillBufferPosition = s_nFillBufferLength = 0;
    s_eFillBufferState = FBS_DONE;
    L_MUTEX_Unlock(RES_NAV_DATA);
}

U32 u32Fill(NAV_DATA_SPACE* pData, U8* pu8Buffer, FILL_VARIANT eVariant)
{
    if (pu8Buffer == nullptr)
        return 0;
    U32 written = 0;
    for (;;) {
        if (s_pu8FillBuffer == nullptr || s_eFillBufferState == FBS_DONE) {
            if (written == 0 && s_pu8FillBuffer != nullptr && s_nFillBufferPosition >= s_nFillBufferLength)
                vReleaseFill();
            if (s_pu8FillBuffer == nullptr || s_nFillBufferPosition >= s_nFillBufferLength)
                return written;
        }
        if (s_nFillBufferPosition < s_nFillBufferLength) {
            const U32 n = std::min(s_nFillBufferLength - s_nFillBufferPosition, BLOCK - written);
            memcpy(pu8Buffer + written, s_pu8FillBuffer + s_nFillBufferPosition, n);
            s_nFillBufferPosition += n;
            written += n;
            if (written == BLOCK)
                return written;
            continue;
        }
        vStageNext(pData, eVariant);
    }
}

// Consumer ------------------------------------------------------------------------

// A whole record sits at the start of the receive buffer.
void vTakeRecord(U32 u32Length)
{
    s_nSaveBufferPosition = 0;
    s_nSaveBufferExpecting = 0;
    if (!bRecordFitsTables(s_pu8SaveBuffer, u32Length)) {
        ++s_u32Refused;
        log_me("Navigation record refused: kind %u version %u index %u", s_pu8SaveBuffer[0], s_pu8SaveBuffer[1],
               (unsigned)(s_pu8SaveBuffer[4] << 8 | s_pu8SaveBuffer[5]));
        return;
    }
    if (s_Gathered.size() + u32Length > MAX_GATHERED_BYTES) {
        ++s_u32Refused;
        log_me("Navigation record refused: the upload is larger than a whole store");
        return;
    }
    s_Gathered.insert(s_Gathered.end(), s_pu8SaveBuffer, s_pu8SaveBuffer + u32Length);
    ++s_u32Saved;
}

void vDropBlock(void)
{
    s_nSaveBufferPosition = 0;
    s_nSaveBufferExpecting = 0;
}

} // namespace

// Producer ------------------------------------------------------------------------------

void T_NAV_DATA_vFillBufferInit(void)
{
    T_NAV_DATA_vFillBufferAbort();
    s_pu8FillBuffer = static_cast<U8*>(H_MEMORY_pvMalloc(NAV_DATA_TRACK_RECORD_BYTES));
    s_eFillBufferState = s_eFillStartState;
    s_eFillStartState = FBS_TRACKS;
    s_nFillIndex = 0;
    s_nFillBufferPosition = s_nFillBufferLength = 0;
    L_MUTEX_LockWait(RES_NAV_DATA);
}

void T_NAV_DATA_vSetFillBufferState(FILL_BUFFER_STATE eState)
{
    // Before the start the next stream begins there; during a stream the
    // stream moves there.
    if (s_pu8FillBuffer == nullptr)
        s_eFillStartState = eState;
    else {
        s_eFillBufferState = eState;
        s_nFillIndex = 0;
    }
}

U32 T_NAV_DATA_u32FillBufferSegment(U8* pu8Buffer, void*)
{
    return u32Fill(nullptr, pu8Buffer, FILL_VARIANT::EXTENDED);
}

U32 T_NAV_DATA_u32FillNoGroupBufferSegment(U8* pu8Buffer, void*)
{
    return u32Fill(nullptr, pu8Buffer, FILL_VARIANT::PLAIN);
}

U32 T_NAV_DATA_u32FillBufferSegment(U8* pu8Block, U32)
{
    return u32Fill(nullptr, pu8Block, FILL_VARIANT::EXTENDED);
}

U32 T_NAV_DATA_u32FillNoGroupBufferSegment(U8* pu8Block, U32)
{
    return u32Fill(nullptr, pu8Block, FILL_VARIANT::PLAIN);
}

U32 T_NAV_DATA_u32FillSelectedBufferSegment(NAV_DATA_SPACE* pData, U8* pu8Buffer)
{
    return u32Fill(pData, pu8Buffer, FILL_VARIANT::SPACE);
}

void T_NAV_DATA_vFillBufferAbort(void)
{
    vReleaseFill();
}

// Consumer ------------------------------------------------------------------------------

void T_NAV_DATA_vSaveBufferInit(void)
{
    if (s_pu8SaveBuffer != nullptr)
        T_NAV_DATA_vSaveBufferFree(FALSE);
    s_pu8SaveBuffer = static_cast<U8*>(H_MEMORY_pvMalloc(NAV_DATA_TRACK_RECORD_BYTES));
    s_nSaveBufferPosition = 0;
    s_nSaveBufferExpecting = 0;
    s_Gathered.clear();
    s_Gathered.reserve(MAX_GATHERED_BYTES / 2); // a whole store without regrowing
    s_u32Saved = s_u32Refused = 0;
    L_MUTEX_LockWait(RES_NAV_DATA);
}

void T_NAV_DATA_vSaveBufferSegment(U32 u32Count, U8* pu8Buffer, void*)
{
    T_NAV_DATA_vSaveBufferSegment(u32Count, static_cast<const U8*>(pu8Buffer));
}

void T_NAV_DATA_vSaveBufferSegment(U32 u32Count, const U8* pu8Buffer)
{
    if (s_pu8SaveBuffer == nullptr || pu8Buffer == nullptr)
        return;
    const U32 n = u32Count;
    U32 p = 0;
    while (p < n) {
        if (s_nSaveBufferExpecting > 0) {
            const U32 take = std::min(n - p, (U32)s_nSaveBufferExpecting);
            memcpy(s_pu8SaveBuffer + s_nSaveBufferPosition, pu8Buffer + p, take);
            s_nSaveBufferPosition += take;
            s_nSaveBufferExpecting -= (S32)take;
            p += take;
            if (s_nSaveBufferExpecting == 0)
                vTakeRecord(s_nSaveBufferPosition);
            continue;
        }
        U32 have = 0; // bytes of the header gathered in the receive buffer
        if (s_nSaveBufferExpecting < 0) {
            // The rest of a header that the last block split before its
            // size field was whole.
            const U32 take = std::min(n - p, SIZE_END - s_nSaveBufferPosition);
            memcpy(s_pu8SaveBuffer + s_nSaveBufferPosition, pu8Buffer + p, take);
            s_nSaveBufferPosition += take;
            p += take;
            if (s_nSaveBufferPosition < SIZE_END)
                continue; // a block shorter than what the header lacks
            have = SIZE_END;
        } else if (n - p < SIZE_END) {
            // A record begins with too little of it in the block to read its
            // size: its bytes wait for the next block.
            memcpy(s_pu8SaveBuffer, pu8Buffer + p, n - p);
            s_nSaveBufferPosition = n - p;
            s_nSaveBufferExpecting = -1;
            return;
        }
        const U8* pu8Header = have ? s_pu8SaveBuffer : pu8Buffer + p;
        const U32 length = u32RecordLength(pu8Header);
        if (length > 0 && length < HEADER) {
            ++s_u32Refused;
            log_me("Navigation record refused: size %u is shorter than a header", length);
        }
        if (length < HEADER) {
            // No record in the rest of this block (zero filler, or a size that
            // cannot be trusted).
            vDropBlock();
            return;
        }
        s_nSaveBufferPosition = have;
        s_nSaveBufferExpecting = (S32)(length - have);
    }
}

void T_NAV_DATA_vSaveBufferFree(BOOLEAN bTransferCompleted)
{
    if (s_pu8SaveBuffer == nullptr)
        return;
    if (bTransferCompleted) {
        FS_vBeginBulk();
        T_NAV_vDeleteAllTracksWaypointsRoutes(TRUE);
        T_NAV_TWR_vSetMultiWaypointFlag(TRUE);
        size_t at = 0;
        while (at + HEADER <= s_Gathered.size()) {
            const U32 length = u32RecordLength(&s_Gathered[at]);
            T_NAV_vConvertAndSaveItem(&s_Gathered[at], length);
            at += length;
        }
        // The records were put in place slot by slot: count the tables
        // and their splits afresh.
        T_NAV_TWR_vHashWaypoints();
        T_NAV_TWR_vStatisticWaypointStore(TRUE);
        T_NAV_TWR_vStatisticRouteStore(TRUE);
        T_NAV_TWR_vSetMultiWaypointFlag(FALSE);
        FS_vEndBulk();
    } else {
        log_me("Navigation upload ended early: the store is left as it was");
    }
    L_MUTEX_Unlock(RES_NAV_DATA);
    H_MEMORY_vFree(s_pu8SaveBuffer);
    s_pu8SaveBuffer = nullptr;
    s_nSaveBufferPosition = 0;
    s_nSaveBufferExpecting = 0;
    std::vector<U8>().swap(s_Gathered);
}

void T_NAV_DATA_vSaveBufferFree(void)
{
    T_NAV_DATA_vSaveBufferFree(TRUE);
}

U32 T_NAV_DATA_u32GetSavedRecordCount(void)
{
    return s_u32Saved;
}

U32 T_NAV_DATA_u32GetRefusedRecordCount(void)
{
    return s_u32Refused;
}

// Putting one record in place ----------------------------------------------------------

void T_NAV_vConvertAndSaveItem(U8* record, U32 u32Bytes)
{
    if (!bRecordFitsTables(record, u32Bytes))
        return;
    T_NAV_DATA_vBigEndianToHost(record, record + HEADER, u32Bytes - HEADER);
    NAV_DATA_STRUCTURE_HEADER h;
    T_NAV_DATA_vDecodeHostHeader(record, &h);
    const U16 index = h.u16Index;
    L_MUTEX_LockWait(RES_NAV_DATA);
    switch (h.u8Type) {
    case NAV_DATA_WAYPOINT: {
        WAYPOINT* w = T_NAV_pGetWaypoint(index);
        U8 bytes[WAYPOINT_BYTES];
        T_NAV_RECORD_vEncodeWaypoint(w, bytes);
        T_NAV_DATA_nConvertRecord(nullptr, bytes, record, u32Bytes);
        T_NAV_RECORD_vDecodeWaypoint(bytes, w);
        T_NAV_TWR_vCountGroupSlot(index, TRUE, FALSE);
        T_NAV_NVRAM_vSaveWaypoint(w, index, TRUE);
        T_NAV_TWR_vSetWaypointHashEntry(index, T_NAV_TWR_u16HashWaypoint(w));
        break;
    }
    case NAV_DATA_ROUTE: {
        ROUTE* r = T_NAV_pGetRoute(index);
        U8 bytes[ROUTE_BYTES];
        T_NAV_RECORD_vEncodeRoute(r, bytes);
        T_NAV_DATA_nConvertRecord(nullptr, bytes, record, u32Bytes);
        T_NAV_RECORD_vDecodeRoute(bytes, r);
        T_NAV_TWR_vWriteRouteFile(index, TRUE);
        break;
    }
    case NAV_DATA_TRACK: {
        U8* bytes = static_cast<U8*>(H_MEMORY_pvMalloc(TRACK_BYTES));
        if (T_NAV_DATA_nConvertRecord(nullptr, bytes, record, u32Bytes) == (S32)TRACK_BYTES) {
            TRACK* t = T_NAV_NVRAM_pLoadTrack(index);
            T_NAV_RECORD_vDecodeTrack(bytes, t);
            T_NAV_NVRAM_vSaveTrack(t, index, TRUE);
            *T_NAV_pGetTrackHeader(index) = *static_cast<const TRACK_HEADER*>(t);
            T_NAV_NVRAM_vReleaseTrack();
            T_NAV_vSetTrackVisibility(index, TRUE);
        }
        H_MEMORY_vFree(bytes);
        break;
    }
    default:
        break;
    }
    L_MUTEX_Unlock(RES_NAV_DATA);
}
