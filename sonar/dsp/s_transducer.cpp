// The transducer database (see the header): the queries over the property
// table, the element-mask operations and the walkers over the event
// tables. The tables themselves are generated (s_transducer_tables.cpp).
//
// The current transducers and the maximum depth range are written by the
// history task (through the walkers and the range menus) and read by any
// task, so they are atomics; everything else here is constant.
#include "sonar/dsp/s_transducer.h"

#include "kernel/lm_log.h"
#include "sonar/dsp/s_transducer_common.h"
#include "sonar/dsp/s_transducer_menus.h"
#include "sonar/dsp/s_transducer_tables.h"
#include "sonar/dsp/s_transducer_texts.h"
#include "sonar/ping/u_ping.h"
#include "store/h_database.h"
#include "ui/power_key_icons.h" // SonarTab_icon

#include <atomic>
#include <cstdio>

namespace {

// ---- Constants ----

constexpr U32 MODEL_BEAMS_BASE = 0x300009;
constexpr U32 MODEL_BEAMS_EXTRA = 0x1000400;
constexpr U8 TRANSDUCER_QUAD = 2;
constexpr U8 TRANSDUCER_DEFAULT_IMAGING = 15;
constexpr U8 TRANSDUCER_360 = 16;
constexpr float MAXIMUM_DEPTH_RANGE_AT_START = 200.0f;
constexpr U32 FREQUENCY_TEXT_SIZE = 20;

// ---- State ----

std::atomic<U8> s_u8CurrentSelectedTransducer[2] = {0, 0};
std::atomic<float> s_fMaximumDepthRangeMetres{MAXIMUM_DEPTH_RANGE_AT_START};

// ---- Helpers ----

bool bKnownId(U8 u8Id) { return u8Id <= TRANSDUCER_LAST_ID; }

// The row of an id; an id outside the table reads as the unknown row 0.
const TRANSDUCER_SPECIFICS& row(U8 u8Id) { return s_sTransducerSpecifics[bKnownId(u8Id) ? u8Id : 0]; }

bool bFetchU32(FOURCHARID key, U32* pu32Value)
{
    U32 u32Value = 0;
    if (!H_DATABASE_bFetchU32(key, &u32Value, nullptr, nullptr))
        return false;
    *pu32Value = u32Value;
    return true;
}

bool bFetchValidU32(FOURCHARID key, U32* pu32Value)
{
    U32 u32Value = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(key, &u32Value, &bValid, nullptr) || !bValid)
        return false;
    *pu32Value = u32Value;
    return true;
}

bool bIsSideLookingImaging(U32 u32Id) { return u32Id == 5 || u32Id == 9 || u32Id == 10; }
bool bIsDownLookingImaging(U32 u32Id) { return u32Id == 15 || u32Id == 17 || u32Id == 18; }

// Every source bit (0-3) the row needs is in the element selection.
bool bSourcesPresent(U32 u32RowSources, U32 u32Mask)
{
    const U32 u32Needed = u32RowSources & (ELEMENT_2D | ELEMENT_KV | ELEMENT_FV | ELEMENT_360);
    return (u32Needed & ~u32Mask) == 0;
}

bool bCompositeRowMatches(const SONAR_SOURCE_EVENT& r, U8 u8Id, U32 u32Mask)
{
    return r.u8TransducerId == ALL_TRANSDUCERS ||
           (r.u8TransducerId == u8Id && bSourcesPresent(r.u32SonarSources, u32Mask));
}

// The choices of "Connected Transducer": transducer 15 first, then the
// optional transducers except the 360 one. Built once: the menu item keeps
// pointing at these arrays while the menu task reads them.
struct TransducerChoices {
    const TEXT_TABLE* apNames[TRANSDUCER_COUNT];
    U32 au32Values[TRANSDUCER_COUNT];
    U32 u32Count;
};

const TransducerChoices& transducerChoices()
{
    static const TransducerChoices s_sChoices = [] {
        TransducerChoices c = {};
        c.apNames[c.u32Count] = s_sTransducerSpecifics[TRANSDUCER_DEFAULT_IMAGING].pString;
        c.au32Values[c.u32Count++] = TRANSDUCER_DEFAULT_IMAGING;
        for (U32 i = 0; i < 4; ++i) {
            const U8 u8Id = s_au8OptionalTransducer[i];
            if (row(u8Id).u8TransducerID == TRANSDUCER_360)
                continue;
            c.apNames[c.u32Count] = row(u8Id).pString;
            c.au32Values[c.u32Count++] = u8Id;
        }
        return c;
    }();
    return s_sChoices;
}

