// Block DMA channel 1 (see the header).
#include "platform/h_bdma1.h"

void H_BDMA1_vSetupSourceAndDestination(const void*) {}
