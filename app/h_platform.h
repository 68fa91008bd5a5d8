// The platform set-up, run once by Main in the main thread after the data
// store is initialised and before any task starts.
#pragma once

// In this order: the icon palette (colour-table entries 80..95), the SD-card
// driver, the chart block cache, the chart graphics palette (entries from
// 148 on), the three chart bitmap fonts as fonts 0, 1 and 2, the chart
// symbols and patterns, the image tile toolkit.
void H_PLATFORM_vSetup(void);
