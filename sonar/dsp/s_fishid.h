// Fish: which short echoes of a ping are fish, how big, and what becomes
// of them from display column to display column.
//
// Detection (s_fishid.cpp). S_FISHID_vScanForFish walks a ping's
// gain-corrected samples from the first quiet stretch after the transmit
// ring-down to the last quiet stretch above the bottom (salt water on the
// low-frequency beam only down to 80 % of the bottom, never less than
// 30 m), cuts out echo bursts with the depth finder's slope rule and keeps
// the bursts whose peak and length fit the sizing table of the beam,
// frequency, transducer and water type at the fish sensitivity (0-10) and
// the length of the transmit pulse (1.5 to 10 pulses). The search is
// looser than those limits (peaks from 3/4 of the lowest to 5/4 of the
// highest, lengths from 3/4 of the shortest to 5/4 of the longest); the
// fish history confirms a fish against the limits themselves. Of the
// accepted bursts the 12 deepest are kept and of those the 6 strongest
// returned. Several beams' lists for one column are merged
// with S_FISHID_vMergeFishTargetLists.
//
// History (s_fishid_history.cpp). Each history window keeps a ring of 820
// fish lists, one per display column. A new list is compared with the 12
// columns before it: a fish seen there is linked to its earlier self and
// only one of the two stays visible; a fish nobody saw before must meet
// its table's strict limits or is dropped. The newest column decides the
// fish alarm (semaphores 116-118).
//
// Drawing (s_fishid_draw.cpp): fish symbols (s_fishid_icons) over the
// standard, bottom-lock and vertically scrolling pictures, with a depth
// label on an alpha-blended box for the 2D beams' fish.
//
// Locking: mutex 6 (RES_FISHID) guards the working list, the fish lists
// handed from the processing to the history task and every fish history.
// The scan, the merge, the appends and the drawings hold it for their
// whole work; the copy, the initialisation, the reverse-scroll switch and
// the alarm check take no lock. Kernel mutexes nest for their owner, so a
// caller may hold it around these calls.
//
// Links (pPreviousInstance) point into older columns of the same history
// or into the list that was appended; nothing here reads through them,
// only whether one is set.
#pragma once

#include "graphics/g_icon.h"
#include "kernel/l_types.h"
#include "sonar/dsp/s_depth.h"
#include "sonar/dsp/s_tsu.h"
#include "sonar/dsp/s_types.h"
#include "util/u_convert.h"

constexpr MUTEX RES_FISHID = 6;
constexpr SEMA SEMA_FISH_ALARM_LARGE = 116;
constexpr SEMA SEMA_FISH_ALARM_MEDIUM = 117;
constexpr SEMA SEMA_FISH_ALARM_SMALL = 118;

constexpr U32 FISH_SENSITIVITY_ROWS = 11;  // fish sensitivity 0-10
constexpr U32 FISH_POTENTIAL_TARGETS = 12; // echoes a scan keeps before the cut to six
constexpr U32 FISH_HISTORY_COLUMNS = 820;
constexpr U32 FISH_HISTORY_LOOKBACK = 12; // earlier columns a new list is checked against
constexpr U32 FISH_ICON_BEAMS = 4;
constexpr U32 FISH_ICON_SIZES = 3;

// ---- Sizing tables ----

// One fish-sensitivity row: a peak above u8Small is a fish (above 3/4 of
// it while searching), above u8Medium a medium one, above u8Large a large.
typedef struct tag_FISH_SIZE_THRESHOLD {
    U8 u8Small;
    U8 u8Medium;
    U8 u8Large;
} FISH_SIZE_THRESHOLD;

typedef struct tag_FISH_SIZING_TABLE {
    U8 u8MaxPeak; // from this peak on an echo is no fish (5/4 of it while searching)
    FISH_SIZE_THRESHOLD Table[FISH_SENSITIVITY_ROWS];
} FISH_SIZING_TABLE;

