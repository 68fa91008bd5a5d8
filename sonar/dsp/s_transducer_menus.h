// The sonar views and the 2D and imaging settings menus that the transducer
// database switches on and off per transducer.
//
// Each function is a registration function: TRUE registers one view (a
// background layer or its split panes, with its instrument overlay) or one
// group of menu items, FALSE removes exactly what it registered, from the
// same places. They run in the caller's thread (the sonar history task,
// through the walkers) and only post mails to the view and menu tasks:
// registering an item again replaces the item of the same title, and
// removing what is not there changes nothing, so the walkers may call them
// in any order and as often as they like.
//
// Menu items are named by the address of their text table: every function
// registers and removes with the same table (sonar/dsp/s_transducer_texts.h).
#pragma once

#include "kernel/l_types.h"
#include "store/h_profile.h" // MENU_PRIORITY
#include "ui/u_menu_client.h"
#include "ui/u_view.h"

// ---- Item positions of the sonar menus ----
//
// The framework's enumeration (store/h_profile.h) holds the positions of
// the items whose settings the profiles keep; these are the rest.

constexpr MENU_PRIORITY MENU_KEELVIEW_SENSITIVITY = (MENU_PRIORITY)31;
constexpr MENU_PRIORITY MENU_KEELVIEW_ENHANCE = (MENU_PRIORITY)32;
constexpr MENU_PRIORITY MENU_SIDESCAN_ENHANCE = (MENU_PRIORITY)35;
constexpr MENU_PRIORITY MENU_JIGGING = (MENU_PRIORITY)83;
constexpr MENU_PRIORITY MENU_BEAM_SELECT = (MENU_PRIORITY)276;
constexpr MENU_PRIORITY MENU_SIDE_VIEW_FREQUENCY_SELECT = (MENU_PRIORITY)279;
constexpr MENU_PRIORITY MENU_TVG_ADJUST = (MENU_PRIORITY)280;
constexpr MENU_PRIORITY MENU_800KHZ_FREQUENCY = (MENU_PRIORITY)281;
constexpr MENU_PRIORITY MENU_462KHZ_FREQUENCY = (MENU_PRIORITY)282;
constexpr MENU_PRIORITY MENU_262KHZ_FREQUENCY = (MENU_PRIORITY)283;
constexpr MENU_PRIORITY MENU_200KHZ_FREQUENCY = (MENU_PRIORITY)284;
constexpr MENU_PRIORITY MENU_LF_FREQUENCY = (MENU_PRIORITY)285;
constexpr MENU_PRIORITY MENU_BOTTOM_VIEW = (MENU_PRIORITY)294;
constexpr MENU_PRIORITY MENU_50KHZ_SENSITIVITY = (MENU_PRIORITY)297;
constexpr MENU_PRIORITY MENU_SIDE_VIEW_LINES = (MENU_PRIORITY)301;
constexpr MENU_PRIORITY MENU_WHITELINE_LEVEL = (MENU_PRIORITY)307;
constexpr MENU_PRIORITY MENU_TRANSMIT_POWER = (MENU_PRIORITY)308;
constexpr MENU_PRIORITY MENU_TRANSMIT_CYCLES = (MENU_PRIORITY)311;
constexpr MENU_PRIORITY MENU_BANDWIDTH_50_83 = (MENU_PRIORITY)313;
constexpr MENU_PRIORITY MENU_BANDWIDTH_200 = (MENU_PRIORITY)314;
constexpr MENU_PRIORITY MENU_BANDWIDTH_SI = (MENU_PRIORITY)315;
constexpr MENU_PRIORITY MENU_83KHZ_CUTOFF = (MENU_PRIORITY)318;
constexpr MENU_PRIORITY MENU_50KHZ_CUTOFF = (MENU_PRIORITY)319;
constexpr MENU_PRIORITY MENU_200KHZ_CUTOFF = (MENU_PRIORITY)320;
constexpr MENU_PRIORITY MENU_455KHZ_CUTOFF = (MENU_PRIORITY)321;
constexpr MENU_PRIORITY MENU_DIGITAL_DEPTH_SOURCE = (MENU_PRIORITY)324;
constexpr MENU_PRIORITY MENU_TRANSDUCER_SELECT = (MENU_PRIORITY)325;
constexpr MENU_PRIORITY MENU_COLOR_INTENSITY_BAR = (MENU_PRIORITY)327;
constexpr MENU_PRIORITY MENU_TEMPERATURE_OVERLAY = (MENU_PRIORITY)328;
constexpr MENU_PRIORITY MENU_DEPTH_ALARM = (MENU_PRIORITY)525;
constexpr MENU_PRIORITY MENU_FISH_ID_ALARM = (MENU_PRIORITY)528;

