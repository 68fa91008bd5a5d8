#include "kernel/l_root.h"

#include "kernel/error.h"
#include "kernel/l_utils.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::once_flag s_rootOnce;
char s_root[4096];

// Folders the devices and the tasks expect under a root. The working
// directory is made first, so that FATAL.LOG can say why a later one failed.
const char* const TREE_FOLDERS[] = {"/usr/vondrel", "/dev", "/dev/input", "/mnt", "/tmp", "/sys", "/etc"};

// mkdir -p; 0 or the errno of the first part that is not a folder.
int ROOT_iMakeFolders(const std::string& path)
{
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i != path.size() && path[i] != '/')
            continue;
        std::string part = path.substr(0, i);
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
            return errno;
        struct stat st;
        if (stat(part.c_str(), &st) != 0)
            return errno;
        if (!S_ISDIR(st.st_mode))
            return ENOTDIR;
    }
    return 0;
}

void ROOT_vMakeOrFail(const std::string& path)
{
    int err = ROOT_iMakeFolders(path);
    if (err == 0)
        return;
    char text[200];
    snprintf(text, sizeof text, "cannot make folder %s: %s", path.c_str(), strerror(err));
    ERROR_error(__FILE_NAME__, __LINE__, text);
    U_RESET_vReset(FALSE, FALSE);
}

} // namespace

const char* L_ROOT_pcGetRoot(void)
{
    std::call_once(s_rootOnce, [] {
        const char* env = getenv("VONDREL_ROOT");
        if (env && *env) {
            snprintf(s_root, sizeof s_root, "%s", env);
            size_t n = strlen(s_root);
            while (n > 1 && s_root[n - 1] == '/')
                s_root[--n] = '\0';
        }
    });
    return s_root;
}

char* L_ROOT_pcResolve(const char* pcUnitPath, char* buf, size_t size)
{
    const char* root = L_ROOT_pcGetRoot();
    size_t rootLen = strlen(root);
    bool under = rootLen && strncmp(pcUnitPath, root, rootLen) == 0 &&
                 (pcUnitPath[rootLen] == '/' || pcUnitPath[rootLen] == '\0');
    if (rootLen && pcUnitPath[0] == '/' && !under)
        snprintf(buf, size, "%s%s", root, pcUnitPath);
    else
        snprintf(buf, size, "%s", pcUnitPath);
    return buf;
}

void L_ROOT_vMakeTree(void)
{
    const char* root = L_ROOT_pcGetRoot();
    if (!*root)
        return;
    ROOT_vMakeOrFail(L_UTILS_cpGetPathnamePtr());
    for (const char* folder : TREE_FOLDERS)
        ROOT_vMakeOrFail(std::string(root) + folder);
}

int L_ROOT_s32System(const char* pcCommand)
{
    const char* root = L_ROOT_pcGetRoot();
    if (!*root)
        return system(pcCommand);
    // The program's name: the first word, without its folder.
    const char* p = pcCommand;
    while (*p == ' ')
        ++p;
    const char* end = p;
    while (*end && *end != ' ')
        ++end;
    std::string word(p, end);
    std::string name = word.substr(word.rfind('/') == std::string::npos ? 0 : word.rfind('/') + 1);
    std::string standIn = std::string(root) + "/bin/" + name;
    if (!name.empty() && access(standIn.c_str(), X_OK) == 0) {
        std::string cmd = standIn + end;
        return system(cmd.c_str());
    }
    std::string logPath = std::string(root) + "/tmp/commands.log";
    if (FILE* f = fopen(logPath.c_str(), "a")) {
        fprintf(f, "%s\n", pcCommand);
        fclose(f);
    }
    return 0;
}
