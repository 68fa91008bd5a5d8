#include "kernel/l_root.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unistd.h>

namespace {

std::once_flag s_rootOnce;
char s_root[4096];

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
