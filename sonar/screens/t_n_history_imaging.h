// The imaging screens of the sonar history task: the Flankview waterfall,
// the Keelview panes, and the three enhance dialogs of the imaging
// pictures. The draw callbacks run in the view task; the dialogs' create
// actions in the menu or history task.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "sonar/dsp/s_tsu.h"
#include "ui/u_view.h"

#include <atomic>

// ---- Draw callbacks ----

// The Flankview waterfall: layer 47 full screen, the right pane of 40, 42
// and 52, the left pane of 38.
void T_N_HISTORY_vDrawVerticalScrollView(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
// The full-screen Keelview, layer 39.
void T_N_HISTORY_vDrawKeelview(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
// The Keelview pane of layers 40, 41 and 33.
void T_N_HISTORY_vDrawKeelviewSplit(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
// The left pane of layer 42: Keelview above 2D.
void T_N_HISTORY_vDrawKeelviewSonarSplit(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
// The 360 unit's mark over an imaging pane, lower-left corner at the point.
void T_N_HISTORY_vDrawFVKVMssIcon(BITMAP* pBitmap, S32 PosX, S32 PosY);

// ---- Enhance dialogs ----

// Menu actions: open a dialog over every view; it takes the history task's
// keys until it closes.
void T_N_HISTORY_vCreateFvEnhanceDialog(void);
void T_N_HISTORY_vCreateKvEnhanceDialog(void);
void T_N_HISTORY_vCreateSweepEnhanceDialog(void);
void T_N_HISTORY_vDestroySweepEnhanceDialog(void);
// Layer callbacks of layers 294, 295 and 296.
void T_N_HISTORY_vRenderFvEnhance(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_N_HISTORY_vRenderKvEnhance(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
void T_N_HISTORY_vRenderSweepEnhance(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

namespace t_n_history {

constexpr LAYER_ID FV_ENHANCE_DIALOG_LAYER = 294;
constexpr LAYER_ID KV_ENHANCE_DIALOG_LAYER = 295;
constexpr LAYER_ID SWEEP_ENHANCE_DIALOG_LAYER = 296;

// Dialog items, top to bottom after the title.
typedef enum tag_FV_ENHANCE_ITEM : int {
    FV_ENHANCE_TITLE = 0,
    FV_ENHANCE_SENSITIVITY,
    FV_ENHANCE_CONTRAST,
    FV_ENHANCE_SHARPNESS,
    FV_ENHANCE_CONTOUR_MODE,
    FV_ENHANCE_NUM_ITEMS
} FV_ENHANCE_ITEM;
typedef enum tag_KV_ENHANCE_ITEM : int {
    KV_ENHANCE_TITLE = 0,
    KV_ENHANCE_SENSITIVITY,
    KV_ENHANCE_CONTRAST,
    KV_ENHANCE_SHARPNESS,
    KV_ENHANCE_NUM_ITEMS
} KV_ENHANCE_ITEM;
typedef enum tag_SWEEP_ENHANCE_ITEM : int {
    SWEEP_ENHANCE_TITLE = 0,
    SWEEP_ENHANCE_SENSITIVITY,
    SWEEP_ENHANCE_CONTRAST,
    SWEEP_ENHANCE_SHARPNESS,
    SWEEP_ENHANCE_CONTOUR_MODE,
    SWEEP_ENHANCE_NUM_ITEMS
} SWEEP_ENHANCE_ITEM;

// The item under the arrows (1 at start); the key handling moves it.
extern std::atomic<S32> s_s32ActiveDialogItem;
extern std::atomic<S32> s_s32KvActiveDialogItem;
extern std::atomic<S32> s_s32ActiveSweepDialogItem;
// The item keys of each dialog, index 0 (the title) empty.
extern const FOURCHARID s_fcidFvEnhanceId[FV_ENHANCE_NUM_ITEMS];
extern const FOURCHARID s_fcidKvEnhanceId[KV_ENHANCE_NUM_ITEMS];
extern const FOURCHARID s_fcidSweepEnhanceId[SWEEP_ENHANCE_NUM_ITEMS];
extern std::atomic<BOOLEAN> s_bSweepEnhanceDialogActive;
// Set on a language change: the 360 dialog lays itself out again.
extern std::atomic<BOOLEAN> s_bSweepEnhanceModeNeedsInit;

// The Flankview settings "SSVL" (range lines) and "SSIN" (navigation), as
// the last Flankview frame read them.
extern BOOLEAN s_bSideLineOn;
extern BOOLEAN s_bFV_Navigation;

// Close the Flankview or Keelview dialog (EXIT while it has the keys).
void vDestroyFvEnhanceDialog(void);
void vDestroyKvEnhanceDialog(void);

// Empties one column store: no columns in use, every column reset.
// Takes mutex 27.
void vResetTotalScreenUpdateStore(FULL_SCREEN_TSU* pTsu);

} // namespace t_n_history
