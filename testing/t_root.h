// A temporary unit root for tests: a fresh folder with the unit's usual
// top-level folders, removed again when the object goes away in the process
// that made it (a death test's child that leaves through exit() keeps it).
#pragma once

#include <string>

namespace vt {

class TempRoot {
public:
    TempRoot();
    ~TempRoot();
    TempRoot(const TempRoot&) = delete;
    TempRoot& operator=(const TempRoot&) = delete;

    const std::string& path() const { return root_; }
    // ROOT/usr/vondrel, the unit's working directory.
    std::string cwd() const { return root_ + "/usr/vondrel"; }
    // ROOT + p, where p is an absolute unit path such as "/dev/fb0".
    std::string at(const std::string& p) const { return root_ + p; }
    // Points VONDREL_ROOT and VONDREL_CWD of this process at the root.
    void exportEnv() const;
    bool keep = false; // leave the folder for inspection

private:
    std::string root_;
    int owner_; // process id of the maker
};

std::string readFile(const std::string& path);
bool writeFile(const std::string& path, const std::string& data);
bool fileExists(const std::string& path);
void makeDirs(const std::string& path);

} // namespace vt
