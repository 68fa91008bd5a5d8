// STAND-IN for the navigation exchange stream (see the header).
#include "system/t_pcc_navdata_standin.h"

#include "kernel/lm_log.h"

#include <atomic>

namespace {

constexpr U32 BLOCK_BYTES = 1024;

std::atomic<U32> s_u32FillOffset{0};
std::atomic<U32> s_u32Saved{0};

U32 fill(U8* pu8Block, U8 u8Offset)
{
    if (pu8Block == nullptr)
        return 0;
    const U32 u32Start = s_u32FillOffset.load();
    U32 n = 0;
    while (n < BLOCK_BYTES && u32Start + n < NAV_STANDIN_STREAM_BYTES) {
        const U32 i = u32Start + n;
        pu8Block[n++] = (U8)(i * 7 + i / 1024 + u8Offset);
    }
    s_u32FillOffset.store(u32Start + n);
    return n;
}

} // namespace

void T_NAV_DATA_vFillBufferInit(void)
{
    s_u32FillOffset.store(0);
}

U32 T_NAV_DATA_u32FillBufferSegment(U8* pu8Block, U32)
{
    return fill(pu8Block, 0);
}

U32 T_NAV_DATA_u32FillNoGroupBufferSegment(U8* pu8Block, U32)
{
    return fill(pu8Block, 0x55);
}

void T_NAV_DATA_vSaveBufferInit(void)
{
    s_u32Saved.store(0);
}

void T_NAV_DATA_vSaveBufferSegment(U32 u32Count, const U8* pu8Block)
{
    if (pu8Block != nullptr)
        s_u32Saved.fetch_add(u32Count);
}

void T_NAV_DATA_vSaveBufferFree(void)
{
    log_me("navigation import: %u bytes", (unsigned)s_u32Saved.load());
}
