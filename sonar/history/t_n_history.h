// The sonar history task (task 30): the owner of the state behind every
// scrolling sonar screen. It creates the history bitmaps and column stores
// at start, follows the sonar settings and the view, holds the sonar keys
// and asks for frames; the processing task draws the columns and the view
// task's draw callbacks copy the pictures.
//
// Hand-overs at start: "TSMG" is published first (the ping task waits for
// it); semaphore 220 is signalled once the windows, stores and bitmaps
// exist (the processing task waits for it); then the task waits for the
// view, ping and processing tasks' keys before its loop runs.
#pragma once

#include "kernel/l_mbox.h"
#include "kernel/l_types.h"
#include "platform/h_recselect.h" // BEAM
#include "util/u_pixels.h"
#include "ui/u_view.h" // LAYER_ID, SPLIT_WINDOW_TYPE

// ---- Kernel objects ----

constexpr TASK HISTORY_TASK = 30;
constexpr MBOX HISTORY_MAILBOX = 31;
constexpr SEMA SEMA_MBOX_HISTORY = 37;
constexpr SEMA SEMA_UPDATE_HISTORY = 127;
constexpr SEMA SEMA_RTS = 128;        // new data for the real-time sonar strip
constexpr SEMA SEMA_TNHIST_WAIT = 220; // the windows, stores and bitmaps exist

// ---- The task ----

// Entry of task 30; returns only when its mailbox is gone after a shutdown.
void T_N_HISTORY_vMain(void);

// ---- Answers to the other sonar tasks ----

// TRUE for the three 360 views.
BOOLEAN T_N_HISTORY_bIsSweepingView(LAYER_ID eView);
// TRUE when the last imaging or side-and-down view shown was not served by
// the 360 unit.
BOOLEAN T_N_HISTORY_bGetNon360FVOrQuadViewLastVisited(void);
// Whether 2D pings may use short transmit pulses: never with a
// down-imaging-only transducer selected.
void T_N_HISTORY_vEnableShortTransmit(BOOLEAN bEnable);
// Whether a playback mode scrolls the history in reverse, given the
// direction it scrolls now.
BOOLEAN T_N_HISTORY_bReverseScrollForMode(U32 u32PlaybackMode, BOOLEAN bCurrentReverse);

// ---- Playback (run in the processing and card tasks) ----

// Empties every picture, column store, fish history and accumulator before
// a playback, then asks for a frame.
void T_N_HISTORY_vPrepareForPlayback(void);
// Columns go in reverse (bReverse) and the end fill runs (bEndFill); a
// change of direction clears the accumulators and redraws, entering the end
// fill empties the pictures and publishes "CTCU" 0, leaving it redraws.
void T_N_HISTORY_vSetReverseScroll(BOOLEAN bReverse, BOOLEAN bEndFill);
// The ping time stamps of the columns at the edge the playback continues
// from, one per stored beam 0-3: the newest column going forward, the one
// after the next free column going in reverse.
void T_N_HISTORY_vLookupColumnPingTimeStamps(BOOLEAN bReverse, U32* pu32TimeStamps);
// The imaging transducer held for the Flankview screens.
U8 T_N_HISTORY_u8CurrentFVTransducer(void);
// TRUE when the transducer id is in any of the three transducer slots.
BOOLEAN T_N_HISTORY_bTransducerSelected(U32 u32TransducerId);

// ---- Columns and pictures ----

// Draws u32NumColumns display columns of the beam's newest data into its
// windows, its blend window, its column store and its fish history, then
// keeps the temperature chart and the ranges and asks for a frame. Runs in
// the processing task.
void T_N_HISTORY_vAddColumns(U32 u32NumColumns, BEAM Beam, U8 u8Transducer);
// Whether a chart or bird's-eye view of this unit is current, asked when a
// reverse playback moves the position back (from the composition root);
// none installed: no.
void T_N_HISTORY_vInstallChartViewQuery(BOOLEAN (*pfnIsMyChartView)(void));
// The water-temperature chart over the sonar picture; pt is its lower-left
// corner.
void T_N_HISTORY_vDrawTemperatureChart(BITMAP* pBitmap, POINT* pt, U32 u32TemperatureGraphWidth,
                                       U32 u32TemperatureGraphHeight);

// ---- Sonar views and colours ----

// (Re)registers the sonar views and menus for the current transducers and
// sources: the first call at once, later ones 2000 ms after the last.
void T_N_HISTORY_vUpdateAllViews(void);
// Entries 0-31 of the colour table: the 2D palette of "SSPL", entry 0 the
// sonar background of the system palette u32Palette ("SPAL").
void T_N_HISTORY_vSet2DColorTable(U32 u32Palette);
// Entries 200-231: imaging palette 1-8; any other value changes nothing.
void T_N_HISTORY_vSetSonarColorTable(U32 u32Palette);
// The model query of the depth-unit defaults (from the composition root).
void T_N_HISTORY_vInstallDomesticModelQuery(BOOLEAN (*pfnDomestic)(void));

// ---- Answers to the view, info and navigation code ----

// TRUE when the pane uses the sonar cursor; view -3 and UNKNOWN_SPLIT
// take the current view and pane.
BOOLEAN T_N_HISTORY_bIsMyCursorView(LAYER_ID view, SPLIT_WINDOW_TYPE eSplit);
// Fits the window heights of a view's pane to the 600 - u32YOffset rows
// that the info strip leaves; a change redraws every window. Called from
// the view task with the strip's height.
void T_N_HISTORY_vReVerifyAndUpdateActiveSonarWindowSettings(LAYER_ID view, SPLIT_WINDOW_TYPE eSplit,
                                                            U32 u32YOffset);
