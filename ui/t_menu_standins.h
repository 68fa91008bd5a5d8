// STAND-INS: what the menu task asks of modules not built yet. Each does
// the least its caller relies on; the module that replaces one deletes it
// here.
//
// - Key identities GOTO and INFO (the keyboard module): the mask bits the
//   keyboard task sends them with.
// - The draw functions of the menu layers (declared in ui/t_menu.h): they
//   take RES_MENU, make the main menu's first-draw rebuild of the visible
//   list, record the main and sub-menu levels' window and highlight, and
//   draw nothing.
#pragma once

#include "kernel/l_types.h"
#include "ui/t_display.h" // SEMA_KEYCLICK_GOOD, SEMA_KEYCLICK_BAD

// ---- Keys ----

constexpr U32 KEY_GOTO = 0x100;
constexpr U32 KEY_INFO = 0x200;
