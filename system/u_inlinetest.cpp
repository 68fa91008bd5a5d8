// The test parameter record and its codec, the save through the NVRAM
// task, the passed-tests word and the test screen's drawing helpers.
#include "system/u_inlinetest.h"

#include "system/t_inlinetest_state.h"

#include "graphics/color.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "store/h_client.h"
#include "store/h_database.h"
#include "store/t_nvram.h"
#include "ui/u_dialog.h"

#include <algorithm>
#include <cstring>

// Constants ---------------------------------------------------------------

namespace {

constexpr U32 COLOR_INDEX_BACKGROUND = 35;
constexpr U32 COLOR_INDEX_TEXT = 32;
constexpr U16 STATUS_BOX_WIDTH = 790;
constexpr U32 KEY_LOG_WIDTH = 800;
constexpr U32 SONAR_LINES = 8;

} // namespace

// Statics -----------------------------------------------------------------

V3_TEST_PARAMETERS s_testParams = {};

// Static functions --------------------------------------------------------

namespace {

void vPutU16(U8* p, U16 v)
{
    p[0] = (U8)(v & 0xFF);
    p[1] = (U8)(v >> 8);
}

void vPutS16(U8* p, S16 v) { vPutU16(p, (U16)v); }

void vPutU32(U8* p, U32 v)
{
    vPutU16(p, (U16)(v & 0xFFFF));
    vPutU16(p + 2, (U16)(v >> 16));
}

const FONT_DEF* pFont(void)
{
    const FONT_DEF* p = std_16x17_font_def_ptr.load();
    return p != nullptr ? p : &vondrel_16x17_font_def;
}

} // namespace

// Public functions --------------------------------------------------------

void U_INLINETEST_vEncodeTestParameters(const V3_TEST_PARAMETERS* pParams, U8 au8Out[V3_TEST_PARAMETERS_BYTES])
{
    U8* p = au8Out;
    vPutU32(p + 0, pParams->u32Version_X10);
    vPutS16(p + 4, pParams->s16MaxSpeed);
    vPutS16(p + 6, pParams->s16MinSpeed);
    vPutS16(p + 8, pParams->s16MaxTransducerTemp);
    vPutS16(p + 10, pParams->s16MinTransducerTemp);
    vPutS16(p + 12, pParams->s16MaxPaddleWheelTemp);
    vPutS16(p + 14, pParams->s16MinPaddleWheelTemp);
    vPutS16(p + 16, pParams->s16MaxVoltage);
    vPutS16(p + 18, pParams->s16MinVoltage);
    vPutS16(p + 20, pParams->s16SatelliteNo);
    vPutS16(p + 22, pParams->s16MinCNOvalue);
    vPutS16(p + 24, pParams->s16MaxCNOvalue);
    p[26] = pParams->u8NumberMMC_Slots;
    p[27] = pParams->u8NumberSonarBeams;
    for (U32 i = 0; i < 6; ++i)
        vPutS16(p + 28 + 2 * i, pParams->s16Reserve[i]);
    for (U32 k = 0; k < V3_BEAM_COUNT; ++k) {
        const V3_BEAM_DATA& b = pParams->aBeamData[k];
        U8* q = p + 40 + V3_BEAM_DATA_BYTES * k;
        vPutS16(q + 0, b.s16TransmitFrequency);
        vPutS16(q + 2, b.s16RecieverNumber);
        vPutS16(q + 4, b.s16Bandwidth);
        vPutS16(q + 6, b.s16MinSignalLevel);
        vPutS16(q + 8, b.s16MaxSignalLevel);
        vPutS16(q + 10, b.s16MinDepth);
        vPutS16(q + 12, b.s16MaxDepth);
        vPutS16(q + 14, b.s16NoiseFloor);
        for (U32 i = 0; i < 6; ++i)
            vPutS16(q + 16 + 2 * i, b.s16BeamReserve[i]);
    }
}

void U_INLINETEST_vFillSonarBlock(const V3_TEST_PARAMETERS* pParams, SONAR_DATA_BLOCK* pBlock)
{
    U8 au8Record[V3_TEST_PARAMETERS_BYTES];
    U_INLINETEST_vEncodeTestParameters(pParams, au8Record);
    memset(pBlock, 0, sizeof *pBlock);
    for (U32 i = 0; i < V3_TEST_PARAMETERS_BYTES / 2; ++i)
        pBlock->u16Data[i] = (U16)(au8Record[2 * i] | au8Record[2 * i + 1] << 8);
}

