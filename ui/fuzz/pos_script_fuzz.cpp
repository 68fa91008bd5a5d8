// Fuzz target of the store-demo script player: any bytes as a script, played
// line by line and drawn. The player stays inside the data and its buffers,
// its chapter stack keeps its bounds, and an error only stops play.
#include "graphics/g_buffers.h"
#include "graphics/u_fonts.h"
#include "kernel/lm_log.h"
#include "store/h_database.h"
#include "ui/t_keyboard_pos.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int STEPS = 64;

// SET lines get one of eight keys, so that a long run does not fill the
// data store (its keys are never freed).
void vTameSetKeys(char* pc, size_t n)
{
    size_t start = 0;
    for (size_t i = 0; i <= n; ++i) {
        if (i < n && pc[i] != '\n' && pc[i] != '\r')
            continue;
        char* line = pc + start;
        while (line < pc + i && (*line == ' ' || *line == '\t'))
            ++line;
        if (pc + i - line >= 8 && toupper((unsigned char)line[0]) == 'S' &&
            toupper((unsigned char)line[1]) == 'E' && toupper((unsigned char)line[2]) == 'T')
            memcpy(line + 4, "FZ0", 3), line[7] = (char)('0' + (line[7] & 7));
        start = i + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    opt_nolog = TRUE;
    H_DATABASE_vInit();
    U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 1 << 16)
        return 0;
    // An exact-size copy, so that a read past the end is caught.
    char* pcScript = static_cast<char*>(malloc(size));
    memcpy(pcScript, data, size);
    vTameSetKeys(pcScript, size);
    T_KEYBOARD_vPOSUseScript(pcScript, (U32)size);
    BITMAP* pScreen = G_BUFFERS_pCreateFullScreenBitmap();
    for (int i = 0; i < STEPS; ++i) {
        const TICKS tNext = T_KEYBOARD_tProcessPOSScript();
        if (T_KEYBOARD_u32POSOffset() >= size)
            abort();
        const S8 top = T_KEYBOARD_s8POSStackTop();
        const S8 active = T_KEYBOARD_s8POSActiveChapter();
        if (top < -1 || top >= POS_CHAPTER_STACK || active > top || active < -1)
            abort();
        const D_BALLOON b = T_KEYBOARD_sPOSBalloon();
        if (memchr(b.title, '\0', sizeof b.title) == nullptr || memchr(b.text, '\0', sizeof b.text) == nullptr)
            abort();
        if (pScreen != nullptr && i % 16 == 0)
            T_KEYBOARD_vDrawPOSMessage(pScreen, nullptr);
        if (tNext == 0) {
            if (T_KEYBOARD_ePOSError() == NO_ERROR)
                abort();
            break;
        }
    }
    if (pScreen != nullptr)
        G_BUFFERS_vFreeFullScreenBitmap(pScreen);
    T_KEYBOARD_vPOSUseScript(nullptr, 0);
    free(pcScript);
    return 0;
}