extern const FISH_SIZING_TABLE FishThresholdTable50kHzSalt;
extern const FISH_SIZING_TABLE FishThresholdTable83kHzSaltVeltra;
extern const FISH_SIZING_TABLE FishThresholdTable83kHzSalt;
extern const FISH_SIZING_TABLE FishThresholdTable200kHzSaltVeltra;
extern const FISH_SIZING_TABLE FishThresholdTable200kHzSalt;
extern const FISH_SIZING_TABLE FishThresholdTableSarvil455kHzSalt;
extern const FISH_SIZING_TABLE FishThresholdTableQuadBeam455kHzSalt;
extern const FISH_SIZING_TABLE FishThresholdTableQuadBeam455kHzFresh;
extern const FISH_SIZING_TABLE FishThresholdTableSarvil455kHzFresh;
extern const FISH_SIZING_TABLE FishThresholdTable200kHzFresh;
extern const FISH_SIZING_TABLE FishThresholdTable200kHzFreshVeltra;
extern const FISH_SIZING_TABLE FishThresholdTable83kHzFresh;
extern const FISH_SIZING_TABLE FishThresholdTable83kHzFreshVeltra;
extern const FISH_SIZING_TABLE FishThresholdTable50kHzFresh;

// The sizing table of a ping: by its beam, its transmit frequency (beam
// 0), the current 2D (beams 0 and 1) or imaging transducer (beams 2 and 3)
// and the water type (both salt values alike). A beam above 3 is a fatal
// error ("Invalid beam").
const FISH_SIZING_TABLE* S_FISHID_pSizingTable(BEAM Beam, U32 u32TransmitFrequencyHertz, WATER_TYPE eWaterType);

// ---- Detection ----

typedef struct tag_POTENTIAL_FISH_TARGET_LIST {
    U8 u8NumberOfTargets; // 0-12
    FISH_TARGET target[FISH_POTENTIAL_TARGETS];
} POTENTIAL_FISH_TARGET_LIST;

// The minimum rise of an echo's leading edge, in 26 us samples: the bottom
// finder's values.
extern const SLOPETESTVALUE FishSlopeTestValues[S_DEPTH_BOTTOM_SLOPE_ROWS];

// The fish of one ping into *pFishTargetList: at most 6, strongest first,
// bSimulatedFishList FALSE; entries past the count keep their contents.
// Reads Beam, u8TransmitCycles, u32SamplePeriodMicroSeconds (P),
// u32NumberOfSamples, pu8TvgdData, fDepthMetres and
// u32TransmitFrequencyHertz. A ping without a bottom (a depth of 0, or
// one that is not a number or negative), without samples or with a period
// of 0 gives no fish, as does beam 0 while the low-frequency beam's
// frequency cannot be read. The search stops at the ping's last sample
// however deep the bottom lies. A sensitivity above 10 counts as 10. A
// beam above 3 is a fatal error.
void S_FISHID_vScanForFish(FISH_TARGET_LIST* pFishTargetList, PING_DESCRIPTOR* pReturn, WATER_TYPE eWaterType,
                           U8 u8FishSensitivity);

// Merges a further beam's fish into a column's list: a new fish less than
// half a foot of depth from a visible fish already there makes that one
// take the larger size and beam; any other goes to the end while there is
// room (6). A simulated new list marks the existing one simulated.
void S_FISHID_vMergeFishTargetLists(FISH_TARGET_LIST* pExistingFish, const FISH_TARGET_LIST* pNewFish);

// Copies the count, the simulated flag and the counted targets (at most
// 6); the destination's other entries stay as they were. No lock.
void S_FISHID_vCopyFishTargetList(FISH_TARGET_LIST* pDestination, const FISH_TARGET_LIST* pSource);

// qsort-style order of falling peak: the second's peak minus the first's.
int iCompareTargets(const void* pTarget1, const void* pTarget2);

// ---- History ----

typedef struct tag_FISH_TARGET_HISTORY {
    U16 u16IndexToMostRecentTargets; // the column written last
    FISH_TARGET_LIST Items[FISH_HISTORY_COLUMNS];
} FISH_TARGET_HISTORY;

