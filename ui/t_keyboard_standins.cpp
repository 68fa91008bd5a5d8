// STAND-INS of the keyboard and view-key tasks' neighbours (see the header).
#include "ui/t_keyboard_standins.h"

void GUI_vUnRegisterSelectViewMenu(void) {}
void GUI_vRegisterSelectViewMenu(void) {}
void GUI_vSaveN2KViewsVisibility(void) {}

void T_KEYBOARD_vPOSReset(void) {}
void T_KEYBOARD_vPOSKeyHook(void) {}
void T_KEYBOARD_vPOSHandleNewData(FOURCHARID, U32) {}
void T_KEYBOARD_vPOSHandleKey(const MSG_KEY_CHANGE*) {}
void T_KEYBOARD_vPOSRunSystem(void) {}
void T_KEYBOARD_vPOSStep(void) {}

void T_VIEWKEY_vReleaseReviewImage(void) {}
void T_NAV_vUnRegisterSnapshotPreviewLayer(void) {}
