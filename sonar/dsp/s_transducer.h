// The transducer database: the one place that knows what each transducer
// can do, and which sonar views and settings menus exist for the
// transducers in use.
//
// A transducer id is 0 to 18 (0: none), the row of a constant property
// table (frequencies as shown, beams, sonar sources, name). The queries
// read constant tables, two bytes and one float, take no lock and may be
// called from any task. An id above 18 is answered as an unknown
// transducer: no beams, no sources, the name "Unknown".
//
// The walkers switch views and menus on and off; they run in the sonar
// history task only. After every transducer or element change that task
// calls S_TRANSDUCER_vEnable(TRUE) (FALSE when no element is selected),
// which removes every per-transducer view and menu, then the per-source
// walkers, which register those of the transducers in use: five constant
// event tables tie each registration function to the ids it belongs to
// (255: every transducer). The registrations are mails to the view and
// menu tasks, which apply them later in mail order; nothing here waits.
#pragma once

#include "kernel/l_types.h"
#include "store/lang.h"
#include "ui/u_menu_client.h"

// ---- Sonar sources and element masks ----

// Also the number of a sonar source; shared with the network code.
typedef enum tag_NET_SOURCE_TYPE : int {
    SONAR_SOURCE_2D = 0,
    SONAR_SOURCE_KV = 1, // down-looking imaging
    SONAR_SOURCE_FV = 2, // side-looking imaging
    SONAR_SOURCE_360 = 3,
    TEMP_SOURCE = 4,
    GPS_SOURCE = 5,
    STATUS_SOURCE = 6,
    RADAR_SOURCE = 7,
    INVALID_SOURCE = 8
} NET_SOURCE_TYPE;

// Bit n of an element-selection mask stands for sonar source n.
constexpr U32 ELEMENT_2D = 0x1;
constexpr U32 ELEMENT_KV = 0x2;
constexpr U32 ELEMENT_FV = 0x4;
constexpr U32 ELEMENT_360 = 0x8;

// ---- Beams ----

constexpr U32 BEAM_200KHZ = 0x1;
constexpr U32 BEAM_83KHZ = 0x2;
constexpr U32 BEAM_50KHZ = 0x4;
constexpr U32 BEAM_455KHZ_DOWN = 0x8;           // the 2D down beam of transducer 15
constexpr U32 BEAM_455KHZ_QUAD = 0x100;         // transducer 2: down and side
constexpr U32 BEAM_455KHZ_SIDE_BEAM = 0x200;    // transducer 3
constexpr U32 BEAM_455KHZ_FV = 0x400;
constexpr U32 BEAM_800KHZ_FV = 0x800;
constexpr U32 BEAM_262KHZ_FV = 0x1000;
constexpr U32 BEAM_455KHZ_83_PAIR = 0x10000;    // transducer 6
constexpr U32 BEAM_800KHZ_KV = 0x100000;
constexpr U32 BEAM_455KHZ_KV = 0x200000;
constexpr U32 BEAM_360 = 0x1000000;

// The beams of each source.
constexpr U32 BEAMS_2D = 0xF;
constexpr U32 BEAMS_KV = 0x300000;
constexpr U32 BEAMS_FV = 0x1C00;
constexpr U32 BEAMS_360 = 0x1000000;

// ---- Tables ----

constexpr U8 TRANSDUCER_NONE = 0;
constexpr U8 TRANSDUCER_LAST_ID = 18;
constexpr U8 ALL_TRANSDUCERS = 255;          // a table row for every transducer
constexpr U32 ALL_SONAR_SOURCES = 0xFFFFFFFF; // the sources of such a composite row

// A registration function: TRUE registers its view or menu items, FALSE
// removes exactly those, from the same places.
typedef void TRANSDUCER_ENABLE_FUNC(BOOLEAN bEnable);

typedef struct tag_TRANSDUCER_SPECIFICS {
    U8 u8TransducerID;
    const char* pFrequencies;   // as shown: 2D part, a blank, imaging part
    const TEXT_TABLE* pString;  // the name
    U32 u32BeamsSupported;
    U32 u32SonarSources;        // bit n: feeds sonar source n
} TRANSDUCER_SPECIFICS;

typedef struct tag_TRANSDUCER_EVENT {
    U8 u8TransducerId;
    TRANSDUCER_ENABLE_FUNC* pvfEnableDisable;
} TRANSDUCER_EVENT;