typedef enum tag_FISH_SIZE_ALARM : int {
    FISH_SIZE_ALARM_OFF = 0,
    FISH_SIZE_ALARM_SML = 1, // small, medium and large fish
    FISH_SIZE_ALARM_ML = 2,  // medium and large
    FISH_SIZE_ALARM_L = 3    // large only
} FISH_SIZE_ALARM;

// Index 0 and every column empty. No lock.
void S_FISHID_vInitialiseHistory(FISH_TARGET_HISTORY* pFishTargetHistory);
// TRUE (playback backwards): new columns go to the index below the newest.
// No lock.
void S_FISHID_vSetReverseScroll(BOOLEAN bState);

// Checks the list against the 12 columns before (writing links, sizes,
// beams and the hidden and removed marks into the list) and stores it as
// the new newest column. A simulated list is stored as it is. A count
// above 6 is taken as 6.
void S_FISHID_vAddFishTargetListToHistory(FISH_TARGET_HISTORY* pFishTargetHistory, FISH_TARGET_LIST* pFishTargetList);
// Repeats the newest column; the older copies become hidden.
void S_FISHID_vDuplicateFishTargetListInHistory(FISH_TARGET_HISTORY* pFishTargetHistory);
void S_FISHID_vAddEmptyFishTargetListToHistory(FISH_TARGET_HISTORY* pFishTargetHistory);

// Signals the semaphore of the largest new fish (visible and unlinked) of
// the newest column that the setting covers: 116 large, 117 medium (not
// with FISH_SIZE_ALARM_L), 118 small (only with FISH_SIZE_ALARM_SML). No
// lock.
void S_FISHID_vCheckAlarm(FISH_TARGET_HISTORY* pTargetHistory, FISH_SIZE_ALARM FishAlarmSize);

// ---- Drawing ----
//
// Rows grow upward. Every drawing clips to the box it is given, within the
// bitmap's own clip box. Fish of an unknown beam or size have no symbol
// and are not drawn. Labels use the 11 x 14 font and are left out while no
// font set is selected.

// Newest column at pixel column NewestColumn, older ones toward
// OldestColumn; samples u32UpperSamples to u32LowerSamples span rows
// TopPixel + 1 down to BottomPixel. With bSlanted each older column lies
// one row lower. In reverse scroll the walk starts one column before the
// newest.
void S_FISHID_vDrawStandardFishHistory(BITMAP* pBmp, FISH_TARGET_HISTORY* pTargetHistory, PIXEL OldestColumn,
                                       PIXEL NewestColumn, PIXEL BottomPixel, PIXEL TopPixel, U32 u32UpperSamples,
                                       U32 u32LowerSamples, UNIT_TYPE DepthUnits, COLOR NumberColor,
                                       BOOLEAN bSlanted);
// Fish from u32UpperSamples above to u32LowerSamples below each column's
// smoothed bottom, over the u32DisplayHeight rows below screen row 599; the
// label gives the height above the bottom (0 for a fish below it).
void S_FISHID_vDrawBottomLockFishHistory(BITMAP* pBmp, FISH_TARGET_HISTORY* pTargetHistory,
                                         FULL_SCREEN_TSU* pTSUStore, PIXEL LeftHandEdgePixel,
                                         PIXEL RightHandEdgePixel, U32 u32DisplayHeight, U32 u32UpperSamples,
                                         U32 u32LowerSamples, UNIT_TYPE DepthUnits, COLOR NumberColor);
// The newest column on row pShallowestYoungest.y, older ones below; depth
// runs across from pShallowestYoungest.x toward pDeepestOldest.x, which
// stands for u32LowerSamples. With bSarvilActive only each column's first
// fish is drawn, with the medium symbol. No labels.
void S_FISHID_vDrawVerticalFishHistory(FISH_TARGET_HISTORY* pTargetHistory, BITMAP* pBmp, POINT* pDeepestOldest,
                                       POINT* pShallowestYoungest, U32 u32LowerSamples, UNIT_TYPE DepthUnits,
                                       BOOLEAN bSarvilActive);

// The text of a depth label: one decimal below 9.95, none from there on.
void S_FISHID_vFormatDepthLabel(double dValue, char* pcText, U32 u32Size);
