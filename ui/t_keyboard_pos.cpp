// The store-demonstration player of the keyboard task (see t_keyboard_pos.h).
//
// The step timer (SEMA_TIMER_POS) drives everything: the first step starts
// the tutorial, each later one plays one script line (or one step of the
// scriptless cycle) and sets the timer for the next. Script offsets always
// lie inside the data: reading wraps at its end, and every read is bounded
// by the data's size, so a script without any command line cannot loop.
#include "ui/t_keyboard_pos.h"

#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/g_box.h"
#include "graphics/g_buffers.h"
#include "graphics/g_circle.h"
#include "graphics/g_fonts.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/l_root.h"
#include "kernel/l_sema.h"
#include "kernel/l_timer.h"
#include "kernel/lm_log.h"
#include "platform/h_display.h"
#include "store/h_database.h"
#include "store/lang.h"
#include "ui/neighbour_standins.h"
#include "ui/t_keyboard.h"
#include "ui/t_menu.h"
#include "ui/t_view.h"
#include "ui/t_view_capture.h"
#include "ui/t_view_capture_standins.h"
#include "ui/t_view_select.h"
#include "ui/u_dialog.h"
#include "ui/u_menu_client.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr FOURCHARID KEY_CCST = FCID("CCST");
constexpr FOURCHARID KEY_CKCK = FCID("CKCK");
constexpr FOURCHARID KEY_CDSM = FCID("CDSM");
constexpr FOURCHARID KEY_SDBV = FCID("SDBV");
constexpr FOURCHARID KEY_SCPP = FCID("SCPP");
constexpr FOURCHARID KEY_CVEW = FCID("CVEW");
constexpr FOURCHARID KEY_CSD0 = FCID("CSD0");
constexpr FOURCHARID KEY_CSD1 = FCID("CSD1");

constexpr TICKS STEP_TICKS = 100;
constexpr TICKS SET_TICKS = 300;
constexpr TICKS ENTER_TICKS = 2;
constexpr TICKS PREAMBLE_TICKS = 10000;
constexpr U32 PREAMBLE_POWER_UP = 6;
constexpr U32 PREAMBLE_RESTART = 7;
constexpr U32 ALL_BUT_POWER = 0xFFFE;
constexpr size_t COMMAND_BYTES = 16;
constexpr size_t KEY_NAME_BYTES = 20;
constexpr size_t PHOTO_NAME_BYTES = 20;
constexpr size_t VIEW_NAME_BYTES = 35;
constexpr U32 MAX_WAIT_TENTHS = 36000; // an hour
constexpr S32 EXIT_RIGHT = 776;
constexpr S32 EXIT_Y = 20;
constexpr LAYER_ID NO_VIEW_CHANGE = -2;
constexpr U32 COLOR_BACK = 35;
constexpr U32 COLOR_FORE = 32;
constexpr MENU_PRIORITY MENU_PRIORITY_DEMO = MENU_PRIORITY_0;

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE Demo_Balloons = ALL_LANGUAGES("Demo Balloons");
TEXT_TABLE Hidden_Text = ALL_LANGUAGES("Hidden");
TEXT_TABLE Visible_Text = ALL_LANGUAGES("Visible");
const char EXIT_TEXT[] = "Press EXIT to leave demo";
const char MORE_INFO_TEXT[] = "Press > for more information";

const char* const errorMessages[] = {
    "",
    "No View name in POS script",
    "Bad view name in POS script",
    "No Chapter name in POS script",
    "No Key name in POS script",
    "Bad Key name in POS script",
    "No wait time in POS script",
    "No Balloon info in POS script",
    "Error: Not enough balloon parameters",
    "No FCID following SET cmd",
    "No FCID data to set",
    "Pointer end inside balloon",
    "Error in text annotation",
    "Error no photo name",
    "Error photo not found",
};

struct COMMAND_WORD {
    const char* pcWord;
    POS_COMMAND eCommand;
};
constexpr COMMAND_WORD COMMANDS[] = {
    {"CHAPTER", CHAPTER},       {"ENDCHAPTER", END_CHAPTER},     {"VIEW", CHANGE_VIEW},
    {"KEY", CHANGE_KEY},        {"WAIT", WAIT},                  {"BALLOON", BALLOON},
    {"ENDBALLOON", END_BALLOON}, {"NOBALLOON", NO_BALLOON},      {"MOREINFO", MORE_INFO},
    {"ENDMOREINFO", END_MORE_INFO}, {"SET", SET_DB_ITEM},        {"DORRIMON", DORRIMON},
    {"DORRIMOFF", DORRIMOFF},   {"PHOTO", PHOTO},                {"EXITMESSAGEBOX", EXIT_MESSAGE_BOX},
};

struct KEY_NAME {
    const char* pcName;
    U32 u32Mask;
    CURSOR_POSITION cursor;
};
constexpr KEY_NAME KEY_NAMES[] = {
    {"POWER", KEY_POWER, CURSOR_ILLEGAL},        {"VIEW", KEY_VIEW, CURSOR_ILLEGAL},
    {"MENU", KEY_MENU, CURSOR_ILLEGAL},          {"EXIT", KEY_EXIT, CURSOR_ILLEGAL},
    {"CURSOR_RIGHT", KEY_CURSOR, CURSOR_EAST},   {"CURSOR_LEFT", KEY_CURSOR, CURSOR_WEST},
    {"CURSOR_DOWN", KEY_CURSOR, CURSOR_SOUTH},   {"CURSOR_UP", KEY_CURSOR, CURSOR_NORTH},
    {"+", KEY_ZOOM_IN, CURSOR_ILLEGAL},          {"-", KEY_ZOOM_OUT, CURSOR_ILLEGAL},
    {"MARK", KEY_MARK, CURSOR_ILLEGAL},          {"GOTO", KEY_GOTO, CURSOR_ILLEGAL},
    {"INFO", KEY_INFO, CURSOR_ILLEGAL},          {"SOFT1", KEY_SOFT_KEY_1, CURSOR_ILLEGAL},
    {"SOFT2", KEY_SOFT_KEY_2, CURSOR_ILLEGAL},   {"SOFT3", KEY_SOFT_KEY_3, CURSOR_ILLEGAL},
};

// One step of the scriptless cycle.
typedef struct tag_POS_SCRIPT_ITEM {
    LAYER_ID changeView;
    FOURCHARID changeDatabaseItem;
    U32 changeDatabaseItemTo;
    U32 issueKeyStroke;
    KEY_STATE changeKeyState;
    CURSOR_POSITION changeCursorPosition;
    U32 repeatCount;
    FOURCHARID sendKeyTo;
    const TEXT_TABLE* pMessageString;
    POINT anchor;
    U32 boxWidth;
    TICKS delayToNextState;
} POS_SCRIPT_ITEM;

