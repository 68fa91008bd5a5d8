// The service directory. The string array grows by 32 entries at a time.
#include "gmsg/u_service_directory.h"

#include "kernel/h_memory.h"
#include "kernel/l_mutex.h"
#include "kernel/lm_log.h"

#include <cstdarg>
#include <cstring>
#include <vector>

// The record behind the opaque type.
struct tag_ServiceDirectoryType {
    U32 u32Allocated;
    U32 u32Used;
    char** pValueArray;
};
typedef ServiceDirectoryType RealServiceDirectoryType;

namespace {

constexpr U32 GROW_BY = 32;

ServiceDirectoryType* pGlobalServiceDirectory = nullptr;

RealServiceDirectoryType* real(ServiceDirectoryType* p) { return p; }
const RealServiceDirectoryType* real(const ServiceDirectoryType* p) { return p; }

bool append(RealServiceDirectoryType* d, char* s)
{
    if (d->u32Used == d->u32Allocated) {
        const U32 grown = d->u32Allocated + GROW_BY;
        char** a = (char**)H_MEMORY_pvRealloc(d->pValueArray, grown * (U32)sizeof(char*));
        if (!a)
            return false;
        d->pValueArray = a;
        d->u32Allocated = grown;
    }
    d->pValueArray[d->u32Used++] = s;
    return true;
}

// A new directory of copies of the strings that pass.
template <typename Keep>
ServiceDirectoryType* copyWhere(const RealServiceDirectoryType* from, Keep keep)
{
    ServiceDirectoryType* out = U_SERVICE_DIRECTORY_pNew();
    for (U32 i = 0; i < from->u32Used; ++i)
        if (keep(from->pValueArray[i]))
            U_SERVICE_DIRECTORY_bAddElement(out, U_UTILS_strdup(from->pValueArray[i]));
    return out;
}

} // namespace

ServiceDirectoryType* U_SERVICE_DIRECTORY_pNew(void)
{
    RealServiceDirectoryType* d = (RealServiceDirectoryType*)H_MEMORY_pvMalloc(sizeof(RealServiceDirectoryType));
    memset(d, 0, sizeof *d);
    return d;
}

BOOLEAN U_SERVICE_DIRECTORY_vFree(ServiceDirectoryType* p)
{
    if (!p)
        return FALSE;
    RealServiceDirectoryType* d = real(p);
    for (U32 i = 0; i < d->u32Used; ++i)
        H_MEMORY_vFree(d->pValueArray[i]);
    if (d->pValueArray)
        H_MEMORY_vFree(d->pValueArray);
    H_MEMORY_vFree(d);
    return TRUE;
}

BOOLEAN U_SERVICE_DIRECTORY_bAddElement(ServiceDirectoryType* p, char* pcElement)
{
    if (!p || !pcElement)
        return FALSE;
    return append(real(p), pcElement);
}

BOOLEAN U_SERVICE_DIRECTORY_bRemoveElement(ServiceDirectoryType*, const char*) { return FALSE; }

U32 U_SERVICE_DIRECTORY_u32GetNumberOfItems(const ServiceDirectoryType* p) { return p ? real(p)->u32Used : 0; }

const char* U_SERVICE_DIRECTORY_u32GetItem(const ServiceDirectoryType* p, U32 index)
{
    if (!p || index >= real(p)->u32Used)
        return nullptr;
    return real(p)->pValueArray[index];
}

ServiceDirectoryType* U_SERVICE_DIRECTORY_pcFindElementsMatchingAttribute(const ServiceDirectoryType* p,
                                                                          const char* pcMatchAttribute)
{
    if (!p || !pcMatchAttribute)
        return nullptr;
    ServiceDirectoryType* out =
        copyWhere(real(p), [pcMatchAttribute](const char* s) { return strstr(s, pcMatchAttribute) != nullptr; });
    if (U_SERVICE_DIRECTORY_u32GetNumberOfItems(out) == 0) {
        U_SERVICE_DIRECTORY_vFree(out);
        return nullptr;
    }
    return out;
}

ServiceDirectoryType* U_SERVICE_DIRECTORY_pcFindElementsMatchingAttributes(const ServiceDirectoryType* p,
                                                                           const char* pcMatchAttribute, ...)
{
    if (!p || !pcMatchAttribute)
        return nullptr;
    std::vector<const char*> texts{pcMatchAttribute};
    va_list args;
    va_start(args, pcMatchAttribute);
    while (const char* t = va_arg(args, const char*))
        texts.push_back(t);
    va_end(args);

    ServiceDirectoryType* current = nullptr;
    for (const char* t : texts) {
        ServiceDirectoryType* next = U_SERVICE_DIRECTORY_pcFindElementsMatchingAttribute(current ? current : p, t);
        U_SERVICE_DIRECTORY_vFree(current);
        current = next;
        if (!current)
            return nullptr;
    }
    return current;
}

BOOLEAN U_SERVICE_DIRECTORY_pcContainsItem(const ServiceDirectoryType* p, const char* item)
{
    if (!p || !item)
        return FALSE;
    const RealServiceDirectoryType* d = real(p);
    for (U32 i = 0; i < d->u32Used; ++i)
        if (strcmp(d->pValueArray[i], item) == 0)
            return TRUE;
    return FALSE;
}

ServiceDirectoryType* U_SERVICE_DIRECTORY_pcSetDifference(const ServiceDirectoryType* pDirectoryA,
                                                          const ServiceDirectoryType* pDirectoryB)
{
    if (!pDirectoryA || !pDirectoryB)
        return nullptr;
    return copyWhere(real(pDirectoryA),
                     [pDirectoryB](const char* s) { return !U_SERVICE_DIRECTORY_pcContainsItem(pDirectoryB, s); });
}

void U_SERVICE_DIRECTORY_vPrint(const ServiceDirectoryType* p)
{
    if (!p)
        return;
    const RealServiceDirectoryType* d = real(p);
    if (!d->pValueArray) {
        log_me("pRealDirectory is EMPTY!\n");
        return;
    }
    for (U32 i = 0; i < d->u32Used; ++i)
        log_me("pRealDirectory->pValueArray[%d] = %s\n", (int)i, d->pValueArray[i]);
}

ServiceDirectoryType* U_SERVICE_DIRECTORY_pObtainGobalServiceDirectory(void)
{
    // Without a directory the caller gets null and nothing stays locked.
    L_MUTEX_LockWait(RES_GLOBAL_SERVICE_DIRECTORY);
    ServiceDirectoryType* p = pGlobalServiceDirectory;
    if (!p)
        L_MUTEX_Unlock(RES_GLOBAL_SERVICE_DIRECTORY);
    return p;
}

void U_SERVICE_DIRECTORY_vReleaseGobalServiceDirectory(ServiceDirectoryType* p)
{
    if (p)
        L_MUTEX_Unlock(RES_GLOBAL_SERVICE_DIRECTORY);
}

BOOLEAN U_SERVICE_DIRECTORY_bSetGobalServiceDirectory(ServiceDirectoryType* p)
{
    L_MUTEX_LockWait(RES_GLOBAL_SERVICE_DIRECTORY);
    ServiceDirectoryType* old = pGlobalServiceDirectory;
    pGlobalServiceDirectory = p;
    L_MUTEX_Unlock(RES_GLOBAL_SERVICE_DIRECTORY);
    U_SERVICE_DIRECTORY_vFree(old);
    return TRUE;
}
