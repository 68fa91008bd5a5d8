// The date and time form: a full-screen form on which the user sets the
// hours, minutes and seconds and the month, day and year (2000-2038) of
// the unit's clock.
//
// Opening registers the form's layer (333, an overlay of every view) and
// takes every key for mailbox 62 as a dialog box does; the task that serves
// mailbox 62 (its semaphore is 246) hands each mail to
// U_DATETIME_vServeMailbox, which passes the key mails to the key handler.
// The cursor moves between the rows (Time, Date, Save) and the six fields,
// and up and down change the field being edited. EXIT with changes asks
// "Save Changes?": right applies (the clock is set through
// L_UTILS_vSetSysDate), left discards. The form closes by removing its
// layer and its keys. Keys that mean nothing where the form is give the
// bad click; keys that come after the form closed change nothing.
//
// The key handler runs in the serving task, the draw callback in the view
// task; the form's state is shared between them under a lock of its own.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "ui/u_keyboard.h"
#include "ui/u_view.h"

constexpr LAYER_ID DATETIME_MENU_LAYER = 333;
constexpr MBOX M_SYSTIME_EDIT = 62;
constexpr SEMA SEMA_MBOX_SYSTIME_EDIT = 246;

typedef enum tag_DATE_TIME_MENU_STATE : int {
    EDIT_SAVE = 0,
    EDIT_DATE = 1,
    EDIT_TIME = 2,
    EDIT_HOURS = 3,
    EDIT_MINUTES = 4,
    EDIT_SECONDS = 5,
    EDIT_MONTH = 6,
    EDIT_DAY = 7,
    EDIT_YEAR = 8
} DATE_TIME_MENU_STATE;

typedef struct tag_DATE_TIME_MENU_CTRL {
    DATE_TIME_MENU_STATE eMenuState;
    BOOLEAN bConfirm;         // the save-changes confirmation is shown
    BOOLEAN bDateTimeChanged; // a field was changed
} DATE_TIME_MENU_CTRL;

// The form as shown: its state, the six fields and whether it is open.
typedef struct tag_DATE_TIME_FORM {
    DATE_TIME_MENU_CTRL ctrl;
    U32 u32Hours;
    U32 u32Minutes;
    U32 u32Seconds;
    U32 u32Month;
    U32 u32Day;
    U32 u32Year; // years after 2000
    BOOLEAN bOpen;
} DATE_TIME_FORM;

// Opens the form at the Time row with every field 0; a change not yet
// applied or discarded stays marked.
void U_DATETIME_vDateTimeSetup(void);
// One key mail of mailbox 62.
void U_DATETIME_bHandleKeys(MSG_KEY_CHANGE* pMsg);
// The layer's draw callback.
void U_DATETIME_vDrawDateTimeMenu(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

// For the task that serves mailbox 62, when semaphore 246 is signalled:
// takes every mail waiting there, passes each key mail to the key handler
// and disposes of every mail as its sender asked (acknowledged or freed).
void U_DATETIME_vServeMailbox(void);

// The action "Enter Time and Date" in the "Setup" tab, which opens the
// form: TRUE registers it, FALSE removes it.
void U_DATETIME_vRegisterSetupAction(BOOLEAN bRegister);

// A copy of the form's state, for tests and diagnostics.
DATE_TIME_FORM U_DATETIME_sGetForm(void);
