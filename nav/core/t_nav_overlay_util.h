// Small helpers the overlay painters share: a scoped kernel mutex and the
// reads of valid store keys.
#pragma once

#include "kernel/l_mutex.h"
#include "kernel/l_types.h"
#include "store/h_database.h"

namespace t_nav_overlay_util {

class NavLock {
public:
    explicit NavLock(MUTEX m) : m_(m) { L_MUTEX_LockWait(m_); }
    ~NavLock() { L_MUTEX_Unlock(m_); }
    NavLock(const NavLock&) = delete;
    NavLock& operator=(const NavLock&) = delete;

private:
    MUTEX m_;
};

inline bool bKeyTrue(const char (&key)[5])
{
    BOOLEAN b = FALSE;
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchBoolean(FCID(key), &b, &bValid, nullptr) && bValid && b;
}

inline bool bKeyU32(const char (&key)[5], U32* pValue)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchU32(FCID(key), pValue, &bValid, nullptr) && bValid;
}

inline bool bKeyS32(const char (&key)[5], S32* pValue)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchS32(FCID(key), pValue, &bValid, nullptr) && bValid;
}

inline bool bKeyFloat(const char (&key)[5], float* pValue)
{
    BOOLEAN bValid = FALSE;
    return H_DATABASE_bFetchFloat(FCID(key), pValue, &bValid, nullptr) && bValid;
}

inline U32 u32KeyOr(const char (&key)[5], U32 u32Default)
{
    U32 v = 0;
    return bKeyU32(key, &v) ? v : u32Default;
}

} // namespace t_nav_overlay_util
