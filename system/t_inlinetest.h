// The inline-test task (task 26, mailbox 26, key "TTST"): a factory test
// station drives a finished unit through serial port 3.
//
// After power-up the task only waits: the serial-port task hands it port 3
// when "?" arrives there. The task then takes the unit into system state 9
// for good (it stops the sonar, card and chart tasks, takes the keypad, the
// screen and serial ports 0 and 2) and answers "#ACK\n\r". From then on
// every frame "#" letter [argument] CR-or-LF runs one command, and the text
// the command leaves in the frame buffer is the answer sent back.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "ui/u_view.h"

constexpr TASK INLINETEST_TASK = 26;
constexpr MBOX INLINETEST_MBOX = 26;
constexpr LAYER_ID IN_LINE_TEST_LAYER = 331;

// The task's entry; never returns.
void T_INLINETEST_vMain(void);

// Puts the bytes of a zero-terminated text one by one on port 3's transmit
// queue, waiting while it is full; an empty text sends nothing.
void T_INLINETEST_vSendString(const char* pcText);

// The draw callback of the test layer (the view task calls it).
void T_INLINETEST_vDrawTestLayer(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

// What the task asks of the navigation storage, above this folder: the
// composition root installs the navigation store's calls. Until it does,
// each does nothing (a marked stand-in).
typedef struct tag_T_INLINETEST_NEIGHBOURS {
    // Deletes every waypoint, route, track and recorded track.
    void (*pfnDeleteAllNavData)(BOOLEAN bOverridePointOfSale);
    // Removes the navigation folders, and makes them again, empty.
    void (*pfnNavErase)(void);
    void (*pfnNavInit)(void);
} T_INLINETEST_NEIGHBOURS;

// Copies the hooks; null removes them all.
void T_INLINETEST_vInstallNeighbours(const T_INLINETEST_NEIGHBOURS* pNeighbours);