// ---- Layers of the sonar views and their instrument overlays ----

constexpr LAYER_ID SONAR_SIDEVIEW_AND_DOWN = 46;
constexpr LAYER_ID SONAR_SIDEVIEW = 47;
constexpr LAYER_ID KEELVIEW_VIEW_PRIORITY = 39;
constexpr LAYER_ID KEELVIEW_PLUS_SIDESCAN_VIEW_PRIORITY = 40;
constexpr LAYER_ID KEELVIEW_PLUS_2D_VIEW_PRIORITY = 41;
constexpr LAYER_ID KEELVIEW_PLUS_SIDESCAN_PLUS_2D_VIEW_PRIORITY = 42;
constexpr LAYER_ID SONAR_VIEW_PRIORITY = 49;
constexpr LAYER_ID SONAR_ZOOM_VIEW_PRIORITY = 50;
constexpr LAYER_ID SONAR_DUAL_BEAM_VIEW_PRIORITY = 51;
constexpr LAYER_ID SONAR_SIDESCAN_PLUS_2D_PRIORITY = 52;
constexpr LAYER_ID SONAR_FLASHER_PRIORITY = 55;
constexpr LAYER_ID SONAR_PPI_DISPLAY_VIEW_PRIORITY = 56;
constexpr LAYER_ID SONAR_PPI_PLUS_2D_VIEW_PRIORITY = 57;
constexpr LAYER_ID SONAR_PPI_PLUS_CHART_VIEW_PRIORITY = 58;
constexpr LAYER_ID SONAR_PPI_DISPLAY_HALF_VIEW_PRIORITY = 59;

constexpr LAYER_ID INFO_SONAR_VIEW_LAYER = 210;
constexpr LAYER_ID INFO_SIDEVIEW_AND_DOWN_LAYER = 211;
constexpr LAYER_ID INFO_SONAR_SIDE_VIEW_LAYER = 212;
constexpr LAYER_ID INFO_SONAR_SIDE_VIEW_2D_LAYER = 217;
constexpr LAYER_ID INFO_DUAL_BEAM_VIEW_LAYER = 218;
constexpr LAYER_ID INFO_SONAR_ZOOM_VIEW_LAYER = 219;
constexpr LAYER_ID INFO_KEELVIEW_VIEW_LAYER = 220;
constexpr LAYER_ID INFO_KEELVIEW_PLUS_FV_VIEW_LAYER = 221;
constexpr LAYER_ID INFO_KEELVIEW_VIEW_2D_LAYER = 222;
constexpr LAYER_ID INFO_KEELVIEW_PLUS_SIDESCAN_PLUS_2D_VIEW_LAYER = 224;
constexpr LAYER_ID INFO_SONAR_PPI_VIEW_LAYER = 225;
constexpr LAYER_ID INFO_SONAR_PPI_VIEW_2D_LAYER = 226;
constexpr LAYER_ID INFO_SONAR_PPI_HALF_VIEW_LAYER = 228;

// The instrument overlay's user word that the info task reads as the alpha
// vector of its boxes.
constexpr U32 SONAR_INFO_ALPHA_VECTOR = 0x8C8C56;

// ---- Views ----

void vView2D(BOOLEAN bEnable);
void vView2DZoom(BOOLEAN bEnable);
void vViewKeelview(BOOLEAN bEnable);
void vViewVerticalScroll(BOOLEAN bEnable);
void vViewQuadBeam(BOOLEAN bEnable);
// Registers only when the 2D transducer ("YST1") has a low-frequency or
// 455 kHz 2D beam; removes in any case.
void vViewDualBeamScreen(BOOLEAN bEnable);
void vViewKeelviewPlusFV(BOOLEAN bEnable);
void vViewKeelviewPlus2D(BOOLEAN bEnable);
void vViewKeelviewPlusFVPlusSonar(BOOLEAN bEnable);
void vViewSideScan2DCombo(BOOLEAN bEnable);
// Kept for their table rows; they register nothing.
void vViewOverlayCombo(BOOLEAN bEnable);
void vChartPlusKVView(BOOLEAN bEnable);
void vViewMegaDigits(BOOLEAN bEnable);

