// The view task's client calls (see u_view.h).
#include "ui/u_view.h"

#include "store/h_client.h"

namespace {

constexpr FOURCHARID KEY_TVUE = FCID("TVUE");
constexpr FOURCHARID KEY_CVEW = FCID("CVEW");
constexpr FOURCHARID KEY_CVAS = FCID("CVAS");
constexpr PRIORITY CLIENT_MAIL_PRIORITY = 3;

BOOLEAN bRegister(DRAW_FUNCTION* pfnDraw, LAYER_ID layer, LAYER_ID layerWhereUsed, U32 u32User,
                  FOURCHARID fcidControl, BOOLEAN bDefaultState, const TEXT_TABLE* pPlaybackString,
                  const TEXT_TABLE* pSimString, const TEXT_TABLE* pPOSString, SPLIT_WINDOW_TYPE eLocation,
                  FOURCHARID fcidSplitControl)
{
    const MBOX mbox = H_CLIENT_mboxTask(KEY_TVUE);
    if (mbox == 0)
        return FALSE;
    auto* pMail = H_CLIENT_pNewMail<MSG_REGISTER_LAYER>(CMD_ID_REGISTER_LAYER);
    pMail->layer = layer;
    pMail->where_used = layerWhereUsed;
    pMail->pDrawFunction = pfnDraw;
    pMail->fcidDisplayFlag = fcidControl;
    pMail->bDisplay = bDefaultState;
    pMail->user = u32User;
    pMail->pPlaybackString = pPlaybackString;
    pMail->pSimString = pSimString;
    pMail->pPOSString = pPOSString;
    pMail->eLocation = eLocation;
    pMail->fcidSplitControl = fcidSplitControl;
    return H_CLIENT_bPost(mbox, pMail, CLIENT_MAIL_PRIORITY);
}

BOOLEAN bUnregister(LAYER_ID layer, SPLIT_WINDOW_TYPE eLocation)
{
    const MBOX mbox = H_CLIENT_mboxTask(KEY_TVUE);
    if (mbox == 0)
        return FALSE;
    auto* pMail = H_CLIENT_pNewMail<MSG_UNREGISTER_LAYER>(CMD_ID_UNREGISTER_LAYER);
    pMail->layer = layer;
    pMail->eLocation = eLocation;
    return H_CLIENT_bPost(mbox, pMail, CLIENT_MAIL_PRIORITY);
}

} // namespace

BOOLEAN U_VIEW_bRegisterLayer(DRAW_FUNCTION* pfnDraw, LAYER_ID layer, LAYER_ID layerWhereUsed, U32 u32User,
                              FOURCHARID fcidControl, BOOLEAN bDefaultState, const TEXT_TABLE* pPlaybackString,
                              const TEXT_TABLE* pSimString, const TEXT_TABLE* pPOSString)
{
    return bRegister(pfnDraw, layer, layerWhereUsed, u32User, fcidControl, bDefaultState, pPlaybackString,
                     pSimString, pPOSString, SPLIT_FULL_WINDOW, 0);
}

BOOLEAN U_VIEW_bRegisterLayerSplit(DRAW_FUNCTION* pfnDraw, LAYER_ID layer, LAYER_ID layerWhereUsed, U32 u32User,
                                   FOURCHARID fcidControl, BOOLEAN bDefaultState,
                                   const TEXT_TABLE* pPlaybackString, const TEXT_TABLE* pSimString,
                                   const TEXT_TABLE* pPOSString, SPLIT_WINDOW_TYPE eLocation,
                                   FOURCHARID fcidSplitControl)
{
    return bRegister(pfnDraw, layer, layerWhereUsed, u32User, fcidControl, bDefaultState, pPlaybackString,
                     pSimString, pPOSString, eLocation, fcidSplitControl);
}

BOOLEAN U_VIEW_bUnRegisterLayer(LAYER_ID layer) { return bUnregister(layer, SPLIT_FULL_WINDOW); }

BOOLEAN U_VIEW_bUnRegisterLayerSplit(LAYER_ID layer, SPLIT_WINDOW_TYPE eLocation)
{
    return bUnregister(layer, eLocation);
}

LAYER_ID U_VIEW_eCurrentView(void)
{
    S32 s32View = NO_VIEW_PRIORITY;
    if (!H_DATABASE_bFetchS32(KEY_CVEW, &s32View, nullptr, nullptr))
        return NO_VIEW_PRIORITY;
    return s32View;
}

SPLIT_WINDOW_TYPE U_VIEW_eCurrentSplit(void)
{
    S32 s32Split = NO_SPLIT_WINDOW;
    if (!H_DATABASE_bFetchS32(KEY_CVAS, &s32Split, nullptr, nullptr))
        return NO_SPLIT_WINDOW;
    return (SPLIT_WINDOW_TYPE)s32Split;
}
