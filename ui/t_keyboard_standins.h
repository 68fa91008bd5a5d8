// STAND-INS: what the keyboard task and the view-key task ask of modules
// not built yet. Each does the least its caller can rely on; the modules
// that replace them delete these declarations.
//
// - The class-based view-selection menu and its saved visibility: nothing.
#pragma once

#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "store/lang.h"
#include "ui/u_keyboard.h"
#include "ui/u_view.h"


// ---- Class-based views ----

void GUI_vUnRegisterSelectViewMenu(void);
void GUI_vRegisterSelectViewMenu(void);
void GUI_vSaveN2KViewsVisibility(void);