// ---- Hot menu items of the sonar panes ----

void vMenuChartSpeed(BOOLEAN bEnable);
void vMenuSensitivity(BOOLEAN bEnable);
void vMenuBottomLockZoom(BOOLEAN bEnable);

// ---- The range family: one member per transducer depth ----

void vMenuUpperRange240ft(BOOLEAN bEnable);
void vMenuUpperRange1500ft(BOOLEAN bEnable);
void vMenuUpperRange3280ft(BOOLEAN bEnable);
// Registering sets the maximum depth range to the member's; removing sets
// it to 100 m.
void vMenuLowerRange240ft(BOOLEAN bEnable);
void vMenuLowerRange1000ft(BOOLEAN bEnable);
void vMenuLowerRange1500ft(BOOLEAN bEnable);
void vMenuLowerRange3280ft(BOOLEAN bEnable);

// ---- Main-menu items of the 2D sonar ----

void vMenuNoiseFilter(BOOLEAN bEnable);
void vMenuNoiseFilterVeltra(BOOLEAN bEnable);
void vMenuColorIntensityBar(BOOLEAN bEnable);
void vMenu2DSonarColors(BOOLEAN bEnable);
void vMenuZoomWidthWindow(BOOLEAN bEnable);
void vMenuRTSWindow(BOOLEAN bEnable);
void vMenuSurfaceClutter(BOOLEAN bEnable);
void vMenuBottomView(BOOLEAN bEnable);
void vMenuFishId(BOOLEAN bEnable);
void vMenuFishSensitivity(BOOLEAN bEnable);
void vMenuTemperatureOverlay(BOOLEAN bEnable);
void vMenuWaterType(BOOLEAN bEnable);
void vMenuDepthLines(BOOLEAN bEnable);
void vMenuDepthOffset(BOOLEAN bEnable);
void vMenuDepthAlarm(BOOLEAN bEnable);
void vMenuFishAlarm(BOOLEAN bEnable);
// Only while the super-user menus ("SMSU") are on: neither registers nor
// removes otherwise.
void vMenuLFFrequency(BOOLEAN bEnable);
void vMenu200kHzFrequency(BOOLEAN bEnable);
// Registers when "SMSU" is TRUE; removes only what it registered.
void vMenuSuperUserExtras(BOOLEAN bEnable);

// ---- Beams of the 2D transducer ----

void vMenuBeam83kHzSelect(BOOLEAN bEnable);
void vMenuBeam50kHzSelect(BOOLEAN bEnable);
// Choices by "YST1": 17 200/83 kHz, 18 200/50 kHz, others 200/455 kHz.
void vMenuBeam200kHzSelect(BOOLEAN bEnable);
// TRUE writes the low-frequency beam ("CSFL", kHz); FALSE does nothing.
void vSetLFBeam83kHz(BOOLEAN bEnable);
void vSetLFBeam50kHz(BOOLEAN bEnable);
void vMenu83kHzSensitivity(BOOLEAN bEnable);
void vMenu50kHzSensitivity(BOOLEAN bEnable);

// ---- Imaging settings ----

void vMenuQuadLayout(BOOLEAN bEnable);
void vMenuSideView(BOOLEAN bEnable);
void vMenuSideScanRange(BOOLEAN bEnable);
void vMenuSideScanGrayscaleAdjustAllSideViews(BOOLEAN bEnable);
// The colour items, and while "SMSU" is TRUE the gain and frequency
// sliders of the transducer's imaging beams.
void vMenuSideScanSettingsAll(BOOLEAN bEnable, U32 u32Transducer);
void vMenuSideScanSettings455And800(BOOLEAN bEnable);
void vMenuSideScanSettings455(BOOLEAN bEnable);
void vMenuSideScanSettings262And455(BOOLEAN bEnable);
void vMenuKVSettings(BOOLEAN bEnable);
void vMenu455kHzSensitivity(BOOLEAN bEnable);
void vDigitalDepthSelectMenu(BOOLEAN bEnable);
// Registers the digital-depth-source item when the down-looking pings have
// no source of their own (0).
void S_TRANSDUCER_vCrossCheckDigitalDepthSource(U32 KVPingsSource);
// "Jigging Mode" on the 2D panes while a side-looking imaging transducer
// is in use with 2D transducer 2, 9 or 10; registers once and removes once.
void vMenuJigging(U32 u32Transducer2D, U32 u32TransducerFV);
