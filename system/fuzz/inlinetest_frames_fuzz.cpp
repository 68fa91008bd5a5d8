// Fuzz target of the station's frames: arbitrary bytes through the frame
// receiver, whose complete frames go to the handlers that read their
// argument ("w", "r", "f", and the echo "i"); the same bytes also go to
// those handlers directly, cut into arguments of any length, and through
// the field parser of the factory tests. A frame never
// holds more than 512 argument characters, every buffer stays terminated
// and nothing is read or written outside it.
#include "system/t_inlinetest_state.h"

#include "kernel/l_queue.h"
#include "kernel/lm_log.h"
#include "platform/t_uart.h"
#include "store/h_database.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// The e-fuse polls wait 50 ms each; a few per input keep the run short.
int s_nPolls = 0;

void vPurgePort1(void) { L_QUEUE_Purge(T_UART_nGetQueue(1, TRUE)); }

void vCheckTerminated(const char* pcBuffer)
{
    if (memchr(pcBuffer, '\0', INLINETEST_FRAME_BYTES) == nullptr)
        abort();
}

void vRunHandler(U8 u8Letter, char* pcBuffer)
{
    switch (u8Letter) {
    case 'w':
        T_INLINETEST_bWriteDatabaseItem(pcBuffer);
        break;
    case 'r':
        T_INLINETEST_bReadDatabaseItem(pcBuffer);
        break;
    case 'f': {
        const long which = strtol(pcBuffer, nullptr, 10);
        if ((which == 1 || which == 2) && ++s_nPolls > 2)
            return;
        T_INLINETEST_bReadEfuse(pcBuffer);
        vPurgePort1();
        break;
    }
    default:
        break;
    }
    vCheckTerminated(pcBuffer);
}

void vRun(S32 s32Row, char* pcFrame)
{
    if (s32Row < 0 || s32Row >= (S32)INLINETEST_COMMANDS)
        abort();
    if (strnlen(pcFrame, INLINETEST_FRAME_BYTES) > INLINETEST_MAX_ARGUMENT)
        abort();
    vRunHandler(s_tLookupCommand[s32Row].u8FunctionCode, pcFrame);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    opt_nolog = TRUE;
    H_DATABASE_vInit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    s_nPolls = 0;
    INLINETEST_RX rx;
    T_INLINETEST_vInitReceiver(&rx);
    for (size_t i = 0; i < size; ++i)
        T_INLINETEST_vReceiveByte(&rx, data[i], vRun);
    T_INLINETEST_vReleaseReceiver(&rx);

    // The bytes as arguments: the first byte picks the handler, the rest is
    // cut at each zero into arguments of at most 512 characters.
    if (size < 1)
        return 0;
    const U8 letters[3] = {'w', 'r', 'f'};
    const U8 letter = letters[data[0] % 3];
    for (size_t off = 1; off < size;) {
        const uint8_t* end = static_cast<const uint8_t*>(memchr(data + off, 0, size - off));
        size_t n = (end != nullptr ? (size_t)(end - data) : size) - off;
        if (n > INLINETEST_MAX_ARGUMENT)
            n = INLINETEST_MAX_ARGUMENT;
        char* pcBuffer = static_cast<char*>(malloc(INLINETEST_FRAME_BYTES));
        memcpy(pcBuffer, data + off, n);
        pcBuffer[n] = '\0';
        vRunHandler(letter, pcBuffer);
        memcpy(pcBuffer, data + off, n);
        pcBuffer[n] = '\0';
        S32 as32Fields[INLINETEST_FIELDS];
        T_INLINETEST_vParseFields(pcBuffer, as32Fields);
        free(pcBuffer);
        off += n + 1;
    }
    return 0;
}
