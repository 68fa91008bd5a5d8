// The GPU behind the 3D pipeline: every GPU call of the pipeline goes
// through one table, so the matrix, cache and software parts run (and are
// tested) without a GPU, and the OpenGL ES 2.0 path stays in one module.
//
// The installed table serves the thread that owns the GPU context. Until a
// table is installed the pipeline draws nothing on a GPU (every call is
// empty).
#pragma once

#include "kernel/l_types.h"

typedef struct tag_TS_GPU {
    // Brings the GPU context and the textured shader up in the calling thread.
    void (*pfnInitGraphicsLib)(void);
    void (*pfnViewport)(S32 s32Width, S32 s32Height);
    void (*pfnEnableCulling)(void);
    void (*pfnClearColor)(float r, float g, float b, float a);
    void (*pfnColor)(float r, float g, float b, float a);
    void (*pfnClear)(void);
    // Makes the textured shader current and loads its MVPMatrix (16 floats,
    // read column-major, not transposed).
    void (*pfnLoadMatrix)(const float* pfMatrix);
    // Waits until the GPU has finished rendering.
    void (*pfnWaitGL)(void);
    // Texture names and the 512 x 512 RGB565 upload (level 0, linear
    // filtering, clamped to the edges).
    U32 (*pfnGenTexture)(void);
    void (*pfnUploadTexture)(U32 u32Texture, const U16* pu16Texels);
    // Two buffer names: positions and texture coordinates.
    void (*pfnGenBuffers)(U32* pu32Buffers);
    // s32Count vertices: positions of three floats each, and two 16.16
    // texture coordinates each.
    void (*pfnUploadBuffers)(const U32* pu32Buffers, const void* pvPositions, const S32* ps32TexCoords,
                             S32 s32Count);
    // s32Count vertices as separate triangles with the texture on unit 0.
    void (*pfnDrawTriangles)(U32 u32Texture, const U32* pu32Buffers, S32 s32Count);
} TS_GPU;

// Installs a table (null: no GPU). The table must outlive its use.
void TS_GPU_vInstall(const TS_GPU* pGpu);
const TS_GPU* TS_GPU_pGet(void);

// Installs the OpenGL ES 2.0 table. pfnBringUp makes the context current
// and builds the textured shader in the calling thread (the display output's
// EGL bring-up); pfnTexturedProgram names that shader's program.
void TS_GPU_vUseGles2(void (*pfnBringUp)(void), U32 (*pfnTexturedProgram)(void));
