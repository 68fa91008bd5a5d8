// Types of the chart raster graphics library: its scalar types, result
// codes, pixel modes and the graphics context GR_CONTEXT.
//
// A context draws into a plain buffer of 16-bit pixels, two per 32-bit word
// (the even column in the low half-word), rows one after another with no
// gap. The public gr_ calls take logical coordinates (y counted upward from
// the bottom row); the context keeps its pen and clip rectangle in buffer
// coordinates (row 0 the first row of the buffer) and the gf_ primitives
// take those. A context owns nothing: buffer, fonts, patterns and bitmaps
// belong to their callers or to the process-wide tables of gr_context.
#pragma once

#include "kernel/l_types.h"

typedef S32 SINT;
typedef U32 UINT32;
typedef S32 SLONG;
typedef U8 UCHAR;
typedef S32 BOOL; // FALSE 0 / TRUE 1
typedef double DOUBLE;
typedef U32 ERRORCODE;
typedef U32 GL_COLOUR;
typedef SINT* VSCREENPTR;
typedef UCHAR ZOOMFACTOR;
typedef UCHAR PRINTDIR;
typedef UCHAR BMAPTYPE;
typedef UCHAR BMAPTABLENDX;
typedef UCHAR PTTRNTYPE;
typedef UCHAR PTTRNTABLENDX;
typedef SINT FONTINDEX;

// Results: success, soft results (done as far as possible, or nothing to
// do) and hard errors (nothing changed). A caller that only needs to know
// whether a result was hard compares it with GR_SOFT_LIMIT.
constexpr ERRORCODE GR_OK = 0x80000000u;
constexpr ERRORCODE GR_SOFT_LIMIT = 0x10000000u;
constexpr ERRORCODE GR_OUT_OF_CLIP = 0x10000401u;
constexpr ERRORCODE GR_XOR_WITH_BRUSH = 0x10000404u;
constexpr ERRORCODE GR_BRUSH_WITH_XOR = 0x10000405u;
constexpr ERRORCODE GR_POLYFILL_EMPTY = 0x10000407u;
constexpr ERRORCODE GR_CANCELLED = 0x400u;
constexpr ERRORCODE GR_BAD_FONT_INDEX = 0x404u;
constexpr ERRORCODE GR_BAD_PIXEL_SIZE = 0x419u;
constexpr ERRORCODE GR_BAD_DIRECTION = 0x41Du;
constexpr ERRORCODE GR_TOO_MANY_EDGES = 0x41Eu;
// A pattern or bitmap table slot beyond its table: refused, nothing written.
constexpr ERRORCODE GR_BAD_TABLE_SLOT = 0x4FFu;

inline bool GR_IsHardError(ERRORCODE e) { return e < GR_SOFT_LIMIT; }

// Pixel modes. Any other value writes nothing.
constexpr UCHAR GR_MODE_REPLACE = 0;
constexpr UCHAR GR_MODE_AND = 8;
constexpr UCHAR GR_MODE_OR = 16;
constexpr UCHAR GR_MODE_XOR = 24;

// A colour argument with this bit set is a direct pixel value; without it
// the argument is a palette number.
constexpr GL_COLOUR GR_DIRECT_COLOUR = 0x80000000u;

// Sizes of the process-wide tables.
constexpr int GR_FONT_SLOTS = 70;
constexpr int GR_PATTERN_SLOTS = 50;
constexpr int GR_BITMAP_SLOTS = 100;

typedef struct tag_PIXELPOS {
    SINT px;
    SINT py;
} PIXELPOS;

typedef struct tag_PIXELDIM {
    SINT pw;
    SINT ph;
} PIXELDIM;

typedef struct tag_SCREENDIM {
    SINT rowsize; // 32-bit words per row
    SINT nrows;
} SCREENDIM;

typedef enum { GC_VIRTUAL = 0, GC_PHYSICAL = 1 } GCSTATUS;
typedef enum { STD_PEN = 0, BRUSH = 1 } DRAWING_TOOL;

struct font_tag;
typedef struct font_tag FONT;

typedef struct tag_FONTATTRIB {
    FONTINDEX Ftyp;  // font-rack slot in use
    FONT* Fptr;      // the font in that slot
    PRINTDIR fntdir; // glyph orientation, 0 upright
    ZOOMFACTOR zx;
    ZOOMFACTOR zy;
    UCHAR dimension;
    SINT dotflag;
} FONTATTRIB;

typedef struct tag_BITMAPATTRIB {
    BMAPTYPE type; // bitmap-table slot in use
    BMAPTABLENDX index;
    const UCHAR* ptr;
    PRINTDIR bmpdir; // quarter turns, 0..3
    ZOOMFACTOR zx;
    ZOOMFACTOR zy;
    GL_COLOUR transpcolour; // bitmap pixel value 0..15 skipped when transparent
} BITMAPATTRIB;

typedef struct tag_PATTERNATTRIB {
    BOOL status; // patterned drawing on
    PTTRNTYPE type;
    PTTRNTABLENDX index;
    const UCHAR* ptr; // first byte of the selected pattern
    UCHAR curbyte;
    UCHAR curbit;
    ZOOMFACTOR zx; // pixels per pattern bit along the line
    ZOOMFACTOR zy;
    UCHAR zycounter;
    UCHAR zxcounter;
} PATTERNATTRIB;

// Pattern type 0 with these indexes selects the two special line styles.
constexpr PTTRNTABLENDX GR_PATTERN_UNDULATED = 255;
constexpr PTTRNTABLENDX GR_PATTERN_CROSS = 254;

typedef struct tag_GR_CONTEXT {
    VSCREENPTR vsptr;  // the pixel buffer
    SINT npix;         // pixels per 32-bit word
    UINT32 nbytes;     // buffer size in bytes
    PIXELPOS cp;       // pen, buffer coordinates
    UCHAR mode;        // pixel mode
    GL_COLOUR colour;  // drawing colour, a 16-bit pixel value
    PIXELDIM pixdim;
    SCREENDIM scrdim;
    PIXELPOS cliporig; // first clip column and row (inclusive)
    PIXELPOS cliplim;  // last clip column and row (inclusive)
    FONTATTRIB fntattrib;
    BITMAPATTRIB bmpattrib;
    PATTERNATTRIB ptrnattrib;
    GCSTATUS status;
    SINT transpflag;   // text skips background, bitmaps their transparent value
    SINT PixelSize;    // pen and brush size
    DRAWING_TOOL DrTool;
    SINT PrintDir;     // text direction in degrees, 0..359
} GR_CONTEXT;

typedef GR_CONTEXT* GRCONTEXTPTR;

typedef struct tag_PATTERN_TABLE {
    const UCHAR* ptr;
    SINT width;  // bits
    SINT height; // rows
    SINT size;   // bytes of one pattern
} PATTERN_TABLE;

typedef struct tag_BITMAP_TABLE {
    const UCHAR* ptr;
    SINT width;
    SINT height;
    SINT unused;
    SINT size;    // bytes of one bitmap
    SINT rowsize; // bytes of one row
} BITMAP_TABLE;
