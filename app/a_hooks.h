// What the lower layers are given by the composition root before anything
// runs: the task names, the reset chain, the data store's model question
// and the drivers' questions to the layers above them.
#pragma once

void A_HOOKS_vInstall(void);
