// Apparent wind: the wind felt aboard, from the true wind and the boat's
// own motion.
#pragma once

#include "chart_sdk/geodesy/nv_conv.h"

// angle: true wind relative to the bow in degrees; speeds in one unit.
// speed, relAngle (relative to the bow, -180..180) and direction (degrees
// true) receive the apparent wind.
ERRORCODE nv_CalcAppWind(double angle, double windSpeed, double heading, double boatSpeed,
                         double* speed, double* relAngle, double* direction);
