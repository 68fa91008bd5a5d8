// The unit root of the platform tests: one per test program (the root is
// read once per process), shared with any other fixture that set one up
// first, and helpers to lay out device and sysfs files under it.
#pragma once

#include "kernel/l_utils.h"
#include "testing/t_root.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform_test {

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

// ROOT + an absolute unit path.
inline std::string at(const std::string& unitPath)
{
    return unitRoot() + unitPath;
}

// Writes a file under the root, making its folders.
inline void put(const std::string& unitPath, const std::string& text)
{
    std::string host = at(unitPath);
    vt::makeDirs(host.substr(0, host.rfind('/')));
    vt::writeFile(host, text);
}

inline void drop(const std::string& unitPath)
{
    unlink(at(unitPath).c_str());
}

inline std::string contents(const std::string& unitPath)
{
    return vt::readFile(at(unitPath));
}

// FATAL.LOG in the unit's working directory, as the fatal path writes it.
inline std::string fatalLog()
{
    return vt::readFile(std::string(L_UTILS_cpGetPathnamePtr()) + "/FATAL.LOG");
}

} // namespace platform_test
