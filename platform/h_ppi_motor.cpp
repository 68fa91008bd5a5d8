// The rotating-transducer stepper.
//
// Every operation that touches more than one field holds mutex 67, which is
// recursive: initialisation inside a locked operation takes it again. The
// ping task (stepping) and the history task (areas) use it concurrently.
//
// Sweep area with start S and range R: when S >= R it is S - R .. S within
// one revolution, otherwise it runs from S - R + 1600 over step 0 up to S.
// A step that leaves the area keeps its position and reverses the direction
// for the next step, so a sweep overshoots an edge by at most one step's
// worth. The test is made on the wrapped position, so a step that crosses
// step 0 as well as an edge is caught in the same way.
#include "platform/h_ppi_motor.h"

#include "kernel/l_clock.h"
#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"
#include "platform/dd_board.h"
#include "store/h_database.h"

#include <atomic>
#include <cstdlib>

namespace {

constexpr MUTEX RES_PPI_MOTOR = 67;
constexpr S32 STEPS = PPI_MOTOR_STEPS_PER_REVOLUTION;
constexpr S32 AREA_OFF_START = -1800;
constexpr S32 EDGE_MARGIN = 32;
constexpr TICKS DRIVE_STEP_TICKS = 2;

BOOLEAN s_bInitialized = FALSE;
std::atomic<BOOLEAN> s_bRotatingClockwise{TRUE};
U32 s_u32StepFactor = 0;
S32 s_s32CurrentPPIPosition = PPI_MOTOR_HOME_POSITION;
BOOLEAN s_bSweepAreaOn = FALSE;
S32 s_s32SweepAreaStart = AREA_OFF_START;
S32 s_s32SweepAreaRange = 0;
S32 s_s32SweepStep = 0;
U32 s_u32CurrentRotationCount = 0;
std::atomic<BOOLEAN> s_bIsSweeping{TRUE};
BOOLEAN s_bReadyToSweepingArea = FALSE;
BOOLEAN s_bPassZero = FALSE;
U32 s_u32Edge1 = STEPS;
U32 s_u32Edge2 = STEPS;

S32 s32Wrap(S32 p)
{
    p %= STEPS;
    return p < 0 ? p + STEPS : p;
}

U32 u32ReadStepFactor(void)
{
    U32 u32Factor = s_u32StepFactor;
    H_DATABASE_bFetchU32(FCID("YSPS"), &u32Factor, nullptr, nullptr);
    return u32Factor;
}

// Under the mutex.
void vInitializeLocked(void)
{
    U32 u32SweepDegrees = 0;
    H_DATABASE_bFetchU32(FCID("SSPA"), &u32SweepDegrees, nullptr, nullptr); // read, not used
    s_u32StepFactor = u32ReadStepFactor();
    s_bRotatingClockwise = TRUE;
    s_s32CurrentPPIPosition = PPI_MOTOR_HOME_POSITION;
    s_bInitialized = TRUE;
}

bool bOutsideArea(S32 p)
{
    const S32 S = s_s32SweepAreaStart;
    const S32 R = s_s32SweepAreaRange;
    if (S >= R)
        return p > S || p < S - R;
    return p > S && p < S + STEPS - R;
}

// Shortest way round from a to b, in steps.
S32 s32Distance(S32 a, S32 b)
{
    const S32 d = std::abs(a - b) % STEPS;
    return d < STEPS - d ? d : STEPS - d;
}

} // namespace

void H_PPI_MOTOR_vInitialize(void)
{
    L_MUTEX_LockWait(RES_PPI_MOTOR);
    vInitializeLocked();
    L_MUTEX_Unlock(RES_PPI_MOTOR);
}

S32 H_PPI_MOTOR_s32Step(S32 s32Steps, BOOLEAN* pbClockwise)
{
    L_MUTEX_LockWait(RES_PPI_MOTOR);
    if (!s_bInitialized)
        vInitializeLocked();
    BOOLEAN bClockwise = s_bRotatingClockwise;
    const S32 p = s32Wrap(bClockwise ? s_s32CurrentPPIPosition + s32Steps : s_s32CurrentPPIPosition - s32Steps);
    if (s_bSweepAreaOn && bOutsideArea(p)) {
        bClockwise = !bClockwise;
        s_bRotatingClockwise = bClockwise;
    }
    s_s32CurrentPPIPosition = p;
    L_MUTEX_Unlock(RES_PPI_MOTOR);
    *pbClockwise = bClockwise;
    return p;
}

