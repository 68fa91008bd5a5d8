// The display backlight.
//
// Revision word: the decimal number in the first four bytes of the board's
// system_id parameter, 0 when it cannot be read. Its low four bits are the
// board identity, the next four the display kind; board 2 with any display
// kind but 0 has the KOE panel and its own level table.
//
// The functions run in the display task (and the PC-connect screen); the
// level itself lives in the data store, which guards it.
#include "platform/h_backlight.h"

#include "kernel/l_root.h"
#include "kernel/lm_log.h"
#include "store/h_database.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr const char* SOURCE = "./Working/SOURCE/h_backlight";
constexpr const char* REVISION_FILE = "/sys/module/board_am335x_caldrun/parameters/system_id";
constexpr const char* ANALOG_FILE = "/sys/class/backlight/lcd-bl/brightness";
constexpr const char* DIGITAL_FILE = "/sys/class/backlight/pwm-backlight/brightness";
constexpr FOURCHARID KEY_CBAK = FCID("CBAK");
constexpr U32 KOE_BOARD = 2;
constexpr size_t PATH_BYTES = 4096;

constexpr BACKLIGHT_LEVELS s_nBacklightLevels[DISPLAY_BACKLIGHT_MAX + 1] = {
    {10, 2}, {21, 2}, {41, 2}, {52, 10}, {69, 20}, {66, 41}, {74, 60}, {93, 100}, {168, 100}, {222, 100}, {255, 100}};
constexpr BACKLIGHT_LEVELS s_nBacklightLevelsKOE[DISPLAY_BACKLIGHT_MAX + 1] = {
    {23, 6}, {24, 8}, {30, 8}, {35, 12}, {41, 16}, {41, 29}, {49, 46}, {74, 71}, {99, 100}, {171, 100}, {255, 100}};

const char* Light[DB_NUM_LANGUAGES] = {"Light", "Light", "Light", "Light", "Light", "Light", "Light", "Light",
                                       "Light", "Light", "Light", "Light", "Light", "Light", "Light", "Light",
                                       "Light", "Light", "Light", "Light", "Light", "Light"};

U32 s_nRevisionBits = 0;
U32 s_BacklightLevelSaved = 0;

U32 u32ReadRevisionBits(void)
{
    char acPath[PATH_BYTES];
    int fd = open(L_ROOT_pcResolve(REVISION_FILE, acPath, sizeof acPath), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char acText[5] = "";
    ssize_t n = read(fd, acText, 4);
    close(fd);
    acText[n > 0 ? n : 0] = '\0';
    return (U32)strtoul(acText, nullptr, 10);
}

// The value replaces what the file held. Nothing is cut before both files
// are open, so a level that cannot be applied leaves both as they were.
bool bWriteNumber(int fd, S32 s32Value)
{
    char acText[16];
    int len = snprintf(acText, sizeof acText, "%d", s32Value);
    int rc = ftruncate(fd, 0); // a sysfs attribute ignores it; the write still counts
    (void)rc;
    return write(fd, acText, (size_t)len) == len;
}

} // namespace

void H_BACKLIGHT_vSetup(MBOX mailbox)
{
    s_nRevisionBits = u32ReadRevisionBits();
    log_me("%s %d: Revision bits = 0x%08x", SOURCE, __LINE__, s_nRevisionBits);

    DB_DATA_TYPE dbLevel = {};
    dbLevel.u32Val = DISPLAY_BACKLIGHT_DEFAULT;
    DB_ATTRIBUTES attributes = {D_UNKNOWN, &Light, DB_TIMEOUT_NEVER};
    H_DATABASE_vReadOrSetDefault(KEY_CBAK, &dbLevel, P_NORMAL, &attributes);
    H_DATABASE_bRegisterForDataWithConditions(KEY_CBAK, mailbox, TRUE, FALSE, FALSE);

    U32 u32Level = DISPLAY_BACKLIGHT_DEFAULT;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(KEY_CBAK, &u32Level, &bValid, nullptr) || !bValid)
        u32Level = DISPLAY_BACKLIGHT_DEFAULT;
    H_BACKLIGHT_vChangeIntensity((DISPLAY_BACKLIGHT)u32Level);
}

void H_BACKLIGHT_vChangeIntensity(DISPLAY_BACKLIGHT level)
{
    if ((U32)level > DISPLAY_BACKLIGHT_MAX)
        return;
    char acPath[PATH_BYTES];
    int fdAnalog = open(L_ROOT_pcResolve(ANALOG_FILE, acPath, sizeof acPath), O_WRONLY | O_CLOEXEC);
    if (fdAnalog < 0)
        return;
    int fdDigital = open(L_ROOT_pcResolve(DIGITAL_FILE, acPath, sizeof acPath), O_WRONLY | O_CLOEXEC);
    if (fdDigital < 0) {
        close(fdAnalog);
        return;
    }
    const bool bKOE = (s_nRevisionBits & 0x0F) == KOE_BOARD && (s_nRevisionBits & 0xF0) != 0;
    const BACKLIGHT_LEVELS& row = bKOE ? s_nBacklightLevelsKOE[level] : s_nBacklightLevels[level];
    // A brightness file that refuses the value leaves the panel as it was.
    bWriteNumber(fdAnalog, row.analog);
    bWriteNumber(fdDigital, row.digital);
    close(fdDigital);
    close(fdAnalog);
}

BOOLEAN H_BACKLIGHT_bChange(S32 amount)
{
    U32 u32Level = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(KEY_CBAK, &u32Level, &bValid, nullptr) || !bValid)
        return FALSE;
    const S64 s64Sum = (S64)u32Level + amount;
    S64 s64New;
    if (amount > 0 && u32Level <= 9)
        s64New = s64Sum > (S64)DISPLAY_BACKLIGHT_MAX ? (S64)DISPLAY_BACKLIGHT_MAX : s64Sum;
    else if (amount < 0 && u32Level > 0)
        s64New = s64Sum < 0 ? 0 : s64Sum;
    else
        return FALSE;
    H_DATABASE_bUpdateValueU32(KEY_CBAK, (U32)s64New, P_NORMAL);
    return TRUE;
}

void H_BACKLIGHT_vSave(void)
{
    U32 u32Level = 0;
    BOOLEAN bValid = FALSE;
    if (H_DATABASE_bFetchU32(KEY_CBAK, &u32Level, &bValid, nullptr) && bValid)
        s_BacklightLevelSaved = u32Level;
}

void H_BACKLIGHT_vRestore(void)
{
    H_DATABASE_bUpdateValueU32(KEY_CBAK, s_BacklightLevelSaved, P_NORMAL);
}

void H_BACKLIGHT_vProcessRevisionBits(U32) {}
