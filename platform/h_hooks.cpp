// The hook table of the drivers (see the header). Installed once by main
// before any task starts; the atomics let a test swap it between cases.
#include "platform/h_hooks.h"

#include <atomic>

namespace {

std::atomic<BOOLEAN (*)(void)> s_birdsEye{nullptr};
std::atomic<void (*)(U32*)> s_dump{nullptr};

} // namespace

void H_HOOKS_vInstall(const H_HOOKS* pHooks)
{
    s_birdsEye.store(pHooks ? pHooks->pfnbBirdsEyeViewShown : nullptr);
    s_dump.store(pHooks ? pHooks->pfnvDumpActiveDisplayBuffer : nullptr);
}

BOOLEAN H_HOOKS_bBirdsEyeViewShown(void)
{
    BOOLEAN (*pfn)(void) = s_birdsEye.load();
    return pfn ? pfn() : FALSE;
}

void H_HOOKS_vDumpActiveDisplayBuffer(U32* pu32Buffer)
{
    if (void (*pfn)(U32*) = s_dump.load())
        pfn(pu32Buffer);
}
