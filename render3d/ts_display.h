// The 3D pipeline's whole state (tsDisplay) and its operations.
//
// The interface imitates a fixed-function graphics library in 16.16 fixed
// point: a matrix mode with model-view and projection stacks, vertex and
// texture-coordinate array pointers, begin/end scene and buffer swap.
// Terrain tiles are drawn by the GPU through a cache of 64 slots; points,
// lines and textured quads placed over the 3D view are projected and drawn
// in software with the same combined matrix.
//
// One owner (the 3D chart task) drives a record from its own thread, which
// also holds the GPU context; other tasks only project points through a
// copy of the record, which the projection operations read and never write.
// The pipeline takes no lock and never allocates the record.
//
// The modules behind this header, one per concern:
//   ts_display.cpp          set-up, matrix stacks, scene
//   ts_display_tiles.cpp    GPU tile cache and tile drawing
//   ts_display_project.cpp  software projection and vertex processing
//   ts_display_raster.cpp   textured polygon rasteriser
//   ts_display_lines.cpp    software line strips
//   ts_display_texture.cpp  terrain texture fusion and scaling
#pragma once

#include "kernel/l_types.h"
#include "render3d/ts_matrix.h"

// A vertex after the transform, in clip space (16.16).
typedef struct _tsTVertex {
    S32 x, y, z, w;
    S32 u, v;  // texture coordinates, 16.16
    S32 color;
    S32 clip;  // outcode; TS_CLIP_W0 when w is 0
} tsTVertex;

// A vertex on the screen.
typedef struct _tsVertex {
    S32 x, y; // 16.16 pixels, y counting up from the bottom of the viewport
    S32 w;    // clip w
    S32 iw;   // 2^32 / w, the reciprocal in 16.16
    S32 u, v;
    S32 color;
} tsVertex;

// One row of the rasteriser's span table.
typedef struct _tsScan {
    S32 points; // edges that crossed the row so far
    S32 x1;     // left end, 16.16 pixels
    S64 z1;     // the row's perspective value: 1/w in 16.16, shifted left by 24
    S32 u1, v1; // texture coordinates at the left end, multiplied by 1/w
    S32 x2;     // right end
    S32 u2, v2;
} tsScanInfo;

enum { tsRM_FULL = 0, tsRM_FLAT = 1 };
enum { TS_MODELVIEW = 0, TS_PROJECTION = 1, TS_TEXTURE = 2 };

enum : S32 {
    TS_OK = 0,
    TS_ERR = static_cast<S32>(0x80000000u),
    TS_ERR_MVStackOverflow = static_cast<S32>(0x80000001u),
    TS_ERR_ProjStackOverflow = static_cast<S32>(0x80000002u),
    TS_ERR_MVStackUnderflow = static_cast<S32>(0x80000003u),
    TS_ERR_ProjStackUnderflow = static_cast<S32>(0x80000004u),
    TS_ERR_NoAvailableTextures = static_cast<S32>(0x80000005u),
};

// Outcode bits of a transformed vertex.
enum : S32 {
    TS_CLIP_BOTTOM = 1, // y < -w
    TS_CLIP_TOP = 2,    // y > w
    TS_CLIP_LEFT = 4,   // x < -w
    TS_CLIP_RIGHT = 8,  // x > w
    TS_CLIP_NEAR = 16,  // z < 0
    TS_CLIP_FAR = 32,   // z > w
    TS_CLIP_W0 = 64,    // w = 0: cannot be projected
};

constexpr int TS_STACK_DEPTH = 16;
constexpr int TS_TEXTURE_SLOTS = 128;
constexpr int TS_CLIP_VERTICES = 72;
// The span table covers every row of the render target (the 800 x 600
// frame); rows of a taller viewport are never recorded.
constexpr int TS_SCAN_ROWS = 600;
// Rows of the frame buffers that the colour key and the software lines
// address, whatever the viewport's width.
constexpr int TS_FRAME_PITCH = 800;
constexpr U16 TS_COLOR_KEY = 0x8401;

