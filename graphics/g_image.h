// Images: the larger pictures (gauge backgrounds, dials, needles, bar
// fills, scale marks, bearing scales) and the 32-bit icons.
//
// IMAGE holds 16-bit COLOR pixels, IMAGE32 8-bit red, green, blue and alpha
// (0 transparent, 255 opaque) blended over the bitmap. Rows are stored
// bottom row first and an image is placed by its lower-left corner, or for
// rotation by a rotation centre in image coordinates.
//
// IMAGE run-length data: U16 values row after row; a value other than
// 0xFFFF is a pixel, 0xFFFF followed by a count n continues the row with n
// more pixels of the row's last literal colour (0x0000 before the first).
// A run that passes the end of the row is cut there.
//
// IMAGE32 run-length data: 4-byte groups. A group is a literal pixel (red,
// green, blue, alpha) unless its byte 0 is 90 ('Z') and byte 3 is 0: then it
// repeats the previous literal pixel byte 1 + 256 * byte 2 more times. The
// previous literal carries over from row to row and starts as opaque black;
// a run is cut at the end of the row. IMAGE32 plain data (for rotation):
// width x height groups (red, green, blue, alpha).
//
// A 32-bit colour becomes COLOR as red >> 3, green >> 2, blue >> 3. Blends
// per 5/6/5 channel, a being the alpha: a = 0 writes nothing, a = 255 the
// colour; otherwise (a * src + (255 - a) * old) >> 8 in G_IMAGE32_vPut and
// G_IMAGE32_vPutCondition, and / 255 in the other run-length routines.
//
// Bounds: routines that write through G_PIXEL_vPut keep to the clip box;
// G_IMAGE32_vPut, G_IMAGE32_PART_vPutNew and G_IMAGE32_vPutRotated write
// straight into the buffer, anywhere on the bitmap's whole surface, and
// ignore the clip box.
#pragma once

#include "graphics/g_icon.h"
#include "graphics/g_types.h"

typedef struct tag_IMAGE {
    const void* data;
    const void* mask; // not read
    S32 s32Width;
    S32 s32Height;
    U32 eCompression; // not read: the routine fixes the form
} IMAGE;

typedef struct tag_IMAGE32 {
    const void* data;
    const void* mask;
    S32 s32Width;
    S32 s32Height;
    U32 eCompression;
} IMAGE32;

// 16-bit run-length data, through G_PIXEL_vPut.
void G_IMAGE_vPut(BITMAP* pDest, const IMAGE* pImage, const POINT* pptLowerLeft);
// The lower part of 16-bit run-length data: fractions limited to 0..1, the
// first (int)(fHightPercent * height) rows; in a row, literal pixels stop at
// (int)(width * fwidthPercent) while runs go on to the width.
void G_IMAGE_PART_vPutNew(BITMAP* pDest, const IMAGE* pImage, const POINT* pptLowerLeft, float fwidthPercent,
                          float fHightPercent);
// 16-bit plain data: (int)(fHightPercent * height) rows of (int)(fwidthPercent
// * width) pixels, the data read on without skipping the rest of a row;
// neither count goes past the image.
void G_IMAGE_PART_vPut(BITMAP* pDest, const IMAGE* pImage, const POINT* pptLowerLeft, float fwidthPercent,
                       float fHightPercent);

void G_IMAGE32_vPut(BITMAP* pDest, const IMAGE32* pImage32, const POINT* pptLowerLeft);
// The same data from an icon record, through G_PIXEL_vPut.
void G_IMAGE32_vPutOld(BITMAP* pDest, const ICON* pImage32, const POINT* pptLowerLeft);
// The lower part, as G_IMAGE_PART_vPutNew.
void G_IMAGE32_PART_vPutNew(BITMAP* pDest, const IMAGE32* pImage32, const POINT* pptLowerLeft, float fwidthPercent,
                            float fHightPercent);
// The literal pixels on one side of the line through pptCenter at
// u32RotatedAngle degrees (run pixels untested), through G_PIXEL_vPut.
void G_IMAGE32_PART_vPut(BITMAP* pDest, const IMAGE32* pImage32, const POINT* pptLowerLeft, const POINT* pptCenter,
                         U32 u32RotatedAngle);
// The pixels inside the circular sector about archor from fStartAngle to
// fEndAngle degrees, measured from the left of the centre, counter-clockwise
// through the bottom for direction +1 and clockwise through the top for -1.
// The start angle picks only its quadrant, which is drawn whole.
void G_IMAGE32_vPutCondition(BITMAP* pDest, const IMAGE32* pImage32, const POINT* pptLowerLeft, U32 u32Radius,
                             float fStartAngle, float fEndAngle, POINT* archor, S32 direction);
// Plain data turned by dRotateAngle radians counter-clockwise about the
// image point pptRotateCenter, which lands on pptAnchor; bilinear with alpha.
void G_IMAGE32_vPutRotated(BITMAP* pDest, const IMAGE32* pImage32, const POINT* pptAnchor,
                           const POINT* pptRotateCenter, double dRotateAngle);
// G_IMAGE32_vPutRotated kept to the clip box as well (the rotated text).
void G_IMAGE32_vPutRotatedClipped(BITMAP* pDest, const IMAGE32* pImage32, const POINT* pptAnchor,
                                  const POINT* pptRotateCenter, double dRotateAngle);
// The same from an icon's plain 32-bit data, through G_PIXEL_vPut.
void G_IMAGE32_vPutRotatedOld(BITMAP* pDest, const ICON* pImage32, const POINT* pptAnchor,
                              const POINT* pptRotateCenter, double dRotateAngle);
