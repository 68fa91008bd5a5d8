// The network address editor and the address texts.
//
// The editor is a form of the start-up task (mailbox 17) on which the user
// sets the unit's Ethernet addressing: the mode (dynamic or static) and, for
// a static setup, the IPv4 address, subnet mask and default gateway. The
// start-up task offers every key mail first to T_STARTUP_EDIT_bHandleConfKeys,
// then to T_STARTUP_EDIT_bHandleKeys, and handles a key itself only when both
// say FALSE. The form and its yes/no confirmations are view layers 299 and
// 300, drawn in the view task's thread.
//
// Changes reach the data store only through a save: "SIPD" (nonzero
// dynamic), and for a static setup "SIPA", "SIPM", "SIPG" (first octet in
// bits 31-24), written at writer priority 2; every save then mails the
// Ethernet task (mailbox 45) what is stored, which rewrites the interface
// configuration and restarts the interface.
//
// A key is acted on when it is pressed (KEY_DOWN); while the editor or a
// confirmation has the keys, the release of EXIT or of the cursor key is
// taken without effect, so that a start-up registration for presses and
// releases cannot turn one press into two.
//
// Key handling, opening, saving and the confirmation queue run in the
// start-up task's thread; the draw callbacks take the module's lock, so a
// frame never sees a confirmation being freed.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_mbox.h"
#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "ui/u_keyboard.h"
#include "ui/u_view.h"

constexpr LAYER_ID STARTUP_EDIT_LAYER = 299;
constexpr LAYER_ID STARTUP_CONF_LAYER = 300;

// "%03d.%03d.%03d.%03d" and its NUL fit in 16 bytes; the records keep 17.
constexpr U32 IP_ADDRESS_TEXT_SIZE = 17;
// "%02x:%02x:%02x:%02x:%02x:%02x" and its NUL.
constexpr U32 MAC_ADDRESS_TEXT_SIZE = 18;

// The odd states are the form's rows (the row's label selected); the even
// states 2-8 edit that row's value.
typedef enum tag_IPA_EDIT_STATE : int {
    IPA_EDIT_NONE = 0,
    IPA_EDIT_MODE = 1,
    IPA_EDIT_MODE_VALUE = 2,
    IPA_EDIT_ADDR = 3,
    IPA_EDIT_ADDR_VALUE = 4,
    IPA_EDIT_MASK = 5,
    IPA_EDIT_MASK_VALUE = 6,
    IPA_EDIT_GATE = 7,
    IPA_EDIT_GATE_VALUE = 8,
    IPA_EDIT_SAVE = 9,
    IPA_EDIT_STATE_COUNT = 10
} IPA_EDIT_STATE;

typedef enum tag_STARTUP_EDIT_STATE : int {
    STARTUP_EDIT_NONE = 0,      // closed
    STARTUP_EDIT_IPADDRESS = 1, // open
} STARTUP_EDIT_STATE;

// The form's edit record. It keeps its last contents after closing;
// opening reloads it from the data store.
typedef struct tag_IP_ADDRESS_EDIT {
    IPA_EDIT_STATE eState;
    U32 nMode;      // nonzero dynamic
    S32 nPosition;  // the octet under edit: character 0, 4, 8 or 12
    char sIPAddress[IP_ADDRESS_TEXT_SIZE];      // "%03d.%03d.%03d.%03d"
    char sSubnetMask[IP_ADDRESS_TEXT_SIZE];
    char sDefaultGateway[IP_ADDRESS_TEXT_SIZE];
    BOOLEAN bDirty; // set by every change of mode or octet
} IP_ADDRESS_EDIT;

// CMD_ID_SAVE_IP_SETUP, to the Ethernet task's mailbox 45 at mail priority
// 3 without a semaphore; the receiver frees it. bDynamic and the three
// texts say what the data store holds after the save: for a static setup
// the three addresses as "%d.%d.%d.%d", for a dynamic one empty texts.
// bChanged says whether this save wrote anything.
typedef struct tag_MSG_SAVE_IP_SETUP {
    GENERIC_MESSAGE header;
    BOOLEAN bChanged;
    BOOLEAN bDynamic;
    char sIPAddress[IP_ADDRESS_TEXT_SIZE];
    char sSubnetMask[IP_ADDRESS_TEXT_SIZE];
    char sDefaultGateway[IP_ADDRESS_TEXT_SIZE];
} MSG_SAVE_IP_SETUP;

// An answer of a confirmation.
typedef void STARTUP_CONF_FUNCTION(void);

// Opens the editor at the Mode row with the stored setup (a good click),
// takes the keys for mailbox 17 (REGISTER_DIALOG_BOX) and shows layer 299.
// Opening an open editor reloads it without taking keys or layer again.
void T_STARTUP_EDIT_vIPAddressSetup(void);

// The editor's key handler: FALSE when the editor is closed or the key is
// neither EXIT nor the cursor key.
BOOLEAN T_STARTUP_EDIT_bHandleKeys(const MSG_KEY_CHANGE* pMsg);

// The confirmations' key handler, for the oldest pending one: right runs
// its yes, left and EXIT its no, each answer removing it; other directions
// click bad. FALSE when none is pending or the key is neither EXIT nor the
// cursor key.
BOOLEAN T_STARTUP_EDIT_bHandleConfKeys(const MSG_KEY_CHANGE* pMsg);

// Closes the editor if it is open: keys and layer released, nothing saved,
// no click. For CMD_ID_RESET_POS.
void T_STARTUP_EDIT_vResetState(void);

// Queues a yes/no confirmation of the statement (a copy is kept, wrapped
// to 533 pixels in the 16 x 17 font, at most 10 lines). The first one
// pending takes the keys for mailbox 17 and shows layer 300; the last one
// answered gives them back. Null answers only click.
void T_STARTUP_EDIT_vConfirmationSetup(const char* pStatement, STARTUP_CONF_FUNCTION* pYes,
                                       STARTUP_CONF_FUNCTION* pNo);

// Draw callbacks of layers 299 and 300.
void T_STARTUP_EDIT_vRenderIPAddressSetup(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_STARTUP_EDIT_vRenderConf(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

// Store (when anything changed) and mail the Ethernet task, then close the
// editor. The first is the Save row's action and returns TRUE; the second
// answers yes to "Save Changes?" and clicks itself.
BOOLEAN T_STARTUP_EDIT_bEditSave(void);
void T_STARTUP_EDIT_vEditSave(void);
// Answers no: closes the editor if it is open and clicks; the edits are lost.
void T_STARTUP_EDIT_vEditCancel(void);

// The U32 of the key as "%03d.%03d.%03d.%03d", bits 31-24 first, into 16
// bytes; 000.000.000.000 when the key cannot be fetched.
void T_STARTUP_EDIT_vFormatAddress(FOURCHARID fcid, char* sAddress);
// The same as "%d.%d.%d.%d" (0.0.0.0 when the key cannot be fetched).
void T_STARTUP_EDIT_vFormatAddressLinux(FOURCHARID fcid, char* sAddress);
// The unit's MAC address in lower-case hexadecimal into 18 bytes: the
// unit's fixed three-byte prefix, then bits 23-16, 15-8 and 7-0 of "SMAC"
// (zeros when it cannot be fetched).
void T_STARTUP_EDIT_vFormatMACAddress(char* sAddress);

// Whether the editor is open, and a copy of the edit record when pRecord is
// not null (for the start-up screens and for tests).
STARTUP_EDIT_STATE T_STARTUP_EDIT_eGetEditRecord(IP_ADDRESS_EDIT* pRecord);
