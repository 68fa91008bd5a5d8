// The saved-track table.
//
// A track is put together in a scratch record under the navigation-data
// mutex, so the caller's record (the current track, a card buffer) keeps
// its own name and date-time.
#include "nav/data/t_nav_twr_track.h"

#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "nav/data/t_nav_nvram.h"
#include "nav/data/t_nav_twr.h"
#include "store/h_database.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr S32 SLOTS = (S32)NAV_TRACK_SLOTS;
constexpr U32 ALL_VISIBLE = 0xFFFFFFFF;
constexpr U32 TRACKS_PER_VISIBILITY_KEY = 32;
constexpr U32 TRACKS_PER_PACKED_KEY = 8;
constexpr U32 NIBBLE = 0xF;

constexpr FOURCHARID KEY_VISIBLE_LOW = FCID("SNTV");
constexpr FOURCHARID KEY_VISIBLE_HIGH = FCID("SNV2");
constexpr FOURCHARID KEY_DEFAULT_STYLE = FCID("SNDS");
constexpr FOURCHARID KEY_DEFAULT_COLOR = FCID("SNRC");
constexpr FOURCHARID KEY_DEFAULT_VISIBLE = FCID("SNDV");
// What the defaults read while their settings do not exist yet.
constexpr U32 DEFAULT_NEW_STYLE = 0;
constexpr U32 DEFAULT_NEW_COLOR = 0;

} // namespace

// Statics -------------------------------------------------------------------

namespace {

class NavLock {
public:
    NavLock() { L_MUTEX_LockWait(RES_NAV_DATA); }
    ~NavLock() { L_MUTEX_Unlock(RES_NAV_DATA); }
    NavLock(const NavLock&) = delete;
    NavLock& operator=(const NavLock&) = delete;
};

TRACK_HEADER s_aTrackHeaders[NAV_TRACK_SLOTS];
TRACK s_Scratch; // under RES_NAV_DATA

bool bReadSetting(FOURCHARID key, U32* pValue)
{
    BOOLEAN valid = FALSE;
    U32 v = 0;
    if (!H_DATABASE_bFetchU32(key, &v, &valid, nullptr) || !valid)
        return false;
    *pValue = v;
    return true;
}

U32 u32ReadSetting(FOURCHARID key, U32 u32Missing)
{
    U32 v = u32Missing;
    bReadSetting(key, &v);
    return v;
}

FOURCHARID keyVisible(U32 slot)
{
    return slot < TRACKS_PER_VISIBILITY_KEY ? KEY_VISIBLE_LOW : KEY_VISIBLE_HIGH;
}

U32 u32VisibleBit(U32 slot)
{
    return 1u << (slot % TRACKS_PER_VISIBILITY_KEY);
}

// "SNS1"-"SNS8" or "SNC1"-"SNC8".
FOURCHARID keyPacked(char cKind, U32 slot)
{
    const char name[5] = {'S', 'N', cKind, (char)('1' + slot / TRACKS_PER_PACKED_KEY), '\0'};
    return FCID(name);
}

U32 u32Shift(U32 slot)
{
    return 4 * (slot % TRACKS_PER_PACKED_KEY);
}

U32 u32GetPacked(char cKind, U32 slot, U32 u32Missing)
{
    U32 word = 0;
    if (!bReadSetting(keyPacked(cKind, slot), &word))
        return u32Missing;
    return word >> u32Shift(slot) & NIBBLE;
}

void vSetPacked(char cKind, U32 slot, U32 u32Value)
{
    const FOURCHARID key = keyPacked(cKind, slot);
    U32 word = u32ReadSetting(key, 0);
    word = (word & ~(NIBBLE << u32Shift(slot))) | (u32Value & NIBBLE) << u32Shift(slot);
    H_DATABASE_bUpdateValueU32(key, word, P_NORMAL);
}

// A track whose counts would take a ring walk out of the ring.
bool bBadCounts(const TRACK_HEADER& h)
{
    return h.u16Count == 0 || h.u16Count > TRACK_MAX_POINTS || h.u16FirstDelta >= TRACK_DELTA_COUNT;
}

// At most 19 characters, NUL-padded.
void vSetName(char (&acName)[TRACK_NAME_CHARS], const char* pcName)
{
    memset(acName, 0, sizeof acName);
    memcpy(acName, pcName, strnlen(pcName, TRACK_NAME_CHARS - 1));
}

} // namespace

