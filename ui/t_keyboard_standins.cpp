// STAND-INS of the keyboard and view-key tasks' neighbours (see the header).
#include "ui/t_keyboard_standins.h"

void GUI_vUnRegisterSelectViewMenu(void) {}
void GUI_vRegisterSelectViewMenu(void) {}
void GUI_vSaveN2KViewsVisibility(void) {}