void H_PPI_MOTOR_vSetSweepArea(const S32 s32StartSweep, const S32 s32SweepRange)
{
    L_MUTEX_LockWait(RES_PPI_MOTOR);
    s_s32SweepAreaStart = s32StartSweep;
    s_s32SweepAreaRange = s32SweepRange;
    s_s32CurrentPPIPosition = s32StartSweep;
    s_bRotatingClockwise = FALSE;
    s_bSweepAreaOn = TRUE;
    L_MUTEX_Unlock(RES_PPI_MOTOR);
}

void H_PPI_MOTOR_vSweepAreaStart(void)
{
    L_MUTEX_LockWait(RES_PPI_MOTOR);
    s_bRotatingClockwise = !s_bRotatingClockwise;
    L_MUTEX_Unlock(RES_PPI_MOTOR);
}

void H_PPI_MOTOR_vReturnFullSweep(void)
{
    L_MUTEX_LockWait(RES_PPI_MOTOR);
    s_bSweepAreaOn = FALSE;
    s_s32SweepAreaStart = AREA_OFF_START;
    s_s32SweepAreaRange = 0;
    s_s32SweepStep = 0;
    s_u32CurrentRotationCount = 0;
    vInitializeLocked();
    L_MUTEX_Unlock(RES_PPI_MOTOR);
}

void H_PPI_MOTOR_vMoveToSidePosition(void)
{
    L_MUTEX_LockWait(RES_PPI_MOTOR);
    DD_PPI_MOTOR_vGoToHome();
    vInitializeLocked();
    L_MUTEX_Unlock(RES_PPI_MOTOR);
}

void H_PPI_MOTOR_vSetPositionAndLimit(const S32 s32RightEdge, const S32 s32Range)
{
    L_MUTEX_LockWait(RES_PPI_MOTOR);
    if (s32Range == STEPS) {
        s_bRotatingClockwise = TRUE;
        s_bReadyToSweepingArea = FALSE;
        L_MUTEX_Unlock(RES_PPI_MOTOR);
        return;
    }
    const S32 s32Right = s32Wrap(s32RightEdge);
    const S32 s32Left = s32Wrap(s32RightEdge - s32Range);
    const S32 s32Current = s_s32CurrentPPIPosition;
    s_bPassZero = s32Left > s32Right;
    const bool bInArea = s_bPassZero ? (s32Current >= s32Left || s32Current <= s32Right)
                                     : (s32Current >= s32Left && s32Current <= s32Right);
    if (bInArea)
        log_me("[%d]: bInSweeping = TRUE, left %d right %d current %d", __LINE__, s32Left, s32Right, s32Current);
    if (s32RightEdge + EDGE_MARGIN > STEPS)
        log_me("special condition");

    // The nearer edge, the shorter way round.
    const bool bToRight = s32Distance(s32Current, s32Right) <= s32Distance(s32Current, s32Left);
    const S32 s32Target = bToRight ? s32Right : s32Left;
    const bool bDriveClockwise = s32Wrap(s32Target - s32Current) <= STEPS / 2;

    DD_PPI_MOTOR_vSetupSteps(0);
    DD_PPI_MOTOR_vSetEN(TRUE, 0);
    S32 p = s32Current;
    while (p != s32Target) {
        DD_PPI_MOTOR_vStep(bDriveClockwise, 0);
        p = s32Wrap(bDriveClockwise ? p + 1 : p - 1);
        L_CLOCK_Sleep(DRIVE_STEP_TICKS);
    }
    DD_PPI_MOTOR_vSetEN(FALSE, 0);
    s_u32StepFactor = u32ReadStepFactor();
    log_me("stepfactor = %d", (int)s_u32StepFactor);
    DD_PPI_MOTOR_vSetupSteps(s_u32StepFactor);
    s_s32CurrentPPIPosition = s32Target;
    log_me("Stopped at : %d", s32Target);
    // From the right edge the sweep runs back counter-clockwise, from the
    // left edge clockwise.
    s_bRotatingClockwise = bToRight ? FALSE : TRUE;
    s_bReadyToSweepingArea = TRUE;
    s_u32Edge1 = (U32)s32Left;
    s_u32Edge2 = (U32)s32Right;
    L_MUTEX_Unlock(RES_PPI_MOTOR);
}

void H_PPI_MOTOR_vTurningDirection(BOOLEAN bClockwise)
{
    s_bRotatingClockwise = bClockwise;
}

BOOLEAN H_PPI_MOTOR_bIsTurningClockwise(void)
{
    return s_bRotatingClockwise;
}

void H_PPI_MOTOR_vStartSweeping(BOOLEAN bSweeping)
{
    s_bIsSweeping = bSweeping;
}
