// The view-key task (task 6, mailbox 6, key "TVKY"): the VIEW key moves to
// the next selectable view and EXIT to the previous one, the first run
// command puts back the view that was on the screen when the unit was last
// switched off, and the shutdown keeps the view on the screen for the next
// run. The view itself is the data-store key "CVEW", which the view task
// follows.
//
// It is a task of its own, apart from the view task, so that a key is
// answered while a frame is being composed: the frame in progress is
// dropped and the new view comes with an expedited frame.
#pragma once

#include "kernel/l_mbox.h"
#include "kernel/l_types.h"
#include "ui/u_view.h"

constexpr TASK VIEWKEY_TASK = 6;
constexpr MBOX VIEWKEY_MAILBOX = 6;
constexpr SEMA SEMA_MBOX_VIEWKEY = 56;
// The view of a factory reset, and of a unit without a saved view.
constexpr LAYER_ID CHART_PLUS_KEELVIEW_VIEW_PRIORITY = 33;

// Entry of task 6; never returns.
void T_VIEWKEY_vMain(void);

// The steps of the task, for its own loop; tests run them in their thread
// with the task not started. vStart publishes "TVKY"; vHandleMail handles
// one mail of mailbox 6 and disposes of it.
void T_VIEWKEY_vStart(void);
void T_VIEWKEY_vHandleMail(MSGHEADER* pHeader);

// The navigation task's removal of its snapshot preview, run when the VIEW
// key leaves the view (installed from above; null: nothing to remove).
typedef void T_VIEWKEY_PREVIEW_REMOVER(void);
void T_VIEWKEY_vInstallPreviewRemover(T_VIEWKEY_PREVIEW_REMOVER* pfnRemove);
