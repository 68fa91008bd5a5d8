// The network address editor and the address texts (see the header).
//
// The cursor key walks two 10 x 4 tables indexed by the form's state and
// the direction (up, right, down, left): a cell with an action runs it,
// otherwise its next state, when there is one, becomes the state. A row
// change clicks on every repeat, so a held key is heard stepping; an octet
// change clicks on the first press only, so a held key does not drown the
// count in clicks.
//
// Octets are edited in their text form, three digits at characters 0, 4,
// 8 and 12, and packed into the data store's U32 only when saved.
#include "system/t_startup_edit.h"

#include "graphics/color.h"
#include "graphics/g_box.h"
#include "graphics/g_icon.h"
#include "graphics/g_line.h"
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "kernel/h_memory.h"
#include "kernel/l_sema.h"
#include "store/h_database.h"
#include "store/lang.h"
#include "ui/menu_icons.h"
#include "ui/u_dialog.h"
#include "ui/u_menu.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

#define ALL_LANGUAGES(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}

TEXT_TABLE IP_Address_Setup = ALL_LANGUAGES("IP Address Setup");
TEXT_TABLE Mode = ALL_LANGUAGES("Mode");
TEXT_TABLE Dynamic = ALL_LANGUAGES("Dynamic");
TEXT_TABLE Static = ALL_LANGUAGES("Static");
TEXT_TABLE Address = ALL_LANGUAGES("Address");
TEXT_TABLE Subnet = ALL_LANGUAGES("Subnet");
TEXT_TABLE Mask = ALL_LANGUAGES("Mask");
TEXT_TABLE Default = ALL_LANGUAGES("Default");
TEXT_TABLE Gateway = ALL_LANGUAGES("Gateway");
TEXT_TABLE Save = ALL_LANGUAGES("Save");
TEXT_TABLE Save_Changes = ALL_LANGUAGES("Save Changes?");
TEXT_TABLE Confirm = ALL_LANGUAGES("Confirm:");
TEXT_TABLE Yes = ALL_LANGUAGES("Yes");
TEXT_TABLE No = ALL_LANGUAGES("No");

constexpr MBOX STARTUP_MAILBOX = 17;
constexpr MBOX ETHERNET_MAILBOX = 45;
constexpr PRIORITY SAVE_MAIL_PRIORITY = 3;

constexpr U32 KEYS_BUT_CURSOR = 0xFFEF;
constexpr U32 KEYS_BUT_POWER = 0xFFFE;

constexpr FOURCHARID KEY_SIPD = FCID("SIPD");
constexpr FOURCHARID KEY_SIPA = FCID("SIPA");
constexpr FOURCHARID KEY_SIPM = FCID("SIPM");
constexpr FOURCHARID KEY_SIPG = FCID("SIPG");
constexpr FOURCHARID KEY_SMAC = FCID("SMAC");

// A locally administered unicast prefix: the unit's own part follows it.
constexpr U8 MAC_PREFIX[3] = {0x02, 0x56, 0x44};

constexpr U16 CONF_WRAP_WIDTH = 533;
constexpr int CONF_MAX_LINES = 10;
constexpr size_t CONF_LINE_CHARS = 99;

constexpr S32 LAST_OCTET = 12;

// Colour-table entries.
constexpr U32 INFO_BACKGROUND = 128;
constexpr U32 INFO_LIGHT = 129;
constexpr U32 INFO_DARK = 130;
constexpr U32 INFO_TEXT = 131;
constexpr U32 MENU_NAVY = 67;
constexpr U32 MENU_BLACK = 68;
constexpr U32 MENU_LIGHT_GREEN = 71;

typedef struct tag_STARTUP_CONF_NODE {
    struct tag_STARTUP_CONF_NODE* pNext;
    char* pStatement; // our own copy: the lines point into it
    U32 nLang;
    int nLines;
    LINEOFTEXT lines[CONF_MAX_LINES];
    STARTUP_CONF_FUNCTION* pYes;
    STARTUP_CONF_FUNCTION* pNo;
} STARTUP_CONF_NODE;

// Recursive: the Save row's action is also a public entry.
std::recursive_mutex s_lock;
STARTUP_EDIT_STATE s_eStartupEditState = STARTUP_EDIT_NONE;
IP_ADDRESS_EDIT s_IPAddressEdit = {};
STARTUP_CONF_NODE* s_pConf = nullptr;

typedef std::lock_guard<std::recursive_mutex> Guard;

const char* text(const TEXT_TABLE& table, U32 u32Lang) { return table[u32Lang < DB_NUM_LANGUAGES ? u32Lang : 0]; }

void frameRequest(void) { L_SEMA_Signal(SEMA_VIEW_UPDATE); }

U32 fetchU32(FOURCHARID fcid)
{
    U32 u32Value = 0;
    if (!H_DATABASE_bFetchU32(fcid, &u32Value, nullptr, nullptr))
        return 0;
    return u32Value;
}

bool bIsDigit(char c) { return c >= '0' && c <= '9'; }