void vRegisterExpressMenus(const VIEW_AND_SPLIT* pasViews, U32 u32Count)
{
    for (U32 i = 0; i < u32Count; ++i)
        U_MENU_bRegisterExpressMenu(pasViews[i].eView, pasViews[i].eSplit);
}

// The imaging transducer whose frequencies the first enable offers: the
// down-looking one when there is one, else the side-looking one (even 0),
// else 15.
U32 u32FrequencyTransducer(void)
{
    U32 u32Id = 0;
    if (bFetchValidU32(FCID("YST2"), &u32Id) && u32Id != 0)
        return u32Id;
    if (bFetchValidU32(FCID("YST3"), &u32Id))
        return u32Id;
    return TRANSDUCER_DEFAULT_IMAGING;
}

template <typename ROW, U32 N>
void vCallAll(const ROW (&aRows)[N], BOOLEAN bEnable)
{
    for (const ROW& r : aRows)
        r.pvfEnableDisable(bEnable);
}

void vRemoveEverything(void)
{
    vCallAll(SonarCompositeEventBase, FALSE);
    vCallAll(TransducerDataBaseGyreview, FALSE);
    vCallAll(SonarComposite360EventBase, FALSE);
    vCallAll(TransducerDataBaseDownLooking, FALSE);
    vCallAll(TransducerDataBaseImaging, FALSE);
}

const char* pcImagingFirstPart(U32 u32Beams) { return (u32Beams & 0x200700) != 0 ? "455" : nullptr; }

const char* pcImagingSecondPart(U32 u32Beams)
{
    const char* pc = nullptr;
    if (u32Beams & BEAM_262KHZ_FV)
        pc = "262";
    if (u32Beams & (BEAM_800KHZ_FV | BEAM_800KHZ_KV))
        pc = "800";
    return pc;
}

} // namespace

// ---- Queries ----

U8 S_TRANSDUCER_u8CurrentTransducer(U8 u8Index)
{
    if (u8Index > 1)
        return 0;
    return s_u8CurrentSelectedTransducer[u8Index].load();
}

float S_TRANSDUCER_fMaximumDepthRangeMetres(void) { return s_fMaximumDepthRangeMetres.load(); }

void S_TRANSDUCER_vSetMaximumDepthRangeMetres(float fMetres) { s_fMaximumDepthRangeMetres = fMetres; }

U32 S_TRANSDUCER_u32LFBeamFrequencyHertz(void)
{
    U32 u32Khz = 0;
    if (!bFetchU32(FCID("CSFL"), &u32Khz))
        return 0;
    return u32Khz * 1000;
}

BOOLEAN S_TRANSDUCER_bIsDefaultTransducer(void)
{
    U32 u32Chosen = 0;
    U32 u32Default = 0;
    if (!bFetchU32(FCID("SSTS"), &u32Chosen))
        return TRUE;
    if (!bFetchU32(FCID("SSTD"), &u32Default))
        return u32Chosen == TRANSDUCER_DEFAULT_IMAGING;
    return u32Chosen == u32Default;
}

BOOLEAN S_TRANSDUCER_bIsFlankview(void)
{
    U32 u32Chosen = 0;
    return bFetchU32(FCID("SSTS"), &u32Chosen) && (bIsSideLookingImaging(u32Chosen) || u32Chosen == TRANSDUCER_360);
}

BOOLEAN S_TRANSDUCER_bIsKeelview(void)
{
    U32 u32Chosen = 0;
    return bFetchU32(FCID("SSTS"), &u32Chosen) && bIsDownLookingImaging(u32Chosen);
}

U32 S_TRANSDUCER_u32GetBeamsForTransducer(U8 u8Id) { return row(u8Id).u32BeamsSupported; }

