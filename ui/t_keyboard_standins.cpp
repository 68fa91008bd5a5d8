// STAND-INS of the keyboard and view-key tasks' neighbours (see the header).
#include "ui/t_keyboard_standins.h"

#include <mutex>

namespace {

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE Setup_Tab = ALL_LANGUAGES("Setup");

std::mutex s_callsMutex;
std::vector<KEYS_STANDIN_CALL> s_calls;

void note(const KEYS_STANDIN_CALL& call)
{
    std::lock_guard<std::mutex> lock(s_callsMutex);
    s_calls.push_back(call);
}

} // namespace

const TEXT_TABLE* const T_KEYBOARD_STANDIN_pSetupTabName = &Setup_Tab;

void T_MENU_vActivateSpecifiedHotMenu(LAYER_ID view)
{
    note({"vActivateSpecifiedHotMenu", view});
}

std::vector<KEYS_STANDIN_CALL> KEYS_STANDIN_vTakeCalls(void)
{
    std::lock_guard<std::mutex> lock(s_callsMutex);
    std::vector<KEYS_STANDIN_CALL> out;
    out.swap(s_calls);
    return out;
}

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