// "a.b.c.d" with at most four parts, each part's decimal number cut to its
// low 8 bits, part 1 in bits 31-24; missing parts are 0.
U32 u32PackAddress(const char* sText)
{
    U32 u32Packed = 0;
    const char* p = sText;
    for (int part = 0; part < 4; ++part) {
        U32 u32Part = 0;
        while (bIsDigit(*p))
            u32Part = u32Part * 10 + (U32)(*p++ - '0');
        while (*p != '\0' && *p != '.')
            ++p;
        u32Packed |= (u32Part & 0xFF) << (8 * (3 - part));
        if (*p == '.')
            ++p;
    }
    return u32Packed;
}

void vTakeKeys(void)
{
    U_KEYBOARD_bRegisterKeys(STARTUP_MAILBOX, KEYS_BUT_CURSOR, KEY_DOWN, FALSE, FALSE, NOT_CURSOR_KEY,
                             REGISTER_DIALOG_BOX);
    U_KEYBOARD_bRegisterKeys(STARTUP_MAILBOX, KEY_CURSOR, KEY_DOWN, TRUE, TRUE, CURSOR_4, REGISTER_DIALOG_BOX);
}

void vCloseEditor(void)
{
    if (s_eStartupEditState == STARTUP_EDIT_NONE)
        return;
    s_eStartupEditState = STARTUP_EDIT_NONE;
    U_KEYBOARD_bUnregisterKeys(STARTUP_MAILBOX, KEYS_BUT_POWER);
    U_VIEW_bUnRegisterLayer(STARTUP_EDIT_LAYER);
    frameRequest();
}

// ---- Actions of the cursor table; each returns TRUE ----

BOOLEAN T_STARTUP_EDIT_bEditModeDown(void)
{
    s_IPAddressEdit.eState = s_IPAddressEdit.nMode != 0 ? IPA_EDIT_SAVE : IPA_EDIT_ADDR;
    return TRUE;
}

BOOLEAN T_STARTUP_EDIT_bEditSaveUp(void)
{
    s_IPAddressEdit.eState = s_IPAddressEdit.nMode != 0 ? IPA_EDIT_MODE : IPA_EDIT_GATE;
    return TRUE;
}

BOOLEAN T_STARTUP_EDIT_bEditToggleMode(void)
{
    s_IPAddressEdit.nMode = s_IPAddressEdit.nMode == 0 ? 1 : 0;
    s_IPAddressEdit.bDirty = TRUE;
    return TRUE;
}

// The octet at nPosition, one up or down, wrapping 255 <-> 0, written back
// as three digits in place.
BOOLEAN bOctetStep(char* s, int nDelta)
{
    const S32 p = std::clamp<S32>(s_IPAddressEdit.nPosition, 0, LAST_OCTET);
    int nValue = 0;
    for (int i = 0; i < 3 && bIsDigit(s[p + i]); ++i)
        nValue = nValue * 10 + (s[p + i] - '0');
    nValue = nDelta > 0 ? (nValue >= 255 ? 0 : nValue + 1) : (nValue <= 0 ? 255 : nValue - 1);
    s[p] = (char)('0' + nValue / 100);
    s[p + 1] = (char)('0' + nValue / 10 % 10);
    s[p + 2] = (char)('0' + nValue % 10);
    s_IPAddressEdit.bDirty = TRUE;
    return TRUE;
}

// The next octet; past the last one the Save row.
BOOLEAN bOctetRight(const char* s)
{
    S32 p = s_IPAddressEdit.nPosition + 4;
    while (p <= LAST_OCTET && s[p] != '\0' && !bIsDigit(s[p]))
        p += 4;
    if (p > LAST_OCTET || s[p] == '\0') {
        s_IPAddressEdit.nPosition = 0;
        s_IPAddressEdit.eState = IPA_EDIT_SAVE;
    } else {
        s_IPAddressEdit.nPosition = p;
    }
    return TRUE;
}

// The previous octet; before the first one the row.
BOOLEAN bOctetLeft(const char* s, IPA_EDIT_STATE eRow)
{
    S32 p = std::clamp<S32>(s_IPAddressEdit.nPosition, 0, LAST_OCTET);
    if (p == 0 || s[p] == '\0') {
        s_IPAddressEdit.nPosition = 0;
        s_IPAddressEdit.eState = eRow;
        return TRUE;
    }
    do
        p -= 4;
    while (p > 0 && !bIsDigit(s[p]));
    s_IPAddressEdit.nPosition = std::max<S32>(p, 0);
    return TRUE;
}

