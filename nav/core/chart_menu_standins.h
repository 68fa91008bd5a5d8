// STAND-INS for the chart task's calls behind the chart menus (the lake-chart
// folders found on each card, the lake list, the custom chart layers) and
// for the group manager's editors and selectors the cursor items open, and
// the trolling-motor link's memory of a motor.
//
// Each keeps the name and arguments of the real call; delete it when the
// real module arrives. The folders and answers are scriptable; the calls
// of the editors and selectors are recorded as lines of text. Safe from
// any thread.
#pragma once

#include "kernel/l_types.h"
#include "graphics/g_types.h"

#include <string>
#include <vector>

// Number of lake-chart folders found on card slot 0 or 1.
U32 T_CHART_vGetMapfoldMask(U32 u32Card);
// TRUE when the folder of that row was found on the card; never for rows
// 37 and 38 and never with a count of 0.
BOOLEAN U_CHART_GENERIC_bIsFolderOnCard(U32 u32Count, U32 u32Card, U32 u32Row);
U32 U_CHART_GENERIC_nLakeListGetNumberOfRecords(void);
BOOLEAN T_CHART_LAYER_bIsCustomNeeded(void);
// "custom-layers <show>"
void T_CHART_LAYER_vSetupCustomChartLayerMenu(BOOLEAN bShow);
// "port-info <x> <y>"
void T_CHART_INFO_vHandlePortInfoMenu(POINT* pptMM, void* pDegrees);

// The folders of a card, by row of the folder table.
void NAV_CHART_STANDIN_vSetFolders(U32 u32Card, const std::vector<U32>& rows);
void NAV_CHART_STANDIN_vSetLakeList(U32 u32Records, BOOLEAN bCustomNeeded);

// ---- The group manager's editors and selectors ----

typedef void NAV_SELECT_CALLBACK(U32 u32Index);
// "edit-route <id>"; answers the scripted value (TRUE).
BOOLEAN T_NAV_GROUP_bVerifyAndEditSpecifiedRoute_Setup(U16 u16Id);
// "edit-waypoint <id>"; answers the scripted value (TRUE).
BOOLEAN T_NAV_GROUP_bVerifyAndEditSpecifiedWaypoint_Setup(U16 u16Id);
// "edit-rumbrel <id> <flag>"
void T_NAV_GROUP_vEditSelectedRumbrel_Setup(U32 u32Id, U32 u32Flag);
// "rumbrel-info <id>"
void T_NAV_GROUP_vSelectedRumbrelInfo(U32 u32Id, BOOLEAN bFlag);
// "select-lake", "select-waypoint", "select-point"; each answers the
// scripted value (TRUE).
BOOLEAN T_NAV_EDIT_bSelectLakeListSetup(void (*pfnCallback)(U32), const char* pcTitle);
BOOLEAN T_NAV_EDIT_bSelectWaypointSetup(void (*pfnCallback)(U32), const char* pcTitle, BOOLEAN bNetwork);
BOOLEAN T_NAV_EDIT_bSelectTWRPointSetup(void (*pfnCallback)(const void*), const char* pcTitle, BOOLEAN bNetwork,
                                        BOOLEAN bRouteEnds);
// "ais-list"; opens when AIS is shown ("SAIS") and the pool holds a
// target, as the list it stands for does.
BOOLEAN T_NAV_vAisTargetListSetup(void);
// "ais-limits"
void T_NAV_EDIT_vAisLimitsSetUp(void);
// The lake list's point and chart scale (scripted).
void T_NAV_vCopyLakeListPoint(U32 u32Index, POINT* pPoint, S32* ps32Scale);
// The trolling-motor link has seen a motor since power-up (scriptable,
// FALSE).
BOOLEAN U_NAV_STEVRIN_bIsStevrinConnectedBefore(void);
void NAV_CHART_STANDIN_vSetStevrinConnectedBefore(BOOLEAN bConnected);

void NAV_CHART_STANDIN_vSetEditorAnswers(BOOLEAN bOpens, BOOLEAN bSelects);
void NAV_CHART_STANDIN_vSetLakePoint(POINT pt, S32 s32Scale);
std::vector<std::string> NAV_CHART_STANDIN_vCalls(void);
void NAV_CHART_STANDIN_vForget(void);
