// PC-connect task (task 21, mailbox 21, key "TPCC"): serves a PC service
// tool cabled to serial port 3.
//
// The serial-port task owns the port until a line starting with "#"
// arrives; it then hands the port over and signals SEMA_PCC. From then on
// the unit is in the PC-connect state ("CCST" 8), shows the PC Connect
// view, refuses the keys and answers one command after another:
//
//   "#", one letter, an optional argument of at most 512 characters, CR or LF
//
// Every reply starts with "#"; "#ACK" and "#NAK" end with LF CR, data
// replies with CR LF. The connection ends when "Q" or "G" is the last
// command completed in a batch of received bytes, and the unit returns to
// the state it was in (a connection begun in the PC-connect state itself
// never ends). Navigation data travel by XMODEM-1K on the same port.
#pragma once

#include "kernel/l_types.h"
#include "ui/u_view.h"
#include "util/u_pixels.h"

constexpr TASK PCC_TASK = 21;
constexpr MBOX PCC_MAILBOX = 21;
constexpr SEMA SEMA_MBOX_PCC = 46;  // mail on mailbox 21
constexpr SEMA SEMA_PCC = 109;      // port handed over; acknowledgements of the task's own mails
constexpr SEMA SEMA_QUEUE_RX3 = 22; // bytes waiting in port 3's receive queue
constexpr LAYER_ID PC_CONNECT_VIEW = 5;
constexpr U8 PCC_PORT = 3;
constexpr U32 PCC_ARGUMENT_CHARS = 512;

// Task entry; never returns.
void T_PCC_vMain(void);
// Begins a connection, or re-enters one (the state saved first is kept).
void T_PCC_vSetPCConnectMode(void);
// Draw callback of PC_CONNECT_VIEW.
void T_PCC_vDrawScreen(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

// The task's steps, for its own loop and for tests that drive it without
// its thread. vStart publishes "TPCC" and registers for the port;
// vHandleReceive takes every byte waiting in port 3's receive queue and
// ends the connection when the batch asks for it; vHandleMail serves
// mailbox 21.
void T_PCC_vStart(void);
void T_PCC_vHandleReceive(void);
void T_PCC_vHandleMail(void);
// TRUE while a connection runs (the task listens to SEMA_QUEUE_RX3).
BOOLEAN T_PCC_bConnected(void);

// The receiver alone: one byte through the four receive states, with the
// handlers it completes. *pbStay is set as the batch rule says (see above).
void T_PCC_vReceiveByte(U8 u8Byte, BOOLEAN* pbStay);
// Back to waiting for "#", dropping a half-received command.
void T_PCC_vResetReceiver(void);
// TRUE while the upgrade warning is on screen; the next backlight step.
BOOLEAN T_PCC_bShowingWarning(void);
U32 T_PCC_u32BacklightStep(void);

// What the commands act on beyond the data store and the port's queues:
// the navigation exchange stream, the XMODEM transfers and the wipe.
// Tests and the fuzz target install fakes; a null pointer (or a null
// table) means the unit's own.
typedef struct tag_T_PCC_NEIGHBOURS {
    void (*pfnFillBufferInit)(void);
    U32 (*pfnFillBufferSegment)(U8* pu8Block, U32 u32Parameter);
    U32 (*pfnFillNoGroupBufferSegment)(U8* pu8Block, U32 u32Parameter);
    void (*pfnSaveBufferInit)(void);
    void (*pfnSaveBufferSegment)(U32 u32Count, const U8* pu8Block);
    void (*pfnSaveBufferFree)(void);
    // Sends the stream the fill function produces; TRUE when it went whole.
    BOOLEAN (*pfnSendStream)(U8 u8Port, U8* pu8Block, U32 (*pfnFill)(U8* pu8Block, void* pParam), void* pParam);
    // Receives a stream block by block; TRUE when it ended properly.
    BOOLEAN (*pfnReceiveStream)(U8 u8Port, U8* pu8Block, void (*pfnStore)(U32 u32Count, U8* pu8Block, void* pParam),
                                void* pParam);
    // Shuts the tasks down, deletes the settings files and/or the
    // navigation storage, and restarts the unit (does not return there).
    void (*pfnWipe)(BOOLEAN bSettings, BOOLEAN bNavigation);
    // Lets go of a stream that was not sent whole (the navigation data stay
    // locked while a stream is open); harmless after a stream that ended.
    void (*pfnFillBufferAbort)(void);
} T_PCC_NEIGHBOURS;
void T_PCC_vInstallNeighbours(const T_PCC_NEIGHBOURS* pNeighbours);
