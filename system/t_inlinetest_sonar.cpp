// The sonar tests of the factory station: test 7 pings one beam on the
// test timer until its strongest echo, the echo's depth and the noise meet
// the station's limits (or the time-out has gone by) and sends the verdict
// one tick later; test 21 pings once and answers the strongest sample or
// the samples around a depth, for tuning.
//
// A test ping is one fixed transmit sequence (40 cycles, high power, 4096
// return and 50 noise samples) through the coprocessor transfer block; the
// inline-test state has stopped the ping task, so nobody else pings.
// Beams beyond the seven rows of the beam table are refused with "#NAK".
#include "system/t_inlinetest.h"

#include "system/t_inlinetest_state.h"
#include "system/u_inlinetest.h"

#include "kernel/error.h"
#include "kernel/l_mutex.h"
#include "kernel/l_sema.h"
#include "platform/h_coproc.h"
#include "platform/h_shutdown.h"
#include "sonar/dsp/s_coproc.h"
#include "sonar/dsp/s_demultiplex.h"
#include "ui/u_keyboard.h"
#include "ui/u_view.h"

#include <cstdio>
#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr char SOURCE_NAME[] = "./Working/SOURCE/t_inlinetest";
constexpr char NAK[] = "#NAK\n\r";

constexpr U8 TEST_PING_CYCLES = 40;
constexpr U16 RETURN_SAMPLES = 4096;
constexpr U16 NOISE_SAMPLES = 50;
constexpr U32 FIRST_RETURN_LOOKED_AT = 50;
constexpr U32 SAMPLE_PERIOD_US = 26;
constexpr U32 ECHO_US_PER_FOOT = 416;
constexpr U32 PING_PERIOD_MS = 985;
constexpr TICKS FIRST_PING_MS = 15;
constexpr U32 TUNING_MODE_WINDOW = 100;
constexpr S32 TUNING_HALF_WINDOW = 9;

// The station's beam numbers: the beam pinged, the screen's texts and the
// receive channel the returns are taken from.
struct BEAM_ORDER {
    BEAM sonarBeamEnum;
    const char* freqString;
    const char* beamDisplayNumber;
    U8 u8Reciever;
};
constexpr BEAM_ORDER aBeamOrder[] = {
    {1, " KHz ", "Switch #2 ", 0},      {0, " KHz ", "Switch #2 ", 0},
    {0, " KHz ", "Switch #2 ", 0},      {2, " KHz Down ", "Switch #4 ", 1},
    {2, " KHz Down ", "Switch #4 ", 1}, {3, " KHz KV ", "Switch #4 ", 2},
    {3, " KHz KV ", "Switch #4 ", 2},
};
constexpr U32 BEAM_ORDER_ROWS = sizeof aBeamOrder / sizeof aBeamOrder[0];

} // namespace

// Statics -----------------------------------------------------------------

