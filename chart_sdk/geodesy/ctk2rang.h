// Display range of a map, snapped to the ranges the chart scale offers.
#pragma once

#include "chart_sdk/geodesy/mapcontext2.h"
#include "chart_sdk/geodesy/nv_conv.h"

constexpr ERRORCODE CTK2R_ERR_NO_MAP = 0x810F;

ERRORCODE ctk2r_GetViewRange(const MAPCONTEXT2* ctx, double* range);