constexpr LAYER_ID CHART_PLUS_2D_VIEW_PRIORITY = 35;
constexpr LAYER_ID SONAR_VIEW_PRIORITY = 49;
const POS_SCRIPT_ITEM s_scriptItems[] = {
    {CHART_PLUS_2D_VIEW_PRIORITY, 0, 0, 0, KEY_DOWN, CURSOR_ILLEGAL, 0, 0, nullptr, {0, 0}, 0, 5000},
    {CHART_PLUS_2D_VIEW_PRIORITY, 0, 0, 0, KEY_DOWN, CURSOR_ILLEGAL, 0, 0, nullptr, {0, 0}, 0, 25000},
    {CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY, 0, 0, 0, KEY_DOWN, CURSOR_ILLEGAL, 0, 0, nullptr, {0, 0}, 0, 15000},
    {SONAR_VIEW_PRIORITY, 0, 0, 0, KEY_DOWN, CURSOR_ILLEGAL, 0, 0, nullptr, {0, 0}, 0, 15000},
};
constexpr U32 SCRIPT_ITEMS = sizeof s_scriptItems / sizeof s_scriptItems[0];

// One entry per language index; only English has a built-in script.
struct TUTORIAL_DATA {
    const char* data;
    U32 dataSize;
};

// ---- Player state (the script state is under RES_POS_TUTORIAL) ----
bool s_bPOSMode = false;
bool s_bTutorialStarted = false;
bool s_bInTutorial = false;
bool s_bUseDefaultPOS = false;
bool s_bUsingExtScript = false;
bool s_bPOSKeyPressDetected = false;
bool s_bKeysRegistered = false;
bool s_bMenuRegistered = false;
U32 s_u32PreambleCount = PREAMBLE_POWER_UP;
U32 s_u32CurOffset = 0;
char s_aTextLine[POS_LINE_BYTES];
ERROR_CODE s_scriptError = NO_ERROR;
POINT s_exitBoxAnchor = {-1, -1};
BITMAP* s_pPhotoImage = nullptr;
// A photo request the card task has not acknowledged in time: freed once
// its late signal is seen, never while the card task may still touch it.
MSG_LOAD_BMP* s_pPendingPhotoMail = nullptr;
BOOLEAN s_bShowImage = FALSE;
U32 s_u32POSScriptIndex = 0;
TIMER_INFO* s_pPOSTimer = nullptr;
const char* s_pcScript = nullptr;
U32 s_u32ScriptSize = 0;
char* s_pcExtScript = nullptr;
CHAPTER_ITEM s_chptStack[POS_CHAPTER_STACK];
S8 s_stackTop = -1;
S8 s_activeChapter = -1;
D_BALLOON s_curBalloon;

