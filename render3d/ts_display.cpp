// 3D display state: set-up, the model-view and projection stacks, and the
// per-frame scene operations.
//
// Each stack has 16 entries of which the pointer reaches 14 at most: a push
// beyond that, or a pop at 0, records its error code in Error and changes
// nothing else. The stacks never recombine by themselves: the owner calls
// tsDisplay_CombineMatrices after changing either. In any matrix mode other
// than model-view and projection the stack operations do nothing.
#include "render3d/ts_display.h"

#include "kernel/h_memory.h"
#include "render3d/ts_gpu.h"

#include <cstring>
#include <initializer_list>

tsDisplay* g_CurDisplay = nullptr;

namespace {

constexpr int kMaxStackPtr = 13; // a push above this overflows

// The matrix uploaded by the previous tsDisplay_BeginScene (one per process).
float s_previousGpuMatrix[16] = {};

void setViewport(tsDisplay* display, S32 width, S32 height)
{
    display->Width = width;
    display->Height = height;
    display->DispSize = width * height;
    display->RenderPitch = width * 2;
    display->ViewScaleX = width >> 1;
    display->ViewScaleY = height >> 1;
    display->ViewTransX = (width >> 1) * 65536;
    display->ViewTransY = (height >> 1) * 65536;
}

// The top of the stack chosen by the matrix mode, or null in any other mode.
tsMatrix* currentTop(tsDisplay* display)
{
    switch (display->MatrixMode) {
    case TS_MODELVIEW:
        return &display->ModelView[display->MVStackPtr];
    case TS_PROJECTION:
        return &display->Projection[display->ProjStackPtr];
    default:
        return nullptr;
    }
}

// RGB565 to the GPU's unit channels.
void splitColor(U32 color, float* r, float* g, float* b)
{
    *r = static_cast<float>((color >> 11) & 0x1F) * 0.032258064f;
    *g = static_cast<float>((color >> 5) & 0x3F) * 0.015873017f;
    *b = static_cast<float>(color & 0x1F) * 0.032258064f;
}

void releaseOwnedBuffers(tsDisplay* display)
{
    if (display->TVertsOwned) {
        H_MEMORY_vFree(display->TVerts);
    }
    if (display->SVertsOwned) {
        H_MEMORY_vFree(display->SVerts);
    }
    display->TVertsOwned = FALSE;
    display->SVertsOwned = FALSE;
}

} // namespace

void tsDisplay_Init(tsDisplay* display, S32 width, S32 height, U32* front, U32* back, S32 param)
{
    (void)param;
    std::memset(display, 0, sizeof(*display));
    setViewport(display, width, height);
    display->RenderMode = tsRM_FLAT;
    display->BackBuffer = back;
    display->RenderSurface = back;
    display->FrontBuffer = front;
    display->MatrixMode = TS_MODELVIEW;

    const TS_GPU* gpu = TS_GPU_pGet();
    gpu->pfnInitGraphicsLib();
    gpu->pfnViewport(width, height);
    gpu->pfnEnableCulling();
}

void tsDisplay_Resize(tsDisplay* display, S32 width, S32 height)
{
    setViewport(display, width, height);
    TS_GPU_pGet()->pfnViewport(width, height);
}

void tsDisplay_SetVertexBuffers(tsDisplay* display, tsTVertex* trans, tsVertex* screen, S32 count)
{
    releaseOwnedBuffers(display);
    display->TVerts = trans;
    display->SVerts = screen;
    display->TVertCount = count;
    display->SVertCount = count;
}

void tsDisplay_VertexPointer(tsDisplay* display, S32 size, S32 type, S32 stride, S32* pointer)
{
    display->VertexSize = size;
    display->VertexType = type;
    display->VertexStride = stride;
    display->VertexArray = pointer;
}

void tsDisplay_ColorPointer(tsDisplay* display, S32 size, S32 type, S32 stride, S32* pointer)
{
    display->ColorSize = size;
    display->ColorType = type;
    display->ColorStride = stride;
    display->ColorArray = pointer;
}

void tsDisplay_TexCoordPointer(tsDisplay* display, S32 size, S32 type, S32 stride, S32* pointer)
{
    display->TexCoordSize = size;
    display->TexCoordType = type;
    display->TexCoordStride = stride;
    display->TexCoordArray = pointer;
}

void tsDisplay_Enable(tsDisplay* display, U32 bits) { display->GeneralState |= bits; }

void tsDisplay_Disable(tsDisplay* display, U32 bits) { display->GeneralState &= ~bits; }

void tsDisplay_MatrixMode(tsDisplay* display, S32 mode) { display->MatrixMode = mode; }

void tsDisplay_LoadIdentity(tsDisplay* display)
{
    tsMatrix* top = currentTop(display);
    if (top) {
        tsMatrix_Identity(top);
    }
}

void tsDisplay_LoadMatrixx(tsDisplay* display, const tsMatrix* matrix)
{
    tsMatrix* top = currentTop(display);
    if (top) {
        *top = *matrix;
    }
}

