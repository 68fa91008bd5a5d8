// Boxes: outlines, fills, rounded corners and their blended forms.
//
// A box of width w and height h anchored at its lower-left corner (x, y)
// covers columns x .. x + w - 1 ("right") and rows y .. y + h - 1 ("top").
// Outlines are four lines and do not test their sizes (a width of 0 puts the
// right edge at x - 1); the filled boxes draw nothing for a height of 0.
// Blending follows G_PIXEL_vPutAlpha: u8Alpha is the weight of the pixel
// already there.
#pragma once

#include "graphics/g_types.h"

void G_BOX_vDraw(BITMAP* pDest, COLOR color, const POINT* pAnchor, U32 u32Width, U32 u32Height);
void G_BOX_vDrawFilled(BITMAP* pDest, COLOR color, const POINT* pAnchor, U32 u32Width, U32 u32Height);
void G_BOX_vDrawRounded(BITMAP* pDest, COLOR color, const POINT* pAnchor, U32 u32Width, U32 u32Height,
                        U32 u32Radius);
void G_BOX_vDrawRoundedFilled(BITMAP* pDest, COLOR color, const POINT* pAnchor, U32 u32Width, U32 u32Height,
                              U32 u32Radius);

// Each corner pixel belongs to two edges and is blended twice.
void G_BOX_vDrawAlpha(BITMAP* pDest, COLOR color, const POINT* pAnchor, U32 u32Width, U32 u32Height, U8 u8Alpha);
// Every pixel blended once.
void G_BOX_vDrawFilledAlpha(BITMAP* pDest, COLOR color, const POINT* pAnchor, U32 u32Width, U32 u32Height,
                            U8 u8Alpha);
// Corner pixels are blended once for every time the corner walk reaches them.
void G_BOX_vDrawRoundedAlpha(BITMAP* pDest, COLOR color, const POINT* pAnchor, U32 u32Width, U32 u32Height,
                             U32 u32Radius, U8 u8Alpha);
// Exactly the pixels of G_BOX_vDrawRoundedFilled, each blended once.
void G_BOX_vDrawRoundedFilledAlpha(BITMAP* pDest, COLOR color, const POINT* pAnchor, U32 u32Width,
                                   U32 u32Height, U32 u32Radius, U8 u8Alpha);