class Lock {
public:
    Lock() { L_MUTEX_LockWait(RES_POS_TUTORIAL); }
    ~Lock() { L_MUTEX_Unlock(RES_POS_TUTORIAL); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
};

COLOR colorAt(U32 u32Index) { return gCOLOR_pcolColorTable[u32Index]; }

void vSetClicks(BOOLEAN bOn) { H_DATABASE_bUpdateValueBoolean(KEY_CKCK, bOn, P_NORMAL); }

void vRequestFrame(void) { L_SEMA_Signal(SEMA_VIEW_UPDATE); }

void vStartTimer(TICKS tTicks)
{
    if (s_pPOSTimer == nullptr)
        s_pPOSTimer = L_TIMER_Allocate();
    if (s_pPOSTimer != nullptr)
        L_TIMER_Start(s_pPOSTimer, tTicks, 0, SEMA_TIMER_POS);
}

void vReleaseTimer(void)
{
    if (s_pPOSTimer == nullptr)
        return;
    L_TIMER_Stop(s_pPOSTimer);
    L_TIMER_Release(s_pPOSTimer);
    s_pPOSTimer = nullptr;
}

void vRegisterLayer(void)
{
    U_VIEW_bRegisterLayer(T_KEYBOARD_vDrawPOSMessage, POS_MESSAGE_LAYER, USED_BY_ALL, 0, 0, TRUE, nullptr, nullptr,
                          nullptr);
}

// CMD_ID_RESET_POS to the mailbox of every task key but this task's own.
void vResetEveryTask(void)
{
    MULTI_FETCH_CONTROL_STRUCTURE control{};
    control.cMatch = 'T';
    control.__bNotFirst = FALSE;
    while (H_DATABASE_bFetchNextBeginningWith(&control)) {
        const MBOX mbox = (MBOX)control.data.u32Val;
        if (mbox == KEYBOARD_MAILBOX)
            continue;
        auto* pMail = static_cast<GENERIC_MESSAGE*>(H_MEMORY_pvMallocNoWait(sizeof(GENERIC_MESSAGE)));
        if (pMail == nullptr)
            return;
        memset(static_cast<void*>(pMail), 0, sizeof *pMail);
        pMail->Cmd = CMD_ID_RESET_POS;
        if (L_MBOX_Send(mbox, &pMail->msghdr, 3, 0) != 0)
            H_MEMORY_vFree(pMail);
    }
}

U32 u32TextWidth(const FONT_DEF* pFont, const char* pc)
{
    if (pFont == nullptr)
        return 0;
    U32 u32Width = 0;
    for (; *pc != '\0'; ++pc)
        u32Width += G_FONTS_u32GetWidth(pFont, (BYTE)*pc);
    return u32Width;
}

POINT defaultExitAnchor(void)
{
    return {EXIT_RIGHT - (S32)u32TextWidth(std_11x14_font_def_ptr.load(), EXIT_TEXT), EXIT_Y};
}

void vUpper(char* pc)
{
    for (; *pc != '\0'; ++pc)
        *pc = (char)toupper((unsigned char)*pc);
}

// The argument of a line from its column, up to the end or (bWord) the
// first space or tab, cut to nBytes - 1; empty when the line is shorter.
void vArgument(const char* pcLine, size_t nColumn, bool bWord, char* pcOut, size_t nBytes)
{
    pcOut[0] = '\0';
    if (strlen(pcLine) <= nColumn)
        return;
    const char* pc = pcLine + nColumn;
    size_t n = 0;
    for (; *pc != '\0' && n + 1 < nBytes; ++pc) {
        if (bWord && (*pc == ' ' || *pc == '\t'))
            break;
        pcOut[n++] = *pc;
    }
    pcOut[n] = '\0';
}

// ---- Reading ----

bool bLineEnd(char c) { return c == '\n' || c == '\r'; }
bool bBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// One line from the offset into pcLine, the offset moved past its end (to
// the start after the last line). Leading white space and empty lines are
// skipped; the line is cut to POS_LINE_BYTES - 1.
SCRIPT_LINE eReadLine(char* pcLine)
{
    pcLine[0] = '\0';
    if (s_pcScript == nullptr || s_u32ScriptSize == 0)
        return BLANK_LINE;
    if (s_u32CurOffset >= s_u32ScriptSize)
        s_u32CurOffset = 0;
    U32 u32Seen = 0;
    while (u32Seen < s_u32ScriptSize && bBlank(s_pcScript[s_u32CurOffset])) {
        ++u32Seen;
        if (++s_u32CurOffset >= s_u32ScriptSize)
            s_u32CurOffset = 0;
    }
    if (u32Seen >= s_u32ScriptSize)
        return BLANK_LINE;
    size_t n = 0;
    while (s_u32CurOffset < s_u32ScriptSize && !bLineEnd(s_pcScript[s_u32CurOffset])) {
        if (n + 1 < POS_LINE_BYTES)
            pcLine[n++] = s_pcScript[s_u32CurOffset] == '\0' ? ' ' : s_pcScript[s_u32CurOffset];
        ++s_u32CurOffset;
    }
    if (s_u32CurOffset < s_u32ScriptSize && s_pcScript[s_u32CurOffset] == '\r')
        ++s_u32CurOffset;
    if (s_u32CurOffset < s_u32ScriptSize && s_pcScript[s_u32CurOffset] == '\n')
        ++s_u32CurOffset;
    if (s_u32CurOffset >= s_u32ScriptSize)
        s_u32CurOffset = 0;
    while (n > 0 && bBlank(pcLine[n - 1]))
        --n;
    pcLine[n] = '\0';
    if (n == 0)
        return BLANK_LINE;
    return strncmp(pcLine, "//", 2) == 0 ? COMMENT_LINE : VALID_LINE;
}

// The next line that is neither empty nor a comment; false when the whole
// script holds none.
bool bReadCommandLine(char* pcLine)
{
    for (U32 u32Lines = 0; u32Lines <= s_u32ScriptSize; ++u32Lines)
        if (eReadLine(pcLine) == VALID_LINE)
            return true;
    return false;
}

POS_COMMAND eCommandOf(const char* pcLine)
{
    char acWord[COMMAND_BYTES];
    size_t n = 0;
    for (const char* pc = pcLine; *pc != '\0' && *pc != ' ' && *pc != '\t'; ++pc)
        if (n + 1 < COMMAND_BYTES)
            acWord[n++] = (char)toupper((unsigned char)*pc);
    acWord[n] = '\0';
    for (const COMMAND_WORD& c : COMMANDS)
        if (strcmp(acWord, c.pcWord) == 0)
            return c.eCommand;
    return BAD_COMMAND;
}

// Reads on to the line holding only the word; the offset after it, or
// false when the script has none (the offset is then back where it was).
bool bSkipPast(const char* pcWord, U32* pu32After)
{
    const U32 u32From = s_u32CurOffset;
    char acLine[POS_LINE_BYTES];
    for (U32 u32Lines = 0; u32Lines <= s_u32ScriptSize; ++u32Lines) {
        if (eReadLine(acLine) != VALID_LINE)
            continue;
        char acWord[COMMAND_BYTES];
        vArgument(acLine, 0, true, acWord, sizeof acWord);
        vUpper(acWord);
        if (strcmp(acWord, pcWord) == 0) {
            *pu32After = s_u32CurOffset;
            s_u32CurOffset = u32From;
            return true;
        }
    }
    s_u32CurOffset = u32From;
    return false;
}

// The offset after the "CHAPTER" line named pcName, searched from the start.
bool bFindChapter(const char* pcName, U32* pu32Start)
{
    const U32 u32From = s_u32CurOffset;
    s_u32CurOffset = 0;
    char acLine[POS_LINE_BYTES];
    bool bFound = false;
    for (U32 u32Lines = 0; u32Lines <= s_u32ScriptSize && !bFound; ++u32Lines) {
        if (eReadLine(acLine) != VALID_LINE || eCommandOf(acLine) != CHAPTER)
            continue;
        char acName[POS_CHAPTER_NAME_BYTES];
        vArgument(acLine, 8, true, acName, sizeof acName);
        if (strcmp(acName, pcName) == 0) {
            *pu32Start = s_u32CurOffset;
            bFound = true;
        }
        if (s_u32CurOffset == 0)
            break;
    }
    s_u32CurOffset = u32From;
    return bFound;
}

// ---- Commands ----

void vError(ERROR_CODE eError)
{
    s_scriptError = eError;
    log_me("store demo: %s", errorMessages[eError]);
    vRequestFrame();
}

TICKS tChapter(const char* pcLine)
{
    char acName[POS_CHAPTER_NAME_BYTES];
    vArgument(pcLine, 8, true, acName, sizeof acName);
    if (acName[0] == '\0') {
        vError(ERR_NO_CHAPTER);
        return STEP_TICKS;
    }
    if (s_stackTop >= 0)
        return STEP_TICKS;
    vUpper(acName);
    memcpy(s_chptStack[0].chapterName, acName, sizeof acName);
    s_chptStack[0].chapterStart = s_u32CurOffset;
    s_chptStack[0].chapterResume = s_u32CurOffset;
    s_stackTop = 0;
    s_activeChapter = 0;
    return STEP_TICKS;
}

TICKS tEndChapter(void)
{
    if (s_activeChapter > 0) {
        vResetEveryTask();
        --s_activeChapter;
        s_u32CurOffset = s_chptStack[s_activeChapter].chapterResume;
    } else if (s_activeChapter == 0) {
        s_u32CurOffset = s_chptStack[0].chapterStart;
    }
    return STEP_TICKS;
}

TICKS tView(const char* pcLine)
{
    char acName[VIEW_NAME_BYTES];
    vArgument(pcLine, 5, false, acName, sizeof acName);
    if (acName[0] == '\0') {
        vError(ERR_NO_VIEW);
        return STEP_TICKS;
    }
    vUpper(acName);
    const LAYER_ID view = T_VIEW_GetSelectableView(acName);
    if (view == -3)
        vError(ERR_BAD_VIEW);
    else
        H_DATABASE_bUpdateValueS32(KEY_CVEW, view, P_NORMAL);
    vRequestFrame();
    return STEP_TICKS;
}

TICKS tKey(const char* pcLine)
{
    char acName[KEY_NAME_BYTES];
    vArgument(pcLine, 4, true, acName, sizeof acName);
    if (acName[0] == '\0') {
        vError(ERR_NO_KEY);
        return STEP_TICKS;
    }
    vUpper(acName);
    for (const KEY_NAME& k : KEY_NAMES) {
        if (strcmp(acName, k.pcName) == 0) {
            T_KEYBOARD_bSendPOSKey(k.u32Mask, k.cursor);
            return STEP_TICKS;
        }
    }
    vError(ERR_BAD_KEY);
    return STEP_TICKS;
}

TICKS tWait(const char* pcLine)
{
    char acNumber[POS_LINE_BYTES];
    vArgument(pcLine, 5, true, acNumber, sizeof acNumber);
    char* pcEnd = nullptr;
    const double dSeconds = strtod(acNumber, &pcEnd);
    if (acNumber[0] == '\0' || pcEnd == acNumber) {
        vError(ERR_NO_WAIT);
        return STEP_TICKS;
    }
    // Tenths of a second: the hundredths are cut, not rounded.
    double dTenths = dSeconds * 10.0;
    if (!(dTenths >= 0.0))
        dTenths = 0.0;
    if (dTenths > (double)MAX_WAIT_TENTHS)
        dTenths = (double)MAX_WAIT_TENTHS;
    const U32 u32Tenths = (U32)dTenths;
    return u32Tenths == 0 ? 1 : (TICKS)(u32Tenths * 100);
}

// "x y width lines "title" [px py]".
bool bBalloonParameters(const char* pcArgs, D_BALLOON* pBalloon, ERROR_CODE* peError)
{
    const char* pc = pcArgs;
    long values[4];
    for (long& v : values) {
        char* pcEnd = nullptr;
        v = strtol(pc, &pcEnd, 10);
        if (pcEnd == pc) {
            *peError = ERR_BALLOON_PARAMETERS;
            return false;
        }
        pc = pcEnd;
    }
    const char* pcOpen = strchr(pc, '"');
    const char* pcClose = pcOpen != nullptr ? strchr(pcOpen + 1, '"') : nullptr;
    if (pcClose == nullptr) {
        *peError = ERR_BALLOON_PARAMETERS;
        return false;
    }
    const auto clamp = [](long v, long lo, long hi) { return v < lo ? lo : (v > hi ? hi : v); };
    pBalloon->llAnchor = {(S32)clamp(values[0], -10000, 10000), (S32)clamp(values[1], -10000, 10000)};
    pBalloon->widthPixels = (U32)clamp(values[2], 0, 2000);
    pBalloon->heightLines = (U8)clamp(values[3], 0, 40);
    size_t nTitle = (size_t)(pcClose - pcOpen - 1);
    if (nTitle > POS_TITLE_BYTES - 1)
        nTitle = POS_TITLE_BYTES - 1;
    memcpy(pBalloon->title, pcOpen + 1, nTitle);
    pBalloon->title[nTitle] = '\0';
    pBalloon->pointerAnchor = {-1, -1};
    char* pcEnd = nullptr;
    const long px = strtol(pcClose + 1, &pcEnd, 10);
    if (pcEnd != pcClose + 1) {
        const char* pcY = pcEnd;
        const long py = strtol(pcY, &pcEnd, 10);
        if (pcEnd != pcY)
            pBalloon->pointerAnchor = {(S32)clamp(px, -10000, 10000), (S32)clamp(py, -10000, 10000)};
    }
    return true;
}

TICKS tBalloon(const char* pcLine)
{
    char acArgs[POS_LINE_BYTES];
    vArgument(pcLine, 8, false, acArgs, sizeof acArgs);
    if (acArgs[0] == '\0') {
        vError(ERR_NO_BALLOON);
        return STEP_TICKS;
    }
    D_BALLOON balloon = {};
    ERROR_CODE eError = NO_ERROR;
    if (!bBalloonParameters(acArgs, &balloon, &eError)) {
        vError(eError);
        return STEP_TICKS;
    }
    // The body: every line up to "ENDBALLOON", at most one pass round.
    size_t n = 0;
    char acBody[POS_LINE_BYTES];
    for (U32 u32Lines = 0; u32Lines <= s_u32ScriptSize; ++u32Lines) {
        const SCRIPT_LINE eLine = eReadLine(acBody);
        if (eLine == BLANK_LINE && s_u32ScriptSize == 0)
            break;
        if (eLine != VALID_LINE)
            continue;
        if (eCommandOf(acBody) == END_BALLOON)
            break;
        for (const char* pc = acBody; *pc != '\0' && n + 2 < POS_BODY_BYTES; ++pc)
            balloon.text[n++] = *pc;
        if (n + 2 < POS_BODY_BYTES)
            balloon.text[n++] = '\n';
    }
    balloon.text[n++] = '\r';
    balloon.text[n] = '\0';
    BOOLEAN bShown = TRUE;
    H_DATABASE_bFetchBoolean(KEY_SDBV, &bShown, nullptr, nullptr);
    balloon.bActive = bShown ? TRUE : FALSE;
    balloon.bMoreInfo = s_curBalloon.bMoreInfo;
    s_curBalloon = balloon;
    vRequestFrame();
    return STEP_TICKS;
}

TICKS tMoreInfo(const char* pcLine)
{
    char acName[POS_CHAPTER_NAME_BYTES];
    vArgument(pcLine, 9, true, acName, sizeof acName);
    vUpper(acName);
    if (acName[0] == '\0' || s_stackTop < 0 || strcmp(acName, s_chptStack[s_stackTop].chapterName) == 0)
        return STEP_TICKS;
    if (s_stackTop + 1 >= POS_CHAPTER_STACK)
        return STEP_TICKS;
    U32 u32Resume = 0;
    U32 u32Start = 0;
    if (!bSkipPast("ENDMOREINFO", &u32Resume) || !bFindChapter(acName, &u32Start))
        return STEP_TICKS;
    if (s_activeChapter >= 0)
        s_chptStack[s_activeChapter].chapterResume = u32Resume;
    ++s_stackTop;
    memcpy(s_chptStack[s_stackTop].chapterName, acName, sizeof acName);
    s_chptStack[s_stackTop].chapterStart = u32Start;
    s_chptStack[s_stackTop].chapterResume = u32Start;
    s_curBalloon.bMoreInfo = TRUE;
    return STEP_TICKS;
}

TICKS tEndMoreInfo(void)
{
    if (s_stackTop != s_activeChapter && s_stackTop > 0) {
        --s_stackTop;
        s_curBalloon.bMoreInfo = FALSE;
    }
    vRequestFrame();
    return STEP_TICKS;
}

TICKS tSet(const char* pcLine)
{
    char acKey[5];
    vArgument(pcLine, 4, true, acKey, sizeof acKey);
    if (strlen(acKey) != 4) {
        vError(ERR_NO_FCID);
        return SET_TICKS;
    }
    char acValue[POS_LINE_BYTES];
    vArgument(pcLine, 9, true, acValue, sizeof acValue);
    char* pcEnd = nullptr;
    const unsigned long ulValue = strtoul(acValue, &pcEnd, 0);
    if (acValue[0] == '\0' || pcEnd == acValue) {
        vError(ERR_NO_FCID_DATA);
        return SET_TICKS;
    }
    const FOURCHARID key = FCID(acKey);
    H_DATABASE_bUpdateValueU32(key, (U32)ulValue, P_NORMAL);
    return SET_TICKS;
}

void vRemovePhoto(void)
{
    s_bShowImage = FALSE;
    if (s_pPendingPhotoMail != nullptr) {
        // The card task may still load into the page: it stays until then.
        if (L_SEMA_WaitTicks(SEMA_POS_PHOTO, 1) != 0)
            return;
        H_MEMORY_vFree(s_pPendingPhotoMail);
        s_pPendingPhotoMail = nullptr;
    }
    if (s_pPhotoImage == nullptr)
        return;
    H_DISPLAY_vFreeDisplayBuffer(s_pPhotoImage->pBuffer);
    G_BUFFERS_vFreeFullScreenBitmapHeader(s_pPhotoImage);
    s_pPhotoImage = nullptr;
}

bool bExists(const char* pcUnitPath)
{
    char acHost[512];
    L_ROOT_pcResolve(pcUnitPath, acHost, sizeof acHost);
    struct stat st {};
    return stat(acHost, &st) == 0 && S_ISREG(st.st_mode);
}

TICKS tPhoto(const char* pcLine)
{
    char acName[PHOTO_NAME_BYTES];
    vArgument(pcLine, 6, true, acName, sizeof acName);
    vUpper(acName);
    if (acName[0] == '\0') {
        vRemovePhoto();
        vError(ERR_NO_NAME);
        return STEP_TICKS;
    }
    if (strcmp(acName, "OFF") == 0) {
        vRemovePhoto();
        vRequestFrame();
        return STEP_TICKS;
    }
    static const char* const folders[] = {"/mnt/mmc0/", "/mnt/mmc1/", "/usr/vondrel/posphoto/"};
    char acPath[64] = {};
    for (const char* pcFolder : folders) {
        snprintf(acPath, sizeof acPath, "%s%s", pcFolder, acName);
        if (bExists(acPath))
            break;
        acPath[0] = '\0';
    }
    if (acPath[0] == '\0') {
        vError(ERR_NO_PHOTO);
        return STEP_TICKS;
    }
    if (char* pcDot = strchr(acPath + 1, '.'))
        *pcDot = '\0';
    s_bShowImage = FALSE;
    if (s_pPendingPhotoMail != nullptr) {
        // One request at a time: the last one is done only once signalled.
        if (L_SEMA_WaitTicks(SEMA_POS_PHOTO, 1) != 0)
            return STEP_TICKS;
        H_MEMORY_vFree(s_pPendingPhotoMail);
        s_pPendingPhotoMail = nullptr;
    }
    MSG_LOAD_BMP* pSent = nullptr;
    if (!T_VIEW_bRequestSnapshotImage(&s_pPhotoImage, acPath, SEMA_POS_PHOTO, &pSent))
        return STEP_TICKS;
    // The drawing must not wait for the card task's load.
    L_MUTEX_Unlock(RES_POS_TUTORIAL);
    const ERC erc = L_SEMA_WaitTicks(SEMA_POS_PHOTO, POS_PHOTO_WAIT_TICKS);
    L_MUTEX_LockWait(RES_POS_TUTORIAL);
    if (erc == 0)
        H_MEMORY_vFree(pSent);
    else
        s_pPendingPhotoMail = pSent;
    s_bShowImage = erc == 0 ? TRUE : FALSE;
    vRequestFrame();
    return STEP_TICKS;
}

TICKS tExitBox(const char* pcLine)
{
    char acArgs[POS_LINE_BYTES];
    vArgument(pcLine, 15, false, acArgs, sizeof acArgs);
    char* pcEnd = nullptr;
    const long x = strtol(acArgs, &pcEnd, 10);
    const char* pcY = pcEnd;
    const long y = pcEnd != acArgs ? strtol(pcY, &pcEnd, 10) : 0;
    if (pcEnd == acArgs || pcEnd == pcY || x < -10000 || x > 10000 || y < -10000 || y > 10000)
        s_exitBoxAnchor = defaultExitAnchor();
    else
        s_exitBoxAnchor = {(S32)x, (S32)y};
    return STEP_TICKS;
}

TICKS tCarryOut(const char* pcLine)
{
    switch (eCommandOf(pcLine)) {
    case CHAPTER:
        return tChapter(pcLine);
    case END_CHAPTER:
        return tEndChapter();
    case CHANGE_VIEW:
        return tView(pcLine);
    case CHANGE_KEY:
        return tKey(pcLine);
    case WAIT:
        return tWait(pcLine);
    case BALLOON:
        return tBalloon(pcLine);
    case NO_BALLOON:
        s_curBalloon.bActive = FALSE;
        vRequestFrame();
        return STEP_TICKS;
    case MORE_INFO:
        return tMoreInfo(pcLine);
    case END_MORE_INFO:
        return tEndMoreInfo();
    case SET_DB_ITEM:
        return tSet(pcLine);
    case DORRIMON:
    case DORRIMOFF:
        T_VIEW_psCaptureNeighbours()->vSetPOSMode(eCommandOf(pcLine) == DORRIMON ? TRUE : FALSE);
        return STEP_TICKS;
    case PHOTO:
        return tPhoto(pcLine);
    case EXIT_MESSAGE_BOX:
        return tExitBox(pcLine);
    case END_BALLOON:
    case BAD_COMMAND:
    default:
        return STEP_TICKS;
    }
}

// ---- Tutorial ----

TUTORIAL_DATA tutorialOf(U32 u32Language)
{
    if (u32Language == 0)
        return {T_KEYBOARD_acEnglishScript, (U32)strlen(T_KEYBOARD_acEnglishScript)};
    return {nullptr, 0};
}

// The card's script, read whole; false when neither slot has one.
bool bLoadCardScript(void)
{
    static const char* const paths[] = {"/mnt/mmc0/POSDemo.txt", "/mnt/mmc1/POSDemo.txt"};
    for (const char* pcPath : paths) {
        char acHost[512];
        L_ROOT_pcResolve(pcPath, acHost, sizeof acHost);
        FILE* pFile = fopen(acHost, "rb");
        if (pFile == nullptr)
            continue;
        long lSize = -1;
        if (fseek(pFile, 0, SEEK_END) == 0)
            lSize = ftell(pFile);
        if (lSize <= 0 || lSize > 1024 * 1024 || fseek(pFile, 0, SEEK_SET) != 0) {
            fclose(pFile);
            continue;
        }
        char* pcData = static_cast<char*>(H_MEMORY_pvMallocNoWait((size_t)lSize));
        if (pcData == nullptr) {
            fclose(pFile);
            continue;
        }
        const size_t nRead = fread(pcData, 1, (size_t)lSize, pFile);
        fclose(pFile);
        if (nRead != (size_t)lSize) {
            H_MEMORY_vFree(pcData);
            continue;
        }
        s_pcExtScript = pcData;
        s_pcScript = pcData;
        s_u32ScriptSize = (U32)lSize;
        s_bUsingExtScript = true;
        return true;
    }
    return false;
}

void vFreeCardScript(void)
{
    if (s_pcExtScript != nullptr)
        H_MEMORY_vFree(s_pcExtScript);
    s_pcExtScript = nullptr;
    s_bUsingExtScript = false;
}

void vStartTutorial(void)
{
    s_bTutorialStarted = true;
    vResetEveryTask();
    if (!bLoadCardScript()) {
        const TUTORIAL_DATA t = tutorialOf(nCurrentLanguage());
        s_pcScript = t.data;
        s_u32ScriptSize = t.dataSize;
    }
    if (s_pcScript != nullptr && s_u32ScriptSize != 0) {
        s_bUseDefaultPOS = false;
        s_bKeysRegistered = U_KEYBOARD_bRegisterKeys(KEYBOARD_MAILBOX, ALL_BUT_POWER, KEY_CHANGE, FALSE, FALSE,
                                                     CURSOR_4, REGISTER_POS_TUTORIAL) != FALSE;
        vSetClicks(FALSE);
        H_DATABASE_bUpdateValueBoolean(KEY_SDBV, TRUE, P_DEFAULT_SETTING);
        H_DATABASE_bRegisterForDataWithConditions(KEY_SDBV, KEYBOARD_MAILBOX, TRUE, FALSE, FALSE);
        if (!s_bMenuRegistered) {
            static const TEXT_TABLE* const choices[] = {&Hidden_Text, &Visible_Text};
            static const U32 values[] = {0, 1};
            s_bMenuRegistered = U_MENU_bRegisterMainSelectorMenu(&Demo_Balloons, T_MENU_pSetupTabName,
                                                                 MENU_PRIORITY_DEMO, KEY_SDBV, 2, choices, values,
                                                                 M_ADVANCED) != FALSE;
        }
        s_exitBoxAnchor = defaultExitAnchor();
    } else {
        s_bUseDefaultPOS = true;
    }
    vRegisterLayer();
    vStartTimer(STEP_TICKS);
    s_bInTutorial = true;
}

U32 u32State(void)
{
    U32 u32Value = 0;
    H_DATABASE_bFetchU32(KEY_CCST, &u32Value, nullptr, nullptr);
    return u32Value;
}

void vStopPOS(void)
{
    s_bPOSMode = false;
    vReleaseTimer();
    U_VIEW_bUnRegisterLayer(POS_MESSAGE_LAYER);
    vRequestFrame();
}

void vScriptlessStep(void)
{
    if (u32State() != STATE_POINT_OF_SALE) {
        vStopPOS();
        return;
    }
    if (s_bPOSKeyPressDetected) {
        vStartTimer(ENTER_TICKS);
        s_bPOSKeyPressDetected = false;
        vSetClicks(FALSE);
        vResetEveryTask();
        s_u32POSScriptIndex = 0;
        vRegisterLayer();
        vRequestFrame();
        return;
    }
    const POS_SCRIPT_ITEM& step = s_scriptItems[s_u32POSScriptIndex % SCRIPT_ITEMS];
    if (step.changeView != NO_VIEW_CHANGE)
        H_DATABASE_bUpdateValueS32(KEY_CVEW, step.changeView, P_NORMAL);
    if (step.changeDatabaseItem != 0)
        H_DATABASE_bUpdateValueU32(step.changeDatabaseItem, step.changeDatabaseItemTo, P_NORMAL);
    U32 u32Mbox = 0;
    if (step.issueKeyStroke != 0 && step.sendKeyTo != 0 &&
        H_DATABASE_bFetchU32(step.sendKeyTo, &u32Mbox, nullptr, nullptr) && u32Mbox < (U32)nmboxes) {
        auto* pMail = static_cast<MSG_KEY_CHANGE*>(H_MEMORY_pvMallocNoWait(sizeof(MSG_KEY_CHANGE)));
        if (pMail != nullptr) {
            memset(static_cast<void*>(pMail), 0, sizeof *pMail);
            pMail->header.Cmd = CMD_ID_KEY_CHANGE;
            pMail->key = step.issueKeyStroke;
            pMail->state = step.changeKeyState;
            pMail->count = step.repeatCount;
            pMail->cursor = step.changeCursorPosition;
            if (L_MBOX_Send((MBOX)u32Mbox, &pMail->header.msghdr, 3, 0) != 0)
                H_MEMORY_vFree(pMail);
        }
    }
    vStartTimer(step.delayToNextState);
    s_u32POSScriptIndex = (s_u32POSScriptIndex + 1) % SCRIPT_ITEMS;
}

TICKS tProcessScript(void)
{
    if (s_u32PreambleCount != 0) {
        --s_u32PreambleCount;
        if (s_u32PreambleCount > 0) {
            T_KEYBOARD_bSendPOSKey(KEY_VIEW, CURSOR_ILLEGAL);
            return PREAMBLE_TICKS;
        }
        BOOLEAN bShown = FALSE;
        if (H_DATABASE_bFetchBoolean(KEY_SDBV, &bShown, nullptr, nullptr) && bShown)
            H_DATABASE_bUpdateValueBoolean(KEY_CDSM, TRUE, P_NORMAL);
    }
    if (s_scriptError != NO_ERROR)
        return 0;
    if (!bReadCommandLine(s_aTextLine))
        return STEP_TICKS;
    return tCarryOut(s_aTextLine);
}

void vClearScriptState(void)
{
    s_scriptError = NO_ERROR;
    s_curBalloon = {};
    s_u32CurOffset = 0;
    s_stackTop = -1;
    s_activeChapter = -1;
    s_exitBoxAnchor = {-1, -1};
}

void vEnterPOS(TICKS tFirst)
{
    s_bPOSMode = true;
    vSetClicks(FALSE);
    vStartTimer(tFirst);
    vRegisterLayer();
    vRequestFrame();
    vResetEveryTask();
}

bool bCardHoldsScript(U32 u32Slot)
{
    return bExists(u32Slot == 0 ? "/mnt/mmc0/POSDemo.txt" : "/mnt/mmc1/POSDemo.txt");
}

// ---- Drawing ----

void vRoundedBox(BITMAP* pBitmap, U32 u32Color, S32 x, S32 y, U32 w, U32 h, U32 r)
{
    const POINT at = {x, y};
    G_BOX_vDrawRoundedFilled(pBitmap, colorAt(u32Color), &at, w, h, r);
}

void vBar(BITMAP* pBitmap, U32 u32Color, S32 x, S32 y, U32 w, U32 h)
{
    const POINT at = {x, y};
    G_BOX_vDrawFilled(pBitmap, colorAt(u32Color), &at, w, h);
}

void vText(BITMAP* pBitmap, U32 u32Color, S32 x, S32 y, const FONT_DEF* pFont, const char* pc)
{
    if (pFont == nullptr)
        return;
    POINT at = {x, y};
    G_STRING_vPut(pBitmap, colorAt(u32Color), &at, pFont, reinterpret_cast<const BYTE*>(pc));
}

// The annotation's number, from the eighth character inside the brackets.
S32 s32AnnotationNumber(const char* pcInside, size_t nLength)
{
    if (nLength <= 7)
        return 0;
    const long l = strtol(pcInside + 7, nullptr, 10);
    return (S32)(l < 0 ? 0 : (l > 800 ? 800 : l));
}

// The body, character by character; false at a bad annotation.
bool bDrawBody(BITMAP* pBitmap, const D_BALLOON& b, const FONT_DEF* pFont)
{
    const S32 x0 = b.llAnchor.x + 12;
    POINT pen = {x0, b.llAnchor.y + 9 + 20 * (S32)b.heightLines};
    bool bLineStart = true;
    for (const char* pc = b.text; *pc != '\0' && *pc != '\r'; ++pc) {
        if (*pc == '\n') {
            pen.x = x0;
            pen.y -= 23;
            bLineStart = true;
            continue;
        }
        if (*pc == '[') {
            const char* pcClose = strchr(pc, ']');
            if (pcClose == nullptr)
                return false;
            char acInside[POS_LINE_BYTES] = {};
            size_t nLength = (size_t)(pcClose - pc - 1);
            if (nLength >= sizeof acInside)
                nLength = sizeof acInside - 1;
            memcpy(acInside, pc + 1, nLength);
            vUpper(acInside);
            if (strncmp(acInside, "BU", 2) == 0) {
                POINT centre = {pen.x + 5, pen.y + 7};
                G_CIRCLE_vDrawFilled(pBitmap, colorAt(COLOR_FORE), &centre, 5);
                pen.x += 13;
            } else if (strncmp(acInside, "HS", 2) == 0) {
                pen.x += s32AnnotationNumber(acInside, nLength);
            } else if (strncmp(acInside, "VS", 2) == 0) {
                if (!bLineStart) {
                    pen.x = x0;
                    pen.y -= 23;
                }
                pen.y -= s32AnnotationNumber(acInside, nLength);
            } else if (strncmp(acInside, "IC", 2) != 0 && strncmp(acInside, "BI", 2) != 0) {
                return false;
            }
            pc = pcClose;
            while (pc[1] == ' ' || pc[1] == '\t')
                ++pc;
            bLineStart = false;
            continue;
        }
        if (pFont != nullptr) {
            G_FONTS_vPut(pBitmap, colorAt(COLOR_FORE), &pen, pFont, (BYTE)*pc);
            pen.x += (S32)G_FONTS_u32GetWidth(pFont, (BYTE)*pc);
        }
        bLineStart = false;
    }
    return true;
}

void vDrawBalloon(BITMAP* pBitmap, const D_BALLOON& b)
{
    const FONT_DEF* pSmall = std_11x14_font_def_ptr.load();
    const FONT_DEF* pLarge = std_16x17_font_def_ptr.load();
    const S32 x = b.llAnchor.x;
    const S32 y = b.llAnchor.y;
    const U32 w = b.widthPixels;
    const U32 n = b.heightLines;
    vRoundedBox(pBitmap, COLOR_BACK, x, y, w + 18, 20 * n + 64, 11);
    vRoundedBox(pBitmap, COLOR_FORE, x + 1, y + 1, w + 16, 20 * n + 62, 11);
    vRoundedBox(pBitmap, COLOR_BACK, x + 9, y + 9, w, 20 * n + 46, 7);
    vBar(pBitmap, COLOR_FORE, x + 9, y + 26 + 20 * (S32)n, w, 3);
    vText(pBitmap, COLOR_FORE, x + 12, y + 35 + 20 * (S32)n, pLarge, b.title);
    if (!bDrawBody(pBitmap, b, pSmall))
        s_scriptError = ERR_BAD_ANNOTATION;
    if (b.bMoreInfo) {
        vBar(pBitmap, COLOR_FORE, x + 9, y + 9, w, 20);
        vText(pBitmap, COLOR_BACK, x + 12, y + 9, pSmall, MORE_INFO_TEXT);
    }
}

void vDrawError(BITMAP* pBitmap, ERROR_CODE eError)
{
    const FONT_DEF* pFont = std_16x17_font_def_ptr.load();
    if (pFont == nullptr)
        return;
    const char* pcText = errorMessages[eError];
    U32 u32Width = u32TextWidth(pFont, pcText) + 9;
    if (u32Width > pBitmap->pixels_wide - 10)
        u32Width = pBitmap->pixels_wide - 10;
    U_DIALOG_vDrawDialog(pBitmap, pcText, pFont, 0, (U16)u32Width, nullptr, nullptr, JUSTIFICATION_CENTER,
                         JUSTIFICATION_CENTER);
}

void vDrawExitPrompt(BITMAP* pBitmap)
{
    const FONT_DEF* pFont = std_11x14_font_def_ptr.load();
    const U32 t = u32TextWidth(pFont, EXIT_TEXT);
    const S32 x = s_exitBoxAnchor.x;
    const S32 y = s_exitBoxAnchor.y;
    vRoundedBox(pBitmap, COLOR_BACK, x, y, t + 14, 28, 11);
    vRoundedBox(pBitmap, COLOR_FORE, x + 1, y + 1, t + 12, 26, 11);
    vText(pBitmap, COLOR_BACK, x + 7, y + 7, pFont, EXIT_TEXT);
}

} // namespace

