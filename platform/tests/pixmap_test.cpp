// The GPU side on Mesa's surfaceless EGL: the bring-up and its skipped
// steps, the pixmaps on the contiguous-memory stand-in, the read-back of
// pixmap 0, and the 3D blend of the display fed from it.
#include "platform/tests/display_fixture.h"

#include "platform/cmem.h"
#include "platform/h_display.h"
#include "platform/pixmap.h"
#include "platform/shader.h"

#include <GLES2/gl2.h>

using namespace display_test;

namespace {

constexpr size_t PIXMAP_BYTES = 960000;

class Gpu : public Display {
protected:
    void SetUp() override
    {
        Display::SetUp();
        DD_LCD_vCloseGraphicsLib();
        CMEM_vSetPoolSize(32u << 20);
    }
    void TearDown() override
    {
        DD_LCD_vCloseGraphicsLib();
        CMEM_vSetPoolSize(32u << 20);
        Display::TearDown();
    }
    static GLint currentProgram()
    {
        GLint program = -1;
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        return program;
    }
};

TEST_F(Gpu, BringUpMakesThreePixmapsAndTheShaderCurrent)
{
    DD_LCD_vInitGraphicsLib();
    ASSERT_NE(gEglDisplay, EGL_NO_DISPLAY);
    ASSERT_EQ(gEglConfigs, 1);
    ASSERT_NE(gEglSurface, EGL_NO_SURFACE);
    ASSERT_NE(gEglContext, EGL_NO_CONTEXT);
    EXPECT_EQ(gEglSurface, g_pixmaps[0].eglSurface);
    EXPECT_EQ(eglGetCurrentContext(), gEglContext);
    for (const native_pixmap_context_t& c : g_pixmaps) {
        const native_pixmap_t& p = c.pixmap;
        ASSERT_NE(p.lAddress, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p.lAddress) % 4096, 0u);
        EXPECT_EQ(p.pvAddress, reinterpret_cast<uintptr_t>(p.lAddress));
        EXPECT_EQ(p.ePixelFormat, 0);
        EXPECT_EQ(p.lWidth, 800);
        EXPECT_EQ(p.lHeight, 600);
        EXPECT_EQ(p.lStride, 1600);
        EXPECT_EQ(p.lSizeInBytes, 960000);
    }
    ASSERT_NE(g_texturedShader.program, 0u);
    EXPECT_EQ(currentProgram(), (GLint)g_texturedShader.program);
    EXPECT_EQ(glGetAttribLocation(g_texturedShader.program, "inVertex"), 0);
    EXPECT_EQ(glGetAttribLocation(g_texturedShader.program, "inTexCoord"), 1);
    EXPECT_GE(glGetUniformLocation(g_texturedShader.program, "MVPMatrix"), 0);
    EXPECT_GE(glGetUniformLocation(g_texturedShader.program, "sTexture"), 0);
    EXPECT_TRUE(testEGLError());
}

TEST_F(Gpu, AClearIsReadBackThroughPixmapZero)
{
    DD_LCD_vInitGraphicsLib();
    ASSERT_NE(eglGetCurrentContext(), EGL_NO_CONTEXT);
    paint(g_pixmaps[0].pixmap.lAddress, 0x1111);

    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    eglWaitGL();
    ASSERT_TRUE(read_back_pixmap_surface());
    EXPECT_EQ(countOther(g_pixmaps[0].pixmap.lAddress, 0xF800), 0u);
}

// A 1 x 2 texture, blue below red, over the whole render target through the
// textured shader with an identity matrix: GL's bottom row is pixmap row 0.
TEST_F(Gpu, TheTexturedShaderDrawsIntoPixmapZeroInGlRowOrder)
{
    DD_LCD_vInitGraphicsLib();
    ASSERT_NE(g_texturedShader.program, 0u);
    const GLuint program = g_texturedShader.program;

    const U8 texels[] = {0, 0, 255, 255, 255, 0, 0, 255};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    for (GLenum parameter : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER})
        glTexParameteri(GL_TEXTURE_2D, parameter, GL_NEAREST);
    for (GLenum parameter : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T})
        glTexParameteri(GL_TEXTURE_2D, parameter, GL_CLAMP_TO_EDGE);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    glUniformMatrix4fv(glGetUniformLocation(program, "MVPMatrix"), 1, GL_FALSE, identity);
    glUniform1i(glGetUniformLocation(program, "sTexture"), 0);
    const float vertices[] = {-1, -1, 0, 1, 1, -1, 0, 1, -1, 1, 0, 1, 1, 1, 0, 1};
    const float texCoords[] = {0, 0, 1, 0, 0, 1, 1, 1};
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 0, vertices);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 0, texCoords);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    eglWaitGL();
    glDeleteTextures(1, &texture);
    ASSERT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    ASSERT_TRUE(read_back_pixmap_surface());

    const U16* p = pixels(g_pixmaps[0].pixmap.lAddress);
    EXPECT_EQ(countOther(p, 0x001F), 300u * 800) << "rows 0-299 blue";
    EXPECT_EQ(p[299 * 800 + 799], 0x001F);
    EXPECT_EQ(p[300 * 800], 0xF800);
    EXPECT_EQ(p[599 * 800 + 799], 0xF800);
}