namespace {

U8 s_CurrentBeam = 0;
S32 s_s32BeamTimeoutms = 0;
BOOLEAN s_bReturnPingResults = FALSE;
S32 timeoutCnt = 0;
U8 s_au8RawSonarData[RETURN_SAMPLES];
U8 s_au8RawNoiseData[NOISE_SAMPLES];

// Static functions --------------------------------------------------------

[[noreturn]] void vFatal(U32 u32Line, const char* pcText)
{
    ERROR_error(SOURCE_NAME, u32Line, pcText);
    U_RESET_vReset(0, 0);
}

// The strongest return from sample 50 on; the first of equal ones.
U32 u32StrongestIndex(void)
{
    U32 u32Best = FIRST_RETURN_LOOKED_AT;
    for (U32 i = FIRST_RETURN_LOOKED_AT + 1; i < RETURN_SAMPLES; ++i)
        if (s_au8RawSonarData[i] > s_au8RawSonarData[u32Best])
            u32Best = i;
    return u32Best;
}

// Takes the beam's row into the state the screen shows.
void vShowBeam(U8 u8Beam)
{
    L_MUTEX_LockWait(RES_INLINETEST);
    s_inlineTest.u32SonarBeam = u8Beam;
    s_inlineTest.pcBeamFreqString = aBeamOrder[u8Beam].freqString;
    s_inlineTest.pcBeamDisplayNumber = aBeamOrder[u8Beam].beamDisplayNumber;
    L_MUTEX_Unlock(RES_INLINETEST);
}

// One test ping of beam enum B with the current beam's row.
void T_INLINETEST_vPingForSonarTestData(BEAM B)
{
    memset(s_au8RawSonarData, 0, sizeof s_au8RawSonarData);
    memset(s_au8RawNoiseData, 0, sizeof s_au8RawNoiseData);
    const V3_BEAM_DATA& row = s_testParams.aBeamData[s_CurrentBeam];
    U8* pBlock = gpu8NonCachedDataBlock;
    if (pBlock == nullptr)
        vFatal(3938, "Failed to communicate with coprocessor");
    memset(pBlock, 0, MULTI_TX_BYTES);
    S_COPROC_vBuildTxSequenceForKVSonarTest(pBlock, TEST_PING_CYCLES, TXPOWER_HI, (U8)(row.s16Bandwidth & 0xFF),
                                            RETURN_SAMPLES, (U16)row.s16TransmitFrequency,
                                            (U8)(row.s16RecieverNumber & 0xFF), FALSE, B == 3 ? 4 : 1);
    H_COPROC_u32Transfer(pBlock, MULTI_TX_BYTES, SEND_TO_COPROC);
    const U32 u32Read = H_COPROC_u32Transfer(pBlock, H_COPROC_BLOCK_BYTES, RECEIVE_FROM_COPROC);
    // A failed read is no data either.
    if (u32Read == 0 || u32Read == 0xFFFFFFFFu)
        vFatal(3938, "Failed to communicate with coprocessor");
    TX_SEQUENCE echo;
    const U8* pStart = nullptr;
    U16 u16Noise = 0, u16Returns = 0;
    // Only what the receive really carried is taken; the rest stays zero.
    if (!S_DEMULTIPLEX_bTakeReceivedBlock(pBlock, u32Read, NOISE_SAMPLES, RETURN_SAMPLES, &echo, &pStart, &u16Noise,
                                          &u16Returns))
        return;
    S_DEMULTIPLEX_vGetExtractRxData(pStart, aBeamOrder[s_CurrentBeam].u8Reciever, u16Noise, u16Returns,
                                    s_au8RawNoiseData, s_au8RawSonarData);
}

// Signal, depth and noise of the last test ping against the beam's limits.
// TRUE when all three pass.
bool bAnalysePing(void)
{
    const V3_BEAM_DATA& row = s_testParams.aBeamData[s_CurrentBeam];
    const U32 u32Index = u32StrongestIndex();
    const S32 s32Signal = s_au8RawSonarData[u32Index];
    const S32 s32Depth = (S32)(u32Index * SAMPLE_PERIOD_US / ECHO_US_PER_FOOT);
    U32 u32Sum = 0;
    for (U8 u8 : s_au8RawNoiseData)
        u32Sum += u8;
    const S32 s32Noise = (S32)(U8)(u32Sum / NOISE_SAMPLES);

    SONAR_DISPLAY_DATA d;
    d.u16Signal = (U16)s32Signal;
    d.u16Depth = (U16)s32Depth;
    d.u16Noise = (U16)s32Noise;
    d.bSignalPass = row.s16MinSignalLevel <= s32Signal && s32Signal <= row.s16MaxSignalLevel;
    d.bDepthPass = row.s16MinDepth <= s32Depth && s32Depth <= row.s16MaxDepth;
    d.bNoisePass = s32Noise <= row.s16NoiseFloor;
    L_MUTEX_LockWait(RES_INLINETEST);
    s_inlineTest.sonarDisplay = d;
    L_MUTEX_Unlock(RES_INLINETEST);
    return d.bSignalPass && d.bDepthPass && d.bNoisePass;
}

void vSetResult(TEST_RESULT eResult)
{
    L_MUTEX_LockWait(RES_INLINETEST);
    s_inlineTest.eTestResult = eResult;
    L_MUTEX_Unlock(RES_INLINETEST);
}

} // namespace

// Public functions --------------------------------------------------------

void T_INLINETEST_vRunSonarTest(const S32 as32Fields[INLINETEST_FIELDS], char* pcBuffer)
{
    const U8 u8Beam = (U8)(as32Fields[1] & 0xFF);
    if (u8Beam >= BEAM_ORDER_ROWS) {
        snprintf(pcBuffer, INLINETEST_FRAME_BYTES, "%s", NAK);
        return;
    }
    L_TIMER_Stop(s_inlineTest.pUpdateTimer);
    T_INLINETEST_vBeginTest(TESTING_SONAR);
    s_CurrentBeam = u8Beam;
    L_MUTEX_LockWait(RES_INLINETEST);
    V3_BEAM_DATA& row = s_testParams.aBeamData[s_CurrentBeam];
    row.s16TransmitFrequency = (S16)as32Fields[2];
    row.s16RecieverNumber = (S16)as32Fields[3];
    row.s16Bandwidth = (S16)as32Fields[4];
    row.s16MinSignalLevel = (S16)as32Fields[5];
    row.s16MaxSignalLevel = (S16)as32Fields[6];
    row.s16MinDepth = (S16)as32Fields[7];
    row.s16MaxDepth = (S16)as32Fields[8];
    row.s16NoiseFloor = (S16)as32Fields[9];
    s_inlineTest.sonarDisplay.bDepthPass = FALSE;
    s_inlineTest.sonarDisplay.bSignalPass = FALSE;
    s_inlineTest.sonarDisplay.bNoisePass = FALSE;
    L_MUTEX_Unlock(RES_INLINETEST);
    vShowBeam(u8Beam);
    s_s32BeamTimeoutms = as32Fields[10];
    s_bReturnPingResults = TRUE;
    timeoutCnt = 0;
    L_TIMER_Start(s_inlineTest.pUpdateTimer, FIRST_PING_MS, s_s32BeamTimeoutms == 0 ? 0 : PING_PERIOD_MS,
                  SEMA_TIMER_SONAR_TEST);
    pcBuffer[0] = '\0';
}