typedef struct tag_SONAR_SOURCE_EVENT {
    U8 u8TransducerId;
    U32 u32SonarSources; // the element bits the row needs
    TRANSDUCER_ENABLE_FUNC* pvfEnableDisable;
} SONAR_SOURCE_EVENT;

typedef struct tag_VIEW_AND_SPLIT {
    LAYER_ID eView;
    SPLIT_WINDOW_TYPE eSplit;
} VIEW_AND_SPLIT;

// ---- Queries ----

// The transducer whose 2D (index 0) or imaging (index 1) views are
// registered; 0 for any other index.
U8 S_TRANSDUCER_u8CurrentTransducer(U8 u8Index);
// 200.0 at start; the lower-range menus set it to their range.
float S_TRANSDUCER_fMaximumDepthRangeMetres(void);
// "CSFL" (kHz) x 1000; 0 when the key cannot be read.
U32 S_TRANSDUCER_u32LFBeamFrequencyHertz(void);
// "SSTS" unreadable: TRUE; "SSTD" unreadable: "SSTS" is 15; else SSTS == SSTD.
BOOLEAN S_TRANSDUCER_bIsDefaultTransducer(void);
// "SSTS" readable and a side-looking (5, 9, 10, 16) or down-looking
// imaging transducer (15, 17, 18).
BOOLEAN S_TRANSDUCER_bIsFlankview(void);
BOOLEAN S_TRANSDUCER_bIsKeelview(void);
U32 S_TRANSDUCER_u32GetBeamsForTransducer(U8 u8Id);
// The beams of one source (a NET_SOURCE_TYPE value); all beams for a
// source above 3.
U32 S_TRANSDUCER_u32GetBeamsForTransducerAndSource(U8 u8Id, U16 u16SourceType);
U32 S_TRANSDUCER_u32GetBeamsSupportedByModel(void);
U32 S_TRANSDUCER_u32GetBeamsToDisplay(U8 u8Id);
const TEXT_TABLE* S_TRANSDUCER_pasGetTransducerName(U8 u8Id);
U32 S_TRANSDUCER_u32GetSonarSources(U8 u8Id);
// TRUE for 0, 1, 4, 15, 16, 17 and 18; every answer but the one for 16 is
// logged.
BOOLEAN S_TRANSDUCER_bIsSupportedTransducer(U8 u8Id);
// The lowest id 1-18 whose beams equal the capability exactly; 0 for none.
U8 S_TRANSDUCER_u8GetTransducerByCapability(U32 u32Capability);
// The source's frequencies as shown ("200/83", "455/800", a lone "/" when
// none), at most 19 characters. The text stays valid until the calling
// thread asks again: copy it at once.
const char* S_TRANSDUCER_pbyteGetFrequencyString(U8 u8Id, U8 u8SonarSource);

// ---- Element masks (sources 0 to 3; any other source is no bit) ----

U32 S_TRANSDUCER_u32GetElementBit(U32 u32SonarElementSelection, NET_SOURCE_TYPE eNetSourceType);
void S_TRANSDUCER_vSetElementBit(U32* pu32Mask, NET_SOURCE_TYPE eNetSourceType);
void S_TRANSDUCER_vUnsetElementBit(U32* pu32Mask, NET_SOURCE_TYPE eNetSourceType);

// ---- Walkers (sonar history task only) ----

// TRUE: the first time since start or since a FALSE, registers the "Sonar"
// tab, the "Connected Transducer" selector, the hot menus of every sonar
// pane and the imaging-frequency selector. TRUE and FALSE: then removes
// every per-transducer view and menu. FALSE also removes the tab and
// forgets both current transducers.
void S_TRANSDUCER_vEnable(BOOLEAN bTransducerConnected);
void S_TRANSDUCER_v2DEnable(U8 u8RequestedTransducer);
void S_TRANSDUCER_vImagingEnable(U8 u8RequestedTransducer);
void S_TRANSDUCER_vGyreviewEnable(U8 u8RequestedTransducer);
void S_TRANSDUCER_vCompositeEnable(U8 u8RequestedTransducer, U32 u32RequestedTransducerElement);
void S_TRANSDUCER_vComposite360Enable(U8 u8RequestedTransducer, U32 u32RequestedTransducerElement);

// The "Imaging Frequency" selector of an imaging transducer: 455/800 kHz
// for 10, 15, 17 and 18, 455/262 kHz for 5, removed for any other id.
void vMenuSideScanFrequency(U32 u32TransducerAdv);