BOOLEAN U_INLINETEST_bWriteSonarData(SONAR_DATA_BLOCK* pBlock)
{
    U32 u32Nvram = 0;
    if (!H_DATABASE_bFetchU32(FCID("TNVR"), &u32Nvram, nullptr, nullptr))
        return FALSE;
    MSG_WRITE_SONAR_DATA* pMail = H_CLIENT_pNewMail<MSG_WRITE_SONAR_DATA>(CMD_ID_WRITE_SONAR_DATA);
    pMail->pSonarData = pBlock;
    BOOLEAN bSuccess = FALSE;
    if (L_MBOX_SendWait((MBOX)u32Nvram, &pMail->Header.msghdr, 3, SEMA_TEST_PARAMS) == 0)
        bSuccess = pMail->bSuccess;
    H_MEMORY_vFree(pMail);
    return bSuccess;
}

void U_INLINETEST_vSaveTestResults(void)
{
    SONAR_DATA_BLOCK block;
    U_INLINETEST_vFillSonarBlock(&s_testParams, &block);
    U_INLINETEST_bWriteSonarData(&block);
}

U32 U_INLINETEST_u32SetPassedTestBit(U32 u32Bit)
{
    U32 u32Passed = 0;
    H_DATABASE_bFetchU32(FCID("STTP"), &u32Passed, nullptr, nullptr);
    if (u32Bit < 32)
        u32Passed |= 1u << u32Bit;
    s_inlineTest.u32PassedTests = u32Passed;
    H_DATABASE_bUpdateEverythingU32(FCID("STTP"), u32Passed, P_TESTMODE, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    return u32Passed;
}

void U_INLINETEST_vDrawStatusMessage(BITMAP* pBitmap, const char* pcText)
{
    U_DIALOG_vDrawDialog(pBitmap, pcText, pFont(), 0, STATUS_BOX_WIDTH, nullptr, nullptr, JUSTIFICATION_CENTER,
                         JUSTIFICATION_SCREEN_CENTER);
}

void U_INLINETEST_vDrawKeyMessage(BITMAP* pBitmap, const char* pcPrompt, const char* pcLatest,
                                  const char* pcPrevious)
{
    U_INLINETEST_vDrawStatusMessage(pBitmap, pcPrompt);
    const COLOR colorBackground = gCOLOR_pcolColorTable[COLOR_INDEX_BACKGROUND];
    const COLOR colorText = gCOLOR_pcolColorTable[COLOR_INDEX_TEXT];
    POINT anchor = {2, 22};
    const U32 u32Height = U_DIALOG_u32DrawMessageBlock(pBitmap, pcLatest, pFont(), 0, JUSTIFICATION_LEFT,
                                                       JUSTIFICATION_TOP, &anchor, KEY_LOG_WIDTH, colorBackground,
                                                       colorText);
    anchor.y = 22 + (S32)u32Height;
    U_DIALOG_u32DrawMessageBlock(pBitmap, pcPrevious, pFont(), 0, JUSTIFICATION_LEFT, JUSTIFICATION_TOP, &anchor,
                                 KEY_LOG_WIDTH, colorBackground, colorText);
}

void U_INLINETEST_vDrawSonarData(BITMAP* pBitmap, const char* pcText, U32 u32Line)
{
    const S32 s32Line = (S32)u32Line - 1;
    POINT anchor = {0, pBitmap->s32ClipTop - 2 - (S32)((s32Line * (S32)pBitmap->pixels_high) / (S32)SONAR_LINES)};
    U32 u32Width = G_STRING_u32GetWidth(pFont(), reinterpret_cast<const BYTE*>(pcText)) + 8;
    if (pBitmap->pixels_wide >= 2)
        u32Width = std::min(u32Width, pBitmap->pixels_wide - 2);
    const COLOR colorText = gCOLOR_pcolColorTable[COLOR_INDEX_TEXT];
    U_DIALOG_vDrawMessageBlockOutlined(pBitmap, pcText, pFont(), 0, JUSTIFICATION_CENTER, JUSTIFICATION_TOP,
                                       &anchor, u32Width, gCOLOR_pcolColorTable[COLOR_INDEX_BACKGROUND], colorText,
                                       colorText);
}
