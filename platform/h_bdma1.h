// Block DMA channel 1; transfers are not set up through it on this board.
#pragma once

void H_BDMA1_vSetupSourceAndDestination(const void* pvTransfer);