BOOLEAN T_STARTUP_EDIT_bEditAddrUp(void) { return bOctetStep(s_IPAddressEdit.sIPAddress, 1); }
BOOLEAN T_STARTUP_EDIT_bEditAddrDown(void) { return bOctetStep(s_IPAddressEdit.sIPAddress, -1); }
BOOLEAN T_STARTUP_EDIT_bEditAddrRight(void) { return bOctetRight(s_IPAddressEdit.sIPAddress); }
BOOLEAN T_STARTUP_EDIT_bEditAddrLeft(void) { return bOctetLeft(s_IPAddressEdit.sIPAddress, IPA_EDIT_ADDR); }
BOOLEAN T_STARTUP_EDIT_bEditMaskUp(void) { return bOctetStep(s_IPAddressEdit.sSubnetMask, 1); }
BOOLEAN T_STARTUP_EDIT_bEditMaskDown(void) { return bOctetStep(s_IPAddressEdit.sSubnetMask, -1); }
BOOLEAN T_STARTUP_EDIT_bEditMaskRight(void) { return bOctetRight(s_IPAddressEdit.sSubnetMask); }
BOOLEAN T_STARTUP_EDIT_bEditMaskLeft(void) { return bOctetLeft(s_IPAddressEdit.sSubnetMask, IPA_EDIT_MASK); }
BOOLEAN T_STARTUP_EDIT_bEditGateUp(void) { return bOctetStep(s_IPAddressEdit.sDefaultGateway, 1); }
BOOLEAN T_STARTUP_EDIT_bEditGateDown(void) { return bOctetStep(s_IPAddressEdit.sDefaultGateway, -1); }
BOOLEAN T_STARTUP_EDIT_bEditGateRight(void) { return bOctetRight(s_IPAddressEdit.sDefaultGateway); }
BOOLEAN T_STARTUP_EDIT_bEditGateLeft(void) { return bOctetLeft(s_IPAddressEdit.sDefaultGateway, IPA_EDIT_GATE); }

typedef BOOLEAN IPA_ACTION(void);

// Columns: up, right, down, left.
IPA_ACTION* const s_apAction[IPA_EDIT_STATE_COUNT][4] = {
    /* NONE       */ {nullptr, nullptr, nullptr, nullptr},
    /* MODE       */ {nullptr, nullptr, T_STARTUP_EDIT_bEditModeDown, nullptr},
    /* MODE_VALUE */ {T_STARTUP_EDIT_bEditToggleMode, nullptr, T_STARTUP_EDIT_bEditToggleMode, nullptr},
    /* ADDR       */ {nullptr, nullptr, nullptr, nullptr},
    /* ADDR_VALUE */ {T_STARTUP_EDIT_bEditAddrUp, T_STARTUP_EDIT_bEditAddrRight, T_STARTUP_EDIT_bEditAddrDown,
                      T_STARTUP_EDIT_bEditAddrLeft},
    /* MASK       */ {nullptr, nullptr, nullptr, nullptr},
    /* MASK_VALUE */ {T_STARTUP_EDIT_bEditMaskUp, T_STARTUP_EDIT_bEditMaskRight, T_STARTUP_EDIT_bEditMaskDown,
                      T_STARTUP_EDIT_bEditMaskLeft},
    /* GATE       */ {nullptr, nullptr, nullptr, nullptr},
    /* GATE_VALUE */ {T_STARTUP_EDIT_bEditGateUp, T_STARTUP_EDIT_bEditGateRight, T_STARTUP_EDIT_bEditGateDown,
                      T_STARTUP_EDIT_bEditGateLeft},
    /* SAVE       */ {T_STARTUP_EDIT_bEditSaveUp, T_STARTUP_EDIT_bEditSave, nullptr, nullptr},
};

// Consulted where a cell has no action; IPA_EDIT_NONE does nothing.
const IPA_EDIT_STATE s_aeNextState[IPA_EDIT_STATE_COUNT][4] = {
    /* NONE       */ {IPA_EDIT_NONE, IPA_EDIT_NONE, IPA_EDIT_NONE, IPA_EDIT_NONE},
    /* MODE       */ {IPA_EDIT_MODE, IPA_EDIT_MODE_VALUE, IPA_EDIT_NONE, IPA_EDIT_MODE},
    /* MODE_VALUE */ {IPA_EDIT_NONE, IPA_EDIT_NONE, IPA_EDIT_NONE, IPA_EDIT_MODE},
    /* ADDR       */ {IPA_EDIT_MODE, IPA_EDIT_ADDR_VALUE, IPA_EDIT_MASK, IPA_EDIT_ADDR},
    /* ADDR_VALUE */ {IPA_EDIT_NONE, IPA_EDIT_NONE, IPA_EDIT_NONE, IPA_EDIT_NONE},
    /* MASK       */ {IPA_EDIT_ADDR, IPA_EDIT_MASK_VALUE, IPA_EDIT_GATE, IPA_EDIT_MASK},
    /* MASK_VALUE */ {IPA_EDIT_NONE, IPA_EDIT_NONE, IPA_EDIT_NONE, IPA_EDIT_NONE},
    /* GATE       */ {IPA_EDIT_MASK, IPA_EDIT_GATE_VALUE, IPA_EDIT_SAVE, IPA_EDIT_GATE},
    /* GATE_VALUE */ {IPA_EDIT_NONE, IPA_EDIT_NONE, IPA_EDIT_NONE, IPA_EDIT_NONE},
    /* SAVE       */ {IPA_EDIT_NONE, IPA_EDIT_NONE, IPA_EDIT_SAVE, IPA_EDIT_NONE},
};

