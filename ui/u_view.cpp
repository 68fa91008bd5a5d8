// The view task's client calls (see u_view.h).
#include "ui/u_view.h"

#include "kernel/h_memory.h"
#include "store/h_database.h"

#include <cstring>

namespace {

constexpr FOURCHARID KEY_TVUE = FCID("TVUE");
constexpr FOURCHARID KEY_CVEW = FCID("CVEW");
constexpr FOURCHARID KEY_CVAS = FCID("CVAS");
constexpr PRIORITY CLIENT_MAIL_PRIORITY = 3;

// The view task's mailbox, or 0 while "TVUE" is absent or not valid.
MBOX mboxView(void)
{
    U32 u32Mbox = 0;
    BOOLEAN bValid = FALSE;
    if (!H_DATABASE_bFetchU32(KEY_TVUE, &u32Mbox, &bValid, nullptr) || !bValid)
        return 0;
    return (MBOX)u32Mbox;
}

template <typename MAIL>
MAIL* newMail(CMD_ID cmd)
{
    MAIL* pMail = static_cast<MAIL*>(H_MEMORY_pvMalloc(sizeof(MAIL)));
    memset(static_cast<void*>(pMail), 0, sizeof(MAIL));
    pMail->header.Cmd = cmd;
    return pMail;
}

// The mail belongs to the view task once it is queued; a mailbox number the
// kernel does not know leaves it with us.
template <typename MAIL>
BOOLEAN bPost(MBOX mbox, MAIL* pMail)
{
    if (L_MBOX_Send(mbox, &pMail->header.msghdr, CLIENT_MAIL_PRIORITY, 0) != 0) {
        H_MEMORY_vFree(pMail);
        return FALSE;
    }
    return TRUE;
}

BOOLEAN bRegister(DRAW_FUNCTION* pfnDraw, LAYER_ID layer, LAYER_ID layerWhereUsed, U32 u32User,
                  FOURCHARID fcidControl, BOOLEAN bDefaultState, const TEXT_TABLE* pPlaybackString,
                  const TEXT_TABLE* pSimString, const TEXT_TABLE* pPOSString, SPLIT_WINDOW_TYPE eLocation,
                  FOURCHARID fcidSplitControl)
{
    const MBOX mbox = mboxView();
    if (mbox == 0)
        return FALSE;
    auto* pMail = newMail<MSG_REGISTER_LAYER>(CMD_ID_REGISTER_LAYER);
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
    return bPost(mbox, pMail);
}

BOOLEAN bUnregister(LAYER_ID layer, SPLIT_WINDOW_TYPE eLocation)
{
    const MBOX mbox = mboxView();
    if (mbox == 0)
        return FALSE;
    auto* pMail = newMail<MSG_UNREGISTER_LAYER>(CMD_ID_UNREGISTER_LAYER);
    pMail->layer = layer;
    pMail->eLocation = eLocation;
    return bPost(mbox, pMail);
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
