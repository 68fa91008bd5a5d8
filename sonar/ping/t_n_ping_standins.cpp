// Stand-in of the lower display edge (see the header).
#include "sonar/ping/t_n_ping_standins.h"

#include "sonar/ping/t_n_ping_state.h"
#include "store/h_database.h"

float T_N_HISTORY_fGetLowerRangeForDisplay(void)
{
    float fEdge = 0.0f;
    if (H_DATABASE_bFetchFloat(FCID("YSLD"), &fEdge, nullptr, nullptr) &&
        !T_N_PING_bAutoDepthRange(fEdge, t_n_ping::s_eDepthUnits))
        return fEdge;
    fEdge = 0.0f;
    H_DATABASE_bFetchFloat(FCID("CSLD"), &fEdge, nullptr, nullptr);
    return fEdge;
}