// The table column of a cursor direction, or -1 for one the form ignores.
int nColumnOf(CURSOR_POSITION eCursor)
{
    switch (eCursor) {
    case CURSOR_NORTH:
        return 0;
    case CURSOR_EAST:
        return 1;
    case CURSOR_SOUTH:
        return 2;
    case CURSOR_WEST:
        return 3;
    default:
        return -1;
    }
}

bool bIsValueState(IPA_EDIT_STATE eState)
{
    return eState == IPA_EDIT_MODE_VALUE || eState == IPA_EDIT_ADDR_VALUE || eState == IPA_EDIT_MASK_VALUE ||
           eState == IPA_EDIT_GATE_VALUE;
}

void vQueueConfirmation(const char* pStatement, STARTUP_CONF_FUNCTION* pYes, STARTUP_CONF_FUNCTION* pNo)
{
    auto* pNode = static_cast<STARTUP_CONF_NODE*>(H_MEMORY_pvMalloc(sizeof(STARTUP_CONF_NODE)));
    memset(static_cast<void*>(pNode), 0, sizeof *pNode);
    pNode->pStatement = U_UTILS_strdup(pStatement != nullptr ? pStatement : "");
    pNode->nLang = nCurrentLanguage();
    // The wrap may give twice the lines a confirmation shows.
    LINEOFTEXT aLines[U_DIALOG_MAX_LINES];
    const U16 n = U_DIALOG_u16ExtractTextIntoLines(pNode->pStatement, aLines, std_16x17_font_def_ptr.load(),
                                                   CONF_WRAP_WIDTH);
    pNode->nLines = std::min<int>(n, CONF_MAX_LINES);
    std::copy(aLines, aLines + pNode->nLines, pNode->lines);
    pNode->pYes = pYes;
    pNode->pNo = pNo;

    STARTUP_CONF_NODE** ppTail = &s_pConf;
    while (*ppTail != nullptr)
        ppTail = &(*ppTail)->pNext;
    const bool bWasEmpty = s_pConf == nullptr;
    *ppTail = pNode;
    if (bWasEmpty) {
        vTakeKeys();
        U_VIEW_bRegisterLayer(T_STARTUP_EDIT_vRenderConf, STARTUP_CONF_LAYER, USED_BY_ALL, 0, 0, TRUE, nullptr,
                              nullptr, nullptr);
    }
    frameRequest();
}

void vRemoveConfirmation(STARTUP_CONF_NODE* pNode)
{
    for (STARTUP_CONF_NODE** pp = &s_pConf; *pp != nullptr; pp = &(*pp)->pNext) {
        if (*pp != pNode)
            continue;
        *pp = pNode->pNext;
        H_MEMORY_vFree(pNode->pStatement);
        H_MEMORY_vFree(pNode);
        if (s_pConf == nullptr) {
            U_KEYBOARD_bUnregisterKeys(STARTUP_MAILBOX, KEYS_BUT_POWER);
            U_VIEW_bUnRegisterLayer(STARTUP_CONF_LAYER);
        }
        return;
    }
}

// Stores what changed, mails what is stored, closes the editor.
void vSaveAndSend(void)
{
    auto* pMail = static_cast<MSG_SAVE_IP_SETUP*>(H_MEMORY_pvMalloc(sizeof(MSG_SAVE_IP_SETUP)));
    memset(static_cast<void*>(pMail), 0, sizeof *pMail);
    if (s_IPAddressEdit.bDirty) {
        H_DATABASE_bUpdateValueU32(KEY_SIPD, s_IPAddressEdit.nMode, P_NORMAL);
        if (s_IPAddressEdit.nMode == 0) {
            H_DATABASE_bUpdateValueU32(KEY_SIPA, u32PackAddress(s_IPAddressEdit.sIPAddress), P_NORMAL);
            H_DATABASE_bUpdateValueU32(KEY_SIPM, u32PackAddress(s_IPAddressEdit.sSubnetMask), P_NORMAL);
            H_DATABASE_bUpdateValueU32(KEY_SIPG, u32PackAddress(s_IPAddressEdit.sDefaultGateway), P_NORMAL);
        }
    }
    // Also after a save without changes: the Ethernet task rewrites the
    // interface from these texts whatever bChanged says.
    pMail->bDynamic = fetchU32(KEY_SIPD) != 0 ? TRUE : FALSE;
    if (!pMail->bDynamic) {
        T_STARTUP_EDIT_vFormatAddressLinux(KEY_SIPA, pMail->sIPAddress);
        T_STARTUP_EDIT_vFormatAddressLinux(KEY_SIPM, pMail->sSubnetMask);
        T_STARTUP_EDIT_vFormatAddressLinux(KEY_SIPG, pMail->sDefaultGateway);
    }
    pMail->header.Cmd = CMD_ID_SAVE_IP_SETUP;
    pMail->bChanged = s_IPAddressEdit.bDirty;
    if (L_MBOX_Send(ETHERNET_MAILBOX, &pMail->header.msghdr, SAVE_MAIL_PRIORITY, 0) != 0)
        H_MEMORY_vFree(pMail);
    vCloseEditor();
}

