// EGL bring-up, pixmap surfaces and the read-back of pixmap 0 (see pixmap.h).
#include "platform/pixmap.h"

#include "platform/cmem.h"
#include "platform/shader.h"

#include <EGL/eglext.h>
#include <GLES2/gl2.h>

#include <atomic>
#include <vector>

native_pixmap_context_t g_pixmaps[PIXMAP_COUNT];
EGLDisplay gEglDisplay = EGL_NO_DISPLAY;
EGLConfig gEglConfNum = nullptr;
EGLint gEglConfigs = 0;
EGLSurface gEglSurface = EGL_NO_SURFACE;
EGLContext gEglContext = EGL_NO_CONTEXT;

namespace {

const CMEM_AllocParams g_cmemParams = {CMEM_POOL, CMEM_CACHED, 4096};

// Pbuffers stand for the pixmap and window surfaces of the unit's config.
const EGLint CONFIG_ATTRIBUTES[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_ES2_BIT,
                                    EGL_NONE};
const EGLint CONTEXT_ATTRIBUTES[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};

// Set once the pixmaps exist, so that the display, in another thread, sees
// whole records.
std::atomic<bool> s_bPixmapsReady{false};

} // namespace

BOOLEAN testEGLError(void)
{
    return eglGetError() == EGL_SUCCESS;
}

BOOLEAN create_pixmap_surfaces(EGLDisplay display, EGLConfig config, native_pixmap_context_t* pPixmaps, int count,
                               int width, int height)
{
    CMEM_init();
    BOOLEAN bAll = TRUE;
    for (int i = 0; i < count; ++i) {
        native_pixmap_t& p = pPixmaps[i].pixmap;
        p.ePixelFormat = 0;
        p.eRotation = 0;
        p.lWidth = width;
        p.lHeight = height;
        p.lStride = width * 2;
        p.lSizeInBytes = height * p.lStride;
        p.lAddress = CMEM_alloc((size_t)p.lSizeInBytes, &g_cmemParams);
        p.pvAddress = p.lAddress ? CMEM_getPhys(p.lAddress) : 0;
        pPixmaps[i].eglSurface = EGL_NO_SURFACE;
        if (i == 0) {
            const EGLint attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
            pPixmaps[i].eglSurface = eglCreatePbufferSurface(display, config, attributes);
            eglGetError();
        }
        if (p.lAddress == nullptr || (i == 0 && pPixmaps[i].eglSurface == EGL_NO_SURFACE))
            bAll = FALSE;
    }
    if (!bAll)
        destroy_pixmap_surfaces(display, pPixmaps, count);
    return bAll;
}

void destroy_pixmap_surfaces(EGLDisplay display, native_pixmap_context_t* pPixmaps, int count)
{
    for (int i = 0; i < count; ++i) {
        if (pPixmaps[i].eglSurface != EGL_NO_SURFACE)
            eglDestroySurface(display, pPixmaps[i].eglSurface);
        if (pPixmaps[i].pixmap.lAddress)
            CMEM_free(pPixmaps[i].pixmap.lAddress, &g_cmemParams);
        pPixmaps[i] = {};
    }
    CMEM_exit();
}

void DD_LCD_vInitGraphicsLib(void)
{
    if (gEglDisplay == EGL_NO_DISPLAY) {
        gEglDisplay = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (gEglDisplay == EGL_NO_DISPLAY)
            return;
        EGLint major = 0, minor = 0;
        eglInitialize(gEglDisplay, &major, &minor);
        eglBindAPI(EGL_OPENGL_ES_API);
    }
    if (gEglConfigs != 1) {
        gEglConfigs = 0;
        eglChooseConfig(gEglDisplay, CONFIG_ATTRIBUTES, &gEglConfNum, 1, &gEglConfigs);
        if (gEglConfigs != 1)
            return;
    }
    if (gEglSurface == EGL_NO_SURFACE) {
        if (!create_pixmap_surfaces(gEglDisplay, gEglConfNum, g_pixmaps, PIXMAP_COUNT, PIXMAP_WIDTH, PIXMAP_HEIGHT))
            return;
        gEglSurface = g_pixmaps[0].eglSurface;
        s_bPixmapsReady = true;
    }
    if (gEglContext == EGL_NO_CONTEXT) {
        gEglContext = eglCreateContext(gEglDisplay, gEglConfNum, EGL_NO_CONTEXT, CONTEXT_ATTRIBUTES);
        if (gEglContext == EGL_NO_CONTEXT)
            return;
    }
    if (eglMakeCurrent(gEglDisplay, gEglSurface, gEglSurface, gEglContext))
        createTexturedShader();
}

BOOLEAN read_back_pixmap_surface(void)
{
    native_pixmap_t& p = g_pixmaps[0].pixmap;
    if (gEglSurface == EGL_NO_SURFACE || p.lAddress == nullptr || eglGetCurrentSurface(EGL_DRAW) != gEglSurface)
        return FALSE;
    glPixelStorei(GL_PACK_ALIGNMENT, 2);
    GLint format = 0, type = 0;
    glGetIntegerv(GL_IMPLEMENTATION_COLOR_READ_FORMAT, &format);
    glGetIntegerv(GL_IMPLEMENTATION_COLOR_READ_TYPE, &type);
    if (format == GL_RGB && type == GL_UNSIGNED_SHORT_5_6_5 && p.lStride == p.lWidth * 2) {
        glReadPixels(0, 0, p.lWidth, p.lHeight, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, p.lAddress);
        return TRUE;
    }
    // Every implementation reads RGBA bytes; narrowed to RGB565 here.
    std::vector<U8> rgba((size_t)p.lWidth * (size_t)p.lHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, p.lWidth, p.lHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    U8* pu8Row = static_cast<U8*>(p.lAddress);
    for (S32 y = 0; y < p.lHeight; ++y, pu8Row += p.lStride) {
        for (S32 x = 0; x < p.lWidth; ++x) {
            const U8* px = &rgba[((size_t)y * (size_t)p.lWidth + (size_t)x) * 4];
            const U16 color = (U16)((px[0] >> 3) << 11 | (px[1] >> 2) << 5 | px[2] >> 3);
            pu8Row[2 * x] = (U8)color;
            pu8Row[2 * x + 1] = (U8)(color >> 8);
        }
    }
    return TRUE;
}

BOOLEAN DD_LCD_bBlendPixmapsReady(void)
{
    return s_bPixmapsReady.load() ? TRUE : FALSE;
}

void DD_LCD_vCloseGraphicsLib(void)
{
    s_bPixmapsReady = false;
    if (gEglDisplay == EGL_NO_DISPLAY)
        return;
    if (gEglContext != EGL_NO_CONTEXT && eglGetCurrentContext() == gEglContext)
        destroyShader(&g_texturedShader);
    g_texturedShader = {};
    eglMakeCurrent(gEglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (gEglSurface != EGL_NO_SURFACE)
        destroy_pixmap_surfaces(gEglDisplay, g_pixmaps, PIXMAP_COUNT);
    if (gEglContext != EGL_NO_CONTEXT)
        eglDestroyContext(gEglDisplay, gEglContext);
    // The display itself stays initialised, as it does in normal running: a
    // later bring-up gets it back as it is, and terminating it would unload
    // the driver with memory it still holds.
    gEglDisplay = EGL_NO_DISPLAY;
    gEglConfNum = nullptr;
    gEglConfigs = 0;
    gEglSurface = EGL_NO_SURFACE;
    gEglContext = EGL_NO_CONTEXT;
}