TEST_F(Gpu, ASecondBringUpOnlyMakesCurrentAgainAndRebuildsTheShader)
{
    DD_LCD_vInitGraphicsLib();
    ASSERT_NE(g_texturedShader.program, 0u);
    const EGLSurface surface = gEglSurface;
    const EGLContext context = gEglContext;
    void* addresses[PIXMAP_COUNT];
    for (int i = 0; i < PIXMAP_COUNT; ++i)
        addresses[i] = g_pixmaps[i].pixmap.lAddress;

    glUseProgram(0);
    eglMakeCurrent(gEglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    // The pool holds three pixmaps and no more: new ones would fail.
    CMEM_vSetPoolSize(3 * 962560);
    DD_LCD_vInitGraphicsLib();

    EXPECT_EQ(gEglSurface, surface);
    EXPECT_EQ(gEglContext, context);
    for (int i = 0; i < PIXMAP_COUNT; ++i)
        EXPECT_EQ(g_pixmaps[i].pixmap.lAddress, addresses[i]);
    EXPECT_EQ(eglGetCurrentContext(), context);
    ASSERT_NE(g_texturedShader.program, 0u);
    EXPECT_EQ(currentProgram(), (GLint)g_texturedShader.program);
}

TEST_F(Gpu, AFailedPixmapAllocationFailsTheBringUpAndHoldsNothing)
{
    // Room for two of the three pixmaps.
    CMEM_vSetPoolSize(2 * 962560);
    DD_LCD_vInitGraphicsLib();
    EXPECT_EQ(gEglSurface, EGL_NO_SURFACE);
    EXPECT_EQ(gEglContext, EGL_NO_CONTEXT);
    EXPECT_EQ(g_texturedShader.program, 0u);
    EXPECT_FALSE(DD_LCD_bBlendPixmapsReady());
    for (const native_pixmap_context_t& c : g_pixmaps)
        EXPECT_EQ(c.pixmap.lAddress, nullptr);

    // What the failed call took was given back: three now fit exactly.
    CMEM_vSetPoolSize(3 * 962560);
    DD_LCD_vInitGraphicsLib();
    EXPECT_NE(gEglSurface, EGL_NO_SURFACE);
    EXPECT_TRUE(DD_LCD_bBlendPixmapsReady());
    EXPECT_NE(g_texturedShader.program, 0u);
}

TEST_F(Gpu, DestroyingTheShaderZeroesIt)
{
    DD_LCD_vInitGraphicsLib();
    const GLuint program = g_texturedShader.program;
    ASSERT_NE(program, 0u);
    glUseProgram(0);
    EXPECT_EQ(destroyShader(&g_texturedShader), 0);
    EXPECT_EQ(g_texturedShader.program, 0u);
    EXPECT_EQ(g_texturedShader.vertexShader, 0u);
    EXPECT_EQ(g_texturedShader.fragShader, 0u);
    EXPECT_FALSE(glIsProgram(program));
}

// The blend of a presented page: which settings and views bring the 3D
// picture in, and which pixels it replaces.
class Blend : public Gpu {
protected:
    void SetUp() override
    {
        Gpu::SetUp();
        H_DISPLAY_vInitScreen(0);
        ASSERT_EQ(frame_buffer_fd, 1);
    }
    // A frame whose first pixels are the key and its neighbours, presented.
    U32* presentFrame()
    {
        U32* p = H_DISPLAY_pu32GetDisplayBuffer();
        paintPattern(p, 40);
        for (size_t i = 0; i < std::size(frame_); ++i)
            pixels(p)[i] = frame_[i];
        pixels(p)[479999] = DD_LCD_COLOR_KEY;
        DD_LCD_vDisplayScreen(p);
        return p;
    }
    static constexpr U16 frame_[] = {0x8401, 0x8400, 0x8402, 0x0000, 0x8401, 0xFFFF};
};

TEST_F(Blend, ReplacesExactlyTheKeyPixelsInTheBirdsEyeViewsWithTheSettingOn)
{
    DD_LCD_vInitGraphicsLib();
    ASSERT_TRUE(DD_LCD_bBlendPixmapsReady());
    paintPattern(g_pixmaps[0].pixmap.lAddress, 900);

    struct Case {
        const char* what;
        bool setting;       // "SP3E" written at all
        bool on;
        bool view;          // "CVEW" written at all
        S32 currentView;
        bool blended;
    };
    const Case cases[] = {
        {"bird's eye, on", true, true, true, BIRDS_EYE_VIEW_PRIORITY, true},
        {"chart and bird's eye, on", true, true, true, CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY, true},
        {"another view", true, true, true, 24, false},
        {"no view", true, true, true, NO_VIEW_PRIORITY, false},
        {"view unknown", true, true, false, 0, false},
        {"setting off", true, false, true, CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY, false},
        {"setting never written", false, false, true, CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DD_LCD_vClose();
        forget3D();
        H_DISPLAY_vInitScreen(0);
        if (c.setting)
            H_DATABASE_bUpdateValueBoolean(FCID("SP3E"), c.on ? TRUE : FALSE, P_NORMAL);
        if (c.view)
            H_DATABASE_bUpdateValueS32(FCID("CVEW"), c.currentView, P_NORMAL);

        const U16* shown = pixels(presentFrame());
        const U16* picture3D = pixels(g_pixmaps[0].pixmap.lAddress);
        if (c.blended) {
            EXPECT_EQ(shown[0], picture3D[0]);
            EXPECT_EQ(shown[4], picture3D[4]);
            EXPECT_EQ(shown[479999], picture3D[479999]);
        } else {
            EXPECT_EQ(shown[0], DD_LCD_COLOR_KEY);
            EXPECT_EQ(shown[4], DD_LCD_COLOR_KEY);
            EXPECT_EQ(shown[479999], DD_LCD_COLOR_KEY);
        }
        for (size_t i : {1, 2, 3, 5})
            EXPECT_EQ(shown[i], frame_[i]) << i;
        size_t changed = 0;
        for (size_t i = std::size(frame_); i < 479999; ++i)
            changed += shown[i] != patternAt(i, 40);
        EXPECT_EQ(changed, 0u);
        EXPECT_EQ(DD_LCD_pu32GetFrameBufferPointer(), reinterpret_cast<const U32*>(shown));
    }
}

TEST_F(Blend, TheGpuPictureShowsThroughTheKeyOfAPresentedFrame)
{
    DD_LCD_vInitGraphicsLib();
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    eglWaitGL();
    ASSERT_TRUE(read_back_pixmap_surface());
    set3D(true, BIRDS_EYE_VIEW_PRIORITY);

    U32* p = H_DISPLAY_pu32GetDisplayBuffer();
    paint(p, DD_LCD_COLOR_KEY);
    pixels(p)[1000] = 0x8400;
    DD_LCD_vDisplayScreen(p);
    EXPECT_EQ(countOther(p, 0x07E0), 1u);
    EXPECT_EQ(pixels(p)[1000], 0x8400);
}

TEST_F(Blend, WithoutPixmapsTheFrameIsShownUnblended)
{
    set3D(true, CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY);
    U32* p = presentFrame();
    EXPECT_EQ(pixels(p)[0], DD_LCD_COLOR_KEY);
    EXPECT_EQ(DD_LCD_pu32GetFrameBufferPointer(), p);
    EXPECT_EQ(fileHeader().u32YOffset, 0u);
}

TEST(ChromaBlit, ReplacesKeyPixelsOfAnyCountAndNothingPastIt)
{
    for (int count : {0, 1, 15, 16, 17, 33, 480}) {
        SCOPED_TRACE(count);
        std::vector<U16> dst(count + 8), src(count + 8);
        for (size_t i = 0; i < dst.size(); ++i) {
            dst[i] = i % 3 == 0 ? DD_LCD_COLOR_KEY : (U16)(0x8400 + i % 3 + 1);
            src[i] = (U16)(0x1000 + i);
        }
        const std::vector<U16> before = dst;
        EXPECT_EQ(Neon_ChromaBlit16(dst.data(), src.data(), count, DD_LCD_COLOR_KEY), dst.data());
        for (size_t i = 0; i < dst.size(); ++i) {
            const bool replaced = (int)i < count && before[i] == DD_LCD_COLOR_KEY;
            EXPECT_EQ(dst[i], replaced ? src[i] : before[i]) << i;
        }
    }
}

TEST(Cmem, HandsOutAlignedBuffersOnlyWhileOpenAndKnowsOnlyItsOwn)
{
    const CMEM_AllocParams params = {CMEM_POOL, CMEM_CACHED, 4096};
    EXPECT_EQ(CMEM_exit(), -1) << "not open";
    EXPECT_EQ(CMEM_alloc(100, &params), nullptr);

    ASSERT_EQ(CMEM_init(), 0);
    void* a = CMEM_alloc(100, &params);
    void* b = CMEM_alloc(960000, nullptr);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 4096, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % 4096, 0u);
    EXPECT_EQ(CMEM_getPhys(b), reinterpret_cast<uintptr_t>(b));
    int local = 0;
    EXPECT_EQ(CMEM_getPhys(&local), 0u);
    EXPECT_EQ(CMEM_free(&local, &params), -1);
    EXPECT_EQ(CMEM_free(a, &params), 0);
    EXPECT_EQ(CMEM_free(a, &params), -1) << "freed twice";
    EXPECT_EQ(CMEM_getPhys(a), 0u);
    EXPECT_EQ(CMEM_free(b, nullptr), 0);
    EXPECT_EQ(CMEM_exit(), 0);
}

} // namespace