U32 S_TRANSDUCER_u32GetBeamsForTransducerAndSource(U8 u8Id, U16 u16SourceType)
{
    const U32 u32Beams = row(u8Id).u32BeamsSupported;
    switch (u16SourceType) {
    case SONAR_SOURCE_2D:
        return u32Beams & BEAMS_2D;
    case SONAR_SOURCE_KV:
        return u32Beams & (u8Id == TRANSDUCER_QUAD ? BEAM_455KHZ_QUAD : BEAMS_KV);
    case SONAR_SOURCE_FV:
        return u32Beams & (u8Id == TRANSDUCER_QUAD ? BEAM_455KHZ_QUAD : BEAMS_FV);
    case SONAR_SOURCE_360:
        return u32Beams & BEAMS_360;
    default:
        return u32Beams;
    }
}

U32 S_TRANSDUCER_u32GetBeamsSupportedByModel(void)
{
    U32 u32Mask = MODEL_BEAMS_BASE;
    for (const TRANSDUCER_SPECIFICS& r : s_sTransducerSpecifics) {
        if (r.pString != nullptr)
            u32Mask |= r.u32BeamsSupported;
    }
    return u32Mask | MODEL_BEAMS_EXTRA;
}

U32 S_TRANSDUCER_u32GetBeamsToDisplay(U8 u8Id)
{
    if (!bKnownId(u8Id))
        return 0;
    return S_TRANSDUCER_u32GetBeamsSupportedByModel() & row(u8Id).u32BeamsSupported;
}

const TEXT_TABLE* S_TRANSDUCER_pasGetTransducerName(U8 u8Id)
{
    if (!bKnownId(u8Id))
        return &txtUnknown;
    return row(u8Id).pString;
}

U32 S_TRANSDUCER_u32GetSonarSources(U8 u8Id)
{
    if (!bKnownId(u8Id))
        return 0;
    return row(u8Id).u32SonarSources;
}

BOOLEAN S_TRANSDUCER_bIsSupportedTransducer(U8 u8Id)
{
    switch (u8Id) {
    case 16:
        return TRUE;
    case 0:
    case 1:
    case 4:
    case 15:
    case 17:
    case 18:
        log_me("[%d]%s: transducer %d is supported\n", __LINE__, __func__, u8Id);
        return TRUE;
    default:
        log_me("[%d]%s: transducer %d is not supported\n", __LINE__, __func__, u8Id);
        return FALSE;
    }
}

U8 S_TRANSDUCER_u8GetTransducerByCapability(U32 u32Capability)
{
    for (U8 u8Id = 1; u8Id <= TRANSDUCER_LAST_ID; ++u8Id) {
        if (s_sTransducerSpecifics[u8Id].u32BeamsSupported == u32Capability)
            return u8Id;
    }
    return 0;
}

const char* S_TRANSDUCER_pbyteGetFrequencyString(U8 u8Id, U8 u8SonarSource)
{
    // One text per thread: the ping, processing, network and menu tasks may
    // ask at the same time, and each copies its answer at once.
    thread_local char s_acText[FREQUENCY_TEXT_SIZE];

    if (u8SonarSource == SONAR_SOURCE_360)
        return "455";
    if (u8SonarSource > SONAR_SOURCE_360)
        return "NONE";

    const U32 u32Beams = row(u8Id).u32BeamsSupported & S_TRANSDUCER_u32GetBeamsSupportedByModel();
    const char* pcFirst = nullptr;
    const char* pcSecond = nullptr;
    if (u8SonarSource == SONAR_SOURCE_2D) {
        const U32 u32F = u32Beams & BEAMS_2D;
        if (u32F & BEAM_200KHZ)
            pcFirst = "200";
        if (u32F & BEAM_83KHZ)
            pcSecond = "83";
        if (u32F & BEAM_50KHZ)
            pcSecond = "50";
        if (u32F & BEAM_455KHZ_DOWN)
            pcSecond = "455";
    } else {
        const U32 u32SourceBeams = u8SonarSource == SONAR_SOURCE_KV ? BEAMS_KV : BEAMS_FV;
        const U32 u32F = u32Beams & (u8Id == TRANSDUCER_QUAD ? BEAM_455KHZ_QUAD : u32SourceBeams);
        pcFirst = pcImagingFirstPart(u32F);
        pcSecond = pcImagingSecondPart(u32F);
    }

    if (pcSecond != nullptr)
        snprintf(s_acText, sizeof s_acText, "%s/%s", pcFirst != nullptr ? pcFirst : "", pcSecond);
    else if (pcFirst != nullptr)
        snprintf(s_acText, sizeof s_acText, "%s", pcFirst);
    else
        snprintf(s_acText, sizeof s_acText, "/");
    return s_acText;
}

