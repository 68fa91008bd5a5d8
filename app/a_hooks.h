// What the lower layers are given by the composition root before anything
// runs: the task names, the reset chain, the data store's model question
// and the drivers' questions to the layers above them.
#pragma once

#include "store/lang.h" // TEXT_TABLE

void A_HOOKS_vInstall(void);

// The card task's stand-in and the capture review (a_card_hooks.cpp); the
// snapshot's menu entry goes into the given tab.
void A_HOOKS_vInstallCardAndReview(const TEXT_TABLE* pAccessoriesTab);

// The sonar cursor's navigation helpers (a_sonar_cursor_hooks.cpp).
void A_HOOKS_vInstallSonarCursor(void);
