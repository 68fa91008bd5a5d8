// STAND-INS for the card task's folder and file-name services.
#include "nav/data/t_nav_card_standins.h"

#include "kernel/h_memory.h"
#include "kernel/l_root.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

char* pcDup(const char* pcText)
{
    const size_t n = strlen(pcText) + 1;
    char* p = static_cast<char*>(H_MEMORY_pvMalloc((U32)n));
    memcpy(p, pcText, n);
    return p;
}

bool bIsWritableFolder(const char* pcPath)
{
    struct stat st{};
    return stat(pcPath, &st) == 0 && S_ISDIR(st.st_mode) && access(pcPath, W_OK) == 0;
}

std::mutex s_selectionLock;
std::vector<U16> s_selection;
std::atomic<U32> s_u32ReturnsToBrowse{0};
NAV_STANDIN_RESETS s_tResets = {0, -1, 0, -1};

} // namespace

char* T_MMC_pcDeviceMakeDirectory(const char* const* ppcDirs, const U32*)
{
    if (ppcDirs == nullptr)
        return nullptr;
    for (S32 slot = 0; slot < MMC_SLOT_COUNT; ++slot) {
        char unit[32];
        snprintf(unit, sizeof unit, "/mnt/mmc%d", (int)slot);
        char path[512];
        L_ROOT_pcResolve(unit, path, sizeof path);
        if (!bIsWritableFolder(path))
            continue;
        bool ok = true;
        for (const char* const* d = ppcDirs; *d != nullptr && ok; ++d) {
            const size_t used = strlen(path);
            if (used + 1 + strlen(*d) + 1 > sizeof path) {
                ok = false;
                break;
            }
            snprintf(path + used, sizeof path - used, "/%s", *d);
            if (mkdir(path, 0777) != 0 && !bIsWritableFolder(path))
                ok = false;
        }
        if (ok)
            return pcDup(path);
    }
    return nullptr;
}

char* U_FILE_psCreateDeviceName(const char* pcDevice, S32 nUnit)
{
    if (pcDevice == nullptr || strcmp(pcDevice, "mmc") != 0 || nUnit < 0 || nUnit >= MMC_SLOT_COUNT)
        return nullptr;
    char unit[32];
    snprintf(unit, sizeof unit, "/mnt/mmc%d/", (int)nUnit);
    char path[512];
    L_ROOT_pcResolve(unit, path, sizeof path);
    return pcDup(path);
}

char* U_FILE_psComposeFileName(const char* pcPath, const char* pcName)
{
    if (pcPath == nullptr || pcName == nullptr)
        return nullptr;
    const size_t a = strlen(pcPath), b = strlen(pcName);
    char* p = static_cast<char*>(H_MEMORY_pvMalloc((U32)(a + b + 1)));
    memcpy(p, pcPath, a);
    memcpy(p + a, pcName, b + 1);
    return p;
}

BOOLEAN U_FILE_bCheckExtension(const char* pcName, const char* pcExtension)
{
    if (pcName == nullptr || pcExtension == nullptr)
        return FALSE;
    const size_t n = strlen(pcName), e = strlen(pcExtension);
    if (n < e + 1 || pcName[n - e - 1] != '.')
        return FALSE;
    return strcasecmp(pcName + n - e, pcExtension) == 0;
}

void T_NAV_GROUP_vExportSelectedDataItems(U16* pu16List)
{
    if (pu16List == nullptr)
        return;
    std::lock_guard<std::mutex> lock(s_selectionLock);
    const U32 n = (U32)std::min<size_t>(s_selection.size(), SELECT_EXPORT_MAX_ITEMS);
    pu16List[0] = (U16)n;
    for (U32 i = 0; i < n; ++i)
        pu16List[1 + i] = s_selection[i];
}

void T_NAV_GROUP_vReturnToBrowseState(void)
{
    s_u32ReturnsToBrowse.fetch_add(1);
}

void T_NAV_EDIT_vReset(U32 u32Priority)
{
    std::lock_guard<std::mutex> lock(s_selectionLock);
    ++s_tResets.u32EditorResets;
    s_tResets.s32EditorPriority = (S32)u32Priority;
}

void T_NAV_GROUP_vReset(U32 u32Priority)
{
    std::lock_guard<std::mutex> lock(s_selectionLock);
    ++s_tResets.u32GroupResets;
    s_tResets.s32GroupPriority = (S32)u32Priority;
}

NAV_STANDIN_RESETS NAV_STANDIN_tManagerResets(void)
{
    std::lock_guard<std::mutex> lock(s_selectionLock);
    return s_tResets;
}

void NAV_STANDIN_vForgetManagerResets(void)
{
    std::lock_guard<std::mutex> lock(s_selectionLock);
    s_tResets = {0, -1, 0, -1};
}

void NAV_STANDIN_vSetExportSelection(const std::vector<U16>& ids)
{
    std::lock_guard<std::mutex> lock(s_selectionLock);
    s_selection = ids;
}

U32 NAV_STANDIN_u32ReturnsToBrowse(void)
{
    return s_u32ReturnsToBrowse.load();
}