void tsDisplay_Translatex(tsDisplay* display, S32 x, S32 y, S32 z)
{
    tsMatrix* top = currentTop(display);
    if (!top) {
        return;
    }
    tsMatrix t;
    tsMatrix_Identity(&t);
    tsMatrix_Translatex(&t, x, y, z);
    tsMatrix_Multiply(top, top, &t);
}

void tsDisplay_Perspective(tsDisplay* display, float fov, float aspect, float znear, float zfar)
{
    tsMatrix* top = currentTop(display);
    if (!top) {
        return;
    }
    tsMatrix p;
    tsMatrix_SetFOV(&p, fov, aspect, znear, zfar);
    tsMatrix_Multiply(top, top, &p);
}

void tsDisplay_Rotatex(tsDisplay* display, S32 amount, S32 x, S32 y, S32 z)
{
    // Rotations are built with tsMatrix_Set and loaded.
    (void)display;
    (void)amount;
    (void)x;
    (void)y;
    (void)z;
}

void tsDisplay_PushMatrix(tsDisplay* display)
{
    S32* ptr = nullptr;
    tsMatrix* stack = nullptr;
    S32 overflow = TS_OK;
    if (display->MatrixMode == TS_MODELVIEW) {
        ptr = &display->MVStackPtr;
        stack = display->ModelView;
        overflow = TS_ERR_MVStackOverflow;
    } else if (display->MatrixMode == TS_PROJECTION) {
        ptr = &display->ProjStackPtr;
        stack = display->Projection;
        overflow = TS_ERR_ProjStackOverflow;
    } else {
        return;
    }
    if (*ptr > kMaxStackPtr) {
        display->Error = overflow;
        return;
    }
    *ptr += 1;
    stack[*ptr] = stack[*ptr - 1];
}

void tsDisplay_PopMatrix(tsDisplay* display)
{
    S32* ptr = nullptr;
    S32 underflow = TS_OK;
    if (display->MatrixMode == TS_MODELVIEW) {
        ptr = &display->MVStackPtr;
        underflow = TS_ERR_MVStackUnderflow;
    } else if (display->MatrixMode == TS_PROJECTION) {
        ptr = &display->ProjStackPtr;
        underflow = TS_ERR_ProjStackUnderflow;
    } else {
        return;
    }
    if (*ptr < 1) {
        display->Error = underflow;
        return;
    }
    *ptr -= 1;
}

void tsDisplay_CombineMatrices(tsDisplay* display)
{
    tsMatrix_Multiply(&display->Combine, &display->Projection[display->ProjStackPtr],
                      &display->ModelView[display->MVStackPtr]);
}

void tsDisplay_SetClearColor(tsDisplay* display, U32 color)
{
    (void)display;
    float r, g, b;
    splitColor(color, &r, &g, &b);
    TS_GPU_pGet()->pfnClearColor(r, g, b, 0.0f);
}

void tsDisplay_SetColor(tsDisplay* display, U32 color)
{
    (void)display;
    float r, g, b;
    splitColor(color, &r, &g, &b);
    TS_GPU_pGet()->pfnColor(r, g, b, 0.0f);
}

void tsDisplay_ClearColorx(tsDisplay* display, U32 color, S32 alpha)
{
    (void)display;
    (void)color;
    (void)alpha;
}

void tsDisplay_ClearScene(tsDisplay* display)
{
    (void)display;
    TS_GPU_pGet()->pfnClear();
}

BOOLEAN tsDisplay_BeginScene(tsDisplay* display)
{
    float gpuMatrix[16];
    tsMatrix_ToFloat(gpuMatrix, &display->OpenGlMatrix);
    // The GPU's second and third axes point the other way.
    for (int k : {1, 2, 5, 6, 9, 10, 13, 14}) {
        gpuMatrix[k] = -gpuMatrix[k];
    }
    TS_GPU_pGet()->pfnLoadMatrix(gpuMatrix);
    // Compared as bytes: a negated zero differs from the initial zeros, so
    // the first scene always reports a moved view.
    if (std::memcmp(gpuMatrix, s_previousGpuMatrix, sizeof(gpuMatrix)) == 0) {
        return TRUE;
    }
    std::memcpy(s_previousGpuMatrix, gpuMatrix, sizeof(gpuMatrix));
    return FALSE;
}

void tsDisplay_EndScene(tsDisplay* display)
{
    (void)display;
    TS_GPU_pGet()->pfnWaitGL();
}

void tsDisplay_DrawColorKey(tsDisplay* display)
{
    // Whole frame rows, whatever the viewport's width: the key marks every
    // pixel the 3D picture does not cover.
    constexpr U64 kKeyPair = 0x8401840184018401ull;
    const size_t words = static_cast<size_t>(display->Height > 0 ? display->Height : 0) * (TS_FRAME_PITCH / 2);
    U32* out = display->BackBuffer;
    size_t i = 0;
    for (; i + 2 <= words; i += 2) {
        std::memcpy(out + i, &kKeyPair, sizeof(kKeyPair));
    }
    for (; i < words; ++i) {
        out[i] = 0x84018401u;
    }
}

void tsDisplay_SwapBuffers(tsDisplay* display)
{
    U32* back = display->BackBuffer;
    display->BackBuffer = display->FrontBuffer;
    display->FrontBuffer = back;
    display->RenderSurface = display->BackBuffer;
}
