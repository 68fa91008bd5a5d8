// The 360-degree sweeping sonar's views and menus.
//
// The views (full screen, half screen, and split with the 2D sonar) are
// switched by the transducer database's 360 tables; the menu functions are
// called directly: with TRUE when a 360 sonar server connects or the
// simulation starts with a transducer that simulates the 360 source too,
// with FALSE when the server goes away. Like every registration function
// of the sonar views, TRUE registers and FALSE removes exactly that, from
// the same places, by mails to the view and menu tasks.
//
// A bow-mounted transducer ("YBMT") is never deployed or retracted: it
// gets no deploy or retract actions, no deploy speed, depth or retract
// alarm, and its offset runs from -30 to 0 instead of 0 to 100.
#pragma once

#include "kernel/l_types.h"
#include "store/h_profile.h" // MENU_PRIORITY
#include "ui/u_menu_client.h"

constexpr MENU_PRIORITY MENU_SWEEP_SENSITIVITY = (MENU_PRIORITY)36;
constexpr MENU_PRIORITY MENU_SWEEP_RANGE = (MENU_PRIORITY)37;
constexpr MENU_PRIORITY MENU_SWEEP_COLOR = (MENU_PRIORITY)38;
constexpr MENU_PRIORITY MENU_PPI_DISPLAY = (MENU_PRIORITY)60;
constexpr MENU_PRIORITY MENU_SWEEP_SPEED = (MENU_PRIORITY)61;
constexpr MENU_PRIORITY MENU_SWEEP_ENHANCE = (MENU_PRIORITY)62;
constexpr MENU_PRIORITY MENU_AUTO_DEPLOY_1 = (MENU_PRIORITY)335;
constexpr MENU_PRIORITY MENU_360_RANGE_OVERLAY = (MENU_PRIORITY)336;
constexpr MENU_PRIORITY MENU_360_HEADING_OFFSET = (MENU_PRIORITY)337;
constexpr MENU_PRIORITY MENU_360_BOAT_ICON = (MENU_PRIORITY)338;
constexpr MENU_PRIORITY MENU_SWEEP_SONAR_SETTINGS = (MENU_PRIORITY)340;
constexpr MENU_PRIORITY MENU_PPI_MAIN_DEPLOY = (MENU_PRIORITY)341;
constexpr MENU_PRIORITY MENU_PPI_MAIN_RETRACT = (MENU_PRIORITY)342;
constexpr MENU_PRIORITY MENU_360_DEPTH = (MENU_PRIORITY)343;
constexpr MENU_PRIORITY MENU_NAV_IN_MSS = (MENU_PRIORITY)344;
constexpr MENU_PRIORITY MENU_360_OFFSET = (MENU_PRIORITY)345;
constexpr MENU_PRIORITY MENU_SPEED_ALARM = (MENU_PRIORITY)531;

// ---- Views ----

// Registering also resets the PPI display setting "PPIZ" to 0.
void vViewPPIDisplay(BOOLEAN bEnable);
void vViewPPIHalfDisplay(BOOLEAN bEnable);
void vViewPPIDisplay2DCombo(BOOLEAN bEnable);

// ---- Menus ----

// The hot items of the PPI panes, and the deploy and retract actions.
void vMenuPPIDisplay(BOOLEAN bEnable);
// The "360 Sonar Settings" sub menu, the sweep speed and the retract alarm.
void vMenuSweepingSonarSettings(BOOLEAN bEnable);
// Switches the sub menu to the bow-mounted variant, whatever the flag.
void vMenuBowMounted360Offset(BOOLEAN bEnable);
// The sensitivity item of one pane, and its enhance action on views 56-58.
void vMenuPPIScanGrayscaleAdjust(BOOLEAN bEnable, MENU_PRIORITY eMenu, LAYER_ID eLayerId, SPLIT_WINDOW_TYPE eSplit);
// Registers nothing.
void S_TRANSDUCER_vMenuPPINonPlaybackItems(BOOLEAN bEnable);
