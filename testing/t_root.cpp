#include "testing/t_root.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace vt {

TempRoot::TempRoot() : owner_((int)getpid())
{
    std::string tmpl = (fs::temp_directory_path() / "vondrel-root-XXXXXX").string();
    char* made = mkdtemp(tmpl.data());
    root_ = made ? made : tmpl;
    for (const char* d : {"/usr/vondrel", "/tmp", "/dev", "/mnt", "/sys", "/etc", "/bin"})
        fs::create_directories(root_ + d);
}

TempRoot::~TempRoot()
{
    if (!keep && (int)getpid() == owner_) {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
}

void TempRoot::exportEnv() const
{
    setenv("VONDREL_ROOT", root_.c_str(), 1);
    setenv("VONDREL_CWD", cwd().c_str(), 1);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool writeFile(const std::string& path, const std::string& data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << data;
    return bool(out);
}

bool fileExists(const std::string& path)
{
    return access(path.c_str(), F_OK) == 0;
}

void makeDirs(const std::string& path)
{
    std::error_code ec;
    fs::create_directories(path, ec);
}

} // namespace vt
