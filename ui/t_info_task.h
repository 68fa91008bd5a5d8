// The info task's own steps, for the task loop and its tests: start-up,
// mail handling, the one-second tick and the choice lists.
#pragma once

#include "kernel/l_mbox.h"
#include "ui/t_info.h"

constexpr TASK INFO_TASK = 10;
constexpr MBOX INFO_MAILBOX = 12;
constexpr SEMA SEMA_MBOX_INFO = 38;
constexpr SEMA SEMA_INFOBOX_UPDATE = 113; // a readout appeared or went: rebuild the choice menus
constexpr SEMA SEMA_TIMER_INFO = 83;      // the one-second blink

constexpr U32 T_INFO_MAX_CHOICES = 50;

// One choice list: parallel arrays of names and readout keys, "Off" (0) among them.
typedef struct tag_T_INFO_CHOICES {
    const TEXT_TABLE* apChoices[T_INFO_MAX_CHOICES];
    U32 au32Values[T_INFO_MAX_CHOICES];
    U32 count;
} T_INFO_CHOICES;

// The names of the two sub menus under "Setup".
extern const TEXT_TABLE* const T_INFO_pSelectReadouts;
extern const TEXT_TABLE* const T_INFO_pSelectNavReadouts;

void T_INFO_vInit(void);
void T_INFO_vSetDefaultSettings(BOOLEAN bForceFactoryDefaults);
// Handles one mail and disposes of it.
void T_INFO_vHandleMail(MSGHEADER* pHeader);
void T_INFO_vBlinkTick(void);
// Semaphore 113: rebuild once the system runs.
void T_INFO_vInfoboxUpdate(void);
void T_INFO_vUpdateInfoboxChoices(void);

void T_INFO_vFetchAllBeginningWith(char cMatch, T_INFO_CHOICES* pList, U32 nLang);
void T_INFO_vCombineChoices(const T_INFO_CHOICES& b, const T_INFO_CHOICES& q, T_INFO_CHOICES* pMerged, U32 nLang);
const T_INFO_CHOICES& T_INFO_rBChoices(void);
const T_INFO_CHOICES& T_INFO_rQChoices(void);
const T_INFO_CHOICES& T_INFO_rMergedChoices(void);
