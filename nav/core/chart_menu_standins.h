// STAND-INS for the chart task's calls behind the chart menus (the
// lake-chart folders found on each card, the lake list).
//
// Each keeps the name and arguments of the real call; delete it when the
// real module arrives. The folders and answers are scriptable. Safe from
// any thread.
#pragma once

#include "kernel/l_types.h"

#include <string>
#include <vector>

// Number of lake-chart folders found on card slot 0 or 1.
U32 T_CHART_vGetMapfoldMask(U32 u32Card);
U32 U_CHART_GENERIC_nLakeListGetNumberOfRecords(void);

// The folders of a card, by row of the folder table.
void NAV_CHART_STANDIN_vSetFolders(U32 u32Card, const std::vector<U32>& rows);
void NAV_CHART_STANDIN_vSetLakeList(U32 u32Records, BOOLEAN bCustomNeeded);
std::vector<std::string> NAV_CHART_STANDIN_vCalls(void);
void NAV_CHART_STANDIN_vForget(void);
