// The unit root of the platform tests: one per test program (the root is
// read once per process), shared with any other fixture that set one up
// first, and helpers to lay out device and sysfs files under it.
#pragma once

#include "testing/t_root.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform_test {

// A root that only the process that made it removes: a death test's child
// leaves through exit() and must not take the parent's root with it.
struct OwnedRoot {
    vt::TempRoot root;
    pid_t owner = getpid();
    ~OwnedRoot()
    {
        if (getpid() != owner)
            root.keep = true;
    }
};

inline const std::string& unitRoot()
{
    static OwnedRoot owned;
    static const std::string root = [] {
        const char* set = getenv("VONDREL_ROOT");
        if (set && *set)
            return std::string(set);
        owned.root.exportEnv();
        return owned.root.path();
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

} // namespace platform_test
