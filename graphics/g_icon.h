// Icons: the small pictures of menus, tabs, info boxes, alarms, waypoints
// and chart overlays.
//
// Most icons are 4-bit colour indices, plain or run-length coded, with an
// optional transparency mask, coloured through one 16-entry palette (by
// default the icon section of the colour table, so recolouring that
// section recolours every indexed icon); the rest are 32-bit pictures with
// alpha that the image routines draw. Every kind stores its rows top row
// first; icon pixel (nX, nY) counts nY from the bottom, so data row r is
// nY = nHeight - 1 - r. Pixels go through G_PIXEL_vPut, so the clip box
// applies.
//
// Kinds (eCompression):
//   0 ICON_PADDED_BITMAPS         pBitmap is a BITMAP header whose buffer holds
//                                 eight indices per 32-bit word, the first in
//                                 bits 31-28; pMask null or the same form, 0xF
//                                 transparent
//   1 ICON_UNPADDED_BUFFERS       bytes of two indices, high nibble first, running
//                                 on across row ends; pMask null or nibbles in the
//                                 same layout, 0xF transparent
//   2 ICON_TRANSPARENT_COLOR      as 1; pMask is one byte, the transparent index
//   3 ICON_RLE_BUFFERS            a nibble run-length stream of indices; pMask
//                                 null or a second stream read in step, 15
//                                 transparent
//   4 ICON_RLE_TRANSPARENT_COLOR  as 3; pMask is one byte, the transparent index
//   5 ICON_PNG_IMAGE32            32-bit pixels drawn by the image routines
// Kinds 2 and 4 without their byte, and any other kind, draw nothing.
#pragma once

#include "graphics/g_types.h"

typedef enum tag_ICON_COMPRESSION : int {
    ICON_PADDED_BITMAPS = 0,
    ICON_UNPADDED_BUFFERS = 1,
    ICON_TRANSPARENT_COLOR = 2,
    ICON_RLE_BUFFERS = 3,
    ICON_RLE_TRANSPARENT_COLOR = 4,
    ICON_PNG_IMAGE32 = 5,
} ICON_COMPRESSION;

typedef struct tag_ICON {
    const void* pBitmap;
    const void* pMask;
    S32 nWidth;
    S32 nHeight;
    ICON_COMPRESSION eCompression;
} ICON;

// Quarter turns as seen on the screen: 90 turns the top edge to face
// right (clockwise), 270 counter-clockwise.
typedef enum tag_G_ICON_ROTATION : int {
    G_ICON_ROTATE_0 = 0,
    G_ICON_ROTATE_90 = 1,
    G_ICON_ROTATE_180 = 2,
    G_ICON_ROTATE_270 = 3,
} G_ICON_ROTATION;

// Places icon pixel (nX, nY) relative to the anchor; pixel (0, 0) always
// lands on the anchor.
typedef void G_ICON_PUT_PIXEL_FUNCTION(BITMAP* pDest, const POINT* pptAnchor, S32 nX, S32 nY, COLOR color,
                                       void* vpOther);

void G_ICON_vRot0PutPixel(BITMAP* pDest, const POINT* pptAnchor, S32 nX, S32 nY, COLOR color, void* vpOther);
void G_ICON_vRot90PutPixel(BITMAP* pDest, const POINT* pptAnchor, S32 nX, S32 nY, COLOR color, void* vpOther);
void G_ICON_vRot180PutPixel(BITMAP* pDest, const POINT* pptAnchor, S32 nX, S32 nY, COLOR color, void* vpOther);
void G_ICON_vRot270PutPixel(BITMAP* pDest, const POINT* pptAnchor, S32 nX, S32 nY, COLOR color, void* vpOther);

// The 16 colours of the indices. Until it is set, indexed icons draw
// nothing.
void G_ICON_vSetIconPalette(const COLOR* pcolorTable);

// Kinds 0-4 with the icon's lower-left corner at pptLowerLeft. Kind 5 of at
// least 60 x 60 pixels is read as a 16-bit IMAGE (G_IMAGE_vPut), a smaller
// one as 32-bit data (G_IMAGE32_vPutOld).
void G_ICON_vPut(BITMAP* pDest, const ICON* pIcon, const POINT* pptLowerLeft);
// Kinds 0-4 turned by a quarter turn about the anchor; a rotation other
// than 1, 2 or 3 draws unturned.
void G_ICON_vPutRotated(BITMAP* pDest, const ICON* pIcon, const POINT* pptAnchor, G_ICON_ROTATION eRotation);
// Kind 5 turned freely (radians, counter-clockwise) about pptRotateCenter
// in image coordinates; kinds 0-4 snap to the quarter turn of
// (degrees + 45) / 90 taken toward zero, so angles below 45 degrees and
// from 315 on stay unturned, and the centre is not used.
void G_ICON_vPutRotatedAngle(BITMAP* pDest, const ICON* pIcon, const POINT* pptAnchor,
                             const POINT* pptRotateCenter, double dRotateAngle);

// nWidth, nHeight; 0 for a null icon.
U32 G_ICON_u32GetWidth(const ICON* pIcon);
U32 G_ICON_u32GetHeight(const ICON* pIcon);

// Decodes kinds 0-4 and hands every opaque pixel with its palette colour
// to pPutPixel; a null icon draws nothing.
void G_ICON_vDecompressAndPutIndirect(BITMAP* pDest, const ICON* pIcon, const POINT* pptAnchor,
                                      G_ICON_PUT_PIXEL_FUNCTION* pPutPixel, void* vpOther);
// One 4-bit value of a kind-0 picture at column nX of data row nY.
U8 G_ICON_u8GetIconPixelColor(const BITMAP* pSrc, PIXEL nX, PIXEL nY);
