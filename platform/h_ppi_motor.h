// The rotating transducer's beam direction, kept as a stepper position of
// 0..1599 steps a revolution. The ping task advances it by each ping's steps
// and takes the new position and direction; the history screens restrict
// the sweep to an area, inside which the direction reverses at the edges,
// and return it to a full circle. The motor itself is not driven from here
// on this board.
#pragma once

#include "kernel/l_types.h"

constexpr S32 PPI_MOTOR_STEPS_PER_REVOLUTION = 1600;
constexpr S32 PPI_MOTOR_HOME_POSITION = 1200;

// Clockwise from the home position; reads the step factor "YSPS".
void H_PPI_MOTOR_vInitialize(void);
// Advances by s32Steps in the current direction and returns the new
// position; *pbClockwise gets the direction from now on (reversed when the
// position left the sweep area).
S32 H_PPI_MOTOR_s32Step(S32 s32Steps, BOOLEAN* pbClockwise);
// The area from start - range up to start (in steps, passing step 0 when
// range > start); the beam goes to the start and turns counter-clockwise.
void H_PPI_MOTOR_vSetSweepArea(const S32 s32StartSweep, const S32 s32SweepRange);
void H_PPI_MOTOR_vSweepAreaStart(void);
void H_PPI_MOTOR_vReturnFullSweep(void);
void H_PPI_MOTOR_vMoveToSidePosition(void);
// Drives the motor step by step (2 ms a step) to the nearer edge of the
// area from s32RightEdge - s32Range to s32RightEdge and turns back into it.
void H_PPI_MOTOR_vSetPositionAndLimit(const S32 s32RightEdge, const S32 s32Range);
void H_PPI_MOTOR_vTurningDirection(BOOLEAN bClockwise);
BOOLEAN H_PPI_MOTOR_bIsTurningClockwise(void);
void H_PPI_MOTOR_vStartSweeping(BOOLEAN bSweeping);