// ---- Drawing ----

COLOR colorAt(U32 u32Index) { return gCOLOR_pcolColorTable[u32Index]; }

S32 width(const FONT_DEF* pFont, const char* pc)
{
    return (S32)G_STRING_u32GetWidth(pFont, reinterpret_cast<const BYTE*>(pc));
}

void drawText(BITMAP* pBitmap, U32 u32Color, S32 x, S32 y, const FONT_DEF* pFont, const char* pc)
{
    POINT at = {x, y};
    G_STRING_vPut(pBitmap, colorAt(u32Color), &at, pFont, reinterpret_cast<const BYTE*>(pc));
}

void outline(BITMAP* pBitmap, U32 u32Color, S32 x, S32 y, S32 w, S32 h, U32 u32Radius)
{
    const POINT at = {x, y};
    G_BOX_vDrawRounded(pBitmap, colorAt(u32Color), &at, (U32)std::max(w, 0), (U32)std::max(h, 0), u32Radius);
}

void fill(BITMAP* pBitmap, U32 u32Color, S32 x, S32 y, S32 w, S32 h, U32 u32Radius)
{
    const POINT at = {x, y};
    G_BOX_vDrawRoundedFilled(pBitmap, colorAt(u32Color), &at, (U32)std::max(w, 0), (U32)std::max(h, 0),
                             u32Radius);
}

constexpr S32 LABEL_X = 230;
constexpr S32 VALUE_BOX_X = 362;
constexpr S32 VALUE_TEXT_X = 370;
constexpr S32 ADDRESS_BOX_WIDTH = 212;
constexpr S32 VALUE_BOX_HEIGHT = 27;

// A row's label, one line or two (the upper one font height above), and
// the marker of a selected row.
void drawLabel(BITMAP* pBitmap, const FONT_DEF* pFont, const char* pcUpper, const char* pcLower, S32 y,
               bool bSelected)
{
    const S32 w = std::max(pcUpper != nullptr ? width(pFont, pcUpper) : 0, width(pFont, pcLower));
    if (bSelected) {
        const S32 h = pcUpper != nullptr ? 44 : 24;
        fill(pBitmap, INFO_BACKGROUND, 226, y - 4, w + 17, h - 2, 2);
        outline(pBitmap, INFO_DARK, 225, y - 5, w + 19, h, 3);
        U_MENU_vDrawArrowRight(pBitmap, POINT{w + 231, y}, 14, colorAt(INFO_TEXT));
    }
    if (pcUpper != nullptr)
        drawText(pBitmap, INFO_TEXT, LABEL_X, y + (S32)G_FONTS_u32GetHeight(pFont), pFont, pcUpper);
    drawText(pBitmap, INFO_TEXT, LABEL_X, y, pFont, pcLower);
}

// An address value: its box, and the text; under edit the box is white and
// the octet at nPosition stands in its own outline between two arrows.
void drawAddress(BITMAP* pBitmap, const FONT_DEF* pFont, const char* s, S32 boxY, bool bEditing, U32 u32Color)
{
    const S32 textY = boxY + 5;
    if (!bEditing) {
        outline(pBitmap, INFO_DARK, VALUE_BOX_X, boxY, ADDRESS_BOX_WIDTH, VALUE_BOX_HEIGHT, 3);
        drawText(pBitmap, u32Color, VALUE_TEXT_X, textY, pFont, s);
        return;
    }
    fill(pBitmap, INFO_BACKGROUND, VALUE_BOX_X, boxY + 1, ADDRESS_BOX_WIDTH, 25, 3);
    outline(pBitmap, INFO_DARK, VALUE_BOX_X, boxY, ADDRESS_BOX_WIDTH, VALUE_BOX_HEIGHT, 3);
    const S32 nPosition = s_IPAddressEdit.nPosition;
    S32 x = VALUE_TEXT_X;
    for (S32 i = 0; s[i] != '\0';) {
        if (i != nPosition) {
            POINT at = {x, textY};
            G_FONTS_vPut(pBitmap, colorAt(u32Color), &at, pFont, (BYTE)s[i]);
            x += (S32)G_FONTS_u32GetWidth(pFont, (BYTE)s[i]);
            ++i;
            continue;
        }
        S32 w = 0;
        for (S32 k = 0; k < 3 && s[i + k] != '\0'; ++k)
            w += (S32)G_FONTS_u32GetWidth(pFont, (BYTE)s[i + k]);
        outline(pBitmap, INFO_DARK, x, textY - 3, w + 5, 23, 3);
        S32 cx = x + 3;
        for (S32 k = 0; k < 3 && s[i] != '\0'; ++k, ++i) {
            POINT at = {cx, textY};
            G_FONTS_vPut(pBitmap, colorAt(u32Color), &at, pFont, (BYTE)s[i]);
            cx += (S32)G_FONTS_u32GetWidth(pFont, (BYTE)s[i]);
        }
        U_MENU_vDrawArrowUp(pBitmap, POINT{x + w / 2 - 4, textY + 24}, 14, colorAt(INFO_TEXT));
        U_MENU_vDrawArrowDown(pBitmap, POINT{x + w / 2 - 4, textY - 7}, 14, colorAt(INFO_TEXT));
        x += w + 6;
    }
}

} // namespace

