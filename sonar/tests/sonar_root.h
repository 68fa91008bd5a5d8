// The unit root of the sonar tests: one per test program (the root is read
// once per process), and FATAL.LOG in the unit's working directory.
#pragma once

#include "kernel/l_utils.h"
#include "testing/t_root.h"

#include <cstdlib>
#include <string>

namespace sonar_test {

inline const std::string& unitRoot()
{
    static vt::TempRoot owned;
    static const std::string root = [] {
        const char* set = getenv("VONDREL_ROOT");
        if (set && *set)
            return std::string(set);
        owned.exportEnv();
        return owned.path();
    }();
    return root;
}

inline std::string at(const std::string& unitPath)
{
    return unitRoot() + unitPath;
}

inline std::string fatalLog()
{
    return vt::readFile(std::string(L_UTILS_cpGetPathnamePtr()) + "/FATAL.LOG");
}

} // namespace sonar_test