// The table ---------------------------------------------------------------

TRACK_HEADER* T_NAV_pGetTrackHeader(U32 i)
{
    return i < NAV_TRACK_SLOTS ? &s_aTrackHeaders[i] : nullptr;
}

S32 T_NAV_nAddTrack(const TRACK* pTrack, U32 u32DateTime, const char* pcName, BOOLEAN bOverridePointOfSale)
{
    if (pTrack == nullptr)
        return NAV_ID_NONE;
    if (bBadCounts(*pTrack)) {
        log_me("T_NAV_nAddTrack: track of count %u, first step %u refused", pTrack->u16Count, pTrack->u16FirstDelta);
        return NAV_ID_NONE;
    }
    NavLock lock;
    S32 slot = 0;
    while (slot < SLOTS && s_aTrackHeaders[slot].u16Count != 0)
        ++slot;
    if (slot == SLOTS)
        return NAV_ID_NONE;

    s_Scratch = *pTrack;
    s_Scratch.u32DateTime = u32DateTime;
    if (pcName != nullptr) {
        vSetName(s_Scratch.sName, pcName);
    } else {
        memset(s_Scratch.sName, 0, sizeof s_Scratch.sName);
        snprintf(s_Scratch.sName, sizeof s_Scratch.sName, "%02d", (int)slot + 1);
    }
    s_aTrackHeaders[slot] = s_Scratch;
    T_NAV_NVRAM_vSaveTrack(&s_Scratch, (U16)slot, bOverridePointOfSale);

    vSetPacked('S', (U32)slot, u32ReadSetting(KEY_DEFAULT_STYLE, DEFAULT_NEW_STYLE));
    U32 color = u32ReadSetting(KEY_DEFAULT_COLOR, DEFAULT_NEW_COLOR);
    if (color == NAV_TRACK_RANDOM_COLOR)
        color = (U32)(rand() % (int)NAV_TRACK_RANDOM_COLORS);
    vSetPacked('C', (U32)slot, color);
    T_NAV_vSetTrackVisibility((U32)slot, u32ReadSetting(KEY_DEFAULT_VISIBLE, ALL_VISIBLE) != 0 ? TRUE : FALSE);
    return slot;
}

void T_NAV_vRenameTrack(U32 slot, const char* pcName)
{
    if (slot >= NAV_TRACK_SLOTS || pcName == nullptr)
        return;
    NavLock lock;
    TRACK_HEADER& h = s_aTrackHeaders[slot];
    if (h.u16Count == 0)
        return;
    TRACK* t = T_NAV_NVRAM_pLoadTrack((S32)slot);
    if (t->u16Count == 0) {
        // Writing the empty stand-in back would drop the track for good.
        log_me("T_NAV_vRenameTrack: track %u could not be loaded, renamed in memory only", slot);
        vSetName(h.sName, pcName);
    } else {
        vSetName(t->sName, pcName);
        h = *t;
        T_NAV_NVRAM_vSaveTrack(t, (U16)slot, FALSE);
    }
    T_NAV_NVRAM_vReleaseTrack();
}

void T_NAV_vDeleteTrack(U32 slot, BOOLEAN bOverridePointOfSale)
{
    if (slot >= NAV_TRACK_SLOTS)
        return;
    NavLock lock;
    if (s_aTrackHeaders[slot].u16Count != 0)
        T_NAV_NVRAM_vDeleteTrack((U16)slot, bOverridePointOfSale);
    memset(&s_aTrackHeaders[slot], 0, sizeof(TRACK_HEADER));
    T_NAV_vSetTrackVisibility(slot, TRUE);
}