// ---- The keyboard task's calls ----

void T_KEYBOARD_vPOSReset(void)
{
    Lock lock;
    s_bPOSMode = false;
    s_bTutorialStarted = false;
    s_bInTutorial = false;
    s_bUseDefaultPOS = false;
    s_bPOSKeyPressDetected = false;
    s_u32PreambleCount = PREAMBLE_POWER_UP;
    s_u32POSScriptIndex = 0;
    vClearScriptState();
}

void T_KEYBOARD_vPOSKeyHook(void)
{
    if (!s_bPOSMode || (s_bInTutorial && !s_bUseDefaultPOS))
        return;
    if (!s_bPOSKeyPressDetected) {
        s_bPOSKeyPressDetected = true;
        vSetClicks(TRUE);
        H_DATABASE_bUpdateValueU32(KEY_SCPP, 0, P_NORMAL);
    }
    vStartTimer(POS_FREE_USE_TICKS);
    U_VIEW_bUnRegisterLayer(POS_MESSAGE_LAYER);
    vRequestFrame();
}

void T_KEYBOARD_vPOSHandleNewData(FOURCHARID key, U32 u32Value)
{
    switch (key) {
    case KEY_CCST:
        if (u32Value == STATE_POINT_OF_SALE) {
            vEnterPOS(ENTER_TICKS);
        } else {
            s_bPOSMode = false;
            vSetClicks(TRUE);
            U_VIEW_bUnRegisterLayer(POS_MESSAGE_LAYER);
            vReleaseTimer();
        }
        break;
    case KEY_SDBV:
        if (u32Value == 0)
            H_DATABASE_bUpdateValueBoolean(KEY_CDSM, FALSE, P_NORMAL);
        break;
    case KEY_CSD0:
    case KEY_CSD1:
        if (s_bPOSMode && bCardHoldsScript(key == KEY_CSD0 ? 0 : 1))
            T_KEYBOARD_vRestartTutorial();
        break;
    default:
        break;
    }
}