void T_STARTUP_EDIT_vIPAddressSetup(void)
{
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
    {
        Guard guard(s_lock);
        const bool bWasOpen = s_eStartupEditState == STARTUP_EDIT_IPADDRESS;
        s_eStartupEditState = STARTUP_EDIT_IPADDRESS;
        s_IPAddressEdit.eState = IPA_EDIT_MODE;
        s_IPAddressEdit.nPosition = 0;
        s_IPAddressEdit.nMode = fetchU32(KEY_SIPD);
        T_STARTUP_EDIT_vFormatAddress(KEY_SIPA, s_IPAddressEdit.sIPAddress);
        T_STARTUP_EDIT_vFormatAddress(KEY_SIPM, s_IPAddressEdit.sSubnetMask);
        T_STARTUP_EDIT_vFormatAddress(KEY_SIPG, s_IPAddressEdit.sDefaultGateway);
        s_IPAddressEdit.bDirty = FALSE;
        if (!bWasOpen) {
            vTakeKeys();
            U_VIEW_bRegisterLayer(T_STARTUP_EDIT_vRenderIPAddressSetup, STARTUP_EDIT_LAYER, USED_BY_ALL, 0, 0, TRUE,
                                  nullptr, nullptr, nullptr);
        }
    }
    frameRequest();
}

BOOLEAN T_STARTUP_EDIT_bHandleKeys(const MSG_KEY_CHANGE* pMsg)
{
    if (pMsg == nullptr)
        return FALSE;
    Guard guard(s_lock);
    if (s_eStartupEditState != STARTUP_EDIT_IPADDRESS)
        return FALSE;
    if (pMsg->key != KEY_CURSOR && pMsg->key != KEY_EXIT)
        return FALSE;
    if (pMsg->state != KEY_DOWN)
        return TRUE;

    if (pMsg->key == KEY_CURSOR) {
        const int nColumn = nColumnOf(pMsg->cursor);
        const IPA_EDIT_STATE eState = s_IPAddressEdit.eState;
        if (nColumn >= 0 && eState >= IPA_EDIT_NONE && eState < IPA_EDIT_STATE_COUNT) {
            if (IPA_ACTION* pAction = s_apAction[eState][nColumn]) {
                if (!pAction())
                    L_SEMA_Signal(SEMA_KEYCLICK_BAD);
                else if (pMsg->count == 1)
                    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
            } else if (s_aeNextState[eState][nColumn] != IPA_EDIT_NONE) {
                s_IPAddressEdit.eState = s_aeNextState[eState][nColumn];
                s_IPAddressEdit.nPosition = 0;
                L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
            }
        }
        frameRequest();
        return TRUE;
    }

    // EXIT: from a value back to its row; from a row out of the form,
    // asking first when anything changed.
    const IPA_EDIT_STATE eState = s_IPAddressEdit.eState;
    if (bIsValueState(eState)) {
        s_IPAddressEdit.eState = (IPA_EDIT_STATE)(eState - 1);
        s_IPAddressEdit.nPosition = 0;
        L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
    } else if (eState == IPA_EDIT_NONE) {
        vCloseEditor();
    } else {
        if (s_IPAddressEdit.bDirty)
            vQueueConfirmation(text(Save_Changes, nCurrentLanguage()), T_STARTUP_EDIT_vEditSave,
                               T_STARTUP_EDIT_vEditCancel);
        else
            vCloseEditor();
        L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
    }
    frameRequest();
    return TRUE;
}

BOOLEAN T_STARTUP_EDIT_bHandleConfKeys(const MSG_KEY_CHANGE* pMsg)
{
    if (pMsg == nullptr)
        return FALSE;
    STARTUP_CONF_NODE* pHead = nullptr;
    STARTUP_CONF_FUNCTION* pAnswer = nullptr;
    {
        Guard guard(s_lock);
        if (s_pConf == nullptr || (pMsg->key != KEY_CURSOR && pMsg->key != KEY_EXIT))
            return FALSE;
        if (pMsg->state != KEY_DOWN)
            return TRUE;
        if (pMsg->key == KEY_EXIT || pMsg->cursor == CURSOR_WEST) {
            pHead = s_pConf;
            pAnswer = pHead->pNo;
        } else if (pMsg->cursor == CURSOR_EAST) {
            pHead = s_pConf;
            pAnswer = pHead->pYes;
        } else {
            L_SEMA_Signal(SEMA_KEYCLICK_BAD);
        }
    }
    if (pHead != nullptr) {
        // The answer runs unlocked: it may wait on other tasks, whose
        // frames would wait on this lock.
        if (pAnswer != nullptr)
            pAnswer();
        else
            L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
        Guard guard(s_lock);
        vRemoveConfirmation(pHead);
    }
    frameRequest();
    return TRUE;
}

void T_STARTUP_EDIT_vResetState(void)
{
    Guard guard(s_lock);
    vCloseEditor();
}