// ---- Element masks ----

U32 S_TRANSDUCER_u32GetElementBit(U32 u32SonarElementSelection, NET_SOURCE_TYPE eNetSourceType)
{
    if (eNetSourceType < SONAR_SOURCE_2D || eNetSourceType > SONAR_SOURCE_360)
        return 0;
    return u32SonarElementSelection & (1u << eNetSourceType);
}

void S_TRANSDUCER_vSetElementBit(U32* pu32Mask, NET_SOURCE_TYPE eNetSourceType)
{
    if (pu32Mask == nullptr || eNetSourceType < SONAR_SOURCE_2D || eNetSourceType > SONAR_SOURCE_360)
        return;
    *pu32Mask |= 1u << eNetSourceType;
}

void S_TRANSDUCER_vUnsetElementBit(U32* pu32Mask, NET_SOURCE_TYPE eNetSourceType)
{
    if (pu32Mask == nullptr || eNetSourceType < SONAR_SOURCE_2D || eNetSourceType > SONAR_SOURCE_360)
        return;
    *pu32Mask &= ~(1u << eNetSourceType);
}

// ---- Walkers ----

void S_TRANSDUCER_vEnable(BOOLEAN bTransducerConnected)
{
    if (!bTransducerConnected) {
        U_MENU_bUnregisterTab(&txtTabSonar);
        s_u8CurrentSelectedTransducer[0] = 0;
        s_u8CurrentSelectedTransducer[1] = 0;
    } else if (s_u8CurrentSelectedTransducer[0] == 0 && s_u8CurrentSelectedTransducer[1] == 0) {
        // First enable since start or since a removal: what stays for the
        // whole connection.
        U_MENU_bRegisterTab(&txtTabSonar, SONAR_TAB_PRIORITY, &SonarTab_icon, M_BASIC);
        const TransducerChoices& c = transducerChoices();
        U_MENU_bRegisterMainSelectorMenu(&txtConnectedTransducer, &txtTabSonar, MENU_TRANSDUCER_SELECT, FCID("SSTS"),
                                         c.u32Count, c.apNames, c.au32Values, M_BASIC);
        vRegisterExpressMenus(All2DViews, All2DViewsCount);
        vRegisterExpressMenus(AllSideViews, AllSideViewsCount);
        vRegisterExpressMenus(AllKeelviewViews, AllKeelviewViewsCount);
        vMenuSideScanFrequency(u32FrequencyTransducer());
    }
    vRemoveEverything();
}

void S_TRANSDUCER_v2DEnable(U8 u8RequestedTransducer)
{
    if (u8RequestedTransducer != 0) {
        for (const TRANSDUCER_EVENT& r : TransducerDataBaseDownLooking) {
            if (r.u8TransducerId == u8RequestedTransducer || r.u8TransducerId == ALL_TRANSDUCERS)
                r.pvfEnableDisable(TRUE);
        }
    }
    s_u8CurrentSelectedTransducer[0] = u8RequestedTransducer;
}

void S_TRANSDUCER_vImagingEnable(U8 u8RequestedTransducer)
{
    const NETWORK_CLIENT_STATE eState360 = U_PING_eGetNetworkClientState(SONAR_SOURCE_360);
    if (u8RequestedTransducer != 0) {
        const bool b360Gone = u8RequestedTransducer == TRANSDUCER_360 && eState360 == NETWORK_CLIENT_STATE_DISCONNECTED;
        const bool bDownLooking = bIsDownLookingImaging(u8RequestedTransducer);
        for (const TRANSDUCER_EVENT& r : TransducerDataBaseImaging) {
            if (r.u8TransducerId == ALL_TRANSDUCERS || r.u8TransducerId == u8RequestedTransducer)
                r.pvfEnableDisable(TRUE);
            // The 360 unit's own rows go with its server.
            if (b360Gone && r.u8TransducerId == TRANSDUCER_360)
                r.pvfEnableDisable(FALSE);
            // A down-looking transducer takes the side-looking transducers'
            // rows away; a side-looking call that follows brings them back.
            if (bDownLooking && bIsSideLookingImaging(r.u8TransducerId))
                r.pvfEnableDisable(FALSE);
        }
    }
    s_u8CurrentSelectedTransducer[1] = u8RequestedTransducer;
}