void T_KEYBOARD_vPOSHandleKey(const MSG_KEY_CHANGE* pKey)
{
    if (pKey->key == KEY_EXIT) {
        vSetClicks(TRUE);
        if (pKey->state == KEY_DOWN) {
            T_KEYBOARD_vRestartTutorial();
            vStartTimer(POS_FREE_USE_TICKS);
            L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
        }
        return;
    }
    if (pKey->state != KEY_DOWN) {
        vSetClicks(FALSE);
        return;
    }
    vSetClicks(TRUE);
    if (pKey->key == KEY_CURSOR && pKey->cursor == CURSOR_EAST) {
        Lock lock;
        if (s_curBalloon.bMoreInfo && s_activeChapter < s_stackTop) {
            vResetEveryTask();
            ++s_activeChapter;
            s_u32CurOffset = s_chptStack[s_activeChapter].chapterStart;
            s_curBalloon.bMoreInfo = FALSE;
            L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
            return;
        }
    }
    L_SEMA_Signal(SEMA_KEYCLICK_BAD);
}

void T_KEYBOARD_vPOSRunSystem(void)
{
    if (u32State() != STATE_POINT_OF_SALE)
        return;
    s_bPOSMode = true;
    vSetClicks(FALSE);
    H_DATABASE_bRegisterForDataWithConditions(KEY_CSD0, KEYBOARD_MAILBOX, TRUE, FALSE, FALSE);
    H_DATABASE_bRegisterForDataWithConditions(KEY_CSD1, KEYBOARD_MAILBOX, TRUE, FALSE, FALSE);
    if (!s_bTutorialStarted) {
        Lock lock;
        s_exitBoxAnchor = {-1, -1};
        vStartTimer(STEP_TICKS);
    }
    if (!(s_bInTutorial && !s_bUseDefaultPOS)) {
        vRegisterLayer();
        vRequestFrame();
    }
    vResetEveryTask();
}

