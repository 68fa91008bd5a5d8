// The GPU's off-screen surfaces: EGL and OpenGL ES 2.0 brought up for the 3D
// chart picture, three 800 x 600 RGB565 pixmaps on contiguous memory, and
// the textured shader.
//
// Pixmap 0 is the surface the 3D pipeline renders into (made current);
// pixmap 1 is the scratch screen of the display's 3D blend; pixmap 2 is made
// with them and not used by the display. Each holds one screen in CPU memory
// at lAddress.
//
// EGL is Mesa's on the surfaceless platform. A pbuffer of the pixmap's size
// stands for pixmap 0's native pixmap, and read_back_pixmap_surface copies
// its picture into pixmap 0's memory, where the unit's GPU writes it by
// itself; pixmaps 1 and 2 are memory only. The memory keeps GL's row order,
// as the unit's pixmaps do: row 0 is GL's window row 0, which the 3D
// pipeline's matrix makes the top of the screen.
//
// The bring-up is run by the 3D pipeline's initialisation; every step that
// is done stays done and is skipped by a later call, which only makes the
// context current again and rebuilds the shader. The context is current in
// the thread that ran the bring-up; the display reads pixmap memory from
// other threads without a lock and takes whatever was last finished.
#pragma once

#include "kernel/l_types.h"

#include <EGL/egl.h>

constexpr int PIXMAP_COUNT = 3;
constexpr int PIXMAP_WIDTH = 800;
constexpr int PIXMAP_HEIGHT = 600;

typedef struct {
    S32 ePixelFormat; // 0: RGB565
    S32 eRotation;
    S32 lWidth;
    S32 lHeight;
    S32 lStride;       // bytes of one row
    S32 lSizeInBytes;
    uintptr_t pvAddress; // physical address of the pixels
    void* lAddress;      // CPU address of the same pixels
} native_pixmap_t;

typedef struct {
    EGLSurface eglSurface;
    native_pixmap_t pixmap;
} native_pixmap_context_t;

extern native_pixmap_context_t g_pixmaps[PIXMAP_COUNT];
extern EGLDisplay gEglDisplay;
extern EGLConfig gEglConfNum;  // the chosen config
extern EGLint gEglConfigs;     // configs the choice returned; 1 when done
extern EGLSurface gEglSurface; // the surface of pixmap 0
extern EGLContext gEglContext;

// Sets up EGL, the pixmaps, the context and the shader; steps already done
// are skipped. A failed step ends the call silently.
void DD_LCD_vInitGraphicsLib(void);

// Fills count pixmaps of width x height on contiguous memory; FALSE (with
// nothing held) when any pixmap's memory or pixmap 0's surface could not be
// made.
BOOLEAN create_pixmap_surfaces(EGLDisplay display, EGLConfig config, native_pixmap_context_t* pPixmaps, int count,
                               int width, int height);
void destroy_pixmap_surfaces(EGLDisplay display, native_pixmap_context_t* pPixmaps, int count);
// TRUE when EGL reports no error.
BOOLEAN testEGLError(void);

// Copies the finished picture of the current render target into pixmap 0's
// memory; the 3D pipeline calls it after waiting for the GPU. FALSE when
// there is no current pixmap 0.
BOOLEAN read_back_pixmap_surface(void);

// Whether pixmaps 0 and 1 both have memory: the 3D blend needs them.
BOOLEAN DD_LCD_bBlendPixmapsReady(void);

// Undoes the bring-up (shader, context, pixmaps; the EGL display stays
// initialised). Normal running keeps them until the process ends; tests
// start again with it.
void DD_LCD_vCloseGraphicsLib(void);
