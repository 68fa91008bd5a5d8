// Stand-ins of the view, navigation and 3D chart queries (see the header).
#include "platform/neighbour_standins.h"

#include "kernel/l_root.h"
#include "store/h_database.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

S32 U_VIEW_eCurrentView(void)
{
    S32 s32View = NO_VIEW_PRIORITY;
    if (!H_DATABASE_bFetchS32(FCID("CVEW"), &s32View, nullptr, nullptr))
        return NO_VIEW_PRIORITY;
    return s32View;
}

BOOLEAN T_NAV_bIsMyBirdsEyeView(S32 eView)
{
    if (eView == CURRENT_VIEW)
        eView = U_VIEW_eCurrentView();
    return eView == BIRDS_EYE_VIEW_PRIORITY || eView == CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY;
}

void T_CHART_3D_vDumpActiveDisplayBuffer(U32* pu32Buffer)
{
    char acPath[4096];
    const int fd = open(L_ROOT_pcResolve("/dev/fb0", acPath, sizeof acPath), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    U8* pu8Out = reinterpret_cast<U8*>(pu32Buffer);
    size_t done = 0;
    while (done < 960000) {
        const ssize_t n = read(fd, pu8Out + done, 960000 - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += (size_t)n;
    }
    close(fd);
}