void T_STARTUP_EDIT_vConfirmationSetup(const char* pStatement, STARTUP_CONF_FUNCTION* pYes,
                                       STARTUP_CONF_FUNCTION* pNo)
{
    Guard guard(s_lock);
    vQueueConfirmation(pStatement, pYes, pNo);
}

BOOLEAN T_STARTUP_EDIT_bEditSave(void)
{
    Guard guard(s_lock);
    vSaveAndSend();
    return TRUE;
}

void T_STARTUP_EDIT_vEditSave(void)
{
    {
        Guard guard(s_lock);
        vSaveAndSend();
    }
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
}

void T_STARTUP_EDIT_vEditCancel(void)
{
    {
        Guard guard(s_lock);
        vCloseEditor();
    }
    L_SEMA_Signal(SEMA_KEYCLICK_GOOD);
}

void T_STARTUP_EDIT_vFormatAddress(FOURCHARID fcid, char* sAddress)
{
    const U32 u = fetchU32(fcid);
    snprintf(sAddress, 16, "%03u.%03u.%03u.%03u", u >> 24, (u >> 16) & 0xFF, (u >> 8) & 0xFF, u & 0xFF);
}

void T_STARTUP_EDIT_vFormatAddressLinux(FOURCHARID fcid, char* sAddress)
{
    const U32 u = fetchU32(fcid);
    snprintf(sAddress, 16, "%u.%u.%u.%u", u >> 24, (u >> 16) & 0xFF, (u >> 8) & 0xFF, u & 0xFF);
}

void T_STARTUP_EDIT_vFormatMACAddress(char* sAddress)
{
    const U32 u = fetchU32(KEY_SMAC);
    snprintf(sAddress, MAC_ADDRESS_TEXT_SIZE, "%02x:%02x:%02x:%02x:%02x:%02x", MAC_PREFIX[0], MAC_PREFIX[1],
             MAC_PREFIX[2], (u >> 16) & 0xFF, (u >> 8) & 0xFF, u & 0xFF);
}

STARTUP_EDIT_STATE T_STARTUP_EDIT_eGetEditRecord(IP_ADDRESS_EDIT* pRecord)
{
    Guard guard(s_lock);
    if (pRecord != nullptr)
        *pRecord = s_IPAddressEdit;
    return s_eStartupEditState;
}

void T_STARTUP_EDIT_vRenderIPAddressSetup(BITMAP* pBitmap, WINDOW_SPECIFICATION* /*psWindowSpec*/)
{
    Guard guard(s_lock);
    const FONT_DEF* pBig = std_16x17_font_def_ptr.load();
    const FONT_DEF* pSmall = std_11x14_font_def_ptr.load();
    if (s_eStartupEditState != STARTUP_EDIT_IPADDRESS || pBitmap == nullptr || pBig == nullptr || pSmall == nullptr)
        return;
    const U32 lang = nCurrentLanguage();
    const S32 bitmapWidth = (S32)pBitmap->pixels_wide;
    const IP_ADDRESS_EDIT& r = s_IPAddressEdit;

    fill(pBitmap, INFO_BACKGROUND, 219, 79, 362, 402, 6);

    const char* pcTitle = text(IP_Address_Setup, lang);
    const S32 titleWidth = width(pBig, pcTitle);
    S32 S = titleWidth + 318 < bitmapWidth ? titleWidth + 319 : bitmapWidth;
    S = std::max(S, titleWidth);
    const S32 titleX = (bitmapWidth - S) / 2;
    fill(pBitmap, INFO_BACKGROUND, titleX, 482, S, 50, 6);
    outline(pBitmap, INFO_TEXT, titleX + 1, 483, S - 2, 48, 5);
    drawText(pBitmap, INFO_TEXT, (bitmapWidth - titleWidth) / 2, 498, pBig, pcTitle);

    outline(pBitmap, INFO_TEXT, 220, 80, 360, 400, 5);
    outline(pBitmap, INFO_TEXT, 221, 81, 358, 398, 3);
    fill(pBitmap, INFO_LIGHT, 222, 82, 356, 396, 3);

    // Mode.
    drawLabel(pBitmap, pSmall, nullptr, text(Mode, lang), 410, r.eState == IPA_EDIT_MODE);
    const char* pcMode = text(r.nMode != 0 ? Dynamic : Static, lang);
    const S32 modeWidth = width(pBig, pcMode);
    if (r.eState == IPA_EDIT_MODE_VALUE) {
        fill(pBitmap, INFO_BACKGROUND, VALUE_BOX_X, 411, modeWidth + 16, 25, 3);
        U_MENU_vDrawArrowUp(pBitmap, POINT{modeWidth / 2 + VALUE_BOX_X, 438}, 14, colorAt(INFO_TEXT));
        U_MENU_vDrawArrowDown(pBitmap, POINT{modeWidth / 2 + VALUE_BOX_X, 408}, 14, colorAt(INFO_TEXT));
    }
    outline(pBitmap, INFO_DARK, VALUE_BOX_X, 410, modeWidth + 16, VALUE_BOX_HEIGHT, 3);
    drawText(pBitmap, INFO_TEXT, VALUE_TEXT_X, 415, pBig, pcMode);

    // The three addresses, dimmed while the mode makes them unused.
    const U32 addressColor = r.nMode != 0 ? INFO_DARK : INFO_TEXT;
    drawLabel(pBitmap, pSmall, nullptr, text(Address, lang), 344, r.eState == IPA_EDIT_ADDR);
    drawAddress(pBitmap, pBig, r.sIPAddress, 344, r.eState == IPA_EDIT_ADDR_VALUE, addressColor);
    drawLabel(pBitmap, pSmall, text(Subnet, lang), text(Mask, lang), 278, r.eState == IPA_EDIT_MASK);
    drawAddress(pBitmap, pBig, r.sSubnetMask, 278, r.eState == IPA_EDIT_MASK_VALUE, addressColor);
    drawLabel(pBitmap, pSmall, text(Default, lang), text(Gateway, lang), 212, r.eState == IPA_EDIT_GATE);
    drawAddress(pBitmap, pBig, r.sDefaultGateway, 212, r.eState == IPA_EDIT_GATE_VALUE, addressColor);

    // Save: always framed; selected, white behind an arrow.
    const char* pcSave = text(Save, lang);
    const S32 saveWidth = width(pSmall, pcSave);
    if (r.eState == IPA_EDIT_SAVE) {
        fill(pBitmap, INFO_BACKGROUND, 225, 147, saveWidth + 17, 22, 2);
        U_MENU_vDrawArrowRight(pBitmap, POINT{saveWidth + 231, 151}, 14, colorAt(INFO_TEXT));
    }
    outline(pBitmap, INFO_DARK, 225, 146, saveWidth + 19, 24, 3);
    drawText(pBitmap, INFO_TEXT, LABEL_X, 151, pSmall, pcSave);
}