void S_TRANSDUCER_vGyreviewEnable(U8 u8RequestedTransducer)
{
    if (u8RequestedTransducer == 0)
        return;
    for (const TRANSDUCER_EVENT& r : TransducerDataBaseGyreview) {
        if (r.u8TransducerId == u8RequestedTransducer || r.u8TransducerId == ALL_TRANSDUCERS)
            r.pvfEnableDisable(TRUE);
    }
}

void S_TRANSDUCER_vCompositeEnable(U8 u8RequestedTransducer, U32 u32RequestedTransducerElement)
{
    // The history task writes "YST3" before the walkers run; unwritten, no
    // side-looking transducer is in use.
    U32 u32SideImaging = 0;
    bFetchU32(FCID("YST3"), &u32SideImaging);
    const NETWORK_CLIENT_STATE eState360 = U_PING_eGetNetworkClientState(SONAR_SOURCE_360);
    const bool bSideFrom360 = u32SideImaging == TRANSDUCER_360;

    for (const SONAR_SOURCE_EVENT& r : SonarCompositeEventBase) {
        if (bCompositeRowMatches(r, u8RequestedTransducer, u32RequestedTransducerElement))
            r.pvfEnableDisable(TRUE);
        if (u8RequestedTransducer != TRANSDUCER_360 || r.u32SonarSources == ALL_SONAR_SOURCES)
            continue;
        const bool bHasFV = (r.u32SonarSources & ELEMENT_FV) != 0;
        const bool bHas360 = (r.u32SonarSources & ELEMENT_360) != 0;
        switch (eState360) {
        case NETWORK_CLIENT_STATE_INIT:
        case NETWORK_CLIENT_STATE_LOCAL:
            if (bHasFV && bSideFrom360)
                r.pvfEnableDisable(FALSE);
            break;
        case NETWORK_CLIENT_STATE_DISCONNECTED:
            if (bHas360 && (bSideFrom360 || !bHasFV))
                r.pvfEnableDisable(FALSE);
            break;
        default:
            break;
        }
    }
}

void S_TRANSDUCER_vComposite360Enable(U8 u8RequestedTransducer, U32 u32RequestedTransducerElement)
{
    for (const SONAR_SOURCE_EVENT& r : SonarComposite360EventBase) {
        if (bCompositeRowMatches(r, u8RequestedTransducer, u32RequestedTransducerElement))
            r.pvfEnableDisable(TRUE);
    }
}

void vMenuSideScanFrequency(U32 u32TransducerAdv)
{
    static const TEXT_TABLE* const s_ap455And800[2] = {&txt455kHz, &txt800kHz};
    static const U32 s_au32455And800[2] = {FCID("SSF4"), FCID("SSF5")};
    static const TEXT_TABLE* const s_ap455And262[2] = {&txt455kHz, &txt262kHz};
    static const U32 s_au32455And262[2] = {FCID("SSF4"), FCID("SSF3")};

    log_me("[%d]%s: imaging transducer %u\n", __LINE__, __func__, u32TransducerAdv);
    BOOLEAN bSent = FALSE;
    const char* pcOutcome = "removed";
    if (u32TransducerAdv == 10 || bIsDownLookingImaging(u32TransducerAdv)) {
        bSent = U_MENU_bRegisterMainSelectorMenu(&txtImagingFrequency, &txtTabSonar, MENU_SIDE_VIEW_FREQUENCY_SELECT,
                                                 FCID("YSSF"), 2, s_ap455And800, s_au32455And800, M_BASIC);
        pcOutcome = "455/800 kHz";
    } else if (u32TransducerAdv == 5) {
        bSent = U_MENU_bRegisterMainSelectorMenu(&txtImagingFrequency, &txtTabSonar, MENU_SIDE_VIEW_FREQUENCY_SELECT,
                                                 FCID("YSSF"), 2, s_ap455And262, s_au32455And262, M_BASIC);
        pcOutcome = "455/262 kHz";
    } else {
        bSent = U_MENU_bUnregisterMainMenuItem(&txtImagingFrequency, &txtTabSonar);
    }
    log_me("[%d]%s: imaging frequency %s, menu call %s\n", __LINE__, __func__, pcOutcome,
           bSent ? "sent" : "not sent");
}