typedef struct _tsDisplay {
    S32 Width, Height;
    S32 DispSize;    // Width x Height
    S32 RenderPitch; // bytes per row of the 16-bit buffers
    U32 ClientState;
    U32 GeneralState;
    S32 Error;       // last error code; the pipeline never clears it
    S32 RenderMode;  // tsRM_FULL: vertices carry a height; tsRM_FLAT: taken at 0
    U32 CurColor;    // RGB565 in the low 16 bits, for software lines
    U32 ClearColor;
    S32* VertexArray;
    S32 VertexSize, VertexStride, VertexType;
    S32* ColorArray;
    S32 ColorSize, ColorStride, ColorType;
    S32* TexCoordArray; // 16.16 (u, v) pairs
    S32 TexCoordSize, TexCoordStride, TexCoordType;
    tsTVertex* TVerts;
    S32 TVertCount;
    tsVertex* SVerts;
    S32 SVertCount;
    tsTVertex ClipTVerts[TS_CLIP_VERTICES];
    tsVertex ClipVerts[TS_CLIP_VERTICES];
    S32 ClipIndices[TS_CLIP_VERTICES];
    S32 MatrixMode;
    S32 MVStackPtr, ProjStackPtr;
    BOOLEAN UpdateOpenGlMatrix;
    tsMatrix OpenGlMatrix; // uploaded to the GPU by tsDisplay_BeginScene
    S32 vertOffsetX, vertOffsetY; // origin of the GPU vertex data (16.16)
    tsMatrix Combine;             // model-view x projection
    tsMatrix ModelView[TS_STACK_DEPTH];
    tsMatrix Projection[TS_STACK_DEPTH];
    S32 CameraX, CameraY, CameraZ;
    U32* BackBuffer;
    U32* FrontBuffer;
    U32* RenderSurface;
    S32 ViewScaleX, ViewScaleY; // half the viewport in whole pixels
    S32 ViewTransX, ViewTransY; // the viewport centre in 16.16
    U16* Texture[TS_TEXTURE_SLOTS];
    U16* CurTexturePtr; // the texture the software rasteriser samples
    S32 WireFrame, NoClipping;
    tsScanInfo Scans[TS_SCAN_ROWS];
    S32 MinScan, MaxScan;
    // Set when the vertex buffers were allocated by tsDisplay_ProcessVertices
    // (and may be freed by it); buffers handed in by the caller stay the
    // caller's.
    BOOLEAN TVertsOwned, SVertsOwned;
} tsDisplay;

extern tsDisplay* g_CurDisplay;

// ---- Set-up and buffers ------------------------------------------------
void tsDisplay_Init(tsDisplay* display, S32 width, S32 height, U32* front, U32* back, S32 param);
void tsDisplay_Resize(tsDisplay* display, S32 width, S32 height);
// Hands in the caller's vertex buffers (the pipeline's own, if any, are
// returned to the heap). Null buffers with a count of 0 just release them.
void tsDisplay_SetVertexBuffers(tsDisplay* display, tsTVertex* trans, tsVertex* screen, S32 count);
void tsDisplay_VertexPointer(tsDisplay* display, S32 size, S32 type, S32 stride, S32* pointer);
void tsDisplay_ColorPointer(tsDisplay* display, S32 size, S32 type, S32 stride, S32* pointer);
void tsDisplay_TexCoordPointer(tsDisplay* display, S32 size, S32 type, S32 stride, S32* pointer);
void tsDisplay_Enable(tsDisplay* display, U32 bits);
void tsDisplay_Disable(tsDisplay* display, U32 bits);

// ---- Matrix stacks (act on the stack of the matrix mode) ----------------
void tsDisplay_MatrixMode(tsDisplay* display, S32 mode);
void tsDisplay_LoadIdentity(tsDisplay* display);
void tsDisplay_LoadMatrixx(tsDisplay* display, const tsMatrix* matrix);
void tsDisplay_Translatex(tsDisplay* display, S32 x, S32 y, S32 z);
void tsDisplay_Perspective(tsDisplay* display, float fov, float aspect, float znear, float zfar);
void tsDisplay_Rotatex(tsDisplay* display, S32 amount, S32 x, S32 y, S32 z);
void tsDisplay_PushMatrix(tsDisplay* display);
void tsDisplay_PopMatrix(tsDisplay* display);
void tsDisplay_CombineMatrices(tsDisplay* display);

