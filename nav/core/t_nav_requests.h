// The navigation services other modules call on the group manager's
// behalf and for the trolling motor's contour following: the export of
// navigation data to a card and its deletion, each behind a question, and
// the queries and the reset of the contour-following state.
//
// The requests run in the navigation task and end in one key click each.
// The card-open reset runs in the chart task and takes the contour mutex
// (104) before the navigation-data mutex (9), the order every path that
// needs both keeps.
#pragma once

#include "kernel/l_types.h"
#include "nav/data/t_nav_record.h"
#include "store/lang.h"

// The questions and the note, by address.
extern TEXT_TABLE Export_Nav_Data_Question;
extern TEXT_TABLE Delete_All_Nav_Data_Question;
extern TEXT_TABLE Nav_Data_In_Use_Note;

// Mails the card task (mailbox key "TMMC") to export the group manager's
// selection, dropping any queued export-all question; good click.
void T_NAV_vExportSelectNavData(void);
// Asks whether everything may be exported; good click.
void T_NAV_vExportAllNavData(void);
// Resets the naming counters, then asks whether everything may be
// deleted; refused with a note and a bad click while anything navigates.
void T_NAV_vDeleteAllNavData(void);
// The yes actions of the two questions.
void T_NAV_vDoExportAllNavData(void);
void T_NAV_vDoDeleteAllNavData(void);

// The trolling-motor track being recorded or followed; null when none.
RUMBREL* T_NAV_STEVRIN_vGetRecordedRumbrel(void);
// The motor follows a contour ("IPMD" 9) or a contour is picked.
BOOLEAN T_NAV_STEVRIN_bIsDorrimFTCActive(void);
// A newly opened lake-chart card invalidates every contour of the previous
// one: the pick is forgotten, and a contour the motor follows is released
// and the motor's go-to stopped.
void T_NAV_STEVRIN_vOnDorrimCardOpen(void);
