// What the registration functions of the sonar views and menus share: the
// description of a sonar view and its switch, choice lists, the common
// limit rows, and walks over a list of panes. Inside the sonar views and
// menus only.
#pragma once

#include "sonar/dsp/s_transducer.h"
#include "sonar/dsp/s_transducer_standins.h"
#include "ui/u_view.h"

// ---- Views ----

typedef struct tag_SONAR_VIEW_PANE {
    SPLIT_WINDOW_TYPE eLocation;
    DRAW_FUNCTION* pfnDraw;
    const TEXT_TABLE* pPOSString; // the point-of-sale caption of this pane
} SONAR_VIEW_PANE;

// A full-screen view has one pane (SPLIT_FULL_WINDOW) and no split key; a
// split view has two panes, in registration order.
typedef struct tag_SONAR_VIEW {
    LAYER_ID eLayer;
    FOURCHARID fcidViewKey;
    BOOLEAN bShownByDefault;
    FOURCHARID fcidSplitKey;
    U32 u32Panes;
    SONAR_VIEW_PANE asPanes[2];
    LAYER_ID eInfoLayer;
    U32 u32InfoUser;
} SONAR_VIEW;

// TRUE: the view (its panes) and then its instrument overlay. FALSE: the
// overlay first, then the view, or its panes last-registered first.
void S_TRANSDUCER_vSwitchSonarView(const SONAR_VIEW* psView, BOOLEAN bEnable);

// The lower-range menus' depth; read back with
// S_TRANSDUCER_fMaximumDepthRangeMetres.
void S_TRANSDUCER_vSetMaximumDepthRangeMetres(float fMetres);

// ---- Choices ----

typedef struct tag_MENU_CHOICES {
    const TEXT_TABLE* const* ppTexts;
    const U32* pu32Values;
    U32 u32Count;
} MENU_CHOICES;

template <U32 N>
constexpr MENU_CHOICES choices(const TEXT_TABLE* const (&apTexts)[N], const U32 (&au32Values)[N])
{
    return MENU_CHOICES{apTexts, au32Values, N};
}

extern const MENU_CHOICES OFF_ON_CHOICES;     // "Off" 0, "On" 1
extern const MENU_CHOICES PALETTE_CHOICES;    // the imaging and 360 colour palettes

// ---- Limits ----

extern const MENU_LIMITS LIMITS_1_TO_10[1];
extern const MENU_LIMITS LIMITS_1_TO_20[1];
extern const MENU_LIMITS LIMITS_MINUS_10_TO_10[1];
// 6-360 ft, 2-120 m, 1-60 fathoms; the steps below go with them.
extern const MENU_STEP_LEVELS DEPTH_STEP_LEVELS[4];

// ---- Panes ----

// Calls f(view, split) for each pane of the list, in list order.
template <typename F>
void S_TRANSDUCER_vForPanes(const VIEW_AND_SPLIT* pasPanes, U32 u32Count, F&& f)
{
    for (U32 i = 0; i < u32Count; ++i)
        f(pasPanes[i].eView, pasPanes[i].eSplit);
}

// The item's removal from every pane of the list.
void S_TRANSDUCER_vRemoveHotItem(const TEXT_TABLE* pName, const VIEW_AND_SPLIT* pasPanes, U32 u32Count);

// A main-menu selector registered (TRUE) or removed from its tab (FALSE).
void S_TRANSDUCER_vMainSelector(BOOLEAN bEnable, const TEXT_TABLE* pName, const TEXT_TABLE* pTab, MENU_PRIORITY prio,
                                FOURCHARID key, const MENU_CHOICES& c, MENU_USER_LEVEL level);

// "SMSU", the super-user menus: FALSE when it cannot be read.
BOOLEAN S_TRANSDUCER_bSuperUserMenus(void);
// A key the history task keeps, read without the validity: 0 when it was
// never written.
U32 S_TRANSDUCER_u32ReadKey(FOURCHARID key);