void T_NAV_vCopyTrackInfo(U32 slot, char* pcName, U32 u32Limit, U16* pu16Count, U32* pu32DateTime)
{
    if (slot >= NAV_TRACK_SLOTS)
        return;
    NavLock lock;
    const TRACK_HEADER& h = s_aTrackHeaders[slot];
    if (pcName != nullptr && u32Limit != 0) {
        U32 n = 0;
        while (n + 1 < u32Limit && n < TRACK_NAME_CHARS && h.sName[n] != '\0') {
            pcName[n] = h.sName[n];
            ++n;
        }
        pcName[n] = '\0';
    }
    if (pu16Count != nullptr)
        *pu16Count = h.u16Count;
    if (pu32DateTime != nullptr)
        *pu32DateTime = h.u32DateTime;
}

int T_NAV_nCompareTracks(const void* pA, const void* pB)
{
    const TRACK_HEADER* a = T_NAV_pGetTrackHeader(*static_cast<const U16*>(pA));
    const TRACK_HEADER* b = T_NAV_pGetTrackHeader(*static_cast<const U16*>(pB));
    return strncmp(a ? a->sName : "", b ? b->sName : "", TRACK_NAME_CHARS);
}

void T_NAV_vGetTracks(U32* pnCount, U16* pu16Slots)
{
    if (pnCount == nullptr || pu16Slots == nullptr)
        return;
    NavLock lock;
    U32 n = 0;
    for (S32 s = 0; s < SLOTS; ++s)
        if (s_aTrackHeaders[s].u16Count != 0)
            pu16Slots[n++] = (U16)s;
    qsort(pu16Slots, n, sizeof *pu16Slots, T_NAV_nCompareTracks);
    *pnCount = n;
}

// Display settings ----------------------------------------------------------

BOOLEAN T_NAV_bGetTrackVisibility(U32 slot)
{
    if (slot >= NAV_TRACK_SLOTS)
        return FALSE;
    return (u32ReadSetting(keyVisible(slot), ALL_VISIBLE) & u32VisibleBit(slot)) != 0 ? TRUE : FALSE;
}

void T_NAV_vSetTrackVisibility(U32 slot, BOOLEAN bVisible)
{
    if (slot >= NAV_TRACK_SLOTS)
        return;
    const FOURCHARID key = keyVisible(slot);
    U32 word = u32ReadSetting(key, ALL_VISIBLE);
    word = bVisible ? word | u32VisibleBit(slot) : word & ~u32VisibleBit(slot);
    H_DATABASE_bUpdateValueU32(key, word, P_NORMAL);
}

U32 T_NAV_nGetTrackStyle(U32 slot)
{
    if (slot >= NAV_TRACK_SLOTS)
        return NAV_TRACK_DEFAULT_STYLE;
    return u32GetPacked('S', slot, NAV_TRACK_DEFAULT_STYLE);
}

BOOLEAN T_NAV_bSetTrackStyle(U32 slot, U32 u32Style)
{
    if (slot >= NAV_TRACK_SLOTS)
        return FALSE;
    vSetPacked('S', slot, u32Style);
    return TRUE;
}

U32 T_NAV_nGetTrackColor(U32 slot)
{
    if (slot >= NAV_TRACK_SLOTS)
        return NAV_TRACK_DEFAULT_COLOR;
    return u32GetPacked('C', slot, NAV_TRACK_DEFAULT_COLOR);
}

BOOLEAN T_NAV_bSetTrackColor(U32 slot, U32 u32Color)
{
    if (slot >= NAV_TRACK_SLOTS)
        return FALSE;
    vSetPacked('C', slot, u32Color);
    return TRUE;
}

// Store-internal ----------------------------------------------------------------

void T_NAV_TWR_vClearTrackHeaders(void)
{
    NavLock lock;
    memset(s_aTrackHeaders, 0, sizeof s_aTrackHeaders);
}