// ---- Scene ------------------------------------------------------------
void tsDisplay_SetClearColor(tsDisplay* display, U32 color);
void tsDisplay_SetColor(tsDisplay* display, U32 color);
void tsDisplay_ClearColorx(tsDisplay* display, U32 color, S32 alpha);
void tsDisplay_ClearScene(tsDisplay* display);
// Loads OpenGlMatrix into the GPU; false when it differs from the previous
// call's (the view moved), true when unchanged.
BOOLEAN tsDisplay_BeginScene(tsDisplay* display);
void tsDisplay_EndScene(tsDisplay* display);
void tsDisplay_DrawColorKey(tsDisplay* display);
void tsDisplay_SwapBuffers(tsDisplay* display);

// ---- GPU tile cache -----------------------------------------------------
typedef struct tile_cache {
    S32 tile;   // dataset tile index
    S32 active; // nonzero while the slot holds a tile
    TICKS tix;  // time of the last draw
    S32 vcount;
    S32 vertOffsetX, vertOffsetY; // the display's offsets at the vertex upload
    U32 vbos[2];                  // GPU buffers: positions, texture coordinates
    U32 TexBuffTag;               // GPU texture
} tsTileCache;

constexpr int TS_TILE_CACHE_SLOTS = 64;
constexpr int TS_TILE_TEXTURE_SIZE = 512;
extern tsTileCache g_TileCache[TS_TILE_CACHE_SLOTS];

tsTileCache* tsDisplay_CheckCache(S32 tile);
void tsDisplay_KickTiles(tsDisplay* display, const S32* kickList, S32 kickCount);
// vertices: vCount x (x, y, z) with 11 fraction bits, z the height, three
// per triangle; rewritten in place as floats when uploaded. texture: 512 x
// 512 RGB565. tcoords: vCount 16.16 (u, v) pairs. A cached tile drawn with
// reload false needs none of them.
void tsDisplay_DrawTile(tsDisplay* display, S32 tile, S32* vertices, S32 vCount, const U16* texture,
                        const S32* tcoords, BOOLEAN reload);

// The dataset library's release call used when a tile leaves the cache.
typedef S32 (*TS_RELEASE_TILE_FN)(S32 tile);
// Replaces it (tests); null restores ReleaseTile.
void tsDisplay_vSetTileReleaser(TS_RELEASE_TILE_FN pfnRelease);

// ---- Software projection and vertex processing -------------------------
BOOLEAN tsDisplay_ProjectPoint(const tsDisplay* display, S32 x, S32 y, S32 z, S32* sx, S32* sy);
BOOLEAN tsDisplay_ClipCheck(const tsDisplay* display, S32 x, S32 y, S32 z, S32 clipCheck);
void tsDisplay_CalcZ(const tsDisplay* display, S32 screenY, S32 x, S32 y, S32* z);
void tsDisplay_CalcX(const tsDisplay* display, S32 screenX, S32* x, S32 y, S32 z);
BOOLEAN tsDisplay_ProcessVertices(tsDisplay* display, S32 startVertex, S32 endVertex);

// ---- Textured polygon rasteriser ----------------------------------------
void tsDisplay_DrawTextureQuad(tsDisplay* display, S32 count, const S32* indices);
S32 tsDisplay_CalcScans(tsDisplay* display, const tsVertex* vtx0, const tsVertex* vtx1);
S32 tsDisplay_DrawScans(tsDisplay* display);

// ---- Software line strips -------------------------------------------------
void tsDisplay_DrawLineStrip(tsDisplay* display, S32 count, const S32* indices);
void tsDisplay_DrawLine(tsDisplay* display, S32 x1, S32 y1, S32 x2, S32 y2, U32 color);

// ---- Terrain textures -----------------------------------------------------
void tsDisplay_FuseShadeHeight(U16* dst, const U8* shadeMap, const U8* heightMap, const U16* colorMap);
void tsDisplay_FusePhotoShadeHeight(U16* dst, const U16* photoMap, const U8* shadeMap, const U8* heightMap,
                                    const U16* colorMap, BOOLEAN enlarge);
void tsDisplay_Shade(U16* land, const U8* shade);
void tsDisplay_DownScale(U16* dst, S32 width, S32 height, const U16* pixels);
void tsDisplay_CreateMipMap(U16* dst, S32 width, S32 height, const U16* pixels, S32 levels);
void tsDisplay_DownScale24(U16* dst, S32 width, S32 height, const U8* pixels);
void tsDisplay_FlipDownScale24(U16* final, S32 width, S32 height, const U8* pixels);
void tsDisplay_UpScale24(U8* dst, S32 width, S32 height, const U16* pixels);