void T_KEYBOARD_vPOSStep(void)
{
    {
        Lock lock;
        if (!s_bTutorialStarted) {
            vStartTutorial();
        } else if (s_bUseDefaultPOS) {
            vScriptlessStep();
        } else {
            const TICKS tNext = tProcessScript();
            if (tNext != 0)
                vStartTimer(tNext);
        }
    }
    vSetClicks(FALSE);
}

void T_KEYBOARD_vRestartTutorial(void)
{
    Lock lock;
    vClearScriptState();
    s_bTutorialStarted = false;
    s_bInTutorial = false;
    s_bPOSKeyPressDetected = false;
    s_u32PreambleCount = PREAMBLE_RESTART;
    vFreeCardScript();
    s_pcScript = nullptr;
    s_u32ScriptSize = 0;
    vRemovePhoto();
    if (s_bKeysRegistered) {
        U_KEYBOARD_bUnregisterKeys(KEYBOARD_MAILBOX, ALL_BUT_POWER);
        s_bKeysRegistered = false;
    }
    H_DATABASE_bUpdateValueBoolean(KEY_CDSM, FALSE, P_NORMAL);
    vStartTimer(STEP_TICKS);
    vRequestFrame();
}

void T_KEYBOARD_vDrawPOSMessage(BITMAP* pBitmap, WINDOW_SPECIFICATION*)
{
    if (pBitmap == nullptr)
        return;
    Lock lock;
    if (s_bUseDefaultPOS) {
        const POS_SCRIPT_ITEM& step = s_scriptItems[(s_u32POSScriptIndex + SCRIPT_ITEMS - 1) % SCRIPT_ITEMS];
        if (step.pMessageString != nullptr) {
            const POINT at = step.anchor;
            U_DIALOG_vDrawMessageBlockOutlined(pBitmap, (*step.pMessageString)[nCurrentLanguage()],
                                               std_11x14_font_def_ptr.load(), 0, JUSTIFICATION_CENTER,
                                               JUSTIFICATION_BOTTOM, &at, step.boxWidth, colorAt(COLOR_BACK),
                                               colorAt(COLOR_FORE), colorAt(COLOR_FORE));
        }
        return;
    }
    if (s_scriptError != NO_ERROR) {
        vDrawError(pBitmap, s_scriptError);
    } else if (s_curBalloon.bActive) {
        if (s_bShowImage && s_pPhotoImage != nullptr)
            G_BMP_vCopyRegion(s_pPhotoImage, pBitmap, 0, 0, pBitmap->pixels_wide);
        vDrawBalloon(pBitmap, s_curBalloon);
    } else if (s_bShowImage && s_pPhotoImage != nullptr) {
        G_BMP_vCopyRegion(s_pPhotoImage, pBitmap, 0, 0, pBitmap->pixels_wide);
    }
    if (s_exitBoxAnchor.x >= 0 && s_exitBoxAnchor.y >= 0)
        vDrawExitPrompt(pBitmap);
}