void T_STARTUP_EDIT_vRenderConf(BITMAP* pBitmap, WINDOW_SPECIFICATION* /*psWindowSpec*/)
{
    Guard guard(s_lock);
    const FONT_DEF* pFont = std_16x17_font_def_ptr.load();
    const STARTUP_CONF_NODE* pHead = s_pConf;
    if (pHead == nullptr || pBitmap == nullptr || pFont == nullptr)
        return;
    const U32 lang = pHead->nLang;
    const char* pcConfirm = text(Confirm, lang);
    const S32 iconWidth = (S32)G_ICON_u32GetWidth(&confirm_icon);

    S32 widest = 0;
    for (int i = 0; i < pHead->nLines; ++i)
        widest = std::max<S32>(widest, pHead->lines[i].u16WidthOfLine);
    const S32 L = pHead->nLines > 0 ? widest + 4 : 4;
    const S32 T = width(pFont, pcConfirm) + 2 * iconWidth;
    const S32 W = (L < T ? T : L) + 16;
    const S32 H = 24 * pHead->nLines + 78;
    const S32 X = ((S32)pBitmap->pixels_wide - W) / 2;
    const S32 Y = ((S32)pBitmap->pixels_high - H) / 2;
    const S32 top = Y + H - 1;

    outline(pBitmap, MENU_NAVY, X, Y, W, H, 5);
    outline(pBitmap, MENU_NAVY, X + 1, Y + 1, W - 2, H - 2, 3);
    fill(pBitmap, MENU_LIGHT_GREEN, X + 2, Y + 2, W - 4, H - 4, 3);
    POINT a = {X, top - 36}, b = {X + W - 1, top - 36};
    G_LINE_vDraw(pBitmap, colorAt(MENU_NAVY), &a, &b);

    const S32 confirmX = X + (W - width(pFont, pcConfirm)) / 2;
    drawText(pBitmap, MENU_BLACK, confirmX, top - 28, pFont, pcConfirm);
    const POINT icon = {confirmX - 6 - iconWidth, top - 29};
    G_ICON_vPut(pBitmap, &confirm_icon, &icon);

    for (int i = 0; i < pHead->nLines; ++i) {
        char acLine[CONF_LINE_CHARS + 1];
        const size_t n = std::min<size_t>(pHead->lines[i].u8NumberOfCharsInLine, CONF_LINE_CHARS);
        memcpy(acLine, pHead->lines[i].pcStartOfText, n);
        acLine[n] = '\0';
        drawText(pBitmap, MENU_BLACK, X + 10, top - 60 - 24 * i, pFont, acLine);
    }

    U_MENU_vDrawArrowLeft(pBitmap, POINT{X + 23, Y + 5}, 26, colorAt(MENU_BLACK));
    drawText(pBitmap, MENU_BLACK, X + 31, Y + 9, pFont, text(No, lang));
    const S32 rightAnchor = X + W - 24;
    U_MENU_vDrawArrowRight(pBitmap, POINT{rightAnchor, Y + 5}, 26, colorAt(MENU_BLACK));
    const char* pcYes = text(Yes, lang);
    drawText(pBitmap, MENU_BLACK, rightAnchor - 4 - width(pFont, pcYes), Y + 9, pFont, pcYes);
}