void T_INLINETEST_vSonarTick(void)
{
    T_INLINETEST_vPingForSonarTestData(aBeamOrder[s_CurrentBeam].sonarBeamEnum);
    L_MUTEX_LockWait(RES_INLINETEST);
    const TEST_RESULT eResult = s_inlineTest.eTestResult;
    const SONAR_DISPLAY_DATA d = s_inlineTest.sonarDisplay;
    L_MUTEX_Unlock(RES_INLINETEST);

    if (eResult == PENDING) {
        ++timeoutCnt;
        if (bAnalysePing()) {
            vSetResult(PASS);
            timeoutCnt = 0;
        } else if (PING_PERIOD_MS * (U32)timeoutCnt >= (U32)s_s32BeamTimeoutms) {
            vSetResult(FAIL);
            timeoutCnt = 0;
        }
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
        return;
    }
    if (!s_bReturnPingResults)
        return;
    char acText[64];
    snprintf(acText, sizeof acText, "Sonar Test %s,%d,%d,%d\n\r", eResult == PASS ? "Pass" : "Fail",
             (int)d.u16Signal, (int)d.u16Depth, (int)d.u16Noise);
    if (eResult == PASS && s_testParams.u8NumberSonarBeams == 0)
        U_INLINETEST_u32SetPassedTestBit(TESTING_SONAR - 1);
    ++s_testParams.u8NumberSonarBeams;
    T_INLINETEST_vSendString(acText);
    s_bReturnPingResults = FALSE;
}

void T_INLINETEST_vRunSonarTuning(const S32 as32Fields[INLINETEST_FIELDS], char* pcBuffer)
{
    const U8 u8Beam = (U8)(as32Fields[1] & 0xFF);
    if ((U32)as32Fields[1] >= BEAM_ORDER_ROWS) {
        snprintf(pcBuffer, INLINETEST_FRAME_BYTES, "%s", NAK);
        return;
    }
    s_CurrentBeam = u8Beam;
    L_MUTEX_LockWait(RES_INLINETEST);
    V3_BEAM_DATA& row = s_testParams.aBeamData[s_CurrentBeam];
    row.s16TransmitFrequency = (S16)as32Fields[2];
    row.s16RecieverNumber = (S16)as32Fields[3];
    row.s16Bandwidth = (S16)as32Fields[4];
    L_MUTEX_Unlock(RES_INLINETEST);
    T_INLINETEST_vBeginTest(TEST_SONAR_TUNING);
    vShowBeam(u8Beam);
    T_INLINETEST_vPingForSonarTestData(aBeamOrder[s_CurrentBeam].sonarBeamEnum);

    if (as32Fields[6] < (S32)TUNING_MODE_WINDOW) {
        snprintf(pcBuffer, INLINETEST_FRAME_BYTES, "%d\n\r", (int)s_au8RawSonarData[u32StrongestIndex()]);
        return;
    }
    const U32 u32Index = ECHO_US_PER_FOOT * (U32)as32Fields[5] / SAMPLE_PERIOD_US;
    pcBuffer[0] = '\0';
    size_t len = 0;
    for (S32 k = -TUNING_HALF_WINDOW; k <= TUNING_HALF_WINDOW; ++k) {
        const S64 s64Sample = (S64)u32Index + k;
        // Only samples that were received are told.
        if (s64Sample < 0 || s64Sample >= (S64)RETURN_SAMPLES)
            continue;
        const int value = s_au8RawSonarData[s64Sample];
        len += (size_t)snprintf(pcBuffer + len, INLINETEST_FRAME_BYTES - len, k == 0 ? ">> %d << " : "%d, ", value);
    }
    snprintf(pcBuffer + len, INLINETEST_FRAME_BYTES - len, "\n\r");
}

void T_INLINETEST_vSonarTuningKey(const MSG_KEY_CHANGE* pKey)
{
    if (pKey->state != KEY_DOWN)
        return;
    if (pKey->key == KEY_MENU || pKey->key == KEY_EXIT) {
        s_inlineTest.eCurrentTest = WAITING_FOR_TEST;
        T_INLINETEST_vSendString(pKey->key == KEY_MENU ? "Pass\n\r" : "Fail\n\r");
        T_INLINETEST_vGoodClick();
    } else {
        T_INLINETEST_vBadClick();
    }
}