// ---- The script player ----

void T_KEYBOARD_vPOSUseScript(const char* pcData, U32 u32Size)
{
    Lock lock;
    vFreeCardScript();
    vClearScriptState();
    s_pcScript = pcData;
    s_u32ScriptSize = pcData != nullptr ? u32Size : 0;
    s_bUseDefaultPOS = s_u32ScriptSize == 0;
    s_bTutorialStarted = true;
    s_bInTutorial = true;
    s_u32PreambleCount = 0;
}

TICKS T_KEYBOARD_tProcessPOSScript(void)
{
    Lock lock;
    return tProcessScript();
}

ERROR_CODE T_KEYBOARD_ePOSError(void)
{
    Lock lock;
    return s_scriptError;
}

D_BALLOON T_KEYBOARD_sPOSBalloon(void)
{
    Lock lock;
    return s_curBalloon;
}

U32 T_KEYBOARD_u32POSOffset(void)
{
    Lock lock;
    return s_u32CurOffset;
}

S8 T_KEYBOARD_s8POSActiveChapter(void)
{
    Lock lock;
    return s_activeChapter;
}

S8 T_KEYBOARD_s8POSStackTop(void)
{
    Lock lock;
    return s_stackTop;
}

POINT T_KEYBOARD_sPOSExitAnchor(void)
{
    Lock lock;
    return s_exitBoxAnchor;
}

const char* T_KEYBOARD_pcPOSErrorText(ERROR_CODE eError)
{
    if ((int)eError < 0 || (size_t)eError >= sizeof errorMessages / sizeof errorMessages[0])
        return "";
    return errorMessages[eError];
}
